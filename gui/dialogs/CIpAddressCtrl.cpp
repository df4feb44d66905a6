#include "gui/dialogs/CIpAddressCtrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

CIpAddressCtrl::CIpAddressCtrl(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);

    QHBoxLayout* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < kFields; ++i) {
        if (i > 0) {
            QLabel* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        QLineEdit* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(digits);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (text.size() == 3 && i + 1 < kFields)
                MoveTo(i + 1, true);
        });
        fields_[static_cast<size_t>(i)] = field;
        layout->addWidget(field, 1);
    }
    setFocusProxy(fields_[0]);
    UpdateBackground();
}

CIpAddressCtrl::~CIpAddressCtrl() = default;

void CIpAddressCtrl::SetAddress(uint32_t address)
{
    for (int i = 0; i < kFields; ++i)
        Field(i)->setText(QString::number((address >> (8 * (kFields - 1 - i))) & 0xFF));
}

int CIpAddressCtrl::GetAddress(uint32_t& address) const
{
    int filled = 0;
    address = 0;
    for (int i = 0; i < kFields; ++i) {
        const int value = FieldValue(i);
        address <<= 8;
        if (value >= 0) {
            ++filled;
            address |= static_cast<uint32_t>(value & 0xFF);
        }
    }
    return filled;
}

void CIpAddressCtrl::ClearAddress()
{
    for (QLineEdit* field : fields_)
        field->clear();
}

void CIpAddressCtrl::SetRange(int field, int low, int high)
{
    if (field < 0 || field >= kFields || low < 0 || high > 255 || low > high)
        return;
    ranges_[static_cast<size_t>(field)] = Range{low, high};
    // A field that can hold one value only is not for typing into.
    QLineEdit* edit = Field(field);
    edit->setReadOnly(low == high);
    edit->setFocusPolicy(low == high ? Qt::NoFocus : Qt::StrongFocus);
}

bool CIpAddressCtrl::InRange(uint32_t address) const
{
    for (int i = 0; i < kFields; ++i) {
        const int value = static_cast<int>((address >> (8 * (kFields - 1 - i))) & 0xFF);
        if (value < ranges_[static_cast<size_t>(i)].low || value > ranges_[static_cast<size_t>(i)].high)
            return false;
    }
    return true;
}

int CIpAddressCtrl::FieldOutOfRange() const
{
    for (int i = 0; i < kFields; ++i) {
        const int value = FieldValue(i);
        if (value >= 0 && (value < ranges_[static_cast<size_t>(i)].low || value > ranges_[static_cast<size_t>(i)].high))
            return i;
    }
    return -1;
}

void CIpAddressCtrl::SetFieldFocus(int field)
{
    if (field >= 0 && field < kFields)
        MoveTo(field, true);
}

int CIpAddressCtrl::FieldValue(int field) const
{
    const QString text = Field(field)->text();
    if (text.isEmpty())
        return -1;
    return text.toInt(); // at most three digits: the validator lets nothing else in
}

void CIpAddressCtrl::MoveTo(int field, bool selectAll)
{
    QLineEdit* edit = Field(field);
    edit->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        edit->selectAll();
}

bool CIpAddressCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (int i = 0; i < kFields; ++i) {
            if (watched != Field(i))
                continue;
            if ((key->key() == Qt::Key_Period || key->key() == Qt::Key_Space) && i + 1 < kFields) {
                if (!Field(i)->text().isEmpty())
                    MoveTo(i + 1, true);
                return true;
            }
            if (key->key() == Qt::Key_Backspace && Field(i)->cursorPosition() == 0 &&
                !Field(i)->hasSelectedText() && i > 0 && Field(i - 1)->focusPolicy() != Qt::NoFocus) {
                MoveTo(i - 1, false);
                Field(i - 1)->end(false);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CIpAddressCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        UpdateBackground();
    QFrame::changeEvent(event);
}

void CIpAddressCtrl::UpdateBackground()
{
    // One surface behind the fields and dots, like a single edit box.
    setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
    for (QLineEdit* field : fields_) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, Qt::transparent);
        field->setPalette(palette);
    }
}
