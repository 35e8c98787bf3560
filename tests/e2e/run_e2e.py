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


def wait_for(predicate, timeout=15):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if predicate():
            return True
        time.sleep(0.05)
    return False


def wait_file(path, timeout=15):
    return wait_for(lambda: os.path.exists(path), timeout)


class Session:
    """One program directory and one running copy of the launcher."""

    def __init__(self, desk, args, name, with_index=True, extra_items=()):
        self.desk, self.args = desk, args
        self.dir = tempfile.mkdtemp(prefix=name + "-", dir=desk.root)
        self.prog = os.path.join(self.dir, "prog")
        self.apps = os.path.join(self.dir, "apps")
        os.makedirs(os.path.join(self.prog, "Data"))
        os.makedirs(self.apps)
        shutil.copy(args.exe, os.path.join(self.prog, "Tolvanir.exe"))
        entries = []
        for name_, search, file_, uses in list(ITEMS) + list(extra_items):
            shutil.copy(args.marker, os.path.join(self.apps, file_))
            entries.append([name_, search, windows_path(os.path.join(self.apps, file_)), "", str(uses)])
        if with_index:
            with open(os.path.join(self.prog, "Data", "Index.json"), "w") as f:
                json.dump({"list": entries}, f, indent=4)
        self.process = None

    def start(self, debug=None):
        self.stderr_path = os.path.join(self.dir, "stderr.log")
        self.process = self.desk.spawn([os.path.join(self.prog, "Tolvanir.exe")], cwd=self.dir,
                                       stderr_path=self.stderr_path, debug=debug)
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

    def watched_folder(self):
        """A folder the settings add to the scan directories, before the start."""
        watched = os.path.join(self.dir, "watched")
        os.makedirs(watched)
        with open(os.path.join(self.prog, "Data", "Settings.json"), "w") as f:
            json.dump({"scan_directory": [[windows_path(watched), "3"]], "first_run": "false"}, f)
        return watched

    def probe(self, *args):
        return self.desk.run([self.args.probe] + list(args)).stdout.decode("utf-8", "replace")

    def key_burst(self, *keys):
        self.desk.xdotool("key", "--delay", "15", *keys)

    def type(self, text):
        self.desk.xdotool("type", "--delay", "40", text)

    def show(self):
        self.key("super+r")
        return self.wait(lambda s: s.get("visible") == "1" and s.get("focus_input") == "1",
                         "the window to show with the focus in the input line")

    def hidden(self):
        return self.wait(lambda s: s.get("visible") == "0", "the window to hide")

    def launched(self, file_, times=1):
        deadline = time.time() + 15
        while time.time() < deadline:
            if self.launches(file_) >= times:
                return True
            time.sleep(0.05)
        return False

    def launches(self, file_):
        try:
            with open(os.path.join(self.apps, file_ + ".launched"), "rb") as f:
                return f.read().count(b"\n")
        except FileNotFoundError:
            return 0

    def exit(self):
        self.desk.run([self.args.probe, "close"])
        try:
            code = self.process.wait(timeout=20)
        except Exception:
            # Seen once on a loaded machine: the close never arrived. A second
            # one tells a lost message from a program that does not end.
            state = self.state()
            self.desk.run([self.args.probe, "close"])
            try:
                code = self.process.wait(timeout=20)
                print("note: a second WM_CLOSE was needed; state before it: %s" % state, flush=True)
            except Exception:
                raise Failure("the program did not end after WM_CLOSE; state: %s" % state)
        self.process = None
        return code

    def data(self, name):
        with open(os.path.join(self.prog, "Data", name), "rb") as f:
            return f.read()

    def stored_names(self):
        """Names of the stored items of this session's own programs, in file order."""
        apps = windows_path(self.apps) + "\\"
        return [e[0] for e in json.loads(self.data("Index.json"))["list"] if e[2].startswith(apps)]

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
    # The focus may come a moment before the cursor is put back.
    check(wait_for(lambda: s.state().get("cursor") == "100,600", 2),
          "cursor moved to %s" % s.state().get("cursor"))
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


MARKERS = ("calc.exe", "paint.exe", "notepad.exe")


def scenario_type_ahead(desk, args, report):
    marking = ("\u6807\u8bb0\u5de5\u5177", "\u6807\u8bb0\u5de5\u5177biaojigongju", "biaoji.exe", 0)
    s = Session(desk, args, "typeahead", extra_items=[marking]).start()
    for attempt in range(1, 5):
        # Win+R, the letters and Enter in one burst, as a fast typist types:
        # the letters reach the input line before Enter acts.
        s.key_burst("super+r", "b", "i", "a", "o", "j", "i", "Return")
        check(s.launched("biaoji.exe", attempt),
              "try %d: Enter did not start the typed program; started: %s" %
              (attempt, {f: s.launches(f) for f in MARKERS}))
        check(s.launches("calc.exe") == 0, "try %d: the empty query's top row was started" % attempt)
        s.hidden()
    # Keys of one SendInput call share one time, as a macro's or a scanner's
    # do: what comes after Enter must not reach the line before it acts, also
    # when a key before it went to another program as its hot key.
    out = os.path.join(s.dir, "hotkey.out")
    hotkey = desk.spawn([args.probe, "hotkey", "120", "60000"], stdout_path=out)  # F9
    check(wait_for(lambda: os.path.exists(out) and b"registered" in open(out, "rb").read()),
          "the hot key was not registered")
    for attempt in range(5, 8):
        s.show()
        s.key("F9", "F9")
        s.probe("type", "biaoji|xyz")
        check(s.launched("biaoji.exe", attempt), "one-call try %d: started %s, dialog %s" %
              (attempt, {f: s.launches(f) for f in MARKERS}, dialog(desk, args).get("text")))
        s.hidden()
    hotkey.kill()
    time.sleep(0.5)
    check(s.launches("biaoji.exe") == 7, "started %d times" % s.launches("biaoji.exe"))
    check(all(s.launches(f) == 0 for f in MARKERS), "something else started")
    check(dialog(desk, args).get("dialog") == ["0"], "the shell was handed another text")
    # Nothing typed in a burst is left in the line for the next show.
    state = s.show()
    check(state["input"] == "" and state["rows"] == "4", "stale text after the bursts: %s" % state)
    s.exit()


def scenario_keys_after_the_window_went(desk, args, report):
    s = Session(desk, args, "stale").start()
    # Escape empties, the next hides; an Enter right behind them, or behind a
    # Win+R that hides, finds no window to act on: no shell call for an
    # empty line (which would show the shell's error box).
    for burst in ("pa^^|", "pa#|"):
        s.show()
        s.probe("type", burst)
        s.hidden()
        time.sleep(1.0)
        found = dialog(desk, args)
        check(found.get("dialog") == ["0"], "%r: a stale key reached the shell: %s" % (burst, found))
    check(all(s.launches(f) == 0 for f in MARKERS), "a stale key started a program")
    s.exit()


def scenario_hostile_messages(desk, args, report):
    s = Session(desk, args, "hostile").start()
    # Hides and shows from another program, in turn: one show, not one pause
    # and one click each.
    stalls = stall_during(s, 2500, lambda: s.probe("flip", "20"))[1]
    report["stalls_over_50ms_during_20_outside_hide_show_pairs"] = stalls
    check(stalls <= 2, "%d stalls of the window thread" % stalls)
    s.key("Escape")
    s.hidden()
    # A flood of show requests costs one show: the keyboard is usable at once.
    started = time.time()
    s.probe("flood", "3000")
    s.wait(lambda st: st.get("visible") == "1" and st.get("focus_input") == "1", "the flood's show")
    s.type("paint")
    s.wait(lambda st: s.rows(st) == ["Paint"], "typing during the flood", timeout=10)
    report["flood_of_6000_shows_to_typed_row_ms"] = round((time.time() - started) * 1000)
    # Junk item data and a forged Enter: nothing starts, nothing crashes, and
    # the user's own Enter starts the row's own entry.
    s.key("Escape")
    s.wait(lambda st: st.get("input") == "" and st.get("rows") == "3", "the emptied line")
    s.probe("plant")
    s.probe("post-key", "13")
    time.sleep(0.5)
    check(s.state().get("visible") == "1", "a forged Enter acted")
    check(all(s.launches(f) == 0 for f in MARKERS), "a forged Enter started something")
    s.key("Return")
    check(s.launched("calc.exe"), "Enter on a row with planted item data did not start its entry")
    s.hidden()
    # Alt+F4 hides the window and the program goes on.
    s.show()
    s.key("alt+F4")
    s.hidden()
    check(s.process.poll() is None, "Alt+F4 ended the program")
    s.show()
    check(s.exit() == 0, "exit code not 0")


def scenario_close_during_a_show(desk, args, report):
    s = Session(desk, args, "closeshow").start()
    closer = desk.spawn([args.probe, "close-in-show"])
    s.key("super+r")
    try:
        code = s.process.wait(timeout=30)
    except Exception:
        raise Failure("a close during the show did not end the program")
    finally:
        closer.wait(timeout=30)
    s.process = None
    check(code == 0, "exit code %d" % code)
    check(b'"first_run": "false"' in s.data("Settings.json"), "settings not written")
    check(s.stored_names() == ["Calculator", "Paint", "\u8bb0\u4e8b\u672c"], "index not written")


def scenario_refresh_keeps_the_pick(desk, args, report):
    s = Session(desk, args, "keeppick")
    watched = s.watched_folder()
    s.start()
    s.show()
    s.key("Down", "Down")
    s.wait(lambda st: st.get("selected") == "2", "the third row")
    # A new program that sorts above the pick: the refresh keeps the pick.
    shutil.copy(args.marker, os.path.join(watched, "Aardvark.exe"))
    s.wait(lambda st: s.rows(st) == ["Calculator", "Paint", "Aardvark", "\u8bb0\u4e8b\u672c"],
           "the refresh with the new program")
    s.key("Return")
    check(s.launched("notepad.exe"), "the pick did not start; Aardvark started: %s" %
          os.path.exists(os.path.join(watched, "Aardvark.exe.launched")))
    check(not os.path.exists(os.path.join(watched, "Aardvark.exe.launched")), "the new row started")
    s.hidden()
    s.exit()


def stall_during(s, ms, action):
    """What the stall probe found while the action ran: the longest the window
    thread took to answer WM_NULL, asked every 5 ms from another process
    ("max_ms"), and how many answers took over 50 ms ("over_50ms")."""
    out = os.path.join(s.dir, "stall-%d.out" % time.time_ns())
    probe = s.desk.spawn([s.args.probe, "stall", str(ms)], stdout_path=out)
    check(wait_for(lambda: os.path.exists(out) and b"probing" in open(out, "rb").read()),
          "the stall probe did not start")
    action()
    probe.wait(timeout=ms / 1000 + 60)
    found = dict(line.split("=", 1) for line in open(out).read().split() if "=" in line)
    return float(found["max_ms"]), int(found["over_50ms"])


def scenario_window_thread_answers(desk, args, report):
    s = Session(desk, args, "stall")
    watched = s.watched_folder()
    # A slow target: a program in a folder of 300,000 files, named in other
    # letter case than on disk, so every look-up of it reads the whole folder
    # (as a folder on a slow network share would be read).
    index = json.loads(s.data("Index.json"))
    crowded = os.path.join(s.dir, "crowded")
    os.makedirs(crowded)
    for i in range(300000):
        os.close(os.open(os.path.join(crowded, "f%06d.dat" % i), os.O_CREAT | os.O_WRONLY, 0o644))
    shutil.copy(args.marker, os.path.join(crowded, "slowreport.exe"))
    slow = windows_path(crowded) + "\\SLOWREPORT.EXE"
    index["list"].append(["Slow Report", "SlowReportslowbaogao", slow, "", "0"])
    for i in range(10000):  # distinct existing files in folders of 200
        folder = os.path.join(s.dir, "many", "f%02d" % (i // 200))
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "Tool %05d.lnk" % i)
        open(path, "w").close()
        index["list"].append(["Tool %05d" % i, "Tool%05dtool" % i, windows_path(path), "", "0"])
    with open(os.path.join(s.prog, "Data", "Index.json"), "w") as f:
        json.dump(index, f, indent=4)
    s.start()
    s.show()  # the first query after the load sorts and reads the names
    s.key("Escape")
    s.hidden()

    def show():
        s.key("super+r")
        s.wait(lambda st: st.get("focus_input") == "1" and int(st.get("rows", "0")) > 10000, "rows")
    figures = {"show": stall_during(s, 1500, show)[0]}

    def refresh():
        shutil.copy(args.marker, os.path.join(watched, "Zebra.exe"))
        s.wait(lambda st: "Zebra" in s.rows(st) or int(st.get("rows", "0")) > 10004, "the refresh")
        time.sleep(0.4)
    figures["refresh_10000"] = stall_during(s, 1500, refresh)[0]

    # Up right behind Win+R, while the long list may still be filling: the
    # true last row.
    s.key("Escape")
    s.hidden()
    s.key_burst("super+r", "Up")
    # The probe reads the count before the selection: both once the fill is done.
    state = s.wait(lambda st: st.get("selected") not in (None, "0", "-1") and
                   st.get("rows") == "10005", "Up to move")
    check(state["selected"] == str(int(state["rows"]) - 1) and state["rows"] == "10005",
          "Up from the first row selected %s of %s rows" % (state["selected"], state["rows"]))
    # Down, held past the rows of the first fill.
    s.key("Escape")
    s.hidden()
    s.show()
    s.desk.xdotool("key", "--delay", "5", *(["Down"] * 300))
    state = s.wait(lambda st: st.get("selected") == "300", "Down 300 times")
    check(state["selected_text"] == "Tool 00297", "row 300 is %r" % state["selected_text"])

    def launch():
        s.type("slowrep")
        s.wait(lambda st: s.rows(st) == ["Slow Report"], "the slow program's row")
        s.key("Return")
        s.hidden()
        # The record is named as the program was started.
        check(wait_for(lambda: os.path.exists(os.path.join(crowded, "SLOWREPORT.EXE.launched")) or
                       os.path.exists(os.path.join(crowded, "slowreport.exe.launched"))),
              "the slow target did not start")
    figures["slow_launch"] = stall_during(s, 3000, launch)[0]
    figures["session_end_10000"] = stall_during(s, 1500, lambda: desk.run([args.probe, "endsession"]))[0]
    for what, ms in figures.items():
        report["longest_answer_ms_" + what] = round(ms, 1)
    # The show's own pause of 100 ms is allowed; nothing else may come near it.
    # Bounds twice the aim of 50 ms, for a loaded machine.
    check(figures["show"] < 250, "the show held the thread for %.0f ms" % figures["show"])
    for what in ("refresh_10000", "slow_launch", "session_end_10000"):
        check(figures[what] < 100, "%s held the thread for %.0f ms" % (what, figures[what]))
    check(s.exit() == 0, "exit code not 0")


def scenario_first_frame_has_rows(desk, args, report):
    s = Session(desk, args, "firstframe")
    index = json.loads(s.data("Index.json"))
    for i in range(2000):  # distinct existing files, 100 a folder
        folder = os.path.join(s.dir, "menu", "f%02d" % (i // 100))
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "Program %04d.lnk" % i)
        open(path, "w").close()
        index["list"].append(["Program %04d" % i, "Program%04dprogram" % i, windows_path(path), "", "0"])
    with open(os.path.join(s.prog, "Data", "Index.json"), "w") as f:
        json.dump(index, f, indent=4)
    s.start()
    s.show()
    s.key("Escape")
    s.hidden()
    figures = {}
    for attempt in range(3):
        out = os.path.join(s.dir, "frame-%d.out" % attempt)
        watcher = desk.spawn([args.probe, "first-frame"], stdout_path=out)
        check(wait_for(lambda: os.path.exists(out) and b"ready" in open(out, "rb").read()),
              "the frame probe did not start")
        s.key("super+r")
        watcher.wait(timeout=40)
        found = dict(line.split("=", 1) for line in open(out).read().split() if "=" in line)
        for key, value in found.items():
            figures.setdefault(key, []).append(float(value))
        s.wait(lambda st: st.get("rows") == "2003", "all rows")
        s.key("Escape")
        s.hidden()
    for key, values in figures.items():
        report["win_r_to_" + key.replace("_ms", "") + "_ms_median"] = sorted(values)[1]
    check(all(v >= 0 for v in figures["focused_with_rows_ms"]), "no focused window with rows: %s" % figures)
    # The rows are there when the window first shows: they are painted with
    # it, long before the show's pause of 100 ms ends.
    check(sorted(figures["rows_painted_ms"])[1] < 60, "rows only after %s ms" % figures["rows_painted_ms"])
    check(s.exit() == 0, "exit code not 0")


def scenario_ctrl_shift_enter_starts_elevated(desk, args, report):
    # A document type whose "runas" and "open" verbs each leave a mark.
    for key, value in ((r"HKCR\.tolvanirverbs", "TolvanirVerbTest"),
                       (r"HKCR\TolvanirVerbTest\shell\open\command", 'cmd.exe /c copy nul "%1.open"'),
                       (r"HKCR\TolvanirVerbTest\shell\runas\command", 'cmd.exe /c copy nul "%1.runas"')):
        desk.run(["reg", "add", key, "/ve", "/d", value, "/f"])
    report_item = ("Report", "Reportreport", "report.tolvanirverbs", 0)
    s = Session(desk, args, "elevated", extra_items=[report_item])
    document = os.path.join(s.apps, "report.tolvanirverbs")
    with open(document, "w") as f:
        f.write("a document, not a program\n")
    s.start()
    # The modifiers count as they were when Enter went down, though it is
    # acted on after the letters before it, when they are up again.
    for keys, verb in (("+", "runas"), ("ctrl+Return", "open"), ("shift+Return", "open"),
                       ("Return", "open"), ("+", "runas")):
        for mark in (".open", ".runas"):
            if os.path.exists(document + mark):
                os.remove(document + mark)
        s.show()
        if keys == "+":
            s.probe("type", "report+")
        else:
            s.type("report")
            s.wait(lambda st: s.rows(st) == ["Report"], "the row")
            s.key(keys)
        check(wait_file(document + "." + verb), "%s did not ask for %s" % (keys, verb))
        s.hidden()
        time.sleep(0.5)
        other = ".open" if verb == "runas" else ".runas"
        check(not os.path.exists(document + other), "%s asked for the wrong verb too" % keys)
    check(s.exit() == 0, "exit code not 0")
    stored = {e[0]: e[4] for e in json.loads(s.data("Index.json"))["list"]}
    check(stored["Report"] == "5", "every accepted start counts: %s" % stored)


def scenario_extra_row_from_reading_text(desk, args, report):
    # 招商银行: its search text reads the bank 银行 as yinxing; people say yinhang.
    bank = ("\u62db\u5546\u94f6\u884c", "\u62db\u5546\u94f6\u884czhaoshangyinxing", "bank.exe", 0)
    s = Session(desk, args, "reading", extra_items=[bank]).start()
    s.show()
    s.type("zsyh")
    state = s.wait(lambda st: st.get("input") == "zsyh" and st.get("rows") == "1", "the extra row")
    check(s.rows(state) == [bank[0]], "zsyh lists %s" % s.rows(state))
    s.key("Return")
    check(s.launched("bank.exe"), "Enter did not start the program its reading text found")
    s.hidden()
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


def scenario_keys_for_other_windows(desk, args, report):
    s = Session(desk, args, "otherwindow").start()
    log = os.path.join(s.dir, "keys.log")
    keys = desk.spawn([args.probe, "keys", windows_path(log)])
    try:
        deadline = time.time() + 15
        while time.time() < deadline and not (os.path.exists(log) and b"ready" in open(log, "rb").read()):
            time.sleep(0.05)
        check(os.path.exists(log), "the key window did not come to the front")
        s.key("Return", "Escape", "Tab", "Up", "Down", "alt+super+r")
        wanted = [b"down=0D", b"down=1B", b"down=09", b"down=26", b"down=28", b"sysdown=52"]
        deadline = time.time() + 10
        while time.time() < deadline and not all(w in open(log, "rb").read() for w in wanted):
            time.sleep(0.05)
        got = open(log, "rb").read()
        check(all(w in got for w in wanted), "keys that reached the window in front: %r" % got)
        check(s.state()["visible"] == "0", "Alt+Win+R showed the launcher")
    finally:
        keys.kill()
    s.exit()


def scenario_exit_writes_files(desk, args, report):
    s = Session(desk, args, "exit").start()
    check(s.exit() == 0, "exit code not 0")
    check(s.data("Settings.json") == b'{\n    "scan_directory": "",\n    "first_run": "false"\n}\n',
          "first run settings: %r" % s.data("Settings.json"))
    check(json.loads(s.data("Index.json"))["list"][0][0] == "Calculator", "index not written in order")


def scenario_log_off_writes_files(desk, args, report):
    s = Session(desk, args, "logoff")
    watched = s.watched_folder()
    s.start()
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

    # A session end that does not end the process: everything goes on.
    shutil.copy(args.marker, os.path.join(watched, "Late.exe"))
    s.show()
    s.type("late")
    s.wait(lambda st: s.rows(st) == ["Late"], "the watcher to follow a new file after the session end")
    s.key("Return")
    check(wait_file(os.path.join(watched, "Late.exe.launched")), "Late not started")
    s.hidden()
    add_zebra_folder(s, desk, args, "a directory added after the session end to be scanned")
    s.key("Escape", "Escape")
    s.hidden()
    check(s.exit() == 0, "exit code not 0")
    stored = {e[0]: e[4] for e in json.loads(s.data("Index.json"))["list"]}
    check(stored.get("Late") == "1", "the count after the session end was not written: %s" % stored)


def scenario_messages_from_outside(desk, args, report):
    s = Session(desk, args, "outside").start()
    desk.run([args.probe, "append"])
    s.show()
    s.type("paint")
    s.wait(lambda st: s.rows(st) == ["Paint"], "the launcher to work on after a stray WM_USER+4")
    s.key("Escape", "Escape")
    s.hidden()
    # The index was loaded at start; only a save can bring the file back.
    os.remove(os.path.join(s.prog, "Data", "Index.json"))
    desk.run([args.probe, "quit"])
    code = s.process.wait(timeout=30)
    s.process = None
    check(code == 0, "exit code %d after a WM_QUIT from outside" % code)
    check(s.stored_names() == ["Calculator", "Paint", "\u8bb0\u4e8b\u672c"],
          "index not written after WM_QUIT")
    check(b'"first_run": "false"' in s.data("Settings.json"), "settings not written after WM_QUIT")


def hold_data_files(desk, args, s, ms):
    """Another program holds both data files open without sharing them."""
    out = os.path.join(s.dir, "hold-%d.out" % time.time_ns())
    data = os.path.join(s.prog, "Data")
    holder = desk.spawn([args.probe, "hold", str(ms), windows_path(os.path.join(data, "Settings.json")),
                         windows_path(os.path.join(data, "Index.json"))], stdout_path=out)
    check(wait_file(out) and wait_for(lambda: b"held" in open(out, "rb").read()),
          "the files were not held")
    return holder


def set_aside(s):
    """Every file in Data beside the two data files."""
    return sorted(set(os.listdir(os.path.join(s.prog, "Data"))) - {"Index.json", "Settings.json"})


def scenario_data_files_held_at_start(desk, args, report):
    # Held while the program starts, released a few seconds later: both are
    # read during the run and merged into what the run found meanwhile.
    s = Session(desk, args, "held")
    extra = os.path.join(s.dir, "extra")
    os.makedirs(extra)
    for name in ("Zebra.exe", "Okapi.exe"):
        shutil.copy(args.marker, os.path.join(extra, name))
    zebra = windows_path(os.path.join(extra, "Zebra.exe"))
    index = json.loads(s.data("Index.json"))
    index["list"].append(["Striped Horse", "Striped Horsezebra", zebra, "", "4"])
    with open(os.path.join(s.prog, "Data", "Index.json"), "w") as f:
        json.dump(index, f, indent=4)
    with open(os.path.join(s.prog, "Data", "Settings.json"), "w") as f:
        json.dump({"scan_directory": [[windows_path(extra), "3"]], "first_run": "false"}, f)
    holder = hold_data_files(desk, args, s, 6000)
    s.start()
    if holder.poll() is None:
        s.show()
        s.type("striped")
        time.sleep(0.5)
        rows = s.rows(s.state())
        check(rows == [] or holder.poll() is not None, "the held index was read at start: %s" % rows)
        s.key("Escape", "Escape")
        s.hidden()
    holder.wait(timeout=30)
    s.show()
    # The stored counts order the launched items: 4, 2, 1.
    state = s.wait(lambda st: s.rows(st)[:3] == ["Striped Horse", "Calculator", "Paint"],
                   "the stored items with their counts once the index is read", timeout=30)
    s.type("zebra")
    s.wait(lambda st: s.rows(st) == ["Striped Horse"], "the stored name over the scanned one")
    s.key("Escape")
    s.type("okapi")
    s.wait(lambda st: s.rows(st) == ["Okapi"], "the stored scan directory to be scanned", timeout=30)
    s.key("Escape")
    s.type("calc")
    s.wait(lambda st: s.rows(st) == ["Calculator"], "the match")
    s.key("Return")
    check(s.launched("calc.exe"), "Calculator not started")
    s.hidden()
    check(s.exit() == 0, "exit code not 0")
    stored = {e[0]: e for e in json.loads(s.data("Index.json"))["list"]}
    check(stored["Calculator"][4] == "3", "the launch did not add to the stored count: %s" % stored)
    check(stored["Striped Horse"][2] == zebra and stored["Striped Horse"][4] == "4",
          "the stored item: %s" % stored.get("Striped Horse"))
    check("Okapi" in stored, "the stored directory's program is not written: %s" % list(stored))
    settings = json.loads(s.data("Settings.json"))
    check(settings == {"scan_directory": [[windows_path(extra), "3"]], "first_run": "false"},
          "settings %s" % settings)
    check(set_aside(s) == [], "files set aside: %s" % set_aside(s))

    # Held past the exit, twice: nothing can replace the files, and they stay
    # as they are, with nothing beside them; the next free start reads them.
    s = Session(desk, args, "held-exit")
    with open(os.path.join(s.prog, "Data", "Settings.json"), "w") as f:
        json.dump({"scan_directory": [], "first_run": "false", "theme": "dark"}, f)
    old = {name: s.data(name) for name in ("Settings.json", "Index.json")}
    for run in (1, 2):
        holder = hold_data_files(desk, args, s, 60000)
        s.start()
        check(s.exit() == 0, "exit code not 0")
        check(holder.poll() is None, "the files were not held through the exit")
        holder.kill()
        holder.wait(timeout=30)
        for name, bytes_ in old.items():
            check(s.data(name) == bytes_, "run %d replaced the held %s" % (run, name))
        check(set_aside(s) == [], "run %d set files aside: %s" % (run, set_aside(s)))
    s.start()
    s.show()
    s.type("paint")
    s.wait(lambda st: s.rows(st) == ["Paint"], "the index a held run left as it was")
    s.key("Escape", "Escape")
    s.hidden()
    check(s.exit() == 0, "exit code not 0")
    check(json.loads(s.data("Settings.json"))["theme"] == "dark", "the settings a held run left")

    # Never readable in a whole run (too large to read), twice: each run keeps
    # the file it could not read under a name of its own, then writes anew.
    s = Session(desk, args, "unreadable")
    data = os.path.join(s.prog, "Data")
    with open(os.path.join(data, "Settings.json"), "w") as f:
        json.dump({"scan_directory": [], "first_run": "false"}, f)
    kept = {}
    for run in (1, 2):
        for name in ("Index", "Settings"):
            before = s.data(name + ".json")
            os.truncate(os.path.join(data, name + ".json"), (256 << 20) + 1)
            kept["%s.unread-%d.json" % (name, run)] = before
        s.start()
        check(s.exit() == 0, "exit code not 0")
        check(set_aside(s) == sorted(kept), "run %d set aside %s" % (run, set_aside(s)))
        for name, bytes_ in kept.items():
            with open(os.path.join(data, name), "rb") as f:
                check(f.read(len(bytes_)) == bytes_, "run %d: %s does not hold what it kept" % (run, name))
        check(json.loads(s.data("Settings.json"))["first_run"] == "false",
              "a settings file that was there counts as no first run")
        check(os.path.getsize(os.path.join(data, "Index.json")) < 1 << 20, "the index was not written anew")


def scenario_screenshot(desk, args, report):
    s = Session(desk, args, "shot").start()
    s.show()
    os.makedirs(args.out, exist_ok=True)
    path = os.path.join(args.out, "launcher-window.png")
    desk.screenshot(path)
    report["screenshot"] = path
    s.exit()


def start_menu(desk):
    """The user's Start Menu programs folder inside the Wine prefix."""
    users = os.path.join(desk.prefix, "drive_c", "users")
    for user in sorted(os.listdir(users)):
        folder = os.path.join(users, user, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                              "Programs")
        if user != "Public" and os.path.isdir(folder):
            return folder
    raise Failure("no Start Menu in the prefix")


def scenario_scanning_and_watching(desk, args, report):
    programs = start_menu(desk)
    accessories = os.path.join(programs, "Accessories")
    os.makedirs(accessories, exist_ok=True)
    shutil.copy(args.marker, os.path.join(accessories, "notepad.exe"))
    shutil.copy(args.marker, os.path.join(programs, "Calculator.exe"))
    strings = windows_path(os.path.join(args.fixtures, "pe", "strings.dll"))
    ini = os.path.join(accessories, "Desktop.ini")
    with open(ini, "wb") as f:
        f.write(("[LocalizedFileNames]\r\nnotepad.exe=@%s,-101\r\n" % strings).encode("utf-8"))
    desk.run(["cmd", "/c", "attrib", "+s", windows_path(ini)])

    s = Session(desk, args, "scan", with_index=False).start()
    s.show()
    s.type("jsb")
    state = s.wait(lambda st: st.get("rows") == "1", "the localized name found by its pinyin")
    check(s.rows(state) == ["\u8bb0\u4e8b\u672c"], "jsb lists %s" % s.rows(state))
    s.key("Escape")
    s.wait(lambda st: "Calculator" in s.rows(st), "the scanned rows")

    # Shown with the empty query: new files must appear without typing.
    fixture_link = os.path.join(args.fixtures, "lnk", sorted(
        f for f in os.listdir(os.path.join(args.fixtures, "lnk")) if f.endswith(".lnk"))[0])
    created = time.time()
    shutil.copy(fixture_link, os.path.join(programs, "NewTool.lnk"))
    s.wait(lambda st: "NewTool" in s.rows(st), "a created shortcut to appear", timeout=5)
    report["file_created_to_row_ms"] = round((time.time() - created) * 1000)

    os.remove(os.path.join(programs, "Calculator.exe"))
    s.wait(lambda st: "Calculator" not in s.rows(st), "a deleted program to disappear", timeout=5)
    os.rename(os.path.join(programs, "NewTool.lnk"), os.path.join(programs, "Renamed.lnk"))
    time.sleep(0.5)
    state = s.state()
    check("NewTool" in s.rows(state) and "Renamed" not in s.rows(state),
          "a renamed shortcut keeps its name: %s" % s.rows(state))
    check(s.exit() == 0, "exit code not 0")

    stored = {e[0]: e for e in json.loads(s.data("Index.json"))["list"]}
    notepad = stored.get("\u8bb0\u4e8b\u672c")
    check(notepad is not None, "the localized item is not stored: %s" % list(stored))
    check(notepad[1] == "\u8bb0\u4e8b\u672cnotepadjishiben", "search text %r" % notepad[1])
    check(notepad[2] == windows_path(os.path.join(accessories, "notepad.exe")) or
          notepad[2].lower().endswith("\\accessories\\notepad.exe"), "path %r" % notepad[2])
    check(stored["NewTool"][2].endswith("\\Renamed.lnk"), "renamed path %r" % stored["NewTool"][2])
    check("Calculator" not in stored, "the deleted program is still stored")


def scenario_exit_during_a_large_scan(desk, args, report):
    big = os.path.join(desk.root, "big")
    for i in range(10000):
        folder = os.path.join(big, "d%02d" % (i % 50))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "p%05d.lnk" % i), "wb") as f:
            f.write(b"not a link")
    s = Session(desk, args, "bigscan")
    with open(os.path.join(s.prog, "Data", "Settings.json"), "w") as f:
        json.dump({"scan_directory": [[windows_path(big), "3"]], "first_run": "false"}, f)
    s.start()
    time.sleep(1.0)  # the scan is under way
    started = time.time()
    check(s.exit() == 0, "exit code not 0")
    report["exit_during_scan_ms"] = round((time.time() - started) * 1000)
    stored = json.loads(s.data("Index.json"))["list"]
    report["items_scanned_before_exit"] = len(stored) - len(ITEMS)


RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
LABELS = {"about": "\u5173\u4e8e", "append": "\u6dfb\u52a0\u76ee\u5f55",
          "autorun_enable": "\u5f00\u673a\u542f\u52a8",
          "autorun_disable": "\u53d6\u6d88\u5f00\u673a\u542f\u52a8", "exit": "\u9000\u51fa"}


def dialog(desk, args):
    out = desk.run([args.probe, "dialog"]).stdout.decode("utf-8", "replace")
    found = {}
    for line in out.splitlines():
        key, _, value = line.partition("=")
        found.setdefault(key, []).append(value)
    return found


def wait_dialog(desk, args, present=True, timeout=15):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = dialog(desk, args)
        if (found.get("dialog") == ["1"]) == present:
            return found
        time.sleep(0.1)
    raise Failure("timed out waiting for a message box to %s" % ("appear" if present else "close"))


def run_command(s, label):
    """Types "!", then picks the command's row with the arrow keys and Enter."""
    s.show()
    s.type("!")
    state = s.wait(lambda st: st.get("input") == "!" and int(st.get("rows", "0")) >= 4, "the commands")
    rows = s.rows(state)
    check(label in rows, "%s not in %s" % (label, rows))
    for _ in range(rows.index(label)):
        s.key("Down")
    s.wait(lambda st: st.get("selected") == str(rows.index(label)), "the selection")
    s.key("Return")
    return rows


def scenario_commands_about_and_exit(desk, args, report):
    s = Session(desk, args, "commands").start(debug="trace+systray")
    rows = run_command(s, LABELS["about"])
    check(rows == [LABELS[k] for k in ("about", "append", "autorun_enable", "exit")],
          "command rows %s" % rows)
    found = wait_dialog(desk, args)
    check(found.get("caption") == ["Tolvanir"], "about caption %s" % found.get("caption"))
    check("\u76ee\u524d\u6b63\u5728\u5f00\u53d1\u4e2d" in "".join(found.get("text", [])),
          "about text %s" % found.get("text"))
    os.makedirs(args.out, exist_ok=True)
    desk.screenshot(os.path.join(args.out, "about-box.png"))
    desk.xdotool("key", "Return")
    wait_dialog(desk, args, present=False)
    # The index was loaded at start; only the exit can bring the file back.
    os.remove(os.path.join(s.prog, "Data", "Index.json"))
    run_command(s, LABELS["exit"])
    code = s.process.wait(timeout=30)
    s.process = None
    check(code == 0, "exit code %d" % code)
    check(b'"first_run": "false"' in s.data("Settings.json"), "settings not written")
    check(s.stored_names() == ["Calculator", "Paint", "\u8bb0\u4e8b\u672c"],
          "index not written: %r" % s.data("Index.json"))
    with open(s.stderr_path, "rb") as f:
        log = f.read()
    adds = log.count(b"Shell_NotifyIconW dwMessage = 0,")  # NIM_ADD
    check(b"Shell_NotifyIconW dwMessage = 2," in log, "the balloon's icon was not removed again")
    report["welcome_balloon_adds_first_start"] = adds
    check(adds >= 1, "no balloon on the first start")
    s.start(debug="trace+systray")
    s.exit()
    with open(s.stderr_path, "rb") as f:
        check(f.read().count(b"Shell_NotifyIconW dwMessage = 0,") == 0, "a balloon on the second start")


def scenario_autorun(desk, args, report):
    desk.run(["reg", "delete", RUN_KEY, "/v", "Tolvanir", "/f"])
    s = Session(desk, args, "autorun").start()
    run_command(s, LABELS["autorun_enable"])
    s.hidden()
    deadline = time.time() + 10
    value = None
    while time.time() < deadline and value is None:
        value = desk.reg_query(RUN_KEY, "Tolvanir")
        time.sleep(0.1)
    exe = windows_path(os.path.join(s.prog, "Tolvanir.exe"))
    check(value is not None and value.strip('"').lower() == exe.lower(), "Run value %r, expected %r" % (value, exe))
    rows = run_command(s, LABELS["autorun_disable"])
    check(LABELS["autorun_enable"] not in rows, "both autorun rows listed: %s" % rows)
    s.hidden()
    deadline = time.time() + 10
    while time.time() < deadline and desk.reg_query(RUN_KEY, "Tolvanir") is not None:
        time.sleep(0.1)
    check(desk.reg_query(RUN_KEY, "Tolvanir") is None, "disabling left the value")
    s.exit()

    # A copy under a folder named Temp asks first; the default answer is No.
    t = Session(desk, args, "Temp")
    check("Temp" in t.prog, "not under a Temp folder: %s" % t.prog)
    t.start()
    run_command(t, LABELS["autorun_enable"])
    found = wait_dialog(desk, args)
    check(found.get("caption") == ["Tolvanir"], "question caption %s" % found.get("caption"))
    desk.xdotool("key", "Return")
    wait_dialog(desk, args, present=False)
    time.sleep(0.5)
    check(desk.reg_query(RUN_KEY, "Tolvanir") is None, "No still wrote the Run value")
    t.exit()


def pick_folder(s, desk, args, folder):
    """Runs the add-directory command and picks the folder in its dialog."""
    run_command(s, LABELS["append"])
    found = wait_dialog(desk, args)
    check("File name:" in found.get("text", []), "not a folder picker: %s" % found)
    desk.xdotool("type", "--delay", "30", windows_path(folder))
    desk.xdotool("key", "Return")
    wait_dialog(desk, args, present=False)


def add_zebra_folder(s, desk, args, what):
    """Adds a folder holding Zebra.exe through the picker; Zebra is listed."""
    extra = os.path.join(s.dir, "extra")
    os.makedirs(extra)
    shutil.copy(args.marker, os.path.join(extra, "Zebra.exe"))
    pick_folder(s, desk, args, extra)
    s.show()
    s.type("zebra")
    s.wait(lambda st: s.rows(st) == ["Zebra"], what)
    return extra


def scenario_add_directory_through_the_picker(desk, args, report):
    s = Session(desk, args, "picker").start()
    extra = add_zebra_folder(s, desk, args, "the added folder's program, without a restart")
    check(s.exit() == 0, "exit code not 0")
    settings = json.loads(s.data("Settings.json"))
    check(settings["scan_directory"] == [[windows_path(extra), "3"]], "settings %s" % settings)


SCENARIOS = [
    scenario_start_hidden_and_single_instance,
    scenario_hotkey_geometry_and_toggle,
    scenario_typing_keys_and_hiding,
    scenario_type_ahead,
    scenario_keys_after_the_window_went,
    scenario_hostile_messages,
    scenario_close_during_a_show,
    scenario_refresh_keeps_the_pick,
    scenario_window_thread_answers,
    scenario_first_frame_has_rows,
    scenario_ctrl_shift_enter_starts_elevated,
    scenario_extra_row_from_reading_text,
    scenario_launches_and_counts,
    scenario_keys_for_other_windows,
    scenario_exit_writes_files,
    scenario_log_off_writes_files,
    scenario_messages_from_outside,
    scenario_data_files_held_at_start,
    scenario_screenshot,
    scenario_scanning_and_watching,
    scenario_exit_during_a_large_scan,
    scenario_commands_about_and_exit,
    scenario_autorun,
    scenario_add_directory_through_the_picker,
]


def main():
    parser = argparse.ArgumentParser()
    for name in ("exe", "probe", "marker", "cache", "out", "fixtures"):
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
