#include "app/SymbolListModel.h"

#include <QFileInfo>

#include "highlight/SymbolIndex.h"

void TSymbolListModel::SetList(TSymbolList* list) {
  beginResetModel();
  FList = list;
  endResetModel();
}

void TSymbolListModel::SetFilter(const QString& text) {
  beginResetModel();
  if (FList) FList->SetFilter(text.toUtf8().toStdString());
  endResetModel();
}

int TSymbolListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !FList ? 0 : FList->Count();
}

int TSymbolListModel::columnCount(const QModelIndex&) const { return 4; }

QVariant TSymbolListModel::data(const QModelIndex& index, int role) const {
  if (!FList || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const TSymbolLocation at = FList->At(index.row());
  if (role == Qt::ToolTipRole) return at.Path;
  switch (index.column()) {
    case 0: return at.Name;
    case 1: return QString::fromUtf8(SymbolKindText(at.Kind));
    case 2: return QFileInfo(at.Path).fileName();
    default: return at.Line;
  }
}

QVariant TSymbolListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const Titles[] = {"Name", "Art", "Datei", "Zeile"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 3) return {};
  return QString::fromLatin1(Titles[section]);
}
