#include "confinement.h"

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace probe {
namespace {

bool fail(const char* step) {
  std::fprintf(stderr, "confinement: %s: %s\n", step, std::strerror(errno));
  return false;
}

// A folder mounted over itself, read-only: the rest of the machine keeps
// writing to it, this process cannot.
bool readOnly(const char* folder) {
  struct stat status {};
  if (stat(folder, &status) != 0) return true;  // not on this machine
  return (mount(folder, folder, nullptr, MS_BIND | MS_REC, nullptr) == 0 &&
          mount(nullptr, folder, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0) ||
         fail(folder);
}

std::string statusField(pid_t pid, const std::string& name) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(name + ":")) {
      const std::size_t value = line.find_first_not_of(" \t", name.size() + 1);
      return value == std::string::npos ? "" : line.substr(value);
    }
  }
  return "";
}

std::string linkOf(const std::string& path) {
  char target[128] = {};
  return readlink(path.c_str(), target, sizeof(target) - 1) > 0 ? target : "";
}

}  // namespace

bool confineLikeTheUnit() {
  if (unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) return fail("unshare");
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return fail("private /");
  for (const char* folder : {"/bin", "/lib", "/lib64", "/usr", "/cfg", "/root", "/tmp"}) {
    if (!readOnly(folder)) return false;
  }
  // Root without capabilities is a user who owns the device nodes: what
  // tarsild does then, it does for the user at the computer.
  for (int capability = 0; capability <= 63; ++capability) {
    if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0 && errno != EINVAL) {
      return fail("dropping a capability");
    }
  }
  if (prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0) return fail("ambient");
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return fail("no new privileges");
  return true;
}

std::string confinementGaps(pid_t pid) {
  std::string gaps;
  if (statusField(pid, "CapEff") != "0000000000000000") gaps += " capabilities";
  if (statusField(pid, "NoNewPrivs") != "1") gaps += " new-privileges";
  if (linkOf("/proc/" + std::to_string(pid) + "/ns/net") == linkOf("/proc/self/ns/net")) {
    gaps += " network";
  }
  if (linkOf("/proc/" + std::to_string(pid) + "/ns/mnt") == linkOf("/proc/self/ns/mnt")) {
    gaps += " read-only-files";
  }
  return gaps;
}

}  // namespace probe
