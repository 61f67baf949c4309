#include "search_print/TextSearchDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <utility>

#include "platform/ui/FitTexts.h"
#include "search_print/SearchLogic.h"

namespace {
template <class T>
T* Make(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  auto* w = new T(caption, parent);
  w->setObjectName(QLatin1String(name));
  w->setGeometry(geometry);
  return w;
}
}  // namespace

TTextSearchDialog::TTextSearchDialog(QWidget* parent) : TTextSearchDialog(parent, 0) {
  setObjectName(QStringLiteral("TextSearchDialog"));
  setWindowTitle(QStringLiteral("Text Suchen"));
  setFixedSize(332, 180);
  move(304, 244);
  FitTexts(this);
}

TTextSearchDialog::TTextSearchDialog(QWidget* parent, int offset) : QDialog(parent) {
  setModal(true);
  FLabel1 = Make<QLabel>(this, "Label1", QStringLiteral("&Suchen nach:"), QRect(8, 12, 84, 16));
  FSearchText = CreateHistoryBox(this, QStringLiteral("cbSearchText"), 8);
  FLabel1->setBuddy(FSearchText);

  const int top = 40 + offset;
  FSearchOptions = Make<QGroupBox>(this, "gbSearchOptions", QStringLiteral("Optionen"), QRect(8, top, 154, 97));
  FCaseSensitive = Make<QCheckBox>(FSearchOptions, "cbSearchCaseSensitive", QStringLiteral("Groß-/&Kleinschreibung"),
                                   QRect(8, 18, 142, 17));
  FWholeWords = Make<QCheckBox>(FSearchOptions, "cbSearchWholeWords", QStringLiteral("Nur ganze Wörter"),
                                QRect(8, 37, 142, 17));
  FFromCursor = Make<QCheckBox>(FSearchOptions, "cbSearchFromCursor", QStringLiteral("Ab aktueller Position"),
                                QRect(8, 56, 142, 17));
  FSelectedOnly = Make<QCheckBox>(FSearchOptions, "cbSearchSelectedOnly", QStringLiteral("Nur markierter Text"),
                                  QRect(8, 75, 142, 17));

  FDirection = Make<QGroupBox>(this, "rgSearchDirection", QStringLiteral("Richtung"), QRect(170, top, 154, 65));
  FDirectionButtons = new QButtonGroup(FDirection);
  auto* forwards = Make<QRadioButton>(FDirection, "rbForwards", QStringLiteral("&Forwärts"), QRect(8, 18, 138, 17));
  auto* backwards = Make<QRadioButton>(FDirection, "rbBackwards", QStringLiteral("Rück&wärts"), QRect(8, 40, 138, 17));
  FDirectionButtons->addButton(forwards, 0);
  FDirectionButtons->addButton(backwards, 1);
  forwards->setChecked(true);

  const int buttons = 148 + offset;
  FOK = Make<QPushButton>(this, "btnOK", QStringLiteral("OK"), QRect(170, buttons, 75, 25));
  FOK->setDefault(true);
  FCancel = Make<QPushButton>(this, "btnCancel", QStringLiteral("Abbrechen"), QRect(249, buttons, 75, 25));
  connect(FOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QComboBox* TTextSearchDialog::CreateHistoryBox(QWidget* parent, const QString& name, int top) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setGeometry(96, top, 228, 21);
  box->setEditable(true);
  // The history is kept by the dialog; Enter must not add entries of its own, and completion
  // only offers entries: it must not extend what is typed ("ab" is no search for "abc") nor
  // change its letter case.
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setDuplicatesEnabled(false);
  if (QCompleter* completer = box->completer()) {
    completer->setCaseSensitivity(Qt::CaseSensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
  }
  return box;
}

QStringList TTextSearchDialog::Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

void TTextSearchDialog::RememberText(QComboBox* box) {
  const QString text = box->currentText();
  QStringList history = Items(box);
  AddToHistory(history, text);
  box->clear();
  box->addItems(history);
  box->setEditText(text);
}

void TTextSearchDialog::FormCloseQuery() { RememberText(FSearchText); }

void TTextSearchDialog::done(int result) {
  if (result == QDialog::Accepted) FormCloseQuery();
  QDialog::done(result);
}

QString TTextSearchDialog::SearchText() const { return FSearchText->currentText(); }
void TTextSearchDialog::SetSearchText(const QString& text) { FSearchText->setEditText(text); }

void TTextSearchDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FSearchText->setFocus(Qt::OtherFocusReason);
  FSearchText->lineEdit()->selectAll();
  FOpening = true;
}

void TTextSearchDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && std::exchange(FOpening, false)) {
    FSearchText->setFocus(Qt::OtherFocusReason);
    FSearchText->lineEdit()->selectAll();
  }
}
bool TTextSearchDialog::SearchBackwards() const { return FDirectionButtons->checkedId() == 1; }
void TTextSearchDialog::SetSearchBackwards(bool value) { FDirectionButtons->button(value ? 1 : 0)->setChecked(true); }
bool TTextSearchDialog::SearchCaseSensitive() const { return FCaseSensitive->isChecked(); }
void TTextSearchDialog::SetSearchCaseSensitive(bool value) { FCaseSensitive->setChecked(value); }
bool TTextSearchDialog::SearchWholeWords() const { return FWholeWords->isChecked(); }
void TTextSearchDialog::SetSearchWholeWords(bool value) { FWholeWords->setChecked(value); }
bool TTextSearchDialog::SearchFromCursor() const { return FFromCursor->isChecked(); }
void TTextSearchDialog::SetSearchFromCursor(bool value) { FFromCursor->setChecked(value); }
bool TTextSearchDialog::SearchInSelection() const { return FSelectedOnly->isChecked(); }
void TTextSearchDialog::SetSearchInSelection(bool value) { FSelectedOnly->setChecked(value); }
QStringList TTextSearchDialog::SearchHistory() const { return Items(FSearchText); }
