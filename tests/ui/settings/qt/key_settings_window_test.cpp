// The key settings dialog on Qt, opened with the shipped skin and layout and
// driven as a user drives it: keys arrive as the X server's key events (X
// key code, X modifier state, time stamp), buttons are clicked where the
// skin draws them.
#include "ui/settings/qt/key_settings_window.h"

#include <linux/input-event-codes.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <vector>

#include "profile/profile_data.h"

namespace {

constexpr tarsil::KeyCode kF1 = 112;
constexpr tarsil::KeyCode kF2 = 113;
constexpr quint32 kNumLock = 0x10;

const std::filesystem::path kAssets = TARSIL_ASSETS_DIR;

// Where the skin draws the buttons the scenarios click (their entries'
// rectangles in Composite.ini, at their middles).
const QPoint kOk(434, 464);
const QPoint kSingleKeyTab(92, 84);
const QPoint kMacroTab(236, 84);
const QPoint kMediaTab(380, 84);
const QPoint kFunctionTab(524, 84);
const QPoint kAddMacro(352, 153);
const QPoint kDeleteMacro(424, 153);
const QPoint kRecord(526, 153);
const QPoint kSetAll(419, 323);

void click(QWidget& window, QPoint at) {
  auto* button = qobject_cast<QAbstractButton*>(window.childAt(at));
  QVERIFY2(button != nullptr, "no skin button there");
  QTest::mouseClick(button, Qt::LeftButton, {}, button->mapFrom(&window, at));
}

// Whether the skin button at `at` shows its area of the skin picture `file`.
bool shows(QWidget& window, QPoint at, const char* file) {
  QWidget* button = window.childAt(at);
  const QImage face = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage picture(QString::fromStdString((kAssets / "skin" / file).string()));
  return face == picture.copy(button->geometry()).convertToFormat(QImage::Format_RGB32);
}

// A key of the physical keyboard, as X reports it to the focused widget.
void key(QWidget& window, QEvent::Type type, quint16 evdev, quint32 xState, ulong timeMs,
         bool autoRepeat = false) {
  QKeyEvent event(type, 0, Qt::NoModifier, evdev + 8u, 0, xState, QString(), autoRepeat);
  event.setTimestamp(timeMs);
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr || target->window() != &window) target = &window;
  QApplication::sendEvent(target, &event);
}
void tap(QWidget& window, quint16 evdev, quint32 xState, ulong downMs, ulong upMs) {
  key(window, QEvent::KeyPress, evdev, xState, downMs);
  key(window, QEvent::KeyRelease, evdev, xState, upMs);
}

template <typename T>
T& child(QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromLatin1(name));
  if (found == nullptr) qFatal("no control %s", name);
  return *found;
}

// Leaves a picture of the dialog where TARSIL_SHOTS asks for one.
void shoot(QWidget& window, const char* name) {
  const QByteArray folder = qgetenv("TARSIL_SHOTS");
  if (!folder.isEmpty()) window.grab().save(QString::fromLocal8Bit(folder) + u'/' + name);
}

// The dialog with NumLock on, whatever the machine's lamps show: the
// notice about it would wait for a user.
class Window : public KeySettingsWindow {
 public:
  using KeySettingsWindow::KeySettingsWindow;

 protected:
  bool numLockOn() const override { return true; }
};

}  // namespace

class KeySettingsWindowTest : public QObject {
  Q_OBJECT

 private:
  // One modal run: `drive` works the open dialog; whatever it leaves open is
  // cancelled, so a failed check never leaves the run waiting.
  std::optional<tarsil::KeySettingsExchange> run(tarsil::KeySettingsExchange exchange,
                                                 std::function<void()> drive) {
    QTimer::singleShot(0, window, [this, drive] {
      drive();
      window->closeWithCancel();
    });
    return window->run(std::move(exchange), working);
  }

  tarsil::MediaKeyTable media{{u"Play/Pause", 179}};
  tarsil::TranslationTable working;
  KeySettingsWindow* window = nullptr;
  std::vector<bool> keysWanted;

 private Q_SLOTS:
  void init() {
    working.clear();
    tarsil::addIdentityEntries(working, true);
    keysWanted.clear();
    window = new Window(nullptr, kAssets / "skin", kAssets / "Composite.ini", media);
    QVERIFY2(window->loadProblem().isEmpty(), qPrintable(window->loadProblem()));
    window->setKeysWantedHandler([this](bool wanted) { keysWanted.push_back(wanted); });
  }
  void cleanup() { delete window; }

  void aPressedKeyIsCapturedByItsPositionAndNamedAsOnWindows() {
    const auto result = run({kF1, u"F1", tarsil::KindSingleKey, 0, {}}, [this] {
      QCOMPARE(keysWanted, std::vector<bool>{true});
      // Keypad 4 with NumLock off: the key the keypad's Left stands for.
      tap(*window, KEY_KP4, 0, 10, 20);
      QCOMPARE(child<QLineEdit>(*window, "keyName").text(), QStringLiteral("Num 4"));
      // Esc is a key like any other while one is captured: it cancels nothing.
      tap(*window, KEY_ESC, kNumLock, 30, 40);
      QVERIFY(window->isOpen());
      tap(*window, KEY_KP4, kNumLock, 50, 60);
      shoot(*window, "single-key.png");
      // Picking from a list takes no keys; choosing the single key again
      // takes them again and keeps the key captured.
      click(*window, kMediaTab);
      shoot(*window, "media.png");
      click(*window, kFunctionTab);
      shoot(*window, "function.png");
      click(*window, kSingleKeyTab);
      QCOMPARE(keysWanted, (std::vector<bool>{true, false, true}));
      click(*window, kOk);
    });
    QVERIFY(result.has_value());
    QCOMPARE(result->assignmentName, std::u16string(u"Num 4"));
    QCOMPARE(working.at(kF1), tarsil::KeyList{100});
    QCOMPARE(keysWanted, (std::vector<bool>{true, false, true, false}));
    QVERIFY(!window->isOpen());

    KeySettingsWindow missing(nullptr, kAssets / "no-skin", kAssets / "Composite.ini", media);
    QVERIFY(missing.loadProblem().contains(QStringLiteral("key_mask.bmp")));
    QVERIFY(!missing.run({kF1, u"F1", tarsil::KindSingleKey, 0, {}}, working).has_value());
  }

  void aRecordedMacroKeepsItsKeysFlagsAndTimingAsSetInTheEditor() {
    const auto result = run({kF1, u"F1", tarsil::KindSingleKey, 0, {}}, [this] {
      click(*window, kMacroTab);
      QVERIFY(shows(*window, kAddMacro, "macro_normal.bmp"));
      QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
      QApplication::sendEvent(window->childAt(kAddMacro), &enter);
      QVERIFY(shows(*window, kAddMacro, "macro_over.bmp"));
      click(*window, kRecord);
      QCOMPARE(keysWanted, (std::vector<bool>{true, false, true}));
      // No other macro can be chosen or added while this one records.
      QVERIFY(shows(*window, kAddMacro, "macro_disable.bmp"));
      // Alt+Tab, with Tab held long enough for X to repeat it.
      key(*window, QEvent::KeyPress, KEY_LEFTALT, kNumLock, 1000);
      key(*window, QEvent::KeyPress, KEY_TAB, kNumLock, 1100);
      key(*window, QEvent::KeyRelease, KEY_TAB, kNumLock, 1130, true);
      key(*window, QEvent::KeyPress, KEY_TAB, kNumLock, 1130, true);
      key(*window, QEvent::KeyRelease, KEY_TAB, kNumLock, 1150);
      key(*window, QEvent::KeyRelease, KEY_LEFTALT, kNumLock, 1300);
      click(*window, kRecord);
      QCOMPARE(keysWanted.back(), false);

      auto& steps = child<QTreeWidget>(*window, "stepList");
      QCOMPARE(steps.topLevelItemCount(), 4);
      QCOMPARE(steps.topLevelItem(1)->text(0), QStringLiteral("Tab"));
      QCOMPARE(steps.topLevelItem(1)->text(1), QStringLiteral("down"));
      QCOMPARE(steps.topLevelItem(3)->text(2), QStringLiteral("150"));

      auto& mode = child<QComboBox>(*window, "modeList");
      mode.setFocus();
      QTest::keyClick(&mode, Qt::Key_Down);
      QCOMPARE(mode.currentText(), QStringLiteral("Sequence once"));
      QTest::keyClicks(&child<QLineEdit>(*window, "allDelays"), QStringLiteral("25"));
      click(*window, kSetAll);
      QTest::mouseClick(steps.viewport(), Qt::LeftButton, {},
                        steps.visualItemRect(steps.topLevelItem(2)).center());
      auto& delay = child<QLineEdit>(*window, "stepDelay");
      QCOMPARE(delay.text(), QStringLiteral("25"));
      delay.selectAll();
      QTest::keyClicks(&delay, QStringLiteral("40"));
      QCOMPARE(steps.topLevelItem(2)->text(2), QStringLiteral("40"));
      shoot(*window, "macro.png");
      click(*window, kOk);
    });
    QVERIFY(result.has_value());
    QCOMPARE(result->kind, tarsil::KindMacro);
    const tarsil::MacroEditCopies& macros = result->macros;
    QCOMPARE(macros.macroSteps.size(), std::size_t{1});
    // What Windows' hook reports for the same keys: the Alt bit while Alt is
    // down, the release bit, the scan codes.
    const auto code = [](std::uint32_t flags, std::uint32_t scan) {
      return static_cast<std::int32_t>((flags << 24) | (scan << 16));
    };
    const tarsil::MacroStepList expected = {code(0x20, 0x38), 164, 1, code(0x20, 0x0F), 9,   1,
                                            code(0xA0, 0x0F), 9,   0, code(0x80, 0x38), 164, 0};
    QCOMPARE(macros.macroSteps[0], expected);
    QCOMPARE(macros.macroTimings.at(0).mode, tarsil::MacroMode::kSequenceOnce);
    QCOMPARE(macros.macroTimings.at(0).delays, (std::vector<std::int32_t>{25, 25, 40, 25}));
    QCOMPARE(macros.macroBindings.at(kF1), 0);
    QCOMPARE(working.at(kF1), tarsil::macroPressCodes(expected));
  }

  void aMacroThatKeysPlayIsDeletedOnlyWhenTheUserSaysSo() {
    tarsil::MacroEditCopies macros;
    macros.macroNames = {u"define0", u"define1"};
    // A and B typed, their names' codes as recorded.
    macros.macroSteps = {{0x1E0000, 65, 1, -0x7FE20000, 65, 0},
                         {0x300000, 66, 1, -0x7FD00000, 66, 0}};
    macros.macroBindings = {{kF2, 0}, {kF1, 1}};
    QString asked;
    const auto result = run({0, u"", tarsil::KindMacroEditor, 0, macros}, [&] {
      shoot(*window, "macro-editor.png");
      QTimer::singleShot(0, window, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        asked = box->text();
        box->button(QMessageBox::Ok)->click();
      });
      click(*window, kDeleteMacro);
      QCOMPARE(child<QComboBox>(*window, "macroList").count(), 1);
      click(*window, kOk);
    });
    QCOMPARE(asked, QStringLiteral("Some key settings are detected pointing to this macro, and you "
                                   "really need to delete this macro ?"));
    QVERIFY(result.has_value());
    QCOMPARE(result->macros.macroNames, std::vector<std::u16string>{u"define1"});
    // F2 played the deleted macro; F1 follows its macro to its new place.
    QCOMPARE(result->macros.macroBindings, (tarsil::MacroBindings{{kF1, 0}}));
  }
};

QTEST_MAIN(KeySettingsWindowTest)
#include "key_settings_window_test.moc"
