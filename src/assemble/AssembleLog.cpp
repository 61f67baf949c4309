#include "assemble/AssembleLog.h"

#include <QFile>

#include <algorithm>
#include <limits>

namespace {

bool IsBlankLine(const char* data, qsizetype size) {
  if (std::all_of(data, data + size, [](char c) { return c == ' ' || c == '\t'; })) return true;
  // Only text outside plain ASCII can decode to nothing but white space.
  if (IsPlainText(data, size)) return false;
  return ConsoleLineText(data, size).trimmed().isEmpty();
}

}  // namespace

bool TAssembleLog::Load(const QString& path) {
  QFile file(path);
  const bool ok = file.open(QIODevice::ReadOnly);
  SetBytes(ok ? file.readAll() : QByteArray());
  return ok;
}

void TAssembleLog::SetBytes(const QByteArray& bytes) {
  beginResetModel();
  FBytes = bytes;
  FLines.clear();
  const char* data = FBytes.constData();
  const qsizetype size = FBytes.size();
  TLineEndScanner scanner(data, size);
  for (qsizetype start = 0; start < size;) {
    const qsizetype end = scanner.Next(start);
    if (end > start && !IsBlankLine(data + start, end - start)) FLines.push_back({start, end - start});
    start = end + 1;
  }
  endResetModel();
}

QString TAssembleLog::Text(qsizetype row) const {
  const TLine& line = FLines.at(size_t(row));
  return ConsoleLineText(FBytes.constData() + line.Start, line.Size);
}

int TAssembleLog::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(std::min<qsizetype>(Count(), std::numeric_limits<int>::max()));
}

QVariant TAssembleLog::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= Count()) return QVariant();
  return Text(index.row());
}
