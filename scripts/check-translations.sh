#!/usr/bin/env bash
# check-translations.sh: fails when the translation file is out of date with the GUI's source
# (lupdate would change it: a text added, changed or gone) or when a text in it has no
# finished German translation. Run by the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
ts=gui/translations/vexal_de.ts
fresh=$(mktemp --suffix=.ts)
trap 'rm -f "$fresh"' EXIT
cp "$ts" "$fresh"
scripts/update-translations.sh "$fresh"
if ! diff -u "$ts" "$fresh"; then
  echo "$ts is out of date with the source: run scripts/update-translations.sh, then translate" >&2
  exit 1
fi
if grep -n -B3 'type="unfinished"\|<translation></translation>\|<translation/>' "$ts"; then
  echo "$ts: the texts above have no German translation" >&2
  exit 1
fi
