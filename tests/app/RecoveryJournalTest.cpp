// The recovery journal: entries keep every byte, and only instances that are gone are offered.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include "app/RecoveryJournal.h"
#include "editor/EditLinesImpl.h"

using enum TTextEncoding;
using enum TLineBreakStyle;

TEST(RecoveryJournalTest, EntriesKeepEveryByteAndOnlyInstancesThatAreGoneAreOffered) {
  QTemporaryDir dir;
  const QString root = dir.filePath(QStringLiteral("journal"));
  const struct {
    QString Path;
    QByteArray Bytes;
    TTextEncoding Encoding;
    TLineBreakStyle LineBreaks;
  } cases[] = {
      {QStringLiteral("/p/M\u00FCller 100%.asm"), "\tnop\r\n\trts", Utf8, CrLf},
      {QStringLiteral("x\ny.asm"), QByteArray("a\0b\rc\n\xE4\r\n", 10), Latin1, Lf},
      {QString(), QByteArray(), Utf8, CrLf},
  };
  auto gone = std::make_unique<TRecoveryJournal>(root);
  TRecoveryJournal live(root);
  ASSERT_TRUE(gone->Open() && live.Open());
  for (int i = 0; i < 3; ++i) {
    TEditLines lines;
    lines.LoadFromBytes(cases[i].Bytes.toStdString());
    lines.SetEncoding(cases[i].Encoding);
    lines.Impl().Style = cases[i].LineBreaks;
    Platform::TSnapshotWrite write;
    gone->Write(i, cases[i].Path, lines, write);
    write.Wait();
    ASSERT_TRUE(write.Succeeded());
    live.Write(i, QStringLiteral("live"), lines, write);
  }
  // An entry cut short is none.
  QFile::copy(gone->EntryFile(0), dir.filePath(QStringLiteral("cut")));
  QFile(dir.filePath(QStringLiteral("cut"))).resize(QFile(gone->EntryFile(0)).size() - 1);
  TRecoveredText text;
  EXPECT_FALSE(Journal::Read(dir.filePath(QStringLiteral("cut")), text, true));

  gone.reset();  // without Close, as after a crash
  TRecoveryJournal next(root);
  ASSERT_TRUE(next.Open());
  QMap<QString, TRecoveredText> found;
  for (const TRecoveredText& t : next.Orphans()) found.insert(t.Path, t);
  ASSERT_EQ(found.size(), 3);
  for (const auto& c : cases) {
    ASSERT_TRUE(Journal::Read(found[c.Path].Entry, text, true));
    EXPECT_EQ(text.Bytes, c.Bytes);
    EXPECT_EQ(text.Path, c.Path);
    EXPECT_EQ(text.Encoding, c.Encoding);
    EXPECT_EQ(text.LineBreaks, c.LineBreaks);
  }
  EXPECT_TRUE(next.Orphans().isEmpty());  // taken already
  ASSERT_TRUE(next.Adopt(found[cases[0].Path], 7));
  next.Discard(found[cases[1].Path]);
  next.Discard(found[QString()]);
  next.ReleaseOrphans();
  EXPECT_TRUE(Journal::Read(next.EntryFile(7), text, false));
  EXPECT_EQ(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);  // live's and next's
  live.Close();
  next.Close();
  EXPECT_TRUE(QDir(root).isEmpty());
}
