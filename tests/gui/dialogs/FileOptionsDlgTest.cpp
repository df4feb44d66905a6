// The data-file options dialog: device, layout and block size of a file the program cannot
// read on its own, and the choices it remembers.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/host/CPelagorSettings.h"
#include "core/host/PluginHandler.h"
#include "core/tables/TabPlugin.h"
#include "gui/ControlId.h"
#include "gui/dialogs/CFileOptionsDlg.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/SettingsFixture.h"

namespace {

constexpr int IDOK = CModalDlg::IDOK;
constexpr int IDCANCEL = CModalDlg::IDCANCEL;
constexpr int kOld = CFileOptionsDlg::kOldLayout;
constexpr int kNew = CFileOptionsDlg::kNewLayout;

class FileOptionsDlgTest : public testsupport::SettingsFixture {
protected:
    // As the open-data command prepares it: protocol, device, H without the use-H switch, the
    // file check's answer.
    CFileOptionsDlg& Make(const std::string& protocol, const std::string& device, int H, int layout, bool known)
    {
        dialog = std::make_unique<CFileOptionsDlg>(nullptr);
        dialog->SetProtocolName(protocol);
        dialog->SetDeviceType(device);
        dialog->SetBlockSize(H, false);
        dialog->SetFileInfo(layout, known);
        return *dialog;
    }
    CFileOptionsDlg& Open(const std::string& protocol, const std::string& device, int H, int layout, bool known)
    {
        Make(protocol, device, H, layout, known);
        Show();
        return *dialog;
    }
    void Show()
    {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    // Destroys the dialog, which saves what it showed.
    void Close() { dialog.reset(); }

    template <typename T>
    T* Control(int id) const
    {
        T* control = FindControl<T>(dialog.get(), id);
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
    QLineEdit* BlockSizeEdit() const { return Control<QLineEdit>(CFileOptionsDlg::kBlockSizeId); }
    QComboBox* DeviceCombo() const { return Control<QComboBox>(CFileOptionsDlg::kDeviceTypeId); }
    QCheckBox* FormatSwitch() const { return Control<QCheckBox>(CFileOptionsDlg::kFormatSwitchId); }
    QRadioButton* OldLayout() const { return Control<QRadioButton>(CFileOptionsDlg::kOldLayoutId); }
    QRadioButton* NewLayout() const { return Control<QRadioButton>(CFileOptionsDlg::kNewLayoutId); }

    static void Type(QLineEdit* edit, const char* text)
    {
        edit->selectAll();
        edit->del();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }

    platform::MessageBoxRecorder boxes;
    std::unique_ptr<CFileOptionsDlg> dialog;
};

// ------------------------------------------------------------------ protocol default sizes

struct ProtocolCase {
    const char* protocol;
    const char* oldLayoutText;
    int blockSize; // what OK hands the caller; 0: the caller reads with H
};

void PrintTo(const ProtocolCase& c, std::ostream* out)
{
    *out << '"' << c.protocol << '"';
}

const ProtocolCase kProtocolCases[] = {
    {"Fennet", "270", 270},
    {"fennet", "270", 270},
    {"Generic", "270", 270},
    {"Bluetooth Low Energy", "270", 270},
    {"Tolvane", "150", 150},
    {"ZigBee", "150", 150},
    {"IEEE 802.15.4 MAC and ZigBee", "150", 150},
    {"Fennet ", "Unknown", 0},
    {"Fennetd", "Unknown", 0},
    {"Other", "Unknown", 0},
    {"", "Unknown", 0},
};

class ProtocolDefaultTest : public FileOptionsDlgTest, public testing::WithParamInterface<ProtocolCase> {};

TEST_P(ProtocolDefaultTest, OldLayoutShowsTheProtocolsBlockSize)
{
    Open(GetParam().protocol, "QZ6F86", 300, kOld, false);
    EXPECT_TRUE(OldLayout()->isChecked());
    EXPECT_EQ(BlockSizeEdit()->text(), QString::fromLatin1(GetParam().oldLayoutText));
    dialog->OnOK();
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(dialog->GetLayout(), kOld);
    EXPECT_EQ(dialog->GetBlockSize(), GetParam().blockSize);
    Close();
    EXPECT_EQ(Stored()->dataVer, kOld);
    EXPECT_EQ(Stored()->blockSize, GetParam().blockSize);
}

INSTANTIATE_TEST_SUITE_P(Protocols, ProtocolDefaultTest, testing::ValuesIn(kProtocolCases));

// The shipped plug-in descriptions: their protocol name and raw record length H.
struct DescriptionCase {
    const char* file;
    const char* oldLayoutText;
};

void PrintTo(const DescriptionCase& c, std::ostream* out)
{
    *out << c.file;
}

class ShippedProtocolTest : public FileOptionsDlgTest, public testing::WithParamInterface<DescriptionCase> {};

TEST_P(ShippedProtocolTest, LayoutButtonsSwitchBetweenProtocolDefaultAndH)
{
    const TabPlugin description(std::string(PELAGOR_TEST_PROTOCOLS_DIR "/") + GetParam().file);
    ASSERT_FALSE(description.IsEmpty());
    const char* name = description.GetValue("Protocol_name");
    const char* raw = description.GetValue("Packet_length_raw_data");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(raw, nullptr);
    const int H = std::atoi(raw);

    Open(name, "Unknown", H, kNew, false);
    EXPECT_TRUE(NewLayout()->isChecked());
    EXPECT_EQ(BlockSizeEdit()->text(), QString::number(H));
    OldLayout()->click();
    EXPECT_EQ(BlockSizeEdit()->text(), QString::fromLatin1(GetParam().oldLayoutText));
    NewLayout()->click();
    EXPECT_EQ(BlockSizeEdit()->text(), QString::number(H));
    dialog->OnOK();
    EXPECT_EQ(dialog->GetLayout(), kNew);
    EXPECT_EQ(dialog->GetBlockSize(), H);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedProtocolTest,
                         testing::Values(DescriptionCase{"Fennet/Fennetd.plt", "270"},
                                         DescriptionCase{"Generic/Halyard.plt", "270"},
                                         DescriptionCase{"Tolvane/Tolvane.plt", "150"}));

// ------------------------------------------------------------------ typed block sizes

struct BlockSizeCase {
    const char* typed;
    std::optional<int> blockSize; // nothing: refused
};

void PrintTo(const BlockSizeCase& c, std::ostream* out)
{
    *out << '"' << c.typed << '"';
}

const BlockSizeCase kBlockSizeCases[] = {
    {"300", 300},
    {" 300 ", 300},
    {"15", 15},
    {"65535", 65535},
    // Left to the caller, which reads with H.
    {"Unknown", 0},
    {"", 0},
    // Shorter than the head the reader takes from every record.
    {"14", std::nullopt},
    {"5", std::nullopt},
    {"0", std::nullopt},
    {"-1", std::nullopt},
    // Longer than a record the store keeps; cut to 16 bits 70000 would read as 4464.
    {"65536", std::nullopt},
    {"70000", std::nullopt},
    // "%d" reads it as 1.
    {"4294967297", std::nullopt},
    {"270abc", std::nullopt},
    {"1e3", std::nullopt},
    {"0x100", std::nullopt},
    {"nan", std::nullopt},
    {"inf", std::nullopt},
    {"abc", std::nullopt},
    {"unknown", std::nullopt},
};

class TypedBlockSizeTest : public FileOptionsDlgTest, public testing::WithParamInterface<BlockSizeCase> {};

TEST_P(TypedBlockSizeTest, TakesOnlyBlockSizesARecordCanHave)
{
    Open("Fennet", "QZ6F86", 272, kNew, false);
    Type(BlockSizeEdit(), GetParam().typed);
    dialog->OnOK();
    if (GetParam().blockSize) {
        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_EQ(dialog->result(), IDOK);
        EXPECT_EQ(dialog->GetBlockSize(), *GetParam().blockSize);
        Close();
        EXPECT_EQ(Stored()->blockSize, *GetParam().blockSize);
    } else {
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, std::string("Invalid block size: ") + GetParam().typed +
                                                 ".\r\nThe block size should be in the range 15 : 65535");
        EXPECT_EQ(boxes.Requests()[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->focusWidget(), BlockSizeEdit());
        // Given up on: nothing that cannot be a record is remembered.
        dialog->OnCancel();
        EXPECT_EQ(dialog->result(), IDCANCEL);
        EXPECT_EQ(dialog->GetBlockSize(), 0);
        Close();
        EXPECT_EQ(Stored()->blockSize, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, TypedBlockSizeTest, testing::ValuesIn(kBlockSizeCases));

// ------------------------------------------------------------------ stored choices

struct StoredBlockSizeCase {
    int32_t stored;
    bool useH;
    const char* shown;
};

TEST_F(FileOptionsDlgTest, StoredBlockSizeWinsUnlessItIsNone)
{
    const StoredBlockSizeCase cases[] = {
        {300, false, "300"}, {15, false, "15"},  {65535, false, "65535"}, {300, true, "272"},
        {0, false, "272"},   {-5, false, "272"}, {3, false, "272"},       {14, false, "272"},
        {70000, false, "272"},
    };
    for (const StoredBlockSizeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored) + (c.useH ? " use H" : ""));
        Store([&c](CPelagorSettings& s) {
            s.blockSize = c.stored;
            s.dataVer = kNew;
        });
        dialog = std::make_unique<CFileOptionsDlg>(nullptr);
        dialog->SetProtocolName("Fennet");
        dialog->SetBlockSize(272, c.useH);
        Show();
        EXPECT_EQ(BlockSizeEdit()->text(), QString::fromLatin1(c.shown));
        Close();
    }
}

TEST_F(FileOptionsDlgTest, DamagedStoredLayoutIsTheNewLayout)
{
    for (const int32_t stored : {7, -1, 2}) {
        SCOPED_TRACE(stored);
        Store([stored](CPelagorSettings& s) { s.dataVer = stored; });
        dialog = std::make_unique<CFileOptionsDlg>(nullptr);
        EXPECT_EQ(dialog->GetLayout(), kNew);
        dialog->SetBlockSize(272, true);
        Show();
        EXPECT_TRUE(NewLayout()->isChecked());
        Close();
        EXPECT_EQ(Stored()->dataVer, kNew);
    }
    Store([](CPelagorSettings& s) { s.dataVer = kOld; });
    CFileOptionsDlg old(nullptr);
    EXPECT_EQ(old.GetLayout(), kOld);
}

TEST_F(FileOptionsDlgTest, DetectedLayoutOtherThan0Or1IsNotKnown)
{
    Open("Fennet", "QZ6F86", 272, 5, true);
    EXPECT_EQ(dialog->GetLayout(), kNew);
    EXPECT_TRUE(NewLayout()->isChecked());
    EXPECT_EQ(BlockSizeEdit()->text(), QStringLiteral("272"));
    // The user gets to choose.
    EXPECT_TRUE(FormatSwitch()->isChecked());
    EXPECT_TRUE(NewLayout()->isEnabled());
}

struct DeviceCase {
    int32_t storedIndex;
    const char* preset;
    int selected;       // -1: none, the preset as text
    const char* device; // GetDeviceType after OK
};

void PrintTo(const DeviceCase& c, std::ostream* out)
{
    *out << c.storedIndex << " \"" << c.preset << '"';
}

const DeviceCase kDeviceCases[] = {
    {2, "QZ6F1D", 2, "QZ6F87"}, // a stored choice wins over the preset
    {0, "QZ6F1D", 0, "Unknown"},
    {14, "QZ6F1D", 14, "QZ3B90"},
    {-1, "QZ6F1D", 7, "QZ6F1D"},
    {-1, "Unknown", 0, "Unknown"},
    {-1, "qz6f1d", 7, "QZ6F1D"},
    {-1, "QZ3A0V", -1, "QZ3A0V"}, // a chip of the table that the list leaves out
    {-1, "", -1, ""},
    // Damaged: no choice.
    {15, "QZ6F1D", 7, "QZ6F1D"},
    {99, "QZ6FB2", 8, "QZ6FB2"},
    {-7, "QZ6FB2", 8, "QZ6FB2"},
};

class DeviceChoiceTest : public FileOptionsDlgTest, public testing::WithParamInterface<DeviceCase> {};

TEST_P(DeviceChoiceTest, StoredChoiceOrPresetDevice)
{
    Store([](CPelagorSettings& s) { s.chipTypeIndex = GetParam().storedIndex; });
    Open("Fennet", GetParam().preset, 272, kNew, true);
    EXPECT_EQ(DeviceCombo()->currentIndex(), GetParam().selected);
    EXPECT_EQ(DeviceCombo()->currentText(), QString::fromLatin1(GetParam().device));
    dialog->OnOK();
    EXPECT_EQ(dialog->GetDeviceType(), GetParam().device);
    Close();
    // Only a choice in the list is stored.
    EXPECT_EQ(Stored()->chipTypeIndex, GetParam().storedIndex);
}

INSTANTIATE_TEST_SUITE_P(Devices, DeviceChoiceTest, testing::ValuesIn(kDeviceCases));

TEST_F(FileOptionsDlgTest, DeviceChoiceIsStoredAtOnce)
{
    Open("Fennet", "Unknown", 272, kNew, true);
    QComboBox* combo = DeviceCombo();
    ASSERT_EQ(combo->count(), 15);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down); // the user moves to the next item
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(Stored()->chipTypeIndex, 1); // while the dialog is still open
    dialog->OnCancel();
    EXPECT_EQ(dialog->GetDeviceType(), "QZ6F86");
}

TEST_F(FileOptionsDlgTest, TypedDeviceIsTakenAsTyped)
{
    Open("Fennet", "Unknown", 272, kNew, true);
    QLineEdit* edit = DeviceCombo()->lineEdit();
    ASSERT_NE(edit, nullptr);
    Type(edit, "QZ6F8");
    dialog->OnOK();
    // Not completed to a listed name: the chip lookup compares whole names.
    EXPECT_EQ(dialog->GetDeviceType(), "QZ6F8");
    EXPECT_EQ(PluginHandler::ChipIdFromName(dialog->GetDeviceType()), 0u);
}

TEST_F(FileOptionsDlgTest, EveryListedDeviceIsAChipOfTheTable)
{
    Open("Fennet", "Unknown", 272, kNew, true);
    QComboBox* combo = DeviceCombo();
    ASSERT_EQ(combo->count(), static_cast<int>(CFileOptionsDlg::kDeviceTypes.size()));
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Unknown"));
    EXPECT_EQ(PluginHandler::ChipIdFromName("Unknown"), 0u);
    for (int i = 1; i < combo->count(); ++i)
        EXPECT_NE(PluginHandler::ChipIdFromName(combo->itemText(i).toStdString()), 0u)
            << combo->itemText(i).toStdString();
}

// ------------------------------------------------------------------ the format controls

TEST_F(FileOptionsDlgTest, KnownLayoutLeavesOnlyTheDeviceToChoose)
{
    Open("Fennet", "Unknown", 272, kNew, true);
    const int formatControls[] = {
        CFileOptionsDlg::kOldLayoutId,      CFileOptionsDlg::kNewLayoutId,      CFileOptionsDlg::kBlockSizeId,
        CFileOptionsDlg::kFormatTextId,     CFileOptionsDlg::kOldLayoutTextId,  CFileOptionsDlg::kNewLayoutTextId,
        CFileOptionsDlg::kPayloadTextId,    CFileOptionsDlg::kBlockSizeLabelId, CFileOptionsDlg::kBlockSizeUnitId,
        CFileOptionsDlg::kBlockSizeTextId,
    };
    EXPECT_FALSE(FormatSwitch()->isChecked());
    for (const int id : formatControls)
        EXPECT_FALSE(Control<QWidget>(id)->isEnabled()) << id;
    EXPECT_TRUE(DeviceCombo()->isEnabled());
    EXPECT_TRUE(FormatSwitch()->isEnabled());

    FormatSwitch()->click();
    for (const int id : formatControls)
        EXPECT_TRUE(Control<QWidget>(id)->isEnabled()) << id;
    FormatSwitch()->click();
    for (const int id : formatControls)
        EXPECT_FALSE(Control<QWidget>(id)->isEnabled()) << id;
}

TEST_F(FileOptionsDlgTest, UnknownLayoutOpensWithTheFormatControls)
{
    Open("Tolvane", "Unknown", 142, kOld, false);
    EXPECT_TRUE(FormatSwitch()->isChecked());
    EXPECT_TRUE(OldLayout()->isEnabled());
    EXPECT_TRUE(BlockSizeEdit()->isEnabled());
    EXPECT_EQ(BlockSizeEdit()->text(), QStringLiteral("150"));
}

TEST_F(FileOptionsDlgTest, KnownLayoutWithAnUnusableSizeLeavesItToTheCaller)
{
    // Nothing the user could correct: no refusal, and no size the reader could not take.
    Open("Fennet", "Unknown", 3, kNew, true);
    EXPECT_EQ(BlockSizeEdit()->text(), QStringLiteral("3"));
    dialog->OnOK();
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(dialog->GetBlockSize(), 0);
}

// ------------------------------------------------------------------ OK, Cancel, remembering

TEST_F(FileOptionsDlgTest, CancelRemembersTheLayoutAndSizeShown)
{
    Store([](CPelagorSettings& s) { s.chipTypeIndex = 3; });
    Make("Fennet", "Unknown", 272, kNew, false);
    QTimer::singleShot(0, dialog.get(), [this] {
        OldLayout()->click();
        FindControl<QPushButton>(dialog.get(), IDCANCEL)->click();
    });
    EXPECT_EQ(dialog->DoModal(), IDCANCEL);
    Close();
    EXPECT_EQ(Stored()->dataVer, kOld);
    EXPECT_EQ(Stored()->blockSize, 270);
    EXPECT_EQ(Stored()->chipTypeIndex, 3);
}

TEST_F(FileOptionsDlgTest, OkTakesTheChosenLayout)
{
    Make("Generic", "QZ6F1C", 271, kNew, false);
    QTimer::singleShot(0, dialog.get(), [this] {
        OldLayout()->click();
        Type(BlockSizeEdit(), "400");
        FindControl<QPushButton>(dialog.get(), IDOK)->click();
    });
    EXPECT_EQ(dialog->DoModal(), IDOK);
    EXPECT_EQ(dialog->GetLayout(), kOld);
    EXPECT_EQ(dialog->GetBlockSize(), 400);
    EXPECT_EQ(dialog->GetDeviceType(), "QZ6F1C");
    Close();
    EXPECT_EQ(Stored()->dataVer, kOld);
    EXPECT_EQ(Stored()->blockSize, 400);
}

} // namespace
