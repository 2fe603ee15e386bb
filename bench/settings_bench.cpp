// Start-up load and exit save of a full settings file: three profiles with
// all 121 keys assigned and 20 macros of 50 steps each, on the shipped layout.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "ini/ini_file.h"
#include "profile/settings_file.h"

namespace {

using namespace tarsil;

const std::filesystem::path kSource = TARSIL_SOURCE_DIR;

MainLayout shippedLayout() {
  return readMainLayout(ini::readIniFile(kSource / "assets" / "Main.ini").document);
}

ProfileSet fullProfiles(const MainLayout& layout) {
  ProfileSet profiles;
  for (ProfileData& store : profiles.stores) {
    for (int m = 0; m < 20; ++m) {
      MacroStepList steps;
      for (int k = 0; k < 25; ++k) {
        const KeyCode vk = 65 + (m + k) % 26;
        steps.insert(steps.end(),
                     {(30 + k) << 16, vk, 1,
                      static_cast<std::int32_t>(0x80000000u | ((30u + k) << 16)), vk, 0});
      }
      store.macroNames.push_back(u"Macro number " + ini::formatInt(m));
      store.macroSteps.push_back(std::move(steps));
    }
    for (int s = 0; s < kLastStoredSlot; ++s) {
      const KeyCode vk = layout.slots[static_cast<std::size_t>(s)].vk;
      switch (s % 4) {
        case 0:
          store.keys[static_cast<std::size_t>(s)] = {u"Some other key", KindSingleKey, 0};
          store.translation[vk] = {65 + s % 26};
          break;
        case 1:
          store.keys[static_cast<std::size_t>(s)] = {u"Macro", KindMacro, s % 20};
          break;
        case 2:
          store.keys[static_cast<std::size_t>(s)] = {u"Play/Pause", KindMultimedia, 0};
          break;
        default:
          store.keys[static_cast<std::size_t>(s)] = {u"Select ALL", KindFunctionKey, 0};
          break;
      }
      store.assigned.push_back(s);
    }
  }
  return profiles;
}

std::string fullSettingsBytes(const MainLayout& layout) {
  const ProfileSet profiles = fullProfiles(layout);
  ini::IniDocument file;
  for (int p = 1; p <= kProfileCount; ++p) SaveProfile(profiles, layout.slots, file, p);
  file.setInt(kTypeSection, kTypeKey, 2);
  return file.serialize();
}

// Parsing the bytes and loading the three profiles, as start-up does.
void BM_StartupLoad(benchmark::State& state) {
  const MainLayout layout = shippedLayout();
  const std::string bytes = fullSettingsBytes(layout);
  for (auto _ : state) {
    ProfileSet profiles;
    loadSettings(profiles, layout, ini::IniDocument::parse(bytes));
    benchmark::DoNotOptimize(profiles);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMillisecond);

// Everything start-up does while the keyboard hook is already installed:
// read Main.ini and set.ini from disk, parse both, load the profiles.
void BM_StartupFromFiles(benchmark::State& state) {
  const MainLayout layout = shippedLayout();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tarsil-bench";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "set.ini", std::ios::binary) << fullSettingsBytes(layout);
  std::filesystem::copy_file(kSource / "assets" / "Main.ini", folder / "Main.ini",
                             std::filesystem::copy_options::overwrite_existing);
  for (auto _ : state) {
    const MainLayout read = readMainLayout(ini::readIniFile(folder / "Main.ini").document);
    ProfileSet profiles;
    loadSettings(profiles, read, ini::readIniFile(folder / "set.ini").document);
    benchmark::DoNotOptimize(profiles);
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_StartupFromFiles)->Unit(benchmark::kMillisecond);

// The exit save in memory: three sections rewritten and the file's bytes built.
void BM_ExitSaveInMemory(benchmark::State& state) {
  const MainLayout layout = shippedLayout();
  const std::string bytes = fullSettingsBytes(layout);
  ProfileSet profiles;
  loadSettings(profiles, layout, ini::IniDocument::parse(bytes));
  const ini::IniDocument current = ini::IniDocument::parse(bytes);
  for (auto _ : state) {
    ini::IniDocument file = current;
    for (int p = 1; p <= kProfileCount; ++p) SaveProfile(profiles, layout.slots, file, p);
    file.setInt(kTypeSection, kTypeKey, profiles.activeProfile);
    benchmark::DoNotOptimize(file.serialize());
  }
}
BENCHMARK(BM_ExitSaveInMemory)->Unit(benchmark::kMillisecond);

// The whole exit save: read the old file, rewrite, replace it on disk
// (temporary file, flushed, renamed over the old one). One key changes at
// every save; a save that changes nothing leaves the file alone and costs a
// read (BM_ExitSaveUnchanged).
void exitSave(benchmark::State& state, bool change) {
  const MainLayout layout = shippedLayout();
  const std::string bytes = fullSettingsBytes(layout);
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tarsil-bench-save";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "set.ini", std::ios::binary) << bytes;
  ProfileSet profiles;
  loadSettings(profiles, layout, ini::IniDocument::parse(bytes));
  for (auto _ : state) {
    if (change) ++profiles.working.keys[0].macroIndex;
    if (!saveSettings(profiles, layout.slots, folder / "set.ini").ok()) {
      state.SkipWithError("save failed");
    }
  }
  std::filesystem::remove_all(folder);
}
void BM_ExitSaveToDisk(benchmark::State& state) { exitSave(state, true); }
void BM_ExitSaveUnchanged(benchmark::State& state) { exitSave(state, false); }
BENCHMARK(BM_ExitSaveToDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExitSaveUnchanged)->Unit(benchmark::kMillisecond);

// The largest file the loader accepts, as the saver writes it: every list at
// its limit, every name 259 CJK characters (so the file is UTF-16), the
// profile's million step numbers at eleven characters each. Start-up reads
// and loads it with the keyboard hook not yet installed; figures of memory
// are measured with /usr/bin/time on tarsilctl (see the README).
std::string largestSettingsBytes(const MainLayout& layout) {
  ProfileSet profiles;
  const std::u16string name = u" " + std::u16string(kMaxNameLength - 1, u'\u5B8F');
  for (ProfileData& store : profiles.stores) {
    for (int s = 0; s < kLastStoredSlot; ++s) {
      store.keys[static_cast<std::size_t>(s)] = {name, KindSingleKey, INT32_MIN};
    }
    store.macroNames.assign(kMaxListCount, name);
    store.macroSteps.assign(kMaxListCount, {});
    const std::int64_t perMacro = kMaxProfileIntegers / 4 / 3 * 3;
    for (int m = 0; m < 4; ++m) {
      store.macroSteps[static_cast<std::size_t>(m)].assign(static_cast<std::size_t>(perMacro),
                                                           INT32_MIN);
    }
    store.assigned.assign(kMaxListCount, kSlotCount - 1);
  }
  ini::IniDocument file;
  file.setInt(kTypeSection, kTypeKey, 1);
  for (int p = 1; p <= kProfileCount; ++p) SaveProfile(profiles, layout.slots, file, p);
  return file.serialize();
}

void BM_StartupLargestAcceptedFile(benchmark::State& state) {
  const MainLayout layout = shippedLayout();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "tarsil-bench-largest";
  std::filesystem::create_directories(folder);
  const std::string bytes = largestSettingsBytes(layout);
  if (bytes.size() > static_cast<std::size_t>(kMaxSettingsFileBytes)) {
    state.SkipWithError("the generated file is larger than the loader accepts");
  }
  std::ofstream(folder / "set.ini", std::ios::binary) << bytes;
  for (auto _ : state) {
    const ini::ReadResult read = ini::readIniFile(folder / "set.ini", settingsReadOptions(nullptr));
    if (!read.status.ok()) state.SkipWithError(read.status.error.c_str());
    ProfileSet profiles;
    loadSettings(profiles, layout, read.document);
    benchmark::DoNotOptimize(profiles);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
  state.counters["limit"] = static_cast<double>(kMaxSettingsFileBytes);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_StartupLargestAcceptedFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
