#!/usr/bin/env bash
# check-install.sh: builds the amd64 packages, unpacks them into a scratch root (dpkg -x,
# no root file system touched) and runs the installed programs from there: the installed
# VexalCmdCE backs up the demo program from the installed vexal-plcsim, and a small C
# program built against the installed libcpulink-dev through pkg-config reads the
# simulator's clock. Also checks the man pages and the desktop entry.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "FAILED: $*" >&2; exit 1; }

start=$SECONDS
debs=$(scripts/package.sh amd64 | grep '\.deb$')
echo "packages built in $((SECONDS - start)) s"
start=$SECONDS

root=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2> /dev/null && wait "$sim_pid" 2> /dev/null
  rm -rf "$root"
}
trap cleanup EXIT
for deb in $debs; do dpkg -x "$deb" "$root/tree"; done
bin=$root/tree/usr/bin
libdir=$root/tree/usr/lib/$(gcc -print-multiarch)
work=$root/work
mkdir "$work"

# The installed programs must find the installed libraries on their own.
unset LD_LIBRARY_PATH
[[ $(ldd "$bin/VexalCmdCE") == *"libcpulink.so.1 => $root/tree/"* ]] ||
  fail "the installed VexalCmdCE does not load the installed libcpulink"

for page in "$root"/tree/usr/share/man/man1/*.1.gz "$root"/tree/usr/share/man/de/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "man $(basename "$page"): $warnings"
done
[ "$(ls "$root"/tree/usr/share/man/man1 | wc -l)" = 6 ] || fail "not six man pages"
[ -e "$root/tree/usr/lib/systemd/system/vexal-backup.timer" ] || fail "no backup timer unit"
[ -e "$root/tree/usr/share/man/de/man1/VexalCmdCE.1.gz" ] || fail "no German man page"
[ -e "$root/tree/usr/share/vexal/translations/vexal_de.qm" ] || fail "no German translation"
desktop-file-validate "$root/tree/usr/share/applications/vexal.desktop" ||
  fail "the desktop entry does not validate"

"$bin/vexal-wld" generate "$work/demo.wld" > /dev/null
"$bin/vexal-plcsim" --listen 127.0.0.1:0 --program "$work/demo.wld" > "$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do grep -q "listening on" "$work/sim.out" && break; sleep 0.05; done
address=$(sed -n 's/^listening on //p' "$work/sim.out" | head -1)
[ -n "$address" ] || fail "the installed simulator did not start"
export VEXAL_S7_PORT=${address##*:}

timeout 60 "$bin/VexalCmdCE" /ip 127.0.0.1 /upload "OB*,FB*,FC*,DB*,SDB*" \
  /fileupload "$work/backup.wld" || fail "the installed VexalCmdCE backup failed"
"$bin/vexal-wld" copy "$work/demo.wld" "$work/sorted.wld" > /dev/null
cmp "$work/backup.wld" "$work/sorted.wld" || fail "the backup differs from the demo program"

flags=$(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --define-variable=prefix="$root/tree/usr" \
  --cflags --libs cpulink)
# shellcheck disable=SC2086  # the flags are words
cc -std=c11 -Wall -Wextra -Werror -o "$work/read_clock" packaging/examples/read_clock.c \
  $flags -Wl,-rpath,"$libdir"
clock=$(timeout 30 "$work/read_clock") || fail "the C program could not read the clock"
echo "$clock"

echo "installed programs ran in $((SECONDS - start)) s"
echo "installed tree check passed"
