#!/usr/bin/env bash
# Checks that index/pinyin_table.cpp is what scripts/gen_pinyin_table.py
# produces from the installed Unihan data, so hand edits or a changed generator
# cannot drift from the committed table.
# Usage: pinyin_regen_check.sh SOURCE_DIR
# Exit: 0 match, 1 mismatch, 77 skipped (no data or no python3), 2 usage.
set -u

src=${1:-}
if [[ -z $src || ! -d $src ]]; then
    echo "usage: $0 SOURCE_DIR" >&2
    exit 2
fi

data=/usr/share/unicode/Unihan_Readings.txt.bz2
if [[ ! -r $data ]]; then
    echo "skipped: $data not found"
    exit 77
fi
if ! command -v python3 >/dev/null 2>&1; then
    echo "skipped: python3 not found"
    exit 77
fi

tmp=$(mktemp) || exit 1
trap 'rm -f "$tmp"' EXIT

if ! python3 "$src/scripts/gen_pinyin_table.py" "$data" "$tmp"; then
    echo "FAIL: generator failed" >&2
    exit 1
fi

committed=$src/index/pinyin_table.cpp
if cmp -s "$tmp" "$committed"; then
    echo "OK: $committed matches the generator output"
    exit 0
fi

echo "FAIL: $committed differs from the generator output" >&2
echo "regenerate with: scripts/gen_pinyin_table.py $data index/pinyin_table.cpp" >&2
diff -u --label committed --label regenerated "$committed" "$tmp" | head -n 40 >&2
changed=$(diff "$committed" "$tmp" | grep -c '^[<>]')
echo "($changed lines differ)" >&2
exit 1
