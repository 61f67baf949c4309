#include "editor/ColorConvert.h"

QColor ColorValueToQColor(TColorValue value, const QPalette& palette, const QColor& noneColor) {
  if (value == clNone) return noneColor;
  if (IsSystemColor(value)) {
    switch (value & 0xFFFFFF) {
      case COLOR_SCROLLBAR: return palette.color(QPalette::Button);
      case COLOR_BACKGROUND:
      case COLOR_APPWORKSPACE: return palette.color(QPalette::Dark);
      case COLOR_ACTIVECAPTION:
      case COLOR_HIGHLIGHT: return palette.color(QPalette::Highlight);
      case COLOR_INACTIVECAPTION: return palette.color(QPalette::Inactive, QPalette::Highlight);
      case COLOR_MENU:
      case COLOR_BTNFACE:
      case COLOR_ACTIVEBORDER:
      case COLOR_INACTIVEBORDER: return palette.color(QPalette::Button);
      case COLOR_WINDOW: return palette.color(QPalette::Base);
      case COLOR_WINDOWFRAME:
      case COLOR_3DDKSHADOW: return palette.color(QPalette::Shadow);
      case COLOR_MENUTEXT:
      case COLOR_WINDOWTEXT: return palette.color(QPalette::Text);
      case COLOR_CAPTIONTEXT:
      case COLOR_HIGHLIGHTTEXT: return palette.color(QPalette::HighlightedText);
      case COLOR_INACTIVECAPTIONTEXT:
      case COLOR_GRAYTEXT: return palette.color(QPalette::Disabled, QPalette::Text);
      case COLOR_BTNSHADOW: return palette.color(QPalette::Mid);
      case COLOR_BTNTEXT: return palette.color(QPalette::ButtonText);
      case COLOR_BTNHIGHLIGHT: return palette.color(QPalette::Light);
      case COLOR_3DLIGHT: return palette.color(QPalette::Midlight);
      case COLOR_INFOTEXT: return palette.color(QPalette::ToolTipText);
      case COLOR_INFOBK: return palette.color(QPalette::ToolTipBase);
      default: return noneColor;  // a number no desktop has: as if no colour were set
    }
  }
  const auto v = static_cast<std::uint32_t>(value);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

QFont FontWithStyle(QFont font, TFontStyles style) {
  font.setBold(style & fsBold);
  font.setItalic(style & fsItalic);
  font.setUnderline(style & fsUnderline);
  font.setStrikeOut(style & fsStrikeOut);
  return font;
}
