#include "assemble/MessageCursor.h"

#include <algorithm>

#include "assemble/AssembleLog.h"

TMessageCursor::TMessageCursor(const TAssembleLog& log) : FLog(log) {
  FReset = QObject::connect(&log, &QAbstractItemModel::modelReset, [this] { FRow = -1; });
}

TMessageCursor::~TMessageCursor() { QObject::disconnect(FReset); }

void TMessageCursor::SetRow(qsizetype row) { FRow = std::clamp<qsizetype>(row, -1, FLog.Count() - 1); }

bool TMessageCursor::Step(bool forward) {
  const qsizetype step = forward ? 1 : -1;
  for (qsizetype row = FRow + step; row >= 0 && row < FLog.Count(); row += step) {
    if (FLog.Entry(row).Valid) {
      FRow = row;
      return true;
    }
  }
  return false;
}
