#pragma once

#include <cstdint>

#include <QColor>

// Colours in the tables and the window code are 0x00BBGGRR values.
QColor ColorFromColorRef(uint32_t colorRef);
uint32_t ColorRefFromColor(const QColor& color);
