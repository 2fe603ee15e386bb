#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/programs/programs_model.h"

// The path of the program that runs `process`, as far as the system lets
// it be read: the limited query works for elevated programs too; a
// protected one, or one that just ended, has none.
std::optional<std::u16string> programPathOf(DWORD process);

// The titled top-level windows the user sees (visible, unowned, not tool
// windows), with their programs' paths, in the system's z-order.
std::vector<tarsil::RunningProgram> runningProgramWindows();
