#include "engine/key_translator.h"

#include <algorithm>
#include <bit>

#include "engine/key_rendering.h"
#include "engine/stroke_batch.h"

namespace tarsil {

namespace {

std::size_t indexOf(RenderedKey key) noexcept { return KeySet::indexOf(key.vk, key.extended); }

RenderedKey keyAt(std::size_t index) noexcept {
  return {static_cast<std::uint8_t>(index % 256), index >= 256};
}

std::size_t physicalKeyOf(const KeyEvent& event) noexcept {
  const std::size_t extended = (event.flags & kEventExtended) != 0 ? 256u : 0u;
  if (event.scanCode != 0 && event.scanCode <= 255) return event.scanCode + extended;
  return 512u + event.vkCode + extended;
}

const KeyList* findList(const ProfileTables& tables, std::int32_t profile, KeyCode source) {
  const TranslationTable* table = tables.table(profile);
  if (table == nullptr) return nullptr;
  const auto entry = table->find(source);
  return entry == table->end() ? nullptr : &entry->second;
}

void reportAction(const KeyPlatform& platform, const KeyAction& action, bool up) noexcept {
  if (platform.handleAction != nullptr) platform.handleAction(platform.context, action, up);
}

// The codes of an entry one event plays.
std::size_t playedLength(const KeyList& list) noexcept {
  return std::min(list.size(), kMaxEntryCodes);
}

// The keypad's Enter arrives as 13 with only the extended bit (and the
// release bit) set; it is looked up as 108 so it can carry its own
// assignment. With any other bit set, Alt held for instance, it stays 13.
KeyCode lookupCode(const KeyEvent& event) noexcept {
  const bool keypadEnter =
      event.vkCode == static_cast<std::uint32_t>(kEnterKey) &&
      (event.flags == kEventExtended || event.flags == (kEventExtended | kEventUp));
  return keypadEnter ? kKeypadEnterCode : static_cast<KeyCode>(event.vkCode);
}

}  // namespace

KeyDecision KeyTranslator::decide(const KeyEvent& event, const ProfileTables& tables, bool stopped,
                                  const KeyPlatform& platform) noexcept {
  if (stopped) return {KeyVerdict::kStop, event.vkCode};
  // Our own strokes come back through the hook marked injected; leaving every
  // injected event alone is what keeps a list holding its own key from looping.
  // Other programs' strokes are theirs, not the user's: they hold nothing.
  if ((event.flags & kEventInjected) != 0) return {KeyVerdict::kPass, event.vkCode};

  const KeyCode source = lookupCode(event);
  const KeyDecision pass{KeyVerdict::kPass, static_cast<std::uint32_t>(source)};
  const KeyDecision swallow{KeyVerdict::kSwallow, static_cast<std::uint32_t>(source)};
  if (event.vkCode > 255) return pass;  // no key of a keyboard

  const std::size_t physicalKey = physicalKeyOf(event);
  const bool up = (event.flags & kEventUp) != 0;

  if (HeldKey* held = find(physicalKey)) {
    if (held->action.kind != KeyActionKind::kNone) {
      if (up) {
        const KeyAction action = held->action;
        forget(physicalKey);
        reportAction(platform, action, true);
      }
      return swallow;
    }
    const KeyList* list = findList(tables, held->profile, held->source);
    StrokeBatch batch(platform.sendStrokes, platform.context);
    if (up) {
      release(*held, list, batch);
      forget(physicalKey);
    } else if (list != nullptr) {
      // Auto-repeat: the presses again, as the first press made them.
      press(*held, *list, platform, batch);
    }
    batch.flush();
    return swallow;
  }

  if (passedHold_[physicalKey] != 0) {
    // Auto-repeats pass as the first press did.
    if (!up) return pass;
    return releasePassedKey(physicalKey) ? pass : swallow;
  }
  // Its press came before translation did: the release is not ours.
  if (up) return pass;

  const std::size_t holdIndex =
      holdIndexOf({static_cast<std::uint8_t>(event.vkCode), (event.flags & kEventExtended) != 0});
  // Down already, and not because a key we know of holds it: this press is
  // an auto-repeat of a key that went down before translation saw it.
  const bool downBefore =
      event.wasDown && userHolds_[holdIndex] == 0 && translatedHolds_[holdIndex] == 0;
  // Paused, the press is the user's, as one that came before translation.
  const bool untranslated = downBefore || paused_;
  if (const KeyAction* action =
          untranslated ? nullptr : tables.action(tables.activeProfile, source)) {
    KeyAction started = *action;
    started.trigger = source;
    if (take(physicalKey, holdIndex, source, tables.activeProfile, started) == nullptr) return pass;
    reportAction(platform, started, false);
    return swallow;
  }
  const KeyList* list = untranslated ? nullptr : findList(tables, tables.activeProfile, source);
  const bool identity = list != nullptr && list->size() == 1 && list->front() == source;
  if (list == nullptr || identity) {
    passDown(physicalKey, holdIndex);
    return pass;
  }
  HeldKey* held = take(physicalKey, holdIndex, source, tables.activeProfile, {});
  if (held == nullptr) return pass;
  StrokeBatch batch(platform.sendStrokes, platform.context);
  press(*held, *list, platform, batch);
  batch.flush();
  return swallow;
}

void KeyTranslator::releaseAll(const ProfileTables& tables, const KeyPlatform& platform) noexcept {
  StrokeBatch batch(platform.sendStrokes, platform.context);
  for (std::size_t physicalKey = 0; physicalKey < kPhysicalKeys; ++physicalKey) {
    if (HeldKey* held = find(physicalKey)) {
      const KeyAction action = held->action;
      release(*held, findList(tables, held->profile, held->source), batch);
      forget(physicalKey);
      if (action.kind != KeyActionKind::kNone) reportAction(platform, action, true);
    }
  }
  batch.flush();
  // Without the hook, the releases of the user's keys pass unseen, and the
  // player's strokes come through no more.
  passedHold_ = {};
  userHolds_ = {};
  playerHolds_.clear();
}

KeyVerdict KeyTranslator::playerStroke(std::uint32_t vkCode, bool extended, bool up) noexcept {
  if (vkCode > 255) return KeyVerdict::kPass;
  const std::size_t holdIndex = holdIndexOf({static_cast<std::uint8_t>(vkCode), extended});
  if (!up) {
    playerHolds_.insert(holdIndex);
    return KeyVerdict::kPass;
  }
  playerHolds_.erase(holdIndex);
  return userHolds_[holdIndex] == 0 && translatedHolds_[holdIndex] == 0 ? KeyVerdict::kPass
                                                                        : KeyVerdict::kSwallow;
}

KeySet KeyTranslator::userHeldKeys() const noexcept {
  KeySet held;
  for (std::size_t index = 0; index < KeySet::kSize; ++index) {
    if (userHolds_[index] != 0) held.insert(index);
  }
  return held;
}

std::size_t KeyTranslator::heldCount() const noexcept {
  return static_cast<std::size_t>(std::popcount(usedSlots_));
}

void KeyTranslator::press(HeldKey& held, const KeyList& list, const KeyPlatform& platform,
                          StrokeBatch& batch) noexcept {
  const auto played = list.begin() + static_cast<std::ptrdiff_t>(playedLength(list));
  // NumLock is read before the first stroke goes out, so a list that toggles
  // NumLock itself still renders every keypad code by the state the user had.
  if (held.numLock < 0 && std::any_of(list.begin(), played, dependsOnNumLock)) {
    const bool on = platform.readNumLockState != nullptr &&
                    isNumLockOn(platform.readNumLockState(platform.context));
    held.numLock = on ? 1 : 0;
  }
  for (auto code = list.begin(); code != played; ++code) {
    const RenderedKey key = renderListCode(*code, held.numLock != 0);
    if (!held.sent.contains(indexOf(key))) {
      // Every key held is a release owed: their number bounds what one
      // release, or releaseAll, has to send.
      if (translatedHoldCount_ == kMaxEntryCodes) break;
      held.sent.insert(indexOf(key));
      ++translatedHolds_[holdIndexOf(key)];
      ++translatedHoldCount_;
    }
    batch.add(key, false);
  }
}

void KeyTranslator::release(HeldKey& held, const KeyList* list, StrokeBatch& batch) noexcept {
  // Exactly what was pressed, in list order while the entry is unchanged and
  // each key once; whatever the entry no longer names (it was edited while
  // the key was held) after it. NumLock unread means no keypad code was
  // pressed, so either rendering finds the same keys.
  const bool numLockOn = held.numLock != 0;
  if (list != nullptr) {
    const auto played = list->begin() + static_cast<std::ptrdiff_t>(playedLength(*list));
    for (auto code = list->begin(); code != played; ++code) {
      const std::size_t index = indexOf(renderListCode(*code, numLockOn));
      if (held.sent.contains(index)) letGo(held, index, batch);
    }
  }
  const KeySet rest = held.sent;
  rest.forEach([&](std::size_t index) { letGo(held, index, batch); });
}

void KeyTranslator::letGo(HeldKey& held, std::size_t sentIndex, StrokeBatch& batch) noexcept {
  const RenderedKey key = keyAt(sentIndex);
  const std::size_t holdIndex = holdIndexOf(key);
  held.sent.erase(sentIndex);
  --translatedHolds_[holdIndex];
  --translatedHoldCount_;
  if (translatedHolds_[holdIndex] == 0 && userHolds_[holdIndex] == 0 &&
      !playerHolds_.contains(holdIndex)) {
    batch.add(key, true);
  }
}

bool KeyTranslator::releasePassedKey(std::size_t physicalKey) noexcept {
  const std::size_t holdIndex = passedHold_[physicalKey] - 1u;
  passedHold_[physicalKey] = 0;
  --userHolds_[holdIndex];
  // While a translated key or the player still holds it, its release lets
  // go in their time.
  return translatedHolds_[holdIndex] == 0 && !playerHolds_.contains(holdIndex);
}

void KeyTranslator::passDown(std::size_t physicalKey, std::size_t holdIndex) noexcept {
  passedHold_[physicalKey] = static_cast<std::uint16_t>(holdIndex + 1);
  ++userHolds_[holdIndex];
}

KeyTranslator::HeldKey* KeyTranslator::take(std::size_t physicalKey, std::size_t holdIndex,
                                            KeyCode source, std::int32_t profile,
                                            const KeyAction& action) noexcept {
  HeldKey* held = allocate(physicalKey);
  if (held == nullptr) {
    passDown(physicalKey, holdIndex);  // no room: the key goes through as it is
    return nullptr;
  }
  held->source = source;
  held->profile = profile;
  held->numLock = -1;
  held->sent.clear();
  held->action = action;
  return held;
}

KeyTranslator::HeldKey* KeyTranslator::find(std::size_t physicalKey) noexcept {
  const std::uint8_t slot = slotOf_[physicalKey];
  return slot == 0 ? nullptr : &slots_[slot - 1u];
}

KeyTranslator::HeldKey* KeyTranslator::allocate(std::size_t physicalKey) noexcept {
  constexpr std::uint32_t kAllUsed = ~std::uint32_t{0} >> (32 - kMaxHeldKeys);
  if (usedSlots_ == kAllUsed) return nullptr;
  const auto slot = static_cast<std::size_t>(std::countr_one(usedSlots_));
  usedSlots_ |= std::uint32_t{1} << slot;
  slotOf_[physicalKey] = static_cast<std::uint8_t>(slot + 1);
  return &slots_[slot];
}

void KeyTranslator::forget(std::size_t physicalKey) noexcept {
  const std::uint8_t slot = slotOf_[physicalKey];
  if (slot == 0) return;
  usedSlots_ &= ~(std::uint32_t{1} << (slot - 1u));
  slotOf_[physicalKey] = 0;
}

}  // namespace tarsil
