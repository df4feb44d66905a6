#pragma once

#include <cstdint>

#include "plugin/frame/FieldAppender.h"
#include "plugin/frame/ParsedData.h"
#include "plugin/tolvane/BoundedBytes.h"
#include "plugin/tolvane/MacAddressing.h"
#include "plugin/tolvane/TolvaneChipRules.h"

class TimeBase;

// What the decoder is told by the setter exports.
struct TolvaneDecoderSettings {
    int32_t chipCode;
    int32_t fieldCapacity;
};

// Decodes one IEEE 802.15.4 MAC frame (2003 and 2006 formats) of a raw record: byte 14 is
// the length byte B (bit 7 masked off), and the B bytes from byte 15 end with the two status
// bytes. The payload of an unsecured data frame goes to the network-layer decoder. No byte
// beyond the B bytes (B clipped to the captured length) is read.
class MacDecoder {
public:
    MacDecoder(PARSED_DATA& out, const TolvaneDecoderSettings& settings);

    // Fills out and its field buffer; returns what the address book needs of the frame.
    MacAddressing Decode(const uint8_t* raw, double clockMultiplier, int capturedLength, TimeBase& timeBase);

private:
    void DecodeHeader();
    // The PAN id (when on air) and the address of one side; true when the frame holds them.
    bool DecodeSide(MacAddressing::Side& side, int mode, int32_t panField, int32_t addressField, bool panOnAir);
    void DecodeAuxSecurityHeader();
    void DecodeSecuredPayload();
    void DecodeBeacon();
    void DecodeData();
    void DecodeCommand();
    void DecodeFooter(int rssiByte, int statusByte);

    int PayloadLength() const { return mac_.Size() - pos_; }

    PARSED_DATA& out_;
    const TolvaneChipRules rules_;
    FieldAppender appender_;
    char* firstRecord_ = nullptr; // the packet number's record, once written
    BoundedBytes mac_{nullptr, 0}; // the frame without its status bytes
    int pos_ = 0;                  // where the next field of the frame stands
    MacAddressing addressing_;

    int frameType_ = 0;
    bool secured_ = false;
    bool panIdCompression_ = false;
    int frameVersion_ = 0;
};
