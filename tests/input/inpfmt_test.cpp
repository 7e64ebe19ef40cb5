// How the cursor's drawing coordinates are shown on the message line.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "input/inpkind.h"

namespace {

TEST(CursorPosition, ScaledToFitEightPlaces) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double x, y;
    const char *text;
    uint32_t unit;
  } cases[] = {
      {1500000, 2, "    1500,       0", 1},
      {2000000000, 0, "    2000,       0", 6},
      {-999999, 999999, " -999999,  999999", 0},
      {-12.7, 3.9, "     -12,       3", 0},
      {-1000000, 0, "   -1000,       0", 1},
      {5e12, -1, "    5000,       0", 2},
      // Values no 32-bit field can hold are clamped; what is not a number shows as '*'.
      {1e300, -1e300, "2147483647,-2147483648", 2},
      {inf, 0, "2147483647,       0", 2},
      {nan, 5, "       *,       5", 0},
      {nan, 2e6, "       *,    2000", 1},
      {nan, nan, "       *,       *", 0},
  };
  for (const auto &c : cases) {
    char text[40];
    uint32_t unit = 99;
    inp_posfmt(c.x, c.y, text, sizeof text, &unit);
    EXPECT_EQ(std::string(text), c.text) << c.x << " " << c.y;
    EXPECT_EQ(unit, c.unit) << c.x << " " << c.y;
  }
}

} // namespace
