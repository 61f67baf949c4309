// The editor view: assembler marks, highlighter settings, the close of a tab, going to a line
// and line numbers.
#include <QCheckBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "AppFixture.h"
#include "app/GotoLine.h"
#include "app/ProjectAsmFile.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/Prefs.h"

using EditorViewTest = AppTest;

TEST_F(EditorViewTest, MarksAreAddedClearedAndFoundBySourceLine) {
  WriteFile("a.asm", QByteArray("\tnop\n").repeated(10));
  WriteFile("b.asm", "x\n");
  Main->OpenFile(Path("a.asm"));
  Main->OpenFile(Path("b.asm"));
  auto* entry = static_cast<TProjectAsmFile*>(Project()->GetFile(0));
  TEditControl* e = View(0)->Editor();
  e->SetCaretXY(1, 2);
  View(0)->ToggleBookmark(4);
  std::vector<int> images;
  for (int kind = 0; kind < 3; ++kind) entry->MarkError(kind, 3 + 2 * kind);
  for (int i = 0; i < e->Marks().Count(); ++i) images.push_back(e->Marks()[i]->ImageIndex);
  EXPECT_EQ(images, (std::vector<int>{4, 13, 11, -1}));
  entry->MarkError(1, 3);  // where one mark fits, an error shows before the warning placed first
  EXPECT_EQ(e->Marks().Shown(3, 3, 1, true, true)[0].at(0)->ImageIndex, 11);

  // Lines inserted above move the mark; it is still found by the reported line.
  e->SetCaretXY(1, 1);
  e->InsertText(QStringLiteral("new\n"));
  EXPECT_EQ(Main->PageControl()->currentIndex(), 1);
  View(0)->GotoMark(5);
  EXPECT_EQ(Main->PageControl()->currentIndex(), 0);
  EXPECT_EQ(e->CaretLine(), 6);
  EXPECT_EQ(e->SelectedText(), u"\tnop\n");

  // The last line of the text: the caret goes there; the selection never reaches another line.
  entry->MarkError(1, e->Lines().Count());
  View(0)->GotoMark(e->Lines().Count());
  EXPECT_EQ(e->CaretLine(), e->Lines().Count());
  EXPECT_FALSE(e->SelectedText().contains(QLatin1Char('\n')));

  entry->ClearErrorMarks();
  ASSERT_EQ(e->Marks().Count(), 1);
  EXPECT_TRUE(e->Marks()[0]->IsBookmark());
  EXPECT_TRUE(View(0)->IsBookmarkSet(4));

  // The assembler counts a byte order mark in the columns of line 1.
  WriteFile("a.asm", "\xEF\xBB\xBF  foo 1\n");
  View(0)->ReloadFile();
  entry->MarkError(1, 1);
  View(0)->GotoMark(1, 6);
  EXPECT_EQ(e->CaretColumn(), 3);

  // Lines typed while a run goes on (its marks were cleared at its start): its marks and the
  // steps to them still find the lines it read.
  WriteFile("a.asm", "l1\nl2\nl3\n");
  View(0)->ReloadFile();
  entry->ClearErrorMarks();
  e->SetCaretXY(1, 1);
  e->InsertText(QStringLiteral("x\ny\n"));
  e->SetCaretXY(1, 1);
  e->InsertText(QStringLiteral("\n"));
  entry->MarkError(1, 2);
  View(0)->GotoMark(2);
  EXPECT_EQ(e->CaretLine(), 5);
  EXPECT_EQ(e->SelectedText(), u"l2\n");
}

TEST_F(EditorViewTest, HighlighterFollowsMasterAttributesAndProject) {
  WriteFile("a.asm", "x\n");
  KodrillApp->AssemblerPrefs()->DefaultProcessor = QStringLiteral("8051");
  Main->OpenFile(Path("a.asm"));
  TVoMAssemSyn* h = View(0)->Highlighter();
  EXPECT_EQ(h->CPUType(), VoCPU_8051);  // no project processor yet: the settings' default
  KodrillApp->HighLighterPrefs()->HighLighter()->Attribute(4)->SetForeground(0x00123456);
  Project()->Processor = QStringLiteral("68HC12");
  Project()->NumberFormat = QStringLiteral("Intel");
  Project()->ApplyHighlighterPrefs();
  Project()->NumberFormat = QStringLiteral("C++");  // no number format: the notation stays
  Project()->ApplyHighlighterPrefs();
  EXPECT_EQ(h->Attribute(4)->Foreground(), 0x00123456u);
  EXPECT_EQ(h->CPUType(), VoCPU_68HC12);
  EXPECT_EQ(h->NumberFormat(), VoNF_IntelMode);
  KodrillApp->HighLighterPrefs()->HighLighter()->SetExtendedTables(true);
  // The chosen font where it has a fixed pitch, else the system's fixed-pitch one at that size.
  const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
  for (const QString& family : {fixed, QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()}) {
    KodrillApp->HighLighterPrefs()->FontName = family;
    KodrillApp->HighLighterPrefs()->FontSize = 14;
    Project()->ApplyHighlighterPrefs();
    EXPECT_EQ(View(0)->Editor()->font().family(), fixed) << family.toStdString();
    EXPECT_EQ(View(0)->Editor()->font().pointSize(), 14);
  }
  EXPECT_TRUE(h->ExtendedTables());
}

TEST_F(EditorViewTest, SaveAsNamesTheNewFileInTheProjectAndNoOnCloseWritesNothing) {
  WriteFile("a.asm", "a\n");
  Main->OpenFile(Path("a.asm"));
  View(0)->Editor()->InsertText(QStringLiteral("q"));
  SaveNames = {Path("b.asm")};
  Trigger("MenSaveAs");
  Trigger("MenSaveAs");  // cancelled: changes nothing
  EXPECT_EQ(ReadFile("b.asm"), QByteArray("qa\n"));
  EXPECT_EQ(Main->PageControl()->tabText(0), QStringLiteral("b.asm"));
  EXPECT_EQ(Main->PageControl()->tabToolTip(0), Path("b.asm"));
  EXPECT_EQ(Project()->GetFile(0)->File, Path("b.asm"));
  View(0)->Editor()->InsertText(QStringLiteral("r"));
  Answers = {TAnswer::No};
  Trigger("MenClose");
  EXPECT_EQ(Project()->FileCount(), 0);
  EXPECT_EQ(ReadFile("b.asm") + ReadFile("a.asm"), QByteArray("qa\na\n"));
}

TEST(GotoTargetTest, ReadsLineAndColumnAndKeepsThemInsideTheText) {
  const auto chars = [](int line) { return 2 * line; };
  const struct {
    const char* Input;
    int Line, Column;
  } cases[] = {{"7", 7, 1},  {" 3 : 4 ", 3, 4}, {"0", 1, 1},  {"11", 10, 1}, {"99999999999999999999", 10, 1},
               {"4:0", 4, 1}, {"4:9", 4, 9},     {"4:10", 4, 9}, {"12:50", 10, 21}};
  for (const auto& c : cases) {
    const std::optional<TGotoTarget> target = ParseGotoTarget(QString::fromUtf8(c.Input), 10, chars);
    ASSERT_TRUE(target) << c.Input;
    EXPECT_EQ(std::pair(target->Line, target->Column), std::pair(c.Line, c.Column)) << c.Input;
  }
  for (const char* bad : {"", " ", "-3", "+3", "3:", ":4", "3:4:5", "3 4", "x", "3a", "\u0663"})
    EXPECT_FALSE(ParseGotoTarget(QString::fromUtf8(bad), 10, chars)) << bad;
  // No line count yet (the file is still being read): taken as asked, never asking for a line.
  const std::optional<TGotoTarget> unread = ParseGotoTarget(QStringLiteral("2000000:70"), 0, nullptr);
  EXPECT_EQ(std::pair(unread->Line, unread->Column), std::pair(2000000, 70));
}

TEST_F(EditorViewTest, CtrlGMovesTheCaretIntoViewAndRefusesWhatIsNoLine) {
  WriteFile("a.asm", QByteArray("\tnop\n").repeated(199) + "\xC3\xA4\xC3\xA4x\n");
  Main->OpenFile(Path("a.asm"));
  Main->resize(500, 300);
  ShowActive();
  TEditControl* editor = View(0)->Editor();
  const auto gotoLine = [&](const QString& text) {
    ShowActive();  // the shortcut needs the window active again after the last dialog
    QTimer::singleShot(0, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("EditLine"));
      QTest::keyClicks(edit, QStringLiteral("x"));
      QTest::keyClick(edit, Qt::Key_Return);  // no line: the dialog stays and says so
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_FALSE(dialog->findChild<QLabel*>(QStringLiteral("LabelHint"))->text().isEmpty());
      edit->clear();
      QTest::keyClicks(edit, text);
      QTest::keyClick(edit, Qt::Key_Return);
      if (dialog->isVisible()) static_cast<QDialog*>(dialog)->reject();
    });
    QTest::keyClick(editor, Qt::Key_G, Qt::ControlModifier);
  };
  for (const auto& [text, line, column] : {std::tuple{"120:3", 120, 3}, {"500:9", 200, 4}, {"200:3", 200, 3}}) {
    gotoLine(QString::fromLatin1(text));
    EXPECT_EQ(std::pair(editor->CaretLine(), editor->CaretCharColumn()), std::pair(line, column)) << text;
    EXPECT_LE(editor->TopLine(), line);
    EXPECT_LT(line, editor->TopLine() + editor->LinesInWindow());
    editor->SetCaretXY(1, 1);
  }
}

// The dialog comes while a big file is still being read; the line asked for is read, then reached.
TEST_F(EditorViewTest, CtrlGDoesNotWaitForTheWholeFileNorGoesToAnotherLine) {
  const int lines = 1000000;  // over 4 MiB: read in steps
  WriteFile("big.asm", QByteArray("\tnop\n").repeated(lines - 1) + "\tend\n");
  ShowActive();
  Main->OpenFile(Path("big.asm"));
  ASSERT_TRUE(View(0)->Editor()->Lines().Loading());
  View(0)->GotoLine(lines, 3);
  EXPECT_EQ(std::pair(View(0)->Editor()->CaretLine(), View(0)->Editor()->CaretCharColumn()), std::pair(lines, 3));
  Trigger("MenClose");
  Main->OpenFile(Path("big.asm"));
  TEditControl* editor = View(0)->Editor();
  bool readingWhenAsked = false;
  QTimer::singleShot(0, [&] {
    readingWhenAsked = editor->Lines().Loading();
    auto* edit = QApplication::activeModalWidget()->findChild<QLineEdit*>(QStringLiteral("EditLine"));
    QTest::keyClicks(edit, QString::number(lines) + ":3");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  QTest::keyClick(editor, Qt::Key_G, Qt::ControlModifier);
  EXPECT_TRUE(readingWhenAsked);
  EXPECT_EQ(std::pair(editor->CaretLine(), editor->CaretCharColumn()), std::pair(lines, 3));
  EXPECT_EQ(editor->Lines()[lines - 1], "\tend");
}

TEST_F(EditorViewTest, LineNumbersShowRightOfTheMarksInAWidthThatFollowsTheLineCount) {
  WriteFile("a.asm", QByteArray("\tnop\n").repeated(9));
  Main->OpenFile(Path("a.asm"));
  ShowActive();
  TFormGlobalPrefs prefs;
  FormGlobalPrefs = &prefs;
  const auto setOption = [&](bool on) {
    QTimer::singleShot(0, [&prefs, on] {
      prefs.findChild<QCheckBox*>(QStringLiteral("CheckBoxLineNumbers"))->setChecked(on);
      prefs.findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    Trigger("MenGlobal");
  };
  TEditControl* editor = View(0)->Editor();
  const int plain = editor->Gutter().Width;
  setOption(true);
  const int nine = editor->Gutter().Width;
  editor->SetCaretXY(1, 9);
  editor->InsertText(QStringLiteral("\n"));  // 10 lines: one digit more
  const int ten = editor->Gutter().Width;
  // Leftmost painted pixel of a line's number, right of the marks' place.
  const auto numberStart = [&](int line) {
    const QImage image = editor->viewport()->grab().toImage();
    const int y0 = (line - editor->TopLine()) * editor->LineHeight();
    for (int x = plain; x < ten; ++x)
      for (int y = y0; y < y0 + editor->LineHeight(); ++y)
        if (image.pixel(x, y) != image.pixel(plain, y0)) return x;
    return -1;
  };
  EXPECT_GT(numberStart(1), plain);
  EXPECT_LT(numberStart(10), numberStart(1));
  editor->Undo();
  EXPECT_EQ(editor->Gutter().Width, nine);
  EXPECT_GT(nine, plain);
  EXPECT_NEAR(ten - nine, editor->CharWidth(), 1);
  setOption(false);
  EXPECT_EQ(editor->Gutter().Width, plain);
  FormGlobalPrefs = nullptr;
}
