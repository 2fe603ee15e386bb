#include "ui/controls/bit_button_state.h"

namespace tarsil {

void BitButtonState::buttonUp(bool overButton) {
  if (overButton && selected_) {
    visual_ = kPressed;
  } else {
    visual_ = kNormal;
    selected_ = false;
  }
}

ButtonFace BitButtonState::face(bool disabled) const {
  if (disabled) return ButtonFace::kDisabled;
  if (visual_ == kHover) return ButtonFace::kHover;
  if (visual_ == kPressed) return ButtonFace::kPressed;
  // A toggle button at rest shows whether it is the chosen one.
  return toggle_ && selected_ ? ButtonFace::kPressed : ButtonFace::kNormal;
}

}  // namespace tarsil
