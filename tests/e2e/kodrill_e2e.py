#!/usr/bin/env python3
"""Drives the real kodrill program under its own Xvfb with xdotool, as a user would.

Session 1: the wizard creates a project, a source with an error is typed and saved, assembled
with a stand-in assembler, the error entry is clicked and the selected line replaced, the
project assembles clean, a bookmark is set and the program is closed saving the project.
Session 2: the project is opened again from the recent list; top line and bookmark are checked
by typing at them; Ctrl+G goes to a line and column; the file is rewritten outside and the tab
reloads; F8 steps through errors in two files, one not yet open; F12 jumps to a label in the
other file and Alt+Left comes back; the print preview and both preference dialogs open; the
program closes without saving the project.
Sessions 3 and 4: the program is killed while typing; the next start recovers the text.

Every check reads real outcomes: the files the program wrote, the calls the stand-in saw and the
colour of the error count. Where the program works in the background, a wait ends when the
screen changes.
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
START = time.monotonic()
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

    def root(self, name):
        full = os.path.join(self.tmp, name)
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", full], check=True,
                       env=self.env, timeout=20, capture_output=True)
        return full

    def grab(self, path, wid=None):
        full = self.root("root.png")
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
        out = subprocess.run(["convert", self.root("probe.png"), "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                              "-fx", fx, "-format", "%[fx:mean]", "info:"],
                             check=True, timeout=20, capture_output=True, text=True).stdout
        return float(out)

    def dark_share(self, x, y, w, h):
        return self.share(x, y, w, h, "intensity<0.5")

    def black_share(self, x, y, w, h):
        return self.share(x, y, w, h, "intensity<0.3")

    def red_share(self, x, y, w, h):
        return self.share(x, y, w, h, "r>0.6 && g<0.35 && b<0.35")

    def pixels(self, x, y, w, h):
        return subprocess.run(["convert", self.root("probe.png"), "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                               "rgb:-"], check=True, timeout=20, capture_output=True).stdout

    def settled(self, region):
        """The pixels of a screen rectangle once two looks in a row agree."""
        seen = [self.pixels(*region)]
        wait_until(lambda: seen.append(self.pixels(*region)) or seen[-1] == seen[-2], "a still screen")
        return seen[-1]

    def changed(self, region, before, what):
        wait_until(lambda: self.pixels(*region) != before, what)

    def answer(self, pattern, what, key, done=None, shot=None, text=""):
        """Waits for a dialog, types the text and presses a key in it until it is gone (or done holds)."""
        wid = self.wait_window(pattern, what)
        if shot:
            self.shot(shot, wid)
        self.focus(wid)
        if text:
            self.type(text)
        attempt(lambda: self.key(key), done or (lambda: not self.windows(pattern)), what + " answered")

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


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def read_lines(path):
    data = read_bytes(path)
    return None if data is None else data.decode("latin-1").replace("\r\n", "\n").split("\n")


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


def crlf(lines):
    return "".join(line + "\r\n" for line in lines).encode()


def write_lines(path, lines):
    with open(path, "wb") as f:
        f.write(crlf(lines))


def say(message):
    print("%5.1f s  %s" % (time.monotonic() - START, message))


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
    say("wizard: project opened")
    make = read_lines(os.path.join(work, "make.bat"))
    check(make is not None and make[:3] == ["@set USEXMS=y", "@set ASCMD=@Demo.par",
                                            "@%s/bin/asl Demo.Asm" % as_dir], "make.bat: %r" % (make,))
    check(read_lines(asm) is not None and os.path.exists(os.path.join(work, "Demo.par")), "wizard files missing")

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
    say("typed and saved: %d lines" % total_lines)

    def assemble(n, errors):
        """Ctrl+F9 saves everything and runs the stand-in for the n-th time; returns the dialog."""
        s.focus(main)
        s.key("ctrl+F9")
        wait_until(lambda: len(read_lines(runs) or []) > n, "assembler run %d" % n)
        run = read_lines(runs)[n - 1]
        check(run.endswith(" ERRORS=%d" % errors), "run %d: %r" % (n, run))
        wait_until(lambda: not s.children_of(app.pid), "the end of run %d" % n)
        dlg = s.wait_window(r"^Assembliere\.\.\.$", "assemble dialog")
        dx, dy, dw, dh = s.geometry(dlg)
        # "Fehler: N" stands in red once the summary counted an error, else in the text colour (fixed layout)
        panel = (dx + 184, dy + 102, 160, 14)
        if errors:
            wait_until(lambda: s.red_share(*panel) > 0.01, "a red error count")
        else:
            wait_until(lambda: s.red_share(*panel) == 0 and s.dark_share(*panel) > 0.02, "the error count in black")
            check(not os.path.exists(os.path.join(work, "Demo.log")), "log left after a clean run")
        return dlg

    # assemble: the stand-in reports FEHLER on line 3
    dlg = assemble(1, 1)
    run1 = read_lines(runs)[0]
    check(re.fullmatch(r"ARG=Demo\.(asm|Asm) ASCMD=@Demo\.par ERRORS=1", run1), "first run: %r" % run1)
    par = read_lines(os.path.join(work, "Demo.par"))
    check(par is not None and par[0] == "-i %s/include" % as_dir and par[1] == "-L -E" and par[2].startswith("-CPU "),
          "option file: %r" % (par,))
    dx, dy, dw, dh = s.geometry(dlg)
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
    say("jump to the error: line 3 replaced")

    assemble(2, 0)
    say("second run clean")

    # bookmark 1 on line 2, then the end of the text so that the view scrolls
    s.focus(main)
    s.key("ctrl+Home", "Down", "ctrl+shift+1", "ctrl+End")
    s.key("alt+d", "b")
    s.answer(r"^Assembler-Editor$", "project question", "Return", lambda: app.poll() is not None)  # "Ja"
    check(wait_exit(app) == 0, "kodrill exit code")
    ini = read_ini(prj)
    entry = ini.get("File1", {})
    check(entry.get("File") == "Demo.Asm", "project entry: %r" % ini)
    top = int(entry.get("Editor.TopLine", "-1"))
    check(top > len(CODE) + 1, "top line not stored after scrolling: %d" % top)
    check(entry.get("Editor.BookMark[1].Y") == "2", "bookmark 1: %r" % entry)
    say("project saved: top line %d, bookmark 1 on line 2" % top)
    prj_bytes = read_bytes(prj)

    # ---------------- session 2 ----------------
    app = start_app(2)
    main = s.wait_window(r"^Tallow-Fen Kodrill", "main window")
    s.focus(main)
    # the project comes back from the recent list
    attempt(lambda: s.key("Escape", "alt+d", "z", "1"), lambda: s.title(main) == "Kodrill [Demo.AsmPrj]",
            "the project opened from 'Zuletzt geöffnet'")
    say("recent list: project reopened")
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
    lines = wait_until(restored, "typing at the restored top line %d and bookmark line 2" % top)
    say("restored: top line and bookmark")

    # Ctrl+G to line 4, column 2
    s.key("ctrl+g")
    s.answer(r"^Gehe zu Zeile$", "'Gehe zu Zeile'", "Return", text="4:2")
    s.focus(main)
    s.type("G")
    s.key("ctrl+s")
    want = lines[:3] + [lines[3][:1] + "G" + lines[3][1:]] + lines[4:]
    wait_until(lambda: read_lines(asm) == want, "'G' typed at line 4, column 2 after Ctrl+G")
    say("Ctrl+G: line 4, column 2")

    # changed outside while unmodified: the tab reloads keeping the caret, typing lands in the new text
    tabs = (x, y + 52, 500, 26)  # the tab strip under the tool bar (fixed layout)
    text_area = (x + 40, y + 100, 560, 200)  # lines 2 to 14, away from the caret on line 1
    s.key("ctrl+Home", "Right", "Right")
    before = s.settled(text_area)
    outside = ["; changed outside", ' include "Sub.inc"', "start: ldaa #1", " FEHLER eins", " bra start", "; end"]
    write_lines(os.path.join(work, "Sub.inc"), ["; Sub", "sub FEHLER", " bra start"])
    write_lines(asm, outside)
    s.changed(text_area, before, "the reloaded text on the screen")
    s.type("R")
    s.key("ctrl+s")
    outside[0] = outside[0][:2] + "R" + outside[0][2:]
    wait_until(lambda: read_bytes(asm) == crlf(outside), "'R' typed at the kept caret in the reloaded text")
    say("outside change reloaded")

    # F8 through the errors of two files: the first selects line 4 here, the second opens Sub.inc
    assemble(3, 2)
    s.focus(main)
    s.key("F8")
    s.type("nop")
    s.key("Return", "F8")
    s.type("nop")
    s.key("Return")
    assemble(4, 0)
    check(read_lines(asm) == outside[:3] + ["nop"] + outside[4:] + [""], "Demo.Asm after F8: %r" % read_lines(asm))
    sub = os.path.join(work, "Sub.inc")
    check(read_lines(sub) == ["; Sub", "nop", " bra start", ""], "Sub.inc after F8: %r" % read_lines(sub))
    say("F8: errors in two files replaced")

    # F12 on 'start' in Sub.inc jumps to its label in Demo.Asm, Alt+Left comes back
    s.focus(main)
    s.key("End", "Left")
    strip = s.settled(tabs)
    s.key("F12")
    s.changed(tabs, strip, "the tab of the definition")
    s.type("D")
    s.key("ctrl+s", "alt+Left")
    s.type("A")
    s.key("ctrl+s")
    wait_until(lambda: (read_lines(asm) or [""] * 3)[2] == "Dstart: ldaa #1", "'D' typed at the definition")
    wait_until(lambda: (read_lines(sub) or [""] * 3)[2] == " bra starAt", "'A' typed after Alt+Left")
    say("F12 and Alt+Left")

    s.key("ctrl+p")
    preview = s.wait_window(r"^Print Prewiew$", "print preview")
    s.shot("screen-print-preview.png", preview)
    s.focus(main)
    s.key("alt+e", "g")
    s.answer(r"^Globale Einstellungen$", "global preferences", "Escape", shot="screen-global-prefs.png")
    s.focus(main)
    s.key("alt+e", "p")
    s.answer(r"^Projekt Einstellungen$", "project preferences", "Escape", shot="screen-project-prefs.png")
    s.focus(main)
    s.key("alt+d", "b")
    # "Nein": the project file stays as it was
    s.answer(r"^Assembler-Editor$", "project question", "alt+n", lambda: app.poll() is not None)
    check(wait_exit(app) == 0, "kodrill exit code")
    check(read_bytes(prj) == prj_bytes, "project file written although the answer was No")
    say("closed without saving the project")

    # ---------------- sessions 3 and 4: killed while typing, recovered ----------------
    text = read_bytes(asm)
    app = start_app(3, asm)
    main = s.wait_window(r"^Tallow-Fen Kodrill", "main window")
    s.focus(main)
    s.key("ctrl+Home")
    s.type("K1")
    time.sleep(2.5)  # typed more than 2 s before the kill
    s.type("K2")
    app.send_signal(signal.SIGKILL)
    app.wait(timeout=WAIT)
    app = start_app(4)
    s.answer(r"^Assembler-Editor$", "recovery question", "Return")  # "Wiederherstellen"
    main = s.wait_window(r"^Tallow-Fen Kodrill", "main window")
    s.focus(main)
    s.key("ctrl+s")
    wait_until(lambda: read_bytes(asm) in (b"K1" + text, b"K1K2" + text), "the recovered text saved")
    s.key("alt+d", "b")
    check(wait_exit(app) == 0, "kodrill exit code")
    left = [f for _, _, fs in os.walk(os.path.join(app_dir, "Kodrill-Wiederherstellung")) for f in fs
            if f.endswith(".journal")]
    check(not left, "journal left after a save and a normal end: %r" % left)
    say("killed program's text recovered")


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
