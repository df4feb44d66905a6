#include "tests/e2e/agent/MarlinexRoad.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>

#include "tests/e2e/ReportLine.h"
#include "tests/e2e/agent/InkLines.h"
#include "tests/e2e/agent/ReportWriter.h"
#include "tests/e2e/agent/UserHand.h"

namespace {

// Control ids of the main window.
constexpr int kPanelTabsId = 1000;
constexpr int kDeviceListId = 1003;
constexpr int kStartId = 32776;
constexpr int kPauseId = 32777;
constexpr int kNodeListId = 1021;
// The display-filter panel.
constexpr int kFieldNameBoxId = 1034;
constexpr int kTemplateEditId = 1035;
constexpr int kFirstId = 1042;
constexpr int kConditionEditId = 1032;
constexpr int kAddRowId = 1022;
constexpr int kFilterWindowId = 1056;
constexpr int kApplyId = 1038;
constexpr int kTurnOffId = 1039;

// The simulated IEEE 802.15.4 dongle, as the device list names it.
constexpr const char* kDongle = "Dalvor";
// The acknowledgement frames: frame type 2, no other bit of the first frame-control byte.
constexpr const char* kField = "Frame control";
constexpr const char* kCondition = "FCF=0b00000010";
constexpr const char* kSaveFirst = "Would you like to save the current data before proceeding?";

constexpr const char* kPacketCount = " Packet count: ";
constexpr const char* kFilteredCount = " Filtered packet count: ";
constexpr const char* kFilterOff = " Filter off";
constexpr const char* kDevice = " RF device: ";

// The left part of a view's first column, where node names are written.
constexpr int kNameColumnWidth = 60;

// Ticks a value must stay the same to count as settled: longer than the window's refresh.
constexpr int kSettledTicks = 10;

QFileDialog* OpenFileDialog()
{
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
}

QMessageBox* OpenBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box != nullptr && box->isVisible() ? box : nullptr;
}

// The lines of text in the left part of a view's first column.
int NameLines(QAbstractScrollArea* view)
{
    return InkLines(view->viewport(), QRect(0, 0, kNameColumnWidth, view->viewport()->height()));
}

void ReportArea(const ReportWriter& report, const std::string& name, const QAbstractScrollArea* area)
{
    if (area == nullptr) {
        report.Value(name + ".missing", 1);
        return;
    }
    report.Value(name + ".verticalMax", area->verticalScrollBar()->maximum());
    report.Value(name + ".horizontalMax", area->horizontalScrollBar()->maximum());
    report.Value(name + ".width", area->viewport()->width());
    report.Value(name + ".height", area->viewport()->height());
}

} // namespace

MarlinexRoad::MarlinexRoad(const ReportWriter& report, QObject* parent)
    : QObject(parent), report_(report), runner_(report, "e2e_main", 0, this)
{
    if (const char* wanted = std::getenv(e2e::kPacketsVariable))
        wanted_ = std::atoll(wanted);
    if (const char* files = std::getenv(e2e::kFilesVariable))
        files_ = QString::fromLocal8Bit(files);
    AddWindowSteps();
    AddCaptureSteps();
    AddViewSteps("captured");
    AddFilterSteps();
    AddFileSteps();
    // Closed as the window manager closes it: the close button of its frame.
    runner_.Finally([this] {
        if (window_ != nullptr)
            window_->close();
    });
}

// ---------------------------------------------------------------- what the window shows

long long MarlinexRoad::Packets() const
{
    return window_ != nullptr ? userhand::LabelNumber(window_->statusBar(), QString::fromLatin1(kPacketCount)) : -1;
}

long long MarlinexRoad::FilteredPackets() const
{
    return window_ != nullptr ? userhand::LabelNumber(window_->statusBar(), QString::fromLatin1(kFilteredCount)) : -1;
}

bool MarlinexRoad::ToolEnabled(int id)
{
    QAction* action = window_->findChild<QAction*>(QString::number(id));
    if (action == nullptr)
        runner_.Fail("no toolbar button " + std::to_string(id));
    return action->isEnabled();
}

QWidget* MarlinexRoad::FilterPanel() const
{
    QWidget* fields = userhand::Control<QWidget>(window_, kFieldNameBoxId);
    return fields != nullptr ? fields->parentWidget() : nullptr;
}

QAbstractScrollArea* MarlinexRoad::PacketList() const
{
    for (QAbstractScrollArea* area : window_->findChildren<QAbstractScrollArea*>())
        if (QLatin1String(area->metaObject()->className()) == QLatin1String("CPacketListCtrl"))
            return area;
    return nullptr;
}

QAbstractScrollArea* MarlinexRoad::TimeLine() const
{
    for (QAbstractScrollArea* area : window_->findChildren<QAbstractScrollArea*>())
        if (area->isVisible() && QLatin1String(area->metaObject()->className()) == QLatin1String("QAbstractScrollArea"))
            return area;
    return nullptr;
}

bool MarlinexRoad::ChooseTab(const QString& caption)
{
    QWidget* tabs = userhand::Control<QWidget>(window_, kPanelTabsId);
    QTabBar* bar = tabs != nullptr ? tabs->findChild<QTabBar*>() : nullptr;
    return bar != nullptr && userhand::ClickTab(bar, caption);
}

void MarlinexRoad::ReportViews(const std::string& when, const std::string& screen)
{
    report_.Value("packets." + when, Packets());
    report_.Value("filtered." + when, FilteredPackets());
    ReportArea(report_, "list." + when, PacketList());
    runner_.Screen(window_, screen);
}

QString MarlinexRoad::File(const QString& name) const
{
    return QDir(files_).filePath(name);
}

bool MarlinexRoad::Settled(long long value)
{
    if (runner_.CurrentStep() != settlingStep_ || value != lastSeen_) {
        settlingStep_ = runner_.CurrentStep();
        lastSeen_ = value;
        sameTicks_ = 0;
        return false;
    }
    return ++sameTicks_ >= kSettledTicks;
}

// ---------------------------------------------------------------- the steps

void MarlinexRoad::AddWindowSteps()
{
    runner_.Add({"the main window is shown with the Tolvane plug-in", {}, [this] {
                     window_ = userhand::MainWindow();
                     if (window_ == nullptr || Packets() < 0)
                         return false;
                     if (!window_->windowTitle().contains(QLatin1String("Tolvane")))
                         return false;
                     report_.Write("up", std::to_string(getpid()));
                     report_.Value("main.title", window_->windowTitle().toStdString());
                     report_.Value("main.width", window_->width());
                     report_.Value("main.height", window_->height());
                     runner_.Screen(window_, "window");
                     return true;
                 }});
    runner_.Add({"the Capturing device tab",
                 [this] {
                     if (!ChooseTab(QStringLiteral("Capturing device")))
                         runner_.Fail("no tab \"Capturing device\"");
                 },
                 [this] {
                     auto* devices = userhand::Control<QListWidget>(window_, kDeviceListId);
                     return devices != nullptr && devices->isVisible();
                 }});
    runner_.Add({"the IEEE 802.15.4 dongle is selected", {}, [this] {
                     auto* devices = userhand::Control<QListWidget>(window_, kDeviceListId);
                     if (devices->currentItem() == nullptr ||
                         !devices->currentItem()->text().contains(QLatin1String(kDongle))) {
                         // The list fills from the board poll; click once the entry is there.
                         userhand::ClickRow(devices, QLatin1String(kDongle));
                         return false;
                     }
                     const QString device = userhand::LabelText(window_->statusBar(), QLatin1String(kDevice));
                     if (device.trimmed() == QLatin1String(kDevice).trimmed())
                         return false;
                     report_.Value("main.devices", devices->count());
                     report_.Value("main.device", devices->currentItem()->text().toStdString());
                     report_.Value("main.rfDevice", device.toStdString());
                     runner_.Screen(window_, "device_selected");
                     return true;
                 }});
}

void MarlinexRoad::AddCaptureSteps()
{
    runner_.Add({"F5 starts the capture",
                 [this] {
                     window_->activateWindow();
                     userhand::Key(window_, Qt::Key_F5);
                 },
                 [this] { return !ToolEnabled(kStartId) && ToolEnabled(kPauseId); }});
    runner_.Add({"packets appear in the list while capturing", {}, [this] {
                     QAbstractScrollArea* list = PacketList();
                     const int lines = InkLines(list->viewport(), list->viewport()->rect());
                     if (Packets() < 50 || lines <= 0)
                         return false;
                     report_.Value("capturing.packets", Packets());
                     report_.Value("capturing.listLines", lines);
                     runner_.Screen(window_, "capturing");
                     return true;
                 }});
    runner_.Add({"the time line while capturing",
                 [this] {
                     if (!ChooseTab(QStringLiteral("Time line")))
                         runner_.Fail("no tab \"Time line\"");
                 },
                 [this] {
                     QAbstractScrollArea* view = TimeLine();
                     // Scrollable once it holds more packets than it shows.
                     if (view == nullptr || view->horizontalScrollBar()->maximum() <= 0)
                         return false;
                     report_.Value("capturing.timeLineMax", view->horizontalScrollBar()->maximum());
                     report_.Value("capturing.timeLinePackets", Packets());
                     runner_.Screen(window_, "capturing_time_line");
                     return true;
                 }});
    runner_.Add({"the capture holds the packets wanted", {}, [this] { return Packets() >= wanted_; }, 30000});
    runner_.Add({"F6 pauses the capture",
                 [this] {
                     window_->activateWindow();
                     userhand::Key(window_, Qt::Key_F6);
                 },
                 [this] {
                     if (!ToolEnabled(kStartId) || ToolEnabled(kPauseId) || !Settled(Packets()))
                         return false;
                     captured_ = Packets();
                     report_.Value("captured", captured_);
                     return true;
                 }});
}

void MarlinexRoad::AddViewSteps(const std::string& when)
{
    runner_.Add({"the packet list (" + when + ")", {}, [this, when] {
                     QAbstractScrollArea* list = PacketList();
                     if (list == nullptr || !Settled(list->verticalScrollBar()->maximum()))
                         return false;
                     ReportViews(when, "list_" + when);
                     return true;
                 }});
    runner_.Add({"the time line (" + when + ")",
                 [this] {
                     if (!ChooseTab(QStringLiteral("Time line")))
                         runner_.Fail("no tab \"Time line\"");
                 },
                 [this, when] {
                     QAbstractScrollArea* view = TimeLine();
                     if (view == nullptr || !Settled(view->horizontalScrollBar()->maximum()))
                         return false;
                     ReportArea(report_, "timeLine." + when, view);
                     // The names column: its heading and a line per node.
                     report_.Value("timeLine." + when + ".nameLines",
                                   NameLines(view));
                     runner_.Screen(window_, "time_line_" + when);
                     return true;
                 }});
    runner_.Add({"the address book (" + when + ")",
                 [this] {
                     if (!ChooseTab(QStringLiteral("Address book")))
                         runner_.Fail("no tab \"Address book\"");
                 },
                 [this, when] {
                     auto* nodes = userhand::Control<QAbstractScrollArea>(window_, kNodeListId);
                     if (nodes == nullptr || !nodes->isVisible() || !Settled(nodes->verticalScrollBar()->maximum()))
                         return false;
                     ReportArea(report_, "addressBook." + when, nodes);
                     // The node-name column: its heading and a line per node.
                     report_.Value("addressBook." + when + ".nameLines",
                                   NameLines(nodes));
                     runner_.Screen(window_, "address_book_" + when);
                     return true;
                 }});
}

void MarlinexRoad::AddFilterSteps()
{
    runner_.Add({"the Display filter tab",
                 [this] {
                     if (!ChooseTab(QStringLiteral("Display filter")))
                         runner_.Fail("no tab \"Display filter\"");
                 },
                 [this] {
                     auto* fields = userhand::Control<QComboBox>(window_, kFieldNameBoxId);
                     return fields != nullptr && fields->isVisible();
                 }});
    runner_.Add({"the field Frame control is picked",
                 [this] {
                     if (!userhand::ChooseEntry(userhand::Control<QComboBox>(window_, kFieldNameBoxId),
                                                QLatin1String(kField)))
                         runner_.Fail("no field \"Frame control\"");
                 },
                 [this] {
                     auto* templ = userhand::Control<QLineEdit>(FilterPanel(), kTemplateEditId);
                     if (templ == nullptr || templ->text().isEmpty())
                         return false;
                     report_.Value("filter.template", templ->text().toStdString());
                     return true;
                 }});
    runner_.Add({"First takes the template, the condition is typed and added",
                 [this] {
                     QWidget* panel = FilterPanel();
                     userhand::Click(userhand::Control<QPushButton>(panel, kFirstId));
                     auto* condition = userhand::Control<QLineEdit>(panel, kConditionEditId);
                     report_.Value("filter.first", condition->text().toStdString());
                     userhand::Type(condition, QLatin1String(kCondition));
                     userhand::Click(userhand::Control<QPushButton>(panel, kAddRowId));
                 },
                 [this] {
                     auto* rows = userhand::Control<QListWidget>(FilterPanel(), kFilterWindowId);
                     return rows != nullptr && rows->count() == 1 && rows->item(0)->text() == QLatin1String(kCondition);
                 }});
    runner_.Add({"Apply filter narrows the list",
                 [this] { userhand::Click(userhand::Control<QPushButton>(FilterPanel(), kApplyId)); },
                 [this] {
                     const long long filtered = FilteredPackets();
                     if (filtered < 0 || !Settled(filtered))
                         return false;
                     filtered_ = filtered;
                     report_.Value("filtered", filtered_);
                     runner_.Screen(window_, "filter_applied");
                     return true;
                 }});
    AddViewSteps("filtered");
}

void MarlinexRoad::AddSaveSteps(const std::string& what, const QString& fileName)
{
    runner_.Add({what + ": File > Save data... opens the save dialog",
                 [this] {
                     QAction* save = userhand::MenuItem(window_, QStringLiteral("File"), QLatin1String("Save data..."));
                     if (save == nullptr)
                         runner_.Fail("no File > Save data...");
                     save->trigger();
                 },
                 [this] {
                     QFileDialog* dialog = OpenFileDialog();
                     if (dialog == nullptr)
                         return false;
                     report_.Value("dialog.save.title", dialog->windowTitle().toStdString());
                     return true;
                 },
                 15000, true});
    AddFileNameSteps(what, fileName, QDialogButtonBox::Save);
}

void MarlinexRoad::AddFileNameSteps(const std::string& what, const QString& fileName, int button)
{
    const std::string shot = QFileInfo(fileName).baseName().toStdString();
    runner_.Add({what + ": the file name is typed",
                 [this, fileName, button] {
                     QFileDialog* dialog = OpenFileDialog();
                     auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                     auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
                     if (name == nullptr || buttons == nullptr ||
                         buttons->button(static_cast<QDialogButtonBox::StandardButton>(button)) == nullptr)
                         runner_.Fail("the file dialog has no file name edit or not the button wanted");
                     userhand::Type(name, File(fileName));
                     // What the completer offers is not taken: the name typed is.
                     if (name->completer() != nullptr && name->completer()->popup()->isVisible())
                         userhand::Key(name->completer()->popup(), Qt::Key_Escape);
                 },
                 [this, fileName, shot] {
                     QFileDialog* dialog = OpenFileDialog();
                     if (dialog == nullptr)
                         runner_.Fail("the file dialog went away while its name was typed");
                     auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                     if (name->text() != File(fileName))
                         return false;
                     runner_.Screen(dialog, "file_name_" + shot);
                     return true;
                 },
                 15000, true});
    runner_.Add({what + ": the dialog is accepted",
                 [this, button] {
                     auto* buttons = OpenFileDialog()->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
                     userhand::Click(buttons->button(static_cast<QDialogButtonBox::StandardButton>(button)));
                 },
                 [this, fileName] {
                     if (QMessageBox* box = OpenBox())
                         runner_.Fail("a box after the file dialog: " + box->text().toStdString());
                     if (QApplication::activeModalWidget() != nullptr || !QFileInfo::exists(File(fileName)))
                         return false;
                     report_.Value("file", File(fileName).toStdString());
                     return true;
                 },
                 15000, true});
}

void MarlinexRoad::AddFileSteps()
{
    AddSaveSteps("the matching packets", QStringLiteral("filtered.pld"));
    runner_.Add({"Turn off filter",
                 [this] { userhand::Click(userhand::Control<QPushButton>(FilterPanel(), kTurnOffId)); },
                 [this] { return !userhand::LabelText(window_->statusBar(), QLatin1String(kFilterOff)).isEmpty(); }});
    AddSaveSteps("every packet", QStringLiteral("A.pld"));

    runner_.Add({"File > Open data... asks whether to save first",
                 [this] {
                     QAction* open = userhand::MenuItem(window_, QStringLiteral("File"), QLatin1String("Open data..."));
                     if (open == nullptr)
                         runner_.Fail("no File > Open data...");
                     open->trigger();
                 },
                 [this] {
                     QMessageBox* box = OpenBox();
                     if (box == nullptr)
                         return false;
                     report_.Write("box", box->text().toStdString());
                     if (box->text() != QLatin1String(kSaveFirst))
                         runner_.Fail("another question: " + box->text().toStdString());
                     runner_.Screen(box, "save_question");
                     return true;
                 },
                 15000, true});
    runner_.Add({"No goes on to the open dialog",
                 [] {
                     QMessageBox* box = OpenBox();
                     userhand::Click(box->button(QMessageBox::No));
                 },
                 [this] {
                     QFileDialog* dialog = OpenFileDialog();
                     if (dialog == nullptr)
                         return false;
                     report_.Value("dialog.open.title", dialog->windowTitle().toStdString());
                     return true;
                 },
                 15000, true});
    AddFileNameSteps("A is opened", QStringLiteral("A.pld"), QDialogButtonBox::Open);
    runner_.Add({"A is read back whole", {}, [this] {
                     const long long packets = Packets();
                     if (packets != captured_ || !Settled(packets))
                         return false;
                     report_.Value("reopened", packets);
                     runner_.Screen(window_, "reopened");
                     return true;
                 },
                 20000});
    AddViewSteps("reopened");
    AddSaveSteps("the packets read back", QStringLiteral("B.pld"));
}
