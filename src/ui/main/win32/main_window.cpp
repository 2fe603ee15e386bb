#include "ui/main/win32/main_window.h"

#include <windowsx.h>

#include <optional>
#include <string>

#include "device/win32/keyboard_presence.h"
#include "engine/win32/key_hook.h"
#include "framework/win32/duration_trace.h"
#include "framework/win32/gdi.h"
#include "framework/win32/wide_text.h"
#include "framework/win32/win_app.h"
#include "resource.h"
#include "ui/main/win32/about_dialog.h"
#include "ui/main/win32/instance_name.h"
#include "ui/main/win32/popup_menu.h"
#include "ui/main/win32/profile_files.h"
#include "ui/main/win32/profile_messages.h"

namespace {

// The pointer counts as resting once it has not moved for this long.
constexpr DWORD kHoverTime = 10;  // milliseconds

constexpr wchar_t kQuestionCaption[] = L"KEYBOARD";

// Posted by the watch of the folder of set.ini.
constexpr UINT kSettingsFolderChanged = WM_APP + 15;

HINSTANCE programInstance() {
  CWinApp* app = CWinApp::Current();
  return app != nullptr ? app->instance() : GetModuleHandleW(nullptr);
}

}  // namespace

MainWindow::MainWindow(bool alwaysOn, bool startHidden, std::optional<std::int32_t> startProfile,
                       CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      alwaysOn_(alwaysOn),
      refuseFirstShow_(startHidden),
      executable_(modulePath()),
      settings_(this, executable_.parent_path(), session_.layout().media),
      commands_(session_.profiles(), session_.layout(), *this),
      startProfile_(startProfile),
      programs_(this, executable_.parent_path(), executable_.u16string()) {
  icon_ = LoadIconW(programInstance(), MAKEINTRESOURCEW(IDI_TARSIL));
  // The tray's size, which the system picks from the icons' images.
  for (int i = 0; i < 3; ++i) {
    profileIcons_[static_cast<std::size_t>(i)] = static_cast<HICON>(
        LoadImageW(programInstance(), MAKEINTRESOURCEW(IDI_PROFILE1 + i), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  }
  skinProblem_ = skin_.load(executable_.parent_path());
}

HICON MainWindow::profileIcon() const {
  const std::int32_t profile = session_.profiles().activeProfile;
  const HICON icon = tarsil::isProfileNumber(profile)
                         ? profileIcons_[static_cast<std::size_t>(profile - 1)]
                         : nullptr;
  return icon != nullptr ? icon : icon_;
}

void MainWindow::showActiveProfile(std::int32_t profile,
                                   const std::optional<tarsil::ProfileNotice>& notice) {
  const CWinApp* app = CWinApp::Current();
  const std::wstring_view name = app != nullptr ? app->m_pszAppName : L"";
  const std::u16string tip = tarsil::trayTip(std::u16string(name.begin(), name.end()), profile);
  tray_.show(profileIcon(), std::wstring(tip.begin(), tip.end()));
  if (notice) notice_.show(*notice);
  // Every switch stops what plays, whatever asked for it: a key, the
  // program in front, another program's change of set.ini.
  followMacros();
}

void MainWindow::onKeyAction(void* context, const tarsil::KeyAction& action, bool up) {
  auto* window = static_cast<MainWindow*>(context);
  switch (action.kind) {
    case tarsil::KeyActionKind::kPlayMacro:
      tarsil::playMacroAction(window->player_, action, up,
                              window->session_.profiles().activeProfile);
      break;
    case tarsil::KeyActionKind::kSwitchProfile:
      if (!up) PostMessageW(window->m_hWnd, WM_PROFILE_KEY, static_cast<WPARAM>(action.value), 0);
      break;
    case tarsil::KeyActionKind::kNone:
      break;
  }
}

void MainWindow::onForeground(void* context, const tarsil::ForegroundProgram& program) {
  auto* window = static_cast<MainWindow*>(context);
  tarsil::ProfileSet& profiles = window->session_.profiles();
  if (const std::optional<tarsil::RuleSwitch> change = window->autoProfile_.foregroundChanged(
          profiles.programRules, program, profiles.activeProfile)) {
    window->commands_.switchProfile(change->profile, tarsil::SwitchSource::kRule, change->program);
  }
}

void MainWindow::switchFromMessage(WPARAM value, tarsil::SwitchSource source) {
  const tarsil::KeyAction action{tarsil::KeyActionKind::kSwitchProfile,
                                 static_cast<std::int32_t>(value)};
  commands_.switchProfile(tarsil::profileKeyTarget(action, session_.profiles().activeProfile),
                          source);
}

void MainWindow::editProgramRules() {
  tarsil::ProfileSet& profiles = session_.profiles();
  if (std::optional<tarsil::ProgramRules> rules =
          programs_.run(m_hWnd, profiles.programRules, profiles.activeProfile)) {
    profiles.programRules = std::move(*rules);
    autoProfile_.rulesChanged();
    saveSettings();
  }
}

MainWindow::~MainWindow() = default;

void MainWindow::applyPresence(bool present) {
  if (present) {
    tarsil::InstallKeyHook();
    tarsil::keyHook.keyHookStopped = 0;
  } else {
    stopTranslation();
    tarsil::keyHook.keyHookStopped = 1;
  }
}

void MainWindow::stopTranslation() {
  // Taken while the hook still knows them: the keys the user holds, which
  // the player's releases must spare once no hook holds them back.
  const tarsil::KeySet userKeys = tarsil::keyHook.translator.userHeldKeys();
  tarsil::RemoveKeyHook();
  player_.stopAll(&userKeys);
}

void MainWindow::followMacros() {
  if (!session_.running()) return;
  const tarsil::ProfileSet& profiles = session_.profiles();
  if (!macroWatch_.changed(profiles)) return;
  player_.setLibrary(
      std::make_shared<const tarsil::MacroLibrary>(tarsil::buildMacroLibrary(profiles)));
}

void MainWindow::endWithNotice(const std::wstring& text) {
  AfxMessageBox(text, MB_OK | MB_ICONERROR, m_hWnd);
  EndDialog(IDABORT);
}

BOOL MainWindow::OnInitDialog() {
  const DurationTrace trace("the initialisation");
  SetPropW(m_hWnd, kInstanceName, reinterpret_cast<HANDLE>(1));
  SetWindowTextW(m_hWnd, CWinApp::Current() != nullptr ? CWinApp::Current()->m_pszAppName : L"");
  for (const std::wstring* problem :
       std::initializer_list<const std::wstring*>{&settings_.loadProblem(), &skinProblem_}) {
    if (!problem->empty()) {
      endWithNotice(*problem);
      return TRUE;
    }
  }
  // The settings load before the hook is installed: a hook waits for this
  // thread, and every key of the desktop would wait for the load.
  std::optional<tarsil::SessionFiles> files;
  if (!executable_.empty()) files = tarsil::filesBesideExecutable(executable_);
  showNotices(m_hWnd, session_.start(files));
  if (!session_.running()) {
    // Without a layout there is no keyboard to show or translate.
    EndDialog(IDABORT);
    return TRUE;
  }
  tarsil::ProfileSet& profiles = session_.profiles();
  const tarsil::TranslationTable* const tables[3] = {&profiles.stores[0].translation,
                                                     &profiles.stores[1].translation,
                                                     &profiles.stores[2].translation};
  tarsil::SetKeyHookTables(tables, &profiles.activeProfile);
  const tarsil::KeyActionTable* const actions[3] = {
      &profiles.stores[0].actions, &profiles.stores[1].actions, &profiles.stores[2].actions};
  tarsil::SetKeyHookActions(actions, onKeyAction, this);
  player_.start();
  followMacros();

  applyPresence(alwaysOn_ || tarsil::IsKeyboardPresent(m_hWnd));
  tray_.add(m_hWnd, icon_);
  showActiveProfile(profiles.activeProfile, std::nullopt);
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  notice_.create(executable_.parent_path(), m_hWnd);
  // Profiles follow the program in front from its next change on: the
  // profile the program starts with is the one it was left in.
  foreground_.start(onForeground, this);
  if (startProfile_)
    PostMessageW(m_hWnd, WM_PROFILE_REQUEST, static_cast<WPARAM>(*startProfile_), 0);

  applyOutline();
  tooltip_.create(m_hWnd);
  deviceNotification_ = tarsil::registerKeyboardNotifications(m_hWnd);
  settingsWatch_.start(m_hWnd, kSettingsFolderChanged, session_.files().settings.parent_path());
  profiles.modified = false;
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  return TRUE;
}

void MainWindow::applyOutline() {
  const SIZE size = skin_.size();
  SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  // The system owns the region once the window has it.
  SetWindowRgn(m_hWnd, skin_.createOutline(), TRUE);
  const LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style & ~WS_BORDER) | WS_SYSMENU | WS_MINIMIZEBOX);
}

POINT MainWindow::toWindow(LPARAM screenPoint) const {
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  return {GET_X_LPARAM(screenPoint) - window.left, GET_Y_LPARAM(screenPoint) - window.top};
}

void MainWindow::copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) {
  WindowDC dc(m_hWnd);
  SkinPainter(skin_, dc.get()).copyPicture(picture, area);
}

void MainWindow::hideWindow() { ShowWindow(m_hWnd, SW_HIDE); }

void MainWindow::minimizeWindow() { ShowWindow(m_hWnd, SW_MINIMIZE); }

void MainWindow::showButtonMenu() { showPopupMenu(m_hWnd, IDR_BUTTON_MENU); }

bool MainWindow::confirmRestoreDefaults() {
  return MessageBoxW(m_hWnd, L"Do you want to restore the default settings?", kQuestionCaption,
                     MB_OKCANCEL | MB_ICONWARNING) == IDOK;
}

bool MainWindow::confirmSaveChanges() {
  return MessageBoxW(m_hWnd, L"Do you want to save the settings?", kQuestionCaption,
                     MB_OKCANCEL | MB_ICONWARNING) == IDOK;
}

std::optional<tarsil::KeySettingsExchange> MainWindow::runKeySettings(
    tarsil::KeySettingsExchange exchange, tarsil::TranslationTable& working) {
  // What plays stops first: its strokes would go into the dialog's fields
  // and, while keys are captured, be taken for the user's.
  player_.stopAll();
  return settings_.run(std::move(exchange), working);
}

void MainWindow::saveSettings() { showNotices(m_hWnd, session_.save(*this)); }

bool MainWindow::keepUnappliedEdits(std::int32_t profile) {
  const std::wstring number = std::to_wstring(profile);
  return MessageBoxW(
             m_hWnd,
             (L"Another program has changed the settings file, set.ini, while profile " + number +
              L" holds changes you have not applied.\n\nDo you want to keep your "
              L"changes? Yes applies them to profile " +
              number + L"; No takes the settings from the file.")
                 .c_str(),
             kQuestionCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void MainWindow::followSettingsFile() {
  if (!IsWindowEnabled(m_hWnd)) {
    followPending_ = true;
    return;
  }
  followPending_ = false;
  settingsWatch_.looking();
  const std::uint64_t before = session_.outsideChangeCount();
  const tarsil::ProgramRules rulesBefore = session_.profiles().programRules;
  const tarsil::Notices notices = session_.followFile(*this);
  // What another program changed shows at once: the keys, the active
  // profile (in the tray as well), and new rules from the next program on.
  if (session_.outsideChangeCount() != before) {
    InvalidateRect(m_hWnd, nullptr, TRUE);
    showActiveProfile(session_.profiles().activeProfile, std::nullopt);
    if (session_.profiles().programRules != rulesBefore) autoProfile_.rulesChanged();
  }
  showNotices(m_hWnd, notices);
}

std::int32_t MainWindow::windowWidth() const {
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  return window.right - window.left;
}

std::int32_t MainWindow::windowHeight() const {
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  return window.bottom - window.top;
}

LRESULT MainWindow::OnDeviceChange(WPARAM event, LPARAM data) {
  switch (tarsil::OnDeviceChange(event, data, alwaysOn_)) {
    case tarsil::PresenceAction::kStartTranslation:
      applyPresence(true);
      tray_.modify(profileIcon());
      break;
    case tarsil::PresenceAction::kStopTranslation:
      applyPresence(false);
      tray_.modify(profileIcon());
      break;
    case tarsil::PresenceAction::kNone:
      break;
  }
  return TRUE;
}

void MainWindow::OnCommand(UINT id) {
  switch (id) {
    case ID_APP_EXIT_COMMAND:
      exit();
      break;
    case ID_OPEN_COMMAND:
      ShowWindow(m_hWnd, SW_SHOWNORMAL);
      SetForegroundWindow(m_hWnd);
      break;
    case ID_ABOUT_COMMAND:
      AboutDialog(this).DoModal();
      break;
    case ID_EXPORT_COMMAND:
      exportWithDialog(m_hWnd, session_);
      break;
    case ID_IMPORT_COMMAND: {
      // The import goes into the profile active when it was asked for.
      const tarsil::MainCommands::WaitForUser wait(commands_);
      // The imported keys show at once, not only at the next repaint.
      if (importWithDialog(m_hWnd, session_)) {
        saveSettings();
        InvalidateRect(m_hWnd, nullptr, TRUE);
      }
      break;
    }
    case ID_PROGRAMS_COMMAND:
      editProgramRules();
      break;
    default:
      break;
  }
  if (followPending_) followSettingsFile();
}

LRESULT MainWindow::OnTrayNotification(WPARAM id, LPARAM mouseMessage) {
  if (id != TrayIcon::kId) return 1;
  switch (mouseMessage) {
    case WM_LBUTTONDBLCLK:
      ShowWindow(m_hWnd, SW_RESTORE);
      SetForegroundWindow(m_hWnd);
      break;
    case WM_RBUTTONUP:
      showPopupMenu(m_hWnd, IDR_TRAY_MENU);
      break;
    default:
      break;
  }
  return 0;
}

void MainWindow::exit() {
  // An open key settings dialog ends as its Cancel would: the exit saves
  // what was committed, not a half-made edit.
  settings_.closeWithCancel();
  programs_.closeWithCancel();
  stopTranslation();
  EndDialog(IDCANCEL);
}

void MainWindow::paintIconic() {
  PaintDC dc(m_hWnd);
  SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc.get(), x, y, icon_);
}

void MainWindow::OnDestroy() {
  // Held translated keys are released before the tables they came from go,
  // no key or program may ask for a switch any more, and the player ends
  // with what it holds let go.
  stopTranslation();
  tarsil::SetKeyHookActions(nullptr, nullptr, nullptr);
  player_.shutdown();
  foreground_.stop();
  tarsil::unregisterKeyboardNotifications(deviceNotification_);
  deviceNotification_ = nullptr;
  settingsWatch_.stop();
  const tarsil::Notices notices = session_.finish();
  tray_.remove();
  RemovePropW(m_hWnd, kInstanceName);
  // The window is going: the box has no owner.
  showNotices(nullptr, notices);
}

void MainWindow::showNotices(HWND owner, const tarsil::Notices& notices) {
  if (notices.empty()) return;
  std::wstring text;
  UINT icon = MB_ICONWARNING;
  for (const tarsil::Notice& notice : notices) {
    if (!text.empty()) text += L"\n\n";
    text += wideFromUtf8(notice.text);
    if (notice.level == tarsil::Notice::Level::kError) icon = MB_ICONERROR;
  }
  AfxMessageBox(text, MB_OK | icon, owner);
}

bool MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const bool handled = dispatch(message, wParam, lParam, result);
  // Every change of the profiles comes from some message: an edit, Apply,
  // a profile switch, an import. The pointer's moves and the painting,
  // which come by the hundred, change none.
  switch (message) {
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSEHOVER:
    case WM_NCMOUSELEAVE:
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_DESTROY:
      break;
    default:
      followMacros();
      break;
  }
  return handled;
}

bool MainWindow::dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // Explorer restarted: without its icon a hidden window would be out of reach.
    tray_.add(m_hWnd, profileIcon());
    result = 0;
    return true;
  }
  switch (message) {
    case WM_NCHITTEST:
      // The whole picture drags the window, as a caption does.
      result = Default(message, wParam, lParam);
      if (result == HTCLIENT) result = HTCAPTION;
      return true;
    case WM_NCMOUSEMOVE: {
      tooltip_.relayMouseMove(toWindow(lParam));
      TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE | TME_NONCLIENT, m_hWnd,
                            kHoverTime};
      TrackMouseEvent(&track);
      return false;
    }
    case WM_NCMOUSEHOVER: {
      const POINT at = toWindow(lParam);
      // One device context for the whole update: taking one per draw costs
      // seven times as much under Wine.
      WindowDC dc(m_hWnd);
      SkinPainter painter(skin_, dc.get());
      if (const auto text = commands_.hover(painter, at.x, at.y)) {
        tooltip_.setText(std::wstring(text->begin(), text->end()));
      }
      result = 0;
      return true;
    }
    case WM_NCMOUSELEAVE:
      result = 0;
      return true;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      // A press on a key or a button acts; one on the background drags.
      const POINT at = toWindow(lParam);
      if (!commands_.press(at.x, at.y)) return false;
      if (followPending_) followSettingsFile();
      result = 0;
      return true;
    }
    case WM_ERASEBKGND: {
      SkinPainter painter(skin_, reinterpret_cast<HDC>(wParam));
      commands_.drawAll(painter);
      result = 1;
      return true;
    }
    case WM_PAINT:
      if (!IsIconic(m_hWnd)) return false;
      paintIconic();
      result = 0;
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(icon_);
      return true;
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 && LOWORD(wParam) >= ID_APP_EXIT_COMMAND) {
        OnCommand(LOWORD(wParam));
        result = 0;
        return true;
      }
      return CDialog::OnMessage(message, wParam, lParam, result);
    case TrayIcon::kCallbackMessage:
      result = OnTrayNotification(wParam, lParam);
      return true;
    case WM_PROFILE_KEY:
      switchFromMessage(wParam, tarsil::SwitchSource::kProfileKey);
      result = 0;
      return true;
    case WM_PROFILE_REQUEST:
      switchFromMessage(wParam, tarsil::SwitchSource::kCommandLine);
      result = 0;
      return true;
    case WM_DEVICECHANGE:
      result = OnDeviceChange(wParam, lParam);
      return true;
    case WM_WINDOWPOSCHANGING: {
      // The dialog manager shows a modal dialog once, after its
      // initialisation, whatever its template says. Started for the tray,
      // that one show is refused (and takes no activation with it); the
      // tray's Open or a second start show the window as usual.
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (refuseFirstShow_ && (position->flags & SWP_SHOWWINDOW) != 0) {
        refuseFirstShow_ = false;
        position->flags = (position->flags & ~SWP_SHOWWINDOW) | SWP_NOACTIVATE | SWP_NOZORDER;
      }
      return false;
    }
    case kSettingsFolderChanged:
      followSettingsFile();
      result = 0;
      return true;
    case WM_QUERYENDSESSION:
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      // Windows may end the process after this without a WM_DESTROY: the
      // settings are saved now, as the exit saves them.
      if (wParam != FALSE) session_.saveAtSessionEnd();
      result = 0;
      return true;
    case WM_DESTROY:
      OnDestroy();
      result = 0;
      return true;
    default:
      return CDialog::OnMessage(message, wParam, lParam, result);
  }
}
