#include "gui/PelagorFonts.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

QFont MappedFont(const char* name)
{
    const bool mono = std::strncmp(name, "Courier", 7) == 0;
    QFont font(mono ? QStringLiteral("Liberation Mono") : QStringLiteral("Liberation Sans"));
    font.setStyleHint(mono ? QFont::Monospace : QFont::SansSerif);
    font.setBold(std::strstr(name, "Bold") != nullptr);
    return font;
}

} // namespace

int PointsToPixels(double points)
{
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

QFont PelagorFont(const char* name, double points)
{
    return PelagorPixelFont(name, PointsToPixels(points));
}

QFont PelagorPixelFont(const char* name, int pixels)
{
    QFont font = MappedFont(name);
    font.setPixelSize(std::max(1, pixels));
    return font;
}
