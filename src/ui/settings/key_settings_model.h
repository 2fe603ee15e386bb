#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "layout/layout_file.h"
#include "profile/translation_rules.h"
#include "ui/controls/bit_button_state.h"
#include "ui/settings/key_capture.h"
#include "ui/settings/macro_editor.h"

namespace tarsil {

// The dialog's skin buttons, by the entry of "Composite.ini" that places
// each (entry 5 places nothing).
enum DialogButton : int {
  kOkButton = 1,
  kCancelButton = 2,
  kClearButton = 3,
  kOskButton = 4,
  kSingleKeyButton = 6,
  kMacroButton = 7,
  kMediaButton = 8,
  kFunctionButton = 9,
  kAddMacroButton = 10,
  kDeleteMacroButton = 11,
  kRecordButton = 12,
  kDeleteStepButton = 13,
  kClearStepsButton = 14,
  kFirstStepButton = 15,
  kPreviousStepButton = 16,
  kNextStepButton = 17,
  kLastStepButton = 18,
  // Entries 19..26 place controls; the timing column has two buttons more.
  kSetAllDelaysButton = 27,
  kClearDelaysButton = 28,
};
inline constexpr int kLastSkinButton = 28;

// Whether entry `entry` of "Composite.ini" places a skin button (entry 5 is
// the title, 19..26 place controls).
constexpr bool isSkinButton(int entry) {
  return (entry >= 1 && entry <= kLastStepButton && entry != 5) || entry == kSetAllDelaysButton ||
         entry == kClearDelaysButton;
}

// The mode list's items, in MacroMode order.
inline constexpr std::array<std::u16string_view, 4> kMacroModeNames = {
    u"Chord", u"Sequence once", u"Repeat while held", u"Toggle"};

// The dialog's pictures, in the order the skin's files load.
enum class DialogPicture : std::uint8_t {
  kKeyMask,  // the dialog's size and outline
  kKeyNormal,
  kKeyOver,
  kKeyDown,
  kMediaNormal,
  kFunctionNormal,
  kMacroNormal,
  kMacroOver,
  kMacroDown,
  kMacroDisable,
  kMacro2Normal,
  kMacro2Over,
  kMacro2Down,
  kMacro2Disable,
};
inline constexpr std::size_t kDialogPictureCount = 14;

// The pictures skin button `entry` is cut from, in the order of its faces
// (normal, hover, pressed, disabled): the kind tabs and the dialog's own
// buttons from the key pictures, the macro buttons from the macro pictures.
std::array<DialogPicture, 4> buttonPictures(int entry);

// The multimedia list's items; their codes come from the layout.
inline constexpr std::array<std::u16string_view, 7> kMediaNames = {
    u"Play/Pause", u"Pretrack", u"Nexttrack", u"Refresh", u"www Stop", u"www Back", u"www Forward"};

// The function list's items, in the order of the function-key table.
std::array<std::u16string_view, kFunctionKeyCount> functionNames();

// The item a name selects in a list: the first, searched from the second
// item on and wrapping round to the first, whose text begins with `name`,
// case aside; -1 when none does.
int findByPrefix(std::span<const std::u16string_view> items, std::u16string_view name);

enum class DialogFocus : std::uint8_t { kNone, kKeyNameBox, kMediaList, kFunctionList, kMacroList };

// What the main window hands the dialog and takes back after OK.
struct KeySettingsExchange {
  KeyCode keyCode = 0;                // the edited key
  std::u16string assignmentName;      // its assignment's name
  std::int32_t kind = KindSingleKey;  // KindMacroEditor opens the macro editor only
  std::int32_t macroIndex = 0;
  MacroEditCopies macros;  // copies of the working profile's macros
};

// The key settings dialog's behaviour: which kind it shows, what its
// buttons show and do, what OK writes into the working translation table
// and hands back, and when keys are to be captured.
//
// One object lives as long as the main window and serves every opening:
// the macro name counter, the key name buffer and the recorder keep their
// state from one run to the next.
class KeySettingsModel {
 public:
  KeySettingsModel(CaptureShared& shared, const MediaKeyTable& media);

  // A run starts for `exchange`; OK will write into `working`.
  void open(KeySettingsExchange exchange, TranslationTable& working);
  // One of the four kind buttons was clicked (its own look is already set).
  void chooseKind(std::int32_t kind);
  void ok();
  void cancel();
  void clear();
  // The capture hook took key `vk` (as captureCode gives it), named `name`,
  // in the single-key kind.
  void keyCaptured(KeyCode vk, std::u16string name);
  void chooseMedia(int item) { media_ = item; }
  void chooseFunction(int item) { function_ = item; }
  // The record button was clicked. Returns true when NumLock is off, which
  // the user is told: keypad keys then record as the keys they stand for.
  bool toggleRecording(bool numLockOn);
  // A key event while recording.
  void recordEvent(const RecordedEvent& event);

  MacroEditor& macros() { return editor_; }
  const MacroEditor& macros() const { return editor_; }
  BitButtonState& button(int entry) { return buttons_[static_cast<std::size_t>(entry)]; }
  const KeySettingsExchange& exchange() const { return exchange_; }

  // What the dialog shows. The background and the controls follow the kind.
  std::int32_t kind() const { return exchange_.kind; }
  DialogPicture background() const;
  bool keyNameBoxVisible() const { return exchange_.kind == KindSingleKey; }
  bool mediaListVisible() const { return exchange_.kind == KindMultimedia; }
  bool functionListVisible() const { return exchange_.kind == KindFunctionKey; }
  bool macroControlsVisible() const {
    return exchange_.kind == KindMacro || exchange_.kind == KindMacroEditor;
  }
  // The macro editor alone offers no other kind.
  bool kindButtonVisible(int entry) const { return !editorOnly_ || entry == kMacroButton; }
  // Recording keeps the chosen macro: no other can be chosen, added or deleted.
  bool macroChoiceEnabled() const { return !recording_; }
  // The timing controls work on the chosen macro, and not while it is being
  // recorded; the step delay field needs a selected step as well.
  bool timingEnabled() const { return editor_.timingEnabled() && !recording_; }
  bool stepDelayEnabled() const { return timingEnabled() && editor_.delayEditable(); }
  bool recording() const { return recording_; }
  const std::u16string& keyNameBoxText() const { return keyNameBox_; }
  int mediaItem() const { return media_; }
  int functionItem() const { return function_; }
  // Keys are captured while one is to be chosen or a macro is recorded,
  // and never while the user only picks from a list.
  bool captureWanted() const { return open_ && (exchange_.kind == KindSingleKey || recording_); }
  DialogFocus takeFocusRequest() { return std::exchange(focus_, DialogFocus::kNone); }

 private:
  void showSingleKey();
  void showMacros();
  void closeRun();
  std::u16string kindName() const;
  void removeBinding() { exchange_.macros.macroBindings.erase(exchange_.keyCode); }

  CaptureShared& shared_;
  const MediaKeyTable& mediaTable_;
  TranslationTable* working_ = nullptr;
  KeySettingsExchange exchange_;
  std::array<BitButtonState, kLastSkinButton + 1> buttons_;  // by entry
  std::int32_t nameCounter_ = 0;  // never lowered: each Add names a new "define<n>"
  MacroEditor editor_;
  StepRecorder recorder_;
  std::u16string keyNameBox_;  // what the key name box shows
  // The key chosen in this run by a capture or by Clear; without one, OK
  // leaves a single key as it was.
  std::optional<KeyCode> chosenKey_;
  std::int32_t openedKind_ = KindSingleKey;
  bool editorOnly_ = false;
  bool recording_ = false;
  bool open_ = false;
  int media_ = -1;
  int function_ = -1;
  DialogFocus focus_ = DialogFocus::kNone;
};

}  // namespace tarsil
