#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "app/linux/event_loop.h"
#include "session/pause_requests.h"

namespace tarsil {

// tarsild's control socket ($XDG_RUNTIME_DIR/tarsil/control), through which
// the window pauses translation while it captures a key or records a macro.
// A stream socket in the user's own folder (0700), itself 0600; and a peer
// whose user is not the daemon's (SO_PEERCRED) is closed before a byte is
// read, should the folder ever be opened to others.
//
// Every connection is a source of the daemon's loop, non-blocking: a
// wake-up reads one chunk of one connection, and a reply that does not fit
// in the socket at once closes the connection (its peer does not read what
// it asked for), so no peer can hold the key path up. What the lines mean,
// and when translation is paused, is PauseRequests' to decide.
class ControlSocket {
 public:
  using PauseChanged = std::function<void(bool paused)>;
  using Say = std::function<void(const std::string& text)>;

  ControlSocket(EventLoop& loop, PauseChanged onPauseChanged, Say say);
  // Closes every connection without a word (the daemon is ending) and
  // removes the socket file.
  ~ControlSocket();
  ControlSocket(const ControlSocket&) = delete;
  ControlSocket& operator=(const ControlSocket&) = delete;

  // Makes the socket at `path` (in place of one a daemon before left) and
  // follows it; false, with the reason, when it cannot.
  bool open(const std::filesystem::path& path, std::string& error);

  bool paused() const noexcept { return requests_.paused(); }

 private:
  void acceptAll();
  void readable(PauseRequests::Connection connection);
  void told(bool paused);
  void drop(PauseRequests::Connection connection);

  EventLoop& loop_;
  PauseChanged onPauseChanged_;
  Say say_;
  std::filesystem::path path_;
  int listener_ = -1;
  std::map<PauseRequests::Connection, int> sockets_;
  PauseRequests::Connection next_ = 1;
  PauseRequests requests_;
};

}  // namespace tarsil
