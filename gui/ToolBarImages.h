#pragma once

#include <QIcon>
#include <QImage>

class QPainter;
class QColor;

// The toolbar's image strips by bitmap id: 16-pixel images side by side, index as in the
// button table. The first holds the normal and hot images, the second the disabled ones.
constexpr int kToolBarBitmapId = 136;
constexpr int kToolBarDisabledBitmapId = 135;
constexpr int kToolBarImageWidth = 16;
constexpr int kToolBarImageCount = 11;

// The strip of bitmap id, drawn in code on a transparent ground; null for an unknown id.
QImage ToolBarBitmap(int bitmapId);

// The toolbar's 16-pixel images, drawn in code; index as in the button table.
QIcon ToolBarImage(int index);
// The filter funnel of the toolbar and the status bar, in a 16-pixel square.
void DrawFunnel(QPainter& painter, const QColor& fill);
