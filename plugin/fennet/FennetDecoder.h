#pragma once

#include <cstdint>

#include "plugin/frame/ParsedData.h"

class TimeBase;

// Limits of L, the frame's length with its two status bytes.
constexpr int kFennetMinFrameLength = 13;
constexpr int kFennetMaxFrameLength = 258;

// What the decoder is told by the setter exports.
struct FennetDecoderSettings {
    int32_t chipCode;
    int32_t protocolVersion; // 0, 1, 3; any other value is a later version
    int32_t fieldCapacity;
};

// Decodes a Fennet frame of a length-byte record and notes its addresses in the node book.
// Reads at most the 15 + L bytes of raw that the length byte and the captured length allow,
// and never more than 15 + 258.
void DecodeFennetFrame(const uint8_t* raw, PARSED_DATA& out, double clockMultiplier,
                       int capturedLength, const FennetDecoderSettings& settings,
                       TimeBase& timeBase);
