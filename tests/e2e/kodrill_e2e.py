#!/usr/bin/env python3
"""Drives the real kodrill program under its own Xvfb with xdotool, as a user would.

Session 1: the wizard creates a project, a source with an error is typed and saved, assembled
with a stand-in assembler, the error entry is clicked and the selected line replaced, the
project assembles clean, a bookmark is set and the program is closed saving the project.
Session 2: the project is opened again; top line and bookmark are checked by typing at them;
the print preview and both preference dialogs open; the program closes without saving.

Every check reads real outcomes: the files the program wrote, the calls the stand-in saw and the
colour of the error count.
Exit code 77 means skipped. KODRILL_E2E_SCREENSHOTS=<dir> saves screenshots into <dir>.
"""
import argparse
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

SKIP = 77
WAIT = 15.0  # upper bound for any one wait; waits end as soon as their condition holds

CODE = ["; Kodrill e2e", "start: ldaa #1", "bad FEHLER", "bra start"]
FILLER = 70  # empty lines after the code, so that the end of the text scrolls the view


class Failure(Exception):
    pass


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


class Session:
    def __init__(self, args):
        self.args = args
        self.procs = []  # (name, Popen) of everything started here
        self.tmp = tempfile.mkdtemp(prefix="kodrill-e2e-")
        self.env = None
        self.shots = os.environ.get("KODRILL_E2E_SCREENSHOTS", "")

    # ---- processes -------------------------------------------------------------------------
    def start(self, name, argv, **kw):
        p = subprocess.Popen(argv, start_new_session=True, **kw)
        self.procs.append((name, p))
        return p

    def cleanup(self):
        for name, p in reversed(self.procs):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    try:
                        os.killpg(p.pid, signal.SIGKILL)
                    except ProcessLookupError:
                        pass
                    p.wait(timeout=5)
        if os.environ.get("KODRILL_E2E_KEEP"):
            print("kept: " + self.tmp)
        else:
            shutil.rmtree(self.tmp, ignore_errors=True)

    def start_xvfb(self):
        r, w = os.pipe()
        self.start("Xvfb", ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                            "-noreset"], pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        data = b""
        deadline = time.monotonic() + WAIT
        while not data.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(r, 64)
            if not chunk:
                break
            data += chunk
        os.close(r)
        if not data.strip().isdigit():
            raise Failure("Xvfb did not report a display")
        return ":" + data.strip().decode()

    # ---- X helpers ---------------------------------------------------------------------------
    def xdo(self, *args, check=True):
        res = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True, timeout=10)
        if check and res.returncode != 0:
            raise Failure("xdotool %s failed: %s" % (" ".join(map(str, args)), res.stderr.strip()))
        return res.stdout.strip()

    def windows(self, pattern):
        out = self.xdo("search", "--onlyvisible", "--name", pattern, check=False)
        return [w for w in out.split() if w.isdigit()]

    def wait_window(self, pattern, what):
        found = []
        wait_until(lambda: found.extend(self.windows(pattern)) or found, "window " + what)
        return found[0]

    def title(self, wid):
        return self.xdo("getwindowname", wid, check=False)

    def geometry(self, wid):
        out = self.xdo("getwindowgeometry", "--shell", wid)
        g = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def focus(self, wid):
        # No window manager: give the input focus directly.
        self.xdo("windowfocus", wid)
        wait_until(lambda: self.xdo("getwindowfocus", check=False) == wid, "focus on window %s" % wid)

    def key(self, *keys):
        self.xdo("key", "--delay", 40, *keys)

    def type(self, text):
        self.xdo("type", "--delay", 15, text)

    def click(self, x, y):
        self.xdo("mousemove", x, y)
        self.xdo("click", 1)

    def grab(self, path, wid=None):
        full = os.path.join(self.tmp, "root.png")
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", full], check=True,
                       env=self.env, timeout=20, capture_output=True)
        if wid is None:
            shutil.copyfile(full, path)
        else:
            x, y, w, h = self.geometry(wid)
            subprocess.run(["convert", full, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", path], check=True,
                           timeout=20, capture_output=True)

    def shot(self, name, wid=None):
        if self.shots:
            os.makedirs(self.shots, exist_ok=True)
            self.grab(os.path.join(self.shots, name), wid)

    def share(self, x, y, w, h, fx):
        """Share of the pixels in a screen rectangle for which the fx expression holds."""
        full = os.path.join(self.tmp, "probe.png")
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", full], check=True,
                       env=self.env, timeout=20, capture_output=True)
        out = subprocess.run(["convert", full, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-fx", fx,
                              "-format", "%[fx:mean]", "info:"],
                             check=True, timeout=20, capture_output=True, text=True).stdout
        return float(out)

    def dark_share(self, x, y, w, h):
        return self.share(x, y, w, h, "intensity<0.5")

    def black_share(self, x, y, w, h):
        return self.share(x, y, w, h, "intensity<0.3")

    def red_share(self, x, y, w, h):
        return self.share(x, y, w, h, "r>0.6 && g<0.35 && b<0.35")

    def children_of(self, pid):
        kids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/stat" % entry) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                if int(fields[1]) == pid:
                    kids.append(int(entry))
            except (OSError, IndexError, ValueError):
                pass
        return kids


def wait_until(pred, what, timeout=WAIT):
    deadline = time.monotonic() + timeout
    while True:
        result = pred()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.1)


def attempt(action, pred, what, tries=3, timeout=5.0):
    """Runs an idempotent user action until its visible effect shows (a key may be lost while
    a new window takes the focus)."""
    for i in range(tries):
        action()
        try:
            return wait_until(pred, what, timeout)
        except Failure:
            if i == tries - 1:
                raise
            print("again: " + what)


def read_lines(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return None
    return data.decode("latin-1").replace("\r\n", "\n").split("\n")


def read_ini(path):
    sections, current = {}, None
    for line in read_lines(path) or []:
        m = re.match(r"^\[(.*)\]$", line)
        if m:
            current = sections.setdefault(m.group(1), {})
        elif current is not None and "=" in line:
            k, v = line.split("=", 1)
            current[k] = v
    return sections


def check(cond, message):
    if not cond:
        raise Failure(message)


def scenario(s):
    tmp = s.tmp
    app_dir = os.path.join(tmp, "app")
    as_dir = os.path.join(tmp, "as")
    work = os.path.join(tmp, "work")
    home = os.path.join(tmp, "home")
    for d in (app_dir, os.path.join(as_dir, "bin"), os.path.join(as_dir, "include"), work, home,
              os.path.join(tmp, "run")):
        os.makedirs(d, exist_ok=True)
    os.chmod(os.path.join(tmp, "run"), 0o700)
    # Kodrill.ini lies beside the executable: a private copy of the program gets its own.
    for exe in (s.args.kodrill, s.args.kodrill_cmd):
        shutil.copy2(exe, app_dir)
    asl = os.path.join(as_dir, "bin", "asl")
    shutil.copyfile(os.path.join(os.path.dirname(os.path.abspath(__file__)), "asl_standin.sh"), asl)
    os.chmod(asl, os.stat(asl).st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
    with open(os.path.join(app_dir, "Kodrill.ini"), "wb") as f:
        f.write(("[HighLighter]\r\n[Assembler]\r\nAsDirectory=%s/\r\nAsExecutable=bin/asl\r\n"
                 "[General]\r\nProjectDirectory=%s/\r\n" % (as_dir, work)).encode())
    runs = os.path.join(as_dir, "runs.txt")

    display = s.start_xvfb()
    env = {k: v for k, v in os.environ.items() if k not in ("COMSPEC", "SESSION_MANAGER", "WAYLAND_DISPLAY")}
    env.update(DISPLAY=display, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_RUNTIME_DIR=os.path.join(tmp, "run"), QT_QPA_PLATFORM="xcb",
               PATH=os.path.join(as_dir, "bin") + os.pathsep + os.environ.get("PATH", ""))
    s.env = env
    wait_until(lambda: subprocess.run(["xdotool", "getmouselocation"], env=env, capture_output=True).returncode == 0,
               "the X server")
    kodrill = os.path.join(app_dir, os.path.basename(s.args.kodrill))

    def start_app(n, *files):
        log = open(os.path.join(tmp, "kodrill%d.log" % n), "wb")
        p = s.start("kodrill", [kodrill, *files], cwd=tmp, env=env, stdout=log, stderr=subprocess.STDOUT)
        log.close()
        return p

    def wait_exit(p):
        try:
            return p.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            raise Failure("kodrill did not end after Datei -> Beenden")

    asm = os.path.join(work, "Demo.Asm")
    prj = os.path.join(work, "Demo.AsmPrj")

    # ---------------- session 1 ----------------
    app = start_app(1)
    main = s.wait_window(r"^Tallow-Fen Kodrill", "main window")
    s.focus(main)
    s.key("ctrl+n")
    wiz = s.wait_window(r"^FormNewAgent$", "wizard")
    s.focus(wiz)
    wx, wy, ww, wh = s.geometry(wiz)
    # a button's caption turns from grey to black when it is enabled (fixed layout)
    continue_caption = (wx + 265, wy + 270, 70, 14)
    finish_caption = (wx + 350, wy + 270, 75, 14)
    attempt(lambda: s.type("P"), lambda: s.black_share(*continue_caption) > 0.02,
            "'Projekt' chosen by keyboard search")
    attempt(lambda: s.key("alt+w"), lambda: s.black_share(*finish_caption) > 0.02, "the project page")
    s.click(wx + ww // 2, wy + 30)  # the project name field heads the page
    s.key("ctrl+a")
    s.type("Demo")
    s.shot("screen-wizard.png", wiz)
    attempt(lambda: s.key("alt+f"), lambda: s.title(main) == "Kodrill [Demo.AsmPrj]", "the project caption")
    print("wizard: project opened")
    make = read_lines(os.path.join(work, "make.bat"))
    check(make is not None and make[:3] == ["@set USEXMS=y", "@set ASCMD=@Demo.par",
                                            "@%s/bin/asl Demo.asm" % as_dir], "make.bat: %r" % (make,))
    check(read_lines(asm) is not None and os.path.exists(os.path.join(work, "Demo.Par")), "wizard files missing")

    # type the source: code with an error, then empty lines
    x, y, w, h = s.geometry(main)
    s.focus(main)
    s.click(w // 2, h // 2)
    s.key("ctrl+Home")
    for line in CODE:  # xdotool types a newline as a key Qt ignores
        s.type(line)
        s.key("Return")
    s.xdo("key", "--delay", 10, "--repeat", FILLER, "Return")
    s.type("; end")
    s.key("ctrl+s")

    def saved(expect_prefix, min_lines):
        def ok():
            lines = read_lines(asm)
            return lines if lines and lines[:len(expect_prefix)] == expect_prefix and len(lines) >= min_lines \
                else None
        return ok
    lines = wait_until(saved(CODE, len(CODE) + FILLER), "Demo.Asm saved with the typed text")
    check("; end" in lines[-3:], "last typed line missing: %r" % lines[-3:])
    total_lines = len(lines)
    print("typed and saved: %d lines" % total_lines)

    # assemble: the stand-in reports FEHLER on line 3
    s.key("ctrl+F9")
    wait_until(lambda: len(read_lines(runs) or []) >= 2, "the first assembler run")
    run1 = read_lines(runs)[0]
    check(re.fullmatch(r"ARG=Demo\.(asm|Asm) ASCMD=@Demo\.par ERRORS=1", run1), "first run: %r" % run1)
    par = read_lines(os.path.join(work, "Demo.par")) or read_lines(os.path.join(work, "Demo.Par"))
    check(par is not None and par[0] == "-i %s/include" % as_dir and par[1] == "-L -E" and par[2].startswith("-CPU "),
          "option file: %r" % (par,))
    wait_until(lambda: not s.children_of(app.pid), "the end of the assembler run")
    dlg = s.wait_window(r"^Assembliere\.\.\.$", "assemble dialog")
    dx, dy, dw, dh = s.geometry(dlg)
    # "Fehler: N" stands in red once the summary counted an error (fixed layout)
    errors_panel = (dx + 184, dy + 102, 160, 14)
    wait_until(lambda: s.red_share(*errors_panel) > 0.01, "a red error count")
    # the first entry of the error list, below the panels and the tab bar (fixed layout)
    ex, ey = dx + 80, dy + 162
    wait_until(lambda: s.dark_share(dx + 24, ey - 7, 200, 14) > 0.02, "the error entry in the list")
    s.shot("screen-assemble.png", dlg)
    s.click(ex, ey)

    # the clicked entry selected line 3: typing replaces it
    s.focus(main)
    s.shot("screen-main.png")
    s.type("nop")
    s.key("Return")
    s.key("ctrl+s")
    fixed = CODE[:2] + ["nop"] + CODE[3:]
    lines = wait_until(saved(fixed, len(CODE) + FILLER), "the error line replaced after the jump")
    check(len(lines) == total_lines and not any("FEHLER" in l for l in lines), "replaced text: %r" % lines[:6])
    print("jump to the error: line 3 replaced")

    s.key("ctrl+F9")
    wait_until(lambda: len(read_lines(runs) or []) >= 3, "the second assembler run")
    check(read_lines(runs)[1].endswith("ERRORS=0"), "second run: %r" % read_lines(runs)[1])
    wait_until(lambda: not s.children_of(app.pid), "the end of the second run")
    wait_until(lambda: s.red_share(*errors_panel) == 0 and s.dark_share(*errors_panel) > 0.02,
               "the error count back in the text colour")
    check(not os.path.exists(os.path.join(work, "Demo.log")), "log left after a clean run")
    print("second run clean")

    # bookmark 1 on line 2, then the end of the text so that the view scrolls
    s.focus(main)
    s.key("ctrl+Home", "Down", "ctrl+shift+1", "ctrl+End")
    s.key("alt+d", "b")
    box = s.wait_window(r"^Assembler-Editor$", "project question")
    s.focus(box)
    attempt(lambda: s.key("Return"), lambda: app.poll() is not None, "the end after 'Ja'")  # the default
    check(wait_exit(app) == 0, "kodrill exit code")
    ini = read_ini(prj)
    entry = ini.get("File1", {})
    check(entry.get("File") == "Demo.Asm", "project entry: %r" % ini)
    top = int(entry.get("Editor.TopLine", "-1"))
    check(top > len(CODE) + 1, "top line not stored after scrolling: %d" % top)
    check(entry.get("Editor.BookMark[1].Y") == "2", "bookmark 1: %r" % entry)
    print("project saved: top line %d, bookmark 1 on line 2" % top)
    with open(prj, "rb") as f:
        prj_bytes = f.read()

    # ---------------- session 2 ----------------
    app = start_app(2, prj)
    main = wait_until(lambda: [w for w in s.windows(r"^Kodrill \[Demo\.AsmPrj\]$")], "reopened project")[0]
    s.focus(main)
    x, y, w, h = s.geometry(main)
    s.click(w // 2, h // 2)
    s.key("ctrl+Prior", "Home")
    s.type("T")
    s.key("ctrl+End", "ctrl+1")
    s.type("B")
    s.key("ctrl+s")

    def restored():
        lines = read_lines(asm)
        if not lines or len(lines) != total_lines:
            return None
        return lines if lines[top - 1] == "T" and lines[1] == "B" + CODE[1] else None
    wait_until(restored, "typing at the restored top line %d and bookmark line 2" % top)
    print("restored: top line and bookmark")

    s.key("ctrl+p")
    preview = s.wait_window(r"^Print Prewiew$", "print preview")
    s.shot("screen-print-preview.png", preview)
    s.focus(main)
    s.key("alt+e", "g")
    dlg = s.wait_window(r"^Globale Einstellungen$", "global preferences")
    s.shot("screen-global-prefs.png", dlg)
    s.focus(dlg)
    attempt(lambda: s.key("Escape"), lambda: not s.windows(r"^Globale Einstellungen$"),
            "global preferences closed")
    s.focus(main)
    s.key("alt+e", "p")
    dlg = s.wait_window(r"^Projekt Einstellungen$", "project preferences")
    s.shot("screen-project-prefs.png", dlg)
    s.focus(dlg)
    attempt(lambda: s.key("Escape"), lambda: not s.windows(r"^Projekt Einstellungen$"),
            "project preferences closed")

    s.focus(main)
    s.key("alt+d", "b")
    box = s.wait_window(r"^Assembler-Editor$", "project question")
    s.focus(box)
    # "Nein": the project file stays as it was
    attempt(lambda: s.key("alt+n"), lambda: app.poll() is not None, "the end after 'Nein'")
    check(wait_exit(app) == 0, "kodrill exit code")
    with open(prj, "rb") as f:
        check(f.read() == prj_bytes, "project file written although the answer was No")
    print("closed without saving the project")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--kodrill", required=True)
    ap.add_argument("--kodrill-cmd", required=True)
    ap.add_argument("--sanitized", action="store_true")
    ap.add_argument("--artifacts", default="")
    args = ap.parse_args()
    if args.sanitized:
        skip("runs in the normal build only")
    for tool in ("Xvfb", "xdotool", "import", "convert"):
        if not shutil.which(tool):
            skip(tool + " is not installed")
    s = Session(args)
    # A test driver that stops the run with SIGTERM still gets every process cleaned up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        scenario(s)
    except Failure as e:
        print("FAILED: %s" % e)
        if args.artifacts and s.env:
            try:
                os.makedirs(args.artifacts, exist_ok=True)
                path = os.path.join(args.artifacts, "e2e-failure.png")
                s.grab(path)
                print("screen at the failure: " + path)
            except Exception as shot_error:  # the failure itself matters more
                print("no screenshot: %s" % shot_error)
        return 1
    finally:
        s.cleanup()
    print("e2e session passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
