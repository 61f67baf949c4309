// kodrill --assemble, the built program with no display at all; the form of its messages.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "assemble/AssembleCommand.h"
#include "assemble/AssembleOutput.h"

namespace {

struct TRun {
  int Status;
  QString Out, Err;
};

void Start(QProcess& p, const QString& dir, const QStringList& args, const QString& comspec = KODRILL_CMD_PATH,
           const QString& program = KODRILL_APP_PATH) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  env.insert("COMSPEC", comspec);
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(dir);
  p.start(program, args);
}

TRun Kodrill(const QString& dir, const QStringList& args, const QString& comspec = KODRILL_CMD_PATH,
             const QString& program = KODRILL_APP_PATH) {
  QProcess p;
  Start(p, dir, args, comspec, program);
  p.waitForFinished(60000);
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

TEST(AssembleCommand, MessagesInTheFormOfCompilers) {
  struct { const char *text, *path, *current, *message; } cases[] = {
      {"> > > x.inc(3):9: error: unknown instruction", "/p/a/sub/x.inc", "/p", "a/sub/x.inc:3: error: unknown instruction"},
      {"> > >test.asm(8) : Warnung : kein Speicher", "/p/a/test.asm", "/p/a/", "test.asm:8: warning: kein Speicher"},
      {"> > > b.inc(2): Fehler: x", "/p/b.inc", "/p/a", "/p/b.inc:2: error: x"},
      {"> > > x.asm(5): note: y", "/p/ab/x.asm", "/p/a", "/p/ab/x.asm:5: note: y"},
  };
  for (const auto& c : cases) {
    const QString text = QString::fromUtf8(c.text);
    EXPECT_EQ(CompilerMessage(text, ParseLogEntry(text), c.path, c.current), QString::fromUtf8(c.message));
  }
}

// Nothing could run: status 2 and one line on standard error; a make.bat that fails is no success.
TEST(AssembleCommand, FailuresAndOptions) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("p.AsmPrj"), "[global]\r\nProcessor=6811\r\n");
  WriteFile(dir.filePath("notes.txt"), "");
  struct { QStringList args; int status; QString text; } cases[] = {  // text: on stdout for status 0
      {{"--assemble"}, 2, "braucht eine Projektdatei"},
      {{"--assemble", "none.AsmPrj"}, 2, "Projekt nicht gefunden: none.AsmPrj"},
      {{"--assemble", "notes.txt"}, 2, "keine Projektdatei (*.AsmPrj): notes.txt"},
      {{"--assemble", "p.AsmPrj"}, 2, "make.bat nicht gefunden: " + dir.filePath("make.bat")},
      {{"--assemble", "p.AsmPrj", "x.asm"}, 2, "genau eine Projektdatei"},
      {{"x.asm", "--bogus"}, 2, "unbekannte Option --bogus"},
      {{"--help"}, 0, "--assemble PROJEKT.AsmPrj"},
      {{"--version"}, 0, "Kodrill "},
  };
  for (const auto& c : cases) {
    const TRun run = Kodrill(dir.path(), c.args);
    const QString& text = c.status ? run.Err : run.Out;
    EXPECT_EQ(run.Status, c.status) << qPrintable(c.args.join(' '));
    EXPECT_TRUE(text.contains(c.text) && (c.status == 0 || (text.startsWith("kodrill: ") && text.count('\n') == 1)))
        << qPrintable(text);
  }
  // A project from a desktop whose file names ignore letter case.
  WriteFile(dir.filePath("MAKE.BAT"), "@sh -c \"echo partial; exit 3\"\r\n");
  const TRun broken = Kodrill(dir.path(), {"--assemble", "p.AsmPrj"}, dir.filePath("no-such-interpreter"));
  EXPECT_EQ(broken.Status, 2);
  EXPECT_TRUE(broken.Err.contains("Befehlsinterpreter")) << qPrintable(broken.Err);
  const TRun failed = Kodrill(dir.path(), {"--assemble", dir.filePath("p.AsmPrj")});
  EXPECT_EQ(failed.Status, 1);
  EXPECT_EQ(failed.Out, "partial\n");
  EXPECT_EQ(failed.Err, "kodrill: make.bat endete mit dem Status 3.\n");
  EXPECT_EQ(ReadFile(dir.filePath("p.par")).right(11), "-CPU 6811\r\n");

  // A full disk: the option file cannot be written (here: no file may grow), so nothing runs.
  const TRun full = Kodrill(dir.path(), {"-c", "trap '' XFSZ; ulimit -f 0; exec \"$@\"", "sh", KODRILL_APP_PATH,
                                         "--assemble", "p.AsmPrj"}, KODRILL_CMD_PATH, "sh");
  EXPECT_EQ(full.Status, 2);
  EXPECT_EQ(full.Out, "");
  EXPECT_TRUE(full.Err.startsWith("kodrill: Kann Datei " + dir.filePath("p.par") + " nicht erstellen: ")) << qPrintable(full.Err);
  EXPECT_EQ(ReadFile(dir.filePath("p.par")).right(11), "-CPU 6811\r\n");

  // Ctrl+C or a request to terminate ends the build with everything it started.
  WriteFile(dir.filePath("make.bat"), "@sh -c \"echo $$ > pid; exec sleep 60\"\r\n");
  QProcess p;
  Start(p, dir.path(), {"--assemble", "p.AsmPrj"});
  for (int i = 0; i < 200 && ReadFile(dir.filePath("pid")).isEmpty(); ++i) QThread::msleep(50);
  p.terminate();
  EXPECT_TRUE(p.waitForFinished(10000) && p.exitCode() == 2);
  EXPECT_TRUE(ProcessEnded(ReadFile(dir.filePath("pid")).trimmed()));
}

// The assembler names an include by its file name alone: the file is found among the project's
// files (listed with their subfolder) and their includes, in folders with blanks and through other
// includes.
TEST(AssembleCommand, MessagesOfIncludesInOtherFolders) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("proj/sub dir/deeper");
  WriteFile(dir.filePath("proj/p.AsmPrj"), "[global]\r\nProcessor=6811\r\nFileCount=2\r\n[File1]\r\nFile=p.asm\r\n"
                                          "[File2]\r\nFile=sub dir\\regs \xC3\xA4.inc\r\n");
  WriteFile(dir.filePath("proj/p.asm"), "  include \"sub dir/regs \xC3\xA4.inc\"\n");
  WriteFile(dir.filePath("proj/sub dir/regs \xC3\xA4.inc"), " include \"deeper/more.inc\"\n");
  WriteFile(dir.filePath("proj/sub dir/deeper/more.inc"), "  nop\n");
  WriteFile(dir.filePath("proj/made.log"), "> > > regs \xC3\xA4.inc(3):9: error: unknown instruction\n"
                                          "> > > more.inc(1): warning: w\n> > > gone.inc(2): error: e\n");
  WriteFile(dir.filePath("proj/make.bat"), "@cp made.log p.log\r\n");
  const TRun run = Kodrill(dir.path(), {"--assemble", "proj/p.AsmPrj"});
  EXPECT_EQ(run.Out, QString::fromUtf8("proj/sub dir/regs \xC3\xA4.inc:3: error: unknown instruction\n"
                                       "proj/sub dir/deeper/more.inc:1: warning: w\nproj/gone.inc:2: error: e\n"))
      << qPrintable(run.Err);
}

// Only a log this run wrote is its result: not one that make.bat left alone, whatever it did.
TEST(AssembleCommand, ALogOfAnEarlierRunIsNoResult) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("p.AsmPrj"), "[global]\r\nProcessor=6811\r\nFileCount=1\r\n[File1]\r\nFile=p.asm\r\n");
  const QByteArray old = "> > > p.asm(2): error: old\n";
  struct { const char* makeBat; bool future; int status; QString out, err; } cases[] = {
      {"@exit 0\r\n", false, 0, "", ""},
      {"@nosuchprog foo\r\n", false, 1, "kodrill-cmd: Programm nicht gefunden (Zeile 1): nosuchprog\n",
       "kodrill: Programm nicht gefunden (Status 127).\n"},
      {"@sh -c \"kill -SEGV $$\"\r\n", false, 1, "kodrill-cmd: Programm abgestürzt (Zeile 1): sh\n",
       "kodrill: make.bat endete mit dem Status 139.\n"},
      {"@cp new.log p.log\r\n", false, 1, "p.asm:3: error: new\n", ""},
      // A clock too coarse to tell: a log as new as the option file counts.
      {"@exit 0\r\n", true, 1, "p.asm:2: error: old\n", ""},
  };
  for (const auto& c : cases) {
    WriteFile(dir.filePath("make.bat"), c.makeBat);
    WriteFile(dir.filePath("p.log"), old);
    WriteFile(dir.filePath("new.log"), "> > > p.asm(3): error: new\n");
    if (c.future) {
      QFile log(dir.filePath("p.log"));
      log.open(QIODevice::ReadWrite);
      log.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
    }
    const TRun run = Kodrill(dir.path(), {"--assemble", "p.AsmPrj"});
    EXPECT_EQ(run.Status, c.status) << c.makeBat;
    EXPECT_EQ(run.Out, c.out);
    EXPECT_EQ(run.Err, c.err);
  }
}

// The real assembler: errors in the main file and in an include that the project lists.
TEST(AssembleCommand, RealAssembler) {
  const QString asl = FindAsl();
  SKIP_WITHOUT_ASL(asl);
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("proj/sub");
  WriteFile(dir.filePath("proj/test.AsmPrj"), "[global]\r\nProcessor=6811\r\nFileCount=1\r\n[File1]\r\nFile=defs.inc\r\n"
                                             "Directory=" + dir.filePath("proj/sub").toUtf8() + "\r\n");
  WriteFile(dir.filePath("proj/make.bat"), "@set ASCMD=@test.par\r\n@" + asl.toUtf8() + " test.asm\r\n");
  WriteFile(dir.filePath("proj/test.asm"), "        org $1000\n        include \"sub/defs.inc\"\n        ldaa #$1234\n        end\n");
  WriteFile(dir.filePath("proj/sub/defs.inc"), "        nop\n        bogus\n");
  TRun run = Kodrill(dir.path(), {"--assemble", "proj/test.AsmPrj"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_TRUE(run.Out.contains("PASS 1\n"));
  EXPECT_TRUE(run.Out.endsWith("proj/sub/defs.inc:2: error: unknown instruction\nproj/test.asm:3: error: range overflow\n"))
      << qPrintable(run.Out);

  WriteFile(dir.filePath("proj/sub/defs.inc"), "        nop\n");
  WriteFile(dir.filePath("proj/test.asm"), "        org $1000\n        include \"sub/defs.inc\"\n        end\n");
  run = Kodrill(dir.filePath("proj/sub"), {"--assemble", "../test.AsmPrj"});
  EXPECT_EQ(run.Status, 0) << qPrintable(run.Out + run.Err);
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("proj/test.p")));
}
