#pragma once
// TFormGotoSymbol: a modal list of symbols (name, kind, file, line). As "Gehe zu Symbol..." it
// has a filter line that narrows the list as the user types; as the choice between several
// definitions of one name it has none. Return or a double click takes the current row.
#include <QDialog>

class QLineEdit;
class QTreeView;
class TSymbolList;
class TSymbolListModel;

class TFormGotoSymbol : public QDialog {
  Q_OBJECT

 public:
  explicit TFormGotoSymbol(QWidget* parent = nullptr);

  // Shows List until the user takes a row (answered, as a row of List with its filter then) or
  // cancels (-1).
  int Choose(TSymbolList& list, bool withFilter);

  QLineEdit* FilterEdit() const { return FFilterEdit; }
  QTreeView* SymbolList() const { return FSymbolList; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FilterEditChanged(const QString& text);
  void SelectRow(int row);

  QLineEdit* FFilterEdit;
  QTreeView* FSymbolList;
  TSymbolListModel* FModel;
};
