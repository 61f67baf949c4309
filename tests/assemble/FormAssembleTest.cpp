// The assemble dialog end to end: make.bat, run by kodrill-cmd, starts a stand-in assembler that
// prints a real capture and writes its log (or the real assembler, where there is one).
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "TestSupport.h"
#include "assemble/FormAssemble.h"
#include "platform/ui/UserDialogs.h"
#include "settings/KodrillApp.h"

namespace {

using TMarks = QList<QPair<int, int>>;

class TRecordingFile : public TProjectFile {
 public:
  explicit TRecordingFile(const QString& name) { File = name; }
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
  void ClearErrorMarks() override { ++Cleared; }
  void MarkError(int kind, int line) override { Marks << QPair<int, int>(kind, line); }
  int Cleared = 0;
  TMarks Marks;
};

class FormAssembleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KodrillApp = new TKodrillApp;
    TProject* project = KodrillApp->Project();
    project->Directory = QDir::toNativeSeparators(Dir.path()) + QDir::separator();
    project->FileName = "test.AsmPrj";
    project->Processor = "6811";
    KodrillApp->AssemblerPrefs()->AsDirectory = "/opt/asl";  // as typed into Kodrill.ini
    project->AddFile(&Asm);
    project->AddFile(&Inc);
    Hooks.Error = [this](const QString& text) { ErrorBoxes << text; };
    SetUserDialogHooks(&Hooks);
    FormAssemble = Form = new TFormAssemble;
    Form->OnShowMessage = [this](const QString& path, int line, int, const QString& text) {
      Shown << QStringLiteral("%1:%2 %3").arg(QFileInfo(path).fileName()).arg(line).arg(text);
    };
    // The stand-in assembler prints $FAKE_OUT and copies $FAKE_LOG to the log.
    WriteFile(Dir.filePath("fakeasl"), "#!/bin/sh\ncat \"$FAKE_OUT\"\nrm -f test.log\n[ -z \"$FAKE_LOG\" ] || cp \"$FAKE_LOG\" test.log\n",
              true);
    WriteFile(Dir.filePath("make.bat"), "@echo off\r\nset ASCMD=@test.par\r\nfakeasl test.asm\r\n");
  }
  void TearDown() override {
    QDir::setCurrent(SavedCwd);  // a run enters the project's folder, which goes with Dir
    delete Form;
    FormAssemble = nullptr;
    SetUserDialogHooks(nullptr);
    delete KodrillApp;
    KodrillApp = nullptr;
  }
  void Run(const QString& out, const QString& log) {
    TScopedEnv fakeOut("FAKE_OUT", out.toUtf8()), fakeLog("FAKE_LOG", log.toUtf8());
    Form->Assemble();
  }
  QString Text(const char* panel) const { return Form->findChild<QLabel*>(panel)->text(); }
  QColor Color(const char* panel) const { return Form->findChild<QLabel*>(panel)->palette().color(QPalette::WindowText); }
  QListView* List() const { return Form->findChild<QListView*>("ListBoxErrors"); }
  QModelIndex Entry(int row) const { return List()->model()->index(row, 0); }
  int Count() const { return List()->model()->rowCount(); }
  QPushButton* OK() const { return Form->findChild<QPushButton*>("BtnOK"); }
  QString Memo() const { return Form->findChild<QPlainTextEdit*>("MemoInfo")->toPlainText(); }

  const QString SavedCwd = QDir::currentPath();
  QTemporaryDir Dir;
  TScopedEnv ComSpec{"COMSPEC", KODRILL_CMD_PATH};
  TRecordingFile Asm{"test.asm"}, Inc{"IRP.INC"};
  TUserDialogHooks Hooks;
  QStringList ErrorBoxes, Shown;
  TFormAssemble* Form = nullptr;
};

}  // namespace

TEST_F(FormAssembleTest, RunShowsOutputCountsListAndMarks) {
  Run(CapturePath("irp_de850.out"), CapturePath("irp_de850.log"));
  EXPECT_EQ(ReadFile(Dir.filePath("test.par")), "-i /opt/asl/include\r\n-L -E\r\n-CPU 6811\r\n");
  EXPECT_EQ(Text("PanelCommand"), "Command:   " + KodrillApp->Project()->Directory + "make.bat");
  EXPECT_EQ(Text("PanelLines"), "Zeilen: 28");
  EXPECT_EQ(Text("PanelErrors"), "Fehler: 10");
  EXPECT_EQ(Text("PanelWarnings"), "Warnung: 3");
  EXPECT_EQ(Color("PanelErrors"), QColor(255, 0, 0));
  EXPECT_NE(Color("PanelWarnings"), Form->palette().color(QPalette::WindowText));
  EXPECT_TRUE(Memo().contains(QStringLiteral("durchgeführt, Listing möglicherweise inkorrekt.\n     10 Fehler\n")));
  ASSERT_EQ(Count(), 13);
  EXPECT_EQ(Entry(4).data().toString(), QStringLiteral("> > > test.asm(7) IRP:$1234(1):18: Fehler: Bereichsüberschreitung"));
  EXPECT_EQ(Asm.Marks, (TMarks{{1, 7}, {0, 11}, {1, 11}, {0, 11}, {1, 11}, {0, 11}, {1, 11}, {1, 15}, {1, 20}}));
  EXPECT_EQ(Inc.Marks, (TMarks{{1, 4}, {1, 4}, {1, 4}, {1, 4}}));

  // Keys in the list: arrows move, Return jumps to the entry's line and keeps the dialog open.
  EXPECT_EQ(List()->currentIndex(), Entry(0));
  for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return})
    QTest::keyClick(List(), key);
  ASSERT_EQ(Shown.size(), 1);
  EXPECT_TRUE(Shown[0].startsWith("test.asm:7 Meldung 5 von 13: test.asm(7) IRP:")) << Shown[0].toStdString();
  EXPECT_TRUE(Form->isVisible());
  List()->setFocus();
  EXPECT_FALSE(OK()->isDefault());
  OK()->setFocus();
  EXPECT_TRUE(OK()->isDefault());
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualRect(Entry(0)).center());
  EXPECT_TRUE(Shown.last().startsWith("IRP.INC:4 ")) << Shown.last().toStdString();  // the project's file of that name
  OK()->click();
  EXPECT_FALSE(Form->isVisible());
  EXPECT_EQ(Count(), 13);  // shown again later unchanged

  // A clean run afterwards: counts in the text colour again, no log, no marks.
  Run(CapturePath("clean.out"), "");
  EXPECT_EQ(Text("PanelErrors"), "Fehler: 0");
  EXPECT_EQ(Color("PanelErrors"), Form->palette().color(QPalette::WindowText));
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(Asm.Marks.size(), 9);
  QFile::remove(Dir.filePath("make.bat"));  // nothing runs: no counts left from the run before
  Form->Assemble();
  EXPECT_EQ(Text("PanelErrors"), "Fehler:");
}

TEST_F(FormAssembleTest, FailuresAreShownAndEndTheCommand) {
  // Without make.bat nothing ran: the log there is an earlier run's.
  QFile::remove(Dir.filePath("make.bat"));
  WriteFile(Dir.filePath("made.log"), "> > > test.asm(3): error: x\n\n> > > test.asm(abc): error: bad\nshort\n"
                                      "> > > irp.inc(99999999999): error: big\n> > > irp.inc(5): warning: y\n");
  QFile::copy(Dir.filePath("made.log"), Dir.filePath("test.log"));
  Form->Assemble();
  EXPECT_EQ(Text("PanelStatus"), "Status:   make.bat nicht gefunden.");
  EXPECT_EQ(Count(), 0);
  EXPECT_TRUE(Asm.Marks.empty() && Inc.Marks.empty());

  // A bad entry stops no mark after it.
  WriteFile(Dir.filePath("make.bat"), "@cp made.log test.log\r\n");
  Form->Assemble();
  ASSERT_EQ(Count(), 5);  // the empty line is gone
  EXPECT_EQ(Asm.Marks, (TMarks{{1, 3}}));
  EXPECT_EQ(Inc.Marks, (TMarks{{0, 5}}));
  List()->setCurrentIndex(Entry(1));
  QTest::keyClick(List(), Qt::Key_Enter);
  EXPECT_TRUE(Shown.isEmpty() && ErrorBoxes.isEmpty());

  // The option file cannot hand over a folder with a blank, nor no processor: left out, and told.
  KodrillApp->AssemblerPrefs()->AsDirectory = "/opt/as dir/";
  KodrillApp->Project()->Processor.clear();
  Form->Assemble();
  EXPECT_EQ(ReadFile(Dir.filePath("test.par")), "-L -E\r\n");
  EXPECT_TRUE(Memo().contains("kodrill: Das Include-Verzeichnis des Assemblers \"/opt/as dir/include\" enthält"));
  EXPECT_TRUE(Memo().contains("kodrill: Für das Projekt ist kein Prozessor eingestellt"));
  EXPECT_EQ(Count(), 5);

  // A make.bat that fails without an error the assembler counted is no success.
  WriteFile(Dir.filePath("make.bat"), "@exit 3\r\n");
  Form->Assemble();
  EXPECT_EQ(Text("PanelStatus"), "Status:   make.bat endete mit dem Status 3.");
  EXPECT_TRUE(Memo().contains("make.bat endete mit dem Status 3."));

  WriteFile(Dir.filePath("make.bat"), "@echo off\r\n");
  TScopedEnv broken("COMSPEC", Dir.filePath("no-such-interpreter").toUtf8());
  Form->Assemble();
  EXPECT_EQ(Text("PanelStatus"), "Status:   Nicht gestartet.");
  EXPECT_TRUE(Memo().contains("CreateProcess Error"));

  QFile::remove(Dir.filePath("test.par"));
  QDir(Dir.path()).mkdir("test.par");  // cannot be written as a file
  Form->Assemble();
  EXPECT_EQ(Text("PanelStatus"), "Status:   Fehler.");
  ASSERT_EQ(ErrorBoxes.size(), 1);
  EXPECT_TRUE(ErrorBoxes.first().contains("test.par"));
  EXPECT_TRUE(OK()->isEnabled());

  KodrillApp->Project()->Directory = Dir.filePath("missing/");
  Form->Assemble();
  EXPECT_EQ(ErrorBoxes.size(), 2);
  KodrillApp->Project()->Directory.clear();  // single files open, no project
  KodrillApp->Project()->FileName.clear();
  Form->hide();
  Form->Assemble();
  EXPECT_EQ(ErrorBoxes.value(2), QStringLiteral("Kein Projekt geöffnet: Assemblieren braucht ein Projekt."));
  EXPECT_FALSE(Form->isVisible());  // nothing ran: no empty dialog behind the message
  EXPECT_EQ(Asm.Cleared, 6);  // the last requests stopped before touching anything
}

// A file the project lists in a subfolder is named by its file name alone: marks and clicks find it.
TEST_F(FormAssembleTest, MessagesOfAListedFileInASubfolder) {
  QDir(Dir.path()).mkdir("sub dir");
  WriteFile(Dir.filePath("sub dir/\xC3\x9C" "bung.inc"), "  nop\n  bogus\n");
  WriteFile(Dir.filePath("made.log"), "> > > \xC3\x9C" "bung.inc(2):3: error: unknown instruction\n");
  TRecordingFile inc{QStringLiteral("sub dir/Übung.inc")};
  KodrillApp->Project()->AddFile(&inc);
  Run(CapturePath("clean.out"), Dir.filePath("made.log"));
  EXPECT_EQ(inc.Marks, (TMarks{{1, 2}}));
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualRect(Entry(0)).center());
  EXPECT_EQ(Shown, QStringList{QStringLiteral("Übung.inc:2 Meldung 1 von 1: Übung.inc(2):3: error: unknown instruction")});
}

TEST_F(FormAssembleTest, ClosingHidesARunThatGoesOnAndOnlyAbbrechenEndsIt) {
  // Escape and the close box hide the dialog; the run goes on and its status is told outside.
  QStringList told;
  Form->OnRunStatus = [&](const QString& text, bool running) { told << QString::number(running) + text; };
  WriteFile(Dir.filePath("make.bat"), "@sleep 1\r\n@fakeasl test.asm\r\n");
  bool hidden = false, runningAfterClose = false;
  QTimer::singleShot(200, Form, [&] {
    QTest::keyClick(Form, Qt::Key_Escape);
    hidden = !Form->isVisible();
    Form->show();  // "Ausgabe anzeigen..."
    Form->close();
    runningAfterClose = Form->IsRunning() && !Form->isVisible();
  });
  Run(CapturePath("irp_de850.out"), CapturePath("irp_de850.log"));
  EXPECT_TRUE(hidden && runningAfterClose);
  EXPECT_EQ(Text("PanelStatus"), "Status:   Finished.");
  EXPECT_EQ(Count(), 13);
  const QString running = QStringLiteral("1Es wird assembliert... (\"Ausgabe anzeigen...\" zeigt den Lauf)");
  EXPECT_EQ(told, (QStringList{running, "0", running, "0Assemblieren beendet. Fehler: 10, Warnung: 3"}));

  // The button ends a run and its children; a run the dialog shows is not told outside.
  told.clear();
  WriteFile(Dir.filePath("make.bat"), "@sh -c \"echo $$ > pid; echo begin; exec sleep 60\"\r\n");
  // A log left on disk: cancelled, this run shows none of its marks.
  WriteFile(Dir.filePath("test.log"), "> > > test.asm(3): error: x\n");
  bool wasRunning = false;
  QTimer::singleShot(300, Form, [&] {
    wasRunning = Form->IsRunning();
    Form->Assemble();  // refused: no nested run
    Form->findChild<QPushButton*>("BtnCancel")->click();
  });
  Form->Assemble();
  EXPECT_TRUE(wasRunning);
  EXPECT_EQ(Asm.Cleared, 2);
  EXPECT_EQ(Asm.Marks.size(), 9);  // those of the run before
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(Text("PanelStatus"), "Status:   Abgebrochen.");
  EXPECT_TRUE(ProcessEnded(ReadFile(Dir.filePath("pid")).trimmed()));
  EXPECT_EQ(told, QStringList{"0"});  // the outcome told before goes when the dialog shows again
}

TEST_F(FormAssembleTest, FloodsOfOutputKeepTheLatestLines) {
  // Many lines, then 3 MB of binary zeros without a line end.
  WriteFile(Dir.filePath("make.bat"), "@seq 1 120000\r\n@head -c 3000000 /dev/zero\r\n");
  auto* pages = Form->findChild<QTabWidget*>("PageControl");
  pages->setCurrentWidget(Form->findChild<QWidget*>("TabSheetWarningsErrors"));  // Info shown only after the run
  Form->Assemble();
  pages->setCurrentWidget(Form->findChild<QWidget*>("TabSheetInfo"));
  EXPECT_LE(Form->findChild<QPlainTextEdit*>("MemoInfo")->blockCount(), 100000);
  const QStringList tail = Memo().right(20000).split(u'\n');
  ASSERT_GE(tail.size(), 2);
  EXPECT_EQ(tail.last().size(), 3000000 % 4096);  // the unterminated piece at the end
  EXPECT_EQ(tail.at(tail.size() - 2), QString(4096, QChar::ReplacementCharacter));
  EXPECT_TRUE(Memo().contains("\n119999\n120000\n"));
  EXPECT_TRUE(Memo().startsWith("[") && Memo().contains(" frühere Zeilen ausgelassen]\n"));
  const auto* memo = Form->findChild<QPlainTextEdit*>("MemoInfo");
  EXPECT_EQ(memo->horizontalScrollBar()->value(), 0);  // the lines' starts in view
  // Long lines only, trimmed while the page is shown or not.
  WriteFile(Dir.filePath("make.bat"), "@seq -f \"zeile %g " + QByteArray(300, 'X') + " ENDE\" 1 30000\r\n");
  for (const char* during : {"TabSheetWarningsErrors", "TabSheetInfo"}) {
    pages->setCurrentWidget(Form->findChild<QWidget*>(during));
    Form->Assemble();
    pages->setCurrentWidget(Form->findChild<QWidget*>("TabSheetInfo"));
    EXPECT_TRUE(Memo().endsWith(" ENDE"));
    EXPECT_EQ(memo->horizontalScrollBar()->value(), 0) << during;
    EXPECT_GE(memo->verticalScrollBar()->value(), memo->verticalScrollBar()->maximum() - 1) << during;  // the last line
  }
}

// The real assembler (KODRILL_ASL names it, else it is looked for on PATH): includes, an IRP error.
TEST_F(FormAssembleTest, RealAssembler) {
  const QString asl = FindAsl();
  SKIP_WITHOUT_ASL(asl);
  WriteFile(Dir.filePath("test.asm"), "        include \"irp.inc\"\n        org $1000\n        irp v, 1, $123\n"
                                      "        ldaa #v\n        endm\n        include \"irp.inc\"\n        end\n");
  WriteFile(Dir.filePath("irp.inc"), "        nop\n");
  WriteFile(Dir.filePath("make.bat"), "@set ASCMD=@test.par\r\n@" + asl.toUtf8() + " test.asm\r\n");
  Form->Assemble();
  EXPECT_EQ(Text("PanelLines"), "Zeilen: 12");
  EXPECT_EQ(Text("PanelErrors"), "Fehler: 1");
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(Asm.Marks, (TMarks{{1, 5}}));
}
