#pragma once

#include <QIcon>

class QPainter;
class QColor;

// The toolbar's 16-pixel images, drawn in code; index as in the button table.
QIcon ToolBarImage(int index);
// The filter funnel of the toolbar and the status bar, in a 16-pixel square.
void DrawFunnel(QPainter& painter, const QColor& fill);
