// Scratch arrays refuse a size they cannot hold. (Every size the Gram kernel
// asks for, shrinking and growing, is in use in invariants_fast_test, whose
// results are checked against the reference.)
#include <gtest/gtest.h>

#include <cstdint>

#include "kernels/large_array.h"

namespace qvb::kernels {
namespace {

TEST(LargeArray, AnImpossibleSizeIsRefusedWithBadAlloc) {
  LargeArray array;
  EXPECT_THROW(array.resize(SIZE_MAX / 4), std::bad_alloc);
  EXPECT_EQ(array.size(), 0u);
}

}  // namespace
}  // namespace qvb::kernels
