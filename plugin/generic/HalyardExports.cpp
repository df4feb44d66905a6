#include "plugin/frame/PluginExports.h"
#include "plugin/frame/PluginSettings.h"
#include "plugin/frame/TimeBase.h"
#include "plugin/generic/GenericDecoder.h"

PLUGIN_EXPORT int ParsePacket(const uint8_t* raw, PARSED_DATA* out, double clockMultiplier,
                              int capturedLength)
{
    if (raw == nullptr || out == nullptr)
        return 1;
    PluginSettings& settings = ThePluginSettings();
    GenericDecoderSettings decoderSettings{
        settings.chipCode.load(std::memory_order_relaxed),
        settings.fieldCapacity.load(std::memory_order_relaxed)};
    DecodeGenericFrame(raw, *out, clockMultiplier, capturedLength, decoderSettings,
                       ThePluginTimeBase());
    return 1;
}
