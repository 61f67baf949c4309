#include "settings/FormNewAgent.h"

TFormNewAgent* FormNewAgent = nullptr;

TFormNewAgent::TFormNewAgent(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormNewAgent"));
  setWindowTitle(QStringLiteral("FormNewAgent"));
}

void TFormNewAgent::showEvent(QShowEvent* event) { QDialog::showEvent(event); }
bool TFormNewAgent::eventFilter(QObject* watched, QEvent* event) { return QDialog::eventFilter(watched, event); }
