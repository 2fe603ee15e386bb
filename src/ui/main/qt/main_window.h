#pragma once

#include <QIcon>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "session/keyboard_session.h"
#include "ui/main/main_commands.h"
#include "ui/main/qt/key_tooltip.h"
#include "ui/main/qt/main_skin.h"
#include "ui/main/qt/profile_notice_window.h"
#include "ui/main/qt/settings_file_watch.h"

class KeySettingsWindow;
class QMenu;

// The program's window on Linux: the keyboard drawn from the skin, the same
// window as on Windows. Its session owns the profiles and the layout; the
// window starts it, has set.ini saved when the commands ask, follows changes
// other programs make to the file (tarsild reads the same file and applies
// what is saved at once) and finishes the session when the program ends.
// What a hover draws and what a press does is decided by MainCommands; this
// class turns Qt's events into its calls, paints and shows what it asks for.
class MainWindow : public QWidget,
                   private tarsil::MainWindowHost,
                   private tarsil::ChangedFilePrompt {
 public:
  // `dataFolder` holds the skin folder, "Composite.ini" and the icons.
  explicit MainWindow(std::filesystem::path dataFolder);
  ~MainWindow() override;

  // Loads the skin and the key settings dialog and starts the session over
  // `files` (nothing: the program could not learn where they are). False,
  // after telling the user why, when there is nothing to show.
  bool start(const std::optional<tarsil::SessionFiles>& files);
  // Told true while the key settings dialog takes the physical keys (a key
  // to capture, a macro to record), false when it stops: the keyboard's own
  // translation is to pause meanwhile.
  void setKeysWantedHandler(std::function<void(bool wanted)> handler);
  // Shows the window and brings it to the front, as the tray's Open does.
  void open();
  // Commits and saves; the last thing the program does with the settings.
  void finish();
  // The desktop session ends: the settings are saved now, as the exit saves
  // them, since the program may be ended at any time after this.
  void saveAtSessionEnd() { session_.saveAtSessionEnd(); }

  // The pointer came to rest at a window point: the view draws the hover
  // look and the tooltip takes the key's text.
  void restAt(QPoint point);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

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
  // file, unless a dialog, menu or question of ours is open (it may hold
  // parts of the profiles); then it follows once that has closed.
  void followSettingsFile();
  void followIfPending();
  void importProfile();
  void showAbout();
  void createTray();
  // Ends the program: the session is finished once the event loop is left.
  void exit();
  // What the session has to say, in one message box.
  void showNotices(const tarsil::Notices& notices);
  // Paints the parts of the frame the view changed.
  void showChanges();
  QIcon profileIcon() const;

  std::filesystem::path dataFolder_;
  tarsil::KeyboardSession session_;
  tarsil::MainCommands commands_;
  MainSkin skin_;
  SkinFrame frame_;
  KeyTooltip tooltip_;
  ProfileNoticeWindow notice_;
  // Made once the session has read the layout's multimedia keys; every key
  // edit reuses it.
  std::unique_ptr<KeySettingsWindow> settings_;
  std::function<void(bool)> keysWanted_;
  SettingsFileWatch settingsWatch_;
  QTimer restTimer_;
  QPoint restPoint_;
  // The press that drags the window, at the window point it took.
  std::optional<QPoint> dragFrom_;
  // How many of our dialogs, menus and questions are open.
  int waiting_ = 0;
  bool followPending_ = false;
  bool finished_ = false;
  QIcon icon_;
  std::array<QIcon, 3> profileIcons_;
  QSystemTrayIcon* tray_ = nullptr;
  QMenu* trayMenu_ = nullptr;
};
