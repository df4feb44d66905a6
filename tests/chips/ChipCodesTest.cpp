#include <gtest/gtest.h>

#include <set>
#include <string>

#include "chips/ChipCodes.h"
#include "chips/ChipSets.h"
#include "chips/ChipTypeRec.h"

TEST(ChipCodes, TransceiverChips)
{
    for (int code : {0x3A02, 0x3A0B, 0x3A0C, 0x3A5C, 0x3A5D, 0x3A5F, 0x3B90, 0x3B91, 0x3B92,
                     0x3B93, 0x3BC6, 0x6F48})
        EXPECT_TRUE(IsTransceiverChip(code)) << std::hex << code;
    for (int code : {0, 0x3B94, 0x3A1E, 0x6F1C, 0x6E7A, 0x6F86, 0x13B92, -1})
        EXPECT_FALSE(IsTransceiverChip(code)) << std::hex << code;
}

TEST(ChipSets, WideRegistersAndChannelFromRegisters)
{
    struct Case {
        int code;
        bool wide;
        bool noChannel;
    };
    static constexpr Case kCases[] = {
        {0x3A5C, true, true},   {0x3A5D, true, true},   {0x3A5F, true, true},  {0x3B90, true, true},
        {0x3B93, true, true},   {0x3BC6, false, true},  {0x3A02, false, false}, {0x3A0B, false, false},
        {0x6F1C, false, false}, {0x6F48, false, false}, {0x3B94, false, false}, {0x13A5C, false, false},
        {0, false, false},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(HasWideRegisters(c.code), c.wide) << std::hex << c.code;
        EXPECT_EQ(TakesNoChannel(c.code), c.noChannel) << std::hex << c.code;
    }
}

TEST(ChipCodes, UsbDongleChips)
{
    struct Case {
        int chip, board;
        bool dongle;
    };
    for (Case c : {Case{0x6F87, 0x1005, true}, Case{0x6F87, 5, false}, Case{0x6F86, 0x1005, false},
                   Case{0x6F1D, 0x2005, true}, Case{0x3A1F, 0x6137, true}, Case{0x6FB2, 0, true},
                   Case{0x6FB6, 5, false}, Case{0x6F1C, 0x1005, false}})
        EXPECT_EQ(IsUsbDongleChip(c.chip, c.board), c.dongle) << std::hex << c.chip << " " << c.board;
}

TEST(ChipCodes, CodeFromModelCharacters)
{
    struct Case {
        const char* text;
        int code;
    };
    for (Case c : {Case{"6F1C", 0x6F1C}, Case{"3A0V", 0x3A0B}, Case{"3A3V", 0x3A0C}, Case{"E61", 0x0E61},
                   Case{"", 0}, Case{"VXYZ", 0}, Case{"  6F48", 0x6F48}, Case{"3A0", 0x3A0B},
                   Case{"6fb2", 0x6FB2}, Case{"3A02", 0x3A02}})
        EXPECT_EQ(ChipIdFromDeviceType(c.text), c.code) << '"' << c.text << '"';
    EXPECT_EQ(ChipIdFromDeviceType(nullptr), 0);
}

TEST(ChipTable, TwentyFourRowsInOrder)
{
    ASSERT_EQ(kChipTable.size(), 24u);
    EXPECT_STREQ(kChipTable[0].name, "QZ6F1C");
    EXPECT_STREQ(kChipTable[23].name, "QZ3B93");
    std::set<std::string> names;
    for (const CHIP_TYPE_REC& row : kChipTable) {
        names.insert(row.name);
        // Every code is the name's model characters read by the same rule, but for QZ6E7B.
        std::string name = row.name;
        ASSERT_EQ(name.substr(0, 2), "QZ");
        if (name != "QZ6E7B") {
            EXPECT_EQ(ChipIdFromDeviceType(name.c_str() + 2), static_cast<int>(row.code)) << name;
        }
    }
    EXPECT_EQ(names.size(), 24u);
    EXPECT_EQ(kChipTable[3].code, 0x6E7Au);
}
