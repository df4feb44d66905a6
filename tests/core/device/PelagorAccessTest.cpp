#include <gtest/gtest.h>

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "core/device/PelagorAccess.h"

namespace {

std::mutex messagesMutex;
std::vector<std::string> messages;

void RecordMessage(const char* text)
{
    std::lock_guard lock(messagesMutex);
    messages.emplace_back(text);
}

// A derived access that reports, to see where its reports go.
class ReportingAccess : public PelagorAccess {
public:
    using PelagorAccess::PelagorAccess;
    void Report(const std::string& text) { ReportError(text); }
};

// ---- Chip firmware path ---------------------------------------------------------------------

struct PathCase {
    const char* name;
    int folderLength; // including its trailing '/'
    int fileLength;
    bool accepted;
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.name;
}

// A folder of exactly length characters ending in '/', and a file name of length characters.
std::string FolderOf(int length)
{
    std::string folder(static_cast<size_t>(length), 'f');
    folder.front() = '/';
    folder.back() = '/';
    return folder;
}

std::string FileOf(int length)
{
    return std::string(static_cast<size_t>(length - 4), 'n') + ".hex";
}

class FirmwarePathTest : public testing::TestWithParam<PathCase> {
protected:
    void SetUp() override
    {
        std::lock_guard lock(messagesMutex);
        messages.clear();
    }
};

TEST_P(FirmwarePathTest, FullPathIsLimitedTo260Characters)
{
    const PathCase& c = GetParam();
    const std::string folder = FolderOf(c.folderLength);
    const std::string file = FileOf(c.fileLength);
    PelagorAccess access("/board/", folder.c_str());
    access.SetMessageCallback(&RecordMessage);

    ASSERT_EQ(access.SetFirmwareFile(file.c_str()), c.accepted);

    if (c.accepted) {
        EXPECT_EQ(access.ChipFirmwarePath(), folder + file);
        EXPECT_STREQ(access.ErrorText(), "");
    } else {
        EXPECT_STREQ(access.ChipFirmwarePath(), "");
        EXPECT_EQ(access.ErrorText(),
                  "The full path name to the \"FW\" file exceeds the maximum of 260 characters:\n" + folder + file);
    }
    // The engine shows this error itself.
    std::lock_guard lock(messagesMutex);
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Boundary, FirmwarePathTest,
                         testing::Values(PathCase{"Exactly260", 200, 60, true},
                                         PathCase{"Exactly261", 200, 61, false},
                                         PathCase{"LongFolderExactly260", 255, 5, true},
                                         PathCase{"LongFolderExactly261", 256, 5, false},
                                         // Kept whole, an over-long folder can never make an accepted path.
                                         PathCase{"FolderAlone261", 261, 5, false},
                                         PathCase{"Short", 10, 10, true}),
                         [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST(FirmwarePath, BackslashesInTheNameBecomeSeparators)
{
    PelagorAccess access("/board/", "/opt/chip\\firmware\\");
    ASSERT_TRUE(access.SetFirmwareFile("QZ6F1C\\capture.hex"));
    EXPECT_STREQ(access.ChipFirmwarePath(), "/opt/chip/firmware/QZ6F1C/capture.hex");
}

TEST(FirmwarePath, AFolderWithoutItsSeparatorStillJoins)
{
    PelagorAccess access("/board/", "/opt/chip");
    ASSERT_TRUE(access.SetFirmwareFile("capture.hex"));
    EXPECT_STREQ(access.ChipFirmwarePath(), "/opt/chip/capture.hex");
}

TEST(FirmwarePath, ARefusedNameKeepsThePathBefore)
{
    PelagorAccess access("/board/", "/chip/");
    ASSERT_TRUE(access.SetFirmwareFile("first.hex"));
    ASSERT_FALSE(access.SetFirmwareFile(FileOf(300).c_str()));
    EXPECT_STREQ(access.ChipFirmwarePath(), "/chip/first.hex");
}

// ---- Reports and process-wide callbacks -------------------------------------------------------

class ReportTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::lock_guard lock(messagesMutex);
        messages.clear();
    }
    std::vector<std::string> Messages()
    {
        std::lock_guard lock(messagesMutex);
        return messages;
    }
};

TEST_F(ReportTest, AReportReachesTheCallbackAndLeavesNoErrorText)
{
    ReportingAccess access("/board/", "/chip/");
    access.SetMessageCallback(&RecordMessage);
    access.Report("Debugger reset failed");
    EXPECT_EQ(Messages(), std::vector<std::string>{"Debugger reset failed"});
    EXPECT_STREQ(access.ErrorText(), "");
    EXPECT_STREQ(access.ConnectErrorText(), "Debugger reset failed");
}

TEST_F(ReportTest, AReportWithoutCallbackIsKept)
{
    ReportingAccess access("/board/", "/chip/");
    access.Report("USB pipe creation failed");
    EXPECT_TRUE(Messages().empty());
    EXPECT_STREQ(access.ConnectErrorText(), "USB pipe creation failed");
}

TEST_F(ReportTest, ALongReportIsNotCut)
{
    ReportingAccess access("/board/", "/chip/");
    access.SetMessageCallback(&RecordMessage);
    const std::string text = "Not able to read firmware file: " + std::string(400, 'p');
    access.Report(text);
    EXPECT_EQ(Messages(), std::vector<std::string>{text});
}

TEST_F(ReportTest, CallbacksAreProcessWideAndANewObjectClearsThem)
{
    ReportingAccess first("/board/", "/chip/");
    first.SetMessageCallback(&RecordMessage);
    ReportingAccess second("/board/", "/chip/");
    // The second object's construction cleared the callback the first one set.
    first.Report("lost");
    second.SetMessageCallback(&RecordMessage);
    first.Report("kept");
    EXPECT_EQ(Messages(), std::vector<std::string>{"kept"});
}

} // namespace
