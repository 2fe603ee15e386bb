#pragma once

// The systemd unit's sandbox, as far as a machine without systemd can apply
// it to tarsild: run in the child between fork and exec.

#include <sys/types.h>

#include <string>

namespace probe {

// No capabilities (CapabilityBoundingSet=), no new privileges
// (NoNewPrivileges=yes), a network namespace of its own (PrivateNetwork=yes),
// and the programs, the libraries, the configuration folder, the home and
// /tmp read-only (ProtectSystem=strict, ProtectHome=read-only); /dev, /proc,
// /sys and $XDG_RUNTIME_DIR stay writable, as the unit leaves them. False
// when a step failed (the child then says which on its standard error).
bool confineLikeTheUnit();

// What a process's status says about that sandbox: "" when it holds, else
// what is missing.
std::string confinementGaps(pid_t pid);

}  // namespace probe
