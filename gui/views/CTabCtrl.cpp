#include "gui/views/CTabCtrl.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include "gui/ControlId.h"

CTabCtrl::CTabCtrl(QWidget* parent, int controlId) : QWidget(parent), bar_(new QTabBar(this))
{
    SetControlId(this, controlId);
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    bar_->setUsesScrollButtons(true);
    connect(bar_, &QTabBar::currentChanged, this, &CTabCtrl::selectionChanged);
}

int CTabCtrl::InsertItem(int index, const QString& caption)
{
    const int at = bar_->insertTab(index, caption);
    bar_->resize(width(), bar_->sizeHint().height());
    return at;
}

int CTabCtrl::GetItemCount() const
{
    return bar_->count();
}

int CTabCtrl::GetCurSel() const
{
    return bar_->currentIndex();
}

void CTabCtrl::SetCurSel(int index)
{
    bar_->setCurrentIndex(index);
}

int CTabCtrl::ItemHeight() const
{
    return bar_->sizeHint().height();
}

void CTabCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = QRect(0, ItemHeight() - 1, width(), height() - ItemHeight() + 1);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = bar_->sizeHint();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
}

void CTabCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    bar_->setGeometry(0, 0, width(), ItemHeight());
}
