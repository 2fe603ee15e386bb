#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace tarsil {

// When a program that follows changes to its settings reads them again,
// and whether what it read may replace the settings in use.
//
// Notices of change are gathered: a read begins once they have been quiet
// for kQuiet, or kLongest after the first one unanswered, whichever comes
// first, so a file written over and over is read a few times a second at
// most, and a storm of notices costs nothing but the notices. No read
// begins while a file is being written in place (written to, not yet
// closed): what it would find is half a file. A notice that comes while a
// read runs makes that read stale: its result is dropped, since the file
// may have changed under it, and the next read follows the same rules.
//
// A read that ends without a notice is kept for kQuiet before it is used,
// and dropped if a notice comes meanwhile: the system tells of a write (or
// of the cut that opening a file for writing makes) only once it is done,
// so a read can find the file empty or half written and end before the
// notice of that write is there to see.
//
// The caller owns the clock and the read: it reports notices, starts a read
// when begin says so at the time due() names, asks finished whether to keep
// the result, and adopt, at the time adoptionDue() names, whether to use it.
class ReloadSchedule {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kQuiet = std::chrono::milliseconds(50);
  static constexpr Clock::duration kLongest = std::chrono::milliseconds(500);

  enum class Change : std::uint8_t {
    kWriting,   // a file is being written in place (IN_MODIFY)
    kComplete,  // a file was closed after writing, replaced, removed
    kAsked,     // the user asked for a reread (SIGHUP)
  };
  void changed(Clock::time_point now, Change change);

  // When the next read is to begin: nothing while none is wanted, while a
  // read runs, or while a file is being written.
  std::optional<Clock::time_point> due() const;
  // Begins the read if it is due by `now`.
  bool begin(Clock::time_point now);
  bool reading() const { return reading_; }
  // The read that began is done: true when its result is to be kept (no
  // notice came since it began).
  bool finished(Clock::time_point now);
  // When the result kept may replace the settings in use; nothing when no
  // result is kept, or the one kept was made stale by a notice.
  std::optional<Clock::time_point> adoptionDue() const { return kept_; }
  // Whether the result kept may replace the settings in use by `now`; true
  // once.
  bool adopt(Clock::time_point now);

 private:
  std::optional<Clock::time_point> first_;  // of the notices not yet answered
  Clock::time_point last_{};
  std::optional<Clock::time_point> kept_;  // until when the result kept waits
  bool writing_ = false;
  bool reading_ = false;
};

}  // namespace tarsil
