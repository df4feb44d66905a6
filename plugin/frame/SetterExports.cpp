#include "plugin/frame/PluginExports.h"
#include "plugin/frame/PluginSettings.h"

PLUGIN_EXPORT int SetPacketLength(int capacity)
{
    ThePluginSettings().fieldCapacity.store(capacity, std::memory_order_relaxed);
    return capacity;
}

PLUGIN_EXPORT int SetProtocolVersion(int versionIndex)
{
    ThePluginSettings().protocolVersion.store(versionIndex, std::memory_order_relaxed);
    return versionIndex;
}

PLUGIN_EXPORT int SetChipType(int chipCode)
{
    ThePluginSettings().chipCode.store(chipCode, std::memory_order_relaxed);
    return chipCode;
}

// Whether frames add unknown addresses to the address book by themselves.
PLUGIN_EXPORT int SetAddrBookAutoRegister(int on)
{
    ThePluginSettings().autoRegister.store(on, std::memory_order_relaxed);
    return on;
}
