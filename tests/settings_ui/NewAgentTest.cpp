// The new-file wizard: navigation, the files it writes byte for byte, and its failures.
#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "SettingsUiFixture.h"
#include "settings/FormNewAgent.h"

namespace {

class NewAgentTest : public SettingsUiTest {
 protected:
  void SetUp() override {
    SettingsUiTest::SetUp();
    Wizard.OnOpenFile = [this](const QString& name) { Opened << name; };
    Wizard.show();
  }
  template <typename T = QPushButton>
  T* Child(const char* name) const {
    return Wizard.findChild<T*>(name);
  }
  QLineEdit* Edit(const char* name) const { return Child<QLineEdit>(name); }
  void ChooseType(int row) {
    Child<QListWidget>("ListView1")->setCurrentRow(row);
    Child("BtnContinue")->click();
  }
  void Finish(const QString& name, std::initializer_list<bool> checked = {true, true, true, true}) {
    Wizard.show();
    int i = 0;
    for (bool on : checked)
      Child<QListWidget>("CheckListBoxFiles")->item(i++)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    ChooseType(1);
    Edit("FilenameEdit1")->setText(name);
    Child("BtnFinish")->click();
  }
  // Page shown and the enabled state of Back, Continue and Finish.
  QString State() const {
    QString state;
    for (const char* page : {"PanelSelect", "PanelProject", "PanelProjectFile"})
      if (Child<QWidget>(page)->isVisible()) state = page;
    for (const char* b : {"BtnBack", "BtnContinue", "BtnFinish"}) state += Child(b)->isEnabled() ? " +" : " -";
    return state;
  }

  TFormNewAgent Wizard;
  QStringList Opened;
};

TEST_F(NewAgentTest, PagesFollowTheChoice) {
  EXPECT_EQ(State(), "PanelSelect - + -");  // the first kind is chosen from the start
  Child<QListWidget>("ListView1")->clearSelection();
  Child("BtnContinue")->click();  // nothing chosen: nothing to continue with
  EXPECT_EQ(State(), "PanelSelect - - -");
  Child<QListWidget>("ListView1")->setCurrentRow(1);
  EXPECT_EQ(State(), "PanelSelect - + -");
  Child("BtnContinue")->click();
  EXPECT_EQ(State(), "PanelProject + - +");
  for (const auto& [row, name] : {std::pair{0, "File1.Inc"}, {2, "File1.Asm"}}) {
    Child("BtnBack")->click();
    EXPECT_EQ(State(), "PanelSelect - + -");
    ChooseType(row);
    EXPECT_EQ(State(), "PanelProjectFile + - +");
    EXPECT_EQ(Edit("FilenameEdit3")->text(), name);
  }
  // A new showing starts on page 1 again and keeps the typed names.
  Edit("FilenameEdit3")->setText("Other.asm");
  Child("BtnCancel")->click();
  Wizard.show();
  EXPECT_EQ(State(), "PanelSelect - + -");
  EXPECT_EQ(Edit("FilenameEdit3")->text(), "Other.asm");
  EXPECT_TRUE(Opened.isEmpty());
}

TEST_F(NewAgentTest, ReturnAndEscapeWorkOnEveryPage) {
  Edit("FilenameEdit1")->setText(Path("Keys"));
  Edit("FilenameEdit3")->setText(Path("keys.inc"));
  auto* list = Child<QListWidget>("ListView1");
  // The widget with the focus, its key, and then the page shown; a closed wizard is shown again.
  const std::tuple<QWidget*, Qt::Key, const char*> steps[] = {
      {list, Qt::Key_Return, "PanelProjectFile + - +"},  // "Inc-Datei", chosen from the start
      {Edit("FilenameEdit3"), Qt::Key_Escape, "closed"},
      {list, Qt::Key_Right, "PanelSelect - + -"},
      {list, Qt::Key_Return, "PanelProject + - +"},
      {Child("BtnBack"), Qt::Key_Return, "PanelSelect - + -"},  // a button with the focus takes Return
      {Child("BtnCancel"), Qt::Key_Return, "closed"},
      {list, Qt::Key_Return, "PanelProject + - +"},  // the last choice is kept
      {Edit("FilenameEdit1"), Qt::Key_Return, "closed"},
  };
  int i = 0;
  for (const auto& [widget, key, state] : steps) {
    if (!Wizard.isVisible()) Wizard.show();
    QTest::keyClick(widget, key);
    EXPECT_EQ(Wizard.isVisible() ? State() : "closed", QString(state)) << i++;
  }
  EXPECT_EQ(Opened, QStringList{Path("Keys.AsmPrj")});
  EXPECT_FALSE(QFile::exists(Path("keys.inc")));
}

TEST_F(NewAgentTest, ProjectNameGetsTheProjectExtension) {
  ChooseType(1);
  QLineEdit* edit = Edit("FilenameEdit1");
  for (const auto& [typed, shown] : {std::pair{"Demo", "Demo.AsmPrj"}, {"Demo.asm", "Demo.AsmPrj"},
                                     {"dir.d/Demo", "dir.d/Demo.AsmPrj"}, {"", ""}}) {
    edit->setText(typed);
    QFocusEvent focusOut(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit, &focusOut);
    EXPECT_EQ(edit->text(), shown);
  }
  // The file dialog is offered the name with the extension and returns it with one.
  edit->setText("Proposal.txt");
  DialogResult = Path("Chosen");
  edit->findChild<QAction*>("FilenameEdit1Browse")->trigger();
  EXPECT_EQ(DialogCalls.value(0) + "|" + edit->text(), "Neues Projekt anlegen|Proposal.AsmPrj|" + Path("Chosen.AsmPrj"));
}

TEST_F(NewAgentTest, ProjectStepWritesTheCheckedFiles) {
  // make.bat names the source as it is written where letter case tells names apart.
#ifdef Q_OS_WIN
  const QByteArray src = "asm";
#else
  const QByteArray src = "Asm";
#endif
  App->AssemblerPrefs()->AsDirectory = "c:\\assemble\\as1418\\";
  App->AssemblerPrefs()->AsExecutable = "bin\\as.exe";
  Finish(Path("Demo.xyz"));
  EXPECT_EQ(ReadBytes(Path("Demo.AsmPrj")), "\r\n[global]\r\nFileCount=1\r\n[File1]\r\nFile=Demo.Asm\r\n");
  EXPECT_EQ(ReadBytes(Path("Demo.par")) + ReadBytes(Path("Demo.Asm")), "\r\n\r\n");
  EXPECT_EQ(ReadBytes(Path("make.bat")),
            "@set USEXMS=y\r\n@set ASCMD=@Demo.par\r\n@c:\\assemble\\as1418\\bin\\as.exe Demo." + src + "\r\n"
            "@rem p2hex Demo Demo.s19 -r $-$\r\n\r\n");
  EXPECT_EQ(Wizard.windowTitle(), Path("Demo"));
  EXPECT_FALSE(Wizard.isVisible());
  // Without the source the project file holds only an empty line; without the project file
  // the wizard still opens the name it would have had.
  Finish(Path("NoSource"), {true, true, false, false});
  EXPECT_EQ(ReadBytes(Path("NoSource.AsmPrj")), "\r\n");
  EXPECT_FALSE(QFile::exists(Path("NoSource.Asm")));
  Finish(Path("Bare"), {false, false, true, false});
  EXPECT_FALSE(QFile::exists(Path("Bare.AsmPrj")));
  EXPECT_EQ(Opened, (QStringList{Path("Demo.AsmPrj"), Path("NoSource.AsmPrj"), Path("Bare.AsmPrj")}));
  // Names with blanks reach the programs whole; a folder stored without its separator gets one.
  App->AssemblerPrefs()->AsDirectory = "/opt/my as";
  App->AssemblerPrefs()->AsExecutable = "bin/asl";
  QDir().mkpath(Path("blank"));
  Finish(Path("blank/Mein Demo"), {false, false, false, true});
  EXPECT_EQ(ReadBytes(Path("blank/make.bat")),
            "@set USEXMS=y\r\n@set ASCMD=@Mein Demo.par\r\n@\"/opt/my as/bin/asl\" \"Mein Demo." + src + "\"\r\n"
            "@rem p2hex \"Mein Demo\" \"Mein Demo.s19\" -r $-$\r\n\r\n");
  // Operators and "%" are taken as text; a leading blank survives the project file's reader.
  QDir().mkpath(Path("odd"));
  Finish(Path("odd/ F&E 5%"), {true, false, true, true});
  EXPECT_EQ(ReadBytes(Path("odd/ F&E 5%.AsmPrj")), "\r\n[global]\r\nFileCount=1\r\n[File1]\r\nFile=\" F&E 5%.Asm\"\r\n");
  EXPECT_EQ(ReadBytes(Path("odd/make.bat")),
            "@set USEXMS=y\r\n@set \"ASCMD=@ F&E 5%%.par\"\r\n@\"/opt/my as/bin/asl\" \" F&E 5%%." + src + "\"\r\n"
            "@rem p2hex \" F&E 5%%\" \" F&E 5%%.s19\" -r $-$\r\n\r\n");
  EXPECT_TRUE(Questions.isEmpty() && Errors.isEmpty());
}

// Also a file named in other letter case: it is the one the project and make.bat will find, and
// a project file kept so is the one opened.
TEST_F(NewAgentTest, AsksBeforeReplacingAnExistingFile) {
  WriteBytes(Path("demo.asm"), "keep me\n");
  WriteBytes(Path("DEMO.ASMPRJ"), "\r\n");
  WriteBytes(Path("make.bat"), "old make\n");
  Answer = TAnswer::No;
  Finish(Path("Demo"));
  ASSERT_EQ(Questions.size(), 3);
  EXPECT_EQ(Questions[1], "Die Datei \"" + Path("demo.asm") + "\" existiert bereits. Ersetzen?");
  EXPECT_EQ(ReadBytes(Path("demo.asm")) + ReadBytes(Path("make.bat")), "keep me\nold make\n");
  // The others are still written, the option file as the runs of the project kept name it.
  EXPECT_EQ(ReadBytes(Path("DEMO.par")), "\r\n");
  EXPECT_EQ(Opened.value(0), Path("DEMO.ASMPRJ"));
  QFile::remove(Path("make.bat"));  // written anew, it names the source kept
  Answer = TAnswer::Yes;
  Finish(Path("Demo"));
  EXPECT_EQ(ReadBytes(Path("demo.asm")), "\r\n");
  const QDir dir(Temp.path());
  EXPECT_EQ(dir.entryList({"*.asm", "*.asmprj"}, QDir::Files, QDir::Name), (QStringList{"DEMO.ASMPRJ", "demo.asm"}));
  EXPECT_TRUE(ReadBytes(Path("make.bat")).contains("ASCMD=@DEMO.par\r\n"));
#ifndef Q_OS_WIN
  EXPECT_TRUE(ReadBytes(Path("make.bat")).contains(" demo.asm\r\n"));
#endif
}

TEST_F(NewAgentTest, FailuresKeepTheWizardOpen) {
  const QString saved = QDir::currentPath();
  QDir::setCurrent(Temp.path());
  Finish(Path("missing/Demo"));
  Finish("");  // no name: no hidden files named by their extensions only
  QDir::setCurrent(saved);
  EXPECT_EQ(Errors, (QStringList{"Kann Datei " + Path("missing/Demo.AsmPrj") + " nicht erstellen: Den Ordner " +
                                     QDir::toNativeSeparators(Path("missing")) + " gibt es nicht.",
                                 "Bitte einen Projektnamen angeben."}));
  EXPECT_EQ(State(), "PanelProject + - +");
  EXPECT_TRUE(Opened.isEmpty());
  EXPECT_TRUE(QDir(Temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
}

TEST_F(NewAgentTest, FileStepWritesOneEmptyLineAndOpensIt) {
  const QString saved = QDir::currentPath();
  QDir::setCurrent(Temp.path());
  ChooseType(0);
  Child("BtnFinish")->click();
  QDir::setCurrent(saved);
  EXPECT_EQ(ReadBytes(Path("File1.Inc")), "\r\n");
  EXPECT_EQ(Wizard.windowTitle(), "File1.Inc");
  // An existing source kept on "No" is still opened.
  Wizard.show();
  Answer = TAnswer::No;
  WriteBytes(Path("Main.Asm"), "text\n");
  ChooseType(2);
  Edit("FilenameEdit3")->setText(Path("Main.Asm"));
  Child("BtnFinish")->click();
  EXPECT_EQ(ReadBytes(Path("Main.Asm")), "text\n");
  EXPECT_EQ(Opened, (QStringList{Path("File1.Inc"), Path("Main.Asm")}));
}

}  // namespace
