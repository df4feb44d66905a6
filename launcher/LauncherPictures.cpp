#include "launcher/LauncherPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "gui/PelagorFonts.h"

namespace {

const QColor kDeepSea(0x0B, 0x2A, 0x55);
const QColor kSea(0x1E, 0x5A, 0xA8);
const QColor kSail(0xF2, 0xC1, 0x4E);

// A row of waves from x0 to x1 around height y.
void DrawWaves(QPainter& painter, qreal x0, qreal x1, qreal y, qreal amplitude, qreal length)
{
    QPainterPath wave;
    wave.moveTo(x0, y);
    for (qreal x = x0; x < x1; x += length)
        wave.cubicTo(x + length / 4, y - amplitude, x + length / 4 * 3, y + amplitude, x + length, y);
    painter.drawPath(wave);
}

// Radio arcs spreading up from (x, y).
void DrawRadioArcs(QPainter& painter, qreal x, qreal y, qreal step, int count)
{
    for (int i = 1; i <= count; ++i) {
        const qreal r = step * i;
        painter.drawArc(QRectF(x - r, y - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
}

} // namespace

QPixmap LauncherSidePicture(QSize size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();

    QLinearGradient sea(0, 0, 0, h);
    sea.setColorAt(0, kSea);
    sea.setColorAt(1, kDeepSea);
    painter.fillRect(QRectF(0, 0, w, h), sea);

    // A sail on the sea, as on the program's icon, sending from its masthead.
    const qreal seaLevel = h * 0.80;
    const qreal mastX = w * 0.40;
    const qreal mastTop = seaLevel - h * 0.42;
    painter.setPen(QPen(QColor(0xE8, 0xE8, 0xE8), 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(mastX, seaLevel - h * 0.01), QPointF(mastX, mastTop));
    QPainterPath sail;
    sail.moveTo(mastX + 2, mastTop + h * 0.01);
    sail.cubicTo(mastX + w * 0.26, mastTop + h * 0.12, mastX + w * 0.40, mastTop + h * 0.28,
                 mastX + w * 0.44, seaLevel - h * 0.04);
    sail.lineTo(mastX + 2, seaLevel - h * 0.04);
    sail.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSail);
    painter.drawPath(sail);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 170), 1.6, Qt::SolidLine, Qt::RoundCap));
    DrawRadioArcs(painter, mastX, mastTop, w * 0.09, 3);

    for (int row = 0; row < 4; ++row) {
        painter.setPen(QPen(QColor(255, 255, 255, 220 - row * 45), 2.0, Qt::SolidLine, Qt::RoundCap));
        DrawWaves(painter, -w * 0.1, w * 1.1, seaLevel + row * h * 0.045, h * 0.012, w * 0.30);
    }
    return pixmap;
}

QPixmap LauncherBannerPicture(QSize size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal w = size.width();
    const qreal h = size.height();

    QLinearGradient sky(0, 0, w, 0);
    sky.setColorAt(0, kSea);
    sky.setColorAt(1, kDeepSea);
    painter.fillRect(QRectF(0, 0, w, h), sky);

    painter.setPen(QPen(QColor(255, 255, 255, 60), 1.5));
    for (int row = 0; row < 3; ++row)
        DrawWaves(painter, w * 0.55, w, h * (0.45 + row * 0.2), h * 0.06, w * 0.09);

    const qreal margin = h * 0.22;
    painter.setPen(Qt::white);
    painter.setFont(PelagorPixelFont("Arial Bold", static_cast<int>(h * 0.40)));
    painter.drawText(QRectF(margin, 0, w - margin, h * 0.62), Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("Korvath Pelagor"));
    painter.setPen(kSail);
    painter.setFont(PelagorPixelFont("Arial", static_cast<int>(h * 0.21)));
    painter.drawText(QRectF(margin, h * 0.62, w - margin, h * 0.34), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Packet capture for low-power radio networks"));
    return pixmap;
}
