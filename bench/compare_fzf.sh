#!/usr/bin/env bash
# Sets tolvanir-query beside fzf's non-interactive filter on a real menu:
# 100,000 distinct existing shortcuts and executables in 2,000 folders
# (bench/make_sample_index), with Index.json as the program writes it and the
# same items in the order a scan found them. For each query, one hyperfine
# run times the whole processes (load, search, print) of both files and fzf
# over the same search texts; then the peak resident memory of each, the
# status calls the load makes (strace -c), and our time for one query once
# the index is loaded, which is what a keystroke costs in the launcher.
#
# Usage: bench/compare_fzf.sh [QUERY...]      (default: zzzz vis jsb e)
# Results: out/compare_fzf/ (hyperfine's Markdown and JSON per query).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# shellcheck source=scripts/lib/packages.sh
source scripts/lib/packages.sh
# shellcheck source=scripts/lib/build.sh
source scripts/lib/build.sh

ensure_packages "${native_packages[@]}" fzf hyperfine time strace
configure_and_build build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -- tolvanir-query make_sample_index

queries=("$@")
[[ ${#queries[@]} -gt 0 ]] || queries=(zzzz vis jsb e)
count=100000
out="$root/out/compare_fzf"
mkdir -p "$out"
query_tool="$root/build/native/tolvanir-query"
written="$out/Index.json"
scanned="$out/Index-scan-order.json"
texts="$out/search_texts.txt"
# The tree is made once and kept: 100,000 files take a while to create.
"$root/build/native/bench/make_sample_index" "$count" "$out/menu" "$out"

# means_ms FILE: the three commands' means in milliseconds from hyperfine's JSON.
means_ms() {
  python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print(" ".join("%.1f" % (x["mean"]*1e3) for x in r))' "$1"
}
peak_mb() { { /usr/bin/time -f %M "$@" >/dev/null || true; } 2>&1 | tail -n 1 | awk '{printf "%.1f", $1 / 1024}'; }
median_us() {
  "$query_tool" --repeat 50 "$1" "$2" 2>&1 >/dev/null | sed -nE 's/^median query time: ([0-9.]+) us.*/\1/p'
}
ratio() { python3 -c "print('%.1f' % ($1 / $2))"; }

rows=()
for query in "${queries[@]}"; do
  echo "==> $query"
  # fzf ends with status 1 when nothing matches.
  hyperfine --warmup 2 --runs 10 --style basic --ignore-failure \
    --export-markdown "$out/$query.md" --export-json "$out/$query.json" \
    -n "tolvanir-query $query (as written)" "'$query_tool' '$written' '$query' >/dev/null" \
    -n "tolvanir-query $query (scan order)" "'$query_tool' '$scanned' '$query' >/dev/null" \
    -n "fzf --filter $query" "fzf --filter '$query' <'$texts' >/dev/null"
  read -r written_ms scanned_ms fzf_ms < <(means_ms "$out/$query.json")
  rows+=("$(printf '| %-6s | %8s ms | %8s ms | %5sx | %8s ms | %5sx | %7s us | %7s us | %6s | %6s | %6s | %6s | %6s |' \
    "$query" "$fzf_ms" "$written_ms" "$(ratio "$written_ms" "$fzf_ms")" \
    "$scanned_ms" "$(ratio "$scanned_ms" "$fzf_ms")" \
    "$(median_us "$written" "$query")" "$(median_us "$scanned" "$query")" \
    "$(peak_mb "$query_tool" "$written" "$query")" "$(peak_mb "$query_tool" "$scanned" "$query")" \
    "$(peak_mb fzf --filter "$query" <"$texts")" \
    "$("$query_tool" "$written" "$query" | wc -l)" "$( (fzf --filter "$query" <"$texts" || true) | wc -l)")")
done

# status_calls FILE: the status and listing calls of one whole run.
status_calls() {
  strace -f -c -o "$out/strace.txt" "$query_tool" "$1" zzzz >/dev/null
  awk '$NF ~ /^(statx|newfstatat|stat|lstat|fstat|getdents64)$/ { printf "%s %s, ", $NF, $4 }' \
    "$out/strace.txt" | sed 's/, $//'
}
folders=$(find "$out/menu" -type d | wc -l)

echo
echo "$count distinct files in $folders folders, on $(nproc) cores; whole: hyperfine mean of 10 in"
echo "one run per query; per keystroke: median of 50 queries after one load;"
echo "peak: resident set of one whole run, MB"
printf '| %-6s | %11s | %11s | %6s | %11s | %6s | %10s | %10s | %6s | %6s | %6s | %6s | %6s |\n' \
  query "fzf whole" "as written" ratio "scan order" ratio "key, wr." "key, scan" "peak w" \
  "peak s" "peak f" "rows" "fzf #"
echo "|--------|-------------|-------------|--------|-------------|--------|------------|------------|--------|--------|--------|--------|--------|"
printf '%s\n' "${rows[@]}"
echo
echo "status calls of one load, as written: $(status_calls "$written")"
echo "status calls of one load, scan order: $(status_calls "$scanned")"
