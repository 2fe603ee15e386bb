#include "ui/settings/qt/key_settings_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <tuple>
#include <utility>

#include "engine/linux/evdev_keys.h"
#include "ini/ini_document.h"
#include "ui/controls/qt/bitmap_button.h"
#include "ui/skin/qt/skin_pictures.h"

namespace {

using tarsil::DialogPicture;

// The pictures' files, in the order of DialogPicture.
constexpr const char* kPictureFiles[] = {
    "key_mask.bmp",     "key_normal.bmp",      "key_over.bmp",      "key_down.bmp",
    "media_normal.bmp", "function_normal.bmp", "macro_normal.bmp",  "macro_over.bmp",
    "macro_down.bmp",   "macro_disable.bmp",   "macro2_normal.bmp", "macro2_over.bmp",
    "macro2_down.bmp",  "macro2_disable.bmp"};
static_assert(std::size(kPictureFiles) == tarsil::kDialogPictureCount);

// The layout's entries of the controls that are no skin buttons.
enum ControlEntry : int {
  kKeyNameEntry = 19,
  kMediaListEntry = 20,
  kFunctionListEntry = 21,
  kMacroListEntry = 22,
  kStepListEntry = 23,
  kModeEntry = 24,
  kStepDelayEntry = 25,
  kAllDelaysEntry = 26,
};

// The skin buttons that work on the steps of the chosen macro.
constexpr int kStepButtons[] = {tarsil::kRecordButton,       tarsil::kDeleteStepButton,
                                tarsil::kClearStepsButton,   tarsil::kFirstStepButton,
                                tarsil::kPreviousStepButton, tarsil::kNextStepButton,
                                tarsil::kLastStepButton};

const QColor kFieldPaper(8, 9, 12);
const QColor kFieldInk(230, 236, 242);
const QColor kSelectedRowBack(49, 106, 197);

// X keyboard state bits, as key events carry them (on X11 and on Wayland).
constexpr quint32 kShiftMask = 0x01;
constexpr quint32 kNumLockMask = 0x10;  // Mod2, where desktops put NumLock
// An X key code is the kernel's key code plus 8.
constexpr quint32 kXKeyCodeOffset = 8;

QString qText(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
std::u16string u16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

QRect rectOf(const tarsil::KeySlot& place) {
  return QRect(place.left, place.top, place.width, place.height);
}

// A field of the skin: the skin draws its frame, the field its ink on paper.
void makeField(QWidget& field) {
  QPalette palette = field.palette();
  for (const QPalette::ColorGroup group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button}) {
      palette.setColor(group, role, kFieldPaper);
    }
    // A field that does not work now keeps its paper; its ink fades.
    const QColor ink = group == QPalette::Disabled ? kFieldInk.darker(200) : kFieldInk;
    for (const QPalette::ColorRole role :
         {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
      palette.setColor(group, role, ink);
    }
  }
  field.setPalette(palette);
  field.setAutoFillBackground(true);
}

// The key name and the lists read in a bold fixed-pitch face of the
// height the Windows program's bitmap face has.
QFont listFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPixelSize(16);
  font.setBold(true);
  return font;
}

// NumLock's lamp on any keyboard, as the kernel shows it: desktops light
// it on every keyboard alike. Nothing when no keyboard has the lamp.
std::optional<bool> numLockLamp() {
  const QDir leds(QStringLiteral("/sys/class/leds"));
  const QStringList names = leds.entryList({QStringLiteral("*::numlock")}, QDir::AllEntries);
  if (names.isEmpty()) return std::nullopt;
  for (const QString& name : names) {
    QFile brightness(leds.filePath(name + QStringLiteral("/brightness")));
    if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed() != "0") return true;
  }
  return false;
}

}  // namespace

KeySettingsWindow::KeySettingsWindow(QWidget* owner, const std::filesystem::path& skinFolder,
                                     const std::filesystem::path& compositeIni,
                                     const tarsil::MediaKeyTable& media)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), model_(shared_, media) {
  // Shown nowhere on the skin, but it names the window to the desktop.
  setWindowTitle(QStringLiteral("Key Settings"));
  setModal(true);
  tarsil::ini::IniDocument layout;
  loadProblem_ = loadSkinnedDialog(skinFolder, kPictureFiles, pictures_, compositeIni,
                                   QStringLiteral("key settings"), layout);
  layout_ = tarsil::readDialogLayout(layout);
  if (!loadProblem_.isEmpty()) return;
  const QImage& mask = picture(DialogPicture::kKeyMask);
  setFixedSize(mask.size());
  setMask(outlineRegion(mask));
  createControls();
  placeControls();
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    // The macro list shows a typed name once it loses the focus.
    const auto inMacroList = [this](QWidget* widget) {
      return widget != nullptr && (widget == macroList_ || macroList_->isAncestorOf(widget));
    };
    if (open_ && inMacroList(old) && !inMacroList(now)) {
      model_.macros().refill();
      // A focus moved by render itself is shown once render is done.
      if (rendering_) {
        QMetaObject::invokeMethod(
            this, [this] { render(); }, Qt::QueuedConnection);
      } else {
        render();
      }
    }
  });
}

KeySettingsWindow::~KeySettingsWindow() {
  if (keysTaken_) qApp->removeEventFilter(this);
}

void KeySettingsWindow::createControls() {
  for (int entry = 1; entry <= tarsil::kLastSkinButton; ++entry) {
    if (!tarsil::isSkinButton(entry)) continue;
    auto* button = new BitmapButton(this);
    buttons_[static_cast<std::size_t>(entry)] = button;
    connect(button, &QAbstractButton::clicked, this, [this, entry] { onButton(entry); });
  }
  keyName_ = new QLineEdit(this);
  keyName_->setReadOnly(true);
  keyName_->setFrame(false);
  keyName_->setFont(listFont());
  mediaList_ = new QComboBox(this);
  functionList_ = new QComboBox(this);
  macroList_ = new QComboBox(this);
  macroList_->setEditable(true);
  // A typed name renames the chosen macro; it never becomes an entry of its own.
  macroList_->setInsertPolicy(QComboBox::NoInsert);
  for (QComboBox* list : {mediaList_, functionList_, macroList_}) list->setFont(listFont());
  for (const std::u16string_view name : tarsil::kMediaNames) mediaList_->addItem(qText(name));
  for (const std::u16string_view name : tarsil::functionNames()) {
    functionList_->addItem(qText(name));
  }
  modeList_ = new QComboBox(this);
  // The skin draws the lists' frames.
  for (QComboBox* list : {mediaList_, functionList_, macroList_, modeList_}) list->setFrame(false);
  for (const std::u16string_view name : tarsil::kMacroModeNames) modeList_->addItem(qText(name));

  stepList_ = new QTreeWidget(this);
  stepList_->setRootIsDecorated(false);
  stepList_->setSelectionMode(QAbstractItemView::SingleSelection);
  stepList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  stepList_->setUniformRowHeights(true);
  // The third column is the delay before the step, in milliseconds.
  stepList_->setHeaderLabels(
      {QStringLiteral("Key"), QStringLiteral("Action"), QStringLiteral("Delay (ms)")});
  stepList_->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  const int widths[] = {70, 70, 80};
  for (int column = 0; column < 3; ++column) {
    stepList_->header()->resizeSection(column, widths[column]);
  }
  // The chosen step shows in blue whether or not the list has the focus.
  QPalette steps = stepList_->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    steps.setColor(group, QPalette::Base, Qt::white);
    steps.setColor(group, QPalette::Text, Qt::black);
    steps.setColor(group, QPalette::Highlight, kSelectedRowBack);
    steps.setColor(group, QPalette::HighlightedText, Qt::white);
  }
  stepList_->setPalette(steps);

  stepDelay_ = new QLineEdit(this);
  allDelays_ = new QLineEdit(this);
  // A delay is five digits at most.
  const auto* digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  for (QLineEdit* field : {stepDelay_, allDelays_}) {
    field->setMaxLength(5);
    field->setValidator(digits);
    field->setFrame(false);
  }
  // Named by what they hold, for whoever drives the dialog from outside
  // (accessibility tools, tests).
  keyName_->setObjectName(QStringLiteral("keyName"));
  mediaList_->setObjectName(QStringLiteral("mediaList"));
  functionList_->setObjectName(QStringLiteral("functionList"));
  macroList_->setObjectName(QStringLiteral("macroList"));
  stepList_->setObjectName(QStringLiteral("stepList"));
  modeList_->setObjectName(QStringLiteral("modeList"));
  stepDelay_->setObjectName(QStringLiteral("stepDelay"));
  allDelays_->setObjectName(QStringLiteral("allDelays"));
  for (QWidget* field : std::initializer_list<QWidget*>{
           keyName_, mediaList_, functionList_, macroList_, modeList_, stepDelay_, allDelays_}) {
    makeField(*field);
  }

  connect(mediaList_, &QComboBox::activated, this, [this](int item) {
    model_.chooseMedia(item);
    render();
  });
  connect(functionList_, &QComboBox::activated, this, [this](int item) {
    model_.chooseFunction(item);
    render();
  });
  connect(modeList_, &QComboBox::activated, this, [this](int item) {
    model_.macros().setMode(static_cast<tarsil::MacroMode>(item));
    render();
  });
  connect(macroList_, &QComboBox::activated, this, [this](int item) {
    model_.macros().choose(item);
    render();
  });
  connect(macroList_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
    model_.macros().rename(u16(text));
    render();
  });
  connect(stepDelay_, &QLineEdit::textEdited, this, [this](const QString& text) {
    model_.macros().typeDelay(u16(text));
    render();
  });
  connect(allDelays_, &QLineEdit::textEdited, this, [this](const QString& text) {
    model_.macros().typeAllDelays(u16(text));
    render();
  });
  connect(stepList_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (rendering_) return;
    const QList<QTreeWidgetItem*> selected = stepList_->selectedItems();
    if (selected.isEmpty()) return;
    model_.macros().selectStep(stepList_->indexOfTopLevelItem(selected.front()));
    render();
  });
}

void KeySettingsWindow::placeControls() {
  for (int entry = 1; entry <= tarsil::kDialogEntriesRead; ++entry) {
    const tarsil::KeySlot& place = layout_[static_cast<std::size_t>(entry - 1)];
    // A layout from before the timing controls places none of them: they
    // stay hidden.
    placed_[static_cast<std::size_t>(entry)] = place.width > 0 && place.height > 0;
  }
  for (int entry = 1; entry <= tarsil::kLastSkinButton; ++entry) {
    BitmapButton* button = buttons_[static_cast<std::size_t>(entry)];
    if (button == nullptr) continue;
    std::array<const QImage*, 4> faces{};
    const std::array<DialogPicture, 4> pictures = tarsil::buttonPictures(entry);
    for (std::size_t face = 0; face < faces.size(); ++face) faces[face] = &picture(pictures[face]);
    button->setSkin(model_.button(entry), faces,
                    rectOf(layout_[static_cast<std::size_t>(entry - 1)]));
  }
  const auto place = [this](int entry) {
    return rectOf(layout_[static_cast<std::size_t>(entry - 1)]);
  };
  keyName_->setGeometry(place(kKeyNameEntry));
  stepList_->setGeometry(place(kStepListEntry));
  // A drop-down list's rectangle holds its list as well: the field is its
  // top, one line high. The multimedia and function lists fill the frame
  // the skin draws for them, where the key name box stands in the
  // single-key picture; that frame is 4 pixels lower than the box's.
  const int keyNameHeight = place(kKeyNameEntry).height() - 4;
  for (const auto& [list, entry, height] :
       {std::tuple{mediaList_, kMediaListEntry, keyNameHeight},
        std::tuple{functionList_, kFunctionListEntry, keyNameHeight},
        std::tuple{macroList_, kMacroListEntry, macroList_->sizeHint().height()},
        std::tuple{modeList_, kModeEntry, modeList_->sizeHint().height()}}) {
    QRect rect = place(entry);
    rect.setHeight(std::min(rect.height(), height));
    list->setGeometry(rect);
  }
  // A delay field sits inside its frame, its line in the middle.
  constexpr int kInset = 5;
  stepDelay_->setGeometry(place(kStepDelayEntry).adjusted(kInset, kInset, -kInset, -kInset));
  allDelays_->setGeometry(place(kAllDelaysEntry).adjusted(kInset, kInset, -kInset, -kInset));
}

std::optional<tarsil::KeySettingsExchange> KeySettingsWindow::run(
    tarsil::KeySettingsExchange exchange, tarsil::TranslationTable& working) {
  if (!loadProblem_.isEmpty() || open_) return std::nullopt;
  model_.open(std::move(exchange), working);
  open_ = true;
  shownEntries_ = ~0u;
  shownChosen_ = -1;
  shownSteps_.clear();
  shownDelays_.clear();
  stepList_->clear();
  shownSelection_ = -1;
  // Not shown yet, so centred on the screen's work area.
  const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
  if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());
  render();
  const int result = exec();
  open_ = false;
  followKeysWanted();
  if (result != QDialog::Accepted) return std::nullopt;
  return model_.exchange();
}

void KeySettingsWindow::keyPressEvent(QKeyEvent* event) {
  // Enter confirms the dialog, as a dialog's default button does; Esc
  // cancels it (QDialog's own handling, which ends in reject).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    onButton(tarsil::kOkButton);
    return;
  }
  QDialog::keyPressEvent(event);
}

void KeySettingsWindow::closeWithCancel() {
  if (open_) reject();
}

void KeySettingsWindow::reject() {
  model_.cancel();
  finish(QDialog::Rejected);
}

void KeySettingsWindow::finish(int result) {
  render();
  // The run is over: the keys go back before the event loop of the run ends.
  open_ = false;
  followKeysWanted();
  done(result);
}

bool KeySettingsWindow::confirmDeleteBoundMacro() {
  return QMessageBox::warning(this, QStringLiteral("KEYBOARD"),
                              QStringLiteral("Some key settings are detected pointing to this "
                                             "macro, and you really need to delete this macro ?"),
                              QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void KeySettingsWindow::onButton(int entry) {
  switch (entry) {
    case tarsil::kOkButton:
      model_.ok();
      finish(QDialog::Accepted);
      return;
    case tarsil::kCancelButton:
      reject();
      return;
    case tarsil::kClearButton:
      model_.clear();
      break;
    case tarsil::kOskButton:
      // The desktop's on-screen keyboard, where one is installed.
      QProcess::startDetached(QStringLiteral("onboard"), {});
      break;
    case tarsil::kSingleKeyButton:
    case tarsil::kMacroButton:
    case tarsil::kMediaButton:
    case tarsil::kFunctionButton:
      model_.chooseKind(entry - tarsil::kSingleKeyButton);
      break;
    case tarsil::kAddMacroButton:
      model_.macros().add();
      break;
    case tarsil::kDeleteMacroButton:
      model_.macros().remove(*this);
      break;
    case tarsil::kRecordButton:
      onRecord();
      return;
    case tarsil::kDeleteStepButton:
      model_.macros().deleteStep();
      break;
    case tarsil::kClearStepsButton:
      model_.macros().clearSteps();
      break;
    case tarsil::kFirstStepButton:
    case tarsil::kPreviousStepButton:
    case tarsil::kNextStepButton:
    case tarsil::kLastStepButton:
      model_.macros().moveStepSelection(
          static_cast<tarsil::StepMove>(entry - tarsil::kFirstStepButton));
      break;
    case tarsil::kSetAllDelaysButton:
      model_.macros().applyDelayToAll();
      break;
    case tarsil::kClearDelaysButton:
      model_.macros().clearDelays();
      break;
    default:
      return;
  }
  render();
}

void KeySettingsWindow::onRecord() {
  const bool numLockOff = model_.toggleRecording(numLockOn());
  // The notice waits for a key, which must reach it: it comes before the
  // keys are taken when recording starts, and after they are given back
  // when it stops.
  if (numLockOff && model_.recording()) notifyKeypadNotLocked();
  render();
  if (numLockOff && !model_.recording()) notifyKeypadNotLocked();
}

bool KeySettingsWindow::numLockOn() const {
  if (const std::optional<bool> lamp = numLockLamp()) return *lamp;
  // Without a lamp to read, the state the last key came with; before any
  // key, NumLock counts as on, as most desktops start it.
  return !lastModifiers_ || (*lastModifiers_ & kNumLockMask) != 0;
}

void KeySettingsWindow::notifyKeypadNotLocked() {
  // Captioned with the program's name, as every notice of the Windows
  // program is.
  QMessageBox::information(this, QStringLiteral("Tarsil Software"),
                           QStringLiteral("Keypad not locked "));
}

bool KeySettingsWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) {
    return QDialog::eventFilter(watched, event);
  }
  // Keys reach a window first and then its focus widget: the widget's copy
  // is taken, once, and only for this dialog.
  if (!keysTaken_ || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this) {
    return QDialog::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  // No shortcut, no Tab between controls, no Esc: every key is the user's
  // answer to the dialog.
  key->accept();
  if (type != QEvent::ShortcutOverride) onPhysicalKey(*key);
  return true;
}

void KeySettingsWindow::onPhysicalKey(const QKeyEvent& event) {
  // X repeats a held key as a release and a press; the hook sees presses
  // alone, which the recorder drops.
  if (event.type() == QEvent::KeyRelease && event.isAutoRepeat()) return;
  lastModifiers_ = event.nativeModifiers();
  const quint32 native = event.nativeScanCode();
  if (native < kXKeyCodeOffset) return;  // no key of a keyboard
  const bool numLock = (event.nativeModifiers() & kNumLockMask) != 0;
  const bool shift = (event.nativeModifiers() & kShiftMask) != 0;
  const std::optional<tarsil::WindowsKey> key =
      tarsil::windowsKeyOf(static_cast<std::uint16_t>(native - kXKeyCodeOffset), numLock && !shift);
  if (!key) return;  // a key Windows has no code for
  const tarsil::RecordedEvent hookEvent =
      hookEvents_.make({key->vk, key->scanCode, key->extended}, event.type() == QEvent::KeyPress,
                       static_cast<std::uint32_t>(event.timestamp()));
  const tarsil::CaptureDecision decision =
      tarsil::decideCapture(shared_, hookEvent.message, hookEvent.vkCode, hookEvent.flags);
  if (decision.nameCapturedKey) {
    model_.keyCaptured(shared_.capturedKey, tarsil::keyNameText(tarsil::keyNameCode(
                                                hookEvent.scanCode, hookEvent.flags)));
    render();
  } else if (decision.recordStep) {
    // A recorded step changes the step list alone, so that recording keeps
    // up with fast typing.
    model_.recordEvent(hookEvent);
    rendering_ = true;
    renderSteps();
    rendering_ = false;
  }
}

void KeySettingsWindow::followKeysWanted() {
  const bool wanted = open_ && model_.captureWanted();
  if (wanted == keysTaken_) return;
  keysTaken_ = wanted;
  if (wanted) {
    hookEvents_.reset();
    qApp->installEventFilter(this);
  } else {
    qApp->removeEventFilter(this);
  }
  if (keysWanted_) keysWanted_(wanted);
}

void KeySettingsWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), picture(model_.background()));
}

void KeySettingsWindow::mousePressEvent(QMouseEvent* event) {
  // No caption: the background drags the dialog.
  if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  if (windowHandle() != nullptr && windowHandle()->startSystemMove()) dragOffset_ = QPoint(-1, -1);
}

void KeySettingsWindow::mouseMoveEvent(QMouseEvent* event) {
  if ((event->buttons() & Qt::LeftButton) == 0 || dragOffset_ == QPoint(-1, -1)) return;
  move(event->globalPosition().toPoint() - dragOffset_);
}

void KeySettingsWindow::render() {
  if (rendering_) return;
  rendering_ = true;
  update();  // the background follows the kind
  for (const int kind : {tarsil::kSingleKeyButton, tarsil::kMediaButton, tarsil::kFunctionButton}) {
    buttons_[static_cast<std::size_t>(kind)]->setVisible(model_.kindButtonVisible(kind));
  }
  keyName_->setVisible(model_.keyNameBoxVisible());
  mediaList_->setVisible(model_.mediaListVisible());
  functionList_->setVisible(model_.functionListVisible());
  const bool macros = model_.macroControlsVisible();
  for (int entry = tarsil::kAddMacroButton; entry <= tarsil::kLastSkinButton; ++entry) {
    QWidget* control = nullptr;
    switch (entry) {
      case kKeyNameEntry:
      case kMediaListEntry:
      case kFunctionListEntry:
        continue;
      case kMacroListEntry:
        control = macroList_;
        break;
      case kStepListEntry:
        control = stepList_;
        break;
      case kModeEntry:
        control = modeList_;
        break;
      case kStepDelayEntry:
        control = stepDelay_;
        break;
      case kAllDelaysEntry:
        control = allDelays_;
        break;
      default:
        control = buttons_[static_cast<std::size_t>(entry)];
        break;
    }
    if (control != nullptr) {
      control->setVisible(macros && placed_[static_cast<std::size_t>(entry)]);
    }
  }
  const QString keyName = qText(model_.keyNameBoxText());
  if (keyName_->text() != keyName) keyName_->setText(keyName);
  mediaList_->setCurrentIndex(model_.mediaItem());
  functionList_->setCurrentIndex(model_.functionItem());
  renderMacroList();
  renderSteps();
  renderTiming();
  for (const int button : kStepButtons) {
    buttons_[static_cast<std::size_t>(button)]->setEnabled(model_.macros().stepButtonsEnabled());
  }
  for (const int button : {tarsil::kAddMacroButton, tarsil::kDeleteMacroButton}) {
    buttons_[static_cast<std::size_t>(button)]->setEnabled(model_.macroChoiceEnabled());
  }
  macroList_->setEnabled(model_.macroChoiceEnabled());
  followKeysWanted();
  switch (model_.takeFocusRequest()) {
    case tarsil::DialogFocus::kKeyNameBox:
      keyName_->setFocus();
      break;
    case tarsil::DialogFocus::kMediaList:
      mediaList_->setFocus();
      break;
    case tarsil::DialogFocus::kFunctionList:
      functionList_->setFocus();
      break;
    case tarsil::DialogFocus::kMacroList:
      macroList_->setFocus();
      break;
    case tarsil::DialogFocus::kNone:
      break;
  }
  for (BitmapButton* button : buttons_) {
    if (button != nullptr) button->update();
  }
  rendering_ = false;
}

void KeySettingsWindow::renderMacroList() {
  const tarsil::MacroEditor& macros = model_.macros();
  const bool refilled = shownEntries_ != macros.entriesRevision();
  if (refilled) {
    shownEntries_ = macros.entriesRevision();
    macroList_->clear();
    for (const std::u16string& name : macros.entries()) macroList_->addItem(qText(name));
  }
  // Only what the model changed is passed on: setting the text the user is
  // typing would move the caret.
  if (refilled || shownChosen_ != macros.chosen()) {
    shownChosen_ = macros.chosen();
    macroList_->setCurrentIndex(macros.chosen());
  }
  const QString text = qText(macros.editText());
  if (macroList_->currentText() != text) macroList_->setEditText(text);
}

void KeySettingsWindow::renderSteps() {
  constexpr std::size_t kWidth = tarsil::kMacroStepWidth;
  const auto [steps, rows, kept] = tarsil::stepRows(model_.macros().steps(), shownSteps_);
  while (static_cast<std::size_t>(stepList_->topLevelItemCount()) > kept) {
    delete stepList_->takeTopLevelItem(stepList_->topLevelItemCount() - 1);
  }
  shownDelays_.resize(std::min(kept, shownDelays_.size()));
  for (std::size_t k = kept; k < rows; ++k) {
    const std::int32_t* step = &steps[k * kWidth];
    auto* row = new QTreeWidgetItem({qText(tarsil::keyNameText(step[0])),
                                     step[2] == 1 ? QStringLiteral("down") : QStringLiteral("up"),
                                     QString()});
    row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    stepList_->addTopLevelItem(row);
  }
  shownSteps_.assign(steps.begin(), steps.end());
  // The delay column: only the cells whose delay changed are written.
  shownDelays_.resize(rows, -1);
  for (std::size_t k = 0; k < rows; ++k) {
    const std::int32_t delay = model_.macros().stepDelay(static_cast<int>(k));
    if (shownDelays_[k] == delay) continue;
    shownDelays_[k] = delay;
    stepList_->topLevelItem(static_cast<int>(k))->setText(2, QString::number(delay));
  }
  const int selected = model_.macros().selectedStep();
  if (selected != shownSelection_ || kept < rows) {
    shownSelection_ = selected;
    stepList_->clearSelection();
    if (selected >= 0 && selected < stepList_->topLevelItemCount()) {
      QTreeWidgetItem* row = stepList_->topLevelItem(selected);
      row->setSelected(true);
      stepList_->scrollToItem(row);
    }
  }
}

void KeySettingsWindow::renderTiming() {
  const tarsil::MacroEditor& macros = model_.macros();
  const int mode = static_cast<int>(macros.mode());
  if (modeList_->currentIndex() != mode) modeList_->setCurrentIndex(mode);
  // A field is written only when the model says something else than it
  // shows: rewriting what the user is typing would move the caret.
  for (const auto& [field, text] : {std::pair{stepDelay_, qText(macros.delayText())},
                                    std::pair{allDelays_, qText(macros.allDelaysText())}}) {
    if (field->text() != text) field->setText(text);
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{modeList_, allDelays_, buttons_[tarsil::kSetAllDelaysButton],
                                       buttons_[tarsil::kClearDelaysButton]}) {
    control->setEnabled(model_.timingEnabled());
  }
  stepDelay_->setEnabled(model_.stepDelayEnabled());
}
