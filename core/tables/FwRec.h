#pragma once

#include <cstdint>
#include <string>

// One firmware entry of common.plt: the file to program for a chip and USART choice.
struct FW_REC {
    uint16_t chipCode;
    int usartChoice; // 0 or 1
    std::string file;
};
