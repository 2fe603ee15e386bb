// The INI engine on a whole settings file: three profiles of 121 key slots
// and 20 macros of about 300 characters each.
#include <benchmark/benchmark.h>

#include "../tests/ini/sample_settings.h"
#include "ini/ini_document.h"

namespace {

using tarsil::ini::IniDocument;
namespace sample = tarsil::ini::sample;

const std::string& settingsBytes() {
  static const std::string bytes = sample::makeSettings().serialize();
  return bytes;
}

// What the loader does at start-up: read the file, then one lookup per key.
void BM_ParseAndLoaderReads(benchmark::State& state) {
  const std::string& bytes = settingsBytes();
  const std::vector<sample::Read> reads = sample::loaderReads();
  for (auto _ : state) {
    const IniDocument doc = IniDocument::parse(bytes);
    std::int64_t sum = 0;
    for (const sample::Read& read : reads) {
      if (read.text) {
        sum += static_cast<std::int64_t>(doc.getString(read.section, read.key).size());
      } else {
        sum += doc.getInt(read.section, read.key, 0);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.counters["reads"] = static_cast<double>(reads.size());
}
BENCHMARK(BM_ParseAndLoaderReads)->Unit(benchmark::kMillisecond);

void BM_Parse(benchmark::State& state) {
  const std::string& bytes = settingsBytes();
  for (auto _ : state) benchmark::DoNotOptimize(IniDocument::parse(bytes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

// What the saver does at exit: empty each section, write it key by key.
void BM_SaveAllProfiles(benchmark::State& state) {
  const IniDocument loaded = IniDocument::parse(settingsBytes());
  for (auto _ : state) {
    IniDocument doc = loaded;
    benchmark::DoNotOptimize(doc = sample::makeSettings());
  }
}
BENCHMARK(BM_SaveAllProfiles)->Unit(benchmark::kMillisecond);

void BM_Serialize(benchmark::State& state) {
  const IniDocument doc = IniDocument::parse(settingsBytes());
  for (auto _ : state) benchmark::DoNotOptimize(doc.serialize());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * settingsBytes().size()));
}
BENCHMARK(BM_Serialize)->Unit(benchmark::kMillisecond);

// No operation may grow faster than the file: ten times the sections, ten
// times the time.
void BM_ParseAndReadScaling(benchmark::State& state) {
  const int copies = static_cast<int>(state.range(0));
  IniDocument big;
  std::vector<std::pair<std::u16string, std::u16string>> keys;
  for (int s = 0; s < 3 * copies; ++s) {
    const std::u16string section = u"Profile" + tarsil::ini::formatInt(s);
    for (int k = 0; k < 500; ++k) {
      const std::u16string key = u"Key" + tarsil::ini::formatInt(k);
      big.setInt(section, key, k);
      keys.emplace_back(section, key);
    }
  }
  const std::string bytes = big.serialize();
  for (auto _ : state) {
    const IniDocument doc = IniDocument::parse(bytes);
    std::int64_t sum = 0;
    for (const auto& [section, key] : keys) sum += doc.getInt(section, key, 0);
    benchmark::DoNotOptimize(sum);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseAndReadScaling)
    ->RangeMultiplier(4)
    ->Range(1, 64)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace
