// Register files written by RegisterFileWriter and read back by TabRadioSettings, in a
// temporary folder: the written form, names with the file's special characters, refused rows
// and failing writes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/tables/RegisterFileWriter.h"
#include "core/tables/TabRadioSettings.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

using testsupport::TempFolder;

namespace {

TAB_RADIO_SETTINGS_REC Row(const std::string& name, uint32_t address, uint32_t value)
{
    TAB_RADIO_SETTINGS_REC row{};
    std::memcpy(row.REGNAME, name.data(), std::min(name.size(), sizeof row.REGNAME));
    row.REGADDRESS = address;
    row.REGVALUE = value;
    return row;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Printable(const std::string& text)
{
    std::string shown;
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            shown += hex;
        } else {
            shown.push_back(static_cast<char>(c));
        }
    }
    return shown;
}

class RegisterFile : public ::testing::Test {
protected:
    // Writes rows to name in the folder and reads them back; the read must succeed.
    std::vector<TAB_RADIO_SETTINGS_REC> RoundTrip(const std::vector<TAB_RADIO_SETTINGS_REC>& rows,
                                                  const std::string& name = "set.prs")
    {
        std::string error;
        EXPECT_EQ(RegisterFileWriter::Write(folder / name, rows, &error), 1) << error;
        TabRadioSettings table(folder.Path().string(), name);
        const int read = table.Read();
        const char* reason = table.GetError();
        EXPECT_EQ(read, 1) << (reason != nullptr ? reason : "") << "\n" << Printable(ReadBytes(folder / name));
        return table.Rows();
    }

    TempFolder folder;
    platform::MessageBoxRecorder boxes;
};

TEST_F(RegisterFile, WritesOneLinePerRegisterWithNamesPaddedToTheLongest)
{
    const std::vector<TAB_RADIO_SETTINGS_REC> rows = {Row("FSCTRL1", 0xDF07, 0x08), Row("CHANNR", 0x0A, 0x00),
                                                      Row("X", 0x12345 & 0xFFFF, 0xFF)};
    std::string error;
    ASSERT_EQ(RegisterFileWriter::Write(folder / "a.prs", rows, &error), 1) << error;
    EXPECT_EQ(ReadBytes(folder / "a.prs"), "FSCTRL1|0xDF07|0x08\r\n"
                                           "CHANNR |0x000A|0x00\r\n"
                                           "X      |0x2345|0xFF\r\n");

    // The example line of the format: the longest name has eight characters.
    std::string text;
    ASSERT_TRUE(RegisterFileWriter::Format({Row("FSCTRL1", 0xDF07, 0x08), Row("FREQ_EST", 0xDF0C, 0)}, &text, &error));
    EXPECT_EQ(text, "FSCTRL1 |0xDF07|0x08\r\nFREQ_EST|0xDF0C|0x00\r\n");

    const std::vector<TAB_RADIO_SETTINGS_REC> back = RoundTrip(rows);
    ASSERT_EQ(back.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_STREQ(back[i].REGNAME, rows[i].REGNAME);
        EXPECT_EQ(back[i].REGADDRESS, rows[i].REGADDRESS);
        EXPECT_EQ(back[i].REGVALUE, rows[i].REGVALUE);
        EXPECT_STREQ(back[i].REGDESCRIPTION, "");
    }

    // No rows: an empty file, which reads as an empty set.
    ASSERT_EQ(RegisterFileWriter::Write(folder / "empty.prs", {}, &error), 1);
    EXPECT_EQ(ReadBytes(folder / "empty.prs"), "");
}

// Names that hold the characters the line grammar gives a meaning to must read back unchanged.
TEST_F(RegisterFile, NamesWithTheFilesSpecialCharactersReadBackUnchanged)
{
    const std::vector<std::string> names = {
        "",       " ",         "   ",       "  lead",  "trail ",   "trail\t",  "\tlead",  "a  b",
        "a|b",    "|",         "||",        "|lead",   "trail|",   "\\",       "\\\\",    "a\\b",
        "\\|",    "\\n",       "a\\nb",     "n",       "\n",       "x\ny",     "\n\n",    "\r",
        "a\rb",   "trail\r",   "\r\n",      "#",       "#comment", "a#",       "$!",      "$!RF_DEVICE=QZ3A5C",
        "$",      "$x",        "!$",        "\x01",    "a\x1F",    "\x7F",     "\xFF\xA0", " | \\ \n ",
        "19 characters long",  "\\ \\ \\ \\ \\ \\ \\ \\ \\ ",
    };
    std::vector<TAB_RADIO_SETTINGS_REC> rows;
    for (size_t i = 0; i < names.size(); ++i)
        rows.push_back(Row(names[i], static_cast<uint32_t>(i), static_cast<uint32_t>(i)));
    const std::vector<TAB_RADIO_SETTINGS_REC> back = RoundTrip(rows);
    ASSERT_EQ(back.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(std::string(back[i].REGNAME), names[i])
            << Printable(names[i]) << " read as " << Printable(back[i].REGNAME) << " from "
            << Printable(RegisterFileWriter::EscapeName(names[i]));
        EXPECT_EQ(back[i].REGADDRESS, i);
        EXPECT_EQ(back[i].REGVALUE, i);
    }
}

// Every byte a name can hold, alone, first, last and inside, and the longest names with it.
TEST_F(RegisterFile, EveryByteOfANameReadsBackUnchanged)
{
    std::vector<std::string> names;
    for (int b = 0x01; b <= 0xFF; ++b) {
        const std::string c(1, static_cast<char>(b));
        names.insert(names.end(), {c, c + "A", "A" + c, "A" + c + "A", c + c + c, std::string(18, 'R') + c,
                                   c + std::string(18, 'R')});
    }
    std::vector<TAB_RADIO_SETTINGS_REC> rows;
    for (size_t i = 0; i < names.size(); ++i)
        rows.push_back(Row(names[i], static_cast<uint32_t>(i & 0xFFFF), static_cast<uint32_t>(i & 0xFF)));
    const std::vector<TAB_RADIO_SETTINGS_REC> back = RoundTrip(rows);
    ASSERT_EQ(back.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(std::string(back[i].REGNAME), names[i])
            << Printable(names[i]) << " read as " << Printable(back[i].REGNAME);
        EXPECT_EQ(back[i].REGADDRESS, i & 0xFFFF);
        EXPECT_EQ(back[i].REGVALUE, i & 0xFF);
    }
}

TEST_F(RegisterFile, RowsThatNoRegisterFileCanHoldAreRefusedBeforeTheFileIsTouched)
{
    TAB_RADIO_SETTINGS_REC unterminated = Row("", 1, 1);
    std::memset(unterminated.REGNAME, 'N', sizeof unterminated.REGNAME);
    const struct {
        TAB_RADIO_SETTINGS_REC row;
        std::string reason;
    } cases[] = {
        {Row("PKTLEN", 0x06, 0x100), "Register PKTLEN: the value 0x100 does not fit into a register byte (0x00 - 0xFF)."},
        {Row("PKTLEN", 0x06, 0xFFFFFFFF),
         "Register PKTLEN: the value 0xFFFFFFFF does not fit into a register byte (0x00 - 0xFF)."},
        {Row("FREQ", 0x10000, 0x01), "Register FREQ: the address 0x10000 does not fit into 16 bits (0x0000 - 0xFFFF)."},
        {unterminated, "Register name NNNNNNNNNNNNNNNNNNN is longer than 19 characters."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegisterFileWriter::CheckRow(c.row), c.reason);
        const std::string path = folder / "kept.prs";
        std::ofstream(path, std::ios::binary) << "OLD|0x0001|0x01\n";
        std::string error;
        EXPECT_EQ(RegisterFileWriter::Write(path, {Row("A", 1, 1), c.row}, &error), 0);
        EXPECT_EQ(error, c.reason);
        EXPECT_EQ(ReadBytes(path), "OLD|0x0001|0x01\n");
    }
    EXPECT_EQ(RegisterFileWriter::CheckRow(Row("CHANNR", 0xFFFF, 0xFF)), "");
}

TEST_F(RegisterFile, FailedOpensAndWritesAreReportedWithTheSystemsText)
{
    const std::vector<TAB_RADIO_SETTINGS_REC> rows = {Row("FSCTRL1", 0xDF07, 0x08)};
    std::string error;
    EXPECT_EQ(RegisterFileWriter::Write(folder / "missing/set.prs", rows, &error), 0);
    EXPECT_EQ(error, std::string("Could not open file: ") + std::strerror(ENOENT));

    EXPECT_EQ(RegisterFileWriter::Write(folder.Path().string(), rows, &error), 0);
    EXPECT_EQ(error, std::string("Could not open file: ") + std::strerror(EISDIR));

    ASSERT_TRUE(std::filesystem::exists("/dev/full"));
    EXPECT_EQ(RegisterFileWriter::Write("/dev/full", rows, &error), 0);
    EXPECT_EQ(error, std::string("Can't write to file: ") + std::strerror(ENOSPC));

    // A path written with '\' between folder names.
    std::filesystem::create_directories(folder.Path() / "sub");
    ASSERT_EQ(RegisterFileWriter::Write(folder.Path().string() + "\\sub\\set.prs", rows, &error), 1) << error;
    EXPECT_EQ(ReadBytes(folder / "sub/set.prs"), "FSCTRL1|0xDF07|0x08\r\n");
}

} // namespace
