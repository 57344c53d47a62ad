#!/usr/bin/env python3
"""End-to-end tests: the real TarvekHotKey.exe under Wine, driven from outside with real
SendInput key presses and real window messages, each case in a fresh prefix.

    tests/e2e/run_e2e.py [--exe TarvekHotKey.exe] [--driver driver.exe] [--target target.exe]
                         [--template DIR] [--artifacts DIR] [unittest arguments, e.g. -k second]

Without arguments it takes everything from build/mingw. Given floor.exe as --exe it runs the
cases that a one-binding launcher can pass. A failing case prints the launch logs, the
Windows process and window lists and the program's output, and saves a screenshot.
"""

import argparse
import functools
import re
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import winebox  # noqa: E402
from winebox import PROGRAM_DIR, TOOLS_DIR, Box, Program, combo, wait_for  # noqa: E402

CONFIG = {}  # filled by main(): program, driver, target, template, artifacts, display

CALCULATOR = ("Ctrl + Alt", "C", "我的计算器", PROGRAM_DIR + r"\target.exe")
LOG = PROGRAM_DIR + r"\launches.txt"


class E2ECase(unittest.TestCase):
    """A fresh box per case. A failure anywhere in a case gets the box's report appended:
    the wrapping happens at construction, because unittest looks the method up before setUp."""

    def __init__(self, methodName="runTest"):
        super().__init__(methodName)
        test = getattr(self, methodName)

        @functools.wraps(test)
        def reported():
            try:
                test()
            except (AssertionError, RuntimeError, OSError, subprocess.SubprocessError) as error:
                shot = CONFIG["artifacts"] / f"{self.id().split('.', 1)[1]}.png"
                try:
                    details = self.box.report(shot)
                except (RuntimeError, OSError, subprocess.SubprocessError) as failure:
                    details = f"(no report: {failure!r})"
                report = AssertionError(f"{error}\n{details}")
                raise report.with_traceback(error.__traceback__) from None

        setattr(self, methodName, reported)

    def setUp(self):
        self.program = CONFIG["program"]
        self.box = Box(CONFIG["template"], CONFIG["display"], self._testMethodName[5:20],
                       CONFIG["driver"], CONFIG["target"])
        self.addCleanup(self.box.close)
        self.box.install(self.program)

    def start(self, bindings, settings=None):
        """Writes the list and the settings, starts the program and waits until its start-up is
        done and every binding is registered."""
        list_path = PROGRAM_DIR + r"\SaveKey.htk"
        self.box.write(list_path, winebox.encode_list(bindings))
        if not self.program.is_floor:
            # No start-up hint: it is a modal message box that would sit over every case.
            self.box.set_settings({"FileSave": list_path, "ShowInfo": "0", "PlaySound": "0", **(settings or {})})
        proc = self.box.spawn(self.program.installed, *self.program.arguments(bindings))
        rc, _ = self.box.driver("waitidle", self.program.instance_title, 20000)
        self.assertEqual(rc, 0, f"no window '{self.program.instance_title}' settled within 20 s")
        for binding in bindings:
            self.assertHeld(binding)
        return proc

    def end_session(self):
        """Windows logging off: the question, then (when not refused) the end itself."""
        rc, out = self.box.driver("send", self.program.main_title, "WM_QUERYENDSESSION", 0, 0)
        if rc == 0 and not self.program.is_floor:
            rc, out = self.box.driver("send", self.program.main_title, "WM_ENDSESSION", 1, 0)
        return rc, out

    def assertHeld(self, binding, held=True):
        rc, out = self.box.driver("tryregister", binding[0], binding[1])
        self.assertEqual(rc, 1 if held else 0, f"{combo(binding)}: expected {'held' if held else 'free'}, got {out}")

    def press(self, binding):
        rc, out = self.box.driver("keys", combo(binding))
        if rc != 0 and not out:
            # The driver did not get as far as sending (it prints right after SendInput): seen
            # once in many runs under load, as a start of the tool that failed. Try once more.
            rc, out = self.box.driver("keys", combo(binding))
        self.assertEqual(rc, 0, f"SendInput of {combo(binding)} failed: {out}")

    TRAY = "Wine System Tray"  # the notification area when no desktop provides one

    def click_icon(self, times):
        """Real clicks on our icon, the first in Wine's notification area window."""
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.TRAY)[0] == 0, 10), "no tray icon")
        rc, out = self.box.driver("click", self.TRAY, 10, 10, times)
        self.assertEqual(rc, 0, f"cannot click the icon: {out}")

    def menu_open(self):
        """A pop-up menu is showing: menus are visible top-level windows of class #32768."""
        rows = [line.split("\t") for line in self.box.driver("windows")[1].splitlines()]
        return any(row[2:4] == ["1", "#32768"] for row in rows if len(row) == 5)

    def assertLaunchedOnce(self, log=LOG):
        """Exactly one start recorded: waits for the first, then a while longer for a second."""
        wait_for(lambda: self.box.launches(log), 10)
        time.sleep(1.0)
        launches = self.box.launches(log)
        self.assertEqual(len(launches), 1, f"launches in {log}")
        return launches[0]


class LaunchTests(E2ECase):
    def test_bound_combination_launches_target_once(self):
        self.start([CALCULATOR])
        self.press(CALCULATOR)
        launch = self.assertLaunchedOnce()
        self.assertEqual(launch.exe.lower(), (PROGRAM_DIR + r"\target.exe").lower())

    def test_unbound_combination_launches_nothing(self):
        self.start([CALCULATOR])
        self.press(("Ctrl + Alt", "Q"))
        self.press(("Ctrl + Shift", "C"))  # the bound key under other modifiers
        time.sleep(1.5)
        self.assertEqual(self.box.launches(LOG), [])
        # The same program does react to its own combination, so the silence above means something.
        self.press(CALCULATOR)
        self.assertLaunchedOnce()

    def test_exe_target_in_folder_with_blanks(self):
        # An unquoted command line would start C:\Tarvek.exe with the rest as arguments.
        folder = r"C:\Tarvek Test\a b"
        binding = ("Ctrl + Shift", "F5", "空格路径", folder + r"\TARGET.EXE")
        self.box.put(CONFIG["target"], binding[3])
        self.box.put(CONFIG["target"], r"C:\Tarvek.exe")
        self.box.watch(r"C:\launches.txt")
        self.start([binding])
        self.press(binding)
        launch = self.assertLaunchedOnce(folder + r"\launches.txt")
        self.assertEqual(launch.exe.lower(), binding[3].lower())
        self.assertEqual(launch.current_dir.rstrip("\\").lower(), folder.lower(),
                         "the target must start in its own folder")
        self.assertEqual(self.box.launches(r"C:\launches.txt"), [], "the decoy C:\\Tarvek.exe ran")


class LifecycleTests(E2ECase):
    def test_query_end_session_releases_hotkeys_and_ends(self):
        proc = self.start([CALCULATOR])
        rc, out = self.end_session()
        self.assertEqual(rc, 0, f"WM_QUERYENDSESSION not answered: {out}")
        # Checked before the process is gone: its end would release everything anyway.
        self.assertHeld(CALCULATOR, held=False)
        if not self.program.is_floor:
            self.assertHeld(("Win", "Space"), held=False)
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10),
                        "the program still runs 10 s after WM_QUERYENDSESSION")

    def test_second_start_hands_over_and_exits(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no second-instance hand-over")
        first = self.start([CALCULATOR])
        self.box.driver("showwindow", self.program.main_title, 6)  # SW_MINIMIZE
        self.assertNotEqual(self.box.driver("visible", self.program.main_title)[0], 0, "not minimized")
        second = self.box.spawn(self.program.installed)
        self.assertTrue(wait_for(lambda: second.poll() is not None, 10), "the second copy still runs after 10 s")
        self.assertIsNone(first.poll(), "the first copy ended")
        shown = wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 3)
        self.assertTrue(shown, "the first copy's main window is not shown restored")
        # The first copy's hotkeys are untouched.
        self.assertHeld(CALCULATOR)
        self.press(CALCULATOR)
        self.assertLaunchedOnce()

    # The main window coming and going: the tray icon's clicks, its fixed size, the edge.

    def visible(self):
        return self.box.driver("visible", self.program.main_title)[0] == 0

    def rect(self):
        rc, out = self.box.driver("rect", self.program.main_title)
        self.assertEqual(rc, 0, f"no rectangle: {out}")
        return tuple(int(n) for n in out.split())

    def size(self):
        left, top, right, bottom = self.rect()
        return right - left, bottom - top

    def test_tray_clicks_and_the_fixed_size(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no tray icon")
        self.start([CALCULATOR])
        # The window comes, and no menu does: a menu opened by the first click would take the
        # second one.
        self.click_icon(2)
        self.assertTrue(wait_for(self.visible, 5), "a double click on the icon does not show the window")
        time.sleep(1.0)  # twice the usual double-click time
        self.assertFalse(self.menu_open(), "a double click on the icon opened a menu")

        # Another program's resize is undone; minimising still hides, Win + Space brings it back.
        left, top, right, bottom = self.rect()
        self.assertEqual(self.box.driver("resize", self.program.main_title, 700, 600)[0], 0)
        made = (right - left, bottom - top)
        self.assertTrue(wait_for(lambda: self.size() == made, 5), f"resized to {self.size()}, made {made}")
        self.box.driver("showwindow", self.program.main_title, 6)  # SW_MINIMIZE
        self.assertTrue(wait_for(lambda: not self.visible(), 5), "minimised")
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(self.visible, 5), "Win + Space after minimising")
        self.assertEqual(self.size(), made)

        # A single click opens the hotkey-list menu, once the double-click time is over.
        self.click_icon(1)
        self.assertTrue(wait_for(self.menu_open, 5), "a click on the icon opens no menu")

    def test_a_parked_window_comes_back_when_the_pointer_touches_its_border(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no mouse activation")
        self.start([CALCULATOR], {"ActivateStatus": "1"})
        self.assertTrue(wait_for(self.visible, 5), "mouse mode starts shown")
        width = int(self.box.driver("screen")[1].split()[0])
        self.box.driver("post", self.program.main_title, "WM_CLOSE", 0, 0)  # parks it in mouse mode
        self.assertTrue(wait_for(lambda: self.rect()[0] >= width - 10, 20), f"not parked: {self.rect()}")
        time.sleep(0.5)  # the last steps of the slide, after which it counts as parked
        left, top, right, bottom = self.rect()
        # The strip's outermost column of pixels is the window's border, outside its client area.
        self.box.driver("pointer", left, (top + bottom) // 2)
        self.assertTrue(wait_for(lambda: self.rect()[0] < width - 100, 5),
                        f"the parked window stays at {self.rect()}")
        self.assertLessEqual(self.rect()[2], width, "not fully on the screen")


APPLY = 104  # the main window's button "应用 &Q"
EXIT = 106   # the main window's button "退出"
QUIT = 2004  # the menu item "退出程序(&Q)", also in the tray's menu
SHOW_WINDOW = 2002  # the menu item "显示界面", also in the tray's menu
IDOK, IDCANCEL = 1, 2


OTHER_SETTINGS = 2015  # the menu item "其他设置..."
SETTINGS = "软件设置"
START_WITH_WINDOWS, SAVE_HOTKEY, CANCEL = 104, 115, 2  # controls of the settings dialog
MODIFIER_BOXES, KEY_BOX = (110, 111), 112
MODIFIERS = ["无", "Ctrl", "Alt", "Shift", "Win"]
KEYS = ["Enter", "Space", "Esc", "End", "Tab", "←", "→", "↑", "↓", "~"] + [str(d) for d in range(10)] \
    + [chr(c) for c in range(ord("A"), ord("Z") + 1)] + [f"F{n}" for n in range(1, 13)]


class SettingsTests(E2ECase):
    def open_settings(self):
        self.box.driver("post", self.program.main_title, "WM_COMMAND", OTHER_SETTINGS, 0)
        self.assertEqual(self.box.driver("findwindow", SETTINGS, 10000)[0], 0, "no settings dialog")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", SETTINGS)[0] == 0, 5))

    def run_entry(self):
        out = self.box.wine("reg", "query", r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run",
                            "/v", "HotKey").stdout.decode("utf-8", "replace")
        line = [l for l in out.splitlines() if "HotKey" in l and "REG_SZ" in l]
        return line[0].split("REG_SZ", 1)[1][4:] if line else None

    def test_start_with_windows_and_a_new_activation_hotkey(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no settings")
        self.start([CALCULATOR])
        self.open_settings()

        # Ticking stores the quoted program path at once; unticking leaves one blank.
        self.box.driver("control", SETTINGS, START_WITH_WINDOWS, "BM_CLICK")
        quoted = '"' + PROGRAM_DIR + r'\TarvekHotKey.exe"'
        self.assertTrue(wait_for(lambda: self.run_entry() == quoted, 5), f"Run entry: {self.run_entry()!r}")
        self.box.driver("control", SETTINGS, START_WITH_WINDOWS, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.run_entry() == " ", 5), f"Run entry: {self.run_entry()!r}")

        # Ctrl + Alt + H takes the place of Win + Space.
        for box, name in zip(MODIFIER_BOXES, ("Ctrl", "Alt")):
            self.assertEqual(self.box.driver("select", SETTINGS, box, MODIFIERS.index(name))[0], 0)
        self.assertEqual(self.box.driver("select", SETTINGS, KEY_BOX, KEYS.index("H"))[0], 0)
        self.box.driver("control", SETTINGS, SAVE_HOTKEY, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "win", "space")[0] == 0, 5),
                        "Win + Space is still taken")
        self.assertHeld(("Ctrl + Alt", "H"))
        stored = self.box.wine("reg", "query", r"HKCU\Software\Tarvek HotKey", "/v", "HotKeyName").stdout
        self.assertIn("Ctrl + Alt\tH", stored.decode("utf-8", "replace"))

        self.box.driver("control", SETTINGS, CANCEL, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", SETTINGS)[0] != 0, 5), "Cancel")
        self.assertNotEqual(self.box.driver("visible", self.program.main_title)[0], 0)
        self.press(("Ctrl + Alt", "H"))
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5),
                        "Ctrl + Alt + H does not show the window")
        rows = self.box.driver("listview", self.program.main_title)[1].splitlines()
        self.assertEqual(rows[0].split("\t")[:4], ["Ctrl + Alt", "H", "显示本软件", "无"])


    def test_ending_while_the_settings_dialog_is_open(self):
        """A log-off, and 退出程序(&Q) answered with OK, while 软件设置 is open: the dialog's
        loop ends first, then the program ends cleanly with every binding free."""
        if self.program.is_floor:
            self.skipTest("floor.exe has no settings")
        proc = self.start([CALCULATOR])
        self.open_settings()
        rc, out = self.end_session()
        self.assertEqual(rc, 0, f"WM_QUERYENDSESSION not answered: {out}")
        self.assertHeld(CALCULATOR, held=False)
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "still running after the log-off")
        self.assertEqual(proc.returncode, 0, "the program did not end cleanly")

        proc = self.start([CALCULATOR])
        self.open_settings()
        self.box.driver("post", self.program.main_title, "WM_COMMAND", QUIT, 0)
        self.assertEqual(self.box.driver("findwindow", "退出？", 10000)[0], 0, "no exit question")
        self.box.driver("post", "退出？", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "still running after 退出程序")
        self.assertEqual(proc.returncode, 0, "the program did not end cleanly")
        self.assertHeld(CALCULATOR, held=False)

    def test_start_with_windows_names_a_renamed_program(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no settings")
        self.box.put(self.program.exe, PROGRAM_DIR + r"\MyKeys.EXE")
        self.box.set_settings({"ShowInfo": "0", "PlaySound": "0"})
        self.box.spawn(PROGRAM_DIR + r"\MyKeys.EXE")
        self.assertEqual(self.box.driver("waitidle", "Tarvek HotKey", 20000)[0], 0)
        self.open_settings()
        self.box.driver("control", SETTINGS, START_WITH_WINDOWS, "BM_CLICK")
        quoted = '"' + PROGRAM_DIR + r'\MyKeys.exe"'
        self.assertTrue(wait_for(lambda: self.run_entry() == quoted, 5), f"Run entry: {self.run_entry()!r}")


EDITOR = "添加热键"
ADD_COMMAND = 2005  # the menu item "添加热键(&A)", F12
CHANGE_COMMAND = 2006  # the menu item "修改热键(&C)"
DELETE_COMMAND = 2007  # the menu item "删除热键(&D)", Del
E_BOXES, E_KEY, E_TARGET, E_NAME, E_OK, E_APPLY = (103, 104), 105, 108, 110, 112, 115


class EditorTests(E2ECase):
    def visible(self, title):
        return self.box.driver("visible", title)[0] == 0

    def texts(self, title):
        return self.box.driver("texts", title)[1].splitlines()

    def test_a_new_user_adds_a_binding_with_the_editor(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no editor")
        self.start([CALCULATOR])
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")
        self.box.driver("keys", "f12")
        self.assertTrue(wait_for(lambda: self.visible(EDITOR), 5), "F12 did not open the editor")
        # Ctrl pressed in the first box, Alt in the second: each takes it and passes the focus on.
        self.box.driver("keys", "ctrl")
        self.box.driver("keys", "alt")
        self.assertTrue(wait_for(lambda: self.texts(EDITOR)[1:3] == ["Ctrl", "Alt"], 3),
                        f"modifier boxes: {self.texts(EDITOR)[1:3]}")
        self.assertEqual(self.box.driver("select", EDITOR, E_KEY, KEYS.index("Q"))[0], 0)
        self.box.driver("keys", "tab")  # into the target box
        target = PROGRAM_DIR + r"\target.exe"
        self.assertEqual(self.box.driver("type", target)[0], 0)
        self.box.driver("keys", "tab")  # into the name box, which suggests the file's name
        self.assertTrue(wait_for(lambda: "target" in self.texts(EDITOR), 3), f"{self.texts(EDITOR)}")
        self.box.driver("control", EDITOR, E_APPLY, "BM_CLICK")
        binding = ["Ctrl + Alt", "Q", "target", target]
        rows = lambda: [r.split("\t")[:4] for r in self.box.driver("listview", self.program.main_title)[1].splitlines()]
        self.assertTrue(wait_for(lambda: rows()[1:2] == [binding], 3), f"grid after Apply: {rows()}")
        self.box.driver("control", EDITOR, E_OK, "BM_CLICK")
        self.assertTrue(wait_for(lambda: not self.visible(EDITOR), 5), "OK did not close the editor")
        saved = self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes()
        self.assertEqual(saved, winebox.encode_list([tuple(binding), CALCULATOR]))
        self.assertHeld(("Ctrl + Alt", "Q"))
        self.press(("Ctrl + Alt", "Q"))
        self.assertLaunchedOnce()


    def test_changing_a_key_frees_the_old_combination(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no editor")
        self.start([CALCULATOR])
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")
        self.assertEqual(self.box.driver("lvselect", self.program.main_title, 1)[0], 0)
        self.box.driver("post", self.program.main_title, "WM_COMMAND", CHANGE_COMMAND, 0)
        self.assertTrue(wait_for(lambda: self.visible(EDITOR), 5), "修改热键 did not open the editor")
        self.assertEqual(self.texts(EDITOR)[1:3], ["Ctrl", "Alt"])
        self.assertEqual(self.box.driver("select", EDITOR, E_KEY, KEYS.index("K"))[0], 0)
        self.box.driver("control", EDITOR, E_APPLY, "BM_CLICK")
        self.box.driver("control", EDITOR, E_OK, "BM_CLICK")
        self.assertTrue(wait_for(lambda: not self.visible(EDITOR), 5), "OK did not close the editor")
        self.assertHeld(("Ctrl + Alt", "C"), held=False)
        self.assertHeld(("Ctrl + Alt", "K"))
        self.press(("Ctrl + Alt", "K"))
        self.assertLaunchedOnce()

    def test_delete_frees_exactly_the_chosen_bindings(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no grid")
        target = PROGRAM_DIR + r"\target.exe"
        b, c, d = [("Ctrl + Alt", k, "程序" + k, target) for k in ("D", "E", "F")]
        self.start([CALCULATOR, b, c, d])
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")

        def delete(*items):
            rc, out = self.box.driver("lvselect", self.program.main_title, *items)
            self.assertEqual(rc, 0, out)
            self.box.driver("post", self.program.main_title, "WM_COMMAND", DELETE_COMMAND, 0)
            self.assertEqual(self.box.driver("findwindow", "删除热键", 10000)[0], 0, "no question")
            self.box.driver("post", "删除热键", "WM_COMMAND", IDOK, 0)
            self.assertTrue(wait_for(lambda: self.box.driver("findwindow", "删除热键")[0] != 0, 5))

        delete(2)  # the second binding (item 0 is the activation row)
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+alt", "d")[0] == 0, 5))
        for kept in (CALCULATOR, c, d):
            self.assertHeld(kept)
        saved = self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes()
        self.assertEqual(saved, winebox.encode_list([CALCULATOR, c, d]))
        self.assertIn("热键信息(共有3个热键)", self.box.driver("texts", self.program.main_title)[1])

        delete(1, 2, 3)  # the three left, chosen together
        rows = self.box.driver("listview", self.program.main_title)[1].splitlines()
        self.assertEqual(len(rows), 1, f"{rows}")
        for gone in (CALCULATOR, c, d):
            self.assertHeld(gone, held=False)
        self.assertEqual(self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes(), b"")


    def test_two_dropped_files_open_the_editor_twice_first_file_first(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no grid")
        self.start([CALCULATOR])
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")
        first, second = PROGRAM_DIR + r"\hotkey.wav", PROGRAM_DIR + r"\target.exe"
        self.assertEqual(self.box.driver("dropfiles", self.program.main_title, first, second)[0], 0)
        texts = lambda: self.box.driver("texts", EDITOR)[1].splitlines()
        for path in (first, second):  # 取消 on the first editor opens the next one at once
            self.assertTrue(wait_for(lambda: self.visible(EDITOR) and path in texts(), 5),
                            f"the editor for {path}: {texts()}")
            self.box.driver("control", EDITOR, IDCANCEL, "BM_CLICK")
        self.assertTrue(wait_for(lambda: not self.visible(EDITOR), 5), "取消 did not close the editor")
        self.assertFalse(wait_for(lambda: self.visible(EDITOR), 1), "a third editor opened")

    def text(self, control):
        return self.box.driver("text", EDITOR, control)[1].rstrip("\n")

    def open_editor(self):
        """F12 on the main window, until the editor shows with the focus in its first box."""
        self.box.driver("keys", "f12")
        self.assertTrue(wait_for(lambda: self.visible(EDITOR), 5), "F12 did not open the editor")
        focus = lambda: self.box.driver("focus", EDITOR)[1].strip()
        self.assertTrue(wait_for(lambda: focus() == str(E_BOXES[0]), 5), f"focus in {focus()}")

    def test_typing_goes_to_the_box_the_user_chose(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no editor")
        self.start([CALCULATOR])
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")
        self.open_editor()
        for _ in range(4):  # the two modifier boxes, the key box, the target box, the name box
            self.box.driver("keys", "tab")
        self.assertEqual(self.box.driver("type", "abc")[0], 0)
        self.assertTrue(wait_for(lambda: self.text(E_NAME) == "abc", 3), f"name box: {self.text(E_NAME)!r}")
        self.assertEqual(self.text(E_BOXES[0]), "无")
        self.box.driver("keys", "esc")
        self.assertTrue(wait_for(lambda: not self.visible(EDITOR), 5), "Esc did not close the editor")

        self.open_editor()  # the next opening: a click into the target box, then typing
        self.assertEqual(self.box.driver("clickcontrol", EDITOR, E_TARGET)[0], 0)
        self.assertTrue(wait_for(lambda: self.box.driver("focus", EDITOR)[1].strip() != str(E_BOXES[0]), 3))
        self.assertEqual(self.box.driver("type", "notepad")[0], 0)
        self.assertTrue(wait_for(lambda: self.text(E_TARGET) == "notepad", 3), f"target: {self.text(E_TARGET)!r}")
        self.assertEqual([self.text(E_BOXES[0]), self.text(E_NAME)], ["无", "abc"])

    def test_a_binding_beyond_the_101st_is_refused_and_all_101_are_kept(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no editor")
        bindings = many_bindings(101)
        list_path = PROGRAM_DIR + r"\SaveKey.htk"
        # Not self.start: it would try all 101 combinations; the bottom one stands for them.
        self.box.write(list_path, winebox.encode_list(bindings))
        self.box.set_settings({"FileSave": list_path, "ShowInfo": "0", "PlaySound": "0"})
        self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertHeld(bindings[-1])
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")

        self.open_editor()
        self.assertEqual(self.box.driver("select", EDITOR, E_BOXES[0], MODIFIERS.index("Win"))[0], 0)
        self.assertEqual(self.box.driver("select", EDITOR, E_KEY, KEYS.index("Z"))[0], 0)
        self.assertEqual(self.box.driver("clickcontrol", EDITOR, E_TARGET)[0], 0)
        self.assertEqual(self.box.driver("type", PROGRAM_DIR + r"\target.exe")[0], 0)
        self.assertEqual(self.box.driver("clickcontrol", EDITOR, E_NAME)[0], 0)  # suggests "target"
        self.assertTrue(wait_for(lambda: self.text(E_NAME) == "target", 3), f"name: {self.text(E_NAME)!r}")
        self.box.driver("control", EDITOR, E_APPLY, "BM_CLICK")
        rc, _ = self.box.driver("findwindow", "#32770|热键已满", 10000)
        self.assertEqual(rc, 0, "no message about the full list")
        self.assertIn("最多只能有 101 个热键", self.box.driver("texts", "#32770|热键已满")[1])
        self.box.driver("post", "#32770|热键已满", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("findwindow", "#32770|热键已满")[0] != 0, 5))
        self.box.driver("control", EDITOR, IDCANCEL, "BM_CLICK")
        self.assertTrue(wait_for(lambda: not self.visible(EDITOR), 5), "取消 did not close the editor")

        # "应用 &Q" saves the grid as it stands; sent, so that the save is done when it returns.
        self.assertEqual(self.box.driver("send", self.program.main_title, "WM_COMMAND", APPLY, 0)[0], 0)
        self.assertEqual(self.box.host(list_path).read_bytes(), winebox.encode_list(bindings))
        self.assertHeld(bindings[-1])


def many_bindings(n):
    """n bindings of distinct combinations, all to target.exe."""
    keys = [chr(c) for c in range(ord("A"), ord("Z") + 1)] + [str(d) for d in range(10)]
    mods = ["Ctrl + Alt", "Ctrl + Shift", "Alt + Shift"]
    target = PROGRAM_DIR + r"\target.exe"
    return [(mods[i // len(keys)], keys[i % len(keys)], f"程序{i}", target) for i in range(n)]


class HardeningTests(E2ECase):
    """Attempts to break the program: cut-short saves, bursts, many copies, the notification
    area going away, bad settings and bad list files."""

    LIST = PROGRAM_DIR + r"\SaveKey.htk"

    def running(self):
        return [line for line in self.box.driver("ps")[1].splitlines() if line.endswith("TarvekHotKey.exe")]

    def leftovers(self):
        return sorted(p.name for p in self.box.host(PROGRAM_DIR).iterdir() if ".tmp" in p.name)

    def test_killed_while_saving_the_list_is_old_or_new_never_torn(self):
        if self.program.is_floor:
            self.skipTest("floor.exe saves nothing")
        import random
        rng = random.Random(20261207)
        bindings = many_bindings(101)
        self.start(bindings[:1])  # settings and the prefix warmed up
        self.end_session()
        self.box.write(self.LIST, winebox.encode_list(bindings))
        outcomes = {"old": 0, "new": 0}
        for _ in range(100):
            proc = self.box.spawn(self.program.installed)
            rc, pid = self.box.driver("waitidle", self.program.instance_title, 20000)
            if rc != 0 and proc.poll() is None:
                # Once in many runs on a loaded machine the start outlasted the wait; a program
                # that hangs outlasts the second one as well.
                rc, pid = self.box.driver("waitidle", self.program.instance_title, 20000)
            self.assertEqual(rc, 0, "no start")
            self.assertLessEqual(len(self.leftovers()), 0, f"a start left {self.leftovers()}")
            row = rng.randrange(1, len(bindings) + 1)
            # The grid is there to choose from once the window is shown.
            def chosen():  # "显示界面" again until the window is there to take it
                if self.box.driver("visible", self.program.main_title)[0] != 0:
                    self.box.driver("post", self.program.main_title, "WM_COMMAND", SHOW_WINDOW, 0)
                    return False
                return self.box.driver("lvselect", self.program.main_title, row)[0] == 0
            self.assertTrue(wait_for(chosen, 10), f"row {row} not chosen")
            self.box.driver("post", self.program.main_title, "WM_COMMAND", DELETE_COMMAND, 0)
            rc, _ = self.box.driver("answerandkill", "删除热键", IDOK, pid, rng.randrange(0, 400000))
            self.assertEqual(rc, 0, f"no question 删除热键 within 10 s of deleting row {row}")
            self.assertTrue(wait_for(lambda: proc.poll() is not None and not self.running(), 10), "not ended")
            now = self.box.host(self.LIST).read_bytes()
            shorter = bindings[:row - 1] + bindings[row:]
            if now == winebox.encode_list(shorter):
                bindings, outcomes["new"] = shorter, outcomes["new"] + 1
            else:
                self.assertEqual(now, winebox.encode_list(bindings), "the list is neither the old nor the new one")
                outcomes["old"] += 1
        print(f"\n  killed while deleting: {outcomes}", file=sys.stderr)
        self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertEqual(self.leftovers(), [], "temporary files left beside the list")

    def test_a_burst_of_presses_runs_the_target_once_each_and_leaks_nothing(self):
        self.start([CALCULATOR])
        rc, pid = self.box.driver("waitidle", self.program.instance_title, 20000)
        self.press(CALCULATOR)  # every lazily made thing made once before measuring
        self.assertTrue(wait_for(lambda: len(self.box.launches(LOG)) == 1, 10))
        time.sleep(1.0)
        before = (self.box.driver("guicounts", pid)[1], int(self.box.driver("meminfo", pid)[1]))
        presses = 1000
        self.assertEqual(self.box.driver("burst", combo(CALCULATOR), presses)[0], 0)
        self.assertTrue(wait_for(lambda: len(self.box.launches(LOG)) >= presses + 1, 600, interval=1),
                        f"{len(self.box.launches(LOG)) - 1} of {presses} presses ran the target")
        time.sleep(3.0)
        self.assertEqual(len(self.box.launches(LOG)), presses + 1, "a press ran the target twice")
        after = (self.box.driver("guicounts", pid)[1], int(self.box.driver("meminfo", pid)[1]))
        self.assertEqual(after[0], before[0], "GDI and USER objects")
        self.assertLessEqual(after[1] - before[1], 256 * 1024, f"private memory grew from {before[1]} to {after[1]}")

    def test_twenty_copies_started_at_once_leave_one_holding_every_binding(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no single-copy rule")
        bindings = many_bindings(5)
        self.box.write(self.LIST, winebox.encode_list(bindings))
        self.box.set_settings({"FileSave": self.LIST, "ShowInfo": "0", "PlaySound": "0"})
        rc, out = self.box.driver("startmany", 20, self.program.installed, cwd=PROGRAM_DIR)
        self.assertEqual(rc, 0, out)
        self.assertTrue(wait_for(lambda: len(self.running()) == 1, 60, interval=0.5), f"running: {self.running()}")
        time.sleep(2.0)
        self.assertEqual(len(self.running()), 1, f"running: {self.running()}")
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        for binding in bindings + [("Win", "Space")]:
            self.assertHeld(binding)

    def test_the_icon_comes_back_when_the_notification_area_restarts(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no tray icon")
        self.start([CALCULATOR])
        tray = "Wine System Tray"
        self.assertTrue(wait_for(lambda: self.box.driver("visible", tray)[0] == 0, 10), "no icon")
        self.assertEqual(self.box.driver("traydelete", self.program.main_title, 0)[0], 0)
        self.assertTrue(wait_for(lambda: self.box.driver("visible", tray)[0] != 0, 10), "the icon stays")
        self.box.driver("send", self.program.main_title, "TaskbarCreated", 0, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("visible", tray)[0] == 0, 10), "the icon did not come back")

    def test_bad_settings_and_bad_list_files_give_defaults_never_a_crash(self):
        if self.program.is_floor:
            self.skipTest("floor.exe reads no settings")
        huge = "长" * 32768  # 64 KB in UTF-16
        list_path = self.LIST.replace("\\", "\\\\")
        # Numbers and bytes where text belongs, a 64 KB string, characters code page 936 has no
        # form for, a control character.
        reg = "\r\n".join([
            "Windows Registry Editor Version 5.00", "", r"[HKEY_CURRENT_USER\Software\Tarvek HotKey]",
            '"ShowInfo"=dword:00000001', '"ActivateStatus"=hex:01,02,03', '"MouseCtrl"=dword:00000001',
            f'"HotKeyName"="{huge}"', '"ShowIcon"="😀\u0001"', '"PlaySound"=hex(7):41,00,00,00,00,00',
            f'"FileSave"="{list_path}"', ""])
        noise = random_bytes(16 << 20)
        lists = {"NUL bytes": b"Ctrl + Alt\r\nC\0\r\n\0\0\r\nx\0y\r\n" * 3,
                 "lone CRs": b"Ctrl + Alt\rC\rname\r" + PROGRAM_DIR.encode() + b"\\target.exe\r",
                 "16 MB of noise": noise}
        for what, data in lists.items():
            self.box.write(TOOLS_DIR + r"\bad.reg", reg.encode("utf-16"))
            self.assertEqual(self.box.wine("reg", "import", TOOLS_DIR + r"\bad.reg").returncode, 0)
            self.box.write(self.LIST, data)
            proc = self.box.spawn(self.program.installed)
            # Whatever it says on the way (a list it could not take whole, the start-up hint) is a
            # message box; answered, the start goes on.
            started = False
            for _ in range(60):
                for row in [l.split("\t") for l in self.box.driver("windows")[1].splitlines()]:
                    if len(row) == 5 and row[3] == "#32770" and row[2] == "1":
                        self.box.driver("post", row[4], "WM_COMMAND", IDOK, 0)
                if started:
                    break
                started = self.box.driver("waitidle", self.program.instance_title, 500)[0] == 0
            self.assertTrue(started, f"{what}: no start")
            self.assertIsNone(proc.poll(), f"{what}: the program ended")
            self.assertEqual(self.box.driver("send", self.program.main_title, "WM_NULL", 0, 0)[0], 0, f"{what}: no answer")
            self.end_session()
            self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), f"{what}: did not end")
            self.assertEqual(self.box.host(self.LIST).read_bytes(), data, f"{what}: the list file was changed")


HIDE_ICON = 2001  # the menu item "隐藏图标(&H)"


class ReachableTests(E2ECase):
    """The program stays within the user's reach on a real desktop: the activation key taken by
    the system, a second start during a start-up message or next to a look-alike window, a
    log-off that is called off."""

    def running(self):
        return [line for line in self.box.driver("ps")[1].splitlines() if line.endswith("TarvekHotKey.exe")]

    def visible(self, title):
        return self.box.driver("visible", title)[0] == 0

    def test_a_taken_activation_key_shows_the_window_and_says_so(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no activation key")
        # Windows keeps Win + Space for the input methods: here another program holds it.
        self.box.spawn(TOOLS_DIR + r"\driver.exe", "hold", "win", "space", "120000")
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "win", "space")[0] == 1, 10))
        self.start([CALCULATOR], {"ShowInfo": "1"})
        self.assertEqual(self.box.driver("findwindow", "Vorda2009", 10000)[0], 0, "no start-up message")
        said = self.box.driver("texts", "Vorda2009")[1]
        self.assertIn("已被系统或其他程序占用", said)
        self.assertNotIn("请按Win + Space键显示程序", said)
        # The icon is there while the message is, and the window is not hidden.
        self.assertTrue(wait_for(lambda: self.visible(self.TRAY), 5), "no tray icon while the message shows")
        self.box.driver("post", "Vorda2009", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "the window is hidden")
        # Hiding the icon would leave no way back.
        self.box.driver("post", self.program.main_title, "WM_COMMAND", HIDE_ICON, 0)
        self.assertEqual(self.box.driver("findwindow", "隐藏", 10000)[0], 0, "no refusal")
        self.assertIn("无法再显示本程序", self.box.driver("texts", "隐藏")[1])
        self.box.driver("post", "隐藏", "WM_COMMAND", IDOK, 0)
        self.assertTrue(self.visible(self.TRAY), "the icon went")
        self.press(CALCULATOR)
        self.assertLaunchedOnce()

    def test_a_second_start_during_the_load_report_leaves_one_copy(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no second-instance hand-over")
        list_path = PROGRAM_DIR + r"\SaveKey.htk"
        self.box.write(list_path, winebox.encode_list(many_bindings(102)))
        self.box.set_settings({"FileSave": list_path, "ShowInfo": "0", "PlaySound": "0"})
        self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("findwindow", "热键列表", 20000)[0], 0, "no load report")
        second = self.box.spawn(self.program.installed)
        self.assertTrue(wait_for(lambda: second.poll() is not None, 15), "the second copy still runs")
        self.assertEqual(len(self.running()), 1, f"running: {self.running()}")
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5),
                        "the running copy did not come forward")
        self.assertEqual(self.box.driver("findwindow", "热键列表")[0], 0, "the report went")

    def test_a_look_alike_window_does_not_catch_the_hand_over(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no second-instance hand-over")
        first = self.start([CALCULATOR])
        self.assertFalse(self.visible(self.program.main_title))
        # A folder window named like the program, which does not even answer.
        self.box.spawn(TOOLS_DIR + r"\driver.exe", "lookalike", "Tarvek HotKey", "60000", "1")
        self.assertEqual(self.box.driver("findwindow", "CabinetWClass|Tarvek HotKey", 10000)[0], 0)
        second = self.box.spawn(self.program.installed)
        self.assertTrue(wait_for(lambda: second.poll() is not None, 15), "the second copy hangs")
        self.assertIsNone(first.poll())
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5),
                        "the running copy did not come forward")

    def test_a_log_off_called_off_keeps_the_program_and_its_hotkeys(self):
        if self.program.is_floor:
            self.skipTest("floor.exe ends at the question")
        proc = self.start([CALCULATOR])
        rc, out = self.box.driver("send", self.program.main_title, "WM_QUERYENDSESSION", 0, 0)
        self.assertEqual(rc, 0, out)
        self.assertHeld(CALCULATOR)  # nothing is given back at the question
        rc, out = self.box.driver("send", self.program.main_title, "WM_ENDSESSION", 0, 0)
        self.assertEqual(rc, 0, out)
        time.sleep(1.0)
        self.assertIsNone(proc.poll(), "the program ended")
        self.assertHeld(CALCULATOR)
        self.assertHeld(("Win", "Space"))
        self.press(CALCULATOR)
        self.assertLaunchedOnce()


def random_bytes(n):
    import random
    return random.Random(7).randbytes(n)
SAVE_LIST, IMPORT_LIST, RENAME_BOX = "保存列表", "导入列表", "列表改名"
LIST1, TEXT1, DELETE_LIST, RENAME_LIST = 101, 103, 104, 105  # controls of 保存列表
LOAD_AT_START = 102  # 运行时加载 &R in 导入列表
INPUT_TEXT = 101  # the text box of the input box
MAIN_APPLY = 104  # 应用 &Q


class ListsTests(E2ECase):
    """Named lists as a new user keeps them: saved beside the program from the 高级(&O) menu,
    renamed, deleted, imported as the running list or as the list of the next start."""

    def visible(self, title):
        return self.box.driver("visible", title)[0] == 0

    def enabled(self, title, control):
        return self.box.driver("enabled", title, control)[0] == 0

    def show_main(self):
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")

    def menu(self, letter, title):
        """Alt+O opens 高级(&O), the letter chooses the item; the dialog comes up."""
        self.box.driver("keys", "alt+o")
        time.sleep(0.3)
        self.box.driver("keys", letter)
        self.assertTrue(wait_for(lambda: self.visible(title), 5), f"Alt+O then {letter.upper()}: no '{title}'")

    def names(self, title):
        lines = self.box.driver("lbitems", title, LIST1)[1].splitlines()
        return lines[:-1], int(lines[-1].split()[1])

    def click_name(self, title, name):
        names, _ = self.names(title)
        self.assertIn(name, names)
        self.assertEqual(self.box.driver("lbclick", title, LIST1, names.index(name))[0], 0)
        self.assertTrue(wait_for(lambda: self.names(title)[1] == names.index(name), 3), f"{name} not chosen")

    def answer_box(self, title, text):
        """A message box with the title shows the text; OK closes it."""
        self.assertEqual(self.box.driver("findwindow", title, 10000)[0], 0, f"no message box '{title}'")
        self.assertTrue(wait_for(lambda: text in self.box.driver("texts", title)[1], 3),
                        f"'{title}' says {self.box.driver('texts', title)[1]!r}")
        self.box.driver("post", title, "WM_COMMAND", IDOK, 0)
        gone = lambda: self.box.driver("findwindow", title)[0] != 0
        # Under load Wine now and then drops an OK posted while the box is still coming up: the
        # same box, still saying the same, is answered once more.
        if not wait_for(gone, 2) and text in self.box.driver("texts", title)[1]:
            self.box.driver("post", title, "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(gone, 5), f"'{title}' stays")

    def name_box_selected(self):
        """The name box has the keyboard and its whole text is selected."""
        def selected():
            if self.box.driver("focus", SAVE_LIST)[1] != str(TEXT1):
                return False
            length, start, end = map(int, self.box.driver("editsel", SAVE_LIST, TEXT1)[1].split())
            return length > 0 and (start, end) == (0, length)
        return wait_for(selected, 3)

    def files(self):
        """Every file under C:\, as paths relative to it, but the system's."""
        root = self.box.host("C:\\")
        return {str(p.relative_to(root)) for p in root.rglob("*")
                if p.is_file() and not str(p.relative_to(root)).lower().startswith(("windows", "programdata", "users", "program files"))}

    def test_saving_renaming_and_deleting_named_lists(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no named lists")
        other = ("Ctrl + Alt", "O", "别的", PROGRAM_DIR + r"\target.exe")
        self.start([CALCULATOR])
        self.box.write(PROGRAM_DIR + r"\常用热键.htk", winebox.encode_list([other, other]))
        self.show_main()
        self.menu("s", SAVE_LIST)
        self.assertTrue(self.name_box_selected(), "the name box does not offer 常用热键 wholly selected")
        self.assertIn("常用热键", self.box.driver("texts", SAVE_LIST)[1].splitlines())
        self.assertEqual(self.names(SAVE_LIST), (["SaveKey", "常用热键"], -1))
        self.assertFalse(self.enabled(SAVE_LIST, DELETE_LIST))
        self.assertFalse(self.enabled(SAVE_LIST, RENAME_LIST))

        # Enter saves: the list there is replaced without a question.
        self.box.driver("keys", "enter")
        self.answer_box("提醒", "列表保存完毕，如需使用请导入列表.")
        self.assertTrue(wait_for(lambda: not self.visible(SAVE_LIST), 5), "saving did not close the dialog")
        saved = self.box.host(PROGRAM_DIR + r"\常用热键.htk").read_bytes()
        self.assertEqual(saved, self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes())
        self.assertEqual(saved, winebox.encode_list([CALCULATOR]))

        # Names that leave the folder, name a device or hold "=" are refused and write nothing.
        before = self.files()
        self.menu("s", SAVE_LIST)
        self.assertTrue(self.name_box_selected(), "the name box lost its name")
        for bad in ("a=b", r"..\..\x", r"..\evil", "CON", "x.htk"):
            self.assertTrue(self.name_box_selected(), f"before {bad}: the name box is not ready")
            self.assertEqual(self.box.driver("type", bad)[0], 0)
            self.box.driver("keys", "enter")
            self.answer_box("错误", "请输入一个合法的文件名称作为列表名称.")
            self.assertTrue(self.visible(SAVE_LIST), f"{bad}: the dialog closed")
        self.assertEqual(self.files(), before)

        # Rename takes "=", through the input box preset with the chosen name.
        self.click_name(SAVE_LIST, "常用热键")
        self.assertTrue(self.enabled(SAVE_LIST, RENAME_LIST))
        self.box.driver("keys", "alt+r")
        self.assertTrue(wait_for(lambda: self.visible(RENAME_BOX), 5), "no input box")
        self.assertIn("请输入新的列表文件名:", self.box.driver("texts", RENAME_BOX)[1])
        self.assertEqual(self.box.driver("editsel", RENAME_BOX, INPUT_TEXT)[1], "4 0 4")
        self.box.driver("type", "a=b")
        self.box.driver("keys", "enter")
        self.assertTrue(wait_for(lambda: self.names(SAVE_LIST)[0] == ["a=b", "SaveKey"], 5),
                        f"after the rename: {self.names(SAVE_LIST)}")
        self.assertEqual(self.box.host(PROGRAM_DIR + r"\a=b.htk").read_bytes(), saved)
        self.assertFalse(self.box.host(PROGRAM_DIR + r"\常用热键.htk").exists())
        self.assertFalse(self.enabled(SAVE_LIST, RENAME_LIST))

        # ... but no name that leaves the folder.
        self.click_name(SAVE_LIST, "a=b")
        self.box.driver("keys", "alt+r")
        self.assertTrue(wait_for(lambda: self.visible(RENAME_BOX), 5), "no input box")
        self.box.driver("type", r"..\evil")
        self.box.driver("keys", "enter")
        self.answer_box(RENAME_BOX, "列表名格式错误或列表已经存在，请更改为其他的列表名")
        self.assertEqual(self.names(SAVE_LIST)[0], ["a=b", "SaveKey"])

        # Delete goes at once.
        self.click_name(SAVE_LIST, "a=b")
        self.box.driver("keys", "alt+d")
        self.assertTrue(wait_for(lambda: self.names(SAVE_LIST)[0] == ["SaveKey"], 5), f"{self.names(SAVE_LIST)}")
        self.assertFalse(self.box.host(PROGRAM_DIR + r"\a=b.htk").exists())
        self.box.driver("keys", "esc")
        self.assertTrue(wait_for(lambda: not self.visible(SAVE_LIST), 5), "Esc did not close the dialog")
        self.assertEqual(self.files(), before - {r"TarvekHotKey/常用热键.htk"})
        self.assertHeld(CALCULATOR)

    def test_importing_a_list_replaces_the_running_one(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no named lists")
        target = PROGRAM_DIR + r"\target.exe"
        eight = [("Ctrl + Alt", k, "八" + k, target) for k in "ABCDEFGH"]
        # The five start a target of their own, which logs beside itself.
        five_target = r"C:\五个\target.exe"
        self.box.put(CONFIG["target"], five_target)
        five = [("Ctrl + Shift", k, "五" + k, five_target) for k in "JKLMN"]
        five_log = r"C:\五个\launches.txt"
        self.start(eight)
        start_bytes = self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes()
        self.box.write(PROGRAM_DIR + r"\五个.htk", winebox.encode_list(five))
        self.show_main()
        self.menu("i", IMPORT_LIST)
        self.assertEqual(self.names(IMPORT_LIST), (["SaveKey", "五个"], -1))
        self.assertFalse(self.enabled(IMPORT_LIST, IDOK))
        self.assertFalse(self.enabled(IMPORT_LIST, LOAD_AT_START))
        self.assertFalse(self.enabled(self.program.main_title, MAIN_APPLY))
        self.click_name(IMPORT_LIST, "五个")
        self.assertTrue(self.enabled(IMPORT_LIST, IDOK))
        self.box.driver("keys", "enter")
        self.assertTrue(wait_for(lambda: not self.visible(IMPORT_LIST), 5), "确定 did not close the dialog")

        # The eight are free, the five work at once; grid and caption show the five.
        # (the program frees them one after another: the last may still be going when the
        # first is free)
        for binding in eight:
            free = lambda: self.box.driver("tryregister", binding[0], binding[1])[0] == 0
            self.assertTrue(wait_for(free, 5), f"{combo(binding)}: still held")
        for binding in five:
            self.assertHeld(binding)
        rows = [r.split("\t")[:4] for r in self.box.driver("listview", self.program.main_title)[1].splitlines()]
        self.assertEqual(rows[1:], [list(b) for b in five])
        self.assertIn("热键信息(共有5个热键)", self.box.driver("texts", self.program.main_title)[1])
        self.assertTrue(self.enabled(self.program.main_title, MAIN_APPLY))
        # The hotkey-list menu (a click on the tray icon, which the window hides while shown)
        # ends with the fifth new binding.
        # (once in many runs, under load, the first close right after an import left the window
        # shown; the cause is not known, so a second close is allowed)
        def closed():
            self.box.driver("post", self.program.main_title, "WM_CLOSE", 0, 0)
            return wait_for(lambda: not self.visible(self.program.main_title), 3)
        self.assertTrue(wait_for(closed, 7), "close box")
        self.click_icon(1)
        self.assertTrue(wait_for(self.menu_open, 5), "a click on the icon opens no menu")
        self.box.driver("keys", "up")
        self.box.driver("keys", "enter")
        self.assertEqual(self.assertLaunchedOnce(five_log).exe.lower(), five_target.lower())
        self.assertEqual(self.box.launches(LOG), [], "the old list's binding ran from the menu")
        self.press(five[2])
        self.assertTrue(wait_for(lambda: len(self.box.launches(five_log)) == 2, 10), "the new hotkey did not run")

        # Opening and cancelling the settings dialog keeps the imported list active: the next
        # delete saves to it, and the start list stays as it was.
        self.box.driver("post", self.program.main_title, "WM_COMMAND", OTHER_SETTINGS, 0)
        self.assertTrue(wait_for(lambda: self.visible(SETTINGS), 5), "no settings dialog")
        self.assertIn(PROGRAM_DIR + r"\五个.htk", self.box.driver("texts", SETTINGS)[1].splitlines())
        self.box.driver("control", SETTINGS, CANCEL, "BM_CLICK")
        self.assertTrue(wait_for(lambda: not self.visible(SETTINGS), 5), "Cancel")
        self.assertEqual(self.box.driver("lvselect", self.program.main_title, 1)[0], 0)
        self.box.driver("post", self.program.main_title, "WM_COMMAND", DELETE_COMMAND, 0)
        self.answer_box("删除热键", "确实要删除你选择的热键吗?")
        self.assertTrue(wait_for(lambda: self.box.host(PROGRAM_DIR + r"\五个.htk").read_bytes()
                                 == winebox.encode_list(five[1:]), 5), "the delete was not saved to 五个.htk")
        self.assertEqual(self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes(), start_bytes)
        self.assertHeld(five[0], held=False)

    def test_a_list_loaded_at_every_start(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no named lists")
        games = ("Ctrl + Alt", "G", "游戏", PROGRAM_DIR + r"\target.exe")
        proc = self.start([CALCULATOR])
        self.box.write(PROGRAM_DIR + r"\游戏.htk", winebox.encode_list([games]))
        self.show_main()
        self.menu("i", IMPORT_LIST)
        self.click_name(IMPORT_LIST, "游戏")
        self.box.driver("keys", "alt+r")
        self.assertTrue(wait_for(lambda: not self.enabled(IMPORT_LIST, LOAD_AT_START), 5), "运行时加载 stays enabled")
        stored = lambda: self.box.wine("reg", "query", r"HKCU\Software\Tarvek HotKey", "/v", "FileSave").stdout.decode("gbk", "replace")
        self.assertIn(PROGRAM_DIR + r"\游戏.htk", stored())
        self.assertTrue(self.visible(IMPORT_LIST), "the dialog closed")
        self.box.driver("keys", "esc")
        self.assertTrue(wait_for(lambda: not self.visible(IMPORT_LIST), 5), "Esc did not close the dialog")
        # The running list is the same; the next start loads the stored one.
        self.assertHeld(CALCULATOR)
        self.assertHeld(games, held=False)
        self.end_session()
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "the program did not end")
        self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+alt", "g")[0] == 1, 5),
                        "the stored list's hotkey is not registered at the next start")
        self.assertHeld(CALCULATOR, held=False)


class ReleaseTests(E2ECase):
    """The zip a user downloads: what it holds, and the program unpacked into a folder with
    blanks starting and running a binding."""

    def test_the_zip_unpacked_into_a_folder_with_blanks_runs(self):
        if self.program.is_floor:
            self.skipTest("floor.exe is not released")
        import zipfile
        top = "TarvekHotKey-1.0-win64/"
        with zipfile.ZipFile(CONFIG["zip"]) as archive:
            names = sorted(archive.namelist())
            self.assertEqual(names, sorted(top + n for n in
                                           ("TarvekHotKey.exe", "hotkey.wav", "mouse.wav", "README.txt", "LICENSE.txt")))
            self.assertLessEqual(archive.getinfo(top + "TarvekHotKey.exe").file_size, 576 * 1024)
            folder = r"C:\Program Files\Tarvek 工具"
            archive.extractall(self.box.host(folder))
        home = folder + "\\" + top.rstrip("/")
        exe = home + r"\TarvekHotKey.exe"
        self.assertEqual(self.box.driver("version", exe)[1].splitlines(), ["Tarvek HotKey", "1.0"])
        binding = (*CALCULATOR[:3], home + r"\target.exe")
        self.box.put(CONFIG["target"], binding[3])
        self.box.write(home + r"\SaveKey.htk", winebox.encode_list([binding]))
        self.box.spawn(exe, cwd=home)
        # A first start says how to bring the window back; answered, it runs in the background.
        self.assertEqual(self.box.driver("findwindow", "Vorda2009", 20000)[0], 0, "no start-up hint")
        self.box.driver("post", "Vorda2009", "WM_COMMAND", IDOK, 0)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertHeld(binding)
        self.press(binding)
        self.assertLaunchedOnce(home + r"\launches.txt")


class StartupTests(E2ECase):
    def visible(self, title):
        return self.box.driver("visible", title)[0] == 0

    def answer(self, title, button):
        self.assertEqual(self.box.driver("post", title, "WM_COMMAND", button, 0)[0], 0, f"no '{title}'")
        self.assertTrue(wait_for(lambda: self.box.driver("findwindow", title)[0] != 0, 5), f"'{title}' stays")

    def test_first_start_on_a_clean_prefix(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no start-up of its own")
        proc = self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("findwindow", "Vorda2009", 20000)[0], 0, "no start-up hint")
        self.assertIn("程序已经运行,请按Win + Space键显示程序", self.box.driver("texts", "Vorda2009")[1])
        self.assertFalse(self.visible(self.program.main_title), "hotkey mode starts hidden")
        self.answer("Vorda2009", IDOK)
        self.assertTrue(wait_for(lambda: self.visible("Wine System Tray"), 10), "no tray icon")
        stored = self.box.wine("reg", "query", r"HKCU\Software\Tarvek HotKey").stdout.decode("utf-8", "replace")
        self.assertIn(r"C:\TarvekHotKey\SaveKey.htk", stored)
        # Selecting the stored (missing) activation mode stores it, as a click on it does.
        self.assertRegex(stored, r"ActivateStatus\s+REG_SZ\s+0\s")

        # Win + Space shows the window; the close box only hides it; Win + Space again shows it.
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")
        self.assertIn("热键信息(共有0个热键)", self.box.driver("texts", self.program.main_title)[1])
        self.box.driver("post", self.program.main_title, "WM_CLOSE", 0, 0)
        self.assertTrue(wait_for(lambda: not self.visible(self.program.main_title), 5), "close box")
        self.assertIsNone(proc.poll(), "the close box ended the program")
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space again")

    def test_a_hidden_start_loads_neither_the_common_controls_nor_com(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no grid")
        self.start([CALCULATOR])
        modules = lambda: self.box.driver("modules", self.program.main_title)[1].lower().splitlines()
        loaded = modules()
        self.assertTrue([m for m in loaded if m.endswith("\\user32.dll")], f"no module list: {loaded}")
        for library in ("comctl32.dll", "ole32.dll"):
            self.assertFalse([m for m in loaded if m.endswith("\\" + library)], f"a hidden start loaded {library}")
        # Shown, the grid comes from the common controls of version 6, as the manifest asks.
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")
        controls = [m for m in modules() if m.endswith("\\comctl32.dll")]
        self.assertTrue(controls and "\\winsxs\\" in controls[0], f"common controls: {controls}")
        rows = [r.split("\t")[:4] for r in self.box.driver("listview", self.program.main_title)[1].splitlines()]
        self.assertEqual(rows, [["Win", "Space", "显示本软件", "无"], list(CALCULATOR)])

    def test_a_utf8_list_with_a_character_cut_short_still_starts(self):
        if self.program.is_floor:
            self.skipTest("floor.exe reads no list file")
        for damaged in (b"\xe4\xb8", b"\xe4"):
            good = "".join(f + "\r\n" for f in CALCULATOR).encode("utf-8")
            self.box.write(PROGRAM_DIR + r"\SaveKey.htk",
                           b"\xef\xbb\xbfCtrl + Shift\r\n" + damaged + b"\r\n" + "坏的".encode("utf-8") + b"\r\nx\r\n" + good)
            self.box.set_settings({"FileSave": PROGRAM_DIR + r"\SaveKey.htk", "ShowInfo": "0"})
            proc = self.box.spawn(self.program.installed)
            self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0,
                             f"no start with the key line {damaged!r}")
            self.assertHeld(CALCULATOR)
            self.end_session()
            self.assertTrue(wait_for(lambda: proc.poll() is not None, 10))

    def test_a_drives_root_folder_is_refused(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no start-up of its own")
        self.box.put(self.program.exe, r"C:\TarvekHotKey.exe")
        proc = self.box.spawn(r"C:\TarvekHotKey.exe", cwd="C:\\")
        self.assertEqual(self.box.driver("findwindow", "运行错误", 20000)[0], 0, "no refusal")
        self.assertIn("本程序不能在根目录下运行，建议将本程序复制到其他目录。",
                      self.box.driver("texts", "运行错误")[1])
        self.assertHeld(("Win", "Space"), held=False)
        self.answer("运行错误", IDOK)
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "the refused copy still runs")

    def test_exit_asks_and_only_ok_ends(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no exit command")
        proc = self.start([CALCULATOR])
        question = "退出？"
        self.box.driver("post", self.program.main_title, "WM_COMMAND", EXIT, 0)
        self.assertEqual(self.box.driver("findwindow", question, 10000)[0], 0, "no exit question")
        self.assertIn("退出后你定义的热键将不能使用，确实要退出本软件吗？", self.box.driver("texts", question)[1])
        self.answer(question, IDCANCEL)
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "shown after Cancel")
        self.assertIsNone(proc.poll(), "Cancel ended the program")
        self.assertHeld(CALCULATOR)
        self.box.driver("post", self.program.main_title, "WM_COMMAND", EXIT, 0)
        self.assertEqual(self.box.driver("findwindow", question, 10000)[0], 0)
        self.answer(question, IDOK)
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "OK did not end the program")
        self.assertHeld(CALCULATOR, held=False)


class ConflictTests(E2ECase):
    def rows(self):
        rc, out = self.box.driver("listview", self.program.main_title)
        self.assertEqual(rc, 0, f"cannot read the grid: {out}")
        return [line.split("\t") for line in out.splitlines()]

    def test_combination_held_by_another_program_is_marked_named_and_kept(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no grid")
        taken = ("Ctrl + Alt", "B", "乙程序", PROGRAM_DIR + r"\target.exe")
        holder = self.box.spawn(TOOLS_DIR + r"\driver.exe", "hold", "ctrl+alt", "b", "120000")
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+alt", "b")[0] == 1, 10),
                        "the other program does not hold Ctrl + Alt + B")
        self.start([CALCULATOR, taken])

        # At start-up the refused binding is marked, silently.
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5))
        rows = self.rows()
        self.assertEqual([r[:3] + r[4:] for r in rows],
                         [["Win", "Space", "显示本软件", "plain"],
                          ["Ctrl + Alt", "C", "我的计算器", "plain"],
                          ["Ctrl + Alt", "B", "乙程序", "marked"]])
        self.assertNotEqual(self.box.driver("findwindow", "热键冲突")[0], 0)

        # Apply names it in one message, keeps it in the list file, and the rest works.
        self.assertEqual(self.box.driver("post", self.program.main_title, "WM_COMMAND", APPLY, 0)[0], 0)
        self.assertEqual(self.box.driver("findwindow", "热键冲突", 10000)[0], 0, "no conflict message")
        texts = self.box.driver("texts", "热键冲突")[1]
        self.assertIn("乙程序（Ctrl + Alt + B）", texts)
        self.assertNotIn("我的计算器", texts)
        saved = self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes().decode("gbk")
        self.assertEqual(saved, "Ctrl + Alt\r\nC\r\n我的计算器\r\n" + CALCULATOR[3] + "\r\n"
                         "Ctrl + Alt\r\nB\r\n乙程序\r\n" + taken[3] + "\r\n")
        self.press(CALCULATOR)
        self.assertLaunchedOnce()
        self.box.driver("post", "热键冲突", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("findwindow", "热键冲突")[0] != 0, 5))
        self.assertEqual(self.rows()[2][4], "marked")

        # Once the other program lets go, the next apply registers it and clears the mark.
        holder.kill()
        holder.wait()
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+alt", "b")[0] == 0, 10))
        self.box.driver("post", self.program.main_title, "WM_COMMAND", APPLY, 0)
        self.assertTrue(wait_for(lambda: self.rows()[2][4] == "plain", 10), "the mark stays")
        self.assertNotEqual(self.box.driver("findwindow", "热键冲突", 1000)[0], 0)
        self.assertHeld(taken)


CHECK1 = 111  # the main window's check box "启用鼠标控制器"
HELP_BUTTON, ABOUT_BUTTON = 105, 107  # the main window's "帮助 &?" and "关于"
KEYPAD = {n: f"vk{96 + n}" for n in range(1, 9)}  # keypad 1..8 as driver.exe names them
LETTERS = "asdwjlk"
RECORDER = "鼠标记录"
RECORDS = TOOLS_DIR + r"\mouse.txt"


class MouseTests(E2ECase):
    def show_main(self):
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5),
                        "Win + Space")

    def click_box(self):
        self.assertEqual(self.box.driver("control", self.program.main_title, CHECK1, "BM_CLICK")[0], 0)

    def held(self, key):
        return self.box.driver("tryregister", "0", key)[0] == 1

    def wait_held(self, keys, held=True):
        ok = wait_for(lambda: all(self.held(k) == held for k in keys), 10)
        self.assertTrue(ok, f"expected {'held' if held else 'free'}: "
                            f"{[(k, self.held(k)) for k in keys]}")

    def cursor(self):
        rc, out = self.box.driver("cursor")
        self.assertEqual(rc, 0, out)
        return tuple(int(n) for n in out.split())

    def centre_pointer(self):
        width, height = (int(n) for n in self.box.driver("screen")[1].split())
        self.box.driver("pointer", width // 2, height // 2)
        self.assertTrue(wait_for(lambda: self.cursor() == (width // 2, height // 2), 5), "pointer not centred")
        return width // 2, height // 2

    def moved(self, key, before):
        """Presses the key and waits until the pointer has left where it was."""
        self.press(("无", key))
        self.assertTrue(wait_for(lambda: self.cursor() != before, 5), f"{key} did not move the pointer")
        return self.cursor()

    def records(self):
        path = self.box.host(RECORDS)
        return path.read_text().splitlines() if path.exists() else []

    def test_the_keypad_moves_clicks_and_drags_and_unticking_frees_every_key(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no mouse controller")
        self.start([CALCULATOR])
        keys = list(KEYPAD.values())
        self.wait_held(keys, held=False)
        self.show_main()
        self.click_box()
        self.wait_held(keys)
        self.assertHeld(CALCULATOR)

        x, y = self.centre_pointer()
        self.box.spawn(TOOLS_DIR + r"\driver.exe", "recorder", RECORDER,
                       *map(str, (x - 150, y - 100, 300, 200)), RECORDS, "120000")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", RECORDER)[0] == 0, 10), "no recorder")
        at = self.moved(KEYPAD[1], (x, y))
        self.assertTrue(at[0] < x and at[1] == y, f"keypad 1 moved the pointer from {(x, y)} to {at}")
        was, at = at, self.moved(KEYPAD[3], at)
        self.assertTrue(at[0] > was[0] and at[1] == was[1], f"keypad 3: {was} to {at}")
        was, at = at, self.moved(KEYPAD[5], at)
        self.assertTrue(at[1] < was[1] and at[0] == was[0], f"keypad 5: {was} to {at}")
        was, at = at, self.moved(KEYPAD[2], at)
        self.assertTrue(at[1] > was[1] and at[0] == was[0], f"keypad 2: {was} to {at}")

        # Keypad 4 clicks where the pointer is.
        self.press(("无", KEYPAD[4]))
        click = [f"down {at[0]} {at[1]}", f"up {at[0]} {at[1]}"]
        self.assertTrue(wait_for(lambda: self.records() == click, 5), f"records: {self.records()}")
        # 7 presses, the pointer moves with the button held, 8 releases further right.
        self.press(("无", KEYPAD[7]))
        self.assertTrue(wait_for(lambda: len(self.records()) == 3, 5), f"records: {self.records()}")
        end = self.moved(KEYPAD[3], at)
        self.press(("无", KEYPAD[8]))
        self.assertTrue(wait_for(lambda: self.records()[-1:] == [f"up {end[0]} {end[1]}"], 5),
                        f"records: {self.records()}")
        drag = self.records()[2:]
        self.assertEqual(drag[0], f"down {at[0]} {at[1]}")
        self.assertIn(f"drag {end[0]} {end[1]}", drag)

        # Unticked, the box frees every key; the bindings stay.
        self.click_box()
        self.wait_held(keys, held=False)
        self.assertHeld(CALCULATOR)

    def test_after_a_restart_with_the_controller_on_letters_and_keypad_both_work(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no mouse controller")
        bare = ("无", "F5", "无辅助键", PROGRAM_DIR + r"\target.exe")
        self.start([CALCULATOR, bare], {"MouseCtrl": "1"})
        keys = list(KEYPAD.values()) + list(LETTERS)
        self.wait_held(keys)
        # A binding without modifier keys runs beside the controller.
        self.press(bare)
        self.assertLaunchedOnce()
        x, y = self.centre_pointer()
        at = self.moved("a", (x, y))
        self.assertTrue(at[0] < x and at[1] == y, f"A moved the pointer from {(x, y)} to {at}")
        was, at = at, self.moved(KEYPAD[1], at)
        self.assertTrue(at[0] < was[0] and at[1] == was[1], f"keypad 1: {was} to {at}")

        self.show_main()
        self.click_box()
        self.wait_held(keys, held=False)
        stored = self.box.wine("reg", "query", r"HKCU\Software\Tarvek HotKey", "/v", "MouseCtrl").stdout
        self.assertRegex(stored.decode("utf-8", "replace"), r"MouseCtrl\s+REG_SZ\s+0")


HELP, ABOUT = "帮助", "关于"
ABOUT_HELP = 103  # the about box's "帮助 &H"
TIP = "5、一些小技巧"


class HelpTests(E2ECase):
    def visible(self, title):
        return self.box.driver("visible", title)[0] == 0

    def open_from_main(self, button, title):
        self.box.driver("post", self.program.main_title, "WM_COMMAND", button, 0)
        self.assertTrue(wait_for(lambda: self.visible(title), 10), f"'{title}' did not open")

    def close_help(self):
        self.box.driver("post", HELP, "WM_CLOSE", 0, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("findwindow", HELP)[0] != 0, 5),
                        "the help window stays after closing")

    def test_help_opens_from_the_main_window_and_from_the_about_box(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no help")
        self.start([CALCULATOR])
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")

        # Twice from 帮助 &?: each time the text with the tips once.
        for opening in range(2):
            self.open_from_main(HELP_BUTTON, HELP)
            texts = self.box.driver("texts", HELP)[1]
            self.assertIn("如何使用LumekVorda", texts)
            self.assertIn("LumekVorda2009\r\n1.启用鼠标控制器：\r\n", texts)
            self.assertEqual(texts.count(TIP), 1, f"opening {opening}: {texts}")
            self.close_help()

        # The about box: a click on the web address does nothing.
        self.open_from_main(ABOUT_BUTTON, ABOUT)
        first = self.box.driver("findwindow", ABOUT)[1]
        self.assertIn("www.example.com", self.box.driver("texts", ABOUT)[1])
        self.assertEqual(self.box.driver("click", ABOUT, 90, 208)[0], 0)
        time.sleep(1.0)
        self.assertTrue(self.visible(ABOUT), "a click on the web address hid the about box")
        self.assertFalse(self.visible(HELP))

        # 帮助 &H hides the box and opens help; the box stays hidden after help is closed.
        self.box.driver("control", ABOUT, ABOUT_HELP, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.visible(HELP), 10), "帮助 &H opened no help")
        self.assertFalse(self.visible(ABOUT), "the about box shows beside help")
        self.assertEqual(self.box.driver("texts", HELP)[1].count(TIP), 1)
        self.close_help()
        time.sleep(1.0)
        self.assertFalse(self.visible(ABOUT), "the about box came back after help")

        # Made once: the same window comes back, and Esc or a click on the picture hides it.
        self.open_from_main(ABOUT_BUTTON, ABOUT)
        self.assertEqual(self.box.driver("findwindow", ABOUT)[1], first)
        self.box.driver("keys", "esc")
        self.assertTrue(wait_for(lambda: not self.visible(ABOUT), 5), "Esc did not hide the about box")
        self.open_from_main(ABOUT_BUTTON, ABOUT)
        self.assertEqual(self.box.driver("click", ABOUT, 12, 230)[0], 0)
        self.assertTrue(wait_for(lambda: not self.visible(ABOUT), 5), "a click on the picture did not hide it")
        self.assertFalse(self.visible(HELP))


PAD = ("Ctrl + Alt", "P", "即拖即存", "使用即拖即存")
PAD_TITLE = "即拖即存"
P_TEXT, P_CHECKS, P_OPTIONS = 100, (101, 102, 103, 104), (105, 106)
P_CLEAR, P_COUNT, P_SAVE, P_SAVE_AS, P_OPEN = 107, 108, 109, 110, 111
DATA = r"C:\pad-data"


class PadTests(E2ECase):
    """The drag-and-save pad as a new user meets it: opened by its action's hotkey, real OLE
    drags of a file and of text from another program, its commands and file dialogs, and the
    questions that guard unsaved text."""

    def visible(self, title):
        return self.box.driver("visible", title)[0] == 0

    def text(self, title):
        rc, out = self.box.driver("text", title, P_TEXT)
        self.assertEqual(rc, 0, f"no text box in '{title}'")
        return re.sub(r"\\(.)", lambda m: {"r": "\r", "n": "\n"}.get(m.group(1), m.group(1)), out)

    def click(self, title, button):
        self.assertEqual(self.box.driver("control", title, button, "BM_CLICK")[0], 0, f"no button {button}")

    def question(self, title, expected):
        """The message box of that title shows the text."""
        rc, _ = self.box.driver("findwindow", "#32770|" + title, 10000)
        self.assertEqual(rc, 0, f"no message box '{title}'")
        self.assertIn(expected, self.box.driver("texts", "#32770|" + title)[1])

    def answer(self, title, button):
        self.box.driver("post", "#32770|" + title, "WM_COMMAND", button, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("findwindow", "#32770|" + title)[0] != 0, 5),
                        f"'{title}' stays")

    def choose_file(self, path):
        """Types the path into the open file dialog, as a user would, and confirms it."""
        self.assertEqual(self.box.driver("findwindow", "#32770|保存文件", 10000)[0], 0, "no file dialog")
        time.sleep(0.5)  # the dialog gives its name box the focus once it is up
        self.assertEqual(self.box.driver("type", path)[0], 0)
        self.box.driver("keys", "enter")
        self.assertTrue(wait_for(lambda: self.box.driver("findwindow", "#32770|保存文件")[0] != 0, 5),
                        "the file dialog stays")

    def open_pad(self, bindings):
        proc = self.start(bindings)
        self.press(PAD)
        self.assertTrue(wait_for(lambda: self.visible(PAD_TITLE), 5), "the pad's hotkey shows no pad")
        return proc

    def test_drops_count_and_the_questions_about_unsaved_text(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no pad")
        proc = self.open_pad([PAD, CALCULATOR])
        self.assertEqual(self.box.driver("topmost", PAD_TITLE)[0], 0, "the pad is not topmost")
        ticked = [self.box.driver("checked", PAD_TITLE, i)[0] == 0 for i in P_CHECKS + P_OPTIONS]
        self.assertEqual(ticked, [False, True, False, False, False, True], "default options")
        self.assertEqual(self.text(PAD_TITLE), "")

        # Typing: the close box does nothing while the text is unsaved.
        self.box.driver("type", "中文 ab")
        self.assertTrue(wait_for(lambda: self.text(PAD_TITLE) == "中文 ab", 5), repr(self.text(PAD_TITLE)))
        self.box.driver("post", PAD_TITLE, "WM_CLOSE", 0, 0)
        time.sleep(1.0)
        self.assertTrue(self.visible(PAD_TITLE), "the close box closed an unsaved pad")

        # A file dragged from another program: its text in front, its path the caption. Then text.
        notes = DATA + r"\笔记.txt"
        self.box.write(notes, "第一行\r\n第二行".encode("gbk"))
        self.box.write(DATA + r"\另一个.txt", b"other")
        rc, out = self.box.driver("drop", PAD_TITLE, 60, 40, "files", notes, DATA + r"\另一个.txt")
        self.assertEqual(rc, 0, f"the pad refused the file: {out}")
        self.assertEqual(self.box.driver("findwindow", notes, 5000)[0], 0, "the caption is not the file")
        self.assertTrue(wait_for(lambda: self.text(notes) == "第一行\r\n第二行\r\n\r\n中文 ab", 5),
                        repr(self.text(notes)))
        rc, out = self.box.driver("drop", notes, 60, 40, "text", "拖来的")
        self.assertEqual(rc, 0, f"the pad refused the text: {out}")
        text = "拖来的\r\n第一行\r\n第二行\r\n\r\n中文 ab"
        self.assertTrue(wait_for(lambda: self.text(notes) == text, 5), repr(self.text(notes)))

        # Counting on code page 936: a Chinese character is two bytes.
        self.click(notes, P_COUNT)
        units, size = len(text.encode("utf-16-le")) // 2, len(text.encode("gbk"))
        self.question(PAD_TITLE, f"共 {units}个字, {size}个字节.")
        self.assertIn("其中空格 1个.", self.box.driver("texts", "#32770|" + PAD_TITLE)[1])
        self.answer(PAD_TITLE, IDOK)

        # Clearing asks; Cancel keeps the text and the caption.
        self.click(notes, P_CLEAR)
        self.question("清空", "文本框中的内容尚未保存，确实要清空吗?")
        self.answer("清空", IDCANCEL)
        self.assertEqual(self.text(notes), text)

        # Exiting asks about the pad first; Cancel keeps the program and shows the pad.
        self.box.driver("showwindow", notes, 6)  # minimised out of the way
        self.box.driver("post", self.program.main_title, "WM_COMMAND", EXIT, 0)
        self.question("Vorda-即拖即存", "即拖即存中的内容还没有保存，确信不保存就退出系统吗?")
        self.answer("Vorda-即拖即存", IDCANCEL)
        self.assertTrue(wait_for(lambda: self.visible(notes), 5), "the pad is not shown")
        self.assertNotEqual(self.box.driver("findwindow", "退出？", 1000)[0], 0, "the exit question came")

        # Windows logging off asks the same; Cancel refuses, and every hotkey keeps working.
        self.box.driver("post", self.program.main_title, "WM_QUERYENDSESSION", 0, 0)
        self.question(PAD_TITLE, "即拖即存中的内容还没有保存，确信不保存就退出系统吗?")
        self.answer(PAD_TITLE, IDCANCEL)
        self.assertIsNone(proc.poll(), "the program ended")
        self.assertEqual(self.text(notes), text)
        self.press(CALCULATOR)
        self.assertLaunchedOnce()

        # With "运行后自动最小化" ticked, the action shows the pad minimised.
        self.click(notes, P_CHECKS[3])
        self.assertTrue(wait_for(lambda: self.box.driver("checked", notes, P_CHECKS[3])[0] == 0, 5))
        self.press(PAD)
        self.assertTrue(wait_for(lambda: not self.visible(notes), 5), "the pad is not minimised")
        self.assertEqual(self.box.driver("findwindow", notes)[0], 0, "the pad went away")

    def test_save_as_then_save_and_open_with_the_line_rules(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no pad")
        self.box.write(DATA + r"\readme.txt", b"x")  # the folder the files go to
        self.open_pad([PAD])
        self.box.driver("type", "第一行")
        self.box.driver("keys", "enter")
        self.box.driver("type", "second")
        self.assertTrue(wait_for(lambda: self.text(PAD_TITLE) == "第一行\r\nsecond", 5), repr(self.text(PAD_TITLE)))

        # Save with no current file is save as; the name gets ".txt"; the text goes unchanged.
        self.click(PAD_TITLE, P_SAVE)
        self.choose_file(DATA + r"\新文件")
        saved = DATA + r"\新文件.txt"
        self.assertEqual(self.box.driver("findwindow", saved, 5000)[0], 0, "the caption is not the file")
        self.assertEqual(self.box.host(saved).read_bytes(), "第一行\r\nsecond".encode("gbk"))

        # A later save overwrites it without a question.
        self.box.driver("type", "!")
        self.assertTrue(wait_for(lambda: self.text(saved).endswith("!"), 5))
        self.click(saved, P_SAVE)
        self.assertTrue(wait_for(lambda: self.box.host(saved).read_bytes().endswith(b"!"), 5), "not saved")
        self.assertNotEqual(self.box.driver("findwindow", "#32770|保存文件", 500)[0], 0, "save asked")
        self.assertEqual(self.box.host(saved).read_bytes(), "第一行\r\nsecond!".encode("gbk"))

        # Opening: CR LF and a lone CR end a line, a lone LF stays, every line gets CR LF.
        lines = DATA + r"\行.txt"
        self.box.write(lines, b"a\rb\nc\r\n" + "中".encode("gbk"))
        self.click(saved, P_OPEN)
        self.choose_file(lines)
        self.assertEqual(self.box.driver("findwindow", lines, 5000)[0], 0, "the caption is not the file")
        self.assertEqual(self.text(lines), "a\r\nb\nc\r\n中\r\n")
        # Saved unchanged, the file keeps its own bytes.
        before = self.box.host(lines).stat().st_mtime_ns
        time.sleep(0.1)
        self.click(lines, P_SAVE)
        self.assertTrue(wait_for(lambda: self.box.host(lines).stat().st_mtime_ns != before, 5), "not saved")
        self.assertEqual(self.box.host(lines).read_bytes(), b"a\rb\nc\r\n\xd6\xd0")

        # Nothing unsaved: the close box closes the pad; the next one starts afresh.
        self.click(lines, P_CHECKS[0])
        self.box.driver("post", lines, "WM_CLOSE", 0, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("findwindow", lines)[0] != 0, 5), "the pad stays")
        self.press(PAD)
        self.assertTrue(wait_for(lambda: self.visible(PAD_TITLE), 5), "no new pad")
        self.assertEqual(self.text(PAD_TITLE), "")
        self.assertNotEqual(self.box.driver("checked", PAD_TITLE, P_CHECKS[0])[0], 0, "options kept")

        # Exiting asks only the exit question.
        self.box.driver("post", self.program.main_title, "WM_COMMAND", EXIT, 0)
        self.assertEqual(self.box.driver("findwindow", "退出？", 10000)[0], 0, "no exit question")
        self.answer("退出？", IDCANCEL)


class PadEncodingTests(E2ECase):
    """The pad with the text files other programs write: kept in their encoding, line ends and
    last line, and a large dropped file taken in while the program keeps answering."""

    text = PadTests.text
    click = PadTests.click
    visible = PadTests.visible
    choose_file = PadTests.choose_file
    open_pad = PadTests.open_pad

    def open_file(self, caption, path):
        self.click(caption, P_OPEN)
        self.choose_file(path)
        self.assertEqual(self.box.driver("findwindow", path, 5000)[0], 0, "the caption is not the file")

    def test_notepad_utf8_and_utf16_files_keep_their_encoding(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no pad")
        self.open_pad([PAD])
        # UTF-8 without mark, the last line without a line end: saved unchanged, byte for byte.
        notepad = DATA + r"\记事本.txt"
        written = "纯中文一行\r\n第二行".encode("utf-8")
        self.box.write(notepad, written)
        before = self.box.host(notepad).stat().st_mtime_ns
        self.open_file(PAD_TITLE, notepad)
        self.assertEqual(self.text(notepad), "纯中文一行\r\n第二行\r\n")
        time.sleep(0.1)  # a save within the same clock tick would leave the time as it was
        self.click(notepad, P_SAVE)
        self.assertTrue(wait_for(lambda: self.box.host(notepad).stat().st_mtime_ns != before, 5), "not saved")
        self.assertEqual(self.box.host(notepad).read_bytes(), written)

        # UTF-16 LE stays UTF-16 LE after an edit and a save.
        wide = DATA + r"\宽.txt"
        self.box.write(wide, b"\xff\xfe" + "第一行\r\n".encode("utf-16-le"))
        self.open_file(notepad, wide)
        # Below the text: the caret at its end. The pad comes back to the front through the X
        # server after the file dialog, a moment later: a click before then misses.
        in_text = lambda: self.box.driver("focus", wide)[1].strip() == str(P_TEXT)
        for _ in range(3):
            self.box.driver("clickcontrol", wide, P_TEXT)
            if wait_for(in_text, 2):
                break
        self.assertTrue(in_text(), "the click did not reach the text")
        self.box.driver("type", "加")
        self.assertTrue(wait_for(lambda: self.text(wide) == "第一行\r\n加", 5), repr(self.text(wide)))
        self.click(wide, P_SAVE)
        expected = b"\xff\xfe" + "第一行\r\n加".encode("utf-16-le")
        self.assertTrue(wait_for(lambda: self.box.host(wide).read_bytes() == expected, 5),
                        repr(self.box.host(wide).read_bytes()))

    def test_a_large_drop_leaves_the_program_answering(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no pad")
        # 10 MB: under Wine the pad takes it in within a minute or two, and a pad that left its
        # messages waiting for seconds at a time would show it; bench_pad measures 50 MB.
        line = "这是一行测试文字 <  tag> ".encode("gbk")
        line = (line + b"abcdefghij" * 5)[:50] + b"\r\n"
        big = DATA + r"\大文件.txt"
        self.box.write(big, line * 200000)
        self.open_pad([PAD])
        rc, out = self.box.driver("drop", PAD_TITLE, 60, 40, "files", big)
        self.assertEqual(rc, 0, f"the pad refused the file: {out}")
        # Every message to the main window meanwhile is answered, none after a long wait (the
        # pad's pieces take about 100 ms here; three times that leaves room for a loaded
        # machine, and far less than a box that paints or re-reads all its text per piece).
        rc, out = self.box.driver("pinguntil", self.program.main_title, big, 600000, timeout=660)
        self.assertEqual(rc, 0, f"the drop did not complete: {out}")
        fields = dict(item.split("=") for item in out.split())
        self.assertEqual(fields["unanswered"], "0", out)
        self.assertLess(int(fields["longest"]), 350, out)
        print(f"  large drop: {out.strip()}", file=sys.stderr)
        rc, out = self.box.driver("editsel", big, P_TEXT)
        self.assertEqual(int(out.split()[0]), 200000 * 44 + 2, out)


def unescape_cell(cell):
    """A cell as driver.exe lvcells writes it, back to its text."""
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m.group(1), m.group(1)), cell)


class ForeignListTests(E2ECase):
    """Lists as other programs write them: they show what the user wrote, survive a delete and
    a restart, and a target in a Chinese folder starts."""

    LIST = PROGRAM_DIR + r"\SaveKey.htk"
    FOLDER = r"C:\工具\我的程序"

    def start_list(self, data=None):
        if data is not None:
            self.box.write(self.LIST, data)
        self.box.set_settings({"FileSave": self.LIST, "ShowInfo": "0", "PlaySound": "0"})
        proc = self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0, "no start")
        return proc

    def shown_rows(self):
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5))
        rc, out = self.box.driver("lvcells", self.program.main_title)
        self.assertEqual(rc, 0, out)
        return [tuple(unescape_cell(c) for c in line.split("\t")) for line in out.splitlines()]

    def end(self, proc):
        self.end_session()
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "the program does not end")

    def test_foreign_lists_show_as_written_survive_a_delete_and_start_their_targets(self):
        if self.program.is_floor:
            self.skipTest("floor.exe reads no list file")
        target = self.FOLDER + r"\target.exe"
        log = self.FOLDER + r"\launches.txt"
        self.box.put(CONFIG["target"], target)
        chinese = ("Ctrl + Alt", "J", "我的程序", target)
        tabbed = ("Ctrl + Alt", "K", "  名\t字 ", "\t" + PROGRAM_DIR + r"\target.exe")  # a hand edit
        doomed = ("Ctrl + Alt", "L", "删掉的", r"C:\没有.exe")
        text = "".join(field + "\r\n" for b in (chinese, tabbed, doomed) for field in b)
        files = {
            "UTF-8 without mark, blank lines at the end": text.encode("utf-8") + b"\r\n\r\n",
            "UTF-16 LE": b"\xff\xfe" + text.encode("utf-16-le"),
            "UTF-16 BE": b"\xfe\xff" + text.encode("utf-16-be"),
        }
        activation = ("Win", "Space", "显示本软件", "无")
        for what, data in files.items():
            with self.subTest(what):
                self.box.host(log).unlink(missing_ok=True)
                proc = self.start_list(data)
                self.assertNotEqual(self.box.driver("findwindow", "热键列表")[0], 0, "a load report")
                self.assertEqual(self.shown_rows(), [activation, chinese, tabbed, doomed])
                self.assertEqual(self.box.driver("lvselect", self.program.main_title, 3)[0], 0)
                self.box.driver("keys", "delete")
                self.assertEqual(self.box.driver("findwindow", "删除热键", 10000)[0], 0, "Del asked nothing")
                self.box.driver("post", "删除热键", "WM_COMMAND", IDOK, 0)
                self.assertTrue(wait_for(lambda: not self.box.driver("tryregister", "ctrl+alt", "l")[0], 5))
                saved = b"\xef\xbb\xbf" + "".join(f + "\r\n" for b in (chinese, tabbed) for f in b).encode("utf-8")
                wait_for(lambda: self.box.host(self.LIST).read_bytes() == saved, 5)
                self.assertEqual(self.box.host(self.LIST).read_bytes(), saved)
                self.end(proc)

                proc = self.start_list()
                self.assertHeld(chinese)
                self.assertHeld(tabbed)
                self.assertEqual(self.shown_rows(), [activation, chinese, tabbed])
                self.press(chinese)
                self.assertEqual(self.assertLaunchedOnce(log).exe.lower(), target.lower())
                self.end(proc)


class ListSafetyTests(E2ECase):
    """A list file is never written over or thinned without the user's word."""

    LIST = PROGRAM_DIR + r"\SaveKey.htk"
    NOT_LOADED = "热键列表没有载入"
    IDYES = 6
    TWO = [CALCULATOR, ("Ctrl + Shift", "E", "编辑器", PROGRAM_DIR + r"\target.exe")]

    def setUp(self):
        super().setUp()
        if self.program.is_floor:
            self.skipTest("floor.exe reads no list file")

    def answer(self, title, button, wait_ms=20000):
        self.assertEqual(self.box.driver("findwindow", title, wait_ms)[0], 0, f"no '{title}'")

        def answered():  # a box just made may not take the first answer (seen under Wine)
            self.box.driver("post", title, "WM_COMMAND", button, 0)
            return wait_for(lambda: self.box.driver("findwindow", title)[0] != 0, 1)
        self.assertTrue(wait_for(answered, 10), f"'{title}' stays")

    def spawn_with(self, list_path):
        self.box.set_settings({"FileSave": list_path, "ShowInfo": "0", "PlaySound": "0"})
        return self.box.spawn(self.program.installed)

    def settled(self):
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0, "no start")

    def add_answering_yes(self):
        """Ctrl + Alt + Q to target.exe through the editor, as a user adds it; the question
        about the list that was not loaded is answered 是 (load it again)."""
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5))
        self.box.driver("keys", "f12")
        self.assertEqual(self.box.driver("findwindow", EDITOR, 5000)[0], 0, "F12 did not open the editor")
        self.box.driver("keys", "ctrl")
        self.box.driver("keys", "alt")
        self.assertEqual(self.box.driver("select", EDITOR, E_KEY, KEYS.index("Q"))[0], 0)
        self.box.driver("keys", "tab")
        target = PROGRAM_DIR + r"\target.exe"
        self.box.driver("type", target)
        self.box.driver("keys", "tab")  # the name box suggests "target"
        texts = lambda: self.box.driver("texts", EDITOR)[1].splitlines()
        self.assertTrue(wait_for(lambda: "target" in texts(), 3), f"{texts()}")
        self.box.driver("control", EDITOR, E_APPLY, "BM_CLICK")
        self.box.driver("control", EDITOR, E_OK, "BM_CLICK")
        self.answer(self.NOT_LOADED, self.IDYES, 10000)
        return ("Ctrl + Alt", "Q", "target", target)

    def assertKeptAll(self, list_path, before, added):
        want = winebox.encode_list(before + [added])
        saved = lambda: self.box.host(list_path).read_bytes()
        self.assertTrue(wait_for(lambda: saved() == want, 5), f"saved: {saved()!r}")
        for binding in before + [added]:
            self.assertHeld(binding)

    def test_a_list_whose_folder_is_missing_at_start_keeps_its_bindings(self):
        synced = r"C:\云盘\热键.htk"
        self.spawn_with(synced)
        self.answer(self.NOT_LOADED, IDOK)
        self.settled()
        self.box.write(synced, winebox.encode_list(self.TWO))  # the drive is there now
        self.assertKeptAll(synced, self.TWO, self.add_answering_yes())

    def test_a_list_locked_at_start_keeps_its_bindings(self):
        self.box.write(self.LIST, winebox.encode_list(self.TWO))
        release = TOOLS_DIR + r"\release"
        output = self.box.prefix / f"wine-output-{len(self.box.procs)}.txt"
        holder = self.box.spawn(TOOLS_DIR + r"\driver.exe", "holdfile", self.LIST, release)
        self.assertTrue(wait_for(lambda: b"holding" in output.read_bytes(), 20), "the file is not held")
        self.spawn_with(self.LIST)
        self.answer(self.NOT_LOADED, IDOK)
        self.settled()
        self.box.write(release, b"")
        self.assertTrue(wait_for(lambda: holder.poll() is not None, 10), "the file is still held")
        self.assertKeptAll(self.LIST, self.TWO, self.add_answering_yes())

    def test_a_list_of_120_keeps_the_rest_in_a_copy(self):
        target = PROGRAM_DIR + r"\target.exe"
        bindings = many_bindings(108) + [("Ctrl + Win", k, f"程序{108 + i}", target) for i, k in enumerate("ABCDEFGHIJKL")]
        original = winebox.encode_list(bindings)
        self.box.write(self.LIST, original)
        self.spawn_with(self.LIST)
        self.assertEqual(self.box.driver("findwindow", "热键列表", 20000)[0], 0, "no load report")
        self.assertIn(r"SaveKey.htk.bak", self.box.driver("texts", "热键列表")[1])
        self.answer("热键列表", IDOK)
        self.settled()

        def chosen():  # "显示界面" until the window is there to choose from
            if self.box.driver("visible", self.program.main_title)[0] != 0:
                self.box.driver("post", self.program.main_title, "WM_COMMAND", SHOW_WINDOW, 0)
                return False
            return self.box.driver("lvselect", self.program.main_title, 1)[0] == 0
        self.assertTrue(wait_for(chosen, 10), "the first binding not chosen")
        self.box.driver("post", self.program.main_title, "WM_COMMAND", DELETE_COMMAND, 0)
        self.answer("删除热键", IDOK, 10000)
        want = winebox.encode_list(bindings[1:101])
        self.assertTrue(wait_for(lambda: self.box.host(self.LIST).read_bytes() == want, 5), "not saved")
        self.assertEqual(self.box.host(self.LIST + ".bak").read_bytes(), original)

    def test_an_abbreviation_file_read_in_part_is_told_once_and_kept_as_it_was(self):
        abbr = PROGRAM_DIR + r"\SaveKey.abbr"
        original = "[addr]\r\nText=北京\r\n[ADDR]\r\nText=又一个\r\n[sig]\r\nOnlyIn=a.exe\r\n".encode()
        self.box.write(self.LIST, winebox.encode_list([CALCULATOR]))
        self.box.write(abbr, original)
        proc = self.spawn_with(self.LIST)
        self.assertEqual(self.box.driver("findwindow", "缩写替换", 20000)[0], 0, "not told")
        self.assertIn("中有 2 处没有读入：\n    [ADDR]：与前面的缩写重复\n    [sig]：没有替换文字",
                      self.box.driver("texts", "缩写替换")[1])
        self.answer("缩写替换", IDOK)
        self.settled()
        self.assertNotEqual(self.box.driver("findwindow", "缩写替换", 2000)[0], 0, "told twice")
        self.end_session()
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "still running")
        self.assertEqual(self.box.host(abbr).read_bytes(), original)
        self.assertFalse(self.box.host(abbr + ".bak").exists())

    def test_a_moved_program_folder_keeps_its_list(self):
        proc = self.start([CALCULATOR])
        self.end_session()
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "the first start still runs")
        moved = r"C:\Tools\热键"
        self.box.host(moved).parent.mkdir(parents=True, exist_ok=True)
        self.box.host(PROGRAM_DIR).rename(self.box.host(moved))
        self.box.spawn(moved + "\\" + self.program.exe.name, cwd=moved)
        self.settled()
        self.assertHeld(CALCULATOR)


class LinkedListFileTests(E2ECase):
    """A list kept elsewhere through a symbolic link made from the Linux side, which Wine
    follows: a save goes to the file linked to, and the link stays."""

    def test_a_save_goes_through_a_symbolic_link_and_keeps_it(self):
        if self.program.is_floor:
            self.skipTest("floor.exe saves nothing")
        import os
        real = self.box.host(r"C:\Synced\SaveKey.htk")
        real.parent.mkdir(parents=True)
        link = self.box.host(PROGRAM_DIR + r"\SaveKey.htk")
        os.symlink(os.path.relpath(real, link.parent), link)
        b = ("Ctrl + Alt", "D", "程序D", PROGRAM_DIR + r"\target.exe")
        self.start([CALCULATOR, b])  # the list goes through the link
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5))
        self.assertEqual(self.box.driver("lvselect", self.program.main_title, 1)[0], 0)
        self.box.driver("post", self.program.main_title, "WM_COMMAND", DELETE_COMMAND, 0)
        self.assertEqual(self.box.driver("findwindow", "删除热键", 10000)[0], 0, "no question")
        self.box.driver("post", "删除热键", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: real.read_bytes() == winebox.encode_list([b]), 5),
                        f"the linked file: {real.read_bytes()!r}")
        self.assertTrue(link.is_symlink(), "the link became a file of its own")
        self.assertEqual([p.name for p in real.parent.iterdir()], ["SaveKey.htk"])


class ShellLaunchTests(E2ECase):
    """Targets that the shell opens: on a worker thread, in the target's own folder."""

    def test_a_document_opens_in_its_own_folder(self):
        if self.program.is_floor:
            self.skipTest("floor.exe gives the shell no folder")
        folder = r"C:\Tarvek 文档"
        script = folder + r"\run.bat"
        self.box.write(script, b'@"' + PROGRAM_DIR.encode() + b'\\target.exe"\r\n')
        binding = ("Ctrl + Shift", "F6", "批处理", script)
        self.start([binding])
        self.press(binding)
        launch = self.assertLaunchedOnce()
        self.assertEqual(launch.current_dir.rstrip("\\").lower(), folder.lower(),
                         "a document must open in its own folder")

LAUNCH_OPTIONS = "启动选项"
E_OPTIONS = 118  # 选项... in the editor
TOGGLE_ENABLED = 2020  # the menu item "停用热键(&T)" / "启用热键(&T)"
BOM = b"\xef\xbb\xbf"


class LaunchOptionsUiTests(E2ECase):
    """Launch options as a user sets them: a hand-written SaveKey.opt, the editor's 选项...,
    the edit menu's switch, named lists, and the ~ key given back in the settings."""

    def visible(self, title):
        return self.box.driver("visible", title)[0] == 0

    def show_main(self):
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.visible(self.program.main_title), 5), "Win + Space")

    def opt(self, name="SaveKey"):
        path = self.box.host(PROGRAM_DIR + "\\" + name + ".opt")
        return path.read_bytes() if path.exists() else None

    def rows(self):
        return [r.split("\t") for r in self.box.driver("listview", self.program.main_title)[1].splitlines()]

    def menu(self, letter, title):
        self.box.driver("keys", "alt+o")
        time.sleep(0.3)
        self.box.driver("keys", letter)
        self.assertTrue(wait_for(lambda: self.visible(title), 5), f"Alt+O then {letter}: no '{title}'")

    def test_a_switched_off_binding_is_free_and_grey_and_the_tilde_key_can_be_given_back(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no options")
        other = ("Ctrl + Alt", "O", "别的", PROGRAM_DIR + r"\target.exe")
        self.box.write(PROGRAM_DIR + r"\SaveKey.opt", BOM + "[Ctrl + Alt | C]\r\nEnabled=0\r\n".encode())
        self.box.write(PROGRAM_DIR + r"\SaveKey.htk", winebox.encode_list([CALCULATOR, other]))
        self.box.set_settings({"FileSave": PROGRAM_DIR + r"\SaveKey.htk", "ShowInfo": "0", "PlaySound": "0",
                               "ClickKey": "0"})
        self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertHeld(other)
        self.assertHeld(CALCULATOR, held=False)
        self.assertEqual(self.box.driver("tryregister", "无", "vk192")[0], 0, "~ is taken")
        self.show_main()
        rows = self.rows()
        self.assertEqual(rows[1][:4] + rows[1][5:], list(CALCULATOR) + ["off"], f"{rows}")
        self.assertEqual(rows[2][5:], [], f"{rows}")
        self.press(CALCULATOR)
        time.sleep(1.0)
        self.assertEqual(self.box.launches(LOG), [], "a switched-off binding ran")

    def test_options_set_in_the_editor_follow_the_binding_into_named_lists_and_imports(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no options")
        self.start([CALCULATOR])
        self.show_main()
        self.assertEqual(self.box.driver("lvselect", self.program.main_title, 1)[0], 0)
        self.box.driver("post", self.program.main_title, "WM_COMMAND", CHANGE_COMMAND, 0)
        self.assertTrue(wait_for(lambda: self.visible(EDITOR), 5), "修改热键 did not open the editor")
        self.box.driver("control", EDITOR, E_OPTIONS, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.visible(LAUNCH_OPTIONS), 5), "选项... opened nothing")
        self.assertTrue(wait_for(lambda: self.box.driver("focus", LAUNCH_OPTIONS)[1].strip() == "301", 3))
        self.box.driver("type", "--flag 1")
        time.sleep(0.5)
        # A picture of the dialog, cropped to it, for a look at its layout.
        left, top, right, bottom = map(int, self.box.driver("rect", LAUNCH_OPTIONS)[1].split())
        shot = CONFIG["artifacts"] / "launch-options.png"
        self.box.display.screenshot(shot)
        subprocess.run(["convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                        str(shot)], check=False)
        self.box.driver("keys", "enter")  # 确定
        self.assertTrue(wait_for(lambda: not self.visible(LAUNCH_OPTIONS), 5), "Enter did not close it")
        # The combination changes in the same opening: the options go with it.
        self.assertEqual(self.box.driver("select", EDITOR, E_KEY, KEYS.index("K"))[0], 0)
        self.box.driver("control", EDITOR, E_APPLY, "BM_CLICK")
        self.box.driver("control", EDITOR, E_OK, "BM_CLICK")
        self.assertTrue(wait_for(lambda: not self.visible(EDITOR), 5), "OK did not close the editor")
        self.assertTrue(wait_for(lambda: self.opt() == BOM + b"[Ctrl + Alt | K]\r\nArguments=--flag 1\r\n", 5),
                        f"SaveKey.opt: {self.opt()!r}")
        self.assertHeld(("Ctrl + Alt", "K"))

        # Switched off from the edit menu, saved as a named list, switched on again.
        self.assertEqual(self.box.driver("lvselect", self.program.main_title, 1)[0], 0)
        self.box.driver("post", self.program.main_title, "WM_COMMAND", TOGGLE_ENABLED, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+alt", "k")[0] == 0, 5), "still held")
        self.menu("s", SAVE_LIST)
        self.box.driver("keys", "enter")
        self.assertEqual(self.box.driver("findwindow", "提醒", 10000)[0], 0, "no 提醒")
        self.box.driver("post", "提醒", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: not self.visible(SAVE_LIST), 5), "saving did not close the dialog")
        self.assertEqual(self.opt("常用热键"), self.opt())
        self.assertIn(b"Enabled=0", self.opt())
        self.assertEqual(self.box.driver("lvselect", self.program.main_title, 1)[0], 0)
        self.box.driver("post", self.program.main_title, "WM_COMMAND", TOGGLE_ENABLED, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+alt", "k")[0] == 1, 5), "not back")

        # The import reads the named list's options: the binding is off again.
        self.menu("i", IMPORT_LIST)
        names = self.box.driver("lbitems", IMPORT_LIST, LIST1)[1].splitlines()[:-1]
        self.assertIn("常用热键", names)
        self.assertEqual(self.box.driver("lbclick", IMPORT_LIST, LIST1, names.index("常用热键"))[0], 0)
        time.sleep(0.5)
        self.box.driver("keys", "enter")
        self.assertTrue(wait_for(lambda: not self.visible(IMPORT_LIST), 5), "确定 did not close the dialog")
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+alt", "k")[0] == 0, 5),
                        "the imported list's options were not read")
        self.assertEqual(self.rows()[1][5:], ["off"])


COMMAND_LINE = "Tarvek HotKey 命令行"  # the title of what a start with a switch says


class CommandLineTests(E2ECase):
    def setUp(self):
        super().setUp()
        if self.program.is_floor:
            self.skipTest("floor.exe takes no switches")

    def switch(self, *args):
        """Runs the program with the switches to its end: its exit code."""
        return self.box.wine(self.program.installed, *args, timeout=60, cwd=PROGRAM_DIR).returncode

    def bad_use(self, args, expected, code=2):
        """The started copy says what is wrong in a message box and, once it is answered, ends
        with the code."""
        proc = self.box.spawn(self.program.installed, *args)
        self.assertEqual(self.box.driver("findwindow", COMMAND_LINE, 20000)[0], 0, f"no message for {args}")
        self.assertIn(expected, self.box.driver("texts", COMMAND_LINE)[1])
        self.assertTrue(wait_for(lambda: self.box.driver("post", COMMAND_LINE, "WM_COMMAND", IDOK, 0)[0] != 0
                                 and self.box.driver("findwindow", COMMAND_LINE)[0] != 0, 10), "the box stays")
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), f"{args}: still runs after its answer")
        self.assertEqual(proc.returncode, code, f"exit code of {args}")

    def test_exit_with_no_copy_running_ends_at_once(self):
        self.assertEqual(self.switch("/exit"), 0)
        self.assertNotEqual(self.box.driver("findwindow", self.program.instance_title, 2000)[0], 0,
                            "/exit started the program")
        self.assertHeld(("Win", "Space"), held=False)

    def test_each_switch_against_a_running_copy(self):
        target = PROGRAM_DIR + r"\target.exe"
        note = ("Ctrl + Alt", "N", "记 事", target)
        first = self.start([CALCULATOR, note])
        list_bytes = self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes()

        self.assertFalse(self.box.driver("visible", self.program.main_title)[0] == 0, "shown at start")
        self.assertEqual(self.switch("/SHOW"), 0)
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5), "/show")

        self.assertEqual(self.switch("-pause"), 0)
        self.assertHeld(CALCULATOR, held=False)
        self.assertHeld(note, held=False)
        self.assertEqual(self.switch("/resume"), 0)
        self.assertHeld(CALCULATOR)
        self.assertHeld(note)

        # A name with a blank, quoted; it runs as its hotkey would.
        self.assertEqual(self.switch("/run", "记 事"), 0)
        self.assertEqual(self.assertLaunchedOnce().exe.lower(), target.lower())

        # A bare name is the list beside the program; a path may hold blanks and Chinese.
        games = ("Ctrl + Shift", "G", "游戏", target)
        self.box.write(PROGRAM_DIR + r"\游戏.htk", winebox.encode_list([games]))
        self.assertEqual(self.switch("/list", "游戏"), 0)
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+shift", "g")[0] == 1, 5), "/list 游戏")
        self.assertHeld(CALCULATOR, held=False)
        work = ("Ctrl + Shift", "W", "工作", target)
        elsewhere = r"C:\我的 列表\工作.htk"
        self.box.write(elsewhere, winebox.encode_list([work]))
        self.assertEqual(self.switch("/list", elsewhere), 0)
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+shift", "w")[0] == 1, 5), "/list path")
        self.assertHeld(games, held=False)

        # /exit returns once the copy has ended, its hotkeys freed and its lists as they were.
        self.assertEqual(self.switch("/exit"), 0)
        self.assertIsNotNone(first.poll(), "/exit returned while the copy still runs")
        self.assertHeld(work, held=False)
        self.assertHeld(("Win", "Space"), held=False)
        self.assertEqual(self.box.host(PROGRAM_DIR + r"\SaveKey.htk").read_bytes(), list_bytes)
        self.assertEqual(self.box.host(elsewhere).read_bytes(), winebox.encode_list([work]))

    def test_bad_uses_say_so_end_with_2_and_change_nothing(self):
        first = self.start([CALCULATOR])
        self.bad_use(["/frob"], "不认识的命令行开关：/frob")
        self.bad_use(["/list"], "/list 后面缺少")
        self.bad_use(["/run", "我的计算器", "/exit"], "多余的内容：/exit")
        self.bad_use(["/list", "没有这个"], "找不到名为“没有这个”的热键列表")
        self.bad_use(["/list", r"C:\Windows\win.ini"], "找不到热键列表文件")
        self.bad_use(["/run", "没有这个"], "没有名为“没有这个”的热键。")
        self.bad_use(["/?"], "/run 名称", code=0)
        self.assertIsNone(first.poll(), "a bad use ended the running copy")
        self.assertHeld(CALCULATOR)
        self.assertEqual(self.box.launches(LOG), [])
        # With no copy running, a list that is not there starts nothing.
        self.assertEqual(self.switch("/exit"), 0)
        self.bad_use(["/list", "没有这个"], "找不到名为“没有这个”的热键列表")
        self.assertNotEqual(self.box.driver("findwindow", self.program.instance_title, 1000)[0], 0)


    def test_a_start_with_a_switch_carries_it_out_itself(self):
        games = ("Ctrl + Shift", "G", "游戏", PROGRAM_DIR + r"\target.exe")
        self.box.write(PROGRAM_DIR + r"\SaveKey.htk", winebox.encode_list([CALCULATOR]))
        self.box.write(PROGRAM_DIR + r"\游戏.htk", winebox.encode_list([games]))
        self.box.set_settings({"FileSave": PROGRAM_DIR + r"\SaveKey.htk", "ShowInfo": "0", "PlaySound": "0"})
        # A name no binding bears: said, and the copy started for it ends with 2.
        self.bad_use(["/run", "游戏"], "没有名为“游戏”的热键。")
        self.assertHeld(CALCULATOR, held=False)
        # Started with a list and a binding of it to run: both done, and the copy stays.
        proc = self.box.spawn(self.program.installed, "/list", "游戏")
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+shift", "g")[0] == 1, 10), "/list at start")
        self.assertHeld(CALCULATOR, held=False)
        self.assertEqual(self.switch("/exit"), 0)
        proc = self.box.spawn(self.program.installed, "/pause")
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.TRAY)[0] == 0, 10), "no tray icon")
        self.assertHeld(CALCULATOR, held=False)
        self.assertHeld(("Win", "Space"))
        self.assertEqual(self.switch("/exit"), 0)
        self.assertIsNotNone(proc.poll())
        proc = self.box.spawn(self.program.installed, "/run", CALCULATOR[2])
        self.assertEqual(self.assertLaunchedOnce().exe.lower(), CALCULATOR[3].lower())
        self.assertHeld(CALCULATOR)
        self.assertIsNone(proc.poll(), "the copy started for /run ended")
SETUP_FOLDER = r"C:\软件 工具\Tarvek HotKey"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvek HotKey"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


class SetupCase(E2ECase):
    """The setup a user runs, silently, and what it leaves in the prefix."""

    def setUp(self):
        if CONFIG["program"].is_floor:
            self.skipTest("floor.exe is not released")
        super().setUp()
        self.box.put(CONFIG["setup"], TOOLS_DIR + r"\setup.exe")

    def install(self, folder=SETUP_FOLDER):
        # As a user types it: /D= last and unquoted, blanks and all (wine would quote the
        # argument, and a quoted /D= is no /D=). The console's code page is GBK.
        line = f'"{TOOLS_DIR}\\setup.exe" /S /D={folder}\r\n'
        self.box.write(TOOLS_DIR + r"\setup.bat", line.encode("gbk"))
        proc = self.box.wine("cmd", "/c", TOOLS_DIR + r"\setup.bat", timeout=180)
        self.assertEqual(proc.returncode, 0, f"setup: {proc.stdout!r} {proc.stderr!r}")
        self.assertTrue(wait_for(lambda: self.reg_values(UNINSTALL_KEY) is not None, 30, 0.5),
                        "no uninstall entry after the setup")
        self.assertTrue(self.box.host(folder + r"\TarvekHotKey.exe").exists(), "no program after the setup")

    def uninstall(self, folder=SETUP_FOLDER):
        """The uninstaller runs from a copy of itself and returns at once: done when its last
        step, the uninstall entry, has gone."""
        self.box.wine(folder + r"\uninstall.exe", "/S", timeout=60)
        self.assertTrue(wait_for(lambda: self.reg_values(UNINSTALL_KEY) is None, 60, 0.5),
                        "the uninstall entry is still there")

    def reg_values(self, key):
        """{name: text} of the key's values, None when the key is missing."""
        proc = self.box.wine("reg", "query", key)
        if proc.returncode != 0:
            return None
        values = {}
        # reg writes to a file in the console's code page, GBK here.
        for line in proc.stdout.decode("gbk", "replace").splitlines():
            parts = re.split(r" {4}", line.strip(), maxsplit=2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2]
        return values

    def shortcut(self):
        """The Start menu's "Tarvek HotKey" as a Windows path, or None."""
        found = sorted((self.box.prefix / "drive_c" / "users").glob("*/**/Tarvek HotKey.lnk"))
        if not found:
            return None
        return "C:\\" + "\\".join(found[0].relative_to(self.box.prefix / "drive_c").parts)

    def start_installed(self, exe, bindings):
        folder = exe.rsplit("\\", 1)[0]
        self.box.write(folder + r"\SaveKey.htk", winebox.encode_list(bindings))
        self.box.set_settings({"ShowInfo": "0", "PlaySound": "0"})
        proc = self.box.spawn(exe, cwd=folder)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        for binding in bindings:
            self.assertHeld(binding)
        return proc


class SetupTests(SetupCase):
    def test_silent_setup_into_a_chinese_folder_with_blanks_then_silent_uninstall(self):
        self.assertEqual(self.box.driver("version", TOOLS_DIR + r"\setup.exe")[1].splitlines(),
                         self.box.driver("version", self.program.installed)[1].splitlines())
        self.install()
        entry = self.reg_values(UNINSTALL_KEY) or {}
        uninstaller = '"' + SETUP_FOLDER + r'\uninstall.exe"'
        self.assertEqual({name: entry.get(name) for name in
                          ("DisplayName", "DisplayVersion", "InstallLocation", "UninstallString",
                           "QuietUninstallString", "NoModify", "NoRepair")},
                         {"DisplayName": "Tarvek HotKey", "DisplayVersion": "1.0",
                          "InstallLocation": SETUP_FOLDER, "UninstallString": uninstaller,
                          "QuietUninstallString": uninstaller + " /S", "NoModify": "0x1", "NoRepair": "0x1"})
        self.assertTrue({"Publisher", "DisplayIcon", "EstimatedSize"} <= entry.keys(), entry)

        # Started as the Start menu starts it, a binding runs.
        link = self.shortcut()
        self.assertIsNotNone(link, "no Start menu shortcut")
        rc, out = self.box.driver("linktarget", link)
        self.assertEqual(rc, 0, out)
        exe = out.splitlines()[0]
        self.assertEqual(exe.lower(), (SETUP_FOLDER + r"\TarvekHotKey.exe").lower())
        binding = (*CALCULATOR[:3], SETUP_FOLDER + r"\target.exe")
        self.box.put(CONFIG["target"], binding[3])
        proc = self.start_installed(exe, [binding])
        self.press(binding)
        self.assertLaunchedOnce(SETUP_FOLDER + r"\launches.txt")
        self.box.write(SETUP_FOLDER + r"\工作.htk", winebox.encode_list([binding]))
        self.box.set_settings({"HotKey": '"' + exe + '"'}, key=RUN_KEY.replace("HKCU", "HKEY_CURRENT_USER"))
        self.box.driver("post", self.program.main_title, "WM_COMMAND", QUIT, 0)
        self.assertEqual(self.box.driver("findwindow", "退出？", 10000)[0], 0, "no exit question")
        self.box.driver("post", "退出？", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "still running after 退出程序")

        self.uninstall()
        self.assertNotIn("HotKey", self.reg_values(RUN_KEY) or {})
        self.assertIsNone(self.shortcut(), "the Start menu shortcut is still there")
        self.assertFalse(self.box.host(exe).exists(), "the program is still there")
        for kept in ("SaveKey.htk", "工作.htk"):
            self.assertTrue(self.box.host(SETUP_FOLDER + "\\" + kept).exists(), f"{kept} was not kept")

    def test_portable_mode_writes_its_file_and_nothing_under_the_settings_key(self):
        ini = PROGRAM_DIR + r"\TarvekHotKey.ini"
        self.box.write(ini, b"[Tarvek HotKey]\r\nShowInfo=0\r\nPlaySound=0\r\n")  # no BOM, as typed
        # Read from the registry, this would move the activation hotkey to Ctrl + Alt + H.
        self.box.set_settings({"HotKeyName": "Ctrl + Alt\tH"})
        export = TOOLS_DIR + r"\settings-export.reg"

        def exported():
            self.box.wine("reg", "export", r"HKCU\Software\Tarvek HotKey", export, "/y")
            return self.box.host(export).read_bytes()

        before = exported()
        self.box.write(PROGRAM_DIR + r"\SaveKey.htk", winebox.encode_list([CALCULATOR]))
        self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertHeld(CALCULATOR)
        self.assertHeld(("Win", "Space"))
        self.assertHeld(("Ctrl + Alt", "H"), held=False)

        self.box.driver("post", self.program.main_title, "WM_COMMAND", OTHER_SETTINGS, 0)
        title = "软件设置 - 便携模式"
        self.assertEqual(self.box.driver("findwindow", title, 10000)[0], 0, "no settings dialog in portable mode")
        self.box.driver("control", title, START_WITH_WINDOWS + 1, "BM_CLICK")  # 开启热键声音
        self.box.driver("control", title, START_WITH_WINDOWS, "BM_CLICK")
        text = lambda: self.box.host(ini).read_bytes().decode("utf-8", "replace")  # noqa: E731
        self.assertTrue(wait_for(lambda: "PlaySound=1" in text(), 5), text())
        quoted = '"' + PROGRAM_DIR + r'\TarvekHotKey.exe"'
        self.assertTrue(wait_for(lambda: (self.reg_values(RUN_KEY) or {}).get("HotKey") == quoted, 5),
                        "开机运行 must still write the Run entry")
        data = self.box.host(ini).read_bytes()
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"), data[:16])
        for line in ("[Tarvek HotKey]", "ShowInfo=0", "FileSave=" + PROGRAM_DIR + r"\SaveKey.htk"):
            self.assertIn(line + "\r\n", text())
        self.assertEqual(exported(), before)


class SetupRunningCopyTests(SetupCase):
    """The setup and the uninstaller end a running copy through its command line; run by hand
    until the program takes that command (not listed in CMakeLists.txt)."""

    def test_an_update_over_a_running_copy_keeps_its_list(self):
        self.install()
        binding = (*CALCULATOR[:3], SETUP_FOLDER + r"\target.exe")
        self.box.put(CONFIG["target"], binding[3])
        exe = SETUP_FOLDER + r"\TarvekHotKey.exe"
        proc = self.start_installed(exe, [binding])
        self.install()
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "the running copy was not ended")
        self.assertEqual(proc.returncode, 0)
        self.assertHeld(binding, held=False)
        self.assertEqual(self.box.host(SETUP_FOLDER + r"\SaveKey.htk").read_bytes(), winebox.encode_list([binding]))
        self.box.spawn(exe, cwd=SETUP_FOLDER)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        self.assertHeld(binding)

    def test_silent_uninstall_ends_the_running_copy_and_keeps_its_list(self):
        self.install()
        binding = (*CALCULATOR[:3], SETUP_FOLDER + r"\target.exe")
        proc = self.start_installed(SETUP_FOLDER + r"\TarvekHotKey.exe", [binding])
        self.uninstall()
        self.assertTrue(wait_for(lambda: proc.poll() is not None, 10), "the running copy was not ended")
        self.assertHeld(binding, held=False)
        self.assertEqual(self.box.host(SETUP_FOLDER + r"\SaveKey.htk").read_bytes(), winebox.encode_list([binding]))


class LaunchFormsTests(E2ECase):
    """Targets as users write them, from a program started in the system folder, as Windows
    starts it at log-on."""

    FORMS_LOG = r"C:\launch-forms.txt"
    BLANKS = r"C:\Tarvek Test\a b"

    def start_in_system_folder(self, bindings):
        list_path = PROGRAM_DIR + r"\SaveKey.htk"
        self.box.write(list_path, winebox.encode_list(bindings))
        self.box.set_settings({"FileSave": list_path, "ShowInfo": "0", "PlaySound": "0"})
        self.box.env["TARVEK_LAUNCH_LOG"] = self.FORMS_LOG  # every copy of target.exe logs here
        self.box.spawn(self.program.installed, cwd=r"C:\windows\system32")
        rc, _ = self.box.driver("waitidle", self.program.instance_title, 20000)
        self.assertEqual(rc, 0, "the program did not settle")
        for binding in bindings:
            self.assertHeld(binding)

    def test_arguments_quotes_relative_paths_and_variables(self):
        if self.program.is_floor:
            self.skipTest("floor.exe starts its one target whole")
        target, blanks = PROGRAM_DIR + r"\target.exe", self.BLANKS
        self.box.put(CONFIG["target"], blanks + r"\target.exe")
        self.box.put(CONFIG["target"], PROGRAM_DIR + r"\tools\target.exe")
        self.box.put(CONFIG["target"], r"C:\windows\tvkform.exe")  # on the search path
        tools = PROGRAM_DIR + r"\tools"
        # (binding, the command line the program gets, the folder it starts in)
        forms = [
            (("Ctrl + Alt", "1", "引号加参数", f'"{target}" --flag "a b"'), f'"{target}" --flag "a b"', PROGRAM_DIR),
            (("Ctrl + Alt", "2", "空格路径加参数", blanks + r"\target.exe --flag"), f'"{blanks}\\target.exe" --flag', blanks),
            (("Ctrl + Alt", "3", "搜索路径", "tvkform 你好 C:\\a.txt"), r'"C:\windows\tvkform.exe" 你好 C:\a.txt', r"C:\windows"),
            (("Ctrl + Alt", "4", "整条引号", f'"{blanks}\\target.exe"'), f'"{blanks}\\target.exe"', blanks),
            (("Ctrl + Alt", "5", "相对路径", r".\tools\target.exe"), f'"{tools}\\target.exe"', tools),
            (("Ctrl + Alt", "6", "相对加参数", r"tools\target.exe -r"), f'"{tools}\\target.exe" -r', tools),
            (("Ctrl + Alt", "7", "变量", r"%SystemDrive%\Tarvek Test\a b\target.exe"), f'"{blanks}\\target.exe"', blanks),
        ]
        self.start_in_system_folder([form[0] for form in forms])
        for count, (binding, command_line, folder) in enumerate(forms, 1):
            self.press(binding)
            self.assertTrue(wait_for(lambda: len(self.box.launches(self.FORMS_LOG)) >= count, 10),
                            f"{binding[3]} started nothing")
            launch = self.box.launches(self.FORMS_LOG)[-1]
            self.assertEqual(launch.command_line.lower(), command_line.lower(), binding[3])
            self.assertEqual(launch.current_dir.rstrip("\\").lower(), folder.lower(), binding[3])
        time.sleep(1.0)
        self.assertEqual(len(self.box.launches(self.FORMS_LOG)), len(forms), "a press started twice")


def write_options(box, text):
    """SaveKey.opt beside the list: UTF-8 with a byte-order mark, CR LF."""
    box.write(PROGRAM_DIR + r"\SaveKey.opt", b"\xef\xbb\xbf" + text.strip().replace("\n", "\r\n").encode() + b"\r\n")


class LaunchOptionsTests(E2ECase):
    """What a binding's options in SaveKey.opt do to its launch."""

    WINDOW = "Tarvek Target"  # target.exe --window

    def target_windows(self):
        """(handle, minimised, in front) of each visible target.exe window."""
        rows = [line.split("\t") for line in self.box.driver("titledwindows", self.WINDOW)[1].splitlines()]
        return [(row[0], row[2] == "1", row[3] == "1") for row in rows if len(row) == 4]

    def test_arguments_folder_and_show_state_reach_the_program(self):
        folder = r"C:\Tarvek 起始"
        self.box.write(folder + r"\keep.txt", b"")
        minimised = ("Ctrl + Alt", "C", "最小化", PROGRAM_DIR + r"\target.exe")
        maximised = ("Ctrl + Alt", "M", "最大化", PROGRAM_DIR + r"\target.exe -t")
        write_options(self.box, f"""
[Ctrl + Alt | C]
Arguments=--opt "x y"
StartIn={folder}
Window=minimized
[Ctrl + Alt | M]
Arguments=-o
Window=maximized
""")
        self.start([minimised, maximised])
        self.press(minimised)
        launch = self.assertLaunchedOnce()
        self.assertEqual(launch.command_line, f'"{PROGRAM_DIR}\\target.exe" --opt "x y"')
        self.assertEqual(launch.current_dir.rstrip("\\"), folder)
        self.assertEqual(launch.show, 7)  # SW_SHOWMINNOACTIVE
        self.press(maximised)
        self.assertTrue(wait_for(lambda: len(self.box.launches(LOG)) == 2, 10))
        launch = self.box.launches(LOG)[1]
        self.assertEqual(launch.command_line, f'"{PROGRAM_DIR}\\target.exe" -t -o')
        self.assertEqual(launch.current_dir.rstrip("\\").lower(), PROGRAM_DIR.lower())
        self.assertEqual(launch.show, 3)  # SW_SHOWMAXIMIZED

    def press_until(self, binding, predicate, what):
        self.press(binding)
        self.assertTrue(wait_for(lambda: predicate(self.target_windows()), 10), f"{what}: {self.target_windows()}")

    def test_activate_starts_once_then_brings_the_window_to_the_front(self):
        binding = ("Ctrl + Alt", "A", "切换", PROGRAM_DIR + r"\target.exe --window")
        write_options(self.box, "[Ctrl + Alt | A]\nIfRunning=activate\n")
        self.start([binding])
        self.press_until(binding, lambda w: len(w) == 1 and w[0][2], "the started window is not in front")
        self.box.driver("showwindow", self.WINDOW, 6)  # SW_MINIMIZE: something else is in front
        self.assertTrue(wait_for(lambda: self.target_windows()[0][1], 10))
        self.press_until(binding, lambda w: len(w) == 1 and not w[0][1] and w[0][2], "not brought back to the front")
        time.sleep(1.0)
        self.assertEqual(len(self.box.launches(LOG)), 1, "a second copy started")

    def test_toggle_minimises_the_window_in_front_and_brings_it_back(self):
        binding = ("Ctrl + Alt", "T", "切换", PROGRAM_DIR + r"\target.exe --window")
        write_options(self.box, "[Ctrl + Alt | T]\nIfRunning=toggle\n")
        self.start([binding])
        self.press_until(binding, lambda w: len(w) == 1 and w[0][2], "the started window is not in front")
        self.press_until(binding, lambda w: len(w) == 1 and w[0][1], "the window in front was not minimised")
        self.press_until(binding, lambda w: len(w) == 1 and not w[0][1] and w[0][2], "not brought back")
        self.assertEqual(len(self.box.launches(LOG)), 1, "a second copy started")


# Groups kept in files of their own (cases_*.py beside this one) are read into this module, so
# that they share its helpers and ctest names them as it names the groups above.
for _cases in sorted(Path(__file__).resolve().parent.glob("cases_*.py")):
    exec(compile(_cases.read_text(encoding="utf-8"), str(_cases), "exec"))


def main():
    build = winebox.REPO / "build" / "mingw"
    default_exe = build / "TarvekHotKey.exe"
    if not default_exe.exists():
        default_exe = build / "bench" / "floor.exe"
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", type=Path, default=default_exe)
    parser.add_argument("--driver", type=Path, default=build / "tests" / "e2e" / "driver.exe")
    parser.add_argument("--target", type=Path, default=build / "tests" / "e2e" / "target.exe")
    parser.add_argument("--template", type=Path, default=build / "wine-template")
    parser.add_argument("--artifacts", type=Path, default=build / "tests" / "e2e" / "artifacts")
    parser.add_argument("--zip", type=Path, default=build / "TarvekHotKey-1.0-win64.zip")
    parser.add_argument("--setup", type=Path, default=build / "TarvekHotKey-1.0-setup.exe")
    args, rest = parser.parse_known_args()
    for path in (args.exe, args.driver, args.target):
        if not path.exists():
            print(f"run_e2e: {path} is missing; build first (cmake --build --preset mingw)", file=sys.stderr)
            return 2

    started = time.monotonic()
    display = winebox.Display()
    try:
        winebox.ensure_template(args.template, display)
        CONFIG.update(program=Program(args.exe.resolve()), driver=args.driver, target=args.target,
                      template=args.template, artifacts=args.artifacts, display=display, zip=args.zip,
                      setup=args.setup)
        print(f"run_e2e: {args.exe} on {display.name}", file=sys.stderr)
        result = unittest.main(argv=[sys.argv[0], *rest], exit=False, verbosity=2).result
    finally:
        display.close()
    print(f"run_e2e: {time.monotonic() - started:.1f} s", file=sys.stderr)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
