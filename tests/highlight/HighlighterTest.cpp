// The highlighter framework's contract as the editor relies on it: attribute notifications,
// listeners, the sorted attribute list and ScanToEndOfLine.
#include <gtest/gtest.h>

#include <memory>

#include "highlight/Highlighter.h"

namespace {

// A highlighter whose every line is a given number of one-character tokens.
class TCountingHighlighter final : public TCustomHighlighter {
 public:
  int nextCalls = 0;
  THighlighterAttributes* DefaultAttribute(int) const override { return nullptr; }
  bool AtEndOfLine() const override { return FPos >= FLine.size(); }
  std::string_view TokenText() const override { return FLine.substr(FPos, 1); }
  THighlighterAttributes* TokenAttribute() const override { return nullptr; }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return static_cast<int>(FPos); }
  void Next() override {
    ++nextCalls;
    ++FPos;
  }
  void SetLine(std::string_view line, int) override {
    FLine = line;
    FPos = 0;
  }

 private:
  std::string_view FLine;
  size_t FPos = 0;
};

struct TCounter : IHighlighterListener {
  int calls = 0;
  void HighlighterChanged(TCustomHighlighter*) override { ++calls; }
};

TEST(HighlighterFramework, AttributeChangesNotifyOnlyOnRealChange) {
  THighlighterAttributes a("keyword");
  int changes = 0;
  a.SetChangeHandler([&](THighlighterAttributes* sender) {
    EXPECT_EQ(sender, &a);
    ++changes;
  });
  a.SetForeground(clNone);
  a.SetBackground(clNone);
  a.SetStyle(0);
  EXPECT_EQ(changes, 0);
  a.SetForeground(RGBColor(255, 0, 0));
  a.SetForeground(RGBColor(255, 0, 0));
  a.SetStyle(fsBold | fsItalic);
  EXPECT_EQ(changes, 2);

  THighlighterAttributes same("other");
  same.SetForeground(RGBColor(255, 0, 0));
  same.SetStyle(fsBold | fsItalic);
  a.Assign(same);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(a.Name(), "other");
  same.SetBackground(clWindow);
  same.SetStyle(fsStrikeOut);
  a.Assign(same);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(a.Background(), clWindow);
  EXPECT_EQ(a.Style(), fsStrikeOut);
}

TEST(HighlighterFramework, SortedAttributesAndDuplicates) {
  TCountingHighlighter h;
  h.AddAttribute(std::make_unique<THighlighterAttributes>("symbol"));
  h.AddAttribute(std::make_unique<THighlighterAttributes>("Comment"));
  h.AddAttribute(std::make_unique<THighlighterAttributes>("illegal char"));
  EXPECT_THROW(h.AddAttribute(std::make_unique<THighlighterAttributes>("COMMENT")), EDuplicateAttribute);
  ASSERT_EQ(h.AttributeCount(), 3);
  EXPECT_EQ(h.Attribute(0)->Name(), "Comment");
  EXPECT_EQ(h.Attribute(1)->Name(), "illegal char");
  EXPECT_EQ(h.Attribute(2)->Name(), "symbol");
  EXPECT_EQ(h.Attribute(3), nullptr);

  TCounter listener;
  h.AddChangeListener(&listener);
  h.SetAttributeChangeHandler([&h](THighlighterAttributes*) { h.NotifyChanged(); });
  h.Attribute(1)->SetStyle(fsUnderline);
  EXPECT_EQ(listener.calls, 1);
  h.RemoveChangeListener(&listener);
}

TEST(HighlighterFramework, ListenersAndScanToEndOfLine) {
  TCountingHighlighter h;
  TCounter a, b;
  h.AddChangeListener(&a);
  h.AddChangeListener(&b);
  h.AddChangeListener(&a);
  h.NotifyChanged();
  EXPECT_EQ(a.calls, 2);
  EXPECT_EQ(b.calls, 1);
  h.RemoveChangeListener(&a);
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
  EXPECT_EQ(h.LanguageName(), "<Unknown>");
  EXPECT_FALSE(h.IdentifierChars()[32]);
  EXPECT_TRUE(h.IdentifierChars()[33]);
  EXPECT_TRUE(h.IdentifierChars()[255]);
}

}  // namespace
