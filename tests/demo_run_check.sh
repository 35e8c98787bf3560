#!/usr/bin/env bash
# Checks what scripts/run shows a new user: in a fresh program directory and
# prefix, with the demo Start Menu, "jsb" lists 记事本 alone, Enter starts
# Notepad, and the use is counted.
# Usage: demo_run_check.sh SOURCE_DIR Tolvanir.exe probe.exe demo_names.dll make_lnk.exe CACHE_DIR
set -euo pipefail

src=$1 exe=$2 probe=$3 names=$4 make_lnk=$5 cache=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Tolvanir"
cp "$exe" "$work/Tolvanir/"

python3 "$src/scripts/lib/headless_run.py" "$work/Tolvanir" "$probe" "$cache" "$work/out" jsb \
  "$names" "$make_lnk" | tee "$work/run.log"

status=0
for wanted in "rows for 'jsb': ['记事本']" "window opened: 'Untitled - Notepad'" \
  'started 记事本 (C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Accessories\Notepad.lnk); Index.json counts 1 use'; do
  if ! grep -qF -- "$wanted" "$work/run.log"; then
    echo "FAIL: the run did not say: $wanted" >&2
    status=1
  fi
done
[[ -s $work/out/run.png ]] || { echo "FAIL: no screenshot" >&2; status=1; }
[[ $status -eq 0 ]] && echo "OK: jsb lists 记事本 and starts Notepad"
exit $status
