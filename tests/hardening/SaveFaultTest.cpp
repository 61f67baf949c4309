// A save that cannot complete (read-only file or directory, a file in place of a directory, a
// full disk) throws a message naming the file and leaves the old file and the text as they were.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include "HardeningUtil.h"
#include "TestProjectFile.h"
#include "editor/EditLines.h"
#include "settings/IniFile.h"

using namespace Hardening;

namespace {

// The three writers of user files, each saving about 300 KiB; they return the error message, or
// an empty string when the save succeeded.
struct TWriter {
  const char* Name;
  std::function<QString(const QString& path)> Save;
};

std::string BigText() {
  std::string text;
  for (int i = 0; i < 12000; ++i) text += "\tldaa  #$" + std::to_string(i) + " ; neu\n";
  return text;
}

QString SaveLines(const QString& path) {
  const std::string text = BigText();
  TEditLines lines;
  lines.LoadFromBytes(text);
  try {
    lines.SaveToFile(path);
  } catch (const EEditFileError& e) {
    EXPECT_EQ(lines.SaveToBytes(), text) << "a failed save changed the text";
    return QString::fromUtf8(e.what());
  }
  return QString();
}

QString SaveIni(const QString& path) {
  QStringList lines{QStringLiteral("[global]")};
  for (int i = 0; i < 6000; ++i) lines << QStringLiteral("Key%1=Wert mit Umlaut ä %1 ............").arg(i);
  try {
    WriteIniFile(path, lines);
  } catch (const EFileCreateError& e) {
    return e.Message();
  }
  return QString();
}

QString SaveProject(const QString& path) {
  const QFileInfo info(path);
  TProject project;
  project.Directory = QDir::toNativeSeparators(info.path()) + QDir::separator();
  project.FileName = info.fileName();
  project.Processor = QString(300000, QLatin1Char('6'));
  try {
    project.Save();
  } catch (const EFileCreateError& e) {
    return e.Message();
  }
  return QString();
}

const TWriter Writers[] = {{"TEditLines::SaveToFile", SaveLines},
                           {"WriteIniFile", SaveIni},
                           {"TProject::Save", SaveProject}};

// Root ignores permission bits: find out with a probe instead of asking for the user id.
bool PermissionsCount(const QString& dir) {
  const QString probe = dir + QStringLiteral("/probe");
  WriteAll(probe, "x");
  QFile::setPermissions(probe, QFile::ReadOwner);
  QFile f(probe);
  const bool writable = f.open(QIODevice::WriteOnly | QIODevice::Append);
  f.close();
  QFile::setPermissions(probe, QFile::ReadOwner | QFile::WriteOwner);
  QFile::remove(probe);
  return !writable;
}

// Makes a file or directory unwritable (permission bits, or the immutable attribute for root)
// until destroyed.
class TWriteLock {
 public:
  TWriteLock(const QString& path, bool directory) : FPath(path) {
    if (PermissionsCount(QFileInfo(path).absolutePath())) {
      FPermissions = QFile::permissions(path);
      FUsesPermissions = QFile::setPermissions(
          path, directory ? QFile::ReadOwner | QFile::ExeOwner : QFileDevice::Permissions(QFile::ReadOwner));
      FLocked = FUsesPermissions;
    } else {
      FLocked = RunTool(QStringLiteral("chattr"), {QStringLiteral("+i"), path});
    }
  }
  ~TWriteLock() {
    if (!FLocked) return;
    if (FUsesPermissions) QFile::setPermissions(FPath, FPermissions);
    else RunTool(QStringLiteral("chattr"), {QStringLiteral("-i"), FPath});
  }
  bool Locked() const { return FLocked; }

 private:
  QString FPath;
  QFileDevice::Permissions FPermissions;
  bool FUsesPermissions = false;
  bool FLocked = false;
};

// A 64 KiB file system mounted on Dir until destroyed (needs the right to mount).
class TSmallDisk {
 public:
  explicit TSmallDisk(const QString& dir) : FDir(dir) {
#ifdef Q_OS_LINUX
    FMounted = RunTool(QStringLiteral("mount"),
                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                        QStringLiteral("size=64k"), QStringLiteral("kodrill-test"), dir});
#endif
  }
  ~TSmallDisk() {
    if (FMounted) RunTool(QStringLiteral("umount"), {FDir});
  }
  bool Mounted() const { return FMounted; }

 private:
  QString FDir;
  bool FMounted = false;
};

void ExpectFailureNaming(const QString& message, const QString& path) {
  EXPECT_FALSE(message.isEmpty()) << "the save reported success";
  EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << message.toStdString();
}

}  // namespace

TEST(SaveFault, ReadOnlyFileKeepsOldFile) {
  for (const TWriter& writer : Writers) {
    SCOPED_TRACE(writer.Name);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alt.asm"));
    ASSERT_TRUE(WriteAll(path, "alter Inhalt\r\n"));
    const auto before = Snapshot(dir.path());
    {
      TWriteLock lock(path, false);
      if (!lock.Locked()) GTEST_SKIP() << "cannot make a file read-only here (no permissions, no chattr)";
      ExpectFailureNaming(writer.Save(path), path);
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
}

TEST(SaveFault, ReadOnlyDirectoryKeepsOldFile) {
  for (const TWriter& writer : Writers) {
    SCOPED_TRACE(writer.Name);
    QTemporaryDir dir;
    const QString sub = dir.filePath(QStringLiteral("gesperrt"));
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString path = sub + QStringLiteral("/alt.asm");
    ASSERT_TRUE(WriteAll(path, "alter Inhalt\r\n"));
    const auto before = Snapshot(dir.path());
    {
      TWriteLock lock(sub, true);
      if (!lock.Locked()) GTEST_SKIP() << "cannot make a directory read-only here (no permissions, no chattr)";
      ExpectFailureNaming(writer.Save(path), path);
      ExpectFailureNaming(writer.Save(sub + QStringLiteral("/neu.asm")), sub + QStringLiteral("/neu.asm"));
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
}

TEST(SaveFault, FileInPlaceOfDirectory) {
  // Works for root too: no permission can make a regular file hold a directory entry.
  for (const TWriter& writer : Writers) {
    SCOPED_TRACE(writer.Name);
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("datei.txt"));
    ASSERT_TRUE(WriteAll(plain, "kein Verzeichnis"));
    const QString path = plain + QStringLiteral("/neu.asm");
    ExpectFailureNaming(writer.Save(path), path);
    EXPECT_EQ(ReadAll(plain), QByteArray("kein Verzeichnis"));
    EXPECT_EQ(Snapshot(dir.path()).size(), 1);
  }
}

TEST(SaveFault, FullDiskKeepsOldFileAndLeavesNoDebris) {
  QTemporaryDir dir;
  const QString mount = dir.filePath(QStringLiteral("klein"));
  ASSERT_TRUE(QDir().mkdir(mount));
  TSmallDisk disk(mount);
  if (!disk.Mounted()) GTEST_SKIP() << "mounting a small tmpfs is not permitted here";
  const QString path = mount + QStringLiteral("/alt.asm");
  for (const TWriter& writer : Writers) {
    SCOPED_TRACE(writer.Name);
    ASSERT_TRUE(WriteAll(path, "alter Inhalt\r\n"));
    const auto before = Snapshot(mount);
    ExpectFailureNaming(writer.Save(path), path);
    EXPECT_EQ(Snapshot(mount), before);
  }
  // The disk still takes a small save afterwards: nothing was left behind filling it.
  TEditLines small;
  small.LoadFromBytes("\tnop\n");
  EXPECT_NO_THROW(small.SaveToFile(path));
  EXPECT_EQ(ReadAll(path), QByteArray("\tnop\n"));
}
