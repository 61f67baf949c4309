#include "settings/FormGlobalPrefs.h"

#include "highlight/AssemSyn.h"

TFormGlobalPrefs* FormGlobalPrefs = nullptr;

TFormGlobalPrefs::TFormGlobalPrefs(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormGlobalPrefs"));
  setWindowTitle(QStringLiteral("Globale Einstellungen"));
}

TFormGlobalPrefs::~TFormGlobalPrefs() = default;

void TFormGlobalPrefs::showEvent(QShowEvent* event) { QDialog::showEvent(event); }
bool TFormGlobalPrefs::eventFilter(QObject* watched, QEvent* event) { return QDialog::eventFilter(watched, event); }
