#include "tests/e2e/agent/StartupRoad.h"

#include <unistd.h>

#include <fstream>
#include <string>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

#include "tests/e2e/ReportLine.h"
#include "tests/e2e/agent/ReportWriter.h"
#include "tests/e2e/agent/UserHand.h"

namespace {

constexpr int kEntryListId = 1001;
constexpr int kInfoTextId = 1005;
constexpr int kStartButtonId = 1000;
constexpr const char* kEntry = "Tolvane";

QString InfoText(const QWidget* window)
{
    if (const auto* edit = userhand::Control<QPlainTextEdit>(window, kInfoTextId))
        return edit->toPlainText();
    if (const auto* edit = userhand::Control<QTextEdit>(window, kInfoTextId))
        return edit->toPlainText();
    if (const auto* edit = userhand::Control<QLineEdit>(window, kInfoTextId))
        return edit->text();
    return QString();
}

} // namespace

StartupRoad::StartupRoad(const ReportWriter& report, QObject* parent)
    : QObject(parent), report_(report), runner_(report, "e2e_launcher", kEntryListId, this)
{
    runner_.Add({"the launcher window is shown", {}, [this] {
                     window_ = userhand::WindowWithControl(kEntryListId);
                     if (window_ == nullptr || !window_->isVisible())
                         return false;
                     entries_ = userhand::Control<QComboBox>(window_, kEntryListId);
                     if (entries_ == nullptr || entries_->count() == 0)
                         return false;
                     report_.Write("up", std::to_string(getpid()));
                     report_.Value("launcher.title", window_->windowTitle().toStdString());
                     report_.Value("launcher.entries", entries_->count());
                     for (int i = 0; i < entries_->count(); ++i)
                         report_.Value("launcher.entry", entries_->itemText(i).toStdString());
                     runner_.Screen(window_, "window");
                     return true;
                 }});
    runner_.Add({"the Tolvane entry is chosen",
                 [this] {
                     if (!userhand::ChooseEntry(entries_, QString::fromLatin1(kEntry)))
                         runner_.Fail("no entry of the list names Tolvane");
                 },
                 [this] {
                     const bool chosen = entries_->currentText().contains(QLatin1String(kEntry), Qt::CaseInsensitive);
                     if (!chosen || InfoText(window_).isEmpty())
                         return false;
                     report_.Value("launcher.chosen", entries_->currentText().toStdString());
                     report_.Value("launcher.info", InfoText(window_).toStdString());
                     runner_.Screen(window_, "tolvane_chosen");
                     return true;
                 }});
    runner_.Add({"Start starts the main program",
                 [this] {
                     auto* start = userhand::Control<QPushButton>(window_, kStartButtonId);
                     if (start == nullptr)
                         runner_.Fail("no Start button");
                     userhand::Click(start);
                 },
                 [this] { return MainProgramUp(); }, 20000});
    runner_.Finally([this] {
        if (window_ == nullptr)
            return;
        // "Exit" is the dialog's cancel button.
        if (!userhand::ClickButton(window_, QStringLiteral("Exit")))
            window_->close();
    });
}

bool StartupRoad::MainProgramUp() const
{
    std::ifstream in(report_.Path());
    std::string line;
    while (std::getline(in, line)) {
        const auto parsed = e2e::ParseReportLine(line);
        if (parsed && parsed->program == "Marlinex" && parsed->kind == "up")
            return true;
    }
    return false;
}
