#pragma once

#include <windows.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "engine/win32/macro_player_thread.h"
#include "framework/win32/dialog.h"
#include "profile/auto_profile.h"
#include "profile/macro_library.h"
#include "session/keyboard_session.h"
#include "ui/main/main_commands.h"
#include "ui/main/win32/foreground_watch.h"
#include "ui/main/win32/key_tooltip.h"
#include "ui/main/win32/main_skin.h"
#include "ui/main/win32/profile_notice_window.h"
#include "ui/main/win32/settings_file_watch.h"
#include "ui/main/win32/tray_icon.h"
#include "ui/programs/win32/programs_dialog.h"
#include "ui/settings/win32/key_settings_dialog.h"

// The program's one top-level window: the keyboard drawn from the skin. Its
// session owns the profiles and the layout; the window starts it, switches
// key translation with the keyboard's presence, has set.ini saved when the
// commands ask and when the Windows session ends, follows changes other
// programs make to the file, and finishes the session (the last save) when
// it is destroyed. What a hover draws and what a press does is decided by
// MainCommands; this class decodes the messages, paints and shows what the
// commands ask for.
class MainWindow : public CDialog,
                   private tarsil::MainWindowHost,
                   private tarsil::ChangedFilePrompt {
 public:
  // `alwaysOn`: translate keys as if the keyboard were attached.
  // `startHidden`: the window stays hidden at its first show, leaving only
  // the tray icon, until the user opens it. `startProfile`: a profile to
  // switch to once started, as a second start with --profile asks (0: the
  // next one).
  MainWindow(bool alwaysOn, bool startHidden, std::optional<std::int32_t> startProfile = {},
             CWnd* parent = nullptr);
  ~MainWindow() override;

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // MainWindowHost
  void copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) override;
  void hideWindow() override;
  void minimizeWindow() override;
  void showButtonMenu() override;
  bool confirmRestoreDefaults() override;
  bool confirmSaveChanges() override;
  std::optional<tarsil::KeySettingsExchange> runKeySettings(
      tarsil::KeySettingsExchange exchange, tarsil::TranslationTable& working) override;
  std::int32_t windowWidth() const override;
  std::int32_t windowHeight() const override;
  void showActiveProfile(std::int32_t profile,
                         const std::optional<tarsil::ProfileNotice>& notice) override;
  void saveSettings() override;
  // ChangedFilePrompt
  bool keepUnappliedEdits(std::int32_t profile) override;

  // Something changed in the folder of set.ini: the session follows the
  // file, unless a dialog or message box of ours is open (it may hold parts
  // of the profiles); then it follows once that has closed.
  void followSettingsFile();

  // The keyboard hook's report of a key whose meaning is an action: a
  // profile key's press goes to the window as a message, handled once the
  // hook has returned; a timed macro's press and release go to the player.
  static void onKeyAction(void* context, const tarsil::KeyAction& action, bool up);
  // A program came to the front: its rule, or the fallback, may switch.
  static void onForeground(void* context, const tarsil::ForegroundProgram& program);
  // A profile key (WM_PROFILE_KEY) or a second start (WM_PROFILE_REQUEST).
  void switchFromMessage(WPARAM profile, tarsil::SwitchSource source);
  void editProgramRules();
  HICON profileIcon() const;
  // Switches translation on or off by the keyboard's presence.
  void applyPresence(bool present);
  // Ends translation: the hook goes, and what the macro player holds comes
  // up, except the keys the user still holds.
  void stopTranslation();
  // After every message: when the stores' macros, the keys that play them
  // or the active profile changed, what plays stops and the player gets
  // the macros as they are now.
  void followMacros();
  bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  void OnCommand(UINT id);
  LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage);
  // Sizes, places and shapes the window from the mask.
  void applyOutline();
  void paintIconic();
  // Ends the program: translation stops, and the destruction saves.
  void exit();
  // Finishes the session (commit and save), removes the tray icon.
  void OnDestroy();
  // What the session has to say, in one message box.
  void showNotices(HWND owner, const tarsil::Notices& notices);
  // A notice that ends the program before anything was read or changed.
  void endWithNotice(const std::wstring& text);
  POINT toWindow(LPARAM screenPoint) const;

  bool alwaysOn_;
  bool refuseFirstShow_;
  // Beside the executable live the layout, the skin and set.ini; empty when
  // Windows could not say where the executable is.
  std::filesystem::path executable_;
  tarsil::KeyboardSession session_;
  SettingsFileWatch settingsWatch_;
  bool followPending_ = false;
  // Constructed first, as it reads its own layout and pictures; every key
  // edit reuses it.
  KeySettingsDialog settings_;
  tarsil::MainCommands commands_;
  tarsil::MacroPlayerThread player_;
  tarsil::MacroLibraryWatch macroWatch_;
  MainSkin skin_;
  std::wstring skinProblem_;  // why the skin could not be loaded
  KeyTooltip tooltip_;
  TrayIcon tray_;
  HICON icon_ = nullptr;
  std::array<HICON, 3> profileIcons_{};
  std::optional<std::int32_t> startProfile_;
  ProgramsDialog programs_;
  tarsil::AutoProfile autoProfile_;
  ForegroundWatch foreground_;
  ProfileNoticeWindow notice_;
  HDEVNOTIFY deviceNotification_ = nullptr;
  UINT taskbarCreated_ = 0;
};
