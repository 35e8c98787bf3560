#!/usr/bin/env python3
"""Shows the launcher working where there is no display: a virtual one with a
Wine desktop, Win+R, a typed query, a screenshot, then a clean exit.

Usage: headless_run.py PROGRAM_DIR PROBE.exe CACHE_DIR OUT_DIR QUERY
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from wine_desktop import WineDesktop  # noqa: E402


def state(desk, probe):
    out = desk.run([probe, "state"]).stdout.decode("utf-8", "replace")
    return dict(line.partition("=")[::2] for line in out.splitlines() if "=" in line)


def wait(desk, probe, predicate, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        current = state(desk, probe)
        if predicate(current):
            return current
        time.sleep(0.1)
    raise SystemExit("the launcher did not reach the expected state: %s" % state(desk, probe))


def main():
    program_dir, probe, cache, out_dir, query = sys.argv[1:6]
    desk = WineDesktop(cache).start()
    try:
        print("virtual display %s, Wine prefix %s" % (desk.display, desk.prefix))
        launcher = desk.spawn([os.path.join(program_dir, "Tolvanir.exe")], cwd=program_dir)
        wait(desk, probe, lambda s: s.get("found") == "1")
        print("Tolvanir.exe is running, hidden; pressing Win+R")
        desk.xdotool("mousemove", 600, 500)
        desk.xdotool("key", "super+r")
        wait(desk, probe, lambda s: s.get("visible") == "1" and s.get("focus_input") == "1")
        print("typing %r" % query)
        desk.xdotool("type", "--delay", "60", query)
        shown = wait(desk, probe, lambda s: s.get("input") == query)
        time.sleep(0.3)
        os.makedirs(out_dir, exist_ok=True)
        shot = os.path.join(out_dir, "run.png")
        desk.screenshot(shot)
        rows = [shown["row%d" % i] for i in range(int(shown.get("rows", "0"))) if "row%d" % i in shown]
        print("rows for %r: %s" % (query, rows if rows else "(none: the index is empty)"))
        print("screenshot: %s" % shot)
        desk.run([probe, "close"])
        code = launcher.wait(timeout=60)
        print("exited with code %d; data files in %s" % (code, os.path.join(program_dir, "Data")))
    finally:
        desk.close()


if __name__ == "__main__":
    main()
