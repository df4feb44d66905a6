#pragma once

// The texts that the Fennet header and application fields choose by index.
extern const char* const kRelayText[4];       // "NO", "SW", "HW", "UNKNOWN"
extern const char* const kYesNoText[2];       // "NO", "YES"
extern const char* const kListenModeText[4];  // "CONT_LISTEN" ... "NEVER_LISTENS"
extern const char* const kDeviceTypeText[4];  // "END_DEVICE" ... "UNKNOWN"
