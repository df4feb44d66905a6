#pragma once

#include <QPixmap>
#include <QSize>

// The launcher window's two pictures, drawn in code: the strip down its left side and the
// banner across its top.
QPixmap LauncherSidePicture(QSize size);
QPixmap LauncherBannerPicture(QSize size);
