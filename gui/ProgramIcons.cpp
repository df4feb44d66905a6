#include "gui/ProgramIcons.h"

#include "gui/ToolBarImages.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A marlin's sail over a radio wave.
QPixmap DrawProgramIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    QLinearGradient sea(0, 0, 0, 32);
    sea.setColorAt(0, QColor(0x1E, 0x5A, 0xA8));
    sea.setColorAt(1, QColor(0x0B, 0x2A, 0x55));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sea);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);

    QPainterPath sail;
    sail.moveTo(7, 21);
    sail.cubicTo(9, 12, 15, 6, 24, 5);
    sail.cubicTo(20, 10, 19, 16, 20, 21);
    sail.closeSubpath();
    painter.setBrush(QColor(0xF2, 0xC1, 0x4E));
    painter.drawPath(sail);

    QPainterPath wave;
    wave.moveTo(4, 25);
    wave.cubicTo(8, 21, 12, 29, 16, 25);
    wave.cubicTo(20, 21, 24, 29, 28, 25);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(wave);
    return pixmap;
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addPixmap(DrawProgramIcon(size));
    return icon;
}

QIcon FilterIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    DrawFunnel(painter, QColor(240, 170, 40));
    painter.end();
    return QIcon(pixmap);
}
