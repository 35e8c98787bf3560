#!/usr/bin/env bash
# Sets tolvanir-query beside fzf's non-interactive filter on the same sample
# of 100,000 programs: whole processes (load, search, print) timed by
# hyperfine and their peak resident memory, and our time for one query once
# the index is loaded, which is what a keystroke costs in the launcher.
#
# Usage: bench/compare_fzf.sh [QUERY...]      (default: vis jsb visualstudio zzzz i)
# Results: out/compare_fzf/ (hyperfine's Markdown and JSON per query).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# shellcheck source=scripts/lib/packages.sh
source scripts/lib/packages.sh
# shellcheck source=scripts/lib/build.sh
source scripts/lib/build.sh

ensure_packages "${native_packages[@]}" fzf hyperfine time
configure_and_build build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -- tolvanir-query make_sample_index

queries=("$@")
[[ ${#queries[@]} -gt 0 ]] || queries=(vis jsb visualstudio zzzz i)
count=100000
out="$root/out/compare_fzf"
mkdir -p "$out"
query_tool="$root/build/native/tolvanir-query"
target="$out/target.lnk"
index="$out/Index.json"
texts="$out/search_texts.txt"
: >"$target"
"$root/build/native/bench/make_sample_index" "$count" "$target" "$index" "$texts"

# mean_ms FILE: the first command's mean in milliseconds from hyperfine's JSON.
mean_ms() {
  python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print("%.1f %.1f" % (r[0]["mean"]*1e3, r[1]["mean"]*1e3))' "$1"
}

rows=()
for query in "${queries[@]}"; do
  echo "==> $query"
  # fzf ends with status 1 when nothing matches.
  hyperfine --warmup 2 --runs 10 --style basic --ignore-failure \
    --export-markdown "$out/$query.md" --export-json "$out/$query.json" \
    -n "tolvanir-query $query" "'$query_tool' '$index' '$query' >/dev/null" \
    -n "fzf --filter $query" "fzf --filter '$query' <'$texts' >/dev/null"
  read -r ours_ms fzf_ms < <(mean_ms "$out/$query.json")
  median=$("$query_tool" --repeat 50 "$index" "$query" 2>&1 >/dev/null |
    sed -nE 's/^median query time: ([0-9.]+) us.*/\1/p')
  ours_rows=$("$query_tool" "$index" "$query" | wc -l)
  fzf_rows=$( (fzf --filter "$query" <"$texts" || true) | wc -l)
  ours_kb=$( { /usr/bin/time -f %M "$query_tool" "$index" "$query" >/dev/null; } 2>&1 | tail -n 1)
  fzf_kb=$( { /usr/bin/time -f %M fzf --filter "$query" <"$texts" >/dev/null || true; } 2>&1 | tail -n 1)
  ratio=$(python3 -c "print('%.1f' % ($ours_ms / $fzf_ms))")
  rows+=("$(printf '| %-14s | %12s us | %10s ms | %10s ms | %5sx | %6s MB | %6s MB | %7s | %7s |' \
    "$query" "$median" "$fzf_ms" "$ours_ms" "$ratio" "$((ours_kb / 1024))" "$((fzf_kb / 1024))" \
    "$ours_rows" "$fzf_rows")")
done

echo
echo "$count items on $(nproc) cores; per keystroke: median of 50 queries after one load;"
echo "whole: hyperfine mean of 10; memory: peak resident set of one run"
printf '| %-14s | %15s | %13s | %13s | %6s | %9s | %9s | %7s | %7s |\n' query "ours/keystroke" \
  "fzf whole" "ours whole" "ratio" "ours peak" "fzf peak" "ours #" "fzf #"
echo "|----------------|-----------------|---------------|---------------|--------|-----------|-----------|---------|---------|"
printf '%s\n' "${rows[@]}"
