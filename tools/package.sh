#!/usr/bin/env bash
# Builds the downloads of the version in CMakeLists.txt's project():
#   build/windows/packages/Tarsil-Software-X.Y.Z-setup.exe     the per-user installer
#   build/windows/packages/Tarsil-Software-X.Y.Z-portable.zip  the folder to unzip and run
#   build/linux/packages/tarsil_X.Y.Z_amd64.deb                the Linux programs, for Debian 12
# Installs what is missing first (makensis comes with Debian's nsis,
# dpkg-shlibdeps with dpkg-dev).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target packages
cmake --preset linux >/dev/null
cmake --build --preset linux -j2
(cd build/linux && cpack --config CPackConfig.cmake >/dev/null)
version=$(sed -n 's/^project(Tarsil VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for file in build/windows/packages/Tarsil-Software-"$version"-{setup.exe,portable.zip} \
  build/linux/packages/tarsil_"$version"_amd64.deb; do
  [ -f "$file" ] || { echo "missing: $file" >&2; exit 1; }
  printf '%s  %s bytes\n' "$file" "$(stat -c %s "$file")"
done
