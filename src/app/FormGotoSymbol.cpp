#include "app/FormGotoSymbol.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/SymbolListModel.h"

TFormGotoSymbol::TFormGotoSymbol(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormGotoSymbol"));
  resize(640, 420);
  FFilterEdit = new QLineEdit(this);
  FFilterEdit->setObjectName(QStringLiteral("FilterEdit"));
  FFilterEdit->setPlaceholderText(QStringLiteral("Filter"));
  FFilterEdit->installEventFilter(this);
  connect(FFilterEdit, &QLineEdit::textChanged, this, &TFormGotoSymbol::FilterEditChanged);

  FModel = new TSymbolListModel(this);
  FSymbolList = new QTreeView(this);
  FSymbolList->setObjectName(QStringLiteral("SymbolList"));
  FSymbolList->setModel(FModel);
  FSymbolList->setRootIsDecorated(false);
  FSymbolList->setUniformRowHeights(true);  // a project may have hundreds of thousands
  FSymbolList->setAllColumnsShowFocus(true);
  FSymbolList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  const int widths[] = {240, 90, 200, 60};
  for (int i = 0; i < 4; ++i) FSymbolList->setColumnWidth(i, widths[i]);
  connect(FSymbolList, &QTreeView::activated, this, &QDialog::accept);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FFilterEdit);
  layout->addWidget(FSymbolList);
  layout->addWidget(buttons);
}

int TFormGotoSymbol::Choose(TSymbolList& list, bool withFilter) {
  setWindowTitle(withFilter ? QStringLiteral("Gehe zu Symbol") : QStringLiteral("Definition wählen"));
  FFilterEdit->setVisible(withFilter);
  FModel->SetList(&list);
  {
    const QSignalBlocker quiet(FFilterEdit);
    FFilterEdit->clear();
  }
  SelectRow(0);
  (withFilter ? static_cast<QWidget*>(FFilterEdit) : FSymbolList)->setFocus();
  const bool taken = exec() == QDialog::Accepted;
  const int row = FSymbolList->currentIndex().isValid() ? FSymbolList->currentIndex().row() : -1;
  FModel->SetList(nullptr);
  return taken ? row : -1;
}

void TFormGotoSymbol::FilterEditChanged(const QString& text) {
  FModel->SetFilter(text);
  SelectRow(0);
}

void TFormGotoSymbol::SelectRow(int row) {
  if (row < FModel->rowCount())
    FSymbolList->setCurrentIndex(FModel->index(row, 0));
}

bool TFormGotoSymbol::eventFilter(QObject* watched, QEvent* event) {
  // The list's movement keys work while typing in the filter.
  if (watched == FFilterEdit && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
      QCoreApplication::sendEvent(FSymbolList, event);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
