# The main window's shell on a real desktop: the tray icon stays as the user left it.
# Read into run_e2e.py, whose names (E2ECase, CALCULATOR, HIDE_ICON, wait_for, ...) it uses.

SHOW_ICON_ON = 2019  # the menu item "显示图标(&O)"
LOCK_NOW = 2003  # the menu item "暂时禁用(&L)", also in the tray icon's menu


class ShellTests(E2ECase):
    """The switches change the tray icon's picture, never whether it is shown; the menus do both."""

    def setUp(self):
        super().setUp()
        if self.program.is_floor:
            self.skipTest("floor.exe takes no switches")

    def tray_shown(self):
        return self.box.driver("visible", self.TRAY)[0] == 0

    def switch(self, *args):
        return self.box.wine(self.program.installed, *args, timeout=60, cwd=PROGRAM_DIR).returncode

    def hide_icon(self):
        self.box.driver("post", self.program.main_title, "WM_COMMAND", HIDE_ICON, 0)
        self.assertEqual(self.box.driver("findwindow", "隐藏", 10000)[0], 0, "no word on hiding the icon")
        self.box.driver("post", "隐藏", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: not self.tray_shown(), 10), "the icon stays")

    def icon_picture(self):
        """The pixels of Wine's notification area, where our icon is the only one."""
        left, top, right, bottom = map(int, self.box.driver("rect", self.TRAY)[1].split())
        self.box.display.screenshot(self.box.prefix / "tray.png")
        return subprocess.run(["convert", str(self.box.prefix / "tray.png"), "-crop",
                               f"{right - left}x{bottom - top}+{left}+{top}", "rgb:-"], capture_output=True).stdout

    def test_the_switches_leave_a_hidden_icon_hidden_and_the_menu_brings_it_back(self):
        self.start([CALCULATOR])
        self.assertTrue(wait_for(self.tray_shown, 10), "no tray icon")
        normal = self.icon_picture()
        self.hide_icon()

        self.assertEqual(self.switch("/pause"), 0)
        self.assertHeld(CALCULATOR, held=False)
        self.assertFalse(wait_for(self.tray_shown, 3), "/pause showed the icon")
        self.assertEqual(self.switch("/resume"), 0)
        self.assertHeld(CALCULATOR)
        self.assertFalse(wait_for(self.tray_shown, 3), "/resume showed the icon")

        # 暂时禁用 from a menu brings it back with the picture that says every binding is off, so
        # that its menu can turn them on again; chosen again, it does, and the picture is the usual.
        self.box.driver("post", self.program.main_title, "WM_COMMAND", LOCK_NOW, 0)
        self.assertTrue(wait_for(self.tray_shown, 10), "暂时禁用 did not bring the icon back")
        self.assertHeld(CALCULATOR, held=False)
        self.assertTrue(wait_for(lambda: self.icon_picture() != normal, 5), "not the disabled picture")
        self.box.driver("post", self.program.main_title, "WM_COMMAND", LOCK_NOW, 0)
        self.assertTrue(wait_for(lambda: self.icon_picture() == normal, 5), "the usual picture did not come back")
        self.assertHeld(CALCULATOR)

        # The user's own way back still brings it.
        self.hide_icon()
        self.box.driver("post", self.program.main_title, "WM_COMMAND", SHOW_ICON_ON, 0)
        self.assertTrue(wait_for(self.tray_shown, 10), "显示图标 did not bring the icon back")
