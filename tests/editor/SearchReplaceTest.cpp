#include <gtest/gtest.h>

#include "ModelHelpers.h"

TEST(EditorSearch, ForwardBackwardAndScope) {
  TEditorModel m;
  Load(m, "ab ab\nxx ab\n");
  EXPECT_EQ(m.SearchReplace("", "", 0), 0);
  m.SetCaretXY(2, 1);
  EXPECT_EQ(m.SearchReplace("ab", "", 0), 1);  // from the cursor: the second one of line 1
  EXPECT_EQ(m.BlockBegin(), QPoint(4, 1));
  EXPECT_EQ(m.BlockEnd(), QPoint(6, 1));
  EXPECT_EQ(m.Caret(), QPoint(6, 1));
  EXPECT_EQ(m.SearchReplace("ab", "", 0), 1);
  EXPECT_EQ(m.BlockBegin(), QPoint(4, 2));
  EXPECT_EQ(m.SearchReplace("ab", "", 0), 0);  // nothing after the last

  m.SetCaretXY(5, 2);
  EXPECT_EQ(m.SearchReplace("ab", "", ssoBackwards), 1);  // nearest left of the caret, caret line first
  EXPECT_EQ(m.BlockBegin(), QPoint(4, 1));
  EXPECT_EQ(m.Caret(), QPoint(4, 1));
  EXPECT_EQ(m.SearchReplace("ab", "", ssoBackwards), 1);
  EXPECT_EQ(m.BlockBegin(), QPoint(1, 1));

  m.SetCaretXY(1, 2);
  EXPECT_EQ(m.SearchReplace("ab", "", ssoEntireScope), 1);  // entire scope ignores the caret
  EXPECT_EQ(m.BlockBegin(), QPoint(1, 1));
}

TEST(EditorSearch, CaseAndWholeWord) {
  TEditorModel m;
  Load(m, "LDAAX ldaa_1 x.LdAa 1ldaa\n");
  EXPECT_EQ(m.SearchReplace("ldaa", "", ssoEntireScope), 1);
  EXPECT_EQ(m.BlockBegin(), QPoint(1, 1));
  EXPECT_EQ(m.SearchReplace("ldaa", "", ssoEntireScope | ssoMatchCase), 1);
  EXPECT_EQ(m.BlockBegin(), QPoint(7, 1));
  EXPECT_EQ(m.SearchReplace("ldaa", "", ssoEntireScope | ssoWholeWord), 1);
  EXPECT_EQ(m.BlockBegin(), QPoint(7, 1));  // underscore is a boundary
  EXPECT_EQ(m.SearchReplace("ldaa", "", ssoWholeWord), 1);
  EXPECT_EQ(m.BlockBegin(), QPoint(16, 1));  // the dot is too; "1ldaa" is inside a word
  EXPECT_EQ(m.SearchReplace("ldaa", "", ssoWholeWord), 0);

  TEditorModel latin;
  Load(latin, "\xc4rger \xe4rger\n");
  ASSERT_EQ(latin.Lines().Encoding(), TTextEncoding::Latin1);
  EXPECT_EQ(latin.SearchReplace(QString::fromUtf8("ärger"), "", ssoEntireScope), 1);
  EXPECT_EQ(latin.BlockBegin(), QPoint(1, 1));
  EXPECT_EQ(latin.SearchReplace(QString::fromUtf8("ärger"), "", ssoEntireScope | ssoMatchCase), 1);
  EXPECT_EQ(latin.BlockBegin(), QPoint(7, 1));
}

TEST(EditorSearch, SelectedOnlyInTheThreeModes) {
  TEditorModel m;
  Load(m, "aXa aXa\naXa aXa\naXa aXa\n");
  m.SetSelection(QPoint(3, 1), QPoint(3, 2));
  EXPECT_EQ(m.SearchReplace("X", "", ssoSelectedOnly), 1);
  EXPECT_EQ(m.BlockBegin(), QPoint(6, 1));  // (2,1) starts before the area
  m.SetSelection(QPoint(7, 1), QPoint(3, 2));
  EXPECT_EQ(m.SearchReplace("X", "", ssoSelectedOnly), 1);
  EXPECT_EQ(m.BlockBegin(), QPoint(2, 2));
  m.SetSelection(QPoint(3, 2), QPoint(6, 2));
  EXPECT_EQ(m.SearchReplace("X", "", ssoSelectedOnly), 0);  // (6,2) ends after the area

  m.SetSelectionMode(TSelectionMode::smLine);
  m.SetSelection(QPoint(3, 2), QPoint(3, 2));
  m.SetSelection(QPoint(3, 2), QPoint(4, 2));
  EXPECT_EQ(m.SearchReplace("X", "Y", ssoSelectedOnly | ssoReplaceAll), 2);  // whole line 2
  EXPECT_EQ(Text(m), "aXa aXa|aYa aYa|aXa aXa");

  m.SetSelectionMode(TSelectionMode::smColumn);
  m.SetSelection(QPoint(7, 3), QPoint(4, 1));  // columns 4..7 on lines 1-3, given back to front
  EXPECT_EQ(m.SearchReplace("X", "Z", ssoSelectedOnly | ssoReplaceAll), 2);
  EXPECT_EQ(Text(m), "aXa aZa|aYa aYa|aXa aZa");

  m.SetSelectionMode(TSelectionMode::smNormal);
  m.SetCaretXY(1, 1);
  EXPECT_EQ(m.SearchReplace("X", "", ssoSelectedOnly | ssoEntireScope), 1);  // no selection: whole text
  EXPECT_EQ(m.BlockBegin(), QPoint(2, 1));
}

TEST(EditorSearch, ReplaceAnswersOfThePrompt) {
  TEditorModel m;
  Load(m, "a a a a\n");
  std::vector<TReplaceAction> answers;
  std::vector<int> asked;
  m.OnReplaceText = [&](const QString&, const QString&, int line, int column, TReplaceAction& a) {
    asked.push_back(column);
    EXPECT_EQ(line, 1);
    a = answers.at(asked.size() - 1);
  };
  const TSearchOptions all = ssoEntireScope | ssoReplace | ssoReplaceAll | ssoPrompt;

  answers = {TReplaceAction::raSkip, TReplaceAction::raReplace, TReplaceAction::raCancel};
  EXPECT_EQ(m.SearchReplace("a", "bb", all), 3);
  EXPECT_EQ(Text(m), "a bb a a");
  EXPECT_EQ(asked, (std::vector<int>{1, 3, 6}));  // the shifted position is asked for

  asked.clear();
  answers = {TReplaceAction::raSkip, TReplaceAction::raReplaceAll};
  EXPECT_EQ(m.SearchReplace("a", "c", all), 3);
  EXPECT_EQ(Text(m), "a bb c c");
  EXPECT_EQ(asked.size(), 2u);  // no question after "replace all"

  // Single replace (no replace-all): the first occurrence only, the caret behind it.
  Load(m, "xyz xyz\n");
  asked.clear();
  answers = {TReplaceAction::raReplace};
  EXPECT_EQ(m.SearchReplace("xyz", "q", ssoEntireScope | ssoReplace | ssoPrompt), 1);
  EXPECT_EQ(Text(m), "q xyz");
  EXPECT_EQ(m.Caret(), QPoint(2, 1));
  EXPECT_EQ(m.SearchReplace("xyz", "q", ssoReplace), 1);  // no prompt: replaced straight away
  EXPECT_EQ(Text(m), "q q");
}

TEST(EditorSearch, ReplaceAllIsOneUndoStep) {
  TEditorModel m;
  std::string text;
  for (int i = 0; i < 1500; ++i) text += "  LDAA #" + std::to_string(i) + " ; ldaa  \n";
  Load(m, text);
  m.SetMaxUndo(1024);
  EXPECT_EQ(m.SearchReplace("LDAA", "LDAB", ssoEntireScope | ssoReplaceAll | ssoMatchCase), 1500);
  EXPECT_EQ(m.Lines()[1499], "  LDAB #1499 ; ldaa  ");  // trailing spaces outside the hit kept
  ASSERT_TRUE(m.CanUndo());
  m.Undo();
  EXPECT_FALSE(m.CanUndo());
  EXPECT_EQ(m.Lines().SaveToBytes(), text);
  m.Redo();
  EXPECT_EQ(m.Lines()[0], "  LDAB #0 ; ldaa  ");
}

TEST(EditorSearch, LongerReplacementInsideASelectionReachesItsEnd) {
  // The area's end moves with the text; otherwise the last hits of the line would be missed.
  TEditorModel m;
  Load(m, "a a a x\n");
  m.SetSelection(QPoint(1, 1), QPoint(6, 1));
  EXPECT_EQ(m.SearchReplace("a", "aaa", ssoSelectedOnly | ssoReplaceAll), 3);
  EXPECT_EQ(Text(m), "aaa aaa aaa x");
}
