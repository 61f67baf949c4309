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
  EXPECT_EQ(ZoomInPercent(19), 24);
  EXPECT_EQ(ZoomInPercent(49), 59);
  EXPECT_EQ(ZoomInPercent(199), 224);
  EXPECT_EQ(ZoomInPercent(399), 449);
  EXPECT_EQ(ZoomInPercent(899), 999);
  EXPECT_EQ(ZoomInPercent(900), 1000);
  EXPECT_EQ(ZoomOutPercent(16), 11);
  EXPECT_EQ(ZoomOutPercent(21), 11);
  EXPECT_EQ(ZoomOutPercent(51), 26);
  EXPECT_EQ(ZoomOutPercent(201), 151);
  EXPECT_EQ(ZoomOutPercent(401), 301);
  EXPECT_EQ(ZoomOutPercent(15), 10);
}
