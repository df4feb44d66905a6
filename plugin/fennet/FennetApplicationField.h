#pragma once

#include <cstdint>

#include "plugin/fennet/FennetPayload.h"

class FieldAppender;

// Text of an application field whose bytes lie beyond a short payload.
inline constexpr char kMissingFieldText[] = "<missing>";

// The one application field of an unflagged payload, chosen by port and protocol version.
class FennetApplicationField {
public:
    // firstAddressValid: the destination's first byte is neither 0x00 nor 0xFF.
    FennetApplicationField(FieldAppender& appender, const FennetPayload& payload,
                           int32_t protocolVersion, bool firstAddressValid);

    // Appends the field of a port (0 to 63) and returns the frame class.
    int32_t Append(int port);

private:
    void Port1();
    void Link();
    void LinkReply();
    void LinkRequest();
    void Join();
    void Security();
    void Frequency();
    void Management();

    // Appends the formatted text when the payload holds its first `needed` bytes, else
    // the missing text.
    void Emit(int32_t fieldId, int needed, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

    // Hex dump in one line of `count` payload bytes from `first`; empty unless all are there.
    const char* Dump(int first, int count);
    // The key bytes that follow a security byte with bit 7 set: its low 5 bits count them.
    int KeyLength(int securityIndex) const;

    bool IsVersion0() const { return version_ == 0; }
    bool IsVersion1() const { return version_ == 1; }

    FieldAppender& appender_;
    const FennetPayload payload_;
    int32_t version_;
    bool firstAddressValid_;
    char dump_[256 * 3];
};
