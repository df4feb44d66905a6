#pragma once

#include <cstdint>
#include <string_view>

// The texts of the standard radio panel's address and key fields. Read strictly: every byte is
// exactly two hexadecimal digits ('0'-'9', 'a'-'f', 'A'-'F') at its fixed place, with no
// blanks, signs or "0x" prefixes inside, and nothing before or after the text.
namespace standard_radio {

// "0x" (lower-case x) and 12 digits; the last digit pair becomes address[0]. address is left
// as it was when the text is refused.
bool ParseInitiatorAddress(std::string_view text, uint8_t address[6]);

// 16 digit pairs joined by ':' (47 characters), the first pair key[0]; empty text is 16 zero
// bytes. A refused text also leaves 16 zero bytes, never the caller's old contents.
bool ParseLongTermKey(std::string_view text, uint8_t key[16]);

// A decimal number as "%d" reads it (leading blanks, a sign, the digits; what follows is not
// read), without overflow: text without digits is 0 and accepted; a value above 999999 or below
// 0 is refused. passKey is 0 unless the text is accepted.
bool ParsePassKey(std::string_view text, uint32_t* passKey);

constexpr uint32_t kMaxPassKey = 999999;

} // namespace standard_radio
