#include <gtest/gtest.h>

#include <tuple>

#include "ModelHelpers.h"

TEST(EditorSearch, DirectionAndScope) {
  TEditorModel m;
  Load(m, "ab ab\nxx ab\n");
  EXPECT_EQ(m.SearchReplace("", "", 0), 0);
  // Each search starts where the last one left the caret, unless a caret is given: (0, 0).
  const std::tuple<QPoint, TSearchOptions, int, QPoint> steps[] = {  // caret, options, hits, found
      {{2, 1}, 0, 1, {4, 1}},             // from the cursor: the second one of line 1
      {{}, 0, 1, {4, 2}},                 //
      {{}, 0, 0, {4, 2}},                 // nothing after the last
      {{5, 2}, ssoBackwards, 1, {4, 1}},  // nearest left of the caret, caret line first
      {{}, ssoBackwards, 1, {1, 1}},      //
      {{1, 2}, ssoEntireScope, 1, {1, 1}},
  };
  for (const auto& [caret, options, hits, found] : steps) {
    if (!caret.isNull()) m.SetCaretXY(caret.x(), caret.y());
    EXPECT_EQ(m.SearchReplace("ab", "", options), hits);
    EXPECT_EQ(m.BlockBegin(), found);
    EXPECT_EQ(m.Caret(), (options & ssoBackwards) ? found : found + QPoint(2, 0));
  }
}

TEST(EditorSearch, CaseWholeWordsAndWholeCharacters) {
  struct Case {
    std::string text;
    const char* search;
    const char* replace;
    TSearchOptions options;
    int hits;
    int column;         // of the (last) hit
    std::string after;  // empty: unchanged
  };
  const TSearchOptions e = ssoEntireScope, all = ssoEntireScope | ssoReplaceAll;
  const std::string latin = "\xc4rger \xe4rger \x8a\n";  // the 8-bit code page has its own cases
  const Case cases[] = {
      {"LDAAX ldaa_1\n", "ldaa", "", e, 1, 1, ""},
      {"LDAAX ldaa_1\n", "ldaa", "", e | ssoMatchCase, 1, 7, ""},
      {"LDAAX ldaa_1\n", "ldaa", "", e | ssoWholeWord, 1, 7, ""},  // "_" ends a word
      {"1ldaa x.LdAa\n", "ldaa", "", e | ssoWholeWord, 1, 9, ""},  // the dot does, a digit does not
      {latin, "ärger", "", e, 1, 1, ""},
      {latin, "ärger", "", e | ssoMatchCase, 1, 7, ""},
      {latin, "š", "", e, 1, 13, ""},
      {"\xc3\xa4nderung\n", "Änderung", "", e, 1, 1, ""},  // UTF-8: whole characters compared
      {"x\xc3\x84rger\n", "ärger", "", e, 1, 2, ""},
      {"x\xe3\x80\x81y\n", "À", "A", all, 0, 0, ""},  // never inside a three-byte character
      {"x\xe3\xa9\x80y\n", "é", "e", all, 0, 0, ""},
      {"\xc3\x84\xc3\x96\xc3\x9c \xc3\xa4\xc3\xb6\xc3\xbc\n", "äöü", "x", all, 2, 3, "x x\n"},
      {"Ma\xc3\x9f MA\xe1\xba\x9e\n", "maß", "m", all, 2, 3, "m m\n"},  // "ẞ" is "ß": hits of other lengths
      {"s\xc3\xbc\xc3\x9f" "er s\xc3\xbc\xc3\x9f\n", "süß", "x", all | ssoWholeWord, 1, 9, "s\xc3\xbc\xc3\x9f" "er x\n"},
      // A letter is no hit without the combining mark that goes with it.
      {"x e\xcc\x81 e end\n", "e", "X", all, 2, 9, "x e\xcc\x81 X Xnd\n"},
      {"x e\xcc\x81 e end\n", "e\xcc\x81", "E", all, 1, 3, "x E e end\n"},
  };
  for (const Case& c : cases) {
    TEditorModel m;
    Load(m, c.text);
    EXPECT_EQ(m.SearchReplace(QString::fromUtf8(c.search), QString::fromUtf8(c.replace), c.options), c.hits)
        << c.search;
    if (c.hits) { EXPECT_EQ(m.BlockBegin(), QPoint(c.column, 1)) << c.search; }
    EXPECT_EQ(m.Lines().SaveToBytes(), c.after.empty() ? c.text : c.after) << c.search;
  }
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

  // The area's end moves with the text; otherwise the last hits of the line would be missed.
  Load(m, "a a a x\n");
  m.SetSelection(QPoint(1, 1), QPoint(6, 1));
  EXPECT_EQ(m.SearchReplace("a", "aaa", ssoSelectedOnly | ssoReplaceAll), 3);
  EXPECT_EQ(Text(m), "aaa aaa aaa x");

  m.SetSelectionMode(TSelectionMode::smColumn);
  Load(m, "\xc3\xa4\xc3\xa4X X\naaX X\n");  // the same cell 2 holds column 5 above, 3 below
  m.SetSelection(QPoint(5, 1), QPoint(4, 2));
  EXPECT_EQ(m.SearchReplace("X", "Z", ssoSelectedOnly | ssoReplaceAll), 2);
  EXPECT_EQ(Text(m), "\xc3\xa4\xc3\xa4Z X|aaZ X");
}

TEST(EditorSearch, ReplaceAnswersOfThePrompt) {
  TEditorModel m;
  Load(m, "a a a a\n");
  std::vector<TReplaceAction> answers;
  std::vector<int> asked;
  m.OnReplaceText = [&](const QString&, const QString&, int, int column, TReplaceAction& a) {
    asked.push_back(column);
    a = answers.at(asked.size() - 1);
  };
  using A = TReplaceAction;
  const TSearchOptions all = ssoEntireScope | ssoReplace | ssoReplaceAll | ssoPrompt, one = ssoReplace | ssoPrompt;
  const std::tuple<const char*, const char*, TSearchOptions, std::vector<A>, int, std::string, std::vector<int>>
      rounds[] = {{"a", "bb", all, {A::raSkip, A::raReplace, A::raCancel}, 3, "a bb a a", {1, 3, 6}},  // shifted
                  {"a", "c", all, {A::raSkip, A::raReplaceAll}, 3, "a bb c c", {1, 6}},  // no more questions
                  {"c", "q", one | ssoEntireScope, {A::raReplace}, 1, "a bb q c", {6}},  // the first one only
                  {"c", "q", ssoReplace, {}, 1, "a bb q q", {}}};  // no prompt: straight away
  for (const auto& [search, replace, options, given, hits, text, questions] : rounds) {
    answers = given;
    asked.clear();
    EXPECT_EQ(m.SearchReplace(search, replace, options), hits) << text;
    EXPECT_EQ(Text(m), text);
    EXPECT_EQ(asked, questions) << text;
  }
}

TEST(EditorSearch, ReplaceAllIsOneUndoStep) {
  TEditorModel m;
  std::string text;
  for (int i = 0; i < 1500; ++i) text += "  LDAA #" + std::to_string(i) + " ; ldaa  \n";
  Load(m, text);
  EXPECT_EQ(m.SearchReplace("LDAA", "LDAB", ssoEntireScope | ssoReplaceAll | ssoMatchCase), 1500);
  EXPECT_EQ(m.Lines()[1499], "  LDAB #1499 ; ldaa  ");  // trailing spaces outside the hit kept
  m.Undo();
  EXPECT_FALSE(m.CanUndo());
  EXPECT_EQ(m.Lines().SaveToBytes(), text);
  m.Redo();
  EXPECT_EQ(m.Lines()[0], "  LDAB #0 ; ldaa  ");
}

TEST(EditorSearch, ReplacementsWithLineBreaksMissNothing) {
  using M = TSelectionMode;
  struct Case {
    std::string text;
    const char* replace;
    TSearchOptions options;
    M mode;
    QPoint from, to;  // the selection; (0, 0): none
    int hits;
    std::string after;
  };
  const TSearchOptions all = ssoEntireScope | ssoReplaceAll, sel = ssoSelectedOnly | ssoReplaceAll;
  const Case cases[] = {
      {"foo 1\nfoo 2\nfoo 3\n", "X\nY", all, M::smNormal, {}, {}, 3, "X\nY 1\nX\nY 2\nX\nY 3\n"},
      {"foo 1\nfoo 2\nfoo 3\n", "X\nY", all | ssoBackwards, M::smNormal, {}, {}, 3, "X\nY 1\nX\nY 2\nX\nY 3\n"},
      {"foo foo\nfoo\n", "X\r\nY", all, M::smNormal, {}, {}, 3, "X\nY X\nY\nX\nY\n"},  // the file's line ends
      {"foo foo\r\nfoo\r\n", "X\nY", all, M::smNormal, {}, {}, 3, "X\r\nY X\r\nY\r\nX\r\nY\r\n"},
      {"foo foo\nfoo\n", "foo\nfoo", all, M::smNormal, {}, {}, 3, "foo\nfoo foo\nfoo\nfoo\nfoo\n"},
      {"foo foo\nfoo foo\nfoo\n", "X\nY", sel, M::smNormal, {5, 1}, {4, 2}, 2, "foo X\nY\nX\nY foo\nfoo\n"},
      {"foo foo\nfoo foo\nfoo\n", "X\nY", sel | ssoBackwards, M::smNormal, {5, 1}, {4, 2}, 2,
       "foo X\nY\nX\nY foo\nfoo\n"},
      {"a foo foo\na foo foo\n", "X\nY", sel, M::smColumn, {3, 1}, {6, 2}, 2, "a X\nY foo\na X\nY foo\n"},
  };
  for (const Case& c : cases) {
    TEditorModel m;
    Load(m, c.text);
    m.SetSelectionMode(c.mode);
    if (!c.from.isNull()) m.SetSelection(c.from, c.to);
    EXPECT_EQ(m.SearchReplace("foo", c.replace, c.options), c.hits) << c.after;
    EXPECT_EQ(m.Lines().SaveToBytes(), c.after);
    m.Undo();
    EXPECT_EQ(m.Lines().SaveToBytes(), c.text);
    EXPECT_FALSE(m.CanUndo());
  }
  // Answered one by one: a skipped occurrence stays where it was found.
  TEditorModel m;
  Load(m, "foo foo\nfoo\n");
  std::vector<TReplaceAction> answers = {TReplaceAction::raReplace, TReplaceAction::raSkip, TReplaceAction::raReplace};
  std::vector<QPoint> asked;
  m.OnReplaceText = [&](const QString&, const QString&, int line, int column, TReplaceAction& a) {
    asked.emplace_back(column, line);
    a = answers.at(asked.size() - 1);
  };
  EXPECT_EQ(m.SearchReplace("foo", "X\nY", all | ssoPrompt), 3);
  EXPECT_EQ(m.Lines().SaveToBytes(), "X\nY foo\nX\nY\n");
  EXPECT_EQ(asked, (std::vector<QPoint>{{1, 1}, {3, 2}, {1, 3}}));
}
