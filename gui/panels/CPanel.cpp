#include "gui/panels/CPanel.h"

#include <QKeyEvent>

#include "gui/ControlId.h"

CPanel::CPanel(QWidget* parent, int dialogId) : QWidget(parent), dialogId_(dialogId)
{
    SetControlId(this, dialogId);
    setAutoFillBackground(true);
}

void CPanel::keyPressEvent(QKeyEvent* event)
{
    // Swallowed: a panel has no default button and never closes.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
