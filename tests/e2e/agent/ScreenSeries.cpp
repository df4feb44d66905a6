#include "tests/e2e/agent/ScreenSeries.h"

#include <cstdio>

#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "tests/gui/ScreenShot.h"

std::string ScreenSeries::Save(QWidget* window, const std::string& name)
{
    char number[16];
    std::snprintf(number, sizeof number, "_%02d_", ++taken_);
    const std::string file = prefix_ + number + name;
    QWidget* top = window->window();
    QScreen* screen = top->screen();
    const QPixmap shown = screen != nullptr ? screen->grabWindow(top->winId()) : QPixmap();
    // A platform that cannot give back what it shows: what the widget draws now.
    if (shown.isNull())
        return SaveScreen(top, file).toStdString();
    QDir().mkpath(QStringLiteral(PELAGOR_SCREENS_DIR));
    const QString path = QStringLiteral(PELAGOR_SCREENS_DIR "/") + QString::fromStdString(file) + ".png";
    shown.save(path);
    return path.toStdString();
}
