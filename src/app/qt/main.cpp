// tarsil: the window program on Linux, over the same models and the same
// set.ini as tarsild.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QMessageBox>
#include <QSessionManager>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "app/linux/translation_pause.h"
#include "app/qt/first_instance.h"
#include "app/qt/quit_on_signal.h"
#include "session/linux/environment_places.h"
#include "session/user_files.h"
#include "ui/main/qt/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarsil"));
  QApplication::setApplicationVersion(QStringLiteral(TARSIL_VERSION));
  // Closing the window leaves the program in the tray, as on Windows.
  QApplication::setQuitOnLastWindowClosed(false);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Edits the key assignments, macros and profiles of the Tarsil keyboard in set.ini, "
      "which tarsild applies as soon as it is saved."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption tray(QStringLiteral("tray"),
                                QStringLiteral("start in the tray, with the window hidden"));
  const QCommandLineOption settings(
      QStringLiteral("settings"),
      QStringLiteral("the settings file (default: $XDG_CONFIG_HOME/tarsil/set.ini)"),
      QStringLiteral("FILE"));
  const QCommandLineOption layout(
      QStringLiteral("layout"),
      QStringLiteral("the keyboard layout (default: Main.ini beside the settings, else the one "
                     "installed with the program)"),
      QStringLiteral("FILE"));
  parser.addOptions({tray, settings, layout});
  parser.process(app);

  const tarsil::UserPlaces places =
      tarsil::placesFromEnvironment(QFile::encodeName(parser.value(settings)).toStdString(),
                                    QFile::encodeName(parser.value(layout)).toStdString(), argv[0]);

  FirstInstance first;
  const std::optional<std::filesystem::path> runtime = tarsil::userRuntimeFolder(places);
  QString socketPath;
  if (runtime) {
    std::error_code error;
    std::filesystem::create_directories(*runtime, error);
    std::filesystem::permissions(*runtime, std::filesystem::perms::owner_all, error);
    socketPath = QFile::decodeName((*runtime / "window").c_str());
    if (FirstInstance::reach(socketPath, !parser.isSet(tray))) return 0;
  }

  std::string error;
  const std::optional<tarsil::SessionFiles> files = tarsil::userSessionFiles(places, error);
  if (!files) {
    QMessageBox::critical(nullptr, QStringLiteral("Tarsil Software"),
                          QString::fromStdString(error));
    return 1;
  }
  // A first start: the folder the settings are saved into.
  std::error_code folderError;
  std::filesystem::create_directories(files->settings.parent_path(), folderError);

  MainWindow window(tarsil::shippedDataFolder(places.executable));
  if (!window.start(files)) return 1;
  // While the key settings dialog captures or records, tarsild leaves the
  // keys as they are, so that the dialog sees the keys that were pressed.
  std::optional<tarsil::TranslationPause> pause;
  window.setKeysWantedHandler([&pause](bool wanted) {
    if (!wanted) {
      pause.reset();
    } else if (!pause) {
      std::string whyNot;
      pause = tarsil::TranslationPause::request(&whyNot);
      if (!pause && !whyNot.empty()) qInfo("Translation goes on: %s", whyNot.c_str());
    }
  });
  if (!socketPath.isEmpty()) first.listen(socketPath, [&window] { window.open(); });
  quitOnSignals();
  QObject::connect(&app, &QGuiApplication::commitDataRequest,
                   [&window](QSessionManager&) { window.saveAtSessionEnd(); });
  if (!parser.isSet(tray)) window.show();
  const int code = QApplication::exec();
  window.finish();
  return code;
}
