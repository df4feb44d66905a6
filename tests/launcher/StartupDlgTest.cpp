#include <climits>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "gui/ControlId.h"
#include "gui/ModalDialog.h"
#include "launcher/CStartupAboutDlg.h"
#include "launcher/CStartupApp.h"
#include "launcher/CStartupDlg.h"
#include "launcher/PelagorIniFile.h"
#include "launcher/RegistryProfile.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/gui/ScreenShot.h"
#include "tests/launcher/LauncherTree.h"
#include "tests/launcher/StartedProgram.h"

namespace {

const std::string kThreeEntries = "Version = \"Ver. 9.9\"\n"
                                  "AddSniffer \"Generic\", \"..\\Protocols\\Generic\\Halyard.so\", GENERIC;\n"
                                  "AddSniffer \"Generic, switches\", \"..\\Protocols\\Generic\\Halyard.so /ec /hf\", SWITCHES;\n"
                                  "AddSniffer \"Missing plug-in\", \"..\\Protocols\\Gone\\Gone.so\", GONE;\n"
                                  "[Strings]\n"
                                  "GENERIC = \"Generic frames&$of any radio\"\n"
                                  "SWITCHES = \"one&$two&three$four\"\n"
                                  "GONE = \"gone\"\n";

class StartupDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "pelagor", ignored);
    }
    void TearDown() override
    {
        if (dialog_)
            testsupport::ReapAll(dialog_->Starter());
    }

    static RegistryProfile Profile() { return RegistryProfile(CStartupApp::kCompany, CStartupApp::kApplication); }
    static std::optional<int> StoredSelection()
    {
        constexpr int kNone = INT_MIN;
        const int stored = Profile().GetProfileInt(CStartupDlg::kSection, CStartupDlg::kSelectionEntry, kNone);
        return stored == kNone ? std::nullopt : std::optional<int>(stored);
    }

    void WriteIni(const std::string& text) { tree_.Files().Write("Pelagor.ini", text); }

    // The dialog as its modal run opens it: OnInitDialog without a show, or shown.
    CStartupDlg& Open(bool show = false)
    {
        dialog_ = std::make_unique<CStartupDlg>(nullptr, tree_.Folder(), Profile());
        if (show) {
            dialog_->show();
            QApplication::processEvents();
        } else {
            dialog_->InitDialog();
        }
        return *dialog_;
    }

    QComboBox* List() const { return FindControl<QComboBox>(dialog_.get(), CStartupDlg::kListId); }
    QPlainTextEdit* Info() const { return FindControl<QPlainTextEdit>(dialog_.get(), CStartupDlg::kInfoId); }
    QLabel* Version() const { return FindControl<QLabel>(dialog_.get(), CStartupDlg::kVersionId); }
    QPushButton* StartButton() const { return FindControl<QPushButton>(dialog_.get(), CStartupDlg::kStartId); }
    QPushButton* ExitButton() const { return FindControl<QPushButton>(dialog_.get(), CModalDlg::IDCANCEL); }

    testsupport::LauncherTree tree_{START_RECORDER_PATH};
    std::unique_ptr<CStartupDlg> dialog_;
};

} // namespace

TEST_F(StartupDialog, ShowsTheEntries)
{
    WriteIni(kThreeEntries);
    platform::MessageBoxRecorder recorder;
    CStartupDlg& dialog = Open();
    EXPECT_EQ(dialog.windowTitle(), "Korvath Pelagor");
    EXPECT_FALSE(dialog.windowIcon().isNull());
    ASSERT_EQ(List()->count(), 3);
    const char* const names[] = {"Generic", "Generic, switches", "Missing plug-in"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(List()->itemText(i), names[i]);
        EXPECT_EQ(List()->itemData(i).toInt(), i);
    }
    EXPECT_EQ(Version()->text(), "Ver. 9.9");
    EXPECT_EQ(List()->currentIndex(), 0);
    EXPECT_EQ(Info()->toPlainText(), "Generic frames\nof any radio");
    EXPECT_TRUE(Info()->isReadOnly());
    EXPECT_EQ(StoredSelection(), 0);
    EXPECT_TRUE(recorder.Texts().empty());

    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("Select Protocol and chip type:"));
    EXPECT_TRUE(labels.contains("Click Start button to launch Pelagor:"));
    for (const int picture : {CStartupDlg::kLeftPictureId, CStartupDlg::kTopPictureId}) {
        const QLabel* label = FindControl<QLabel>(&dialog, picture);
        ASSERT_NE(label, nullptr) << picture;
        EXPECT_FALSE(label->pixmap().isNull()) << picture;
    }
    EXPECT_EQ(StartButton()->text(), "Start");
    EXPECT_EQ(ExitButton()->text(), "Exit");
}

struct SelectionCase {
    const char* name;
    std::optional<int> stored;
    int shown;
};

void PrintTo(const SelectionCase& c, std::ostream* os)
{
    *os << c.name;
}

class SelectionStored : public StartupDialog, public ::testing::WithParamInterface<SelectionCase> {};

// A position the list does not have is the first entry, and is stored as such.
TEST_P(SelectionStored, ChoosesAnEntryOfTheList)
{
    const SelectionCase& c = GetParam();
    WriteIni(kThreeEntries);
    if (c.stored) {
        ASSERT_TRUE(Profile().WriteProfileInt(CStartupDlg::kSection, CStartupDlg::kSelectionEntry, *c.stored));
    }
    Open();
    EXPECT_EQ(List()->currentIndex(), c.shown);
    EXPECT_EQ(Info()->toPlainText().toStdString(),
              std::vector<std::string>({"Generic frames\nof any radio", "one\ntwo\nthree\nfour", "gone"})[c.shown]);
    EXPECT_EQ(StoredSelection(), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Positions, SelectionStored,
                         ::testing::Values(SelectionCase{"none", std::nullopt, 0}, SelectionCase{"first", 0, 0},
                                           SelectionCase{"middle", 1, 1}, SelectionCase{"last", 2, 2},
                                           SelectionCase{"past_the_list", 3, 0}, SelectionCase{"negative", -1, 0},
                                           SelectionCase{"largest", INT_MAX, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupDialog, EmptyListChoosesNothing)
{
    WriteIni("Version = \"Ver. 1.0\"\n# no entries\n");
    ASSERT_TRUE(Profile().WriteProfileInt(CStartupDlg::kSection, CStartupDlg::kSelectionEntry, 2));
    platform::MessageBoxRecorder recorder;
    CStartupDlg& dialog = Open();
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(List()->currentIndex(), -1);
    EXPECT_EQ(Info()->toPlainText(), "");
    EXPECT_EQ(Version()->text(), "Ver. 1.0");
    EXPECT_EQ(StoredSelection(), 2);
    dialog.OnSelChange();
    StartButton()->click();
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_EQ(dialog.Starter().LastStarted(), 0);
}

TEST_F(StartupDialog, TableThatCannotBeReadLeavesTheListEmpty)
{
    struct Case {
        const char* file; // nullptr: none
        std::string box;
    };
    const Case cases[] = {
        {nullptr, "Not able to open table: " + tree_.Folder() + "Pelagor.ini"},
        {"Version = \"Ver. 3\"\nAddSniffer \"A\", \"a.so\", AA;\nAddSniffer \"B\", \"b.so\" BB;\n",
         "Not able to find link to info string"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        std::filesystem::remove(tree_.Folder() + "Pelagor.ini");
        if (c.file != nullptr)
            WriteIni(c.file);
        platform::MessageBoxRecorder recorder;
        CStartupDlg& dialog = Open();
        EXPECT_EQ(recorder.Texts(), std::vector<std::string>{c.box});
        // The entries read before the problem stay in the table, but are not offered.
        ASSERT_NE(dialog.IniFile(), nullptr);
        EXPECT_EQ(dialog.IniFile()->GetCount(), c.file != nullptr ? 1 : 0);
        EXPECT_EQ(Version()->text(), "Ver. 2.13.3");
        EXPECT_EQ(List()->count(), 0);
        EXPECT_EQ(StoredSelection(), std::nullopt);
    }
}

TEST_F(StartupDialog, InfoLineBreaks)
{
    WriteIni("AddSniffer \"A\", \"a.so\", AA;\n[Strings]\nAA = \"one&$two&three$four&$&$six\"\n");
    Open();
    EXPECT_EQ(Info()->toPlainText(), "one\ntwo\nthree\nfour\n\nsix");
    EXPECT_EQ(Info()->document()->blockCount(), 6);
}

TEST_F(StartupDialog, ChoiceShowsItsInfoAndIsStored)
{
    WriteIni(kThreeEntries);
    Open(true);
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(List()->currentIndex(), 1);
    EXPECT_EQ(Info()->toPlainText(), "one\ntwo\nthree\nfour");
    EXPECT_EQ(StoredSelection(), 1);
}

TEST_F(StartupDialog, EnterDoesNotClose)
{
    WriteIni(kThreeEntries);
    platform::MessageBoxRecorder recorder;
    CStartupDlg& dialog = Open(true);
    for (QWidget* focus : std::vector<QWidget*>{List(), Info()}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Return);
        QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_TRUE(dialog.isVisible()) << focus->objectName().toStdString();
    }
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.IniFile(), nullptr);
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_EQ(dialog.Starter().LastStarted(), 0);

    // Enter presses the button that has the focus.
    ExitButton()->setFocus();
    QTest::keyClick(ExitButton(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(StartupDialog, ExitEscapeAndCloseBoxEndTheDialog)
{
    WriteIni(kThreeEntries);
    const std::vector<std::pair<const char*, void (*)(CStartupDlg&, QPushButton*)>> ways = {
        {"Exit", [](CStartupDlg&, QPushButton* exit) { QTest::mouseClick(exit, Qt::LeftButton); }},
        {"Escape", [](CStartupDlg& dialog, QPushButton*) { QTest::keyClick(&dialog, Qt::Key_Escape); }},
        {"close box", [](CStartupDlg& dialog, QPushButton*) { dialog.close(); }},
    };
    for (const auto& [name, end] : ways) {
        SCOPED_TRACE(name);
        CStartupDlg& dialog = Open(true);
        end(dialog, ExitButton());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), CModalDlg::IDCANCEL);
        EXPECT_EQ(dialog.IniFile(), nullptr);
        // Nothing reaches for the deleted table afterwards.
        platform::MessageBoxRecorder recorder;
        dialog.OnSelChange();
        dialog.OnStart();
        EXPECT_TRUE(recorder.Texts().empty());
        EXPECT_EQ(dialog.Starter().LastStarted(), 0);
    }
}

TEST_F(StartupDialog, ItemWithoutAnEntryShowsAndStartsNothing)
{
    WriteIni(kThreeEntries);
    CStartupDlg& dialog = Open();
    List()->addItem("no entry", 99);
    List()->addItem("no index");
    platform::MessageBoxRecorder recorder;
    for (const int position : {3, 4}) {
        List()->setCurrentIndex(position);
        dialog.OnSelChange();
        EXPECT_EQ(Info()->toPlainText(), "") << position;
        EXPECT_EQ(StoredSelection(), position);
        StartButton()->click();
    }
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_EQ(dialog.Starter().LastStarted(), 0);
}

TEST_F(StartupDialog, StartsTheChosenEntryAndStaysOpen)
{
    WriteIni(kThreeEntries);
    CStartupDlg& dialog = Open(true);
    platform::MessageBoxRecorder recorder;
    List()->setCurrentIndex(1);
    dialog.OnSelChange();
    QTest::mouseClick(StartButton(), Qt::LeftButton);
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_NE(dialog.Starter().LastStarted(), 0);

    testsupport::StartedProgram started;
    ASSERT_TRUE(testsupport::WaitForStart(tree_.Files().Path(), started));
    EXPECT_EQ(started.folder, tree_.Files().Path().string());
    EXPECT_EQ(started.arguments, (std::vector<std::string>{"..\\Protocols\\Generic\\Halyard.so", "/ec", "/hf"}));
    // The window's timer collects the ended program.
    for (int wait = 0; wait < 3000 && !dialog.Starter().Running().empty(); ++wait)
        QTest::qWait(10);
    EXPECT_TRUE(dialog.Starter().Running().empty());
}

TEST_F(StartupDialog, RefusedStartsAreShown)
{
    WriteIni(kThreeEntries);
    CStartupDlg& dialog = Open();
    platform::MessageBoxRecorder recorder;
    List()->setCurrentIndex(2);
    StartButton()->click();
    ASSERT_EQ(chmod((tree_.Folder() + "General/Marlinex").c_str(), 0644), 0);
    List()->setCurrentIndex(0);
    StartButton()->click();

    const std::vector<platform::MessageBoxRequest> boxes = recorder.Requests();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "'General/../Protocols/Gone/Gone.so' not found!");
    EXPECT_EQ(boxes[1].text, "Not able start the Pelagor. Return code 13\nProgram: General/Marlinex\n"
                             "Parameters: \"General/Marlinex\" ..\\Protocols\\Generic\\Halyard.so");
    for (const platform::MessageBoxRequest& box : boxes)
        EXPECT_EQ(box.icon, platform::MessageIcon::Stop);
    EXPECT_TRUE(dialog.Starter().Running().empty());
}

TEST_F(StartupDialog, AboutBoxFromTheWindowMenu)
{
    WriteIni(kThreeEntries);
    CStartupDlg& dialog = Open(true);
    EXPECT_EQ(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
    QAction* about = FindControl<QAction>(&dialog, CStartupDlg::kAboutCommand);
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(dialog.actions().contains(about));
    EXPECT_EQ(about->text(), "&About Startup...");

    int shown = 0;
    QString title;
    QStringList texts;
    QString screen;
    ModalDialogHandler previous = SetModalDialogHandler([&](QDialog& box) {
        ++shown;
        EXPECT_NE(dynamic_cast<CStartupAboutDlg*>(&box), nullptr);
        box.show();
        QApplication::processEvents();
        title = box.windowTitle();
        for (const QLabel* label : box.findChildren<QLabel*>()) {
            texts << label->text();
            // Nothing clipped.
            if (!label->text().isEmpty()) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                    << label->text().toStdString();
            }
        }
        QPushButton* ok = FindControl<QPushButton>(&box, CModalDlg::IDOK);
        EXPECT_NE(ok, nullptr);
        if (ok != nullptr) {
            EXPECT_EQ(ok->text(), "OK");
            EXPECT_TRUE(box.rect().contains(ok->geometry()));
        }
        screen = SaveScreen(&box, "startup_about");
        if (ok != nullptr)
            ok->click();
        return box.result();
    });
    about->trigger();
    SetModalDialogHandler(std::move(previous));

    EXPECT_EQ(shown, 1);
    EXPECT_EQ(title, "About Lumetra Pelagor Launcher");
    EXPECT_TRUE(texts.contains("Launcher for Lumetra Pelagor"));
    EXPECT_FALSE(texts.filter(QRegularExpression("\\b(19|20)\\d\\d\\b")).isEmpty());
    EXPECT_TRUE(QFile::exists(screen));
    EXPECT_TRUE(dialog.isVisible());
}

// The shipped table in the window, for people to look at.
TEST_F(StartupDialog, ScreenWithTheShippedTable)
{
    std::filesystem::copy_file(PELAGOR_TEST_TREE_DIR "/Pelagor.ini", tree_.Folder() + "Pelagor.ini",
                               std::filesystem::copy_options::overwrite_existing);
    platform::MessageBoxRecorder recorder;
    CStartupDlg& dialog = Open(true);
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_GE(List()->count(), 4);
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
        EXPECT_TRUE(dialog.rect().contains(label->geometry())) << label->text().toStdString();
    }
    for (int i = 0; i < List()->count(); ++i)
        EXPECT_LE(List()->fontMetrics().horizontalAdvance(List()->itemText(i)) + 30, List()->width())
            << List()->itemText(i).toStdString();
    // Every entry's information fits without scrolling.
    for (int i = 0; i < List()->count(); ++i) {
        List()->setCurrentIndex(i);
        dialog.OnSelChange();
        QApplication::processEvents();
        EXPECT_EQ(Info()->verticalScrollBar()->maximum(), 0) << List()->itemText(i).toStdString();
    }
    List()->setCurrentIndex(0);
    dialog.OnSelChange();
    QApplication::processEvents();
    EXPECT_TRUE(QFile::exists(SaveScreen(&dialog, "startup_dialog")));
}

TEST_F(StartupDialog, ApplicationRunsTheWindowOnce)
{
    WriteIni(kThreeEntries);
    int shown = 0;
    ModalDialogHandler previous = SetModalDialogHandler([&](QDialog& window) {
        ++shown;
        auto* dialog = dynamic_cast<CStartupDlg*>(&window);
        EXPECT_NE(dialog, nullptr);
        if (dialog == nullptr)
            return 0;
        dialog->InitDialog();
        EXPECT_EQ(dialog->LauncherFolder(), tree_.Folder());
        EXPECT_EQ(FindControl<QComboBox>(dialog, CStartupDlg::kListId)->count(), 3);
        dialog->OnCancel();
        return dialog->result();
    });
    CStartupApp app;
    EXPECT_EQ(app.InitInstance(tree_.Folder()), 0);
    SetModalDialogHandler(std::move(previous));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(StoredSelection(), 0);
}
