#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "engine/win32/macro_player_thread.h"
#include "framework/win32/dialog.h"
#include "profile/macro_library.h"
#include "session/keyboard_session.h"
#include "ui/main/main_commands.h"
#include "ui/main/win32/key_tooltip.h"
#include "ui/main/win32/main_skin.h"
#include "ui/main/win32/settings_file_watch.h"
#include "ui/main/win32/tray_icon.h"
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
  // the tray icon, until the user opens it.
  MainWindow(bool alwaysOn, bool startHidden, CWnd* parent = nullptr);
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
  void saveSettings() override;
  // ChangedFilePrompt
  bool keepUnappliedEdits(std::int32_t profile) override;

  // Something changed in the folder of set.ini: the session follows the
  // file, unless a dialog or message box of ours is open (it may hold parts
  // of the profiles); then it follows once that has closed.
  void followSettingsFile();

  // Switches translation on or off by the keyboard's presence.
  void applyPresence(bool present);
  // Ends translation: the hook goes, and what the macro player holds comes
  // up, except the keys the user still holds.
  void stopTranslation();
  // The hook's handler of keys whose meaning is an action.
  static void onKeyAction(void* self, const tarsil::KeyAction& action, bool up);
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
  HDEVNOTIFY deviceNotification_ = nullptr;
  UINT taskbarCreated_ = 0;
};
