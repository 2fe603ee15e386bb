#!/usr/bin/env bash
# tarsild end to end on a real kernel: builds an initramfs of busybox, the
# evdev and uinput modules of the installed Debian kernel, tarsild,
# tarsilctl, the probe and the libraries they link, boots it under QEMU
# (TCG: no KVM on these machines) and reads the probe's verdict from the
# serial console. Exit 77 (ctest's skip) when a tool is missing.
#
# usage: run_vm_test.sh TARSILD TARSILCTL PROBE SOURCE_DIR WORK_DIR [FORWARDER_LATENCY]
# With the measuring program, the guest also reports what tarsild's own
# work (read, decide, write) costs there.
set -euo pipefail
tarsild=$1 tarsilctl=$2 probe=$3 source=$4 work=$5 measure=${6:-}

skip() {
  echo "SKIPPED: $* (tools/setup.sh installs it)"
  exit 77
}

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is missing (package qemu-system-x86)"
command -v cpio >/dev/null || skip "cpio is missing (package cpio)"
busybox=/bin/busybox
if [ ! -x "$busybox" ] || ldd "$busybox" >/dev/null 2>&1; then
  skip "no static busybox at $busybox (package busybox-static)"
fi

# The newest installed kernel that has its modules; its version is found
# here, not assumed.
kernel="" modules=""
for dir in $(ls -d /lib/modules/*/ 2>/dev/null | sort -V -r); do
  version=$(basename "$dir")
  if [ -r "/boot/vmlinuz-$version" ] && [ -n "$(find "$dir" -name 'uinput.ko*' -print -quit)" ]; then
    kernel=/boot/vmlinuz-$version modules=$dir
    break
  fi
done
[ -n "$kernel" ] || skip "no kernel with its evdev and uinput modules (package linux-image-amd64)"

rm -rf "$work"
root=$work/root
mkdir -p "$root"/{bin,dev,proc,sys,tmp,run,root,cfg/tarsil,lib/modules}

# The modules, uncompressed: busybox's insmod takes plain .ko files.
for name in evdev uinput; do
  module=$(find "$modules" -name "$name.ko*" -print -quit)
  [ -n "$module" ] || skip "$name.ko is not among the modules of $modules"
  case $module in
    *.xz) xz -dc "$module" >"$root/lib/modules/$name.ko" ;;
    *.zst) zstd -qdc "$module" >"$root/lib/modules/$name.ko" ;;
    *.gz) gzip -dc "$module" >"$root/lib/modules/$name.ko" ;;
    *) cp "$module" "$root/lib/modules/$name.ko" ;;
  esac
done

cp "$busybox" "$root/bin/busybox"
cp "$tarsild" "$root/bin/tarsild"
cp "$tarsilctl" "$root/bin/tarsilctl"
cp "$probe" "$root/bin/vm_probe"
programs=("$tarsild" "$tarsilctl" "$probe")
if [ -n "$measure" ] && [ -x "$measure" ]; then
  cp "$measure" "$root/bin/forwarder_latency"
  programs+=("$measure")
fi
for program in "${programs[@]}"; do
  for library in $(ldd "$program" | grep -o '/[^ ]*'); do
    cp -L --parents "$library" "$root"
  done
done
cp "$source/tests/vm/set.ini" "$root/cfg/tarsil/set.ini"
cp "$source/assets/Main.ini" "$root/cfg/tarsil/Main.ini"

cat >"$root/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
mount -t tmpfs -o mode=0755 tmpfs /run
mkdir -m 0700 -p /run/user/0
insmod /lib/modules/evdev.ko
insmod /lib/modules/uinput.ko
export PATH=/bin HOME=/root XDG_CONFIG_HOME=/cfg XDG_RUNTIME_DIR=/run/user/0
echo "TARSIL-VM: booted in $(cut -d' ' -f1 /proc/uptime) s"
/bin/vm_probe
if [ -x /bin/forwarder_latency ]; then
  /bin/forwarder_latency 20000 | sed 's/^/latency of read-decide-write in the guest: /'
fi
poweroff -f
INIT
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initramfs.cpio"

console=$work/console.log
start=$(date +%s.%N)
timeout 200 qemu-system-x86_64 -accel tcg -cpu max -m 512 -smp 1 \
  -kernel "$kernel" -initrd "$work/initramfs.cpio" \
  -append "console=ttyS0 panic=-1 quiet" \
  -display none -monitor none -serial "file:$console" -net none -no-reboot </dev/null || true
end=$(date +%s.%N)

# The probe's lines, without the firmware's and the kernel's.
grep -aE '^(ok|not ok|latency|idle|probe time|reload storm|SIGHUP storm|highest|  at|tarsild per tap|TARSIL-VM|---|tarsild:)' "$console" | tr -d '\r' || true
echo "kernel $(basename "$kernel"), virtual machine time $(awk "BEGIN { printf \"%.1f\", $end - $start }") s"
grep -aq '^TARSIL-VM: PASS' "$console"
