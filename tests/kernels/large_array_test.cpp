// Scratch arrays: every value of the requested size is usable, growing
// gives fresh room and shrinking keeps the same memory.
#include <gtest/gtest.h>

#include <cstdint>

#include "kernels/large_array.h"

namespace qvb::kernels {
namespace {

TEST(LargeArray, HoldsWhatIsAskedAndReusesItsRoomWhenShrinking) {
  LargeArray array;
  EXPECT_EQ(array.size(), 0u);
  array.resize(0);
  EXPECT_EQ(array.size(), 0u);

  // Three huge pages' worth and a bit: crosses the rounding to whole pages.
  const size_t count = (size_t{6} << 20) / sizeof(double) + 5;
  array.resize(count);
  ASSERT_NE(array.data(), nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(array.data()) % alignof(double), 0u);
  for (size_t i = 0; i < count; ++i) array.data()[i] = static_cast<double>(i);
  EXPECT_EQ(array.data()[count - 1], static_cast<double>(count - 1));

  double *const first = array.data();
  array.resize(count / 2);
  EXPECT_EQ(array.size(), count / 2);
  EXPECT_EQ(array.data(), first);
  EXPECT_EQ(array.data()[7], 7.0);  // shrinking keeps the contents

  array.resize(4 * count);
  EXPECT_EQ(array.size(), 4 * count);
  array.data()[4 * count - 1] = 1.0;
  EXPECT_EQ(array.data()[4 * count - 1], 1.0);
}

TEST(LargeArray, AnImpossibleSizeIsRefusedWithBadAlloc) {
  LargeArray array;
  EXPECT_THROW(array.resize(SIZE_MAX / 4), std::bad_alloc);
  EXPECT_EQ(array.size(), 0u);
}

}  // namespace
}  // namespace qvb::kernels
