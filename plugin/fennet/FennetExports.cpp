#include "plugin/fennet/FennetDecoder.h"
#include "plugin/frame/PluginExports.h"
#include "plugin/frame/PluginSettings.h"
#include "plugin/frame/TimeBase.h"

PLUGIN_EXPORT int ParsePacket(const uint8_t* raw, PARSED_DATA* out, double clockMultiplier,
                              int capturedLength)
{
    if (raw == nullptr || out == nullptr)
        return 1;
    PluginSettings& settings = ThePluginSettings();
    FennetDecoderSettings decoderSettings{settings.chipCode.load(std::memory_order_relaxed),
                                          settings.protocolVersion.load(std::memory_order_relaxed),
                                          settings.fieldCapacity.load(std::memory_order_relaxed)};
    DecodeFennetFrame(raw, *out, clockMultiplier, capturedLength, decoderSettings,
                      ThePluginTimeBase());
    return 1;
}
