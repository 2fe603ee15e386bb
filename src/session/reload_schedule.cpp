#include "session/reload_schedule.h"

#include <algorithm>

namespace tarsil {

void ReloadSchedule::changed(Clock::time_point now, Change change) {
  if (!first_) first_ = now;
  last_ = now;
  kept_.reset();
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

bool ReloadSchedule::finished(Clock::time_point now) {
  reading_ = false;
  if (first_) return false;
  kept_ = now + kQuiet;
  return true;
}

bool ReloadSchedule::adopt(Clock::time_point now) {
  if (!kept_ || now < *kept_) return false;
  kept_.reset();
  return true;
}

}  // namespace tarsil
