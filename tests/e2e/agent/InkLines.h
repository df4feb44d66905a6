#pragma once

class QWidget;
class QRect;

// The lines of text the display shows in area of widget (widget coordinates): runs of pixel
// rows that hold dark pixels, told apart by rows that hold none. -1 when nothing can be read
// back from the display.
int InkLines(QWidget* widget, const QRect& area);
