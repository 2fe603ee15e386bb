#!/usr/bin/env bash
# The Debian package installs into a clean Debian 12: builds the .deb from
# the build tree (cpack), unpacks a fresh minimal bookworm root, installs the
# package there with apt (its dependencies resolved from the mirror this
# machine uses), and checks the files it put there, that tarsilctl runs, and
# that the window program finds every library it links. Exit 77 (ctest's
# skip) when not root or when debootstrap is missing.
#
# usage: install_test.sh BUILD_DIR VERSION WITH_WINDOW(0|1)
# The root debootstrap makes, and the packages apt fetches, are kept under
# BUILD_DIR/package-test: a rerun unpacks the root again (clean) and fetches
# nothing it fetched before.
set -euo pipefail
build=$1 version=$2 window=$3
started=$(date +%s.%N)

skip() {
  echo "SKIPPED: $*"
  exit 77
}
[ "$(id -u)" -eq 0 ] || skip "making a Debian root and installing into it needs root"
command -v debootstrap >/dev/null || skip "debootstrap is missing (tools/setup.sh installs it)"

cache=$build/package-test
root=$cache/root
base=$cache/bookworm-minbase.tar
archives=$cache/archives
mkdir -p "$cache" "$archives/partial"

mounts=("$root/var/cache/apt/archives" "$root/proc")
unmount() {
  for mount in "${mounts[@]}"; do
    if mountpoint -q "$mount"; then umount -l "$mount"; fi
  done
}
trap unmount EXIT
unmount  # a run that was killed may have left them

# The mirror apt uses here: the first "URIs:" of a deb822 source, else the
# first "deb" line.
mirror=$(sed -n 's/^URIs: *\([^ ]*\/debian\/*\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
  head -n1 || true)
if [ -z "$mirror" ] && [ -r /etc/apt/sources.list ]; then
  mirror=$(awk '$1 == "deb" && $2 !~ /security/ { print $2; exit }' /etc/apt/sources.list)
fi
mirror=${mirror:-http://deb.debian.org/debian}

if [ ! -f "$base" ]; then
  echo "making a minimal Debian 12 root from $mirror (once; kept in $base)"
  fresh=$cache/fresh
  rm -rf --one-file-system "$fresh"
  if ! debootstrap --variant=minbase bookworm "$fresh" "$mirror" >"$cache/debootstrap.log" 2>&1; then
    tail -n 5 "$cache/debootstrap.log"
    skip "debootstrap could not make a root from $mirror (see $cache/debootstrap.log)"
  fi
  cp /etc/resolv.conf "$fresh/etc/resolv.conf"
  chroot "$fresh" apt-get update -qq
  tar -C "$fresh" -cf "$base" .
  rm -rf --one-file-system "$fresh"
fi

# The package, from what the build holds now.
deb=$build/packages/tarsil_${version}_amd64.deb
(cd "$build" && cpack --config CPackConfig.cmake >"$cache/cpack.log" 2>&1) || {
  cat "$cache/cpack.log"
  exit 1
}
[ -f "$deb" ] || { echo "cpack made no $deb"; exit 1; }
echo "package: $deb, $(stat -c %s "$deb") bytes (made in $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $started }") s)"

rm -rf --one-file-system "$root"
mkdir -p "$root"
tar -C "$root" -xf "$base"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# A root thrown away after the test needs no fsync after every file.
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
mount -t proc proc "$root/proc"
mount --bind "$archives" "$root/var/cache/apt/archives"
cp "$deb" "$root/tmp/"

installPackage() {
  chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "/tmp/$(basename "$deb")" >"$cache/apt.log" 2>&1
}
# The lists kept with the root may be older than the mirror's packages.
if ! installPackage && ! { chroot "$root" apt-get update -qq && installPackage; }; then
  tail -n 20 "$cache/apt.log"
  echo "FAIL: apt could not install the package"
  exit 1
fi
echo "installed with $(grep -c '^Setting up' "$cache/apt.log") packages set up"

failures=0
check() {
  if [ "$1" = ok ]; then echo "ok - $2"; else echo "not ok - $2"; failures=$((failures + 1)); fi
}

listed=$(chroot "$root" dpkg -L tarsil)
expected=(
  /usr/bin/tarsild /usr/bin/tarsilctl /usr/share/tarsil/Main.ini
  /usr/lib/systemd/user/tarsild.service /usr/lib/udev/rules.d/70-tarsil.rules
  /usr/lib/modules-load.d/tarsil-uinput.conf
)
if [ "$window" = 1 ]; then
  expected+=(
    /usr/bin/tarsil /usr/share/tarsil/Composite.ini /usr/share/applications/tarsil.desktop
    /usr/share/icons/hicolor/48x48/apps/tarsil.png /usr/share/icons/hicolor/256x256/apps/tarsil.png
  )
fi
missing=""
for file in "${expected[@]}"; do
  grep -qxF "$file" <<<"$listed" && [ -e "$root$file" ] || missing+=" $file"
done
check "$([ -z "$missing" ] && echo ok)" "dpkg -L tarsil lists the files expected, and they are there${missing:+; missing:$missing}"
if [ "$window" = 1 ]; then
  skins=$(grep -c '^/usr/share/tarsil/skin/.*\.bmp$' <<<"$listed" || true)
  check "$([ "$skins" -gt 0 ] && echo ok)" "the skin's pictures are installed ($skins)"
fi
unit=$(grep '^ExecStart=' "$root/usr/lib/systemd/user/tarsild.service" || true)
check "$([ "$unit" = ExecStart=/usr/bin/tarsild ] && echo ok)" "the user unit starts the installed tarsild: $unit"

if chroot "$root" /usr/bin/tarsilctl --help >"$cache/help.txt" 2>&1; then
  check ok "tarsilctl --help runs inside: $(head -n1 "$cache/help.txt")"
else
  check no "tarsilctl --help runs inside: $(head -n3 "$cache/help.txt")"
fi
if [ "$window" = 1 ]; then
  for program in /usr/bin/tarsil /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so; do
    unresolved=$(chroot "$root" ldd "$program" 2>&1 | grep 'not found' || true)
    check "$([ -z "$unresolved" ] && echo ok)" "$program finds every library it links${unresolved:+: $unresolved}"
  done
fi

unmount
rm -rf --one-file-system "$root"
echo "test time $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $started }") s"
[ "$failures" -eq 0 ]
