#include "engine/macro_player.h"

#include <algorithm>

#include "engine/key_rendering.h"

namespace tarsil {

namespace {

constexpr PlayerTime kMicrosecondsPerMs = 1000;

RenderedKey keyAt(std::size_t index) noexcept {
  return {static_cast<std::uint8_t>(index % 256), index >= 256};
}

constexpr bool repeats(MacroMode mode) noexcept {
  return mode == MacroMode::kRepeatWhileHeld || mode == MacroMode::kToggle;
}

}  // namespace

void MacroPlayer::setLibrary(std::shared_ptr<const MacroLibrary> library,
                             const StrokeOutput& output) noexcept {
  stopAll(output);
  library_ = std::move(library);
}

MacroPlayer::Playback* MacroPlayer::find(KeyCode trigger) noexcept {
  for (Playback& playback : playbacks_) {
    if (playback.active && playback.trigger == trigger) return &playback;
  }
  return nullptr;
}

void MacroPlayer::press(const MacroTrigger& trigger, PlayerTime now,
                        const StrokeOutput& output) noexcept {
  const TimedMacro* macro = library_ ? library_->find(trigger.profile, trigger.macro) : nullptr;
  StrokeBatch batch(output.send, output.context);
  // Playbacks of another profile outlived a profile switch: they stop.
  for (Playback& playback : playbacks_) {
    if (playback.active && playback.profile != trigger.profile) stop(playback, batch);
  }
  if (Playback* playing = find(trigger.key)) {
    if (playing->profile == trigger.profile && playing->index == trigger.macro &&
        playing->macro == macro) {
      // Toggle: the second press stops. Sequence once: the pass plays on to
      // its end. Repeat while held: it repeats already.
      if (macro->mode == MacroMode::kToggle) stop(*playing, batch);
      return;
    }
    // The key plays another macro now: the first stops before it starts.
    stop(*playing, batch);
  }
  if (macro == nullptr || macro->mode == MacroMode::kChord || macro->steps.empty()) return;
  const auto free = std::find_if(playbacks_.begin(), playbacks_.end(),
                                 [](const Playback& playback) { return !playback.active; });
  if (free == playbacks_.end()) return;  // more keys playing than any hand holds
  free->active = true;
  free->trigger = trigger.key;
  free->profile = trigger.profile;
  free->index = trigger.macro;
  free->macro = macro;
  free->numLockOn = trigger.numLockOn;
  start(*free, now, now);
}

void MacroPlayer::release(KeyCode key, PlayerTime, const StrokeOutput& output) noexcept {
  Playback* playing = find(key);
  if (playing == nullptr || playing->macro->mode != MacroMode::kRepeatWhileHeld) return;
  StrokeBatch batch(output.send, output.context);
  stop(*playing, batch);
}

void MacroPlayer::stopAll(const StrokeOutput& output, const KeySet* keep) noexcept {
  StrokeBatch batch(output.send, output.context);
  for (Playback& playback : playbacks_) {
    if (!playback.active) continue;
    releaseHeld(playback, keep, batch);
    playback.active = false;
  }
}

std::optional<PlayerTime> MacroPlayer::run(PlayerTime now, const StrokeOutput& output) noexcept {
  StrokeBatch batch(output.send, output.context);
  std::optional<PlayerTime> next;
  for (Playback& playback : playbacks_) {
    while (playback.active && playback.due <= now) {
      const std::vector<TimedStep>& steps = playback.macro->steps;
      sendStep(playback, steps[playback.next], batch);
      if (++playback.next < steps.size()) {
        // The next step waits from the moment this one really went out.
        const PlayerTime delay = steps[playback.next].delayMs * kMicrosecondsPerMs;
        PlayerTime sent = now;
        if (delay > 0 && output.sentAt != nullptr) {
          batch.flush();
          sent = std::max(now, output.sentAt(output.context));
        }
        playback.due = sent + delay;
      } else {
        endPass(playback, now, batch);
      }
    }
    if (playback.active) next = next ? std::min(*next, playback.due) : playback.due;
  }
  return next;
}

std::size_t MacroPlayer::playingCount() const noexcept {
  return static_cast<std::size_t>(
      std::count_if(playbacks_.begin(), playbacks_.end(),
                    [](const Playback& playback) { return playback.active; }));
}

void MacroPlayer::start(Playback& playback, PlayerTime now, PlayerTime earliest) noexcept {
  playback.next = 0;
  playback.due =
      std::max(now + playback.macro->steps.front().delayMs * kMicrosecondsPerMs, earliest);
  playback.passStart = playback.due;
}

void MacroPlayer::sendStep(Playback& playback, const TimedStep& step, StrokeBatch& batch) noexcept {
  const RenderedKey key = renderListCode(step.vk, playback.numLockOn);
  const std::size_t index = KeySet::indexOf(key.vk, key.extended);
  if (step.down) {
    if (!playback.held.contains(index)) {
      playback.held.insert(index);
      ++holders_[index];
    }
    // A press of a key held already is sent as the keyboard's repeat would be.
    batch.add(key, false);
    return;
  }
  // Only what this playback pressed is released: a recording that began
  // with a key held has that key's release and never its press.
  if (!playback.held.contains(index)) return;
  playback.held.erase(index);
  if (--holders_[index] == 0) batch.add(key, true);
}

void MacroPlayer::releaseHeld(Playback& playback, const KeySet* keep, StrokeBatch& batch) noexcept {
  const KeySet held = playback.held;
  held.forEach([&](std::size_t index) {
    playback.held.erase(index);
    const RenderedKey key = keyAt(index);
    if (--holders_[index] == 0 && (keep == nullptr || !keep->contains(holdIndexOf(key)))) {
      batch.add(key, true);
    }
  });
}

void MacroPlayer::stop(Playback& playback, StrokeBatch& batch) noexcept {
  releaseHeld(playback, nullptr, batch);
  playback.active = false;
}

void MacroPlayer::endPass(Playback& playback, PlayerTime now, StrokeBatch& batch) noexcept {
  releaseHeld(playback, nullptr, batch);
  if (!repeats(playback.macro->mode)) {
    playback.active = false;
    return;
  }
  start(playback, now, playback.passStart + kMinPassTime);
}

}  // namespace tarsil
