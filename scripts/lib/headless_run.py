#!/usr/bin/env python3
"""Shows the launcher doing its job where there is no display: a virtual one
with a Wine desktop whose Start Menu holds Wine's own programs under their
Chinese names; Win+R, a typed query, Enter on the first row (for a query of
programs), a screenshot of what was started, then a clean exit.

Usage: headless_run.py PROGRAM_DIR PROBE.exe CACHE_DIR OUT_DIR QUERY NAMES.dll MAKE_LNK.exe
"""
import json
import os
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "e2e"))
sys.path.insert(0, here)
import demo_start_menu  # noqa: E402
from wine_desktop import WineDesktop  # noqa: E402


def state(desk, probe):
    out = desk.run([probe, "state"]).stdout.decode("utf-8", "replace")
    return dict(line.partition("=")[::2] for line in out.splitlines() if "=" in line)


def windows(desk, probe):
    out = desk.run([probe, "windows"]).stdout.decode("utf-8", "replace")
    return [line.partition("=")[2] for line in out.splitlines() if line.startswith("window=")]


def wait(desk, probe, predicate, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        current = state(desk, probe)
        if predicate(current):
            return current
        time.sleep(0.1)
    raise SystemExit("the launcher did not reach the expected state: %s" % state(desk, probe))


def rows_of(shown):
    return [shown["row%d" % i] for i in range(int(shown.get("rows", "0"))) if "row%d" % i in shown]


def use_counts(program_dir):
    try:
        with open(os.path.join(program_dir, "Data", "Index.json"), encoding="utf-8") as f:
            return {e[2]: (e[0], int(e[4])) for e in json.load(f)["list"]}
    except (OSError, ValueError, KeyError, IndexError):
        return {}


def main():
    program_dir, probe, cache, out_dir, query, names_dll, make_lnk = sys.argv[1:8]
    desk = WineDesktop(cache).start()
    try:
        print("virtual display %s, Wine prefix %s" % (desk.display, desk.prefix))
        demo_start_menu.install(desk.prefix, names_dll, make_lnk,
                                lambda args: desk.run(args).returncode)
        print("Start Menu: %s" % ", ".join(name[:-4] for _, name, _, _ in demo_start_menu.SHORTCUTS))
        counts_before = use_counts(program_dir)
        launcher = desk.spawn([os.path.join(program_dir, "Tolvanir.exe")], cwd=program_dir)
        wait(desk, probe, lambda s: s.get("found") == "1")
        print("Tolvanir.exe is running, hidden; pressing Win+R")
        desk.xdotool("mousemove", 600, 500)
        desk.xdotool("key", "super+r")
        wait(desk, probe, lambda s: s.get("visible") == "1" and s.get("focus_input") == "1")
        print("typing %r" % query)
        desk.xdotool("type", "--delay", "60", query)
        wait(desk, probe, lambda s: s.get("input") == query)
        # The scan of the Start Menu may still be under way: its rows come
        # with the next refresh.
        try:
            shown = wait(desk, probe, lambda s: s.get("input") == query and s.get("rows", "0") != "0",
                         timeout=10)
        except SystemExit:
            shown = state(desk, probe)
        rows = rows_of(shown)
        print("rows for %r: %s" % (query, rows if rows else "(none)"))
        os.makedirs(out_dir, exist_ok=True)
        shot = os.path.join(out_dir, "run.png")
        pressed = bool(rows) and not query.startswith("!")
        if pressed:
            listed = os.path.join(out_dir, "run-rows.png")
            desk.screenshot(listed)
            print("screenshot of the rows: %s" % listed)
            before = windows(desk, probe)
            print("pressing Enter on %s" % rows[0])
            desk.xdotool("key", "Return")
            wait(desk, probe, lambda s: s.get("visible") == "0")
            deadline = time.time() + 20
            opened = []
            while time.time() < deadline and not opened:
                opened = [w for w in windows(desk, probe) if w not in before]
                time.sleep(0.2)
            print("window opened: %s" % (", ".join(repr(w) for w in opened) if opened else "(none)"))
            time.sleep(0.5)  # lets it finish painting
        else:
            time.sleep(0.3)
        desk.screenshot(shot)
        print("screenshot: %s" % shot)
        desk.run([probe, "close"])
        code = launcher.wait(timeout=60)
        print("Tolvanir.exe exited with code %d; data files in %s"
              % (code, os.path.join(program_dir, "Data")))
        started = [(path, name, uses) for path, (name, uses) in use_counts(program_dir).items()
                   if uses > counts_before.get(path, (name, 0))[1]]
        for path, name, uses in started:
            print("started %s (%s); Index.json counts %d use%s"
                  % (name, path, uses, "" if uses == 1 else "s"))
        if pressed and not started:
            raise SystemExit("Enter started nothing that was counted")
    finally:
        desk.close()


if __name__ == "__main__":
    main()
