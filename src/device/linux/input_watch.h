#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tarsil {

// A change to the event nodes of the input folder. An arrival is also told
// when a node's permissions change (the device manager grants access a
// moment after the kernel makes the node), so a node that could not be
// opened is tried again then.
struct NodeChange {
  std::string name;  // "event5"
  bool gone = false;
};

// Follows the event nodes of an input folder (/dev/input) through inotify:
// the kernel makes and removes them itself, so this needs no device manager
// and works in a bare system as well. If the folder does not exist yet (no
// input device at all), its parent is watched until it appears.
class InputWatch {
 public:
  explicit InputWatch(std::filesystem::path folder = "/dev/input");
  ~InputWatch();
  InputWatch(const InputWatch&) = delete;
  InputWatch& operator=(const InputWatch&) = delete;

  // False, with the reason, when inotify cannot be had.
  bool start(std::string& error);
  int fd() const noexcept { return fd_; }
  const std::filesystem::path& folder() const noexcept { return folder_; }

  // The event nodes there now, by name.
  std::vector<std::string> scan() const;
  // The changes waiting on the descriptor. When the folder itself appeared,
  // every node in it is told as an arrival.
  std::vector<NodeChange> read();

 private:
  bool watchFolder();

  std::filesystem::path folder_;
  int fd_ = -1;
  int folderWatch_ = -1;
  int parentWatch_ = -1;
};

}  // namespace tarsil
