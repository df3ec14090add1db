#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs a technician's day against the
# built-in simulator. A demo program is generated and loaded into a simulated controller;
# VexalCmdCE backs the controller up over TCP/IP, stops it, restores the program over
# MPI (the simulator stands as an Ethernet-to-MPI gateway with stations 2 and 3 behind it;
# the bus file names the gateway), writes variables and starts it again; the backup is
# compared with the original, vexal-backup backs up both stations twice into a git archive
# and reports the DB value written between the runs, and the controller's final state is
# read from its dump.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh normal
bin=build/bin
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

step() { printf '\n== %s\n' "$*"; }
run_cmd() {
  echo "\$ VexalCmdCE $*"
  if "$bin/VexalCmdCE" "$@"; then echo "exit 0"; else echo "exit $?"; return 1; fi
}

step "demo program"
"$bin/vexal-wld" generate "$work/demo.wld"
"$bin/vexal-wld" list "$work/demo.wld" | tail -1

step "simulated gateway with MPI stations 2 and 3 (station 2 also answers TCP/IP, rack 0 slot 2)"
"$bin/vexal-plcsim" --listen 127.0.0.1:0 --program "$work/demo.wld" --dump "$work/dump.json" \
  --mpi-station 2 --mpi-station 3 > "$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do grep -q "listening on" "$work/sim.out" && break; sleep 0.05; done
address=$(sed -n 's/^listening on //p' "$work/sim.out" | head -1)
[ -n "$address" ] || { echo "the simulator did not start"; exit 1; }
echo "listening on $address"
printf 'own 0\nhighest 31\ngateway %s\n' "$address" > "$work/bus"
export VEXAL_S7_PORT=${address##*:} VEXAL_MPI_BUS="$work/bus"
cat "$work/bus"

step "back up every block over TCP/IP"
run_cmd /ip 127.0.0.1 /upload "OB*,FB*,FC*,DB*,SDB*" /fileupload "$work/backup.wld"
"$bin/vexal-wld" copy "$work/demo.wld" "$work/sorted.wld"
cmp "$work/backup.wld" "$work/sorted.wld"
echo "backup identical to the demo program ($(stat -c %s "$work/backup.wld") bytes)"

step "stop, restore over MPI, write variables, restart"
run_cmd /ip 127.0.0.1 /stop
run_cmd /mpi 2 /download "OB*,FB*,FC*,DB*" /filedownload "$work/backup.wld" \
  /var "MW10=1234,DB1.DBB0=0x7F,M0.1=1"
run_cmd /mpi 2 /run

step "station 4 is not behind the gateway: the gateway refuses it at once"
if run_cmd /mpi 4 /run; then exit 1; fi

step "nightly backup of the plant: station 2 over TCP/IP and station 3 over MPI, into a git archive"
printf 'press ip 127.0.0.1\nconveyor mpi 3\n' > "$work/plant"
run_backup() {
  echo "\$ vexal-backup $*"
  status=0
  "$bin/vexal-backup" "$@" 2> /dev/null || status=$?
  echo "exit $status"
}
run_backup "$work/plant" "$work/archive"
run_cmd /ip 127.0.0.1 /var "DB1.DBB0=0x11"
run_backup "$work/plant" "$work/archive" --json "$work/report.json"
[ "$status" = 1 ] || exit 1
ls "$work/archive/press"

step "the touch GUI"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "VexalCE runs against the simulator; close its window to go on"
  "$bin/VexalCE" || echo "VexalCE ended with $?"
else
  echo "no display: the sheet and every page, connected to a simulator, are shown as"
  echo "screenshots of both layouts instead"
  ctest --test-dir build -R 'Screens|StationListLayoutTest|PageTest|ScreenshotsOfBothBlockPages' --output-on-failure | tail -1
  ls build/tests/gui/VexalCE-*.png
fi

step "controller state"
kill -TERM "$sim_pid"
wait "$sim_pid"
sim_pid=
grep -o '"mode": *"[A-Z]*"' "$work/dump.json"
grep -c '"sha256"' "$work/dump.json" | sed 's/$/ blocks in the controller/'
echo "main job done"
