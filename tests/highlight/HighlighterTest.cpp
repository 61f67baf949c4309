// The framework's contract as editors rely on it: notifications only on real change, listeners,
// the sorted attribute list and ScanToEndOfLine.
#include <gtest/gtest.h>

#include <memory>

#include "highlight/Highlighter.h"

namespace {

// Every line is a run of one-character tokens; counts the calls of Next.
class TCharHighlighter final : public TCustomHighlighter {
 public:
  int nextCalls = 0;
  THighlighterAttributes* DefaultAttribute(int) const override { return nullptr; }
  bool AtEndOfLine() const override { return FPos >= FLine.size(); }
  std::string_view TokenText() const override { return FLine.substr(FPos, 1); }
  THighlighterAttributes* TokenAttribute() const override { return nullptr; }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return static_cast<int>(FPos); }
  void Next() override { ++nextCalls, ++FPos; }
  void SetLine(std::string_view line, int) override { FLine = line, FPos = 0; }

 private:
  std::string_view FLine;
  size_t FPos = 0;
};

struct TCounter : IHighlighterListener {
  int calls = 0;
  void HighlighterChanged(TCustomHighlighter*) override { ++calls; }
};

TEST(HighlighterFramework, AttributesNotifyOnlyOnRealChange) {
  THighlighterAttributes a("keyword"), source("other");
  int changes = 0;
  a.SetChangeHandler([&](THighlighterAttributes*) { ++changes; });
  a.SetForeground(clNone);
  a.SetStyle(0);
  a.SetForeground(RGBColor(255, 0, 0));
  a.SetForeground(RGBColor(255, 0, 0));
  EXPECT_EQ(changes, 1);
  source.SetForeground(RGBColor(255, 0, 0));
  a.Assign(source);  // colours and style agree: the name alone changes silently
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a.Name(), "other");
  source.SetBackground(clWindow);
  source.SetStyle(fsStrikeOut);
  a.Assign(source);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(a.Style(), fsStrikeOut);
}

TEST(HighlighterFramework, AttributeListListenersAndScan) {
  TCharHighlighter h;
  h.AddAttribute(std::make_unique<THighlighterAttributes>("symbol"));
  h.AddAttribute(std::make_unique<THighlighterAttributes>("Comment"));
  EXPECT_THROW(h.AddAttribute(std::make_unique<THighlighterAttributes>("COMMENT")), EDuplicateAttribute);
  ASSERT_EQ(h.AttributeCount(), 2);
  EXPECT_EQ(h.Attribute(0)->Name(), "Comment");

  TCounter a, b;
  h.AddChangeListener(&a);
  h.AddChangeListener(&b);
  h.AddChangeListener(&a);
  h.SetAttributeChangeHandler([&h](THighlighterAttributes*) { h.NotifyChanged(); });
  h.Attribute(1)->SetStyle(fsUnderline);
  EXPECT_EQ(a.calls, 2);
  EXPECT_EQ(b.calls, 1);
  h.RemoveChangeListener(&a);  // both registrations go
  h.NotifyChanged();
  EXPECT_EQ(a.calls, 2);
  EXPECT_EQ(b.calls, 2);
  h.RemoveChangeListener(&b);

  h.SetLine("", 0);
  h.ScanToEndOfLine();
  EXPECT_EQ(h.nextCalls, 0);
  h.SetLine("abc", 0);
  h.ScanToEndOfLine();
  EXPECT_EQ(h.nextCalls, 3);
}

}  // namespace
