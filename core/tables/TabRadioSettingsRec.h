#pragma once

#include <cstdint>

// One radio register of a register file (*.prs).
struct TAB_RADIO_SETTINGS_REC {
    char REGNAME[20]; // at most 19 characters; "CHANNR" names the channel register
    uint32_t REGADDRESS;
    uint32_t REGVALUE;
    char REGDESCRIPTION[256];
};
