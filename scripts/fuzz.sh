#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the libFuzzer targets with clang and runs each for SECONDS
# (default 60) on a copy of its committed corpus. New crashes land in fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/build.sh fuzz
mkdir -p fuzz/artifacts
for target in build-fuzz/bin/fuzz_*; do
  name=${target##*/fuzz_}
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$work/" 2>/dev/null || true
  echo "== $name"
  "$target" -max_total_time="$seconds" -artifact_prefix=fuzz/artifacts/ "$work"
  rm -rf "$work"
done
