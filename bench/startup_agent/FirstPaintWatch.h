#pragma once

#include <functional>

#include <QObject>

class QWidget;

// Watches every event of the application for the first paint of a top-level window that is
// wanted; takes the time as that paint begins and hands the window and the time on from the
// event loop afterwards (so nothing is done inside the paint). Once only.
class FirstPaintWatch : public QObject {
public:
    using Wanted = std::function<bool(QWidget* window)>;
    using Painted = std::function<void(QWidget* window, long long atNs)>;

    FirstPaintWatch(Wanted wanted, Painted painted, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Wanted wanted_;
    Painted painted_;
    bool seen_ = false;
};
