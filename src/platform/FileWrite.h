#pragma once
// Writes a user's file without changing what the file is. By default the file is replaced
// atomically: a temporary file beside it, given the old file's permission bits, owner and group,
// is renamed over it, so a failure or a crash leaves either the old or the new file. Where a new
// file could not be the same file, the existing one is overwritten in place instead (same inode,
// written from the start, cut to length, flushed to disk): when it has further hard links, when
// the new file cannot be given its owner or group, when its folder refuses the temporary file, or
// when it cannot be renamed over (a file mounted onto another). A symbolic link stays a link; its
// target is written.
#include <QString>

#include "platform/SnapshotWrite.h"

namespace Platform {

enum class TWriteWay { Replaced, InPlace };

// Writes Path from Source (which may be called more than once). Returns an empty string on
// success, else the reason for the user. Way, when given, tells how the file was written.
QString WriteFile(const QString& path, const TByteSource& source, TWriteWay* way = nullptr);

}  // namespace Platform
