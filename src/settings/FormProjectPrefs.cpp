#include "settings/FormProjectPrefs.h"

TFormProjectPrefs* FormProjectPrefs = nullptr;

TFormProjectPrefs::TFormProjectPrefs(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormProjectPrefs"));
  setWindowTitle(QStringLiteral("Projekt Einstellungen"));
}

void TFormProjectPrefs::showEvent(QShowEvent* event) { QDialog::showEvent(event); }
