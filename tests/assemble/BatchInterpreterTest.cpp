// kodrill-cmd, the built program, on make.bat files and single commands.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "TestSupport.h"

namespace {

QString RunCmd(const QString& dir, const QStringList& args, int* exitCode = nullptr) {
  QProcess p;
  p.setWorkingDirectory(dir);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral(KODRILL_CMD_PATH), args);
  p.waitForFinished(30000);
  if (exitCode) *exitCode = p.exitCode();
  return QString::fromUtf8(p.readAll());
}

}  // namespace

TEST(BatchInterpreter, RunsAMakeBat) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("tool"), "#!/bin/sh\necho \"tool $1 $2 [$ASCMD]\"\nexit 3\n", true);
  // The wizard creates "Demo.Asm" while its make.bat names "Demo.asm": arguments find their file
  // whatever the letter case, unless the name is ambiguous.
  for (const char* name : {"Demo.Asm", "Twice.ASM", "twice.asm"}) WriteFile(dir.filePath(name), "");
  const QByteArray winPath = "c:" + QDir::toNativeSeparators(dir.filePath("tool.exe")).replace('/', '\\').toUtf8();
  WriteFile(dir.filePath("make.bat"),
            "@echo off\r\nrem a | remark\r\nset ASCMD=@test.par\r\nset \"Q=quoted\"\r\nset T=a b  \r\n"
            "echo %ascmd%-%Q%-%T%-%UNSET%-%%-50%\r\necho.\r\necho\r\n:label\r\n"
            "@" + winPath + " test.asm sub\\x.inc\r\nif exist test.p goto done\r\nset /a x=1\r\n"
            "nosuchprogram x\r\n@echo on\r\necho shown twice\r\n@./tool Demo.asm twice.Asm\r\n@" + winPath +
            "\r\n@title Build\r\n@cls\r\n@pause>nul\r\n");  // console-only commands keep the status
  int exitCode = 0;
  EXPECT_EQ(RunCmd(dir.path(), {"/C", dir.filePath("make.bat")}, &exitCode),
            "@test.par-quoted-a b  --%-50%\n\nECHO ist ausgeschaltet (OFF).\ntool test.asm sub/x.inc [@test.par]\n"
            "kodrill-cmd: Befehl wird nicht unterstützt (Zeile 11): if exist test.p goto done\n"
            "kodrill-cmd: Befehl wird nicht unterstützt (Zeile 12): set /a x=1\n"
            "kodrill-cmd: Programm nicht gefunden (Zeile 13): nosuchprogram\n"
            "echo shown twice\nshown twice\ntool Demo.Asm twice.Asm [@test.par]\ntool   [@test.par]\n");
  EXPECT_EQ(exitCode, 3);  // that of the last program
}

TEST(BatchInterpreter, SingleCommandsAndMissingFiles) {
  QTemporaryDir dir;
  int exitCode = 0;
  EXPECT_EQ(RunCmd(dir.path(), {"/C", "sh -c \"echo one; exit 4\""}, &exitCode), "one\n");
  EXPECT_EQ(exitCode, 4);
  EXPECT_EQ(RunCmd(dir.path(), {"/c", "sh", "-c", "echo two"}), "two\n");
  EXPECT_EQ(RunCmd(dir.path(), {"/C", dir.filePath("absent.bat")}, &exitCode),
            "kodrill-cmd: Datei nicht gefunden: " + dir.filePath("absent.bat") + "\n");
  EXPECT_NE(exitCode, 0);
  // A console-only command chained with another is no line to skip quietly.
  EXPECT_EQ(RunCmd(dir.path(), {"/C", "cls & echo amp"}, &exitCode),
            "kodrill-cmd: Befehl wird nicht unterstützt: cls & echo amp\n");
  EXPECT_NE(exitCode, 0);
  // Folders named with ".bat " or a backslash (an ordinary character here).
  for (const QString folder : {"old.bat files", "a\\b"}) {
    QDir(dir.path()).mkpath(folder);
    WriteFile(dir.filePath(folder + "/make.bat"), "@echo hallo\r\n");
    EXPECT_EQ(RunCmd(dir.path(), {"/C", dir.filePath(folder + "/make.bat")}), "hallo\n") << qPrintable(folder);
  }
}
