// The core of changes made outside and of crash recovery: what a change of a file on disk means
// for its tab, and journal entries that keep every byte.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <tuple>

#include "app/DiskState.h"
#include "app/RecoveryJournal.h"
#include "editor/EditLinesImpl.h"

using enum TOutsideChange;
using enum TTextEncoding;
using enum TLineBreakStyle;

TEST(DiskStateTest, SmallFilesAreComparedByContentLargeOnesBySizeAndTime) {
  const TDiskState gone, a{true, 3, 100, "h1"}, touched{true, 3, 200, "h1"}, edited{true, 3, 100, "h2"},
      longer{true, 4, 100, "h3"}, big{true, 2 << 20, 100, {}}, bigLater{true, 2 << 20, 200, {}};
  // Known, kept by the user (no more questions for it), now, modified; what is done, and whether
  // a save asks before overwriting the file.
  const std::tuple<TDiskState, TDiskState, TDiskState, bool, TOutsideChange, bool> cases[] = {
      {a, gone, a, true, None, false},            {a, gone, touched, true, None, false},
      {a, gone, edited, false, Reload, true},     {a, gone, longer, true, Ask, true},
      {big, gone, big, true, None, false},        {big, gone, bigLater, false, Reload, true},
      {a, gone, gone, false, Deleted, false},     {a, edited, gone, true, Deleted, false},
      {gone, gone, gone, true, None, false},      {gone, gone, a, true, Ask, true},
      {a, edited, edited, true, None, true},      {a, edited, longer, true, Ask, true},
  };
  for (int i = 0; const auto& [known, kept, now, modified, want, asks] : cases) {
    TDiskFile file;
    file.Synced(known);
    if (kept.Exists) file.Keep(kept);
    EXPECT_EQ(file.Check(now, modified), want) << i;
    EXPECT_EQ(file.OverwriteNeedsAsking(now), asks) << i++;
  }
  QTemporaryDir dir;  // a small file is told apart by its content, not by size and time alone
  QFile f(dir.filePath("a.asm"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("abc") == 3 && f.flush());
  const TDiskState written = ReadDiskState(f.fileName());
  ASSERT_TRUE(f.seek(0) && f.write("abd") == 3 && f.flush());
  ASSERT_TRUE(f.setFileTime(QDateTime::fromMSecsSinceEpoch(written.Modified), QFileDevice::FileModificationTime));
  EXPECT_FALSE(SameFileState(written, ReadDiskState(f.fileName())));
}

TEST(RecoveryJournalTest, EntriesKeepEveryByteAndOnlyInstancesThatAreGoneAreOffered) {
  QTemporaryDir dir;
  const QString root = dir.filePath(QStringLiteral("journal"));
  const std::tuple<QString, QByteArray, TTextEncoding, TLineBreakStyle> cases[] = {
      {QStringLiteral("/p/M\u00FCller 100%.asm"), "\tnop\r\n\trts", Utf8, CrLf},
      {QStringLiteral("x\ny.asm"), QByteArray("a\0b\rc\n\xE4\r\n", 10), Latin1, Lf},
      {QString(), QByteArray(), Utf8, CrLf},
  };
  // The file as each text last knew it: with content hash, without, and none.
  const TDiskState disks[] = {{true, 12, 1700000000123, QByteArray(20, '\xAB')}, {true, 3 << 20, 5, {}}, {}};
  auto gone = std::make_unique<TRecoveryJournal>(root);
  TRecoveryJournal live(root);
  ASSERT_TRUE(gone->Open() && live.Open());
  for (int i = 0; i < 3; ++i) {
    const auto& [path, bytes, encoding, lineBreaks] = cases[i];
    TEditLines lines;
    lines.LoadFromBytes(bytes.toStdString());
    lines.SetEncoding(encoding);
    lines.Impl().Style = lineBreaks;
    Platform::TSnapshotWrite write;
    gone->Write(i, path, disks[i], i == 1, lines, write);
    write.Wait();
    ASSERT_TRUE(write.Succeeded());
  }
  // An entry cut short is none.
  const QString cut = dir.filePath(QStringLiteral("cut"));
  TRecoveredText text;
  ASSERT_TRUE(QFile::copy(gone->EntryFile(0), cut) && QFile(cut).resize(QFile(cut).size() - 1));
  EXPECT_FALSE(Journal::Read(cut, text, true));

  gone.reset();  // without Close, as after a crash
  TRecoveryJournal next(root);
  ASSERT_TRUE(next.Open());
  QMap<QString, TRecoveredText> found;
  for (const TRecoveredText& t : next.Orphans()) found.insert(t.Path, t);
  ASSERT_EQ(found.size(), 3);
  for (int i = 0; i < 3; ++i) {
    const auto& [path, bytes, encoding, lineBreaks] = cases[i];
    ASSERT_TRUE(Journal::Read(found[path].Entry, text, true) && text.Disk);
    EXPECT_EQ(std::tuple(text.Path, text.Bytes, text.Encoding, text.LineBreaks, text.Partial),
              std::tuple(path, bytes, encoding, lineBreaks, i == 1));
    EXPECT_EQ(std::tuple(text.Disk->Exists, text.Disk->Size, text.Disk->Modified, text.Disk->Hash),
              std::tuple(disks[i].Exists, disks[i].Size, disks[i].Modified, disks[i].Hash));
  }
  ASSERT_TRUE(next.Adopt(found.take(QString()), 7));
  for (const TRecoveredText& t : found) next.Discard(t);
  next.ReleaseOrphans();
  EXPECT_TRUE(Journal::Read(next.EntryFile(7), text, false));
  EXPECT_EQ(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);  // live's and next's
}
