#include "ui/settings/key_settings_model.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "profile/profile_data.h"
#include "ui/settings/macro_editor.h"

namespace tarsil {
namespace {

constexpr KeyCode kA = 65;
constexpr KeyCode kB = 66;
constexpr KeyCode kF1 = 112;

// Presses and releases of the given codes, as recorded steps.
MacroStepList steps(std::initializer_list<std::pair<KeyCode, bool>> strokes) {
  MacroStepList list;
  for (const auto& [vk, down] : strokes) list.insert(list.end(), {0, vk, down ? 1 : 0});
  return list;
}

class Prompt : public MacroDeletePrompt {
 public:
  bool confirmDeleteBoundMacro() override {
    ++asked;
    return answer;
  }
  int asked = 0;
  bool answer = true;
};

class KeySettingsTest : public ::testing::Test {
 protected:
  KeySettingsTest() : model(shared, media) { addIdentityEntries(working, true); }

  // Opens the dialog for key F1 as the main window would.
  void open(std::int32_t kind, std::u16string name = u"F1", std::int32_t macroIndex = 0) {
    model.open({kF1, std::move(name), kind, macroIndex, macros}, working);
  }
  void capture(KeyCode vk, std::u16string name) {
    decideCapture(shared, KeyMessage::kKeyDown, static_cast<std::uint32_t>(vk), 0);
    model.keyCaptured(shared.capturedKey, std::move(name));
  }
  // A kind button clicked: its own click selects it, then the dialog acts.
  void click(int button, std::int32_t kind) {
    model.button(button).buttonDown();
    model.button(button).buttonUp(true);
    model.chooseKind(kind);
  }

  CaptureShared shared;
  MediaKeyTable media{{u"Play/Pause", 179}, {u"Nexttrack", 176}};
  TranslationTable working;
  MacroEditCopies macros;
  KeySettingsModel model;
  Prompt prompt;
};

TEST_F(KeySettingsTest, ASingleKeyIsTheKeyCapturedAndNamedInThisRun) {
  open(KindSingleKey);
  EXPECT_TRUE(model.captureWanted());
  EXPECT_EQ(model.keyNameBoxText(), u"F1");
  capture(kB, u"B");
  model.ok();
  EXPECT_EQ(working.at(kF1), KeyList{kB});
  EXPECT_EQ(model.exchange().assignmentName, u"B");
  EXPECT_FALSE(model.captureWanted());

  // Opened again and confirmed without a key: the key keeps what it does,
  // whatever an earlier run captured.
  open(KindSingleKey, u"B");
  model.ok();
  EXPECT_EQ(working.at(kF1), KeyList{kB});
  EXPECT_EQ(model.exchange().assignmentName, u"B");
}

TEST_F(KeySettingsTest, ClearThenOkPutsTheKeyBackToItself) {
  macros.macroBindings[kF1] = 0;
  open(KindFunctionKey, u"Copy");
  model.clear();
  EXPECT_EQ(model.kind(), KindSingleKey);
  EXPECT_TRUE(model.keyNameBoxVisible() && model.captureWanted());
  model.ok();
  EXPECT_EQ(working.at(kF1), KeyList{kF1});
  EXPECT_EQ(model.exchange().assignmentName, u"");
  EXPECT_TRUE(model.exchange().macros.macroBindings.empty());
}

TEST_F(KeySettingsTest, FunctionAndMultimediaKindsWriteTheirStrokes) {
  open(KindSingleKey);
  click(kFunctionButton, KindFunctionKey);
  // Picking from a list takes no key from the keyboard.
  EXPECT_FALSE(model.captureWanted());
  EXPECT_TRUE(model.functionListVisible() && !model.keyNameBoxVisible());
  model.chooseFunction(11);
  model.ok();
  EXPECT_EQ(working.at(kF1), (KeyList{18, 32, 78}));
  EXPECT_EQ(model.exchange().assignmentName, u"Minimize");

  // The lists open on the item the name begins with, case aside, searched
  // from the second item on.
  open(KindMultimedia, u"next");
  EXPECT_EQ(model.mediaItem(), 2);
  open(KindFunctionKey, u"select all");
  EXPECT_EQ(model.functionItem(), 8);
  open(KindFunctionKey, u"O");
  EXPECT_EQ(model.functionItem(), 0);  // only "Open" begins with O: found after wrapping
  // The profile keys follow the thirteen functions and send no strokes.
  open(KindFunctionKey, u"Next Profile");
  EXPECT_EQ(model.functionItem(), 16);
  model.ok();
  EXPECT_EQ(working.at(kF1), KeyList{});
  EXPECT_EQ(model.exchange().assignmentName, u"Next Profile");
  open(KindMultimedia, u"Nexttrack");
  model.ok();
  EXPECT_EQ(working.at(kF1), KeyList{176});
  // A name the layout has no code for leaves the key as it was.
  open(KindMultimedia, u"Refresh");
  model.ok();
  EXPECT_EQ(working.at(kF1), KeyList{176});
  EXPECT_EQ(model.exchange().assignmentName, u"Refresh");
}

TEST_F(KeySettingsTest, AMacroKeyPlaysTheChosenMacrosPresses) {
  macros.macroNames = {u"ab"};
  macros.macroSteps = {steps({{kA, true}, {kA, false}, {kB, true}, {kB, false}})};
  open(KindMacro, u"ab");
  EXPECT_TRUE(model.macroControlsVisible());
  EXPECT_EQ(model.macros().stepCount(), 4);
  model.ok();
  EXPECT_EQ(working.at(kF1), (KeyList{kA, kB}));
  EXPECT_EQ(model.exchange().macros.macroBindings.at(kF1), 0);
  EXPECT_EQ(model.exchange().assignmentName, u"ab");

  // With the only macro deleted there is nothing to play: the key types itself.
  open(KindMacro, u"ab");
  model.macros().remove(prompt);
  EXPECT_EQ(prompt.asked, 0);  // bound only in the working profile, not in this copy
  EXPECT_FALSE(model.macros().stepButtonsEnabled());
  model.ok();
  EXPECT_EQ(working.at(kF1), KeyList{kF1});
  EXPECT_EQ(model.exchange().kind, KindSingleKey);
  EXPECT_EQ(model.exchange().assignmentName, u"");
}

TEST_F(KeySettingsTest, ChoosingTheMacroKindOnAnEmptyListAddsAMacro) {
  open(KindSingleKey);
  click(kMacroButton, KindMacro);
  EXPECT_EQ(model.macros().entries(), std::vector<std::u16string>{u"define0"});
  EXPECT_EQ(model.macros().chosen(), 0);
  EXPECT_FALSE(model.button(kSingleKeyButton).selected());
  EXPECT_FALSE(model.captureWanted());
}

TEST_F(KeySettingsTest, TheMacroEditorEditsMacrosOnlyAndWritesNoEntry) {
  macros.macroNames = {u"define0"};
  macros.macroSteps = {{}};
  open(KindMacroEditor);
  EXPECT_FALSE(model.kindButtonVisible(kSingleKeyButton));
  EXPECT_TRUE(model.kindButtonVisible(kMacroButton));
  model.clear();  // opened for no key: nothing to clear
  EXPECT_EQ(model.kind(), KindMacroEditor);
  // The counter does not look at the names: a second define0.
  model.macros().add();
  EXPECT_EQ(model.macros().entries().back(), u"define0");
  model.macros().rename(u"fast");
  EXPECT_EQ(model.exchange().macros.macroNames[1], u"fast");
  EXPECT_EQ(model.macros().entries()[1], u"define0");  // until the list is filled again
  model.macros().refill();
  EXPECT_EQ(model.macros().entries()[1], u"fast");
  const TranslationTable before = working;
  model.ok();
  EXPECT_EQ(working, before);
  EXPECT_EQ(model.exchange().macros.macroNames.size(), 2u);
}

TEST_F(KeySettingsTest, DeletingAMacroAsksForBoundKeysAndKeepsLaterBindingsOnTheirMacro) {
  macros.macroNames = {u"one", u"two", u"three"};
  macros.macroSteps = {{}, {}, {}};
  macros.macroBindings = {{kA, 0}, {kB, 2}};
  open(KindMacroEditor);
  model.macros().choose(0);
  prompt.answer = false;
  model.macros().remove(prompt);
  EXPECT_EQ(model.macros().entries().size(), 3u);
  prompt.answer = true;
  model.macros().remove(prompt);
  EXPECT_EQ(prompt.asked, 2);
  const MacroEditCopies& after = model.exchange().macros;
  EXPECT_EQ(after.macroNames, (std::vector<std::u16string>{u"two", u"three"}));
  // A loses its macro; B goes on playing "three", now at index 1.
  EXPECT_EQ(after.macroBindings, (MacroBindings{{kB, 1}}));
  EXPECT_EQ(model.macros().chosen(), 0);
}

TEST_F(KeySettingsTest, RecordingAppendsPressesAndReleasesToTheChosenMacro) {
  macros.macroNames = {u"m"};
  macros.macroSteps = {{}};
  open(KindMacro, u"m");
  EXPECT_FALSE(model.toggleRecording(true));  // NumLock on: nothing to say
  EXPECT_TRUE(model.captureWanted());
  EXPECT_FALSE(model.macroChoiceEnabled());
  model.recordEvent({KeyMessage::kKeyDown, 65, 30, 0, 100});
  model.recordEvent({KeyMessage::kKeyDown, 65, 30, 0, 130});  // auto-repeat
  model.recordEvent({KeyMessage::kKeyUp, 65, 30, 0x80, 220});
  EXPECT_TRUE(model.toggleRecording(false));  // stopped with NumLock off: the user is told
  EXPECT_FALSE(model.button(kRecordButton).selected());
  EXPECT_EQ(model.exchange().macros.macroSteps[0],
            (MacroStepList{1966080, 65, 1, -2145517568, 65, 0}));
  EXPECT_EQ(model.macros().stepDelay(1), 120);

  model.macros().selectStep(0);
  model.macros().moveStepSelection(StepMove::kPrevious);  // no row before the first
  EXPECT_EQ(model.macros().selectedStep(), 0);
  model.macros().moveStepSelection(StepMove::kLast);
  model.macros().deleteStep();
  EXPECT_EQ(model.macros().stepCount(), 1);
  EXPECT_EQ(model.macros().selectedStep(), -1);  // there was no step after the last

  // With no macro chosen there is nothing to record into.
  model.macros().choose(-1);
  EXPECT_FALSE(model.toggleRecording(true));
  EXPECT_FALSE(model.recording());
}

TEST_F(KeySettingsTest, TheEditorTimesTheChosenMacroAndTimingsFollowTheirSteps) {
  macros.macroNames = {u"a", u"b"};
  macros.macroSteps = {steps({{kA, true}, {kA, false}}),
                       steps({{kB, true}, {kB, false}, {kA, true}})};
  macros.macroTimings = {{}, {MacroMode::kToggle, {0, 10, 20}}};
  open(KindMacroEditor);
  MacroEditor& editor = model.macros();
  editor.choose(1);
  EXPECT_EQ(editor.mode(), MacroMode::kToggle);
  EXPECT_EQ(editor.stepDelay(2), 20);
  EXPECT_FALSE(editor.delayEditable());
  editor.selectStep(1);
  EXPECT_EQ(editor.delayText(), u"10");
  // Typed digits are the step's delay, kept as typed; too much is the
  // limit, and the field says so; anything else puts the delay back.
  for (const auto& [typed, delay, shown] :
       {std::tuple{u"0250", 250, u"0250"}, std::tuple{u"99999", kMaxStepDelayMs, u"60000"},
        std::tuple{u"7x", kMaxStepDelayMs, u"60000"}, std::tuple{u"", 0, u""}}) {
    editor.typeDelay(typed);
    EXPECT_EQ(editor.stepDelay(1), delay);
    EXPECT_EQ(editor.delayText(), shown);
  }
  editor.typeAllDelays(u"abc");
  editor.applyDelayToAll();  // no number: nothing changes
  EXPECT_EQ(editor.stepDelay(0), 0);
  editor.typeAllDelays(u" 35 ");
  editor.applyDelayToAll();
  EXPECT_EQ(editor.stepDelay(0) + editor.stepDelay(1) + editor.stepDelay(2), 105);
  EXPECT_EQ(editor.delayText(), u"35");
  editor.deleteStep();  // its delay goes with it
  EXPECT_EQ(model.exchange().macros.macroTimings[1].delays, (std::vector<std::int32_t>{35, 35}));
  editor.clearDelays();
  editor.setMode(MacroMode::kSequenceOnce);
  // Macro 0 deleted: macro 1's timing moves down with it.
  editor.choose(0);
  editor.remove(prompt);
  const MacroTimings& timings = model.exchange().macros.macroTimings;
  ASSERT_EQ(timings.size(), 1u);
  EXPECT_EQ(timings[0].mode, MacroMode::kSequenceOnce);
  EXPECT_EQ(passDuration(timings[0], 2), 0);
  EXPECT_EQ(editor.mode(), MacroMode::kSequenceOnce);
}

TEST_F(KeySettingsTest, CancelChangesNothingAndForgetsTheCapturedKey) {
  open(KindSingleKey);
  capture(kB, u"B");
  model.cancel();
  EXPECT_EQ(working.at(kF1), KeyList{kF1});
  EXPECT_EQ(shared.capturedKey, kF1);
  EXPECT_FALSE(model.captureWanted());
}

// Both faces' step lists follow the steps by this: recording into a long
// macro adds one row, an edit keeps the rows above it, and a step cut
// short shows no row.
TEST(StepRows, KeepTheRowsWhoseStepsStay) {
  const std::vector<std::int32_t> shown = {65, 0, 1, 65, 0, 0};
  const std::vector<std::int32_t> recorded = {65, 0, 1, 65, 0, 0, 66, 0, 1};
  StepRows update = stepRows(recorded, shown);
  EXPECT_EQ(update.rows, 3u);
  EXPECT_EQ(update.kept, 2u);
  const std::vector<std::int32_t> edited = {65, 0, 1, 67, 0, 0};
  update = stepRows(edited, recorded);
  EXPECT_EQ(update.rows, 2u);
  EXPECT_EQ(update.kept, 1u);
  const std::vector<std::int32_t> cutShort = {65, 0, 1, 65, 0};
  update = stepRows(cutShort, {});
  EXPECT_EQ(update.rows, 1u);
  EXPECT_EQ(update.steps.size(), 3u);
  EXPECT_EQ(update.kept, 0u);
}

}  // namespace
}  // namespace tarsil
