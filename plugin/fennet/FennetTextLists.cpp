#include "plugin/fennet/FennetTextLists.h"

const char* const kRelayText[4] = {"NO", "SW", "HW", "UNKNOWN"};
const char* const kYesNoText[2] = {"NO", "YES"};
const char* const kListenModeText[4] = {"CONT_LISTEN", "SLEEPS/POLLS", "SLEEPS/LISTENS",
                                        "NEVER_LISTENS"};
const char* const kDeviceTypeText[4] = {"END_DEVICE", "RANGE_EXTENDER", "ACCESS_POINT", "UNKNOWN"};
