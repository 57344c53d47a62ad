#!/usr/bin/env python3
"""How far TarvekHotKey.exe is from the least a hotkey launcher can be (floor.exe), measured
side by side in one run under Wine, so both see the same machine at the same moment:

  latency   SendInput of Ctrl+Alt+C -> the target running (driver's clock just before
            SendInput vs the target's at the top of its main; both GetSystemTimePreciseAsFileTime)
  start-up  CreateProcess -> the combination is held (driver start --held: WaitForInputIdle,
            then the program answers a message and a trial registration finds it taken; the
            driver makes its own first hotkey call, which connects it to the display, before
            its clock starts)
  hand-over CreateProcess -> the process has its top-level window "Tarvek HotKey", the one a
            second copy looks for (the floor: its own window; driver start --window, told by
            the window manager's events: polling for it would slow down the start it measures)
  memory    committed private bytes after start-up, the tray icon in place (VirtualQueryEx;
            Wine's GetProcessMemoryInfo reports 0); under Wine each thread's stack counts whole,
            and stays counted after the thread has ended, until another one ends
  threads   the process's threads at that moment (no more than the floor's)
  idle CPU  user + kernel time used over a few idle seconds (no timers, no polling: 0)
  to front  a binding whose program runs already, with IfRunning=activate in SaveKey.opt: its
            window minimised, then the hotkey -> that window in front and restored (driver's
            clock at SendInput vs the moment it sees it, polled every millisecond; ours alone).
            SaveKey.opt holds 101 sections throughout, so the latency above is measured with it
  typing    in a start of its own, with a list that also holds a text binding (1,000 letters)
            and a binding with a condition (NotIn=nothing.exe): the text binding's hotkey ->
            its first character, and -> all 1,000, in a text box of target.exe --textbox in
            front; against one SendInput of the same 1,000 letters by the driver (the least
            a program can do). Then hotkey -> target start for the binding with a condition
            (watched by the key hook) against one without, pressed in turn, and a binding on
            the first side button (watched by the mouse hook) clicked over the text box; and
            the delay of a pointer move (driver movedelay: SendInput -> WM_MOUSEMOVE in a
            window of the driver's) with that list against the list before (ours alone)
  abbreviations  the same start with 10,000 abbreviations in SaveKey.abbr: the delay of a key
            press (driver keydelay: SendInput -> WM_KEYDOWN in a window of the driver's) against
            the list before (no key hook); Space after "zq" -> its 100-letter text typed in the
            text box, against one SendInput of the same events by the driver (3 Backspaces,
            101 letters); start-up and memory
            with them against the first starts (2 bindings, no abbreviations)
  editor    F12 in the shown main window -> the hotkey editor visible (driver's clock at
            SendInput vs the moment it sees the window visible, polled every millisecond);
            the first opening makes the window, later ones only show it (ours alone)

    bench/bench.py [--exe TarvekHotKey.exe] [--floor floor.exe] [--presses 10] [--starts 11]

It only prints; it never fails a build. Defaults come from build/mingw.
"""

import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import winebox  # noqa: E402
from winebox import PROGRAM_DIR, Box, Program, combo, wait_for  # noqa: E402

EDITOR = "添加热键"
BINDING = ("Ctrl + Alt", "C", "基准", PROGRAM_DIR + r"\target.exe")
LOG = PROGRAM_DIR + r"\launches.txt"
FRONT = ("Ctrl + Alt", "F", "前台", PROGRAM_DIR + r"\target.exe --window")
FRONT_TITLE = "Tarvek Target"
TYPED = 1000
TYPE = ("Ctrl + Alt", "T", "输入", "输入文本")
COND = ("Ctrl + Alt", "D", "条件", PROGRAM_DIR + r"\target.exe")
SIDE = ("无", "鼠标侧键1", "侧键", PROGRAM_DIR + r"\target.exe")
MOVES = 200
TEXT_BOX = "Tarvek Text Box target.exe"
ABBREVIATIONS = 10_000
EXPANDED = 100  # the characters of the benchmark's abbreviation's text
KEYS = 300      # key presses whose delay's median is taken


def abbreviation_file():
    """SaveKey.abbr with 10,000 entries: "zq" for 100 letters, and 9,999 others of every length."""
    sections = [f"[zq]\r\nText={'b' * EXPANDED}\r\n"]
    sections += [f"[a{n:x}{'x' * (n % 20)}]\r\nText=第 {n} 条缩写的替换文字\r\nInWord={n % 2}\r\n"
                 for n in range(1, ABBREVIATIONS)]
    return b"\xef\xbb\xbf" + "".join(sections).encode()


def options_file():
    """SaveKey.opt with 101 sections: the two bindings' and 99 of combinations not bound."""
    combos = [f"{mods} | {chr(ord('A') + k)}" for mods in ("Ctrl + Shift", "Alt + Shift", "Ctrl + Win", "Alt + Win")
              for k in range(26)][:99]
    body = "Arguments=--unused\r\nStartIn=C:\\\r\nWindow=maximized\r\nRunAs=normal\r\nIfRunning=toggle\r\nEnabled=1\r\n"
    sections = ["[Ctrl + Alt | C]\r\nIfRunning=start\r\n", "[Ctrl + Alt | F]\r\nIfRunning=activate\r\n"]
    sections += [f"[{c}]\r\n{body}" for c in combos]
    return b"\xef\xbb\xbf" + "".join(sections).encode()
TICKS_PER_MS = 10_000


class Subject:
    """One launcher in a box of its own, started and stopped through driver.exe."""

    def __init__(self, label, program, args):
        self.label, self.program = label, program
        self.box = Box(args.template, args.display, f"bench-{label}", args.driver, args.target)
        self.box.install(program)
        self.box.write(PROGRAM_DIR + r"\SaveKey.htk",
                       winebox.encode_list([BINDING] if program.is_floor else [BINDING, FRONT]))
        if not program.is_floor:
            self.box.write(PROGRAM_DIR + r"\SaveKey.opt", options_file())
            self.box.set_settings({"FileSave": PROGRAM_DIR + r"\SaveKey.htk", "ShowInfo": "0", "PlaySound": "0"})
        self.pid = None
        self.startups, self.handovers, self.idles, self.latencies = [], [], [], []
        self.editor_first, self.editor_later = [], []
        self.fronts = []
        self.first_char, self.all_chars, self.floor_first, self.floor_all = [], [], [], []
        self.plain, self.conditional, self.mouse = [], [], []
        self.moves_before = self.moves_after = None
        self.keys_before = self.keys_after = None
        self.expansions, self.floor_expansions, self.abbreviation_starts, self.plain_starts = [], [], [], []
        self.abbreviation_memory = self.plain_memory = None

    def driver(self, *args):
        return self.box.driver(*args, cwd=PROGRAM_DIR)

    def start(self, record=True):
        rc, out = self.driver("start", "--window", self.program.instance_title, "--held", combo(BINDING),
                              self.program.installed, *self.program.arguments([BINDING]))
        fields = dict(item.split("=") for item in out.split("\n")[0].split() if "=" in item)
        if "pid" not in fields:
            raise RuntimeError(f"{self.label}: start failed: {out}")
        self.pid = int(fields["pid"])
        if record:
            start, window, idle, held = (int(fields[k]) for k in ("start", "window", "idle", "held"))
            # One entry per start, None where nothing was seen, so that the two subjects' n-th
            # starts stay side by side.
            self.idles.append((idle - start) / TICKS_PER_MS)
            self.handovers.append((window - start) / TICKS_PER_MS if window else None)
            self.startups.append((held - start) / TICKS_PER_MS if held else None)

    def stop(self):
        self.driver("send", self.program.main_title, "WM_QUERYENDSESSION", 0, 0)
        self.driver("send", self.program.main_title, "WM_ENDSESSION", 1, 0)
        if self.driver("waitexit", self.pid, 10000)[0] != 0:
            self.driver("kill", self.pid)
            self.driver("waitexit", self.pid, 10000)
        self.pid = None

    def cpu_ms(self):
        """(Windows view, Linux view) of the CPU time used so far, in ms. Wine's
        GetProcessTimes counts in 10 ms steps and only over live threads; the kernel's
        per-thread schedstat is exact to the nanosecond."""
        rc, out = self.driver("cputime", self.pid)
        windows = int(out) / TICKS_PER_MS if rc == 0 else float("nan")
        linux = float("nan")
        upid = self.box.unix_pid(self.program.installed)
        if upid:
            try:
                tasks = Path(f"/proc/{upid}/task").iterdir()
                linux = sum(int((t / "schedstat").read_text().split()[0]) for t in tasks) / 1e6
            except OSError:
                pass
        return windows, linux

    def thread_count(self):
        rc, out = self.driver("threadnames", self.program.main_title)
        return len(out.splitlines()) if rc == 0 else None

    def memory_mb(self):
        rc, out = self.driver("meminfo", self.pid)
        return int(out) / 2**20 if rc == 0 else float("nan")

    def press(self, binding=BINDING, into=None):
        before = len(self.box.launches(LOG))
        rc, out = self.driver("keys", combo(binding))
        if rc != 0 and not out:  # the driver did not get as far as sending: once more
            rc, out = self.driver("keys", combo(binding))
        if rc != 0:
            raise RuntimeError(f"{self.label}: SendInput failed: {out}")
        sent = int(out.split()[0])
        launches = wait_for(lambda: self.box.launches(LOG)[before:], 5, interval=0.01)
        (self.latencies if into is None else into).append(
            (launches[0].time - sent) / TICKS_PER_MS if launches else None)
        time.sleep(0.2)  # let the target end before the next press

    def move_delay(self):
        rc, out = self.driver("movedelay", MOVES)
        return int(out.split()[0]) / 1000 if rc == 0 else None

    def key_delay(self):
        rc, out = self.driver("keydelay", KEYS)
        return int(out.split()[0]) / 1000 if rc == 0 else None

    def click(self, into):
        """The binding's mouse trigger over the text box, as press() does a key."""
        before = len(self.box.launches(LOG))
        rc, out = self.driver("mouse", TEXT_BOX, 60, 60, "x1")  # the only mouse binding: SIDE
        if rc != 0:
            into.append(None)
            return
        sent = int(out.split()[0])
        launches = wait_for(lambda: self.box.launches(LOG)[before:], 5, interval=0.01)
        into.append((launches[0].time - sent) / TICKS_PER_MS if launches else None)
        time.sleep(0.2)

    def typing_and_conditions(self, times):
        """A fresh start with a text binding, a binding with a condition and a mouse binding
        beside BINDING."""
        self.moves_before = self.move_delay()
        self.keys_before = self.key_delay()
        self.stop()
        self.box.write(PROGRAM_DIR + r"\SaveKey.htk", winebox.encode_list([BINDING, TYPE, COND, SIDE]))
        self.box.write(PROGRAM_DIR + r"\SaveKey.opt", b"\xef\xbb\xbf" + (
            f"[Ctrl + Alt | T]\r\nText={'a' * TYPED}\r\n[Ctrl + Alt | D]\r\nNotIn=nothing.exe\r\n").encode())
        table = abbreviation_file()
        # Start-up and memory with the abbreviations and without (an empty file), in turn.
        # The last start, with them, goes on to the measurements below.
        memory = {}
        for i in range(times + 1):
            for into, content in ((self.plain_starts, b""), (self.abbreviation_starts, table)):
                self.box.write(PROGRAM_DIR + r"\SaveKey.abbr", content)
                self.start(record=True)
                into.append(self.startups.pop())
                self.handovers.pop()
                self.idles.pop()
                if i == times:
                    time.sleep(1.0)
                    memory[len(content)] = self.memory_mb()
                if not content or i < times:
                    self.stop()
        self.plain_memory, self.abbreviation_memory = memory[0], memory[len(table)]
        self.box.spawn(PROGRAM_DIR + r"\target.exe", "--textbox")
        if not wait_for(lambda: self.driver("focus", TEXT_BOX)[1].strip() == "100", 10):
            raise RuntimeError("the text box did not come up")

        def until_text(keys, first, done):
            rc, out = self.driver("keysuntiltext", keys, TEXT_BOX, 100, TYPED, 20000)
            times_seen = [int(v) for v in out.split()[:3]] if rc == 0 else []
            first.append((times_seen[1] - times_seen[0]) / TICKS_PER_MS if len(times_seen) == 3 else None)
            done.append((times_seen[2] - times_seen[0]) / TICKS_PER_MS if len(times_seen) == 3 else None)

        for _ in range(times):
            until_text(combo(TYPE), self.first_char, self.all_chars)
            until_text(f"type:{TYPED}", self.floor_first, self.floor_all)
        for _ in range(times):
            self.press(BINDING, self.plain)
            self.press(COND, self.conditional)
            self.click(self.mouse)
        # An empty box: Wine's text box takes a Backspace the slower the more text it holds.
        self.driver("keys", "ctrl+a")
        self.driver("keys", "backspace")
        for _ in range(times):
            # "zq" typed key by key, then Space: from Space to the box grown by the text and the
            # space, less the two letters (the text box's length passes through nothing larger).
            self.driver("vktype", " zq")
            rc, out = self.driver("keysuntiltext", "space", TEXT_BOX, 100, EXPANDED - 1, 20000)
            seen = [int(v) for v in out.split()[:3]] if rc == 0 else []
            self.expansions.append((seen[2] - seen[0]) / TICKS_PER_MS if len(seen) == 3 else None)
            # The same events in one SendInput: three Backspaces, then 101 letters (after End,
            # or the first Backspace would undo the expansion).
            self.driver("keys", "end")
            rc, out = self.driver("keysuntiltext", f"type:{EXPANDED + 1}:3", TEXT_BOX, 100, EXPANDED - 2, 20000)
            seen = [int(v) for v in out.split()[:3]] if rc == 0 else []
            self.floor_expansions.append((seen[2] - seen[0]) / TICKS_PER_MS if len(seen) == 3 else None)
        self.moves_after = self.move_delay()
        self.keys_after = self.key_delay()

    def bring_to_front(self, times):
        """The FRONT binding's program started once, then minimised and brought back `times`
        times. Nothing is measured when the press starts a copy each time (no options read)."""
        self.driver("keys", combo(FRONT))
        if not wait_for(lambda: len(self.driver("titledwindows", FRONT_TITLE)[1].splitlines()) == 1, 5):
            return
        for _ in range(times):
            self.driver("showwindow", FRONT_TITLE, 6)  # SW_MINIMIZE
            rc, out = self.driver("keysuntilfront", combo(FRONT), FRONT_TITLE, 5000)
            if rc == 0:
                sent, front = (int(v) for v in out.split()[:2])
                self.fronts.append((front - sent) / TICKS_PER_MS)
        if len(self.driver("titledwindows", FRONT_TITLE)[1].splitlines()) > 1:
            self.fronts = []  # each press started a copy: the options were not in effect

    def open_editor(self, times):
        """F12 in the main window until the editor shows, then 取消 to hide it, `times` times."""
        self.driver("keys", "win+space")
        if not wait_for(lambda: self.driver("visible", self.program.main_title)[0] == 0, 5):
            raise RuntimeError(f"{self.label}: Win + Space did not show the main window")
        for i in range(times):
            rc, out = self.driver("keysuntilshown", "f12", EDITOR, 5000)
            if rc != 0:
                raise RuntimeError(f"{self.label}: F12 did not show the editor: {out}")
            sent, shown = (int(v) for v in out.split()[:2])
            (self.editor_later if i else self.editor_first).append((shown - sent) / TICKS_PER_MS)
            self.driver("control", EDITOR, 2, "BM_CLICK")  # 取消 &C
            if not wait_for(lambda: self.driver("visible", EDITOR)[0] != 0, 5):
                raise RuntimeError(f"{self.label}: 取消 did not hide the editor")


W = 40  # width of the first column


def ratio_line(name, ours_values, floor_values, limit=None, counted="", unit=" ms"):
    """The medians of both, and the median of the ratios of measurements taken side by side
    (the n-th of ours against the n-th of the floor): a slow stretch of the machine then makes
    one odd pair, where it would move one median and not the other."""
    ours, floor = median(ours_values), median(floor_values)
    ratios = [a / b for a, b in zip(ours_values, floor_values) if a is not None and b]
    if counted:
        name = f"{name} ({len(measured(ours_values))}/{len(measured(floor_values))} {counted})"
    if not ratios:
        return f"{name:<{W}}{'n/a':>12}{'n/a':>12}"
    ratio = statistics.median(ratios)
    line = f"{name:<{W}}{ours:>9.1f}{unit}{floor:>9.1f}{unit}{ratio:>9.2f}x"
    if limit is not None:
        line += f"{'≤ ' + format(limit, '.1f') + 'x':>10}  {'ok' if ratio <= limit else 'over'}"
    return line


def measured(values):
    return [v for v in values if v is not None]


def median(values):
    values = measured(values)
    return statistics.median(values) if values else float("nan")


def report(ours, floor, idle_seconds):
    print()
    print(f"{'medians':<{W}}{ours.label:>12}{floor.label:>12}{'ratio':>10}{'target':>10}")
    print(ratio_line("hotkey -> target start", ours.latencies, floor.latencies, 1.1, "presses"))
    print(ratio_line("start -> hotkey held", ours.startups, floor.startups, 1.3, "starts"))
    print(ratio_line("start -> hand-over window", ours.handovers, floor.handovers, 1.5, "starts"))
    print(ratio_line("  start -> input idle (reference only)", ours.idles, floor.idles))
    diff = ours.memory - floor.memory
    print(f"{'committed private memory':<{W}}{ours.memory:>9.2f} MB{floor.memory:>9.2f} MB"
          f"{diff:>+8.2f} MB{'≤ +1 MB':>10}  {'ok' if diff <= 1.0 else 'over'}")
    print(f"{'threads once started':<{W}}{ours.threads!s:>12}{floor.threads!s:>12}{'':>10}{'≤ floor':>10}  "
          f"{'ok' if ours.threads is not None and floor.threads is not None and ours.threads <= floor.threads else 'over'}")
    busy = ours.idle_cpu[1]
    front = (f"{median(ours.fronts):>9.1f} ms" if ours.fronts
             else "   not measured (SaveKey.opt not read: each press started a copy)")
    print(f"{f'hotkey -> running window in front ({len(ours.fronts)})':<{W}}{front}")
    if ours.editor_first:
        print(f"{f'F12 -> editor shown, first ({len(ours.editor_first)})':<{W}}{median(ours.editor_first):>9.1f} ms")
        print(f"{f'F12 -> editor shown, later ({len(ours.editor_later)})':<{W}}{median(ours.editor_later):>9.1f} ms")
    print(f"{f'CPU used while idle for {idle_seconds:g} s':<{W}}{busy:>9.1f} ms{floor.idle_cpu[1]:>9.1f} ms"
          f"{'':>10}{'0 ms':>10}  {'ok' if busy < 0.5 else 'over'}")
    print(f"{'  same by GetProcessTimes (reference only)':<{W}}{ours.idle_cpu[0]:>9.1f} ms{floor.idle_cpu[0]:>9.1f} ms")
    print()
    if ours.first_char:
        print("typing, against one SendInput of the same letters by the driver:")
        print(ratio_line("  hotkey -> first typed character", ours.first_char, ours.floor_first, None, "texts"))
        print(ratio_line(f"  hotkey -> {TYPED:,} characters typed", ours.all_chars, ours.floor_all, None, "texts"))
        print(ratio_line("hotkey -> start, with a condition vs without", ours.conditional, ours.plain, 1.1,
                         "presses"))
        print(ratio_line("side button -> start vs hotkey -> start", ours.mouse, ours.plain, 1.1, "presses"))
        print(ratio_line(f"pointer move, mouse hook vs none (median of {MOVES})", [ours.moves_after],
                         [ours.moves_before]))
        print(f"abbreviations ({ABBREVIATIONS:,}), against the same without them:")
        delay = (ours.keys_after - ours.keys_before
                 if ours.keys_after is not None and ours.keys_before is not None else float("nan"))
        print(f"{f'  key press delay (median of {KEYS})':<{W}}{ours.keys_after or float('nan'):>9.2f} ms"
              f"{ours.keys_before or float('nan'):>9.2f} ms{delay:>+8.2f} ms{'≤ +1 ms':>10}  "
              f"{'ok' if delay <= 1.0 else 'over'}")
        print(ratio_line(f"  Space -> {EXPANDED}-character text typed", ours.expansions, ours.floor_expansions, 1.2,
                         "texts"))
        grown = median(ours.abbreviation_starts) - median(ours.plain_starts)
        print(f"{'  start -> hotkey held':<{W}}{median(ours.abbreviation_starts):>9.1f} ms"
              f"{median(ours.plain_starts):>9.1f} ms{grown:>+8.1f} ms{'≤ +100 ms':>10}  {'ok' if grown <= 100 else 'over'}")
        more = (ours.abbreviation_memory or float("nan")) - (ours.plain_memory or float("nan"))
        print(f"{'  committed private memory':<{W}}{ours.abbreviation_memory or float('nan'):>9.2f} MB"
              f"{ours.plain_memory or float('nan'):>9.2f} MB{more:>+8.2f} MB{'≤ +3 MB':>10}  "
              f"{'ok' if more <= 3 else 'over'}")
    print("Each ratio is the median of side-by-side pairs. Within ±10% they are noise; other load on")
    print("the machine (a parallel ctest, say) shows up as larger ones, so run it alone, or more than")
    print("once. Start-up ends when the process answers messages and its combination is taken; Wine")
    print("may report input-idle earlier, at the first message peek.")
    print("Idle CPU comes from the kernel's per-thread schedstat of the Wine process ('ok' below 0.5 ms);")
    print("Wine's GetProcessTimes counts in 10 ms steps over live threads only and can even go backwards.")


def main():
    build = winebox.REPO / "build" / "mingw"
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", type=Path, default=build / "TarvekHotKey.exe")
    parser.add_argument("--floor", type=Path, default=build / "bench" / "floor.exe")
    parser.add_argument("--driver", type=Path, default=build / "tests" / "e2e" / "driver.exe")
    parser.add_argument("--target", type=Path, default=build / "tests" / "e2e" / "target.exe")
    parser.add_argument("--template", type=Path, default=build / "wine-template")
    parser.add_argument("--presses", type=int, default=10)
    # Starts vary most with the machine's other load: enough of them for the medians to settle.
    parser.add_argument("--starts", type=int, default=11)
    parser.add_argument("--editor", type=int, default=10, help="editor openings in the last start")
    parser.add_argument("--idle", type=float, default=3.0, help="seconds of idle CPU measurement")
    args = parser.parse_args()
    for path in (args.exe, args.floor, args.driver, args.target):
        if not path.exists():
            print(f"bench: {path} is missing; build first (cmake --build --preset mingw)")
            return 0

    began = time.monotonic()
    args.display = winebox.Display()
    subjects = []
    try:
        winebox.ensure_template(args.template, args.display)
        subjects.append(Subject("TarvekHotKey", Program(args.exe.resolve()), args))
        subjects.append(Subject("floor", Program(args.floor.resolve()), args))
        print(f"bench: {args.exe.name} vs {args.floor.name} under Wine on {args.display.name}")
        # Alternate the two so that a slow moment of the machine hits both; the first start
        # of each only warms the file cache.
        for i in range(args.starts + 1):
            for s in subjects:
                s.start(record=i > 0)
                s.stop()
        for s in subjects:
            s.start(record=False)
        time.sleep(1.0)  # let both settle after start-up
        for s in subjects:
            s.memory = s.memory_mb()
            s.threads = s.thread_count()
        before = [s.cpu_ms() for s in subjects]
        time.sleep(args.idle)
        for s, (windows, linux) in zip(subjects, before):
            after = s.cpu_ms()
            s.idle_cpu = (after[0] - windows, after[1] - linux)
        for _ in range(args.presses):
            for s in subjects:
                s.press()
        subjects[0].bring_to_front(args.presses)
        # The editor: its first opening in each fresh start, and later ones in the last start.
        ours = subjects[0]
        for i in range(args.starts):
            ours.stop()
            ours.start(record=False)
            ours.open_editor(args.editor if i == args.starts - 1 else 1)
        # Last: until here the list held no binding with a condition, so no key hook ran.
        ours.typing_and_conditions(args.presses)
        report(*subjects, args.idle)
    except (RuntimeError, OSError, subprocess.SubprocessError) as error:
        print(f"bench: stopped: {error}")
    finally:
        for s in subjects:
            s.box.close()
        args.display.close()
    print(f"bench: {time.monotonic() - began:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
