#pragma once

#include <string>

class QWidget;

// The screens of one program's road, numbered in the order they are taken:
// <prefix>_<NN>_<name>.png in the build's screens folder. A screen is what the display shows
// of the window (its last painted state, as a user sees it); a rendering of the widget would
// paint it anew, rows the window has not drawn yet among them.
class ScreenSeries {
public:
    explicit ScreenSeries(std::string prefix) : prefix_(std::move(prefix)) {}

    // The path written.
    std::string Save(QWidget* window, const std::string& name);

private:
    std::string prefix_;
    int taken_ = 0;
};
