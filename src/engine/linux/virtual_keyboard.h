#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarsil {

// The name the virtual keyboard shows to the system. Another translating
// program of ours recognises it by this name and never takes it.
inline constexpr std::string_view kVirtualKeyboardName = "Tarsil virtual keyboard";

// The keyboard whose events the system sees in place of the grabbed ones: a
// uinput device with every key of a keyboard (so any key a keyboard reports
// and any code a translation sends can go out), the MSC_SCAN event, and the
// lamps. It has no key repeat of its own: the grabbed keyboards' repeats
// come through. Destroyed with the object; if the process dies, the kernel
// destroys it when the descriptor closes, releasing every key it held.
class VirtualKeyboard {
 public:
  // Nothing, with the reason, when uinput cannot be opened or refuses.
  static std::optional<VirtualKeyboard> create(std::string& error,
                                               const std::filesystem::path& uinput = "/dev/uinput");

  VirtualKeyboard(VirtualKeyboard&& other) noexcept;
  VirtualKeyboard& operator=(VirtualKeyboard&& other) noexcept;
  VirtualKeyboard(const VirtualKeyboard&) = delete;
  VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;
  ~VirtualKeyboard();

  // Written to with key events, read for the lamps the system sets.
  int fd() const noexcept { return fd_; }

 private:
  explicit VirtualKeyboard(int fd) noexcept : fd_(fd) {}
  void destroy() noexcept;

  int fd_ = -1;
};

}  // namespace tarsil
