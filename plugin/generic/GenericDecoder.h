#pragma once

#include <cstdint>

#include "plugin/frame/ParsedData.h"

class TimeBase;

// Field ids of the generic decoder.
enum GenericField : int32_t {
    GF_PACKET_NUMBER = 0,
    GF_TIME_US = 1,
    GF_TIME_MS = 2,
    GF_LENGTH = 3,
    GF_PAYLOAD_HEX = 4,
    GF_PAYLOAD_TEXT = 5,
    GF_LQI = 6,
    GF_RSSI = 7,
    GF_CRC = 8,
};

constexpr int kGenericMaxFrameLength = 2048;

// What the decoder is told by the setter exports.
struct GenericDecoderSettings {
    int32_t chipCode;
    int32_t fieldCapacity;
};

// Decodes a generic frame: the record's N bytes are the payload and the two status bytes.
// Reads at most 14 + N bytes of raw, N after clipping to the captured length, and never
// more than 14 + 2048.
void DecodeGenericFrame(const uint8_t* raw, PARSED_DATA& out, double clockMultiplier,
                        int capturedLength, const GenericDecoderSettings& settings,
                        TimeBase& timeBase);
