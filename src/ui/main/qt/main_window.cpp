#include "ui/main/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <string>
#include <utility>

#include "ui/main/qt/profile_files.h"
#include "ui/settings/qt/key_settings_window.h"

namespace {

// The pointer counts as resting once it has not moved for this long.
constexpr int kRestMilliseconds = 10;

const QString kProgramName = QStringLiteral("Tarsil Software");
const QString kQuestionCaption = QStringLiteral("KEYBOARD");

QString pathText(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

// Counts one of our dialogs, menus or questions as open while it lives.
class Waiting {
 public:
  explicit Waiting(int& count) : count_(count) { ++count_; }
  ~Waiting() { --count_; }
  Waiting(const Waiting&) = delete;
  Waiting& operator=(const Waiting&) = delete;

 private:
  int& count_;
};

}  // namespace

MainWindow::MainWindow(std::filesystem::path dataFolder)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      dataFolder_(std::move(dataFolder)),
      commands_(session_.profiles(), session_.layout(), *this),
      frame_(skin_) {
  setWindowTitle(kProgramName);
  setMouseTracking(true);
  // Every pixel comes from the frame: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  icon_ = QIcon(pathText(dataFolder_ / "tarsil.ico"));
  for (std::size_t i = 0; i < profileIcons_.size(); ++i) {
    profileIcons_[i] = QIcon(pathText(dataFolder_ / ("profile" + std::to_string(i + 1) + ".ico")));
  }
  setWindowIcon(icon_);
  restTimer_.setSingleShot(true);
  restTimer_.setInterval(kRestMilliseconds);
  connect(&restTimer_, &QTimer::timeout, this, [this] { restAt(restPoint_); });
}

// KeySettingsWindow is complete here, for the unique_ptr's deleter.
MainWindow::~MainWindow() = default;

bool MainWindow::start(const std::optional<tarsil::SessionFiles>& files) {
  const QString skinProblem = skin_.load(dataFolder_ / "skin");
  if (!skinProblem.isEmpty()) {
    QMessageBox::critical(nullptr, kProgramName, skinProblem);
    return false;
  }
  showNotices(session_.start(files));
  // Without a layout there is no keyboard to show.
  if (!session_.running()) return false;
  settings_ = std::make_unique<KeySettingsWindow>(
      this, dataFolder_ / "skin", dataFolder_ / "Composite.ini", session_.layout().media);
  if (!settings_->loadProblem().isEmpty()) {
    QMessageBox::critical(nullptr, kProgramName, settings_->loadProblem());
    return false;
  }
  if (keysWanted_) settings_->setKeysWantedHandler(keysWanted_);
  setFixedSize(skin_.size());
  setMask(skin_.outline());
  frame_.resize();
  commands_.drawAll(frame_);
  notice_.load(dataFolder_ / "skin");
  createTray();
  showActiveProfile(session_.profiles().activeProfile, std::nullopt);
  settingsWatch_.start(session_.files().settings, [this] { followSettingsFile(); });
  session_.profiles().modified = false;
  return true;
}

void MainWindow::createTray() {
  tray_ = new QSystemTrayIcon(icon_, this);
  trayMenu_ = new QMenu(this);
  trayMenu_->addAction(QStringLiteral("Open(&O)"), this, &MainWindow::open);
  trayMenu_->addAction(QStringLiteral("About(&A)"), this, &MainWindow::showAbout);
  trayMenu_->addAction(QStringLiteral("Exit(&x)"), this, &MainWindow::exit);
  tray_->setContextMenu(trayMenu_);
  // Trays of Linux desktops differ in what they pass on: a click, or a
  // double-click as on Windows. Either opens the window.
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::DoubleClick || why == QSystemTrayIcon::Trigger) open();
  });
  tray_->show();
}

void MainWindow::open() {
  showNormal();
  raise();
  activateWindow();
}

void MainWindow::finish() {
  if (finished_ || !session_.running()) return;
  finished_ = true;
  const tarsil::Notices notices = session_.finish();
  if (tray_ != nullptr) tray_->hide();
  hide();
  showNotices(notices);
}

void MainWindow::setKeysWantedHandler(std::function<void(bool wanted)> handler) {
  keysWanted_ = std::move(handler);
  if (settings_) settings_->setKeysWantedHandler(keysWanted_);
}

void MainWindow::exit() {
  tooltip_.hide();
  // An open key settings dialog ends as its Cancel would: the exit saves
  // what was committed, not a half-made edit.
  if (settings_) settings_->closeWithCancel();
  // Every loop ends, those of open dialogs with it: what they held is
  // dropped as their Cancel would drop it, and the finish saves what was
  // committed. Not quit(): Qt 6 first asks every window to close, and this
  // one's close only hides it, which would cancel the exit.
  QCoreApplication::exit(0);
}

QIcon MainWindow::profileIcon() const {
  const std::int32_t profile = session_.profiles().activeProfile;
  if (!tarsil::isProfileNumber(profile)) return icon_;
  const QIcon& icon = profileIcons_[static_cast<std::size_t>(profile - 1)];
  return icon.isNull() ? icon_ : icon;
}

void MainWindow::showActiveProfile(std::int32_t profile,
                                   const std::optional<tarsil::ProfileNotice>& notice) {
  if (tray_ != nullptr) {
    tray_->setIcon(profileIcon());
    tray_->setToolTip(
        QString::fromStdU16String(tarsil::trayTip(kProgramName.toStdU16String(), profile)));
  }
  if (notice) notice_.showNotice(*notice);
}

void MainWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  for (const QRect& rect : event->region()) painter.drawImage(rect, frame_.image(), rect);
}

void MainWindow::copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) {
  frame_.copyPicture(picture, area);
  showChanges();
}

void MainWindow::showChanges() {
  const QRegion changed = frame_.takeChanged();
  if (!changed.isEmpty()) update(changed);
}

void MainWindow::restAt(QPoint point) {
  const std::optional<std::u16string> text = commands_.hover(frame_, point.x(), point.y());
  showChanges();
  if (text) tooltip_.setText(QString::fromStdU16String(*text), mapToGlobal(point));
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_) {
    move(event->globalPosition().toPoint() - *dragFrom_);
    return;
  }
  restPoint_ = event->position().toPoint();
  restTimer_.start();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  tooltip_.hide();
  restTimer_.stop();
  const QPoint at = event->position().toPoint();
  bool hit = false;
  {
    const Waiting waiting(waiting_);
    hit = commands_.press(at.x(), at.y());
  }
  // A press on the background drags the window, as one on a caption does:
  // through the window manager where there is one.
  if (!hit && (windowHandle() == nullptr || !windowHandle()->startSystemMove())) dragFrom_ = at;
  followIfPending();
}

void MainWindow::mouseReleaseEvent(QMouseEvent*) { dragFrom_.reset(); }

void MainWindow::leaveEvent(QEvent*) {
  restTimer_.stop();
  tooltip_.hide();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The desktop's close (a key, a taskbar menu) does what the skin's Close
  // does: the window goes, the program stays in the tray.
  event->ignore();
  hideWindow();
}

void MainWindow::hideWindow() {
  tooltip_.hide();
  hide();
}

void MainWindow::minimizeWindow() {
  tooltip_.hide();
  showMinimized();
}

void MainWindow::showButtonMenu() {
  const Waiting waiting(waiting_);
  // "Programs..." is left out: the rules for the program in front are the
  // Windows program's.
  QMenu menu(this);
  QAction* importAction = menu.addAction(QStringLiteral("Import"));
  QAction* exportAction = menu.addAction(QStringLiteral("Export"));
  QAction* aboutAction = menu.addAction(QStringLiteral("About"));
  QAction* exitAction = menu.addAction(QStringLiteral("Exit"));
  const QAction* chosen = menu.exec(QCursor::pos());
  if (chosen == importAction) {
    importProfile();
  } else if (chosen == exportAction) {
    exportWithDialog(this, session_);
  } else if (chosen == aboutAction) {
    showAbout();
  } else if (chosen == exitAction) {
    exit();
  }
}

void MainWindow::importProfile() {
  // The import goes into the profile active when it was asked for.
  const tarsil::MainCommands::WaitForUser wait(commands_);
  if (!importWithDialog(this, session_)) return;
  saveSettings();
  // The imported keys show at once.
  commands_.drawAll(frame_);
  showChanges();
}

void MainWindow::showAbout() {
  const Waiting waiting(waiting_);
  QMessageBox box(this);
  box.setWindowTitle(QStringLiteral("About"));
  box.setIconPixmap(icon_.pixmap(32, 32));
  box.setText(
      QStringLiteral("The product name : Tarsil\nDescription : Tarsil\nVersion " TARSIL_VERSION
                     "\n\nKey assignments and macros, in three profiles."));
  box.exec();
  followIfPending();
}

bool MainWindow::confirmRestoreDefaults() {
  const Waiting waiting(waiting_);
  return QMessageBox::warning(this, kQuestionCaption,
                              QStringLiteral("Do you want to restore the default settings?"),
                              QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool MainWindow::confirmSaveChanges() {
  const Waiting waiting(waiting_);
  return QMessageBox::warning(this, kQuestionCaption,
                              QStringLiteral("Do you want to save the settings?"),
                              QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool MainWindow::keepUnappliedEdits(std::int32_t profile) {
  const Waiting waiting(waiting_);
  const QString number = QString::number(profile);
  return QMessageBox::question(
             this, kQuestionCaption,
             QStringLiteral("Another program has changed the settings file, set.ini, while "
                            "profile %1 holds changes you have not applied.\n\nDo you want to "
                            "keep your changes? Yes applies them to profile %1; No takes the "
                            "settings from the file.")
                 .arg(number),
             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<tarsil::KeySettingsExchange> MainWindow::runKeySettings(
    tarsil::KeySettingsExchange exchange, tarsil::TranslationTable& working) {
  const Waiting waiting(waiting_);
  tooltip_.hide();
  return settings_->run(std::move(exchange), working);
}

std::int32_t MainWindow::windowWidth() const { return skin_.size().width(); }

std::int32_t MainWindow::windowHeight() const { return skin_.size().height(); }

void MainWindow::saveSettings() { showNotices(session_.save(*this)); }

void MainWindow::followIfPending() {
  if (followPending_) followSettingsFile();
}

void MainWindow::followSettingsFile() {
  if (waiting_ > 0 || QApplication::activeModalWidget() != nullptr ||
      QApplication::activePopupWidget() != nullptr) {
    followPending_ = true;
    return;
  }
  followPending_ = false;
  const std::uint64_t before = session_.outsideChangeCount();
  const std::int32_t activeBefore = session_.profiles().activeProfile;
  const tarsil::Notices notices = session_.followFile(*this);
  // What another program changed shows at once: the keys, and the active
  // profile in the indicator, the tray and, when it is another, a notice.
  if (session_.outsideChangeCount() != before) {
    commands_.drawAll(frame_);
    showChanges();
    const std::int32_t active = session_.profiles().activeProfile;
    showActiveProfile(active, tarsil::outsideChangeNotice(activeBefore, active));
  }
  showNotices(notices);
}

void MainWindow::showNotices(const tarsil::Notices& notices) {
  if (notices.empty()) return;
  const Waiting waiting(waiting_);
  QString text;
  QMessageBox::Icon icon = QMessageBox::Warning;
  for (const tarsil::Notice& notice : notices) {
    if (!text.isEmpty()) text += QStringLiteral("\n\n");
    text += QString::fromStdString(notice.text);
    if (notice.level == tarsil::Notice::Level::kError) icon = QMessageBox::Critical;
  }
  QMessageBox box(icon, kProgramName, text, QMessageBox::Ok, isVisible() ? this : nullptr);
  box.exec();
}
