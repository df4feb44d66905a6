#include "tests/e2e/agent/InkLines.h"

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {

// Darker than any background, panel or grid colour the windows use: text.
constexpr int kInk = 100;

} // namespace

int InkLines(QWidget* widget, const QRect& area)
{
    QWidget* top = widget->window();
    QScreen* screen = top->screen();
    if (screen == nullptr)
        return -1;
    const QRect shown = area.intersected(widget->rect()).translated(widget->mapTo(top, QPoint(0, 0)));
    const QImage image =
        screen->grabWindow(top->winId(), shown.x(), shown.y(), shown.width(), shown.height()).toImage();
    if (image.isNull())
        return -1;
    int lines = 0;
    bool inLine = false;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = qGray(image.pixel(x, y)) < kInk;
        if (ink && !inLine)
            ++lines;
        inLine = ink;
    }
    return lines;
}
