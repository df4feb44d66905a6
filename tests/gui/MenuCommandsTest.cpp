// The main window's menu and toolbar commands other than capturing: what each menu item leads
// to, the toolbar's tips and shortcuts, what is greyed during a capture, the settings dialogs
// and the help menu. Dialogs and file dialogs are answered through their seams.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

#include "core/store/DataFileRec.h"
#include "core/store/RamBufferHandler.h"
#include "gui/CTrueColorToolBar.h"
#include "gui/CommandIds.h"
#include "gui/ControlId.h"
#include "gui/FileDialog.h"
#include "gui/MessageBeep.h"
#include "gui/ModalDialog.h"
#include "gui/OpenUrl.h"
#include "gui/dialogs/CBufferSizeDlg.h"
#include "gui/dialogs/CClockMultiplierDlg.h"
#include "gui/dialogs/CIpAddressCtrl.h"
#include "gui/dialogs/CPacketBroadcastDlg.h"
#include "gui/panels/CSetupPnl.h"
#include "gui/views/CPacketListCtrl.h"
#include "gui/views/CStatusBarCtrl.h"
#include "platform/dravik/BoardFile.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikRevision.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UdpReceiver.h"
#include "tests/support/Watchdog.h"

namespace {

using namespace std::chrono_literals;
using testsupport::MainWindowFixture;
namespace fs = std::filesystem;

constexpr int kWaitMs = 20000;

class MenuCommandsTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        previousFiles_ = SetFileDialogHandler([this](const FileDialogRequest& request) {
            seen.push_back(request.kind == FileDialogKind::Open ? "open dialog" : "save dialog");
            return std::string();
        });
        previousDialogs_ = SetModalDialogHandler([this](QDialog& dialog) {
            seen.push_back(dialog.metaObject()->className());
            if (answerDialog) {
                auto answer = std::move(answerDialog);
                answerDialog = nullptr;
                return answer(dialog);
            }
            return static_cast<int>(CModalDlg::IDCANCEL);
        });
        previousUrls_ = SetOpenUrlHandler([this](const QString& address) {
            seen.push_back("open " + address.toStdString());
            return urlOpens;
        });
    }

    void TearDown() override
    {
        MainWindowFixture::TearDown();
        SetOpenUrlHandler(std::move(previousUrls_));
        SetModalDialogHandler(std::move(previousDialogs_));
        SetFileDialogHandler(std::move(previousFiles_));
    }

    static void WriteBoards(const std::string& text)
    {
        const fs::path path = BoardFile::Path();
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    QAction* MenuItem(int id) const { return FindControl<QAction>(window->menuBar(), id); }
    QAction* Button(int id) const { return window->ToolBar()->Action(id); }
    std::string Part(int part) const { return window->StatusBar()->Text(part).toStdString(); }

    // A capture running on the first board of the default set.
    void StartCapture()
    {
        window->DevicePanel()->DeviceList()->setCurrentRow(0);
        window->OnCommand(command::kStart);
        ASSERT_TRUE(window->Capturing());
    }

    // Presses OK in a dialog after change has acted on it, without a modal loop.
    template <typename Dialog>
    void AnswerOk(const std::function<void(Dialog&)>& change)
    {
        answerDialog = [change](QDialog& dialog) {
            auto* typed = dynamic_cast<Dialog*>(&dialog);
            if (typed == nullptr) {
                ADD_FAILURE() << "another dialog: " << dialog.metaObject()->className();
                return static_cast<int>(CModalDlg::IDCANCEL);
            }
            typed->show();
            change(*typed);
            typed->OnOK();
            return typed->result();
        };
    }

    // What the commands led to, in order: dialogs by class, file dialogs, opened addresses.
    std::vector<std::string> seen;
    std::function<int(QDialog&)> answerDialog;
    bool urlOpens = true;

private:
    FileDialogHandler previousFiles_;
    ModalDialogHandler previousDialogs_;
    OpenUrlHandler previousUrls_;
};

// ---------------------------------------------------------------- the menu

struct MenuCase {
    const char* menu;
    const char* text; // null: a separator
    int id;
    const char* leadsTo; // a dialog's class, a file dialog or the caption of a message box
    bool greyedWhileCapturing;
};

const MenuCase kMenu[] = {
    {"&File", "Reset", 32772, "", true},
    {"&File", "Open data...", 32773, "open dialog", true},
    {"&File", "Save data...", 32774, "save dialog", true},
    {"&Settings", "Cache buffer size...", 32792, "CBufferSizeDlg", true},
    {"&Settings", "Clock multiplier...", 32793, "CClockMultiplierDlg", true},
    {"&Settings", "Packet broadcast ...", 32794, "CPacketBroadcastDlg", true},
    {"&Help", "About the PLD file format...", 32791, "box About the Pelagor Data (PLD) File Format", false},
    {"&Help", "User Manual (PDF)", 32784, "box Pelagor", false},
    {"&Help", nullptr, 0, "", false},
    {"&Help", "Revision history...", 32781, "CRevisiondlg", false},
    {"&Help", "Dravik information ...", 32795, "box Dravik version information", false},
    {"&Help", nullptr, 0, "", false},
    {"&Help", "About...", 32771, "CAboutDlg", false},
    {"&Help", "Contact Korvath...", 32783, "CContactDlg", false},
};

TEST_F(MenuCommandsTest, EachMenuItemInItsPlaceLeadsToItsCommand)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    // A packet to save and to ask about.
    StartCapture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Store().GetPacketCount(0) > 0; }, kWaitMs));
    window->OnCommand(command::kPause);

    std::vector<const MenuCase*> expected;
    for (const MenuCase& item : kMenu)
        expected.push_back(&item);
    size_t next = 0;
    for (QAction* menu : window->menuBar()->actions()) {
        for (QAction* action : menu->menu()->actions()) {
            ASSERT_LT(next, expected.size());
            const MenuCase& item = *expected[next++];
            SCOPED_TRACE(item.text != nullptr ? item.text : "separator");
            EXPECT_EQ(menu->text().toStdString(), item.menu);
            if (item.text == nullptr) {
                EXPECT_TRUE(action->isSeparator());
                continue;
            }
            EXPECT_EQ(action->text().toStdString(), item.text);
            EXPECT_EQ(action->objectName().toStdString(), std::to_string(item.id));
            EXPECT_TRUE(action->shortcut().isEmpty());
            EXPECT_TRUE(action->isEnabled());
            seen.clear();
            boxes.clear();
            // Open asks first whether to save: No.
            answers.push_back(platform::MessageAnswer::No);
            action->trigger();
            answers.clear();
            std::string led = seen.empty() ? "" : seen.back();
            if (!boxes.empty() && boxes.back().text != "Would you like to save the current data before proceeding?")
                led = "box " + boxes.back().caption;
            EXPECT_EQ(led, item.leadsTo);
        }
    }
    EXPECT_EQ(next, expected.size());
}

TEST_F(MenuCommandsTest, DuringACaptureTheDataAndSettingsItemsAreGreyed)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    StartCapture();
    for (const MenuCase& item : kMenu) {
        if (item.text != nullptr) {
            EXPECT_EQ(MenuItem(item.id)->isEnabled(), !item.greyedWhileCapturing) << item.text;
        }
    }
    EXPECT_FALSE(Button(command::kStart)->isEnabled());
    EXPECT_TRUE(Button(command::kPause)->isEnabled());

    // The toolbar's own buttons stay: Reset and Open refuse with a beep, nothing more.
    for (const int id : {command::kReset, command::kOpenData}) {
        EXPECT_TRUE(Button(id)->isEnabled()) << id;
        const int beeps = MessageBeepCount();
        seen.clear();
        Button(id)->trigger();
        EXPECT_EQ(MessageBeepCount(), beeps + 1) << id;
        EXPECT_TRUE(seen.empty()) << id;
    }
    EXPECT_TRUE(window->Capturing());
    window->OnCommand(command::kPause);
    for (const MenuCase& item : kMenu) {
        if (item.text != nullptr) {
            EXPECT_TRUE(MenuItem(item.id)->isEnabled()) << item.text;
        }
    }
    EXPECT_TRUE(Texts().empty());
}

// ---------------------------------------------------------------- the toolbar

TEST_F(MenuCommandsTest, ToolbarTipsAndShortcuts)
{
    Options options;
    options.hardwareFilters = true;
    Open(Plugin("Fennet/Fennetd.so"), options);
    struct Tip {
        int id;
        const char* text;
    };
    const Tip tips[] = {
        {32772, "Deletes all currently registered packets"},
        {32773, "Opens a stored session."},
        {32774, "Saves the current session."},
        {32775, "Show/hide the tabbed section at the bottom of the window"},
        {32776, "Starts the packet capturing (shortcut key: F5)"},
        {32777, "Pauses the packet capturing (shortcut key: F6)"},
        {32778, "Causes previously captured packets to be deleted when the sniffer is started"},
        {32785, "Enable or disable automatic scrolling."},
        {32786, "Enable or disable small font for the packet window"},
        {32789, "Enables hardware FCS filtering (all packets with FCS error are ignored)"},
        {32790, "Enables hardware INCOMPLETE filtering (all Incomplete packets are ignored)"},
    };
    for (const Tip& tip : tips) {
        ASSERT_NE(Button(tip.id), nullptr) << tip.id;
        EXPECT_EQ(Button(tip.id)->toolTip().toStdString(), tip.text) << tip.id;
        const QKeySequence shortcut = tip.id == command::kStart   ? QKeySequence(Qt::Key_F5)
                                      : tip.id == command::kPause ? QKeySequence(Qt::Key_F6)
                                                                  : QKeySequence();
        EXPECT_EQ(Button(tip.id)->shortcut(), shortcut) << tip.id;
    }
    ASSERT_NE(window->ProtocolVersionCombo(), nullptr);
    EXPECT_EQ(window->ProtocolVersionCombo()->toolTip().toStdString(), "Select required protocol version");
}

// Escape, wherever it is pressed in the window, never closes it.
TEST_F(MenuCommandsTest, EscapeIsTakenBeforeTheControlsAndOtherKeysPass)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_TRUE(window->PreTranslateMessage(&escape));
    EXPECT_FALSE(window->PreTranslateMessage(&letter));
    EXPECT_FALSE(window->PreTranslateMessage(&release));
    for (QWidget* target : {static_cast<QWidget*>(window->PacketList()), window->PacketList()->viewport(),
                            static_cast<QWidget*>(window->DevicePanel()->DeviceList())}) {
        QTest::keyClick(target, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_TRUE(window->isVisible());
    }
}

// ---------------------------------------------------------------- settings

TEST_F(MenuCommandsTest, CacheBufferSizeResizesTheCacheAndEmptiesTheStore)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    StartCapture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Store().GetPacketCount(0) > 0; }, kWaitMs));
    window->OnCommand(command::kPause);

    // Cancel changes nothing.
    const int held = window->Store().GetPacketCount(0);
    window->OnCommand(command::kCacheSize);
    EXPECT_EQ(window->Store().GetPacketCount(0), held);

    AnswerOk<CBufferSizeDlg>([](CBufferSizeDlg& dialog) { dialog.Edit()->setText("30"); });
    window->OnCommand(command::kCacheSize);
    RamBufferHandler expected;
    expected.SetParsedLength(window->Host().ParsedLength());
    ASSERT_EQ(expected.Allocate(30), 1);
    EXPECT_EQ(window->Store().Cache().BlockCount(), expected.BlockCount());
    EXPECT_EQ(window->Store().Cache().PacketsPerBlock(), expected.PacketsPerBlock());
    EXPECT_EQ(window->Store().GetPacketCount(0), 0);
    EXPECT_EQ(Part(0), " Packet count: 0");
    EXPECT_TRUE(Button(command::kStart)->isEnabled());
    EXPECT_TRUE(Button(command::kFlushOnStart)->isEnabled());
    EXPECT_EQ(Stored<std::string>([](const CPelagorSettings& s) { return std::string(s.PacketBufferSize.c_str()); }),
              "30");
    // And captures into the new cache.
    StartCapture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Store().GetPacketCount(0) > 0; }, kWaitMs));
    window->OnCommand(command::kPause);
    EXPECT_TRUE(Texts().empty());
}

TEST_F(MenuCommandsTest, ClockMultiplierReachesTheTimeStampsOfTheNextPackets)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    // Two packets a known time apart, read from a file with each factor.
    const uint16_t h = window->Store().RawLength();
    std::string file;
    for (uint32_t number = 1; number <= 2; ++number) {
        std::string record(1u + h, '\0');
        record[0] = 0x01;
        std::memcpy(&record[1], &number, 4);
        const uint64_t ticks = 1000000u * number;
        std::memcpy(&record[5], &ticks, 8);
        record[13] = 6; // N: the length byte, a 3-byte frame, 2 status bytes
        record[15] = 5;
        record[16] = 0x02;
        record[18] = 0x11;
        file += record;
    }
    const std::string path = (fs::path(std::getenv("TMPDIR")) / "two.pld").string();
    std::ofstream(path, std::ios::binary) << file;
    SetFileDialogHandler([&](const FileDialogRequest&) { return path; });

    const auto spanAfterOpening = [&] {
        answers.push_back(platform::MessageAnswer::No);
        window->OnCommand(command::kOpenData);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->Store().FileReader() == nullptr; }, kWaitMs));
        PARSED_DATA first{};
        PARSED_DATA second{};
        std::vector<uint8_t> record(window->Store().RecordLength());
        EXPECT_EQ(window->Store().GetParsedData(1, record.data()), 1);
        LoadParsedData(first, record.data() + h);
        EXPECT_EQ(window->Store().GetParsedData(2, record.data()), 1);
        LoadParsedData(second, record.data() + h);
        return static_cast<double>(second.time - first.time);
    };
    const double plain = spanAfterOpening();
    ASSERT_GT(plain, 0);

    AnswerOk<CClockMultiplierDlg>([](CClockMultiplierDlg& dialog) { dialog.Edit()->setText("2"); });
    window->OnCommand(command::kClockMultiplier);
    EXPECT_EQ(window->ClockMultiplier(), 2.0);
    EXPECT_NEAR(spanAfterOpening(), 2 * plain, 1.0);
    EXPECT_EQ(Stored<std::string>([](const CPelagorSettings& s) { return std::string(s.ClockMultiplier.c_str()); }),
              "2");

    // Cancel keeps the factor.
    window->OnCommand(command::kClockMultiplier);
    EXPECT_EQ(window->ClockMultiplier(), 2.0);
}

// The broadcast settings reach the capture engine at the next start: the datagrams arrive at
// the address and port chosen.
TEST_F(MenuCommandsTest, PacketBroadcastIsSentWhereTheDialogSaysFromTheNextStart)
{
    WriteBoards("[board]\ntype = kestrix\nchip = 0x6F87\nusb id = 0x0003\nserial = 1003\nrate = 500\n");
    Open(Plugin("Tolvane/Tolvane.so"));
    EXPECT_EQ(Part(5), " Packet broadcast OFF");
    testsupport::UdpReceiver receiver;
    ASSERT_EQ(receiver.Bind(htonl(INADDR_LOOPBACK), 0, false), 0);
    const int port = receiver.Port();

    // The dialog opens with the window's values.
    bool presetEnabled = true;
    AnswerOk<CPacketBroadcastDlg>([&](CPacketBroadcastDlg& dialog) {
        presetEnabled = FindControl<QCheckBox>(&dialog, CPacketBroadcastDlg::kEnableId)->isChecked();
        FindControl<QCheckBox>(&dialog, CPacketBroadcastDlg::kEnableId)->setChecked(true);
        dialog.OnBnClickedEnable();
        FindControl<CIpAddressCtrl>(&dialog, CPacketBroadcastDlg::kAddressId)->SetAddress(0x7F000001);
        FindControl<QLineEdit>(&dialog, CPacketBroadcastDlg::kPortId)->setText(QString::number(port));
    });
    window->OnCommand(command::kPacketBroadcast);
    EXPECT_FALSE(presetEnabled);
    EXPECT_TRUE(window->BroadcastOn());
    EXPECT_FALSE(window->BroadcastOnly());
    EXPECT_EQ(window->UdpPort(), port);
    EXPECT_EQ(window->UdpAddress(), 0x7F000001u);
    EXPECT_EQ(Part(5), " Packet broadcast ON");

    testsupport::Watchdog watchdog("a capture with broadcast", 60s);
    StartCapture();
    EXPECT_EQ(window->StartParameters().broadcastOn, 1);
    EXPECT_EQ(window->StartParameters().udpPort, port);
    EXPECT_EQ(window->StartParameters().udpAddress, 0x7F000001u);
    const auto datagram = receiver.Receive(5000);
    window->OnCommand(command::kPause);
    ASSERT_TRUE(datagram.has_value());
    // The first packet's data-file record, cut after its used bytes.
    const uint16_t h = window->Store().RawLength();
    std::vector<uint8_t> stored(window->Store().RecordLength());
    ASSERT_EQ(window->Store().GetParsedData(1, stored.data()), 1);
    PARSED_DATA parsed{};
    LoadParsedData(parsed, stored.data() + h);
    const uint8_t info = static_cast<uint8_t>(parsed.infoFlags & 0xFF);
    std::vector<uint8_t> record(1u + h);
    int32_t declared = 0;
    ASSERT_TRUE(DataFileRec::MakeRecord(record.data(), stored.data(), h, info, &declared));
    const int32_t used = DataFileRec::UsedLength(record.data(), static_cast<int32_t>(record.size()), info);
    EXPECT_EQ(*datagram, std::vector<uint8_t>(record.begin(), record.begin() + 1 + used));

    // Cancel keeps them; the window stores them when it closes.
    window->OnCommand(command::kPacketBroadcast);
    EXPECT_TRUE(window->BroadcastOn());
    Close();
    EXPECT_EQ(Stored<int32_t>([](const CPelagorSettings& s) { return s.bcEnabled; }), 1);
    EXPECT_EQ(Stored<int32_t>([](const CPelagorSettings& s) { return s.bcPort; }), port);
    EXPECT_EQ(Stored<uint32_t>([](const CPelagorSettings& s) { return s.bcAddress; }), 0x7F000001u);
    EXPECT_TRUE(Texts().empty());
}

// ---------------------------------------------------------------- help

std::string FormatHelp(int payload)
{
    return "The Pelagor data files are formatted as follows (the number of bytes used is shown in [brackets]):\n"
           "For each packet:\n[1] Packet Information.\n[4] Packet Number.\n[8] Time stamp (microseconds).\n"
           "[2] Packet Length.\n[" +
           std::to_string(payload) +
           "] The payload, ending with the FCS.\n"
           "The packet length will include 2 bytes for FCS depending on \"bit 0\" in the Packet Information byte.\n"
           "If the bit is set, the packet length include the FCS bytes.\n"
           "The FCS is replaced by the RSSI value, a CRC OK bit and the correlation value, as described in the data "
           "sheet for the applicable Chip.\n"
           "If the length indicate that the packet is smaller than the maximum amount of payload bytes, the rest "
           "should be ignored.\n\n"
           "Please note that all numbers use the little-endian format, meaning, for instance, that the number "
           "0x12345678 is stored as {0x78,0x56,0x34,0x12} in the PLD-file.\n\n"
           "Packet Information:\nBit 0: Packet length including FCS\nBit 1: Correlation used.\n"
           "Bit 2: Incomplete packet.\nBit 4: Generic sniffer is used.\nThe other bits are unused.\n";
}

TEST_F(MenuCommandsTest, TheFileFormatHelpCountsThePayloadOfEachProtocol)
{
    struct Case {
        const char* plugin;
        int payload; // H - 14
    };
    for (const Case& c : {Case{"Generic/Halyard.so", 257}, Case{"Fennet/Fennetd.so", 258}, Case{"Tolvane/Tolvane.so", 128}}) {
        SCOPED_TRACE(c.plugin);
        boxes.clear();
        Open(Plugin(c.plugin));
        window->OnCommand(command::kFileFormatHelp);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, FormatHelp(c.payload));
        EXPECT_EQ(boxes[0].caption, "About the Pelagor Data (PLD) File Format");
        EXPECT_EQ(boxes[0].icon, platform::MessageIcon::None);
        EXPECT_EQ(boxes[0].buttons, platform::MessageButtons::Ok);
        Close();
    }
}

TEST_F(MenuCommandsTest, TheUserManualOpensFromBesideTheProgramTree)
{
    // A program tree of its own, so that a manual can be put in place.
    const testsupport::TempFolder folder;
    const fs::path tree = folder.Path() / "tree";
    const fs::path general = tree / "Tools" / "Pelagor" / "General";
    fs::create_directories(general);
    window = std::make_unique<CMarlinexDlg>(nullptr, general.string() + "/");
    window->Create();
    const std::string manual = (tree / "Documentation" / "Lumetra Pelagor User Manual.pdf").string();
    EXPECT_EQ(window->ManualPath(), manual);

    struct Case {
        const char* what;
        bool present;
        bool opens;
        std::vector<std::string> seen;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"missing", false, true, {}, {"No such file or directory\n" + manual}},
        {"present", true, true, {"open " + manual}, {}},
        {"nothing opens it", true, false, {"open " + manual}, {"No program to open the file was found.\n" + manual}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.present) {
            fs::create_directories(fs::path(manual).parent_path());
            std::ofstream(manual) << "%PDF-1.4\n";
        }
        urlOpens = c.opens;
        boxes.clear();
        seen.clear();
        window->OnCommand(command::kUserManual);
        EXPECT_EQ(seen, c.seen);
        EXPECT_EQ(Texts(), c.texts);
        for (const platform::MessageBoxRequest& box : boxes) {
            EXPECT_EQ(box.caption, "Pelagor");
            EXPECT_EQ(box.icon, platform::MessageIcon::Exclamation);
        }
    }
}

TEST_F(MenuCommandsTest, TheLibraryInformationNamesItsVersion)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    window->OnCommand(command::kLibraryInfo);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Dravik version information");
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::None);
    const DravikRevision r = dravikGetRevision();
    EXPECT_EQ(boxes[0].text, "Dravik version " + std::to_string(r.major) + "." + std::to_string(r.minor) + "." +
                                 std::to_string(r.patch) + " (Build ID " + std::to_string(r.buildId) + ")\n" +
                                 (r.sharedLibrary ? "DLL" : "LIB") + " generated " + r.generated +
                                 "\nToolchain: " + r.toolchain + "\n");
}

TEST_F(MenuCommandsTest, SystemCommandsSixteenToThirtyOneOpenAbout)
{
    Open(Plugin("Tolvane/Tolvane.so"));
    for (const int id : {15, 16, 17, 31, 32, 0xF060}) {
        seen.clear();
        window->OnSysCommand(id);
        EXPECT_EQ(seen, (id >= 16 && id <= 31 ? std::vector<std::string>{"CAboutDlg"} : std::vector<std::string>{}))
            << id;
    }
}

} // namespace
