#include "search_print/ConfirmReplaceDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "platform/ui/FitTexts.h"
#include "search_print/SearchLogic.h"

TConfirmReplaceDialog::TConfirmReplaceDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ConfirmReplaceDialog"));
  setWindowTitle(QStringLiteral("Confirm replace"));
  setModal(true);
  setFixedSize(328, 98);

  FImage1 = new QLabel(this);
  FImage1->setObjectName(QStringLiteral("Image1"));
  FImage1->setGeometry(16, 16, 32, 32);
  FConfirmation = new QLabel(this);
  FConfirmation->setObjectName(QStringLiteral("lblConfirmation"));
  FConfirmation->setGeometry(60, 12, 260, 44);
  FConfirmation->setWordWrap(true);
  FConfirmation->setTextFormat(Qt::PlainText);  // searched texts may look like markup

  auto button = [this](const char* name, const QString& caption, int left, int result) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(left, 66, 75, 25);
    connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
    return b;
  };
  FReplace = button("btnReplace", QStringLiteral("&Ja"), 8, crYes);
  FSkip = button("btnSkip", QStringLiteral("&Nein"), 88, crNo);
  FCancel = button("btnCancel", QStringLiteral("Abbrechen"), 168, crCancel);
  FReplaceAll = button("btnReplaceAll", QStringLiteral("Ja, &alle"), 248, crYesToAll);
  FReplace->setDefault(true);
  FormCreate();
  FitTexts(this);
}

void TConfirmReplaceDialog::FormCreate() {
  FImage1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(32, 32));
}

void TConfirmReplaceDialog::showEvent(QShowEvent* event) {
  // The dialog is reused: the button clicked last time would keep the focus, and Return would
  // press it ("Ja, alle" replacing everything unasked). Each question starts on "Ja".
  FReplace->setDefault(true);
  FReplace->setFocus(Qt::OtherFocusReason);
  QDialog::showEvent(event);
}

void TConfirmReplaceDialog::SetQuestion(const QString& text) { FConfirmation->setText(text); }
QString TConfirmReplaceDialog::Question() const { return FConfirmation->text(); }
