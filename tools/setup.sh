#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, skipping
# those already present. Runs apt-get through sudo when not root.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  libgtest-dev googletest libbenchmark-dev nlohmann-json3-dev libcli11-dev
  g++-mingw-w64-x86-64 wine wine64 xvfb xdotool imagemagick xclip x11-utils nsis
  python3 python3-pil fonts-noto-cjk fonts-dejavu-core
  qemu-system-x86 linux-image-amd64 busybox-static cpio
  dpkg-dev debootstrap
  qt6-base-dev libx11-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
