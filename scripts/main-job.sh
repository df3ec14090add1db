#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs a project file round trip:
# a demo project is generated, loaded into a block store and written back, and the two
# files are compared.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh normal
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/bin/vexal-wld generate "$work/demo.wld"
build/bin/vexal-wld list "$work/demo.wld"
build/bin/vexal-wld copy "$work/demo.wld" "$work/copy.wld"
cmp "$work/demo.wld" "$work/copy.wld"
echo "project file round trip: identical"
