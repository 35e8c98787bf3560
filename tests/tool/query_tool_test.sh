#!/usr/bin/env bash
# Drives tolvanir-query as a user would: a program folder with real files, an
# Index.json naming them (and one that is gone), then the rows and errors.
#
# Usage: query_tool_test.sh TOOL [RUNNER]
# RUNNER runs a Windows TOOL (scripts/wine-run); paths are then handed over as
# Windows paths on Wine's drive Z:, which maps the Unix root.
set -uo pipefail

tool=$1
runner=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Wine decodes arguments from the Unix locale's character set; the native
# tool must not depend on the locale at all.
[[ -n $runner ]] && export LC_ALL=C.UTF-8

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The path as the tool sees it.
native_path() {
  if [[ -n $runner ]]; then
    printf 'Z:%s' "${1//\//\\}"
  else
    printf '%s' "$1"
  fi
}

# A path as a JSON string's content.
json_path() {
  local p
  p=$(native_path "$1")
  p=${p//\\/\\\\}
  printf '%s' "${p//\"/\\\"}"
}

# run ARGS...: sets out, err (line ends without CR) and status.
run() {
  local -a cmd=("$tool" "$@")
  [[ -n $runner ]] && cmd=("$runner" "${cmd[@]}")
  status=0
  "${cmd[@]}" >"$work/out" 2>"$work/err" || status=$?
  out=$(cat "$work/out"; echo x)
  out=${out%x}
  err=$(tr -d '\r' <"$work/err")
}

expect_rows() {
  local query=$1 expected=$2
  run "$index" "$query"
  [[ $status -eq 0 ]] || fail "query '$query': status $status, stderr: $err"
  [[ $out == "$expected" ]] || fail "query '$query': got
$out
expected
$expected"
}

# One line on standard error, nothing on standard output, status 2.
expect_usage_error() {
  local what=$1
  shift
  run "$@"
  [[ $status -eq 2 ]] || fail "$what: status $status, expected 2"
  [[ -z $out ]] || fail "$what: printed rows: $out"
  [[ -n $err && $(wc -l <<<"$err") -eq 1 ]] || fail "$what: stderr not one line: '$err'"
}

programs="$work/Programs"
mkdir -p "$programs"
notepad="$programs/记事本.lnk"
code="$programs/Visual Studio Code.lnk"
calc="$programs/Calculator.lnk"
gone="$programs/Gone.lnk"
for file in "$notepad" "$code" "$calc"; do echo shortcut >"$file"; done

index="$work/Index.json"
cat >"$work/Index.json" <<JSON
{
    "list": [
        ["Calculator", "Calculatorcalc", "$(json_path "$calc")", "", "0"],
        ["Gone", "Gonevisgone", "$(json_path "$gone")", "", "50"],
        ["Visual Studio Code", "VisualStudioCodevscode", "$(json_path "$code")", "", "10"],
        ["\u8BB0\u4E8B\u672C", "记事本Notepadjishiben", "$(json_path "$notepad")", "", "3"]
    ]
}
JSON
index=$(native_path "$index")

# A score is the match (1 - skipped/examined) plus uses / (100 + all uses of
# the loaded items): here 100 + 0 + 10 + 3 = 113, the missing item not loaded.
row_notepad() { printf '%s\t记事本\t%s\n' "$1" "$(native_path "$notepad")"; }
row_code() { printf '%s\tVisual Studio Code\t%s\n' "$1" "$(native_path "$code")"; }
row_calc() { printf '%s\tCalculator\t%s\n' "$1" "$(native_path "$calc")"; }

# "jsb" in "记事本notepadjishiben": 13 of the first 16 skipped; 3/113.
expect_rows jsb "$(row_notepad 0.214049)"$'\n'
# Only the missing item would match "gone".
expect_rows gone ""
# "vis" opens the name; the missing item, used most, must not show.
expect_rows vis "$(row_code 1.088496)"$'\n'
# "c" opens Calculator's text but is the 13th character of the editor's.
expect_rows C "$(row_calc 1.000000)"$'\n'"$(row_code 0.165419)"$'\n'
# Chinese as typed, through the command line.
expect_rows 记事 "$(row_notepad 1.026549)"$'\n'
# Nothing typed: every item matches fully, so use counts decide.
expect_rows "" "$(row_code 1.088496)"$'\n'"$(row_notepad 1.026549)"$'\n'"$(row_calc 1.000000)"$'\n'
run "$index"
[[ $status -eq 0 && $(wc -l <<<"$out") -eq 4 && $out == "$(row_code 1.088496)"* ]] ||
  fail "no query at all: status $status, rows: $out"
[[ $out == *Gone* ]] && fail "the missing file's item was listed"

run --pinyin 记事本
[[ $status -eq 0 && $out == $'jishiben\n' ]] || fail "--pinyin: status $status, output '$out'"

run --repeat 5 "$index" vis
[[ $status -eq 0 && $out == "$(row_code 1.088496)"$'\n' ]] || fail "--repeat: status $status, rows $out"
[[ $err =~ ^median\ query\ time:\ [0-9]+\.[0-9]\ us\ over\ 5\ runs,\ 1\ rows$ ]] ||
  fail "--repeat: stderr '$err'"

expect_usage_error "no arguments"
expect_usage_error "too many arguments" "$index" vis extra
expect_usage_error "an unknown option" --verbose "$index"
expect_usage_error "--repeat 0" --repeat 0 "$index" vis
expect_usage_error "--repeat without a number" --repeat x "$index" vis
expect_usage_error "--repeat without a query" --repeat 5 "$index"
expect_usage_error "--pinyin with two texts" --pinyin a b
expect_usage_error "a missing index" "$(native_path "$work/none.json")" vis

broken="$work/Broken.json"
printf '{"list": [["a", "b", ' >"$broken"
expect_usage_error "an index that does not parse" "$(native_path "$broken")" vis
[[ -f $broken && ! -e $broken.bad ]] || fail "the tool moved a broken index aside"
printf '{"list": ["\xff"]}' >"$broken"
expect_usage_error "an index that is not UTF-8" "$(native_path "$broken")" vis
[[ -f $broken && ! -e $broken.bad ]] || fail "the tool moved an index that is not UTF-8 aside"

if [[ $failures -gt 0 ]]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "query tool: all checks passed"
