// The assemble dialog end to end: a make.bat run by kodrill-cmd starts a stand-in assembler
// that prints a real capture and writes its log; panels, list and marks are checked.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include "TestSupport.h"
#include "assemble/FormAssemble.h"
#include "platform/ui/UserDialogs.h"
#include "settings/KodrillApp.h"

namespace {

const QString kFixtures = QStringLiteral(KODRILL_SHARED_DIR "/fixtures/as/");

class TRecordingFile : public TProjectFile {
 public:
  explicit TRecordingFile(const QString& name) { File = name; }
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
  void ClearErrorMarks() override { ++Cleared; }
  void MarkError(int kind, int line) override { Marks << QPair<int, int>(kind, line); }
  void ShowError(int line) override { Shown << line; }
  int Cleared = 0;
  QList<QPair<int, int>> Marks;
  QList<int> Shown;
};

class FormAssembleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KodrillApp = new TKodrillApp;
    TProject* project = KodrillApp->Project();
    project->Directory = QDir::toNativeSeparators(Dir.path()) + QDir::separator();
    project->FileName = "test.AsmPrj";
    project->Processor = "6811";
    KodrillApp->AssemblerPrefs()->AsDirectory = "/opt/asl/";
    project->AddFile(&Asm);
    project->AddFile(&Inc);
    Hooks.Error = [this](const QString& text) { ErrorBoxes << text; };
    SetUserDialogHooks(&Hooks);
    Form = new TFormAssemble;
    FormAssemble = Form;
    // The stand-in assembler: prints a capture, writes (or removes) the log, notes ASCMD.
    WriteFile(Dir.filePath("fakeasl"),
              "#!/bin/sh\ncat \"$FAKE_CASE/out.bin\"\n"
              "if [ -f \"$FAKE_CASE/test.log\" ]; then cp \"$FAKE_CASE/test.log\" test.log; else rm -f test.log; fi\n"
              "echo \"$ASCMD\" > ascmd.txt\n",
              true);
    WriteFile(Dir.filePath("make.bat"), "@echo off\r\nset ASCMD=@test.par\r\nfakeasl test.asm\r\n");
  }
  void TearDown() override {
    delete Form;
    FormAssemble = nullptr;
    SetUserDialogHooks(nullptr);
    KodrillApp->Project()->RemoveFile(&Asm);
    KodrillApp->Project()->RemoveFile(&Inc);
    delete KodrillApp;
    KodrillApp = nullptr;
  }
  QString Text(const char* panel) const { return Form->findChild<QLabel*>(panel)->text(); }
  QColor Color(const char* panel) const {
    return Form->findChild<QLabel*>(panel)->palette().color(QPalette::WindowText);
  }
  QListWidget* List() const { return Form->findChild<QListWidget*>("ListBoxErrors"); }
  QString Memo() const { return Form->findChild<QPlainTextEdit*>("MemoInfo")->toPlainText(); }
  void Click(int row) {
    List()->setCurrentRow(row);
    emit List()->itemClicked(List()->item(row));
  }

  QTemporaryDir Dir;
  TScopedEnv ComSpec{"COMSPEC", KODRILL_CMD_PATH};
  TRecordingFile Asm{"test.asm"};
  TRecordingFile Inc{"SUB.INC"};
  TUserDialogHooks Hooks;
  QStringList ErrorBoxes;
  TFormAssemble* Form = nullptr;
};

}  // namespace

TEST_F(FormAssembleTest, RunShowsOutputCountsListAndMarks) {
  TScopedEnv fake("FAKE_CASE", (kFixtures + "case2b_errors_2pass").toUtf8());
  Form->Assemble();
  EXPECT_EQ(Form->windowTitle(), "Assembliere...");
  EXPECT_TRUE(Form->isVisible());
  EXPECT_EQ(ReadFile(Dir.filePath("test.par")), "-i /opt/asl/include\r\n-L -E\r\n-CPU 6811\r\n");
  EXPECT_EQ(ReadFile(Dir.filePath("ascmd.txt")), "@test.par\n");
  EXPECT_EQ(Text("PanelProject"), "Projekt:   test.AsmPrj");
  EXPECT_EQ(Text("PanelCommand"), "Command:   " + KodrillApp->Project()->Directory + "make.bat");
  EXPECT_EQ(Text("PanelStatus"), "Status:   Finished.");
  EXPECT_EQ(Text("PanelPasses"), QStringLiteral("Durchläufe: 2"));
  EXPECT_EQ(Text("PanelLines"), "Zeilen: 16");
  EXPECT_EQ(Text("PanelErrors"), "Fehler: 2");
  EXPECT_EQ(Text("PanelWarnings"), "Warnung: 1");
  EXPECT_EQ(Color("PanelErrors"), QColor(255, 0, 0));
  const QColor warn = Color("PanelWarnings");
  EXPECT_TRUE(warn.red() > 150 && warn.green() > 100 && warn.blue() < 50) << warn.name().toStdString();
  EXPECT_TRUE(Memo().startsWith("\nAssembling test.asm\nPASS 1\n"));
  EXPECT_TRUE(Memo().endsWith("      2 errors\n      1 warning"));
  ASSERT_EQ(List()->count(), 4);
  EXPECT_EQ(List()->item(2)->text(), "> > > sub.inc(2):17: error: symbol undefined");
  EXPECT_EQ(Asm.Cleared, 1);
  EXPECT_EQ(Inc.Cleared, 1);
  EXPECT_EQ(Asm.Marks, (QList<QPair<int, int>>{{0, 8}, {1, 6}, {0, 8}}));
  EXPECT_EQ(Inc.Marks, (QList<QPair<int, int>>{{1, 2}}));
  EXPECT_TRUE(Form->findChild<QPushButton*>("BtnOK")->isEnabled());
  EXPECT_FALSE(Form->IsRunning());
  Click(2);
  EXPECT_EQ(Inc.Shown, QList<int>{2});
  Form->findChild<QPushButton*>("BtnOK")->click();
  EXPECT_FALSE(Form->isVisible());
  EXPECT_EQ(List()->count(), 4);  // shown again later unchanged

  // A clean run afterwards: counts in the text colour again, no log, no marks.
  TScopedEnv clean("FAKE_CASE", (kFixtures + "case1_clean").toUtf8());
  Form->Assemble();
  EXPECT_EQ(Text("PanelErrors"), "Fehler: 0");
  EXPECT_EQ(Color("PanelErrors"), Form->palette().color(QPalette::WindowText));
  EXPECT_EQ(Text("PanelLines"), "Zeilen: 102");
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(Asm.Cleared, 2);
  EXPECT_EQ(Asm.Marks.size(), 3);
}

TEST_F(FormAssembleTest, BadLogEntryDoesNotStopTheMarksAndOutputTailIsShown) {
  QDir(Dir.path()).mkdir("case");
  WriteFile(Dir.filePath("case/out.bin"), "PASS 1\nsub.inc(4)\r\nthe last words");
  WriteFile(Dir.filePath("case/test.log"),
            "> > > test.asm(3): error: x\n\n> > > test.asm(abc): error: bad\nshort\n"
            "> > > sub.inc(99999999999): error: big\n> > > sub.inc(5): warning: y\n");
  TScopedEnv fake("FAKE_CASE", Dir.filePath("case").toUtf8());
  Form->Assemble();
  EXPECT_TRUE(Memo().endsWith("sub.inc(4)\nthe last words"));
  EXPECT_EQ(Text("PanelLines"), "Zeilen: 4");
  ASSERT_EQ(List()->count(), 5);  // the empty line is gone
  EXPECT_EQ(Asm.Marks, (QList<QPair<int, int>>{{1, 3}}));
  EXPECT_EQ(Inc.Marks, (QList<QPair<int, int>>{{0, 5}}));
  Click(1);
  Click(2);
  EXPECT_TRUE(Asm.Shown.isEmpty());
  EXPECT_TRUE(ErrorBoxes.isEmpty());
}

TEST_F(FormAssembleTest, FailuresToStartAreShown) {
  QFile::remove(Dir.filePath("make.bat"));
  WriteFile(Dir.filePath("test.log"), "> > > test.asm(7): warning: old\n");
  Form->Assemble();
  EXPECT_EQ(Text("PanelStatus"), "Status:   make.bat nicht gefunden.");
  EXPECT_TRUE(Memo().contains("make.bat")) << Memo().toStdString();
  EXPECT_EQ(List()->count(), 1);  // whatever the log holds

  WriteFile(Dir.filePath("make.bat"), "@echo off\r\n");
  TScopedEnv broken("COMSPEC", Dir.filePath("no-such-interpreter").toUtf8());
  Form->Assemble();
  EXPECT_EQ(Text("PanelStatus"), "Status:   Nicht gestartet.");
  EXPECT_TRUE(Memo().contains("CreateProcess Error")) << Memo().toStdString();
  EXPECT_TRUE(Form->findChild<QPushButton*>("BtnOK")->isEnabled());
}

TEST_F(FormAssembleTest, UnwritableOptionFileOrMissingDirectoryEndTheCommand) {
  TScopedEnv fake("FAKE_CASE", (kFixtures + "case1_clean").toUtf8());
  QDir(Dir.path()).mkdir("test.par");  // cannot be written as a file
  Form->Assemble();
  EXPECT_EQ(Text("PanelStatus"), "Status:   Fehler.");
  ASSERT_EQ(ErrorBoxes.size(), 1);
  EXPECT_TRUE(ErrorBoxes.first().contains("test.par")) << ErrorBoxes.first().toStdString();
  EXPECT_FALSE(QFile::exists(Dir.filePath("ascmd.txt")));  // make.bat did not run
  EXPECT_TRUE(Form->findChild<QPushButton*>("BtnOK")->isEnabled());

  KodrillApp->Project()->Directory = Dir.filePath("missing/");
  Form->Assemble();
  EXPECT_EQ(ErrorBoxes.size(), 2);
  EXPECT_FALSE(Form->IsRunning());
  EXPECT_EQ(Asm.Cleared, 1);  // the second request stopped before touching anything
}

TEST_F(FormAssembleTest, ClosingDuringARunEndsItAndASecondRequestIsRefused) {
  WriteFile(Dir.filePath("make.bat"), "@sh -c \"echo $$ > pid; echo begin; exec sleep 60\"\r\n");
  bool wasRunning = false;
  QTimer::singleShot(300, Form, [&] {
    wasRunning = Form->IsRunning();
    Form->Assemble();  // refused: no nested run
    Form->close();
  });
  Form->Assemble();
  EXPECT_TRUE(wasRunning);
  EXPECT_FALSE(Form->IsRunning());
  EXPECT_EQ(Asm.Cleared, 1);
  EXPECT_EQ(Text("PanelStatus"), "Status:   Abgebrochen.");
  EXPECT_TRUE(Memo().contains("begin"));
#ifdef Q_OS_LINUX
  const QByteArray pid = ReadFile(Dir.filePath("pid")).trimmed();
  ASSERT_FALSE(pid.isEmpty());
  EXPECT_TRUE(ProcessEnded(pid));
#endif
}

TEST_F(FormAssembleTest, FloodsOfOutputKeepTheLatestLines) {
  // Many lines, then 3 MB of binary zeros without a line end.
  WriteFile(Dir.filePath("make.bat"), "@seq 1 120000\r\n@head -c 3000000 /dev/zero\r\n");
  Form->Assemble();
  const auto* memo = Form->findChild<QPlainTextEdit*>("MemoInfo");
  EXPECT_EQ(Text("PanelStatus"), "Status:   Finished.");
  EXPECT_LE(memo->blockCount(), 100000);
  const QStringList tail = Memo().right(20000).split(u'\n');
  ASSERT_GE(tail.size(), 2);
  EXPECT_EQ(tail.last().size(), 3000000 % 4096);  // the unterminated piece at the end
  EXPECT_EQ(tail.at(tail.size() - 2), QString(4096, QChar(0)));
  EXPECT_TRUE(Memo().contains("\n119999\n120000\n")) << "line count " << memo->blockCount();
}

// With the real assembler at hand, a small project is assembled for real.
TEST_F(FormAssembleTest, RealAssembler) {
  const QString asDir = QStringLiteral(KODRILL_SHARED_DIR "/tools/asl/");
  TScopedEnv path("PATH", (asDir + "bin:").toUtf8() + qgetenv("PATH"));
  if (QStandardPaths::findExecutable("asl").isEmpty()) GTEST_SKIP() << "asl not found";
  for (const char* name : {"test.asm", "regs.inc"})
    QFile::copy(kFixtures + "case1_clean/input/" + name, Dir.filePath(name));
  WriteFile(Dir.filePath("make.bat"), "@set ASCMD=@test.par\r\n@asl test.asm\r\n");
  KodrillApp->AssemblerPrefs()->AsDirectory = asDir;
  Form->Assemble();
  EXPECT_EQ(Text("PanelStatus"), "Status:   Finished.");
  EXPECT_EQ(Text("PanelPasses"), QStringLiteral("Durchläufe: 1"));
  EXPECT_EQ(Text("PanelLines"), "Zeilen: 102");
  EXPECT_EQ(Text("PanelErrors"), "Fehler: 0");
  EXPECT_EQ(List()->count(), 0);
  EXPECT_TRUE(QFile::exists(Dir.filePath("test.p")));

  // An error in the source: listed and marked.
  WriteFile(Dir.filePath("test.asm"), "        org $1000\n        nosuchop\n        end\n");
  Form->Assemble();
  EXPECT_EQ(Text("PanelErrors"), "Fehler: 1");
  ASSERT_EQ(List()->count(), 1);
  EXPECT_EQ(Asm.Marks, (QList<QPair<int, int>>{{1, 2}}));
}
