#include "settings/ColorCombo.h"

#include <QPainter>
#include <QPixmap>

namespace {
const TNamedColor Colors[NamedColorCount] = {
    {"Schwarz", 0x000000}, {"Braun", 0x000080},      {"Grün", 0x008000},  {"Ocker", 0x008080},
    {"Dunkelblau", 0x800000}, {"Volett", 0x800080}, {"Teal", 0x808000},  {"Grau", 0x808080},
    {"HellGrau", 0xC0C0C0}, {"Rot", 0x0000FF},       {"Hellgrün", 0x00FF00}, {"Gelb", 0x00FFFF},
    {"Blau", 0xFF0000},    {"Pink", 0xFF00FF},       {"Hellblau", 0xFFFF00}, {"Weiss", 0xFFFFFF},
};

QIcon Swatch(TColorValue value) {
  QPixmap pixmap(16, 12);
  pixmap.fill(QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
  return QIcon(pixmap);
}
}  // namespace

const TNamedColor* NamedColors() { return Colors; }

TColorCombo::TColorCombo(QWidget* parent) : QComboBox(parent) {
  for (const TNamedColor& color : Colors) addItem(Swatch(color.Value), QString::fromUtf8(color.Name), color.Value);
  setCurrentIndex(-1);
  connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) emit ColorChanged(Value());
  });
}

TColorValue TColorCombo::Value() const {
  return currentIndex() < 0 ? clNone : static_cast<TColorValue>(currentData().toInt());
}

void TColorCombo::SetValue(TColorValue value) {
  const QSignalBlocker blocker(this);
  setCurrentIndex(findData(value));
}
