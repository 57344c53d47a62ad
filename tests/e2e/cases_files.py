# Read into run_e2e.py (see the end of that file): one group, RealWindowsFileTests.


class RealWindowsFileTests(E2ECase):
    """Lists as Windows 10 and 11 treat their files: another program holding the list for a
    moment while it is saved (a cloud client, the virus scanner), or for longer; a save cut
    short behind a symbolic link; and 保存列表 under the name "SaveKey" while the running list
    could not be read at start."""

    LIST = PROGRAM_DIR + r"\SaveKey.htk"
    OTHER = ("Ctrl + Shift", "E", "编辑器", PROGRAM_DIR + r"\target.exe")
    NOT_LOADED = "热键列表没有载入"
    IDYES = 6

    def setUp(self):
        super().setUp()
        if self.program.is_floor:
            self.skipTest("floor.exe saves no list")

    def hold(self, release, ms=0):
        """Holds the list, sharing it with nobody, until a file matching release is there and
        ms longer."""
        output = self.box.prefix / f"wine-output-{len(self.box.procs)}.txt"
        holder = self.box.spawn(TOOLS_DIR + r"\driver.exe", "holdfile", self.LIST, release, str(ms))
        self.assertTrue(wait_for(lambda: b"holding" in output.read_bytes(), 20), "the file is not held")
        return holder

    def answer(self, title, button, wait_ms=20000):
        self.assertEqual(self.box.driver("findwindow", title, wait_ms)[0], 0, f"no '{title}'")

        def answered():  # a box just made may not take the first answer (seen under Wine)
            self.box.driver("post", title, "WM_COMMAND", button, 0)
            return wait_for(lambda: self.box.driver("findwindow", title)[0] != 0, 1)
        self.assertTrue(wait_for(answered, 10), f"'{title}' stays")

    def show_main(self):
        def shown():  # "显示界面" until the window is there
            if self.box.driver("visible", self.program.main_title)[0] == 0:
                return True
            self.box.driver("post", self.program.main_title, "WM_COMMAND", SHOW_WINDOW, 0)
            return False
        self.assertTrue(wait_for(shown, 10), "the main window does not show")

    def delete_first(self):
        self.show_main()
        self.assertTrue(wait_for(lambda: self.box.driver("lvselect", self.program.main_title, 1)[0] == 0, 5))
        self.box.driver("post", self.program.main_title, "WM_COMMAND", DELETE_COMMAND, 0)
        self.answer("删除热键", IDOK, 10000)

    def temporaries(self):
        return sorted(p.name for p in self.box.host(PROGRAM_DIR).glob("SaveKey.htk.tmp*"))

    def test_a_list_held_for_a_moment_is_saved_one_held_on_is_kept_as_it_was(self):
        self.start([CALCULATOR, self.OTHER])
        original = self.box.host(self.LIST).read_bytes()
        # Held from the moment the save's new file is there until 3 s later: the save gives up.
        holder = self.hold(self.LIST + ".tmp*", 3000)
        self.delete_first()
        self.assertEqual(self.box.driver("findwindow", "错误!", 10000)[0], 0, "no failure message")
        self.assertIn("无法保存热键列表文件", self.box.driver("texts", "错误!")[1])
        self.assertEqual(self.box.host(self.LIST).read_bytes(), original)
        self.assertEqual(self.temporaries(), [])
        self.answer("错误!", IDOK)
        self.assertTrue(wait_for(lambda: holder.poll() is not None, 10), "the file is still held")

        # Held for 300 ms of the save: it waits and goes through.
        self.hold(self.LIST + ".tmp*", 300)
        self.delete_first()
        want = winebox.encode_list([])
        self.assertTrue(wait_for(lambda: self.box.host(self.LIST).read_bytes() == want, 5), "not saved")
        self.assertNotEqual(self.box.driver("findwindow", "错误!")[0], 0, "a failure message")
        self.assertEqual(self.temporaries(), [])

    def test_saving_as_savekey_over_a_list_that_was_not_loaded_asks_first(self):
        self.box.write(self.LIST, winebox.encode_list([CALCULATOR, self.OTHER]))
        original = self.box.host(self.LIST).read_bytes()
        release = TOOLS_DIR + r"\release"
        holder = self.hold(release)
        self.box.set_settings({"FileSave": self.LIST, "ShowInfo": "0", "PlaySound": "0"})
        self.box.spawn(self.program.installed)
        self.answer(self.NOT_LOADED, IDOK)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0, "no start")
        self.box.write(release, b"")
        self.assertTrue(wait_for(lambda: holder.poll() is not None, 10), "the file is still held")

        self.show_main()
        self.box.driver("keys", "alt+o")
        time.sleep(0.3)
        self.box.driver("keys", "s")
        self.assertTrue(wait_for(lambda: self.box.driver("focus", SAVE_LIST)[1] == str(TEXT1), 5), "no 保存列表")
        self.box.driver("type", "SaveKey")
        self.box.driver("keys", "enter")
        self.answer(self.NOT_LOADED, IDCANCEL)
        self.assertEqual(self.box.host(self.LIST).read_bytes(), original)
        self.assertEqual(self.box.driver("visible", SAVE_LIST)[0], 0, "the dialog closed")

        # 是 loads the list: what is saved is its own bindings, registered again.
        self.assertTrue(wait_for(lambda: self.box.driver("focus", SAVE_LIST)[1] == str(TEXT1), 5))
        self.box.driver("keys", "enter")
        self.answer(self.NOT_LOADED, self.IDYES)
        self.answer("提醒", IDOK)
        self.assertEqual(self.box.host(self.LIST).read_bytes(), original)
        for binding in (CALCULATOR, self.OTHER):
            self.assertHeld(binding)

    def test_what_a_save_through_a_link_left_beside_the_linked_file_goes_at_start(self):
        import os
        real = self.box.host(r"C:\Synced\SaveKey.htk")
        real.parent.mkdir(parents=True, exist_ok=True)
        real.write_bytes(winebox.encode_list([CALCULATOR]))
        link = self.box.host(self.LIST)
        link.parent.mkdir(parents=True, exist_ok=True)
        os.symlink(os.path.relpath(real, link.parent), link)  # made from the Linux side: Wine follows it
        for name in ("SaveKey.htk.tmp4711", "other.htk.tmp4711"):
            (real.parent / name).write_bytes(b"cut short")
        self.start([CALCULATOR])
        self.assertTrue(wait_for(lambda: not (real.parent / "SaveKey.htk.tmp4711").exists(), 5),
                        "the leftover beside the linked file stays")
        self.assertTrue((real.parent / "other.htk.tmp4711").exists(), "another file's leftover went")
        self.assertTrue(link.is_symlink())
