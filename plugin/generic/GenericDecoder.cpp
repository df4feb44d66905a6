#include "plugin/generic/GenericDecoder.h"

#include <algorithm>

#include "plugin/frame/ByteTextTables.h"
#include "plugin/frame/FieldAppender.h"
#include "plugin/frame/NumberText.h"
#include "plugin/frame/RawPacketRec.h"
#include "plugin/frame/TextDump.h"
#include "plugin/frame/TimeBase.h"
#include "plugin/generic/GenericChipSets.h"

namespace {

constexpr int kDumpLines = 2;

uint64_t DeviceTicks(uint64_t timeStamp, int chipCode)
{
    if (IsSplitTimestampChip(chipCode))
        return (timeStamp >> 16) * 5000 + (timeStamp & 0xFFFF);
    return timeStamp;
}

int RssiDbm(uint8_t rssiByte, int chipCode, const GenericRssiRule& rule)
{
    int r = static_cast<int8_t>(rssiByte);
    if (IsHalfDbRssiChip(chipCode) && !IsFullDbRssiChip(chipCode))
        return r / 2 - rule.offset;
    return r - rule.offset;
}

void AppendDumps(FieldAppender& appender, const uint8_t* payload, int32_t n)
{
    if (char* text = appender.ReserveField(GF_PAYLOAD_HEX, HexDumpLength(n, kDumpLines)))
        FormatHexDump(text, payload, n, kDumpLines);
    if (char* text = appender.ReserveField(GF_PAYLOAD_TEXT, AsciiDumpLength(n, kDumpLines)))
        FormatAsciiDump(text, payload, n, kDumpLines);
}

} // namespace

void DecodeGenericFrame(const uint8_t* raw, PARSED_DATA& out, double clockMultiplier,
                        int capturedLength, const GenericDecoderSettings& settings,
                        TimeBase& timeBase)
{
    const int chip = settings.chipCode;
    FieldAppender appender(out, settings.fieldCapacity);
    out.status = PARSE_OK;
    out.indent = 0;
    out.frameClass = 0;
    out.infoFlags = INFO_GENERIC_LAYOUT;

    const RAW_PACKET_REC head = ReadRawPacketHeader(raw);
    char number[24];
    out.packetNumber = head.packetNumber;
    appender.AppendField(GF_PACKET_NUMBER, DecimalText(number, head.packetNumber));

    TimeBase::Step step = timeBase.Advance(head.packetNumber, DeviceTicks(head.timeStamp, chip),
                                           GenericClockDivisor(chip), clockMultiplier);
    out.time = step.time;
    AppendTimeFields(appender, step);

    appender.AppendField(GF_LENGTH, DecimalText(number, uint32_t{head.length}));
    out.frameLength = head.length;
    out.infoFlags |= INFO_LENGTH_COUNTS_STATUS;
    int64_t n = head.length;
    if (capturedLength == 0) {
        out.infoFlags |= INFO_INCOMPLETE;
    } else if (n > int64_t{capturedLength} + 2) {
        out.infoFlags |= INFO_INCOMPLETE;
        n = capturedLength;
    }
    if (n > kGenericMaxFrameLength || n < 2) {
        out.status = PARSE_INVALID_LENGTH;
        return;
    }

    const uint8_t* frame = raw + kRawPacketHeaderSize;
    const int32_t payloadLength = static_cast<int32_t>(n) - 2;
    if (payloadLength > 0)
        AppendDumps(appender, frame, payloadLength);

    const uint8_t rssiByte = frame[payloadLength];
    const uint8_t statusByte = frame[payloadLength + 1];
    const GenericRssiRule rule = GenericRssiRuleFor(chip);
    const int rssi = RssiDbm(rssiByte, chip, rule);
    appender.AppendField(GF_RSSI, DecimalText(number, int32_t{rssi}));
    out.rssi = rssi;

    int lqi = statusByte & 0x7F;
    if (IsLqiFromRssiChip(chip)) {
        // Clamped on the whole dBm value: an RSSI below the range is LQI 0, however far below.
        int clamped = std::clamp(rssi, rule.lqiLow, rule.lqiHigh);
        lqi = (clamped - rule.lqiLow) * 255 / (rule.lqiHigh - rule.lqiLow);
    }
    appender.AppendField(GF_LQI, kDecimalText[static_cast<uint8_t>(lqi)].text);

    const bool crcOk = (statusByte & 0x80) != 0;
    appender.AppendField(GF_CRC, crcOk ? "OK" : "ERR");
    out.crcOk = crcOk ? 1 : 0;

    if (IsLqiFromRssiChip(chip)) {
        out.correlation = statusByte & 0x7F;
        out.infoFlags |= INFO_CORRELATION_VALID;
    } else {
        out.correlation = 0;
    }
    out.noticesWaiting = 0;
}
