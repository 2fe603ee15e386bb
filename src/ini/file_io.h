#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "ini/ini_file.h"

// The platform's part of reading and replacing a file, and what both
// platforms share of it. Internal to src/ini.
namespace tarsil::ini::detail {

struct FileBytes {
  FileStatus status;
  bool exists = false;
  std::string bytes;
  // The size of a file refused for being larger than `maxBytes`; 0 otherwise.
  std::uint64_t oversize = 0;
};

// The whole file. A missing file, or a missing folder on its path, is no
// error: exists stays false. A file of more than `maxBytes` is refused
// before it is read (`oversize` says how large it is).
FileBytes readWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes);

// A save writes to "set.ini.saving-<process id>.tmp" beside the file, a name
// a user who finds one left over can place.
std::filesystem::path temporaryPathFor(const std::filesystem::path& target, unsigned long process);
// Whether `process` still runs (platform).
bool processIsRunning(unsigned long process);
unsigned long currentProcess();
// Removes the temporary files of saves of `target` that were cut short: the
// process that wrote one is gone (killed, or the machine went down). Our own
// process's are stale too: a save of ours is not running while we start one.
void removeStaleTemporaries(const std::filesystem::path& target);

}  // namespace tarsil::ini::detail
