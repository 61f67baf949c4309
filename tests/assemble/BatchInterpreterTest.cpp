// kodrill-cmd: the built program on a make.bat, and the interpreter's pieces in-process.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "platform/batch/BatchInterpreter.h"

namespace {

struct TResult {
  QByteArray Output;
  int ExitCode = -1;
};

TResult RunCmd(const QString& dir, const QStringList& args) {
  QProcess p;
  p.setWorkingDirectory(dir);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral(KODRILL_CMD_PATH), args);
  p.waitForFinished(30000);
  return {p.readAll(), p.exitCode()};
}

QStringList Lines(TBatchInterpreter& cmd, const QStringList& batch) {
  QStringList out;
  cmd.OnOutput = [&](const QByteArray& b) { out << QString::fromLocal8Bit(b).chopped(1); };
  for (const QString& line : batch) cmd.RunLine(line, 1);
  return out;
}

}  // namespace

TEST(BatchInterpreter, RunsAMakeBat) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("bin");
  WriteFile(dir.filePath("bin/tool"), "#!/bin/sh\necho \"tool $1 $2 [$ASCMD]\"\nexit 3\n", true);
  const QString winPath = "c:" + QDir::toNativeSeparators(dir.filePath("bin/tool.exe")).replace('/', '\\');
  WriteFile(dir.filePath("make.bat"),
            "@echo off\r\n"
            "rem a remark\r\n"
            "set ASCMD=@test.par\r\n"
            "echo Projekt %ASCMD% 100%%\r\n"
            "echo.\r\n"
            ":label\r\n"
            "@" + winPath.toUtf8() + " test.asm sub\\x.inc\r\n"
            "if exist test.p goto done\r\n"
            "copy a b > nul\r\n"
            "nosuchprogram x\r\n"
            "@echo on\r\n"
            "echo shown twice\r\n"
            "@" + winPath.toUtf8() + "\r\n");
  const TResult r = RunCmd(dir.path(), {"/C", dir.filePath("make.bat")});
  EXPECT_EQ(QString::fromUtf8(r.Output),
            "Projekt @test.par 100%\n"
            "\n"
            "tool test.asm sub/x.inc [@test.par]\n"
            "kodrill-cmd: Befehl wird nicht unterstützt (Zeile 8): if exist test.p goto done\n"
            "kodrill-cmd: Befehl wird nicht unterstützt (Zeile 9): copy a b > nul\n"
            "kodrill-cmd: Programm nicht gefunden (Zeile 10): nosuchprogram\n"
            "echo shown twice\n"
            "shown twice\n"
            "tool   [@test.par]\n");
  EXPECT_EQ(r.ExitCode, 3);  // that of the last program
}

TEST(BatchInterpreter, SingleCommandsAndMissingFiles) {
  QTemporaryDir dir;
  TResult r = RunCmd(dir.path(), {"/C", "sh -c \"echo one; exit 4\""});
  EXPECT_EQ(r.Output, "one\n");
  EXPECT_EQ(r.ExitCode, 4);
  r = RunCmd(dir.path(), {"/c", "sh", "-c", "echo two"});
  EXPECT_EQ(r.Output, "two\n");
  r = RunCmd(dir.path(), {"/C", dir.filePath("absent.bat")});
  EXPECT_EQ(QString::fromUtf8(r.Output), "kodrill-cmd: Datei nicht gefunden: " + dir.filePath("absent.bat") + "\n");
  EXPECT_NE(r.ExitCode, 0);
  r = RunCmd(dir.path(), {});
  EXPECT_TRUE(r.Output.startsWith("Aufruf: kodrill-cmd"));
}

TEST(BatchInterpreter, VariablesEchoAndPaths) {
  TBatchInterpreter cmd;
  cmd.Environment().insert("Foo", "bar");
  EXPECT_EQ(Lines(cmd, {"@echo %FOO%-%foo%-%UNSET%-%%-50%", "@echo off", "echo x", "echo"}),
            (QStringList{"bar-bar--%-50%", "x", QStringLiteral("ECHO ist ausgeschaltet (OFF).")}));
  EXPECT_FALSE(cmd.EchoOn());
  Lines(cmd, {"set NEW=a b  ", "set \"Q=quoted\"", "set FOO="});
  EXPECT_EQ(cmd.Environment().value("NEW"), "a b  ");
  EXPECT_EQ(cmd.Environment().value("Q"), "quoted");
  EXPECT_FALSE(cmd.Environment().contains("Foo"));
  EXPECT_EQ(Lines(cmd, {"set /a x=1", "for %%i in (a) do echo %%i", "c:\\no\\such\\as.exe t.asm", "exit /b 7",
                        "rem | not a pipe"}),
            (QStringList{QStringLiteral("kodrill-cmd: Befehl wird nicht unterstützt (Zeile 1): set /a x=1"),
                         QStringLiteral("kodrill-cmd: Befehl wird nicht unterstützt (Zeile 1): for %%i in (a) do echo %%i"),
                         QStringLiteral("kodrill-cmd: Programm nicht gefunden (Zeile 1): c:\\no\\such\\as.exe")}));
  EXPECT_EQ(cmd.ExitCode(), 7);

  EXPECT_EQ(TBatchInterpreter::LocalPath("c:\\no\\such\\dir"), "/no/such/dir");
  EXPECT_EQ(TBatchInterpreter::LocalPath("sub\\a.inc"), "sub/a.inc");
  EXPECT_EQ(TBatchInterpreter::SplitArguments("a \"b c\"  d\"e\" \"\""), (QStringList{"a", "b c", "de", ""}));
}

// The wizard creates "Demo.Asm" while its make.bat assembles "Demo.asm": arguments find their
// file whatever the letter case, unless the name is ambiguous or already exists.
TEST(BatchInterpreter, ArgumentsMatchFilesIgnoringLetterCase) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("Demo.Asm"), "", false);
  WriteFile(dir.filePath("Twice.ASM"), "", false);
  WriteFile(dir.filePath("twice.asm"), "", false);
  const QString base = dir.path() + "/";
  EXPECT_EQ(TBatchInterpreter::MatchLetterCase(base + "Demo.asm"), base + "Demo.Asm");
  EXPECT_EQ(TBatchInterpreter::MatchLetterCase(base + "twice.Asm"), base + "twice.Asm");
  EXPECT_EQ(TBatchInterpreter::MatchLetterCase(base + "Twice.ASM"), base + "Twice.ASM");
  EXPECT_EQ(TBatchInterpreter::MatchLetterCase(base + "none.asm"), base + "none.asm");
  EXPECT_EQ(TBatchInterpreter::MatchLetterCase("-L"), "-L");

  WriteFile(dir.filePath("tool"), "#!/bin/sh\ncat \"$1\"\n", true);
  WriteFile(dir.filePath("Demo.Asm"), "inhalt\n", false);
  const TResult r = RunCmd(dir.path(), {"/C", dir.filePath("tool") + " Demo.asm"});
  EXPECT_EQ(QString::fromUtf8(r.Output), "inhalt\n");
}

// Here programs are mostly named by absolute paths: the wizard writes "@/usr/local/bin/asl ...".
TEST(BatchInterpreter, RunsProgramsNamedByPath) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("tool"), "#!/bin/sh\necho \"ran $1\"\n", true);
  WriteFile(dir.filePath("make.bat"), "@" + dir.filePath("tool").toUtf8() + " a\r\n@./tool b\r\n");
  const TResult r = RunCmd(dir.path(), {"/C", dir.filePath("make.bat")});
  EXPECT_EQ(QString::fromUtf8(r.Output), "ran a\nran b\n");
}
