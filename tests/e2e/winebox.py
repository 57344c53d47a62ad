"""Wine prefixes for driving TarvekHotKey.exe from outside; shared by the end-to-end tests
and the benchmark.

A `Display` is one Xvfb of our own for a whole run. A `Box` is one throwaway prefix copied
from the booted template (well under a second, where booting takes ~15 s), with the program,
driver.exe and target.exe installed. Hotkeys and SendInput only work between programs of one
wineserver, so everything a case does runs inside its box.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
SCRIPTS = REPO / "scripts"
WINE_ENV = {"WINEDEBUG": "-all", "LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8", "WINEARCH": "win64",
            # the X resources a desktop session has (see scripts/x-resources)
            "XENVIRONMENT": str(SCRIPTS / "x-resources")}

PROGRAM_DIR = r"C:\TarvekHotKey"
TOOLS_DIR = r"C:\e2e-tools"
MODIFIER_FLAGS = {"alt": 1, "ctrl": 2, "shift": 4, "win": 8}


def shell(snippet, *args, env=None, timeout=120):
    """Runs `snippet` with scripts/wine-env.sh sourced; returns its stdout."""
    proc = subprocess.run(["bash", "-c", f'source "{SCRIPTS}/wine-env.sh" && {snippet}', "bash", *map(str, args)],
                          env=env, capture_output=True, text=True, timeout=timeout)
    if proc.returncode != 0:
        raise RuntimeError(f"{snippet} failed ({proc.returncode}):\n{proc.stdout}{proc.stderr}")
    return proc.stdout


def wait_for(predicate, timeout, interval=0.05):
    """Polls until predicate() gives something true; returns it, or the last value on timeout."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(interval)


def combo_flags(modifiers):
    """"Ctrl + Alt" -> 3; "无" (none) -> 0."""
    parts = [p.strip().lower() for p in modifiers.split("+")]
    return sum(MODIFIER_FLAGS[p] for p in parts if p in MODIFIER_FLAGS)


def combo(binding):
    """The text driver.exe takes for a binding's combination: "Ctrl + Alt" and "C" -> "Ctrl + Alt+C"."""
    return f"{binding[0]}+{binding[1]}"


def key_code(key):
    """The virtual key of a key name as list files write it: letters, digits, F1..F12, Space."""
    if len(key) == 1 and key.isalnum():
        return ord(key.upper())
    if key.upper().startswith("F") and key[1:].isdigit():
        return 111 + int(key[1:])
    return {"space": 32}[key.lower()]


def encode_list(bindings):
    """A list file's bytes: four CR LF terminated lines per binding, in GBK (code page 936)."""
    lines = [field for binding in bindings for field in binding]
    return "".join(line + "\r\n" for line in lines).encode("gbk")


def encode_reg(key, values):
    """A .reg file (UTF-16 with BOM, as regedit writes it) setting REG_SZ values under key."""
    def quoted(text):
        return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'
    lines = ["Windows Registry Editor Version 5.00", "", f"[{key}]"]
    lines += [f"{quoted(name)}={quoted(value)}" for name, value in values.items()]
    return ("\r\n".join(lines) + "\r\n").encode("utf-16")


@dataclass
class Launch:
    time: int  # FILETIME ticks (100 ns)
    command_line: str
    current_dir: str
    exe: str
    show: int = -1  # STARTUPINFO's wShowWindow; -1 when the launcher set none


def parse_launches(data):
    launches = []
    for line in data.decode("utf-8", "replace").splitlines():
        if line.strip():
            ticks, command_line, current_dir, exe, *show = line.split("\t")
            launches.append(Launch(int(ticks), command_line, current_dir, exe, *map(int, show)))
    return launches


class Display:
    """An Xvfb of our own: no other run's windows, focus changes or screenshots mix in."""

    def __init__(self):
        self.name, pid = shell('tarvek_start_xvfb && echo "$DISPLAY $TARVEK_XVFB_PID"').split()
        self.pid = int(pid)

    def screenshot(self, path):
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-display", self.name, "-window", "root", str(path)],
                       capture_output=True, timeout=30)

    def close(self):
        try:
            os.kill(self.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass


def ensure_template(template, display):
    shell('tarvek_make_template "$1"', template, env={**os.environ, "DISPLAY": display.name}, timeout=600)


@dataclass
class Program:
    """The launcher under test: TarvekHotKey.exe, or floor.exe standing in for it (one
    binding given on its command line, no list file, no second-instance hand-over)."""
    exe: Path

    @property
    def is_floor(self):
        return self.exe.name.lower() == "floor.exe"

    @property
    def instance_title(self):
        return "Tarvek Floor" if self.is_floor else "Tarvek HotKey"

    @property
    def main_title(self):
        return "Tarvek Floor" if self.is_floor else "LumekVorda2009 v1.0 beta"

    @property
    def installed(self):
        return PROGRAM_DIR + "\\" + self.exe.name

    def arguments(self, bindings):
        if not self.is_floor:
            return []
        mods, key, _, target = bindings[0]
        return [str(combo_flags(mods)), str(key_code(key)), target]


class Box:
    """One prefix, its programs, and the diagnostics a failing case prints."""

    def __init__(self, template, display, name, driver, target):
        self.display = display
        self.prefix = Path(tempfile.mkdtemp(prefix=f"tarvek-e2e-{name}-"))
        self.prefix.rmdir()
        shell('tarvek_new_prefix "$1" "$2"', template, self.prefix)
        self.env = {**os.environ, **WINE_ENV, "WINEPREFIX": str(self.prefix), "DISPLAY": display.name}
        self.procs = []
        self.logs = []  # launch logs a report shows
        self.put(driver, TOOLS_DIR + r"\driver.exe")
        self.target = target
        # The first Wine program of a prefix starts the wineserver and the system processes
        # (services, the desktop, ...); they start here, before the case's clock matters, and
        # the server stays up until close() instead of quitting between two calls.
        quiet = {"env": self.env, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL, "timeout": 60}
        subprocess.run(["wineserver", "-p"], **quiet)
        subprocess.run(["wine", TOOLS_DIR + r"\driver.exe", "findwindow", "-"], **quiet)

    def host(self, winpath):
        """C:\\a\\b -> <prefix>/drive_c/a/b (Wine matches case-insensitively; we create as given)."""
        drive, _, rest = winpath.partition(":")
        assert drive.upper() == "C", winpath
        return self.prefix / "drive_c" / Path(*[p for p in rest.split("\\") if p])

    def put(self, src, winpath):
        dest = self.host(winpath)
        dest.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(src, dest)

    def write(self, winpath, data):
        dest = self.host(winpath)
        dest.parent.mkdir(parents=True, exist_ok=True)
        dest.write_bytes(data)

    def install(self, program):
        """The program into C:\\TarvekHotKey with the sounds found beside it, plus target.exe."""
        self.put(program.exe, program.installed)
        for sound in ("hotkey.wav", "mouse.wav"):
            if (program.exe.parent / sound).exists():
                self.put(program.exe.parent / sound, PROGRAM_DIR + "\\" + sound)
        self.put(self.target, PROGRAM_DIR + r"\target.exe")

    def wine(self, *args, timeout=60, cwd="C:\\"):
        """Runs a program to its end. Output goes through files, not pipes: whatever the
        program starts inherits its Unix stdout and stderr, and a pipe would stay open (and
        the read waiting) for as long as that runs."""
        for _ in range(3):
            with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
                proc = subprocess.run(["wine", *args], env=self.env, stdout=out, stderr=err, timeout=timeout,
                                      cwd=self.host(cwd))
                out.seek(0)
                err.seek(0)
                done = subprocess.CompletedProcess(proc.args, proc.returncode, out.read(), err.read())
            # Wine now and then fails to start a process at all ("ShellExecuteEx" and an internal
            # error, in the prefix's language): nothing ran, so it is safe to start it again.
            if b"ShellExecuteEx" not in done.stdout + done.stderr:
                return done
        return done

    def driver(self, *args, timeout=60, cwd="C:\\"):
        """(exit code, stdout) of driver.exe; stderr follows stdout when there is any."""
        proc = self.wine(TOOLS_DIR + r"\driver.exe", *map(str, args), timeout=timeout, cwd=cwd)
        out = proc.stdout.decode("utf-8", "replace").strip()
        if proc.stderr:
            out += "\n[stderr] " + proc.stderr.decode("utf-8", "replace").strip()
        return proc.returncode, out

    def spawn(self, winexe, *args, cwd=PROGRAM_DIR):
        """Starts a program in the background as Explorer would: its folder as current folder."""
        log = open(self.prefix / f"wine-output-{len(self.procs)}.txt", "wb")
        proc = subprocess.Popen(["wine", winexe, *args], env=self.env, cwd=self.host(cwd),
                                stdout=log, stderr=subprocess.STDOUT)
        log.close()
        self.procs.append(proc)
        return proc

    def set_settings(self, values, key=r"HKEY_CURRENT_USER\Software\Tarvek HotKey"):
        self.write(TOOLS_DIR + r"\settings.reg", encode_reg(key, values))
        proc = self.wine("reg", "import", TOOLS_DIR + r"\settings.reg")
        if proc.returncode != 0:
            raise RuntimeError(f"reg import failed: {proc.stdout!r} {proc.stderr!r}")

    def watch(self, winpath):
        """Lists a launch log in the report."""
        if winpath not in self.logs:
            self.logs.append(winpath)

    def launches(self, winpath):
        self.watch(winpath)
        path = self.host(winpath)
        return parse_launches(path.read_bytes()) if path.exists() else []

    def unix_pid(self, winpath):
        """The Linux pid of the program running from winpath in this prefix, or None. Wine
        shows a process's Windows path as its command line."""
        want = f"WINEPREFIX={self.prefix}".encode()
        for proc in Path("/proc").iterdir():
            try:
                if (proc.name.isdigit()
                        and (proc / "cmdline").read_bytes().split(b"\0")[0].decode(errors="replace").lower()
                        == winpath.lower()
                        and want in (proc / "environ").read_bytes().split(b"\0")):
                    return int(proc.name)
            except OSError:
                continue
        return None

    def report(self, screenshot=None):
        """What a failing case prints: launch logs, processes, windows, program output."""
        out = [f"--- prefix {self.prefix}"]
        for log in self.logs:
            path = self.host(log)
            text = path.read_bytes().decode("utf-8", "replace") if path.exists() else "(none)\n"
            out.append(f"--- launch log {log}:\n{text}")
        out.append("--- Windows processes (pid, parent, exe):\n" + self.driver("ps", timeout=20)[1])
        windows = [line for line in self.driver("windows", timeout=20)[1].splitlines()
                   if line.count("\t") == 4 and line.split("\t")[4] and line.split("\t")[3] != "IME"]
        out.append("--- titled top-level windows (hwnd, pid, visible, class, title):\n" + "\n".join(windows))
        for i, proc in enumerate(self.procs):
            state = "running" if proc.poll() is None else f"ended with {proc.returncode}"
            output = (self.prefix / f"wine-output-{i}.txt").read_bytes().decode("utf-8", "replace")
            out.append(f"--- program {i} (host pid {proc.pid}) {state}; output:\n{output[-2000:]}")
        if screenshot:
            self.display.screenshot(screenshot)
            out.append(f"--- screenshot {screenshot}")
        return "\n".join(out)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
        for proc in self.procs:
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        subprocess.run(["wineserver", "-w"], env=self.env, capture_output=True, timeout=30)
        shutil.rmtree(self.prefix, ignore_errors=True)


def add_abbreviation(box, abbreviation, lines, immediate=False, in_word=False, scope=0, programs=""):
    """添加 in the open dialog "缩写替换": the boxes of "添加缩写" filled in as a user does, 确定."""
    edit = "TarvekHotKeyAbbreviation|添加缩写"
    box.driver("control", "缩写替换", 501, "BM_CLICK")
    if not wait_for(lambda: box.driver("focus", edit)[1].strip() == "401", 5):
        raise RuntimeError("添加 did not open 添加缩写")
    box.driver("type", abbreviation)
    # The box may have the focus a moment before its dialog is the window in front, and the
    # letters then go to the window before it: once more, if none arrived.
    if not wait_for(lambda: box.driver("text", edit, 401)[1] == abbreviation, 2):
        box.driver("type", abbreviation)
    box.driver("keys", "tab")
    for i, line in enumerate(lines):
        if i > 0:
            box.driver("keys", "enter")  # a new line in the text, not 确定
        box.driver("type", line)
    for ticked, check in ((immediate, 404), (in_word, 405)):
        if ticked:
            box.driver("control", edit, check, "BM_CLICK")
    if scope:
        box.driver("select", edit, 407, scope)
        box.driver("clickcontrol", edit, 408)
        wait_for(lambda: box.driver("focus", edit)[1].strip() == "408", 5)
        box.driver("type", programs)
    time.sleep(0.3)
    box.driver("control", edit, 1, "BM_CLICK")
    if not wait_for(lambda: box.driver("visible", edit)[0] != 0, 5):
        raise RuntimeError(f"添加缩写 stayed open for {abbreviation!r}")
