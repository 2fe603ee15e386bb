#include "session/reload_schedule.h"

#include <algorithm>

namespace tarsil {

void ReloadSchedule::changed(Clock::time_point now, Change change) {
  if (!first_) first_ = now;
  last_ = now;
  if (change == Change::kWriting) writing_ = true;
  if (change == Change::kComplete) writing_ = false;
}

std::optional<ReloadSchedule::Clock::time_point> ReloadSchedule::due() const {
  if (!first_ || reading_ || writing_) return std::nullopt;
  return std::min(last_ + kQuiet, *first_ + kLongest);
}

bool ReloadSchedule::begin(Clock::time_point now) {
  const std::optional<Clock::time_point> when = due();
  if (!when || now < *when) return false;
  reading_ = true;
  first_.reset();
  return true;
}

bool ReloadSchedule::finished() {
  reading_ = false;
  return !first_;
}

}  // namespace tarsil
