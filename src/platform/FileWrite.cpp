#include "platform/FileWrite.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/FdWriter.h"
#endif

namespace Platform {

#ifdef Q_OS_WIN

QString WriteFile(const QString& path, const TByteSource& source, TWriteWay* way) {
  if (way) *way = TWriteWay::Replaced;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  bool ok = true;
  source([&](std::string_view piece) {
    if (ok) ok = file.write(piece.data(), qint64(piece.size())) == qint64(piece.size());
  });
  if (ok && file.commit()) return {};
  const QString reason = file.errorString();
  file.cancelWriting();
  return reason;
}

#else

namespace {

// A reason the existing file is written in place rather than replaced.
constexpr int kKeepInode = -1;

// The system's reasons are English: the usual ones of a save are told in the program's language.
QString Reason(int error) {
  switch (error) {
    case ENOSPC: return QStringLiteral("Auf dem Datenträger ist kein Platz mehr.");
    case EDQUOT: return QStringLiteral("Das Speicherkontingent ist erschöpft.");
    case EACCES:
    case EPERM: return QStringLiteral("Zugriff verweigert.");
    case EROFS: return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENOENT: return QStringLiteral("Datei oder Ordner existiert nicht.");
    case ENOTDIR: return QStringLiteral("Ein Teil des Pfads ist kein Ordner.");
    case EISDIR: return QStringLiteral("Das ist ein Ordner.");
    case ELOOP: return QStringLiteral("Die symbolischen Verknüpfungen bilden eine Schleife.");
    case ENAMETOOLONG: return QStringLiteral("Der Name ist zu lang.");
    case EIO: return QStringLiteral("Ein- oder Ausgabefehler des Datenträgers.");
    default: return qt_error_string(error);
  }
}

// The file a write goes to: the final target of a symbolic link, even of one that dangles.
QByteArray Target(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  if (!canonical.isEmpty()) return QFile::encodeName(canonical);
  // Dangling, perhaps through other links: each is followed to the name that is missing.
  QString at = path;
  for (int depth = 0; depth < 40 && QFileInfo(at).isSymLink(); ++depth) at = QFileInfo(at).symLinkTarget();
  return QFile::encodeName(at);
}

// Writes everything Source gives to Fd; returns 0 or an errno.
int WriteAll(int fd, const TByteSource& source) {
  std::vector<char> buffer(std::size_t(1) << 20);
  TFdWriter writer{fd, buffer.data(), buffer.size()};
  source([&](std::string_view piece) { writer.Put(piece); });
  writer.Flush();
  return writer.Error;
}

int SyncAndClose(int fd, int error) {
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  return error;
}

// A new file beside Target with a name nobody uses; -1 with errno set when the folder refuses.
int CreateTemp(const QByteArray& target, mode_t mode, QByteArray& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QByteArray suffix = '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
    // A long name is cut so that name and suffix stay within what a folder allows.
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray name = target.mid(slash + 1).left(std::max<qsizetype>(1, NAME_MAX - suffix.size()));
    temp = target.left(slash + 1) + name + suffix;
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes a new file and renames it over Target. Old: the existing file, or null. Returns 0, an
// errno, or kKeepInode where a new file could not be what the old one is.
int Replace(const QByteArray& target, const struct stat* old, const TByteSource& source) {
  QByteArray temp;
  // An existing file's copy stays private until it has the old file's owner and mode.
  const int fd = CreateTemp(target, old ? 0600 : 0666, temp);
  if (fd < 0) return old && (errno == EACCES || errno == EPERM) ? kKeepInode : errno;
  int error = 0;
  if (old) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) error = errno;
    // Only the owner of a file may change its mode: the owner and group go first.
    else if ((now.st_uid != old->st_uid || now.st_gid != old->st_gid) && ::fchown(fd, old->st_uid, old->st_gid) != 0)
      error = kKeepInode;
    else if (::fchmod(fd, old->st_mode & 07777) != 0)
      error = errno;
  }
  if (!error) error = WriteAll(fd, source);
  error = SyncAndClose(fd, error);
  // A file mounted onto the target cannot be renamed over.
  if (!error && ::rename(temp.constData(), target.constData()) != 0) error = old && errno == EBUSY ? kKeepInode : errno;
  if (error) ::unlink(temp.constData());
  return error;
}

// Overwrites the existing file: the same inode keeps its links, owner, group and mode.
QString WriteInPlace(const QByteArray& target, const TByteSource& source) {
  const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return Reason(errno);
  off_t size = 0;
  source([&](std::string_view piece) { size += off_t(piece.size()); });
#ifdef __linux__
  // Claims the space first: a full disk then fails before a single byte of the file changes.
  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && (errno == ENOSPC || errno == EDQUOT)) {
    const int error = errno;
    ::close(fd);
    return Reason(error);
  }
#endif
  int error = WriteAll(fd, source);
  if (!error && ::ftruncate(fd, size) != 0) error = errno;
  error = SyncAndClose(fd, error);
  if (!error) return {};
  return QStringLiteral("%1. Die Datei ist jetzt unvollständig; der Text im Editor ist unverändert.").arg(Reason(error));
}

}  // namespace

QString WriteFile(const QString& path, const TByteSource& source, TWriteWay* way) {
  if (way) *way = TWriteWay::Replaced;
  const QByteArray target = Target(path);
  struct stat old {};
  const bool exists = ::stat(target.constData(), &old) == 0;
  if (!exists && errno != ENOENT) return Reason(errno);
  if (exists && !S_ISREG(old.st_mode)) return QStringLiteral("Das ist keine gewöhnliche Datei");
  const int error = exists && old.st_nlink > 1 ? kKeepInode : Replace(target, exists ? &old : nullptr, source);
  if (error != kKeepInode) return error ? Reason(error) : QString();
  if (way) *way = TWriteWay::InPlace;
  return WriteInPlace(target, source);
}

#endif

}  // namespace Platform
