#!/usr/bin/env bash
# run-under-xvfb.sh WIDTHxHEIGHT COMMAND...: runs COMMAND on a virtual X server with one
# screen of that size and Qt's on-screen keyboard as its input method. Exits with 77
# (skipped) where xvfb-run is not installed.
set -euo pipefail
size=$1
shift
if ! command -v xvfb-run >/dev/null; then
  echo "skipped: xvfb-run is not installed (scripts/install-deps.sh installs xvfb and xauth)"
  exit 77
fi
export QT_QPA_PLATFORM=xcb QT_IM_MODULE=qtvirtualkeyboard
# Runs side by side start their search for a free display at different numbers.
exec xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 ${size}x24" "$@"
