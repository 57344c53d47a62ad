# Launching as on current Windows: read into run_e2e.py, whose names it uses.


class RealWindowsLaunchTests(E2ECase):
    """The user's variables changed while the program runs (a setup added a tool to them, as
    installing Git or Python does): Windows announces it with WM_SETTINGCHANGE "Environment",
    and the next launch sees the new value, in the target's %NAME% and in its environment."""

    VARIABLE = "TVK_E2E_TOOL"

    def env_file(self):
        return self.box.host(PROGRAM_DIR + "\\env-" + self.VARIABLE + ".txt")

    def press_and_read(self, binding):
        path = self.env_file()
        if path.exists():
            path.unlink()
        before = len(self.box.launches(LOG))
        self.press(binding)
        self.assertTrue(wait_for(lambda: len(self.box.launches(LOG)) > before and path.exists(), 10),
                        "the target did not start")
        return self.box.launches(LOG)[-1].command_line, path.read_bytes().decode("utf-8")

    def announce(self):
        rc, out = self.box.driver("settingchange", "Environment")
        self.assertEqual(rc, 0, out)

    def test_a_variable_added_after_start_reaches_the_next_launch(self):
        if self.program.is_floor:
            self.skipTest("floor.exe does not follow the environment")
        binding = ("Ctrl + Alt", "E", "环境",
                   PROGRAM_DIR + r"\target.exe --env " + self.VARIABLE + " [%" + self.VARIABLE + "%]")
        self.start([binding])
        command_line, value = self.press_and_read(binding)
        self.assertEqual(value, "(none)")
        # Set as the system's dialog sets it: in the user's key, with a name to expand.
        proc = self.box.wine("reg", "add", r"HKCU\Environment", "/v", self.VARIABLE, "/t", "REG_EXPAND_SZ",
                             "/d", r"%SystemDrive%\工具 1", "/f")
        self.assertEqual(proc.returncode, 0, proc.stdout + proc.stderr)
        self.announce()
        command_line, value = self.press_and_read(binding)
        self.assertEqual(value, r"C:\工具 1")
        self.assertIn(r"[C:\工具 1]", command_line)
