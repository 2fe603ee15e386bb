#pragma once

#include <cstdint>

namespace tarsil {

// The four faces a skin button is drawn with.
enum class ButtonFace : std::uint8_t { kNormal, kHover, kPressed, kDisabled };

// What a skin button shows, decided from the mouse events it sees. A plain
// button looks pressed only while it is pressed; a toggle button (the
// settings dialog's kind tabs and its record button) keeps its pressed look
// after a click until its owner deselects it.
class BitButtonState {
 public:
  // The visual state, as the button keeps it.
  static constexpr int kHover = 0;
  static constexpr int kPressed = 1;  // also: the pointer just moved over it
  static constexpr int kNormal = 3;

  void setToggle(bool toggle) { toggle_ = toggle; }
  bool isToggle() const { return toggle_; }

  // The pointer moved over the button; `tracking` tells whether the hover and
  // leave reports could be asked for.
  void mouseMove(bool tracking) { visual_ = tracking ? kPressed : kHover; }
  void mouseHover() { visual_ = kHover; }
  void mouseLeave() { visual_ = kNormal; }
  void buttonDown() {
    visual_ = kPressed;
    selected_ = true;
  }
  // A release over the button keeps a press; one elsewhere cancels it.
  void buttonUp(bool overButton);

  // The owner chooses this button (the kind a dialog opens with).
  void setSelected() {
    visual_ = kNormal;
    selected_ = true;
  }
  void clearSelected() { selected_ = false; }
  // Back to how a new button starts, as when its dialog closes.
  void reset() {
    visual_ = kNormal;
    selected_ = false;
  }

  bool selected() const { return selected_; }
  int visual() const { return visual_; }
  ButtonFace face(bool disabled) const;

 private:
  int visual_ = kNormal;
  bool selected_ = false;
  bool toggle_ = false;
};

}  // namespace tarsil
