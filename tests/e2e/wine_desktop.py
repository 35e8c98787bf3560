"""A Wine desktop in a virtual X display for end-to-end tests.

Starts Xvfb on a free display and a Wine prefix with a virtual desktop (so
that keys reach a hidden window's hook and hiding is instant) and a font link
for Chinese text. The prefix is made once from a cached template.
"""
import os
import shutil
import subprocess
import tempfile
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
CJK_LINK = "wqy-microhei.ttc,WenQuanYi Micro Hei"
UI_FONTS = ["Tahoma", "Microsoft Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "DejaVu Sans",
            "Segoe UI", "Arial"]


def _registry_file(path, width, height):
    # REGEDIT4 takes hex(7) data as ANSI bytes.
    link = ",".join("%02x" % b for b in CJK_LINK.encode("ascii") + b"\0\0")
    lines = ["REGEDIT4", "",
             r"[HKEY_CURRENT_USER\Software\Wine\Explorer]", '"Desktop"="Default"', "",
             r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]",
             '"Default"="%dx%d"' % (width, height), "",
             r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]"]
    lines += ['"%s"=hex(7):%s' % (font, link) for font in UI_FONTS]
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


class WineDesktop:
    def __init__(self, cache_dir, width=1024, height=768):
        self.width, self.height = width, height
        self.root = tempfile.mkdtemp(prefix="tolvanir-e2e-")
        self.prefix = os.path.join(self.root, "prefix")
        self.display = None
        self.xvfb = None
        self._make_prefix(cache_dir)

    def env(self):
        env = dict(os.environ)
        env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                   DISPLAY=self.display or "")
        # Wine names files in the host's character set; Chinese file names need UTF-8.
        env["LC_ALL"] = os.environ.get("TOLVANIR_E2E_LC_ALL", "C.UTF-8")
        env.pop("LANG", None)
        return env

    def _make_prefix(self, cache_dir):
        template = os.path.join(cache_dir, "wine-e2e-template")
        stamp = os.path.join(template, ".ready")
        if not os.path.exists(stamp):
            shutil.rmtree(template, ignore_errors=True)
            os.makedirs(template)
            env = self.env()
            env.update(WINEPREFIX=template, DISPLAY="")
            subprocess.run([WINE, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300)
            # The prefix must be complete before the settings go in, or its
            # late set-up replaces them.
            subprocess.run([WINESERVER, "-w"], env=env, timeout=300)
            reg = os.path.join(self.root, "desktop.reg")
            _registry_file(reg, self.width, self.height)
            subprocess.run([WINE, "regedit", reg], env=env, timeout=120,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run([WINESERVER, "-w"], env=env, timeout=120)
            with open(os.path.join(template, "user.reg"), encoding="utf-8", errors="replace") as f:
                if "Wine\\\\Explorer\\\\Desktops" not in f.read():
                    raise RuntimeError("the virtual desktop settings did not reach the prefix")
            open(stamp, "w").close()
        subprocess.run(["cp", "-a", template, self.prefix], check=True)

    def start(self):
        for number in range(90, 140):
            if os.path.exists("/tmp/.X11-unix/X%d" % number) or os.path.exists("/tmp/.X%d-lock" % number):
                continue
            self.xvfb = subprocess.Popen(
                ["Xvfb", ":%d" % number, "-screen", "0", "%dx%dx24" % (self.width, self.height),
                 "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.time() + 10
            while time.time() < deadline and not os.path.exists("/tmp/.X11-unix/X%d" % number):
                if self.xvfb.poll() is not None:
                    break
                time.sleep(0.05)
            if self.xvfb.poll() is None and os.path.exists("/tmp/.X11-unix/X%d" % number):
                self.display = ":%d" % number
                # Brings up the server, the services and the virtual desktop
                # before any test counts time.
                subprocess.run([WINE, "wineboot"], env=self.env(), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=120)
                return self
        raise RuntimeError("no free X display for Xvfb")

    def run(self, args, timeout=60, cwd=None):
        # Output goes through files, not pipes: Wine's helper processes
        # inherit the handles and would hold a pipe open long after the
        # program itself has finished.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run([WINE] + args, env=self.env(), stdout=out, stderr=err,
                                  timeout=timeout, cwd=cwd)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(done.args, done.returncode, out.read(), err.read())

    def spawn(self, args, cwd=None, stderr_path=None, debug=None, stdout_path=None):
        env = self.env()
        if debug:
            env["WINEDEBUG"] = debug
        err = open(stderr_path, "wb") if stderr_path else subprocess.DEVNULL
        out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
        try:
            return subprocess.Popen([WINE] + args, env=env, cwd=cwd, stdout=out, stderr=err)
        finally:
            for f in (err, out):
                if f is not subprocess.DEVNULL:
                    f.close()

    def reg_query(self, key, value):
        out = self.run(["reg", "query", key, "/v", value]).stdout.decode("utf-8", "replace")
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) == 3 and parts[0] == value:
                return parts[2].strip()
        return None

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(), check=True, timeout=30)

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       env=self.env(), check=True, timeout=60)

    def kill_wine(self):
        subprocess.run([WINESERVER, "-k"], env=self.env(), timeout=60)
        subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=60)

    def close(self):
        try:
            self.kill_wine()
        finally:
            if self.xvfb is not None:
                self.xvfb.terminate()
                self.xvfb.wait(timeout=10)
            shutil.rmtree(self.root, ignore_errors=True)


def windows_path(unix_path):
    """The path as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")
