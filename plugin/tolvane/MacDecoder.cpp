#include "plugin/tolvane/MacDecoder.h"

#include <cstring>

#include "plugin/frame/ByteTextTables.h"
#include "plugin/frame/NumberText.h"
#include "plugin/frame/ParsedFieldRec.h"
#include "plugin/frame/RawPacketRec.h"
#include "plugin/frame/TextWriter.h"
#include "plugin/frame/TimeBase.h"
#include "plugin/tolvane/FrameFieldWriter.h"
#include "plugin/tolvane/MacFrameKinds.h"
#include "plugin/tolvane/MacFormatters.h"
#include "plugin/tolvane/NwkDecoder.h"
#include "plugin/tolvane/TolvaneChipRules.h"
#include "plugin/tolvane/TolvaneField.h"

namespace {

constexpr int kLengthByteOffset = kRawPacketHeaderSize;
constexpr int kFrameOffset = kRawPacketHeaderSize + 1;
constexpr int kMinFrameLength = 5; // frame control, sequence number, the two status bytes
constexpr int kDumpLines = 2;
constexpr char kNegativePayloadText[] = "Negative payload length!";
constexpr uint8_t kTransmittedRssiByte = 0x80;

constexpr int kMaxPendingAddresses = 7;

} // namespace

MacDecoder::MacDecoder(PARSED_DATA& out, const TolvaneDecoderSettings& settings)
    : out_(out), rules_(TolvaneChipRulesFor(settings.chipCode)), appender_(out, settings.fieldCapacity)
{
}

MacAddressing MacDecoder::Decode(const uint8_t* raw, double clockMultiplier, int capturedLength, TimeBase& timeBase)
{
    out_.status = PARSE_OK;
    out_.indent = 0;
    out_.infoFlags = 0;

    const RAW_PACKET_REC head = ReadRawPacketHeader(raw);
    out_.packetNumber = head.packetNumber;
    char number[24] = "RX\n";
    char* numberEnd = WriteDecimal(number + 3, head.packetNumber);
    *numberEnd++ = '\0';
    const int32_t numberLength = static_cast<int32_t>(numberEnd - number);
    // Kept so that the footer can mark a transmitted packet once it knows.
    firstRecord_ = appender_.ReserveField(FI_PACKET_NBR, numberLength);
    if (firstRecord_ != nullptr) {
        std::memcpy(firstRecord_, number, static_cast<size_t>(numberLength));
        firstRecord_ -= kParsedFieldHeaderSize;
    }

    const TimeBase::Step step =
        timeBase.Advance(head.packetNumber, head.timeStamp, rules_.clockDivisor, clockMultiplier);
    out_.time = step.time;
    AppendTimeFields(appender_, step);

    int length = raw[kLengthByteOffset] & 0x7F;
    appender_.AppendText(FI_LENGTH, kDecimalText[length].View());
    out_.frameLength = length;
    out_.infoFlags |= INFO_LENGTH_COUNTS_STATUS;
    if (capturedLength == 0) {
        out_.infoFlags |= INFO_INCOMPLETE;
    } else if (length > capturedLength) {
        out_.infoFlags |= INFO_INCOMPLETE;
        length = capturedLength;
    }
    if (length < kMinFrameLength) {
        out_.status = PARSE_INVALID_LENGTH;
        return addressing_;
    }

    const uint8_t* frame = raw + kFrameOffset;
    mac_ = BoundedBytes(frame, length - 2);
    DecodeHeader();
    if (secured_) {
        DecodeSecuredPayload();
    } else {
        switch (frameType_) {
        case kBeacon:
            DecodeBeacon();
            break;
        case kData:
            DecodeData();
            break;
        case kAcknowledgement:
            out_.frameClass = kAcknowledgement;
            out_.indent = 1;
            break;
        case kCommand:
            DecodeCommand();
            break;
        default:
            break;
        }
    }
    DecodeFooter(frame[length - 2], frame[length - 1]);
    return addressing_;
}

void MacDecoder::DecodeHeader()
{
    FrameFieldWriter writer(appender_, mac_);
    const uint16_t control = mac_.U16(0);
    frameType_ = control & 7;
    secured_ = (control >> 3 & 1) != 0;
    panIdCompression_ = (control >> 6 & 1) != 0;
    frameVersion_ = control >> 12 & 3;
    const int destinationMode = control >> 10 & 3;
    const int sourceMode = control >> 14 & 3;
    addressing_.frameType = frameType_;

    writer.Text(FI_FRM_CTR_FIELD, kPrefixedBinaryText[mac_.U8(0)].View());
    writer.Text(FI_SEQ_NUMBER, kPrefixedHexText[mac_.U8(2)].View());
    pos_ = 3;

    MacAddressing::Side& destination = addressing_.destination;
    MacAddressing::Side& source = addressing_.source;
    // A side whose fields the frame cuts off is no address to note.
    bool destinationWhole = DecodeSide(destination, destinationMode, FI_DEST_PANID, FI_DEST_ADDR, destinationMode != 0);
    bool sourceWhole;
    if (panIdCompression_ && destinationMode != kNoAddress) {
        source.panId = destination.panId;
        sourceWhole = DecodeSide(source, sourceMode, FI_SRC_PANID, FI_SRC_ADDR, false) && destinationWhole;
    } else {
        sourceWhole = DecodeSide(source, sourceMode, FI_SRC_PANID, FI_SRC_ADDR, sourceMode != kNoAddress);
        if (panIdCompression_ && sourceMode != kNoAddress)
            destination.panId = source.panId;
    }
    destination.mode = destinationWhole ? destinationMode : kNoAddress;
    source.mode = sourceWhole ? sourceMode : kNoAddress;

    if (secured_ && frameVersion_ == 1)
        DecodeAuxSecurityHeader();
}

bool MacDecoder::DecodeSide(MacAddressing::Side& side, int mode, int32_t panField, int32_t addressField,
                            bool panOnAir)
{
    FrameFieldWriter writer(appender_, mac_);
    bool whole = true;
    if (panOnAir) {
        whole = mac_.Holds(pos_, 2);
        if (whole)
            side.panId = mac_.U16(pos_);
        pos_ = writer.Value(panField, pos_, 2, kHex4Value);
    }
    const int width = mode == kShortAddress ? 2 : mode == kExtendedAddress ? 8 : 0;
    if (width == 0)
        return whole;
    if (!mac_.Holds(pos_, width))
        whole = false;
    else if (width == 2)
        side.shortAddress = mac_.U16(pos_);
    else
        side.extendedAddress = mac_.U64(pos_);
    pos_ = writer.Value(addressField, pos_, width, width == 2 ? kHex4Value : kHex16Value);
    return whole;
}

void MacDecoder::DecodeAuxSecurityHeader()
{
    FrameFieldWriter writer(appender_, mac_);
    const bool known = mac_.Holds(pos_, 1);
    const uint8_t control = mac_.U8(pos_);
    const int keyIdMode = control >> 3 & 3;
    char text[64];
    TextWriter(text, sizeof text).Hex(control & 7, 2).Put("    ").Hex(static_cast<unsigned>(keyIdMode), 2);
    writer.Text(FI_SECURITY_CONTROL, known ? text : kMissingBytesText);
    pos_ = writer.Value(FI_FRAME_COUNTER, pos_ + 1, 4, kHex8Value);
    if (!known || keyIdMode == 0)
        return;
    const int width = keyIdMode == 1 ? 1 : keyIdMode == 2 ? 5 : 9;
    if (!mac_.Holds(pos_, width)) {
        writer.Text(FI_KEY_IDENTIFIER, kMissingBytesText);
    } else {
        const uint8_t index = mac_.U8(pos_ + width - 1);
        TextWriter key(text, sizeof text);
        if (keyIdMode == 1)
            key.Put("    -              ");
        else if (keyIdMode == 2)
            key.Hex(mac_.U32(pos_), 8).Put("         ");
        else
            key.Hex(mac_.U64(pos_), 16).Put(' ');
        key.Hex(index, 2);
        writer.Text(FI_KEY_IDENTIFIER, key.View());
    }
    pos_ += width;
}

void MacDecoder::DecodeSecuredPayload()
{
    int32_t dumpField;
    int32_t negativeField;
    switch (frameType_) {
    case kBeacon:
        dumpField = FI_ENC_MAC_BEACON;
        negativeField = FI_ENC_MAC_BEACON_N;
        break;
    case kData:
        dumpField = FI_ENC_MAC_DATA;
        negativeField = FI_ENC_MAC_DATA_N;
        break;
    case kCommand:
        dumpField = FI_ENC_MAC_CMD;
        negativeField = FI_ENC_MAC_CMD_N;
        break;
    default:
        return;
    }
    FrameFieldWriter writer(appender_, mac_);
    const int n = PayloadLength();
    if (n == 0)
        return;
    if (n > 0)
        writer.HexDump(dumpField, pos_, n, kDumpLines);
    else
        writer.Text(negativeField, kNegativePayloadText);
    out_.frameClass = frameType_;
}

void MacDecoder::DecodeBeacon()
{
    FrameFieldWriter writer(appender_, mac_);
    out_.frameClass = kBeacon;
    char text[kPendingAddrTextSize];

    if (mac_.Holds(pos_, 2)) {
        FormatSuperframe(text, sizeof text, mac_.U16(pos_));
        writer.Text(FI_SUPERFRAME, text);
    } else {
        writer.Text(FI_SUPERFRAME, kMissingBytesText);
    }
    pos_ += 2;

    if (!mac_.Holds(pos_, 1)) {
        writer.Text(FI_GTS_FIELD_T, kMissingBytesText);
        ++pos_;
    } else {
        const uint8_t gtsHeader = mac_.U8(pos_++);
        const int descriptors = gtsHeader & 7;
        const int listBytes = descriptors > 0 ? 1 + 3 * descriptors : 0;
        if (!mac_.Holds(pos_, listBytes)) {
            writer.Text(FI_GTS_FIELD_X, kMissingBytesText);
        } else {
            const uint8_t directions = descriptors > 0 ? mac_.U8(pos_) : 0;
            const uint8_t* list = descriptors > 0 ? mac_.At(pos_ + 1) : nullptr;
            writer.Text(FormatGtsList(text, sizeof text, gtsHeader, directions, list), text);
        }
        pos_ += listBytes;
    }

    if (!mac_.Holds(pos_, 1)) {
        writer.Text(FI_PENDING_ADDR, kMissingBytesText);
        ++pos_;
    } else {
        const uint8_t pendingHeader = mac_.U8(pos_++);
        const int shortCount = pendingHeader & 7;
        const int extendedCount = std::min(pendingHeader >> 4 & 7, kMaxPendingAddresses - shortCount);
        const int listBytes = 2 * shortCount + 8 * extendedCount;
        if (shortCount + extendedCount > 0) {
            if (mac_.Holds(pos_, listBytes)) {
                FormatPendingAddrList(text, sizeof text, mac_.At(pos_), shortCount, extendedCount);
                writer.Text(FI_PENDING_ADDR, text);
            } else {
                writer.Text(FI_PENDING_ADDR, kMissingBytesText);
            }
        }
        pos_ += listBytes;
    }

    const int left = PayloadLength();
    if (left > 0) {
        writer.HexDump(FI_BEACON_PAYLOAD_X, pos_, left, kDumpLines);
        writer.AsciiDump(FI_BEACON_PAYLOAD_T, pos_, left, kDumpLines);
    } else if (left < 0) {
        writer.Text(FI_BEACON_PAYLOAD_X, kNegativePayloadText);
        writer.Text(FI_BEACON_PAYLOAD_T, kNegativePayloadText);
    }
}

void MacDecoder::DecodeData()
{
    out_.frameClass = kData;
    const int n = PayloadLength();
    if (n > 0) {
        NwkDecoder(appender_, out_, mac_.At(pos_), n).DecodeNwkFrame();
    } else if (n < 0) {
        FrameFieldWriter writer(appender_, mac_);
        writer.Text(FI_MAC_NEG_PAYL_X, kNegativePayloadText);
        writer.Text(FI_MAC_NEG_PAYL_T, kNegativePayloadText);
    }
}

void MacDecoder::DecodeCommand()
{
    FrameFieldWriter writer(appender_, mac_);
    out_.frameClass = kCommand;
    if (!mac_.Holds(pos_, 1)) {
        writer.Text(FI_CMD_UNKNOWN, kMissingBytesText);
        return;
    }
    const uint8_t command = mac_.U8(pos_++);
    addressing_.commandId = command;
    char text[kMacFieldTextSize];
    switch (command) {
    case kAssociationRequest:
        if (mac_.Holds(pos_, 1)) {
            FormatCapabilityInfo(text, sizeof text, mac_.U8(pos_));
            writer.Text(FI_CMD_ASSOC_REQ, text);
        } else {
            writer.Text(FI_CMD_ASSOC_REQ, kMissingBytesText);
        }
        break;
    case kAssociationResponse:
        if (mac_.Holds(pos_, 3)) {
            addressing_.assignedShort = mac_.U16(pos_);
            FormatAssocStatus(text, sizeof text, addressing_.assignedShort, mac_.U8(pos_ + 2));
            writer.Text(FI_CMD_ASSOC_RES, text);
        } else {
            writer.Text(FI_CMD_ASSOC_RES, kMissingBytesText);
        }
        break;
    case kDisassociationNotification:
        writer.Text(FI_CMD_DISASSOC_NOT, mac_.Holds(pos_, 1) ? FormatDisassocReason(mac_.U8(pos_)) : kMissingBytesText);
        break;
    case kDataRequest:
        writer.Flag(FI_CMD_DATA_REQ);
        break;
    case kPanIdConflict:
        writer.Flag(FI_CMD_PAN_CONFLICT);
        break;
    case kOrphanNotification:
        writer.Flag(FI_CMD_ORPHAN_NOT);
        break;
    case kBeaconRequest:
        writer.Flag(FI_CMD_BEACON_REQ);
        break;
    case kCoordinatorRealignment:
        if (!mac_.Holds(pos_, 7)) {
            writer.Text(FI_CMD_CRD_REALIGN1, kMissingBytesText);
        } else {
            // The channel page came with the 2006 format: present when a byte remains.
            const int page = mac_.Holds(pos_ + 7, 1) ? mac_.U8(pos_ + 7) : -1;
            FormatRealignment(text, sizeof text, mac_.U16(pos_), mac_.U16(pos_ + 2), mac_.U8(pos_ + 4),
                              mac_.U16(pos_ + 5), page);
            writer.Text(page >= 0 ? FI_CMD_CRD_REALIGN2 : FI_CMD_CRD_REALIGN1, text);
        }
        break;
    case kGtsRequest:
        if (mac_.Holds(pos_, 1)) {
            FormatGtsRequest(text, sizeof text, mac_.U8(pos_));
            writer.Text(FI_CMD_GTS_REQ, text);
        } else {
            writer.Text(FI_CMD_GTS_REQ, kMissingBytesText);
        }
        break;
    default:
        // The frame offers nothing but the id itself.
        writer.Text(FI_CMD_UNKNOWN, kPrefixedHexText[command].View());
        break;
    }
}

void MacDecoder::DecodeFooter(int rssiByte, int statusByte)
{
    const RssiRule& rule = rules_.rssi;
    const int8_t rssi = static_cast<int8_t>(static_cast<uint8_t>(rssiByte - rule.offset));
    const int lqi = rule.Lqi(rssi);
    appender_.AppendText(FI_LQI, kDecimalText[static_cast<uint8_t>(lqi)].View());
    appender_.AppendText(FI_RSSI, kSignedDecimalText[static_cast<uint8_t>(rssi)].View());
    out_.rssi = rssi;

    if (rssiByte == kTransmittedRssiByte && firstRecord_ != nullptr) {
        const int32_t id = FI_PACKET_NBR_TX;
        std::memcpy(firstRecord_, &id, sizeof id);
        std::memcpy(firstRecord_ + kParsedFieldHeaderSize, "TX", 2);
    }

    const bool crcOk = (statusByte & 0x80) != 0;
    appender_.AppendText(FI_FCS, crcOk ? std::string_view("OK") : std::string_view("ERR"));
    out_.crcOk = crcOk ? 1 : 0;
    addressing_.crcOk = out_.crcOk;
    out_.correlation = static_cast<uint16_t>(statusByte & 0x7F);
    out_.infoFlags |= INFO_CORRELATION_VALID;
}
