#include "gui/dialogs/CSettingEditDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"

CSettingEditDlg::CSettingEditDlg(QWidget* parent, const QString& title, std::initializer_list<QString> texts,
                                 const QString& label, const QString& unit, int widthUnits)
    : CModalDlg(parent)
{
    setWindowTitle(title);

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DialogUnitsToPixelsX(7), DialogUnitsToPixelsY(7), DialogUnitsToPixelsX(7),
                               DialogUnitsToPixelsY(7));
    layout->setSpacing(DialogUnitsToPixelsY(4));
    for (const QString& text : texts) {
        QLabel* paragraph = new QLabel(text, this);
        paragraph->setTextFormat(Qt::PlainText);
        paragraph->setWordWrap(true);
        layout->addWidget(paragraph);
    }

    edit_ = new QLineEdit(this);
    SetControlId(edit_, kEditId);
    edit_->setMaxLength(kTextLimit);
    edit_->setFixedSize(DialogUnitsRect(0, 0, 60, 14).size());
    QHBoxLayout* row = new QHBoxLayout;
    row->setSpacing(DialogUnitsToPixelsX(3));
    if (!label.isEmpty())
        row->addWidget(new QLabel(label, this));
    row->addWidget(edit_);
    if (!unit.isEmpty())
        row->addWidget(new QLabel(unit, this));
    row->addStretch(1);
    layout->addSpacing(DialogUnitsToPixelsY(2));
    layout->addLayout(row);
    layout->addStretch(1);

    QHBoxLayout* buttons = new QHBoxLayout;
    buttons->setSpacing(DialogUnitsToPixelsX(6));
    buttons->addStretch(1);
    buttons->addWidget(MakeOkButton());
    buttons->addWidget(MakeCancelButton());
    layout->addLayout(buttons);

    // Wide as given, high as the wrapped texts need.
    const int width = DialogUnitsToPixelsX(widthUnits);
    setFixedSize(width, layout->totalHeightForWidth(width));
}

CSettingEditDlg::~CSettingEditDlg() = default;

void CSettingEditDlg::FocusEdit()
{
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
}
