#!/usr/bin/env bash
# update-translations.sh [TS-FILE]: brings the translation file up to date with the texts of
# the GUI's source (new texts come in unfinished, texts no longer used go), without line
# numbers so that it changes only when a text does. Translate the new texts with Qt
# Linguist (linguist gui/translations/vexal_de.ts) or by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-$(command -v lupdate6 || command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
"$lupdate" -silent -locations none -no-obsolete -source-language en -target-language de \
  gui -ts "${1:-gui/translations/vexal_de.ts}"
