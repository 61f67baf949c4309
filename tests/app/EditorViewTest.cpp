// The editor view: status panels, assembler marks, highlighter settings and the close of a tab.
#include "AppFixture.h"
#include "app/ProjectAsmFile.h"
#include "settings/Prefs.h"

using EditorViewTest = AppTest;

TEST_F(EditorViewTest, StatusPanelsFollowCaretAndMode) {
  WriteFile("a.asm", QByteArray("\tnop\n").repeated(20));
  Main->OpenFile(Path("a.asm"));
  TEditControl* e = View(0)->Editor();
  e->SetCaretXY(5, 12);
  EXPECT_EQ(Panel(0), u"    12:  5  ");
  e->SetInsertMode(false);
  EXPECT_EQ(Panel(2), u"Überschr.");
  e->SetInsertMode(true);
  EXPECT_EQ(Panel(2), u"Einfügen");
}

TEST_F(EditorViewTest, MarksAreAddedClearedAndFoundBySourceLine) {
  WriteFile("a.asm", QByteArray("\tnop\n").repeated(10));
  WriteFile("b.asm", "x\n");
  Main->OpenFile(Path("a.asm"));
  Main->OpenFile(Path("b.asm"));
  Main->PageControl()->setCurrentIndex(1);
  auto* entry = static_cast<TProjectAsmFile*>(Project()->GetFile(0));
  TEditorView* v = View(0);
  TEditControl* e = v->Editor();
  e->SetCaretXY(1, 2);
  v->ToggleBookmark(4);
  entry->MarkError(0, 3);
  entry->MarkError(1, 5);
  entry->MarkError(2, 6);
  ASSERT_EQ(e->Marks().Count(), 4);
  std::vector<int> images;
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
  EXPECT_TRUE(v->IsBookmarkSet(4));
}

TEST_F(EditorViewTest, HighlighterFollowsMasterAttributesAndProject) {
  WriteFile("a.asm", "x\n");
  KodrillApp->AssemblerPrefs()->DefaultProcessor = QStringLiteral("8051");
  Main->OpenFile(Path("a.asm"));
  TEditorView* v = View(0);
  // No project processor yet: the settings' default processor colours the keywords.
  ASSERT_TRUE(Project()->Processor.isEmpty());
  EXPECT_EQ(v->Highlighter()->CPUType(), VoCPU_8051);
  TVoMAssemSyn* master = KodrillApp->HighLighterPrefs()->HighLighter();
  master->Attribute(4)->SetForeground(0x00123456);
  master->Attribute(0)->SetStyle(1);
  Project()->Processor = QStringLiteral("68HC12");
  Project()->NumberFormat = QStringLiteral("Intel");
  Project()->ApplyHighlighterPrefs();
  EXPECT_EQ(v->Highlighter()->Attribute(4)->Foreground(), 0x00123456u);
  EXPECT_EQ(v->Highlighter()->Attribute(0)->Style(), 1u);
  EXPECT_EQ(v->Highlighter()->CPUType(), VoCPU_68HC12);
  EXPECT_EQ(v->Highlighter()->NumberFormat(), VoNF_IntelMode);
  // A word that is no number format leaves the notation as it is.
  Project()->NumberFormat = QStringLiteral("C++");
  Project()->ApplyHighlighterPrefs();
  EXPECT_EQ(v->NumberFormat, VoNF_IntelMode);
}

TEST_F(EditorViewTest, QuerySaveNoReleasesTheTabWithoutWriting) {
  WriteFile("a.asm", "a\n");
  Main->OpenFile(Path("a.asm"));
  View(0)->Editor()->InsertText(QStringLiteral("q"));
  Answers = {TAnswer::No};
  Trigger("MenClose");
  EXPECT_EQ(Tabs(), 0);
  EXPECT_EQ(Project()->FileCount(), 0);
  EXPECT_EQ(ReadFile("a.asm"), QByteArray("a\n"));
  EXPECT_EQ(Questions.size(), 1u);
}

TEST_F(EditorViewTest, SaveAsNamesTheNewFileInTheProject) {
  WriteFile("a.asm", "a\n");
  Main->OpenFile(Path("a.asm"));
  SaveNames = {Path("b.asm")};
  Trigger("MenSaveAs");
  EXPECT_EQ(ReadFile("b.asm"), QByteArray("a\n"));
  EXPECT_EQ(View(0)->PathName, Path("b.asm"));
  EXPECT_EQ(View(0)->Caption(), Path("b.asm"));
  EXPECT_EQ(Project()->GetFile(0)->File, Path("b.asm"));
  // Cancelling the dialog changes nothing.
  Trigger("MenSaveAs");
  EXPECT_EQ(View(0)->PathName, Path("b.asm"));
}
