#pragma once
// The place in the last run's error log that "next" and "previous message" step from. Entries
// without a file and line are passed over; a new log starts again before the first entry.
#include <QMetaObject>
#include <QtGlobal>

class TAssembleLog;

class TMessageCursor {
 public:
  explicit TMessageCursor(const TAssembleLog& log);
  ~TMessageCursor();
  TMessageCursor(const TMessageCursor&) = delete;
  TMessageCursor& operator=(const TMessageCursor&) = delete;

  qsizetype Row() const { return FRow; }  // -1: before the first entry
  // An entry chosen in the list; stepping goes on from there.
  void SetRow(qsizetype row);
  // Moves to the next (previous) entry with a position; false, staying put, when there is none.
  bool Step(bool forward);

 private:
  const TAssembleLog& FLog;
  qsizetype FRow = -1;
  QMetaObject::Connection FReset;
};
