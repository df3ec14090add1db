#!/usr/bin/env bash
# test-share.sh [REV]: non-blank, non-comment lines of C and C++ per top folder, and the
# tests' share (tests/ and fuzz/) of them all, in the work tree or at a git revision.
set -euo pipefail
cd "$(dirname "$0")/.."
rev=${1:-}
list() {
  if [ -n "$rev" ]; then git ls-tree -r --name-only "$rev"; else git ls-files -co --exclude-standard; fi |
    grep -E '\.(c|cc|cpp|h|hpp)$'
}
show() { if [ -n "$rev" ]; then git show "$rev:$1"; else cat "$1"; fi; }
declare -A count
while read -r file; do
  top=${file%%/*}
  [ "$top" = "$file" ] && top=.
  lines=$(show "$file" | grep -cvE '^\s*$|^\s*//' || true)
  count[$top]=$(( ${count[$top]:-0} + lines ))
done < <(list)
total=0; tests=0
for top in $(printf '%s\n' "${!count[@]}" | sort); do
  printf '%-10s %6d\n' "$top" "${count[$top]}"
  total=$(( total + count[$top] ))
  case $top in tests|fuzz) tests=$(( tests + count[$top] )) ;; esac
done
printf '%-10s %6d\ntests      %6d  (%d.%d%%)\n' all "$total" "$tests" \
  $(( tests * 100 / total )) $(( tests * 1000 / total % 10 ))
