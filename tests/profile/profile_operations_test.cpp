#include "profile/profile_operations.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "profile/settings_file.h"
#include "test_layout.h"

namespace tarsil {
namespace {

using testing::kKeyA;
using testing::kKeyB;
using testing::kKeyF;
using testing::makeLayout;

class ScriptedPrompt : public SavePrompt {
 public:
  explicit ScriptedPrompt(bool answer) : answer_(answer) {}
  bool confirmSaveChanges() override {
    ++asked;
    return answer_;
  }
  int asked = 0;

 private:
  bool answer_;
};

ProfileSet loaded(const MainLayout& layout) {
  ProfileSet profiles;
  loadSettings(profiles, layout, ini::IniDocument::parse("[TYPE]\ntype=1\n"));
  return profiles;
}

TEST(ProfileSet, StartsWithIdentityTablesAndEmptyLists) {
  ProfileSet profiles;
  for (const ProfileData* p : {&profiles.working, &profiles.stores[0], &profiles.stores[2]}) {
    EXPECT_EQ(p->translation.size(), 254u);
    EXPECT_EQ(p->translation.at(1), KeyList{1});
    EXPECT_EQ(p->translation.at(254), KeyList{254});
    EXPECT_FALSE(p->translation.contains(255));
  }
}

TEST(Commit, CopiesIntoTheActiveStoreAndClearsTheFlag) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  profiles.activeProfile = 2;
  profiles.working.translation[kKeyA] = {kKeyB};
  profiles.modified = true;
  CommitWorkingProfile(profiles);
  EXPECT_EQ(profiles.stores[1], profiles.working);
  EXPECT_NE(profiles.stores[0], profiles.working);
  EXPECT_FALSE(profiles.modified);
}

TEST(SwitchProfile, AnsweredOkKeepsTheChangesInTheProfileLeft) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  profiles.stores[1].translation[kKeyA] = {kKeyF};
  profiles.working.translation[kKeyA] = {kKeyB};
  profiles.modified = true;
  ScriptedPrompt ok(true);
  SwitchProfile(profiles, 2, ok);
  EXPECT_EQ(ok.asked, 1);
  EXPECT_EQ(profiles.activeProfile, 2);
  EXPECT_EQ(profiles.stores[0].translation.at(kKeyA), KeyList{kKeyB});
  EXPECT_EQ(profiles.working.translation.at(kKeyA), KeyList{kKeyF});
  EXPECT_FALSE(profiles.modified);
}

TEST(SwitchProfile, AnsweredCancelDiscardsTheChangesAndStillSwitches) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  profiles.working.translation[kKeyA] = {kKeyB};
  profiles.modified = true;
  ScriptedPrompt cancel(false);
  SwitchProfile(profiles, 3, cancel);
  EXPECT_EQ(cancel.asked, 1);
  EXPECT_EQ(profiles.activeProfile, 3);
  EXPECT_EQ(profiles.stores[0].translation.at(kKeyA), KeyList{kKeyA});
  EXPECT_FALSE(profiles.modified);
}

TEST(SwitchProfile, ToTheActiveProfileRevertsWithoutAskingAndKeepsTheFlag) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  profiles.working.translation[kKeyA] = {kKeyB};
  profiles.modified = true;
  ScriptedPrompt prompt(true);
  SwitchProfile(profiles, 1, prompt);
  EXPECT_EQ(prompt.asked, 0);
  EXPECT_EQ(profiles.working.translation.at(kKeyA), KeyList{kKeyA});
  EXPECT_TRUE(profiles.modified);
}

TEST(SwitchProfile, UnmodifiedSwitchAsksNothingAndIgnoresBadNumbers) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  ScriptedPrompt prompt(true);
  SwitchProfile(profiles, 4, prompt);
  SwitchProfile(profiles, 0, prompt);
  EXPECT_EQ(profiles.activeProfile, 1);
  SwitchProfile(profiles, 2, prompt);
  EXPECT_EQ(prompt.asked, 0);
  EXPECT_EQ(profiles.activeProfile, 2);
}

TEST(RestoreDefaults, EveryKeyTypesItselfAndTheActiveStoreFollows) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  profiles.activeProfile = 3;
  ProfileData& w = profiles.working;
  w.translation.erase(7);
  w.translation[kKeyA] = {17, 67};
  w.translation[300] = {1};  // an entry outside 1..254 is left where it is
  w.keys[0] = {u"Copy", KindFunctionKey, 0};
  w.assigned = {0};
  w.macroNames = {u"m"};
  w.macroSteps = {{1, 2, 1}};
  w.macroBindings = {{kKeyB, 0}};
  RestoreDefaults(profiles, layout.slots);
  for (KeyCode v = 1; v <= 254; ++v) EXPECT_EQ(w.translation.at(v), KeyList{v});
  EXPECT_EQ(w.translation.at(300), KeyList{1});
  EXPECT_EQ(w.keys[0], (KeyAssignment{u"A", KindSingleKey, 0}));
  EXPECT_EQ(w.keys[122].name, u"Macro..");
  EXPECT_TRUE(w.assigned.empty());
  EXPECT_TRUE(w.macroNames.empty() && w.macroSteps.empty() && w.macroBindings.empty());
  EXPECT_EQ(profiles.stores[2], w);
  EXPECT_FALSE(profiles.modified);
}

TEST(RecordKeyEdit, AssignsHighlightsAndCommitsAtOnce) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  profiles.working.translation[kKeyA] = {17, 67};  // what the dialog wrote
  recordKeyEdit(profiles, layout.slots, 1, {u"Copy", KindFunctionKey, 0, {}});
  EXPECT_EQ(profiles.working.keys[0], (KeyAssignment{u"Copy", KindFunctionKey, 0}));
  EXPECT_EQ(profiles.working.assigned, std::vector<std::int32_t>{0});
  EXPECT_EQ(profiles.stores[0].translation.at(kKeyA), (KeyList{17, 67}));
  EXPECT_FALSE(profiles.modified);

  // Editing again does not list the key twice.
  recordKeyEdit(profiles, layout.slots, 1, {u"Paste", KindFunctionKey, 0, {}});
  EXPECT_EQ(profiles.working.assigned, std::vector<std::int32_t>{0});
}

TEST(RecordKeyEdit, ANameEqualToTheCaptionOrEmptyUnassignsWhateverTheKind) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  profiles.working.assigned = {1, 0};
  recordKeyEdit(profiles, layout.slots, 1, {u"A", KindMultimedia, 0, {}});
  EXPECT_EQ(profiles.working.assigned, std::vector<std::int32_t>{1});
  EXPECT_EQ(profiles.working.keys[0].kind, KindMultimedia);
  recordKeyEdit(profiles, layout.slots, 2, {u"", KindSingleKey, 0, {}});
  EXPECT_TRUE(profiles.working.assigned.empty());
  EXPECT_EQ(profiles.working.keys[1].name, u"B");
}

TEST(RecordKeyEdit, SlotsPastTheAssignableKeysAreRefused) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = loaded(layout);
  const ProfileSet before = profiles;
  recordKeyEdit(profiles, layout.slots, 105, {u"x", KindSingleKey, 0, {}});
  recordKeyEdit(profiles, layout.slots, 0, {u"x", KindSingleKey, 0, {}});
  EXPECT_EQ(profiles.working, before.working);
}

// Key A plays macro 0, key B macro 1; both highlighted.
ProfileSet twoMacroKeys(const MainLayout& layout) {
  ProfileSet profiles = loaded(layout);
  ProfileData& w = profiles.working;
  w.macroNames = {u"first", u"second"};
  w.macroSteps = {{0, 67, 1, 0, 67, 0}, {0, 68, 1, 0, 69, 1}};
  w.macroBindings = {{kKeyA, 0}, {kKeyB, 1}};
  w.keys[0] = {u"first", KindMacro, 0};
  w.keys[1] = {u"second", KindMacro, 1};
  w.translation[kKeyA] = {67};
  w.translation[kKeyB] = {68, 69};
  w.assigned = {0, 1};
  CommitWorkingProfile(profiles);
  return profiles;
}

TEST(ProfileKeys, TheFourItemsLoadAsActionsThatTypeNothingAndLeaveWithTheirKind) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  loadSettings(profiles, layout,
               ini::IniDocument::parse("[Profile1]\nIndexPic65=3\nSetName65=Profile 3\n"
                                       "IndexPic66=3\nSetName66=Next Profile\n"
                                       "IndexPic70=3\nSetName70=profile 2\n"));
  ProfileData& store = profiles.stores[0];
  EXPECT_EQ(store.actions,
            (KeyActionTable{{kKeyA, {KeyActionKind::kSwitchProfile, 3}},
                            {kKeyB, {KeyActionKind::kSwitchProfile, kNextProfile}}}));
  // Empty entries: should the actions ever be missed, the keys type nothing.
  EXPECT_EQ(store.translation.at(kKeyA), KeyList{});
  EXPECT_EQ(store.translation.at(kKeyF), KeyList{});  // names compare with case
  EXPECT_EQ(profileKeyTarget(store.actions.at(kKeyA), 1), 3);
  EXPECT_EQ(profileKeyTarget(store.actions.at(kKeyB), 1), 2);
  EXPECT_EQ(profileKeyTarget(store.actions.at(kKeyB), 3), 1);

  // Given another kind, the key is no profile key any more.
  recordKeyEdit(profiles, layout.slots, 1, {u"Copy", KindFunctionKey, 0, {}});
  EXPECT_FALSE(profiles.stores[0].actions.contains(kKeyA));
  RestoreDefaults(profiles, layout.slots);
  EXPECT_TRUE(profiles.stores[0].actions.empty());
}

TEST(Rebinding, MacroEditorDeletingAMacroSendsItsKeyBackToItself) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = twoMacroKeys(layout);
  MacroEditCopies copies{{{kKeyB, 1}}, {u"first", u"renamed"}, {{0, 67, 1}, {0, 70, 1}}};
  recordMacroEditorResult(profiles, layout.slots, copies);
  const ProfileData& w = profiles.working;
  EXPECT_EQ(w.keys[0], (KeyAssignment{u"A", KindSingleKey, 0}));
  EXPECT_EQ(w.translation.at(kKeyA), KeyList{kKeyA});
  EXPECT_EQ(w.keys[1], (KeyAssignment{u"renamed", KindMacro, 1}));  // follows the rename
  EXPECT_EQ(w.translation.at(kKeyB), KeyList{70});
  EXPECT_EQ(w.assigned, std::vector<std::int32_t>{1});
  EXPECT_EQ(w.macroBindings, (MacroBindings{{kKeyB, 1}}));
  // Nothing reaches the hook until Apply.
  EXPECT_TRUE(profiles.modified);
  EXPECT_EQ(profiles.stores[0].translation.at(kKeyB), (KeyList{68, 69}));
}

TEST(Rebinding, AMacroGivenAModeMakesItsKeysActionsAndAChordMakesThemEntriesAgain) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = twoMacroKeys(layout);
  profiles.working.actions[kKeyF] = {KeyActionKind::kSwitchProfile, 2};  // not a macro's: stays
  MacroEditCopies copies{profiles.working.macroBindings,
                         profiles.working.macroNames,
                         profiles.working.macroSteps,
                         {{}, {MacroMode::kToggle, {0, 50}}}};
  recordMacroEditorResult(profiles, layout.slots, copies);
  EXPECT_EQ(profiles.working.actions,
            (KeyActionTable{{kKeyB, {KeyActionKind::kPlayMacro, 1}},
                            {kKeyF, {KeyActionKind::kSwitchProfile, 2}}}));
  copies.macroTimings = {{}, {MacroMode::kChord, {0, 50}}};
  recordMacroEditorResult(profiles, layout.slots, copies);
  EXPECT_EQ(profiles.working.actions.count(kKeyB), 0u);
  EXPECT_EQ(profiles.working.translation.at(kKeyB), (KeyList{68, 69}));
  EXPECT_EQ(profiles.working.macroTimings, (MacroTimings{{}, {MacroMode::kChord, {0, 50}}}));
}

TEST(Rebinding, KeyDialogResetsOnlyKeysThatAreStillMacros) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = twoMacroKeys(layout);
  // The dialog gave key A a function and dropped its binding; key B's binding
  // vanished too, but B is still a macro key, so it goes back to itself.
  profiles.working.translation[kKeyA] = {17, 86};
  recordKeyEdit(profiles, layout.slots, 1,
                {u"Paste", KindFunctionKey, 0, {{}, {u"first", u"second"}, {{}, {}}}});
  const ProfileData& w = profiles.working;
  EXPECT_EQ(w.keys[0], (KeyAssignment{u"Paste", KindFunctionKey, 0}));
  EXPECT_EQ(w.translation.at(kKeyA), (KeyList{17, 86}));
  EXPECT_EQ(w.keys[1], (KeyAssignment{u"B", KindSingleKey, 0}));
  EXPECT_EQ(w.translation.at(kKeyB), KeyList{kKeyB});
  EXPECT_EQ(w.assigned, std::vector<std::int32_t>{0});
  EXPECT_EQ(profiles.stores[0], w);
}

TEST(Rebinding, DeletingAnEarlierMacroNeverReadsPastTheList) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = twoMacroKeys(layout);
  // Macro 0 deleted; bindings are not renumbered, so B still points at 1,
  // which no longer exists: it goes back to itself and loses the binding.
  MacroEditCopies copies{{{kKeyB, 1}}, {u"second"}, {{0, 68, 1}}};
  recordMacroEditorResult(profiles, layout.slots, copies);
  const ProfileData& w = profiles.working;
  EXPECT_EQ(w.keys[1], (KeyAssignment{u"B", KindSingleKey, 0}));
  EXPECT_EQ(w.translation.at(kKeyB), KeyList{kKeyB});
  EXPECT_TRUE(w.macroBindings.empty());
  EXPECT_TRUE(w.assigned.empty());
}

TEST(Rebinding, ABindingThatStaysInRangeTakesWhateverMacroNowStandsThere) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = twoMacroKeys(layout);
  profiles.working.macroBindings = {{kKeyB, 1}};
  profiles.working.keys[0] = {u"A", KindSingleKey, 0};
  profiles.working.assigned = {1};
  MacroEditCopies copies{{{kKeyB, 1}}, {u"second", u"third"}, {{0, 68, 1}, {0, 71, 1}}};
  recordMacroEditorResult(profiles, layout.slots, copies);
  EXPECT_EQ(profiles.working.keys[1], (KeyAssignment{u"third", KindMacro, 1}));
  EXPECT_EQ(profiles.working.translation.at(kKeyB), KeyList{71});
}

}  // namespace
}  // namespace tarsil
