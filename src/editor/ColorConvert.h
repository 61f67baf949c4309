#pragma once
// Colour values and font styles of settings and highlighter attributes as screen colours and fonts.
#include <QColor>
#include <QFont>
#include <QPalette>

#include "highlight/ColorValue.h"

// RGB 0x00BBGGRR, clNone (gives NoneColor) or a desktop system colour (0x80000000 + n).
QColor ColorValueToQColor(TColorValue value, const QPalette& palette, const QColor& noneColor);

// Font with exactly the given style set (bold, italic, underline, strike-out).
QFont FontWithStyle(QFont font, TFontStyles style);
