#include "assemble/FormAssemble.h"

#include <QCloseEvent>

#include "assemble/AssembleOutput.h"
#include "assemble/RunProcess.h"

TFormAssemble* FormAssemble = nullptr;

TFormAssemble::TFormAssemble(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormAssemble"));
  setWindowTitle(QStringLiteral("Assembliere..."));
}

TFormAssemble::~TFormAssemble() = default;

void TFormAssemble::Assemble() { show(); raise(); }
void TFormAssemble::CancelRun() {}
void TFormAssemble::closeEvent(QCloseEvent* event) { event->accept(); }
void TFormAssemble::reject() { hide(); }
