// The field-selection panel over catalogues read from real table files: small fixture
// folders, and the shipped Generic, Fennet and Tolvane folders (the last with the built
// plug-in that names its fields). What the panel does shows in the catalogue's flags, the
// list boxes' selections, the registry and the message boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPaintEvent>
#include <QTest>

#include "core/host/CPelagorSettings.h"
#include "core/host/PluginHandler.h"
#include "core/tables/FieldInfo.h"
#include "core/tables/PelagorTable.h"
#include "gui/ColorRef.h"
#include "gui/ControlId.h"
#include "gui/panels/CSelectFieldPnl.h"
#include "gui/views/CColorEdit.h"
#include "gui/views/CPacketListCtrl.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/gui/ScreenShot.h"
#include "tests/support/TempFolder.h"

using platform::MessageBoxRecorder;
using testsupport::TempFolder;

namespace {

const std::string kProtocols = PELAGOR_TEST_PROTOCOLS_DIR;

struct Options {
    int timeStamp;
    int payload;
    int lqiRssi;
    int fieldGroup;
    bool operator==(const Options&) const = default;
};

void PrintTo(const Options& o, std::ostream* out)
{
    *out << "{" << o.timeStamp << ", " << o.payload << ", " << o.lqiRssi << ", " << o.fieldGroup << "}";
}

void StoreOptions(const Options& o)
{
    CPelagorSettings settings;
    settings.Load();
    settings.SelectedTimeStampMode = o.timeStamp;
    settings.SelectedPayLoadMode = o.payload;
    settings.SelectedLqiRssiMode = o.lqiRssi;
    settings.SelectedFieldGroup = o.fieldGroup;
    settings.Save();
}

Options StoredOptions()
{
    CPelagorSettings settings;
    settings.Load();
    return {settings.SelectedTimeStampMode, settings.SelectedPayLoadMode, settings.SelectedLqiRssiMode,
            settings.SelectedFieldGroup};
}

// A protocol folder written field by field: symbols F0..F49 (field ids), M0..M9 (show
// modes), G0..G9 (groups and selections), C0..C9 (colours).
class Catalogue {
public:
    Catalogue& Field(int id, const std::string& name, int mode = 0, bool show = true)
    {
        const char* flag = show ? "TRUE" : "FALSE";
        Line(fieldDef_, {Symbol("F", id), name, "F1", name.substr(0, 3), "C1", "C0", name, "", flag, flag,
                         Symbol("M", mode)});
        return *this;
    }
    // A list-box group with its fields listed together.
    Catalogue& Group(const std::string& name, const std::vector<int>& fields)
    {
        const int g = groups_++;
        Line(listBoxes_, {Symbol("G", g), name, Symbol("C", g + 2)});
        for (int field : fields)
            Item(g, field);
        return *this;
    }
    // One list-box item, for item tables whose groups are not listed together.
    Catalogue& Item(int group, int field)
    {
        Line(items_, {Symbol("G", group), Symbol("F", field)});
        return *this;
    }
    Catalogue& Selection(const std::string& name, const std::vector<int>& fields)
    {
        const int s = selections_++;
        Line(selGroups_, {Symbol("G", s), name});
        for (int field : fields)
            Line(selItems_, {Symbol("G", s), Symbol("F", field)});
        return *this;
    }

    FieldInfo& Load()
    {
        std::string symbols = "# fixture symbols\n";
        for (int i = 0; i < 50; ++i)
            Line(symbols, {" *", "*", Symbol("F", i), std::to_string(i)});
        for (int i = 0; i < 10; ++i) {
            Line(symbols, {" FieldDef.plt", "SHOWMODE", Symbol("M", i), std::to_string(i)});
            Line(symbols, {" *", "*", Symbol("G", i), std::to_string(i)});
            Line(symbols, {" *", "*", Symbol("C", i), std::to_string(kColours[i])});
        }
        folder_.Write("Mnemonic.plt", symbols);
        folder_.Write("FieldDef.plt", fieldDef_);
        if (groups_ > 0) {
            folder_.Write("FsListBoxes.plt", listBoxes_);
            folder_.Write("FsListBoxItems.plt", items_);
        }
        if (selections_ > 0) {
            folder_.Write("FsSelGroup.plt", selGroups_);
            folder_.Write("FsSelGroupItems.plt", selItems_);
        }
        EXPECT_EQ(info_.Load(folder_.Path().string()), 1);
        return info_;
    }

    static constexpr int kColours[10] = {0x000000, 0xFFFFFF, 0x3060F0, 0x40C040, 0xF08030,
                                         0x808080, 0x102030, 0x405060, 0x708090, 0xA0B0C0};

private:
    static std::string Symbol(const char* prefix, int n) { return std::string(prefix).append(std::to_string(n)); }
    static void Line(std::string& table, std::initializer_list<std::string> cells)
    {
        const char* separator = "";
        for (const std::string& cell : cells) {
            table.append(separator).append(cell);
            separator = "|";
        }
        table.append("\n");
    }

    TempFolder folder_;
    FieldInfo info_;
    std::string fieldDef_ = "# fixture fields\n";
    std::string listBoxes_, items_, selGroups_, selItems_;
    int groups_ = 0;
    int selections_ = 0;
};

// Three groups of 4, 2 and 5 fields with all three pairs of display alternatives, field 11 in
// no group, and two ready-made selections: "Compact" and "Link" (which names field 11).
void MainCatalogue(Catalogue& c)
{
    c.Field(0, "Number").Field(1, "Time", 3).Field(2, "Time (ms)", 4, false).Field(3, "Length");
    c.Field(4, "Payload", 1).Field(5, "Payload (text)", 2, false).Field(6, "LQI", 5).Field(7, "RSSI", 6, false);
    c.Field(8, "CRC").Field(9, "Source").Field(10, "Destination").Field(11, "Outside", 0, false);
    c.Field(12, "Sequence").Field(13, "Flags", 0, false).Field(14, "Counter");
    c.Group("Packet", {0, 1, 3, 12}).Group("Payload", {4, 9}).Group("Status", {6, 8, 10, 13, 14});
    c.Selection("Compact", {0, 1, 4}).Selection("Link", {0, 6, 8, 11});
}

// SHOW of every field, one digit per field id.
std::string Shown(const FieldInfo& info)
{
    std::string flags;
    for (const TAB_FIELD_DEF_REC& def : info.FieldDefs())
        flags += static_cast<char>('0' + def.SHOW);
    return flags;
}

QListWidget* Box(const CSelectFieldPnl& panel, int group)
{
    return FindControl<QListWidget>(&panel, CSelectFieldPnl::kFirstListBoxId + group);
}

QComboBox* Combo(const CSelectFieldPnl& panel, int id)
{
    return FindControl<QComboBox>(&panel, id);
}

std::vector<int> SelectedRows(const QListWidget* box)
{
    std::vector<int> rows;
    for (int k = 0; k < box->count(); ++k)
        if (box->item(k)->isSelected())
            rows.push_back(k);
    return rows;
}

std::vector<std::string> Items(const QListWidget* box)
{
    std::vector<std::string> items;
    for (int k = 0; k < box->count(); ++k)
        items.push_back(box->item(k)->text().toStdString());
    return items;
}

std::vector<int> AllRows(const QListWidget* box)
{
    std::vector<int> rows(static_cast<size_t>(box->count()));
    for (size_t k = 0; k < rows.size(); ++k)
        rows[k] = static_cast<int>(k);
    return rows;
}

// Chooses an item of an option box the way the user does: by key, which also activates it.
void Choose(QComboBox* box, int index)
{
    ASSERT_TRUE(box->isEnabled());
    while (box->currentIndex() < index)
        QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > index)
        QTest::keyClick(box, Qt::Key_Up);
    ASSERT_EQ(box->currentIndex(), index);
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

class SelectFieldTest : public ::testing::Test {
protected:
    void SetUp() override { StoreOptions({0, 0, 0, 0}); }

    // The main fixture catalogue, built into the shown panel.
    FieldInfo& BuildShown(Catalogue& c)
    {
        MainCatalogue(c);
        FieldInfo& info = c.Load();
        panel_.resize(1000, 190);
        panel_.show();
        EXPECT_EQ(panel_.BuildListBoxes(&info), 1);
        return info;
    }

    MessageBoxRecorder boxes_;
    CSelectFieldPnl panel_{nullptr};
};

} // namespace

TEST_F(SelectFieldTest, ThreeGroupsGiveThreeListBoxesAllSelected)
{
    Catalogue c;
    MainCatalogue(c);
    FieldInfo& info = c.Load();
    panel_.resize(1000, 190);
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    ASSERT_EQ(panel_.ListBoxCount(), 3);
    EXPECT_EQ(Box(panel_, 3), nullptr);

    const std::vector<std::vector<std::string>> names = {
        {"Number", "Time", "Length", "Sequence"}, {"Payload", "Source"}, {"LQI", "CRC", "Destination", "Flags", "Counter"}};
    const std::vector<std::vector<unsigned>> ids = {{0, 1, 3, 12}, {4, 9}, {6, 8, 10, 13, 14}};
    const char* groups[] = {"Packet", "Payload", "Status"};
    const QList<QLabel*> labels = panel_.findChildren<QLabel*>(QString::number(CSelectFieldPnl::kGroupLabelId));
    ASSERT_EQ(labels.size(), 3);
    for (int g = 0; g < 3; ++g) {
        SCOPED_TRACE(g);
        QListWidget* box = Box(panel_, g);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(Items(box), names[static_cast<size_t>(g)]);
        EXPECT_EQ(panel_.ListBoxFields(g), ids[static_cast<size_t>(g)]);
        EXPECT_EQ(SelectedRows(box), AllRows(box));
        EXPECT_EQ(box->selectionMode(), QAbstractItemView::ExtendedSelection);
        auto* swatch = FindControl<CColorEdit>(&panel_, CSelectFieldPnl::kFirstSwatchId + g);
        ASSERT_NE(swatch, nullptr);
        EXPECT_FALSE(swatch->isEnabled());
        EXPECT_EQ(swatch->GetBackgroundColor(), static_cast<uint32_t>(Catalogue::kColours[g + 2]));
        EXPECT_EQ(labels[g]->text().toStdString(), groups[g]);
    }
    // Every grouped field shows, of each pair the member the stored choices name.
    EXPECT_EQ(Shown(info), "110110101110111");
    EXPECT_TRUE(info.GetMicrosecondsFlag());
    EXPECT_TRUE(info.GetBytesFlag());
    EXPECT_TRUE(info.GetLqiFlag());
    EXPECT_EQ(Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId)->count(), 4);
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(SelectFieldTest, DeselectingAnItemHidesExactlyThatFieldAndRepaintsTheList)
{
    Catalogue c;
    MainCatalogue(c);
    FieldInfo& info = c.Load();
    CPacketListCtrl list(nullptr);
    list.resize(400, 200);
    list.show();
    PaintCounter paints(list.viewport());
    panel_.SetPacketList(&list);
    panel_.resize(1000, 190);
    panel_.show();
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    QApplication::processEvents();
    const std::string before = Shown(info);
    paints.paints = 0;

    // A click with Ctrl toggles one item of the extended selection.
    QListWidget* box = Box(panel_, 1);
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::ControlModifier, box->visualItemRect(box->item(1)).center());
    EXPECT_EQ(SelectedRows(box), std::vector<int>{0});
    std::string expected = before;
    expected[9] = '0';
    EXPECT_EQ(Shown(info), expected);
    QApplication::processEvents();
    EXPECT_GE(paints.paints, 1);

    // A pair member takes its partner with it; selecting it again shows the chosen member.
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::ControlModifier, box->visualItemRect(box->item(0)).center());
    expected[4] = expected[5] = '0';
    EXPECT_EQ(Shown(info), expected);
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::ControlModifier, box->visualItemRect(box->item(0)).center());
    expected[4] = '1';
    EXPECT_EQ(Shown(info), expected);
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(SelectFieldTest, DisplayAlternativesSwitchTheirPairs)
{
    Catalogue c;
    FieldInfo& info = BuildShown(c);
    ASSERT_EQ(Shown(info), "110110101110111");
    Choose(Combo(panel_, CSelectFieldPnl::kTimeStampBoxId), 1);
    EXPECT_FALSE(info.GetMicrosecondsFlag());
    EXPECT_EQ(Shown(info), "101110101110111");
    Choose(Combo(panel_, CSelectFieldPnl::kPayloadBoxId), 1);
    EXPECT_FALSE(info.GetBytesFlag());
    EXPECT_EQ(Shown(info), "101101101110111");
    Choose(Combo(panel_, CSelectFieldPnl::kLqiRssiBoxId), 1);
    EXPECT_FALSE(info.GetLqiFlag());
    EXPECT_EQ(Shown(info), "101101011110111");
    Choose(Combo(panel_, CSelectFieldPnl::kTimeStampBoxId), 0);
    EXPECT_EQ(Shown(info), "110101011110111");
    EXPECT_TRUE(boxes_.Texts().empty());

    // No item chosen: the message, and neither flag nor mode changes.
    struct Unknown {
        int box;
        const char* text;
    };
    for (const Unknown& u : {Unknown{CSelectFieldPnl::kTimeStampBoxId, "Unknown Time stamp format."},
                             Unknown{CSelectFieldPnl::kPayloadBoxId, "Unknown payload format."},
                             Unknown{CSelectFieldPnl::kLqiRssiBoxId, "Unknown LQI or RSSI format."}}) {
        SCOPED_TRACE(u.text);
        boxes_.Clear();
        Combo(panel_, u.box)->setCurrentIndex(-1);
        panel_.OnTimeStampFormat();
        panel_.OnPayloadFormat();
        panel_.OnLqiRssiFormat();
        EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{u.text});
        EXPECT_EQ(Shown(info), "110101011110111");
        Combo(panel_, u.box)->setCurrentIndex(u.box == CSelectFieldPnl::kTimeStampBoxId ? 0 : 1);
    }
    EXPECT_TRUE(info.GetMicrosecondsFlag());
    EXPECT_FALSE(info.GetBytesFlag());
    EXPECT_FALSE(info.GetLqiFlag());
}

TEST_F(SelectFieldTest, WithoutSelectionGroupsOrPairsTheirBoxesAreDisabled)
{
    Catalogue c;
    c.Field(0, "A").Field(1, "B").Field(2, "C", 0, false).Field(3, "D", 0, false);
    c.Group("Only", {0, 1, 2, 3});
    FieldInfo& info = c.Load();
    StoreOptions({1, 1, 1, 2});
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    for (int id : {CSelectFieldPnl::kTimeStampBoxId, CSelectFieldPnl::kPayloadBoxId, CSelectFieldPnl::kLqiRssiBoxId,
                   CSelectFieldPnl::kFieldGroupBoxId})
        EXPECT_FALSE(Combo(panel_, id)->isEnabled()) << id;
    EXPECT_EQ(Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId)->count(), 0);
    EXPECT_EQ(SelectedRows(Box(panel_, 0)), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Shown(info), "1111");

    // Saving keeps what is stored for the boxes the catalogue has no use for.
    panel_.SaveSettings();
    EXPECT_EQ(StoredOptions(), (Options{1, 1, 1, 2}));
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(SelectFieldTest, NoLqiRssiAlternativeKeepsItsStoredChoice)
{
    Catalogue c;
    c.Field(0, "Number").Field(1, "Time", 3).Field(2, "Time (ms)", 4).Field(3, "Payload", 1).Field(4, "Text", 2);
    c.Group("All", {0, 1, 3}).Selection("One", {0});
    FieldInfo& info = c.Load();
    StoreOptions({0, 0, 1, 0});
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    EXPECT_FALSE(Combo(panel_, CSelectFieldPnl::kLqiRssiBoxId)->isEnabled());
    EXPECT_TRUE(Combo(panel_, CSelectFieldPnl::kTimeStampBoxId)->isEnabled());
    Choose(Combo(panel_, CSelectFieldPnl::kTimeStampBoxId), 1);
    Choose(Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId), 2);
    panel_.SaveSettings();
    EXPECT_EQ(StoredOptions(), (Options{1, 0, 1, 2}));
}

TEST_F(SelectFieldTest, StoredFieldGroupOutsideTheItemsRestoresAll)
{
    struct Case {
        int stored;
        int restored;
        const char* shown;
    };
    for (const Case& k : {Case{7, 0, "110110101110111"}, Case{4, 0, "110110101110111"},
                          Case{-2, 0, "110110101110111"}, Case{2, 2, "110010000000000"}}) {
        SCOPED_TRACE(k.stored);
        Catalogue c;
        MainCatalogue(c);
        FieldInfo& info = c.Load();
        StoreOptions({0, 0, 0, k.stored});
        CSelectFieldPnl panel(nullptr);
        ASSERT_EQ(panel.BuildListBoxes(&info), 1);
        QComboBox* groups = Combo(panel, CSelectFieldPnl::kFieldGroupBoxId);
        ASSERT_EQ(groups->count(), 4);
        EXPECT_EQ(groups->itemText(0).toStdString(), "All");
        EXPECT_EQ(groups->itemText(1).toStdString(), "None");
        EXPECT_EQ(groups->itemText(3).toStdString(), "Link");
        EXPECT_EQ(groups->currentIndex(), k.restored);
        EXPECT_EQ(Shown(info), k.shown);
    }
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(SelectFieldTest, ChoosingASelectionLeavesExactlyItsFields)
{
    Catalogue c;
    FieldInfo& info = BuildShown(c);
    QComboBox* groups = Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId);

    Choose(groups, 2); // Compact: 0, 1, 4
    EXPECT_EQ(SelectedRows(Box(panel_, 0)), (std::vector<int>{0, 1}));
    EXPECT_EQ(SelectedRows(Box(panel_, 1)), std::vector<int>{0});
    EXPECT_EQ(SelectedRows(Box(panel_, 2)), std::vector<int>{});
    EXPECT_EQ(Shown(info), "110010000000000");
    EXPECT_TRUE(boxes_.Texts().empty());

    Choose(groups, 3); // Link: 0, 6, 8 and field 11, which is in no list box
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"No List box item found for current selection: nFieldIndex = 11."});
    EXPECT_EQ(SelectedRows(Box(panel_, 0)), std::vector<int>{0});
    EXPECT_EQ(SelectedRows(Box(panel_, 1)), std::vector<int>{});
    EXPECT_EQ(SelectedRows(Box(panel_, 2)), (std::vector<int>{0, 1}));
    EXPECT_EQ(Shown(info), "100000101001000");

    boxes_.Clear();
    Choose(groups, 1);
    EXPECT_EQ(Shown(info), "000000000001000");
    Choose(groups, 0);
    EXPECT_EQ(Shown(info), "110110101111111");
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(SelectFieldTest, SelectionWithoutFieldsSaysSo)
{
    Catalogue c;
    c.Field(0, "A").Field(1, "B").Group("G", {0, 1}).Selection("Full", {0}).Selection("Empty", {});
    FieldInfo& info = c.Load();
    ASSERT_EQ(info.GetSelGroupCount(), 2);
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    Choose(Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId), 3);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"No Fields found for current selection."});
    EXPECT_EQ(SelectedRows(Box(panel_, 0)), std::vector<int>{});
    EXPECT_EQ(Shown(info), "00");
}

// The catalogue's position search counts positions in runs of the item table, while a box holds
// only its group's first run: a split group, a position past the box's items and a group with
// no box must neither pick another field nor read past the panel's arrays.
TEST_F(SelectFieldTest, SplitGroupsSelectOnlyTheFieldsTheirBoxesHold)
{
    Catalogue c;
    c.Field(0, "A").Field(1, "B").Field(2, "C").Field(3, "D", 0, false).Field(4, "E", 0, false);
    c.Field(5, "F", 0, false).Field(6, "G", 0, false);
    c.Group("First", {0, 1}).Group("Second", {2});
    c.Item(0, 3).Item(0, 4).Item(0, 5).Item(7, 6);
    c.Selection("Split", {1, 3, 5, 6, 2});
    FieldInfo& info = c.Load();
    StoreOptions({0, 0, 0, 2});
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    ASSERT_EQ(panel_.ListBoxCount(), 2);
    EXPECT_EQ(panel_.ListBoxFields(0), (std::vector<unsigned>{0, 1}));
    EXPECT_EQ(SelectedRows(Box(panel_, 0)), std::vector<int>{1});
    EXPECT_EQ(SelectedRows(Box(panel_, 1)), std::vector<int>{0});
    EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"No List box item found for current selection: nFieldIndex = 3.",
                                                        "No List box item found for current selection: nFieldIndex = 5.",
                                                        "No List box item found for current selection: nFieldIndex = 6."}));
    // Fields in no box show as the selection's fields; the panel never hides them.
    EXPECT_EQ(Shown(info), "0111011");

    // One field selected by hand: in its own box, wherever the search says it stands.
    boxes_.Clear();
    panel_.SelectNoFields();
    panel_.SelectGroupField(2);
    panel_.SelectGroupField(4);
    EXPECT_EQ(SelectedRows(Box(panel_, 1)), std::vector<int>{0});
    EXPECT_EQ(SelectedRows(Box(panel_, 0)), std::vector<int>{});
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"No List box item found for current selection: nFieldIndex = 4."});
}

TEST_F(SelectFieldTest, FourOptionsAreSavedAndRestored)
{
    {
        Catalogue c;
        MainCatalogue(c);
        FieldInfo& info = c.Load();
        CSelectFieldPnl panel(nullptr);
        panel.resize(1000, 190);
        panel.show();
        ASSERT_EQ(panel.BuildListBoxes(&info), 1);
        Choose(Combo(panel, CSelectFieldPnl::kTimeStampBoxId), 1);
        Choose(Combo(panel, CSelectFieldPnl::kPayloadBoxId), 1);
        Choose(Combo(panel, CSelectFieldPnl::kLqiRssiBoxId), 1);
        Choose(Combo(panel, CSelectFieldPnl::kFieldGroupBoxId), 2);
        EXPECT_EQ(StoredOptions(), (Options{0, 0, 0, 0})); // nothing stored before SaveSettings
        panel.SaveSettings();
        EXPECT_EQ(StoredOptions(), (Options{1, 1, 1, 2}));
    }
    Catalogue c;
    MainCatalogue(c);
    FieldInfo& info = c.Load();
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    EXPECT_EQ(Combo(panel_, CSelectFieldPnl::kTimeStampBoxId)->currentIndex(), 1);
    EXPECT_EQ(Combo(panel_, CSelectFieldPnl::kPayloadBoxId)->currentIndex(), 1);
    EXPECT_EQ(Combo(panel_, CSelectFieldPnl::kLqiRssiBoxId)->currentIndex(), 1);
    EXPECT_EQ(Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId)->currentIndex(), 2);
    EXPECT_FALSE(info.GetMicrosecondsFlag());
    EXPECT_FALSE(info.GetBytesFlag());
    EXPECT_FALSE(info.GetLqiFlag());
    // Compact in milliseconds and text.
    EXPECT_EQ(Shown(info), "101001000000000");
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(SelectFieldTest, NoCatalogueOrNoGroupsBuildsNothing)
{
    // Without a catalogue nothing is built, applied or saved.
    StoreOptions({1, 1, 1, 3});
    EXPECT_EQ(panel_.BuildListBoxes(nullptr), 0);
    panel_.SaveSettings();
    panel_.SelectAllFields();
    panel_.SelectGroupField(0);
    panel_.OnSelectedFields();
    panel_.OnTimeStampFormat();
    panel_.ApplyListBoxSelection(CSelectFieldPnl::kFirstListBoxId);
    EXPECT_EQ(StoredOptions(), (Options{1, 1, 1, 3}));
    EXPECT_EQ(panel_.ListBoxCount(), 0);

    Catalogue none;
    none.Field(0, "A").Field(1, "Time", 3).Field(2, "Time (ms)", 4).Selection("S", {0});
    FieldInfo& info = none.Load();
    panel_.resize(1000, 190);
    EXPECT_EQ(panel_.BuildListBoxes(&info), 0);
    EXPECT_EQ(panel_.ListBoxCount(), 0);
    EXPECT_TRUE(panel_.findChildren<QListWidget*>().isEmpty());
    // The option boxes stay as they were.
    EXPECT_EQ(Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId)->count(), 0);
    panel_.SelectGroupField(0);
    panel_.ApplyListBoxSelection(CSelectFieldPnl::kFirstListBoxId);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"No List box item found for current selection: nFieldIndex = 0."});
}

TEST_F(SelectFieldTest, RebuildAndClearLeaveOneSetOfControls)
{
    Catalogue c;
    MainCatalogue(c);
    FieldInfo& info = c.Load();
    panel_.resize(1000, 190);
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    // Built again without a clear in between: still one box per group.
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    EXPECT_EQ(panel_.findChildren<QListWidget*>().size(), 3);
    EXPECT_EQ(panel_.findChildren<CColorEdit*>().size(), 3);
    EXPECT_EQ(Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId)->count(), 4);
    // Box numbers past the built ones change nothing.
    const std::string before = Shown(info);
    for (unsigned id : {0u, 3000u, 3004u, 3256u, 0xFFFFFFFFu})
        panel_.ApplyListBoxSelection(id);
    EXPECT_EQ(Shown(info), before);

    panel_.ClearListBoxes();
    panel_.resize(700, 190); // laid out with no groups
    EXPECT_EQ(panel_.ListBoxCount(), 0);
    EXPECT_TRUE(panel_.findChildren<QListWidget*>().isEmpty());
    EXPECT_TRUE(panel_.findChildren<CColorEdit*>().isEmpty());
    EXPECT_TRUE(panel_.findChildren<QLabel*>(QString::number(CSelectFieldPnl::kGroupLabelId)).isEmpty());
    EXPECT_NE(FindControl<QComboBox>(&panel_, CSelectFieldPnl::kTimeStampBoxId), nullptr);
    ASSERT_EQ(panel_.BuildListBoxes(&info), 1);
    EXPECT_EQ(panel_.ListBoxCount(), 3);
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(SelectFieldTest, TabDoesNotMoveBetweenThePanelsControls)
{
    Catalogue c;
    BuildShown(c);
    panel_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel_));
    QListWidget* box = Box(panel_, 0);
    box->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), box);
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box);
    QTest::keyClick(box, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), box);
}

// ---------------------------------------------------------------- the shipped folders

class ShippedFolderPanel : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        StoreOptions({0, 0, 0, 0});
        if (GetParam() == "Tolvane") {
            // Its tables name the fields by the plug-in's own names.
            const std::string plugin = kProtocols + "/Tolvane/Tolvane.so";
            ASSERT_EQ(host_.Load(plugin.c_str(), ""), 1) << host_.LoadErrorText();
            PelagorTable::SetPluginHandler(&host_);
        }
        ASSERT_EQ(info_.Load(kProtocols + "/" + GetParam()), 1);
        ASSERT_GT(info_.GetListBoxCount(), 0);
        ASSERT_EQ(boxes_.Texts(), std::vector<std::string>{});
    }
    void TearDown() override { PelagorTable::SetPluginHandler(nullptr); }

    // The fields the panel's boxes hold.
    std::set<int> ListedFields() const
    {
        std::set<int> listed;
        for (int g = 0; g < panel_.ListBoxCount(); ++g)
            for (unsigned id : panel_.ListBoxFields(g))
                listed.insert(static_cast<int>(id));
        return listed;
    }

    MessageBoxRecorder boxes_;
    PluginHandler host_;
    FieldInfo info_;
    CSelectFieldPnl panel_{nullptr};
};

TEST_P(ShippedFolderPanel, BoxesAlternativesAndSelections)
{
    panel_.resize(1000, 190);
    panel_.show();
    ASSERT_EQ(panel_.BuildListBoxes(&info_), 1);
    ASSERT_EQ(panel_.ListBoxCount(), info_.GetListBoxCount());
    for (int g = 0; g < panel_.ListBoxCount(); ++g) {
        SCOPED_TRACE(info_.GetListBoxName(g));
        QListWidget* box = Box(panel_, g);
        ASSERT_NE(box, nullptr);
        ASSERT_GT(box->count(), 0);
        EXPECT_EQ(SelectedRows(box), AllRows(box));
        for (int k = 0; k < box->count(); ++k) {
            const int id = static_cast<int>(panel_.ListBoxFields(g).at(static_cast<size_t>(k)));
            ASSERT_LT(id, info_.GetFieldDefCount());
            EXPECT_EQ(box->item(k)->text().toStdString(), info_.GetFieldDef(id).NAME);
            EXPECT_EQ(info_.GetFieldDef(id).SHOW, 1) << info_.GetFieldDef(id).NAME;
        }
    }

    // Each alternative the catalogue has switches every listed pair to its other member.
    struct Pair {
        bool present;
        int box;
        int first;
    };
    const Pair pairs[] = {{info_.HasTimeStampPair(), CSelectFieldPnl::kTimeStampBoxId, FieldInfo::kModeMicroseconds},
                          {info_.HasPayloadPair(), CSelectFieldPnl::kPayloadBoxId, FieldInfo::kModeBytes},
                          {info_.HasLqiRssiPair(), CSelectFieldPnl::kLqiRssiBoxId, FieldInfo::kModeLqi}};
    const std::set<int> listed = ListedFields();
    for (const Pair& pair : pairs) {
        SCOPED_TRACE(pair.box);
        EXPECT_EQ(Combo(panel_, pair.box)->isEnabled(), pair.present);
        if (!pair.present)
            continue;
        for (int index : {1, 0}) {
            Choose(Combo(panel_, pair.box), index);
            for (int id : listed) {
                if (info_.GetFieldDef(id).SHOWMODE != pair.first || id + 1 >= info_.GetFieldDefCount())
                    continue;
                EXPECT_EQ(info_.GetFieldDef(id).SHOW, index == 0 ? 1 : 0) << info_.GetFieldDef(id).NAME;
                EXPECT_EQ(info_.GetFieldDef(id + 1).SHOW, index == 0 ? 0 : 1) << info_.GetFieldDef(id + 1).NAME;
            }
        }
    }

    // Each ready-made selection selects exactly its fields in the boxes, and those show.
    QComboBox* groups = Combo(panel_, CSelectFieldPnl::kFieldGroupBoxId);
    ASSERT_EQ(groups->count(), info_.GetSelGroupCount() + 2);
    for (int s = 0; s < info_.GetSelGroupCount(); ++s) {
        SCOPED_TRACE(info_.GetSelGroupName(s));
        std::set<int> wanted;
        int field = -1;
        for (int more = info_.FindFirstSelGroupField(s, field); more; more = info_.FindNextSelGroupField(s, field))
            wanted.insert(field);
        Choose(groups, s + 2);
        EXPECT_TRUE(boxes_.Texts().empty());
        std::set<int> selected;
        for (int g = 0; g < panel_.ListBoxCount(); ++g)
            for (int row : SelectedRows(Box(panel_, g)))
                selected.insert(static_cast<int>(panel_.ListBoxFields(g).at(static_cast<size_t>(row))));
        EXPECT_EQ(selected, wanted);
        for (int id : listed)
            EXPECT_EQ(info_.GetFieldDef(id).SHOW, wanted.count(id) ? 1 : 0) << info_.GetFieldDef(id).NAME;
    }
    EXPECT_TRUE(boxes_.Texts().empty());
}

// The panel at the sizes the main window gives it: columns side by side inside the panel, the
// bottom row's labels and boxes whole, apart, and under the separator.
TEST_P(ShippedFolderPanel, LayoutAtThePanelsSizes)
{
    panel_.show();
    for (int width : {1000, 700}) {
        SCOPED_TRACE(width);
        panel_.resize(width, 190);
        QApplication::processEvents();
        if (width == 1000) {
            ASSERT_EQ(panel_.BuildListBoxes(&info_), 1);
        }
        const int n = panel_.ListBoxCount();
        const QList<QLabel*> labels = panel_.findChildren<QLabel*>(QString::number(CSelectFieldPnl::kGroupLabelId));
        ASSERT_EQ(labels.size(), n);
        int previousRight = -1;
        for (int g = 0; g < n; ++g) {
            SCOPED_TRACE(g);
            const QRect box = Box(panel_, g)->geometry();
            EXPECT_GT(box.left(), previousRight);
            EXPECT_LE(box.right(), width - 1);
            EXPECT_GE(box.width(), 40);
            EXPECT_EQ(box.top(), 28);
            EXPECT_EQ(box.bottom(), 190 - 43 - 1);
            previousRight = box.right();
            const QRect swatch = FindControl<CColorEdit>(&panel_, CSelectFieldPnl::kFirstSwatchId + g)->geometry();
            EXPECT_EQ(swatch, QRect(box.left(), 0, 17, 17));
            // The group's name, or as much of it as fits with an ellipsis.
            QLabel* label = labels.at(g);
            const QString name = QString::fromLatin1(info_.GetListBoxName(g));
            const QString text = label->text();
            EXPECT_GT(label->x(), swatch.right());
            EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->width()) << text.toStdString();
            if (text != name) {
                ASSERT_TRUE(text.endsWith(QChar(0x2026))) << text.toStdString();
                EXPECT_TRUE(name.startsWith(text.chopped(1))) << text.toStdString();
            }
        }
        const QRect separator = FindControl<QFrame>(&panel_, CSelectFieldPnl::kSeparatorId)->geometry();
        EXPECT_EQ(separator, QRect(0, 190 - 33, width, 2));
        int previous = -1;
        const std::pair<int, int> row[] = {{CSelectFieldPnl::kTimeStampLabelId, CSelectFieldPnl::kTimeStampBoxId},
                                           {CSelectFieldPnl::kPayloadLabelId, CSelectFieldPnl::kPayloadBoxId},
                                           {CSelectFieldPnl::kFieldGroupLabelId, CSelectFieldPnl::kFieldGroupBoxId},
                                           {CSelectFieldPnl::kLqiRssiLabelId, CSelectFieldPnl::kLqiRssiBoxId}};
        for (const auto& [labelId, boxId] : row) {
            SCOPED_TRACE(labelId);
            auto* label = FindControl<QLabel>(&panel_, labelId);
            QComboBox* box = Combo(panel_, boxId);
            for (QWidget* control : {static_cast<QWidget*>(label), static_cast<QWidget*>(box)}) {
                const QRect r = control->geometry();
                EXPECT_GT(r.left(), previous);
                EXPECT_GT(r.top(), separator.bottom());
                EXPECT_LE(r.bottom(), 189);
                EXPECT_LE(r.right(), width - 1);
                previous = r.right();
            }
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            // Room for the longest item beside the arrow.
            EXPECT_GE(box->width(), box->sizeHint().width());
        }
        SaveScreen(&panel_, "select_field_panel_" + GetParam() + "_" + std::to_string(width));
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedFolderPanel, ::testing::Values("Generic", "Fennet", "Tolvane"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });
