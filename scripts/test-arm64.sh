#!/usr/bin/env bash
# test-arm64.sh: cross-builds for arm64 into build-arm64/ and runs the test suites that
# need no display (libraries, command program, simulator, project files, discovery
# without raw sockets, fuzz corpus replays) under qemu-user. ctest starts every arm64
# test program through the emulator named in the toolchain file; programs that a test
# starts as a child (the simulator, VexalCmdCE, vexal-discover) get a small wrapper that
# hands them to the emulator, since this machine runs no foreign binaries by itself.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-arm64-deps.sh
jobs=${VEXAL_JOBS:-$(nproc)}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
dir=build-arm64
start=$SECONDS
mkdir -p "$dir"
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXAL_TESTS=ON -DVEXAL_BENCH=OFF > "$dir/configure.log" ||
  { cat "$dir/configure.log"; exit 1; }

suites=(busport_test contracts_test cpulink_local_test cpulink_link_test cpulink_mpi_test
  project_test sim_test cmd_test cmd_simulator_test cmd_scripted_test discovery_test)
programs=(VexalCmdCE vexal-plcsim vexal-discover vexal-wld)
mapfile -t replays < <(cmake --build "$dir" --target help | sed -n 's/^\.\.\. \(replay_[a-z_]*\).*/\1/p')
cmake --build "$dir" -j "$jobs" --target "${programs[@]}" "${suites[@]}" "${replays[@]}"
echo "arm64 build took $((SECONDS - start)) s"

for program in "${programs[@]}"; do
  binary=$dir/bin/$program
  if file -b "$binary" | grep -q '^ELF'; then
    mv -f "$binary" "$binary.aarch64"
    printf '#!/bin/sh\nexec qemu-aarch64 "$0.aarch64" "$@"\n' > "$binary"
    chmod +x "$binary"
  fi
done

start=$SECONDS
# The GUI suites need a display and were not built; the veth segment needs raw sockets.
ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 \
  -E '_NOT_BUILT$|^DiscoveryOverVeth\.'
echo "arm64 tests under emulation took $((SECONDS - start)) s"
