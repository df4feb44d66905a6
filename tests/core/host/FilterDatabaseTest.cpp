#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/host/FilterDatabase.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Unprivileged.h"

namespace fs = std::filesystem;
using Filters = std::map<std::string, std::vector<std::string>>;
using Names = std::vector<std::string>;

namespace {

using testsupport::ExpectAsUnprivileged;
using testsupport::Report;

Filters Contents(const FilterDatabase& database)
{
    Filters filters;
    for (const std::string& name : database.Names())
        filters[name] = *database.Rows(name);
    return filters;
}

void Fill(FilterDatabase& database, const Filters& filters)
{
    database.Clear();
    for (const auto& [name, rows] : filters)
        database.Store(name, rows);
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Names FolderEntries(const fs::path& folder)
{
    Names entries;
    for (const auto& entry : fs::directory_iterator(folder))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The {path} in an expected message stands for the file's path.
std::string WithPath(std::string text, const std::string& path)
{
    const std::string mark = "{path}";
    if (const size_t at = text.find(mark); at != std::string::npos)
        text.replace(at, mark.size(), path);
    return text;
}

// A literal that may hold NUL bytes.
template <size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

std::string Text(size_t length, char c = 'x')
{
    return std::string(length, c);
}

struct CheckCase {
    const char* title;
    std::vector<std::string> rows;
    std::string expected;
};

TEST(FilterDatabaseChecks, RowsAreRefusedWhenAddOrTheFileCannotHoldThem)
{
    const std::vector<CheckCase> cases = {
        {"no rows", {}, "No filter defined."},
        {"the empty text", {""}, ""},
        {"999 characters", {Text(999)}, ""},
        {"1000 characters", {Text(1000)}, "Filter Condition to long."},
        {"999 + 999", {Text(999), Text(999)}, ""},
        {"999 + 999 + 1", {Text(999), Text(999), "x"}, ""},
        {"999 + 999 + 2", {Text(999), Text(999), "xx"}, "Filter to long."},
        {"999 + 1000", {Text(999), Text(1000)}, "Filter Condition to long."},
        {"empty last row", {"SRC=1", ""},
         "Row 2 of the filter is empty: a filter file cannot hold an empty row."},
        {"empty first row", {"", "SRC=1"},
         "Row 1 of the filter is empty: a filter file cannot hold an empty row."},
        {"comment", {"SRC=1", "#SRC=2"},
         "Row 2 of the filter starts with '#': a filter file reads such a line as a comment."},
        {"'#' inside", {" #SRC=2", "A=#"}, ""},
        {"'['", {"A=[1"}, "Row 1 of the filter holds '[': a filter file reads such a line as a filter name."},
        {"']'", {"A=]1"}, ""},
        {"CR", {"A=1\rB=2"}, "Row 1 of the filter holds a line break."},
        {"LF", {"A=1", "A=1\nB=2"}, "Row 2 of the filter holds a line break."},
        {"NUL", {Bytes("A=1\0")}, "Row 1 of the filter holds a NUL character."},
        {"blanks, tabs and high bytes", {" \tA=\xe9\xff ;\x01"}, ""},
    };
    for (const CheckCase& c : cases)
        EXPECT_EQ(FilterDatabase::CheckRows(c.rows), c.expected) << c.title;
}

TEST(FilterDatabaseChecks, NamesAreRefusedWhenEmptyOrTheFileCannotHoldThem)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "You have to give a Filter name."},
        {"A", ""},
        {Text(254), ""},
        {Text(255), "The filter name is longer than 254 characters."},
        {"a]b", "The filter name holds ']': a filter file ends the name there."},
        {"a\rb", "The filter name holds a line break."},
        {"a\nb", "The filter name holds a line break."},
        {Bytes("a\0b"), "The filter name holds a NUL character."},
        // The header name runs from the first '[' to the next ']', so '[' reads back.
        {"[a[b", ""},
        {"#x", ""},
        {" \tA \xe9", ""},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(FilterDatabase::CheckName(name), expected) << name;
}

TEST(FilterDatabaseStore, EmptyTextGivesOneEmptyRowAndStoreReplaces)
{
    FilterDatabase database;
    database.Store("B", {"X=1"});
    database.Store("A", {});
    database.Store("E", {""});
    database.Store("B", {"X=2", "Y=3"});
    EXPECT_EQ(database.Names(), (Names{"A", "B", "E"}));
    EXPECT_EQ(Contents(database), (Filters{{"A", {""}}, {"B", {"X=2", "Y=3"}}, {"E", {""}}}));
    EXPECT_EQ(database.Rows("C"), std::nullopt);
    EXPECT_TRUE(database.Remove("A"));
    EXPECT_FALSE(database.Remove("A"));
    EXPECT_FALSE(database.Contains("A"));
    EXPECT_EQ(database.Size(), 2u);
    database.Clear();
    EXPECT_EQ(database.Size(), 0u);
}

TEST(FilterDatabaseSave, WritesHeadersAndRowsSortedByNameWithCrLf)
{
    testsupport::TempFolder folder;
    FilterDatabase database;
    database.Store("B", {"X=1"});
    database.Store("A", {"SRC=1", "DST=2"});
    std::string message = "old";
    ASSERT_TRUE(database.Save(folder / "f.pft", &message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(FileBytes(folder / "f.pft"), "[A]\r\nSRC=1\r\nDST=2\r\n[B]\r\nX=1\r\n");

    // An empty text writes its header alone; Save replaces what the file held.
    database.Store("C", {""});
    ASSERT_TRUE(database.Save(folder / "f.pft", &message));
    EXPECT_EQ(FileBytes(folder / "f.pft"), "[A]\r\nSRC=1\r\nDST=2\r\n[B]\r\nX=1\r\n[C]\r\n");
    EXPECT_EQ(FolderEntries(folder.Path()), (Names{"f.pft"}));

    FilterDatabase empty;
    ASSERT_TRUE(empty.Save(folder / "f.pft", &message));
    EXPECT_EQ(FileBytes(folder / "f.pft"), "");
}

struct ReadCase {
    const char* title;
    std::string bytes;
    Names names;
    Filters filters;
    std::string message;
};

std::vector<ReadCase> OpenCases()
{
    const std::string limitRows = Text(999) + "\n" + Text(999, 'y') + "\n";
    return {
        {"written file", "[A]\r\nSRC=1\r\nDST=2\r\n[B]\r\nX=1\r\n", {"A", "B"},
         {{"A", {"SRC=1", "DST=2"}}, {"B", {"X=1"}}}, ""},
        {"LF line ends", "[A]\nSRC=1\nDST=2\n[B]\nX=1\n", {"A", "B"},
         {{"A", {"SRC=1", "DST=2"}}, {"B", {"X=1"}}}, ""},
        {"comment and empty line", "# note\n[A]\n\nSRC=1\n", {"A"}, {{"A", {"SRC=1"}}}, ""},
        {"header inside a line", "xx[A]yy\nR\n", {"A"}, {{"A", {"R"}}}, ""},
        {"name to the next ']' after the first '['", "x]y[A]z]\r\nR\r\n", {"A"}, {{"A", {"R"}}}, ""},
        {"'[' inside a name", "[A[B]\nR\n", {"A[B"}, {{"A[B", {"R"}}}, ""},
        {"'#' first makes a comment of a header", "#[A]\nR\n", {}, {}, ""},
        {"no header", "R1\nR2\n", {}, {}, ""},
        {"rows before the first header", "R1\n[A]\nR2\n[B]\nR3", {"A", "B"},
         {{"A", {"R1", "R2"}}, {"B", {"R3"}}}, ""},
        {"empty name and empty texts", "[]\n[A]\n", {"", "A"}, {{"", {""}}, {"A", {""}}}, ""},
        {"a name twice keeps the later filter, listed once", "[A]\nX\n[B]\nY\n[A]\nZ\n", {"A", "B"},
         {{"A", {"Z"}}, {"B", {"Y"}}}, ""},
        {"lone CR ends a line", "[A]\rX\r\r\nY\n\r\n", {"A"}, {{"A", {"X", "Y"}}}, ""},
        {"blanks, tabs and high bytes kept", "[ A ]\n\tX=1 \n\xe9\xff\n", {" A "},
         {{" A ", {"\tX=1 ", "\xe9\xff"}}}, ""},
        {"999 + 999", "[A]\n" + limitRows, {"A"}, {{"A", {Text(999), Text(999, 'y')}}}, ""},
        {"254-character name", "[" + Text(254) + "]\nR\n", {Text(254)}, {{Text(254), {"R"}}}, ""},
        {"65536-character comment", "#" + Text(65535) + "\n[A]\nR\n", {"A"}, {{"A", {"R"}}}, ""},
        {"rows beyond the limits before any header", Text(1000) + "\n", {}, {}, ""},

        {"bad header at the end", "[A]\nX\n[B]\nY\n[Q", {"A", "B"}, {{"A", {"X"}}, {"B", {"Y"}}},
         "Invalid Filter name: Q"},
        {"bad header completes the filter before it", "[A]\nX\n[Q\n", {"A"}, {{"A", {"X"}}},
         "Invalid Filter name: Q"},
        {"bad header drops the rest", "[A]\nX\n[B]\nY\n[Q rest\n[C]\nZ\n", {"A", "B"},
         {{"A", {"X"}}, {"B", {"Y"}}}, "Invalid Filter name: Q rest"},
        {"NUL byte", Bytes("[A]\nX\n[B]\nY\0Z\n[C]\nW\n"), {"A"}, {{"A", {"X"}}},
         "Reading of {path} stopped at line 4: the line holds a NUL character."},
        {"UTF-16 file", Bytes("\xff\xfe[\0A\0]\0\n\0"), {}, {},
         "Reading of {path} stopped at line 1: the line holds a NUL character."},
        {"1000-character row", "[A]\nX\n[B]\n" + Text(1000) + "\n[C]\nW\n", {"A"}, {{"A", {"X"}}},
         "Reading of {path} stopped at line 4: filter [B]: Filter Condition to long."},
        {"999 + 999 + 2", "[A]\nX\n[B]\n" + limitRows + "zz\n", {"A"}, {{"A", {"X"}}},
         "Reading of {path} stopped at line 6: filter [B]: Filter to long."},
        {"255-character name", "[A]\nX\n[" + Text(255) + "]\nY\n", {"A"}, {{"A", {"X"}}},
         "Reading of {path} stopped at line 3: filter [" + Text(40) +
             "...]: The filter name is longer than 254 characters."},
        {"rows beyond the limits before the first header", "R\n" + Text(1000) + "\n[A]\nX\n", {}, {},
         "Reading of {path} stopped at line 2: filter [A]: Filter Condition to long."},
        {"65537-character line", "[A]\nX\n[B]\n" + Text(65537, '#') + "\n", {"A"}, {{"A", {"X"}}},
         "Reading of {path} stopped at line 4: the line is longer than 65536 characters."},
    };
}

TEST(FilterDatabaseRead, OpenReplacesTheDatabaseByTheFilesFilters)
{
    testsupport::TempFolder folder;
    const std::string path = folder / "f.pft";
    for (const ReadCase& c : OpenCases()) {
        folder.Write("f.pft", c.bytes);
        FilterDatabase database;
        database.Store("Old", {"X=9"});
        Names names = {"stale"};
        std::string message = "stale";
        EXPECT_TRUE(database.Read(path, false, &names, &message)) << c.title;
        EXPECT_EQ(names, c.names) << c.title;
        EXPECT_EQ(Contents(database), c.filters) << c.title;
        EXPECT_EQ(message, WithPath(c.message, path)) << c.title;
    }
}

struct MergeCase {
    const char* title;
    Filters stored;
    std::string bytes;
    Names names;
    Filters filters;
    std::string message;
};

TEST(FilterDatabaseRead, MergeRenamesOnAClashAndDropsTextsStoredAlready)
{
    const std::string n253 = Text(253, 'n');
    const std::string n254 = Text(254, 'n');
    const std::vector<MergeCase> cases = {
        {"new name", {{"A", {"X=1"}}}, "[B]\nX=2\n", {"B"}, {{"A", {"X=1"}}, {"B", {"X=2"}}}, ""},
        {"A becomes A0", {{"A", {"X=1"}}}, "[A]\nX=2\n", {"A0"}, {{"A", {"X=1"}}, {"A0", {"X=2"}}}, ""},
        {"A becomes A01", {{"A", {"X=1"}}, {"A0", {"X=2"}}}, "[A]\nX=3\n", {"A01"},
         {{"A", {"X=1"}}, {"A0", {"X=2"}}, {"A01", {"X=3"}}}, ""},
        {"A becomes A012", {{"A", {"X=1"}}, {"A0", {"X=2"}}, {"A01", {"X=3"}}}, "[A]\nX=4\n", {"A012"},
         {{"A", {"X=1"}}, {"A0", {"X=2"}}, {"A01", {"X=3"}}, {"A012", {"X=4"}}}, ""},
        {"equal text under another name", {{"A", {"X=1", "Y=2"}}}, "[B]\nX=1\nY=2\n", {},
         {{"A", {"X=1", "Y=2"}}}, ""},
        {"equal text under the same name", {{"A", {"X=1"}}}, "[A]\nX=1\n", {}, {{"A", {"X=1"}}}, ""},
        {"duplicates inside the file", {}, "[A]\nX=1\n[A]\nX=2\n[B]\nX=1\n[A]\nX=2\n", {"A", "A0"},
         {{"A", {"X=1"}}, {"A0", {"X=2"}}}, ""},
        {"stored texts lose their trailing line ends", {{"A", {"X=1", ""}}}, "[B]\nX=1\n", {},
         {{"A", {"X=1"}}}, ""},
        {"empty name", {{"", {"X=1"}}}, "[]\nX=2\n[]\n[]\n", {"0", "01"},
         {{"", {"X=1"}}, {"0", {"X=2"}}, {"01", {""}}}, ""},
        {"renamed to 254 characters", {{n253, {"X=1"}}}, "[" + n253 + "]\nX=2\n", {n253 + "0"},
         {{n253, {"X=1"}}, {n253 + "0", {"X=2"}}}, ""},
        {"renamed past 254 characters", {{n254, {"X=1"}}}, "[C]\nZ\n[" + n254 + "]\nX=2\n[D]\nY\n", {"C"},
         {{n254, {"X=1"}}, {"C", {"Z"}}},
         "Reading of {path} stopped at line 3: filter [" + Text(40, 'n') +
             "...]: its name would be longer than 254 characters after renaming it to keep it apart from the "
             "stored filters."},
        {"bad header", {{"A", {"X=1"}}}, "[A]\nX=2\n[B\n", {"A0"}, {{"A", {"X=1"}}, {"A0", {"X=2"}}},
         "Invalid Filter name: B"},
    };
    testsupport::TempFolder folder;
    const std::string path = folder / "m.pft";
    for (const MergeCase& c : cases) {
        folder.Write("m.pft", c.bytes);
        FilterDatabase database;
        Fill(database, c.stored);
        Names names;
        std::string message;
        EXPECT_TRUE(database.Read(path, true, &names, &message)) << c.title;
        EXPECT_EQ(names, c.names) << c.title;
        EXPECT_EQ(Contents(database), c.filters) << c.title;
        EXPECT_EQ(message, WithPath(c.message, path)) << c.title;
    }
}

// Every name and row the checks allow: each byte value at the start, inside and at the end,
// and the limits.
Filters EveryAllowedFilter()
{
    Filters filters;
    for (int value = 1; value < 256; ++value) {
        const char c = static_cast<char>(value);
        const std::string name = std::string(1, c).append("-").append(std::to_string(value)) + c;
        if (!FilterDatabase::CheckName(name).empty())
            continue;
        std::vector<std::string> rows = {std::string(1, c) + "=" + c, std::string("x") + c};
        if (!FilterDatabase::CheckRows({rows[0]}).empty())
            rows.erase(rows.begin());
        if (!FilterDatabase::CheckRows(rows).empty())
            rows = {"x"};
        filters[name] = rows;
    }
    filters[Text(254, 'n')] = {Text(999), Text(999, 'y'), "z"};
    filters["rows"] = std::vector<std::string>(1999, "r");
    filters["empty"] = {""};
    filters[""] = {"the empty name"};
    return filters;
}

TEST(FilterDatabaseRoundTrip, WhatTheChecksAllowComesBackFromSaveAndOpen)
{
    const Filters filters = EveryAllowedFilter();
    ASSERT_GT(filters.size(), 250u);
    // Only CR, LF and ']' are kept out of names; '[' and '#' are tried in names and rows.
    EXPECT_TRUE(filters.count("[-91[") == 1 && filters.count("#-35#") == 1);
    for (const auto& [name, rows] : filters) {
        EXPECT_TRUE(name.empty() || FilterDatabase::CheckName(name).empty()) << name;
        EXPECT_EQ(FilterDatabase::CheckRows(rows), "") << name;
    }
    testsupport::TempFolder folder;
    const std::string path = folder / "all.pft";
    FilterDatabase saved;
    Fill(saved, filters);
    std::string message;
    ASSERT_TRUE(saved.Save(path, &message)) << message;

    FilterDatabase opened;
    opened.Store("Old", {"X=9"});
    Names names;
    ASSERT_TRUE(opened.Read(path, false, &names, &message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(Contents(opened), filters);
    EXPECT_EQ(names, opened.Names()); // the file is in name order

    // Merging a database's own file adds nothing: every text is stored already.
    ASSERT_TRUE(opened.Read(path, true, &names, &message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(names, Names{});
    EXPECT_EQ(Contents(opened), filters);
}

TEST(FilterDatabaseRead, AMillionNamesStopAtTheFilterLimit)
{
    testsupport::TempFolder folder;
    std::string bytes;
    for (int i = 0; i < 1000000; ++i)
        bytes.append("[").append(std::to_string(i)).append("]\n");
    const std::string path = folder.Write("many.pft", bytes);
    FilterDatabase database;
    Names names;
    std::string message;
    ASSERT_TRUE(database.Read(path, false, &names, &message));
    EXPECT_EQ(database.Size(), FilterDatabase::kMaxFilters);
    EXPECT_EQ(names.size(), FilterDatabase::kMaxFilters);
    EXPECT_EQ(message,
              "Reading of " + path + " stopped at line 10001: the filter database cannot hold more than 10000 filters.");

    // Merging counts the stored filters too; a full database refuses to be saved.
    database.Store("extra", {"X=1"});
    const std::string more = folder.Write("more.pft", "[new]\nX=2\n");
    ASSERT_TRUE(database.Read(more, true, &names, &message));
    EXPECT_EQ(names, Names{});
    EXPECT_EQ(message, "Reading of " + more + " stopped at line 1: the filter database cannot hold more than 10000 filters.");
    EXPECT_FALSE(database.Save(folder / "full.pft", &message));
    EXPECT_EQ(message, "The filter database holds 10001 filters; a filter file holds at most 10000.");
    EXPECT_FALSE(fs::exists(folder / "full.pft"));
}

TEST(FilterDatabaseRead, AFileLargerThanTheLimitStops)
{
    testsupport::TempFolder folder;
    const std::string head = "[A]\nX\n[B]\n";
    std::string bytes = head + std::string(FilterDatabase::kMaxFileSize - head.size(), '\n');
    const std::string path = folder.Write("big.pft", bytes);
    FilterDatabase database;
    Names names;
    std::string message;
    ASSERT_TRUE(database.Read(path, false, &names, &message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(Contents(database), (Filters{{"A", {"X"}}, {"B", {""}}}));

    bytes += "\n";
    folder.Write("big.pft", bytes);
    ASSERT_TRUE(database.Read(path, false, &names, &message));
    const size_t lines = FilterDatabase::kMaxFileSize - head.size() + 3;
    EXPECT_EQ(message, "Reading of " + path + " stopped at line " + std::to_string(lines + 1) +
                           ": the file is larger than 67108864 bytes.");
    EXPECT_EQ(Contents(database), (Filters{{"A", {"X"}}}));
}

TEST(FilterDatabaseRead, AFileThatCannotBeOpenedChangesNothing)
{
    testsupport::TempFolder folder;
    fs::create_directory(folder / "folder.pft");
    for (const std::string& path : {folder / "missing.pft", folder / "folder.pft"}) {
        for (const bool merge : {false, true}) {
            FilterDatabase database;
            database.Store("Old", {"X=9"});
            Names names = {"stale"};
            std::string message;
            EXPECT_FALSE(database.Read(path, merge, &names, &message)) << path;
            EXPECT_EQ(message, "Not able to open table: " + path);
            EXPECT_EQ(names, Names{});
            EXPECT_EQ(Contents(database), (Filters{{"Old", {"X=9"}}}));
        }
    }

    const std::string locked = folder.Write("locked.pft", "[A]\nX\n");
    fs::permissions(locked, fs::perms::none);
    ExpectAsUnprivileged(folder.Path(), [&] {
        FilterDatabase database;
        database.Store("Old", {"X=9"});
        Names names;
        std::string message;
        return Report(!database.Read(locked, false, &names, &message), "read") &&
               Report(message == "Not able to open table: " + locked, message) &&
               Report(Contents(database) == Filters{{"Old", {"X=9"}}}, "database changed");
    });
}

// A file that opens but fails to read stops the reading with the system's text.
TEST(FilterDatabaseRead, AReadErrorStops)
{
    const std::string path = "/proc/self/mem"; // reading at address 0 fails
    if (!fs::exists(path))
        GTEST_SKIP() << "no " << path;
    FilterDatabase database;
    database.Store("Old", {"X=9"});
    Names names;
    std::string message;
    EXPECT_TRUE(database.Read(path, false, &names, &message));
    EXPECT_EQ(message, "Reading of /proc/self/mem stopped at line 1: Input/output error");
    EXPECT_EQ(database.Size(), 0u);
}

class FilterDatabaseSaveFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        database_.Store("A", {"SRC=1", "DST=2"});
        database_.Store("B", {"X=1"});
    }

    // Save fails with message, and path still holds what it held before.
    void ExpectFailure(const std::string& path, const std::string& message)
    {
        const bool existed = fs::exists(path);
        const std::string before = existed && fs::is_regular_file(path) ? FileBytes(path) : "";
        std::string got;
        EXPECT_FALSE(database_.Save(path, &got)) << path;
        EXPECT_EQ(got, message);
        EXPECT_EQ(fs::exists(path), existed);
        if (existed && fs::is_regular_file(path)) {
            EXPECT_EQ(FileBytes(path), before);
        }
    }

    testsupport::TempFolder folder_;
    FilterDatabase database_;
};

TEST_F(FilterDatabaseSaveFailure, NoPlaceForTheFile)
{
    const std::string path = folder_ / "missing/f.pft";
    ExpectFailure(path, "Not able to open table: " + path);
    EXPECT_FALSE(fs::exists(folder_ / "missing"));
    const std::string underFile = folder_.Write("file", "") + "/f.pft";
    ExpectFailure(underFile, "Not able to open table: " + underFile);
    ExpectFailure(folder_.Path().string() + "/", "Not able to open table: " + folder_.Path().string() + "/");
    ExpectFailure("", "Not able to open table: ");
    EXPECT_EQ(FolderEntries(folder_.Path()), Names{"file"});
}

TEST_F(FilterDatabaseSaveFailure, ReadOnlyPlaces)
{
    // A file system that takes no new file, whoever asks.
    if (fs::is_directory("/proc/self"))
        ExpectFailure("/proc/self/f.pft", "Not able to open table: /proc/self/f.pft");

    const std::string inFolder = folder_.Write("ro/f.pft", "[Old]\r\n");
    fs::permissions(folder_ / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string lockedFile = folder_.Write("f.pft", "[Old]\r\n");
    fs::permissions(lockedFile, fs::perms::owner_read);
    ExpectAsUnprivileged(folder_.Path(), [&] {
        std::string message;
        bool ok = true;
        // A file its owner made read-only is not replaced behind its back either.
        for (const std::string& path : {inFolder, lockedFile}) {
            ok = Report(!database_.Save(path, &message), "saved " + path) &&
                 Report(message == "Not able to open table: " + path, message) &&
                 Report(FileBytes(path) == "[Old]\r\n", "changed " + path) && ok;
        }
        return ok && Report(FolderEntries(folder_ / "ro") == Names{"f.pft"}, "left a file") &&
               Report(FolderEntries(folder_.Path()) == (Names{"f.pft", "ro"}), "left a file");
    });
}

TEST_F(FilterDatabaseSaveFailure, FullDevice)
{
    struct stat info {};
    if (::stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode))
        GTEST_SKIP() << "no /dev/full";
    ExpectFailure("/dev/full", "Not able to write table: /dev/full\nNo space left on device");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// A write that fails half-way (here at the file-size limit, as on a full disk) keeps the old file.
TEST_F(FilterDatabaseSaveFailure, WriteFailsHalfWay)
{
    const std::string path = folder_.Write("f.pft", "[Old]\r\nX=9\r\n");
    std::string message;
    bool saved;
    {
        testsupport::FileSizeLimit limit(8);
        ASSERT_TRUE(limit.Active());
        saved = database_.Save(path, &message);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(message, "Not able to write table: " + path + "\nFile too large");
    EXPECT_EQ(FileBytes(path), "[Old]\r\nX=9\r\n");
    EXPECT_EQ(FolderEntries(folder_.Path()), Names{"f.pft"});
}

TEST_F(FilterDatabaseSaveFailure, RenameOverAFolder)
{
    const std::string path = folder_ / "folder.pft";
    fs::create_directory(path);
    ExpectFailure(path, "Not able to replace table: " + path + "\nIs a directory");
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(FolderEntries(folder_.Path()), Names{"folder.pft"});
}

TEST_F(FilterDatabaseSaveFailure, FilterTheFileCannotHold)
{
    const std::string path = folder_.Write("f.pft", "[Old]\r\n");
    database_.Store("a]b", {"X=1"});
    ExpectFailure(path, "The filter [a]b] cannot be saved: The filter name holds ']': a filter file ends the name there.");
    database_.Remove("a]b");
    database_.Store("C", {"X=1", ""});
    ExpectFailure(path,
                  "The filter [C] cannot be saved: Row 2 of the filter is empty: a filter file cannot hold an empty row.");
}

TEST(FilterDatabaseSave, KeepsALinkAndTheFilesMode)
{
    testsupport::TempFolder folder;
    const std::string real = folder.Write("real.pft", "[Old]\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string link = folder.Link("link.pft", real);
    FilterDatabase database;
    database.Store("A", {"X=1"});
    std::string message;
    ASSERT_TRUE(database.Save(link, &message)) << message;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(FileBytes(real), "[A]\r\nX=1\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderEntries(folder.Path()), (Names{"link.pft", "real.pft"}));
}

} // namespace
