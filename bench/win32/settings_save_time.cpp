// Under Wine, by hand: what saving every commit costs the window's thread,
// on which the keyboard hook waits meanwhile. A session on a copy of the
// shipped layout and of SETTINGS (or on a file of three full profiles) edits
// one key and saves, again and again, and switches profiles; it prints how
// many writes that made and how long each save took.
//
//   wine settings_save_time.exe STAGE_FOLDER [SETTINGS]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "profile/profile_operations.h"
#include "session/keyboard_session.h"

namespace {

using Clock = std::chrono::steady_clock;

struct KeepEverything final : tarsil::ChangedFilePrompt, tarsil::SavePrompt {
  bool keepUnappliedEdits(std::int32_t) override { return true; }
  bool confirmSaveChanges() override { return true; }
};

void report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%s: median %.2f ms, 99th percentile %.2f ms, max %.2f ms (%zu)\n", what,
              ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back(), ms.size());
}

// Every assignable key of every profile plays a macro of 20 key strokes.
void fillProfiles(tarsil::ProfileSet& profiles, const tarsil::MainLayout& layout) {
  for (tarsil::ProfileData& store : profiles.stores) {
    for (int s = 1; s <= tarsil::kLastAssignableSlot; ++s) {
      tarsil::MacroStepList steps;
      for (int k = 0; k < 20; ++k) steps.insert(steps.end(), {(30 + k) << 16, 65 + k, 1});
      store.macroNames.push_back(u"macro " + layout.slots.slot(s).caption);
      store.macroSteps.push_back(std::move(steps));
      const auto index = static_cast<std::int32_t>(store.macroSteps.size() - 1);
      store.keys.slot(s) = {store.macroNames.back(), tarsil::KindMacro, index};
      store.macroBindings[layout.slots.slot(s).vk] = index;
      store.assigned.push_back(s - 1);
    }
  }
  profiles.working = profiles.stores[static_cast<std::size_t>(profiles.activeProfile - 1)];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: settings_save_time.exe STAGE_FOLDER [SETTINGS]\n");
    return 2;
  }
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder =
      std::filesystem::path(temp) / (L"tarsil-save-" + std::to_wstring(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(std::filesystem::path(argv[1]) / L"Main.ini", folder / L"Main.ini");
  if (argc > 2) std::filesystem::copy_file(argv[2], folder / L"set.ini");

  tarsil::KeyboardSession session;
  session.start(tarsil::SessionFiles{folder / L"Main.ini", folder / L"set.ini"});
  if (!session.running()) return 1;
  KeepEverything keep;
  tarsil::ProfileSet& profiles = session.profiles();
  if (argc <= 2) {
    fillProfiles(profiles, session.layout());
    session.save(keep);
  }
  std::printf("set.ini: %ju bytes\n",
              static_cast<std::uintmax_t>(std::filesystem::file_size(folder / L"set.ini")));

  const std::uint64_t writesBefore = session.writeCount();
  std::vector<double> commits;
  std::vector<double> unchanged;
  std::vector<double> follows;
  const tarsil::KeyCode key = session.layout().slots.slot(60).vk;
  for (int i = 0; i < 200; ++i) {
    // A key edit, committed as the key settings dialog's OK commits it.
    profiles.working.translation[key] = {65 + i % 26};
    tarsil::CommitWorkingProfile(profiles);
    auto start = Clock::now();
    session.save(keep);
    commits.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    // A command that changed nothing, and the notification of our own write.
    start = Clock::now();
    session.save(keep);
    unchanged.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    start = Clock::now();
    session.followFile(keep);
    follows.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  const std::uint64_t commitWrites = session.writeCount() - writesBefore;
  std::vector<double> switches;
  for (int i = 0; i < 60; ++i) {
    tarsil::SwitchProfile(profiles, i % 3 + 1, keep);
    const auto start = Clock::now();
    session.save(keep);
    switches.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::printf("200 commits wrote set.ini %ju times\n", static_cast<std::uintmax_t>(commitWrites));
  report("save after a commit", commits);
  report("save after a command that changed nothing", unchanged);
  report("following the file after our own write", follows);
  report("save after a switch of profiles", switches);
  session.finish();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
