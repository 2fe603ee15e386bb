#include "ui/settings/key_settings_model.h"

#include "ini/upper_case.h"

namespace tarsil {

std::array<std::u16string_view, kFunctionKeyCount> functionNames() {
  std::array<std::u16string_view, kFunctionKeyCount> names;
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kFunctionKeys[i].name;
  return names;
}

int findByPrefix(std::span<const std::u16string_view> items, std::u16string_view name) {
  const std::u16string prefix = ini::upperCase(name);
  for (std::size_t n = 0; n < items.size(); ++n) {
    const std::size_t i = (n + 1) % items.size();
    if (ini::upperCase(items[i]).starts_with(prefix)) return static_cast<int>(i);
  }
  return -1;
}

std::array<DialogPicture, 4> buttonPictures(int entry) {
  using enum DialogPicture;
  // The key buttons are never disabled: their normal face stands in.
  if (entry < kAddMacroButton) return {kKeyNormal, kKeyOver, kKeyDown, kKeyNormal};
  return {kMacroNormal, kMacroOver, kMacroDown, kMacroDisable};
}

DialogPicture KeySettingsModel::background() const {
  switch (exchange_.kind) {
    case KindMacro:
      return DialogPicture::kMacroNormal;
    case KindMultimedia:
      return DialogPicture::kMediaNormal;
    case KindFunctionKey:
      return DialogPicture::kFunctionNormal;
    case KindMacroEditor:
      return DialogPicture::kMacro2Normal;
    default:
      return DialogPicture::kKeyNormal;
  }
}

KeySettingsModel::KeySettingsModel(CaptureShared& shared, const MediaKeyTable& media)
    : shared_(shared),
      mediaTable_(media),
      editor_(exchange_.macros, exchange_.macroIndex, nameCounter_) {
  for (const int toggle :
       {kSingleKeyButton, kMacroButton, kMediaButton, kFunctionButton, kRecordButton}) {
    buttons_[static_cast<std::size_t>(toggle)].setToggle(true);
  }
}

void KeySettingsModel::open(KeySettingsExchange exchange, TranslationTable& working) {
  exchange_ = std::move(exchange);
  working_ = &working;
  open_ = true;
  recording_ = false;
  chosenKey_.reset();
  openedKind_ = exchange_.kind;
  editorOnly_ = exchange_.kind == KindMacroEditor;
  shared_.dialogMode = exchange_.kind;
  function_ = 0;
  media_ = 0;
  editor_.reset();
  for (BitButtonState& button : buttons_) button.reset();

  const auto media = std::span<const std::u16string_view>(kMediaNames);
  const auto functions = functionNames();
  switch (exchange_.kind) {
    case KindSingleKey:
      button(kSingleKeyButton).setSelected();
      keyNameBox_ = exchange_.assignmentName;
      break;
    case KindMacro:
    case KindMacroEditor:
      button(kMacroButton).setSelected();
      editor_.refill();
      editor_.showChosen();
      keyNameBox_.clear();
      break;
    case KindMultimedia:
      button(kMediaButton).setSelected();
      media_ = findByPrefix(media, exchange_.assignmentName);
      keyNameBox_.clear();
      break;
    case KindFunctionKey:
      button(kFunctionButton).setSelected();
      function_ = findByPrefix(functions, exchange_.assignmentName);
      keyNameBox_.clear();
      break;
    default:
      break;
  }
}

void KeySettingsModel::chooseKind(std::int32_t kind) {
  if (kind == KindMacro && exchange_.kind == KindMacroEditor) return;
  // The kind's button is the chosen one (a click has usually chosen it
  // already); the other three let go.
  for (const int entry : {kSingleKeyButton, kMacroButton, kMediaButton, kFunctionButton}) {
    if (entry != kSingleKeyButton + kind) button(entry).clearSelected();
  }
  if (!button(kSingleKeyButton + kind).selected()) button(kSingleKeyButton + kind).setSelected();
  exchange_.kind = kind;
  shared_.dialogMode = kind;
  switch (kind) {
    case KindSingleKey:
      exchange_.macroIndex = 0;
      focus_ = DialogFocus::kKeyNameBox;
      break;
    case KindMultimedia:
      exchange_.macroIndex = 0;
      focus_ = DialogFocus::kMediaList;
      break;
    case KindFunctionKey:
      exchange_.macroIndex = 0;
      focus_ = DialogFocus::kFunctionList;
      break;
    case KindMacro:
      focus_ = DialogFocus::kMacroList;
      editor_.refill();
      if (editor_.entries().empty()) editor_.add();
      editor_.refill();
      editor_.showChosen();
      break;
    default:
      break;
  }
}

void KeySettingsModel::keyCaptured(KeyCode vk, std::u16string name) {
  if (!open_ || exchange_.kind != KindSingleKey) return;
  keyNameBox_ = std::move(name);
  chosenKey_ = vk;
}

std::u16string KeySettingsModel::kindName() const {
  const auto itemText = [](auto items, int item) {
    return item >= 0 && static_cast<std::size_t>(item) < items.size()
               ? std::u16string(items[static_cast<std::size_t>(item)])
               : std::u16string();
  };
  for (const int entry : {kSingleKeyButton, kMacroButton, kMediaButton, kFunctionButton}) {
    if (!buttons_[static_cast<std::size_t>(entry)].selected()) continue;
    switch (entry) {
      case kSingleKeyButton:
        return keyNameBox_;
      case kMacroButton:
        return editor_.editText();
      case kMediaButton:
        return itemText(kMediaNames, media_);
      default:
        return itemText(functionNames(), function_);
    }
  }
  return exchange_.assignmentName;
}

void KeySettingsModel::ok() {
  if (!open_) return;
  exchange_.assignmentName = kindName();
  TranslationTable& table = *working_;
  const KeyCode key = exchange_.keyCode;
  switch (exchange_.kind) {
    case KindSingleKey:
      // Without a key chosen in this run a single key stays as it was, and
      // a key that had another kind goes back to itself.
      if (chosenKey_) {
        table[key] = {*chosenKey_};
      } else if (openedKind_ != KindSingleKey || !table.contains(key)) {
        table[key] = {key};
      }
      removeBinding();
      break;
    case KindMacro:
      editor_.refill();
      if (editor_.chosen() < 0) {
        table[key] = {key};
        exchange_.kind = KindSingleKey;
        exchange_.macroIndex = 0;
        exchange_.assignmentName.clear();
        removeBinding();
      } else {
        exchange_.macros.macroBindings[key] = editor_.chosen();
        table[key] = macroPressCodes(
            exchange_.macros.macroSteps[static_cast<std::size_t>(editor_.chosen())]);
      }
      break;
    case KindMultimedia:
      exchange_.assignmentName =
          media_ >= 0 && static_cast<std::size_t>(media_) < kMediaNames.size()
              ? std::u16string(kMediaNames[static_cast<std::size_t>(media_)])
              : std::u16string();
      if (const auto code = mediaTable_.find(exchange_.assignmentName); code != mediaTable_.end()) {
        table[key] = {code->second};
        removeBinding();
      }
      break;
    case KindFunctionKey:
      table[key] = function_ >= 0 && function_ < kFunctionKeyCount
                       ? kFunctionKeys[static_cast<std::size_t>(function_)].strokes()
                       : KeyList{};
      removeBinding();
      break;
    default:
      break;
  }
  closeRun();
}

void KeySettingsModel::cancel() {
  if (!open_) return;
  closeRun();
  shared_.capturedKey = exchange_.keyCode;
  keyNameBox_.clear();
}

void KeySettingsModel::clear() {
  // The macro editor was opened for no key: there is nothing to clear.
  if (!open_ || editorOnly_) return;
  shared_.capturedKey = exchange_.keyCode;
  chosenKey_ = exchange_.keyCode;
  chooseKind(KindSingleKey);
  keyNameBox_.clear();
}

bool KeySettingsModel::toggleRecording(bool numLockOn) {
  if (!open_ || editor_.chosen() < 0) {
    // No macro to record into: the button does not stay pressed.
    button(kRecordButton).reset();
    return false;
  }
  recording_ = !recording_;
  if (recording_) {
    recorder_.start();
  } else {
    button(kRecordButton).clearSelected();
  }
  return !numLockOn;
}

void KeySettingsModel::recordEvent(const RecordedEvent& event) {
  if (!open_ || !recording_) return;
  RecordedStep step;
  if (recorder_.record(event, step)) editor_.appendStep(step);
}

void KeySettingsModel::closeRun() {
  open_ = false;
  recording_ = false;
  for (BitButtonState& button : buttons_) button.reset();
}

}  // namespace tarsil
