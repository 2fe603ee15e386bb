#include "engine/handoff_queue.h"

#include <gtest/gtest.h>

#include <thread>

namespace tarsil {
namespace {

TEST(HandoffQueue, CarriesEveryItemInOrderFromOneThreadToAnother) {
  HandoffQueue<std::uint32_t, 64> queue;
  constexpr std::uint32_t kItems = 20000;
  std::thread writer([&] {
    for (std::uint32_t i = 0; i < kItems;) {
      if (queue.push(i)) {
        ++i;
      } else {
        std::this_thread::yield();
      }
    }
  });
  std::uint32_t expected = 0;
  while (expected < kItems) {
    if (const std::optional<std::uint32_t> item = queue.pop()) {
      ASSERT_EQ(*item, expected);
      ++expected;
    } else {
      std::this_thread::yield();
    }
  }
  writer.join();
  EXPECT_FALSE(queue.pop());
  // The writer met a full queue now and then; that was said, once.
  queue.overflowed();
  EXPECT_FALSE(queue.overflowed());
}

TEST(HandoffQueue, AFullQueueRefusesAndSaysSoUntilAsked) {
  HandoffQueue<int, 4> queue;
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(queue.push(i));
  EXPECT_FALSE(queue.push(4));
  EXPECT_TRUE(queue.overflowed());
  EXPECT_FALSE(queue.overflowed());
  EXPECT_EQ(queue.pop(), 0);
  EXPECT_TRUE(queue.push(5));
}

}  // namespace
}  // namespace tarsil
