#include "cli/commands.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "cli/utf8.h"
#include "ini/ini_file.h"
#include "profile/profile_data.h"
#include "profile/profile_exchange.h"
#include "profile/profile_operations.h"
#include "profile/settings_check.h"
#include "profile/settings_file.h"
#include "session/keyboard_session.h"

namespace tarsil::cli {

namespace {

using ini::pathText;

void print(std::ostream& stream, const Notices& notices) {
  for (const Notice& notice : notices) stream << notice.text << '\n';
}

// How the commands read the settings: a file with text but no section the
// program reads is refused, so nothing is ever written into it. Only check
// reads it anyway, to report it.
SessionOptions commandOptions() {
  SessionOptions options;
  options.refuseTextWithoutSections = true;
  return options;
}

// Starts a session on the layout and the settings as the program would;
// false (after saying why) when there is nothing to work on.
bool begin(const Context& context, KeyboardSession& session,
           SessionOptions options = commandOptions()) {
  if (context.codePage) {
    std::string error;
    options.codePage = ini::findCodePage(*context.codePage, error);
    if (!options.codePage) {
      context.err << error << '\n';
      return false;
    }
  }
  const SessionFiles files{context.layout.value_or(context.settings.parent_path() / "Main.ini"),
                           context.settings};
  options.unreadableSettings = UnreadableSettings::kStop;
  options.writeMissingFileWhole = false;
  const Notices notices = session.start(files, options);
  print(context.err, notices);
  if (session.running()) {
    if (session.settingsHoldUndecodedBytes()) {
      context.err << pathText(context.settings)
                  << " holds text in an 8-bit code page that was not named: its bytes are kept "
                     "as they are and names show them as \\xNN. Name the code page with "
                     "--codepage (for example GBK) to read them as text.\n";
    }
    return true;
  }
  if (!context.layout && !std::filesystem::exists(files.layout)) {
    context.err << "(Name the layout with --layout.)\n";
  }
  return false;
}

const char* kindName(std::int32_t kind) {
  switch (kind) {
    case KindSingleKey:
      return "single key";
    case KindMacro:
      return "macro";
    case KindMultimedia:
      return "multimedia";
    case KindFunctionKey:
      return "function";
    default:
      return "unknown kind";
  }
}

// A key shows up in the summary when it does anything but type itself.
bool isAssigned(const KeySlot& slot, const KeyAssignment& key, const TranslationTable& table) {
  auto entry = table.find(slot.vk);
  const bool identity = entry != table.end() && entry->second == KeyList{slot.vk};
  return key.kind != KindSingleKey || key.name != slot.caption || !identity;
}

std::string codes(const ProfileData& store, KeyCode vk) {
  if (const auto action = store.actions.find(vk);
      action != store.actions.end() && action->second.kind == KeyActionKind::kSwitchProfile) {
    return action->second.value == kNextProfile
               ? "switches to the next profile"
               : "switches to profile " + std::to_string(action->second.value);
  }
  const TranslationTable& table = store.translation;
  auto entry = table.find(vk);
  if (entry == table.end()) return "itself (no entry)";
  if (entry->second.empty()) return "nothing (disabled)";
  if (entry->second == KeyList{0}) return "nothing (no key code)";
  std::string text;
  for (KeyCode code : entry->second) text += (text.empty() ? "" : " ") + std::to_string(code);
  return text;
}

// "Combo: sequence, 6 steps, 420 ms" for macro `index` of a store.
std::u16string macroLine(const ProfileData& store, std::int32_t index) {
  const auto i = static_cast<std::size_t>(index);
  if (index < 0 || i >= store.macroSteps.size()) return u"no macro";
  return describeMacro(i < store.macroNames.size() ? store.macroNames[i] : u"",
                       store.macroSteps[i].size() / kMacroStepWidth,
                       timingOf(store.macroTimings, i));
}

// Saves what the command changed, and only that: every other byte of the
// settings file stays as it is.
int finish(const Context& context, KeyboardSession& session) {
  const bool undecoded = session.settingsHoldUndecodedBytes();
  const Notices notices = session.finish();
  print(context.err, notices);
  const bool failed = std::any_of(notices.begin(), notices.end(), [](const Notice& notice) {
    return notice.level == Notice::Level::kError;
  });
  if (!failed) return kExitOk;
  if (undecoded && !context.codePage) context.err << "(Name the code page with --codepage.)\n";
  return kExitFailure;
}

void printFailure(const Context& context, const ini::FileStatus& status) {
  context.err << status.error << '\n';
  if (status.needsCodePage) context.err << "(Name the code page with --codepage.)\n";
}

}  // namespace

int runShow(const Context& context) {
  KeyboardSession session;
  if (!begin(context, session)) return kExitFailure;
  const ProfileSet& profiles = session.profiles();
  const MainLayout& layout = session.layout();
  context.out << "Settings: " << pathText(context.settings) << '\n'
              << "Active profile: " << profiles.activeProfile << '\n';
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    const ProfileData& store = *profiles.store(p);
    context.out << "\nProfile " << p << (p == profiles.activeProfile ? " (active)" : "") << '\n';
    int assigned = 0;
    for (int s = 1; s <= kLastStoredSlot; ++s) {
      const KeySlot& slot = layout.slots.slot(s);
      const KeyAssignment& key = store.keys.slot(s);
      if (!isAssigned(slot, key, store.translation)) continue;
      if (assigned++ == 0) context.out << "  Keys:\n";
      context.out << "    " << toUtf8(slot.caption) << " (" << slot.vk
                  << "): " << kindName(key.kind) << " \"" << toUtf8(key.name) << "\"";
      if (key.kind == KindMacro) context.out << " (macro " << key.macroIndex << ")";
      if (const auto action = store.actions.find(slot.vk);
          action != store.actions.end() && action->second.kind == KeyActionKind::kPlayMacro) {
        context.out << " -> plays " << toUtf8(macroLine(store, action->second.value)) << '\n';
        continue;
      }
      const std::string what = codes(store, slot.vk);
      context.out << (what.starts_with("switches") ? " -> " : " -> sends ") << what << '\n';
    }
    if (assigned == 0) context.out << "  Keys: all type themselves\n";
    if (store.macroSteps.empty()) {
      context.out << "  Macros: none\n";
      continue;
    }
    context.out << "  Macros:\n";
    for (std::size_t i = 0; i < store.macroSteps.size(); ++i) {
      context.out << "    " << i << ": " << toUtf8(macroLine(store, static_cast<std::int32_t>(i)))
                  << '\n';
    }
  }
  const ProgramRules& programs = profiles.programRules;
  if (!programs.empty()) {
    context.out << "\nPrograms (the profile that comes to the front with each, on Windows):\n";
    for (const ProgramRule& rule : programs.rules) {
      context.out << "  " << toUtf8(rule.program) << ": profile " << rule.profile << '\n';
    }
    context.out << "  any other program: "
                << (programs.fallback == kStayOnProfile
                        ? std::string("the active profile stays")
                        : "profile " + std::to_string(programs.fallback))
                << '\n';
  }
  return kExitOk;
}

int runDump(const Context& context) {
  KeyboardSession session;
  if (!begin(context, session)) return kExitFailure;
  const ProfileSet& profiles = session.profiles();
  const MainLayout& layout = session.layout();
  using nlohmann::ordered_json;
  ordered_json root;
  root["activeProfile"] = profiles.activeProfile;
  ordered_json profileList = ordered_json::array();
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    const ProfileData& store = *profiles.store(p);
    ordered_json profile;
    profile["number"] = p;
    ordered_json translation = ordered_json::object();
    for (const auto& [vk, codes] : store.translation) translation[std::to_string(vk)] = codes;
    profile["translation"] = std::move(translation);
    profile["assigned"] = store.assigned;
    ordered_json bindings = ordered_json::object();
    for (const auto& [vk, index] : store.macroBindings) bindings[std::to_string(vk)] = index;
    profile["bindings"] = std::move(bindings);
    ordered_json macros = ordered_json::array();
    for (std::size_t i = 0; i < store.macroSteps.size(); ++i) {
      const MacroTiming& timing = timingOf(store.macroTimings, i);
      std::vector<std::int32_t> delays(store.macroSteps[i].size() / kMacroStepWidth);
      for (std::size_t k = 0; k < delays.size(); ++k) delays[k] = timing.delay(k);
      macros.push_back({{"name", toUtf8(i < store.macroNames.size() ? store.macroNames[i] : u"")},
                        {"steps", store.macroSteps[i]},
                        {"mode", static_cast<std::int32_t>(timing.mode)},
                        {"delays", delays}});
    }
    profile["macros"] = std::move(macros);
    ordered_json keys = ordered_json::array();
    for (int s = 1; s <= kLastStoredSlot; ++s) {
      const KeyAssignment& key = store.keys.slot(s);
      keys.push_back({{"slot", s},
                      {"vk", layout.slots.slot(s).vk},
                      {"name", toUtf8(key.name)},
                      {"kind", key.kind},
                      {"macroIndex", key.macroIndex}});
    }
    profile["keys"] = std::move(keys);
    profileList.push_back(std::move(profile));
  }
  root["profiles"] = std::move(profileList);
  context.out << root.dump(2) << '\n';
  return kExitOk;
}

int runCheck(const Context& context) {
  KeyboardSession session;
  SessionOptions options;
  options.keepSettingsFile = true;
  options.noteContent = false;  // reported below, as the problems they are
  if (!begin(context, session, options)) return kExitFailure;
  if (!session.settingsFileExists()) {
    context.out << pathText(context.settings)
                << " does not exist: the program runs with the defaults, in which every key "
                   "types itself\n";
    return kExitOk;
  }
  const std::vector<SettingsProblem> problems =
      checkSettings(session.settingsFile(), session.layout());
  for (const SettingsProblem& problem : problems) {
    if (!problem.section.empty()) {
      context.out << '[' << toUtf8(problem.section) << ']';
      if (!problem.key.empty()) context.out << ' ' << toUtf8(problem.key);
      if (!problem.value.empty()) context.out << " = \"" << toUtf8(problem.value) << '"';
      context.out << ": ";
    }
    context.out << problem.message << '\n';
  }
  if (problems.empty()) {
    context.out << pathText(context.settings) << ": no problems found\n";
    return kExitOk;
  }
  context.out << problems.size() << (problems.size() == 1 ? " problem\n" : " problems\n");
  return kExitProblems;
}

int runExport(const Context& context, const std::filesystem::path& target) {
  KeyboardSession session;
  if (!begin(context, session)) return kExitFailure;
  // The settings file is only read: the export writes the chosen file alone.
  const ProfileSet& profiles = session.profiles();
  const ini::FileStatus exported =
      exportProfile(profiles, session.layout().slots, target, session.codePage());
  if (!exported.ok()) {
    printFailure(context, exported);
    return kExitFailure;
  }
  context.out << "Exported profile " << profiles.activeProfile << " to " << pathText(target)
              << '\n';
  return kExitOk;
}

int runImport(const Context& context, const std::filesystem::path& source) {
  KeyboardSession session;
  if (!begin(context, session)) return kExitFailure;
  const ini::FileStatus imported =
      importProfile(session.profiles(), session.layout(), source, session.codePage());
  for (const std::string& note : imported.notes) context.err << note << '\n';
  if (!imported.ok()) {
    printFailure(context, imported);
    return kExitFailure;
  }
  const std::int32_t profile = session.profiles().activeProfile;
  if (finish(context, session) != kExitOk) return kExitFailure;
  context.out << "Imported " << pathText(source) << " into profile " << profile << '\n';
  return kExitOk;
}

int runProfile(const Context& context, std::int32_t number) {
  if (!isProfileNumber(number)) {
    context.err << "There are profiles 1, 2 and 3; " << number << " is none of them.\n";
    return kExitFailure;
  }
  KeyboardSession session;
  if (!begin(context, session)) return kExitFailure;
  // Nothing is edited here, so nothing is offered for saving.
  struct KeepNothing final : SavePrompt {
    bool confirmSaveChanges() override { return false; }
  } keepNothing;
  const std::int32_t before = session.profiles().activeProfile;
  SwitchProfile(session.profiles(), number, keepNothing);
  if (finish(context, session) != kExitOk) return kExitFailure;
  context.out << "Active profile: " << number;
  if (before != number) context.out << " (was " << before << ")";
  context.out << '\n';
  return kExitOk;
}

}  // namespace tarsil::cli
