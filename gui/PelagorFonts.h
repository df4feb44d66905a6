#pragma once

#include <QFont>

// The fonts the windows are drawn with: "Arial", "Arial Bold" and "MS Sans Serif" map to
// Liberation Sans, "Courier New" and "Courier" to Liberation Mono, which share their metrics.
// Sizes are pixel sizes of a 96-dpi screen, since the layouts are in pixels.
QFont PelagorFont(const char* name, double points);
// The same for a height in pixels, as the views give it.
QFont PelagorPixelFont(const char* name, int pixels);
int PointsToPixels(double points);
