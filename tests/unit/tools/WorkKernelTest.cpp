#include "tools/WorkKernel.h"

#include <gtest/gtest.h>

namespace korvath {
namespace {

// The seed only fills the table before the fixed walk, so any seed must give
// the same checksum; two very different seeds at one multiplier catch a walk
// that leaks it.
TEST(WorkKernel, ChecksumDependsOnlyOnTheMultiplier) {
  EXPECT_EQ(WorkKernel(1, 0u), 0xE10ADA53u);
  EXPECT_EQ(WorkKernel(1, 0xFFFFFFFFu), 0xE10ADA53u);
  EXPECT_EQ(WorkKernel(2, 0u), kBenchmarkChecksum);
  EXPECT_EQ(kBenchmarkChecksum, 0x49EC2ECCu);
}

TEST(WorkKernel, NonPositiveMultipliersReturnAtOnce) {
  EXPECT_EQ(WorkKernel(0, 12345u), 0u);
  EXPECT_EQ(WorkKernel(-3, 12345u), 0u);
  // 11 x 200,000,000 wraps to a negative 32-bit count.
  EXPECT_EQ(WorkKernel(11, 12345u), 0u);
}

}  // namespace
}  // namespace korvath
