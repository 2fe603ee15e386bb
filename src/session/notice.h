#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarsil {

// A sentence for people about what a start, a save or a finish did or
// could not do. The window shows notices in a message box, tarsilctl prints
// them; each happening is told once, in the order it happened.
struct Notice {
  enum class Level : std::uint8_t { kWarning, kError };
  Level level = Level::kWarning;
  std::string text;

  bool operator==(const Notice&) const = default;
};
using Notices = std::vector<Notice>;

inline Notice warningNotice(std::string text) { return {Notice::Level::kWarning, std::move(text)}; }
inline Notice errorNotice(std::string text) { return {Notice::Level::kError, std::move(text)}; }

}  // namespace tarsil
