#include <gtest/gtest.h>

#include <vector>

#include "search_print/ZoomSteps.h"

namespace {
const std::vector<int> Steps = {10,  15,  20,  30,  40,  50,  75,  100, 125, 150, 175,
                                200, 250, 300, 350, 400, 500, 600, 700, 800, 900, 1000};
}

TEST(ZoomSteps, InFromTenToThousandAndStays) {
  std::vector<int> seen{10};
  for (int p = 10; p < 1000;) seen.push_back(p = ZoomInPercent(p));
  EXPECT_EQ(seen, Steps);
  EXPECT_EQ(ZoomInPercent(1000), 1000);
}

TEST(ZoomSteps, OutFromThousandToTenAndStays) {
  std::vector<int> seen{1000};
  for (int p = 1000; p > 10;) seen.push_back(p = ZoomOutPercent(p));
  EXPECT_EQ(seen, std::vector<int>(Steps.rbegin(), Steps.rend()));
  EXPECT_EQ(ZoomOutPercent(10), 10);
}

TEST(ZoomSteps, StepBoundariesOffTheTable) {
  // Typed percentages between the table's entries.
  for (auto [in, out] : {std::pair{19, 24}, {49, 59}, {199, 224}, {399, 449}, {899, 999}, {900, 1000}})
    EXPECT_EQ(ZoomInPercent(in), out) << in;
  for (auto [in, out] : {std::pair{16, 11}, {21, 11}, {51, 26}, {201, 151}, {401, 301}, {15, 10}})
    EXPECT_EQ(ZoomOutPercent(in), out) << in;
}
