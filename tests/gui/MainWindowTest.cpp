#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include "core/device/Pelagor.h"
#include "gui/CTrueColorToolBar.h"
#include "gui/CommandIds.h"
#include "gui/ControlId.h"
#include "gui/GuiStartup.h"
#include "gui/ProcessWindows.h"
#include "gui/panels/CAddressBookPnl.h"
#include "gui/panels/CDisplayFilterPnl.h"
#include "gui/panels/CPacketDetailsPnl.h"
#include "gui/panels/CRadioConfStandardPnl.h"
#include "gui/panels/CSelectFieldPnl.h"
#include "gui/panels/CSetupPnl.h"
#include "gui/panels/CTimeLinePnl.h"
#include "gui/views/CPacketListCtrl.h"
#include "gui/views/CStatusBarCtrl.h"
#include "gui/views/CTabCtrl.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/TempFolder.h"

using testsupport::TempFolder;

namespace {

constexpr const char* kTitleStart = "Korvath Lumetra Pelagor ";
constexpr const char* kNotLoaded = " * Protocol plug-in not loaded.";

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A copy of a shipped protocol folder (with common.plt beside it) that a test may damage.
std::string CopyProtocolFolder(const TempFolder& temp, const std::string& folder)
{
    namespace fs = std::filesystem;
    const fs::path source = fs::path(PELAGOR_TEST_PROTOCOLS_DIR) / folder;
    fs::copy(source, temp.Path() / folder, fs::copy_options::recursive);
    fs::copy_file(fs::path(PELAGOR_TEST_PROTOCOLS_DIR) / "common.plt", temp.Path() / "common.plt");
    return (temp.Path() / folder).string() + "/";
}

void ReplaceInFile(const std::string& path, const std::string& from, const std::string& to)
{
    std::string text = ReadFile(path);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << path;
    text.replace(at, from.size(), to);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class MainWindowTest : public testsupport::MainWindowFixture {};

// ---------------------------------------------------------------- loading each plug-in

struct PluginCase {
    const char* name;
    const char* plugin;
    const char* title;
    bool versions;
};

void PrintTo(const PluginCase& c, std::ostream* os) { *os << c.name; }

class MainWindowPlugins : public MainWindowTest, public ::testing::WithParamInterface<PluginCase> {};

TEST_P(MainWindowPlugins, LoadsThePluginWithItsTablesAndIsReadyToCapture)
{
    const PluginCase& c = GetParam();
    CMarlinexDlg& w = Open(Plugin(c.plugin));
    EXPECT_TRUE(Texts().empty()) << Texts().front();
    EXPECT_TRUE(w.PluginLoaded());
    EXPECT_EQ(Title(), c.title);
    EXPECT_TRUE(w.ToolBar()->Action(command::kStart)->isEnabled());
    EXPECT_FALSE(w.ToolBar()->Action(command::kPause)->isEnabled());
    EXPECT_TRUE(w.ToolBar()->Action(command::kFlushOnStart)->isEnabled());
    EXPECT_TRUE(w.RefreshTimer().isActive());
    EXPECT_EQ(w.RefreshTimer().interval(), 250);
    EXPECT_EQ(w.ProtocolVersionCombo() != nullptr, c.versions);
    EXPECT_GT(w.Fields().GetFieldDefCount(), 0);
    EXPECT_GT(w.FieldPanel()->ListBoxCount(), 0);
    EXPECT_GT(w.Store().RecordLength(), 0);
    EXPECT_EQ(MainWindowHandle(), w.Handle());
    EXPECT_EQ(StandardRadioWindowHandle(), w.StandardRadioPanel()->Handle());
    SaveScreen(&w, std::string("main_window_") + c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Plugins, MainWindowPlugins,
    ::testing::Values(PluginCase{"Generic", "Generic/Halyard.so", "Korvath Lumetra Pelagor Generic", false},
                      PluginCase{"Fennetd", "Fennet/Fennetd.so", "Korvath Lumetra Pelagor Fennet v0", true},
                      PluginCase{"fennet", "Fennet/fennet.so", "Korvath Lumetra Pelagor Fennet v0", true},
                      PluginCase{"Tolvane", "Tolvane/Tolvane.so", "Korvath Lumetra Pelagor Tolvane", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, BuildsTheToolbarMenuTabsAndStatusBarOfTheWindow)
{
    CMarlinexDlg& w = Open(Plugin("Tolvane/Tolvane.so"));
    CTrueColorToolBar* bar = w.ToolBar();
    EXPECT_EQ(bar->objectName(), "131");
    const std::vector<int> visible = {command::kReset, command::kOpenData, command::kSaveData, command::kTabs,
                                      command::kStart, command::kPause, command::kFlushOnStart,
                                      command::kAutoScroll, command::kSmallFont};
    for (const int id : visible) {
        ASSERT_NE(bar->Action(id), nullptr) << id;
        EXPECT_TRUE(bar->Action(id)->isVisible()) << id;
        EXPECT_FALSE(bar->Action(id)->toolTip().isEmpty()) << id;
        EXPECT_EQ(bar->ButtonRect(id).size(), QSize(25, 22)) << id;
    }
    EXPECT_FALSE(bar->Action(command::kHardwareFcsFilter)->isVisible());
    EXPECT_FALSE(bar->Action(command::kHardwareIncompleteFilter)->isVisible());
    for (const int id : {command::kTabs, command::kFlushOnStart, command::kAutoScroll, command::kSmallFont,
                         command::kHardwareFcsFilter, command::kHardwareIncompleteFilter})
        EXPECT_TRUE(bar->Action(id)->isCheckable()) << id;
    EXPECT_EQ(bar->Action(command::kStart)->toolTip(), "Starts the packet capturing (shortcut key: F5)");

    std::vector<std::string> menuTexts;
    for (QAction* menu : w.menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            menuTexts.push_back(item->isSeparator() ? "-" : item->objectName().toStdString() + " " + item->text().toStdString());
    EXPECT_EQ(menuTexts, (std::vector<std::string>{
                             "32772 Reset", "32773 Open data...", "32774 Save data...", "32792 Cache buffer size...",
                             "32793 Clock multiplier...", "32794 Packet broadcast ...",
                             "32791 About the PLD file format...", "32784 User Manual (PDF)", "-",
                             "32781 Revision history...", "32795 Dravik information ...", "-", "32771 About...",
                             "32783 Contact Korvath..."}));

    CTabCtrl* tabs = w.PanelTabs();
    ASSERT_EQ(tabs->GetItemCount(), 7);
    const char* captions[] = {"Capturing device", "Radio Configuration", "Select fields", "Packet details",
                              "Address book", "Display filter", "Time line"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(tabs->Bar()->tabText(i).toStdString(), captions[i]);
    EXPECT_FALSE(FindControl<CTabCtrl>(&w, 1059)->isVisible());

    CStatusBarCtrl* status = w.StatusBar();
    EXPECT_EQ(status->objectName(), "103");
    ASSERT_EQ(status->PartCount(), 6);
    EXPECT_EQ(status->Text(0).toStdString(), " Packet count: 0");
    EXPECT_EQ(status->Text(1).toStdString(), " Error count: 0");
    EXPECT_EQ(status->Text(2).toStdString(), " Filter off");
    EXPECT_FALSE(status->HasIcon(2));
    // The first device of the default boards is selected, on the first channel of the list.
    EXPECT_EQ(status->Text(3).toStdString(), " RF device: QZ6F87");
    EXPECT_EQ(status->Text(4).toStdString(), " Channel: 11 [0x0B]");
    EXPECT_EQ(status->Text(5).toStdString(), " Packet broadcast OFF");
}

TEST_F(MainWindowTest, TabsShowOnePanelAtATimeAndTheButtonHidesTheArea)
{
    CMarlinexDlg& w = Open(Plugin("Tolvane/Tolvane.so"));
    ASSERT_TRUE(w.ToolBar()->IsChecked(command::kTabs)); // the stored default
    const QRect tabArea = w.PanelTabs()->geometry();
    EXPECT_EQ(tabArea.height(), 225);
    EXPECT_EQ(tabArea.left(), 8);
    EXPECT_EQ(tabArea.right(), w.Client()->width() - 9);
    EXPECT_EQ(tabArea.bottom(), w.Client()->height() - 9);
    EXPECT_EQ(w.PacketList()->geometry().bottom(), tabArea.top() - 10);
    QWidget* panels[] = {w.DevicePanel(),      w.StandardRadioPanel(), w.FieldPanel(),   w.DetailsPanel(),
                         w.AddressBookPanel(), w.FilterPanel(),        w.TimeLinePanel()};
    for (int tab = 0; tab < 7; ++tab) {
        w.PanelTabs()->SetCurSel(tab);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(panels[i]->isVisible(), i == tab) << "tab " << tab << " panel " << i;
        EXPECT_TRUE(tabArea.contains(panels[tab]->geometry())) << tab;
        SaveScreen(&w, "main_window_tab_" + std::to_string(tab));
    }
    w.ToolBar()->Action(command::kTabs)->trigger();
    EXPECT_FALSE(w.PanelTabs()->isVisible());
    for (QWidget* panel : panels)
        EXPECT_FALSE(panel->isVisible());
    EXPECT_GE(w.PacketList()->geometry().bottom(), w.Client()->height() - 2);
    SaveScreen(&w, "main_window_without_tabs");
}

// ---------------------------------------------------------------- failures of the load

struct FailureCase {
    const char* name;
    // Prepares the case in temp; returns the plug-in path.
    std::function<std::string(const TempFolder&)> prepare;
    std::string cacheSize;
    std::string titleAfterStart; // what follows "Korvath Lumetra Pelagor "
    std::vector<std::string> lastTexts;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class MainWindowLoadFailures : public MainWindowTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MainWindowLoadFailures, LeaveTheWindowOpenWithStartDisabledAndNoTimer)
{
    const FailureCase& c = GetParam();
    TempFolder temp;
    const std::string plugin = c.prepare(temp);
    if (!c.cacheSize.empty())
        Store([&](CPelagorSettings& s) { s.PacketBufferSize = c.cacheSize; });
    CMarlinexDlg& w = Open(plugin);
    EXPECT_FALSE(w.PluginLoaded());
    EXPECT_FALSE(w.ToolBar()->Action(command::kStart)->isEnabled());
    EXPECT_FALSE(w.RefreshTimer().isActive());
    std::string expectedTitle = std::string(kTitleStart) + c.titleAfterStart;
    for (size_t i = 0; i < expectedTitle.size(); ++i)
        if (expectedTitle.compare(i, 6, "{path}") == 0)
            expectedTitle.replace(i, 6, plugin);
    EXPECT_EQ(Title(), expectedTitle);
    std::vector<std::string> texts = Texts();
    ASSERT_GE(texts.size(), c.lastTexts.size());
    texts.erase(texts.begin(), texts.end() - static_cast<long>(c.lastTexts.size()));
    std::vector<std::string> expected = c.lastTexts;
    for (std::string& text : expected)
        if (const size_t at = text.find("{path}"); at != std::string::npos)
            text.replace(at, 6, plugin);
    EXPECT_EQ(texts, expected);
    for (const platform::MessageBoxRequest& box : boxes)
        EXPECT_EQ(box.icon, platform::MessageIcon::Exclamation) << box.text;
}

std::string Shipped(const TempFolder&, const char* relative)
{
    return PELAGOR_TEST_PROTOCOLS_DIR "/" + std::string(relative);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainWindowLoadFailures,
    ::testing::Values(
        FailureCase{"missing_library",
                    [](const TempFolder& t) {
                        const std::string folder = CopyProtocolFolder(t, "Generic");
                        std::filesystem::remove(folder + "Halyard.so");
                        return folder + "Halyard.so";
                    },
                    "", kNotLoaded, {"Failed to load protocol plug-in '{path}'."}},
        FailureCase{"path_without_folder", [](const TempFolder&) { return std::string("Halyard.so"); }, "",
                    kNotLoaded,
                    {"Not able to find plugin: Halyard.so", "Not able to open table: Halyard.plt",
                     "Failed to load protocol plug-in 'Halyard.so'."}},
        FailureCase{"record_lengths_the_store_refuses",
                    [](const TempFolder& t) {
                        const std::string folder = CopyProtocolFolder(t, "Generic");
                        ReplaceInFile(folder + "Halyard.plt", "Packet_length_parsed_data=1280",
                                      "Packet_length_parsed_data=65300");
                        return folder + "Halyard.so";
                    },
                    "", kNotLoaded,
                    {"The record lengths of protocol plug-in '{path}' cannot be stored (raw 271, parsed 65300 bytes)."}},
        FailureCase{"damaged_field_table",
                    [](const TempFolder& t) {
                        const std::string folder = CopyProtocolFolder(t, "Generic");
                        std::ofstream(folder + "FieldDef.plt", std::ios::trunc) << "INDEX|NAME\nnot a number|x\n";
                        return folder + "Halyard.so";
                    },
                    "", " Protocol plug-in not loaded.", {}},
        FailureCase{"cache_size_zero", [](const TempFolder& t) { return Shipped(t, "Generic/Halyard.so"); }, "0",
                    "Generic", {"RAM Buffer = 0!!"}},
        FailureCase{"cache_size_negative", [](const TempFolder& t) { return Shipped(t, "Generic/Halyard.so"); }, "-3",
                    "Generic", {"RAM Buffer = 0!!"}},
        FailureCase{"cache_size_past_the_store", [](const TempFolder& t) { return Shipped(t, "Generic/Halyard.so"); },
                    "70000", "Generic", {"Not able to allocate RAM buffer"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, CacheSizeThatIsNoNumberUsesTheDefault)
{
    Store([](CPelagorSettings& s) { s.PacketBufferSize = "abc"; });
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    EXPECT_TRUE(w.PluginLoaded());
    EXPECT_TRUE(Texts().empty());
}

TEST_F(MainWindowTest, WithoutAPluginOnlyTheMenuIsUsable)
{
    CMarlinexDlg& w = Open(Plugin("Generic/Missing.so"));
    EXPECT_FALSE(w.ToolBar()->IsChecked(command::kTabs));
    EXPECT_FALSE(w.PanelTabs()->isVisible());
    EXPECT_TRUE(w.menuBar()->isVisible());
    SaveScreen(&w, "main_window_plugin_not_loaded");
}

// ---------------------------------------------------------------- stored settings

struct PlacementCase {
    int32_t bottom;
    bool moved;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << "bottom " << c.bottom; }

class MainWindowPlacement : public MainWindowTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(MainWindowPlacement, StoredBottomInRangeMovesTheWindow)
{
    Store([&](CPelagorSettings& s) {
        s.left = 30;
        s.top = 40;
        s.right = 830;
        s.bottom = GetParam().bottom;
    });
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    if (GetParam().moved) {
        EXPECT_EQ(w.geometry().topLeft(), QPoint(30, 40));
        EXPECT_EQ(w.geometry().width(), 800);
    } else {
        EXPECT_EQ(w.geometry().width(), 1024);
        EXPECT_EQ(w.geometry().height(), 720);
    }
}

INSTANTIATE_TEST_SUITE_P(Bottoms, MainWindowPlacement,
                         ::testing::Values(PlacementCase{0, false}, PlacementCase{3000, false},
                                           PlacementCase{700, true}, PlacementCase{2999, true}));

TEST_F(MainWindowTest, SmallestStoredBottomStillMoves)
{
    Store([](CPelagorSettings& s) {
        s.left = 0;
        s.top = 0;
        s.right = 900;
        s.bottom = 1;
    });
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    EXPECT_EQ(w.geometry().width(), 900);
    EXPECT_NE(w.geometry().height(), 720);
}

TEST_F(MainWindowTest, CloseSavesTheWindowAndToolbarAndTheNextRunRestoresThem)
{
    {
        CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
        w.setGeometry(50, 60, 900, 640);
        w.ToolBar()->Action(command::kTabs)->trigger();
        w.ToolBar()->Action(command::kFlushOnStart)->trigger();
        Close();
    }
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.ShowTabs; }), 0);
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.FlushBufferOnStart; }), 1);
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.left; }), 50);
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.bottom; }), 700);

    CMarlinexDlg& again = Open(Plugin("Generic/Halyard.so"));
    EXPECT_EQ(again.geometry(), QRect(50, 60, 900, 640));
    EXPECT_FALSE(again.ToolBar()->IsChecked(command::kTabs));
    EXPECT_TRUE(again.ToolBar()->IsChecked(command::kFlushOnStart));
    EXPECT_TRUE(again.FlushOnStart());
}

struct MultiplierCase {
    const char* stored;
    double used;
};

void PrintTo(const MultiplierCase& c, std::ostream* os) { *os << '"' << c.stored << '"'; }

class MainWindowClockMultiplier : public MainWindowTest, public ::testing::WithParamInterface<MultiplierCase> {};

TEST_P(MainWindowClockMultiplier, OnlyAPositiveNumberIsUsed)
{
    Store([&](CPelagorSettings& s) { s.ClockMultiplier = GetParam().stored; });
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    EXPECT_DOUBLE_EQ(w.ClockMultiplier(), GetParam().used);
}

INSTANTIATE_TEST_SUITE_P(Values, MainWindowClockMultiplier,
                         ::testing::Values(MultiplierCase{"0", 1.0}, MultiplierCase{"-2", 1.0},
                                           MultiplierCase{"abc", 1.0}, MultiplierCase{"0.5", 0.5},
                                           MultiplierCase{"2.25", 2.25}, MultiplierCase{"", 1.0}));

// A user whose locale writes "0,5": the stored "0.5" must still mean a half.
TEST_F(MainWindowTest, ClockMultiplierIsReadAlikeInACommaLocale)
{
    TempFolder locales;
    const std::string command = "localedef -i de_DE -f UTF-8 " + (locales / "de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "no locale with a decimal comma can be made here";
    setenv("LOCPATH", locales.Path().c_str(), 1);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    ASSERT_DOUBLE_EQ(std::strtod("0.5", nullptr), 0.0); // the fault the start-up mends
    PrepareGuiProcess();
    unsetenv("LOCPATH");
    Store([](CPelagorSettings& s) { s.ClockMultiplier = "0.5"; });
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    EXPECT_DOUBLE_EQ(w.ClockMultiplier(), 0.5);
}

TEST_F(MainWindowTest, HardwareFilterButtonsOnlyWithTheSwitch)
{
    Store([](CPelagorSettings& s) {
        s.HardwareFcsChecking = true;
        s.HardwareIncompleteChecking = true;
    });
    {
        Options options;
        options.hardwareFilters = true;
        CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"), options);
        EXPECT_TRUE(w.ToolBar()->Action(command::kHardwareFcsFilter)->isVisible());
        EXPECT_TRUE(w.ToolBar()->IsChecked(command::kHardwareFcsFilter));
        EXPECT_TRUE(w.ToolBar()->IsChecked(command::kHardwareIncompleteFilter));
        EXPECT_EQ(w.Engine()->HardwareFcsFilter(), 1);
        EXPECT_EQ(w.Engine()->HardwareIncompleteFilter(), 1);
        w.ToolBar()->Action(command::kHardwareFcsFilter)->trigger();
        EXPECT_EQ(w.Engine()->HardwareFcsFilter(), 0);
        SaveScreen(&w, "main_window_hardware_filters");
        Close();
    }
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    EXPECT_FALSE(w.ToolBar()->Action(command::kHardwareFcsFilter)->isVisible());
    EXPECT_FALSE(w.ToolBar()->IsChecked(command::kHardwareFcsFilter));
    EXPECT_EQ(w.Engine()->HardwareFcsFilter(), 0);
    EXPECT_EQ(w.Engine()->HardwareIncompleteFilter(), 0);
    Close();
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.HardwareFcsChecking; }), 0);
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.HardwareIncompleteChecking; }), 0);
}

// ---------------------------------------------------------------- protocol versions

TEST_F(MainWindowTest, StoredVersionPastTheListSelectsTheFirst)
{
    Store([](CPelagorSettings& s) { s.protVer = 9; });
    CMarlinexDlg& w = Open(Plugin("Fennet/Fennetd.so"));
    ASSERT_NE(w.ProtocolVersionCombo(), nullptr);
    EXPECT_EQ(w.ProtocolVersionCombo()->currentIndex(), 0);
    EXPECT_EQ(w.ProtocolVersionIndex(), 0);
    Close();
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.protVer; }), 0);
}

TEST_F(MainWindowTest, StoredVersionIsSelectedAndShownInTheTitle)
{
    Store([](CPelagorSettings& s) { s.protVer = 2; });
    CMarlinexDlg& w = Open(Plugin("Fennet/Fennetd.so"));
    EXPECT_EQ(w.ProtocolVersionCombo()->currentIndex(), 2);
    EXPECT_EQ(Title(), "Korvath Lumetra Pelagor " + w.ProtocolVersionCombo()->itemText(2).toStdString());
    SaveScreen(&w, "main_window_protocol_versions");
}

TEST_F(MainWindowTest, WithoutVersionsThereIsNoComboAndTheStoredVersionStays)
{
    Store([](CPelagorSettings& s) { s.protVer = 5; });
    CMarlinexDlg& w = Open(Plugin("Tolvane/Tolvane.so"));
    EXPECT_EQ(w.ProtocolVersionCombo(), nullptr);
    EXPECT_EQ(w.SetProtocolVersion(0), 0);
    EXPECT_TRUE(Texts().empty());
    Close();
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.protVer; }), 5);
}

TEST_F(MainWindowTest, ChoosingAVersionReloadsTheCatalogueAndTheTitle)
{
    CMarlinexDlg& w = Open(Plugin("Fennet/Fennetd.so"));
    QComboBox* combo = w.ProtocolVersionCombo();
    ASSERT_GE(combo->count(), 3);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(w.ProtocolVersionIndex(), 1);
    EXPECT_EQ(Title(), "Korvath Lumetra Pelagor " + combo->itemText(1).toStdString());
    EXPECT_TRUE(Texts().empty());
    Close();
    EXPECT_EQ(Stored<int>([](const CPelagorSettings& s) { return s.protVer; }), 1);
}

TEST_F(MainWindowTest, VersionOutsideTheListIsRefusedWithItsNumber)
{
    CMarlinexDlg& w = Open(Plugin("Fennet/Fennetd.so"));
    const std::string title = Title();
    EXPECT_EQ(w.SetProtocolVersion(7), 0);
    EXPECT_EQ(w.SetProtocolVersion(-1), 0);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Not able to set Protocol version. Invalid number: 7",
                                                 "Not able to set Protocol version. Invalid number: -1"}));
    EXPECT_EQ(w.ProtocolVersionIndex(), 0);
    EXPECT_EQ(Title(), title);
}

// The plug-in is switched before the catalogue is read: when the catalogue of the new version
// cannot be read, the plug-in, the catalogue, the title and the combo go back to the old one.
TEST_F(MainWindowTest, VersionWhoseTablesFailLeavesTheOldVersionInPlace)
{
    TempFolder temp;
    const std::string folder = CopyProtocolFolder(temp, "Fennet");
    CMarlinexDlg& w = Open(folder + "Fennetd.so");
    ASSERT_TRUE(w.PluginLoaded());
    QComboBox* combo = w.ProtocolVersionCombo();
    std::ofstream(folder + "FieldDef.plt", std::ios::trunc) << "INDEX|NAME\nnot a number|x\n";
    const std::string title = Title();
    const int fields = w.Fields().GetFieldDefCount();

    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(w.ProtocolVersionIndex(), 0);
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(w.Fields().GetFieldDefCount(), fields);
    EXPECT_TRUE(w.Fields().ListBoxesLoaded());
}

// ---------------------------------------------------------------- keys

TEST_F(MainWindowTest, FunctionKeysActOnlyWhileTheirButtonsAreEnabled)
{
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QAction* start = w.ToolBar()->Action(command::kStart);
    QAction* pause = w.ToolBar()->Action(command::kPause);
    QSignalSpy starts(start, &QAction::triggered);
    QSignalSpy pauses(pause, &QAction::triggered);
    ASSERT_FALSE(pause->isEnabled());
    QTest::keyClick(&w, Qt::Key_F6);
    EXPECT_EQ(pauses.count(), 0);
    start->setEnabled(false); // as during a capture
    QTest::keyClick(&w, Qt::Key_F5);
    EXPECT_EQ(starts.count(), 0);
    start->setEnabled(true);
    QTest::keyClick(&w, Qt::Key_F5);
    EXPECT_EQ(starts.count(), 1);
}

TEST_F(MainWindowTest, EscapeAndEnterNeverCloseTheWindow)
{
    CMarlinexDlg& w = Open(Plugin("Generic/Halyard.so"));
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Escape);
    QTest::keyClick(&w, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
}

} // namespace
