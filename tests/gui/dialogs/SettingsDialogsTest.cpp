// The settings dialogs of the main window's menu: cache buffer size, clock multiplier and
// packet broadcast; and how all four option dialogs are laid out.
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/host/CPelagorSettings.h"
#include "gui/ControlId.h"
#include "gui/dialogs/CBufferSizeDlg.h"
#include "gui/dialogs/CClockMultiplierDlg.h"
#include "gui/dialogs/CFileOptionsDlg.h"
#include "gui/dialogs/CIpAddressCtrl.h"
#include "gui/dialogs/CPacketBroadcastDlg.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/SettingsFixture.h"

namespace {

constexpr int IDOK = CModalDlg::IDOK;
constexpr int IDCANCEL = CModalDlg::IDCANCEL;

// A fresh per-user store for every case; message boxes are recorded.
class SettingsDialogTest : public testsupport::SettingsFixture {
protected:
    static void Open(QDialog& dialog)
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    static void Type(QLineEdit* edit, const char* text)
    {
        edit->selectAll();
        edit->del();
        QTest::keyClicks(edit, QString::fromLatin1(text));
    }

    platform::MessageBoxRecorder boxes;
};

// ------------------------------------------------------------------ cache buffer size

struct SizeCase {
    const char* typed;
    std::optional<int> size; // nothing: refused
    const char* stored;      // after OK
};

void PrintTo(const SizeCase& c, std::ostream* out)
{
    *out << '"' << c.typed << '"';
}

const SizeCase kSizeCases[] = {
    {"1", 1, "1"},
    {"255", 255, "255"},
    {"20MB", 20, "20"},
    {" 64 mb ", 64, "64"},
    {"+8", 8, "8"},
    {"0", std::nullopt, nullptr},
    {"256", std::nullopt, nullptr},
    {"-1", std::nullopt, nullptr},
    {"", std::nullopt, nullptr},
    {"MB", std::nullopt, nullptr},
    {"abc", std::nullopt, nullptr},
    {"12abc", std::nullopt, nullptr},
    {"20MBx", std::nullopt, nullptr},
    {"1.5", std::nullopt, nullptr},
    {"0x10", std::nullopt, nullptr},
    {"nan", std::nullopt, nullptr},
    {"inf", std::nullopt, nullptr},
    // "%d" reads these as 1 and as a negative number.
    {"4294967297", std::nullopt, nullptr},
    {"2147483648", std::nullopt, nullptr},
};

class BufferSizeTypedTest : public SettingsDialogTest, public testing::WithParamInterface<SizeCase> {};

TEST_P(BufferSizeTypedTest, AcceptsWholeMegabytesFrom1To255)
{
    Store([](CPelagorSettings& s) { s.PacketBufferSize = "48"; });
    CBufferSizeDlg dialog(nullptr);
    Open(dialog);
    QLineEdit* edit = FindControl<QLineEdit>(&dialog, CSettingEditDlg::kEditId);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("48"));
    Type(edit, GetParam().typed);
    dialog.OnOK();

    if (GetParam().size) {
        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_EQ(dialog.result(), IDOK);
        EXPECT_EQ(dialog.Result(), *GetParam().size);
        EXPECT_EQ(Stored()->PacketBufferSize.str(), GetParam().stored);
    } else {
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, std::string("Invalid value: ") + GetParam().typed +
                                                 ".\r\nThe value should be in the range 1 : 255");
        EXPECT_EQ(boxes.Requests()[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Result(), 0);
        EXPECT_EQ(Stored()->PacketBufferSize.str(), "48");
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, BufferSizeTypedTest, testing::ValuesIn(kSizeCases));

TEST_F(SettingsDialogTest, BufferSizeRefusedThenAcceptedHasTheNewSize)
{
    CBufferSizeDlg dialog(nullptr);
    Open(dialog);
    QLineEdit* edit = dialog.Edit();
    Type(edit, "300");
    dialog.OnOK();
    EXPECT_EQ(dialog.Result(), 0);
    // The refused text stays for correcting.
    EXPECT_EQ(edit->text(), QStringLiteral("300"));
    Type(edit, "30");
    dialog.OnOK();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.Result(), 30);
    EXPECT_EQ(Stored()->PacketBufferSize.str(), "30");
}

TEST_F(SettingsDialogTest, DamagedStoredBufferSizeShowsTheDefault)
{
    for (const char* stored : {"abc", "0", "999", "", "-4", "4294967297", "nan"}) {
        SCOPED_TRACE(stored);
        Store([stored](CPelagorSettings& s) { s.PacketBufferSize = stored; });
        CBufferSizeDlg dialog(nullptr);
        Open(dialog);
        EXPECT_EQ(dialog.Edit()->text(), QStringLiteral("20"));
    }
    // A size stored with its unit (as typed by an older version) is still a size.
    Store([](CPelagorSettings& s) { s.PacketBufferSize = "32MB"; });
    CBufferSizeDlg dialog(nullptr);
    Open(dialog);
    EXPECT_EQ(dialog.Edit()->text(), QStringLiteral("32MB"));
}

TEST_F(SettingsDialogTest, BufferSizeRunsModallyAndCancelChangesNothing)
{
    Store([](CPelagorSettings& s) { s.PacketBufferSize = "40"; });
    {
        CBufferSizeDlg dialog(nullptr);
        QTimer::singleShot(0, &dialog, [&dialog] {
            Type(dialog.Edit(), "100");
            FindControl<QPushButton>(&dialog, IDCANCEL)->click();
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(Stored()->PacketBufferSize.str(), "40");
    }
    {
        CBufferSizeDlg dialog(nullptr);
        QTimer::singleShot(0, &dialog, [&dialog] {
            Type(dialog.Edit(), "100");
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(Stored()->PacketBufferSize.str(), "40");
    }
    {
        CBufferSizeDlg dialog(nullptr);
        QTimer::singleShot(0, &dialog, [&dialog] {
            Type(dialog.Edit(), "100");
            QTest::keyClick(dialog.Edit(), Qt::Key_Return); // the default button
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.Result(), 100);
        EXPECT_EQ(Stored()->PacketBufferSize.str(), "100");
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

// ------------------------------------------------------------------ clock multiplier

struct FactorCase {
    const char* typed;
    std::optional<double> factor; // nothing: refused
    const char* stored;
};

void PrintTo(const FactorCase& c, std::ostream* out)
{
    *out << '"' << c.typed << '"';
}

const FactorCase kFactorCases[] = {
    {"1.0005", 1.0005, "1.0005"},
    {"2", 2.0, "2"},
    {"  0.5 ", 0.5, "0.5"},
    {"1e-3", 0.001, "1e-3"},
    {"+1.25", 1.25, "+1.25"},
    {"1.000000000000000001", 1.0, "1.000000000000000001"},
    {"0", std::nullopt, nullptr},
    {"0.0", std::nullopt, nullptr},
    {"-1", std::nullopt, nullptr},
    {"", std::nullopt, nullptr},
    {"abc", std::nullopt, nullptr},
    {"nan", std::nullopt, nullptr},
    {"inf", std::nullopt, nullptr},
    {"-inf", std::nullopt, nullptr},
    {"1e400", std::nullopt, nullptr},
    {"0x1p3", std::nullopt, nullptr},
    {"1,0005", std::nullopt, nullptr},
    {"1.0005x", std::nullopt, nullptr},
};

class ClockMultiplierTypedTest : public SettingsDialogTest, public testing::WithParamInterface<FactorCase> {
protected:
    void Check()
    {
        Store([](CPelagorSettings& s) { s.ClockMultiplier = "1.25"; });
        CClockMultiplierDlg dialog(nullptr);
        Open(dialog);
        QLineEdit* edit = FindControl<QLineEdit>(&dialog, CSettingEditDlg::kEditId);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), QStringLiteral("1.25"));
        Type(edit, GetParam().typed);
        dialog.OnOK();

        if (GetParam().factor) {
            EXPECT_TRUE(boxes.Texts().empty());
            EXPECT_EQ(dialog.result(), IDOK);
            EXPECT_DOUBLE_EQ(dialog.Result(), *GetParam().factor);
            EXPECT_EQ(Stored()->ClockMultiplier.str(), GetParam().stored);
            // What is stored reads back as the factor applied now.
            EXPECT_EQ(CClockMultiplierDlg::ReadFactor(Stored()->ClockMultiplier.View()), dialog.Result());
        } else {
            ASSERT_EQ(boxes.Requests().size(), 1u);
            EXPECT_EQ(boxes.Requests()[0].text,
                      std::string("Invalid value: ") + GetParam().typed + ".\r\nThe value should be > 0.0");
            EXPECT_EQ(boxes.Requests()[0].icon, platform::MessageIcon::Exclamation);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(Stored()->ClockMultiplier.str(), "1.25");
        }
    }
};

TEST_P(ClockMultiplierTypedTest, AcceptsDecimalsAboveZero)
{
    Check();
}

// Whatever the user's locale: "%f" in a comma locale reads "1.0005" as 1.
class CommaLocale {
public:
    CommaLocale()
    {
        const char* before = std::setlocale(LC_NUMERIC, nullptr);
        before_ = before != nullptr ? before : "C";
        available_ = TryNames();
        if (!available_ && BuildLocale())
            available_ = TryNames();
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, before_.c_str()); }
    bool Available() const { return available_; }

private:
    static bool TryNames()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
            if (std::setlocale(LC_NUMERIC, name) != nullptr && std::localeconv()->decimal_point[0] == ',')
                return true;
        return false;
    }
    // A machine without one installed: compile it into the test's temporary folder.
    static bool BuildLocale()
    {
        const std::filesystem::path folder = std::filesystem::path(std::getenv("TMPDIR")) / "locales";
        std::filesystem::create_directories(folder);
        const std::string command = "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return false;
        setenv("LOCPATH", folder.c_str(), 1);
        return true;
    }

    std::string before_;
    bool available_ = false;
};

TEST_P(ClockMultiplierTypedTest, AcceptsTheSameInACommaLocale)
{
    CommaLocale locale;
    if (!locale.Available())
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    Check();
}

INSTANTIATE_TEST_SUITE_P(Typed, ClockMultiplierTypedTest, testing::ValuesIn(kFactorCases));

TEST_F(SettingsDialogTest, ClockMultiplierEditHoldsWhatTheSettingHolds)
{
    CClockMultiplierDlg dialog(nullptr);
    Open(dialog);
    // Longer than the stored buffer: cut there it would store another number.
    Type(dialog.Edit(), "1.00000000000000000005e-3");
    EXPECT_EQ(dialog.Edit()->text().size(), CSettingEditDlg::kTextLimit);
    dialog.OnOK();
    EXPECT_EQ(Stored()->ClockMultiplier.str(), dialog.Edit()->text().toStdString());
}

TEST_F(SettingsDialogTest, DamagedStoredClockMultiplierShowsTheDefault)
{
    for (const char* stored : {"nan", "inf", "0", "-2", "abc", "1,5", "", "1.5x"}) {
        SCOPED_TRACE(stored);
        Store([stored](CPelagorSettings& s) { s.ClockMultiplier = stored; });
        CClockMultiplierDlg dialog(nullptr);
        Open(dialog);
        EXPECT_EQ(dialog.Edit()->text(), QStringLiteral("1.0"));
    }
}

TEST_F(SettingsDialogTest, ClockMultiplierCancelChangesNothing)
{
    Store([](CPelagorSettings& s) { s.ClockMultiplier = "1.5"; });
    CClockMultiplierDlg dialog(nullptr);
    QTimer::singleShot(0, &dialog, [&dialog] {
        Type(dialog.Edit(), "3");
        FindControl<QPushButton>(&dialog, IDCANCEL)->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(Stored()->ClockMultiplier.str(), "1.5");
}

// ------------------------------------------------------------------ packet broadcast

class PacketBroadcastTest : public SettingsDialogTest {
protected:
    void Open(bool enabled, bool only, uint32_t presetAddress, int port)
    {
        dialog.SetValues(enabled, only, presetAddress, port);
        SettingsDialogTest::Open(dialog);
        enable = FindControl<QCheckBox>(&dialog, CPacketBroadcastDlg::kEnableId);
        onlyBox = FindControl<QCheckBox>(&dialog, CPacketBroadcastDlg::kOnlyId);
        portEdit = FindControl<QLineEdit>(&dialog, CPacketBroadcastDlg::kPortId);
        address = FindControl<CIpAddressCtrl>(&dialog, CPacketBroadcastDlg::kAddressId);
        ASSERT_NE(enable, nullptr);
        ASSERT_NE(onlyBox, nullptr);
        ASSERT_NE(portEdit, nullptr);
        ASSERT_NE(address, nullptr);
    }
    QStringList Fields() const
    {
        QStringList fields;
        for (int i = 0; i < CIpAddressCtrl::kFields; ++i)
            fields << address->Field(i)->text();
        return fields;
    }

    CPacketBroadcastDlg dialog{nullptr};
    QCheckBox* enable = nullptr;
    QCheckBox* onlyBox = nullptr;
    QLineEdit* portEdit = nullptr;
    CIpAddressCtrl* address = nullptr;
};

TEST_F(PacketBroadcastTest, ShowsThePresetValues)
{
    Open(true, true, 0x7F000005, 6000);
    EXPECT_TRUE(enable->isChecked());
    EXPECT_TRUE(onlyBox->isChecked());
    EXPECT_EQ(portEdit->text(), QStringLiteral("6000"));
    EXPECT_EQ(Fields(), QStringList({"127", "0", "0", "5"}));
    // Only the last field can be typed into; the typing starts there.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(address->Field(i)->isReadOnly()) << i;
    EXPECT_FALSE(address->Field(3)->isReadOnly());
    EXPECT_EQ(address->RangeLow(3), 1);
    EXPECT_EQ(address->RangeHigh(3), 255);
    EXPECT_EQ(dialog.focusWidget(), address->Field(3));
}

TEST_F(PacketBroadcastTest, DefaultsShowLoopbackBroadcastOnPort5000)
{
    // The main window's values as a first start reads them.
    const std::unique_ptr<CPelagorSettings> settings = Stored();
    Open(settings->bcEnabled != 0, settings->bcOnly != 0, settings->bcAddress, settings->bcPort);
    EXPECT_EQ(Fields(), QStringList({"127", "0", "0", "255"}));
    EXPECT_EQ(portEdit->text(), QStringLiteral("5000"));
    EXPECT_FALSE(enable->isChecked());
    dialog.OnOK();
    EXPECT_EQ(dialog.GetAddress(), 0x7F0000FFu);
    EXPECT_EQ(dialog.GetPort(), 5000);
}

struct StoredBroadcast {
    uint32_t address;
    int32_t port;
    const char* shownAddress;
    const char* shownPort;
};

TEST_F(SettingsDialogTest, DamagedStoredBroadcastValuesAreTheDefaults)
{
    const StoredBroadcast cases[] = {
        {0x7F000001, 1, "127.0.0.1", "1"},
        {0x7F0000FF, 65535, "127.0.0.255", "65535"},
        {0x0A000001, 5001, "127.0.0.255", "5001"}, // 10.0.0.1: not offered
        {0x7F000000, 5001, "127.0.0.255", "5001"}, // 127.0.0.0
        {0x7F010005, 5001, "127.0.0.255", "5001"}, // 127.1.0.5
        {0x7F000005, 70000, "127.0.0.5", "5000"},
        {0x7F000005, 0, "127.0.0.5", "5000"},
        {0x7F000005, -1, "127.0.0.5", "5000"},
    };
    for (const StoredBroadcast& c : cases) {
        SCOPED_TRACE(c.shownAddress + std::string(" ") + std::to_string(c.port));
        Store([&c](CPelagorSettings& s) {
            s.bcAddress = c.address;
            s.bcPort = c.port;
        });
        const std::unique_ptr<CPelagorSettings> settings = Stored();
        CPacketBroadcastDlg dialog(nullptr);
        dialog.SetValues(true, false, settings->bcAddress, settings->bcPort);
        Open(dialog);
        auto* address = FindControl<CIpAddressCtrl>(&dialog, CPacketBroadcastDlg::kAddressId);
        QStringList fields;
        for (int i = 0; i < CIpAddressCtrl::kFields; ++i)
            fields << address->Field(i)->text();
        EXPECT_EQ(fields.join('.'), QString::fromLatin1(c.shownAddress));
        EXPECT_EQ(FindControl<QLineEdit>(&dialog, CPacketBroadcastDlg::kPortId)->text(),
                  QString::fromLatin1(c.shownPort));
        dialog.OnOK();
        EXPECT_TRUE(CPacketBroadcastDlg::IsAllowedAddress(dialog.GetAddress()));
        EXPECT_TRUE(CPacketBroadcastDlg::IsAllowedPort(dialog.GetPort()));
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

struct PortCase {
    const char* typed;
    std::optional<int> port; // the port after OK; nothing: refused
};

void PrintTo(const PortCase& c, std::ostream* out)
{
    *out << '"' << c.typed << '"';
}

const PortCase kPortCases[] = {
    {"6000", 6000},
    {" 7000 ", 7000},
    {"1", 1},
    {"65535", 65535},
    // No number given: the port stays.
    {"abc", 4000},
    {"", 4000},
    {"nan", 4000},
    // A number that is no port is not cut to one: 70000 would be sent to 4464.
    {"70000", std::nullopt},
    {"65536", std::nullopt},
    {"0", std::nullopt},
    {"-5", std::nullopt},
    {"4294967297", std::nullopt},
    {"12abc", std::nullopt},
    {"50.5", std::nullopt},
};

class BroadcastPortTest : public PacketBroadcastTest, public testing::WithParamInterface<PortCase> {};

TEST_P(BroadcastPortTest, TakesPortsFrom1To65535)
{
    Open(true, false, 0x7F000009, 4000);
    Type(portEdit, GetParam().typed);
    dialog.OnOK();
    if (GetParam().port) {
        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_EQ(dialog.result(), IDOK);
        EXPECT_EQ(dialog.GetPort(), *GetParam().port);
    } else {
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, std::string("Invalid value: ") + GetParam().typed +
                                                 ".\r\nThe value should be in the range 1 : 65535");
        EXPECT_EQ(boxes.Requests()[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), portEdit);
        EXPECT_EQ(dialog.GetPort(), 4000);
    }
    EXPECT_EQ(dialog.GetAddress(), 0x7F000009u);
}

INSTANTIATE_TEST_SUITE_P(Typed, BroadcastPortTest, testing::ValuesIn(kPortCases));

struct AddressCase {
    const char* typed; // into the last field
    std::optional<uint32_t> address;
};

void PrintTo(const AddressCase& c, std::ostream* out)
{
    *out << '"' << c.typed << '"';
}

const AddressCase kAddressCases[] = {
    {"7", 0x7F000007},
    {"1", 0x7F000001},
    {"255", 0x7F0000FF},
    {"", 0x7F000009},   // a blank field keeps the address
    {"abc", 0x7F000009}, // takes no letters: blank
    {"0", std::nullopt},
    {"256", std::nullopt},
    {"999", std::nullopt},
};

class BroadcastAddressTest : public PacketBroadcastTest, public testing::WithParamInterface<AddressCase> {};

TEST_P(BroadcastAddressTest, TakesTheLoopbackNetworkOnly)
{
    Open(true, false, 0x7F000009, 4000);
    Type(address->Field(3), GetParam().typed);
    dialog.OnOK();
    if (GetParam().address) {
        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_EQ(dialog.result(), IDOK);
        EXPECT_EQ(dialog.GetAddress(), *GetParam().address);
    } else {
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, std::string("Invalid value: ") + GetParam().typed +
                                                 ".\r\nThe value should be in the range 1 : 255");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), address->Field(3));
        EXPECT_EQ(dialog.GetAddress(), 0x7F000009u);
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, BroadcastAddressTest, testing::ValuesIn(kAddressCases));

TEST_F(PacketBroadcastTest, FixedAddressFieldsCannotBeChanged)
{
    Open(true, false, 0x7F000009, 4000);
    QTest::keyClicks(address->Field(0), QStringLiteral("10"));
    QTest::keyClicks(address->Field(1), QStringLiteral("5"));
    EXPECT_EQ(Fields(), QStringList({"127", "0", "0", "9"}));
    dialog.OnOK();
    EXPECT_EQ(dialog.GetAddress(), 0x7F000009u);
}

TEST_F(PacketBroadcastTest, EnableBoxSwitchesTheDependentControls)
{
    Open(true, true, 0x7F000009, 4000);
    for (QWidget* control : std::initializer_list<QWidget*>{onlyBox, portEdit, address})
        EXPECT_TRUE(control->isEnabled());

    enable->click();
    EXPECT_FALSE(onlyBox->isChecked());
    for (QWidget* control : std::initializer_list<QWidget*>{onlyBox, portEdit, address})
        EXPECT_FALSE(control->isEnabled());

    enable->click();
    EXPECT_FALSE(onlyBox->isChecked()); // stays as the disabling left it
    for (QWidget* control : std::initializer_list<QWidget*>{onlyBox, portEdit, address})
        EXPECT_TRUE(control->isEnabled());

    onlyBox->click();
    FindControl<QPushButton>(&dialog, IDOK)->click();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_TRUE(dialog.GetEnabled());
    EXPECT_TRUE(dialog.GetOnly());
}

TEST_F(PacketBroadcastTest, BroadcastOnlyNeedsBroadcastEnable)
{
    Open(false, true, 0x7F000009, 4000);
    EXPECT_FALSE(onlyBox->isChecked());
    EXPECT_FALSE(onlyBox->isEnabled());
    dialog.OnOK();
    EXPECT_FALSE(dialog.GetEnabled());
    EXPECT_FALSE(dialog.GetOnly());
}

TEST_F(PacketBroadcastTest, SwitchedOffKeepsValuesItCannotTake)
{
    // Typed, then switched off: nothing to correct in disabled controls, nothing refused.
    Open(true, false, 0x7F000009, 4000);
    Type(portEdit, "70000");
    Type(address->Field(3), "0");
    enable->click();
    dialog.OnOK();
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_FALSE(dialog.GetEnabled());
    EXPECT_EQ(dialog.GetPort(), 4000);
    EXPECT_EQ(dialog.GetAddress(), 0x7F000009u);
}

TEST_F(PacketBroadcastTest, CancelChangesNothing)
{
    dialog.SetValues(true, true, 0x7F000009, 4000);
    QTimer::singleShot(0, &dialog, [this] {
        auto* box = FindControl<QCheckBox>(&dialog, CPacketBroadcastDlg::kEnableId);
        box->click();
        Type(FindControl<QLineEdit>(&dialog, CPacketBroadcastDlg::kPortId), "6000");
        Type(FindControl<CIpAddressCtrl>(&dialog, CPacketBroadcastDlg::kAddressId)->Field(3), "20");
        FindControl<QPushButton>(&dialog, IDCANCEL)->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(dialog.GetEnabled());
    EXPECT_TRUE(dialog.GetOnly());
    EXPECT_EQ(dialog.GetPort(), 4000);
    EXPECT_EQ(dialog.GetAddress(), 0x7F000009u);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(PacketBroadcastTest, OpensAgainWithTheValuesTaken)
{
    Open(true, false, 0x7F000009, 4000);
    Type(portEdit, "6001");
    Type(address->Field(3), "33");
    dialog.OnOK();
    dialog.show();
    EXPECT_EQ(portEdit->text(), QStringLiteral("6001"));
    EXPECT_EQ(Fields(), QStringList({"127", "0", "0", "33"}));
}

// ------------------------------------------------------------------ layout of all four

struct LayoutCase {
    const char* screen;
    std::function<std::unique_ptr<CModalDlg>()> make;
    const char* caption;
};

void PrintTo(const LayoutCase& c, std::ostream* out)
{
    *out << c.screen;
}

const LayoutCase kLayoutCases[] = {
    {"buffer_size_dialog", [] { return std::make_unique<CBufferSizeDlg>(nullptr); }, "Cache Buffer"},
    {"clock_multiplier_dialog", [] { return std::make_unique<CClockMultiplierDlg>(nullptr); }, "Clock Multiplier"},
    {"packet_broadcast_dialog",
     [] {
         auto dialog = std::make_unique<CPacketBroadcastDlg>(nullptr);
         dialog->SetValues(true, false, CPacketBroadcastDlg::kDefaultAddress, CPacketBroadcastDlg::kDefaultPort);
         return dialog;
     },
     "Packet broadcast"},
    {"file_options_dialog",
     [] {
         auto dialog = std::make_unique<CFileOptionsDlg>(nullptr);
         dialog->SetProtocolName("Fennet");
         dialog->SetDeviceType("Unknown");
         dialog->SetBlockSize(272, false);
         dialog->SetFileInfo(CFileOptionsDlg::kOldLayout, false);
         return dialog;
     },
     "Dialog"},
};

class DialogLayoutTest : public SettingsDialogTest, public testing::WithParamInterface<LayoutCase> {};

TEST_P(DialogLayoutTest, TextsFitAndNothingOverlaps)
{
    const std::unique_ptr<CModalDlg> dialog = GetParam().make();
    Open(*dialog);
    EXPECT_EQ(dialog->windowTitle(), QString::fromLatin1(GetParam().caption));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()); // fixed size
    SaveScreen(dialog.get(), GetParam().screen);

    const QRect inside = dialog->rect();
    std::vector<QWidget*> leaves;
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        if (!widget->isVisible() || qobject_cast<CIpAddressCtrl*>(widget->parentWidget()))
            continue;
        const QRect shown(widget->mapTo(dialog.get(), QPoint(0, 0)), widget->size());
        SCOPED_TRACE(widget->metaObject()->className() + (" " + widget->objectName()).toStdString());
        EXPECT_TRUE(inside.contains(shown));
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->wordWrap())
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
            else
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            EXPECT_GE(label->height(), label->fontMetrics().height()) << label->text().toStdString();
        } else if (auto* push = qobject_cast<QPushButton*>(widget)) {
            // The template's 50 units: narrower than Qt's least button, wide for its text.
            EXPECT_GE(push->width(), push->fontMetrics().horizontalAdvance(push->text()) + 16);
            EXPECT_GE(push->height(), push->fontMetrics().height() + 6);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
            EXPECT_GE(button->height(), button->fontMetrics().height()) << button->text().toStdString();
        }
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
            qobject_cast<QLineEdit*>(widget) || qobject_cast<CIpAddressCtrl*>(widget))
            leaves.push_back(widget);
    }
    for (size_t i = 0; i < leaves.size(); ++i)
        for (size_t j = i + 1; j < leaves.size(); ++j) {
            const QRect a(leaves[i]->mapTo(dialog.get(), QPoint(0, 0)), leaves[i]->size());
            const QRect b(leaves[j]->mapTo(dialog.get(), QPoint(0, 0)), leaves[j]->size());
            EXPECT_FALSE(a.intersects(b)) << leaves[i]->objectName().toStdString() << " / "
                                          << leaves[j]->objectName().toStdString() << " "
                                          << leaves[i]->metaObject()->className() << " / "
                                          << leaves[j]->metaObject()->className();
        }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogLayoutTest, testing::ValuesIn(kLayoutCases),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.screen); });

} // namespace
