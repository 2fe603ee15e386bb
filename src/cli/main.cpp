// tarsilctl: the keyboard settings without the window, for scripts and tests.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "session/linux/environment_places.h"
#include "session/user_files.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Reads, checks, exports and imports the settings of the Tarsil keyboard program, and "
      "switches its active profile."};
  app.require_subcommand(1);
  std::string settings;
  std::string layout;
  std::string file;
  std::string codePage;

  auto addCommon = [&](CLI::App* command, bool layoutRequired) {
    CLI::Option* option = command->add_option("--layout", layout, "the keyboard layout (Main.ini)");
    if (layoutRequired) option->required();
    command->add_option("--codepage", codePage,
                        "the code page of 8-bit files, as GBK or CP1252 (default: keep their "
                        "bytes as they are)");
    command->add_option("SETTINGS", settings, "the settings file (set.ini)")->required();
  };
  CLI::App* show = app.add_subcommand("show", "summarise the three profiles");
  addCommon(show, false);
  CLI::App* dump = app.add_subcommand("dump", "print the three profiles as JSON");
  addCommon(dump, true);
  CLI::App* check = app.add_subcommand("check", "list what a hand-edited file gets wrong");
  addCommon(check, true);
  CLI::App* exportCommand = app.add_subcommand("export", "write the active profile to a file");
  addCommon(exportCommand, true);
  exportCommand->add_option("OUT", file, "the profile file to write")->required();
  CLI::App* importCommand =
      app.add_subcommand("import", "read a profile file into the active profile");
  addCommon(importCommand, true);
  importCommand->add_option("IN", file, "the profile file to read")->required();

  CLI::App* profileCommand = app.add_subcommand(
      "profile", "make profile N the active one; writes [TYPE] alone, so tarsild switches at once");
  std::int32_t profileNumber = 0;
  profileCommand->add_option("--layout", layout,
                             "the keyboard layout (default: Main.ini beside the settings, else "
                             "the one installed with the program)");
  profileCommand->add_option("--codepage", codePage, "the code page of 8-bit files");
  profileCommand->add_option("N", profileNumber, "1, 2 or 3")->required();
  profileCommand->add_option("SETTINGS", settings,
                             "the settings file (default: set.ini in $XDG_CONFIG_HOME/tarsil, "
                             "the file tarsild reads)");

  CLI11_PARSE(app, argc, argv);

  if (profileCommand->parsed()) {
    const tarsil::UserPlaces places = tarsil::placesFromEnvironment(settings, layout, argv[0]);
    std::string error;
    const auto files = tarsil::userSessionFiles(places, error);
    if (!files) {
      std::cerr << error << '\n';
      return tarsil::cli::kExitFailure;
    }
    const tarsil::cli::Context context{
        files->settings, files->layout,
        codePage.empty() ? std::nullopt : std::optional<std::string>(codePage), std::cout,
        std::cerr};
    return tarsil::cli::runProfile(context, profileNumber);
  }

  const tarsil::cli::Context context{
      settings, layout.empty() ? std::nullopt : std::optional<std::filesystem::path>(layout),
      codePage.empty() ? std::nullopt : std::optional<std::string>(codePage), std::cout, std::cerr};
  if (show->parsed()) return tarsil::cli::runShow(context);
  if (dump->parsed()) return tarsil::cli::runDump(context);
  if (check->parsed()) return tarsil::cli::runCheck(context);
  if (exportCommand->parsed()) return tarsil::cli::runExport(context, file);
  return tarsil::cli::runImport(context, file);
}
