#pragma once

#include <cstdint>

#include "platform/WindowMessages.h"

// What the main window hands the capture engine to start a capture.
struct CAPTURE_START_PARAM {
    platform::WindowHandle notifyWindow = 0; // receives WM_CAPTURE_STOPPED
    uint8_t channel = 0;
    uint8_t initiatorAddress[6] = {};        // in the order sent to the device
    uint8_t initiatorPresent = 0;
    int udpPort = 0;
    uint32_t udpAddress = 0;                 // a.b.c.d with a in bits 31-24
    uint8_t broadcastOn = 0;
    uint8_t broadcastOnly = 0;               // the store does not keep the packets
    const int* registerList = nullptr;       // address, value, address, value ...
    int registerCount = 0;                   // ints in the list; only the low 16 bits count
    const char* firmwareFile = nullptr;      // chip firmware, relative to a firmware folder
    int usartChoice = 0;
};
