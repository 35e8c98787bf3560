#!/usr/bin/env bash
# Checks that index/word_readings_table.cpp is what scripts/gen_word_readings.py
# produces from the pinned pinyin-pro package and our character table, so hand
# edits, a changed generator or a changed table cannot drift from it.
# Usage: word_readings_regen_check.sh SOURCE_DIR
# Exit: 0 match, 1 mismatch, 77 skipped (no npm, node or python3, or the
# package cannot be fetched), 2 usage.
set -u

src=${1:-}
if [[ -z $src || ! -d $src ]]; then
    echo "usage: $0 SOURCE_DIR" >&2
    exit 2
fi

for tool in npm node python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool not found"
        exit 77
    fi
done
if ! package=$("$src/scripts/fetch-pinyin-pro"); then
    echo "skipped: the pinyin-pro package cannot be fetched"
    exit 77
fi

tmp=$(mktemp) || exit 1
trap 'rm -f "$tmp"' EXIT

if ! python3 "$src/scripts/gen_word_readings.py" "$package" "$tmp"; then
    echo "FAIL: generator failed" >&2
    exit 1
fi

committed=$src/index/word_readings_table.cpp
if cmp -s "$tmp" "$committed"; then
    echo "OK: $committed matches the generator output"
    exit 0
fi

echo "FAIL: $committed differs from the generator output" >&2
echo "regenerate with: scripts/gen_word_readings.py \"\$(scripts/fetch-pinyin-pro)\" index/word_readings_table.cpp" >&2
diff -u --label committed --label regenerated "$committed" "$tmp" | head -n 40 >&2
changed=$(diff "$committed" "$tmp" | grep -c '^[<>]')
echo "($changed lines differ)" >&2
exit 1
