#include "session/user_files.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace tarsil {
namespace {

using testing::TempFolder;

TEST(UserFiles, TheConfigurationFolderFollowsTheBaseDirectoryRules) {
  UserPlaces places;
  places.home = "/home/ann";
  EXPECT_EQ(userConfigFolder(places), "/home/ann/.config/tarsil");
  places.xdgConfigHome = "/cfg";
  EXPECT_EQ(userConfigFolder(places), "/cfg/tarsil");
  // A relative or empty XDG_CONFIG_HOME is to be ignored.
  places.xdgConfigHome = "cfg";
  EXPECT_EQ(userConfigFolder(places), "/home/ann/.config/tarsil");
  places.xdgConfigHome = "";
  EXPECT_EQ(userConfigFolder(places), "/home/ann/.config/tarsil");
  places.home.reset();
  EXPECT_EQ(userConfigFolder(places), std::nullopt);

  std::string error;
  EXPECT_EQ(userSessionFiles(places, error), std::nullopt);
  EXPECT_NE(error.find("--settings"), std::string::npos) << error;
}

TEST(UserFiles, TheRuntimeFolderIsTheSessionsOwnOrNone) {
  UserPlaces places;
  places.home = "/home/ann";
  EXPECT_EQ(userRuntimeFolder(places), std::nullopt);
  for (const char* ignored : {"", "run/user/1000"}) {
    places.xdgRuntimeDir = ignored;
    EXPECT_EQ(userRuntimeFolder(places), std::nullopt) << ignored;
  }
  places.xdgRuntimeDir = "/run/user/1000";
  EXPECT_EQ(userRuntimeFolder(places), "/run/user/1000/tarsil");
}

TEST(UserFiles, TheLayoutBesideTheSettingsComesBeforeTheInstalledOne) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "home/.config/tarsil");
  std::filesystem::create_directories(folder / "usr/bin");
  std::filesystem::create_directories(folder / "usr/share/tarsil");
  UserPlaces places;
  places.home = (folder / "home").string();
  places.executable = folder / "usr/bin/tarsild";

  std::string error;
  EXPECT_EQ(userSessionFiles(places, error), std::nullopt);
  // Every place looked at is named.
  for (const char* place : {"home/.config/tarsil/Main.ini", "usr/share/tarsil/Main.ini",
                            "usr/bin/Main.ini", "--layout"}) {
    EXPECT_NE(error.find(place), std::string::npos) << place << " in " << error;
  }

  TempFolder::write(folder / "usr/bin/Main.ini", "");
  auto files = userSessionFiles(places, error);
  ASSERT_TRUE(files);
  EXPECT_EQ(files->settings, folder / "home/.config/tarsil/set.ini");
  EXPECT_EQ(files->layout, folder / "usr/bin/Main.ini");
  TempFolder::write(folder / "usr/share/tarsil/Main.ini", "");
  EXPECT_EQ(userSessionFiles(places, error)->layout, folder / "usr/share/tarsil/Main.ini");
  TempFolder::write(folder / "home/.config/tarsil/Main.ini", "");
  EXPECT_EQ(userSessionFiles(places, error)->layout, folder / "home/.config/tarsil/Main.ini");

  // Named files are taken as named; the layout is then looked for beside
  // the named settings.
  places.settings = folder / "elsewhere/set.ini";
  EXPECT_EQ(userSessionFiles(places, error)->layout, folder / "usr/share/tarsil/Main.ini");
  places.layout = "/nowhere/Main.ini";
  files = userSessionFiles(places, error);
  EXPECT_EQ(files->settings, folder / "elsewhere/set.ini");
  EXPECT_EQ(files->layout, "/nowhere/Main.ini");
}

TEST(UserFiles, TheSkinComesFromTheInstalledShareFolderElseBesideTheProgram) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "usr/bin");
  const std::filesystem::path executable = folder / "usr/bin/tarsil";
  // Nothing anywhere: the installed place is the one a notice names.
  EXPECT_EQ(shippedDataFolder(executable), folder / "usr/share/tarsil");
  // A build tree keeps the skin beside the program; a share folder that
  // holds only a layout (tarsild's) does not hide it.
  std::filesystem::create_directories(folder / "usr/bin/skin");
  TempFolder::write(folder / "usr/share/tarsil/Main.ini", "");
  EXPECT_EQ(shippedDataFolder(executable), folder / "usr/bin");
  std::filesystem::create_directories(folder / "usr/share/tarsil/skin");
  EXPECT_EQ(shippedDataFolder(executable), folder / "usr/share/tarsil");
}

}  // namespace
}  // namespace tarsil
