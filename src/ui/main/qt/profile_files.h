#pragma once

#include <QWidget>

#include "session/keyboard_session.h"

// The Menu's Export and Import: the desktop's file dialogs, then the
// profile store. A failure is shown in a message box that names the file
// and why.

// Writes the active profile's store to a file the user chooses.
void exportWithDialog(QWidget* owner, const tarsil::KeyboardSession& session);

// Reads a profile file the user chooses into the active profile. True when
// the profile changed.
bool importWithDialog(QWidget* owner, tarsil::KeyboardSession& session);
