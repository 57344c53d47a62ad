# Every key of a keyboard and the mouse's buttons as triggers: read into run_e2e.py, whose names
# it uses.

MOUSE_HOOK_THREAD = "TarvekHotKey mouse hook"


class MoreKeysAndMouseTests(E2ECase):
    """A list using keys beyond the first 58 and mouse triggers, pressed and clicked for real."""

    def launched(self, flag, count=1):
        """Waits until `count` starts ended in the flag, then a while for more."""
        ended = lambda: [l for l in self.box.launches(LOG) if l.command_line.endswith(" " + flag)]
        wait_for(lambda: len(ended()) >= count, 10)
        time.sleep(0.5)
        return len(ended())

    def records(self):
        path = self.box.host(RECORDS)
        return path.read_text().split() if path.exists() else []

    def test_new_keys_and_mouse_triggers_run_and_leave_the_rest_alone(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has only its one binding")
        target = PROGRAM_DIR + r"\target.exe "
        bindings = [("无", "F13", "F13键", target + "-f13"), ("Ctrl", "Num5", "小键盘5", target + "-num5"),
                    ("Ctrl + Alt", "-", "减号", target + "-minus"), ("Shift", "音量+", "音量", target + "-volume"),
                    ("Ctrl", "滚轮向上", "滚轮", target + "-wheel"), ("无", "鼠标侧键1", "侧键", target + "-side")]
        list_path = PROGRAM_DIR + r"\SaveKey.htk"
        self.box.write(list_path, winebox.encode_list(bindings))
        self.box.set_settings({"FileSave": list_path, "ShowInfo": "0", "PlaySound": "0"})
        self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)
        # The keys are registered: another program cannot take them (the driver names them by code).
        for mods, key in (("无", "vk124"), ("ctrl", "vk101"), ("ctrl+alt", "vk189"), ("shift", "vk175")):
            self.assertTrue(wait_for(lambda: self.box.driver("tryregister", mods, key)[0] == 1, 5), f"{mods} {key}")
        self.assertIn(MOUSE_HOOK_THREAD, self.box.driver("threadnames", self.program.main_title)[1].splitlines())
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5))
        rows = [r.split("\t")[:2] for r in self.box.driver("listview", self.program.main_title)[1].splitlines()]
        self.assertEqual(rows[1:], [list(b[:2]) for b in bindings])

        self.box.driver("keys", "vk124")
        self.assertEqual(self.launched("-f13"), 1, "F13")
        self.box.driver("keys", "ctrl+alt+vk189")
        self.assertEqual(self.launched("-minus"), 1, "Ctrl + Alt + -")

        self.box.spawn(TOOLS_DIR + r"\driver.exe", "recorder", RECORDER, "300", "300", "300", "200", RECORDS, "120000")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", RECORDER)[0] == 0, 10), "no recorder")
        self.assertEqual(self.box.driver("mouse", RECORDER, 100, 100, "x1")[0], 0)
        self.assertEqual(self.launched("-side"), 1, "the side button started nothing")
        self.assertEqual(self.box.driver("mouse", RECORDER, 100, 100, "ctrl+wheelup")[0], 0)
        self.assertEqual(self.launched("-wheel"), 1, "Ctrl + the wheel started nothing")
        # What no binding holds goes on to the window under the pointer.
        for what in ("left", "x2", "wheelup"):
            self.assertEqual(self.box.driver("mouse", RECORDER, 100, 100, what)[0], 0)
        self.assertTrue(wait_for(lambda: "wheelup" in self.records(), 5), f"records: {self.records()}")
        records = self.records()
        self.assertIn("down", records)
        self.assertIn("x2down", records)
        self.assertNotIn("x1down", records, "the bound side button reached the window")
        self.assertEqual(records.count("wheelup"), 1, "the bound notch reached the window")
        self.assertEqual(self.launched("-wheel"), 1, "a plain wheel turn started the target")
