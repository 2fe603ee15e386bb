#include "profile/macro_library.h"

namespace tarsil {

TimedMacro timedMacro(const MacroStepList& steps, const MacroTiming& timing) {
  TimedMacro macro;
  macro.mode = timing.mode;
  macro.steps.reserve(steps.size() / kMacroStepWidth);
  for (std::size_t k = 0; (k + 1) * kMacroStepWidth <= steps.size(); ++k) {
    const std::int32_t* step = &steps[k * kMacroStepWidth];
    macro.steps.push_back({step[1], step[2] == 1, clampDelay(timing.delay(k))});
  }
  return macro;
}

MacroLibrary buildMacroLibrary(const ProfileSet& profiles) {
  MacroLibrary library;
  for (std::size_t p = 0; p < library.profiles.size(); ++p) {
    const ProfileData& store = profiles.stores[p];
    for (std::size_t i = 0; i < store.macroSteps.size(); ++i) {
      library.profiles[p].push_back(
          timedMacro(store.macroSteps[i], timingOf(store.macroTimings, i)));
    }
  }
  return library;
}

bool MacroLibraryWatch::changed(const ProfileSet& profiles) {
  bool changed = first_ || activeProfile_ != profiles.activeProfile;
  for (std::size_t p = 0; p < seen_.size(); ++p) {
    const ProfileData& store = profiles.stores[p];
    Seen& seen = seen_[p];
    if (!changed && seen.steps == store.macroSteps && seen.timings == store.macroTimings &&
        seen.actions == store.actions) {
      continue;
    }
    changed = true;
    seen = {store.macroSteps, store.macroTimings, store.actions};
  }
  first_ = false;
  activeProfile_ = profiles.activeProfile;
  return changed;
}

}  // namespace tarsil
