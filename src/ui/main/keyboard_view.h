#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "layout/key_slot.h"
#include "profile/profile_data.h"

namespace tarsil {

// The three whole-window pictures a part of the keyboard is drawn from.
enum class SlotState : std::uint8_t {
  kNormal,  // main_normal
  kOver,    // main_over: under the resting pointer
  kDown,    // main_down: a key with an assignment, the active profile's button
};

// Where the view paints. Every drawing is a copy of the same rectangle of
// one state picture onto the window: the picture is cut at the place it is
// shown.
class SkinCanvas {
 public:
  virtual ~SkinCanvas() = default;
  virtual void copyPicture(SlotState picture, const SlotRect& area) = 0;
};

inline constexpr int kNoSlot = -1;

// The keyboard picture's behaviour: hit testing, what a hover draws and
// which tooltip it shows, the profile indicator and the full redraw. It
// reads the working profile (the assigned keys and their names) and the
// active profile number each time it draws, and changes neither.
class KeyboardView {
 public:
  explicit KeyboardView(const KeySlotTable& slots) : slots_(slots) {}

  // The first slot, in number order, whose rectangle holds the window point;
  // kNoSlot when none does. Overlapping rectangles go to the lower number.
  int hitTest(std::int32_t x, std::int32_t y) const;

  // One slot in one state. Slot 28 also repaints, from the normal picture,
  // the 2-pixel strip 6 pixels to its left, as tall as slot 27.
  void drawSlot(SkinCanvas& canvas, SlotState state, int slot) const;
  // Slots 128..130: the active profile's down, the other two normal.
  void drawProfileIndicator(SkinCanvas& canvas, std::int32_t activeProfile) const;
  // Every key of the working assigned-key list down, in list order.
  void drawAssignedKeys(SkinCanvas& canvas, const ProfileData& working) const;
  // The whole window: the normal picture, the indicator, the assigned keys.
  void drawAll(SkinCanvas& canvas, const ProfileSet& profiles, std::int32_t width,
               std::int32_t height) const;

  // The pointer came to rest at a window point. Returns the tooltip's text
  // when the hover sets one (nothing over a skin button or a key that is only
  // part of the picture; empty over the background). The tooltip names a key and its assignment in
  // upper case; the stored captions and names stay as they are. A macro
  // key's tooltip says on a second line how its macro plays
  // ("Combo: sequence, 6 steps, 420 ms").
  std::optional<std::u16string> hover(SkinCanvas& canvas, std::int32_t x, std::int32_t y,
                                      const ProfileSet& profiles);

  // The slot last drawn in the over state, or kNoSlot.
  int hoveredSlot() const { return hovered_; }

 private:
  const KeySlotTable& slots_;
  int hovered_ = kNoSlot;
};

}  // namespace tarsil
