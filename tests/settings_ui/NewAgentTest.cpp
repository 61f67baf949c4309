// The new-file wizard: navigation, the files it writes byte for byte, and its failures.
#include <QAction>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "SettingsUiFixture.h"
#include "settings/FormNewAgent.h"
#include "settings/NewAgentFiles.h"

namespace {

class NewAgentTest : public SettingsUiTest {
 protected:
  void SetUp() override {
    SettingsUiTest::SetUp();
    Wizard = std::make_unique<TFormNewAgent>();
    Wizard->OnOpenFile = [this](const QString& name) { Opened << name; };
    Wizard->show();
  }

  template <typename T>
  T* Child(const char* name) const {
    T* child = Wizard->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  QPushButton* Button(const char* name) const { return Child<QPushButton>(name); }
  bool Visible(const char* panel) const { return Child<QWidget>(panel)->isVisible(); }

  void ChooseType(int row) {
    Child<QListWidget>("ListView1")->setCurrentRow(row);
    Button("BtnContinue")->click();
  }
  void SetChecked(int item, bool on) {
    Child<QListWidget>("CheckListBoxFiles")->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  void FinishProject(const QString& name) {
    ChooseType(1);
    Child<QLineEdit>("FilenameEdit1")->setText(name);
    Button("BtnFinish")->click();
  }

  std::unique_ptr<TFormNewAgent> Wizard;
  QStringList Opened;
};

TEST_F(NewAgentTest, ShowsTheThreeChoicesAndTheirPages) {
  auto* list = Child<QListWidget>("ListView1");
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "Inc-Datei");
  EXPECT_EQ(list->item(1)->text(), "Projekt");
  EXPECT_EQ(list->item(2)->text(), "Asm-Datei");
  EXPECT_EQ(list->iconSize(), QSize(32, 32));
  EXPECT_EQ(Wizard->windowTitle(), "FormNewAgent");
  EXPECT_EQ(Child<QLineEdit>("FilenameEdit1")->text(), "Project1.AsmPrj");
  EXPECT_EQ(Child<QLineEdit>("FilenameEdit3")->text(), "File1.asm");
  auto* files = Child<QListWidget>("CheckListBoxFiles");
  ASSERT_EQ(files->count(), 4);
  const QStringList items{"*.AsmPrj", "*.par", "*.asm", "make.bat"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(files->item(i)->text(), items[i]);
    EXPECT_EQ(files->item(i)->checkState(), Qt::Checked);
  }

  // Page 1 with nothing chosen: nothing to continue with.
  EXPECT_TRUE(Visible("PanelSelect"));
  EXPECT_FALSE(Button("BtnContinue")->isEnabled());
  EXPECT_FALSE(Button("BtnBack")->isEnabled());
  EXPECT_FALSE(Button("BtnFinish")->isEnabled());
  Button("BtnContinue")->click();
  EXPECT_TRUE(Visible("PanelSelect"));

  list->setCurrentRow(1);
  EXPECT_TRUE(Button("BtnContinue")->isEnabled());
  Button("BtnContinue")->click();
  EXPECT_TRUE(Visible("PanelProject"));
  EXPECT_FALSE(Visible("PanelSelect"));
  EXPECT_FALSE(Button("BtnContinue")->isEnabled());
  EXPECT_TRUE(Button("BtnBack")->isEnabled());
  EXPECT_TRUE(Button("BtnFinish")->isEnabled());

  Button("BtnBack")->click();
  EXPECT_TRUE(Visible("PanelSelect"));
  EXPECT_TRUE(Button("BtnContinue")->isEnabled());
  ChooseType(0);
  EXPECT_TRUE(Visible("PanelProjectFile"));
  EXPECT_EQ(Child<QLineEdit>("FilenameEdit3")->text(), "File1.Inc");
  Button("BtnBack")->click();
  ChooseType(2);
  EXPECT_EQ(Child<QLineEdit>("FilenameEdit3")->text(), "File1.Asm");

  // A new showing starts on page 1 again and keeps the typed names.
  Child<QLineEdit>("FilenameEdit3")->setText("Other.asm");
  Button("BtnCancel")->click();
  EXPECT_EQ(Wizard->result(), QDialog::Rejected);
  Wizard->show();
  EXPECT_TRUE(Visible("PanelSelect"));
  EXPECT_FALSE(Button("BtnFinish")->isEnabled());
  EXPECT_EQ(Child<QLineEdit>("FilenameEdit3")->text(), "Other.asm");
  EXPECT_TRUE(Opened.isEmpty());
}

TEST_F(NewAgentTest, ProjectNameGetsTheProjectExtension) {
  EXPECT_EQ(WithProjectExtension("Demo"), "Demo.AsmPrj");
  EXPECT_EQ(WithProjectExtension("Demo.asm"), "Demo.AsmPrj");
  EXPECT_EQ(WithProjectExtension("dir.d/Demo"), "dir.d/Demo.AsmPrj");
  EXPECT_EQ(WithProjectExtension(""), "");

  ChooseType(1);
  auto* edit = Child<QLineEdit>("FilenameEdit1");
  edit->setText("Demo");
  QFocusEvent focusOut(QEvent::FocusOut);
  QCoreApplication::sendEvent(edit, &focusOut);
  EXPECT_EQ(edit->text(), "Demo.AsmPrj");

  // The dialog is offered and returns the name with the extension.
  edit->setText("Proposal.txt");
  DialogResult = Path("Chosen");
  edit->findChild<QAction*>("FilenameEdit1Browse")->trigger();
  ASSERT_EQ(DialogCalls.size(), 1);
  EXPECT_EQ(DialogCalls[0], "Neues Projekt anlegen|Proposal.AsmPrj");
  EXPECT_EQ(edit->text(), Path("Chosen.AsmPrj"));
}

TEST_F(NewAgentTest, ProjectStepWritesAllFourFiles) {
  App->AssemblerPrefs()->AsDirectory = "c:\\assemble\\as1418\\";
  App->AssemblerPrefs()->AsExecutable = "bin\\as.exe";
  FinishProject(Path("Demo.xyz"));

  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_EQ(ReadBytes(Path("Demo.AsmPrj")), "\r\n[global]\r\nFileCount=1\r\n[File1]\r\nFile=Demo.Asm\r\n");
  EXPECT_EQ(ReadBytes(Path("Demo.Par")), "\r\n");
  EXPECT_EQ(ReadBytes(Path("Demo.Asm")), "\r\n");
  EXPECT_EQ(ReadBytes(Path("make.bat")),
            "@set USEXMS=y\r\n"
            "@set ASCMD=@Demo.par\r\n"
            "@c:\\assemble\\as1418\\bin\\as.exe Demo.asm\r\n"
            "@rem p2hex Demo Demo.s19 -r $-$\r\n"
            "\r\n");
  EXPECT_EQ(Opened, QStringList{Path("Demo.AsmPrj")});
  EXPECT_EQ(Wizard->windowTitle(), Path("Demo"));
  EXPECT_EQ(Wizard->result(), QDialog::Accepted);
  EXPECT_FALSE(Wizard->isVisible());
  EXPECT_TRUE(Questions.isEmpty());
}

TEST_F(NewAgentTest, UncheckedItemsAreNotWritten) {
  SetChecked(2, false);  // no source: the project file holds only an empty line
  SetChecked(3, false);
  FinishProject(Path("NoSource.AsmPrj"));
  EXPECT_EQ(ReadBytes(Path("NoSource.AsmPrj")), "\r\n");
  EXPECT_EQ(ReadBytes(Path("NoSource.Par")), "\r\n");
  EXPECT_FALSE(QFile::exists(Path("NoSource.Asm")));
  EXPECT_FALSE(QFile::exists(Path("make.bat")));

  // Without the project file the wizard still opens the name it would have had.
  Wizard->show();
  SetChecked(0, false);
  SetChecked(1, false);
  SetChecked(2, true);
  FinishProject(Path("Bare"));
  EXPECT_FALSE(QFile::exists(Path("Bare.AsmPrj")));
  EXPECT_EQ(ReadBytes(Path("Bare.Asm")), "\r\n");
  EXPECT_EQ(Opened, (QStringList{Path("NoSource.AsmPrj"), Path("Bare.AsmPrj")}));
}

TEST_F(NewAgentTest, AsksBeforeReplacingAnExistingFile) {
  WriteBytes(Path("Demo.Asm"), "keep me\n");
  WriteBytes(Path("make.bat"), "old make\n");
  Answer = TAnswer::No;
  FinishProject(Path("Demo"));
  ASSERT_EQ(Questions.size(), 2);
  EXPECT_EQ(Questions[0], "Die Datei \"" + Path("Demo.Asm") + "\" existiert bereits. Ersetzen?");
  EXPECT_EQ(ReadBytes(Path("Demo.Asm")), "keep me\n");
  EXPECT_EQ(ReadBytes(Path("make.bat")), "old make\n");
  EXPECT_EQ(ReadBytes(Path("Demo.Par")), "\r\n");  // the others are still written
  EXPECT_EQ(Opened.size(), 1);

  Questions.clear();
  Answer = TAnswer::Yes;
  Wizard->show();
  FinishProject(Path("Demo"));
  EXPECT_EQ(Questions.size(), 4);
  EXPECT_EQ(ReadBytes(Path("Demo.Asm")), "\r\n");
}

TEST_F(NewAgentTest, UnwritableDirectoryKeepsTheWizardOpen) {
  FinishProject(Path("missing/Demo"));
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_EQ(Errors[0], "Kann Datei " + Path("missing/Demo.AsmPrj") + " nicht erstellen");
  EXPECT_TRUE(Wizard->isVisible());
  EXPECT_TRUE(Visible("PanelProject"));
  EXPECT_TRUE(Opened.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Path("missing")));

  // No name at all: nothing is written in the current directory either.
  const QString saved = QDir::currentPath();
  QDir::setCurrent(Temp.path());
  Child<QLineEdit>("FilenameEdit1")->setText("");
  Button("BtnFinish")->click();
  QDir::setCurrent(saved);
  ASSERT_EQ(Errors.size(), 2);
  EXPECT_EQ(Errors[1], "Bitte einen Projektnamen angeben.");
  EXPECT_TRUE(Wizard->isVisible());
  EXPECT_TRUE(QDir(Temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
}

TEST_F(NewAgentTest, FileStepWritesOneEmptyLineAndOpensIt) {
  const QString saved = QDir::currentPath();
  QDir::setCurrent(Temp.path());
  ChooseType(0);
  Button("BtnFinish")->click();
  QDir::setCurrent(saved);

  EXPECT_EQ(ReadBytes(Path("File1.Inc")), "\r\n");
  EXPECT_EQ(Opened, QStringList{Path("File1.Inc")});
  EXPECT_EQ(Wizard->windowTitle(), "File1.Inc");
  EXPECT_EQ(Wizard->result(), QDialog::Accepted);

  // An existing source kept on "No" is still opened.
  Wizard->show();
  Answer = TAnswer::No;
  WriteBytes(Path("Main.Asm"), "text\n");
  ChooseType(2);
  Child<QLineEdit>("FilenameEdit3")->setText(Path("Main.Asm"));
  Button("BtnFinish")->click();
  EXPECT_EQ(Questions.size(), 1);
  EXPECT_EQ(ReadBytes(Path("Main.Asm")), "text\n");
  EXPECT_EQ(Opened.last(), Path("Main.Asm"));
}

}  // namespace
