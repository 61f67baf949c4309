// The editor view: assembler marks, highlighter settings, the close of a tab and line numbers.
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include "AppFixture.h"
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

  // Lines inserted above move the mark; it is still found by the reported line.
  e->SetCaretXY(1, 1);
  e->InsertText(QStringLiteral("new\n"));
  Project()->ShowError(QStringLiteral("A.ASM"), 5);  // the file's name is "a.asm" with its full path
  EXPECT_EQ(Main->PageControl()->currentIndex(), 1);
  entry->ShowError(5);
  EXPECT_EQ(Main->PageControl()->currentIndex(), 0);
  EXPECT_EQ(e->CaretLine(), 6);
  EXPECT_EQ(e->SelectedText(), u"\tnop\n");

  // The last line of the text: the caret goes there; the selection never reaches another line.
  entry->MarkError(1, e->Lines().Count());
  entry->ShowError(e->Lines().Count());
  EXPECT_EQ(e->CaretLine(), e->Lines().Count());
  EXPECT_FALSE(e->SelectedText().contains(QLatin1Char('\n')));

  entry->ClearErrorMarks();
  ASSERT_EQ(e->Marks().Count(), 1);
  EXPECT_TRUE(e->Marks()[0]->IsBookmark());
  EXPECT_TRUE(View(0)->IsBookmarkSet(4));
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
}

TEST_F(EditorViewTest, SaveAsNamesTheNewFileInTheProjectAndNoOnCloseWritesNothing) {
  WriteFile("a.asm", "a\n");
  Main->OpenFile(Path("a.asm"));
  View(0)->Editor()->InsertText(QStringLiteral("q"));
  SaveNames = {Path("b.asm")};
  Trigger("MenSaveAs");
  Trigger("MenSaveAs");  // cancelled: changes nothing
  EXPECT_EQ(ReadFile("b.asm"), QByteArray("qa\n"));
  EXPECT_EQ(View(0)->Caption(), Path("b.asm"));
  EXPECT_EQ(Project()->GetFile(0)->File, Path("b.asm"));
  View(0)->Editor()->InsertText(QStringLiteral("r"));
  Answers = {TAnswer::No};
  Trigger("MenClose");
  EXPECT_EQ(Project()->FileCount(), 0);
  EXPECT_EQ(ReadFile("b.asm") + ReadFile("a.asm"), QByteArray("qa\na\n"));
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
