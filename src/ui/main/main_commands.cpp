#include "ui/main/main_commands.h"

#include <array>
#include <utility>

namespace tarsil {

SkinButton skinButtonFor(std::u16string_view caption) {
  static constexpr std::array<std::pair<std::u16string_view, SkinButton>, 11> kButtons = {{
      {u"Close", SkinButton::kClose},
      {u"Macro..", SkinButton::kMacro},
      {u"Minimize", SkinButton::kMinimize},
      {u"Menu", SkinButton::kMenu},
      {u"Apply", SkinButton::kApply},
      {u"OK", SkinButton::kOk},
      {u"Cancel", SkinButton::kCancel},
      {u"Default", SkinButton::kDefault},
      {u"Profile1", SkinButton::kProfile1},
      {u"Profile2", SkinButton::kProfile2},
      {u"Profile3", SkinButton::kProfile3},
  }};
  for (const auto& [name, button] : kButtons) {
    if (name == caption) return button;
  }
  return SkinButton::kNone;
}

bool MainCommands::press(std::int32_t x, std::int32_t y) {
  const int slot = view_.hitTest(x, y);
  if (slot == kNoSlot) return false;
  // Any slot can carry a button's caption, a key included; the key is then
  // edited after the button acts.
  runButton(skinButtonFor(layout_.slots.slot(slot).caption));
  if (slot <= kLastAssignableSlot) editKey(slot);
  return true;
}

void MainCommands::runButton(SkinButton button) {
  switch (button) {
    case SkinButton::kNone:
      break;
    case SkinButton::kClose:
    case SkinButton::kCancel:
      // Uncommitted edits stay in the working profile.
      host_.hideWindow();
      break;
    case SkinButton::kMacro:
      editMacros();
      break;
    case SkinButton::kMinimize:
      host_.minimizeWindow();
      break;
    case SkinButton::kMenu:
      host_.showButtonMenu();
      break;
    case SkinButton::kApply:
      CommitWorkingProfile(profiles_);
      host_.saveSettings();
      break;
    case SkinButton::kOk:
      CommitWorkingProfile(profiles_);
      host_.saveSettings();
      host_.hideWindow();
      break;
    case SkinButton::kDefault: {
      const WaitForUser wait(*this);
      if (host_.confirmRestoreDefaults()) restoreDefaults();
      break;
    }
    case SkinButton::kProfile1:
    case SkinButton::kProfile2:
    case SkinButton::kProfile3:
      switchProfile(static_cast<std::int32_t>(button) -
                    static_cast<std::int32_t>(SkinButton::kProfile1) + 1);
      break;
  }
}

namespace {

// The answer of a switch nobody can be asked about: what was done in the
// window stays, in the profile it was done in.
class KeepChanges final : public SavePrompt {
 public:
  bool confirmSaveChanges() override { return true; }
};

}  // namespace

void MainCommands::switchProfile(std::int32_t profile, SwitchSource source,
                                 std::u16string_view program) {
  if (!isProfileNumber(profile)) return;
  if (source == SwitchSource::kProfileButton) {
    // Its question about unapplied changes waits for the user as well.
    const WaitForUser wait(*this);
    SwitchProfile(profiles_, profile, host_);
  } else if (waiting_ > 0) {
    pending_ = PendingSwitch{profile, source, std::u16string(program)};
    return;
  } else if (profile != profiles_.activeProfile) {
    KeepChanges keep;
    SwitchProfile(profiles_, profile, keep);
  } else {
    host_.showActiveProfile(profile, profileNotice(source, profile, program));
    return;
  }
  host_.saveSettings();
  drawAll(host_);
  view_.drawAssignedKeys(host_, profiles_.working);
  host_.showActiveProfile(profiles_.activeProfile, profileNotice(source, profile, program));
}

MainCommands::WaitForUser::~WaitForUser() {
  if (--commands_.waiting_ > 0 || !commands_.pending_) return;
  const PendingSwitch pending = std::move(*commands_.pending_);
  commands_.pending_.reset();
  commands_.switchProfile(pending.profile, pending.source, pending.program);
}

void MainCommands::editKey(int slot) {
  ProfileData& working = profiles_.working;
  const KeyAssignment& key = working.keys.slot(slot);
  KeySettingsExchange exchange{
      layout_.slots.slot(slot).vk,
      key.name,
      key.kind,
      key.macroIndex,
      {working.macroBindings, working.macroNames, working.macroSteps, working.macroTimings}};
  const WaitForUser wait(*this);
  std::optional<KeySettingsExchange> result =
      host_.runKeySettings(std::move(exchange), working.translation);
  if (!result) return;
  recordKeyEdit(profiles_, layout_.slots, slot,
                {std::move(result->assignmentName), result->kind, result->macroIndex,
                 std::move(result->macros)});
  host_.saveSettings();
  drawAll(host_);
}

void MainCommands::editMacros() {
  ProfileData& working = profiles_.working;
  // The macro editor edits no key: it gets none.
  KeySettingsExchange exchange{
      0,
      {},
      KindMacroEditor,
      0,
      {working.macroBindings, working.macroNames, working.macroSteps, working.macroTimings}};
  const WaitForUser wait(*this);
  std::optional<KeySettingsExchange> result =
      host_.runKeySettings(std::move(exchange), working.translation);
  if (!result) return;
  recordMacroEditorResult(profiles_, layout_.slots, std::move(result->macros));
  host_.saveSettings();
  drawAll(host_);
}

void MainCommands::restoreDefaults() {
  RestoreDefaults(profiles_, layout_.slots);
  host_.saveSettings();
  drawAll(host_);
}

}  // namespace tarsil
