#include "gui/DialogUnits.h"

namespace {
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
} // namespace

int DialogUnitsToPixelsX(int units)
{
    return (units * kBaseUnitX + 2) / 4;
}

int DialogUnitsToPixelsY(int units)
{
    return (units * kBaseUnitY + 4) / 8;
}

QRect DialogUnitsRect(int x, int y, int width, int height)
{
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}
