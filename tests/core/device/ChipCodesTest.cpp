#include <gtest/gtest.h>

#include "core/device/ChipCodes.h"

TEST(ChipCodes, TransceiverChips)
{
    for (int code : {0x3A02, 0x3A0B, 0x3A0C, 0x3A5C, 0x3A5D, 0x3A5F, 0x3B90, 0x3B91, 0x3B92,
                     0x3B93, 0x3BC6, 0x6F48})
        EXPECT_TRUE(IsTransceiverChip(code)) << std::hex << code;
    for (int code : {0, 0x3B94, 0x3A1E, 0x6F1C, 0x6E7A, 0x6F86, 0x13B92, -1})
        EXPECT_FALSE(IsTransceiverChip(code)) << std::hex << code;
}
