#include "settings/ProcessorCombo.h"

#include "settings/FormPrefsLogic.h"

TProcessorCombo::TProcessorCombo(QWidget* parent) : QComboBox(parent) {
  setObjectName(QStringLiteral("ComboBoxCPU"));
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  addItems(ProcessorNameList());
  SetProcessor(QStringLiteral("6811"));
}

void TProcessorCombo::SetProcessor(const QString& name) {
  // The list's entry for "z80" is "Z80"; the field keeps the name as given.
  int index = findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) index = findText(name, Qt::MatchFixedString);
  if (index >= 0) setCurrentIndex(index);
  setEditText(name);
}

void TProcessorCombo::showPopup() {
  SetProcessor(currentText());
  QComboBox::showPopup();
}
