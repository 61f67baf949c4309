// A save that cannot complete (read-only file or directory, a file in place of a directory, a
// full disk, a kill in the middle) leaves the old file as it was and the text unchanged, and a
// failure names the file. The editor's text is the exception in a read-only directory: its
// writable file is overwritten in place.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

#include "HardeningUtil.h"
#include "editor/EditLines.h"
#include "settings/IniFile.h"
#include "settings/Project.h"

using namespace Hardening;

namespace {

// The three writers of user files, each saving about 300 KiB.
const std::pair<const char*, std::function<void(const QString&)>> Writers[] = {
    {"TEditLines::SaveToFile",
     [](const QString& path) {
       std::string text;
       for (int i = 0; i < 12000; ++i) text += "\tldaa  #$" + std::to_string(i) + " ; neu\n";
       TEditLines lines;
       lines.LoadFromBytes(text);
       try {
         lines.SaveToFile(path);
       } catch (...) {
         EXPECT_EQ(lines.SaveToBytes(), text) << "the failed save changed the text";
         throw;
       }
     }},
    {"WriteIniFile", [](const QString& path) { WriteIniFile(path, QStringList(6000, QStringLiteral("Key=Wert mit Umlaut ä ........"))); }},
    {"TProject::Save",
     [](const QString& path) {
       TProject project;
       project.Directory = QDir::toNativeSeparators(QFileInfo(path).path()) + QDir::separator();
       project.FileName = QFileInfo(path).fileName();
       project.Processor = QString(300000, QLatin1Char('6'));
       project.Save();
     }},
};

struct TUndo {  // runs its action at the end of the scope
  std::function<void()> Action;
  ~TUndo() {
    if (Action) Action();
  }
};

// Makes Path unwritable: by the immutable attribute (root ignores permission bits), else by the
// permission bits. Returns how to undo it, or nothing where neither works.
std::function<void()> WriteLock(const QString& path, bool directory) {
  if (RunTool(QStringLiteral("chattr"), {QStringLiteral("+i"), path}))
    return [path] { RunTool(QStringLiteral("chattr"), {QStringLiteral("-i"), path}); };
  const QFileDevice::Permissions old = QFile::permissions(path);
  QFile::setPermissions(path, QFile::ReadOwner | (directory ? QFile::ExeOwner : QFile::Permission(0)));
  QFile probe(directory ? path + QStringLiteral("/probe") : path);
  if (!probe.open(QIODevice::Append)) return [path, old] { QFile::setPermissions(path, old); };
  if (directory) probe.remove();
  QFile::setPermissions(path, old);
  return {};
}

}  // namespace

TEST(SaveFault, FailedSaveKeepsEverythingAndNamesTheFile) {
  enum { ReadOnlyFile, ReadOnlyDirectory, NewFileInReadOnlyDirectory, FileInPlaceOfDirectory, FullDisk };
  QString skipped;
  for (int fault = ReadOnlyFile; fault <= FullDisk; ++fault) {
    for (const auto& [name, writer] : Writers) {
      SCOPED_TRACE(testing::Message() << name << ", fault " << fault);
      QTemporaryDir dir;
      const QString sub = dir.filePath(QStringLiteral("sub")), old = sub + QStringLiteral("/alt.asm");
      ASSERT_TRUE(QDir().mkdir(sub));
      TUndo undo;
      if (fault == FullDisk) {
        if (!RunTool(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                QStringLiteral("size=64k"), QStringLiteral("kodrill-test"), sub})) {
          skipped += QStringLiteral(" mounting a small tmpfs is not permitted here;");
          break;
        }
        undo.Action = [sub] { RunTool(QStringLiteral("umount"), {sub}); };
      }
      ASSERT_TRUE(WriteAll(old, "alter Inhalt\r\n"));
      // No permission can make a regular file hold a directory entry: this one works for root too.
      const QString path = fault == FileInPlaceOfDirectory       ? old + QStringLiteral("/neu.asm")
                           : fault == NewFileInReadOnlyDirectory ? sub + QStringLiteral("/neu.asm")
                                                                 : old;
      if (fault <= NewFileInReadOnlyDirectory) {
        undo.Action = WriteLock(fault == ReadOnlyFile ? old : sub, fault != ReadOnlyFile);
        if (!undo.Action) {
          skipped += QStringLiteral(" cannot make a file or folder read-only here;");
          break;
        }
      }
      const auto before = Snapshot(dir.path());
      if (fault == ReadOnlyDirectory && name == std::string_view("TEditLines::SaveToFile")) {
        writer(path);
        EXPECT_TRUE(ReadAll(old).startsWith("\tldaa  #$0 ; neu\n"));
        EXPECT_EQ(Snapshot(dir.path()).keys(), before.keys());
        continue;
      }
      try {
        writer(path);
        ADD_FAILURE() << "the save reported success";
      } catch (const std::runtime_error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QDir::toNativeSeparators(path))) << e.what();
      }
      EXPECT_EQ(Snapshot(dir.path()), before);
      // The full disk still takes a small save afterwards: nothing was left behind filling it.
      EXPECT_TRUE(fault != FullDisk || WriteAll(old, "\tnop\n"));
    }
  }
  if (!skipped.isEmpty()) GTEST_SKIP() << skipped.toStdString();
}

TEST(SaveFault, KilledSaveLeavesOneCompleteVersion) {
  // Two versions that differ in every line and in length, so a mix or a cut of them is never either.
  QByteArray versions[2];
  for (int i = 0; i < 75000; ++i) {
    if (i < 60000) versions[0] += "\tldaa  #$" + QByteArray::number(i) + " ; alt\r\n";
    versions[1] += "\tstab  $" + QByteArray::number(i) + " ; neu\r\n";
  }
  const QString loop = qEnvironmentVariable("KODRILL_SAVE_LOOP");
  if (!loop.isEmpty()) {  // the child: this test program, saving the versions in turn until killed
    TEditLines lines[2];
    for (int v = 0; v < 2; ++v) lines[v].LoadFromBytes(versions[v].toStdString());
    for (int round = 0; round < 2000; ++round) {
      lines[(round + 1) % 2].SaveToFile(loop);
      std::fputs("saved\n", stderr);
    }
    return;
  }
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("gross.asm"));
  ASSERT_TRUE(WriteAll(path, versions[0]));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("KODRILL_SAVE_LOOP"), path);
  QRandomGenerator random(4711);  // fixed seed: the same kill moments on every run
  for (int round = 0; round < 8; ++round) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setReadChannel(QProcess::StandardError);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=SaveFault.KilledSaveLeavesOneCompleteVersion")});
    // SIGKILL after the first complete save, into a later one or between two.
    ASSERT_TRUE(child.waitForReadyRead(30000)) << child.readAllStandardOutput().toStdString();
    QThread::msleep(random.bounded(1, 120));
    child.kill();
    child.waitForFinished();
    const QByteArray now = ReadAll(path);
    EXPECT_TRUE(now == versions[0] || now == versions[1]) << "round " << round << ": " << now.size() << " bytes";
    // A later save over what was left still works.
    TEditLines lines;
    lines.LoadFromFile(path);
    EXPECT_EQ(QByteArray::fromStdString(lines.SaveToBytes()), now);
  }
}
