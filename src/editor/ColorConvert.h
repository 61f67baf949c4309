#pragma once
// Colour values of settings and highlighter attributes as screen colours.
#include <QColor>
#include <QPalette>

#include "highlight/ColorValue.h"

// RGB 0x00BBGGRR, clNone (gives NoneColor) or a desktop system colour (0x80000000 + n).
QColor ColorValueToQColor(TColorValue value, const QPalette& palette, const QColor& noneColor);
