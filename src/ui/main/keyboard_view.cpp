#include "ui/main/keyboard_view.h"

#include "ini/upper_case.h"

namespace tarsil {

namespace {

constexpr int kStripSlot = 28;
constexpr int kStripNeighbour = 27;
constexpr std::int32_t kStripOffset = 6;
constexpr std::int32_t kStripWidth = 2;

bool isSlotNumber(int slot) { return slot >= 1 && slot <= kSlotCount; }

}  // namespace

int KeyboardView::hitTest(std::int32_t x, std::int32_t y) const {
  for (int n = 1; n <= kSlotCount; ++n) {
    if (slots_.slot(n).rect().contains(x, y)) return n;
  }
  return kNoSlot;
}

void KeyboardView::drawSlot(SkinCanvas& canvas, SlotState state, int slot) const {
  if (!isSlotNumber(slot)) return;
  canvas.copyPicture(state, slots_.slot(slot).rect());
  if (slot == kStripSlot) {
    // The key left of slot 28 is drawn a little wider than its slot; its
    // right edge would otherwise keep the look of this key's last state.
    const KeySlot& key = slots_.slot(kStripSlot);
    const std::int32_t left = key.left - kStripOffset;
    canvas.copyPicture(SlotState::kNormal, {left, key.top, left + kStripWidth,
                                            key.top + slots_.slot(kStripNeighbour).height});
  }
}

void KeyboardView::drawProfileIndicator(SkinCanvas& canvas, std::int32_t activeProfile) const {
  // The active profile's button first, then the other two.
  constexpr int kOrder[kProfileCount][kProfileCount] = {
      {128, 129, 130}, {129, 128, 130}, {130, 129, 128}};
  if (!isProfileNumber(activeProfile)) return;
  const int* order = kOrder[activeProfile - 1];
  drawSlot(canvas, SlotState::kDown, order[0]);
  drawSlot(canvas, SlotState::kNormal, order[1]);
  drawSlot(canvas, SlotState::kNormal, order[2]);
}

void KeyboardView::drawAssignedKeys(SkinCanvas& canvas, const ProfileData& working) const {
  for (const std::int32_t index : working.assigned) drawSlot(canvas, SlotState::kDown, index + 1);
}

void KeyboardView::drawAll(SkinCanvas& canvas, const ProfileSet& profiles, std::int32_t width,
                           std::int32_t height) const {
  canvas.copyPicture(SlotState::kNormal, {0, 0, width, height});
  drawProfileIndicator(canvas, profiles.activeProfile);
  drawAssignedKeys(canvas, profiles.working);
}

std::optional<std::u16string> KeyboardView::hover(SkinCanvas& canvas, std::int32_t x,
                                                  std::int32_t y, const ProfileSet& profiles) {
  const int hit = hitTest(x, y);
  // Keys that are only part of the picture neither light up nor change
  // what is lit.
  if (hit > kLastAssignableSlot && hit < kFirstButtonSlot) {
    drawProfileIndicator(canvas, profiles.activeProfile);
    return std::nullopt;
  }
  // The slot the pointer left goes back to normal before the indicator is
  // drawn, so that leaving the active profile's button shows it down again.
  const bool moved = hovered_ != hit;
  if (moved) drawSlot(canvas, SlotState::kNormal, hovered_);
  drawProfileIndicator(canvas, profiles.activeProfile);
  if (hit == kNoSlot) {
    hovered_ = kNoSlot;
    drawAssignedKeys(canvas, profiles.working);
    return std::u16string();
  }
  drawSlot(canvas, SlotState::kOver, hit);
  hovered_ = hit;
  std::optional<std::u16string> tooltip;
  if (hit <= kLastAssignableSlot) {
    const std::u16string caption = ini::upperCase(slots_.slot(hit).caption);
    const std::u16string name = ini::upperCase(profiles.working.keys.slot(hit).name);
    tooltip = caption == name ? caption : caption + u" Key, Set As: " + name;
    // A macro key says, on a line of its own, how its macro plays.
    const KeyAssignment& key = profiles.working.keys.slot(hit);
    const auto macro = static_cast<std::size_t>(key.macroIndex);
    if (key.kind == KindMacro && key.macroIndex >= 0 &&
        macro < profiles.working.macroSteps.size()) {
      *tooltip += u"\n" + describeMacro(macro < profiles.working.macroNames.size()
                                            ? profiles.working.macroNames[macro]
                                            : std::u16string(),
                                        profiles.working.macroSteps[macro].size() / kMacroStepWidth,
                                        timingOf(profiles.working.macroTimings, macro));
    }
  }
  // A key with an assignment that was just left goes back to its down look;
  // one that was just entered shows down rather than over.
  if (moved) drawAssignedKeys(canvas, profiles.working);
  return tooltip;
}

}  // namespace tarsil
