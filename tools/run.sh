#!/usr/bin/env bash
# Sets up what is missing, builds, and shows the shipped sample settings
# through tarsilctl.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target tarsilctl
build/linux/src/cli/tarsilctl show --layout assets/Main.ini examples/set.ini
