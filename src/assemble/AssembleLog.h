#pragma once
// The assembler's error log as the dialog lists it and the command line prints it: one entry per
// line that is not blank. The log is kept as the bytes of the file and an entry is decoded when
// it is asked for, so that a log of a million lines is listed at once.
#include <QAbstractListModel>
#include <QByteArray>

#include <vector>

#include "assemble/AssembleOutput.h"

class TAssembleLog : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // A missing or unreadable file leaves the log empty (false).
  bool Load(const QString& path);
  void SetBytes(const QByteArray& bytes);
  void Clear() { SetBytes(QByteArray()); }

  qsizetype Count() const { return qsizetype(FLines.size()); }
  QString Text(qsizetype row) const;
  TLogEntry Entry(qsizetype row) const { return ParseLogEntry(Text(row)); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  struct TLine {
    qsizetype Start;
    qsizetype Size;
  };
  QByteArray FBytes;
  std::vector<TLine> FLines;
};
