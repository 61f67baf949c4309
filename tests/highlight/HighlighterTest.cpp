// The framework's contract as editors rely on it: notifications only on real change, listeners,
// the sorted attribute list and ScanToEndOfLine.
#include <gtest/gtest.h>

#include <memory>

#include "highlight/Highlighter.h"

namespace {

// Every line is a run of one-character tokens; counts the calls of Next.
struct TCharHighlighter final : TCustomHighlighter, IHighlighterListener {
  std::string_view line;
  size_t pos = 0;
  int nextCalls = 0, changes = 0;
  THighlighterAttributes* DefaultAttribute(int) const override { return nullptr; }
  bool AtEndOfLine() const override { return pos >= line.size(); }
  std::string_view TokenText() const override { return line.substr(pos, 1); }
  THighlighterAttributes* TokenAttribute() const override { return nullptr; }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return static_cast<int>(pos); }
  void Next() override { ++nextCalls, ++pos; }
  void SetLine(std::string_view text, int) override { line = text, pos = 0; }
  void HighlighterChanged(TCustomHighlighter*) override { ++changes; }
};

TEST(HighlighterFramework, AttributesNotifyOnlyOnRealChange) {
  THighlighterAttributes a("keyword"), source("other");
  int changes = 0;
  a.SetChangeHandler([&](THighlighterAttributes*) { ++changes; });
  a.SetForeground(clNone), a.SetStyle(0), a.SetBackground(clNone);
  a.SetForeground(RGBColor(255, 0, 0)), a.SetForeground(RGBColor(255, 0, 0));
  source.SetForeground(RGBColor(255, 0, 0));
  a.Assign(source);  // colours and style agree: the name alone changes silently
  EXPECT_TRUE(changes == 1 && a.Name() == "other");
  source.SetBackground(clWindow), source.SetStyle(fsStrikeOut);
  a.Assign(source);
  EXPECT_TRUE(changes == 2 && a.Style() == fsStrikeOut);
}

TEST(HighlighterFramework, AttributeListListenersAndScan) {
  TCharHighlighter h, other;
  h.AddAttribute(std::make_unique<THighlighterAttributes>("symbol"));
  h.AddAttribute(std::make_unique<THighlighterAttributes>("Comment"));
  EXPECT_THROW(h.AddAttribute(std::make_unique<THighlighterAttributes>("COMMENT")), EDuplicateAttribute);
  ASSERT_EQ(h.AttributeCount(), 2);
  EXPECT_EQ(h.Attribute(0)->Name(), "Comment");
  for (TCharHighlighter* listener : {&h, &other, &h}) h.AddChangeListener(listener);
  h.SetAttributeChangeHandler([&h](THighlighterAttributes*) { h.NotifyChanged(); });
  h.Attribute(1)->SetStyle(fsUnderline);
  h.RemoveChangeListener(&h);  // both registrations go
  h.NotifyChanged();
  EXPECT_TRUE(h.changes == 2 && other.changes == 2);
  h.RemoveChangeListener(&other);
  for (const char* line : {"", "abc"}) {
    h.SetLine(line, 0);
    h.ScanToEndOfLine();
  }
  EXPECT_EQ(h.nextCalls, 3);
}

}  // namespace
