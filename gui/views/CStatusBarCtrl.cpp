#include "gui/views/CStatusBarCtrl.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

// A part of a given width that, like a part of a native status bar, never makes the window
// wider: when the window is narrower than its parts, they are cut at the right.
class PartBox : public QWidget {
public:
    explicit PartBox(QWidget* parent) : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    }
    void SetWidth(int width)
    {
        width_ = width;
        updateGeometry();
    }
    QSize sizeHint() const override { return {width_, QWidget::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, QWidget::minimumSizeHint().height()}; }

private:
    int width_ = 0;
};

} // namespace

CStatusBarCtrl::CStatusBarCtrl(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
}

void CStatusBarCtrl::SetParts(const std::vector<int>& rightEdges, const std::vector<QString>& widestTexts)
{
    constexpr int kIconRoom = 16 + 2;
    constexpr int kFrameRoom = 8;
    for (const Part& part : parts_)
        delete part.box;
    parts_.clear();
    int left = 0;
    int shift = 0;
    for (size_t i = 0; i < rightEdges.size(); ++i) {
        const int right = rightEdges[i] < 0 ? -1 : rightEdges[i] + shift;
        auto* box = new PartBox(this);
        auto* layout = new QHBoxLayout(box);
        layout->setSizeConstraint(QLayout::SetNoConstraint);
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
            int width = right - left;
            if (i < widestTexts.size() && !widestTexts[i].isEmpty()) {
                const int needed = kIconRoom + text->fontMetrics().horizontalAdvance(widestTexts[i]) + kFrameRoom;
                if (needed > width) {
                    shift += needed - width;
                    width = needed;
                }
            }
            box->SetWidth(width);
            addWidget(box);
            left += width;
        } else {
            box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            box->SetWidth(60);
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
