#pragma once

#include <windows.h>

#include <cstddef>

#include "engine/key_stroke.h"

namespace tarsil {

// What the macro player's strokes carry in dwExtraInfo: the translation hook
// tells them by it from the strokes of every other program, and lets them
// through untranslated under the holder rules (KeyTranslator::playerStroke).
inline constexpr ULONG_PTR kPlayerStrokeMark = 0x54534C50;

// Sends strokes in one SendInput call per batch, so they reach the input
// stream together with nothing of the user's in between, each carrying
// `mark` in dwExtraInfo (0 for the translation hook's own chords).
void sendKeyStrokes(const KeyStroke* strokes, std::size_t count, ULONG_PTR mark) noexcept;

}  // namespace tarsil
