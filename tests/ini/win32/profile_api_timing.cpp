// Times a whole settings load: the system's profile functions with one call
// per key (as the program's loader reads set.ini), against the engine reading
// the file once and answering the same reads. Not a test; run it by hand:
//   wine profile_api_timing.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "ini/ini_file.h"
#include "sample_settings.h"

namespace {

using Clock = std::chrono::steady_clock;
using tarsil::ini::sample::Read;

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// What the loader does: every read a call of its own, strings into 260
// characters.
long long profileFunctionsLoad(const std::vector<Read>& reads, const std::wstring& file) {
  long long checksum = 0;
  wchar_t buffer[260];
  for (const Read& read : reads) {
    const std::wstring section = wide(read.section);
    const std::wstring key = wide(read.key);
    if (read.text) {
      checksum +=
          GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, 260, file.c_str());
    } else {
      checksum +=
          static_cast<int>(GetPrivateProfileIntW(section.c_str(), key.c_str(), 0, file.c_str()));
    }
  }
  return checksum;
}

long long engineLoad(const std::vector<Read>& reads, const std::filesystem::path& file) {
  const tarsil::ini::ReadResult result = tarsil::ini::readIniFile(file);
  long long checksum = 0;
  for (const Read& read : reads) {
    if (read.text) {
      checksum += static_cast<long long>(
          std::min<std::size_t>(result.document.getString(read.section, read.key).size(), 259));
    } else {
      checksum += result.document.getInt(read.section, read.key, 0);
    }
  }
  return checksum;
}

template <typename Load>
double medianMilliseconds(int runs, Load load, long long& checksum) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    checksum = load();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("tarsil-timing-" + std::to_string(GetCurrentProcessId()) + ".ini");
  const std::string bytes = tarsil::ini::sample::makeSettings().serialize();
  if (!tarsil::ini::writeFileAtomically(file, bytes).ok()) {
    std::fprintf(stderr, "cannot write %ls\n", file.c_str());
    return 1;
  }
  const std::vector<Read> reads = tarsil::ini::sample::loaderReads();

  long long systemSum = 0;
  long long engineSum = 0;
  const double system = medianMilliseconds(
      9, [&] { return profileFunctionsLoad(reads, file.wstring()); }, systemSum);
  const double engine = medianMilliseconds(
      9, [&] { return engineLoad(reads, file); }, engineSum);
  DeleteFileW(file.c_str());

  std::printf("settings file: %zu bytes, %zu reads\n", bytes.size(), reads.size());
  std::printf("profile functions, one call per read: %8.3f ms\n", system);
  std::printf("engine, read file once + lookups:     %8.3f ms\n", engine);
  std::printf("ratio: %.1fx\n", system / engine);
  if (systemSum != engineSum) {
    std::printf("results differ: %lld vs %lld\n", systemSum, engineSum);
    return 1;
  }
  return 0;
}
