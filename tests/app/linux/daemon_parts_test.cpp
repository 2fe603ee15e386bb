// The parts of tarsild that need no input devices: the lock that keeps a
// second daemon out, and the loop's sources.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/linux/event_loop.h"
#include "app/linux/instance_lock.h"
#include "support/temp_folder.h"

namespace tarsil {
namespace {

using testing::TempFolder;

TEST(InstanceLock, ASecondTakerIsToldWhoHoldsItUntilTheHolderGoes) {
  TempFolder folder;
  const auto file = folder / "tarsil" / "tarsild.lock";
  {
    InstanceLock first(file);
    ASSERT_EQ(first.state(), InstanceLock::State::kTaken) << first.error();
    struct stat status {};
    ASSERT_EQ(::stat((folder / "tarsil").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);  // the user's alone

    const InstanceLock second(file);
    EXPECT_EQ(second.state(), InstanceLock::State::kHeldElsewhere);
    EXPECT_EQ(second.holder(), ::getpid());
  }
  EXPECT_EQ(InstanceLock(file).state(), InstanceLock::State::kTaken);
  EXPECT_EQ(InstanceLock(folder / "missing" / "deeper" / "tarsild.lock").state(),
            InstanceLock::State::kUnavailable);
}

// A handler that removes another source whose event came in the same
// wake-up: that event is dropped, even though its descriptor is still
// readable.
TEST(EventLoop, RunsEachReadySourceAndDropsOnesRemovedMeanwhile) {
  EventLoop loop;
  Timer timer;
  std::string error;
  ASSERT_TRUE(loop.open(error) && timer.open(error)) << error;
  int pipes[2][2];
  ASSERT_EQ(::pipe(pipes[0]), 0);
  ASSERT_EQ(::pipe(pipes[1]), 0);
  int runs[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(loop.add(
        pipes[i][0], "pipe",
        [&, i] {
          ++runs[i];
          loop.remove(pipes[1 - i][0]);
          loop.remove(pipes[i][0]);
        },
        error));
    ASSERT_EQ(::write(pipes[i][1], "x", 1), 1);
  }
  int fired = 0;
  ASSERT_TRUE(loop.add(
      timer.fd(), "timer",
      [&] {
        timer.acknowledge();
        ++fired;
        loop.stop();
      },
      error));
  timer.fireAt(Timer::Clock::now() + std::chrono::milliseconds(20));
  EXPECT_TRUE(timer.armed());
  ASSERT_TRUE(loop.run(error)) << error;
  EXPECT_EQ(runs[0] + runs[1], 1);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(timer.armed());
  for (auto& ends : pipes) {
    ::close(ends[0]);
    ::close(ends[1]);
  }
}

}  // namespace
}  // namespace tarsil
