#include "gui/views/HelpTip.h"

#include <QCoreApplication>
#include <QEvent>
#include <QRect>
#include <QWidget>

#include "gui/views/CToolTipCtrlEx.h"

HelpTip::HelpTip(QWidget* owner) : owner_(owner), tip_(std::make_unique<CToolTipCtrlEx>())
{
    tip_->Create(owner);
    // Keys and clicks go to whichever widget of the panel has them, and widgets come and go:
    // the application's filter sees them all before the widgets do, with the receiver as
    // watched object. The moves and leaves of the controls come the same way.
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

HelpTip::~HelpTip()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

void HelpTip::Add(QWidget* control, const QString& text, int width)
{
    if (control == nullptr)
        return;
    entries_.push_back({control, text, width});
    // Hover events come without mouse tracking, so the controls' own mouse handling stays.
    QList<QWidget*> parts = control->findChildren<QWidget*>();
    parts.prepend(control);
    for (QWidget* part : parts)
        part->setAttribute(Qt::WA_Hover);
}

QString HelpTip::TextOf(const QWidget* control) const
{
    for (const Entry& entry : entries_)
        if (entry.control == control)
            return entry.text;
    return {};
}

const HelpTip::Entry* HelpTip::EntryOf(const QObject* object) const
{
    for (; object != nullptr; object = object->parent()) {
        for (const Entry& entry : entries_)
            if (entry.control == object)
                return &entry;
        if (object == owner_ || (object->isWidgetType() && static_cast<const QWidget*>(object)->isWindow()))
            return nullptr;
    }
    return nullptr;
}

bool HelpTip::InOwner(const QObject* object) const
{
    if (owner_ == nullptr || object == nullptr || !object->isWidgetType())
        return false;
    const QWidget* widget = static_cast<const QWidget*>(object);
    return widget == owner_ || owner_->isAncestorOf(widget);
}

void HelpTip::OnMouseOver(const Entry& entry)
{
    QWidget* control = entry.control;
    if (control == tip_->SuppressedControl()) {
        tip_->HideTip();
    } else if (!tip_->isVisible() || control != tip_->CurrentControl()) {
        const QPoint cursor = tip_->CursorPos();
        tip_->HideTip();
        tip_->ShowTip(control, cursor.x(), cursor.y(), entry.text, entry.width);
        tip_->SetSuppressedControl(nullptr);
    }
    tip_->SetCurrentControl(control);
}

void HelpTip::OnMouseLeft(const Entry& entry)
{
    QWidget* control = entry.control;
    // Leaving a part of the control for another part, or for the tip above it, is no leave.
    const QRect area(control->mapToGlobal(QPoint(0, 0)), control->size());
    const QPoint cursor = tip_->CursorPos();
    if (area.contains(cursor) && control->isVisible())
        return;
    tip_->SetSuppressedControl(nullptr);
    if (control == tip_->CurrentControl())
        tip_->HideTip();
}

void HelpTip::OnKeyOrClick(const QObject* receiver)
{
    if (InOwner(receiver)) {
        tip_->SetSuppressedControl(tip_->CurrentControl());
        tip_->HideTip();
    } else if (receiver != tip_.get() && tip_->isVisible()) {
        tip_->HideTip();
    }
}

bool HelpTip::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::MouseMove:
        if (const Entry* entry = EntryOf(watched); entry != nullptr && entry->control->isVisible())
            OnMouseOver(*entry);
        break;
    case QEvent::Leave:
    case QEvent::HoverLeave:
        if (const Entry* entry = EntryOf(watched))
            OnMouseLeft(*entry);
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        OnKeyOrClick(watched);
        break;
    case QEvent::Hide:
        // A tab switch hides the panel; the tip goes with it.
        if (watched == owner_ || (watched == tip_->CurrentControl() && watched != nullptr))
            tip_->HideTip();
        break;
    default:
        break;
    }
    return false;
}
