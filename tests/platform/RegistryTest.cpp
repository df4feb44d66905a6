#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/RegistryFile.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryRoot.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

const char* const kSettings = "Software\\Korvath\\Pelagor\\Settings";

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Dword(uint32_t value)
{
    std::string data;
    for (int shift = 0; shift < 32; shift += 8)
        data += static_cast<char>((value >> shift) & 0xFF);
    return data;
}

// Every file below folder, relative to it.
std::vector<std::string> FilesBelow(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files.push_back(fs::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

bool HasTemporaryFile(const fs::path& folder)
{
    for (const std::string& file : FilesBelow(folder))
        if (file.find(".tmp-") != std::string::npos)
            return true;
    return false;
}

class RegistryStore : public ::testing::Test {
protected:
    RegistryStore() : root_(folder_ / "registry") {}

    std::string KeyFile(const char* keyPath = kSettings) const { return *root_.KeyFile(keyPath); }

    testsupport::TempFolder folder_;
    RegistryRoot root_;
};

using testsupport::ScopedEnvironment;

struct MappingCase {
    const char* name;
    std::string keyPath;
    std::optional<std::string> file; // nullopt: refused
};

void PrintTo(const MappingCase& c, std::ostream* os)
{
    *os << c.name;
}

class KeyPathMapping : public ::testing::TestWithParam<MappingCase> {};

} // namespace

TEST_P(KeyPathMapping, FileNameOrRefusal)
{
    const MappingCase& c = GetParam();
    const std::optional<std::string> file = RegistryRoot::KeyFileName(c.keyPath);
    if (!c.file) {
        EXPECT_FALSE(file) << *file;
        testsupport::TempFolder folder;
        RegistryKey key;
        EXPECT_EQ(key.Create(RegistryRoot(folder.Path().string()), c.keyPath), kRegistryBadPathName);
        EXPECT_EQ(key.Open(RegistryRoot(folder.Path().string()), c.keyPath), kRegistryBadPathName);
        EXPECT_TRUE(fs::is_empty(folder.Path()));
    } else {
        ASSERT_TRUE(file);
        EXPECT_EQ(*file, c.file);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, KeyPathMapping,
    ::testing::Values(
        MappingCase{"settings", kSettings, "software/korvath/pelagor/settings.key"},
        MappingCase{"launcher", "Software\\Korvath\\Startup\\Settings", "software/korvath/startup/settings.key"},
        MappingCase{"one_name", "Pelagor", "pelagor.key"},
        MappingCase{"dots_and_blanks_encoded", "A.B\\c d", "a%2Eb/c%20d.key"},
        MappingCase{"name_ending_in_key", "x.key\\y", "x%2Ekey/y.key"},
        MappingCase{"slashes_stay_in_the_name", "x/../../etc", "x%2F%2E%2E%2F%2E%2E%2Fetc.key"},
        MappingCase{"absolute_path_stays_in_the_name", "/etc/passwd", "%2Fetc%2Fpasswd.key"},
        MappingCase{"percent_encoded", "100%", "100%25.key"},
        MappingCase{"high_bytes_encoded", "\xAF\xE9", "%AF%E9.key"},
        MappingCase{"dots_inside_a_name", "...x", "%2E%2E%2Ex.key"},
        MappingCase{"longest_name", std::string(230, 'k'), std::string(230, 'k') + ".key"},
        MappingCase{"longest_encoded_name", std::string(76, '.'), [] {
                        std::string file;
                        for (int i = 0; i < 76; ++i)
                            file += "%2E";
                        return file + ".key";
                    }()},
        MappingCase{"empty", "", std::nullopt},
        MappingCase{"leading_separator", "\\Software", std::nullopt},
        MappingCase{"trailing_separator", "Software\\", std::nullopt},
        MappingCase{"doubled_separator", "Software\\\\Korvath", std::nullopt},
        MappingCase{"parent", "..", std::nullopt},
        MappingCase{"parent_inside", "Software\\..\\..\\x", std::nullopt},
        MappingCase{"current", "Software\\.\\x", std::nullopt},
        MappingCase{"nul", std::string("Soft\0ware", 9), std::nullopt},
        MappingCase{"tab", "Soft\tware", std::nullopt},
        MappingCase{"newline", "Soft\nware", std::nullopt},
        MappingCase{"delete_character", "Soft\x7Fware", std::nullopt},
        MappingCase{"name_over_255_bytes", std::string(256, 'k'), std::nullopt},
        MappingCase{"name_too_long", std::string(231, 'k'), std::nullopt},
        MappingCase{"name_too_long_once_encoded", std::string(77, '.'), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryStore, HostileKeyPathsStayInsideTheFolder)
{
    const std::vector<std::string> paths = {"..\\..\\escaped",     "x/../../escaped", "/tmp/escaped",
                                            "a\\..\\..\\escaped", "...\\escaped",     "~\\escaped",
                                            "a\\b/../../../escaped"};
    for (const std::string& path : paths) {
        RegistryKey key;
        const RegistryStatus status = key.Create(root_, path);
        if (status == kRegistryOk) {
            EXPECT_EQ(key.SetDword("v", 1), kRegistryOk) << path;
        }
    }
    for (const std::string& file : FilesBelow(folder_.Path()))
        EXPECT_EQ(file.rfind("registry/", 0), 0u) << file;
    EXPECT_FALSE(fs::exists(folder_.Path() / "escaped.key"));
    EXPECT_FALSE(fs::exists(folder_.Path().parent_path() / "escaped.key"));
}

TEST_F(RegistryStore, KeyAndValueNamesIgnoreCase)
{
    RegistryKey writer;
    ASSERT_EQ(writer.Create(root_, "SOFTWARE\\korvath\\PELAGOR\\settings"), kRegistryOk);
    ASSERT_EQ(writer.SetDword("PacketCount", 7), kRegistryOk);
    ASSERT_EQ(writer.SetDword("PACKETCOUNT", 8), kRegistryOk);

    RegistryKey reader;
    ASSERT_EQ(reader.Open(root_, kSettings), kRegistryOk);
    uint32_t value = 0;
    EXPECT_EQ(reader.QueryDword("packetcount", value), kRegistryOk);
    EXPECT_EQ(value, 8u);
    std::vector<std::string> names;
    ASSERT_EQ(reader.QueryValueNames(names), kRegistryOk);
    EXPECT_EQ(names, std::vector<std::string>{"PacketCount"}); // the name as first written
}

TEST_F(RegistryStore, OpenCreateAndAccess)
{
    RegistryKey key;
    EXPECT_EQ(key.Open(root_, kSettings), kRegistryNotFound);
    EXPECT_FALSE(key.IsOpen());
    uint32_t value = 0;
    EXPECT_EQ(key.QueryDword("x", value), kRegistryInvalidHandle);
    EXPECT_EQ(key.SetDword("x", 1), kRegistryInvalidHandle);

    ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
    EXPECT_EQ(key.FilePath(), folder_ / "registry/software/korvath/pelagor/settings.key");
    EXPECT_EQ(key.QueryDword("x", value), kRegistryNotFound);
    ASSERT_EQ(key.SetDword("x", 1), kRegistryOk);
    // Creating an existing key keeps its values.
    ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
    EXPECT_EQ(key.QueryDword("x", value), kRegistryOk);
    EXPECT_EQ(key.DeleteValue("x"), kRegistryOk);
    EXPECT_EQ(key.DeleteValue("x"), kRegistryNotFound);

    RegistryKey reader;
    ASSERT_EQ(reader.Open(root_, kSettings), kRegistryOk);
    EXPECT_EQ(reader.SetDword("x", 2), kRegistryAccessDenied);
    EXPECT_EQ(reader.QueryDword("x", value), kRegistryNotFound);
    RegistryKey writer;
    ASSERT_EQ(writer.Open(root_, kSettings, RegistryKey::Access::ReadWrite), kRegistryOk);
    EXPECT_EQ(writer.SetDword("x", 2), kRegistryOk);
    // Queries see what others wrote since the key was opened.
    EXPECT_EQ(reader.QueryDword("x", value), kRegistryOk);
    EXPECT_EQ(value, 2u);
    reader.Close();
    EXPECT_EQ(reader.QueryDword("x", value), kRegistryInvalidHandle);
}

TEST_F(RegistryStore, QueriesByTypeAndSize)
{
    RegistryKey key;
    ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
    ASSERT_EQ(key.SetValue("buffer", RegistryType::Sz, std::string("20\0\0\0\0", 6)), kRegistryOk);
    ASSERT_EQ(key.SetDword("port", 5000), kRegistryOk);
    ASSERT_EQ(key.SetString("text", "abc"), kRegistryOk);

    RegistryValue value;
    EXPECT_EQ(key.QueryValue("buffer", 5, value), kRegistryMoreData);
    ASSERT_EQ(key.QueryValue("buffer", 6, value), kRegistryOk);
    EXPECT_EQ(value.type, RegistryType::Sz);
    EXPECT_EQ(value.data, std::string("20\0\0\0\0", 6));
    // Whatever the type: a DWORD is its 4 bytes.
    ASSERT_EQ(key.QueryValue("port", 4, value), kRegistryOk);
    EXPECT_EQ(value.type, RegistryType::Dword);
    EXPECT_EQ(value.data, Dword(5000));
    ASSERT_EQ(key.QueryValue("text", 100, value), kRegistryOk);
    EXPECT_EQ(value.data, std::string("abc\0", 4));

    uint32_t number = 0;
    std::string text;
    EXPECT_EQ(key.QueryDword("buffer", number), kRegistryUnsupportedType);
    EXPECT_EQ(key.QueryDword("text", number), kRegistryUnsupportedType);
    EXPECT_EQ(key.QueryString("port", text), kRegistryUnsupportedType);
    EXPECT_EQ(key.QueryString("buffer", text), kRegistryOk);
    EXPECT_EQ(text, "20");
    EXPECT_EQ(key.QueryDword("missing", number), kRegistryNotFound);

    EXPECT_EQ(key.SetValue("bad", RegistryType::Dword, "abc"), kRegistryInvalidParameter);
    EXPECT_EQ(key.SetValue(std::string(RegistryFile::kMaxNameBytes + 1, 'n'), RegistryType::Sz, ""),
              kRegistryInvalidParameter);
    EXPECT_EQ(key.SetValue("big", RegistryType::Sz, std::string(RegistryFile::kMaxValueBytes + 1, 'x')),
              kRegistryInvalidParameter);
}

namespace {

struct RoundTripCase {
    const char* name;
    std::string valueName;
    RegistryType type;
    std::string data;
};

void PrintTo(const RoundTripCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string AllBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

class RegistryRoundTrip : public RegistryStore, public ::testing::WithParamInterface<RoundTripCase> {};

} // namespace

TEST_P(RegistryRoundTrip, DataAndNameComeBackExactly)
{
    const RoundTripCase& c = GetParam();
    {
        RegistryKey key;
        ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
        ASSERT_EQ(key.SetDword("before", 1), kRegistryOk);
        ASSERT_EQ(key.SetValue(c.valueName, c.type, c.data), kRegistryOk);
        ASSERT_EQ(key.SetDword("after", 2), kRegistryOk);
    }
    RegistryKey key;
    ASSERT_EQ(key.Open(root_, kSettings), kRegistryOk);
    RegistryValue value;
    ASSERT_EQ(key.QueryValue(c.valueName, c.data.size(), value), kRegistryOk);
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.data, c.data);
    std::vector<std::string> names;
    ASSERT_EQ(key.QueryValueNames(names), kRegistryOk);
    EXPECT_EQ(names, (std::vector<std::string>{"before", c.valueName, "after"}));

    // The file stays plain text, one value a line.
    const std::string text = ReadText(key.FilePath());
    for (char ch : text)
        EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7F)) << static_cast<int>(ch);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryRoundTrip,
    ::testing::Values(
        RoundTripCase{"dword_zero", "v", RegistryType::Dword, Dword(0)},
        RoundTripCase{"dword_all_ones", "v", RegistryType::Dword, Dword(0xFFFFFFFF)},
        RoundTripCase{"dword_address", "bcAddress", RegistryType::Dword, Dword(0x7F0000FF)},
        RoundTripCase{"empty_string_no_zero", "v", RegistryType::Sz, ""},
        RoundTripCase{"fixed_buffer", "PacketBufferSize", RegistryType::Sz, std::string("20") + std::string(19, '\0')},
        RoundTripCase{"only_zeros", "v", RegistryType::Sz, std::string(512, '\0')},
        RoundTripCase{"every_byte", "v", RegistryType::Sz, AllBytes()},
        RoundTripCase{"zeros_inside", "v", RegistryType::Sz, std::string("a\0b\0\0c\0", 7)},
        RoundTripCase{"quotes_and_backslashes", "v", RegistryType::Sz, "bmp\\qz6e7b.bmp \"x\" \\\\ \\x41"},
        RoundTripCase{"line_breaks", "v", RegistryType::Sz, "one\ntwo\r\nthree\n"},
        RoundTripCase{"largest_value", "v", RegistryType::Sz, std::string(RegistryFile::kMaxValueBytes, '\xAF')},
        RoundTripCase{"name_with_every_byte", AllBytes(), RegistryType::Sz, "x"},
        RoundTripCase{"empty_name", "", RegistryType::Dword, Dword(5)},
        RoundTripCase{"name_like_a_comment", "# not a comment", RegistryType::Dword, Dword(5)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryStore, FileFormat)
{
    RegistryKey key;
    ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
    ASSERT_EQ(key.SetValue("PacketBufferSize", RegistryType::Sz, std::string("20") + std::string(19, '\0')),
              kRegistryOk);
    ASSERT_EQ(key.SetDword("bcAddress", 0x7F0000FF), kRegistryOk);
    ASSERT_EQ(key.SetValue("Path", RegistryType::Sz, std::string("bmp\\a \"b\"\x01\xAF\0c\0\0", 15)), kRegistryOk);
    ASSERT_EQ(key.SetDword("PacketBufferSize", 3), kRegistryOk); // a new type in the same place
    EXPECT_EQ(ReadText(key.FilePath()),
              "# Pelagor registry key \"Software\\\\Korvath\\\\Pelagor\\\\Settings\"\n"
              "dword \"PacketBufferSize\" 0x00000003\n"
              "dword \"bcAddress\" 0x7F0000FF\n"
              "sz \"Path\" 15 \"bmp\\\\a \\\"b\\\"\\x01\\xAF\\x00c\"\n");
}

namespace {

struct ParseCase {
    const char* name;
    std::string text;
    // What value "v" reads as; nullptr: missing.
    std::optional<RegistryValue> expected;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << c.name;
}

class RegistryParse : public RegistryStore, public ::testing::WithParamInterface<ParseCase> {};

RegistryValue Sz(std::string data)
{
    return RegistryValue{RegistryType::Sz, std::move(data)};
}

RegistryValue Dw(uint32_t value)
{
    return RegistryValue{RegistryType::Dword, Dword(value)};
}

} // namespace

// Each text sits between two good lines, which must read whatever the middle holds.
TEST_P(RegistryParse, LineReadsAsValueOrMissing)
{
    const ParseCase& c = GetParam();
    const std::string file = KeyFile();
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << "dword \"first\" 0x00000001\n" << c.text << "\ndword \"last\" 2\n";

    RegistryKey key;
    ASSERT_EQ(key.Open(root_, kSettings), kRegistryOk);
    RegistryValue value;
    const RegistryStatus status = key.QueryValue("v", RegistryFile::kMaxValueBytes, value);
    if (c.expected) {
        ASSERT_EQ(status, kRegistryOk);
        EXPECT_EQ(value.type, c.expected->type);
        EXPECT_EQ(value.data, c.expected->data);
    } else {
        EXPECT_EQ(status, kRegistryNotFound);
    }
    uint32_t number = 0;
    EXPECT_EQ(key.QueryDword("first", number), kRegistryOk);
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(key.QueryDword("last", number), kRegistryOk);
    EXPECT_EQ(number, 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RegistryParse,
    ::testing::Values(
        ParseCase{"hex", "dword \"v\" 0xdeadBEEF", Dw(0xDEADBEEF)},
        ParseCase{"decimal", "dword \"v\" 4294967295", Dw(0xFFFFFFFF)},
        ParseCase{"blanks_and_tabs", "dword\t \"v\"   7  \t", Dw(7)},
        ParseCase{"windows_line_end", "dword \"v\" 7\r", Dw(7)},
        ParseCase{"padding_added", "sz \"v\" 5 \"ab\"", Sz(std::string("ab\0\0\0", 5))},
        ParseCase{"later_line_holds", "dword \"v\" 1\nsz \"V\" 1 \"x\"", Sz("x")},
        ParseCase{"decimal_too_large", "dword \"v\" 4294967296", std::nullopt},
        ParseCase{"hex_too_long", "dword \"v\" 0x100000000", std::nullopt},
        ParseCase{"bad_digit", "dword \"v\" 0x12G4", std::nullopt},
        ParseCase{"negative", "dword \"v\" -1", std::nullopt},
        ParseCase{"no_number", "dword \"v\"", std::nullopt},
        ParseCase{"bare_hex_prefix", "dword \"v\" 0x", std::nullopt},
        ParseCase{"unknown_type", "qword \"v\" 1", std::nullopt},
        ParseCase{"type_in_capitals", "DWORD \"v\" 1", std::nullopt},
        ParseCase{"unquoted_name", "dword v 1", std::nullopt},
        ParseCase{"unterminated_name", "dword \"v 1", std::nullopt},
        ParseCase{"unterminated_text", "sz \"v\" 4 \"ab", std::nullopt},
        ParseCase{"text_longer_than_length", "sz \"v\" 1 \"ab\"", std::nullopt},
        ParseCase{"length_over_limit", "sz \"v\" 1048577 \"\"", std::nullopt},
        ParseCase{"huge_length", "sz \"v\" 99999999999999999999 \"\"", std::nullopt},
        ParseCase{"bad_escape", "sz \"v\" 4 \"a\\q\"", std::nullopt},
        ParseCase{"short_hex_escape", "sz \"v\" 4 \"a\\x4\"", std::nullopt},
        ParseCase{"trailing_junk", "dword \"v\" 1 2", std::nullopt},
        ParseCase{"junk_after_text", "sz \"v\" 4 \"ab\"x", std::nullopt},
        ParseCase{"binary_junk", std::string("\x00\xFF\x7F\"v\"\x01 sz", 10), std::nullopt},
        ParseCase{"comment", "# dword \"v\" 1", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryStore, CutLastLineIsDropped)
{
    const std::string file = KeyFile();
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << "dword \"first\" 0x00000001\ndword \"last\" 0x000000";

    RegistryKey key;
    ASSERT_EQ(key.Open(root_, kSettings, RegistryKey::Access::ReadWrite), kRegistryOk);
    uint32_t number = 0;
    EXPECT_EQ(key.QueryDword("first", number), kRegistryOk);
    EXPECT_EQ(key.QueryDword("last", number), kRegistryNotFound);
    // The next write leaves a whole file again.
    ASSERT_EQ(key.SetDword("next", 3), kRegistryOk);
    const std::string text = ReadText(file);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find("last"), std::string::npos);
}

TEST_F(RegistryStore, ManyLongValuesAreNotExpandedWhenRead)
{
    // Each line claims a full megabyte of zeros; only the value asked for is built.
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "sz \"v" + std::to_string(i) + "\" 1048576 \"\"\n";
    const std::string file = KeyFile();
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << text;

    RegistryKey key;
    ASSERT_EQ(key.Open(root_, kSettings), kRegistryOk);
    RegistryValue value;
    ASSERT_EQ(key.QueryValue("v19999", RegistryFile::kMaxValueBytes, value), kRegistryOk);
    EXPECT_EQ(value.data.size(), RegistryFile::kMaxValueBytes);
}

TEST_F(RegistryStore, WhatIsNoKeyFile)
{
    const std::string file = KeyFile();
    fs::create_directories(file); // a folder in place of the key's file
    RegistryKey key;
    EXPECT_EQ(key.Open(root_, kSettings), kRegistryNotFound);
    EXPECT_NE(key.Create(root_, kSettings), kRegistryOk);
    EXPECT_FALSE(key.IsOpen());
    fs::remove(file);

    // A pipe must not stall the open.
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(key.Open(root_, kSettings), kRegistryNotFound);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    fs::remove(file);

    // Larger than any key file of ours (sparse, so it costs no disk).
    { std::ofstream(file, std::ios::binary) << "dword \"v\" 1\n"; }
    fs::resize_file(file, (size_t{16} << 20) + 1);
    EXPECT_EQ(key.Open(root_, kSettings), kRegistryCantRead);
}

TEST_F(RegistryStore, WritesLeaveNoTemporaryFile)
{
    RegistryKey key;
    ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
    for (uint32_t i = 0; i < 5; ++i)
        ASSERT_EQ(key.SetDword("v" + std::to_string(i), i), kRegistryOk);
    EXPECT_EQ(FilesBelow(folder_.Path()), std::vector<std::string>{"registry/software/korvath/pelagor/settings.key"});
    struct stat status {};
    ASSERT_EQ(::stat(key.FilePath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(RegistryStore, UnchangedValueIsNotRewritten)
{
    RegistryKey key;
    ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
    ASSERT_EQ(key.SetDword("v", 1), kRegistryOk);
    struct stat before {};
    ASSERT_EQ(::stat(key.FilePath().c_str(), &before), 0);
    ASSERT_EQ(key.SetDword("v", 1), kRegistryOk);
    struct stat after {};
    ASSERT_EQ(::stat(key.FilePath().c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    ASSERT_EQ(key.SetDword("v", 2), kRegistryOk);
    ASSERT_EQ(::stat(key.FilePath().c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
}

TEST_F(RegistryStore, FailedWritesAreReportedAndLeaveNothing)
{
    // A file where the key's folder belongs.
    folder_.Write("registry/software/korvath", "not a folder");
    RegistryKey key;
    EXPECT_EQ(key.Create(root_, kSettings), kRegistryPathNotFound);
    EXPECT_EQ(FilesBelow(folder_.Path()), std::vector<std::string>{"registry/software/korvath"});

    // The key's file taken away while the key is open: no value is written, none recreated.
    ASSERT_EQ(key.Create(root_, "Software\\Other"), kRegistryOk);
    fs::remove(key.FilePath());
    EXPECT_EQ(key.SetDword("v", 1), kRegistryKeyDeleted);
    EXPECT_FALSE(fs::exists(key.FilePath()));

    // A folder put in place of the file.
    ASSERT_EQ(key.Create(root_, "Software\\Third"), kRegistryOk);
    fs::remove(key.FilePath());
    fs::create_directory(key.FilePath());
    EXPECT_NE(key.SetDword("v", 1), kRegistryOk);
    EXPECT_TRUE(fs::is_directory(key.FilePath()));
    EXPECT_FALSE(HasTemporaryFile(folder_.Path()));
}

TEST_F(RegistryStore, ReadOnlyFolderRefusesWritesAndKeepsTheOldFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "this user writes into read-only folders";
    RegistryKey key;
    ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
    ASSERT_EQ(key.SetDword("v", 1), kRegistryOk);
    const std::string before = ReadText(key.FilePath());
    const fs::path folder = fs::path(key.FilePath()).parent_path();
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(key.SetDword("v", 2), kRegistryAccessDenied);
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(ReadText(key.FilePath()), before);
    EXPECT_FALSE(HasTemporaryFile(folder_.Path()));
}

TEST(RegistryCurrentUser, FolderFromTheEnvironment)
{
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "/home/u/cfg");
        EXPECT_EQ(RegistryRoot::CurrentUser().Folder(), "/home/u/cfg/pelagor/registry/");
    }
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", "relative/cfg"); // not absolute: ignored
        ScopedEnvironment home("HOME", "/home/u");
        EXPECT_EQ(RegistryRoot::CurrentUser().Folder(), "/home/u/.config/pelagor/registry/");
    }
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
        ScopedEnvironment home("HOME", nullptr);
        const RegistryRoot nowhere = RegistryRoot::CurrentUser();
        EXPECT_EQ(nowhere.Folder(), "");
        EXPECT_FALSE(nowhere.KeyFile(kSettings));
        RegistryKey key;
        EXPECT_EQ(key.Open(nowhere, kSettings), kRegistryNotFound);
        EXPECT_EQ(key.Create(nowhere, kSettings), kRegistryPathNotFound);
    }
}

TEST_F(RegistryStore, CreateMakesTheConfigurationFolder)
{
    ScopedEnvironment config("XDG_CONFIG_HOME", (folder_ / "not/yet").c_str());
    RegistryKey key;
    ASSERT_EQ(key.Create(RegistryRoot::CurrentUser(), kSettings), kRegistryOk);
    EXPECT_TRUE(fs::is_regular_file(folder_ / "not/yet/pelagor/registry/software/korvath/pelagor/settings.key"));
}

TEST_F(RegistryStore, ConcurrentWritersLoseNothingAndReadersAlwaysFindTheKey)
{
    constexpr int kWrites = 40;
    {
        RegistryKey key;
        ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
        ASSERT_EQ(key.SetString("seed", "kept"), kRegistryOk);
    }
    std::atomic<bool> writing{true};
    std::atomic<int> failedReads{0};
    auto writer = [&](const std::string& prefix) {
        RegistryKey key;
        if (key.Create(root_, kSettings) != kRegistryOk)
            return;
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(key.SetDword(prefix + std::to_string(i), static_cast<uint32_t>(i)), kRegistryOk);
            EXPECT_EQ(key.SetString("shared", prefix + std::to_string(i)), kRegistryOk);
        }
    };
    std::thread reader([&] {
        RegistryKey key;
        if (key.Open(root_, kSettings) != kRegistryOk) {
            ++failedReads;
            return;
        }
        std::string text;
        while (writing.load()) {
            if (key.QueryString("seed", text) != kRegistryOk || text != "kept")
                ++failedReads;
        }
    });
    std::thread a(writer, "a");
    std::thread b(writer, "b");
    a.join();
    b.join();
    writing = false;
    reader.join();
    EXPECT_EQ(failedReads.load(), 0);

    RegistryKey key;
    ASSERT_EQ(key.Open(root_, kSettings), kRegistryOk);
    std::vector<std::string> names;
    ASSERT_EQ(key.QueryValueNames(names), kRegistryOk);
    EXPECT_EQ(names.size(), 2u + 2u * kWrites);
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kWrites; ++i) {
            uint32_t value = 0;
            EXPECT_EQ(key.QueryDword(prefix + std::to_string(i), value), kRegistryOk) << prefix << i;
            EXPECT_EQ(value, static_cast<uint32_t>(i));
        }
    }
    std::string shared;
    ASSERT_EQ(key.QueryString("shared", shared), kRegistryOk);
    EXPECT_TRUE(shared == "a" + std::to_string(kWrites - 1) || shared == "b" + std::to_string(kWrites - 1)) << shared;
    EXPECT_FALSE(HasTemporaryFile(folder_.Path()));
}

TEST_F(RegistryStore, WritersInTwoProcessesLoseNothing)
{
    constexpr int kWrites = 30;
    {
        RegistryKey key;
        ASSERT_EQ(key.Create(root_, kSettings), kRegistryOk);
    }
    std::vector<pid_t> children;
    for (const char* prefix : {"p", "q"}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegistryKey key;
            bool ok = key.Open(root_, kSettings, RegistryKey::Access::ReadWrite) == kRegistryOk;
            for (int i = 0; ok && i < kWrites; ++i)
                ok = key.SetDword(prefix + std::to_string(i), static_cast<uint32_t>(i)) == kRegistryOk;
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    RegistryKey key;
    ASSERT_EQ(key.Open(root_, kSettings), kRegistryOk);
    std::vector<std::string> names;
    ASSERT_EQ(key.QueryValueNames(names), kRegistryOk);
    EXPECT_EQ(names.size(), 2u * kWrites);
}
