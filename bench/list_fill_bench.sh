#!/usr/bin/env bash
# Runs build/windows/list_fill_bench.exe under Wine on a virtual display with
# a Wine desktop, where the list box really paints, for 10,000 and 100,000
# items (or the counts given): first with Wine's own visual style, as a new
# prefix has it, then with the classic look. Wine draws a styled scroll bar
# in software, at milliseconds a time, which every fill of a list longer
# than a screen pays once; the classic one costs what Windows's does.
#
# Usage: bench/list_fill_bench.sh [ITEMS...]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# shellcheck source=scripts/lib/packages.sh
source scripts/lib/packages.sh
# shellcheck source=scripts/lib/build.sh
source scripts/lib/build.sh

ensure_packages cmake make python3 "${windows_packages[@]}"
scripts/build-mingw-deps
configure_and_build build/windows -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -- list_fill_bench

counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(10000 100000)
exec python3 - "$root" "${counts[@]}" <<'PY'
import os, sys
root = sys.argv[1]
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from wine_desktop import WineDesktop
desk = WineDesktop(os.path.join(root, ".deps")).start()
theme = r"HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager"
try:
    for look in ("Wine's visual style", "classic look"):
        if look == "classic look":
            desk.run(["reg", "add", theme, "/v", "ThemeActive", "/t", "REG_SZ", "/d", "0", "/f"])
            desk.run(["reg", "delete", theme, "/v", "DllName", "/f"])
        for count in sys.argv[2:]:
            done = desk.run([os.path.join(root, "build", "windows", "list_fill_bench.exe"), count],
                            timeout=1800)
            sys.stdout.write("== " + look + ": " + done.stdout.decode("utf-8", "replace") + "\n")
finally:
    desk.close()
PY
