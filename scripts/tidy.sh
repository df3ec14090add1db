#!/usr/bin/env bash
# tidy.sh [BUILD_DIR]: the project's naming rules (.clang-tidy) over every source file of
# ours in the build's compilation database; any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${VEXAL_JOBS:-$(nproc)}
run-clang-tidy -quiet -j "$jobs" -p "$build" \
  "^$(pwd)/(libs|project|platform|discovery|gui|cmd|sim|backup)/.*\\.(c|cpp)\$" >"$build/tidy.log" 2>&1 ||
  { grep -E 'error:|warning:' "$build/tidy.log" | sort -u; exit 1; }
echo "naming: clean"
