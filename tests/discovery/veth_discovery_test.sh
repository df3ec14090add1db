#!/usr/bin/env bash
# veth_discovery_test.sh usage|veth VEXAL_DISCOVER VEXAL_PLCSIM
#   usage: the exit codes of vexal-discover for bad usage and unusable adapters (no frames).
#   veth:  scans a segment built inside two network namespaces made for this run: the
#          scanner's end of a veth pair in one, a bridge with simulated controllers in the
#          other. Frames never leave these namespaces. Needs root and `ip netns`; otherwise
#          the test is skipped (exit 77) with the reason printed.
set -u
mode=$1
discover=$2
simulator=${3:-}

fail() { echo "FAILED: $*"; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }

expect_exit() {
  local expected=$1; shift
  timeout 20 "$@" > /dev/null 2>&1
  local got=$?
  [ "$got" = "$expected" ] || fail "'$*' exited with $got, expected $expected"
}

if [ "$mode" = usage ]; then
  expect_exit 2 "$discover"
  expect_exit 2 "$discover" a b
  expect_exit 2 "$discover" ""
  expect_exit 1 "$discover" vexal-absent0
  expect_exit 1 "$discover" lo
  if [ "$(id -u)" = 0 ] && command -v capsh > /dev/null; then
    capsh --drop=cap_net_raw -- -c 'exec "$0" lo' "$discover" 2>&1 > /dev/null |
      grep -q CAP_NET_RAW || fail "without CAP_NET_RAW nothing says the right is missing"
  fi
  echo "exit codes as documented"
  exit 0
fi

[ "$(id -u)" = 0 ] || skip "the veth segment needs root"
command -v ip > /dev/null || skip "ip (iproute2) is not installed"
tag=vxd$$
scan_ns=${tag}s
lan_ns=${tag}l
work=$(mktemp -d)
pids=()

cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
  wait 2> /dev/null
  ip netns del "$scan_ns" 2> /dev/null
  ip netns del "$lan_ns" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$scan_ns" 2> /dev/null || skip "ip netns add is not permitted here"
ip netns add "$lan_ns" || fail "cannot add a second namespace"
in_scan() { ip netns exec "$scan_ns" "$@"; }
in_lan() { ip netns exec "$lan_ns" "$@"; }
for ns in "$scan_ns" "$lan_ns"; do
  ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 2> /dev/null
  ip netns exec "$ns" sysctl -qw net.ipv6.conf.default.disable_ipv6=1 2> /dev/null
done

in_lan ip link add br0 type bridge 2> /dev/null || skip "no bridge support in this kernel"
in_lan ip link set br0 up
in_lan ip link add scan0-br type veth peer name scan0 netns "$scan_ns" ||
  fail "cannot create the scanner's veth pair"
in_lan ip link set scan0-br master br0 up
in_scan ip link set lo up
in_scan ip link set scan0 address 02:00:00:00:aa:01
in_scan ip addr add 10.77.0.1/24 dev scan0
in_scan ip link set scan0 up

add_station() {  # number ip mask
  in_lan ip link add "st$1" address "02:00:00:00:00:$1" type veth peer name "st$1-br" ||
    fail "cannot create station $1"
  in_lan ip link set "st$1-br" master br0 up
  in_lan ip link set "st$1" up
}

scan() {
  in_scan timeout 20 "$discover" scan0 > "$work/scan.out" 2> "$work/scan.err"
  local rc=$?
  [ "$rc" = 0 ] || { cat "$work/scan.err"; fail "vexal-discover exited with $rc"; }
  sort "$work/scan.out"
}

[ -z "$(scan)" ] || fail "an empty segment listed stations: $(cat "$work/scan.out")"

start_station() {  # number ip mask
  add_station "$1"
  in_lan timeout 60 "$simulator" --listen 0.0.0.0:0 --discovery "st$1" --ip "$2" --mask "$3" \
    > "$work/st$1.log" 2>&1 &
  pids+=($!)
}
start_station 11 10.77.0.11 255.255.255.0
start_station 12 10.77.0.12 255.255.255.0
start_station 13 10.78.0.13 255.255.255.0  # another network
start_station 14 10.77.0.14 255.255.0.0    # another mask

for number in 11 12 13 14; do
  for _ in $(seq 100); do
    grep -q "listening on" "$work/st$number.log" 2> /dev/null && break
    sleep 0.05
  done
  grep -q "listening on" "$work/st$number.log" || { cat "$work/st$number.log"; fail "station $number did not start"; }
done

expected="10.77.0.11 255.255.255.0 02:00:00:00:00:11
10.77.0.12 255.255.255.0 02:00:00:00:00:12"
found=$(scan)
[ "$found" = "$expected" ] || fail "found
$found
expected
$expected"
echo "found both stations of the subnet across the veth segment"
