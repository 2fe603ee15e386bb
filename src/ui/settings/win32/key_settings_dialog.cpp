#include "ui/settings/win32/key_settings_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "framework/win32/duration_trace.h"
#include "framework/win32/wide_text.h"
#include "framework/win32/win_app.h"
#include "ini/ini_file.h"
#include "resource.h"
#include "ui/settings/win32/capture_hook.h"
#include "ui/skin/win32/skin_pictures.h"

namespace {

using tarsil::KindSingleKey;

// The control each entry of "Composite.ini" places; entry 5 places none.
constexpr int kControlOfEntry[] = {
    0,
    IDC_SETTINGS_OK,
    IDCANCEL,
    IDC_CLEAR,
    IDC_OSK,
    0,
    IDC_KIND_SINGLE_KEY,
    IDC_KIND_MACRO,
    IDC_KIND_MEDIA,
    IDC_KIND_FUNCTION,
    IDC_ADD_MACRO,
    IDC_DELETE_MACRO,
    IDC_RECORD,
    IDC_DELETE_STEP,
    IDC_CLEAR_STEPS,
    IDC_FIRST_STEP,
    IDC_PREVIOUS_STEP,
    IDC_NEXT_STEP,
    IDC_LAST_STEP,
    IDC_KEY_NAME,
    IDC_MEDIA_LIST,
    IDC_FUNCTION_LIST,
    IDC_MACRO_LIST,
    IDC_STEP_LIST,
    IDC_MACRO_MODE,
    IDC_STEP_DELAY,
    IDC_ALL_DELAYS,
    IDC_SET_ALL_DELAYS,
    IDC_CLEAR_DELAYS,
};
static_assert(std::size(kControlOfEntry) == tarsil::kDialogEntriesRead + 1);

// The pictures' files, in the order of DialogPicture.
constexpr const wchar_t* kPictureFiles[] = {
    L"key_mask.bmp",     L"key_normal.bmp",      L"key_over.bmp",      L"key_down.bmp",
    L"media_normal.bmp", L"function_normal.bmp", L"macro_normal.bmp",  L"macro_over.bmp",
    L"macro_down.bmp",   L"macro_disable.bmp",   L"macro2_normal.bmp", L"macro2_over.bmp",
    L"macro2_down.bmp",  L"macro2_disable.bmp"};
static_assert(std::size(kPictureFiles) == tarsil::kDialogPictureCount);

// The macro controls: shown together in the macro kinds.
constexpr int kMacroControls[] = {
    IDC_ADD_MACRO,   IDC_DELETE_MACRO, IDC_RECORD,         IDC_DELETE_STEP,
    IDC_CLEAR_STEPS, IDC_FIRST_STEP,   IDC_PREVIOUS_STEP,  IDC_NEXT_STEP,
    IDC_LAST_STEP,   IDC_MACRO_LIST,   IDC_STEP_LIST,      IDC_MACRO_MODE,
    IDC_STEP_DELAY,  IDC_ALL_DELAYS,   IDC_SET_ALL_DELAYS, IDC_CLEAR_DELAYS};
// The timing controls of the chosen macro.
constexpr int kTimingControls[] = {IDC_MACRO_MODE, IDC_ALL_DELAYS, IDC_SET_ALL_DELAYS,
                                   IDC_CLEAR_DELAYS};
constexpr int kStepButtons[] = {IDC_RECORD,        IDC_DELETE_STEP, IDC_CLEAR_STEPS, IDC_FIRST_STEP,
                                IDC_PREVIOUS_STEP, IDC_NEXT_STEP,   IDC_LAST_STEP};

constexpr COLORREF kSelectedRowText = RGB(255, 255, 255);
constexpr COLORREF kSelectedRowBack = RGB(49, 106, 197);

// The fixed-pitch font of the key name and the lists: Fixedsys where the
// system has it, else its own fixed-pitch face at the same size.
HFONT createListFont(HWND window) {
  const HDC dc = GetDC(window);
  LOGFONTW font{};
  font.lfHeight = -MulDiv(20, GetDeviceCaps(dc, LOGPIXELSY), 72);
  font.lfCharSet = DEFAULT_CHARSET;
  wcscpy(font.lfFaceName, L"Fixedsys");
  bool found = false;
  EnumFontFamiliesExW(
      dc, &font,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM exists) -> int {
        *reinterpret_cast<bool*>(exists) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(window, dc);
  if (!found) {
    font.lfFaceName[0] = L'\0';
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  }
  return CreateFontIndirectW(&font);
}

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

KeySettingsDialog::KeySettingsDialog(CWnd* owner, const std::filesystem::path& programFolder,
                                     const tarsil::MediaKeyTable& media)
    : SkinnedDialog(IDD_KEY_SETTINGS, owner), model_(captureHook.shared, media) {
  tarsil::ini::IniDocument layout;
  loadProblem_ = loadSkinnedDialog(programFolder, kPictureFiles, pictures_, L"Composite.ini",
                                   L"key settings", layout);
  layout_ = tarsil::readDialogLayout(layout);
}

std::optional<tarsil::KeySettingsExchange> KeySettingsDialog::run(
    tarsil::KeySettingsExchange exchange, tarsil::TranslationTable& working) {
  if (!loadProblem_.empty() || isOpen()) return std::nullopt;
  model_.open(std::move(exchange), working);
  if (DoModal() != IDOK) return std::nullopt;
  return model_.exchange();
}

void KeySettingsDialog::closeWithCancel() {
  if (isOpen()) OnCancel();
}

BOOL KeySettingsDialog::OnInitDialog() {
  const DurationTrace trace("opening the key settings");
  captureHook.dialog = m_hWnd;
  // Shown nowhere on the skin, but it names the window to the system.
  SetWindowTextW(m_hWnd, L"Key Settings");
  keyFont_.reset(createListFont(m_hWnd));
  listFont_.reset(createListFont(m_hWnd));
  SendDlgItemMessageW(m_hWnd, IDC_KEY_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(keyFont_.get()),
                      0);
  for (const int list : {IDC_MEDIA_LIST, IDC_FUNCTION_LIST, IDC_MACRO_LIST}) {
    SendDlgItemMessageW(m_hWnd, list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), 0);
  }
  for (const std::u16string_view name : tarsil::kMediaNames) {
    SendDlgItemMessageW(m_hWnd, IDC_MEDIA_LIST, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(wide(name).c_str()));
  }
  for (const std::u16string_view name : tarsil::functionNames()) {
    SendDlgItemMessageW(m_hWnd, IDC_FUNCTION_LIST, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(wide(name).c_str()));
  }
  for (const std::u16string_view name : tarsil::kMacroModeNames) {
    SendDlgItemMessageW(m_hWnd, IDC_MACRO_MODE, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(wide(name).c_str()));
  }
  // A delay is five digits at most.
  for (const int field : {IDC_STEP_DELAY, IDC_ALL_DELAYS}) {
    SendDlgItemMessageW(m_hWnd, field, EM_SETLIMITTEXT, 5, 0);
  }
  const HWND steps = item(IDC_STEP_LIST);
  ListView_SetExtendedListViewStyle(steps,
                                    LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT);
  // The third column is the delay before the step, in milliseconds.
  const wchar_t* columns[] = {L"Key", L"Action", L"Delay (ms)"};
  const int widths[] = {70, 70, 80};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = i == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = widths[i];
    column.pszText = const_cast<wchar_t*>(columns[i]);
    ListView_InsertColumn(steps, i, &column);
  }
  placeControls();

  const CBitmap& mask = pictures_[static_cast<std::size_t>(tarsil::DialogPicture::kKeyMask)];
  const SIZE size = mask.GetSize();
  SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowRgn(m_hWnd, createOutlineRegion(mask), TRUE);
  // Not shown yet, so centred on the screen's work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(m_hWnd, nullptr, work.left + (work.right - work.left - size.cx) / 2,
               work.top + (work.bottom - work.top - size.cy) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  shownEntries_ = ~0u;
  shownSteps_.clear();  // a new list: the first render fills it
  shownDelays_.clear();
  shownSelection_ = -1;
  shownKind_ = -1;
  render();
  return TRUE;
}

void KeySettingsDialog::placeControls() {
  for (int entry = 1; entry <= tarsil::kDialogEntriesRead; ++entry) {
    const tarsil::KeySlot& place = layout_[static_cast<std::size_t>(entry - 1)];
    // A layout from before the timing controls places none of them: they
    // stay hidden.
    placed_[static_cast<std::size_t>(entry)] = place.width > 0 && place.height > 0;
  }
  for (int entry = 1; entry <= tarsil::kLastSkinButton; ++entry) {
    const int id = kControlOfEntry[entry];
    if (!tarsil::isSkinButton(entry) || id == 0) continue;
    const tarsil::KeySlot& place = layout_[static_cast<std::size_t>(entry - 1)];
    BitmapButton& button = buttons_[static_cast<std::size_t>(entry)];
    button.SubclassDlgItem(id, *this);
    std::array<HBITMAP, 4> faces{};
    const std::array<tarsil::DialogPicture, 4> pictures = tarsil::buttonPictures(entry);
    for (std::size_t face = 0; face < faces.size(); ++face) faces[face] = picture(pictures[face]);
    button.setSkin(model_.button(entry), faces,
                   {place.left, place.top, place.left + place.width, place.top + place.height});
    MoveWindow(button.m_hWnd, place.left, place.top, place.width, place.height, TRUE);
  }
  for (int entry = 1; entry <= tarsil::kDialogEntriesRead; ++entry) {
    if (tarsil::isSkinButton(entry) || kControlOfEntry[entry] == 0) continue;
    const tarsil::KeySlot& place = layout_[static_cast<std::size_t>(entry - 1)];
    const int id = kControlOfEntry[entry];
    const HWND control = item(id);
    // A delay field sits inside its frame, its line in the middle.
    const int inset = id == IDC_STEP_DELAY || id == IDC_ALL_DELAYS ? 5 : 0;
    MoveWindow(control, place.left + inset, place.top + inset, place.width - 2 * inset,
               place.height - 2 * inset, TRUE);
    ShowWindow(control, SW_HIDE);
  }
}

void KeySettingsDialog::OnOK() { onCommand(IDC_SETTINGS_OK, BN_CLICKED, nullptr); }

void KeySettingsDialog::OnCancel() {
  model_.cancel();
  render();
  EndDialog(IDCANCEL);
}

bool KeySettingsDialog::confirmDeleteBoundMacro() {
  return MessageBoxW(m_hWnd,
                     L"Some key settings are detected pointing to this macro, and you really "
                     L"need to delete this macro ?",
                     L"KEYBOARD", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

void KeySettingsDialog::onCommand(int id, int notification, HWND) {
  switch (id) {
    case IDC_SETTINGS_OK:
      model_.ok();
      render();
      EndDialog(IDOK);
      return;
    case IDCANCEL:
      OnCancel();
      return;
    case IDC_CLEAR:
      model_.clear();
      break;
    case IDC_OSK:
      ShellExecuteW(m_hWnd, nullptr, L"osk.exe", nullptr, nullptr, SW_SHOWNORMAL);
      break;
    case IDC_KIND_SINGLE_KEY:
    case IDC_KIND_MACRO:
    case IDC_KIND_MEDIA:
    case IDC_KIND_FUNCTION:
      model_.chooseKind(id - IDC_KIND_SINGLE_KEY);
      break;
    case IDC_ADD_MACRO:
      model_.macros().add();
      break;
    case IDC_DELETE_MACRO:
      model_.macros().remove(*this);
      break;
    case IDC_RECORD: {
      // NumLock counts as on only when toggled on and not held.
      const bool numLockOff = model_.toggleRecording(GetKeyState(VK_NUMLOCK) == 1);
      // The notice waits for a key, which must reach it: it comes before the
      // capture hook when recording starts, and after it when it stops.
      if (numLockOff && model_.recording()) notifyKeypadNotLocked();
      render();
      if (numLockOff && !model_.recording()) notifyKeypadNotLocked();
      return;
    }
    case IDC_DELETE_STEP:
      model_.macros().deleteStep();
      break;
    case IDC_CLEAR_STEPS:
      model_.macros().clearSteps();
      break;
    case IDC_FIRST_STEP:
    case IDC_PREVIOUS_STEP:
    case IDC_NEXT_STEP:
    case IDC_LAST_STEP:
      model_.macros().moveStepSelection(static_cast<tarsil::StepMove>(id - IDC_FIRST_STEP));
      break;
    case IDC_MACRO_MODE:
      if (notification != CBN_SELCHANGE) return;
      model_.macros().setMode(static_cast<tarsil::MacroMode>(
          SendDlgItemMessageW(m_hWnd, IDC_MACRO_MODE, CB_GETCURSEL, 0, 0)));
      break;
    case IDC_STEP_DELAY:
    case IDC_ALL_DELAYS: {
      // What render itself writes into the fields is no typing.
      if (notification != EN_CHANGE || rendering_) return;
      const std::wstring text = windowText(item(id));
      if (id == IDC_STEP_DELAY) {
        model_.macros().typeDelay(std::u16string(text.begin(), text.end()));
      } else {
        model_.macros().typeAllDelays(std::u16string(text.begin(), text.end()));
      }
      break;
    }
    case IDC_SET_ALL_DELAYS:
      model_.macros().applyDelayToAll();
      break;
    case IDC_CLEAR_DELAYS:
      model_.macros().clearDelays();
      break;
    case IDC_MACRO_LIST:
      if (notification == CBN_EDITCHANGE) {
        const std::wstring text = windowText(item(IDC_MACRO_LIST));
        model_.macros().rename(std::u16string(text.begin(), text.end()));
      } else if (notification == CBN_SELCHANGE) {
        model_.macros().choose(
            static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_MACRO_LIST, CB_GETCURSEL, 0, 0)));
      } else if (notification == CBN_KILLFOCUS) {
        model_.macros().refill();
      } else {
        return;
      }
      break;
    case IDC_MEDIA_LIST:
    case IDC_FUNCTION_LIST: {
      if (notification != CBN_SELCHANGE) return;
      const int chosen = static_cast<int>(SendDlgItemMessageW(m_hWnd, id, CB_GETCURSEL, 0, 0));
      if (id == IDC_MEDIA_LIST) {
        model_.chooseMedia(chosen);
      } else {
        model_.chooseFunction(chosen);
      }
      break;
    }
    default:
      return;
  }
  render();
}

void KeySettingsDialog::notifyKeypadNotLocked() {
  AfxMessageBox(L"Keypad not locked ", MB_OK, m_hWnd);
}

void KeySettingsDialog::onMacroKey(WPARAM message, LPARAM packed) {
  const PackedKeyEvent event = unpackKeyEvent(packed);
  const tarsil::KeyMessage kind = keyMessageOf(message);
  if (model_.kind() == KindSingleKey && tarsil::isPress(kind)) {
    wchar_t name[256] = {};
    GetKeyNameTextW(tarsil::keyNameCode(event.scanCode, event.flags), name, 256);
    const std::wstring text = name;
    model_.keyCaptured(tarsil::captureCode(event.vkCode, event.flags),
                       std::u16string(text.begin(), text.end()));
    render();
    return;
  }
  // A recorded step changes the step list alone: the rest of the dialog is
  // left as it is, so that recording keeps up with fast typing.
  model_.recordEvent({kind, event.vkCode, event.scanCode, event.flags, keyTimeOf(message)});
  rendering_ = true;
  renderSteps();
  rendering_ = false;
}

LRESULT KeySettingsDialog::onStepListDraw(NMLVCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      // The chosen step shows in blue whether or not the list has the focus.
      const auto row = static_cast<int>(draw.nmcd.dwItemSpec);
      const bool chosen = row == model_.macros().selectedStep();
      draw.clrText = chosen ? kSelectedRowText : RGB(0, 0, 0);
      draw.clrTextBk = chosen ? kSelectedRowBack : RGB(255, 255, 255);
      draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void KeySettingsDialog::render() {
  if (m_hWnd == nullptr) return;
  rendering_ = true;
  if (shownKind_ != model_.kind()) {
    shownKind_ = model_.kind();
    InvalidateRect(m_hWnd, nullptr, TRUE);
  }
  for (const int kind : {tarsil::kSingleKeyButton, tarsil::kMediaButton, tarsil::kFunctionButton}) {
    ShowWindow(item(kControlOfEntry[kind]), model_.kindButtonVisible(kind) ? SW_SHOW : SW_HIDE);
  }
  ShowWindow(item(IDC_KEY_NAME), model_.keyNameBoxVisible() ? SW_SHOW : SW_HIDE);
  ShowWindow(item(IDC_MEDIA_LIST), model_.mediaListVisible() ? SW_SHOW : SW_HIDE);
  ShowWindow(item(IDC_FUNCTION_LIST), model_.functionListVisible() ? SW_SHOW : SW_HIDE);
  for (const int control : kMacroControls) {
    const bool placed = placed_[static_cast<std::size_t>(entryOf(control))];
    ShowWindow(item(control), model_.macroControlsVisible() && placed ? SW_SHOW : SW_HIDE);
  }
  const std::wstring keyName = wide(model_.keyNameBoxText());
  if (windowText(item(IDC_KEY_NAME)) != keyName)
    SetDlgItemTextW(m_hWnd, IDC_KEY_NAME, keyName.c_str());
  SendDlgItemMessageW(m_hWnd, IDC_MEDIA_LIST, CB_SETCURSEL, static_cast<WPARAM>(model_.mediaItem()),
                      0);
  SendDlgItemMessageW(m_hWnd, IDC_FUNCTION_LIST, CB_SETCURSEL,
                      static_cast<WPARAM>(model_.functionItem()), 0);
  renderMacroList();
  renderSteps();
  renderTiming();
  for (const int button : kStepButtons) {
    EnableWindow(item(button), model_.macros().stepButtonsEnabled());
  }
  for (const int control : {IDC_ADD_MACRO, IDC_DELETE_MACRO, IDC_MACRO_LIST}) {
    EnableWindow(item(control), model_.macroChoiceEnabled());
  }
  if (model_.captureWanted()) {
    InstallCaptureHook(m_hWnd);
  } else {
    RemoveCaptureHook();
  }
  switch (model_.takeFocusRequest()) {
    case tarsil::DialogFocus::kKeyNameBox:
      SetFocus(item(IDC_KEY_NAME));
      break;
    case tarsil::DialogFocus::kMediaList:
      SetFocus(item(IDC_MEDIA_LIST));
      break;
    case tarsil::DialogFocus::kFunctionList:
      SetFocus(item(IDC_FUNCTION_LIST));
      break;
    case tarsil::DialogFocus::kMacroList:
      SetFocus(item(IDC_MACRO_LIST));
      break;
    case tarsil::DialogFocus::kNone:
      break;
  }
  for (const BitmapButton& button : buttons_) {
    if (button.m_hWnd != nullptr) InvalidateRect(button.m_hWnd, nullptr, FALSE);
  }
  rendering_ = false;
}

void KeySettingsDialog::renderMacroList() {
  const HWND list = item(IDC_MACRO_LIST);
  const tarsil::MacroEditor& macros = model_.macros();
  const bool refilled = shownEntries_ != macros.entriesRevision();
  if (refilled) {
    shownEntries_ = macros.entriesRevision();
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::u16string& name : macros.entries()) {
      SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name).c_str()));
    }
  }
  // Only what the model changed is passed on: typing into the field clears
  // the list's own selection, and setting its text would move the caret.
  if (refilled || shownChosen_ != macros.chosen()) {
    shownChosen_ = macros.chosen();
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(macros.chosen()), 0);
  }
  const std::wstring text = wide(macros.editText());
  if (refilled || shownEditText_ != text) {
    shownEditText_ = text;
    if (windowText(list) != text) SetWindowTextW(list, text.c_str());
  }
}

void KeySettingsDialog::renderSteps() {
  const HWND list = item(IDC_STEP_LIST);
  constexpr std::size_t kWidth = tarsil::kMacroStepWidth;
  const auto [steps, rows, kept] = tarsil::stepRows(model_.macros().steps(), shownSteps_);
  const std::size_t shownRows = shownSteps_.size() / kWidth;
  if (kept == 0 && shownRows > 0) {
    ListView_DeleteAllItems(list);
  } else {
    for (std::size_t row = shownRows; row > kept; --row) {
      ListView_DeleteItem(list, static_cast<int>(row - 1));
    }
  }
  shownDelays_.resize(std::min(kept, shownDelays_.size()));
  for (std::size_t k = kept; k < rows; ++k) {
    const std::int32_t* step = &steps[k * kWidth];
    wchar_t name[256] = {};
    GetKeyNameTextW(step[0], name, 256);
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.iItem = static_cast<int>(k);
    row.pszText = name;
    ListView_InsertItem(list, &row);
    ListView_SetItemText(list, static_cast<int>(k), 1,
                         const_cast<wchar_t*>(step[2] == 1 ? L"down" : L"up"));
  }
  shownSteps_.assign(steps.begin(), steps.end());
  // The delay column: only the cells whose delay changed are written.
  shownDelays_.resize(rows, -1);
  for (std::size_t k = 0; k < rows; ++k) {
    const std::int32_t delay = model_.macros().stepDelay(static_cast<int>(k));
    if (shownDelays_[k] == delay) continue;
    shownDelays_[k] = delay;
    std::wstring text = std::to_wstring(delay);
    ListView_SetItemText(list, static_cast<int>(k), 2, text.data());
  }
  const int selected = model_.macros().selectedStep();
  if (selected != shownSelection_) {
    shownSelection_ = selected;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (selected >= 0) {
      ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(list, selected, FALSE);
    }
  }
}

void KeySettingsDialog::renderTiming() {
  const tarsil::MacroEditor& macros = model_.macros();
  const auto mode = static_cast<WPARAM>(macros.mode());
  if (SendDlgItemMessageW(m_hWnd, IDC_MACRO_MODE, CB_GETCURSEL, 0, 0) !=
      static_cast<LRESULT>(mode)) {
    SendDlgItemMessageW(m_hWnd, IDC_MACRO_MODE, CB_SETCURSEL, mode, 0);
  }
  // A field is written only when the model says something else than it
  // shows: rewriting what the user is typing would move the caret.
  for (const auto& [field, text] : {std::pair{IDC_STEP_DELAY, wide(macros.delayText())},
                                    std::pair{IDC_ALL_DELAYS, wide(macros.allDelaysText())}}) {
    if (windowText(item(field)) != text) SetDlgItemTextW(m_hWnd, field, text.c_str());
  }
  for (const int control : kTimingControls) EnableWindow(item(control), model_.timingEnabled());
  EnableWindow(item(IDC_STEP_DELAY), model_.stepDelayEnabled());
}

int KeySettingsDialog::entryOf(int control) {
  for (int entry = 1; entry <= tarsil::kDialogEntriesRead; ++entry) {
    if (kControlOfEntry[entry] == control) return entry;
  }
  return 0;
}

bool KeySettingsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOK();
      } else {
        onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      }
      result = 0;
      return true;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom != IDC_STEP_LIST) return false;
      if (header->code == NM_CUSTOMDRAW) {
        result = onStepListDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        return true;
      }
      if (header->code == LVN_ITEMCHANGED && !rendering_) {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
        if ((change->uNewState & LVIS_SELECTED) != 0) {
          model_.macros().selectStep(change->iItem);
          render();
        }
      }
      result = 0;
      return true;
    }
    case WM_MACRO_KEY:
      onMacroKey(wParam, lParam);
      result = 0;
      return true;
    default:
      return SkinnedDialog::OnMessage(message, wParam, lParam, result);
  }
}
