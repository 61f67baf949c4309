#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search_print/PrintText.h"
#include "search_print/ZoomSteps.h"

TEST(PrintText, TabsAndCharacterOffsets) {
  using enum TTextEncoding;
  // A tab runs to the next stop; a character is one column, however many bytes it takes.
  const std::tuple<const char*, int, TTextEncoding, const char*> tabs[] = {
      {"a\tb", 8, Latin1, "a       b"},    {"12345678\tb", 8, Latin1, "12345678        b"},
      {"\t\tx", 4, Latin1, "        x"},    {"a\tb", 0, Latin1, "a b"},
      {"\xC3\xA4\tx", 4, Utf8, "\xC3\xA4   x"}, {"\xC3\xA4\tx", 4, Latin1, "\xC3\xA4  x"},
  };
  for (const auto& [line, width, encoding, expanded] : tabs) EXPECT_EQ(ExpandTabs(line, width, encoding), expanded);
  // A character outside the basic plane is two UTF-16 units.
  const std::tuple<const char*, TTextEncoding, std::vector<int>> offsets[] = {
      {"a\xC3\xA4" "b", Utf8, {0, 1, 1, 2, 3}},
      {"a\xF0\x9F\x98\x80" "b", Utf8, {0, 1, 1, 1, 1, 3, 4}},
      {"\xC3\xA4", Latin1, {0, 1, 2}},
      {"", Utf8, {0}},
  };
  std::vector<int> result;
  for (const auto& [bytes, encoding, expected] : offsets) {
    ByteToCharOffsets(bytes, encoding, result);
    EXPECT_EQ(result, expected) << bytes;
  }
}

TEST(PrintText, RowsEndAfterTheLastSpaceThatFitsOrInsideLongWords) {
  const std::vector<double> ten(20, 10.0), wide{20, 0, 10, 10};
  const std::tuple<std::u16string, const std::vector<double>*, int, double, std::vector<int>> cases[] = {
      {u"xxxxxxxxxx", &ten, 10, 35, {0, 3, 6, 9}},
      {u"xxx", &ten, 3, 30, {0}},  // fits exactly
      {u"", &ten, 0, 30, {0}},
      {u"xxxx", &wide, 4, 15, {0, 2, 3}},  // too wide alone; a zero-advance unit stays with it
      {u"xxxxx", &ten, 5, 0, {0, 1, 2, 3, 4}},  // no room still makes progress
      {u"ab cd efghijklm n", &ten, 17, 60, {0, 6, 12}},
      {u"ab cd efghijklm n", &ten, 17, 40, {0, 3, 6, 10, 14}},
      {u"abc def", &ten, 7, 40, {0, 4}},  // a space that still fits ends its row
      {u"a  b c", &ten, 6, 10, {0, 3, 5}},  // spaces hang rather than fill rows of their own
      {u"   abcdefgh", &ten, 11, 60, {0, 6}},  // an indent alone makes no row: the long word breaks
  };
  std::vector<int> starts;
  for (const auto& [text, advances, count, width, expected] : cases) {
    EXPECT_EQ(WrapLine(text.data(), advances->data(), count, width, &starts), int(expected.size()));
    EXPECT_EQ(starts, expected) << width;
    EXPECT_EQ(WrapLine(text.data(), advances->data(), count, width, nullptr), int(expected.size()));
  }
  EXPECT_EQ(std::pair(DecimalDigits(99999), DecimalDigits(100000)), std::pair(5, 6));
}

TEST(ZoomSteps, InAndOutBetweenTenAndThousand) {
  const std::vector<int> steps = {10,  15,  20,  30,  40,  50,  75,  100, 125, 150, 175,
                                  200, 250, 300, 350, 400, 500, 600, 700, 800, 900, 1000};
  for (size_t i = 0; i + 1 < steps.size(); ++i) {
    EXPECT_EQ(ZoomInPercent(steps[i]), steps[i + 1]);
    EXPECT_EQ(ZoomOutPercent(steps[i + 1]), steps[i]);
  }
  // At the ends, and typed percentages between the table's entries.
  for (auto [in, out] : {std::pair{1000, 1000}, {19, 24}, {49, 59}, {199, 224}, {399, 449}, {899, 999}})
    EXPECT_EQ(ZoomInPercent(in), out) << in;
  for (auto [in, out] : {std::pair{10, 10}, {16, 11}, {21, 11}, {51, 26}, {201, 151}, {401, 301}, {15, 10}})
    EXPECT_EQ(ZoomOutPercent(in), out) << in;
}
