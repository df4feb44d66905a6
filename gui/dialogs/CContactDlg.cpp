#include "gui/dialogs/CContactDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/views/CHyperLink.h"

namespace {

// COLORREF values: blue, violet and dark blue.
constexpr uint32_t kLinkColour = 0xFF0000;
constexpr uint32_t kHoverColour = 0xFF0080;
constexpr uint32_t kVisitedColour = 0x800000;

const char kEmailAddress[] = "support@korvath.example";
const char kWebAddress[] = "www.korvath.example";

QLabel* Text(const QString& text, QWidget* parent)
{
    QLabel* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

CContactDlg::CContactDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Contact Korvath"));
    setFixedSize(DialogUnitsRect(0, 0, 168, 162).size());

    webLink_ = new CHyperLink(this);
    SetControlId(webLink_, kWebLinkId);
    emailLink_ = new CHyperLink(this);
    SetControlId(emailLink_, kEmailLinkId);

    QLabel* distributors = Text(QStringLiteral("A list of local distributors is given at our web site"), this);
    distributors->setWordWrap(true);
    QLabel* address = Text(QStringLiteral("Korvath Instruments\n"
                                          "Kelvane Wharf 7\n"
                                          "3318 Ostramel\n"
                                          "Vardenland"),
                           this);

    QGridLayout* links = new QGridLayout;
    links->setHorizontalSpacing(8);
    links->setVerticalSpacing(6);
    links->addWidget(Text(QStringLiteral("Email:"), this), 0, 0);
    links->addWidget(emailLink_, 0, 1, Qt::AlignLeft);
    links->addWidget(Text(QStringLiteral("Web site:"), this), 1, 0);
    links->addWidget(webLink_, 1, 1, Qt::AlignLeft);
    links->setColumnStretch(1, 1);

    QPushButton* close = new QPushButton(QStringLiteral("Close"), this);
    SetControlId(close, kCloseId);
    close->setDefault(true);
    close->setFixedWidth(DialogUnitsToPixelsX(50));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    QHBoxLayout* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addStretch(1);

    // The extra height is shared out between the three blocks, so none of them hangs alone.
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(9, 12, 9, 10);
    layout->setSpacing(6);
    layout->addWidget(distributors);
    layout->addStretch(1);
    layout->addWidget(Text(QStringLiteral("Korvath can be contacted at:"), this));
    layout->addWidget(address);
    layout->addStretch(1);
    layout->addLayout(links);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

CContactDlg::~CContactDlg() = default;

void CContactDlg::showEvent(QShowEvent* event)
{
    // The dialog's window exists from its first showing on, as in DoModal.
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

bool CContactDlg::OnInitDialog()
{
    const struct {
        CHyperLink* link;
        QString text;
        QString url;
    } links[] = {
        {emailLink_, QString::fromLatin1(kEmailAddress), QStringLiteral("mailto:") + QLatin1String(kEmailAddress)},
        {webLink_, QString::fromLatin1(kWebAddress), QStringLiteral("https://") + QLatin1String(kWebAddress)},
    };
    for (const auto& entry : links) {
        entry.link->SetLinkColour(kLinkColour);
        entry.link->SetHoverColour(kHoverColour);
        entry.link->SetVisitedColour(kVisitedColour);
        entry.link->SetLinkText(entry.text);
        entry.link->SetURL(entry.url);
    }
    return true;
}
