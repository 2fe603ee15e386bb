// The settings dialog's capture hook decides every key event of the desktop
// while it is installed: the decision and, while recording, the recorder.
#include <benchmark/benchmark.h>

#include "ui/settings/key_capture.h"

namespace {

using namespace tarsil;

void BM_CaptureDecision(benchmark::State& state) {
  CaptureShared shared;
  shared.dialogMode = 1;
  std::uint32_t vk = 65;
  for (auto _ : state) {
    vk = vk == 90 ? 65 : vk + 1;
    benchmark::DoNotOptimize(decideCapture(shared, KeyMessage::kKeyDown, vk, 0));
  }
}
BENCHMARK(BM_CaptureDecision);

// A press and a release of a new key each time, and an auto-repeat dropped.
void BM_RecorderPressRepeatRelease(benchmark::State& state) {
  StepRecorder recorder;
  recorder.start();
  RecordedStep step;
  std::uint32_t vk = 65;
  std::uint32_t time = 0;
  for (auto _ : state) {
    vk = vk == 90 ? 65 : vk + 1;
    time += 40;
    benchmark::DoNotOptimize(recorder.record({KeyMessage::kKeyDown, vk, 30, 0, time}, step));
    benchmark::DoNotOptimize(recorder.record({KeyMessage::kKeyDown, vk, 30, 0, time + 30}, step));
    benchmark::DoNotOptimize(recorder.record({KeyMessage::kKeyUp, vk, 30, 0x80, time + 35}, step));
  }
  state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(BM_RecorderPressRepeatRelease);

}  // namespace
