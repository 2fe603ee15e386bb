#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/key_event.h"
#include "engine/key_set.h"
#include "engine/key_stroke.h"
#include "engine/profile_tables.h"
#include "engine/stroke_batch.h"
#include "profile/key_types.h"

namespace tarsil {

enum class KeyVerdict : std::uint8_t {
  kPass,     // hand the event on to the next hook
  kSwallow,  // the event goes no further; its replacement strokes have been sent
  kStop,     // translation is stopped: remove the hook (releasing held keys), then pass
};

struct KeyDecision {
  KeyVerdict verdict = KeyVerdict::kPass;
  // The key code the record carries when it is passed on: the keypad's Enter
  // goes on as 108, so later hooks see the key it was looked up under.
  std::uint32_t vkCode = 0;

  bool operator==(const KeyDecision&) const = default;
};

// Decides every key event of the translation hook and remembers, per physical
// key, what its press did, so that the release undoes exactly that.
//
// A key keeps the meaning it had when it went down until it comes up: its
// auto-repeats and its release follow the profile, the table entry and the
// NumLock state of that first press, and a key that went down untranslated
// comes up untranslated. A physical key is known by its scan code, which a
// keypad key keeps when NumLock or Shift changes the code it reports. A key
// that was already down when its first event came (it went down before
// translation began) passes for the rest of that hold.
//
// Every key a stroke can press has holders: the user, through physical keys
// that passed untranslated, and every held translated key that pressed it.
// Its release goes out only when the last holder lets go, so a chord never
// lets go of the Ctrl the user or another chord still holds; a user's release
// of a key a chord still holds waits for that chord.
//
// A macro player is a holder too: its strokes come through marked (decided
// by playerStroke, never translated), its press holds the key, and its
// release goes out only when neither the user nor a translated key holds
// the key; the user's release of a key the player holds waits for the
// player, as it waits for a chord.
//
// A key with an action (ProfileTables::action) sends nothing: its first press
// and its release go to platform.handleAction and both are swallowed, as are
// its auto-repeats. The release reports the action the press started, so a
// profile switch or an edit while it is held changes nothing about it.
//
// Paused (setPaused), every new press passes as it is and counts as the
// user's, as if its key had no entry and no action: a program that reads
// the physical keys (capturing a key, recording a macro) sees them. Keys
// already held keep the meaning their press gave them until they come up,
// so a pause lets go of nothing the user holds, and a key pressed while
// paused comes up untranslated after the pause ended.
//
// One event plays at most kMaxEntryCodes codes of its entry, and translated
// keys hold at most kMaxEntryCodes keys down at once: no event, and no
// releaseAll, sends more than kMaxEntryCodes strokes.
//
// Fixed storage, no allocation, no exceptions: this runs on every key event
// of the desktop.
class KeyTranslator {
 public:
  // More keys than this held down at once, all translated, is beyond any
  // hand; a press that finds no room goes through untranslated, which is
  // safe because its release then goes through as well.
  static constexpr std::size_t kMaxHeldKeys = 32;

  // Decides one event. Strokes go out through platform.sendStrokes before
  // this returns; NumLock is read at most once, and only for a press whose
  // list holds a keypad code.
  KeyDecision decide(const KeyEvent& event, const ProfileTables& tables, bool stopped,
                     const KeyPlatform& platform) noexcept;

  // Translation is ending (keyboard gone, hook removed, Exit): sends the
  // releases of every key translated keys still hold down, except those the
  // user still holds, reports the release of every held action key, and
  // forgets every held key.
  void releaseAll(const ProfileTables& tables, const KeyPlatform& platform) noexcept;

  // New presses pass untranslated while paused; see the class comment.
  void setPaused(bool paused) noexcept { paused_ = paused; }
  bool paused() const noexcept { return paused_; }

  // How many translated keys are held down now.
  std::size_t heldCount() const noexcept;

  // A stroke of the macro player, come through with the player's mark:
  // never translated. kSwallow for the release of a key the user or a
  // translated key still holds (it goes up when they let go), else kPass.
  KeyVerdict playerStroke(std::uint32_t vkCode, bool extended, bool up) noexcept;

  // The keys the user's physical keys hold now (by holdIndexOf): what a
  // player stopping once translation has ended must not release, as no hook
  // is left to hold its releases back. (Translated keys let go of theirs
  // in releaseAll, except those the player holds, which are the player's
  // to release.)
  KeySet userHeldKeys() const noexcept;

 private:
  struct HeldKey {
    KeyCode source = 0;        // the code the table was searched under
    std::int32_t profile = 0;  // the profile whose table that was
    std::int8_t numLock = -1;  // -1 not needed yet, else the state at the press
    KeySet sent;               // every stroke the key has pressed and still holds
    // The action its press started (kind kNone for a key that sends strokes);
    // its release reports this one, whatever the tables say by then.
    KeyAction action;
  };

  // A physical key is its scan code plus the extended bit (0..511); an event
  // without a scan code is known by its key code plus the extended bit
  // instead (512..1023). So the keypad's Enter is one key whatever modifier
  // flags its press and release carry, and the main Enter another.
  static constexpr std::size_t kPhysicalKeys = 1024;

  void press(HeldKey& held, const KeyList& list, const KeyPlatform& platform,
             StrokeBatch& batch) noexcept;
  void release(HeldKey& held, const KeyList* list, StrokeBatch& batch) noexcept;
  void letGo(HeldKey& held, std::size_t sentIndex, StrokeBatch& batch) noexcept;
  // The user lets go of a key that passed; false while a translated key
  // still holds the key it pressed.
  bool releasePassedKey(std::size_t physicalKey) noexcept;
  void passDown(std::size_t physicalKey, std::size_t holdIndex) noexcept;

  HeldKey* find(std::size_t physicalKey) noexcept;
  HeldKey* allocate(std::size_t physicalKey) noexcept;
  // A fresh held key for a press that is ours, or null (the press then
  // passes, counted as the user's) when every slot is taken.
  HeldKey* take(std::size_t physicalKey, std::size_t holdIndex, KeyCode source,
                std::int32_t profile, const KeyAction& action) noexcept;
  void forget(std::size_t physicalKey) noexcept;

  std::array<std::uint8_t, kPhysicalKeys> slotOf_{};  // slot index + 1, 0 when not held
  std::array<HeldKey, kMaxHeldKeys> slots_{};
  std::uint32_t usedSlots_ = 0;
  // Physical keys that went down untranslated: the key they hold + 1, or 0.
  std::array<std::uint16_t, kPhysicalKeys> passedHold_{};
  // Holders per key (KeySet index, Ctrl, Shift and Alt as their left or right
  // key): physical keys of the user's, and translated keys.
  std::array<std::uint16_t, KeySet::kSize> userHolds_{};
  std::array<std::uint16_t, KeySet::kSize> translatedHolds_{};
  KeySet playerHolds_;                   // keys the macro player has pressed and not released
  std::size_t translatedHoldCount_ = 0;  // the sum of translatedHolds_
  bool paused_ = false;
};

static_assert(KeyTranslator::kMaxHeldKeys <= 32, "usedSlots_ holds one bit per slot");

}  // namespace tarsil
