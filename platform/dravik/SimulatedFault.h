#pragma once

#include <cstdint>

// Faults a simulated board can be told to have (board file key "faults").
enum SimulatedFault : uint32_t {
    kFaultOpen = 1u << 0,       // the board cannot be opened
    kFaultNoChip = 1u << 1,     // the board hands out no chip object
    kFaultReset = 1u << 2,      // chip and debugger resets fail
    kFaultVerify = 1u << 3,     // flash verification answers an unexpected status
    kFaultErase = 1u << 4,      // flash erase fails
    kFaultStuckFlash = 1u << 5, // flash erase reports success but changes nothing
    kFaultProgram = 1u << 6,    // flash programming fails
    kFaultRelease = 1u << 7,    // the debugger release does not report 1
    kFaultProfile = 1u << 8,    // the profile never changes
    kFaultPipe = 1u << 9,       // the USB pipe cannot be opened
    kFaultBoot = 1u << 10,      // BOOT fails
    kFaultStart = 1u << 11,     // START fails
    kFaultParam = 1u << 12,     // SET_PARAM fails
    kFaultLog = 1u << 13,       // the log file cannot be started
};
