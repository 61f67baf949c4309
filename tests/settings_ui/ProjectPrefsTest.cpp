// The project preferences dialog: values in and out, the file list, the page it shows.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "SettingsUiFixture.h"
#include "settings/FormProjectPrefs.h"
#include "settings/FormRadioGroup.h"

namespace {

struct TestFile : TProjectFile {
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
};

TEST_F(SettingsUiTest, ProjectPrefsShowTheProjectAndOkStoresIt) {
  TFormProjectPrefs dialog;
  TProject* project = App->Project();
  project->Processor = "68HC12";
  project->NumberFormat = "C++";  // no format: the first choice, stored as "C"
  TestFile files[2];
  files[0].File = "Main.asm";
  files[1].File = "Lib.inc";
  files[1].Directory = "/src/lib/";
  for (TestFile& file : files) project->AddFile(&file);
  auto* list = dialog.findChild<QListWidget*>("ListBoxFiles");
  auto* cpu = dialog.findChild<QComboBox*>("ComboBoxCPU");
  auto* format = dialog.findChild<TFormRadioGroup*>("RdGrNumberFormat");
  auto* pages = dialog.findChild<QTabWidget*>("PageControl");

  dialog.show();
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheetGlobal");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text() + "|" + list->item(1)->text(), "Main.asm|/src/lib/Lib.inc");
  EXPECT_EQ(cpu->currentText(), "68HC12");
  EXPECT_EQ(cpu->currentIndex(), cpu->findText("68HC12"));  // the opened list starts there
  cpu->setEditText("z80");  // also on a name just typed, in any letter case
  cpu->showPopup();
  EXPECT_EQ(cpu->currentIndex(), cpu->findText("Z80"));
  EXPECT_EQ(cpu->currentText(), "z80");
  cpu->hidePopup();
  EXPECT_EQ(format->ItemIndex(), 0);
  cpu->setEditText("NotListed");
  dialog.findChild<QPushButton*>("BitBtnOK")->click();
  EXPECT_EQ(project->Processor, "NotListed");
  EXPECT_EQ(project->NumberFormat, "C");

  // Cancel after changing both leaves the project as it was; the page last shown stays.
  dialog.show();
  pages->setCurrentIndex(0);
  format->SetItemIndex(3);
  cpu->setEditText("Z80");
  dialog.findChild<QPushButton*>("BitBtnCancel")->click();
  EXPECT_EQ(project->Processor, "NotListed");
  EXPECT_EQ(project->NumberFormat, "C");
  dialog.show();
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheetProject");
}

}  // namespace
