#include "app/FormGotoLine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/ButtonRow.h"

namespace {
const QString HintText = QStringLiteral("Bitte eine Zeilennummer eingeben, z. B. 120 oder 120:8.");
}  // namespace

TFormGotoLine::TFormGotoLine(QWidget* parent, int currentLine, int lineCount, std::function<int(int line)> charsInLine)
    : QDialog(parent), FLineCount(lineCount), FCharsInLine(std::move(charsInLine)) {
  setObjectName(QStringLiteral("FormGotoLine"));
  setWindowTitle(QStringLiteral("Gehe zu Zeile"));
  auto* label = new QLabel(lineCount > 0 ? QStringLiteral("&Zeile[:Spalte] (1 bis %1):").arg(lineCount)
                                         : QStringLiteral("&Zeile[:Spalte] (Datei wird noch gelesen):"),
                           this);
  label->setObjectName(QStringLiteral("LabelLine"));
  EditLine = new QLineEdit(QString::number(currentLine), this);
  EditLine->setObjectName(QStringLiteral("EditLine"));
  EditLine->selectAll();  // typing replaces the offered line
  label->setBuddy(EditLine);
  LabelHint = new QLabel(this);
  LabelHint->setObjectName(QStringLiteral("LabelHint"));
  // Room for the hint from the start: the dialog keeps its size.
  LabelHint->setMinimumSize(LabelHint->fontMetrics().horizontalAdvance(HintText), LabelHint->fontMetrics().height());
  BtnOK = new QPushButton(QStringLiteral("OK"), this);
  BtnOK->setObjectName(QStringLiteral("BtnOK"));
  auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
  cancel->setObjectName(QStringLiteral("BtnCancel"));
  QHBoxLayout* buttons = OkCancelRow(BtnOK, cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(EditLine);
  layout->addWidget(LabelHint);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // nothing in it would use more room

  connect(EditLine, &QLineEdit::textChanged, this, &TFormGotoLine::EditLineChange);
  connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  EditLineChange();
}

void TFormGotoLine::EditLineChange() {
  FTarget = ParseGotoTarget(EditLine->text(), FLineCount, FCharsInLine);
  // A disabled default button keeps Return from closing the dialog on bad input.
  BtnOK->setEnabled(FTarget.has_value());
  LabelHint->setText(FTarget || EditLine->text().trimmed().isEmpty() ? QString() : HintText);
}
