#include "plugin/tolvane/NwkDecoder.h"

#include "plugin/frame/TextWriter.h"
#include "plugin/tolvane/TolvaneField.h"

namespace {

constexpr int kFrameTypeStandardData = 1;
constexpr int kFrameTypeCommand = 2;
constexpr int kFrameTypeVendorData = 3;

const char* const kFrameTypeNames[4] = {"RESV ", "SDATA", "CMD  ", "VDATA"};
const char* const kChannelNames[4] = {"NONE", "CH15", "CH20", "CH25"};

} // namespace

// Row index = command id; row 0 also stands for every id without a row.
const NwkDecoder::Command NwkDecoder::kCommands[9] = {
    {"Reserved", nullptr},
    {"Discovery\nrequest", &NwkDecoder::ParseDiscoveryRequest},
    {"Discovery\nresponse", &NwkDecoder::ParseDiscoveryResponse},
    {"Pair\nrequest", &NwkDecoder::ParsePairRequest},
    {"Pair\nrepsonse", &NwkDecoder::ParsePairResponse},
    {"Unpair\nrequest", &NwkDecoder::ParseUnpairRequest},
    {"Key seed", &NwkDecoder::ParseKeySeed},
    {"Ping\request", &NwkDecoder::ParsePing},
    {"Ping\nresponse", &NwkDecoder::ParsePing},
};

NwkDecoder::NwkDecoder(FieldAppender& appender, PARSED_DATA& out, const uint8_t* payload, int length)
    : out_(out), writer_(appender, BoundedBytes(payload, length))
{
}

void NwkDecoder::DecodeNwkFrame()
{
    out_.frameClass = 4;
    const BoundedBytes& bytes = writer_.Bytes();
    if (!bytes.Holds(0, 1))
        return;
    const uint8_t control = bytes.U8(0);
    const int frameType = control & 3;
    const bool secured = (control >> 2 & 1) != 0;
    char text[64];
    TextWriter fcf(text, sizeof text);
    fcf.Put(kFrameTypeNames[frameType]).Put("  ").Put(secured ? '1' : '0').Put("   ");
    fcf.Put(static_cast<char>('0' + (control >> 3 & 3))).Put("  ").Put(kChannelNames[control >> 6]);
    writer_.Text(FI_NWK_FCF, fcf.View());
    int pos = writer_.Value(FI_NWK_COUNTER, 1, 4, kHex8Value);
    if (frameType == kFrameTypeStandardData || frameType == kFrameTypeVendorData)
        pos = writer_.Value(FI_NWK_PID, pos, 1, kHex2Value);
    if (frameType == kFrameTypeVendorData)
        pos = writer_.Value(FI_NWK_VID, pos, 2, kHexValue);
    if (frameType == kFrameTypeCommand && !secured)
        pos += DecodeNwkCommand(pos);
    if (secured) {
        writer_.HexDump(FI_NWK_NFR_FIELDS, pos, 4, 1);
        pos += 4;
    }
    const int left = bytes.Size() - pos;
    if (left > 0)
        writer_.HexDump(secured ? FI_NWK_ENC_PAYLOAD : FI_NWK_PAYLOAD, pos, left, 2);
}

int NwkDecoder::DecodeNwkCommand(int pos)
{
    const BoundedBytes& bytes = writer_.Bytes();
    if (!bytes.Holds(pos, 1)) {
        writer_.Text(FI_NWK_CMD, kMissingBytesText);
        return 1;
    }
    const uint8_t id = bytes.U8(pos);
    const Command* command = &kCommands[0];
    if (id >= 1 && id <= 8) {
        command = &kCommands[id];
        writer_.Text(FI_NWK_CMD, command->name);
    } else {
        char text[24];
        TextWriter reserved(text, sizeof text);
        reserved.Put("reserved(").Hex(id, 2, HexLetters::Lower).Put(')');
        writer_.Text(FI_NWK_CMD, reserved.View());
    }
    if (command->reader == nullptr)
        return 1;
    return (this->*command->reader)(pos + 1) - pos;
}

int NwkDecoder::ParseNodeCapabilities(int pos)
{
    return writer_.Value(FI_NWK_NODECAP, pos, 1, kLowerHex2Value);
}

int NwkDecoder::ParseVendorInfo(int pos)
{
    pos = writer_.Value(FI_NWK_VID, pos, 2, kHexValue);
    return writer_.String(FI_NWK_VENDSTR, pos, 7);
}

int NwkDecoder::ParseAppCapabilities(int pos)
{
    const BoundedBytes& bytes = writer_.Bytes();
    const bool known = bytes.Holds(pos, 1);
    const uint8_t capabilities = bytes.U8(pos);
    pos = writer_.Value(FI_NWK_APPCAP, pos, 1, kHexValue);
    // Without the capability byte nothing tells what follows it.
    if (!known)
        return pos;
    if (capabilities & 1)
        pos = writer_.String(FI_NWK_USERSTR, pos, 15);
    const int deviceTypes = capabilities >> 1 & 3;
    if (deviceTypes > 0) {
        writer_.HexDump(FI_NWK_DTLIST, pos, deviceTypes, 2);
        pos += deviceTypes;
    }
    const int profiles = capabilities >> 4 & 7;
    if (profiles > 0) {
        writer_.HexDump(FI_NWK_PIDLIST, pos, profiles, 2);
        pos += profiles;
    }
    return pos;
}

int NwkDecoder::ParseNodeDescription(int pos)
{
    pos = ParseNodeCapabilities(pos);
    pos = ParseVendorInfo(pos);
    return ParseAppCapabilities(pos);
}

int NwkDecoder::ParseDiscoveryRequest(int pos)
{
    pos = ParseNodeDescription(pos);
    return writer_.Value(FI_NWK_REQDEVT, pos, 1, kHex2Value);
}

int NwkDecoder::ParseDiscoveryResponse(int pos)
{
    pos = writer_.Value(FI_NWK_RESP_STATUS, pos, 1, kLowerHex2Value);
    pos = ParseNodeDescription(pos);
    return writer_.Value(FI_NWK_DR_LQI, pos, 1, kDecimalValue);
}

int NwkDecoder::ParsePairRequest(int pos)
{
    pos = writer_.Value(FI_NWK_ADDR, pos, 2, kHexValue);
    pos = ParseNodeDescription(pos);
    return writer_.Value(FI_NWK_KEYEXCH_TCNT, pos, 1, kHex2Value);
}

int NwkDecoder::ParsePairResponse(int pos)
{
    pos = writer_.Value(FI_NWK_RESP_STATUS, pos, 1, kLowerHex2Value);
    pos = writer_.Value(FI_NWK_ALLOC_ADDR, pos, 2, kHexValue);
    pos = writer_.Value(FI_NWK_ADDR, pos, 2, kHexValue);
    return ParseNodeDescription(pos);
}

int NwkDecoder::ParseUnpairRequest(int pos)
{
    return pos;
}

int NwkDecoder::ParseKeySeed(int pos)
{
    return writer_.Value(FI_NWK_SEED_SEQNO, pos, 1, kLowerHex2Value);
}

int NwkDecoder::ParsePing(int pos)
{
    return writer_.Value(FI_NWK_PING_OPT, pos, 1, kLowerHex2Value);
}
