#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "layout/layout_file.h"
#include "profile/profile_operations.h"
#include "ui/main/keyboard_view.h"
#include "ui/main/profile_notice.h"
#include "ui/settings/key_settings_model.h"

namespace tarsil {

// The window's own buttons, known by the caption their slot carries in the
// layout (compared exactly, with case: "close" is no button).
enum class SkinButton : std::uint8_t {
  kNone,
  kClose,
  kMacro,
  kMinimize,
  kMenu,
  kApply,
  kOk,
  kCancel,
  kDefault,
  kProfile1,
  kProfile2,
  kProfile3,
};
SkinButton skinButtonFor(std::u16string_view caption);

// What the commands ask of the window that shows them. The window paints
// what a command redraws (SkinCanvas) on its own device context and
// answers the two questions with message boxes.
class MainWindowHost : public SkinCanvas, public SavePrompt {
 public:
  virtual void hideWindow() = 0;
  virtual void minimizeWindow() = 0;
  // The popup menu of the "Menu" button, at the pointer.
  virtual void showButtonMenu() = 0;
  // "Do you want to restore the default settings?"
  virtual bool confirmRestoreDefaults() = 0;
  // Runs the key settings dialog for `exchange`; OK writes the edited key's
  // entry into `working` and hands back the dialog's result.
  virtual std::optional<KeySettingsExchange> runKeySettings(KeySettingsExchange exchange,
                                                            TranslationTable& working) = 0;
  // The window's width and height, for a full redraw.
  virtual std::int32_t windowWidth() const = 0;
  virtual std::int32_t windowHeight() const = 0;
  // `profile` is active (after every switch, and to begin with): the tray
  // shows it, and `notice`, when there is one, says so near the tray.
  virtual void showActiveProfile(std::int32_t profile,
                                 const std::optional<ProfileNotice>& notice) = 0;
  // What the profiles hold may have changed: set.ini is to follow now
  // (KeyboardSession::save), and what that has to say is shown.
  virtual void saveSettings() = 0;
};

// The main window's behaviour, apart from the window: a press on the
// picture by the slot it hits, the hover and the full redraw. Every commit
// (a key edit, Apply, OK, Default) and every switch of profiles is saved at
// once, and so is the macro editor's OK, which saves nothing until Apply.
class MainCommands {
 public:
  MainCommands(ProfileSet& profiles, const MainLayout& layout, MainWindowHost& host)
      : profiles_(profiles), layout_(layout), host_(host), view_(layout.slots) {}

  // A mouse press at a window point. Returns false when it hit no slot:
  // the press then drags the window, as a press on a caption does.
  bool press(std::int32_t x, std::int32_t y);

  // The pointer came to rest; see KeyboardView::hover. It paints on
  // `canvas`, which can hold one device context for the whole update.
  std::optional<std::u16string> hover(SkinCanvas& canvas, std::int32_t x, std::int32_t y) {
    return view_.hover(canvas, x, y, profiles_);
  }
  // The whole picture on `canvas` (the background erase brings its own).
  void drawAll(SkinCanvas& canvas) const {
    view_.drawAll(canvas, profiles_, host_.windowWidth(), host_.windowHeight());
  }

  // Makes `profile` active, as the window's Profile buttons do: the working
  // profile takes the store, the view is redrawn, and the host shows the
  // profile. A switch the user did not make in the window never asks: it
  // keeps unapplied changes in the profile it leaves, and a switch to the
  // active profile (a profile key pressed again) only shows the notice.
  // While the window waits for the user (a dialog or a question that works
  // on the working profile), such a switch waits for the answer, so an edit
  // always lands in the profile it was begun in. `program` names the program
  // whose rule asked.
  void switchProfile(std::int32_t profile, SwitchSource source = SwitchSource::kProfileButton,
                     std::u16string_view program = {});
  void restoreDefaults();
  // The key settings dialog for assignable slot 1..104; its OK is recorded
  // and committed at once.
  void editKey(int slot);
  // The macro editor; its OK waits in the working profile for Apply.
  void editMacros();

  const KeyboardView& view() const { return view_; }

  // Holds switches from outside the window while the window waits for the
  // user in a dialog of its own; the last one asked for runs at the end.
  class WaitForUser {
   public:
    explicit WaitForUser(MainCommands& commands) : commands_(commands) { ++commands_.waiting_; }
    ~WaitForUser();
    WaitForUser(const WaitForUser&) = delete;
    WaitForUser& operator=(const WaitForUser&) = delete;

   private:
    MainCommands& commands_;
  };

 private:
  struct PendingSwitch {
    std::int32_t profile = 0;
    SwitchSource source = SwitchSource::kRule;
    std::u16string program;
  };

  void runButton(SkinButton button);

  ProfileSet& profiles_;
  const MainLayout& layout_;
  MainWindowHost& host_;
  KeyboardView view_;
  int waiting_ = 0;
  std::optional<PendingSwitch> pending_;
};

}  // namespace tarsil
