#include <gtest/gtest.h>

#include <set>

#include "ModelHelpers.h"

TEST(EditorBookmarks, SetClearReplaceAndOnePerLine) {
  TEditorModel m;
  Load(m, "a\nb\nc\nd\n");
  int col = 0, line = 0;
  m.SetBookmark(5, 2, 2);
  ASSERT_TRUE(m.GetBookmark(5, col, line));
  EXPECT_EQ(col, 2);
  EXPECT_EQ(line, 2);
  ASSERT_EQ(m.Marks().Count(), 1);
  EXPECT_EQ(m.Marks()[0]->BookmarkNumber, 5);
  EXPECT_EQ(m.Marks()[0]->ImageIndex, 5);
  EXPECT_TRUE(m.Marks()[0]->InternalImage);

  m.SetBookmark(3, 1, 2);  // same line: bookmark 5 goes
  EXPECT_FALSE(m.GetBookmark(5, col, line));
  EXPECT_TRUE(m.GetBookmark(3, col, line));
  EXPECT_EQ(m.Marks().Count(), 1);

  m.SetBookmark(3, 1, 4);  // same slot elsewhere: moves
  ASSERT_TRUE(m.GetBookmark(3, col, line));
  EXPECT_EQ(line, 4);
  EXPECT_EQ(m.Marks().Count(), 1);

  for (int bad : {-1, 10}) m.SetBookmark(bad, 1, 1);
  m.SetBookmark(1, 1, 6);  // beyond the text
  m.SetBookmark(1, 1, 0);
  EXPECT_EQ(m.Marks().Count(), 1);

  m.ClearBookmark(3);
  m.ClearBookmark(3);
  m.ClearBookmark(12);
  EXPECT_EQ(m.Marks().Count(), 0);

  // A bookmark mark deleted through the mark list leaves its slot empty.
  m.SetBookmark(7, 1, 1);
  m.Marks().Delete(0);
  EXPECT_FALSE(m.GetBookmark(7, col, line));
}

TEST(EditorBookmarks, EmptyTextAndGotoBeyondTheText) {
  TEditorModel m;
  int col, line;
  m.SetBookmark(0, 1, 2);
  EXPECT_FALSE(m.GetBookmark(0, col, line));
  m.SetBookmark(0, 1, 1);
  EXPECT_TRUE(m.GetBookmark(0, col, line));

  TEditorModel t;
  Load(t, "one\ntwo\nthree\nfour\n");
  t.SetBookmark(2, 3, 4);
  t.GotoBookmark(2);
  EXPECT_EQ(t.Caret(), QPoint(3, 4));
  t.SetCaretXY(1, 1);
  t.Lines().Delete(3);  // the mark's line goes; the mark stays on line 4, beyond the text
  EXPECT_EQ(t.Marks()[0]->Line, 4);
  t.GotoBookmark(2);
  EXPECT_EQ(t.Caret(), QPoint(1, 1));
}

TEST(EditorBookmarks, KeyCommandsToggleAndMove) {
  TEditorModel m;
  Load(m, "a\nb\nc\n");
  int col, line;
  m.SetCaretXY(2, 2);
  m.ExecuteCommand(ecSetMarker0 + 3);
  ASSERT_TRUE(m.GetBookmark(3, col, line));
  EXPECT_EQ(QPoint(col, line), QPoint(2, 2));
  m.ExecuteCommand(ecSetMarker0 + 3);  // same line: cleared
  EXPECT_FALSE(m.GetBookmark(3, col, line));
  m.ExecuteCommand(ecSetMarker0 + 3);
  m.SetCaretXY(1, 3);
  m.ExecuteCommand(ecSetMarker0 + 3);  // other line: moved
  ASSERT_TRUE(m.GetBookmark(3, col, line));
  EXPECT_EQ(line, 3);
  m.SetCaretXY(1, 1);
  m.ExecuteCommand(ecGotoMarker0 + 3);
  EXPECT_EQ(m.CaretY(), 3);

  m.BookmarkKeysEnabled = false;
  m.ExecuteCommand(ecSetMarker0 + 4);
  m.ExecuteCommand(ecGotoMarker0 + 3);
  EXPECT_FALSE(m.GetBookmark(4, col, line));
}

TEST(EditorMarks, FollowInsertedAndDeletedLines) {
  TEditorModel m;
  Load(m, "l1\nl2\nl3\nl4\nl5\nl6\n");
  auto add = [&](int line) {
    auto* mark = new TEditMark;
    mark->Line = line;
    m.Marks().Add(mark);
    return mark;
  };
  TEditMark* a = add(2);
  TEditMark* b = add(4);
  TEditMark* c = add(5);
  m.SetCaretXY(3, 1);  // end of line 1
  m.ExecuteCommand(ecLineBreak);
  EXPECT_EQ(a->Line, 3);
  EXPECT_EQ(b->Line, 5);
  m.SetCaretXY(1, 5);  // break in front of the text of the marked line: the mark goes with it
  m.ExecuteCommand(ecLineBreak);
  EXPECT_EQ(b->Line, 6);
  EXPECT_EQ(c->Line, 7);
  m.SetCaretXY(1, 6);
  m.ExecuteCommand(ecDeleteLine);  // the line of b: b stays at 6, c moves up
  EXPECT_EQ(b->Line, 6);
  EXPECT_EQ(c->Line, 6);
  m.SetCaretXY(1, 3);
  m.ExecuteCommand(ecDeleteLastChar);  // joins line 3 into 2
  EXPECT_EQ(a->Line, 2);
  m.Lines().Insert(0, "top");  // plain list changes move marks too
  EXPECT_EQ(a->Line, 3);
}

TEST(EditorUndo, StepsRestoreTextCaretAndModified) {
  TEditorModel m;
  Load(m, "abc\n");
  EXPECT_FALSE(m.Modified());
  m.SetCaretXY(4, 1);
  Type(m, "de");  // one step for typing on one line
  m.ExecuteCommand(ecLineBreak);
  Type(m, "x");
  EXPECT_EQ(Text(m), "abcde|x");
  EXPECT_TRUE(m.Modified());
  m.Undo();
  EXPECT_EQ(Text(m), "abcde|");
  m.Undo();
  EXPECT_EQ(Text(m), "abcde");
  m.Undo();
  EXPECT_EQ(Text(m), "abc");
  EXPECT_EQ(m.Caret(), QPoint(4, 1));
  EXPECT_FALSE(m.Modified());
  EXPECT_FALSE(m.CanUndo());
  m.Undo();  // nothing to do
  m.Redo();
  m.Redo();
  m.Redo();
  EXPECT_EQ(Text(m), "abcde|x");
  EXPECT_EQ(m.Caret(), QPoint(2, 2));
  EXPECT_FALSE(m.CanRedo());
  EXPECT_EQ(m.Lines().SaveToBytes(), "abcde\nx\n");

  // A new edit drops the redo history; loading drops everything.
  m.Undo();
  Type(m, "y");
  EXPECT_FALSE(m.CanRedo());
  m.Lines().LoadFromBytes("z");
  EXPECT_FALSE(m.CanUndo());
}

TEST(EditorUndo, KeepsAtMostMaxUndoSteps) {
  TEditorModel m;
  Load(m, "");
  EXPECT_EQ(m.MaxUndo(), 1024);
  m.SetMaxUndo(3);
  for (int i = 0; i < 5; ++i) m.ExecuteCommand(ecLineBreak);
  int undone = 0;
  while (m.CanUndo()) {
    m.Undo();
    ++undone;
  }
  EXPECT_EQ(undone, 3);
  EXPECT_EQ(m.Lines().Count(), 3);
}

TEST(EditorStatus, ReasonsOfCommonChanges) {
  TEditorModel m;
  Load(m, "abc\ndef\n");
  std::vector<TStatusChanges> seen;
  m.OnStatus = [&](TStatusChanges r) { seen.push_back(r); };
  int textChanges = 0;
  m.OnTextChanged = [&] { ++textChanges; };
  std::vector<int> commands;
  m.OnCommandProcessed = [&](int c, QChar) { commands.push_back(c); };

  m.ExecuteCommand(ecRight);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], static_cast<TStatusChanges>(scCaretX));
  seen.clear();
  m.ExecuteCommand(ecDown);
  EXPECT_EQ(seen.at(0), static_cast<TStatusChanges>(scCaretY));
  seen.clear();
  m.ExecuteCommand(ecChar, QChar('x'));
  EXPECT_EQ(seen.at(0), static_cast<TStatusChanges>(scCaretX | scModified));
  EXPECT_EQ(textChanges, 1);
  seen.clear();
  m.ExecuteCommand(ecToggleMode);
  EXPECT_EQ(seen.at(0), static_cast<TStatusChanges>(scInsertMode));
  EXPECT_FALSE(m.InsertMode());
  seen.clear();
  m.ExecuteCommand(ecSelLeft);
  EXPECT_EQ(seen.at(0), static_cast<TStatusChanges>(scCaretX | scSelection));
  seen.clear();
  m.Lines().LoadFromBytes("new");
  EXPECT_TRUE(seen.at(0) & scAll);
  EXPECT_EQ(commands, (std::vector<int>{ecRight, ecDown, ecChar, ecToggleMode, ecSelLeft}));
}

TEST(EditorEditing, AutoIndentTrimmingAndOverwrite) {
  TEditorModel m;
  Load(m, "    abc\n");
  m.SetCaretXY(8, 1);
  Type(m, "  \nx");
  EXPECT_EQ(Text(m), "    abc|    x");  // indent copied, spaces before the break trimmed
  m.ExecuteCommand(ecLineBreak);
  EXPECT_EQ(Text(m), "    abc|    x|");  // an indent alone is trimmed...
  EXPECT_EQ(m.Caret(), QPoint(5, 3));    // ...the caret keeps its place
  Type(m, "y");
  EXPECT_EQ(Text(m), "    abc|    x|    y");

  m.SetOptions(m.Options() & ~static_cast<TEditOptions>(eoAutoIndent | eoTrimTrailingSpaces));
  m.SetCaretXY(6, 3);
  Type(m, " \n");
  EXPECT_EQ(Text(m), "    abc|    x|    y |");

  m.SetCaretXY(1, 1);
  m.SetInsertMode(false);
  Type(m, "ZZ");
  EXPECT_EQ(m.Lines()[0], "ZZ  abc");
  m.SetCaretXY(8, 1);
  Type(m, "!");  // overwrite at the end appends
  EXPECT_EQ(m.Lines()[0], "ZZ  abc!");
}

TEST(EditorEditing, TabsSmartAndPlain) {
  TEditorModel m;
  Load(m, "LDAA   #1\n\nX\n");
  m.SetCaretXY(1, 2);
  m.ExecuteCommand(ecTab);  // under the next word of the line above
  EXPECT_EQ(m.Caret(), QPoint(8, 2));
  Type(m, "z");
  EXPECT_EQ(m.Lines()[1], "       z");
  m.ExecuteCommand(ecTab);  // nothing further right above: next tab stop
  EXPECT_EQ(m.CellOfColumn(2, m.CaretX()), 16);

  m.SetOptions(m.Options() & ~static_cast<TEditOptions>(eoSmartTabs | eoTabsToSpaces));
  m.SetCaretXY(1, 3);
  m.ExecuteCommand(ecTab);
  EXPECT_EQ(m.Lines()[2], "\tX");
  EXPECT_EQ(m.CellOfColumn(3, 2), 8);
  EXPECT_EQ(m.ColumnOfCell(3, 8), 2);
  EXPECT_EQ(m.ColumnOfCell(3, 3), 1);  // inside the tab's first half
}

TEST(EditorEditing, BlockIndentAndUnindent) {
  TEditorModel m;
  Load(m, "a\n b\n\tc\nd\n");
  m.SetSelection(QPoint(1, 1), QPoint(1, 4));  // line 4 not included: selection ends at its start
  m.ExecuteCommand(ecBlockIndent);
  EXPECT_EQ(Text(m), "  a|   b|  \tc|d");
  m.ExecuteCommand(ecBlockUnindent);
  m.ExecuteCommand(ecBlockUnindent);
  EXPECT_EQ(Text(m), "a|b|c|d");
  m.Undo();
  m.Undo();
  m.Undo();
  EXPECT_EQ(Text(m), "a| b|\tc|d");
}

TEST(EditorEditing, WordsLinesAndMultiByteCharacters) {
  TEditorModel m;
  Load(m, "foo  bar.baz\nnext\n");
  m.ExecuteCommand(ecWordRight);
  EXPECT_EQ(m.CaretX(), 6);
  m.ExecuteCommand(ecWordRight);
  EXPECT_EQ(m.CaretX(), 13);
  m.ExecuteCommand(ecWordRight);
  EXPECT_EQ(m.Caret(), QPoint(1, 2));
  m.ExecuteCommand(ecWordLeft);
  EXPECT_EQ(m.Caret(), QPoint(13, 1));
  m.ExecuteCommand(ecWordLeft);
  EXPECT_EQ(m.CaretX(), 6);
  m.ExecuteCommand(ecDeleteWord);
  EXPECT_EQ(m.Lines()[0], "foo");  // the spaces left at the end are trimmed
  EXPECT_EQ(m.CaretX(), 6);
  m.ExecuteCommand(ecDeleteLastWord);
  EXPECT_EQ(m.Lines()[0], "");
  m.ExecuteCommand(ecDeleteLine);
  EXPECT_EQ(Text(m), "next");
  m.ExecuteCommand(ecDeleteLine);
  EXPECT_EQ(Text(m), "");
  EXPECT_EQ(m.Lines().Count(), 1);

  Load(m, "\xc3\xa4" "b\n");
  ASSERT_EQ(m.Lines().Encoding(), TTextEncoding::Utf8);
  m.ExecuteCommand(ecRight);
  EXPECT_EQ(m.CaretX(), 3);  // over both bytes of the umlaut
  m.SetCaretXY(2, 1);        // inside the character: snapped to its start
  EXPECT_EQ(m.CaretX(), 1);
  m.SetCaretXY(3, 1);
  m.ExecuteCommand(ecDeleteLastChar);
  EXPECT_EQ(m.Lines()[0], "b");
  m.InsertText(QString::fromUtf8("ü"));
  EXPECT_EQ(m.Lines()[0], "\xc3\xbc" "b");
  EXPECT_EQ(m.CaretX(), 3);
}

TEST(EditorEditing, SelectionModesCopyAndDelete) {
  TEditorModel m;
  Load(m, "abcd\nefgh\nijkl\n");
  QString clip;
  m.SetClipboard = [&](const QString& t) { clip = t; };
  m.GetClipboard = [&] { return clip; };
  m.SetSelection(QPoint(1, 3), QPoint(1, 4));  // the last line up to the "next" line
  EXPECT_EQ(m.SelectedText(), "ijkl");
  m.SetSelection(QPoint(2, 1), QPoint(3, 2));
  EXPECT_EQ(m.SelectedText(), "bcd\nef");
  m.SetSelectionMode(TSelectionMode::smColumn);
  EXPECT_EQ(m.SelectedText(), "b\nf");
  m.SetSelectionMode(TSelectionMode::smLine);
  EXPECT_EQ(m.SelectedText(), "abcd\nefgh\n");
  m.SetSelectionMode(TSelectionMode::smColumn);
  m.SetSelection(QPoint(2, 1), QPoint(4, 3));
  m.ExecuteCommand(ecCut);
  EXPECT_EQ(clip, "bc\nfg\njk");
  EXPECT_EQ(Text(m), "ad|eh|il");
  m.SetSelectionMode(TSelectionMode::smLine);
  m.SetSelection(QPoint(1, 2), QPoint(1, 2));
  m.SetSelection(QPoint(1, 2), QPoint(2, 2));
  m.ExecuteCommand(ecDeleteChar);
  EXPECT_EQ(Text(m), "ad|il");
  m.SetSelectionMode(TSelectionMode::smNormal);
  m.SetCaretXY(2, 1);
  m.ExecuteCommand(ecPaste);
  EXPECT_EQ(Text(m), "abc|fg|jkd|il");
  m.ExecuteCommand(ecSelectAll);
  EXPECT_EQ(m.SelectedText(), "abc\nfg\njkd\nil");
  m.ExecuteCommand(ecUndo);
  EXPECT_EQ(Text(m), "ad|il");
}

TEST(EditorEditing, MoveSelectionIsOneStep) {
  TEditorModel m;
  Load(m, "one two three\n");
  m.SetSelection(QPoint(1, 1), QPoint(5, 1));  // "one "
  m.MoveSelectionTo(QPoint(9, 1), false);
  EXPECT_EQ(Text(m), "two one three");
  EXPECT_EQ(m.SelectedText(), "one ");
  m.MoveSelectionTo(QPoint(1, 1), false);
  EXPECT_EQ(Text(m), "one two three");
  m.Undo();
  m.Undo();
  EXPECT_EQ(Text(m), "one two three");
  EXPECT_FALSE(m.CanUndo());

  Load(m, "a\nb\nc\nd\n");
  m.SetSelectionMode(TSelectionMode::smLine);
  m.SetSelection(QPoint(1, 1), QPoint(1, 2));
  m.MoveSelectionTo(QPoint(1, 4), false);  // two whole lines in front of "d"
  EXPECT_EQ(Text(m), "c|a|b|d");
  m.SetSelectionMode(TSelectionMode::smColumn);
  Load(m, "abcd\nefgh\n");
  m.SetSelection(QPoint(1, 1), QPoint(2, 2));
  m.MoveSelectionTo(QPoint(3, 1), true);  // a copy as a stream
  EXPECT_EQ(Text(m), "aba|ecd|efgh");
}

TEST(EditorKeys, DefaultTableHasTheEightyBindings) {
  const auto keys = DefaultKeystrokes();
  ASSERT_EQ(keys.size(), 80u);
  std::set<int> distinct;
  for (const auto& k : keys) distinct.insert(k.Key);
  EXPECT_EQ(distinct.size(), 80u);  // a key appears once
  TEditorModel m;
  EXPECT_EQ(m.FindCommand((Qt::ControlModifier | Qt::Key_Y).toCombined()), ecDeleteLine);
  EXPECT_EQ(m.FindCommand((Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_3).toCombined()), ecSetMarker0 + 3);
  EXPECT_EQ(m.FindCommand((Qt::ControlModifier | Qt::Key_9).toCombined()), ecGotoMarker9);
  EXPECT_EQ(m.FindCommand((Qt::AltModifier | Qt::ShiftModifier | Qt::Key_Backspace).toCombined()), ecRedo);
  EXPECT_EQ(m.FindCommand(Qt::Key_Insert), ecToggleMode);
  EXPECT_EQ(m.FindCommand(Qt::Key_F1), ecNone);
}

TEST(EditorEditing, NewTextsAndTheFilesEncoding) {
  TEditorModel m;
  Type(m, "x\ny");
  EXPECT_EQ(Text(m), "x|y");
  EXPECT_EQ(m.Lines().SaveToBytes(), "x\r\ny\r\n");

  Load(m, "\xe4\n");  // not UTF-8: typed text is stored in the 8-bit code page
  m.SetCaretXY(2, 1);
  m.InsertText(QString::fromUtf8("ö€中"));
  EXPECT_EQ(m.Lines()[0], "\xe4\xf6\x80?");
  m.InsertText("a\r\nb\rc");  // a lone CR stays inside the line, as when loading
  EXPECT_EQ(Text(m), "\xe4\xf6\x80?a|b\rc");
}

TEST(EditorEditing, MatchBracketAcrossLines) {
  TEditorModel m;
  Load(m, "a (b [c]\n d) e\n");
  m.SetCaretXY(3, 1);
  m.ExecuteCommand(ecMatchBracket);
  EXPECT_EQ(m.Caret(), QPoint(3, 2));
  m.ExecuteCommand(ecMatchBracket);  // the caret behind a bracket finds its mate too
  EXPECT_EQ(m.Caret(), QPoint(3, 1));
  m.SetCaretXY(8, 1);
  m.ExecuteCommand(ecMatchBracket);
  EXPECT_EQ(m.Caret(), QPoint(6, 1));
  m.SetCaretXY(1, 1);
  m.ExecuteCommand(ecMatchBracket);  // no bracket: stays
  EXPECT_EQ(m.Caret(), QPoint(1, 1));
}

TEST(EditorEditing, PagesKeepTheCaretColumn) {
  TEditorModel m;
  std::string text;
  for (int i = 0; i < 100; ++i) text += i % 2 ? "\n" : "abcdefgh\n";
  Load(m, text);  // 20 lines in the window
  m.SetCaretXY(6, 1);
  m.ExecuteCommand(ecPageDown);
  EXPECT_EQ(m.Caret(), QPoint(6, 21));
  EXPECT_EQ(m.TopLine(), 21);
  m.ExecuteCommand(ecDown);  // an empty line: past its end, as far as the column allows
  EXPECT_EQ(m.Caret(), QPoint(6, 22));
  m.SetOptions(m.Options() | eoHalfPageScroll);
  m.ExecuteCommand(ecSelPageUp);
  EXPECT_EQ(m.Caret(), QPoint(6, 12));
  EXPECT_EQ(m.SelectedText().count('\n'), 10);
  m.ExecuteCommand(ecEditorBottom);
  EXPECT_EQ(m.Caret(), QPoint(1, 100));
  EXPECT_EQ(m.TopLine(), 81);
  m.ExecuteCommand(ecPageTop);
  EXPECT_EQ(m.CaretY(), 81);
}
