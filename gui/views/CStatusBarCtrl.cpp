#include "gui/views/CStatusBarCtrl.h"

#include <QHBoxLayout>
#include <QLabel>

CStatusBarCtrl::CStatusBarCtrl(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
}

void CStatusBarCtrl::SetParts(const std::vector<int>& rightEdges)
{
    for (const Part& part : parts_)
        delete part.box;
    parts_.clear();
    int left = 0;
    for (const int right : rightEdges) {
        auto* box = new QWidget(this);
        auto* layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        auto* icon = new QLabel(box);
        icon->setFixedSize(16, 16);
        icon->hide();
        auto* text = new QLabel(box);
        text->setTextFormat(Qt::PlainText);
        layout->addWidget(icon);
        layout->addWidget(text, 1);
        if (right >= 0) {
            box->setFixedWidth(right - left);
            addWidget(box);
            left = right;
        } else {
            box->setMinimumWidth(60);
            addWidget(box, 1);
        }
        parts_.push_back(Part{box, icon, text});
    }
}

void CStatusBarCtrl::SetText(int part, const QString& text)
{
    if (part >= 0 && part < PartCount())
        parts_[part].text->setText(text);
}

QString CStatusBarCtrl::Text(int part) const
{
    return part >= 0 && part < PartCount() ? parts_[part].text->text() : QString();
}

void CStatusBarCtrl::SetIcon(int part, const QIcon& icon)
{
    if (part < 0 || part >= PartCount())
        return;
    if (icon.isNull()) {
        parts_[part].icon->clear();
        parts_[part].icon->hide();
    } else {
        parts_[part].icon->setPixmap(icon.pixmap(16, 16));
        parts_[part].icon->show();
    }
}

bool CStatusBarCtrl::HasIcon(int part) const
{
    return part >= 0 && part < PartCount() && !parts_[part].icon->isHidden();
}

void CStatusBarCtrl::SetTipText(int part, const QString& text)
{
    if (part >= 0 && part < PartCount())
        parts_[part].box->setToolTip(text);
}
