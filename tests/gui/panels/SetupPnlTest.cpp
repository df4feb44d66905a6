// The capture-device panel: which enumerated devices it lists and how, which one it keeps
// selected across refreshes (and that the record behind it is the device shown), the USART
// choice, the supported-chip table's message, and the poll.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCursor>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "gui/ControlId.h"
#include "gui/GuiPlatform.h"
#include "gui/panels/CSetupPnl.h"
#include "gui/views/CToolTipCtrlEx.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikEbInfo.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/TempFolder.h"

namespace {

std::string Protocol(const char* name)
{
    return std::string(PELAGOR_TEST_PROTOCOLS_DIR "/") + name;
}

std::filesystem::path BoardFilePath()
{
    return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "pelagor" / "boards.ini";
}

template <size_t N>
void Put(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// Fills the whole field, leaving no terminator.
template <size_t N>
void Fill(char (&field)[N], char c)
{
    std::memset(field, c, N);
}

DravikEbInfo Usb(uint16_t boardType, const std::string& chipName, uint16_t usbId, uint32_t serial,
                 const std::string& text)
{
    DravikEbInfo info;
    info.boardType = boardType;
    info.usbDeviceId = usbId;
    info.serialNumber = serial;
    info.firmwareRevision = 0x0200;
    Put(info.chipName, chipName);
    Put(info.deviceText, text);
    info.chipCode = static_cast<uint16_t>(std::strtoul(chipName.c_str() + 2, nullptr, 16));
    return info;
}

DravikEbInfo Serial(uint16_t chipCode, const std::string& port, uint32_t serial, const std::string& text)
{
    DravikEbInfo info;
    info.boardType = DravikEb::kBoardSerialPort;
    info.chipCode = chipCode;
    info.usbDeviceId = 0x0006;
    info.serialNumber = serial;
    char name[16];
    std::snprintf(name, sizeof name, "QZ%X", chipCode);
    Put(info.chipName, name);
    Put(info.portName, port);
    Put(info.deviceText, text);
    return info;
}

const DravikEbInfo kKestrix1C = Usb(DravikEb::kBoardKestrix, "QZ6F1C", 0x0002, 1002, "Kestrix board");
const DravikEbInfo kKestrix87 = Usb(DravikEb::kBoardKestrix, "QZ6F87", 0x0003, 1003, "Kestrix board");
const DravikEbInfo kTrennic = Usb(DravikEb::kBoardTrennic, "QZ6E7A", 0x0004, 1004, "Trennic board");
const DravikEbInfo kDalvor3A1E = Usb(DravikEb::kBoardDalvor, "QZ3A1E", 0x0001, 1001, "Dalvor");

const char* const kKestrix1CText = "Kestrix board (USB Device ID=0002) -- QZ6F1C";
const char* const kKestrix87Text = "Kestrix board (USB Device ID=0003) -- QZ6F87";
const char* const kTrennicText = "Trennic board (USB Device ID=0004) -- QZ6E7A";

// Enumerates the records it is given, as the board library would.
class ListedBoards : public DravikBoardSource {
public:
    std::vector<DravikEbInfo> boards;
    int enumerations = 0;

    int Enumerate(DravikEbInfo* records, int capacity, uint32_t) override
    {
        ++enumerations;
        const int count = std::min(capacity, static_cast<int>(boards.size()));
        std::copy_n(boards.begin(), count, records);
        return count;
    }
    std::unique_ptr<DravikEb> Open(const DravikEbInfo&, int) override { return nullptr; }
    int Update(const DravikEbInfo&, const char*, int, DravikEb::ProgressFunction) override { return -4; }
};

// Stands for the main window: collects the keys that come out of the panel.
class KeyCatcher : public QWidget {
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

class SetupPnlTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove(BoardFilePath());
        InstallDravikBoardSource(&boards_);
        // Away from the panel: no tip opens by chance.
        QCursor::setPos(790, 590);
        host_.setGeometry(40, 40, 1000, 180);
        panel_ = new CSetupPnl(&host_);
        panel_->setGeometry(10, 10, 980, 160);
        panel_->SetPluginFolder(Protocol("Generic"));
        panel_->SetDeviceSelectedHandler([this](const std::string& type) { told_.push_back(type); });
        host_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_));
    }

    void TearDown() override
    {
        InstallDravikBoardSource(nullptr);
        std::filesystem::remove(BoardFilePath());
    }

    // The simulated boards of the board file (or their default set) instead of the list.
    void UseSimulatedBoards() { InstallDravikBoardSource(nullptr); }

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < List()->count(); ++i)
            texts.push_back(List()->item(i)->text().toStdString());
        return texts;
    }
    std::string Shown() const
    {
        const QListWidgetItem* item = List()->currentItem();
        return item != nullptr && item->isSelected() ? item->text().toStdString() : std::string();
    }
    QListWidget* List() const { return panel_->DeviceList(); }
    QGroupBox* Group() const { return FindControl<QGroupBox>(panel_, 1105); }
    QRadioButton* Usart1() const { return FindControl<QRadioButton>(panel_, 1107); }
    QRadioButton* Usart0() const { return FindControl<QRadioButton>(panel_, 1108); }
    bool UsartShown() const
    {
        const bool group = Group()->isVisibleTo(panel_);
        EXPECT_EQ(Usart0()->isVisibleTo(panel_), group);
        EXPECT_EQ(Usart1()->isVisibleTo(panel_), group);
        return group;
    }
    void Refresh(const std::vector<DravikEbInfo>& boards)
    {
        boards_.boards = boards;
        panel_->RefreshDeviceList();
    }
    // Picks an entry as the user does.
    void Pick(const std::string& text)
    {
        const auto found = List()->findItems(QString::fromStdString(text), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text;
        const QRect rect = List()->visualItemRect(found.front());
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
        ASSERT_EQ(Shown(), text);
    }

    std::vector<platform::MessageBoxRequest> boxes_;
    std::function<void()> duringBox_;
    GuiPlatform platform_{[this](const platform::MessageBoxRequest& request) {
        boxes_.push_back(request);
        if (duringBox_)
            duringBox_();
        return platform::DefaultAnswer(request.buttons);
    }};
    ListedBoards boards_;
    std::vector<std::string> told_;
    KeyCatcher host_;
    CSetupPnl* panel_ = nullptr;
};

// ---------------------------------------------------------------- entry texts

struct EntryCase {
    const char* name;
    DravikEbInfo record;
    std::string entry; // empty: not listed
    std::string deviceType;
};

DravikEbInfo WithUsbId(DravikEbInfo info, uint16_t id)
{
    info.usbDeviceId = id;
    return info;
}

std::vector<EntryCase> EntryCases()
{
    std::vector<EntryCase> cases;
    cases.push_back({"usb", kKestrix1C, kKestrix1CText, "QZ6F1C"});
    cases.push_back({"usb id in lower-case hex",
                     Usb(DravikEb::kBoardKestrix, "QZ3A5C", 0xABCD, 7, "Kestrix board"),
                     "Kestrix board (USB Device ID=abcd) -- QZ3A5C", "QZ3A5C"});
    cases.push_back({"serial", Serial(0x6F1C, "/dev/ttyS0", 1006, "Serial-port device"),
                     "Serial-port device (PORT=/dev/ttyS0) -- QZ6F1C", "QZ6F1C"});
    cases.push_back({"serial code without leading zeros", Serial(0x0E61, "/dev/ttyUSB3", 9, "Probe"),
                     "Probe (PORT=/dev/ttyUSB3) -- QZE61", "QZE61"});
    cases.push_back({"serial needs no usb id", WithUsbId(Serial(0x3A1E, "/dev/ttyS1", 8, "Bridge"), 0),
                     "Bridge (PORT=/dev/ttyS1) -- QZ3A1E", "QZ3A1E"});
    cases.push_back({"usb id 0", WithUsbId(kKestrix1C, 0), "", ""});
    cases.push_back({"usb id 0xFFFF", WithUsbId(kKestrix1C, 0xFFFF), "", ""});
    cases.push_back({"unsupported chip", Usb(DravikEb::kBoardKestrix, "QZ9999", 0x0002, 3, "Kestrix board"), "", ""});
    cases.push_back({"chip name is case-sensitive", Usb(DravikEb::kBoardKestrix, "qz6f1c", 0x0002, 3, "Kestrix"), "",
                     ""});
    cases.push_back({"format characters in the text",
                     Usb(DravikEb::kBoardKestrix, "QZ6F1C", 0x0002, 3, "100% %s %n board"),
                     "100% %s %n board (USB Device ID=0002) -- QZ6F1C", "QZ6F1C"});
    // The device text may hold the marker; the chip name is the one at the end.
    cases.push_back({"marker in the device text",
                     Usb(DravikEb::kBoardKestrix, "QZ6F1C", 0x0002, 3, "Adapter -- QZ6F87 kit"),
                     "Adapter -- QZ6F87 kit (USB Device ID=0002) -- QZ6F1C", "QZ6F1C"});

    // Texts that fill their fields: never read beyond them.
    DravikEbInfo longText = kKestrix1C;
    Fill(longText.deviceText, 'K');
    cases.push_back({"device text without terminator", longText,
                     std::string(128, 'K') + " (USB Device ID=0002) -- QZ6F1C", "QZ6F1C"});
    DravikEbInfo longPort = Serial(0x6F1C, "", 11, "Serial-port device");
    Fill(longPort.portName, 'p');
    cases.push_back({"port name without terminator", longPort,
                     "Serial-port device (PORT=" + std::string(64, 'p') + ") -- QZ6F1C", "QZ6F1C"});
    DravikEbInfo longChip = kKestrix1C;
    Fill(longChip.chipName, 'C');
    std::memcpy(longChip.chipName, "QZ6F1C", 6);
    cases.push_back({"chip name without terminator", longChip, "", ""});
    return cases;
}

TEST_F(SetupPnlTest, ListsSupportedDevicesWithTheirEntryTexts)
{
    for (const EntryCase& c : EntryCases()) {
        SCOPED_TRACE(c.name);
        CSetupPnl panel(nullptr);
        std::vector<std::string> told;
        panel.SetDeviceSelectedHandler([&](const std::string& type) { told.push_back(type); });
        panel.SetPluginFolder(Protocol("Generic"));
        boards_.boards = {c.record};
        panel.RefreshDeviceList();
        const QListWidget* list = panel.DeviceList();
        if (c.entry.empty()) {
            EXPECT_EQ(list->count(), 0);
            EXPECT_EQ(panel.SelectedDevice(), nullptr);
            EXPECT_TRUE(told.empty());
            EXPECT_EQ(panel.GetDeviceType(), "");
            continue;
        }
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->item(0)->text().toLatin1().toStdString(), c.entry);
        ASSERT_NE(panel.SelectedDevice(), nullptr);
        EXPECT_EQ(panel.SelectedDevice()->serialNumber, c.record.serialNumber);
        EXPECT_EQ(panel.GetDeviceType(), c.deviceType);
        EXPECT_EQ(told, std::vector<std::string>{c.deviceType});
    }
    EXPECT_TRUE(boxes_.empty());
}

struct ProtocolCase {
    const char* folder;
    std::vector<std::string> entries;
};

TEST_F(SetupPnlTest, TheSimulatedBoardsAreListedSortedForEachProtocol)
{
    UseSimulatedBoards();
    const std::vector<ProtocolCase> cases = {
        {"Generic",
         {"Dalvor (USB Device ID=0001) -- QZ6F87", kKestrix1CText, kKestrix87Text,
          "Kestrix board (USB Device ID=0005) -- QZ3A5C", "Serial-port device (PORT=/dev/ttyS0) -- QZ6F1C",
          kTrennicText}},
        {"Fennet",
         {"Dalvor (USB Device ID=0001) -- QZ6F87", kKestrix1CText, kKestrix87Text,
          "Kestrix board (USB Device ID=0005) -- QZ3A5C", "Serial-port device (PORT=/dev/ttyS0) -- QZ6F1C",
          kTrennicText}},
        {"Tolvane", {"Dalvor (USB Device ID=0001) -- QZ6F87", kKestrix87Text, kTrennicText}},
    };
    for (const ProtocolCase& c : cases) {
        SCOPED_TRACE(c.folder);
        CSetupPnl panel(nullptr);
        panel.SetPluginFolder(Protocol(c.folder));
        panel.RefreshDeviceList();
        std::vector<std::string> texts;
        for (int i = 0; i < panel.DeviceList()->count(); ++i)
            texts.push_back(panel.DeviceList()->item(i)->text().toStdString());
        EXPECT_EQ(texts, c.entries);
        EXPECT_EQ(panel.GetDeviceType(), "QZ6F87");
        EXPECT_EQ(panel.UsartChoice(), 1);
    }
    EXPECT_TRUE(boxes_.empty());

    panel_->RefreshDeviceList();
    EXPECT_EQ(Shown(), "Dalvor (USB Device ID=0001) -- QZ6F87");
    EXPECT_FALSE(UsartShown());
    SaveScreen(panel_, "setup_panel");
}

TEST_F(SetupPnlTest, SortsWithoutRegardToCase)
{
    Refresh({Usb(DravikEb::kBoardKestrix, "QZ6F1C", 0x0002, 1, "beta"),
             Usb(DravikEb::kBoardKestrix, "QZ6F1C", 0x0003, 2, "Alpha"),
             Usb(DravikEb::kBoardKestrix, "QZ6F1C", 0x0004, 3, "Gamma")});
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Alpha (USB Device ID=0003) -- QZ6F1C",
                                                   "beta (USB Device ID=0002) -- QZ6F1C",
                                                   "Gamma (USB Device ID=0004) -- QZ6F1C"}));
    // Each entry's record is the one its text was made of.
    for (int i = 0; i < List()->count(); ++i) {
        List()->setCurrentRow(i);
        ASSERT_NE(panel_->SelectedDevice(), nullptr);
        EXPECT_EQ(panel_->SelectedDevice()->serialNumber, static_cast<uint32_t>(std::vector<int>{2, 1, 3}[i]));
    }
}

// ---------------------------------------------------------------- refresh

TEST_F(SetupPnlTest, SameDevicesKeepTheListAndSelectionWithFreshRecords)
{
    Refresh({kKestrix1C, kKestrix87, kTrennic});
    Pick(kTrennicText);
    const std::vector<std::string> told = told_;
    const QListWidgetItem* shown = List()->currentItem();

    // The board was updated meanwhile: same device, new firmware.
    DravikEbInfo updated = kTrennic;
    updated.firmwareRevision = 0x0301;
    Refresh({kKestrix1C, kKestrix87, updated});
    EXPECT_EQ(List()->currentItem(), shown);
    EXPECT_EQ(Shown(), kTrennicText);
    EXPECT_EQ(told_, told);
    ASSERT_NE(panel_->SelectedDevice(), nullptr);
    EXPECT_EQ(panel_->SelectedDevice()->serialNumber, 1004u);
    EXPECT_EQ(panel_->SelectedDevice()->firmwareRevision, 0x0301);
}

struct ChangeCase {
    const char* name;
    std::vector<DravikEbInfo> before;
    std::string picked;
    std::vector<DravikEbInfo> after;
    std::string shownAfter;
    uint32_t serialAfter;
};

DravikEbInfo WithSerial(DravikEbInfo info, uint32_t serial)
{
    info.serialNumber = serial;
    return info;
}

TEST_F(SetupPnlTest, OtherDevicesAtTheSameCountRebuildTheList)
{
    const DravikEbInfo otherTrennic = WithSerial(kTrennic, 2004);
    const std::vector<ChangeCase> cases = {
        {"swapped", {kKestrix1C, kTrennic}, kTrennicText, {kTrennic, kKestrix1C}, kTrennicText, 1004},
        {"reordered", {kKestrix1C, kKestrix87, kTrennic}, kKestrix87Text, {kTrennic, kKestrix87, kKestrix1C},
         kKestrix87Text, 1003},
        {"replaced", {kKestrix1C, kTrennic}, kTrennicText, {kKestrix1C, kKestrix87}, kKestrix1CText, 1002},
        {"same text, other board", {kKestrix1C, kTrennic}, kTrennicText, {otherTrennic, kKestrix1C}, kTrennicText,
         2004},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        CSetupPnl panel(&host_);
        panel.SetPluginFolder(Protocol("Generic"));
        boards_.boards = c.before;
        panel.RefreshDeviceList();
        const auto found = panel.DeviceList()->findItems(QString::fromStdString(c.picked), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        panel.DeviceList()->setCurrentItem(found.front());

        boards_.boards = c.after;
        panel.RefreshDeviceList();
        ASSERT_NE(panel.DeviceList()->currentItem(), nullptr);
        EXPECT_EQ(panel.DeviceList()->currentItem()->text().toStdString(), c.shownAfter);
        // Start captures from the record behind the entry: it must be the device shown.
        ASSERT_NE(panel.SelectedDevice(), nullptr);
        EXPECT_EQ(panel.SelectedDevice()->serialNumber, c.serialAfter);
        EXPECT_EQ(panel.DeviceList()->count(), static_cast<int>(c.after.size()));
    }
}

TEST_F(SetupPnlTest, ReplugReselectsByTextElseTheFirstEntry)
{
    Refresh({kKestrix1C, kKestrix87, kTrennic});
    Pick(kKestrix87Text);
    told_.clear();

    // All unplugged: nothing selected, the main window is not told.
    Refresh({});
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(panel_->SelectedDevice(), nullptr);
    EXPECT_EQ(panel_->GetDeviceType(), "");
    EXPECT_TRUE(told_.empty());

    // Back, among others: the entry beginning with the remembered text, without regard to case.
    DravikEbInfo upper = kKestrix87;
    Put(upper.deviceText, "KESTRIX BOARD");
    Refresh({Usb(DravikEb::kBoardKestrix, "QZ6F1C", 0x0009, 9, "Alpha"), upper});
    EXPECT_EQ(Shown(), "KESTRIX BOARD (USB Device ID=0003) -- QZ6F87");
    EXPECT_EQ(panel_->SelectedDevice()->serialNumber, 1003u);
    EXPECT_EQ(told_, std::vector<std::string>{"QZ6F87"});

    // Gone for good: the first entry, which is remembered from then on.
    Refresh({kTrennic, kKestrix1C, Usb(DravikEb::kBoardKestrix, "QZ6F1C", 0x0009, 9, "Zeta")});
    EXPECT_EQ(Shown(), kKestrix1CText);
    Refresh({});
    Refresh({kTrennic, kKestrix1C});
    EXPECT_EQ(Shown(), kKestrix1CText);
    EXPECT_EQ(panel_->SelectedDevice()->serialNumber, 1002u);
}

TEST_F(SetupPnlTest, TheHandlerIsToldTheDeviceTypeOfEverySelection)
{
    Refresh({kKestrix1C, kKestrix87, Serial(0x3A1E, "/dev/ttyS2", 5, "Serial-port device")});
    EXPECT_EQ(told_, std::vector<std::string>{"QZ6F1C"});
    Pick("Serial-port device (PORT=/dev/ttyS2) -- QZ3A1E");
    Pick(kKestrix87Text);
    QTest::keyClick(List(), Qt::Key_Up);
    EXPECT_EQ(told_, (std::vector<std::string>{"QZ6F1C", "QZ3A1E", "QZ6F87", "QZ6F1C"}));
    EXPECT_EQ(panel_->GetDeviceType(), "QZ6F1C");
    EXPECT_EQ(panel_->SelectedDevice()->serialNumber, 1002u);
}

TEST_F(SetupPnlTest, AControlClickLeavesTheEntrySelected)
{
    Refresh({kKestrix1C, kKestrix87});
    const QRect rect = List()->visualItemRect(List()->item(0));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
    EXPECT_EQ(Shown(), kKestrix1CText);
    ASSERT_NE(panel_->SelectedDevice(), nullptr);
    EXPECT_EQ(panel_->SelectedDevice()->serialNumber, 1002u);
}

// ---------------------------------------------------------------- USART choice

struct UsartCase {
    const char* name;
    DravikEbInfo record;
    bool offered;
};

TEST_F(SetupPnlTest, TheUsartChoiceIsOfferedForTheDalvorUnitsTwoChips)
{
    const std::vector<UsartCase> cases = {
        {"Dalvor QZ3A1E", kDalvor3A1E, true},
        {"Dalvor QZ6F1C", Usb(DravikEb::kBoardDalvor, "QZ6F1C", 0x0001, 1, "Dalvor"), true},
        {"Dalvor behind a serial port", Serial(0x6F1C, "/dev/ttyS0", 2, "Dalvor unit"), true},
        {"Dalvor QZ6F87", Usb(DravikEb::kBoardDalvor, "QZ6F87", 0x0001, 3, "Dalvor"), false},
        {"Kestrix QZ6F1C", kKestrix1C, false},
        {"Kestrix QZ3A1E", Usb(DravikEb::kBoardKestrix, "QZ3A1E", 0x0002, 4, "Kestrix board"), false},
    };
    for (const UsartCase& c : cases) {
        SCOPED_TRACE(c.name);
        Refresh({});
        Refresh({c.record});
        ASSERT_EQ(List()->count(), 1);
        EXPECT_EQ(UsartShown(), c.offered);
        EXPECT_EQ(panel_->UsartChoice(), c.offered ? 0 : 1);
        EXPECT_EQ(Usart0()->isChecked(), c.offered);
        EXPECT_EQ(Usart1()->isChecked(), !c.offered);
    }
}

TEST_F(SetupPnlTest, TheRadioButtonsSetTheChoiceAndEverySelectionResetsIt)
{
    EXPECT_EQ(panel_->UsartChoice(), 1);
    EXPECT_FALSE(UsartShown());
    Refresh({kDalvor3A1E, kKestrix1C});
    EXPECT_EQ(Shown(), "Dalvor (USB Device ID=0001) -- QZ3A1E");
    ASSERT_TRUE(UsartShown());

    QTest::mouseClick(Usart1(), Qt::LeftButton);
    EXPECT_EQ(panel_->UsartChoice(), 1);
    EXPECT_TRUE(Usart1()->isChecked());
    EXPECT_FALSE(Usart0()->isChecked());
    QTest::mouseClick(Usart0(), Qt::LeftButton);
    EXPECT_EQ(panel_->UsartChoice(), 0);
    EXPECT_FALSE(Usart1()->isChecked());
    QTest::mouseClick(Usart1(), Qt::LeftButton);
    EXPECT_EQ(panel_->UsartChoice(), 1);

    Pick(kKestrix1CText);
    EXPECT_FALSE(UsartShown());
    EXPECT_EQ(panel_->UsartChoice(), 1);
    Pick("Dalvor (USB Device ID=0001) -- QZ3A1E");
    EXPECT_TRUE(UsartShown());
    EXPECT_EQ(panel_->UsartChoice(), 0);
}

TEST_F(SetupPnlTest, ABoardFileDalvorOffersTheChoice)
{
    std::filesystem::create_directories(BoardFilePath().parent_path());
    std::ofstream(BoardFilePath()) << "[board]\ntype = dalvor\nchip = QZ6F1C\nusb id = 0x0011\nserial = 77\n\n"
                                      "[board]\ntype = kestrix\nchip = 0x6F87\nusb id = 0x0012\nserial = 78\n"
                                      "text = Kestrix evaluation board\n";
    UseSimulatedBoards();
    panel_->RefreshDeviceList();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Dalvor (USB Device ID=0011) -- QZ6F1C",
                                                   "Kestrix evaluation board (USB Device ID=0012) -- QZ6F87"}));
    EXPECT_EQ(Shown(), "Dalvor (USB Device ID=0011) -- QZ6F1C");
    EXPECT_TRUE(UsartShown());
    EXPECT_TRUE(Usart0()->isChecked());
    EXPECT_EQ(panel_->UsartChoice(), 0);
    ASSERT_NE(panel_->SelectedDevice(), nullptr);
    EXPECT_EQ(panel_->SelectedDevice()->serialNumber, 77u);
    SaveScreen(panel_, "setup_panel_usart");
}

// ---------------------------------------------------------------- the supported-chip table

TEST_F(SetupPnlTest, AnUnreadableTableIsToldOnceAndRetried)
{
    testsupport::TempFolder protocols;
    const std::string folder = protocols / "Fixture";
    std::filesystem::create_directories(folder);
    // A poll that fires while the box is open refreshes again inside it.
    duringBox_ = [this] { panel_->RefreshDeviceList(); };
    panel_->SetPluginFolder(folder);
    for (int i = 0; i < 3; ++i)
        Refresh({kKestrix1C, kTrennic});
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Not able to read table of supported device types.");
    EXPECT_EQ(boxes_[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(panel_->GetDeviceType(), "");
    EXPECT_EQ(panel_->SelectedDevice(), nullptr);
    EXPECT_TRUE(told_.empty());

    // Readable now: the same devices are listed at the next refresh, without a word.
    protocols.Write("Fixture/SupChipType.plt", "# CHIPTYPE\nQZ6E7A\n");
    Refresh({kKestrix1C, kTrennic});
    EXPECT_EQ(Entries(), std::vector<std::string>{kTrennicText});
    EXPECT_EQ(told_, std::vector<std::string>{"QZ6E7A"});
    EXPECT_EQ(boxes_.size(), 1u);

    // Another protocol whose table cannot be read: a new failure, told again; its list is its own.
    panel_->SetPluginFolder(protocols / "Missing");
    Refresh({kKestrix1C, kTrennic});
    Refresh({kKestrix1C, kTrennic});
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].text, "Not able to read table of supported device types.");
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(panel_->SelectedDevice(), nullptr);

    // And back to a readable one.
    panel_->SetPluginFolder(Protocol("Generic"));
    Refresh({kKestrix1C, kTrennic});
    EXPECT_EQ(Entries(), (std::vector<std::string>{kKestrix1CText, kTrennicText}));
    EXPECT_EQ(boxes_.size(), 2u);
}

TEST_F(SetupPnlTest, AnotherProtocolListsItsOwnChips)
{
    Refresh({kKestrix1C, kTrennic});
    EXPECT_EQ(Shown(), kKestrix1CText);
    panel_->SetPluginFolder(Protocol("Tolvane"));
    Refresh({kKestrix1C, kTrennic});
    EXPECT_EQ(Entries(), std::vector<std::string>{kTrennicText});
    EXPECT_EQ(panel_->SelectedDevice()->serialNumber, 1004u);
    EXPECT_EQ(panel_->GetDeviceType(), "QZ6E7A");
    // The same folder again changes nothing.
    const QListWidgetItem* shown = List()->currentItem();
    panel_->SetPluginFolder(Protocol("Tolvane"));
    Refresh({kKestrix1C, kTrennic});
    EXPECT_EQ(List()->currentItem(), shown);
    EXPECT_TRUE(boxes_.empty());
}

// ---------------------------------------------------------------- blocking and the poll

TEST_F(SetupPnlTest, ABlockedRefreshIsSkipped)
{
    bool blocked = true;
    int asked = 0;
    panel_->SetRefreshBlocked([&] {
        ++asked;
        return blocked;
    });
    Refresh({kKestrix1C});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(boards_.enumerations, 0);
    EXPECT_EQ(List()->count(), 0);

    blocked = false;
    Refresh({kKestrix1C});
    EXPECT_EQ(Entries(), std::vector<std::string>{kKestrix1CText});

    // While blocked, a selected device stays as it was, whatever is attached.
    blocked = true;
    Refresh({kTrennic, kKestrix87});
    EXPECT_EQ(Entries(), std::vector<std::string>{kKestrix1CText});
    EXPECT_EQ(panel_->SelectedDevice()->serialNumber, 1002u);
}

TEST_F(SetupPnlTest, ThePollRefreshesUnlessBlocked)
{
    bool blocked = true;
    int asked = 0;
    panel_->SetRefreshBlocked([&] {
        ++asked;
        return blocked;
    });
    boards_.boards = {kKestrix1C};
    panel_->StartDevicePoll(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked >= 3; }, 5000));
    EXPECT_EQ(boards_.enumerations, 0);
    EXPECT_EQ(List()->count(), 0);

    blocked = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return List()->count() == 1; }, 5000));
    boards_.boards = {kKestrix1C, kTrennic};
    ASSERT_TRUE(QTest::qWaitFor([&] { return List()->count() == 2; }, 5000));
    EXPECT_EQ(Shown(), kKestrix1CText);
    // Every rebuild selects again and tells the main window.
    EXPECT_EQ(told_, (std::vector<std::string>{"QZ6F1C", "QZ6F1C"}));
}

// ---------------------------------------------------------------- layout, keys, tip

TEST_F(SetupPnlTest, TheListLeavesRoomForTheUsartGroup)
{
    const QPoint origin = List()->pos();
    for (const QSize size : {QSize(980, 160), QSize(600, 120), QSize(1400, 300)}) {
        panel_->resize(size);
        const QRect list = List()->geometry();
        EXPECT_EQ(list.topLeft(), origin);
        EXPECT_EQ(list.right() + 1, size.width());
        EXPECT_EQ(list.bottom() + 1, size.height() - 45);
        const QRect group = Group()->geometry();
        EXPECT_GE(group.top(), list.bottom() + 1);
        EXPECT_LE(group.bottom() + 1, size.height());
    }
}

TEST_F(SetupPnlTest, EscapeStaysInThePanel)
{
    Refresh({kDalvor3A1E, kKestrix1C});
    for (QWidget* control : std::vector<QWidget*>{List(), Usart0(), Usart1(), panel_}) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Escape);
    }
    EXPECT_TRUE(host_.keys.empty());
    EXPECT_EQ(Shown(), "Dalvor (USB Device ID=0001) -- QZ3A1E");
}

TEST_F(SetupPnlTest, TheListHasItsTipAndCanBeDisabled)
{
    EXPECT_EQ(panel_->Tips().TextOf(List()), QStringLiteral("Select one of the given devices."));
    Refresh({kKestrix1C});
    QCursor::setPos(List()->viewport()->mapToGlobal(QPoint(200, 40)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel_->Tips().Tip().isVisible(); }, 5000));
    EXPECT_EQ(panel_->Tips().Tip().CurrentControl(), List());
    EXPECT_LE(panel_->Tips().Tip().width(), 400 + 2 * CToolTipCtrlEx::kMarginX);
    QCursor::setPos(790, 590);
    QApplication::processEvents();

    panel_->EnableDeviceList(false);
    EXPECT_FALSE(List()->isEnabled());
    panel_->EnableDeviceList(true);
    EXPECT_TRUE(List()->isEnabled());
}

} // namespace
