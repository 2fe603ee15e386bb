// When a changed settings file is read again, and whether the result is used.
#include "session/reload_schedule.h"

#include <gtest/gtest.h>

namespace tarsil {
namespace {

using Change = ReloadSchedule::Change;
using std::chrono::milliseconds;

const ReloadSchedule::Clock::time_point t0{};
ReloadSchedule::Clock::time_point at(int ms) { return t0 + milliseconds(ms); }

TEST(ReloadSchedule, ASaveIsReadOnceTheNoticesAreQuiet) {
  ReloadSchedule schedule;
  EXPECT_EQ(schedule.due(), std::nullopt);
  EXPECT_FALSE(schedule.begin(at(1000)));
  // A save by rename is told twice (the old file goes, the new one comes).
  schedule.changed(at(0), Change::kComplete);
  schedule.changed(at(10), Change::kComplete);
  EXPECT_EQ(schedule.due(), at(60));
  EXPECT_FALSE(schedule.begin(at(59)));
  EXPECT_TRUE(schedule.begin(at(60)));
  EXPECT_EQ(schedule.due(), std::nullopt);
  EXPECT_TRUE(schedule.finished(at(65)));
  EXPECT_EQ(schedule.due(), std::nullopt);
  // Used once the file has stayed quiet a little longer.
  EXPECT_EQ(schedule.adoptionDue(), at(115));
  EXPECT_FALSE(schedule.adopt(at(114)));
  EXPECT_TRUE(schedule.adopt(at(115)));
  EXPECT_FALSE(schedule.adopt(at(200)));
  EXPECT_EQ(schedule.adoptionDue(), std::nullopt);
}

// The notice of a write comes once the write is done, and so does that of
// the cut opening a file for writing makes: a read can find the file empty
// and end before the notice is there. What it read is not used.
TEST(ReloadSchedule, AReadIsUsedOnlyIfNoNoticeFollowsItForAWhile) {
  ReloadSchedule schedule;
  schedule.changed(at(0), Change::kComplete);
  ASSERT_TRUE(schedule.begin(at(50)));
  EXPECT_TRUE(schedule.finished(at(52)));  // found the file cut short
  schedule.changed(at(53), Change::kWriting);
  EXPECT_EQ(schedule.adoptionDue(), std::nullopt);
  EXPECT_FALSE(schedule.adopt(at(500)));
  schedule.changed(at(54), Change::kComplete);
  ASSERT_TRUE(schedule.begin(at(104)));
  EXPECT_TRUE(schedule.finished(at(106)));
  EXPECT_TRUE(schedule.adopt(at(156)));
}

// set.ini written over every 2 ms, or SIGHUP without pause: a read now and
// then, each dropped while the storm lasts, and the last state read once
// it is over.
TEST(ReloadSchedule, AStormIsReadAtMostTwiceASecondAndOnlyAQuietReadCounts) {
  ReloadSchedule schedule;
  int reads = 0;
  int swaps = 0;
  for (int ms = 0; ms < 2000; ms += 2) {
    if (schedule.begin(at(ms))) ++reads;
    schedule.changed(at(ms), ms % 4 == 0 ? Change::kAsked : Change::kComplete);
    // A read takes 5 ms, and the storm changes the file under it.
    if (schedule.reading() && schedule.due() == std::nullopt && ms % 10 == 8) {
      swaps += schedule.finished(at(ms)) ? 1 : 0;
    }
  }
  EXPECT_EQ(reads, 3);  // at 500, 1000 and 1500: the longest wait after the first notice
  EXPECT_EQ(swaps, 0);
  EXPECT_FALSE(schedule.reading());
  // The storm is over at 1998; the first notice after the last read came at 1500.
  EXPECT_EQ(schedule.due(), at(2000));
  EXPECT_TRUE(schedule.begin(at(2000)));
  EXPECT_TRUE(schedule.finished(at(2005)));
  EXPECT_TRUE(schedule.adopt(at(2055)));
}

// A file written in place is half a file until it is closed.
TEST(ReloadSchedule, NoReadBeginsWhileAFileIsBeingWritten) {
  ReloadSchedule schedule;
  schedule.changed(at(0), Change::kWriting);
  schedule.changed(at(1), Change::kAsked);  // SIGHUP meanwhile: still half a file
  EXPECT_EQ(schedule.due(), std::nullopt);
  EXPECT_FALSE(schedule.begin(at(2000)));
  schedule.changed(at(2000), Change::kComplete);
  // Long past the longest wait: read at once.
  EXPECT_EQ(schedule.due(), at(500));
  EXPECT_TRUE(schedule.begin(at(2000)));
  // Written to while it was read: dropped, and read again once closed.
  schedule.changed(at(2001), Change::kWriting);
  EXPECT_FALSE(schedule.finished(at(2002)));
  EXPECT_EQ(schedule.due(), std::nullopt);
  schedule.changed(at(2003), Change::kComplete);
  EXPECT_EQ(schedule.due(), at(2053));
}

}  // namespace
}  // namespace tarsil
