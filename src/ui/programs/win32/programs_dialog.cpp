#include "ui/programs/win32/programs_dialog.h"

#include <algorithm>
#include <utility>

#include "framework/win32/duration_trace.h"
#include "framework/win32/file_dialog.h"
#include "framework/win32/wide_text.h"
#include "framework/win32/win_app.h"
#include "ini/ini_file.h"
#include "layout/layout_file.h"
#include "resource.h"
#include "ui/programs/win32/running_programs.h"
#include "ui/skin/win32/skin_pictures.h"

namespace {

// The control each entry of "Programs.ini" places.
constexpr int kControlOfEntry[] = {
    0,
    IDC_PROGRAMS_OK,
    IDCANCEL,
    IDC_ADD_PROGRAM,
    IDC_REMOVE_PROGRAM,
    IDC_RULE_PROFILE1,
    IDC_RULE_PROFILE2,
    IDC_RULE_PROFILE3,
    IDC_FALLBACK_STAY,
    IDC_FALLBACK_PROFILE1,
    IDC_FALLBACK_PROFILE2,
    IDC_FALLBACK_PROFILE3,
    IDC_RULE_LIST,
};
static_assert(std::size(kControlOfEntry) == tarsil::kProgramsEntryCount + 1);

enum Picture : std::size_t { kMask, kNormal, kOver, kDown, kDisable };
constexpr const wchar_t* kPictureFiles[] = {L"programs_mask.bmp", L"programs_normal.bmp",
                                            L"programs_over.bmp", L"programs_down.bmp",
                                            L"programs_disable.bmp"};

// The list sits in a field the skin draws around it, in the fields' ink and
// paper; the selected rule is lit like a chosen button.
constexpr COLORREF kFieldPaper = SkinnedDialog::kFieldPaper;
constexpr COLORREF kFieldInk = SkinnedDialog::kFieldInk;
constexpr COLORREF kSelectedRowBack = RGB(245, 120, 20);
constexpr COLORREF kSelectedRowText = RGB(34, 18, 4);
constexpr int kProfileColumnWidth = 96;

// Add's menu: the running programs from 1, then the file dialog.
constexpr UINT kBrowseItem = 0xFFFF;

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

ProgramsDialog::ProgramsDialog(CWnd* owner, std::filesystem::path programFolder,
                               std::u16string ownPath)
    : SkinnedDialog(IDD_PROGRAMS, owner),
      programFolder_(std::move(programFolder)),
      ownPath_(std::move(ownPath)) {}

void ProgramsDialog::load() {
  if (loaded_) return;
  loaded_ = true;
  tarsil::ini::IniDocument layout;
  loadProblem_ = loadSkinnedDialog(programFolder_, kPictureFiles, pictures_, L"Programs.ini",
                                   L"Programs dialog", layout);
  layout_ = tarsil::readLayoutEntries(layout, tarsil::kProgramsEntryCount);
}

std::optional<tarsil::ProgramRules> ProgramsDialog::run(HWND owner,
                                                        const tarsil::ProgramRules& rules,
                                                        std::int32_t activeProfile) {
  if (isOpen()) {
    SetForegroundWindow(m_hWnd);
    return std::nullopt;
  }
  load();
  if (!loadProblem_.empty()) {
    AfxMessageBox(loadProblem_, MB_OK | MB_ICONERROR, owner);
    return std::nullopt;
  }
  model_.open(rules, activeProfile);
  if (DoModal() != IDOK) return std::nullopt;
  return model_.rules();
}

void ProgramsDialog::closeWithCancel() {
  if (isOpen()) OnCancel();
}

BOOL ProgramsDialog::OnInitDialog() {
  const DurationTrace trace("opening the Programs dialog");
  // Shown nowhere on the skin, but it names the window to the system.
  SetWindowTextW(m_hWnd, L"Programs");
  listFont_.reset(CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, L"Segoe UI"));
  const HWND list = item(IDC_RULE_LIST);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), 0);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  // The chosen rule is lit in the skin's amber; a dotted frame on top adds nothing.
  SendMessageW(list, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  ListView_SetBkColor(list, kFieldPaper);
  ListView_SetTextBkColor(list, kFieldPaper);
  ListView_SetTextColor(list, kFieldInk);
  placeControls();
  RECT area{};
  GetClientRect(list, &area);
  const int widths[] = {area.right - kProfileColumnWidth, kProfileColumnWidth};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = widths[i];
    ListView_InsertColumn(list, i, &column);
  }

  const SIZE size = pictures_[kMask].GetSize();
  SetWindowRgn(m_hWnd, createOutlineRegion(pictures_[kMask]), FALSE);
  // Not shown yet, so centred on the screen's work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(m_hWnd, nullptr, work.left + (work.right - work.left - size.cx) / 2,
               work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  render();
  SetFocus(list);
  return FALSE;
}

void ProgramsDialog::placeControls() {
  for (int entry = 1; entry <= tarsil::kProgramsEntryCount; ++entry) {
    const tarsil::KeySlot& place = layout_[static_cast<std::size_t>(entry - 1)];
    const int id = kControlOfEntry[entry];
    if (entry <= tarsil::kLastProgramsButton) {
      BitmapButton& button = buttons_[static_cast<std::size_t>(entry)];
      button.SubclassDlgItem(id, *this);
      button.setSkin(model_.button(entry),
                     {pictures_[kNormal].handle(), pictures_[kOver].handle(),
                      pictures_[kDown].handle(), pictures_[kDisable].handle()},
                     {place.left, place.top, place.left + place.width, place.top + place.height});
    }
    MoveWindow(item(id), place.left, place.top, place.width, place.height, TRUE);
  }
}

HBITMAP ProgramsDialog::backgroundPicture() const { return pictures_[kNormal].handle(); }

void ProgramsDialog::OnOK() { onCommand(IDC_PROGRAMS_OK); }

void ProgramsDialog::OnCancel() { EndDialog(IDCANCEL); }

void ProgramsDialog::onCommand(int id) {
  switch (id) {
    case IDC_PROGRAMS_OK:
      EndDialog(IDOK);
      return;
    case IDCANCEL:
      OnCancel();
      return;
    case IDC_ADD_PROGRAM:
      chooseProgram();
      break;
    case IDC_REMOVE_PROGRAM:
      model_.remove();
      break;
    case IDC_RULE_PROFILE1:
    case IDC_RULE_PROFILE2:
    case IDC_RULE_PROFILE3:
      model_.chooseRuleProfile(id - IDC_RULE_PROFILE1 + 1);
      break;
    case IDC_FALLBACK_STAY:
    case IDC_FALLBACK_PROFILE1:
    case IDC_FALLBACK_PROFILE2:
    case IDC_FALLBACK_PROFILE3:
      model_.chooseFallback(id - IDC_FALLBACK_STAY);
      break;
    default:
      return;
  }
  render();
}

void ProgramsDialog::chooseProgram() {
  const std::vector<tarsil::RunningProgram> choices =
      tarsil::programChoices(runningProgramWindows(), model_.rules(), ownPath_);
  const HMENU menu = CreatePopupMenu();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    AppendMenuW(menu, MF_STRING, i + 1, wide(tarsil::choiceText(choices[i])).c_str());
  }
  if (choices.empty()) {
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, L"No other program has a window open");
  }
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kBrowseItem, L"Browse for a program...");
  RECT add{};
  GetWindowRect(item(IDC_ADD_PROGRAM), &add);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, add.left,
                     add.bottom, 0, m_hWnd, nullptr));
  DestroyMenu(menu);
  if (chosen >= 1 && chosen <= choices.size()) {
    model_.add(choices[chosen - 1].path);
  } else if (chosen == kBrowseItem) {
    CFileDialog dialog(true, L"exe", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                       L"Programs (*.exe)|*.exe|All files (*.*)|*.*||", m_hWnd, L"Add a program");
    if (dialog.DoModal() == IDOK) {
      const std::wstring& path = dialog.GetPathName();
      model_.add(std::u16string(path.begin(), path.end()));
    }
  }
}

LRESULT ProgramsDialog::onListDraw(NMLVCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const bool chosen = static_cast<int>(draw.nmcd.dwItemSpec) == model_.selected();
      draw.clrText = chosen ? kSelectedRowText : kFieldInk;
      draw.clrTextBk = chosen ? kSelectedRowBack : kFieldPaper;
      draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void ProgramsDialog::render() {
  if (m_hWnd == nullptr) return;
  rendering_ = true;
  const HWND list = item(IDC_RULE_LIST);
  const std::vector<tarsil::ProgramRule>& rules = model_.rules().rules;
  const int rows = ListView_GetItemCount(list);
  for (int row = 0; row < static_cast<int>(rules.size()); ++row) {
    const std::wstring program = wide(rules[static_cast<std::size_t>(row)].program);
    const std::wstring profile = wide(model_.profileText(row));
    if (row >= rows) {
      LVITEMW line{};
      line.mask = LVIF_TEXT;
      line.iItem = row;
      line.pszText = const_cast<wchar_t*>(program.c_str());
      ListView_InsertItem(list, &line);
    } else {
      ListView_SetItemText(list, row, 0, const_cast<wchar_t*>(program.c_str()));
    }
    ListView_SetItemText(list, row, 1, const_cast<wchar_t*>(profile.c_str()));
  }
  for (int row = rows - 1; row >= static_cast<int>(rules.size()); --row) {
    ListView_DeleteItem(list, row);
  }
  const int selected = model_.selected();
  if (ListView_GetNextItem(list, -1, LVNI_SELECTED) != selected) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (selected >= 0) {
      ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(list, selected, FALSE);
    }
  }
  InvalidateRect(list, nullptr, FALSE);
  for (const int id :
       {IDC_REMOVE_PROGRAM, IDC_RULE_PROFILE1, IDC_RULE_PROFILE2, IDC_RULE_PROFILE3}) {
    EnableWindow(item(id), model_.ruleButtonsEnabled());
  }
  for (const BitmapButton& button : buttons_) {
    if (button.m_hWnd != nullptr) InvalidateRect(button.m_hWnd, nullptr, FALSE);
  }
  rendering_ = false;
}

bool ProgramsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOK();
      } else if (HIWORD(wParam) == BN_CLICKED) {
        onCommand(LOWORD(wParam));
      }
      result = 0;
      return true;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom != IDC_RULE_LIST) return false;
      if (header->code == NM_CUSTOMDRAW) {
        result = onListDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        return true;
      }
      if (header->code == LVN_ITEMCHANGED && !rendering_) {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
        if ((change->uNewState & LVIS_SELECTED) != 0 && change->iItem != model_.selected()) {
          model_.select(change->iItem);
          render();
        }
      } else if (header->code == LVN_KEYDOWN &&
                 reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE) {
        model_.remove();
        render();
      }
      result = 0;
      return true;
    }
    default:
      return SkinnedDialog::OnMessage(message, wParam, lParam, result);
  }
}
