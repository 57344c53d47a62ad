# Launching as on current Windows: read into run_e2e.py, whose names it uses.


class RealWindowsLaunchTests(E2ECase):
    """Launching as current Windows does it, where Wine is more forgiving."""

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
        """The user's variables changed while the program runs (a setup added a tool to them, as
        installing Git or Python does): Windows announces it with WM_SETTINGCHANGE "Environment",
        and the next launch sees the new value, in the target's %NAME% and in its environment."""
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

    def test_a_hung_window_in_front_leaves_bringing_to_front_and_the_program_answering(self):
        """Windows refuses the front to a program that did not have the last input (forced here:
        Wine never refuses). With a hung program in front, bringing a running program's window
        to the front must not wait for it: the window comes, and /show is answered at once."""
        if self.program.is_floor:
            self.skipTest("floor.exe has no launch options")
        target = PROGRAM_DIR + r"\target.exe"
        binding = ("Ctrl + Alt", "A", "切换", target + " --window")
        write_options(self.box, "[Ctrl + Alt | A]\nIfRunning=activate\n")
        self.box.env["TARVEK_TEST_REFUSE_FOREGROUND"] = "1"
        self.start([binding])

        def in_front(title):
            rows = [line.split("\t") for line in self.box.driver("titledwindows", title)[1].splitlines()]
            return any(len(row) == 4 and row[3] == "1" for row in rows)

        self.press(binding)
        self.assertTrue(wait_for(lambda: in_front("Tarvek Target"), 10), "the target did not start in front")
        hung = self.box.spawn(target, "--hang")
        self.assertTrue(wait_for(lambda: self.box.host(PROGRAM_DIR + r"\hung.txt").exists(), 10), "no hung window")
        self.assertTrue(wait_for(lambda: in_front("Tarvek Hung"), 5), "the hung window is not in front")
        self.press(binding)
        self.assertTrue(wait_for(lambda: in_front("Tarvek Target"), 10), "the target was not brought back")
        # One message to the main window: answered, and within a second (a program joined to
        # the hung window's input would not answer before the hung one does).
        rc, out = self.box.driver("pinguntil", self.program.main_title, self.program.main_title, 10000)
        fields = dict(item.split("=") for item in out.split())
        self.assertEqual(fields["unanswered"], "0", out)
        self.assertLess(int(fields["longest"]), 1000, out)
        self.assertEqual(self.box.wine(self.program.installed, "/show", timeout=60, cwd=PROGRAM_DIR).returncode, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5), "/show")
        self.assertIsNone(hung.poll(), "the hung program ended: the answers may have waited for it")
        self.assertEqual(len(self.box.launches(LOG)), 1, "a second copy started")
