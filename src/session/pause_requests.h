#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tarsil {

// The words of tarsild's control socket, one line each way. The window
// sends "pause" while it captures a key or records a macro and "resume"
// after; tarsild answers every line it took.
namespace control {
inline constexpr std::string_view kSocketName = "control";  // in $XDG_RUNTIME_DIR/tarsil
inline constexpr std::string_view kPause = "pause\n";
inline constexpr std::string_view kPaused = "paused\n";
inline constexpr std::string_view kResume = "resume\n";
inline constexpr std::string_view kResumed = "resumed\n";
}  // namespace control

// What the control connections ask of translation, decided apart from the
// sockets. Translation is paused while any connection holds a pause: two
// windows (or a window and a script) each pausing must both resume before
// keys are translated again. A connection holds one pause at most, so a
// second "pause" changes nothing, and one that closes gives its pause back:
// a window that crashes mid-capture leaves nothing paused.
//
// Each connection's unfinished line is kept up to kLongestLine bytes, and
// at most kMostConnections are open: a peer that sends without end, or
// opens without end, costs the daemon a bounded amount.
class PauseRequests {
 public:
  using Connection = std::uint64_t;
  static constexpr std::size_t kMostConnections = 16;
  static constexpr std::size_t kLongestLine = 64;

  enum class Change : std::uint8_t {
    kNone,
    kPaused,   // the first pause: translation stops here
    kResumed,  // the last pause was given back: translation goes on
  };
  struct Answer {
    std::string reply;   // to send back, possibly several lines
    bool close = false;  // after the reply, the connection is closed
    Change change = Change::kNone;
  };

  // A connection was accepted. Beyond kMostConnections: refused, with a
  // line saying why, and closed (it is not counted).
  Answer opened(Connection connection);
  // Bytes read from it: every whole line is done, in order.
  Answer received(Connection connection, std::string_view bytes);
  // It closed, or failed: its pause, if it held one, is given back.
  Change closed(Connection connection);

  bool paused() const noexcept { return holders_ > 0; }
  std::size_t connections() const noexcept { return connections_.size(); }

 private:
  struct Peer {
    std::string line;  // bytes of a line not ended yet
    bool holds = false;
  };

  void doLine(Peer& peer, std::string_view line, Answer& answer);

  std::map<Connection, Peer> connections_;
  std::size_t holders_ = 0;
};

}  // namespace tarsil
