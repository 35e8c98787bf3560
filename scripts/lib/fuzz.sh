# shellcheck shell=bash
# The libFuzzer targets (fuzz/): built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, each run for a while from a copy
# of its committed seeds, so the seeds stay small. Source it, then
#   ensure_packages "${fuzz_packages[@]}"; run_fuzzers SECONDS
# A crash leaves its input under build/fuzz/artifacts/TARGET/; fuzz/corpus/TARGET/
# is the place to keep it as a reproducer once understood.

# shellcheck disable=SC2034  # installed by the scripts that source this
fuzz_packages=(clang libclang-rt-14-dev)
fuzz_targets=(index_file_fuzz index_model_fuzz settings_fuzz language_fuzz match_fuzz pe_resources_fuzz ini_reader_fuzz)

# run_fuzzers SECONDS: one line per target; non-zero when any target failed.
run_fuzzers() {
  local seconds=$1
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
  # shellcheck source=scripts/lib/build.sh
  source "$root/scripts/lib/build.sh"
  configure_and_build build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTOLVANIR_BUILD_FUZZ=ON -DTOLVANIR_BUILD_BENCH=OFF \
    "-DTOLVANIR_SANITIZE=address;undefined" -- fuzzers || return 1

  local failures=0 target work log artifacts status runs rate
  for target in "${fuzz_targets[@]}"; do
    work=$(mktemp -d)
    cp -R "$root/fuzz/corpus/$target/." "$work/"
    artifacts="$root/build/fuzz/artifacts/$target"
    mkdir -p "$artifacts"
    log="$root/build/fuzz/$target.log"
    status=0
    # Run in the artifacts folder, so nothing libFuzzer writes lands in the tree.
    (cd "$artifacts" && "$root/build/fuzz/fuzz/$target" -max_total_time="$seconds" \
      -rss_limit_mb=2048 -timeout=10 -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$work") >"$log" 2>&1 || status=$?
    runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    rate=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    if [[ $status -eq 0 ]]; then
      printf '%-16s ok: %s runs in %s s (%s/s), corpus %s -> %s inputs\n' "$target" \
        "${runs:-?}" "$seconds" "${rate:-?}" "$(find "$root/fuzz/corpus/$target" -type f | wc -l)" \
        "$(find "$work" -type f | wc -l)"
    else
      failures=$((failures + 1))
      local why input
      why=$(grep -m 1 -E '^(broken:|==[0-9]+==ERROR|SUMMARY)|runtime error' "$log" || echo "see $log")
      input=$(sed -nE 's/.*Test unit written to ([^ ]+).*/\1/p' "$log" | head -n 1)
      printf '%-16s FAILED (status %s) after %s runs: %s; input: %s\n' "$target" "$status" \
        "${runs:-?}" "$why" "${input:-see $log}"
    fi
    rm -rf "$work"
  done
  [[ $failures -eq 0 ]]
}
