#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <climits>
#include <tuple>
#include <utility>

#include "ModelHelpers.h"
#include "editor/EditLinesImpl.h"
#include "highlight/AssemSyn.h"

TEST(EditorBookmarks, OnePerLineOneLinePerSlot) {
  int col = 0, line = 0;
  TEditorModel m;
  m.SetBookmark(0, 1, 2);  // an empty text has line 1 only
  EXPECT_FALSE(m.GetBookmark(0, col, line));
  Load(m, "a\nb\nc\nd\n");
  m.SetBookmark(5, 2, 2);
  m.SetBookmark(3, 1, 2);  // same line: bookmark 5 goes
  m.SetBookmark(3, 1, 4);  // same slot elsewhere: moves
  for (int bad : {-1, 10}) m.SetBookmark(bad, 1, 1);
  m.SetBookmark(1, 1, 6);  // beyond the text
  ASSERT_EQ(m.Marks().Count(), 1);
  EXPECT_EQ(m.Marks()[0]->Line, 4);
  EXPECT_EQ(m.Marks()[0]->ImageIndex, 3);
  m.ClearBookmark(3);
  m.SetBookmark(7, 1, 1);
  m.Marks().Delete(0);  // deleted through the list: the slot empties too
  EXPECT_FALSE(m.GetBookmark(7, col, line));
  // Key commands: set at the caret, cleared on the same line, moved from another one.
  m.SetCaretXY(2, 2);
  Exec(m, {ecSetMarker0 + 3, ecSetMarker0 + 3});
  EXPECT_EQ(m.Marks().Count(), 0);
  m.ExecuteCommand(ecSetMarker0 + 3);
  m.SetCaretXY(1, 4);
  Exec(m, {ecSetMarker0 + 3, ecEditorTop, ecGotoMarker0 + 3});
  EXPECT_EQ(m.Caret(), QPoint(1, 4));
  m.BookmarkKeysEnabled = false;
  Exec(m, {ecEditorTop, ecGotoMarker0 + 3, ecSetMarker0 + 4});
  EXPECT_EQ(m.Caret(), QPoint(1, 1));
  EXPECT_EQ(m.Marks().Count(), 1);
  m.Lines().Delete(3);  // the mark's line goes; the mark stays beyond the text and is not jumped to
  m.GotoBookmark(3);
  EXPECT_EQ(m.Caret(), QPoint(1, 1));
}

TEST(EditorMarks, FollowInsertedAndDeletedLines) {
  TEditorModel m;
  Load(m, "l1\nl2\nl3\nl4\nl5\nl6\n");
  std::vector<TEditMark*> marks;
  for (int line : {2, 4, 5}) {
    m.Marks().Add(marks.emplace_back(new TEditMark));
    marks.back()->Line = line;
  }
  const std::tuple<QPoint, int, std::vector<int>> steps[] = {  // caret, command (none: insert at the top), lines
      {{3, 1}, ecLineBreak, {3, 5, 6}},
      {{1, 5}, ecLineBreak, {3, 6, 7}},       // in front of the text of a marked line: the mark goes with it
      {{1, 6}, ecDeleteLine, {3, 6, 6}},      // the marked line goes: its mark stays, the next moves up
      {{1, 3}, ecDeleteLastChar, {2, 5, 5}},  // joins line 3 into 2
      {{1, 1}, ecNone, {3, 6, 6}}};
  for (const auto& [caret, command, lines] : steps) {
    m.SetCaretXY(caret.x(), caret.y());
    if (command == ecNone) m.Lines().Insert(0, "top");
    else m.ExecuteCommand(command);
    EXPECT_EQ((std::vector<int>{marks[0]->Line, marks[1]->Line, marks[2]->Line}), lines) << command;
  }
}

TEST(EditorMarks, UndoAndRedoPutThemBack) {
  // Bookmarks 1 and 2 on lines 5 and 8, other marks on 4, 6 and 7; each edit moves some of them.
  const std::function<void(TEditorModel&)> edits[] = {
      [](TEditorModel& m) { m.SetSelection({1, 4}, {1, 7}), m.ExecuteCommand(ecDeleteChar); },  // lines 4-6
      [](TEditorModel& m) { m.SetSelection({2, 4}, {2, 6}), Type(m, "x"); },
      [](TEditorModel& m) { m.SetCaretXY(1, 5), m.ExecuteCommand(ecDeleteLine); },
      [](TEditorModel& m) { m.SetCaretXY(1, 5), m.ExecuteCommand(ecDeleteLastChar); },  // joins 5 into 4
      [](TEditorModel& m) { m.SetCaretXY(3, 4), m.ExecuteCommand(ecDeleteChar); },
      [](TEditorModel& m) { m.SetCaretXY(2, 5), m.InsertText("\n\n"); }};
  for (std::size_t i = 0; i < std::size(edits); ++i) {
    TEditorModel m;
    Load(m, "l1\nl2\nl3\nl4\nl5\nl6\nl7\nl8\nl9\n");
    m.SetBookmark(1, 1, 5);
    m.SetBookmark(2, 1, 8);
    for (int line : {4, 6, 7}) m.Marks().Add(new TEditMark), m.Marks()[m.Marks().Count() - 1]->Line = line;
    const auto lines = [&m] {
      std::vector<int> l;
      for (int k = 0; k < m.Marks().Count(); ++k) l.push_back(m.Marks()[k]->Line);
      return l;
    };
    const std::vector<int> before = lines();
    edits[i](m);
    const std::vector<int> after = lines();
    for (const auto& [step, want] : {std::pair{ecUndo, before}, {ecRedo, after}, {ecUndo, before}}) {
      m.ExecuteCommand(step);
      EXPECT_EQ(lines(), want) << "edit " << i << " command " << step;
    }
  }
  TEditorModel m;  // a mark removed meanwhile stays removed
  Load(m, "a\nb\nc\n");
  m.SetBookmark(1, 1, 2);
  m.SetCaretXY(1, 2);
  Exec(m, {ecDeleteLine, ecSetMarker0 + 1, ecUndo});
  int column = 0, line = 0;
  EXPECT_FALSE(m.GetBookmark(1, column, line));
}

TEST(EditorMarks, DeletingOtherMarksKeepsTheBookmark) {
  TEditorModel m;
  Load(m, "a\n");
  for (int i = 0; i < 3; ++i) m.Marks().Add(new TEditMark);
  m.SetBookmark(2, 1, 1);
  for (int i = 2; i >= 0; --i) m.Marks().Delete(i);  // as the next run clears them
  int column = 0, line = 0;
  EXPECT_TRUE(m.GetBookmark(2, column, line));
  m.Marks().Clear();
  EXPECT_FALSE(m.GetBookmark(2, column, line));
}

// With the assembler's identifier characters (ASCII only), umlauts in comments still belong to
// their words, in UTF-8 and in Windows-1252 alike.
TEST(EditorEditing, UmlautsAreLettersOfAWord) {
  for (const auto& [bytes, afterWord] : {std::pair<std::string, int>{"Gr\xc3\xbc\xc3\x9f" "e K\xc3\xb6ln\n", 9},
                                         {"Gr\xfc\xdf" "e K\xf6ln\n", 7}}) {
    TVoMAssemSyn highlighter;
    TEditorModel m;
    m.SetHighlighter(&highlighter);
    Load(m, bytes);
    m.ExecuteCommand(ecWordRight);
    EXPECT_EQ(m.Caret(), QPoint(afterWord, 1));
    m.SelectWordAt(QPoint(afterWord + 2, 1));
    EXPECT_EQ(m.SelectedText(), QStringLiteral("K\u00f6ln"));
    m.SetHighlighter(nullptr);
  }
}

TEST(EditorUndo, ModifiedSaysWhetherTheTextDiffersFromTheSavedOne) {
  // t: type on the caret line, b: line break, s: save, u: undo, r: redo
  const std::tuple<const char*, bool, int, int> cases[] = {  // script, modified, undo steps kept, lines
      {"tsu", true, 9, 1},        {"tsur", false, 9, 1},  {"tu", false, 9, 1},   {"tstu", false, 9, 1},
      {"bbsuu", true, 9, 1},      {"bbsuurr", false, 9, 3}, {"bsbbu", true, 9, 3}, {"sbbbuu", true, 2, 2},
      {"bbbsbuu", true, 2, 3},    {"bbbbbuuuuu", true, 3, 3}};
  QTemporaryDir dir;
  for (const auto& [script, modified, maxUndo, lines] : cases) {
    TEditorModel m;
    Load(m, "abc\n");
    m.SetMaxUndo(maxUndo);
    for (const char* p = script; *p; ++p) {
      if (*p == 't') Type(m, "x");
      if (*p == 'b') m.ExecuteCommand(ecLineBreak);
      if (*p == 's') m.Lines().SaveToFile(dir.filePath("s.asm"));
      if (*p == 'u') m.Undo();
      if (*p == 'r') m.Redo();
    }
    EXPECT_EQ(m.Modified(), modified) << script;
    EXPECT_EQ(m.Lines().Count(), lines) << script;
  }
}

TEST(EditorStatus, ReasonsOfCommonChanges) {
  TEditorModel m;
  Load(m, "abc\ndef\n");
  std::vector<TStatusChanges> seen;
  m.OnStatus = [&](TStatusChanges r) { seen.push_back(r); };
  const std::pair<int, unsigned> cases[] = {{ecRight, scCaretX}, {ecDown, scCaretY}, {ecChar, scCaretX | scModified},
                                            {ecToggleMode, scInsertMode}, {ecSelLeft, scCaretX | scSelection}};
  for (auto [command, reasons] : cases) {
    seen.clear();
    m.ExecuteCommand(command, QChar('x'));
    EXPECT_EQ(seen, std::vector<TStatusChanges>{reasons}) << command;
  }
  seen.clear();
  m.Lines().LoadFromBytes("new");
  EXPECT_TRUE(seen.at(0) & scAll);
}

TEST(EditorEditing, CommandsChangeTextAndCaret) {
  std::string pages;  // 20 lines in the window
  for (int i = 0; i < 100; ++i) pages += i % 2 ? "\n" : "abcdefgh\n";
  struct Row {
    const char* load;  // nullptr: go on with the text as the row before left it
    QPoint caret;      // (0, 0): where it is
    std::vector<int> commands;
    const char* typed;  // after the commands; "\n" breaks the line
    const char* text;   // lines joined by "|"; nullptr: not checked
    QPoint caretAfter;  // (0, 0): not checked
    TEditOptions off = 0;
  };
  const Row rows[] = {
      // Typing on one line is one undo step; a new edit drops the redo history, loading drops all.
      {"abc\n", {4, 1}, {}, "de\nx", "abcde|x", {2, 2}},
      {nullptr, {}, {ecUndo}, "", "abcde|", {}},
      {nullptr, {}, {ecUndo, ecUndo, ecUndo}, "", "abc", {4, 1}},  // the last one has nothing to do
      {nullptr, {}, {ecRedo, ecRedo, ecRedo, ecRedo}, "", "abcde|x", {2, 2}},
      {nullptr, {}, {ecUndo}, "y", "abcde|y", {}},
      {nullptr, {}, {ecRedo}, "", "abcde|y", {}},
      {"z", {}, {ecUndo}, "", "z", {}},
      // Word moves and deletes; the spaces a delete leaves at the line's end are trimmed.
      {"foo  bar.baz\nnext\n", {}, {ecWordRight}, "", nullptr, {6, 1}},
      {nullptr, {}, {ecWordRight}, "", nullptr, {13, 1}},
      {nullptr, {}, {ecWordRight}, "", nullptr, {1, 2}},
      {nullptr, {}, {ecWordLeft, ecWordLeft}, "", nullptr, {6, 1}},
      {nullptr, {}, {ecDeleteWord}, "", "foo|next", {6, 1}},
      {nullptr, {}, {ecDeleteLastWord, ecDeleteLine, ecDeleteLine}, "", "", {1, 1}},
      // Multi-byte characters move and go as a whole.
      {"\xc3\xa4" "b\n", {}, {ecRight}, "", nullptr, {3, 1}},
      {nullptr, {2, 1}, {}, "", nullptr, {1, 1}},  // inside a character: snapped to its start
      {nullptr, {3, 1}, {ecDeleteLastChar}, "", "b", {1, 1}},
      // Auto indent copies the indent, spaces before a break and an indent alone are trimmed.
      {"    abc\n", {8, 1}, {}, "  \nx", "    abc|    x", {}},
      {nullptr, {}, {ecLineBreak}, "", "    abc|    x|", {5, 3}},
      {nullptr, {}, {}, "y \n", "    abc|    x|    y |", {1, 4}, eoAutoIndent | eoTrimTrailingSpaces},
      // Overwrite replaces characters and appends at the end.
      {nullptr, {1, 1}, {ecToggleMode}, "ZZ", "ZZ  abc|    x|    y |", {}},
      {nullptr, {8, 1}, {}, "!", "ZZ  abc!|    x|    y |", {}},
      // A blank line between indented ones keeps the indent for the next.
      {"    abc\n", {8, 1}, {ecLineBreak, ecLineBreak}, "x", "    abc||    x", {}},
      // Tabs: under the next word of the line above, else to the next tab stop; or a tab.
      {"LDAA   #1\n\nX\n", {1, 2}, {ecTab}, "z", "LDAA   #1|       z|X", {9, 2}},
      {nullptr, {}, {ecTab}, "", "LDAA   #1|       z|X", {17, 2}},
      {nullptr, {1, 3}, {ecTab}, "", "LDAA   #1|       z|\tX", {2, 3}, eoSmartTabs | eoTabsToSpaces},
      // Block indent and unindent; a block ending in column 1 leaves that line out.
      {"a\n b\n\tc\nd\n", {1, 1}, {ecSelDown, ecSelDown, ecSelDown, ecBlockIndent}, "", "  a|   b|  \tc|d", {}},
      {nullptr, {}, {ecBlockUnindent, ecBlockUnindent}, "", "a|b|    c|d", {}},
      {nullptr, {}, {ecUndo, ecUndo, ecUndo}, "", "a| b|\tc|d", {}},
      // A block ending inside its last line keeps that line through repeated unindents.
      {"    a\n    b\n    c\nd\n", {1, 1}, {ecSelDown, ecSelDown, ecSelRight, ecBlockUnindent, ecBlockUnindent}, "",
       "a|b|c|d", {}},
      // Bracket matching across lines, also from behind a bracket.
      {"a (b [c]\n d) e\n", {3, 1}, {ecMatchBracket}, "", nullptr, {3, 2}},
      {nullptr, {}, {ecMatchBracket}, "", nullptr, {3, 1}},
      {nullptr, {8, 1}, {ecMatchBracket}, "", nullptr, {6, 1}},
      // Pages keep the caret's column, also on an empty line; the text scrolls along.
      {pages.c_str(), {6, 1}, {ecPageDown, ecDown}, "", nullptr, {6, 22}},
      {nullptr, {}, {ecPageUp, ecPageTop}, "", nullptr, {6, 1}},
      {nullptr, {}, {ecEditorBottom, ecPageTop}, "", nullptr, {1, 81}},
  };
  TEditorModel m;
  int n = 0;
  for (const Row& r : rows) {
    ++n;
    if (r.load) Load(m, r.load);
    m.SetOptions((r.load ? DefaultEditOptions : m.Options()) & ~r.off);
    if (!r.caret.isNull()) m.SetCaretXY(r.caret.x(), r.caret.y());
    for (int c : r.commands) m.ExecuteCommand(c);
    Type(m, r.typed);
    if (r.text) { EXPECT_EQ(Text(m), r.text) << "row " << n; }
    if (!r.caretAfter.isNull()) { EXPECT_EQ(m.Caret(), r.caretAfter) << "row " << n; }
  }
}

// A command with nothing to do is no edit: no undo step, no "[Geändert]", and trimming leaves
// the line's blanks alone.
TEST(EditorEditing, CommandsWithNothingToDoChangeNothing) {
  const std::tuple<const char*, QPoint, int> cases[] = {
      {"abc  \nx\n", {1, 1}, ecDeleteLastWord}, {"x\nabc  ", {6, 2}, ecDeleteWord},
      {"abc  \n", {3, 1}, ecShiftTab},          {"abc  \n", {3, 1}, ecBlockUnindent},
      {"\n", {1, 1}, ecBlockIndent},            {"abc  \n", {1, 1}, ecDeleteBOL},
      {"", {1, 1}, ecDeleteLine},               {"", {1, 1}, ecDeleteLastWord},
      {"", {1, 1}, ecDeleteWord},               {"abc  \r\nlast  ", {9, 2}, ecDeleteWord},  // beyond the end
      {"", {9, 1}, ecDeleteLastWord},           {"abc  ", {9, 1}, ecDeleteEOL},
  };
  for (const auto& [text, caret, command] : cases) {
    TEditorModel m;
    Load(m, text);
    m.SetCaretXY(caret.x(), caret.y());
    m.ExecuteCommand(command);
    EXPECT_EQ(m.Lines().SaveToBytes(), text) << command;
    EXPECT_FALSE(m.Modified() || m.CanUndo()) << command;
  }
  // A blank typed or a tab at a line's end, trimmed off again; a column block right of every
  // line's end cut.
  TEditorModel m;
  const std::function<void()> edits[] = {
      [&] { m.SetCaretXY(4, 1), m.ExecuteCommand(ecChar, QChar(' ')); },
      [&] { m.SetCaretXY(4, 1), m.ExecuteCommand(ecTab); },
      [&] {
        m.SetSelectionMode(TSelectionMode::smColumn);
        m.SetSelection(QPoint(5, 1), QPoint(8, 2));
        m.ExecuteCommand(ecCut);
      }};
  for (const auto& edit : edits) {
    Load(m, "abc\ncd\n");
    edit();
    EXPECT_EQ(m.Lines().SaveToBytes(), "abc\ncd\n");
    EXPECT_FALSE(m.Modified() || m.CanUndo()) << &edit - edits;
  }
}

TEST(EditorEditing, TypingOverASelectionReplacesJustIt) {
  using M = TSelectionMode;
  const std::tuple<M, QPoint, QPoint, const char*> cases[] = {
      {M::smNormal, {1, 1}, {3, 1}, "Xcd|efgh|ijkl"},
      {M::smNormal, {1, 2}, {1, 3}, "abcd|Xijkl"},
      {M::smLine, {2, 2}, {3, 2}, "abcd|Xijkl"},
      {M::smColumn, {2, 1}, {3, 3}, "aXcd|egh|ikl"},
  };
  TEditorModel m;
  for (const bool insert : {true, false}) {
    for (const auto& [mode, from, to, typed] : cases) {
      Load(m, "abcd\nefgh\nijkl\n");
      m.SetInsertMode(insert);
      m.SetSelectionMode(mode);
      m.SetSelection(from, to);
      Type(m, "X");
      EXPECT_EQ(Text(m), typed) << insert << typed;
      Exec(m, {ecUndo});
      EXPECT_EQ(Text(m), "abcd|efgh|ijkl");
      EXPECT_FALSE(m.CanUndo());
      Exec(m, {ecRedo});
      EXPECT_EQ(Text(m), typed);
    }
  }
  Type(m, "YZ");  // then typing overwrites again
  EXPECT_EQ(Text(m), "aXYZ|egh|ikl");
}

TEST(EditorEditing, UnindentNarrowsTheVisibleIndentByOneStep) {
  // Tab width 8, step 2 cells: what still fits of the indent stays, blanks make up the rest.
  TEditorModel m;
  Load(m, " \tX\n\t X\n   X\n\t\tX\n    \t  X\n X\nX\n\tY");
  m.SetSelection(QPoint(1, 1), QPoint(3, 8));
  m.ExecuteCommand(ecBlockUnindent);
  EXPECT_EQ(Text(m), "      X|       X| X|\t      X|    \tX|X|X|      Y");
  EXPECT_EQ(m.BlockEnd(), QPoint(8, 8));
  m.SetTabWidth(4);
  m.ExecuteCommand(ecBlockUnindent);
  EXPECT_EQ(Text(m), "    X|     X|X|\t    X|      X|X|X|    Y");
}

TEST(EditorGeometry, CharacterColumnCountsCharacters) {
  TEditorModel m;
  Load(m, "\xc3\xa4\xc3\xb6x\tb\n");
  const std::pair<int, int> cases[] = {{1, 1}, {3, 2}, {5, 3}, {6, 4}, {7, 5}, {8, 6}, {10, 8}};
  for (auto [byte, chr] : cases) EXPECT_EQ(m.CharColumn(1, byte), chr) << byte;
  Load(m, "\tX\n");  // a click inside a tab's first half lands before it
  const std::pair<int, int> cells[] = {{0, 1}, {3, 1}, {4, 2}, {8, 2}, {9, 3}};
  for (auto [cell, column] : cells) EXPECT_EQ(m.ColumnOfCell(1, cell), column) << cell;
  EXPECT_EQ(m.CellOfColumn(1, 2), 8);
}

// A wide character takes two cells; a combining mark none, and the caret never stands between it
// and its letter: "e" + U+0301 is one character to move over, delete, count and click.
TEST(EditorGeometry, WideCharactersAndCombiningMarks) {
  TEditorModel m;
  Load(m, "a\xE6\xBC\xA2" "e\xCC\x81x\t\xCC\x88y\n");  // a 漢 é x tab, a lone mark after the tab, y
  // Bytes: a=1, 漢=2..4, e=5, mark=6..7, x=8, tab=9, lone mark=10..11, y=12.
  const std::pair<int, int> cells[] = {{1, 0}, {2, 1}, {5, 3}, {8, 4}, {9, 5}, {10, 8}, {12, 9}, {13, 10}};
  for (auto [column, cell] : cells) EXPECT_EQ(m.CellOfColumn(1, column), cell) << column;
  const std::pair<int, int> chars[] = {{5, 3}, {8, 4}, {9, 5}, {12, 7}, {13, 8}};
  for (auto [column, chr] : chars) EXPECT_EQ(m.CharColumn(1, column), chr) << column;
  // Clicks: both cells of the wide character, the accented letter's cell.
  const std::tuple<int, bool, int> clicks[] = {{1, true, 2}, {2, true, 2}, {2, false, 5}, {3, true, 5},
                                               {3, false, 5}, {8, true, 10}, {9, true, 12}};
  for (auto [cell, covering, column] : clicks) EXPECT_EQ(m.ColumnOfCell(1, cell, covering), column) << cell;
  EXPECT_EQ(m.ColumnAtCell(1, 2), 5);  // the wide character's second cell is not a start
  // Right and Left step over the letter with its mark; a column inside it snaps to the letter.
  std::vector<int> steps;
  for (int c = 1; c <= 13; c = m.NextCharColumn(1, c)) steps.push_back(c);
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 5, 8, 9, 10, 12, 13}));
  EXPECT_EQ(m.PrevCharColumn(1, 8), 5);
  EXPECT_EQ(m.SnapColumn(1, 6), 5);
  m.SetCaretXY(6, 1);
  EXPECT_EQ(m.CaretX(), 5);
  // Delete and Backspace take the whole accented letter, never leave a mark behind.
  m.ExecuteCommand(ecDeleteChar);
  EXPECT_EQ(Text(m), "a\xE6\xBC\xA2x\t\xCC\x88y");
  m.ExecuteCommand(ecUndo);
  m.SetCaretXY(8, 1);
  m.ExecuteCommand(ecDeleteLastChar);
  EXPECT_EQ(Text(m), "a\xE6\xBC\xA2x\t\xCC\x88y");
  // Deleting the tab joins the lone mark to the letter before the caret: the caret goes before both.
  m.SetCaretXY(6, 1);
  m.ExecuteCommand(ecDeleteChar);
  EXPECT_EQ(Text(m), "a\xE6\xBC\xA2x\xCC\x88y");
  EXPECT_EQ(m.Caret(), QPoint(5, 1));
  // In a Windows-1252 text every byte is one character of one cell.
  Load(m, "e\xCC\x81\x80x\n");  // not UTF-8
  ASSERT_EQ(m.Lines().Encoding(), TTextEncoding::Latin1);
  EXPECT_EQ(m.CellOfColumn(1, 4), 3);
  EXPECT_EQ(m.NextCharColumn(1, 1), 2);
}

TEST(EditorSelection, ModesCopyAndDelete) {
  TEditorModel m;
  Load(m, "abcd\nefgh\nijkl\n");
  QString clip;
  m.SetClipboard = [&](const QString& t, bool) { clip = t; };
  m.GetClipboard = [&](bool&) { return clip; };
  using M = TSelectionMode;
  const std::tuple<M, QPoint, QPoint, const char*> selections[] = {
      {M::smNormal, {1, 3}, {1, 4}, "ijkl"},  // the last line up to the "next" line
      {M::smNormal, {2, 1}, {3, 2}, "bcd\nef"}, {M::smColumn, {2, 1}, {3, 2}, "b\nf"},
      {M::smLine, {2, 1}, {3, 2}, "abcd\nefgh\n"}, {M::smColumn, {4, 3}, {2, 1}, "bc\nfg\njk"}};
  for (const auto& [mode, from, to, text] : selections) {
    m.SetSelectionMode(mode);
    m.SetSelection(from, to);
    EXPECT_EQ(m.SelectedText(), text);
  }
  m.ExecuteCommand(ecCut);
  EXPECT_EQ(clip, "bc\nfg\njk");
  EXPECT_EQ(Text(m), "ad|eh|il");
  m.SetSelectionMode(M::smLine);
  m.SetSelection(QPoint(1, 2), QPoint(2, 2));
  m.ExecuteCommand(ecDeleteChar);
  m.SetSelectionMode(M::smNormal);
  m.SetCaretXY(2, 1);
  m.ExecuteCommand(ecPaste);
  EXPECT_EQ(Text(m), "abc|fg|jkd|il");
  // A column block may start with zero width: Shift+Down keeps its anchor.
  Load(m, "abcdefgh\nabcdefgh\nabcdefgh\nabcdefgh\nabcdefgh\n");
  m.SetCaretXY(2, 1);
  Exec(m, {ecColumnSelect, ecSelDown, ecSelDown, ecSelDown, ecCopy});
  EXPECT_EQ(clip, "bc\nfg\njk");  // nothing to copy yet
  Exec(m, {ecSelRight, ecSelRight, ecSelRight, ecSelRight, ecDeleteChar});
  EXPECT_EQ(Text(m), "afgh|afgh|afgh|afgh|abcdefgh");
  // Select all takes the whole text, also in column mode.
  Load(m, "abcdef\nab\n");
  Exec(m, {ecSelectAll, ecCopy});
  EXPECT_EQ(clip, "abcdef\nab");
}

// Text put in as a whole keeps its blanks at line ends: cut and paste back, a move by drag, a
// column block pasted.
TEST(EditorSelection, PastedAndDroppedTextArrivesAsItIs) {
  TEditorModel m;
  TTestClipboard clip(m);
  const std::string text = "ld a  \nnop\n";
  Load(m, text);
  m.SetSelection(QPoint(1, 1), QPoint(4, 2));
  Exec(m, {ecCut, ecPaste});
  EXPECT_EQ(m.Lines().SaveToBytes(), text);
  m.SetSelection(QPoint(1, 1), QPoint(1, 2));
  m.MoveSelectionTo(QPoint(4, 2), false);
  EXPECT_EQ(m.Lines().SaveToBytes(), "nopld a  \n\n");
  Load(m, "abc def\n\n");  // the line the text leaves is trimmed all the same
  m.SetSelection(QPoint(5, 1), QPoint(8, 1));
  m.MoveSelectionTo(QPoint(1, 2), false);
  EXPECT_EQ(m.Lines().SaveToBytes(), "abc\ndef\n");
  Load(m, "ab\ncd\n");
  m.SetSelectionMode(TSelectionMode::smColumn);
  m.SetSelection(QPoint(1, 1), QPoint(3, 2));
  Exec(m, {ecCopy});
  clip.Text = QStringLiteral("x \ny  ");
  m.SetCaretXY(3, 1);
  Exec(m, {ecPaste});
  EXPECT_EQ(m.Lines().SaveToBytes(), "abx \ncdy  \n");
}

TEST(EditorSelection, ColumnBlockIsARectangleOfCells) {
  // A character belongs to the block when its first cell does: a tab or "ü" is never split.
  const std::pair<std::string, std::string> texts[] = {
      {"; Gr\xc3\xbc\xc3\x9f" "e aus\n\tLDAA #$10\nstart:\tNOP\n", "Gr\xc3\xbc\xc3\x9f" "e "},
      {"; Gr\xfc\xdf" "e aus\n\tLDAA #$10\nstart:\tNOP\n", "Gr\xfc\xdf" "e "}};  // one byte a character
  for (const auto& [bytes, removed] : texts) {
    TEditorModel m;
    QString clip;
    m.SetClipboard = [&](const QString& t, bool) { clip = t; };
    Load(m, bytes);
    m.SetCaretXY(3, 1);  // cell 2; Shift+Down keeps it, the last line's caret ends in cell 8
    Exec(m, {ecColumnSelect, ecSelDown, ecSelDown, ecSelRight, ecSelRight, ecSelRight, ecSelRight, ecSelRight});
    int from, to;
    bool toEnd;
    ASSERT_TRUE(m.LineSelection(2, from, to, toEnd));
    EXPECT_EQ(from, to);  // the tab starts left of the block, "L" right of it
    Exec(m, {ecCopy, ecDeleteChar});
    EXPECT_EQ(m.Lines().Encode(clip), removed + "\n\nart:\t");
    EXPECT_EQ(m.Lines().SaveToBytes(), "; aus\n\tLDAA #$10\nstNOP\n");
    EXPECT_EQ(m.Caret(), QPoint(3, 1));
  }
}

TEST(EditorSelection, ColumnBlockPastesAsABlock) {
  TEditorModel m;
  TTestClipboard clip(m);
  const std::string text = "abcdefgh\n12345678\nABCDEFGH\nxy\n";
  Load(m, text);
  m.SetCaretXY(2, 1);
  Exec(m, {ecColumnSelect, ecSelDown, ecSelRight, ecSelRight, ecSelRight, ecCopy});
  // Short lines are padded, lines missing at the end are added.
  const std::tuple<QPoint, const char*, QPoint> cases[] = {
      {{9, 1}, "abcdefghbcd|12345678234|ABCDEFGH|xy", {12, 2}},
      {{7, 3}, "abcdefgh|12345678|ABCDEFbcdGH|xy    234", {10, 4}},
      {{2, 4}, "abcdefgh|12345678|ABCDEFGH|xbcdy| 234", {5, 5}}};
  for (const auto& [at, pasted, caret] : cases) {
    m.SetCaretXY(at.x(), at.y());
    m.ExecuteCommand(ecPaste);
    EXPECT_EQ(Text(m), pasted);
    EXPECT_EQ(m.Caret(), caret);
    m.ExecuteCommand(ecUndo);
    EXPECT_EQ(m.Lines().SaveToBytes(), text);
  }
  clip.Block = false;  // plain text goes in as running text
  m.SetCaretXY(9, 1);
  m.ExecuteCommand(ecPaste);
  EXPECT_EQ(Text(m), "abcdefghbcd|234|12345678|ABCDEFGH|xy");
}

TEST(EditorSelection, CutAndPasteGiveBackALinesOwnCarriageReturn) {
  // A damaged file: each line's text ends with a CR of its own before its CR LF.
  const std::string text = "ab\r\r\ncd\r\r\nef\r\n";
  TEditorModel m;
  TTestClipboard clip(m);
  for (const auto mode : {TSelectionMode::smNormal, TSelectionMode::smColumn}) {
    Load(m, text);
    m.SetSelectionMode(mode);
    m.SetSelection(QPoint(1, 1), mode == TSelectionMode::smNormal ? QPoint(1, 3) : QPoint(4, 2));
    Exec(m, {ecCut});
    m.SetSelectionMode(TSelectionMode::smNormal);
    m.SetCaretXY(1, 1);
    Exec(m, {ecPaste});
    EXPECT_EQ(m.Lines().SaveToBytes(), text) << static_cast<int>(mode);
  }
}

// A word keeps its combining marks ("e" + U+0301): typing over it leaves no accent behind.
TEST(EditorSelection, AWordKeepsItsCombiningMarks) {
  TVoMAssemSyn syn;  // as in a document tab
  TEditorModel m;
  m.SetHighlighter(&syn);
  Load(m, "x cafe\xCC\x81 y\n");
  m.SelectWordAt(QPoint(4, 1));
  m.InsertText(QStringLiteral("tea"));
  EXPECT_EQ(Text(m), "x tea y");
  // A mark on a blank is a blank: a word move goes past it.
  Load(m, "a \xCC\x81" "b c\n");
  m.SetCaretXY(2, 1);
  m.ExecuteCommand(ecWordRight);
  EXPECT_EQ(m.Caret(), QPoint(5, 1));
}

// The caret after a line of tabs is scrolled into view: lines are counted in bytes, tabs take cells.
TEST(EditorGeometry, TheCaretAfterALineOfTabsIsScrolledIntoView) {
  TEditorModel m;
  Load(m, std::string(300, '\t') + "X\n");
  m.SetCaretXY(302, 1);
  const int cell = m.CellOfColumn(1, m.CaretX());
  EXPECT_GE(cell, m.LeftChar() - 1);
  EXPECT_LT(cell, m.LeftChar() - 1 + m.CharsInWindow()) << "left char " << m.LeftChar();
}

TEST(EditorSelection, MovingTheSelectionIsOneStep) {
  TEditorModel m;
  Load(m, "one two three\n");
  m.SetSelection(QPoint(1, 1), QPoint(5, 1));  // "one "
  m.MoveSelectionTo(QPoint(9, 1), false);
  EXPECT_EQ(Text(m), "two one three");
  EXPECT_EQ(m.SelectedText(), "one ");
  m.MoveSelectionTo(QPoint(1, 1), false);
  Exec(m, {ecUndo, ecUndo});
  EXPECT_EQ(Text(m), "one two three");
  EXPECT_FALSE(m.CanUndo());

  Load(m, "a\nb\nc\nd\n");
  m.SetSelectionMode(TSelectionMode::smLine);
  m.SetSelection(QPoint(1, 1), QPoint(1, 2));
  m.MoveSelectionTo(QPoint(1, 4), false);  // two whole lines in front of "d"
  EXPECT_EQ(Text(m), "c|a|b|d");

  // A column block ("bcd" over "234") lands as a block at the drop point's cell.
  const std::string text = "abcdefgh\n12345678\nABCDEFGH\nxy\n";
  const std::tuple<QPoint, bool, const char*> blocks[] = {
      {{9, 3}, false, "aefgh|15678|ABCDEFGHbcd|xy      234"},
      {{7, 1}, false, "aefbcdgh|15623478|ABCDEFGH|xy"},  // right of the block on its lines
      {{1, 2}, false, "aefgh|bcd15678|234ABCDEFGH|xy"},
      {{3, 2}, false, "abcdefgh|12345678|ABCDEFGH|xy"},  // inside: nothing moves
      {{1, 4}, true, "abcdefgh|12345678|ABCDEFGH|bcdxy|234"}};
  for (const auto& [at, copy, moved] : blocks) {
    Load(m, text);
    m.SetSelectionMode(TSelectionMode::smColumn);
    m.SetSelection(QPoint(2, 1), QPoint(5, 2));
    m.MoveSelectionTo(at, copy);
    EXPECT_EQ(Text(m), moved);
    EXPECT_EQ(m.SelectedText(), "bcd\n234");
    m.ExecuteCommand(ecUndo);
    EXPECT_EQ(m.Lines().SaveToBytes(), text);
    EXPECT_FALSE(m.Modified());
  }
}

TEST(EditorEditing, TextGoesInOnlyWhereTheEncodingHoldsIt) {
  const std::string latin = "\xe4 ? x\n";  // not UTF-8: the 8-bit code page
  TEditorModel m;
  Load(m, latin);
  m.InsertText(QString::fromUtf8("ö€") + "a\r\nb\rc");  // a lone CR stays inside the line, as when loading
  EXPECT_EQ(Text(m), "\xf6\x80" "a|b\rc\xe4 ? x");
  const QString le = QString::fromUtf8("≤"), smiley = QString::fromUtf8("\xf0\x9f\x98\x80");
  const std::pair<const char*, std::function<int(TEditorModel&)>> cases[] = {
      {"typed", [&](TEditorModel& e) { return e.ExecuteCommand(ecChar, le[0]), 0; }},
      {"pasted", [&](TEditorModel& e) { return e.ExecuteCommand(ecPaste), 0; }},
      {"inserted", [&](TEditorModel& e) { return e.InsertText(smiley), 0; }},
      {"searched", [&](TEditorModel& e) { return e.SearchReplace(le, "", ssoEntireScope); }},
      {"replaced by", [&](TEditorModel& e) { return e.SearchReplace("?", le, ssoEntireScope | ssoReplaceAll); }},
      {"replaced", [&](TEditorModel& e) { return e.SearchReplace(le, "x", ssoEntireScope | ssoReplaceAll); }},
  };
  for (const auto& [name, act] : cases) {
    Load(m, latin);
    m.GetClipboard = [&](bool&) { return "a" + le + "b"; };
    QStringList messages;
    m.OnStatusMessage = [&](const QString& t) { messages << t; };
    EXPECT_EQ(act(m), 0) << name;
    EXPECT_EQ(m.Lines().SaveToBytes(), latin) << name;
    EXPECT_FALSE(m.Modified()) << name;
    ASSERT_EQ(messages.size(), 1) << name;
    EXPECT_TRUE(messages[0].contains(name == std::string("inserted") ? smiley : le)) << name;
  }
  Load(m, "x\n");  // UTF-8 holds everything
  m.InsertText(le);
  EXPECT_EQ(m.Lines()[0], "\xe2\x89\xa4x");
}

TEST(EditorLoad, BigFileShowsAtOnceAndIsReadOnWhileItIsEdited) {
  QTemporaryDir dir;
  const QString path = dir.filePath("big.asm");
  // A line longer than a chunk in the middle, no final line break.
  const std::string bytes =
      BigSource("\n") + std::string(300000, 'w') + "\n" + BigSource("\r\n") + "Gr\xc3\xb6\xc3\x9f" "e";
  WriteFile(path, bytes);
  TEditorModel m;
  m.SetViewSize(20, 80);
  m.Lines().StartLoad(path);
  ASSERT_TRUE(m.Lines().Loading());
  const int first = m.Lines().Count();
  EXPECT_GT(first, 20);
  EXPECT_EQ(m.Lines()[1], "\tLDAA #1");
  Type(m, "x");  // on the first screen, while the rest is still to come
  m.Lines().ContinueLoad(0);
  EXPECT_TRUE(m.Lines().Loading());
  EXPECT_GT(m.Lines().Count(), first);
  m.ExecuteCommand(ecEditorBottom);  // needs the whole text
  EXPECT_FALSE(m.Lines().Loading());
  EXPECT_EQ(m.Caret(), QPoint(8, m.Lines().Count()));  // a byte column
  m.SetTopLine(INT_MAX);
  EXPECT_EQ(m.TopLine(), m.Lines().Count() - 19);
  EXPECT_EQ(m.Lines().Text(m.Lines().Count() - 1), QString::fromUtf8("Größe"));
  EXPECT_EQ(m.Lines().LineBreakStyle(), TLineBreakStyle::CrLf);
  EXPECT_EQ(m.Lines().SaveToBytes(), "x" + bytes);
  m.Undo();
  EXPECT_EQ(m.Lines().SaveToBytes(), bytes);
  EXPECT_FALSE(m.Modified());
}

// The last line tells that the file is Windows-1252: what is typed before it is read is written so.
TEST(EditorLoad, CharactersTypedWhileReadingGetTheEncodingOfTheWholeFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("latin1.asm");
  const std::string bytes = BigSource("\r\n") + "; M\xfcller\r\n";
  WriteFile(path, bytes);
  TEditorModel m;
  m.SetViewSize(20, 80);
  m.Lines().StartLoad(path);
  ASSERT_TRUE(m.Lines().Loading());
  Type(m, "x");  // plain ASCII needs no wait
  EXPECT_TRUE(m.Lines().Loading());
  m.InsertText(QString::fromUtf8("\xc3\xb6\xe2\x82\xac"));  // ö€
  m.InsertText(QString::fromUtf8("\xe4\xb8\xad"));  // none in Windows-1252: refused
  EXPECT_TRUE(m.Lines().SaveToBytes() == "x\xf6\x80" + bytes);
  EXPECT_EQ(m.Lines().Text(0).left(3), QString::fromUtf8("x\xc3\xb6\xe2\x82\xac"));
}

// A line over the limit far into the file: the load stops before it, and what was read and typed
// meanwhile stays (the tab that shows it never writes over the file).
TEST(EditorLoad, AReadThatFailsLaterKeepsWhatWasReadAndTyped) {
  QTemporaryDir dir;
  const QString path = dir.filePath("late.asm");
  const std::string head = BigSource("\n");
  WriteFile(path, head + std::string(2000, 'w') + "\nafter\n");
  // The read fails in a command that needs the rest, or under a character that needs the encoding:
  // that character still goes in, and the editor hears of every change after.
  for (const bool umlaut : {false, true}) {
    const std::size_t limit = std::exchange(TEditLinesImpl::MaxLoadLine, 1000);
    TEditorModel m;
    int told = 0;  // text changes the editor hears of
    m.OnTextChanged = [&] { ++told; };
    m.SetViewSize(20, 80);
    m.Lines().StartLoad(path);
    ASSERT_TRUE(m.Lines().Loading());
    Type(m, "x");
    if (umlaut) EXPECT_THROW(m.ExecuteCommand(ecChar, QChar(0xE4)), EEditFileError);
    else EXPECT_THROW(m.ExecuteCommand(ecEditorBottom), EEditFileError);
    TEditLinesImpl::MaxLoadLine = limit;
    EXPECT_FALSE(m.Lines().Loading());
    EXPECT_TRUE(m.Lines().LoadFailed());
    const std::string typed = umlaut ? "x\xc3\xa4" : "x";
    // Compared whole, but not printed: the text is megabytes.
    EXPECT_TRUE(m.Lines().SaveToBytes() == typed + head) << umlaut;
    m.ExecuteCommand(ecEditorBottom);  // the last line read; every line read ends with its line break
    told = 0;
    Type(m, "y");
    EXPECT_EQ(told, 1) << umlaut;
    EXPECT_TRUE(m.Lines().SaveToBytes() == typed + head.substr(0, head.size() - 1) + "y\n") << umlaut;
    m.Undo();
    m.Undo();
    EXPECT_TRUE(m.Lines().SaveToBytes() == head) << umlaut;
  }
}

TEST(EditorLoad, AFileChangedWhileOrAfterItIsReadNeverChangesTheText) {
  // Another program cuts the file short or writes it anew, while it is read or later.
  const std::string original = BigSource("\r\n"), rewritten(3u << 20, 'y');
  for (bool during : {true, false}) {
    for (bool cut : {true, false}) {
      QTemporaryDir dir;
      const QString path = dir.filePath("a.asm");
      WriteFile(path, original);
      TEditorModel m;
      QString message;
      m.OnStatusMessage = [&](const QString& text) { message = text; };
      m.Lines().StartLoad(path);
      if (!during) m.Lines().FinishLoad();
      const auto read = static_cast<std::size_t>(m.Lines().LoadedBytes());
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::ReadWrite));
      if (cut) f.resize(1000);
      else f.resize(0), f.write(rewritten.data(), static_cast<qint64>(rewritten.size()));
      f.close();
      const std::string text = m.Lines().SaveToBytes();
      const std::string expected = !during ? original
                                   : cut   ? original.substr(0, read)
                                           : original.substr(0, read) + rewritten.substr(read);
      EXPECT_EQ(text, expected) << during << cut;
      EXPECT_EQ(m.Lines().ChangedWhileLoading(), during);
      EXPECT_EQ(message.isEmpty(), !during);  // the user is told
      m.Lines().SaveToFile(path);  // the tab's bytes, exactly
      EXPECT_TRUE(f.open(QIODevice::ReadOnly));
      EXPECT_EQ(f.readAll().toStdString(), text);
    }
  }
}
