// The standard radio panel: its channel lists, the address and key texts it hands to the capture
// and the plug-in, its stored choices (through the real per-user registry files) and the key
// the plug-in reports while it decodes (a posted message, delivered by the event loop).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "core/host/CPelagorSettings.h"
#include "gui/ColorRef.h"
#include "gui/ControlId.h"
#include "gui/GuiPlatform.h"
#include "gui/panels/CRadioConfStandardPnl.h"
#include "gui/views/CColorEdit.h"
#include "platform/WindowMessages.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/SettingsFixture.h"

namespace {

using Panel = CRadioConfStandardPnl;
using Bytes = std::vector<uint8_t>;

const std::string kChannelMessage = "Invalid Channel number: 0x00";
const std::string kAddressMessage =
    "Invalid format of initiator address. Should be given as 12 hex digits.\n"
    "Examples of correct format: 0x0123456789AB, 0x112233445566, 0xFFFFFFFFFFFF.";
const std::string kKeyMessage =
    "Invalid format of LTK. Should be given as 16 colon separated hex digits (LSO to MSO).\n"
    "Example of correct format: 5e:a3:17:c8:09:f2:6d:b4:31:8e:d0:7a:e5:2c:94:6b";
const std::string kPassKeyMessage = "Invalid format of pass key. Should be given as 6 numeric digits";

const std::string kExampleKey = "5e:a3:17:c8:09:f2:6d:b4:31:8e:d0:7a:e5:2c:94:6b";
const Bytes kExampleKeyBytes = {0x5e, 0xa3, 0x17, 0xc8, 0x09, 0xf2, 0x6d, 0xb4,
                                0x31, 0x8e, 0xd0, 0x7a, 0xe5, 0x2c, 0x94, 0x6b};

// The controls other than the channel list's label and the list itself.
const std::array<int, 9> kBleControls = {Panel::kInitiatorBoxId, Panel::kInitiatorEditId, Panel::kInitiatorHexId,
                                         Panel::kKeyLabelId,     Panel::kKeyEditId,       Panel::kKeyHintId,
                                         Panel::kPassKeyLabelId, Panel::kPassKeyEditId,   Panel::kPassKeyHintId};

class StandardRadioPanelTest : public testsupport::SettingsFixture {
protected:
    // A panel as the main window makes it, at the size of the tab area.
    std::unique_ptr<Panel> MakePanel()
    {
        auto panel = std::make_unique<Panel>(nullptr);
        panel->resize(980, 160);
        return panel;
    }

    template <typename T>
    static T* Control(const Panel& panel, int id)
    {
        T* control = FindControl<T>(&panel, id);
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    static QComboBox* List(const Panel& panel) { return Control<QComboBox>(panel, Panel::kChannelListId); }
    static void SetText(const Panel& panel, int id, const std::string& text)
    {
        Control<QLineEdit>(panel, id)->setText(QString::fromLatin1(text.c_str()));
    }
    static std::string Text(const Panel& panel, int id)
    {
        return Control<QLineEdit>(panel, id)->text().toStdString();
    }

    std::vector<std::string> boxes;
    GuiPlatform platform{[this](const platform::MessageBoxRequest& request) {
        EXPECT_EQ(request.icon, platform::MessageIcon::Exclamation) << request.text;
        boxes.push_back(request.text);
        return platform::MessageAnswer::Ok;
    }};
};

std::vector<std::string> Messages(const std::string& text)
{
    return text.empty() ? std::vector<std::string>{} : std::vector<std::string>{text};
}

// ---------------------------------------------------------------- channel lists

struct ListCase {
    bool ble;
    bool extended;
    const char* label;
    std::vector<std::pair<std::string, int>> entries;
};

std::vector<std::pair<std::string, int>> IeeeEntries(bool extended)
{
    std::vector<std::pair<std::string, int>> entries = {
        {"0x0B (2405 MHz)", 11}, {"0x0C (2410 MHz)", 12}, {"0x0D (2415 MHz)", 13}, {"0x0E (2420 MHz)", 14},
        {"0x0F (2425 MHz)", 15}, {"0x10 (2430 MHz)", 16}, {"0x11 (2435 MHz)", 17}, {"0x12 (2440 MHz)", 18},
        {"0x13 (2445 MHz)", 19}, {"0x14 (2450 MHz)", 20}, {"0x15 (2455 MHz)", 21}, {"0x16 (2460 MHz)", 22},
        {"0x17 (2465 MHz)", 23}, {"0x18 (2470 MHz)", 24}, {"0x19 (2475 MHz)", 25}, {"0x1A (2480 MHz)", 26}};
    if (extended) {
        entries.push_back({"0x1B (2485 MHz)", 27});
        entries.push_back({"0x1C (2490 MHz)", 28});
    }
    return entries;
}

TEST_F(StandardRadioPanelTest, ListsHoldTheChannelsOfTheModeWithTheirNumbersAsItemData)
{
    const std::vector<std::pair<std::string, int>> ble = {
        {"37 (2402 MHz)", 37}, {"38 (2426 MHz)", 38}, {"39 (2480 MHz)", 39}};
    const ListCase cases[] = {
        {false, false, "IEEE 802.15.4 Channel:", IeeeEntries(false)},
        {false, true, "IEEE 802.15.4 Channel:", IeeeEntries(true)},
        {true, false, "Advertising Channel:", ble},
        {true, true, "Advertising Channel:", ble},
    };
    auto panel = MakePanel();
    EXPECT_EQ(List(*panel)->count(), 0) << "empty until a plug-in is loaded";
    for (const ListCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "ble " << c.ble << " extended " << c.extended);
        // Refilled on the same panel, as every plug-in load does.
        panel->FillChannelList(c.ble, c.extended);
        EXPECT_EQ(panel->IsBleMode(), c.ble);
        EXPECT_EQ(Control<QLabel>(*panel, Panel::kChannelLabelId)->text().toStdString(), c.label);
        QComboBox* list = List(*panel);
        ASSERT_EQ(list->count(), static_cast<int>(c.entries.size()));
        for (int i = 0; i < list->count(); ++i) {
            EXPECT_EQ(list->itemText(i).toStdString(), c.entries[static_cast<size_t>(i)].first);
            EXPECT_EQ(list->itemData(i).toInt(), c.entries[static_cast<size_t>(i)].second);
        }
        for (int id : kBleControls)
            EXPECT_EQ(Control<QWidget>(*panel, id)->isHidden(), !c.ble) << "control " << id;
        if (c.ble) {
            EXPECT_EQ(Text(*panel, Panel::kPassKeyEditId), "731905");
        }
    }
}

TEST_F(StandardRadioPanelTest, StoredPositionSelectsItsChannelOrNothingBeyondTheList)
{
    struct Case {
        int32_t stored;
        bool ble;
        bool extended;
        int selected; // -1: none
        uint8_t channel;
    };
    const Case cases[] = {
        {0, false, false, 0, 11},   {15, false, false, 15, 26}, {16, false, false, -1, 0},
        {17, false, false, -1, 0},  {16, false, true, 16, 27},  {17, false, true, 17, 28},
        {18, false, true, -1, 0},   {-4, false, false, 0, 11},  {2, true, false, 2, 39},
        {3, true, false, -1, 0},    {-1, true, false, 0, 37},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << c.stored << " ble " << c.ble << " extended " << c.extended);
        Store([&](CPelagorSettings& s) {
            s.ChannelListIndex = c.ble ? 5 : c.stored;
            s.ChannelBleIndex = c.ble ? c.stored : 1;
        });
        auto panel = MakePanel();
        panel->FillChannelList(c.ble, c.extended);
        EXPECT_EQ(List(*panel)->currentIndex(), c.selected);

        // The status bar's refresh asks without a box; a start asks with one.
        for (const bool report : {false, true}) {
            boxes.clear();
            uint8_t channel = 0xEE;
            EXPECT_EQ(panel->GetChannel(&channel, report), c.selected >= 0 ? 1 : 0);
            EXPECT_EQ(channel, c.channel);
            EXPECT_EQ(boxes, Messages(c.selected < 0 && report ? kChannelMessage : ""));
        }
    }
}

TEST_F(StandardRadioPanelTest, ChannelChangedIsSetByFillingAndByTheUserOnlyAndTakenOnce)
{
    auto panel = MakePanel();
    EXPECT_EQ(panel->TakeChannelChanged(), 0);
    panel->FillChannelList(false, false);
    EXPECT_EQ(panel->TakeChannelChanged(), 1);
    EXPECT_EQ(panel->TakeChannelChanged(), 0);

    QComboBox* list = List(*panel);
    list->setCurrentIndex(4);
    EXPECT_EQ(panel->TakeChannelChanged(), 0) << "not a selection by the user";

    panel->show();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentIndex(), 5);
    EXPECT_EQ(panel->TakeChannelChanged(), 1);
    uint8_t channel = 0;
    EXPECT_EQ(panel->GetChannel(&channel), 1);
    EXPECT_EQ(channel, 16);
    EXPECT_EQ(panel->TakeChannelChanged(), 0);
}

// ---------------------------------------------------------------- texts

struct TextCase {
    std::string text;
    int result;
    Bytes bytes;         // what the caller's buffer holds afterwards
    std::string message; // empty: none
};

// text with the characters from at overwritten by with.
std::string Replace(std::string text, size_t at, const std::string& with)
{
    for (size_t i = 0; i < with.size(); ++i)
        text.at(at + i) = with[i];
    return text;
}

TEST_F(StandardRadioPanelTest, LongTermKeyTextGivesSixteenBytesInTextOrderOrZerosAndTheMessage)
{
    const Bytes zeros(16, 0);
    const TextCase cases[] = {
        {kExampleKey, 1, kExampleKeyBytes, ""},
        {"00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF", 1,
         {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}, ""},
        {"", 1, zeros, ""},
        // 46 and 48 characters: a reader that stops after 47 would take the second.
        {kExampleKey.substr(0, 46), 0, zeros, kKeyMessage},
        {kExampleKey + "0", 0, zeros, kKeyMessage},
        {kExampleKey + ":", 0, zeros, kKeyMessage},
        {"5e:a3:17:c8:09:f2:6d:b4:31:8e:d0:7a:e5:2c:94", 0, zeros, kKeyMessage},
        // Each pair exactly two digits: no blanks, signs or prefixes in their place.
        {Replace(kExampleKey, 0, " 5"), 0, zeros, kKeyMessage},
        {Replace(kExampleKey, 0, "+5"), 0, zeros, kKeyMessage},
        {Replace(kExampleKey, 45, " b"), 0, zeros, kKeyMessage},
        {Replace(kExampleKey, 0, "0x"), 0, zeros, kKeyMessage},
        {Replace(kExampleKey, 0, "g0"), 0, zeros, kKeyMessage},
        {Replace(kExampleKey, 2, "-"), 0, zeros, kKeyMessage},
        {Replace(kExampleKey, 0, " "), 0, zeros, kKeyMessage},
        {std::string(47, ':'), 0, zeros, kKeyMessage},
    };
    auto panel = MakePanel();
    panel->FillChannelList(true, false);
    for (const TextCase& c : cases) {
        SCOPED_TRACE("key text \"" + c.text + "\"");
        boxes.clear();
        SetText(*panel, Panel::kKeyEditId, c.text);
        // The caller's old contents must never reach the plug-in.
        uint8_t key[16];
        std::fill(std::begin(key), std::end(key), 0xEE);
        EXPECT_EQ(panel->GetBleLtk(key), c.result);
        EXPECT_EQ(Bytes(std::begin(key), std::end(key)), c.bytes);
        EXPECT_EQ(boxes, Messages(c.message));
    }
}

TEST_F(StandardRadioPanelTest, PassKeyIsADecimalUpTo999999AndAnythingLargerOrNegativeGivesZero)
{
    struct Case {
        std::string text;
        int result;
        uint32_t passKey;
        std::string message;
    };
    const Case cases[] = {
        {"123456", 1, 123456, ""},
        {"000042", 1, 42, ""},
        {"999999", 1, 999999, ""},
        {"0", 1, 0, ""},
        {"-0", 1, 0, ""},
        {"", 1, 0, ""},
        {"abc", 1, 0, ""},
        {"-", 1, 0, ""},
        {"   ", 1, 0, ""},
        // As a decimal conversion reads it: leading blanks and a sign, trailing text unread.
        {"  731905", 1, 731905, ""},
        {"+12", 1, 12, ""},
        {"12abc", 1, 12, ""},
        {"1000000", 0, 0, kPassKeyMessage},
        {"-1", 0, 0, kPassKeyMessage},
        {"-999999", 0, 0, kPassKeyMessage},
        {"99999999999", 0, 0, kPassKeyMessage},
        // A 32-bit wrap would turn these into small accepted values.
        {"4294967296", 0, 0, kPassKeyMessage},
        {"4295090752", 0, 0, kPassKeyMessage},
        {"-4294967295", 0, 0, kPassKeyMessage},
        {std::string(60, '9'), 0, 0, kPassKeyMessage},
        {"0000000000000000000000123", 1, 123, ""},
    };
    auto panel = MakePanel();
    panel->FillChannelList(true, false);
    for (const Case& c : cases) {
        SCOPED_TRACE("pass key text \"" + c.text + "\"");
        boxes.clear();
        SetText(*panel, Panel::kPassKeyEditId, c.text);
        uint32_t passKey = 77;
        EXPECT_EQ(panel->GetBlePassKey(&passKey), c.result);
        EXPECT_EQ(passKey, c.passKey);
        EXPECT_EQ(boxes, Messages(c.message));
    }
}

TEST_F(StandardRadioPanelTest, InitiatorAddressIsTwelveDigitsAfter0xTakenInReverseOrder)
{
    const Bytes untouched(6, 0xEE);
    const TextCase cases[] = {
        {"0x0123456789AB", 1, {0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}, ""},
        {"0x112233445566", 1, {0x66, 0x55, 0x44, 0x33, 0x22, 0x11}, ""},
        {"0xffffffffffff", 1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ""},
        {"0x0123456789A", 0, untouched, kAddressMessage},
        {"0x0123456789ABC", 0, untouched, kAddressMessage},
        {"0x0123456789AB0000", 0, untouched, kAddressMessage},
        {"", 0, untouched, kAddressMessage},
        {"0X0123456789AB", 0, untouched, kAddressMessage},
        {"000123456789AB", 0, untouched, kAddressMessage},
        {"0x 123456789AB", 0, untouched, kAddressMessage},
        {"0x-123456789AB", 0, untouched, kAddressMessage},
        {"0x0x23456789AB", 0, untouched, kAddressMessage},
        {"0x0123456789 B", 0, untouched, kAddressMessage},
        {"0x0123456789AG", 0, untouched, kAddressMessage},
        {" 0x0123456789A", 0, untouched, kAddressMessage},
    };
    auto panel = MakePanel();
    panel->FillChannelList(true, false);
    Control<QCheckBox>(*panel, Panel::kInitiatorBoxId)->click();
    ASSERT_TRUE(panel->InitiatorChecked());
    for (const TextCase& c : cases) {
        SCOPED_TRACE("address text \"" + c.text + "\"");
        boxes.clear();
        SetText(*panel, Panel::kInitiatorEditId, c.text);
        uint8_t address[6];
        std::fill(std::begin(address), std::end(address), 0xEE);
        EXPECT_EQ(panel->GetInitiatorAddress(address), c.result);
        EXPECT_EQ(Bytes(std::begin(address), std::end(address)), c.bytes);
        EXPECT_EQ(boxes, Messages(c.message));
    }

    // Without the box nothing is read and nothing is said, whatever the text.
    boxes.clear();
    Control<QCheckBox>(*panel, Panel::kInitiatorBoxId)->click();
    for (const char* text : {"0x0123456789AB", "junk"}) {
        SetText(*panel, Panel::kInitiatorEditId, text);
        uint8_t address[6];
        std::fill(std::begin(address), std::end(address), 0xEE);
        EXPECT_EQ(panel->GetInitiatorAddress(address), 0);
        EXPECT_EQ(Bytes(std::begin(address), std::end(address)), untouched);
    }
    EXPECT_TRUE(boxes.empty());
}

// ---------------------------------------------------------------- settings and enabling

TEST_F(StandardRadioPanelTest, SavedChoicesComeBackInANewPanelAndEachModeKeepsTheOthersIndex)
{
    {
        auto panel = MakePanel();
        panel->FillChannelList(true, false);
        List(*panel)->setCurrentIndex(2);
        Control<QCheckBox>(*panel, Panel::kInitiatorBoxId)->click();
        SetText(*panel, Panel::kInitiatorEditId, "0x0123456789AB");
        SetText(*panel, Panel::kKeyEditId, kExampleKey);
        panel->SaveSettings();
    }
    EXPECT_TRUE(std::filesystem::exists(ConfigFolder() / "registry")) << "kept in the per-user folder";
    {
        const auto stored = Stored();
        EXPECT_EQ(stored->ChannelBleIndex, 2);
        EXPECT_EQ(stored->ChannelListIndex, 0);
        EXPECT_TRUE(stored->ConnectToInitiatorAddr);
        EXPECT_EQ(stored->strInitiatorAddr.str(), "0x0123456789AB");
        EXPECT_EQ(stored->strBleLtk.str(), kExampleKey);
    }
    {
        auto panel = MakePanel();
        EXPECT_TRUE(panel->InitiatorChecked());
        EXPECT_TRUE(Control<QWidget>(*panel, Panel::kInitiatorEditId)->isEnabled());
        EXPECT_TRUE(Control<QWidget>(*panel, Panel::kInitiatorHexId)->isEnabled());
        EXPECT_EQ(Text(*panel, Panel::kInitiatorEditId), "0x0123456789AB");
        EXPECT_EQ(Text(*panel, Panel::kKeyEditId), kExampleKey);
        panel->FillChannelList(true, false);
        EXPECT_EQ(List(*panel)->currentIndex(), 2);

        // The IEEE 802.15.4 mode stores its own position only.
        panel->FillChannelList(false, true);
        List(*panel)->setCurrentIndex(17);
        Control<QCheckBox>(*panel, Panel::kInitiatorBoxId)->setChecked(false);
        SetText(*panel, Panel::kInitiatorEditId, "changed");
        SetText(*panel, Panel::kKeyEditId, "changed");
        panel->SaveSettings();
    }
    {
        const auto stored = Stored();
        EXPECT_EQ(stored->ChannelListIndex, 17);
        EXPECT_EQ(stored->ChannelBleIndex, 2);
        EXPECT_TRUE(stored->ConnectToInitiatorAddr);
        EXPECT_EQ(stored->strInitiatorAddr.str(), "0x0123456789AB");
        EXPECT_EQ(stored->strBleLtk.str(), kExampleKey);
    }
    {
        auto panel = MakePanel();
        panel->FillChannelList(false, true);
        EXPECT_EQ(List(*panel)->currentIndex(), 17);
        // Nothing selected is stored as the first position.
        panel->FillChannelList(false, false);
        ASSERT_EQ(List(*panel)->currentIndex(), -1);
        panel->SaveSettings();
    }
    EXPECT_EQ(Stored()->ChannelListIndex, 0);
}

TEST_F(StandardRadioPanelTest, SavedTextsAreCutToTheirStorage)
{
    {
        auto panel = MakePanel();
        panel->FillChannelList(true, false);
        SetText(*panel, Panel::kInitiatorEditId, std::string(40, 'a'));
        SetText(*panel, Panel::kKeyEditId, std::string(100, 'b'));
        panel->SaveSettings();
    }
    auto panel = MakePanel();
    EXPECT_EQ(Text(*panel, Panel::kInitiatorEditId), std::string(15, 'a'));
    EXPECT_EQ(Text(*panel, Panel::kKeyEditId), std::string(47, 'b'));
}

TEST_F(StandardRadioPanelTest, TheBoxEnablesTheAddressButEnablingAfterACaptureEnablesEverything)
{
    auto panel = MakePanel();
    panel->FillChannelList(true, false);
    auto* box = Control<QCheckBox>(*panel, Panel::kInitiatorBoxId);
    auto* edit = Control<QWidget>(*panel, Panel::kInitiatorEditId);
    auto* hex = Control<QWidget>(*panel, Panel::kInitiatorHexId);
    ASSERT_FALSE(box->isChecked());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(hex->isEnabled());
    box->click();
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(hex->isEnabled());
    box->click();
    EXPECT_FALSE(edit->isEnabled());

    std::vector<int> all = {Panel::kChannelLabelId, Panel::kChannelListId};
    all.insert(all.end(), kBleControls.begin(), kBleControls.end());
    panel->EnableControls(false);
    for (int id : all)
        EXPECT_FALSE(Control<QWidget>(*panel, id)->isEnabled()) << "control " << id;
    panel->EnableControls(true);
    for (int id : all)
        EXPECT_TRUE(Control<QWidget>(*panel, id)->isEnabled()) << "control " << id;
    EXPECT_FALSE(box->isChecked());
}

// ---------------------------------------------------------------- key update

TEST_F(StandardRadioPanelTest, PostedKeyUpdateIsShownInGreenAndIsTheNextKey)
{
    auto panel = MakePanel();
    panel->FillChannelList(true, false);
    SetText(*panel, Panel::kKeyEditId, "");
    auto* keyEdit = Control<CColorEdit>(*panel, Panel::kKeyEditId);
    EXPECT_EQ(keyEdit->GetTextColor(), 0x000000u);

    // As the decoding thread does it: posted, so it never waits for the GUI thread.
    const platform::WindowHandle handle = panel->Handle();
    std::thread decoder([&] { EXPECT_TRUE(platform::PostWindowText(handle, platform::WM_BLE_LTK_UPDATE, kExampleKey)); });
    decoder.join();
    EXPECT_EQ(Text(*panel, Panel::kKeyEditId), "") << "delivered by the event loop";
    QCoreApplication::processEvents();

    EXPECT_EQ(Text(*panel, Panel::kKeyEditId), kExampleKey);
    EXPECT_EQ(keyEdit->GetTextColor(), 0x00FF00u);
    EXPECT_EQ(keyEdit->GetBackgroundColor(), 0xFFFFFFu);
    EXPECT_EQ(keyEdit->palette().color(QPalette::Text), ColorFromColorRef(0x00FF00));
    uint8_t key[16] = {};
    EXPECT_EQ(panel->GetBleLtk(key), 1);
    EXPECT_EQ(Bytes(std::begin(key), std::end(key)), kExampleKeyBytes);
    EXPECT_TRUE(boxes.empty());

    // Other messages are not key updates.
    platform::PostWindowText(handle, platform::WM_BUSY_STATE, "00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00");
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(*panel, Panel::kKeyEditId), kExampleKey);

    // An update still queued when the panel goes is dropped.
    platform::PostWindowText(handle, platform::WM_BLE_LTK_UPDATE, kExampleKey);
    panel.reset();
    QCoreApplication::processEvents();
}

// ---------------------------------------------------------------- screens

TEST_F(StandardRadioPanelTest, Screens)
{
    Store([](CPelagorSettings& s) {
        s.ChannelListIndex = 4;
        s.ChannelBleIndex = 1;
        s.ConnectToInitiatorAddr = true;
        s.strInitiatorAddr = "0x0123456789AB";
    });
    {
        auto panel = MakePanel();
        panel->FillChannelList(false, true);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
        SaveScreen(panel.get(), "standard_radio_panel");
    }
    auto panel = MakePanel();
    panel->FillChannelList(true, false);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    platform::PostWindowText(panel->Handle(), platform::WM_BLE_LTK_UPDATE, kExampleKey);
    QCoreApplication::processEvents();
    SaveScreen(panel.get(), "standard_radio_panel_ble");
}

} // namespace
