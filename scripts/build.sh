#!/usr/bin/env bash
# build.sh [normal|sanitize|tsan|fuzz]: configures and builds one flavour into its own
# folder (build/, build-sanitize/, build-tsan/, build-fuzz/). The tsan flavour builds only
# the suites with threads of their own: discovery, platform, the S7 link and the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-normal}
jobs=${VEXAL_JOBS:-$(nproc)}
# ccache (when installed) shares objects between work trees side by side.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
# The sanitizer flavour builds with Ninja, the others with Makefiles, so that every test
# run proves both generators; a folder made by the other generator is made anew.
generator="Unix Makefiles"
[ "$flavour" = sanitize ] && generator=Ninja
dir=build
[ "$flavour" = normal ] || dir=build-$flavour
if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "^CMAKE_GENERATOR:INTERNAL=$generator\$" "$dir/CMakeCache.txt"; then
  rm -rf "$dir"
fi
case "$flavour" in
  normal)   cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXAL_BENCH=ON ;;
  sanitize) cmake -G Ninja -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVEXAL_SANITIZE=ON ;;
  tsan)     cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXAL_TSAN=ON \
              -DVEXAL_BENCH=OFF ;;
  fuzz)     CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
              -DVEXAL_FUZZ=ON -DVEXAL_TESTS=OFF ;;
  *) echo "usage: $0 [normal|sanitize|tsan|fuzz]" >&2; exit 2 ;;
esac
targets=()
[ "$flavour" = tsan ] && targets=(--target discovery_test platform_test cpulink_link_test sim_test)
cmake --build "$dir" -j "$jobs" "${targets[@]}"
