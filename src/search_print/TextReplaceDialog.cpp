#include "search_print/TextReplaceDialog.h"

#include <QComboBox>
#include <QLabel>

#include "platform/ui/FitTexts.h"

TTextReplaceDialog::TTextReplaceDialog(QWidget* parent) : TTextSearchDialog(parent, 30) {
  setObjectName(QStringLiteral("TextReplaceDialog"));
  setWindowTitle(QStringLiteral("Text Ersetzen"));
  setFixedSize(332, 210);
  move(366, 221);
  FLabel2 = new QLabel(QStringLiteral("&Ersetzen durch:"), this);
  FLabel2->setObjectName(QStringLiteral("Label2"));
  FLabel2->setGeometry(8, 42, 84, 16);
  FReplaceText = CreateHistoryBox(this, QStringLiteral("cbReplaceText"), 38);
  FLabel2->setBuddy(FReplaceText);
  // Tab order follows the boxes from top to bottom.
  setTabOrder(findChild<QComboBox*>(QStringLiteral("cbSearchText")), FReplaceText);
  FitTexts(this);
}

QString TTextReplaceDialog::ReplaceText() const { return FReplaceText->currentText(); }
void TTextReplaceDialog::SetReplaceText(const QString& text) { FReplaceText->setEditText(text); }
QStringList TTextReplaceDialog::ReplaceHistory() const { return Items(FReplaceText); }

void TTextReplaceDialog::FormCloseQuery() {
  TTextSearchDialog::FormCloseQuery();
  RememberText(FReplaceText);
}
