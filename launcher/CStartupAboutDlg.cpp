#include "launcher/CStartupAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "gui/DialogUnits.h"
#include "gui/ProgramIcons.h"

namespace {

constexpr int kIconSize = 32;

QLabel* Line(const QString& text, const QRect& place, QWidget* parent)
{
    QLabel* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(place);
    return label;
}

} // namespace

CStartupAboutDlg::CStartupAboutDlg(QWidget* parent)
    : CModalDlg(parent)
{
    setWindowTitle(QStringLiteral("About Lumetra Pelagor Launcher"));
    setWindowIcon(ProgramIcon());
    setFixedSize(DialogUnitsRect(0, 0, 235, 55).size());

    QLabel* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
    icon->setGeometry(QRect(DialogUnitsRect(11, 12, 0, 0).topLeft(), QSize(kIconSize, kIconSize)));
    Line(QStringLiteral("Launcher for Lumetra Pelagor"), DialogUnitsRect(44, 12, 124, 9), this);
    Line(QStringLiteral("Copyright (C) 2024 Korvath"), DialogUnitsRect(44, 28, 124, 9), this);

    QPushButton* ok = MakeOkButton();
    ok->move(DialogUnitsRect(176, 8, 0, 0).topLeft());
}

CStartupAboutDlg::~CStartupAboutDlg() = default;
