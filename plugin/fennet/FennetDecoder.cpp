#include "plugin/fennet/FennetDecoder.h"

#include "plugin/fennet/FennetApplicationField.h"
#include "plugin/fennet/FennetChipRules.h"
#include "plugin/fennet/FennetField.h"
#include "plugin/fennet/FennetPayload.h"
#include "plugin/fennet/FennetTextLists.h"
#include "plugin/fennet/FormattedField.h"
#include "plugin/fennet/FrameControlText.h"
#include "plugin/frame/ByteTextTables.h"
#include "plugin/frame/FieldAppender.h"
#include "plugin/frame/NodeAddressBook.h"
#include "plugin/frame/NumberText.h"
#include "plugin/frame/RawPacketRec.h"
#include "plugin/frame/TextDump.h"
#include "plugin/frame/TimeBase.h"

namespace {

constexpr int kLengthByteOffset = kRawPacketHeaderSize;
constexpr int kFrameOffset = kLengthByteOffset + 1;
constexpr int kMacHeaderLength = 3;      // frame control and sequence number
constexpr int kNetworkHeaderLength = 11; // two addresses, port, device information, transaction id
constexpr int kSecurityLength = 3;
constexpr int kStatusLength = 2;
constexpr int kAddressLength = 4;
constexpr int kDumpLines = 2;
constexpr int kVersion3 = 3;

uint32_t ReadAddress(const uint8_t* p)
{
    return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void AppendHexDump(FieldAppender& appender, int32_t fieldId, const uint8_t* bytes, int32_t n,
                   int32_t lines)
{
    if (char* text = appender.ReserveField(fieldId, HexDumpLength(n, lines)))
        FormatHexDump(text, bytes, n, lines);
}

void AppendAsciiDump(FieldAppender& appender, int32_t fieldId, const uint8_t* bytes, int32_t n,
                     int32_t lines)
{
    if (char* text = appender.ReserveField(fieldId, AsciiDumpLength(n, lines)))
        FormatAsciiDump(text, bytes, n, lines);
}

// The frame's port byte as the decoder reads it.
struct PortByte {
    int port;     // bits 0-5
    bool flagged; // the payload is flagged: F = 1
};

PortByte AppendPortFields(FieldAppender& appender, uint8_t p, uint8_t d, bool version3)
{
    const int port = p & 0x3F;
    if (version3) {
        AppendFormattedField(appender, FF_V3_PORT, "  %-3s         %-3s     0x%2.2X",
                             kYesNoText[p >> 7], kYesNoText[(p >> 6) & 1], port);
        AppendFormattedField(appender, FF_V3_DEVICE_INFO, "   %d     %-15s %-14s    %d     %02d  ",
                             d >> 7, kListenModeText[(d >> 6) & 1], kDeviceTypeText[(d >> 4) & 3],
                             (d >> 3) & 1, d & 7);
        return {port, ((p >> 6) & 1) != 0};
    }
    AppendFormattedField(appender, FF_PORT, "    %s     0x%2.2X", kRelayText[p >> 6], port);
    AppendFormattedField(appender, FF_DEVICE_INFO, "%-15s %-14s %02d  ", kListenModeText[d >> 6],
                         kDeviceTypeText[(d >> 4) & 3], d & 7);
    return {port, (p >> 6) == 1};
}

void AppendStatusFields(FieldAppender& appender, PARSED_DATA& out, const FennetChipRules& rules,
                        uint8_t rssiByte, uint8_t statusByte)
{
    const int rssi = static_cast<int8_t>(rssiByte) / rules.rssiDivisor - rules.rssi.offset;
    char number[24];
    appender.AppendField(FF_RSSI, DecimalText(number, int32_t{rssi}));
    out.rssi = rssi;

    const int lqi = rules.rssi.HasLqiRange() ? rules.rssi.Lqi(rssi) : statusByte & 0x7F;
    appender.AppendField(FF_LQI, kDecimalText[static_cast<uint8_t>(lqi)].text);

    const bool crcOk = (statusByte & 0x80) != 0;
    appender.AppendField(FF_CRC, crcOk ? "OK" : "ERR");
    out.crcOk = crcOk ? 1 : 0;

    if (rules.correlation) {
        out.correlation = statusByte & 0x7F;
        out.infoFlags |= INFO_CORRELATION_VALID;
    } else {
        out.correlation = 0;
    }
}

} // namespace

void DecodeFennetFrame(const uint8_t* raw, PARSED_DATA& out, double clockMultiplier,
                       int capturedLength, const FennetDecoderSettings& settings,
                       TimeBase& timeBase)
{
    const FennetChipRules rules = FennetChipRulesFor(settings.chipCode);
    FieldAppender appender(out, settings.fieldCapacity);
    out.status = PARSE_OK;
    out.indent = 0;
    out.infoFlags = 0;

    const RAW_PACKET_REC head = ReadRawPacketHeader(raw);
    char number[24];
    out.packetNumber = head.packetNumber;
    appender.AppendField(FF_PACKET_NUMBER, DecimalText(number, head.packetNumber));

    TimeBase::Step step =
        timeBase.Advance(head.packetNumber, head.timeStamp, rules.clockDivisor, clockMultiplier);
    out.time = step.time;
    AppendTimeFields(appender, step);

    const uint8_t lengthByte = raw[kLengthByteOffset];
    appender.AppendField(FF_LENGTH, kDecimalText[lengthByte].text);
    out.frameLength = lengthByte;
    int64_t length = lengthByte;
    if (rules.macHeader)
        out.infoFlags |= INFO_LENGTH_COUNTS_STATUS;
    else
        length += kStatusLength;
    if (capturedLength == 0) {
        out.infoFlags |= INFO_INCOMPLETE;
    } else if (length > int64_t{capturedLength} + 2) {
        out.infoFlags |= INFO_INCOMPLETE;
        length = capturedLength;
    }
    // The headers must lie in front of the status bytes: on the 802.15.4 chips the shortest
    // frame is 3 bytes longer.
    const int64_t shortest = kFennetMinFrameLength + (rules.macHeader ? kMacHeaderLength : 0);
    if (length > kFennetMaxFrameLength || length < shortest) {
        out.status = PARSE_INVALID_LENGTH;
        return;
    }

    const uint8_t* frame = raw + kFrameOffset;
    const int frameLength = static_cast<int>(length);
    const int statusAt = frameLength - kStatusLength;
    int at = 0;
    if (rules.macHeader) {
        AppendFormattedField(appender, FF_MAC_HEADER, "%s %s", kFrameControlText[frame[0]].text,
                             kPrefixedHexText[frame[2]].text);
        at = kMacHeaderLength;
    }

    const uint32_t destination = ReadAddress(frame + at);
    const uint32_t source = ReadAddress(frame + at + kAddressLength);
    AppendHexDump(appender, FF_DESTINATION, frame + at, kAddressLength, 1);
    AppendHexDump(appender, FF_SOURCE, frame + at + kAddressLength, kAddressLength, 1);
    const bool firstAddressValid = frame[at] != 0x00 && frame[at] != 0xFF;

    const int32_t version = settings.protocolVersion;
    const bool version3 = version == kVersion3;
    const PortByte port = AppendPortFields(appender, frame[at + 8], frame[at + 9], version3);
    appender.AppendField(FF_TRANSACTION_ID, kPrefixedHexText[frame[at + 10]].text);
    at += kNetworkHeaderLength;

    const bool securedPayload = version3 && port.flagged;
    if (securedPayload) {
        if (statusAt - at >= kSecurityLength) {
            char bytes[6]; // "AA BB"
            FormatHexDump(bytes, frame + at + 1, 2, 1);
            AppendFormattedField(appender, FF_V3_SECURITY_BYTES, "%03d  %-5s", frame[at], bytes);
            at += kSecurityLength;
        } else {
            appender.AppendField(FF_V3_SECURITY_BYTES, kMissingFieldText);
            at = statusAt;
        }
    }

    const int payloadLength = statusAt - at;
    if (payloadLength > 0) {
        const uint8_t* payload = frame + at;
        const bool flaggedDump = port.flagged && port.port >= 1 && port.port <= 6;
        const int32_t hexId = flaggedDump ? FF_FLAGGED_PAYLOAD_HEX + 2 * (port.port - 1) : FF_PAYLOAD_HEX;
        AppendHexDump(appender, hexId, payload, payloadLength, kDumpLines);
        AppendAsciiDump(appender, flaggedDump ? hexId + 1 : FF_PAYLOAD_TEXT, payload, payloadLength,
                        kDumpLines);
        out.frameClass = port.port;
        if (!securedPayload) {
            FennetApplicationField application(appender, FennetPayload{payload, payloadLength},
                                               version, firstAddressValid);
            out.frameClass = application.Append(port.port);
        }
    }

    AppendStatusFields(appender, out, rules, frame[statusAt], frame[statusAt + 1]);

    if (out.status != PARSE_OK) {
        // The book is not consulted, so the frame names no node.
        out.noticesWaiting = 0;
        out.nodeIdsChanged = 0;
        out.srcNodeId = -1;
        out.dstNodeId = -1;
        return;
    }
    out.noticesWaiting = RegisterPacketAddresses(destination, source, out.crcOk, &out.nodeIdsChanged,
                                                 &out.srcNodeId, &out.dstNodeId);
}
