#!/usr/bin/env python3
"""Gives a Wine prefix a small Start Menu of Wine's own programs, named in
Chinese as on a Chinese Windows, so that the launcher has something to find.

The shortcuts are written by the shell's own link object (make_lnk.exe) in
the common Start Menu; each folder's Desktop.ini, with the System attribute,
names them from string resources of demo_names.dll (resources/demo_names.rc),
which goes to the prefix's system32 like the modules Windows names its own
shortcuts from. Running it again writes the same files again.

Usage: demo_start_menu.py PREFIX demo_names.dll make_lnk.exe
"""
import os
import shutil
import subprocess
import sys
import tempfile

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
NAMES_MODULE = r"C:\windows\system32\demo_names.dll"
PROGRAMS = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs"

# Folder, shortcut, target, string id in demo_names.rc (None: no Chinese name).
SHORTCUTS = [
    ("Accessories", "Notepad.lnk", r"C:\windows\system32\notepad.exe", 101),
    ("Accessories", "WordPad.lnk", r"C:\Program Files\Windows NT\Accessories\wordpad.exe", 102),
    ("Accessories", "Clock.lnk", r"C:\windows\system32\clock.exe", 103),
    ("System Tools", "Command Prompt.lnk", r"C:\windows\system32\cmd.exe", 104),
    ("System Tools", "Control Panel.lnk", r"C:\windows\system32\control.exe", 105),
    ("System Tools", "Task Manager.lnk", r"C:\windows\system32\taskmgr.exe", 106),
    ("System Tools", "Registry Editor.lnk", r"C:\windows\regedit.exe", 107),
    ("Games", "Minesweeper.lnk", r"C:\windows\system32\winemine.exe", 108),
    ("", "Internet Explorer.lnk", r"C:\Program Files\Internet Explorer\iexplore.exe", None),
]


def unix_path(prefix, windows_path):
    """Where a C: path of the prefix lies on this side."""
    drive, _, rest = windows_path.partition(":\\")
    assert drive.upper() == "C"
    return os.path.join(prefix, "drive_c", *rest.split("\\"))


def z_path(path):
    """A path on this side as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def folder_of(folder):
    return PROGRAMS + ("\\" + folder if folder else "")


def batch(make_lnk):
    """One cmd script that writes every shortcut and marks every Desktop.ini.
    Wine's cmd stops at the first "||", so the results are checked after."""
    lines = ["@echo off"]
    for folder, name, target, _ in SHORTCUTS:
        lines.append('"%s" "%s\\%s" "%s"' % (z_path(make_lnk), folder_of(folder), name, target))
    for folder in sorted({f for f, _, _, string_id in SHORTCUTS if string_id is not None}):
        lines.append('attrib +s "%s\\Desktop.ini"' % folder_of(folder))
    return "\r\n".join(lines) + "\r\n"


def install(prefix, names_dll, make_lnk, run):
    """Writes the Start Menu into `prefix`; `run(args)` runs a Windows
    command there and returns its exit code."""
    missing = [target for _, _, target, _ in SHORTCUTS if not os.path.isfile(unix_path(prefix, target))]
    if missing:
        raise RuntimeError("the prefix lacks Wine's programs: %s" % ", ".join(missing))
    shutil.copyfile(names_dll, unix_path(prefix, NAMES_MODULE))
    inis = {}
    for folder, name, _, string_id in SHORTCUTS:
        os.makedirs(unix_path(prefix, folder_of(folder)), exist_ok=True)
        if string_id is not None:
            inis.setdefault(folder, []).append("%s=@%s,-%d" % (name, NAMES_MODULE, string_id))
    for folder, lines in inis.items():
        path = unix_path(prefix, folder_of(folder) + "\\Desktop.ini")
        if os.path.exists(path):
            os.remove(path)  # a System file from an earlier run
        with open(path, "w", encoding="ascii", newline="\r\n") as f:
            f.write("[LocalizedFileNames]\n" + "\n".join(lines) + "\n")
    with tempfile.TemporaryDirectory(prefix="tolvanir-demo-") as work:
        script = os.path.join(work, "start_menu.cmd")
        with open(script, "w", encoding="ascii", newline="") as f:
            f.write(batch(make_lnk))
        run(["cmd", "/c", z_path(script)])
    missing = [name for folder, name, _, _ in SHORTCUTS
               if not os.path.isfile(unix_path(prefix, folder_of(folder) + "\\" + name))]
    if missing:
        raise RuntimeError("shortcuts not written: %s" % ", ".join(missing))
    for folder in inis:
        path = unix_path(prefix, folder_of(folder) + "\\Desktop.ini")
        try:
            # Wine keeps DOS attributes in this extended attribute.
            attributes = int(os.getxattr(path, "user.DOSATTRIB").split(b"\0")[0], 16)
        except (OSError, ValueError):
            continue  # a file system without it: nothing to check
        if not attributes & 0x4:
            raise RuntimeError("%s is not marked System" % path)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    prefix, names_dll, make_lnk = sys.argv[1:4]
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               DISPLAY="")

    def run(args):
        return subprocess.run([WINE] + args, env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=120).returncode

    install(prefix, names_dll, make_lnk, run)
    subprocess.run([WINESERVER, "-w"], env=env, timeout=120)
    print("demo Start Menu: %d shortcuts in %s" % (len(SHORTCUTS), PROGRAMS))


if __name__ == "__main__":
    main()
