#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace tarsil {

// A pause of tarsild's translation, held for as long as this object lives:
// while the window captures a key or records a macro, the keys it reads are
// the physical ones. Asked for over tarsild's control socket
// ($XDG_RUNTIME_DIR/tarsil/control); tarsild goes on translating when it is
// resumed, destroyed, or when this process ends however it ends (the kernel
// closes the connection, and tarsild takes that as a resume).
//
// Blocking, but briefly: each exchange waits at most the bound it is given
// for tarsild's answer, so a hung daemon costs the window a moment, not
// its responsiveness.
class TranslationPause {
 public:
  static constexpr std::chrono::milliseconds kAnswerBound{250};

  // Pauses translation, or says in `whyNot` why not: no tarsild running is
  // no error for the caller (there is nothing to pause then), only a reason
  // to tell. `whyNot` may be null.
  static std::optional<TranslationPause> request(std::string* whyNot);
  // The same at a socket of one's choosing, with another bound.
  static std::optional<TranslationPause> request(const std::filesystem::path& socket,
                                                 std::chrono::milliseconds bound,
                                                 std::string* whyNot);
  // $XDG_RUNTIME_DIR/tarsil/control; nothing when the variable is unset,
  // empty or relative (tarsild has no socket then either).
  static std::optional<std::filesystem::path> socketPath();

  ~TranslationPause();
  TranslationPause(TranslationPause&& other) noexcept;
  TranslationPause& operator=(TranslationPause&& other) noexcept;
  TranslationPause(const TranslationPause&) = delete;
  TranslationPause& operator=(const TranslationPause&) = delete;

  // Resumes translation (waiting at most the bound for tarsild to say it
  // did) and lets go of the connection; a second call does nothing.
  void resume() noexcept;
  bool held() const noexcept { return fd_ >= 0; }

 private:
  TranslationPause(int fd, std::chrono::milliseconds bound) noexcept : fd_(fd), bound_(bound) {}

  int fd_ = -1;
  std::chrono::milliseconds bound_ = kAnswerBound;
};

}  // namespace tarsil
