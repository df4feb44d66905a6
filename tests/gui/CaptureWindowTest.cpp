// Capturing from the main window on the simulated boards: the real program tree, the shipped
// plug-ins, the real engine and the boards of a board file in the test's per-user folder.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include "gui/CTrueColorToolBar.h"
#include "gui/CommandIds.h"
#include "gui/ControlId.h"
#include "gui/MessageBeep.h"
#include "gui/ProcessWindows.h"
#include "gui/panels/CRadioConfStandardPnl.h"
#include "gui/panels/CRadioSettingsPnl.h"
#include "gui/panels/CSetupPnl.h"
#include "gui/views/CPacketListCtrl.h"
#include "gui/views/CPacketTimeLineCtrl.h"
#include "gui/views/CStatusBarCtrl.h"
#include "gui/views/CTabCtrl.h"
#include "platform/dravik/BoardFile.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/ScriptedPelagor.h"
#include "tests/support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using testsupport::MainWindowFixture;

constexpr int kWaitMs = 15000;

class CaptureWindowTest : public MainWindowFixture {
protected:
    static void WriteBoards(const std::string& text)
    {
        const std::filesystem::path path = BoardFile::Path();
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    int Count() const { return window->Store().GetPacketCount(0); }
    std::string Part(int part) const { return window->StatusBar()->Text(part).toStdString(); }
    bool Enabled(int id) const { return window->ToolBar()->Action(id)->isEnabled(); }

    QListWidget* Devices() const { return window->DevicePanel()->DeviceList(); }

    // Selects the list entry whose text holds part; false when none does.
    bool Select(const std::string& part)
    {
        for (int row = 0; row < Devices()->count(); ++row)
            if (Devices()->item(row)->text().toStdString().find(part) != std::string::npos) {
                Devices()->setCurrentRow(row);
                return true;
            }
        return false;
    }

    bool WaitFor(const std::function<bool()>& condition, int ms = kWaitMs)
    {
        return QTest::qWaitFor(condition, ms);
    }

    // Start, see packets arrive in the store, the list, the time line and the status bar.
    void StartAndSeePackets(const std::string& what)
    {
        window->OnCommand(command::kStart);
        ASSERT_TRUE(window->Capturing()) << what;
        EXPECT_FALSE(Enabled(command::kStart)) << what;
        EXPECT_TRUE(Enabled(command::kPause)) << what;
        EXPECT_FALSE(Devices()->isEnabled()) << what;
        ASSERT_TRUE(WaitFor([&] { return Count() >= 5 && Part(0) != " Packet count: 0"; })) << what;
        ASSERT_TRUE(WaitFor([&] { return window->PacketList()->RowCount() >= 5; })) << what;
        EXPECT_EQ(Part(0).rfind(" Packet count: ", 0), 0u) << what;
    }

    void PauseAndSeeItStop(const std::string& what)
    {
        window->OnCommand(command::kPause);
        EXPECT_FALSE(window->Capturing()) << what;
        EXPECT_FALSE(window->Store().CaptureRunning()) << what;
        EXPECT_TRUE(Enabled(command::kStart)) << what;
        EXPECT_FALSE(Enabled(command::kPause)) << what;
        EXPECT_TRUE(Devices()->isEnabled()) << what;
        const int paused = Count();
        QTest::qWait(600);
        EXPECT_EQ(Count(), paused) << what;
        EXPECT_EQ(Part(0), " Packet count: " + std::to_string(paused)) << what;
    }
};

struct ProtocolCase {
    const char* plugin;
    std::vector<const char*> boards; // entry texts to find
    bool registerWarnings;
};

// Every board of the default set that the protocol supports; the Trennic board asks for new
// firmware first and has its own test.
const ProtocolCase kProtocols[] = {
    {"Generic/Halyard.so",
     {"Dalvor (USB", "Kestrix board (USB Device ID=0002)", "Kestrix board (USB Device ID=0003)",
      "Kestrix board (USB Device ID=0005)", "(PORT=/dev/ttyS0)"},
     true},
    {"Fennet/Fennetd.so",
     {"Dalvor (USB", "Kestrix board (USB Device ID=0002)", "Kestrix board (USB Device ID=0003)",
      "Kestrix board (USB Device ID=0005)", "(PORT=/dev/ttyS0)"},
     true},
    {"Tolvane/Tolvane.so", {"Dalvor (USB", "Kestrix board (USB Device ID=0003)"}, false},
};

class EveryDefaultBoard : public CaptureWindowTest, public ::testing::WithParamInterface<ProtocolCase> {};

TEST_P(EveryDefaultBoard, CapturesPausesAndStartsAgain)
{
    const ProtocolCase& protocol = GetParam();
    Open(Plugin(protocol.plugin));
    ASSERT_TRUE(window->PluginLoaded());
    for (const char* board : protocol.boards) {
        const std::string what = std::string(protocol.plugin) + ": " + board;
        testsupport::Watchdog watchdog(what, 60s);
        ASSERT_TRUE(Select(board)) << what;
        StartAndSeePackets(what);
        PauseAndSeeItStop(what);
        // Without flush the next start goes on counting.
        const int before = Count();
        StartAndSeePackets(what);
        EXPECT_GE(Count(), before) << what;
        PauseAndSeeItStop(what);
    }
    if (std::string(protocol.plugin) != "Generic/Halyard.so") {
        EXPECT_GT(window->TimeLine()->NodeCount(), 0);
    }
    const std::string protocolName = std::filesystem::path(protocol.plugin).parent_path().string();
    // The rows are drawn once the store has loaded them again after the pause.
    EXPECT_TRUE(WaitFor([&] {
        window->PacketList()->viewport()->repaint();
        return !window->PacketList()->RepaintNeeded();
    }));
    SaveScreen(window.get(), "capture_" + protocolName);
    // Choosing a device of another chip while a register set is loaded warns once; the start
    // then loads the chip's own default set.
    std::vector<std::string> expected;
    if (protocol.registerWarnings)
        expected = {"Warning: register settings are valid for QZ6F1C exclusively",
                    "Warning: register settings are valid for QZ3A5C exclusively"};
    EXPECT_EQ(Texts(), expected);
}

INSTANTIATE_TEST_SUITE_P(Protocols, EveryDefaultBoard, ::testing::ValuesIn(kProtocols),
                         [](const ::testing::TestParamInfo<ProtocolCase>& info) {
                             return std::filesystem::path(info.param.plugin).parent_path().string();
                         });

TEST_F(CaptureWindowTest, F5StartsAndF6PausesAFlushStartBeginsAtZero)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    ASSERT_TRUE(Select("Kestrix board (USB Device ID=0003)"));
    window->activateWindow();
    QTest::keyClick(window.get(), Qt::Key_F5);
    ASSERT_TRUE(window->Capturing());
    ASSERT_TRUE(WaitFor([&] { return Count() >= 20; }));
    QTest::keyClick(window.get(), Qt::Key_F6);
    ASSERT_FALSE(window->Capturing());
    const int first = Count();

    window->ToolBar()->SetChecked(command::kFlushOnStart, true);
    window->OnCommand(command::kFlushOnStart);
    window->OnCommand(command::kStart);
    ASSERT_TRUE(window->Capturing());
    // The flush happens before the first new packet can arrive.
    EXPECT_LT(Count(), first);
    EXPECT_EQ(window->TimeLine()->NodeCount() <= 1, true);
    ASSERT_TRUE(WaitFor([&] { return Count() >= 3; }));
    window->OnCommand(command::kPause);
    EXPECT_EQ(Texts(), std::vector<std::string>{});
}

TEST_F(CaptureWindowTest, ABoardThatAsksForNewFirmwareShowsTheBusyStateAndThenCaptures)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    ASSERT_TRUE(Select("Trennic board"));
    answers.push_back(platform::MessageAnswer::Yes);
    const int beeps = MessageBeepCount();
    window->OnCommand(command::kStart);
    // The start answers "updating": the window stays idle and beeps.
    EXPECT_FALSE(window->Capturing());
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, platform::MessageButtons::YesNo);

    ASSERT_TRUE(WaitFor([&] { return window->Busy(); }));
    EXPECT_FALSE(Enabled(command::kStart));
    EXPECT_FALSE(Enabled(command::kPause));
    ASSERT_TRUE(WaitFor([&] { return Part(0).rfind("Loading firmware...", 0) == 0; }));
    SaveScreen(window.get(), "capture_busy");
    ASSERT_TRUE(WaitFor([&] { return !window->Busy(); }));
    EXPECT_TRUE(Enabled(command::kStart));
    EXPECT_FALSE(Enabled(command::kPause));

    // The board is listed again with its new firmware and captures without asking.
    ASSERT_TRUE(Select("Trennic board"));
    StartAndSeePackets("after the update");
    PauseAndSeeItStop("after the update");
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(CaptureWindowTest, TheSpinnerTurnsAtEveryTick)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    window->RefreshTimer().stop();
    window->SetBusy(true);
    std::string ends;
    for (int tick = 0; tick < 5; ++tick) {
        // One tick of the refresh timer.
        ASSERT_TRUE(QMetaObject::invokeMethod(&window->RefreshTimer(), "timeout"));
        ends += Part(0).back();
    }
    EXPECT_EQ(ends, "|/-\\|");
    EXPECT_EQ(Part(0), "Loading firmware...|");
    window->SetBusy(false);
}

// The plug-in reports a new key on its decoding thread; the text reaches the radio panel through
// the event loop, so a GUI thread that waits for that thread cannot hang on it.
TEST_F(CaptureWindowTest, ANewKeyFromTheDecodingThreadReachesTheRadioPanel)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    uint8_t key[16];
    for (int i = 0; i < 16; ++i)
        key[i] = static_cast<uint8_t>(0xF0 + i * 3);
    std::thread decoder([&] { OnBleLtkUpdate(key); });
    decoder.join();
    auto* edit = FindControl<QLineEdit>(window->StandardRadioPanel(), 1035);
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !edit->text().isEmpty(); }));
    EXPECT_EQ(edit->text().toStdString(), "f0:f3:f6:f9:fc:ff:02:05:08:0b:0e:11:14:17:1a:1d");
    uint8_t read[16] = {};
    EXPECT_EQ(window->StandardRadioPanel()->GetBleLtk(read), 1);
    EXPECT_EQ(std::vector<uint8_t>(read, read + 16), std::vector<uint8_t>(key, key + 16));
}

TEST_F(CaptureWindowTest, StartWithoutADeviceBeepsAndLeavesTheStoreIdle)
{
    WriteBoards("# no board attached\n");
    Open(Plugin("Tolvane/Tolvane.so"));
    EXPECT_EQ(Devices()->count(), 0);
    const int beeps = MessageBeepCount();
    window->OnCommand(command::kStart);
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_FALSE(window->Capturing());
    EXPECT_FALSE(window->Store().CaptureRunning());
    EXPECT_TRUE(Enabled(command::kStart));
    EXPECT_EQ(Texts(), std::vector<std::string>{});
}

TEST_F(CaptureWindowTest, ResetDuringACaptureOnlyBeeps)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    ASSERT_TRUE(Select("Kestrix board (USB Device ID=0003)"));
    window->OnCommand(command::kStart);
    ASSERT_TRUE(WaitFor([&] { return Count() >= 3; }));
    const int beeps = MessageBeepCount();
    window->OnCommand(command::kReset);
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    EXPECT_GE(Count(), 3);
    window->OnCommand(command::kPause);
    window->OnCommand(command::kReset);
    EXPECT_EQ(Count(), 0);
}

TEST_F(CaptureWindowTest, ABoardFaultEndsTheCaptureWithCommunicationErrorAndTheWindowAnswers)
{
    // The device access is scripted; the window, engine, reader thread and store are real. The
    // device delivers packets, then reports ten communication errors in a row.
    auto script = std::make_shared<testsupport::AccessScript>();
    Options options;
    options.engineFactory = [script](platform::WindowHandle handle, const std::string& folder) {
        return new testsupport::ScriptedPelagor(handle, folder, script);
    };
    Open(Plugin("Generic/Halyard.so"), options);
    for (uint32_t i = 1; i <= 5; ++i)
        script->Add({0, 0, testsupport::MakeGenericRecord(i, 1000u * i, {0x41, static_cast<uint8_t>(i)}, 0x20, 0x80)});
    for (int i = 0; i < 10; ++i)
        script->Add({0, 10, {}});
    ASSERT_TRUE(Select("Dalvor (USB"));
    testsupport::Watchdog watchdog("a capture ending on a board fault", 60s);
    window->OnCommand(command::kStart);
    ASSERT_TRUE(window->Capturing());
    ASSERT_TRUE(WaitFor([&] { return !window->Capturing(); }));
    EXPECT_FALSE(window->Store().CaptureRunning());
    EXPECT_TRUE(Enabled(command::kStart));
    EXPECT_FALSE(Enabled(command::kPause));
    EXPECT_TRUE(Devices()->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }));
    EXPECT_EQ(Texts(), std::vector<std::string>{"Communication error"});
    // Five packets and the ten communication events.
    EXPECT_EQ(Count(), 15);
    // Still answering: a reset goes through, and a new start captures again.
    window->OnCommand(command::kReset);
    EXPECT_EQ(Count(), 0);
    script->Add({0, 0, testsupport::MakeGenericRecord(6, 6000u, {0x41, 6}, 0x20, 0x80)});
    window->OnCommand(command::kStart);
    EXPECT_TRUE(window->Capturing());
    ASSERT_TRUE(WaitFor([&] { return Count() == 1; }));
    window->OnCommand(command::kPause);
}

TEST_F(CaptureWindowTest, ADeviceWithRegisterFilesSwitchesTheRadioTabAndTheStatusBar)
{
    Open(Plugin("Generic/Halyard.so"));
    ASSERT_TRUE(Select("Kestrix board (USB Device ID=0005)"));
    EXPECT_TRUE(window->RegisterPanelInUse());
    ASSERT_TRUE(WaitFor([&] { return Part(3) == " RF device: QZ3A5C"; })) << Part(3);
    window->PanelTabs()->SetCurSel(1);
    window->ShowPanel();
    EXPECT_TRUE(window->RegisterPanel()->isVisible());
    EXPECT_FALSE(window->StandardRadioPanel()->isVisible());
    QTest::qWait(300);
    EXPECT_EQ(Part(5).rfind(" Register settings: ", 0), 0u) << Part(5);
    SaveScreen(window.get(), "capture_register_tab");

    // The start sends the chip's own default set.
    window->OnCommand(command::kStart);
    ASSERT_TRUE(window->Capturing());
    EXPECT_GT(window->StartParameters().registerCount, 0);
    EXPECT_EQ(window->StartParameters().registerCount % 2, 0);
    QTest::qWait(300);
    EXPECT_EQ(Part(5), " Register settings: QZ3A5C_default.prs");
    window->OnCommand(command::kPause);

    ASSERT_TRUE(Select("Dalvor (USB"));
    EXPECT_FALSE(window->RegisterPanelInUse());
    window->ShowPanel();
    EXPECT_TRUE(window->StandardRadioPanel()->isVisible());
    QTest::qWait(300);
    EXPECT_EQ(Part(5), "");
}

TEST_F(CaptureWindowTest, AStartWithoutAnyRegisterSetIsRefusedWithItsText)
{
    // A copy of the Generic protocol folder without its register files.
    namespace fs = std::filesystem;
    const fs::path protocols = fs::path(std::getenv("TMPDIR")) / "Protocols";
    fs::create_directories(protocols / "Generic");
    fs::copy_file(ProtocolsFolder() + "common.plt", protocols / "common.plt", fs::copy_options::overwrite_existing);
    for (const fs::directory_entry& entry : fs::directory_iterator(ProtocolsFolder() + "Generic"))
        if (entry.path().extension() != ".prs")
            fs::copy_file(entry.path(), protocols / "Generic" / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
    Open((protocols / "Generic" / "Halyard.so").string());
    ASSERT_TRUE(Select("Kestrix board (USB Device ID=0002)"));
    ASSERT_TRUE(window->RegisterPanelInUse());
    boxes.clear();
    window->OnCommand(command::kStart);
    EXPECT_FALSE(window->Capturing());
    EXPECT_FALSE(window->Store().CaptureRunning());
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(Texts().back(), "Radio Registers not selected for QZ6F1C\n");
    EXPECT_TRUE(Enabled(command::kStart));
}

TEST_F(CaptureWindowTest, RowsLeftUndrawnAfterAPauseAreDrawnLater)
{
    // A cache of one megabyte and a fast board: the first rows are long gone from the cache.
    WriteBoards("[board]\ntype = kestrix\nchip = 0x6F87\nusb id = 0x0003\nserial = 1003\nrate = 20000\n");
    Store([](CPelagorSettings& s) { s.PacketBufferSize = "1"; });
    Open(Plugin("Tolvane/Tolvane.so"));
    ASSERT_TRUE(Select("Kestrix board"));
    window->OnCommand(command::kStart);
    ASSERT_TRUE(WaitFor([&] { return Count() >= 6000; }));
    window->OnCommand(command::kPause);
    window->PacketList()->verticalScrollBar()->setValue(0);
    window->PacketList()->viewport()->repaint();
    ASSERT_TRUE(WaitFor([&] { return !window->PacketList()->RepaintNeeded(); }));
    EXPECT_EQ(window->PacketList()->TopRow(), 0);
    SaveScreen(window->PacketList(), "capture_paused_top");
}

} // namespace
