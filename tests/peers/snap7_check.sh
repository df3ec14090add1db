#!/usr/bin/env bash
# snap7_check.sh PLCSIM: vexal-plcsim seen by independent peers. The snap7 client (node
# binding) lists, uploads and inspects a 300-block program at PDU 240, 480 and 960 and is
# refused without the password; the nodes7 client writes and reads back variables; nmap's
# s7-info identifies the module on port 102; tshark captures every session and must find
# no malformed packet and no expert warning. Exit 77 (skipped) when a tool is missing, unless CI is set:
# then a missing tool fails the check. scripts/install-deps.sh installs the tools.
set -uo pipefail
plcsim=$1
here=$(cd "$(dirname "$0")" && pwd)
peers=${VEXAL_PEERS_DIR:-/opt/vexal-peers}
export NODE_PATH=$peers/node_modules

missing() {
  if [ -n "${CI:-}" ]; then
    echo "FAIL: $1 (CI must have it: run scripts/install-deps.sh)"
    exit 1
  fi
  echo "SKIPPED: $1 (scripts/install-deps.sh installs it)"
  exit 77
}
command -v node >/dev/null || missing "node is not installed"
node -e "require('node-snap7')" 2>/dev/null || missing "the node-snap7 binding is not in $peers"
node -e "require('nodes7')" 2>/dev/null || missing "nodes7 is not in $peers"
command -v tshark >/dev/null || missing "tshark is not installed"
command -v nmap >/dev/null || missing "nmap is not installed"
[ "$(id -u)" = 0 ] || missing "capturing on the loopback interface needs root"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

wait_for() {  # FILE PATTERN: until the file holds the pattern, at most 10 s
  for _ in $(seq 100); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# Starts a simulator with the given options and adds its port to ports.
ports=()
sims=()
start_sim() {
  local out=$work/sim-${#ports[@]}.out
  "$plcsim" --listen "${host:-127.0.0.1}:${port:-0}" "$@" >"$out" 2>&1 &
  pids+=("$!")
  sims+=("$!")
  wait_for "$out" "listening on" || { echo "FAIL: the simulator did not start"; cat "$out"; exit 1; }
  ports+=("$(sed -n 's/^listening on [0-9.]*:\([0-9]*\)$/\1/p' "$out" | head -1)")
}

program=$work/program.wld
node "$here/snap7_check.js" generate "$program" || exit 1
for pdu in 240 480 960; do start_sim --program "$program" --pdu "$pdu"; done
start_sim --program "$program" --password SECRET
start_sim  # the demo program, for nodes7
# nmap looks for S7 on port 102 only: an address of the loopback net of its own.
nmap_host=127.0.$((RANDOM % 200 + 20)).$((RANDOM % 200 + 20))
host=$nmap_host port=102 start_sim

# One capture of every simulator's port.
filter="tcp port ${ports[0]}"
decode=()
for port in "${ports[@]}"; do
  filter+=" or tcp port $port"
  decode+=(-d "tcp.port==$port,tpkt")
done
capture=$work/sessions.pcapng
timeout 120 tshark -i lo -f "$filter" -w "$capture" >"$work/tshark.out" 2>&1 &
tshark_pid=$!
pids+=("$tshark_pid")
wait_for "$work/tshark.out" "Capturing on" || { echo "FAIL: tshark did not start"; cat "$work/tshark.out"; exit 1; }

failed=0
pdus=(240 480 960)
for i in 0 1 2; do
  node "$here/snap7_check.js" blocks "${ports[$i]}" "${pdus[$i]}" "$program" || failed=1
done
node "$here/snap7_check.js" password "${ports[3]}" "$program" SECRET || failed=1
node "$here/nodes7_check.js" "${ports[4]}" || failed=1
identity=$(timeout 60 nmap -Pn -n -sT -p 102 --script s7-info "$nmap_host" 2>&1)
if grep -q "Module: 6ES7 315-2AH14-0AB0" <<<"$identity" && grep -q "Module Type: CPU 315" <<<"$identity"; then
  echo "nmap s7-info: $(grep -c '^|  ' <<<"$identity") fields, the module as the simulator names it"
else
  echo "FAIL: nmap's s7-info did not identify the module:"
  echo "$identity"
  failed=1
fi
sleep 0.5
kill -INT "$tshark_pid" 2>/dev/null
wait "$tshark_pid" 2>/dev/null

# The capture must hold S7 traffic and no malformed packet or expert warning.
s7=$(tshark -r "$capture" "${decode[@]}" -Y s7comm 2>/dev/null | wc -l)
[ "$s7" -gt 0 ] || { echo "FAIL: no S7 packet in the capture"; exit 1; }
# nmap ends its port probe with a reset of its own.
bad=$(tshark -r "$capture" "${decode[@]}" \
  -Y "(_ws.malformed || _ws.expert.severity >= warning) && !(tcp.flags.reset == 1 && ip.dst == $nmap_host)" \
  2>"$work/analysis.err") || { echo "FAIL: tshark cannot read the capture"; cat "$work/analysis.err"; exit 1; }
if [ -n "$bad" ]; then
  echo "FAIL: malformed packets or expert warnings:"
  echo "$bad" | head -20
  tshark -r "$capture" "${decode[@]}" -q -z expert,warn 2>/dev/null | head -40
  exit 1
fi
echo "capture: $s7 S7 packets, none malformed, no expert warning"
exit $failed
