#include "bench/startup_agent/FirstPaintWatch.h"

#include <utility>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "bench/startup_agent/StartupTimeReport.h"

FirstPaintWatch::FirstPaintWatch(Wanted wanted, Painted painted, QObject* parent)
    : QObject(parent), wanted_(std::move(wanted)), painted_(std::move(painted))
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool FirstPaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (seen_ || event->type() != QEvent::Paint || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    const long long at = startupbench::MonotonicNs();
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow() || !wanted_(widget))
        return QObject::eventFilter(watched, event);
    seen_ = true;
    QCoreApplication::instance()->removeEventFilter(this);
    QTimer::singleShot(0, this, [this, window = QPointer<QWidget>(widget), at] {
        if (window != nullptr)
            painted_(window, at);
    });
    return QObject::eventFilter(watched, event);
}
