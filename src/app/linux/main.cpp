// tarsild: the keyboard's profiles on Linux, applied through evdev and uinput.
#include <CLI/CLI.hpp>
#include <string>

#include "app/linux/tarsild.h"
#include "session/linux/environment_places.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Applies the active profile of the Tarsil keyboard's set.ini while the keyboard is "
      "attached: takes its key events, translates them and sends them through the "
      "\"Tarsil virtual keyboard\". Rereads set.ini whenever it changes."};
  std::string settings;
  std::string layout;
  tarsil::DaemonOptions options;
  app.add_option("--settings", settings,
                 "the settings file (default: $XDG_CONFIG_HOME/tarsil/set.ini)");
  app.add_option("--layout", layout,
                 "the keyboard layout (default: Main.ini beside the settings, else the one "
                 "installed with the program)");
  app.add_flag("--any-keyboard", options.anyKeyboard,
               "translate every keyboard, not only those of the keyboard's USB vendor 1a2c");
  CLI11_PARSE(app, argc, argv);

  options.places = tarsil::placesFromEnvironment(settings, layout, argv[0]);

  tarsil::Daemon daemon(std::move(options));
  return daemon.run();
}
