#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "gui/ColorRef.h"
#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/OpenUrl.h"
#include "gui/ProgramIcons.h"
#include "gui/dialogs/CAboutDlg.h"
#include "gui/dialogs/CContactDlg.h"
#include "gui/dialogs/CRevisiondlg.h"
#include "gui/dialogs/RevisionHistory.h"
#include "gui/views/CHyperLink.h"
#include "tests/gui/ScreenShot.h"

namespace {

struct DialogCase {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
    std::function<int(QDialog*)> doModal;
    const char* caption;
    int widthUnits;
    int heightUnits;
};

void PrintTo(const DialogCase& dialogCase, std::ostream* out)
{
    *out << dialogCase.name;
}

template <typename T>
DialogCase Case(const char* name, const char* caption, int widthUnits, int heightUnits)
{
    return {name, [] { return std::make_unique<T>(); },
            [](QDialog* dialog) { return static_cast<T*>(dialog)->DoModal(); }, caption, widthUnits,
            heightUnits};
}

const DialogCase kDialogs[] = {
    Case<CAboutDlg>("About", "About Marlinex", 268, 181),
    Case<CContactDlg>("Contact", "Contact Korvath", 168, 162),
    Case<CRevisiondlg>("Revision", "Revision History", 437, 242),
};

// Every text the dialog shows, links and the history included.
QStringList ShownTexts(const QDialog& dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text() << label->toolTip();
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        texts << button->text();
    for (const QPlainTextEdit* edit : dialog.findChildren<QPlainTextEdit*>())
        texts << edit->toPlainText();
    return texts;
}

std::unique_ptr<QDialog> Shown(const DialogCase& dialogCase)
{
    std::unique_ptr<QDialog> dialog = dialogCase.make();
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    return dialog;
}

class HelpDialogsTest : public testing::TestWithParam<DialogCase> {
protected:
    void SetUp() override
    {
        previous_ = SetOpenUrlHandler([this](const QString& address) {
            opened_ << address;
            return true;
        });
    }
    void TearDown() override { SetOpenUrlHandler(previous_); }

    QStringList opened_;
    OpenUrlHandler previous_;
};

TEST_P(HelpDialogsTest, CaptionAndSize)
{
    const std::unique_ptr<QDialog> dialog = Shown(GetParam());
    EXPECT_EQ(dialog->windowTitle(), QString::fromLatin1(GetParam().caption));
    const QSize expected(DialogUnitsToPixelsX(GetParam().widthUnits), DialogUnitsToPixelsY(GetParam().heightUnits));
    EXPECT_EQ(dialog->size(), expected);
    // Fixed: the user cannot drag it into another size.
    EXPECT_EQ(dialog->minimumSize(), expected);
    EXPECT_EQ(dialog->maximumSize(), expected);
    SaveScreen(dialog.get(), std::string("HelpDialog-") + GetParam().name);
}

TEST_P(HelpDialogsTest, CloseEndsTheDialogWithOne)
{
    const std::unique_ptr<QDialog> dialog = GetParam().make();
    QPushButton* close = FindControl<QPushButton>(dialog.get(), 1);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    QTimer::singleShot(0, dialog.get(), [&dialog, close] {
        if (dialog->isVisible())
            close->click();
    });
    EXPECT_EQ(GetParam().doModal(dialog.get()), 1);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_P(HelpDialogsTest, TextsAreNotClippedAndDoNotOverlap)
{
    const std::unique_ptr<QDialog> dialog = Shown(GetParam());
    const QRect inside = dialog->rect();
    QList<QWidget*> shown;
    for (QWidget* widget : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!widget->isVisible())
            continue;
        shown << widget;
        SCOPED_TRACE(widget->metaObject()->className() + (": " + widget->objectName()).toStdString());
        EXPECT_TRUE(inside.contains(widget->geometry()));
        if (QLabel* label = qobject_cast<QLabel*>(widget)) {
            if (label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
            } else {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
                EXPECT_GE(label->height(), label->sizeHint().height()) << label->text().toStdString();
            }
        } else if (QPushButton* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 16);
            EXPECT_GE(button->height(), button->fontMetrics().height() + 6);
        }
    }
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                << shown[i]->objectName().toStdString() << " / " << shown[j]->objectName().toStdString();
}

TEST_P(HelpDialogsTest, NamesOnlyExampleDomains)
{
    const std::unique_ptr<QDialog> dialog = Shown(GetParam());
    // Host names and mail domains: letters, digits and dots ending in a top-level name.
    const QRegularExpression host(QStringLiteral(R"(\b(?:[a-z0-9-]+\.)+[a-z]{2,}\b)"),
                                  QRegularExpression::CaseInsensitiveOption);
    for (const QString& text : ShownTexts(*dialog)) {
        for (auto match = host.globalMatch(text); match.hasNext();) {
            const QString name = match.next().captured();
            EXPECT_TRUE(name.endsWith(QStringLiteral(".example"))) << name.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Help, HelpDialogsTest, testing::ValuesIn(kDialogs),
                         [](const testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

// The one label of the dialog that shows a picture.
QImage AboutIcon(const CAboutDlg& dialog)
{
    QImage icon;
    int icons = 0;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) {
            icon = label->pixmap().toImage();
            ++icons;
        }
    }
    EXPECT_EQ(icons, 1);
    return icon;
}

TEST(AboutDlgTest, ShowsTheProductLine)
{
    CAboutDlg dialog;
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Lumetra Pelagor")));
}

TEST(AboutDlgTest, ShowsTheProgramIcon)
{
    const CAboutDlg dialog;
    const QImage shown = AboutIcon(dialog).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(32, 32));
    EXPECT_EQ(shown, ProgramIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32));
}

class ContactDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = SetOpenUrlHandler([this](const QString& address) {
            opened_ << address;
            return true;
        });
        dialog_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    }
    void TearDown() override { SetOpenUrlHandler(previous_); }

    CContactDlg dialog_;
    QStringList opened_;
    OpenUrlHandler previous_;
};

TEST_F(ContactDlgTest, ShowsTheFixedTexts)
{
    QStringList texts;
    for (const QLabel* label : dialog_.findChildren<QLabel*>())
        texts << label->text();
    for (const char* text : {"A list of local distributors is given at our web site", "Korvath can be contacted at:",
                             "Email:", "Web site:"})
        EXPECT_TRUE(texts.contains(QString::fromLatin1(text))) << text;
}

TEST_F(ContactDlgTest, LinksOpenTheirAddressesInTheirColours)
{
    struct LinkCase {
        int id;
        const char* text;
        const char* url;
    };
    const LinkCase cases[] = {
        {1057, "support@korvath.example", "mailto:support@korvath.example"},
        {1059, "www.korvath.example", "https://www.korvath.example"},
    };
    for (const LinkCase& linkCase : cases) {
        SCOPED_TRACE(linkCase.id);
        CHyperLink* link = FindControl<CHyperLink>(&dialog_, linkCase.id);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->text(), QString::fromLatin1(linkCase.text));
        EXPECT_EQ(link->GetURL(), QString::fromLatin1(linkCase.url));

        auto shown = [link] { return ColorRefFromColor(link->palette().color(QPalette::WindowText)); };
        EXPECT_EQ(shown(), 0xFF0000u);
        QTest::mouseMove(&dialog_, link->mapTo(&dialog_, link->rect().center()));
        QTRY_VERIFY(link->IsHovering());
        EXPECT_EQ(shown(), 0xFF0080u);
        opened_.clear();
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, link->rect().center());
        EXPECT_EQ(opened_, QStringList{QString::fromLatin1(linkCase.url)});
        EXPECT_EQ(shown(), 0x800000u);
        QTest::mouseMove(&dialog_, QPoint(2, 2));
        QTRY_VERIFY(!link->IsHovering());
        EXPECT_EQ(shown(), 0x800000u);
    }
    SaveScreen(&dialog_, "HelpDialog-Contact-visited");
}

class RevisionDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        dialog_.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
        edit_ = FindControl<QPlainTextEdit>(&dialog_, 1032);
        ASSERT_NE(edit_, nullptr);
    }

    QStringList Lines() const { return edit_->toPlainText().split(QLatin1Char('\n')); }

    CRevisiondlg dialog_;
    QPlainTextEdit* edit_ = nullptr;
};

TEST_F(RevisionDlgTest, OpensWithTheCaretInTheText)
{
    EXPECT_EQ(QApplication::focusWidget(), edit_);
    EXPECT_TRUE(edit_->isReadOnly());
    EXPECT_TRUE(edit_->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    EXPECT_EQ(edit_->textCursor().position(), 0);
    // The keys move the caret although the text cannot be changed.
    QTest::keyClick(edit_, Qt::Key_Down);
    EXPECT_GT(edit_->textCursor().position(), 0);
    QTest::keyClicks(edit_, QStringLiteral("xyz"));
    EXPECT_EQ(edit_->toPlainText(), RevisionHistoryText());
}

TEST_F(RevisionDlgTest, ShowsTheHistoryInTheMappedCourierFont)
{
    const QFontInfo shown(edit_->font());
    EXPECT_EQ(shown.family(), QStringLiteral("Liberation Mono"));
    // 8.5 points on a 96-dpi screen.
    EXPECT_EQ(edit_->font().pixelSize(), 11);
    EXPECT_EQ(edit_->toPlainText(), RevisionHistoryText());
    EXPECT_EQ(dialog_.GetHistory(), RevisionHistoryText());
    // Nothing is cut off at the right.
    EXPECT_EQ(edit_->horizontalScrollBar()->maximum(), 0);
}

TEST_F(RevisionDlgTest, HistoryLinesAreHeadersOrChanges)
{
    const QRegularExpression header(QStringLiteral(R"(^( *)<< Marlinex (\d+)\.(\d+)\.(\d+)\.(\d+) >>$)"));
    const QStringList lines = Lines();
    ASSERT_GT(lines.size(), 10);
    EXPECT_TRUE(header.match(lines.first()).hasMatch()) << lines.first().toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("- FIRST RELEASE!"));

    QList<int> previous;
    int changesUnderHeader = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        SCOPED_TRACE(line.toStdString());
        EXPECT_LE(line.size(), kRevisionHistoryColumns);
        EXPECT_FALSE(line.endsWith(QLatin1Char(' ')));
        const QRegularExpressionMatch match = header.match(line);
        if (match.hasMatch()) {
            // Centred, and every version older than the one above it.
            const int title = static_cast<int>(line.size() - match.capturedLength(1));
            EXPECT_LE(std::abs(2 * match.capturedLength(1) + title - kRevisionHistoryColumns), 1);
            QList<int> version;
            for (int part = 2; part <= 5; ++part)
                version << match.captured(part).toInt();
            if (!previous.isEmpty()) {
                EXPECT_LT(version, previous);
            }
            previous = version;
            EXPECT_NE(changesUnderHeader, 0) << "a version without changes above";
            changesUnderHeader = 0;
            continue;
        }
        if (line.isEmpty())
            continue;
        if (i == lines.size() - 1 && line == QStringLiteral("- FIRST RELEASE!")) {
            ++changesUnderHeader;
            continue;
        }
        const bool change = line.startsWith(QStringLiteral("- ADD     : ")) || line.startsWith(QStringLiteral("- BUG FIX : ")) ||
                            line.startsWith(QStringLiteral("- CHANGE  : ")) || line.startsWith(QStringLiteral("- NEW     : "));
        const bool continuation = line.startsWith(QString(12, QLatin1Char(' '))) && line.at(12) != QLatin1Char(' ');
        EXPECT_TRUE(change || continuation);
        // A continuation follows a change or another continuation.
        if (continuation) {
            EXPECT_FALSE(lines[i - 1].isEmpty() || header.match(lines[i - 1]).hasMatch());
        }
        if (change)
            ++changesUnderHeader;
    }
    EXPECT_GT(changesUnderHeader, 0);
}

TEST_F(RevisionDlgTest, DataExchangeReadsTheControlBack)
{
    edit_->setPlainText(QStringLiteral("edited"));
    dialog_.DoDataExchange(true);
    EXPECT_EQ(dialog_.GetHistory(), QStringLiteral("edited"));
}

} // namespace
