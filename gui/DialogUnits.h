#pragma once

#include <QRect>

// Dialog templates are laid out in dialog units of an 8-point sans-serif dialog font: four
// horizontal units are one average character width (6 pixels), eight vertical units one
// character height (13 pixels).
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);
QRect DialogUnitsRect(int x, int y, int width, int height);
