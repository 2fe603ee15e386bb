#include "session/pause_requests.h"

namespace tarsil {
namespace {

std::string_view withoutEnd(std::string_view line) {
  line.remove_suffix(1);  // the newline
  // A client on a terminal (socat, nc -C) may end its lines with CR LF.
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

PauseRequests::Answer PauseRequests::opened(Connection connection) {
  if (connections_.size() >= kMostConnections) {
    return {"error: too many control connections\n", true, Change::kNone};
  }
  connections_.try_emplace(connection);
  return {};
}

PauseRequests::Answer PauseRequests::received(Connection connection, std::string_view bytes) {
  Answer answer;
  const auto found = connections_.find(connection);
  if (found == connections_.end()) return answer;
  Peer& peer = found->second;
  const bool wasPaused = paused();
  while (!bytes.empty() && !answer.close) {
    const std::size_t end = bytes.find('\n');
    const std::size_t taken = end == std::string_view::npos ? bytes.size() : end + 1;
    const std::size_t content = end == std::string_view::npos ? taken : end;
    if (peer.line.size() + content > kLongestLine) {
      // No command is this long: whatever sends it is no client of ours.
      answer.reply += "error: line too long\n";
      answer.close = true;
      break;
    }
    peer.line.append(bytes.substr(0, taken));
    bytes.remove_prefix(taken);
    if (end == std::string_view::npos) break;
    const std::string line = std::move(peer.line);
    peer.line.clear();
    doLine(peer, withoutEnd(line), answer);
  }
  // Closed by us: as if it had closed itself.
  if (answer.close) closed(connection);
  if (paused() != wasPaused) answer.change = paused() ? Change::kPaused : Change::kResumed;
  return answer;
}

void PauseRequests::doLine(Peer& peer, std::string_view line, Answer& answer) {
  if (line.empty()) return;
  if (line == withoutEnd(control::kPause)) {
    if (!peer.holds) ++holders_;
    peer.holds = true;
    answer.reply += control::kPaused;
  } else if (line == withoutEnd(control::kResume)) {
    if (peer.holds) --holders_;
    peer.holds = false;
    answer.reply += control::kResumed;
  } else {
    answer.reply += "error: unknown command (pause or resume)\n";
  }
}

PauseRequests::Change PauseRequests::closed(Connection connection) {
  const auto found = connections_.find(connection);
  if (found == connections_.end()) return Change::kNone;
  const bool held = found->second.holds;
  connections_.erase(found);
  if (!held) return Change::kNone;
  --holders_;
  return paused() ? Change::kNone : Change::kResumed;
}

}  // namespace tarsil
