# The main window's shell on a real desktop: the tray icon stays as the user left it.
# Read into run_e2e.py, whose names (E2ECase, CALCULATOR, HIDE_ICON, wait_for, ...) it uses.

SHOW_ICON_ON = 2019  # the menu item "显示图标(&O)"


class ShellTests(E2ECase):
    """Pausing and resuming change the tray icon's picture, never whether it is shown."""

    def setUp(self):
        super().setUp()
        if self.program.is_floor:
            self.skipTest("floor.exe takes no switches")

    def tray_shown(self):
        return self.box.driver("visible", self.TRAY)[0] == 0

    def switch(self, *args):
        return self.box.wine(self.program.installed, *args, timeout=60, cwd=PROGRAM_DIR).returncode

    def test_pause_and_resume_leave_a_hidden_icon_hidden(self):
        self.start([CALCULATOR])
        self.assertTrue(wait_for(self.tray_shown, 10), "no tray icon")
        self.box.driver("post", self.program.main_title, "WM_COMMAND", HIDE_ICON, 0)
        self.assertEqual(self.box.driver("findwindow", "隐藏", 10000)[0], 0, "no word on hiding the icon")
        self.box.driver("post", "隐藏", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: not self.tray_shown(), 10), "the icon stays")

        self.assertEqual(self.switch("/pause"), 0)
        self.assertHeld(CALCULATOR, held=False)
        self.assertFalse(wait_for(self.tray_shown, 3), "/pause showed the icon")
        self.assertEqual(self.switch("/resume"), 0)
        self.assertHeld(CALCULATOR)
        self.assertFalse(wait_for(self.tray_shown, 3), "/resume showed the icon")

        # The user's own way back still brings it.
        self.box.driver("post", self.program.main_title, "WM_COMMAND", SHOW_ICON_ON, 0)
        self.assertTrue(wait_for(self.tray_shown, 10), "显示图标 did not bring the icon back")
