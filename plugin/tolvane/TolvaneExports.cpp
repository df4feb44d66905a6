#include "plugin/frame/PluginExports.h"
#include "plugin/frame/PluginSettings.h"
#include "plugin/frame/TimeBase.h"
#include "plugin/tolvane/MacDecoder.h"
#include "plugin/tolvane/TolvaneAddressBook.h"
#include "plugin/tolvane/TolvaneField.h"

PLUGIN_EXPORT int ParsePacket(const uint8_t* raw, PARSED_DATA* out, double clockMultiplier, int capturedLength)
{
    if (raw == nullptr || out == nullptr)
        return 1;
    PluginSettings& settings = ThePluginSettings();
    const TolvaneDecoderSettings decoderSettings{settings.chipCode.load(std::memory_order_relaxed),
                                                 settings.fieldCapacity.load(std::memory_order_relaxed)};
    MacDecoder decoder(*out, decoderSettings);
    const MacAddressing addressing = decoder.Decode(raw, clockMultiplier, capturedLength, ThePluginTimeBase());
    if (out->status == PARSE_OK) {
        const bool autoRegister = settings.autoRegister.load(std::memory_order_relaxed) != 0;
        out->noticesWaiting = TheTolvaneAddressBook().RegisterPacketAddresses(
            addressing, autoRegister, &out->nodeIdsChanged, &out->srcNodeId, &out->dstNodeId);
    } else if (out->status == PARSE_FIELD_BUFFER_FULL) {
        // The book is left alone. A frame of invalid length stopped before its status bytes
        // and leaves all of the caller's values.
        out->noticesWaiting = 0;
    }
    return 1;
}

PLUGIN_EXPORT const char* const* GetFieldIndexTable()
{
    return kTolvaneFieldNames;
}
