#include <gtest/gtest.h>

#include <string>

#include "search_print/PrintText.h"

TEST(PrintText, TabsExpandToTheNextStop) {
  EXPECT_EQ(ExpandTabs("a\tb", 8, TTextEncoding::Latin1), "a       b");
  EXPECT_EQ(ExpandTabs("12345678\tb", 8, TTextEncoding::Latin1), "12345678        b");
  EXPECT_EQ(ExpandTabs("\t\tx", 4, TTextEncoding::Latin1), "        x");
  EXPECT_EQ(ExpandTabs("no tabs", 8, TTextEncoding::Latin1), "no tabs");
  EXPECT_EQ(ExpandTabs("a\tb", 0, TTextEncoding::Latin1), "a b");
  // A character is one column, however many bytes it takes.
  EXPECT_EQ(ExpandTabs("\xC3\xA4\tx", 4, TTextEncoding::Utf8), "\xC3\xA4   x");
  EXPECT_EQ(ExpandTabs("\xE4\tx", 4, TTextEncoding::Latin1), "\xE4   x");
  EXPECT_EQ(ExpandTabs("\xC3\xA4\tx", 4, TTextEncoding::Latin1), "\xC3\xA4  x");
}

TEST(PrintText, ByteOffsetsMapToCharacters) {
  std::vector<int> offsets;
  ByteToCharOffsets("ab", TTextEncoding::Latin1, offsets);
  EXPECT_EQ(offsets, (std::vector<int>{0, 1, 2}));
  ByteToCharOffsets("a\xC3\xA4" "b", TTextEncoding::Utf8, offsets);
  EXPECT_EQ(offsets, (std::vector<int>{0, 1, 1, 2, 3}));
  // A character outside the basic plane is two UTF-16 units.
  ByteToCharOffsets("a\xF0\x9F\x98\x80" "b", TTextEncoding::Utf8, offsets);
  EXPECT_EQ(offsets, (std::vector<int>{0, 1, 1, 1, 1, 3, 4}));
  ByteToCharOffsets("\xC3\xA4", TTextEncoding::Latin1, offsets);
  EXPECT_EQ(offsets, (std::vector<int>{0, 1, 2}));
  ByteToCharOffsets("", TTextEncoding::Utf8, offsets);
  EXPECT_EQ(offsets, (std::vector<int>{0}));
}

TEST(PrintText, LongWordsBreakAnywhere) {
  const std::u16string word(10, u'x');
  const std::vector<double> ten(10, 10.0);
  std::vector<int> starts;
  EXPECT_EQ(WrapLine(word.data(), ten.data(), 10, 35, &starts), 4);
  EXPECT_EQ(starts, (std::vector<int>{0, 3, 6, 9}));
  EXPECT_EQ(WrapLine(word.data(), ten.data(), 3, 30, &starts), 1);  // fits exactly
  EXPECT_EQ(WrapLine(word.data(), ten.data(), 0, 30, &starts), 1);
  EXPECT_EQ(starts, (std::vector<int>{0}));
  EXPECT_EQ(WrapLine(word.data(), ten.data(), 10, 35, nullptr), 4);
  // A character wider than the row stands alone; a zero-advance unit stays with it.
  const std::vector<double> wide{20, 0, 10, 10};
  EXPECT_EQ(WrapLine(word.data(), wide.data(), 4, 15, &starts), 3);
  EXPECT_EQ(starts, (std::vector<int>{0, 2, 3}));
  // No room at all still makes progress, one character per row.
  EXPECT_EQ(WrapLine(word.data(), ten.data(), 5, 0, nullptr), 5);
}

TEST(PrintText, RowsEndAfterTheLastSpaceThatFits) {
  const std::u16string text = u"ab cd efghijklm n";
  const std::vector<double> ten(text.size(), 10.0);
  std::vector<int> starts;
  // Rows of 6: "ab cd " | "efghij" | "klm n"
  EXPECT_EQ(WrapLine(text.data(), ten.data(), int(text.size()), 60, &starts), 3);
  EXPECT_EQ(starts, (std::vector<int>{0, 6, 12}));
  // Rows of 4: "ab " | "cd " | "efgh" | "ijkl" | "m n"
  EXPECT_EQ(WrapLine(text.data(), ten.data(), int(text.size()), 40, &starts), 5);
  EXPECT_EQ(starts, (std::vector<int>{0, 3, 6, 10, 14}));
  // A space that still fits stays at the end of its row.
  const std::u16string spaced = u"abc def";
  EXPECT_EQ(WrapLine(spaced.data(), ten.data(), 7, 40, &starts), 2);
  EXPECT_EQ(starts, (std::vector<int>{0, 4}));
}

TEST(PrintText, UnitsAndDigits) {
  EXPECT_DOUBLE_EQ(UnitsToLayoutPixels(25.4, TUnitSystem::usMM), 96.0);
  EXPECT_DOUBLE_EQ(UnitsToLayoutPixels(2.54, TUnitSystem::usCM), 96.0);
  EXPECT_DOUBLE_EQ(UnitsToLayoutPixels(0.5, TUnitSystem::usInch), 48.0);
  EXPECT_EQ(DecimalDigits(0), 1);
  EXPECT_EQ(DecimalDigits(9), 1);
  EXPECT_EQ(DecimalDigits(10), 2);
  EXPECT_EQ(DecimalDigits(99999), 5);
  EXPECT_EQ(DecimalDigits(100000), 6);
}
