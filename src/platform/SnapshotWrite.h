#pragma once
// Writes a file from data exactly as it is at the moment of the call, without making the caller
// wait while it is written. Where the process can be forked, a copy of the process writes it:
// the call costs the fork (page tables, not the data), however big the data is. Elsewhere, or
// when the fork fails, the file is written before Start returns.
#include <QString>

#include <functional>
#include <string_view>

namespace Platform {

using TByteSink = std::function<void(std::string_view)>;
// Hands the data to the sink piece by piece. In the forked copy it must not allocate memory:
// only the calling thread lives on there, and another thread may have held the allocator's lock.
using TByteSource = std::function<void(const TByteSink&)>;

class TSnapshotWrite {
 public:
  TSnapshotWrite() = default;
  TSnapshotWrite(const TSnapshotWrite&) = delete;
  TSnapshotWrite& operator=(const TSnapshotWrite&) = delete;
  ~TSnapshotWrite();  // waits for a write still running

  // Writes Path through a temporary file renamed into place, so that Path is never half written.
  // A write still running is waited for first.
  void Start(const QString& path, const TByteSource& source);
  // Polls; true while the write runs.
  bool Running();
  void Wait();
  // The last write that ended, if any, put the complete file in place.
  bool Succeeded() const { return FSucceeded; }

 private:
  void Finished(int status);

  qint64 FPid = -1;
  bool FSucceeded = true;
};

}  // namespace Platform
