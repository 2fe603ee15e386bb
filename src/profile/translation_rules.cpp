#include "profile/translation_rules.h"

#include <algorithm>

namespace tarsil {

namespace {

constexpr KeyCode kControl = 17;
constexpr KeyCode kMenu = 18;  // Alt
constexpr KeyCode kSpace = 32;
constexpr KeyCode kSubtract = 109;
constexpr KeyCode kAdd = 107;

// The first assigned-key-list position whose slot has code v.
std::vector<std::int32_t>::iterator findAssignedWithCode(ProfileData& working,
                                                         const KeySlotTable& slots, KeyCode v) {
  return std::find_if(working.assigned.begin(), working.assigned.end(), [&](std::int32_t index) {
    return index >= 0 && index < kSlotCount && slots[static_cast<std::size_t>(index)].vk == v;
  });
}

// Puts the key at an assigned-list position back to itself and drops the position.
void resetAssignedKey(ProfileData& working, const KeySlotTable& slots,
                      std::vector<std::int32_t>::iterator position) {
  const auto index = static_cast<std::size_t>(*position);
  working.keys[index] = KeyAssignment{slots[index].caption, KindSingleKey, 0};
  working.assigned.erase(position);
}

}  // namespace

const std::array<FunctionKeyRow, kFunctionKeyCount> kFunctionKeys = {{
    {u"Open", {kControl, 'O'}, 2},
    {u"New", {kControl, 'N'}, 2},
    {u"Undo", {kControl, 'Z'}, 2},
    {u"Save", {kControl, 'S'}, 2},
    {u"Copy", {kControl, 'C'}, 2},
    {u"Cut", {kControl, 'X'}, 2},
    {u"Paste", {kControl, 'V'}, 2},
    {u"Search", {kControl, 'F'}, 2},
    {u"Select ALL", {kControl, 'A'}, 2},
    {u"Zoom Out", {kControl, kSubtract}, 2},
    {u"Zoom In", {kControl, kAdd}, 2},
    {u"Minimize", {kMenu, kSpace, 'N'}, 3},
    {u"Maximize", {kMenu, kSpace, 'X'}, 3},
    {u"Profile 1", {}, 0, {KeyActionKind::kSwitchProfile, 1}},
    {u"Profile 2", {}, 0, {KeyActionKind::kSwitchProfile, 2}},
    {u"Profile 3", {}, 0, {KeyActionKind::kSwitchProfile, 3}},
    {u"Next Profile", {}, 0, {KeyActionKind::kSwitchProfile, kNextProfile}},
}};

const FunctionKeyRow* findFunctionKey(std::u16string_view name) {
  for (const FunctionKeyRow& row : kFunctionKeys) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

KeyAction assignmentAction(const KeyAssignment& record) {
  if (record.kind != KindFunctionKey) return {};
  const FunctionKeyRow* row = findFunctionKey(record.name);
  return row != nullptr ? row->action : KeyAction{};
}

void setKeyAction(ProfileData& working, KeyCode v, const KeyAssignment& record) {
  const KeyAction action = assignmentAction(record);
  if (action.kind == KeyActionKind::kNone) {
    working.actions.erase(v);
  } else {
    working.actions[v] = action;
  }
}

std::int32_t profileKeyTarget(const KeyAction& action, std::int32_t activeProfile) {
  if (action.value != kNextProfile) return action.value;
  return isProfileNumber(activeProfile) ? activeProfile % kProfileCount + 1 : 1;
}

KeyList macroPressCodes(const MacroStepList& steps) {
  KeyList presses;
  for (std::size_t k = 0; k + kMacroStepWidth <= steps.size() && presses.size() < kMaxEntryCodes;
       k += kMacroStepWidth) {
    if (steps[k + 2] == 1) presses.push_back(steps[k + 1]);
  }
  return presses;
}

std::size_t countPresses(const MacroStepList& steps) {
  std::size_t presses = 0;
  for (std::size_t k = 0; k + kMacroStepWidth <= steps.size(); k += kMacroStepWidth) {
    if (steps[k + 2] == 1) ++presses;
  }
  return presses;
}

void BuildEntry(ProfileData& working, KeyCode v, const KeyAssignment& record, KeyCode singleKey,
                const MediaKeyTable& media) {
  switch (record.kind) {
    case KindSingleKey:
      working.translation[v] = KeyList{singleKey};
      break;
    case KindMacro: {
      working.macroBindings[v] = record.macroIndex;
      const auto index = static_cast<std::size_t>(record.macroIndex);
      working.translation[v] = index < working.macroSteps.size()
                                   ? macroPressCodes(working.macroSteps[index])
                                   : KeyList{};
      break;
    }
    case KindMultimedia:
      // An unknown name leaves the key without an entry: it types itself.
      if (auto it = media.find(record.name); it != media.end()) {
        working.translation[v] = KeyList{it->second};
      }
      break;
    case KindFunctionKey: {
      // An unknown name disables the key rather than guessing a function; a
      // profile key's entry is empty too, so that it never types.
      const FunctionKeyRow* row = findFunctionKey(record.name);
      working.translation[v] = row ? row->strokes() : KeyList{};
      setKeyAction(working, v, record);
      break;
    }
    default:
      break;
  }
}

void buildMacroActions(ProfileData& working) {
  std::erase_if(working.actions,
                [](const auto& entry) { return entry.second.kind == KeyActionKind::kPlayMacro; });
  for (const auto& [v, index] : working.macroBindings) {
    if (index < 0 || static_cast<std::size_t>(index) >= working.macroSteps.size()) continue;
    if (timingOf(working.macroTimings, static_cast<std::size_t>(index)).mode != MacroMode::kChord) {
      working.actions[v] = KeyAction{KeyActionKind::kPlayMacro, index};
    }
  }
}

void rebindMacroKeys(ProfileData& working, const KeySlotTable& slots, MacroEditCopies& copies,
                     RebindPath path) {
  for (const auto& [v, oldIndex] : working.macroBindings) {
    (void)oldIndex;
    auto bound = copies.macroBindings.find(v);
    if (bound != copies.macroBindings.end()) {
      const auto index = static_cast<std::size_t>(bound->second);
      if (bound->second >= 0 && index < copies.macroSteps.size() &&
          index < copies.macroNames.size()) {
        working.translation[v] = macroPressCodes(copies.macroSteps[index]);
        auto position = findAssignedWithCode(working, slots, v);
        if (position != working.assigned.end()) {
          KeyAssignment& record = working.keys[static_cast<std::size_t>(*position)];
          record.macroIndex = bound->second;
          record.name = copies.macroNames[index];
        }
        continue;
      }
      // The macro it pointed at is gone: the key goes back to itself.
      copies.macroBindings.erase(bound);
      working.translation[v] = KeyList{v};
      auto position = findAssignedWithCode(working, slots, v);
      if (position != working.assigned.end()) resetAssignedKey(working, slots, position);
      continue;
    }
    auto position = findAssignedWithCode(working, slots, v);
    if (path == RebindPath::kMacroEditor) {
      working.translation[v] = KeyList{v};
      if (position != working.assigned.end()) resetAssignedKey(working, slots, position);
    } else if (position != working.assigned.end() &&
               working.keys[static_cast<std::size_t>(*position)].kind == KindMacro) {
      // A key of another kind is the one the dialog just gave a new meaning.
      resetAssignedKey(working, slots, position);
      working.translation[v] = KeyList{v};
    }
  }
}

}  // namespace tarsil
