// The editor view: assembler marks, highlighter settings and the close of a tab.
#include "AppFixture.h"
#include "app/ProjectAsmFile.h"
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
