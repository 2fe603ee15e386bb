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
#include "layout/key_slot.h"
#include "ui/controls/win32/bitmap_button.h"
#include "ui/programs/programs_model.h"
#include "ui/skin/win32/skinned_dialog.h"

// The Programs dialog: which profile comes to the front with which program,
// and which one comes with the others. Drawn from the skin and placed by
// "Programs.ini" like the key settings dialog; what it shows and does is
// ProgramsModel's decision, and this class decodes the controls' messages
// and keeps them showing the model.
class ProgramsDialog : public SkinnedDialog {
 public:
  // Reads "Programs.ini" and the dialog's pictures beside the program.
  ProgramsDialog(CWnd* owner, std::filesystem::path programFolder, std::u16string ownPath);

  // One run on a copy of `rules`: the rules to keep after OK, nothing after
  // Cancel. A dialog that cannot be shown says why, owned by `owner`.
  std::optional<tarsil::ProgramRules> run(HWND owner, const tarsil::ProgramRules& rules,
                                          std::int32_t activeProfile);
  bool isOpen() const { return m_hWnd != nullptr; }
  // Ends an open run as its Cancel would (the program is exiting).
  void closeWithCancel();

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  HBITMAP backgroundPicture() const override;

 private:
  void load();
  void placeControls();
  void onCommand(int id);
  // Offers the programs running now and the file dialog, then adds the one chosen.
  void chooseProgram();
  LRESULT onListDraw(NMLVCUSTOMDRAW& draw) const;
  // Makes every control show what the model holds.
  void render();
  HWND item(int id) const { return GetDlgItem(m_hWnd, id); }

  std::filesystem::path programFolder_;
  std::u16string ownPath_;
  tarsil::ProgramsModel model_;
  std::wstring loadProblem_;
  bool loaded_ = false;
  // mask, normal, over, pressed, disabled
  std::array<CBitmap, 5> pictures_;
  std::vector<tarsil::KeySlot> layout_;
  std::array<BitmapButton, tarsil::kLastProgramsButton + 1> buttons_;  // by entry
  FontHandle listFont_;
  bool rendering_ = false;
};
