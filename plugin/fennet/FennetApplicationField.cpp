#include "plugin/fennet/FennetApplicationField.h"

#include <cstdarg>

#include "plugin/fennet/FennetField.h"
#include "plugin/fennet/FennetTextLists.h"
#include "plugin/fennet/FormattedField.h"
#include "plugin/frame/FieldAppender.h"
#include "plugin/frame/TextDump.h"

namespace {

constexpr int kLastUserPort = 31;
constexpr int32_t kUserPortClass = 7;
constexpr int32_t kHighPortClass = 8;

} // namespace

FennetApplicationField::FennetApplicationField(FieldAppender& appender,
                                               const FennetPayload& payload,
                                               int32_t protocolVersion, bool firstAddressValid)
    : appender_(appender), payload_(payload), version_(protocolVersion),
      firstAddressValid_(firstAddressValid)
{
    dump_[0] = '\0';
}

int32_t FennetApplicationField::Append(int port)
{
    switch (port) {
    case 1: Port1(); return port;
    case 2: Link(); return port;
    case 3: Join(); return port;
    case 4: Security(); return port;
    case 5: Frequency(); return port;
    case 6: Management(); return port;
    default:
        break;
    }
    const bool userPort = port <= kLastUserPort;
    Emit(userPort ? FF_USER_PORT : FF_HIGH_PORT, 0, " 0x%02X", port);
    return userPort ? kUserPortClass : kHighPortClass;
}

void FennetApplicationField::Port1()
{
    const uint8_t b0 = payload_.Byte(0);
    if (IsVersion0()) {
        Emit(FF_V0_PORT1, 1 + b0, " %02d     %s", b0, Dump(1, b0));
        return;
    }
    const int32_t id = IsVersion1() ? FF_V1_PORT1 : FF_PORT1 + (b0 >> 7);
    Emit(id, 2, "  0x%02X    0x%02X", b0, payload_.Byte(1));
}

void FennetApplicationField::Link()
{
    const FennetPayload& p = payload_;
    if (IsVersion0()) {
        if (firstAddressValid_)
            Emit(FF_V0_LINK_REPLY, 3, "  0x%02X      0x%02X   %-s", p.Byte(0), p.Byte(1),
                 kListenModeText[p.Byte(2) & 3]);
        else
            Emit(FF_V0_LINK_REQUEST, 8, "  0x%02X   0x%8.8X    0x%02X      0x%02X     %-s",
                 p.Byte(0), p.Word(1), p.Byte(5), p.Byte(6), kListenModeText[p.Byte(7) & 3]);
        return;
    }
    if (p.Byte(0) & 0x80)
        LinkReply();
    else
        LinkRequest();
}

void FennetApplicationField::LinkReply()
{
    const FennetPayload& p = payload_;
    const int command = p.Byte(0) & 0x7F;
    if (IsVersion1() || command == 1) {
        Emit(IsVersion1() ? FF_V1_LINK_REPLY : FF_LINK_REPLY, 4,
             "  0x%02X    0x%02X    0x%02X    %-s", p.Byte(0), p.Byte(1), p.Byte(2),
             kListenModeText[p.Byte(3) & 3]);
    } else if (command == 2) {
        Emit(FF_LINK_REPLY_2, 3, "  0x%02X    0x%02X  0x%02X", p.Byte(0), p.Byte(1), p.Byte(2));
    } else {
        Emit(FF_UNKNOWN_LINK_COMMAND, 1, "Unknown link request: 0x%02X", command);
    }
}

void FennetApplicationField::LinkRequest()
{
    const FennetPayload& p = payload_;
    const int command = p.Byte(0);
    if (IsVersion1()) {
        Emit(FF_V1_LINK_REQUEST, 8, "  0x%02X   0x%02X 0x%8.8X    0x%02X    %-s", p.Byte(0),
             p.Byte(1), p.Word(2), p.Byte(6), kListenModeText[p.Byte(7) & 3]);
    } else if (command == 1) {
        Emit(FF_LINK_REQUEST, 9, "  0x%02X   0x%02X 0x%8.8X    0x%02X    %-15s 0x%02X",
             p.Byte(0), p.Byte(1), p.Word(2), p.Byte(6), kListenModeText[p.Byte(7) & 3],
             p.Byte(8));
    } else if (command == 2) {
        Emit(FF_LINK_REQUEST_2, 3, "  0x%02X   0x%02X  0x%02X", p.Byte(0), p.Byte(1), p.Byte(2));
    } else {
        Emit(FF_UNKNOWN_LINK_COMMAND, 1, "Unknown link request: 0x%02X", command);
    }
}

void FennetApplicationField::Join()
{
    const FennetPayload& p = payload_;
    if (IsVersion0()) {
        if (firstAddressValid_) {
            const uint8_t s = p.Byte(5);
            const int key = KeyLength(5);
            Emit(FF_V0_JOIN_REPLY, 6 + key, "  0x%02X   0x%04X    %-s      %-s", p.Byte(0),
                 p.Word(1), kRelayText[(s >> 5) & 3], Dump(6, key));
        } else {
            Emit(FF_V0_JOIN_REQUEST, 6, "  0x%02X   0x%04X 0x%02X", p.Byte(0), p.Word(1), p.Byte(5));
        }
        return;
    }
    if (p.Byte(0) & 0x80) {
        const uint8_t s = p.Byte(6);
        const int key = KeyLength(6);
        Emit(IsVersion1() ? FF_V1_JOIN_REPLY : FF_JOIN_REPLY, 7 + key,
             "  0x%02X    0x%02X 0x%04X    %-s      %-s", p.Byte(0), p.Byte(1), p.Word(2),
             kRelayText[(s >> 5) & 3], Dump(7, key));
    } else if (IsVersion1()) {
        Emit(FF_V1_JOIN_REQUEST, 7, "  0x%02X   0x%02X 0x%04X   0x%02X", p.Byte(0), p.Byte(1),
             p.Word(2), p.Byte(6));
    } else {
        Emit(FF_JOIN_REQUEST, 8, "  0x%02X   0x%02X 0x%04X   0x%02X      0x%02X", p.Byte(0),
             p.Byte(1), p.Word(2), p.Byte(6), p.Byte(7));
    }
}

void FennetApplicationField::Security()
{
    const FennetPayload& p = payload_;
    if (IsVersion0()) {
        const uint8_t s = p.Byte(0);
        const int key = KeyLength(0);
        Emit(FF_V0_SECURITY, 1 + key, "    %-s     %-s", kRelayText[(s >> 5) & 3], Dump(1, key));
        return;
    }
    const uint8_t s = p.Byte(2);
    const int key = KeyLength(2);
    Emit(IsVersion1() ? FF_V1_SECURITY : FF_SECURITY, 3 + key, "  0x%02X   0x%02X    %-s      %-s",
         p.Byte(0), p.Byte(1), kRelayText[(s >> 5) & 3], Dump(3, key));
}

void FennetApplicationField::Frequency()
{
    const FennetPayload& p = payload_;
    if (IsVersion0()) {
        Emit(FF_V0_FREQUENCY, 2, "  0x%02X      0x%02X", p.Byte(0), p.Byte(1));
        return;
    }
    const bool v1 = IsVersion1();
    switch (p.Byte(0)) {
    case 0x01:
        Emit(v1 ? FF_V1_CHANGE_CHANNEL : FF_CHANGE_CHANNEL, 2, "ChangeChannelCmd      0x%02X", p.Byte(1));
        break;
    case 0x02:
        Emit(v1 ? FF_V1_ECHO : FF_ECHO_REQUEST, 2, "EchoReq           0x%02X", p.Byte(1));
        break;
    case 0x82:
        Emit(v1 ? FF_V1_ECHO : FF_ECHO_REPLY, 2, "EchoReply         0x%02X", p.Byte(1));
        break;
    case 0x03:
        Emit(v1 ? FF_V1_CHANGE_CHANNEL_REQUEST : FF_CHANGE_CHANNEL_REQUEST, 1, "ChangeChannelreq  ");
        break;
    default:
        Emit(FF_V1_CHANGE_CHANNEL_REQUEST, 1, "UnknownAppInf  ");
        break;
    }
}

void FennetApplicationField::Management()
{
    const FennetPayload& p = payload_;
    if (IsVersion0()) {
        Emit(FF_V0_MANAGEMENT, 2, "  0x%02X   0x%02X", p.Byte(0), p.Byte(1));
        return;
    }
    Emit(IsVersion1() ? FF_V1_MANAGEMENT : FF_MANAGEMENT, 7, "  0x%02X   0x%02X 0x%02X  %s",
         p.Byte(0), p.Byte(1), p.Byte(2), Dump(3, 4));
}

void FennetApplicationField::Emit(int32_t fieldId, int needed, const char* format, ...)
{
    if (!payload_.Holds(needed)) {
        appender_.AppendField(fieldId, kMissingFieldText);
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    AppendFormattedFieldV(appender_, fieldId, format, arguments);
    va_end(arguments);
}

const char* FennetApplicationField::Dump(int first, int count)
{
    static_assert(sizeof dump_ >= 3 * 256, "holds the dump of any byte count");
    if (count > 0 && payload_.Holds(first + count))
        FormatHexDump(dump_, payload_.bytes + first, count, 1);
    else
        dump_[0] = '\0';
    return dump_;
}

int FennetApplicationField::KeyLength(int securityIndex) const
{
    const uint8_t s = payload_.Byte(securityIndex);
    return s & 0x80 ? s & 0x1F : 0;
}
