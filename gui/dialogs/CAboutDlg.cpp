#include "gui/dialogs/CAboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/PelagorFonts.h"
#include "gui/ProgramIcons.h"

namespace {

constexpr int kIconSize = 32;

QLabel* Paragraph(const QString& text, QWidget* parent)
{
    QLabel* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Marlinex"));
    const QPixmap icon = ProgramIcon().pixmap(kIconSize, kIconSize);
    setFixedSize(DialogUnitsRect(0, 0, 268, 181).size());

    QLabel* iconLabel = new QLabel(this);
    iconLabel->setPixmap(icon);
    iconLabel->setFixedSize(kIconSize, kIconSize);
    QLabel* product = new QLabel(QStringLiteral("Lumetra Pelagor"), this);
    product->setFont(PelagorFont("Arial Bold", 12));

    QHBoxLayout* title = new QHBoxLayout;
    title->setSpacing(10);
    title->addWidget(iconLabel);
    title->addWidget(product, 1);

    QPushButton* close = new QPushButton(QStringLiteral("Close"), this);
    SetControlId(close, kCloseId);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    // Who and where, then the terms, then the maker: the spare height goes between the groups.
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(6);
    layout->addLayout(title);
    layout->addStretch(1);
    layout->addWidget(Paragraph(
        QStringLiteral("Marlinex is made by Korvath, the maker of the Kestrix, Trennic and "
                       "Dalvor capture boards, the QZ radio chips and their development tools."),
        this));
    layout->addWidget(Paragraph(
        QStringLiteral("Contact Korvath or visit www.korvath.example for updates and support."),
        this));
    layout->addStretch(1);
    layout->addWidget(Paragraph(
        QStringLiteral("Marlinex may be copied and passed on free of charge, provided it is "
                       "passed on unchanged and together with this notice."),
        this));
    layout->addWidget(Paragraph(
        QStringLiteral("The program is provided \"as is\", without warranty of any kind, "
                       "express or implied, including fitness for a particular purpose."),
        this));
    layout->addWidget(Paragraph(
        QStringLiteral("In no event shall Korvath be liable for any damage arising from the "
                       "use of, or the inability to use, this program."),
        this));
    layout->addStretch(1);
    layout->addWidget(Paragraph(QStringLiteral("Copyright (C) Korvath. All rights reserved."), this));
    layout->addSpacing(4);
    layout->addWidget(close);
}

CAboutDlg::~CAboutDlg() = default;
