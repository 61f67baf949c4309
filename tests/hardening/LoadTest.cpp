// Loading huge, binary and odd files: no crash, no hang, bytes round-trip, and a failure names the
// file and leaves the text as it was.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <thread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "HardeningUtil.h"
#include "editor/EditLines.h"

using namespace Hardening;

namespace {

// Loads Path into a text holding one known line; a failure must name the file and keep the line.
void ExpectLoadFailure(const QString& path, const char* reason) {
  TEditLines lines;
  lines.LoadFromBytes("\tbleibt\n");
  try {
    lines.LoadFromFile(path);
    ADD_FAILURE() << "loading " << path.toStdString() << " succeeded";
  } catch (const EEditFileError& e) {
    const QString message = QString::fromUtf8(e.what());
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << e.what();
    EXPECT_TRUE(message.contains(QString::fromUtf8(reason))) << e.what();
  }
  EXPECT_EQ(lines.SaveToBytes(), "\tbleibt\n");
}

void ExpectRoundTrip(const QTemporaryDir& dir, const QByteArray& bytes) {
  const QString in = dir.filePath(QStringLiteral("ein.bin"));
  const QString out = dir.filePath(QStringLiteral("aus.bin"));
  ASSERT_TRUE(WriteAll(in, bytes));
  TEditLines lines;
  lines.LoadFromFile(in);
  for (int i = 0; i < lines.Count(); ++i) lines.Text(i);  // decoding any byte must be safe
  lines.SaveToFile(out);
  EXPECT_EQ(ReadAll(out), bytes);
}

}  // namespace

TEST(Load, HugeFileLoadsAndSavesBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("gross.asm"));
  const QByteArray line = "loop:   ldaa  $1000,x   ; 100 MiB Quelltext zum Laden\r\n";  // 56 bytes
  const qint64 count = (qint64(100) << 20) / line.size();
  {
    QByteArray block;
    for (int i = 0; i < 4096; ++i) block += line;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (qint64 done = 0; done < count; done += 4096)
      ASSERT_EQ(f.write(block.constData(), qMin<qint64>(4096, count - done) * line.size()),
                qMin<qint64>(4096, count - done) * line.size());
  }
  TEditLines lines;
  lines.LoadFromFile(path);
  ASSERT_EQ(lines.Count(), count);
  EXPECT_EQ(lines.LineBreakStyle(), TLineBreakStyle::CrLf);
  EXPECT_EQ(lines[int(count) - 1], line.chopped(2).toStdString());
  lines.Put(int(count) - 1, "\tend");
  const QString out = dir.filePath(QStringLiteral("neu.asm"));
  lines.SaveToFile(out);
  EXPECT_EQ(QFileInfo(out).size(), count * line.size() - line.size() + 6);
}

TEST(Load, TenMiBLineLoadsAsOneLine) {
  QTemporaryDir dir;
  const QByteArray bytes = QByteArray(10 << 20, 'x') + "\n\tnop";
  ExpectRoundTrip(dir, bytes);
  TEditLines lines;
  lines.LoadFromFile(dir.filePath(QStringLiteral("ein.bin")));
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines[0].size(), std::size_t(10) << 20);
  EXPECT_FALSE(lines.FinalLineBreak());
}

TEST(Load, BinaryBytesRoundTrip) {
  QTemporaryDir dir;
  QByteArray all;
  for (int round = 0; round < 3; ++round)
    for (int b = 0; b < 256; ++b) all += char(b);
  ExpectRoundTrip(dir, all);

  QRandomGenerator random(1234);
  for (int round = 0; round < 5; ++round) {
    QByteArray bytes(int(random.bounded(1, 70000)), Qt::Uninitialized);
    for (char& c : bytes) c = char(random.bounded(256));
    SCOPED_TRACE(round);
    ExpectRoundTrip(dir, bytes);
  }
  // Lone CRs, CR CR LF and NULs at the ends of lines.
  ExpectRoundTrip(dir, QByteArray("a\r\rb\r\r\n\0\r\n\r", 12));
}

TEST(Load, MissingFileOrDirectoryFailsCleanly) {
  QTemporaryDir dir;
  ExpectLoadFailure(dir.filePath(QStringLiteral("verschwunden.asm")), "verschwunden.asm");
  ExpectLoadFailure(dir.path(), "Verzeichnis");
}

#ifdef Q_OS_UNIX
TEST(Load, PipeIsRefusedWithoutBlocking) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("rohr.asm"));
  ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  // A writer that ends a wrongful read: then the load returns and the test fails instead of hanging.
  std::thread writer([&] {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write("\tnop\n");
  });
  ExpectLoadFailure(path, "keine gewöhnliche Datei");
  {
    QFile reader(path);  // releases the writer when the loader rightly stayed away
    reader.open(QIODevice::ReadOnly);
    writer.join();
  }
}
#endif
