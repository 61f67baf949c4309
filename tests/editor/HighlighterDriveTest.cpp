#include <gtest/gtest.h>

#include "ModelHelpers.h"

namespace {
// Block comments "{" ... "}" that may span lines; logs the calls the editor makes.
class TCommentSyn : public TCustomHighlighter {
 public:
  explicit TCommentSyn(bool states = true) : FStates(states) {
    FComment = AddAttribute(std::make_unique<THighlighterAttributes>("comment"));
    FText = AddAttribute(std::make_unique<THighlighterAttributes>("text"));
    SetAttributeChangeHandler([this](THighlighterAttributes*) { NotifyChanged(); });
  }
  std::vector<std::string> Log;

  THighlighterAttributes* DefaultAttribute(int i) const override { return i == 0 ? FComment : nullptr; }
  bool AtEndOfLine() const override { return FPos >= FLine.size(); }
  TLineState LineState() const override { return FInComment ? 1 : 0; }
  std::string_view TokenText() const override { return FLine.substr(FPos, FLen); }
  THighlighterAttributes* TokenAttribute() const override { return FTokenComment ? FComment : FText; }
  int TokenKind() const override { return FTokenComment ? 0 : 1; }
  int TokenStart() const override { return static_cast<int>(FPos); }
  void Next() override {
    FPos += FLen;
    Scan();
  }
  void SetLine(std::string_view line, int index) override {
    Log.push_back("SetLine " + std::string(line) + " " + std::to_string(index));
    FLine = line;
    FPos = 0;
    Scan();
  }
  void SetLineState(TLineState s) override {
    Log.push_back("SetLineState " + std::to_string(s));
    FInComment = s == 1;
  }
  void ResetLineState() override {
    Log.push_back("Reset");
    FInComment = false;
  }
  bool UsesLineStates() const override { return FStates; }

 private:
  void Scan() {
    FLen = 0;
    if (FPos >= FLine.size()) return;
    FTokenComment = FInComment || FLine[FPos] == '{';
    std::size_t e = FPos;
    if (FTokenComment) {
      const std::size_t close = FLine.find('}', FPos);
      FInComment = close == std::string_view::npos;
      e = FInComment ? FLine.size() : close + 1;
    } else {
      const std::size_t open = FLine.find('{', FPos);
      e = open == std::string_view::npos ? FLine.size() : open;
    }
    FLen = e - FPos;
  }
  bool FStates;
  THighlighterAttributes* FComment;
  THighlighterAttributes* FText;
  std::string_view FLine;
  std::size_t FPos = 0, FLen = 0;
  bool FInComment = false, FTokenComment = false;
};

std::vector<std::string> SetLines(const std::vector<std::string>& log) {
  std::vector<std::string> v;
  for (const auto& s : log)
    if (s.rfind("SetLine ", 0) == 0) v.push_back(s);
  return v;
}
}  // namespace

TEST(EditorHighlighting, ScanOnAssignmentAndRescansThatStop) {
  TCommentSyn hl;
  TEditorModel m;
  Load(m, "a\nb\nc\nd\ne\n");
  m.SetHighlighter(&hl);
  EXPECT_EQ(hl.Log, (std::vector<std::string>{"Reset", "SetLine a 0", "SetLine b 1", "SetLine c 2", "SetLine d 3",
                                              "SetLine e 4"}));
  hl.Log.clear();
  m.SetCaretXY(2, 2);
  Type(m, "x");  // a change: that line only, the next one agrees
  EXPECT_EQ(hl.Log, (std::vector<std::string>{"SetLineState 0", "SetLine bx 1"}));

  hl.Log.clear();
  Type(m, "{");  // opens a comment: every following line changes state
  EXPECT_EQ(SetLines(hl.Log), (std::vector<std::string>{"SetLine bx{ 1", "SetLine c 2", "SetLine d 3",
                                                        "SetLine e 4"}));
  EXPECT_EQ(m.Lines().Impl().State(4), 1u);

  hl.Log.clear();
  m.SetCaretXY(2, 4);
  Type(m, "}");  // closes it on line 4: line 5 gets state 0 again, then the end
  EXPECT_EQ(SetLines(hl.Log), (std::vector<std::string>{"SetLine d} 3", "SetLine e 4"}));
  EXPECT_EQ(m.Lines().Impl().State(4), 0u);

  hl.Log.clear();
  m.SetCaretXY(1, 3);
  m.ExecuteCommand(ecLineBreak);  // an insert rescans from the line before
  EXPECT_EQ(hl.Log.at(0), "SetLineState 0");  // line 2 starts outside the comment
  EXPECT_EQ(SetLines(hl.Log).at(0), "SetLine bx{ 1");
  EXPECT_EQ(m.Lines().Impl().State(2), 1u);  // the new empty line lies inside the comment
  EXPECT_EQ(m.Lines().Impl().State(3), 1u);

  hl.Log.clear();
  m.SetCaretXY(1, 1);
  m.ExecuteCommand(ecDeleteLine);  // at line 0: reset, then from line 0
  EXPECT_EQ(hl.Log.at(0), "Reset");

  // Painting and the attribute query start from the stored state.
  QString token;
  THighlighterAttributes* attr = nullptr;
  ASSERT_TRUE(m.AttributeAt(QPoint(1, 3), token, attr));  // the empty line 3 has no column 1
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
  EXPECT_TRUE(hl->Log.empty());
  Type(m, "x");
  EXPECT_TRUE(SetLines(hl->Log).empty());
  repaints = 0;
  hl->Attribute(0)->SetForeground(RGBColor(1, 2, 3));
  EXPECT_EQ(repaints, 1);
  hl.reset();  // destroyed while attached: the editor forgets it
  EXPECT_EQ(m.Highlighter(), nullptr);
  Type(m, "y");

  TCommentSyn keep;
  {
    TEditorModel gone;
    gone.SetHighlighter(&keep);
  }
  keep.NotifyChanged();  // no listener left behind
  TEditorModel other;
  other.SetHighlighter(&keep);
  other.SetHighlighter(nullptr);
  keep.NotifyChanged();
}
