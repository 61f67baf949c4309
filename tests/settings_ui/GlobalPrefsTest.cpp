// The global preferences dialog: sample, choices, live attribute editing, OK and Cancel.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "SettingsUiFixture.h"
#include "editor/ColorConvert.h"
#include "editor/EditControl.h"
#include "highlight/AssemSyn.h"
#include "platform/Paths.h"
#include "settings/ColorCombo.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormRadioGroup.h"
#include "settings/Prefs.h"

namespace {

class GlobalPrefsTest : public SettingsUiTest {
 protected:
  void SetUp() override {
    SettingsUiTest::SetUp();
    Dialog = std::make_unique<TFormGlobalPrefs>();
    Dialog->show();
  }

  template <typename T>
  T* Child(const char* name) const {
    T* child = Dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  TEditControl* Editor() const { return Child<TEditControl>("TestEditor"); }
  QString CurrentAttribute() const { return Child<QComboBox>("ComboBoxAttrib")->currentText(); }
  void SelectAttribute(const QString& name) {
    auto* combo = Child<QComboBox>("ComboBoxAttrib");
    combo->setCurrentIndex(combo->findText(name));
  }
  void ClickText(int column, int line) {
    const QPoint pixel = Editor()->PositionToPixels(QPoint(column, line));
    QTest::mouseClick(Editor()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      pixel + QPoint(Editor()->CharWidth() / 2, Editor()->LineHeight() / 2));
  }
  void ChooseAssemblerDirectory(const QString& dir) {
    DialogResult = dir;
    Child<QLineEdit>("AssemblePathEdit")->findChild<QAction*>("AssemblePathEditBrowse")->trigger();
  }
  void MakeFile(const QString& name) {
    QDir().mkpath(QFileInfo(name).absolutePath());
    WriteBytes(name, "");
  }
  static QStringList Saved(TPrefs* prefs) { return prefs->SaveToList(); }

  std::unique_ptr<TFormGlobalPrefs> Dialog;
  const QStringList Known = KnownAssemblerExecutables();
};

TEST_F(GlobalPrefsTest, ShowsSampleAndChoices) {
  EXPECT_EQ(Dialog->windowTitle(), "Globale Einstellungen");
  const TEditLines& lines = Editor()->Lines();
  ASSERT_EQ(lines.Count(), 13);
  const QString stars(77, '*');
  const QStringList expected{";" + stars, ";* Kommentar", ";" + stars, "     DIRECTIVE $afff", "",
                             "     KEYWORD   %01110", "", "Identifier:", "", "Text:     \"Ein kleiner string\"",
                             "", "Symbols: *#::::()", ""};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(lines.Text(i), expected[i]) << i;

  auto* attributes = Child<QComboBox>("ComboBoxAttrib");
  QStringList names;
  for (int i = 0; i < attributes->count(); ++i) names << attributes->itemText(i);
  EXPECT_EQ(names, (QStringList{"comment", "directive", "identifier", "illegal char", "keyword", "number", "space",
                                "string", "symbol"}));
  EXPECT_EQ(CurrentAttribute(), "comment");

  const QStringList colorNames{"Schwarz", "Braun", "Grün", "Ocker", "Dunkelblau", "Volett", "Teal", "Grau",
                               "HellGrau", "Rot", "Hellgrün", "Gelb", "Blau", "Pink", "Hellblau", "Weiss"};
  const TColorValue values[] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
                                0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  for (TColorCombo* combo : {Child<TColorCombo>("ColorComboText"), Child<TColorCombo>("ColorComboBack")}) {
    ASSERT_EQ(combo->count(), 16);
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(combo->itemText(i), colorNames[i]);
      combo->SetValue(values[i]);
      EXPECT_EQ(combo->currentIndex(), i);
    }
  }
  // comment: red foreground, no background colour (not listed: nothing selected).
  SelectAttribute("directive");
  SelectAttribute("comment");
  EXPECT_EQ(Child<TColorCombo>("ColorComboText")->currentText(), "Rot");
  EXPECT_EQ(Child<TColorCombo>("ColorComboBack")->currentIndex(), -1);
  SelectAttribute("space");  // a system colour is not listed either
  EXPECT_EQ(Child<TColorCombo>("ColorComboText")->currentIndex(), -1);

  auto* cpu = Child<QComboBox>("ComboBoxCPU");
  EXPECT_EQ(cpu->count(), 220);
  EXPECT_TRUE(cpu->isEditable());
  EXPECT_EQ(cpu->currentText(), "6811");
  auto* format = Child<TFormRadioGroup>("RdGrNumberFormat");
  EXPECT_EQ(format->Items(), (QStringList{"C-Modus", "Intel-Modus", "Motorola-Modus", "Relaxed-Modus"}));
  EXPECT_EQ(format->ItemIndex(), 0);
  EXPECT_EQ(Child<QLabel>("LabelTestText")->text(), "Courier New 10");
}

TEST_F(GlobalPrefsTest, ClickInSampleSelectsTheAttribute) {
  ClickText(14, 10);  // inside "Ein kleiner string"
  EXPECT_EQ(CurrentAttribute(), "string");
  EXPECT_EQ(Child<TColorCombo>("ColorComboText")->currentText(), "Grün");
  ClickText(8, 6);  // KEYWORD
  EXPECT_EQ(CurrentAttribute(), "keyword");
  EXPECT_TRUE(Child<QCheckBox>("CheckBoxBold")->isChecked());
  ClickText(40, 8);  // past the end of "Identifier:"
  EXPECT_EQ(CurrentAttribute(), "space");
  EXPECT_FALSE(Child<QCheckBox>("CheckBoxBold")->isChecked());
}

TEST_F(GlobalPrefsTest, EditsLiveInTheSampleAndCancelKeepsThePrefs) {
  const QStringList before = Saved(App->HighLighterPrefs());
  const QString asDirectory = App->AssemblerPrefs()->AsDirectory;
  SelectAttribute("keyword");
  Child<QCheckBox>("CheckBoxItalic")->click();
  THighlighterAttributes* sample = Dialog->SampleHighlighter()->KeyAttri();
  EXPECT_EQ(sample->Style(), fsBold | fsItalic);
  EXPECT_TRUE(Child<QLabel>("LabelTestText")->font().italic());
  Child<TColorCombo>("ColorComboText")->setCurrentIndex(12);  // Blau
  Child<TColorCombo>("ColorComboBack")->setCurrentIndex(11);  // Gelb
  EXPECT_EQ(sample->Foreground(), 0xFF0000);
  EXPECT_EQ(sample->Background(), 0x00FFFF);
  EXPECT_EQ(Child<QLabel>("LabelTestText")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  Child<QCheckBox>("CheckBoxBold")->click();
  EXPECT_EQ(sample->Style(), fsItalic);

  ChosenFont = "DejaVu Sans Mono";
  ChosenSize = 13;
  Child<QPushButton>("BtnFont")->click();
  EXPECT_EQ(Child<QLabel>("LabelTestText")->text(), "DejaVu Sans Mono 13");
  Child<QLineEdit>("AssemblePathEdit")->setText("/nowhere");
  Child<QComboBox>("ComboBoxCPU")->setEditText("Z80");

  Child<QPushButton>("BtnCancel")->click();
  EXPECT_EQ(Dialog->result(), QDialog::Rejected);
  EXPECT_EQ(Saved(App->HighLighterPrefs()), before);
  EXPECT_EQ(App->AssemblerPrefs()->DefaultProcessor, "6811");
  EXPECT_EQ(App->AssemblerPrefs()->AsDirectory, asDirectory);

  // The next showing starts again from the settings.
  Dialog->show();
  EXPECT_EQ(sample->Style(), fsBold);
  EXPECT_EQ(sample->Foreground(), clNone);
  EXPECT_EQ(Child<QLabel>("LabelTestText")->text(), "Courier New 10");
}

TEST_F(GlobalPrefsTest, OkStoresEverythingAndItSurvivesARestart) {
  App->AssemblerPrefs()->DefaultNumberFormat = "Hex";
  Dialog->hide();
  Dialog->show();
  EXPECT_EQ(Child<TFormRadioGroup>("RdGrNumberFormat")->ItemIndex(), 0);
  EXPECT_EQ(Dialog->pos(), QPoint(0, 0));

  SelectAttribute("keyword");
  Child<QCheckBox>("CheckBoxItalic")->click();
  SelectAttribute("comment");
  Child<TColorCombo>("ColorComboBack")->setCurrentIndex(15);
  ChosenFont = "DejaVu Sans Mono";
  ChosenSize = 12;
  Child<QPushButton>("BtnFont")->click();
  const QString asDir = Path("as");
  MakeFile(Paths::FromStored(asDir + "/" + Known[1]));
  Child<QLineEdit>("AssemblePathEdit")->setText(asDir);
  Child<QComboBox>("ComboBoxCPU")->setEditText("MyCPU");
  Child<TFormRadioGroup>("RdGrNumberFormat")->SetItemIndex(2);
  Child<QLineEdit>("DefaultDirectoryEdit")->setText(Path("projects"));
  Child<QLineEdit>("KodrillDirectoryEdit")->setText(Path("kodrill"));
  Dialog->move(40, 30);
  Child<QPushButton>("BtnOK")->click();
  EXPECT_EQ(Dialog->result(), QDialog::Accepted);

  const TAssemblerPrefs* as = App->AssemblerPrefs();
  EXPECT_EQ(as->AsDirectory, asDir + "/");
  EXPECT_EQ(as->AsExecutable, Known[1]);
  EXPECT_EQ(as->DefaultProcessor, "MyCPU");
  EXPECT_EQ(as->DefaultNumberFormat, "Motorola");
  EXPECT_EQ(App->HighLighterPrefs()->HighLighter()->KeyAttri()->Style(), fsBold | fsItalic);
  EXPECT_EQ(App->HighLighterPrefs()->HighLighter()->CommentAttri()->Background(), 0xFFFFFF);
  EXPECT_EQ(App->HighLighterPrefs()->FontName, "DejaVu Sans Mono");
  EXPECT_EQ(App->HighLighterPrefs()->FontSize, 12);
  EXPECT_EQ(App->GeneralPrefs()->WindowLeft, 40);
  EXPECT_EQ(App->GeneralPrefs()->WindowTop, 30);

  App->SavePrefs();
  TKodrillApp restarted;
  restarted.SetSettingsFilePath(App->SettingsFilePath());
  restarted.LoadPrefs();
  EXPECT_EQ(Saved(restarted.HighLighterPrefs()), Saved(App->HighLighterPrefs()));
  EXPECT_EQ(Saved(restarted.AssemblerPrefs()), Saved(App->AssemblerPrefs()));
  EXPECT_EQ(Saved(restarted.GeneralPrefs()), Saved(App->GeneralPrefs()));
  EXPECT_EQ(restarted.GeneralPrefs()->ProjectDirectory, Path("projects"));

  // Shown again at the stored place, with the stored values.
  Dialog->show();
  EXPECT_EQ(Dialog->pos(), QPoint(40, 30));
  EXPECT_EQ(Child<QLineEdit>("AssemblePathEdit")->text(), asDir + "/");
  EXPECT_EQ(Child<TFormRadioGroup>("RdGrNumberFormat")->ItemIndex(), 2);
  EXPECT_EQ(Child<QLabel>("LabelTestText")->text(), "DejaVu Sans Mono 12");

  // A place on no screen is not used.
  Dialog->hide();
  App->GeneralPrefs()->WindowLeft = 100000;
  Dialog->show();
  EXPECT_EQ(Dialog->pos(), QPoint(40, 30));
}

TEST_F(GlobalPrefsTest, ChosenFontKeepsTheStylesAndCancelRestoresTheSample) {
  auto* label = Child<QLabel>("LabelTestText");
  const QFont editorFont = Editor()->font(), labelFont = label->font();
  const QString caption = label->text();
  // Font dialogs return a style name, even when confirmed unchanged.
  for (const char* styleName : {"Oblique", "Book", "Bold"}) {
    ChosenFont = "DejaVu Sans Mono";
    ChosenSize = 16;
    ChosenStyle = styleName;
    Child<QPushButton>("BtnFont")->click();
    for (const char* attribute : {"keyword", "comment", "identifier"}) {
      SelectAttribute(attribute);
      const TFontStyles style = Dialog->SampleHighlighter()->Attribute(Child<QComboBox>("ComboBoxAttrib")->currentIndex())->Style();
      // The face drawn is the one the attribute's flags choose in that family and size.
      const QString face = QFontInfo(FontWithStyle(QFont(ChosenFont, ChosenSize), style)).styleName();
      EXPECT_EQ(QFontInfo(FontWithStyle(Editor()->font(), style)).styleName(), face) << styleName << attribute;
      EXPECT_EQ(QFontInfo(label->font()).styleName(), face) << styleName << attribute;
    }
    // All lines of the sample in view, whatever the font.
    EXPECT_GE(Editor()->LinesInWindow(), Editor()->Lines().Count()) << styleName;
  }
  Child<QPushButton>("BtnCancel")->click();
  Dialog->show();
  EXPECT_EQ(Editor()->font(), editorFont);
  EXPECT_EQ(label->font(), labelFont);
  EXPECT_EQ(label->text(), caption);
  EXPECT_GE(Editor()->LinesInWindow(), Editor()->Lines().Count());
}

TEST_F(GlobalPrefsTest, ChecksTheChosenAssemblerDirectory) {
  ASSERT_GE(Known.size(), 2);
  const QString both = Path("both"), second = Path("second"), none = Path("none");
  const auto exe = [](const QString& dir, const QString& known) { return Paths::FromStored(dir + "/" + known); };
  MakeFile(exe(both, Known[0]));
  MakeFile(exe(both, Known[1]));
  MakeFile(exe(second, Known[1]));
  QDir().mkpath(none);
  auto* label = Child<QLabel>("Label1");
  EXPECT_TRUE(label->text().isEmpty());

  ChooseAssemblerDirectory(second);
  EXPECT_EQ(label->text(), "\"" + exe(second, Known[1]) + "\" found.");
  EXPECT_EQ(label->palette().color(QPalette::WindowText), Dialog->palette().color(QPalette::WindowText));
  EXPECT_EQ(Child<QLineEdit>("AssemblePathEdit")->text(), second);

  ChooseAssemblerDirectory(none);
  EXPECT_EQ(label->text(), "\"" + exe(none, Known[0]) + "\" not found!");
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));

  // OK: a path that ends in a separator stays; no executable there keeps the previous one.
  App->AssemblerPrefs()->AsExecutable = "bin\\previous";
  Child<QLineEdit>("AssemblePathEdit")->setText(none + "/");
  Child<QPushButton>("BtnOK")->click();
  EXPECT_EQ(App->AssemblerPrefs()->AsDirectory, none + "/");
  EXPECT_EQ(App->AssemblerPrefs()->AsExecutable, "bin\\previous");

  // The first known executable wins over the second.
  Dialog->show();
  ChooseAssemblerDirectory(both);
  EXPECT_EQ(label->text(), "\"" + exe(both, Known[0]) + "\" found.");
  Child<QPushButton>("BtnOK")->click();
  EXPECT_EQ(App->AssemblerPrefs()->AsDirectory, both + "/");
  EXPECT_EQ(App->AssemblerPrefs()->AsExecutable, Known[0]);
}

}  // namespace
