#pragma once
// TSymbolListModel: the rows of a symbol list (name, kind, file, line) for a list view. The list
// stays the caller's; texts are made only for the rows on screen.
#include <QAbstractTableModel>

class TSymbolList;

class TSymbolListModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetList(TSymbolList* list);
  void SetFilter(const QString& text);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  TSymbolList* FList = nullptr;
};
