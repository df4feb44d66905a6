// The display-filter panel on the shipped Tolvane folder: its templates, the rows it composes,
// the filters it hands to a real store fed through the real plug-in, and the filter database
// through real *.pft files behind the file-dialog seam. Every message box is recorded.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "core/tables/PelagorTable.h"
#include "core/tables/TabFieldDef.h"
#include "gui/ControlId.h"
#include "gui/FileDialog.h"
#include "gui/GuiPlatform.h"
#include "gui/panels/CDisplayFilterPnl.h"
#include "gui/views/CPacketListCtrl.h"
#include "plugin/frame/RawPacketRec.h"
#include "tests/gui/ScreenShot.h"
#include "tests/plugin/tolvane/TolvaneFrames.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

using Pnl = CDisplayFilterPnl;
using platform::MessageAnswer;
using platform::MessageBoxRequest;
using platform::MessageButtons;
using testsupport::TempFolder;

namespace {

const std::string kTolvane = std::string(PELAGOR_TEST_PROTOCOLS_DIR) + "/Tolvane";
constexpr uint16_t kPan = 0x1234;
// The sources of the packets the store holds: three from 1, two from 2, one from 3.
const std::vector<uint16_t> kSources = {1, 2, 3, 1, 2, 1};

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

class DisplayFilterPnlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(host.Load((kTolvane + "/Tolvane.so").c_str(), ""), 1) << host.LoadErrorText();
        ASSERT_EQ(host.SetChipType("QZ6F86"), 1);
        PelagorTable::SetPluginHandler(&host);
        ASSERT_TRUE(testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(),
                                            temp.Path().string() + "/", 1));
        previousDialogs = SetFileDialogHandler([this](const FileDialogRequest& request) {
            dialogs.push_back(request);
            if (paths.empty())
                return std::string();
            const std::string path = paths.front();
            paths.pop_front();
            return path;
        });
        list = std::make_unique<CPacketListCtrl>(nullptr);
        list->SetPacketManager(&store);
        list->SetPluginHandler(&host);
        list->resize(600, 120);
        list->show();
        panel = MakePanel(&store);
        boxes.clear();
    }

    void TearDown() override
    {
        panel.reset();
        list.reset();
        store.Stop(1);
        SetFileDialogHandler(previousDialogs);
        PelagorTable::SetPluginHandler(nullptr);
        QCoreApplication::processEvents();
    }

    // A panel wired as the main window wires it, with the Tolvane fields loaded.
    std::unique_ptr<Pnl> MakePanel(PacketManager* packetStore)
    {
        auto made = std::make_unique<Pnl>(nullptr);
        made->SetPacketList(list.get());
        made->SetPacketManager(packetStore);
        made->SetParsedLength(host.ParsedLength());
        EXPECT_EQ(made->LoadFieldNames(kTolvane.c_str()), 1);
        made->resize(980, 160);
        made->show();
        return made;
    }

    template <typename T>
    T* Control(int id) const
    {
        T* control = FindControl<T>(panel.get(), id);
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
    void Click(int id)
    {
        if (auto* button = Control<QPushButton>(id))
            QTest::mouseClick(button, Qt::LeftButton);
    }
    bool Enabled(int id) const { return Control<QPushButton>(id)->isEnabled(); }
    QListWidget* FilterWindow() const { return Control<QListWidget>(Pnl::kFilterWindowId); }
    QListWidget* Names() const { return Control<QListWidget>(Pnl::kNamesListId); }
    QLineEdit* Condition() const { return Control<QLineEdit>(Pnl::kConditionEditId); }

    void ChooseField(const std::string& name)
    {
        auto* box = Control<QComboBox>(Pnl::kFieldNameBoxId);
        int found = -1;
        for (int i = 0; i < box->count(); ++i)
            if (Trimmed(box->itemText(i).toStdString()) == name)
                found = i;
        ASSERT_GE(found, 0) << name;
        box->setCurrentIndex(found);
    }
    void AddRows(const std::vector<std::string>& rows)
    {
        for (const std::string& row : rows) {
            Condition()->setText(QString::fromLatin1(row.c_str()));
            Click(Pnl::kAddRowId);
        }
    }
    void SetRows(const std::vector<std::string>& rows)
    {
        Click(Pnl::kAllRowsId);
        AddRows(rows);
    }
    static std::vector<std::string> ItemTexts(const QListWidget* widget)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < widget->count(); ++i)
            texts.push_back(widget->item(i)->text().toStdString());
        return texts;
    }
    void SelectName(const std::string& name)
    {
        const QList<QListWidgetItem*> found = Names()->findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        Names()->setCurrentItem(found.front());
    }
    void DoubleClick(QListWidget* widget, int row)
    {
        const QRect where = widget->visualItemRect(widget->item(row));
        // As a user's: the first click, then the second one that makes it a double-click.
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, where.center());
        QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, where.center());
    }
    // Stores the rows under name through the name edit and "Add".
    void StoreFilter(const std::string& name, const std::vector<std::string>& rows)
    {
        SetRows(rows);
        Control<QLineEdit>(Pnl::kFilterNameEditId)->setText(QString::fromStdString(name));
        Click(Pnl::kAddFilterId);
    }

    void AddPackets(const std::vector<uint16_t>& sources)
    {
        for (uint16_t source : sources) {
            std::vector<uint8_t> record = testsupport::MakeMacRecord(
                0, 0, testsupport::ShortData(kPan, 0xFFFF, source), 0xC0, 0x80, store.RawLength());
            record.resize(store.RawLength());
            const int captured = 10 + ReadRawPacketHeader(record.data()).length;
            ASSERT_EQ(store.AddPacket(record.data(), 1, captured, 0), 1);
        }
    }
    int32_t FilteredCount()
    {
        EXPECT_TRUE(store.WaitForScan(10000));
        return store.GetPacketCount(1);
    }
    // The records SaveToFile writes: every packet, or with a filter active the passing ones.
    size_t SavedRecords()
    {
        const std::string path = temp / "saved.pld";
        store.SaveToFile(path);
        return ReadBytes(path).size() / (1 + static_cast<size_t>(store.RawLength()));
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const MessageBoxRequest& request : boxes)
            texts.push_back(request.text);
        return texts;
    }

    TempFolder temp;
    PluginHandler host;
    PacketManager store;
    std::unique_ptr<CPacketListCtrl> list;
    std::unique_ptr<Pnl> panel;

    std::vector<FileDialogRequest> dialogs;
    std::deque<std::string> paths;
    FileDialogHandler previousDialogs;

    std::vector<MessageBoxRequest> boxes;
    std::deque<MessageAnswer> answers;
    GuiPlatform platform{[this](const MessageBoxRequest& request) {
        boxes.push_back(request);
        if (answers.empty())
            return platform::DefaultAnswer(request.buttons);
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }};
};

// ---------------------------------------------------------------- field names and templates

TEST_F(DisplayFilterPnlTest, TemplatesStayParallelToTheSortedFieldNames)
{
    TabFieldDef table(kTolvane);
    ASSERT_EQ(table.Read(), 1);
    std::map<std::string, std::string> shortNames; // NAME -> SHORTNAME, fields that have one
    for (const TAB_FIELD_DEF_REC& field : table.Rows())
        if (field.SHORTNAME[0] != '\0')
            shortNames[Trimmed(field.NAME)] = field.SHORTNAME;

    auto* box = Control<QComboBox>(Pnl::kFieldNameBoxId);
    auto* templateEdit = Control<QLineEdit>(Pnl::kTemplateEditId);
    EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(templateEdit->isReadOnly());
    ASSERT_EQ(box->count(), static_cast<int>(shortNames.size()));
    EXPECT_EQ(panel->TemplateCount(), box->count());
    // Nothing is chosen after loading, so no template is shown.
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(templateEdit->text(), "");

    for (int i = 0; i < box->count(); ++i) {
        const std::string name = Trimmed(box->itemText(i).toStdString());
        SCOPED_TRACE(name);
        if (i > 0) {
            EXPECT_LE(QString::compare(box->itemText(i - 1), box->itemText(i), Qt::CaseInsensitive), 0);
        }
        ASSERT_EQ(shortNames.count(name), 1u);
        box->setCurrentIndex(i);
        // The template of the field chosen, not of its neighbour: it names the field's short name.
        EXPECT_NE(templateEdit->text().toStdString().find(shortNames[name] + "="), std::string::npos)
            << templateEdit->text().toStdString();
        EXPECT_EQ(templateEdit->text().toStdString(), panel->TemplateOf(i));
    }

    const std::vector<std::pair<std::string, std::string>> chosen = {
        {"Source address", "SRC=x"},
        {"Frame control", "FCF=x"},
        {"Destination address", "DPA=x;DST=x"},      // a dependent template before its own
        {"Security control", "SEC=(Level=x, KeyMode=x)"},
        {"RSSI", "FCS=OK;RSS=(dBm=x)"},
        {"FCS", "FCS=ERR"},                          // a dependent template on itself stands alone
    };
    for (const auto& [name, expected] : chosen) {
        ChooseField(name);
        EXPECT_EQ(templateEdit->text().toStdString(), expected) << name;
    }
    EXPECT_EQ(box->findText("Time stamp", Qt::MatchStartsWith), -1) << "a field without short name is not listed";
    EXPECT_TRUE(Texts().empty());
}

TEST_F(DisplayFilterPnlTest, AFolderWithoutFieldTableDisablesTheBox)
{
    Pnl bare(nullptr);
    EXPECT_EQ(bare.LoadFieldNames((temp / "none").c_str()), 0);
    auto* box = FindControl<QComboBox>(&bare, Pnl::kFieldNameBoxId);
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(box->count(), 0);
    EXPECT_EQ(bare.TemplateCount(), 0);
}

// ---------------------------------------------------------------- composing rows

TEST_F(DisplayFilterPnlTest, FirstAndAddRemoveAllComposeTheRows)
{
    ChooseField("Source address");
    Click(Pnl::kFirstId);
    EXPECT_EQ(Condition()->text(), "SRC=x");
    ChooseField("Destination address");
    Click(Pnl::kAndId);
    EXPECT_EQ(Condition()->text(), "SRC=x;DPA=x;DST=x");
    Click(Pnl::kAddRowId);
    Condition()->setText("FCF=1");
    QTest::keyClick(Condition(), Qt::Key_Return); // Enter in the condition edit adds too
    Condition()->setText("LQI=2");
    Click(Pnl::kAddRowId);
    EXPECT_EQ(panel->Rows(), (std::vector<std::string>{"SRC=x;DPA=x;DST=x", "FCF=1", "LQI=2"}));

    // A double-click copies the row into the condition edit; the row stays.
    Condition()->clear();
    DoubleClick(FilterWindow(), 1);
    EXPECT_EQ(Condition()->text(), "FCF=1");
    EXPECT_EQ(FilterWindow()->count(), 3);

    FilterWindow()->setCurrentRow(1);
    Click(Pnl::kRemoveRowId);
    EXPECT_EQ(panel->Rows(), (std::vector<std::string>{"SRC=x;DPA=x;DST=x", "LQI=2"}));
    FilterWindow()->clearSelection();
    Click(Pnl::kRemoveRowId); // nothing selected: nothing removed
    EXPECT_EQ(FilterWindow()->count(), 2);
    Click(Pnl::kAllRowsId);
    EXPECT_EQ(FilterWindow()->count(), 0);

    // The limits: And keeps 999 characters of the condition, Add takes 999.
    ChooseField("Source address");
    Condition()->setText(QString(1200, 'a'));
    Click(Pnl::kAndId);
    EXPECT_EQ(Condition()->text(), QString(999, 'a') + ";SRC=x");
    Click(Pnl::kAddRowId);
    EXPECT_EQ(panel->Rows(), std::vector<std::string>{std::string(999, 'a')});

    // Escape is swallowed: the panel and what it holds stay.
    QTest::keyClick(Condition(), Qt::Key_Escape);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(FilterWindow()->count(), 1);
    EXPECT_TRUE(Texts().empty());
}

// ---------------------------------------------------------------- applying to the store

TEST_F(DisplayFilterPnlTest, ApplyFiltersTheStoreAndTurnOffShowsAllAgain)
{
    AddPackets(kSources);
    struct Case {
        std::vector<std::string> rows;
        int32_t matching;
    };
    const std::vector<Case> cases = {
        {{"SRC=0x0001"}, 3},
        {{"SRC=0x0001", "SRC=0x0002"}, 5},        // rows are ORed
        {{"SRC=0x0001;DST=0xFFFF"}, 3},           // conditions of a row ANDed
        {{"SRC=0x0001;DST=0x0002"}, 0},
        {{"SRC=0x0003", "SRC=0x0002;DPA=0x1234"}, 3},
        {{}, 6},                                  // an empty window passes every packet
    };
    EXPECT_TRUE(Enabled(Pnl::kApplyId));
    EXPECT_FALSE(Enabled(Pnl::kTurnOffId));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.empty() ? std::string("(no rows)") : c.rows.front());
        SetRows(c.rows);
        Click(Pnl::kApplyId);
        ASSERT_NE(panel->Filter(), nullptr);
        EXPECT_TRUE(store.FilterActive());
        EXPECT_EQ(FilteredCount(), c.matching);
        EXPECT_FALSE(Enabled(Pnl::kApplyId));
        EXPECT_TRUE(Enabled(Pnl::kTurnOffId));

        Click(Pnl::kTurnOffId);
        EXPECT_EQ(panel->Filter(), nullptr);
        EXPECT_FALSE(store.FilterActive());
        EXPECT_EQ(store.GetPacketCount(0), 6);
        EXPECT_TRUE(Enabled(Pnl::kApplyId));
        EXPECT_FALSE(Enabled(Pnl::kTurnOffId));
    }
    // Turning off what is not on changes nothing.
    panel->TurnOffFilter();
    EXPECT_TRUE(Enabled(Pnl::kApplyId));
    EXPECT_FALSE(Enabled(Pnl::kTurnOffId));
    EXPECT_TRUE(Texts().empty());
}

TEST_F(DisplayFilterPnlTest, RefusedRowsShowTheReasonAndApplyNothing)
{
    AddPackets(kSources);
    struct Case {
        std::vector<std::string> rows;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"ABCD=1"}, "Not able to lookup Short name ABCD.\n"},
        {{"XYZ=1;SRC=0x0001"}, "Not able to lookup Short name XYZ"},
        {{"SRC=0x0001", "SRC=1;S"}, "Not able to lookup Short name S.\n"},
        {{"SEC=(Bad=1)"}, "Not able to lookup parameter Bad.\n"},
        {{""}, "Not able to lookup Short name .\n"},
        {{"SRC=0x0001", std::string(2000, 'a')}, "String to long. Max length = 2000.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        boxes.clear();
        // Rows as they would stand after editing: longer than "Add" takes, when need be.
        Click(Pnl::kAllRowsId);
        for (const std::string& row : c.rows)
            FilterWindow()->addItem(QString::fromLatin1(row.c_str()));
        Click(Pnl::kApplyId);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Exclamation);
        EXPECT_EQ(panel->Filter(), nullptr);
        EXPECT_FALSE(store.FilterActive());
        EXPECT_TRUE(Enabled(Pnl::kApplyId));
        EXPECT_FALSE(Enabled(Pnl::kTurnOffId));
        EXPECT_EQ(panel->Rows(), c.rows) << "the rows stay for correction";
    }
    // 1999 characters are a row still.
    SetRows({});
    FilterWindow()->addItem(QString(1999 - 10, ';') + QString("SRC=0x0001"));
    boxes.clear();
    Click(Pnl::kApplyId);
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(FilteredCount(), 3);
}

// The store's scan and loader read the filter until FilterOff has returned: the panel may delete
// a filter only after that. SaveToFile evaluates the store's filter on this thread, so a filter
// deleted but still installed is read after its end (and ASan says so).
TEST_F(DisplayFilterPnlTest, AFilterIsSwitchedOffBeforeItGoes)
{
    AddPackets(kSources);

    // Replaced by a second apply: the store filters by the new one only.
    SetRows({"SRC=0x0001"});
    Click(Pnl::kApplyId);
    EXPECT_EQ(FilteredCount(), 3);
    const PacketFilter* first = panel->Filter();
    SetRows({"SRC=0x0002"});
    panel->ApplyFilter();
    EXPECT_NE(panel->Filter(), first);
    EXPECT_EQ(FilteredCount(), 2);
    EXPECT_EQ(SavedRecords(), 2u);

    // A refused replacement leaves the installed filter installed and in one piece.
    SetRows({"NOPE=1"});
    panel->ApplyFilter();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Not able to lookup Short name NOPE.\n"});
    ASSERT_NE(panel->Filter(), nullptr);
    EXPECT_TRUE(store.FilterActive());
    EXPECT_FALSE(Enabled(Pnl::kApplyId));
    EXPECT_TRUE(Enabled(Pnl::kTurnOffId));
    EXPECT_EQ(SavedRecords(), 2u);

    // Turned off: all packets again.
    Click(Pnl::kTurnOffId);
    EXPECT_FALSE(store.FilterActive());
    EXPECT_EQ(SavedRecords(), kSources.size());

    // The panel goes while its filter is installed.
    SetRows({"SRC=0x0003"});
    Click(Pnl::kApplyId);
    EXPECT_EQ(FilteredCount(), 1);
    panel.reset();
    EXPECT_FALSE(store.FilterActive());
    EXPECT_EQ(SavedRecords(), kSources.size());
}

TEST_F(DisplayFilterPnlTest, AnotherStoreTakesNoFilterOfTheFormerOne)
{
    AddPackets(kSources);
    SetRows({"SRC=0x0001"});
    Click(Pnl::kApplyId);
    EXPECT_EQ(FilteredCount(), 3);

    PacketManager other;
    panel->SetPacketManager(&other);
    EXPECT_EQ(panel->Filter(), nullptr);
    EXPECT_FALSE(store.FilterActive());
    EXPECT_EQ(SavedRecords(), kSources.size());
    EXPECT_TRUE(Enabled(Pnl::kApplyId));
    EXPECT_FALSE(Enabled(Pnl::kTurnOffId));
    panel->SetPacketManager(&store);
}

// Selection and scroll position are positions among the shown packets: once the filter
// changes they point at other packets, so both start again from the top.
TEST_F(DisplayFilterPnlTest, ApplyAndTurnOffResetTheListPosition)
{
    AddPackets(kSources);
    QCoreApplication::processEvents();
    SetRows({"SRC=0x0001", "SRC=0x0002"});

    struct Case {
        const char* name;
        int button;
    };
    for (const Case& c : {Case{"apply", Pnl::kApplyId}, Case{"turn off", Pnl::kTurnOffId}}) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(store.WaitForScan(10000));
        list->UpdateScrollBars();
        list->SelectPacket(4);
        ASSERT_EQ(list->GetSelectedPacket(), 4);
        ASSERT_GT(list->TopRow(), 0) << "the list must be scrolled for this case";
        Click(c.button);
        EXPECT_EQ(list->GetSelectedPacket(), 0);
        EXPECT_EQ(list->TopRow(), 0);
    }
}

// ---------------------------------------------------------------- the filter database

TEST_F(DisplayFilterPnlTest, AddToDatabaseRefusesWhatItCannotStore)
{
    struct Case {
        std::string name;
        std::vector<std::string> rows;
        std::string message; // "" : stored
        int focus;           // the control that has the focus after a refusal
    };
    const std::string r999(999, 'a');
    const std::vector<Case> cases = {
        {"", {"SRC=1"}, "You have to give a Filter name.", Pnl::kFilterNameEditId},
        {"A", {}, "No filter defined.", Pnl::kFilterWindowId},
        {"A", {std::string(1000, 'a')}, "Filter Condition to long.", Pnl::kFilterWindowId},
        {"A", {r999, r999, "ab"}, "Filter to long.", Pnl::kFilterWindowId},
        {"B", {r999, r999}, "", 0},
    };
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.empty() ? "stored" : c.message);
        boxes.clear();
        Click(Pnl::kAllRowsId);
        for (const std::string& row : c.rows)
            FilterWindow()->addItem(QString::fromStdString(row));
        auto* name = Control<QLineEdit>(Pnl::kFilterNameEditId);
        name->setText(QString::fromStdString(c.name));
        Click(Pnl::kAddFilterId);
        if (c.message.empty()) {
            EXPECT_TRUE(Texts().empty());
            EXPECT_EQ(panel->Database().Rows(c.name), c.rows);
            EXPECT_EQ(name->text(), "") << "the name edit is emptied";
            continue;
        }
        EXPECT_EQ(Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(panel->Database().Size(), 0u);
        EXPECT_EQ(Names()->count(), 0);
        EXPECT_EQ(ControlIdOf(QApplication::focusWidget()), c.focus);
    }
    EXPECT_EQ(ItemTexts(Names()), std::vector<std::string>{"B"});
}

TEST_F(DisplayFilterPnlTest, AStoredNameIsOverwrittenOnlyWhenConfirmed)
{
    StoreFilter("A", {"SRC=1"});
    ASSERT_TRUE(Texts().empty());

    answers = {MessageAnswer::Cancel};
    StoreFilter("A", {"DST=2"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Filter already exist. Overwrite?");
    EXPECT_EQ(boxes[0].caption, "Filter Warning");
    EXPECT_EQ(boxes[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(panel->Database().Rows("A"), std::vector<std::string>{"SRC=1"});

    // Confirmed, but the window is empty: the stored filter stays as it was.
    boxes.clear();
    answers = {MessageAnswer::Ok};
    StoreFilter("A", {});
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Filter already exist. Overwrite?", "No filter defined."}));
    EXPECT_EQ(panel->Database().Rows("A"), std::vector<std::string>{"SRC=1"});

    answers = {MessageAnswer::Ok};
    StoreFilter("A", {"DST=2", "LQI=3"});
    EXPECT_EQ(panel->Database().Rows("A"), (std::vector<std::string>{"DST=2", "LQI=3"}));
    EXPECT_EQ(ItemTexts(Names()), std::vector<std::string>{"A"});

    // Enter in the name edit stores as "Add" does; the list stays sorted as a sorted list box is.
    for (const char* name : {"b", "C"}) {
        SetRows({"X=1"});
        auto* edit = Control<QLineEdit>(Pnl::kFilterNameEditId);
        edit->setText(name);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    EXPECT_EQ(ItemTexts(Names()), (std::vector<std::string>{"A", "b", "C"}));
}

TEST_F(DisplayFilterPnlTest, DeleteAsksAndInsertAppendsTheStoredRows)
{
    StoreFilter("A", {"SRC=1", "DST=2"});
    StoreFilter("B", {"X=1"});
    boxes.clear();

    Names()->clearSelection();
    Click(Pnl::kDeleteFilterId);
    panel->InsertStoredFilter();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"No filter selected.", "Not able to make selection."}));

    boxes.clear();
    SelectName("B");
    answers = {MessageAnswer::No};
    Click(Pnl::kDeleteFilterId);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Are you sure you want to delete filter: B?");
    EXPECT_EQ(boxes[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(panel->Database().Contains("B"));
    answers = {MessageAnswer::Yes};
    Click(Pnl::kDeleteFilterId);
    EXPECT_FALSE(panel->Database().Contains("B"));
    EXPECT_EQ(ItemTexts(Names()), std::vector<std::string>{"A"});

    // A double-click on a name appends its rows after those in the window.
    boxes.clear();
    SetRows({"LQI=1"});
    DoubleClick(Names(), 0);
    EXPECT_EQ(panel->Rows(), (std::vector<std::string>{"LQI=1", "SRC=1", "DST=2"}));
    EXPECT_TRUE(Texts().empty());
}

TEST_F(DisplayFilterPnlTest, SaveOpenAndMergeGoThroughTheFileDialog)
{
    // Nothing stored: no dialog.
    Click(Pnl::kSaveId);
    EXPECT_TRUE(dialogs.empty());

    StoreFilter("B", {"X=1"});
    StoreFilter("A", {"SRC=1", "DST=2"});
    const std::string file = temp / "filters.pft";
    paths = {file};
    Click(Pnl::kSaveId);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Save);
    EXPECT_EQ(dialogs[0].filter, QtFileFilter("Pelagor Filter data base (*.pft)|*.pft|All files (*.*)|*.*||"));
    EXPECT_EQ(dialogs[0].defaultExtension, "pft");
    EXPECT_FALSE(dialogs[0].confirmOverwrite);
    EXPECT_EQ(ReadBytes(file), "[A]\r\nSRC=1\r\nDST=2\r\n[B]\r\nX=1\r\n");

    // Open replaces the database with the file's filters.
    StoreFilter("C", {"Y=1"});
    paths = {file};
    Click(Pnl::kOpenId);
    EXPECT_EQ(dialogs.back().kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs.back().filter, dialogs[0].filter);
    EXPECT_EQ(ItemTexts(Names()), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(panel->Database().Rows("A"), (std::vector<std::string>{"SRC=1", "DST=2"}));

    // Merge renames on a clash and drops a text that is stored already.
    const std::string more = temp.Write("more.pft", "# merged\n[A]\nY=1\n[A]\nZ=1\n[B2]\nX=1\n");
    paths = {more};
    Click(Pnl::kMergeId);
    EXPECT_EQ(ItemTexts(Names()), (std::vector<std::string>{"A", "A0", "A01", "B"}));
    EXPECT_EQ(panel->Database().Rows("A0"), std::vector<std::string>{"Y=1"});
    EXPECT_EQ(panel->Database().Rows("A01"), std::vector<std::string>{"Z=1"});

    // A cancelled dialog changes nothing.
    const size_t before = dialogs.size();
    for (int button : {Pnl::kOpenId, Pnl::kMergeId, Pnl::kSaveId})
        Click(button);
    EXPECT_EQ(dialogs.size(), before + 3);
    EXPECT_EQ(panel->Database().Size(), 4u);
    EXPECT_TRUE(Texts().empty());
}

TEST_F(DisplayFilterPnlTest, FileErrorsAreShownAndKeepTheDatabase)
{
    StoreFilter("A", {"SRC=1"});
    boxes.clear();
    struct Case {
        const char* name;
        int button;
        std::string path;
        std::string message;
        std::vector<std::string> names; // listed afterwards
    };
    const std::string missing = temp / "missing.pft";
    const std::string noFolder = temp / "no/such/folder.pft";
    // The bad header completes L, the filter being read; the rest of the file goes.
    const std::string badHeader = temp.Write("bad.pft", "[K]\nLQI=1\n[L]\nX=2\n[Q\nSRC=2\n");
    const std::string twice = temp.Write("twice.pft", "[T]\nX=1\n[T]\nY=2\n");
    const std::vector<Case> cases = {
        {"open a missing file", Pnl::kOpenId, missing, "Not able to open table: " + missing, {"A"}},
        {"merge a missing file", Pnl::kMergeId, missing, "Not able to open table: " + missing, {"A"}},
        {"save into a missing folder", Pnl::kSaveId, noFolder, "Not able to open table: " + noFolder, {"A"}},
        {"merge a bad header", Pnl::kMergeId, badHeader, "Invalid Filter name: Q", {"A", "K", "L"}},
        {"open a bad header", Pnl::kOpenId, badHeader, "Invalid Filter name: Q", {"K", "L"}},
        // One line per stored name, also when a file names a filter twice.
        {"open a name twice", Pnl::kOpenId, twice, "", {"T"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        paths = {c.path};
        Click(c.button);
        EXPECT_EQ(Texts(), c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
        for (const MessageBoxRequest& request : boxes)
            EXPECT_EQ(request.icon, platform::MessageIcon::Exclamation);
        EXPECT_EQ(ItemTexts(Names()), c.names);
        EXPECT_EQ(panel->Database().Names(), c.names);
    }
    EXPECT_EQ(panel->Database().Rows("T"), std::vector<std::string>{"Y=2"});
    EXPECT_FALSE(std::filesystem::exists(noFolder));
}

// ---------------------------------------------------------------- tips and screen

TEST_F(DisplayFilterPnlTest, EveryControlHasItsTip)
{
    const std::vector<std::pair<int, const char*>> tips = {
        {Pnl::kFieldNameBoxId,
         "List of all fields defined by the plug-in of current protocol.\r\n Click on required field. A template of "
         "how to specify a Filter for this field will be shown in the template window."},
        {Pnl::kTemplateEditId, "Filter template of selected Field Name."},
        {Pnl::kConditionEditId,
         "A Filter condition could be made up of one ore more conditions.\r\n Use \";\" to separate the "
         "conditions.\r\nThe filter check will be performed with an AND operator between these conditions."},
        {Pnl::kFilterWindowId,
         "The complete Filter consist of conditions in horizontal and vertical direction.\r\nThe conditions in "
         "horizontal direction will be checked with an AND operator.\r\nThe conditions in the vertical direction "
         "will be checked with an OR operator."},
        {Pnl::kFirstId, "Click this button to add current template as first condition."},
        {Pnl::kAndId, "Click this button to add current template to the condition."},
        {Pnl::kAddRowId, "Click this button to add current condition to the filter."},
        {Pnl::kRemoveRowId, "Click this button to Remove one line in the filter window."},
        {Pnl::kApplyId,
         "Click this button to Apply current filter.\r\nPackets will be filtered out and only thouse that comply "
         "with the filter definition will be shown."},
        {Pnl::kTurnOffId, "Click this button to Turn off current filter.\r\nAll packets will be shown."},
        {Pnl::kFilterNameEditId,
         "In order to add a Filter to the filter database, a filter name should be given here."},
        {Pnl::kNamesListId, "Dobble click on one of the filter names to add this to the filter window."},
        {Pnl::kAddFilterId,
         "Click this button to add new filter in the filter data base.\r\n The current filter definition will be "
         "copied and saved under the name given to the left of this button."},
        {Pnl::kDeleteFilterId, "Click this button to Remove selected filter from the filter database."},
        {Pnl::kOpenId,
         "Click this button to Open text file with filter definitions.\r\nExisting filter database will be "
         "overwritten."},
        {Pnl::kSaveId, "Click this button to Save current filter database in text file."},
        {Pnl::kMergeId,
         "Click this button to Open text file with filter definitions and merge these with existing filters."},
    };
    for (const auto& [id, text] : tips)
        EXPECT_EQ(panel->Tips().TextOf(Control<QWidget>(id)).toStdString(), text) << id;
}

TEST_F(DisplayFilterPnlTest, ScreenShowsEveryControlWithinTheTabArea)
{
    const std::vector<std::pair<int, const char*>> captions = {
        {Pnl::kFieldNameLabelId, "Field Name:"}, {Pnl::kTemplateLabelId, "Template:"},
        {Pnl::kConditionLabelId, "Filter condition"}, {Pnl::kManagementLabelId, "Filter management:"},
        {Pnl::kFirstId, "First"}, {Pnl::kAndId, "And"}, {Pnl::kAddRowId, "Add"}, {Pnl::kRemoveRowId, "Remove"},
        {Pnl::kAllRowsId, "All"}, {Pnl::kApplyId, "Apply filter"}, {Pnl::kTurnOffId, "Turn off filter"},
        {Pnl::kAddFilterId, "Add"}, {Pnl::kDeleteFilterId, "Remove"}, {Pnl::kOpenId, "Open"},
        {Pnl::kSaveId, "Save"}, {Pnl::kMergeId, "Merge"},
    };
    StoreFilter("Coordinator", {"SRC=0x0000"});
    StoreFilter("Sensors", {"SRC=0x0001", "SRC=0x0002"});
    StoreFilter("Secured", {"SEC=(Level=5)"});
    ChooseField("Security control");
    Click(Pnl::kFirstId);
    SetRows({"SRC=0x0001;DST=0xFFFF", "FCF=0x8841", "SEC=(Level=5, KeyMode=1)"});
    Condition()->setText("SRC=0x0003");
    QCoreApplication::processEvents();
    SaveScreen(panel.get(), "display_filter_panel");

    const QRect area = panel->rect();
    std::vector<QWidget*> controls;
    for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (ControlIdOf(child) != 0 && child->isVisible())
            controls.push_back(child);
    }
    EXPECT_EQ(controls.size(), 23u);
    for (QWidget* control : controls) {
        SCOPED_TRACE(ControlIdOf(control));
        EXPECT_TRUE(area.contains(control->geometry())) << "outside the panel";
        for (QWidget* other : controls) {
            if (other != control) {
                EXPECT_FALSE(control->geometry().intersects(other->geometry())) << ControlIdOf(other);
            }
        }
    }
    for (const auto& [id, caption] : captions) {
        SCOPED_TRACE(id);
        QWidget* control = Control<QWidget>(id);
        const QString text = qobject_cast<QLabel*>(control) != nullptr ? qobject_cast<QLabel*>(control)->text()
                                                                        : qobject_cast<QPushButton*>(control)->text();
        EXPECT_EQ(text.toStdString(), caption);
        EXPECT_LE(control->fontMetrics().horizontalAdvance(text) + 4, control->width()) << "clipped";
        EXPECT_GE(control->height(), control->fontMetrics().height());
    }
}

} // namespace
