#!/usr/bin/env bash
# build.sh [normal|sanitize|fuzz]: configures and builds one flavour into its own folder
# (build/, build-sanitize/, build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-normal}
jobs=${VEXAL_JOBS:-$(nproc)}
# ccache (when installed) shares objects between work trees side by side.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
case "$flavour" in
  normal)   cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXAL_BENCH=ON ;;
  sanitize) cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVEXAL_SANITIZE=ON ;;
  fuzz)     CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
              -DVEXAL_FUZZ=ON -DVEXAL_TESTS=OFF ;;
  *) echo "usage: $0 [normal|sanitize|fuzz]" >&2; exit 2 ;;
esac
dir=build
[ "$flavour" = normal ] || dir=build-$flavour
cmake --build "$dir" -j "$jobs"
