#include "common/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace common {
namespace {

TEST(ForEachIndex, VisitsEveryIndexOnceWhetherRunInlineOrSpread) {
  for (size_t count : {0u, 1u, 31u, 32u, 33u, 1000u}) {
    std::vector<std::atomic<int>> visits(count);
    ForEachIndex(count, [&](size_t i) { ++visits[i]; });
    for (size_t i = 0; i < count; ++i) ASSERT_EQ(visits[i], 1) << "index " << i << " of " << count;
  }
}

}  // namespace
}  // namespace common
