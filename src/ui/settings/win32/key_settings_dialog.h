#pragma once

#include <windows.h>
// commctrl.h builds on windows.h.
#include <commctrl.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "framework/win32/bitmap.h"
#include "framework/win32/dialog.h"
#include "framework/win32/gdi.h"
#include "layout/layout_file.h"
#include "ui/controls/win32/bitmap_button.h"
#include "ui/settings/key_settings_model.h"
#include "ui/skin/win32/skinned_dialog.h"

// The key settings dialog: one key's assignment, or the macro editor alone.
// Drawn from the skin and placed by "Composite.ini"; what it shows and does
// is KeySettingsModel's decision, and this class decodes the controls'
// messages, keeps the controls showing the model, and runs the capture hook
// while the model wants keys.
class KeySettingsDialog : public SkinnedDialog, private tarsil::MacroDeletePrompt {
 public:
  // Reads "Composite.ini" and the dialog's fourteen pictures beside the
  // program. `owner` is disabled while the dialog runs.
  KeySettingsDialog(CWnd* owner, const std::filesystem::path& programFolder,
                    const tarsil::MediaKeyTable& media);

  // Why the dialog cannot be shown (a file that is missing or unreadable),
  // or empty.
  const std::wstring& loadProblem() const { return loadProblem_; }

  // One run for `exchange`; OK writes the key's entry into `working` and
  // returns the dialog's result. Nothing on Cancel.
  std::optional<tarsil::KeySettingsExchange> run(tarsil::KeySettingsExchange exchange,
                                                 tarsil::TranslationTable& working);
  bool isOpen() const { return m_hWnd != nullptr; }
  // Ends an open run as its Cancel would (the program is exiting).
  void closeWithCancel();

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  HBITMAP backgroundPicture() const override { return picture(model_.background()); }

 private:
  bool confirmDeleteBoundMacro() override;

  void placeControls();
  void onCommand(int id, int notification, HWND control);
  void onMacroKey(WPARAM message, LPARAM packed);
  // With NumLock off, keypad keys record as the keys they stand for.
  void notifyKeypadNotLocked();
  LRESULT onStepListDraw(NMLVCUSTOMDRAW& draw) const;
  // Makes every control show what the model holds.
  void render();
  void renderMacroList();
  void renderSteps();
  void renderTiming();
  // The "Composite.ini" entry that places a control, or 0.
  static int entryOf(int control);
  HWND item(int id) const { return GetDlgItem(m_hWnd, id); }
  HBITMAP picture(tarsil::DialogPicture which) const {
    return pictures_[static_cast<std::size_t>(which)].handle();
  }

  tarsil::KeySettingsModel model_;
  std::wstring loadProblem_;
  std::array<CBitmap, tarsil::kDialogPictureCount> pictures_;
  tarsil::DialogLayout layout_{};
  std::array<BitmapButton, tarsil::kLastSkinButton + 1> buttons_;  // by layout entry
  FontHandle keyFont_;
  FontHandle listFont_;
  // What the controls show, to change only what the model changed.
  unsigned shownEntries_ = ~0u;
  int shownChosen_ = -1;
  std::wstring shownEditText_;
  std::vector<std::int32_t> shownSteps_;
  std::vector<std::int32_t> shownDelays_;  // per row; -1: not written yet
  // Which entries the layout places (a rectangle that is not empty).
  std::array<bool, tarsil::kDialogEntriesRead + 1> placed_{};
  int shownSelection_ = -1;
  std::int32_t shownKind_ = -1;
  bool rendering_ = false;
};
