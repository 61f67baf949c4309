#pragma once
// The editable list of processor names both preference dialogs offer; any other name may be typed.
#include <QComboBox>

class TProcessorCombo : public QComboBox {
  Q_OBJECT

 public:
  explicit TProcessorCombo(QWidget* parent = nullptr);

  // Shows Name; a listed name also becomes the list's current entry, so that the opened list and
  // the arrow keys start from it.
  void SetProcessor(const QString& name);

 protected:
  // The list opens on the name in the field, also on one just typed.
  void showPopup() override;
};
