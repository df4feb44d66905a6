#include "gui/dialogs/CModalDlg.h"

#include <QPushButton>
#include <QShowEvent>

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"

CModalDlg::CModalDlg(QWidget* parent)
    : QDialog(parent)
{
    setModal(true);
}

CModalDlg::~CModalDlg() = default;

void CModalDlg::showEvent(QShowEvent* event)
{
    // Not when the window system shows it again (restored from a minimised parent).
    if (!event->spontaneous())
        OnInitDialog();
    QDialog::showEvent(event);
}

QPushButton* CModalDlg::MakeOkButton()
{
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), this);
    SetControlId(ok, IDOK);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    ok->setFixedSize(DialogUnitsRect(0, 0, 50, 14).size());
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    return ok;
}

QPushButton* CModalDlg::MakeCancelButton()
{
    QPushButton* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetControlId(cancel, IDCANCEL);
    cancel->setAutoDefault(false);
    cancel->setFixedSize(DialogUnitsRect(0, 0, 50, 14).size());
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    return cancel;
}
