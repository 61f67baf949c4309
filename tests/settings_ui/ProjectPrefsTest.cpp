// The project preferences dialog: values in and out, the file list, the page it shows.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "SettingsUiFixture.h"
#include "settings/FormProjectPrefs.h"
#include "settings/FormRadioGroup.h"

namespace {

class TestFile : public TProjectFile {
 public:
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
};

class ProjectPrefsTest : public SettingsUiTest {
 protected:
  void SetUp() override {
    SettingsUiTest::SetUp();
    Dialog = std::make_unique<TFormProjectPrefs>();
  }

  template <typename T>
  T* Child(const char* name) const {
    T* child = Dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  std::unique_ptr<TFormProjectPrefs> Dialog;
};

TEST_F(ProjectPrefsTest, ShowsTheProjectAndOkStoresIt) {
  TProject* project = App->Project();
  project->Processor = "68HC12";
  project->NumberFormat = "C++";
  TestFile inProject, elsewhere;
  inProject.File = "Main.asm";
  elsewhere.File = "Lib.inc";
  elsewhere.Directory = "/src/lib/";
  project->AddFile(&inProject);
  project->AddFile(&elsewhere);

  Dialog->show();
  EXPECT_EQ(Dialog->windowTitle(), "Projekt Einstellungen");
  auto* files = Child<QListWidget>("ListBoxFiles");
  ASSERT_EQ(files->count(), 2);
  EXPECT_EQ(files->item(0)->text(), "Main.asm");
  EXPECT_EQ(files->item(1)->text(), "/src/lib/Lib.inc");
  auto* cpu = Child<QComboBox>("ComboBoxCPU");
  EXPECT_EQ(cpu->count(), 220);
  EXPECT_EQ(cpu->currentText(), "68HC12");
  auto* format = Child<TFormRadioGroup>("RdGrNumberFormat");
  EXPECT_EQ(format->ItemIndex(), 0);

  cpu->setEditText("NotListed");
  Child<QPushButton>("BitBtnOK")->click();
  EXPECT_EQ(Dialog->result(), QDialog::Accepted);
  EXPECT_EQ(project->Processor, "NotListed");
  EXPECT_EQ(project->NumberFormat, "C");

  // Cancel after changing both leaves the project as it was.
  Dialog->show();
  format->SetItemIndex(3);
  cpu->setEditText("Z80");
  Child<QPushButton>("BitBtnCancel")->click();
  EXPECT_EQ(Dialog->result(), QDialog::Rejected);
  EXPECT_EQ(project->Processor, "NotListed");
  EXPECT_EQ(project->NumberFormat, "C");
}

TEST_F(ProjectPrefsTest, FilesPageFirstThenThePageLastShown) {
  Dialog->show();
  auto* pages = Child<QTabWidget>("PageControl");
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheetGlobal");
  EXPECT_EQ(pages->tabText(pages->currentIndex()), "Dateien");
  pages->setCurrentWidget(Child<QWidget>("TabSheetProject"));
  Child<QPushButton>("BitBtnCancel")->click();
  Dialog->show();
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheetProject");
  EXPECT_EQ(Child<QListWidget>("ListBoxFiles")->count(), 0);
}

}  // namespace
