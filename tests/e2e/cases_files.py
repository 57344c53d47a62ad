# Read into run_e2e.py (see the end of that file): one group, RealWindowsFileTests.


class RealWindowsFileTests(E2ECase):
    """Lists as Windows 10 and 11 treat their files: held by another program (a cloud client,
    the virus scanner) for a moment of a save or for longer; a save cut short behind a symbolic
    link; 保存列表 under the name "SaveKey" while the running list could not be read at start."""

    LIST = PROGRAM_DIR + r"\SaveKey.htk"
    OTHER = ("Ctrl + Shift", "E", "编辑器", PROGRAM_DIR + r"\target.exe")

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

    answer = ListSafetyTests.answer

    def show_main(self):
        def shown():  # "显示界面" until the window is there
            self.box.driver("post", self.program.main_title, "WM_COMMAND", SHOW_WINDOW, 0)
            return self.box.driver("visible", self.program.main_title)[0] == 0
        self.assertTrue(wait_for(shown, 10), "the main window does not show")

    def delete_first(self):
        self.show_main()
        self.assertTrue(wait_for(lambda: self.box.driver("lvselect", self.program.main_title, 1)[0] == 0, 5))
        self.box.driver("post", self.program.main_title, "WM_COMMAND", DELETE_COMMAND, 0)
        self.answer("删除热键", IDOK, 10000)

    def test_a_list_held_for_a_moment_is_saved_one_held_on_is_kept_as_it_was(self):
        self.start([CALCULATOR, self.OTHER])
        original = self.box.host(self.LIST).read_bytes()
        temporaries = lambda: list(self.box.host(PROGRAM_DIR).glob("SaveKey.htk.tmp*"))
        # Held from the moment the save's new file is there until 3 s later: the save gives up.
        holder = self.hold(self.LIST + ".tmp*", 3000)
        self.delete_first()
        self.assertEqual(self.box.driver("findwindow", "错误!", 10000)[0], 0, "no failure message")
        self.assertIn("无法保存热键列表文件", self.box.driver("texts", "错误!")[1])
        self.assertEqual((self.box.host(self.LIST).read_bytes(), temporaries()), (original, []))
        self.answer("错误!", IDOK)
        self.assertTrue(wait_for(lambda: holder.poll() is not None, 10), "the file is still held")

        # Held for 300 ms of the save: it waits and goes through.
        self.hold(self.LIST + ".tmp*", 300)
        self.delete_first()
        want = winebox.encode_list([])
        self.assertTrue(wait_for(lambda: self.box.host(self.LIST).read_bytes() == want, 5), "not saved")
        self.assertNotEqual(self.box.driver("findwindow", "错误!")[0], 0, "a failure message")
        self.assertEqual(temporaries(), [])

    def test_saving_as_savekey_over_a_list_that_was_not_loaded_asks_first(self):
        self.box.write(self.LIST, winebox.encode_list([CALCULATOR, self.OTHER]))
        original = self.box.host(self.LIST).read_bytes()
        holder = self.hold(TOOLS_DIR + r"\release")
        self.box.set_settings({"FileSave": self.LIST, "ShowInfo": "0", "PlaySound": "0"})
        self.box.spawn(self.program.installed)
        self.answer(ListSafetyTests.NOT_LOADED, IDOK)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0, "no start")
        self.box.write(TOOLS_DIR + r"\release", b"")
        self.assertTrue(wait_for(lambda: holder.poll() is not None, 10), "the file is still held")

        self.show_main()
        self.box.driver("keys", "alt+o")
        time.sleep(0.3)
        self.box.driver("keys", "s")
        name_box = lambda: self.box.driver("focus", SAVE_LIST)[1] == str(TEXT1)
        self.assertTrue(wait_for(name_box, 5), "no 保存列表")
        self.box.driver("type", "SaveKey")
        for button in (IDCANCEL, ListSafetyTests.IDYES):
            self.assertTrue(wait_for(name_box, 5))
            self.box.driver("keys", "enter")
            self.answer(ListSafetyTests.NOT_LOADED, button)
            if button == IDCANCEL:  # nothing written, the dialog still there
                self.assertEqual(self.box.host(self.LIST).read_bytes(), original)
                self.assertEqual(self.box.driver("visible", SAVE_LIST)[0], 0, "the dialog closed")
        # 是 loaded the list: what was saved is its own bindings, registered again.
        self.answer("提醒", IDOK)
        self.assertEqual(self.box.host(self.LIST).read_bytes(), original)
        for binding in (CALCULATOR, self.OTHER):
            self.assertHeld(binding)

    def test_what_a_save_through_a_link_left_beside_the_linked_file_goes_at_start(self):
        import os
        real = self.box.host(r"C:\Synced\SaveKey.htk")
        real.parent.mkdir(parents=True)
        for name in ("SaveKey.htk.tmp4711", "other.htk.tmp4711"):
            (real.parent / name).write_bytes(b"cut short")
        link = self.box.host(self.LIST)
        os.symlink(os.path.relpath(real, link.parent), link)  # from the Linux side: Wine follows it
        self.start([CALCULATOR])
        self.assertTrue(wait_for(lambda: not (real.parent / "SaveKey.htk.tmp4711").exists(), 5), "still there")
        self.assertTrue((real.parent / "other.htk.tmp4711").exists(), "another file's leftover went")
        self.assertTrue(link.is_symlink())
