#include "app/RecoveryJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdint>

#include "editor/EditLinesImpl.h"

namespace {
const QByteArray Magic = "Kodrill-Journal 1\n";
constexpr char TrailerMark[] = "\nKodrill-Ende ";
constexpr int MarkSize = sizeof TrailerMark - 1;
constexpr int TrailerSize = MarkSize + 20 + 1;  // the mark, the text's size in 20 digits, "\n"
const QString LockName = QStringLiteral("lock");
const QString EntryExt = QStringLiteral(".journal");

// Empties Folder and removes it with its lock, without letting another instance take it meanwhile:
// once unlocked it holds nothing, and a folder another instance locked meanwhile is no longer empty.
void RemoveFolder(const QString& folder, std::unique_ptr<QLockFile>& lock) {
  QDir dir(folder);
  for (const QString& file : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (file != LockName) dir.remove(file);
  lock.reset();
  QDir().rmdir(folder);
}

QByteArray Header(const QString& path, const TDiskState& disk, bool partial, const TEditLines& lines) {
  // Disk: exists (0/1), size, modification time, content hash ("-" for none).
  const QByteArray diskState = QByteArray::number(disk.Exists) + ' ' + QByteArray::number(disk.Size) + ' ' +
                               QByteArray::number(disk.Modified) + ' ' + (disk.Hash.isEmpty() ? "-" : disk.Hash.toHex());
  return Magic + "Path=" + QUrl::toPercentEncoding(path, "/") + "\nEncoding=" +
         (lines.Encoding() == TTextEncoding::Utf8 ? "UTF-8" : "Latin-1") + "\nLineBreaks=" +
         (lines.LineBreakStyle() == TLineBreakStyle::CrLf ? "CRLF" : "LF") + "\nSaved=" +
         QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + "\nDisk=" + diskState + (partial ? "\nPartial=1" : "") +
         "\n\n";
}

std::optional<TDiskState> ReadDisk(const QByteArray& value) {
  const QList<QByteArray> parts = value.split(' ');
  if (parts.size() != 4) return std::nullopt;
  TDiskState disk;
  bool ok[3] = {};
  disk.Exists = parts[0].toInt(&ok[0]) != 0;
  disk.Size = parts[1].toLongLong(&ok[1]);
  disk.Modified = parts[2].toLongLong(&ok[2]);
  if (parts[3] != "-") disk.Hash = QByteArray::fromHex(parts[3]);
  if (!ok[0] || !ok[1] || !ok[2]) return std::nullopt;
  return disk;
}

// Runs in the forked copy that writes the entry: nothing allocated.
void Trailer(char* buffer, std::uint64_t size) {
  std::copy_n(TrailerMark, MarkSize, buffer);
  for (int i = TrailerSize - 2; i >= MarkSize; --i, size /= 10) buffer[i] = char('0' + size % 10);
  buffer[TrailerSize - 1] = '\n';
}
}  // namespace

bool Journal::Read(const QString& entry, TRecoveredText& text, bool withBytes) {
  QFile f(entry);
  if (!f.open(QIODevice::ReadOnly) || f.size() < Magic.size() + TrailerSize) return false;
  const QByteArray head = f.read(64 << 10);
  const qsizetype end = head.indexOf("\n\n");
  if (!head.startsWith(Magic) || end < 0) return false;
  const qint64 start = end + 2;
  char trailer[TrailerSize];
  if (!f.seek(f.size() - TrailerSize) || f.read(trailer, TrailerSize) != TrailerSize) return false;
  bool ok = false;
  const qint64 size = QByteArray(trailer + MarkSize, TrailerSize - MarkSize - 1).toLongLong(&ok);
  if (!QByteArray(trailer, TrailerSize).startsWith(TrailerMark) || !ok || start + size + TrailerSize != f.size())
    return false;
  text = TRecoveredText();
  text.Entry = entry;
  for (const QByteArray& line : head.mid(Magic.size(), end - Magic.size()).split('\n')) {
    const qsizetype eq = line.indexOf('=');
    const QByteArray key = line.left(eq), value = line.mid(eq + 1);
    if (key == "Path") text.Path = QUrl::fromPercentEncoding(value);
    else if (key == "Encoding") text.Encoding = value == "UTF-8" ? TTextEncoding::Utf8 : TTextEncoding::Latin1;
    else if (key == "LineBreaks") text.LineBreaks = value == "LF" ? TLineBreakStyle::Lf : TLineBreakStyle::CrLf;
    else if (key == "Saved") text.Saved = QDateTime::fromMSecsSinceEpoch(value.toLongLong());
    else if (key == "Disk") text.Disk = ReadDisk(value);
    else if (key == "Partial") text.Partial = value == "1";
  }
  if (!withBytes) return true;
  f.seek(start);
  text.Bytes = f.read(size);
  return text.Bytes.size() == size;
}

TRecoveryJournal::TRecoveryJournal(const QString& root) : FRoot(root) {}

TRecoveryJournal::~TRecoveryJournal() = default;

bool TRecoveryJournal::Open() {
  // A new folder of a name of its own, readable by the user only.
  if (!QDir().mkpath(FRoot)) return false;
  QTemporaryDir created(QDir(FRoot).filePath(QStringLiteral("%1-XXXXXX").arg(QCoreApplication::applicationPid())));
  if (!created.isValid()) return false;
  created.setAutoRemove(false);
  const QString folder = created.path();
  auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(LockName));
  if (!lock->tryLock(0)) return false;
  FFolder = folder;
  FLock = std::move(lock);
  return true;
}

QString TRecoveryJournal::EntryFile(int id) const { return QDir(FFolder).filePath(QString::number(id) + EntryExt); }

void TRecoveryJournal::Write(int id, const QString& path, const TDiskState& disk, bool partial,
                             const TEditLines& lines, Platform::TSnapshotWrite& write) const {
  const QByteArray header = Header(path, disk, partial, lines);
  write.Start(EntryFile(id), [&](const Platform::TByteSink& sink) {
    sink(std::string_view(header.constData(), std::size_t(header.size())));
    std::uint64_t size = 0;
    lines.Impl().WriteTo([&](std::string_view piece) {
      size += piece.size();
      sink(piece);
    });
    char trailer[TrailerSize];
    Trailer(trailer, size);
    sink(std::string_view(trailer, sizeof trailer));
  });
}

void TRecoveryJournal::Remove(int id) {
  if (IsOpen()) QFile::remove(EntryFile(id));
}

void TRecoveryJournal::Close() {
  if (IsOpen()) RemoveFolder(FFolder, FLock);
}

QList<TRecoveredText> TRecoveryJournal::Orphans() {
  QList<TRecoveredText> texts;
  const QStringList folders = QDir(FRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& name : folders) {
    const QString folder = QDir(FRoot).filePath(name);
    if (folder == FFolder ||
        std::any_of(FOrphans.begin(), FOrphans.end(), [&](const auto& o) { return o.first == folder; }))
      continue;
    // A live instance holds its lock; the lock of one that is gone can be taken.
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(LockName));
    if (!lock->tryLock(0)) continue;
    FOrphans.emplace_back(folder, std::move(lock));
    for (const QString& file : QDir(folder).entryList({QLatin1Char('*') + EntryExt}, QDir::Files)) {
      TRecoveredText text;
      if (Journal::Read(QDir(folder).filePath(file), text, false)) texts.append(text);
    }
  }
  std::sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) { return a.Saved < b.Saved; });
  return texts;
}

bool TRecoveryJournal::Adopt(const TRecoveredText& text, int id) {
  if (!IsOpen()) return false;
  QFile::remove(EntryFile(id));
  return QFile::rename(text.Entry, EntryFile(id));
}

void TRecoveryJournal::Discard(const TRecoveredText& text) { QFile::remove(text.Entry); }

void TRecoveryJournal::ReleaseOrphans() {
  for (auto& [folder, lock] : FOrphans)
    if (QDir(folder).entryList({QLatin1Char('*') + EntryExt}, QDir::Files).isEmpty()) RemoveFolder(folder, lock);
  FOrphans.clear();
}
