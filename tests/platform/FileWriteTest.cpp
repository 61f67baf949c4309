// Writing a user's file keeps what the file is: its mode, its hard links, a symbolic link to it,
// its owner. A new file replaces it atomically wherever that changes none of these.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include "../hardening/HardeningUtil.h"
#include "platform/FileWrite.h"

#ifndef Q_OS_WIN
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace Platform;

namespace {

const std::string NewText = "\tldaa #1 ; neu\r\n";

QString WriteNewText(const QString& path, TWriteWay& way) {
  return WriteFile(path, [](const TByteSink& sink) { sink(NewText); }, &way);
}

struct stat Stat(const QString& path) {
  struct stat st {};
  ::stat(qPrintable(path), &st);
  return st;
}

void MakeFile(const QString& path, mode_t mode) {
  ASSERT_TRUE(Hardening::WriteAll(path, "alt\n"));
  ::chmod(qPrintable(path), mode);
}

}  // namespace

TEST(FileWrite, KeepsModeLinksAndReplacesOnlyWhereThatChangesNothing) {
  enum { Plain, HardLink, SymLink, MountedOnto };
  const std::tuple<int, mode_t, TWriteWay> cases[] = {
      {Plain, 0640, TWriteWay::Replaced}, {Plain, 0755, TWriteWay::Replaced}, {Plain, 0444, TWriteWay::Replaced},
      {HardLink, 0600, TWriteWay::InPlace}, {SymLink, 0640, TWriteWay::Replaced}, {MountedOnto, 0644, TWriteWay::InPlace},
  };
  std::string skipped;
  for (const auto& [kind, mode, expected] : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << kind << ", mode " << std::oct << mode);
    QTemporaryDir dir;
    const QString file = dir.filePath("hard1.asm"), other = dir.filePath("hard2.asm");
    MakeFile(file, mode);
    if (kind == HardLink) {
      ASSERT_EQ(::link(qPrintable(file), qPrintable(other)), 0);
    } else if (kind == SymLink) {
      ASSERT_TRUE(QFile::link(file, other));
    }
    if (kind == MountedOnto) {
      MakeFile(other, 0644);
      if (!Hardening::RunTool("mount", {"--bind", file, other})) {
        skipped = "a file mounted onto another: mount --bind is not permitted here";
        continue;
      }
    }
    const struct stat before = Stat(file);
    TWriteWay way;
    const QString saved = kind == Plain ? file : other;
    EXPECT_EQ(WriteNewText(saved, way), QString());
    if (kind == MountedOnto) Hardening::RunTool("umount", {other});
    EXPECT_EQ(way, expected);
    const struct stat after = Stat(file);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_ino == before.st_ino, expected == TWriteWay::InPlace);
    EXPECT_EQ(QFileInfo(other).isSymLink(), kind == SymLink);
    EXPECT_EQ(Hardening::ReadAll(file).toStdString(), NewText);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), kind == Plain ? 1 : 2) << "a temporary file was left";
  }
  if (!skipped.empty()) GTEST_SKIP() << skipped;
}

// A chain of links that ends at a missing file creates that file and keeps every link; a name
// as long as a folder allows still leaves room for the temporary file's.
TEST(FileWrite, DanglingLinkChainsAndTheLongestNames) {
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::link(dir.filePath("c.asm"), dir.filePath("b.asm")));
  ASSERT_TRUE(QFile::link(dir.filePath("b.asm"), dir.filePath("a.asm")));
  TWriteWay way;
  EXPECT_EQ(WriteNewText(dir.filePath("a.asm"), way), QString());
  EXPECT_TRUE(QFileInfo(dir.filePath("a.asm")).isSymLink() && QFileInfo(dir.filePath("b.asm")).isSymLink());
  EXPECT_EQ(Hardening::ReadAll(dir.filePath("c.asm")).toStdString(), NewText);
  const QString longName = dir.filePath(QString(250, u'n') + ".asm");
  for (int round = 0; round < 2; ++round) {  // new, then existing
    EXPECT_EQ(WriteNewText(longName, way), QString()) << round;
    EXPECT_EQ(Hardening::ReadAll(longName).toStdString(), NewText);
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 4) << "a temporary file was left";
  // Failures say why in the program's language.
  ASSERT_TRUE(QFile::link(dir.filePath("loop2.asm"), dir.filePath("loop1.asm")));
  ASSERT_TRUE(QFile::link(dir.filePath("loop1.asm"), dir.filePath("loop2.asm")));
  EXPECT_EQ(WriteNewText(dir.filePath("loop1.asm"), way), "Die symbolischen Verknüpfungen bilden eine Schleife.");
  EXPECT_EQ(WriteNewText(dir.filePath("none/x.asm"), way), "Datei oder Ordner existiert nicht.");
}

TEST(FileWrite, AnotherUsersFileKeepsItsOwnerAndNeedsNoWritableFolder) {
  if (const QString given = qEnvironmentVariable("KODRILL_WRITE_AS_OTHER"); !given.isEmpty()) {
    // The child, run as another user: writes the file and says how.
    TWriteWay way;
    const QString error = WriteNewText(given, way);
    std::printf("<%s>\n", error.isEmpty() ? (way == TWriteWay::InPlace ? "in place" : "replaced") : qPrintable(error));
    return;
  }
  if (::geteuid() != 0) GTEST_SKIP() << "only root can save as another user";
  // Root's 0666 file saved by nobody: in a folder everyone may write to, and in one only root may.
  for (const mode_t folder : {0777, 0755}) {
    QTemporaryDir dir;
    ::chmod(qPrintable(dir.path()), folder);
    const QString file = dir.filePath("a.asm");
    MakeFile(file, 0666);
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KODRILL_WRITE_AS_OTHER", file);
    child.setProcessEnvironment(environment);
    child.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", QCoreApplication::applicationFilePath(),
                            "--gtest_filter=FileWrite.AnotherUsersFileKeepsItsOwnerAndNeedsNoWritableFolder"});
    child.waitForFinished(30000);
    const QByteArray out = child.readAllStandardOutput();
    if (!out.contains("[ RUN")) GTEST_SKIP() << "cannot run the tests as nobody: " << child.readAllStandardError().data();
    EXPECT_TRUE(out.contains("<in place>")) << out.data();
    EXPECT_EQ(Stat(file).st_uid, 0u);
    EXPECT_EQ(Hardening::ReadAll(file).toStdString(), NewText);
  }
}

TEST(FileWrite, InPlaceOnAFullDiskFailsBeforeTheFileChanges) {
  QTemporaryDir dir;
  if (!Hardening::RunTool("mount", {"-t", "tmpfs", "-o", "size=64k", "kodrill-test", dir.path()}))
    GTEST_SKIP() << "mounting a small tmpfs is not permitted here";
  const QString file = dir.filePath("hard1.asm");
  MakeFile(file, 0644);
  ::link(qPrintable(file), qPrintable(dir.filePath("hard2.asm")));
  TWriteWay way;
  const QString error = WriteFile(file, [](const TByteSink& sink) { sink(std::string(300 << 10, 'x')); }, &way);
  const QByteArray now = Hardening::ReadAll(file);
  Hardening::RunTool("umount", {dir.path()});
  EXPECT_EQ(way, TWriteWay::InPlace);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(now, "alt\n");
}
#endif
