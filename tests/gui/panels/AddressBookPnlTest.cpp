// The address-book panel against the real plug-ins' books: frames added through a real store with
// auto-registration on, notices delivered as posted window messages, and the user's own edits in
// between. After every step the panel's rows must be the plug-in's book, and the time-line rows
// (a recording sink in place of the view) must be the panel's nodes under their names.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "core/tables/AddressBook.h"
#include "core/tables/PelagorTable.h"
#include "gui/ControlId.h"
#include "gui/GuiPlatform.h"
#include "gui/panels/CAddressBookPnl.h"
#include "gui/panels/NodeRowSink.h"
#include "gui/views/CListCtrlEx.h"
#include "tests/gui/ScreenShot.h"
#include "tests/plugin/fennet/FennetRecord.h"
#include "tests/plugin/tolvane/MacFrameBuilder.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Watchdog.h"
#include "tests/plugin/tolvane/TolvaneFrames.h"

using testsupport::FrameBytes;
using testsupport::FrameControl;
using testsupport::TempFolder;

namespace {

const std::string kProtocols = PELAGOR_TEST_PROTOCOLS_DIR;
constexpr uint16_t kPan = 0x1234;

// What the time line was told, kept as its node rows would be.
class RecordingRows : public NodeRowSink {
public:
    void AddNodes(uint32_t source, uint32_t destination) override
    {
        for (uint32_t v : {source, destination}) {
            if (v != 0xFFFFFFFF && names.find(v) == names.end())
                names[v] = "";
        }
        ++adds;
    }
    void SetNodeName(uint32_t value, const char* name) override
    {
        // A name for a node without a row would be lost by the view.
        if (names.find(value) == names.end())
            ++namesWithoutRow;
        names[value] = name;
    }
    void RemoveNode(uint32_t value) override
    {
        if (names.erase(value) == 0)
            ++removalsWithoutRow;
    }
    void RemoveAllNodes() override { names.clear(); }
    void Refresh() override { ++refreshes; }

    std::map<uint32_t, std::string> names;
    int adds = 0;
    int namesWithoutRow = 0;
    int removalsWithoutRow = 0;
    int refreshes = 0;
};

void Deliver()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

std::string Hex32(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", v & 0xFF, v >> 8 & 0xFF, v >> 16 & 0xFF, v >> 24);
    return text;
}

using testsupport::AssociationResponse;
using testsupport::ExtendedData;
using testsupport::ShortData;

// One plug-in with its shipped folder, a store that parses through it and the panel.
class BookRig {
public:
    explicit BookRig(const std::string& protocol) : protocol_(protocol)
    {
        const std::string folder = kProtocols + "/" + protocol;
        const std::string plugin = folder + (protocol == "Fennet" ? "/Fennetd.so" : "/Tolvane.so");
        EXPECT_EQ(host_.Load(plugin.c_str(), ""), 1) << host_.LoadErrorText();
        EXPECT_EQ(host_.SetChipType(protocol == "Fennet" ? "QZ6F1C" : "QZ6F86"), 1);
        if (protocol == "Fennet")
            host_.SetProtocolVersion(1);
        PelagorTable::SetPluginHandler(&host_);
        EXPECT_EQ(layout_.Load(folder), 1);
        EXPECT_TRUE(testsupport::SetUpStore(store_, &host_, host_.RawLength(), host_.ParsedLength(),
                                            temp_.Path().string() + "/", 1));
        // The book lives in the library for the whole process: start from an empty one.
        host_.RemoveAllNodesAddrBook();
        while (host_.GetPendingRec(&layout_.Record()) != 0) {
        }
        store_.SetAddressBookWindow(panel_.Handle());
        panel_.SetPluginHandler(&host_);
        panel_.SetNodeRowSink(&rows_);
        panel_.resize(1000, 190);
        panel_.CreateEntryControls(&layout_, host_.HasAutoRegister());
        panel_.show();
    }
    ~BookRig()
    {
        store_.Stop(1);
        Deliver();
        host_.RemoveAllNodesAddrBook();
        while (host_.GetPendingRec(&layout_.Record()) != 0) {
        }
        PelagorTable::SetPluginHandler(nullptr);
    }

    void AddRecord(std::vector<uint8_t> record)
    {
        record.resize(std::max<size_t>(record.size(), store_.RawLength()), 0);
        record.resize(store_.RawLength());
        ASSERT_EQ(store_.AddPacket(record.data(), 1, testsupport::CapturedFromDevice(record), 0), 1);
    }
    // A Fennet frame from source to destination (32-bit addresses, as the book shows them).
    void Fennet(uint32_t destination, uint32_t source)
    {
        auto frame = testsupport::HexBytes(Hex32(destination) + Hex32(source) + "02 A5 7E 01 07 78563412 09 02 10");
        frame.push_back(0x80);
        AddRecord(testsupport::MakeFennetRecord(0x6F1C, 1, 0, frame));
    }
    void Mac(const std::vector<uint8_t>& mac) { AddRecord(testsupport::MakeMacRecord(1, 0, mac, 0xC0, 0x80)); }

    // Fills the entry controls and clicks "Add".
    void Add(const std::vector<std::string>& texts)
    {
        for (size_t i = 0; i < texts.size(); ++i) {
            auto* edit = qobject_cast<QLineEdit*>(panel_.EntryControl(static_cast<int>(i)));
            EXPECT_NE(edit, nullptr);
            if (edit != nullptr)
                edit->setText(QString::fromLatin1(texts[i].c_str()));
        }
        Click(CAddressBookPnl::kAddId);
    }
    void Click(int id)
    {
        auto* button = FindControl<QPushButton>(&panel_, id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void Select(int row) { panel_.NodeList()->SelectRow(row); }

    // The book as the plug-in gives it, one row text per node.
    std::vector<std::string> Book()
    {
        std::vector<std::string> book;
        ADDR_BOOK_REC& rec = layout_.Record();
        for (int i = 0; host_.GetNodeAdrB(i, &rec) != 0; ++i) {
            std::string text;
            for (uint16_t c = 0; c < layout_.GetColumnCount(); ++c) {
                const char* column = layout_.GetColumnText(c);
                text += column != nullptr ? column : "";
                text += '\t';
            }
            book.push_back(text);
        }
        return book;
    }
    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        for (int i = 0; i < panel_.NodeList()->GetRowCount(); ++i)
            rows.push_back(panel_.NodeList()->GetRowText(i));
        return rows;
    }

    // The mirror: rows = book, one node value per row, time line = the rows' nodes by name.
    void ExpectMirror(const std::string& step)
    {
        SCOPED_TRACE(protocol_ + ": after " + step);
        const std::vector<std::string> rows = Rows();
        EXPECT_EQ(rows, Book());
        ASSERT_EQ(panel_.RowCount(), static_cast<int>(rows.size()));
        std::map<uint32_t, std::string> expected;
        for (int i = 0; i < panel_.RowCount(); ++i) {
            const std::string& row = rows[static_cast<size_t>(i)];
            EXPECT_TRUE(expected.emplace(panel_.NodeValue(i), row.substr(0, row.find('\t'))).second)
                << "node value " << panel_.NodeValue(i) << " on two rows";
        }
        EXPECT_EQ(rows_.names, expected);
        EXPECT_EQ(rows_.removalsWithoutRow, 0);
        EXPECT_EQ(rows_.namesWithoutRow, 0);
    }

    PluginHandler& Host() { return host_; }
    PacketManager& Store() { return store_; }
    AddressBook& Layout() { return layout_; }
    CAddressBookPnl& Panel() { return panel_; }
    RecordingRows& TimeLine() { return rows_; }

private:
    std::string protocol_;
    TempFolder temp_;
    PluginHandler host_;
    AddressBook layout_;
    PacketManager store_;
    CAddressBookPnl panel_{nullptr};
    RecordingRows rows_;
};

class AddressBookPnlTest : public ::testing::Test {
protected:
    std::vector<platform::MessageBoxRequest> boxes;
    std::vector<platform::MessageAnswer> answers;
    GuiPlatform platform{[this](const platform::MessageBoxRequest& request) {
        boxes.push_back(request);
        if (answers.empty())
            return platform::DefaultAnswer(request.buttons);
        const platform::MessageAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }};
};

struct Step {
    std::string name;
    std::function<void(BookRig&)> act;
    int rows; // rows expected afterwards
};

struct ScriptedRun {
    std::string protocol;
    std::vector<Step> steps;
};

} // namespace

TEST_F(AddressBookPnlTest, RowsMirrorTheBookThroughScriptedRuns)
{
    const uint64_t e = 0x00124B00000000E0ull, c = 0x00124B00000000C0ull, d = 0x00124B00000000D0ull;
    const std::vector<ScriptedRun> runs = {
        {"Fennet",
         {
             {"a frame registers both ends", [](BookRig& r) { r.Fennet(0x44332211, 0x88776655); Deliver(); }, 2},
             {"a second frame", [](BookRig& r) { r.Fennet(0x10203040, 0x50607080); Deliver(); }, 4},
             {"the same frame again", [](BookRig& r) { r.Fennet(0x10203040, 0x50607080); Deliver(); }, 4},
             {"the user adds a node", [](BookRig& r) { r.Add({"Gateway", "0x0A0B0C0D"}); }, 5},
             {"the user renames a node", [](BookRig& r) { r.Add({"Sensor", "0x88776655"}); }, 5},
             {"remove row 1", [](BookRig& r) { r.Select(1); r.Click(CAddressBookPnl::kRemoveId); }, 4},
             {"move row 0 down", [](BookRig& r) { r.Select(0); r.Click(CAddressBookPnl::kMoveDownId); }, 4},
             {"move the last row up", [](BookRig& r) { r.Select(3); r.Click(CAddressBookPnl::kMoveUpId); }, 4},
             {"move row 0 up: nothing", [](BookRig& r) { r.Select(0); r.Click(CAddressBookPnl::kMoveUpId); }, 4},
             {"move the last row down: nothing",
              [](BookRig& r) { r.Select(3); r.Click(CAddressBookPnl::kMoveDownId); }, 4},
             // The notices of this frame wait while the user edits: their indexes predate the edits.
             {"a frame, then remove and move before its notices arrive",
              [](BookRig& r) {
                  r.Fennet(0x0D0C0B0A, 0x01020304);
                  r.Select(0);
                  r.Click(CAddressBookPnl::kRemoveId);
                  r.Select(1);
                  r.Click(CAddressBookPnl::kMoveUpId);
                  Deliver();
              },
              5},
             {"remove the last row", [](BookRig& r) { r.Select(4); r.Click(CAddressBookPnl::kRemoveId); }, 4},
             {"remove all, with a frame's notices still queued",
              [](BookRig& r) {
                  r.Fennet(0x0E0F1011, 0x12131415);
                  r.Click(CAddressBookPnl::kRemoveAllId);
                  Deliver();
              },
              0},
             {"frames after the clear", [](BookRig& r) { r.Fennet(0x21222324, 0x31323334); Deliver(); }, 2},
         }},
        {"Tolvane",
         {
             {"a short-address node", [](BookRig& r) { r.Mac(ShortData(kPan, 0xFFFF, 0x0042)); Deliver(); }, 1},
             {"an extended-address node", [e](BookRig& r) { r.Mac(ExtendedData(kPan, 0xFFFF, e)); Deliver(); }, 2},
             {"a data frame between two more", [](BookRig& r) { r.Mac(ShortData(kPan, 0x0002, 0x0001)); Deliver(); },
              4},
             {"the user moves the extended node down",
              [](BookRig& r) { r.Select(1); r.Click(CAddressBookPnl::kMoveDownId); }, 4},
             // The response shows the short node and the extended one to be one: a kind-3 notice
             // for the later one, which the user has moved to another row.
             {"association response removes the duplicate",
              [e, c](BookRig& r) { r.Mac(AssociationResponse(kPan, e, c, 0x0042)); Deliver(); }, 4},
             {"the user adds a node",
              [d](BookRig& r) {
                  char ext[24];
                  std::snprintf(ext, sizeof ext, "0x%016llX", static_cast<unsigned long long>(d));
                  r.Add({"Coordinator", "0x1234", "0x0000", ext});
              },
              5},
             {"remove row 0", [](BookRig& r) { r.Select(0); r.Click(CAddressBookPnl::kRemoveId); }, 4},
             {"a frame, then move before its notices arrive",
              [](BookRig& r) {
                  r.Mac(ShortData(kPan, 0x0007, 0x0008));
                  r.Select(2);
                  r.Click(CAddressBookPnl::kMoveUpId);
                  Deliver();
              },
              6},
             {"remove all during the capture",
              [](BookRig& r) {
                  r.Mac(ShortData(kPan, 0x0017, 0x0018));
                  r.Click(CAddressBookPnl::kRemoveAllId);
                  Deliver();
              },
              0},
             {"a frame after the clear", [](BookRig& r) { r.Mac(ShortData(kPan, 0x0002, 0x0001)); Deliver(); }, 2},
         }},
    };
    for (const ScriptedRun& run : runs) {
        SCOPED_TRACE(run.protocol);
        BookRig rig(run.protocol);
        ASSERT_TRUE(rig.Host().HasAutoRegister());
        EXPECT_TRUE(FindControl<QCheckBox>(&rig.Panel(), CAddressBookPnl::kAutoRegisterId)->isChecked());
        rig.ExpectMirror("start");
        for (const Step& step : run.steps) {
            answers = {platform::MessageAnswer::Ok};
            step.act(rig);
            EXPECT_EQ(rig.Panel().RowCount(), step.rows) << step.name;
            rig.ExpectMirror(step.name);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(AddressBookPnlTest, KindThreeForTheSelectedLastRowLeavesNothingSelected)
{
    const uint64_t c = 0x00124B00000001C0ull, e = 0x00124B00000001E0ull;
    BookRig rig("Tolvane");
    rig.Mac(ExtendedData(kPan, 0xFFFF, c)); // row 0: the coordinator by its extended address
    rig.Mac(ShortData(kPan, 0xFFFF, 0x0042)); // row 1: a device by its short address
    rig.Mac(ExtendedData(kPan, 0xFFFF, e)); // row 2: the same device by its extended address
    Deliver();
    ASSERT_EQ(rig.Panel().RowCount(), 3);
    rig.Select(2);
    // The response joins rows 1 and 2: row 2, the selected last one, goes by a kind-3 notice.
    rig.Mac(AssociationResponse(kPan, e, c, 0x0042));
    Deliver();
    rig.ExpectMirror("the duplicate went");
    ASSERT_EQ(rig.Panel().RowCount(), 2);
    EXPECT_EQ(rig.Panel().NodeList()->GetCurSel(), -1);
    for (int id : {CAddressBookPnl::kRemoveId, CAddressBookPnl::kMoveUpId, CAddressBookPnl::kMoveDownId}) {
        rig.Click(id);
        EXPECT_EQ(rig.Book().size(), 2u) << id;
        rig.ExpectMirror("a button with no row selected");
    }
}

TEST_F(AddressBookPnlTest, KindThreeInTheMiddleKeepsTheOtherRowsAndTheirNodes)
{
    const uint64_t e = 0x00124B00000002E0ull, c = 0x00124B00000002C0ull;
    BookRig rig("Tolvane");
    rig.Mac(ExtendedData(kPan, 0xFFFF, c));
    rig.Mac(ShortData(kPan, 0xFFFF, 0x0042));
    rig.Mac(ExtendedData(kPan, 0xFFFF, e)); // row 2 of 5: the duplicate-to-be
    rig.Mac(ShortData(kPan, 0x0005, 0x0006));
    Deliver();
    ASSERT_EQ(rig.Panel().RowCount(), 5);
    const std::vector<std::string> before = rig.Rows();
    const uint32_t lastValues[] = {rig.Panel().NodeValue(3), rig.Panel().NodeValue(4)};
    rig.Mac(AssociationResponse(kPan, e, c, 0x0042));
    Deliver();
    rig.ExpectMirror("the kind-3 notice");
    ASSERT_EQ(rig.Panel().RowCount(), 4);
    EXPECT_EQ(rig.Rows()[2], before[3]);
    EXPECT_EQ(rig.Rows()[3], before[4]);
    EXPECT_EQ(rig.Panel().NodeValue(2), lastValues[0]);
    EXPECT_EQ(rig.Panel().NodeValue(3), lastValues[1]);
    // The removed node's id went with its row: removing row 2 removes that node's time-line row.
    rig.Select(2);
    rig.Click(CAddressBookPnl::kRemoveId);
    rig.ExpectMirror("removing the row after the removed one");
    EXPECT_EQ(rig.TimeLine().names.count(lastValues[0]), 0u);
}

TEST_F(AddressBookPnlTest, HandAddedNodeGetsItsTimeLineRowAtOnce)
{
    BookRig rig("Fennet");
    rig.Add({"Gateway", "0x0A0B0C0D"});
    ASSERT_EQ(rig.Panel().RowCount(), 1);
    EXPECT_EQ(rig.TimeLine().names, (std::map<uint32_t, std::string>{{rig.Panel().NodeValue(0), "Gateway"}}));
    EXPECT_EQ(rig.TimeLine().namesWithoutRow, 0);
}

TEST_F(AddressBookPnlTest, AddWithAnEmptyEditSendsNothing)
{
    struct Case {
        std::vector<std::string> texts;
        size_t nodes;
    };
    const Case cases[] = {{{"", "0x01020304"}, 0}, {{"Name", ""}, 0}, {{"Name", "0x01020304"}, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts[0] + "|" + c.texts[1]);
        BookRig rig("Fennet");
        rig.Add(c.texts);
        EXPECT_EQ(rig.Book().size(), c.nodes);
        rig.ExpectMirror("add");
    }
}

TEST_F(AddressBookPnlTest, RemoveAllAsksAndCancelChangesNothing)
{
    BookRig rig("Fennet");
    rig.Fennet(0x44332211, 0x88776655);
    Deliver();
    answers = {platform::MessageAnswer::Cancel};
    rig.Click(CAddressBookPnl::kRemoveAllId);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This will delete the entire address book. Do you want to proceed?");
    EXPECT_EQ(boxes[0].caption, "Pelagor");
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Question);
    EXPECT_EQ(boxes[0].buttons, platform::MessageButtons::OkCancel);
    EXPECT_EQ(rig.Panel().RowCount(), 2);
    rig.ExpectMirror("cancel");
    answers = {platform::MessageAnswer::Ok};
    rig.Click(CAddressBookPnl::kRemoveAllId);
    EXPECT_EQ(rig.Panel().RowCount(), 0);
    rig.ExpectMirror("ok");
}

TEST_F(AddressBookPnlTest, AutoRegisterBoxSwitchesRegistration)
{
    BookRig rig("Fennet");
    auto* box = FindControl<QCheckBox>(&rig.Panel(), CAddressBookPnl::kAutoRegisterId);
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    rig.Fennet(0x61626364, 0x71727374);
    Deliver();
    EXPECT_EQ(rig.Panel().RowCount(), 0); // only kind-4 notices: no node
    rig.ExpectMirror("registration off");
    QTest::mouseClick(box, Qt::LeftButton);
    rig.Fennet(0x61626364, 0x71727374);
    Deliver();
    EXPECT_EQ(rig.Panel().RowCount(), 2);
    rig.ExpectMirror("registration on");
}

TEST_F(AddressBookPnlTest, CopyToTheEntryControlsAndKeys)
{
    BookRig rig("Fennet");
    rig.Fennet(0x44332211, 0x88776655);
    Deliver();
    rig.Select(1);
    QTest::keyClick(rig.Panel().NodeList(), Qt::Key_Return);
    auto* name = qobject_cast<QLineEdit*>(rig.Panel().EntryControl(0));
    auto* address = qobject_cast<QLineEdit*>(rig.Panel().EntryControl(1));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(address->text().toStdString(), "0x88776655");
    EXPECT_EQ(name->selectedText(), name->text());
    // Enter in the name field adds (here: renames) the node.
    name->setText(QStringLiteral("Renamed"));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(rig.Rows()[1], "Renamed\t0x88776655\t");
    rig.ExpectMirror("enter in the name field");
    // Delete on the list removes the selected node.
    rig.Select(0);
    QTest::keyClick(rig.Panel().NodeList(), Qt::Key_Delete);
    EXPECT_EQ(rig.Panel().RowCount(), 1);
    rig.ExpectMirror("delete");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(AddressBookPnlTest, DecodingThreadAddsWhileTheUserEdits)
{
    testsupport::Watchdog watchdog("address book with a decoding thread", std::chrono::seconds(60));
    BookRig rig("Fennet");
    std::atomic<bool> done{false};
    std::thread decoder([&] {
        for (uint32_t i = 1; i <= 150; ++i) {
            rig.Fennet(0x10000000u | i << 8 | 0x01, 0x20000000u | i << 8 | 0x02);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        done = true;
    });
    int edits = 0;
    // Edits go on while frames arrive, and at least 40 of them, however the threads are scheduled.
    while (!done || edits < 40) {
        QCoreApplication::processEvents();
        CAddressBookPnl& panel = rig.Panel();
        const int rows = panel.RowCount();
        if (rows == 0) {
            ++edits;
            rig.Add({"Hand " + std::to_string(edits), "0x7F0000" + std::to_string(10 + edits % 90)});
        } else {
            switch (edits++ % 4) {
            case 0: rig.Select(rows / 2); rig.Click(CAddressBookPnl::kRemoveId); break;
            case 1: rig.Select(0); rig.Click(CAddressBookPnl::kMoveDownId); break;
            case 2: rig.Select(rows - 1); rig.Click(CAddressBookPnl::kMoveUpId); break;
            default: rig.Add({"Hand " + std::to_string(edits), "0x7F0000" + std::to_string(10 + edits % 90)}); break;
            }
        }
    }
    decoder.join();
    Deliver();
    EXPECT_GE(edits, 40);
    rig.ExpectMirror("the decoding thread ended");
}

TEST_F(AddressBookPnlTest, LayoutAtThePanelsSizes)
{
    for (const std::string protocol : {"Fennet", "Tolvane"}) {
        BookRig rig(protocol);
        if (protocol == "Fennet") {
            rig.Fennet(0x44332211, 0x88776655);
            rig.Add({"Gateway", "0x0A0B0C0D"});
        } else {
            rig.Mac(ShortData(kPan, 0x0002, 0x0001));
            rig.Mac(AssociationResponse(kPan, 0x00124B00000003D0ull, 0x00124B00000003C0ull, 0x0007));
        }
        Deliver();
        rig.Select(1);
        for (int width : {1000, 700}) {
            SCOPED_TRACE(protocol + " " + std::to_string(width));
            CAddressBookPnl& panel = rig.Panel();
            panel.resize(width, 190);
            Deliver();
            const QRect list = panel.NodeList()->geometry();
            const QRect add = FindControl<QPushButton>(&panel, CAddressBookPnl::kAddId)->geometry();
            EXPECT_EQ(list.top(), 32);
            EXPECT_EQ(list.left(), 0);
            EXPECT_EQ(list.bottom(), 189);
            EXPECT_EQ(list.right() + 1 + 10, add.left());
            for (int id : {CAddressBookPnl::kAddId, CAddressBookPnl::kRemoveId, CAddressBookPnl::kRemoveAllId,
                           CAddressBookPnl::kMoveUpId, CAddressBookPnl::kMoveDownId,
                           CAddressBookPnl::kAutoRegisterId}) {
                QWidget* control = FindControl<QWidget>(&panel, id);
                EXPECT_TRUE(panel.rect().contains(control->geometry())) << id;
                EXPECT_GE(control->geometry().left(), list.right()) << id;
            }
            int x = 0;
            for (int i = 0; i < rig.Layout().GetColumnCount(); ++i) {
                const QRect entry = panel.EntryControl(i)->geometry();
                EXPECT_EQ(entry.left(), x) << i;
                EXPECT_EQ(entry.height(), 22);
                EXPECT_LE(entry.right(), list.right());
                x = entry.right() + 1;
            }
            EXPECT_EQ(x, list.right() + 1);
            // Column names and the edits' hints are read whole, not cut.
            CListCtrlEx* nodes = panel.NodeList();
            for (int i = 0; i < nodes->GetColumnCount(); ++i) {
                const COLUMN_INFO& column = nodes->GetColumn(i);
                const QString name = QString::fromLatin1(column.name.c_str());
                EXPECT_LE(QFontMetrics(nodes->GetListFont()).horizontalAdvance(name) + 5, column.rect.width())
                    << column.name;
                auto* edit = qobject_cast<QLineEdit*>(panel.EntryControl(i));
                if (edit != nullptr && !edit->placeholderText().isEmpty()) {
                    EXPECT_LE(edit->fontMetrics().horizontalAdvance(edit->placeholderText()) + 10, edit->width())
                        << edit->placeholderText().toStdString();
                }
            }
            SaveScreen(&panel, "address_book_" + protocol + "_" + std::to_string(width));
        }
    }
}
