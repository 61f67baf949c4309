// The global preferences dialog: live attribute editing in the sample, font, OK and Cancel.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "SettingsUiFixture.h"
#include "editor/ColorConvert.h"
#include "editor/EditControl.h"
#include "highlight/AssemSyn.h"
#include "platform/Paths.h"
#include "settings/ColorCombo.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormRadioGroup.h"

namespace {

class GlobalPrefsTest : public SettingsUiTest {
 protected:
  void SetUp() override {
    SettingsUiTest::SetUp();
    Dialog = std::make_unique<TFormGlobalPrefs>();
    Dialog->show();
  }
  template <typename T = QWidget>
  T* Child(const char* name) const {
    return Dialog->findChild<T*>(QString::fromLatin1(name));
  }
  TEditControl* Editor() const { return Child<TEditControl>("TestEditor"); }
  QString Attribute() const { return Child<QComboBox>("ComboBoxAttrib")->currentText(); }
  void Select(const QString& name) {
    auto* combo = Child<QComboBox>("ComboBoxAttrib");
    combo->setCurrentIndex(combo->findText(name));
  }
  void Click(const char* name) { Child<QAbstractButton>(name)->click(); }
  void ClickText(int column, int line) {
    const QPoint at = Editor()->PositionToPixels(QPoint(column, line)) + QPoint(Editor()->CharWidth() / 2, Editor()->LineHeight() / 2);
    QTest::mouseClick(Editor()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }

  std::unique_ptr<TFormGlobalPrefs> Dialog;
};

TEST_F(GlobalPrefsTest, ClickInSampleSelectsTheAttributeAndItsColours) {
  // Inside "Ein kleiner string", on KEYWORD, past the end of "Identifier:", in the comment.
  for (const auto& [column, line, name, color, bold] :
       {std::tuple{14, 10, "string", "Grün", false}, {8, 6, "keyword", "", true}, {40, 8, "space", "", false},
        {2, 2, "comment", "Rot", false}}) {
    ClickText(column, line);
    EXPECT_EQ(Attribute(), name);
    EXPECT_EQ(Child<TColorCombo>("ColorComboText")->currentText(), color) << name;  // unlisted: none
    EXPECT_EQ(Child<QCheckBox>("CheckBoxBold")->isChecked(), bold) << name;
  }
}

// Tab leaves the sample, and what was typed into it is gone the next time the dialog opens.
TEST_F(GlobalPrefsTest, TabLeavesTheSampleAndTypedTextDoesNotStay) {
  const std::string sample = Editor()->Lines().SaveToBytes();
  Editor()->setFocus();
  QTest::keyClicks(Editor(), QStringLiteral("xyz"));
  QTest::keyClick(Editor(), Qt::Key_Tab);
  EXPECT_NE(Dialog->focusWidget(), Editor());
  EXPECT_EQ(Editor()->Lines()[0], "xyz" + sample.substr(0, sample.find('\n')));
  Click("BtnCancel");
  Dialog->show();
  EXPECT_EQ(Editor()->Lines().SaveToBytes(), sample);
  EXPECT_FALSE(Editor()->CanUndo());
}

TEST_F(GlobalPrefsTest, EditsShowLiveAndCancelRestoresTheSample) {
  auto* label = Child<QLabel>("LabelTestText");
  const QFont editorFont = Editor()->font(), labelFont = label->font();
  const QStringList before = App->HighLighterPrefs()->SaveToList();
  THighlighterAttributes* keyword = Dialog->SampleHighlighter()->KeyAttri();
  Select("keyword");
  Click("CheckBoxItalic");
  Click("CheckBoxBold");
  Child<TColorCombo>("ColorComboText")->setCurrentIndex(12);  // Blau
  Child<TColorCombo>("ColorComboBack")->setCurrentIndex(11);  // Gelb
  EXPECT_EQ(keyword->Style(), fsItalic);
  EXPECT_EQ(keyword->Foreground(), 0xFF0000);
  EXPECT_EQ(keyword->Background(), 0x00FFFF);
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));

  // Font dialogs return a style name, even when confirmed unchanged; it must not decide the
  // face of an attribute.
  for (const char* styleName : {"Oblique", "Book", "Bold"}) {
    ChosenFont = "DejaVu Sans Mono";
    ChosenSize = 16;
    ChosenStyle = styleName;
    Click("BtnFont");
    EXPECT_EQ(label->text(), "DejaVu Sans Mono 16");
    for (const char* name : {"keyword", "comment", "identifier"}) {
      Select(name);
      const TFontStyles style = Dialog->SampleHighlighter()->Attribute(Child<QComboBox>("ComboBoxAttrib")->currentIndex())->Style();
      const QString face = QFontInfo(FontWithStyle(QFont(ChosenFont, ChosenSize), style)).styleName();
      EXPECT_EQ(QFontInfo(FontWithStyle(Editor()->font(), style)).styleName(), face) << styleName << name;
      EXPECT_EQ(QFontInfo(label->font()).styleName(), face) << styleName << name;
      EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->contentsRect().width()) << name;
    }
    EXPECT_GE(Editor()->LinesInWindow(), Editor()->Lines().Count()) << styleName;  // no scrolling
  }
  Child<QComboBox>("ComboBoxCPU")->setEditText("Z80");
  Click("BtnCancel");
  EXPECT_EQ(App->HighLighterPrefs()->SaveToList(), before);
  EXPECT_EQ(App->AssemblerPrefs()->DefaultProcessor, "6811");

  Dialog->show();
  EXPECT_EQ(keyword->Style(), fsBold);
  EXPECT_EQ(keyword->Foreground(), clNone);
  EXPECT_EQ(Editor()->font(), editorFont);
  EXPECT_EQ(label->font(), labelFont);
  EXPECT_EQ(label->text(), QFontInfo(EditorFont("Courier New", 10)).family() + " 10");
  EXPECT_GE(Editor()->LinesInWindow(), Editor()->Lines().Count());
}

TEST_F(GlobalPrefsTest, SampleShowsTheFontOfTheEditorsAndOkKeepsTheStoredName) {
  THighLighterPrefs* prefs = App->HighLighterPrefs();
  prefs->FontName = "Kodrill Nirgends Mono";  // the system puts another font in its place
  prefs->FontSize = 12;
  Dialog->hide();
  Dialog->show();
  const QString shown = QFontInfo(EditorFont(prefs->FontName, 12)).family();
  EXPECT_EQ(QFontInfo(Editor()->font()).family(), shown);
  EXPECT_EQ(Child<QLabel>("LabelTestText")->text(), shown + " 12");
  Click("BtnOK");
  EXPECT_EQ(prefs->FontName, "Kodrill Nirgends Mono");
  // However large the font, the buttons stay on the screen with room for the window's frame: the
  // sample scrolls instead.
  const int room = Dialog->screen()->availableGeometry().height();
  for (const int size : {28, 72}) {
    ChosenFont = "DejaVu Sans Mono";
    ChosenSize = size;
    Dialog->show();
    Click("BtnFont");
    EXPECT_LE(Dialog->height(), room - 100) << size;
    Click("BtnCancel");
  }
  ChosenFont = "DejaVu Sans Mono";
  ChosenSize = 300;  // the font dialog offers more than a settings file may hold
  Dialog->show();
  Click("BtnFont");
  Click("BtnOK");
  EXPECT_EQ(prefs->FontSize, MaxFontSize);
}

TEST_F(GlobalPrefsTest, OkStoresEverythingAndShowsItAgain) {
  App->AssemblerPrefs()->DefaultNumberFormat = "Hex";
  Dialog->show();
  EXPECT_EQ(Child<TFormRadioGroup>("RdGrNumberFormat")->ItemIndex(), 0);
  Select("comment");
  Child<TColorCombo>("ColorComboBack")->setCurrentIndex(15);
  ChosenFont = "DejaVu Sans Mono";
  ChosenSize = 12;
  Click("BtnFont");
  Child<QComboBox>("ComboBoxCPU")->setEditText("MyCPU");
  Child<TFormRadioGroup>("RdGrNumberFormat")->SetItemIndex(2);
  Child<QLineEdit>("DefaultDirectoryEdit")->setText(Path("projects"));
  Click("CheckBoxLineNumbers");
  Click("CheckBoxExtendedTables");
  Dialog->move(40, 30);
  Click("BtnOK");
  const QStringList stored{App->AssemblerPrefs()->DefaultProcessor, App->AssemblerPrefs()->DefaultNumberFormat,
                           App->HighLighterPrefs()->FontName, QString::number(App->HighLighterPrefs()->FontSize),
                           App->GeneralPrefs()->ProjectDirectory, QString::number(App->GeneralPrefs()->WindowLeft),
                           QString::number(App->GeneralPrefs()->WindowTop)};
  EXPECT_EQ(stored, QStringList({"MyCPU", "Motorola", "DejaVu Sans Mono", "12", Path("projects"), "40", "30"}));
  // The option is the last line of the file and survives a restart.
  App->SavePrefs();
  EXPECT_TRUE(ReadBytes(Path("Kodrill.ini")).endsWith("KodrillDirectory=" + App->GeneralPrefs()->KodrillDirectory.toUtf8() +
                                                      "\r\nShowLineNumbers=1\r\n"));
  TKodrillApp restarted;
  restarted.SetSettingsFilePath(Path("Kodrill.ini"));
  restarted.LoadPrefs();
  EXPECT_TRUE(restarted.GeneralPrefs()->ShowLineNumbers);
  EXPECT_TRUE(restarted.HighLighterPrefs()->HighLighter()->ExtendedTables());
  EXPECT_EQ(App->HighLighterPrefs()->HighLighter()->CommentAttri()->Background(), 0xFFFFFF);
  // Shown again at the stored place, but not at one on no screen.
  Dialog->show();
  EXPECT_EQ(Child<QLabel>("LabelTestText")->text(), "DejaVu Sans Mono 12");
  Dialog->hide();
  App->GeneralPrefs()->WindowLeft = 100000;
  Dialog->show();
  EXPECT_EQ(Dialog->pos(), QPoint(40, 30));
}

TEST_F(GlobalPrefsTest, ChecksTheAssemblerDirectory) {
  const QStringList known = KnownAssemblerExecutables();
  const auto exe = [&](const QString& dir, int i) { return Paths::FromStored(dir + "/" + known[i]); };
  const QString both = Path("both"), second = Path("second"), none = Path("none");
  for (const QString& file : {exe(both, 0), exe(both, 1), exe(second, 1)}) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    WriteBytes(file, "");
  }
  QDir().mkpath(none);
  const QColor text = Dialog->palette().color(QPalette::WindowText);
  // Chosen directory, the check's text and colour, and the executable stored on OK (none
  // there keeps the one before); a directory typed with its separator stays as it is.
  for (const auto& [dir, check, color, executable] :
       {std::tuple{second, "\"" + exe(second, 1) + "\" found.", text, known[1]},
        {none, "\"" + exe(none, 0) + "\" not found!", QColor(Qt::red), known[1]},
        {both, "\"" + exe(both, 0) + "\" found.", text, known[0]}}) {
    Dialog->show();
    DialogResult = dir;
    Child<QLineEdit>("AssemblePathEdit")->findChild<QAction*>("AssemblePathEditBrowse")->trigger();
    EXPECT_EQ(Child<QLabel>("Label1")->text(), check);
    EXPECT_EQ(Child<QLabel>("Label1")->palette().color(QPalette::WindowText), color);
    if (dir == none) Child<QLineEdit>("AssemblePathEdit")->setText(dir + "/");
    Click("BtnOK");
    EXPECT_EQ(App->AssemblerPrefs()->AsDirectory, dir + "/");
    EXPECT_EQ(App->AssemblerPrefs()->AsExecutable, executable);
  }
}

}  // namespace
