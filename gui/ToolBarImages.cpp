#include "gui/ToolBarImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRgb>

namespace {

void DrawImage(QPainter& p, int index)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink(40, 40, 40);
    switch (index) {
    case 0: { // reset: a sheet with a red cross
        p.setPen(ink);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 10, 13));
        p.setPen(QPen(QColor(200, 30, 30), 2));
        p.drawLine(QPointF(8, 8), QPointF(14, 14));
        p.drawLine(QPointF(14, 8), QPointF(8, 14));
        break;
    }
    case 1: { // open: a folder
        p.setPen(QColor(150, 110, 20));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    }
    case 2: { // save: a disk
        p.setPen(ink);
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        break;
    }
    case 3: { // tabs: a window with its tab row
        p.setPen(ink);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 5.5, 13, 9));
        p.setBrush(QColor(120, 160, 220));
        p.drawRect(QRectF(1.5, 2.5, 5, 3));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(6.5, 2.5, 5, 3));
        break;
    }
    case 4: { // start
        QPainterPath path;
        path.moveTo(4, 2);
        path.lineTo(14, 8);
        path.lineTo(4, 14);
        path.closeSubpath();
        p.setPen(QColor(20, 110, 20));
        p.setBrush(QColor(50, 180, 50));
        p.drawPath(path);
        break;
    }
    case 5: // pause
        p.setPen(QColor(20, 60, 140));
        p.setBrush(QColor(60, 110, 210));
        p.drawRect(QRectF(3.5, 2.5, 3, 11));
        p.drawRect(QRectF(9.5, 2.5, 3, 11));
        break;
    case 6: { // flush on start: a bin
        p.setPen(ink);
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(QRectF(3.5, 4.5, 9, 10));
        p.drawLine(QPointF(2, 3.5), QPointF(14, 3.5));
        p.drawLine(QPointF(6, 1.5), QPointF(10, 1.5));
        p.drawLine(QPointF(6.5, 6), QPointF(6.5, 13));
        p.drawLine(QPointF(9.5, 6), QPointF(9.5, 13));
        break;
    }
    case 7: { // auto-scroll: an arrow down to a line
        p.setPen(QPen(QColor(20, 90, 160), 2));
        p.drawLine(QPointF(8, 2), QPointF(8, 11));
        p.drawLine(QPointF(4, 7), QPointF(8, 11));
        p.drawLine(QPointF(12, 7), QPointF(8, 11));
        p.drawLine(QPointF(2, 14), QPointF(14, 14));
        break;
    }
    case 8: { // small font
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(13);
        font.setBold(true);
        p.setFont(font);
        p.setPen(ink);
        p.drawText(QRect(0, 0, 10, 16), Qt::AlignCenter, QStringLiteral("A"));
        font.setPixelSize(8);
        p.setFont(font);
        p.drawText(QRect(9, 5, 7, 11), Qt::AlignCenter, QStringLiteral("a"));
        break;
    }
    case 9:
    case 10: { // hardware filters: a funnel with F or I
        DrawFunnel(p, QColor(150, 150, 220));
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(9);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(180, 20, 20));
        p.drawText(QRect(9, 7, 7, 9), Qt::AlignCenter, index == 9 ? QStringLiteral("F") : QStringLiteral("I"));
        break;
    }
    default:
        break;
    }
}

} // namespace

void DrawFunnel(QPainter& painter, const QColor& fill)
{
    QPainterPath funnel;
    funnel.moveTo(1.5, 2.5);
    funnel.lineTo(12.5, 2.5);
    funnel.lineTo(8.5, 8.5);
    funnel.lineTo(8.5, 14.5);
    funnel.lineTo(5.5, 12.5);
    funnel.lineTo(5.5, 8.5);
    funnel.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QColor(30, 30, 30));
    painter.setBrush(fill);
    painter.drawPath(funnel);
}

QIcon ToolBarImage(int index)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        DrawImage(painter, index);
    }
    return QIcon(pixmap);
}

namespace {

// A disabled button: its image in light grey, darker lines staying a little darker.
QImage Greyed(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int grey = 120 + qGray(line[x]) * 100 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 3 / 4);
        }
    }
    return out;
}

} // namespace

QImage ToolBarBitmap(int bitmapId)
{
    if (bitmapId != kToolBarBitmapId && bitmapId != kToolBarDisabledBitmapId)
        return {};
    QImage strip(kToolBarImageWidth * kToolBarImageCount, kToolBarImageWidth, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        for (int index = 0; index < kToolBarImageCount; ++index) {
            painter.save();
            painter.translate(index * kToolBarImageWidth, 0);
            painter.setClipRect(0, 0, kToolBarImageWidth, kToolBarImageWidth);
            DrawImage(painter, index);
            painter.restore();
        }
    }
    return bitmapId == kToolBarDisabledBitmapId ? Greyed(strip) : strip;
}
