#!/usr/bin/env bash
# The whole test run: installs what is missing, builds the normal and the sanitizer
# flavour and runs every test in both, and the naming rules over the normal build;
# between them the suites with threads of their own (discovery, platform, S7 link,
# simulator) run under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=${VEXAL_JOBS:-$(nproc)}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
scripts/build.sh normal
ctest --test-dir build -j "$jobs" --output-on-failure --timeout 300
scripts/tidy.sh build
scripts/build.sh tsan
for suite in discovery_test platform_test cpulink_link_test sim_test; do
  TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1} \
    VEXAL_SOURCE_DIR=$(pwd) "build-tsan/bin/$suite" --gtest_brief=1
done
scripts/build.sh sanitize
ctest --test-dir build-sanitize -j "$jobs" --output-on-failure --timeout 600
scripts/check-install.sh
