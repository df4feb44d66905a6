#include "launcher/CStartupDlg.h"

#include <utility>

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/ModalDialog.h"
#include "gui/ProgramIcons.h"
#include "launcher/CStartupAboutDlg.h"
#include "launcher/InfoText.h"
#include "launcher/LauncherPictures.h"
#include "launcher/PelagorIniFile.h"
#include "launcher/StartCommand.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* kInitialVersion = "Ver. 2.13.3";

QLabel* Label(const QString& text, const QRect& place, QWidget* parent)
{
    QLabel* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(place);
    return label;
}

QLabel* Picture(const QPixmap& pixmap, int id, const QRect& place, QWidget* parent)
{
    QLabel* picture = new QLabel(parent);
    SetControlId(picture, id);
    picture->setGeometry(place);
    picture->setPixmap(pixmap);
    return picture;
}

QPushButton* Button(const QString& text, int id, const QRect& place, QWidget* parent)
{
    QPushButton* button = new QPushButton(text, parent);
    SetControlId(button, id);
    button->setGeometry(place);
    // As in a Windows dialog: Enter presses the button that has the focus, and no other.
    button->setAutoDefault(false);
    return button;
}

} // namespace

CStartupDlg::CStartupDlg(QWidget* parent, std::string launcherFolder, RegistryProfile profile)
    : CModalDlg(parent), launcherFolder_(std::move(launcherFolder)), profile_(std::move(profile))
{
    setWindowTitle(QStringLiteral("Korvath Pelagor"));
    setWindowIcon(ProgramIcon());
    setFixedSize(DialogUnitsRect(0, 0, 320, 180).size());

    const QRect left = DialogUnitsRect(0, 0, 64, 180);
    const QRect top = DialogUnitsRect(64, 0, 256, 36);
    Picture(LauncherSidePicture(left.size()), kLeftPictureId, left, this);
    Picture(LauncherBannerPicture(top.size()), kTopPictureId, top, this);

    Label(QStringLiteral("Select Protocol and chip type:"), DialogUnitsRect(74, 44, 236, 9), this);
    list_ = new QComboBox(this);
    SetControlId(list_, kListId);
    list_->setGeometry(DialogUnitsRect(74, 54, 236, 14));
    list_->setMaxVisibleItems(12);
    connect(list_, &QComboBox::activated, this, [this] { OnSelChange(); });

    info_ = new QPlainTextEdit(this);
    SetControlId(info_, kInfoId);
    info_->setGeometry(DialogUnitsRect(74, 72, 236, 64));
    info_->setReadOnly(true);
    info_->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    Label(QStringLiteral("Click Start button to launch Pelagor:"), DialogUnitsRect(74, 143, 150, 9), this);
    start_ = Button(QStringLiteral("Start"), kStartId, DialogUnitsRect(74, 156, 50, 14), this);
    exit_ = Button(QStringLiteral("Exit"), IDCANCEL, DialogUnitsRect(130, 156, 50, 14), this);
    connect(start_, &QPushButton::clicked, this, [this] { OnStart(); });
    connect(exit_, &QPushButton::clicked, this, [this] { OnCancel(); });

    version_ = Label(QString::fromLatin1(kInitialVersion), DialogUnitsRect(206, 159, 104, 9), this);
    SetControlId(version_, kVersionId);
    version_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Linux windows have no system menu of their own: the window's context menu takes its entry.
    about_ = new QAction(QStringLiteral("&About Startup..."), this);
    SetControlId(about_, kAboutCommand);
    connect(about_, &QAction::triggered, this, [this] { OnSysCommand(kAboutCommand); });
    addAction(about_);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    reapTimer_.setInterval(kReapPeriodMs);
    connect(&reapTimer_, &QTimer::timeout, this, [this] {
        if (starter_.Reap() == 0)
            reapTimer_.stop();
    });
}

CStartupDlg::~CStartupDlg() = default;

void CStartupDlg::OnInitDialog()
{
    iniFile_ = std::make_unique<PelagorIniFile>();
    if (!iniFile_->Read(launcherFolder_ + PelagorIniFile::kDefaultFileName))
        return;
    version_->setText(QString::fromLatin1(iniFile_->GetVersion().c_str()));
    list_->clear();
    for (int index = 0; index < iniFile_->GetCount(); ++index)
        list_->addItem(QString::fromLatin1(iniFile_->GetName(index).c_str()), index);

    // A stored position the list does not have (a shorter table, a damaged value) is the first.
    int position = profile_.GetProfileInt(kSection, kSelectionEntry, 0);
    if (position < 0 || position >= list_->count())
        position = 0;
    if (list_->count() == 0)
        return;
    list_->setCurrentIndex(position);
    OnSelChange();
}

const INI_DATA_REC* CStartupDlg::SelectedEntry() const
{
    if (!iniFile_ || list_->currentIndex() < 0)
        return nullptr;
    bool isIndex = false;
    const int index = list_->currentData().toInt(&isIndex);
    return isIndex ? iniFile_->GetEntry(index) : nullptr;
}

void CStartupDlg::OnSelChange()
{
    const int position = list_->currentIndex();
    if (!iniFile_ || position < 0)
        return;
    const INI_DATA_REC* entry = SelectedEntry();
    info_->setPlainText(entry != nullptr ? QString::fromLatin1(InfoForDisplay(entry->info).c_str()) : QString());
    profile_.WriteProfileInt(kSection, kSelectionEntry, position);
}

void CStartupDlg::OnStart()
{
    const INI_DATA_REC* entry = SelectedEntry();
    if (entry == nullptr)
        return;
    const StartCommand command = StartCommand::Build(entry->parameters, launcherFolder_);
    if (!command.startable) {
        platform::ShowMessageBox(command.message, platform::MessageIcon::Stop);
        return;
    }
    if (const int code = starter_.Start(command.programPath, command.arguments, command.workingFolder); code != 0) {
        platform::ShowMessageBox(command.StartFailureText(code), platform::MessageIcon::Stop);
        return;
    }
    reapTimer_.start();
}

void CStartupDlg::OnCancel()
{
    iniFile_.reset();
    CModalDlg::OnCancel();
}

void CStartupDlg::OnSysCommand(int command)
{
    if (command == kAboutCommand)
        OnAbout();
}

void CStartupDlg::OnAbout()
{
    CStartupAboutDlg about(this);
    RunModalDialog(about);
}

void CStartupDlg::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == 0) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled())
            button->click();
        else
            OnOK();
        return;
    }
    CModalDlg::keyPressEvent(event);
}
