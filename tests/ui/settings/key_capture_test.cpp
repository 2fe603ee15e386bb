#include "ui/settings/key_capture.h"

#include <vector>

#include "ui/settings/key_names.h"

#include "profile/macro_timing.h"

#include <gtest/gtest.h>

namespace tarsil {
namespace {

TEST(KeyCapture, KeyNameCodesCarryTheScanCodeAndTheFlagByte) {
  EXPECT_EQ(keyNameCode(30, 0x00), 1966080);       // A pressed
  EXPECT_EQ(keyNameCode(30, 0x80), -2145517568);   // A released: negative
  EXPECT_EQ(keyNameCode(0x36, 0x01), 0x00360000);  // right Shift, named as itself
  EXPECT_EQ(keyNameCode(0x1C, 0x01), 0x011C0000);  // keypad Enter keeps its extended bit
}

TEST(KeyCapture, KeypadKeysAreStoredAsKeypadCodes) {
  // The keypad's Enter is 108, press and release; the main Enter stays 13.
  EXPECT_EQ(captureCode(13, 0x01), 108);
  EXPECT_EQ(recordCode(13, 0x81), 108);
  EXPECT_EQ(recordCode(13, 0x80), 13);
  // With NumLock off the keypad's 7 arrives as Home without the extended
  // bit; the Home key itself has the bit.
  EXPECT_EQ(captureCode(36, 0x00), 103);
  EXPECT_EQ(captureCode(36, 0x01), 36);
  EXPECT_EQ(captureCode(34, 0x00), 99);
  // A release is normalised when recording, like its press.
  EXPECT_EQ(recordCode(36, 0x80), 103);
  EXPECT_EQ(captureCode(36, 0x80), 36);
  // Any other flag, such as an injected event's, leaves the code.
  EXPECT_EQ(recordCode(36, 0x10), 36);
}

TEST(KeyCapture, EveryKeyEventIsSwallowedAndGoesWhereTheDialogWantsIt) {
  CaptureShared shared;
  CaptureDecision press = decideCapture(shared, KeyMessage::kSysKeyDown, 65, 0x20);
  EXPECT_TRUE(press.swallow && press.nameCapturedKey && !press.recordStep);
  EXPECT_EQ(shared.capturedKey, 65);
  shared.dialogMode = 4;
  press = decideCapture(shared, KeyMessage::kKeyDown, 35, 0);
  EXPECT_TRUE(press.swallow && !press.nameCapturedKey && press.recordStep);
  EXPECT_EQ(shared.capturedKey, 97);
  const CaptureDecision release = decideCapture(shared, KeyMessage::kKeyUp, 35, 0x80);
  EXPECT_TRUE(release.swallow && release.recordStep);
  EXPECT_FALSE(decideCapture(shared, KeyMessage::kOther, 65, 0).swallow);
  // The macro player's strokes go on, neither captured nor recorded.
  const CaptureDecision played = decideCapture(shared, KeyMessage::kKeyUp, 66, 0x90, true);
  EXPECT_FALSE(played.swallow || played.recordStep || played.nameCapturedKey);
  EXPECT_EQ(shared.capturedKey, 97);
}

TEST(StepRecorder, RecordsEachKeysFirstPressAndItsReleaseWithTheTimeBetweenSteps) {
  StepRecorder recorder;
  recorder.start();
  RecordedStep step;
  const auto record = [&](KeyMessage message, std::uint32_t vk, std::uint32_t scan,
                          std::uint32_t flags, std::uint32_t time) {
    return recorder.record({message, vk, scan, flags, time}, step);
  };
  int kept = 0;
  // A held for a while: one press, auto-repeats dropped (their times too),
  // one release.
  for (std::uint32_t i = 0; i < 5; ++i)
    kept += record(KeyMessage::kKeyDown, 65, 30, 0, 1000 + i * 30);
  EXPECT_EQ(step.delayMs, 0);  // the first step waits for nothing
  kept += record(KeyMessage::kKeyUp, 65, 30, 0x80, 1250);
  EXPECT_EQ(kept, 2);
  EXPECT_EQ(step.vk, 65);
  EXPECT_FALSE(step.down);
  EXPECT_EQ(step.keyNameCode, -2145517568);
  EXPECT_EQ(step.delayMs, 250);
  // A key held when the recording started gives only its release; the time
  // stamp wraps after 49.7 days, and the delay runs across the wrap.
  EXPECT_TRUE(record(KeyMessage::kKeyUp, 66, 48, 0x80, 0xFFFFFFF0u));
  EXPECT_TRUE(record(KeyMessage::kKeyDown, 66, 48, 0, 0x10u));
  EXPECT_EQ(step.delayMs, 0x20);
  // A pause longer than a step may wait is held to the longest delay.
  EXPECT_TRUE(record(KeyMessage::kKeyUp, 66, 48, 0x80, 0x10u + 90000));
  EXPECT_EQ(step.delayMs, kMaxStepDelayMs);
  // No key code beyond a byte: its press is dropped, its release kept.
  EXPECT_FALSE(record(KeyMessage::kKeyDown, 255, 0, 0, 0));
  EXPECT_TRUE(record(KeyMessage::kKeyUp, 255, 0, 0x80, 0));
  // A key still held when a recording stops does not lose its next press,
  // and a new recording starts its time afresh.
  record(KeyMessage::kKeyDown, 67, 46, 0, 500);
  recorder.start();
  EXPECT_TRUE(record(KeyMessage::kKeyDown, 67, 46, 0, 9000));
  EXPECT_EQ(step.delayMs, 0);
}

}  // namespace
}  // namespace tarsil

namespace tarsil {
namespace {

// Keys a keyboard reports, recorded as the Windows hook would have seen
// them: the same steps, key-name codes included, whatever system recorded.
TEST(HookEventMaker, AltHeldKeysRecordWithTheHooksFlagsAndTheirWindowsNames) {
  HookEventMaker maker;
  StepRecorder recorder;
  recorder.start();
  std::vector<RecordedStep> steps;
  const auto report = [&](PhysicalKey key, bool down, std::uint32_t time) {
    RecordedStep step;
    if (recorder.record(maker.make(key, down, time), step)) steps.push_back(step);
  };
  const PhysicalKey rightAlt{165, 0x38, true};
  const PhysicalKey tab{9, 0x0F, false};
  const PhysicalKey rightShift{161, 0x36, false};
  report(rightAlt, true, 0);
  report(tab, true, 10);
  report(tab, false, 20);
  report(rightAlt, false, 30);
  report(rightShift, true, 40);
  report(rightShift, false, 50);
  ASSERT_EQ(steps.size(), 6u);
  // While Alt is down every event carries the Alt bit, Alt's own press too;
  // its release does not.
  EXPECT_EQ(steps[0].keyNameCode, 0x21380000);
  EXPECT_EQ(steps[1].keyNameCode, 0x200F0000);
  EXPECT_EQ(steps[2].keyNameCode, static_cast<std::int32_t>(0xA00F0000u));
  EXPECT_EQ(steps[3].keyNameCode, static_cast<std::int32_t>(0x81380000u));
  // Right Shift comes with the extended bit; its press is named as the plain key.
  EXPECT_EQ(steps[4].keyNameCode, 0x00360000);
  EXPECT_EQ(steps[5].keyNameCode, static_cast<std::int32_t>(0x81360000u));
  EXPECT_EQ(keyNameText(steps[0].keyNameCode), u"Right Alt");
  EXPECT_EQ(keyNameText(steps[2].keyNameCode), u"Tab");
  EXPECT_EQ(keyNameText(steps[5].keyNameCode), u"Right Shift");
  // The keypad's keys and the navigation block share scan codes; the
  // extended bit tells them apart, as does Pause from NumLock.
  EXPECT_EQ(keyNameText(keyNameCode(0x47, 0x00)), u"Num 7");
  EXPECT_EQ(keyNameText(keyNameCode(0x47, 0x01)), u"Home");
  EXPECT_EQ(keyNameText(keyNameCode(0x1C, 0x81)), u"Num Enter");
  EXPECT_EQ(keyNameText(keyNameCode(0x45, 0x00)), u"Pause");
  EXPECT_EQ(keyNameText(keyNameCode(0x45, 0x01)), u"Num Lock");
  // A media key has no name of its own.
  EXPECT_EQ(keyNameText(keyNameCode(0x22, 0x01)), u"");
  // After the window lost the keys, no Alt counts as held.
  maker.make(rightAlt, true, 60);
  maker.reset();
  EXPECT_EQ(maker.make(tab, true, 70).flags, 0u);
}

}  // namespace
}  // namespace tarsil
