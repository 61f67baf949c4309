#pragma once
// Colour chooser with the sixteen named colours. A value outside the list selects no entry.
#include <QComboBox>

#include "highlight/ColorValue.h"

class TColorCombo : public QComboBox {
  Q_OBJECT

 public:
  explicit TColorCombo(QWidget* parent = nullptr);

  // The chosen colour; clNone while no entry is selected.
  TColorValue Value() const;
  // Selects the entry of Value (none when it is not listed); emits nothing.
  void SetValue(TColorValue value);

 signals:
  void ColorChanged(TColorValue value);
};

struct TNamedColor {
  const char* Name;  // UTF-8
  TColorValue Value;
};
// The sixteen colours in list order.
const TNamedColor* NamedColors();
constexpr int NamedColorCount = 16;
