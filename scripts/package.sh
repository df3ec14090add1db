#!/usr/bin/env bash
# package.sh [amd64|arm64]: builds the Debian packages vexal and libcpulink-dev for the
# architecture into build-package-ARCH/ (arm64 with the cross toolchain) and checks them
# with lintian. Prints the package files' paths last.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:-amd64}
jobs=${VEXAL_JOBS:-$(nproc)}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
case "$arch" in
  amd64) toolchain=() ;;
  arm64) scripts/install-arm64-deps.sh
         toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake) ;;
  *) echo "usage: $0 [amd64|arm64]" >&2; exit 2 ;;
esac
dir=build-package-$arch
mkdir -p "$dir"
cmake -S . -B "$dir" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr -DVEXAL_TESTS=OFF -DVEXAL_BENCH=OFF -DVEXAL_MAN_PAGES=ON \
  -DVEXAL_DEB_ARCHITECTURE="$arch" -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" \
  -DCMAKE_SHARED_LINKER_FLAGS="-Wl,-z,relro,-z,now" > "$dir/configure.log" ||
  { cat "$dir/configure.log"; exit 1; }
cmake --build "$dir" -j "$jobs"
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB > cpack.log) || { cat "$dir/cpack.log"; exit 1; }
lintian --fail-on error "$dir"/*.deb
ls "$PWD/$dir"/*.deb
