#include <gtest/gtest.h>

#include <tuple>

#include "ModelHelpers.h"
#include "TestSyntax.h"

using Lines = std::vector<std::string>;

TEST(EditorHighlighting, ScanOnAssignmentAndRescansThatStop) {
  TCommentSyn hl;
  TEditorModel m;
  Load(m, "a\nb\nc\nd\ne\n");
  m.SetHighlighter(&hl);
  EXPECT_EQ(hl.Log, (Lines{"Reset", "SetLine a 0", "SetLine b 1", "SetLine c 2", "SetLine d 3", "SetLine e 4"}));
  const std::tuple<QPoint, const char*, Lines, TLineState> steps[] = {  // caret, typed, lines scanned, last state
      {{2, 2}, "x", {"SetLine bx 1"}, 0},  // that line only, the next one agrees
      {{3, 2}, "{", {"SetLine bx{ 1", "SetLine c 2", "SetLine d 3", "SetLine e 4"}, 1},  // opens a comment
      {{2, 4}, "}", {"SetLine d} 3", "SetLine e 4"}, 0},  // closes it: line 5 changes back, then the end
      {{1, 3}, "\n", {"SetLine bx{ 1", "SetLine  2"}, 0},  // from the line before, up to agreement
  };
  for (const auto& [caret, typed, scanned, lastState] : steps) {
    hl.Log.clear();
    m.SetCaretXY(caret.x(), caret.y());
    Type(m, typed);
    EXPECT_EQ(hl.Log, scanned) << typed;
    EXPECT_EQ(m.Lines().Impl().State(m.Lines().Count() - 1), lastState) << typed;
  }
  EXPECT_EQ(m.Lines().Impl().State(2), 1u);  // the new empty line lies inside the comment
  hl.Log.clear();
  m.SetCaretXY(1, 1);
  m.ExecuteCommand(ecDeleteLine);  // at line 0: reset, then from line 0
  EXPECT_EQ(hl.Log.at(0), "Reset");

  // The attribute query starts from the stored state.
  QString token;
  THighlighterAttributes* attr = nullptr;
  ASSERT_TRUE(m.AttributeAt(QPoint(1, 3), token, attr));
  EXPECT_EQ(attr->Name(), "comment");
  EXPECT_FALSE(m.AttributeAt(QPoint(9, 1), token, attr));
  ASSERT_TRUE(m.AttributeAt(QPoint(3, 1), token, attr));
  EXPECT_EQ(token, "{");
}

TEST(EditorHighlighting, StatelessHighlighterSkipsScansAndListenersFollowLifetimes) {
  auto hl = std::make_unique<TCommentSyn>(false);
  TEditorModel m;
  Load(m, "a\nb\n");
  int repaints = 0;
  m.OnInvalidateAll = [&] { ++repaints; };
  m.SetHighlighter(hl.get());
  Type(m, "x");
  EXPECT_TRUE(hl->Log.empty());
  repaints = 0;
  hl->Attribute(0)->SetForeground(RGBColor(1, 2, 3));
  EXPECT_EQ(repaints, 1);
  hl.reset();  // destroyed while attached: the editor forgets it
  EXPECT_EQ(m.Highlighter(), nullptr);
  Type(m, "y");

  TCommentSyn keep;  // no listener left behind (the sanitizer build sees any)
  {
    TEditorModel gone;
    gone.SetHighlighter(&keep);
  }
  keep.NotifyChanged();
  TEditorModel other;
  other.SetHighlighter(&keep);
  other.SetHighlighter(nullptr);
  keep.NotifyChanged();
}
