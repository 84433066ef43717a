#include <gtest/gtest.h>

#include <array>

#include "platform/base/SystemRandom.h"

// Large requests are answered whole (the kernel gives at most 256 bytes without a short read),
// two requests differ, and every byte value turns up in a large sample: a constant, a counter or a
// buffer left partly unfilled would fail one of these.
TEST(SystemRandom, FillsWholeBuffersWithFreshBytes) {
  EXPECT_EQ(SystemRandomBytes(0), "");
  std::string a = SystemRandomBytes(100000), b = SystemRandomBytes(100000);
  ASSERT_EQ(a.size(), 100000u);
  EXPECT_NE(a, b);
  std::array<int, 256> seen{};
  for (unsigned char c : a) ++seen[c];
  for (int v = 0; v < 256; ++v) EXPECT_GT(seen[v], 200) << v;  // about 390 expected each
  // The tail of a large request is filled like its head.
  std::string tail = a.substr(a.size() - 64);
  EXPECT_NE(tail, std::string(64, '\0'));
}
