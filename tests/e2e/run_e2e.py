#!/usr/bin/env python3
"""End-to-end tests of Tolvanir.exe under Wine, driven by real key presses.

Each scenario starts the program from a fresh program directory whose
Data/Index.json lists marker programs; the probe reads the window's state and
the markers record that they were started. Every wait polls for a state with
a deadline; nothing relies on a fixed sleep alone.

Usage: run_e2e.py --exe Tolvanir.exe --probe probe.exe --marker marker.exe
                  --cache DIR --out DIR
"""
import argparse
import json
import os
import shutil
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_desktop import WineDesktop, windows_path  # noqa: E402

ITEMS = [  # display name, search text (as scanning would build it), file, uses
    ("\u8bb0\u4e8b\u672c", "\u8bb0\u4e8b\u672cnotepadjishiben", "notepad.exe", 0),
    ("Calculator", "Calculatorcalcjisuanqi", "calc.exe", 2),
    ("Paint", "Paintmspainthuatu", "paint.exe", 1),
]


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Session:
    """One program directory and one running copy of the launcher."""

    def __init__(self, desk, args, name):
        self.desk, self.args = desk, args
        self.dir = tempfile.mkdtemp(prefix=name + "-", dir=desk.root)
        self.prog = os.path.join(self.dir, "prog")
        self.apps = os.path.join(self.dir, "apps")
        os.makedirs(os.path.join(self.prog, "Data"))
        os.makedirs(self.apps)
        shutil.copy(args.exe, os.path.join(self.prog, "Tolvanir.exe"))
        entries = []
        for name_, search, file_, uses in ITEMS:
            shutil.copy(args.marker, os.path.join(self.apps, file_))
            entries.append([name_, search, windows_path(os.path.join(self.apps, file_)), "", str(uses)])
        with open(os.path.join(self.prog, "Data", "Index.json"), "w") as f:
            json.dump({"list": entries}, f, indent=4)
        self.process = None

    def start(self):
        self.process = self.desk.spawn([os.path.join(self.prog, "Tolvanir.exe")], cwd=self.dir)
        self.wait(lambda s: s.get("found") == "1", "the launcher window to exist", timeout=60)
        return self

    def state(self):
        out = self.desk.run([self.args.probe, "state"]).stdout.decode("utf-8", "replace")
        state = {}
        for line in out.splitlines():
            key, _, value = line.partition("=")
            state[key.strip()] = value.strip()
        return state

    def wait(self, predicate, what, timeout=10.0):
        deadline = time.time() + timeout
        state = {}
        while time.time() < deadline:
            state = self.state()
            if predicate(state):
                return state
            time.sleep(0.05)
        raise Failure("timed out waiting for %s; last state: %s" % (what, state))

    def rows(self, state):
        return [state["row%d" % i] for i in range(min(int(state.get("rows", "0")), 50))]

    def key(self, *keys):
        self.desk.xdotool("key", "--delay", "30", *keys)

    def type(self, text):
        self.desk.xdotool("type", "--delay", "40", text)

    def show(self):
        self.key("super+r")
        return self.wait(lambda s: s.get("visible") == "1" and s.get("focus_input") == "1",
                         "the window to show with the focus in the input line")

    def hidden(self):
        return self.wait(lambda s: s.get("visible") == "0", "the window to hide")

    def launched(self, file_):
        record = os.path.join(self.apps, file_ + ".launched")
        deadline = time.time() + 15
        while time.time() < deadline:
            if os.path.exists(record):
                return True
            time.sleep(0.05)
        return False

    def exit(self):
        self.desk.run([self.args.probe, "close"])
        try:
            code = self.process.wait(timeout=30)
        except Exception:
            raise Failure("the program did not end after WM_CLOSE; state: %s" % self.state())
        self.process = None
        return code

    def data(self, name):
        with open(os.path.join(self.prog, "Data", name), "rb") as f:
            return f.read()

    def stop(self):
        if self.process is not None:
            self.desk.kill_wine()
            self.process = None


def scenario_start_hidden_and_single_instance(desk, args, report):
    s = Session(desk, args, "single").start()
    state = s.state()
    check(state["visible"] == "0", "visible after start")
    check(state["toolwindow"] == "1", "no tool window style: it would get a taskbar button")
    check(state["topmost"] == "1", "not topmost")
    second = desk.run([os.path.join(s.prog, "Tolvanir.exe")], timeout=30)
    check(second.returncode == 0, "second start exited %d" % second.returncode)
    s.wait(lambda st: st.get("visible") == "1", "the first copy's window to come up")
    check(s.exit() == 0, "exit code not 0")


def scenario_hotkey_geometry_and_toggle(desk, args, report):
    s = Session(desk, args, "hotkey").start()
    desk.xdotool("mousemove", 100, 600)
    started = time.time()
    s.key("super+r")
    state = s.wait(lambda st: st.get("visible") == "1" and int(st.get("rows", "0")) > 0,
                   "rows after Win+R")
    report["win_r_to_rows_ms"] = round((time.time() - started) * 1000)
    state = s.wait(lambda st: st.get("focus_input") == "1", "the focus in the input line")
    left, top, right, bottom = map(int, state["rect"].split(","))
    wl, wt, wr, wb = map(int, state["workarea"].split(","))
    check(top == 0, "top edge at %d, not 0" % top)
    check(left == (wl + wr) // 2 - (right - left) // 2, "not centred: %s" % state["rect"])
    check(state["foreground"] == "1", "not the foreground window")
    check(state["cursor"] == "100,600", "cursor moved to %s" % state["cursor"])
    check(s.rows(state) == ["Calculator", "Paint", "\u8bb0\u4e8b\u672c"],
          "empty query rows by usage: %s" % s.rows(state))
    s.key("super+r")
    s.hidden()
    # A held R repeats its key-down: one toggle only.
    desk.xdotool("keydown", "super")
    for _ in range(4):
        desk.xdotool("keydown", "r")
    desk.xdotool("keyup", "r")
    desk.xdotool("keyup", "super")
    s.wait(lambda st: st.get("visible") == "1", "one toggle from a held Win+R")
    time.sleep(0.3)
    check(s.state()["visible"] == "1", "auto-repeat toggled more than once")
    s.exit()


def scenario_typing_keys_and_hiding(desk, args, report):
    s = Session(desk, args, "typing").start()
    s.show()
    s.type("jsb")
    state = s.wait(lambda st: st.get("input") == "jsb" and st.get("rows") == "1", "the pinyin match")
    check(s.rows(state) == ["\u8bb0\u4e8b\u672c"], "jsb lists %s" % s.rows(state))
    s.key("Escape")
    state = s.wait(lambda st: st.get("input") == "" and st.get("rows") == "3", "Escape to empty the line")
    check(state["visible"] == "1", "the first Escape hid the window")
    check(state["selected"] == "0", "first row not selected")
    s.key("Up")
    s.wait(lambda st: st.get("selected") == "2", "Up on the first row to wrap to the last")
    s.key("Down")
    s.wait(lambda st: st.get("selected") == "0", "Down on the last row to wrap to the first")
    s.key("Down")
    s.wait(lambda st: st.get("selected") == "1", "Down to move on")
    s.key("Tab")
    time.sleep(0.2)
    state = s.state()
    check(state["focus_input"] == "1" and state["selected"] == "1", "Tab did something")
    s.key("Escape")
    s.hidden()
    s.show()
    s.type("pa")
    s.wait(lambda st: st.get("input") == "pa", "typing")
    desk.xdotool("mousemove", 900, 700, "click", 1)
    state = s.hidden()
    check(state["input"] == "" and state["rows"] == "0", "deactivation did not empty the window")
    s.exit()


def scenario_launches_and_counts(desk, args, report):
    s = Session(desk, args, "launch").start()
    s.show()
    s.type("jsb")
    s.wait(lambda st: st.get("rows") == "1", "the pinyin match")
    s.key("Return")
    check(s.launched("notepad.exe"), "Enter did not start the selected program")
    state = s.hidden()
    check(state["input"] == "" and state["rows"] == "0", "the window is not empty after a launch")

    state = s.show()
    # Paint and 记事本 both have one use now; names break the tie.
    check(s.rows(state) == ["Calculator", "Paint", "\u8bb0\u4e8b\u672c"], "rows: %s" % s.rows(state))
    x, y = desk.run([args.probe, "row-center", "1"]).stdout.decode().strip().split(",")
    desk.xdotool("mousemove", x, y, "click", 1)
    check(s.launched("paint.exe"), "a click on a row did not start it")
    s.hidden()

    typed = windows_path(os.path.join(s.apps, "typed.exe"))
    shutil.copy(args.marker, os.path.join(s.apps, "typed.exe"))
    s.show()
    s.type(typed)
    s.wait(lambda st: st.get("input") == typed and st.get("rows") == "0", "no row for the typed path")
    s.key("Return")
    check(s.launched("typed.exe"), "Enter with no row did not pass the typed text to the shell")

    check(s.exit() == 0, "exit code not 0")
    stored = {e[2]: e[4] for e in json.loads(s.data("Index.json"))["list"]}
    check(stored[windows_path(os.path.join(s.apps, "notepad.exe"))] == "1", "notepad count: %s" % stored)
    check(stored[windows_path(os.path.join(s.apps, "paint.exe"))] == "2", "paint count: %s" % stored)
    check(stored[windows_path(os.path.join(s.apps, "calc.exe"))] == "2", "calc count changed")


def scenario_exit_writes_files(desk, args, report):
    s = Session(desk, args, "exit").start()
    check(s.exit() == 0, "exit code not 0")
    check(s.data("Settings.json") == b'{\n    "scan_directory": "",\n    "first_run": "false"\n}\n',
          "first run settings: %r" % s.data("Settings.json"))
    check(json.loads(s.data("Index.json"))["list"][0][0] == "Calculator", "index not written in order")


def scenario_log_off_writes_files(desk, args, report):
    s = Session(desk, args, "logoff").start()
    s.show()
    s.type("calc")
    s.wait(lambda st: st.get("rows") == "1", "the match")
    s.key("Return")
    check(s.launched("calc.exe"), "not started")
    s.hidden()
    desk.run([args.probe, "endsession"])
    stored = {e[0]: e[4] for e in json.loads(s.data("Index.json"))["list"]}
    check(stored["Calculator"] == "3", "the log-off did not write the count: %s" % stored)
    check(b'"first_run": "false"' in s.data("Settings.json"), "the log-off did not write the settings")
    s.stop()


def scenario_screenshot(desk, args, report):
    s = Session(desk, args, "shot").start()
    s.show()
    os.makedirs(args.out, exist_ok=True)
    path = os.path.join(args.out, "launcher-window.png")
    desk.screenshot(path)
    report["screenshot"] = path
    s.exit()


SCENARIOS = [
    scenario_start_hidden_and_single_instance,
    scenario_hotkey_geometry_and_toggle,
    scenario_typing_keys_and_hiding,
    scenario_launches_and_counts,
    scenario_exit_writes_files,
    scenario_log_off_writes_files,
    scenario_screenshot,
]


def main():
    parser = argparse.ArgumentParser()
    for name in ("exe", "probe", "marker", "cache", "out"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--only", default="")
    args = parser.parse_args()
    os.makedirs(args.cache, exist_ok=True)
    desk = WineDesktop(args.cache).start()
    passed, failed, report = 0, 0, {}
    try:
        for scenario in SCENARIOS:
            if args.only and args.only not in scenario.__name__:
                continue
            started = time.time()
            try:
                scenario(desk, args, report)
                passed += 1
                print("PASS %s (%.1f s)" % (scenario.__name__, time.time() - started), flush=True)
            except Exception as error:  # noqa: BLE001 - every failure is reported the same way
                failed += 1
                print("FAIL %s: %s" % (scenario.__name__, error), flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
            finally:
                desk.kill_wine()
    finally:
        desk.close()
    for key, value in report.items():
        print("%s: %s" % (key, value))
    print("e2e: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
