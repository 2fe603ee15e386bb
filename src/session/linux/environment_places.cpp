#include "session/linux/environment_places.h"

#include <cstdlib>
#include <system_error>

namespace tarsil {

UserPlaces placesFromEnvironment(const std::string& settings, const std::string& layout,
                                 const char* argv0) {
  UserPlaces places;
  if (!settings.empty()) places.settings = settings;
  if (!layout.empty()) places.layout = layout;
  if (const char* value = std::getenv("XDG_CONFIG_HOME")) places.xdgConfigHome = value;
  if (const char* value = std::getenv("HOME")) places.home = value;
  if (const char* value = std::getenv("XDG_RUNTIME_DIR")) places.xdgRuntimeDir = value;
  // The installed layout is found from the program's own place.
  std::error_code unknown;
  places.executable = std::filesystem::read_symlink("/proc/self/exe", unknown);
  if (unknown && argv0 != nullptr) places.executable = argv0;
  return places;
}

}  // namespace tarsil
