#pragma once

#include <string>

#include <QDir>
#include <QString>
#include <QWidget>

// Writes what a widget shows as a PNG file into the build's screens folder.
inline QString SaveScreen(QWidget* widget, const std::string& name)
{
    QDir().mkpath(QStringLiteral(PELAGOR_SCREENS_DIR));
    const QString path = QStringLiteral(PELAGOR_SCREENS_DIR "/") + QString::fromStdString(name) + ".png";
    widget->grab().save(path);
    return path;
}
