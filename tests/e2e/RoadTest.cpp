// The whole road once, through the real programs as separate processes: the launcher starts
// the main program with the Tolvane plug-in, a capture on a simulated IEEE 802.15.4 dongle
// fills the views, a display filter narrows them, the capture is saved, opened again and
// saved again, and the window closes. The programs are driven from inside by the test agent
// (preloaded), which reports what they showed; this side checks the report, the files and
// how the processes ended.
#include <sys/wait.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/DataFileRecords.h"
#include "tests/e2e/ProcessTree.h"
#include "tests/e2e/ReportLine.h"
#include "tests/e2e/RoadReport.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Well inside the test's own time limit: a hang ends as a failure with the report.
constexpr auto kRoadLimit = 50s;
constexpr int kPacketsWanted = 600;
// The acknowledgement frames the display filter keeps: the first frame-control byte.
constexpr uint8_t kAckFrameControl = 0x02;

// The dongle the road captures from, and a second board that the device list also shows.
constexpr const char* kBoards = "[board]\n"
                                "type = dalvor\n"
                                "chip = 0x6F87\n"
                                "serial = 4001\n"
                                "rate = 600\n"
                                "\n"
                                "[board]\n"
                                "type = kestrix\n"
                                "chip = 0x6F87\n"
                                "usb id = 0x0003\n"
                                "serial = 4002\n";

// Packet_length_raw_data of a plug-in description file: a data-file record is one byte more.
size_t RawLength(const std::string& descriptionFile)
{
    std::ifstream in(descriptionFile);
    std::string line;
    const std::string key = "Packet_length_raw_data=";
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0)
            return std::strtoul(line.c_str() + key.size(), nullptr, 10);
    return 0;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class Road : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"home", "config/pelagor", "tmp", "runtime", "files"})
            fs::create_directories(root.Path() / folder);
        fs::permissions(root.Path() / "runtime", fs::perms::owner_all);
        std::ofstream(root.Path() / "config/pelagor/boards.ini") << kBoards;
    }

    // Runs the road from program, to its end or the limit; the report as it then stands.
    e2e::RoadReport Run(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& folder)
    {
        const std::string report = root / "report.txt";
        const std::vector<std::string> environment = e2e::Environment(
            {
                {"HOME", root / "home"},
                {"XDG_CONFIG_HOME", root / "config"},
                {"TMPDIR", root / "tmp"},
                {"XDG_RUNTIME_DIR", root / "runtime"},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"LD_PRELOAD", E2E_PRELOAD},
                {e2e::kReportVariable, report},
                {e2e::kFilesVariable, root / "files"},
                {e2e::kPacketsVariable, std::to_string(kPacketsWanted)},
            },
            // Every box is the agent's to answer; Qt's own file dialog, not a desktop's.
            {"PELAGOR_BOXES", "QT_QPA_PLATFORMTHEME", "DISPLAY", "WAYLAND_DISPLAY"});
        std::string error;
        const pid_t started = tree.Start(program, arguments, environment, folder, root / "output.txt", &error);
        EXPECT_GT(started, 0) << program << ": " << error;
        const bool gone = tree.WaitUntilGone(std::chrono::steady_clock::now() + kRoadLimit);
        e2e::RoadReport read(report);
        if (!gone) {
            ADD_FAILURE() << "the road did not end within the limit; killed";
            tree.KillAll(Pids(read, "Marlinex"));
        }
        return read;
    }

    static std::vector<pid_t> Pids(const e2e::RoadReport& report, const std::string& program)
    {
        std::vector<pid_t> pids;
        for (const std::string& text : report.Texts("up", program))
            pids.push_back(static_cast<pid_t>(std::strtol(text.c_str(), nullptr, 10)));
        return pids;
    }

    // How the one process that program reported up ended ("exit 0", "signal 9" ...).
    std::string Ending(const e2e::RoadReport& report, const std::string& program) const
    {
        const std::vector<pid_t> pids = Pids(report, program);
        if (pids.size() != 1)
            return "reported up " + std::to_string(pids.size()) + " times";
        const auto ended = tree.Ended().find(pids[0]);
        return ended == tree.Ended().end() ? "not seen to end" : e2e::Describe(ended->second);
    }

    std::string File(const std::string& name) const { return root / ("files/" + name); }

    std::vector<std::string> BufferFiles() const
    {
        std::vector<std::string> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(root.Path() / "tmp"))
            if (entry.path().filename().string().rfind("capdb", 0) == 0)
                found.push_back(entry.path().filename().string());
        return found;
    }

    void TearDown() override
    {
        // Beside the screens, for whoever looks at them.
        fs::create_directories(E2E_SCREENS_DIR);
        std::ofstream(fs::path(E2E_SCREENS_DIR) / "e2e_report.txt") << reportText;
        if (HasFailure())
            std::printf("report:\n%s\noutput of the programs:\n%s\n", reportText.c_str(),
                        e2e::ReadText(root / "output.txt").c_str());
    }

    std::string reportText;
    testsupport::TempFolder root;
    e2e::ProcessTree tree;
};

TEST_F(Road, LauncherCaptureFilterSaveReopenAndClose)
{
    const std::string launcher = E2E_STARTUP_PATH;
    const bool throughLauncher = !launcher.empty();
    e2e::RoadReport report =
        throughLauncher
            ? Run(launcher, {launcher}, fs::path(launcher).parent_path().string())
            : Run(E2E_MARLINEX_PATH, {E2E_MARLINEX_PATH, E2E_TOLVANE_PATH}, E2E_TREE_DIR);
    reportText = report.Text();

    // Every step of every program went through, and the programs ended by themselves.
    EXPECT_EQ(report.Texts("fail"), std::vector<std::string>{});
    EXPECT_EQ(report.Texts("end", "Marlinex").size(), 1u);
    EXPECT_EQ(Ending(report, "Marlinex"), "exit 0");
    if (throughLauncher) {
        EXPECT_EQ(report.Texts("end", "Startup").size(), 1u);
        EXPECT_EQ(Ending(report, "Startup"), "exit 0");
        EXPECT_NE(Lower(report.Value("launcher.chosen")).find("tolvane"), std::string::npos);
    } else {
        ADD_FAILURE() << "no launcher in this build: the main program was started directly";
    }
    ASSERT_EQ(report.Texts("end", "Marlinex").size(), 1u) << "the main program's road did not end";

    // The only box was the question before opening.
    EXPECT_EQ(report.Texts("box", "Marlinex"),
              std::vector<std::string>{"Would you like to save the current data before proceeding?"});

    const long long captured = report.Number("captured");
    const long long filtered = report.Number("filtered");
    EXPECT_GE(captured, kPacketsWanted);
    EXPECT_GT(filtered, 0);
    EXPECT_LT(filtered, captured);
    EXPECT_EQ(report.Number("reopened"), captured);

    // Rows were drawn in the list, and the time line held packets, while the capture ran.
    EXPECT_GT(report.Number("capturing.listLines"), 0);
    EXPECT_LT(report.Number("capturing.packets"), captured);
    EXPECT_GT(report.Number("capturing.timeLineMax"), 0);

    // The views follow the store: the list scrolls over every packet (less its last page), and
    // so does the time line, by the same page whether all packets are shown, the matching ones
    // or those read back.
    const long long listPage = captured - report.Number("list.captured.verticalMax");
    EXPECT_GT(listPage, 0);
    EXPECT_EQ(filtered - report.Number("list.filtered.verticalMax"), listPage);
    EXPECT_EQ(captured - report.Number("list.reopened.verticalMax"), listPage);
    const long long timeLinePage = captured - report.Number("timeLine.captured.horizontalMax");
    EXPECT_GT(timeLinePage, 0);
    EXPECT_EQ(filtered - report.Number("timeLine.filtered.horizontalMax"), timeLinePage);
    EXPECT_EQ(captured - report.Number("timeLine.reopened.horizontalMax"), timeLinePage);
    // The nodes: the time line names them (under its heading, after the row of unregistered
    // and broadcast frames), the address book lists them (under its heading); the same ones
    // once the file is read back.
    const long long timeLineLines = report.Number("timeLine.captured.nameLines");
    const long long addressLines = report.Number("addressBook.captured.nameLines");
    EXPECT_GE(timeLineLines, 3);
    EXPECT_GE(addressLines, 2);
    EXPECT_EQ(report.Number("timeLine.reopened.nameLines"), timeLineLines);
    EXPECT_EQ(report.Number("addressBook.reopened.nameLines"), addressLines);

    // The files: every packet in A, read back and saved again as the same bytes in B; the
    // filtered save holds exactly the acknowledgements of A, in order.
    const size_t recordSize = 1 + RawLength(fs::path(E2E_TOLVANE_PATH).replace_extension(".plt").string());
    ASSERT_GT(recordSize, 1u);
    const e2e::Bytes a = e2e::ReadFileBytes(File("A.pld"));
    const e2e::Bytes b = e2e::ReadFileBytes(File("B.pld"));
    ASSERT_EQ(a.size(), static_cast<size_t>(captured) * recordSize);
    ASSERT_EQ(b.size(), a.size());
    const std::vector<e2e::Bytes> records = e2e::DataFileRecords(a, recordSize);
    const std::vector<e2e::Bytes> again = e2e::DataFileRecords(b, recordSize);
    for (size_t i = 0; i < records.size(); ++i)
        ASSERT_EQ(again[i], records[i]) << "record " << i + 1 << " of B differs from A's";
    std::vector<e2e::Bytes> acks;
    for (size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(e2e::RecordNumber(records[i]), i + 1) << "record " << i;
        if (e2e::FrameByte(records[i], 1) == kAckFrameControl)
            acks.push_back(records[i]);
    }
    const std::vector<e2e::Bytes> matching = e2e::DataFileRecords(e2e::ReadFileBytes(File("filtered.pld")), recordSize);
    EXPECT_EQ(matching.size(), static_cast<size_t>(filtered));
    ASSERT_EQ(matching.size(), acks.size()) << "records saved filtered, acknowledgements in A";
    for (size_t i = 0; i < matching.size(); ++i)
        ASSERT_EQ(matching[i], acks[i]) << "filtered record " << i + 1;

    // The buffer file went with the window.
    EXPECT_EQ(BufferFiles(), std::vector<std::string>{});
}

} // namespace
