#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QString>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "layout/layout_file.h"
#include "ui/settings/key_names.h"
#include "ui/settings/key_settings_model.h"

class BitmapButton;
class QComboBox;
class QLineEdit;
class QTreeWidget;

// The key settings dialog on Qt: one key's assignment, or the macro editor
// alone. Drawn from the skin and placed by "Composite.ini" as on Windows;
// what it shows and does is KeySettingsModel's decision. This class decodes
// the controls' signals, keeps the controls showing the model, and takes the
// physical keys while the model wants them.
class KeySettingsWindow : public QDialog, private tarsil::MacroDeletePrompt {
  Q_OBJECT

 public:
  // Reads `compositeIni` and the dialog's fourteen pictures from
  // `skinFolder`.
  KeySettingsWindow(QWidget* owner, const std::filesystem::path& skinFolder,
                    const std::filesystem::path& compositeIni, const tarsil::MediaKeyTable& media);
  ~KeySettingsWindow() override;

  // Why the dialog cannot be shown (a file that is missing or unreadable),
  // or empty.
  const QString& loadProblem() const { return loadProblem_; }

  // One modal run for `exchange`; OK writes the key's entry into `working`
  // and returns the dialog's result. Nothing on Cancel.
  std::optional<tarsil::KeySettingsExchange> run(tarsil::KeySettingsExchange exchange,
                                                 tarsil::TranslationTable& working);
  bool isOpen() const { return open_; }
  // Ends an open run as its Cancel would (the program is exiting).
  void closeWithCancel();
  // Told true when the dialog starts taking the physical keys (a key to
  // capture, a macro to record) and false when it stops, and at the latest
  // when the run ends: the keyboard's own translation pauses meanwhile.
  void setKeysWantedHandler(std::function<void(bool wanted)> handler) {
    keysWanted_ = std::move(handler);
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Whether NumLock is on when recording starts or stops: the kernel's
  // lamps, else the state the last key came with.
  virtual bool numLockOn() const;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  bool confirmDeleteBoundMacro() override;

  void createControls();
  void placeControls();
  void onButton(int entry);
  void onRecord();
  // A key event of the physical keyboard while the model wants keys.
  void onPhysicalKey(const QKeyEvent& event);
  void notifyKeypadNotLocked();
  void finish(int result);
  // Makes every control show what the model holds.
  void render();
  void renderMacroList();
  void renderSteps();
  void renderTiming();
  void followKeysWanted();
  const QImage& picture(tarsil::DialogPicture which) const {
    return pictures_[static_cast<std::size_t>(which)];
  }

  tarsil::CaptureShared shared_;
  tarsil::KeySettingsModel model_;
  tarsil::HookEventMaker hookEvents_;
  QString loadProblem_;
  std::array<QImage, tarsil::kDialogPictureCount> pictures_;
  tarsil::DialogLayout layout_{};
  std::array<BitmapButton*, tarsil::kLastSkinButton + 1> buttons_{};  // by layout entry
  // Which entries the layout places (a rectangle that is not empty).
  std::array<bool, tarsil::kDialogEntriesRead + 1> placed_{};
  QLineEdit* keyName_ = nullptr;
  QComboBox* mediaList_ = nullptr;
  QComboBox* functionList_ = nullptr;
  QComboBox* macroList_ = nullptr;
  QTreeWidget* stepList_ = nullptr;
  QComboBox* modeList_ = nullptr;
  QLineEdit* stepDelay_ = nullptr;
  QLineEdit* allDelays_ = nullptr;
  std::function<void(bool)> keysWanted_;
  // What the controls show, to change only what the model changed.
  unsigned shownEntries_ = ~0u;
  int shownChosen_ = -1;
  std::vector<std::int32_t> shownSteps_;
  std::vector<std::int32_t> shownDelays_;  // per row; -1: not written yet
  int shownSelection_ = -1;
  // The X modifier state of the last key event seen: NumLock is its Mod2.
  std::optional<quint32> lastModifiers_;
  QPoint dragOffset_;
  bool keysTaken_ = false;
  bool rendering_ = false;
  bool open_ = false;
};
