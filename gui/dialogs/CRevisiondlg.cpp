#include "gui/dialogs/CRevisiondlg.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/PelagorFonts.h"
#include "gui/dialogs/RevisionHistory.h"

CRevisiondlg::CRevisiondlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Revision History"));
    setFixedSize(DialogUnitsRect(0, 0, 437, 242).size());

    edit_ = new QPlainTextEdit(this);
    SetControlId(edit_, kHistoryId);
    edit_->setReadOnly(true);
    // Read-only, but with a caret the keys move, as in an edit field.
    edit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);

    QPushButton* close = new QPushButton(QStringLiteral("Close"), this);
    SetControlId(close, kCloseId);
    close->setDefault(true);
    close->setFixedWidth(DialogUnitsToPixelsX(50));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    QHBoxLayout* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(edit_, 1);
    layout->addLayout(buttons);
}

CRevisiondlg::~CRevisiondlg() = default;

void CRevisiondlg::DoDataExchange(bool save)
{
    if (save)
        history_ = edit_->toPlainText();
    else
        edit_->setPlainText(history_);
}

bool CRevisiondlg::OnInitDialog()
{
    font_ = PelagorFont("Courier", 8.5);
    edit_->setFont(font_);
    edit_->setFocus(Qt::OtherFocusReason);
    history_ = RevisionHistoryText();
    DoDataExchange(false);
    return false;
}

void CRevisiondlg::showEvent(QShowEvent* event)
{
    // The dialog's window exists from its first showing on, as in DoModal.
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}
