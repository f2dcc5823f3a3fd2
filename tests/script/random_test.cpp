#include "script/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvid {
namespace {

std::vector<int32_t> draw(RandomGenerator& random, int n) {
  std::vector<int32_t> values;
  for (int i = 0; i < n; ++i) values.push_back(random.randomValue());
  return values;
}

TEST(RandomGenerator, ExactSequence) {
  struct Case {
    uint32_t seed;
    std::vector<int32_t> values;
  };
  // Worked out by hand from seed = seed * 22695477 + 1 (mod 2^32), value = bits 16..30.
  const Case cases[] = {
      {0, {0, 346, 130, 10982, 1090, 11656}},
      {12345, {15301, 24996, 10921, 23577}},
      {0xFFFFFFFFu, {32421}},  // the product wraps
  };
  for (const Case& c : cases) {
    RandomGenerator random(7);
    random.seedRandom(c.seed);
    EXPECT_EQ(draw(random, int(c.values.size())), c.values) << c.seed;
  }
}

TEST(RandomGenerator, ValuesStayIn15Bits) {
  RandomGenerator random(0x80000000u);
  for (int32_t v : draw(random, 2000)) {
    ASSERT_GE(v, 0);
    ASSERT_LE(v, RandomGenerator::kMaxValue);
  }
}

}  // namespace
}  // namespace corvid
