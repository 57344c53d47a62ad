# Bindings that type a text, and bindings that act only in some programs: read into run_e2e.py,
# whose names it uses.

HOOK_THREAD = "TarvekHotKey key hook"


class TextBoxCase(E2ECase):
    """A text box of a test program in front, real key presses, and what reaches the box."""

    def start_unchecked(self, bindings, options):
        """As start(), without asking whether each binding is held: one with a condition is
        watched by the key hook, not registered."""
        write_options(self.box, options)
        list_path = PROGRAM_DIR + r"\SaveKey.htk"
        self.box.write(list_path, winebox.encode_list(bindings))
        self.box.set_settings({"FileSave": list_path, "ShowInfo": "0", "PlaySound": "0"})
        self.box.spawn(self.program.installed)
        self.assertEqual(self.box.driver("waitidle", self.program.instance_title, 20000)[0], 0)

    def open_text_box(self, exe):
        """target.exe --textbox (under another file name when asked), in front with the focus."""
        if exe != "target.exe":
            self.box.put(self.box.target, PROGRAM_DIR + "\\" + exe)
        self.box.spawn(PROGRAM_DIR + "\\" + exe, "--textbox")
        title = "Tarvek Text Box " + exe
        self.assertEqual(self.box.driver("waitidle", title, 10000)[0], 0, f"no {title}")
        self.assertTrue(wait_for(lambda: self.box.driver("focus", title)[1].strip() == "100", 5), "no focus")
        return title

    def keys_seen(self, exe):
        path = self.box.host(PROGRAM_DIR + "\\keys-" + exe + ".txt")
        return path.read_text().split() if path.exists() else []

    def modifiers_down(self):
        return self.box.driver("keystate")[1].split()

    def hook_thread(self):
        return HOOK_THREAD in self.box.driver("threadnames", self.program.main_title)[1].splitlines()


class TypingAndProgramsTests(TextBoxCase):
    """Bindings that type a text, and bindings that act only in some programs."""

    def test_a_text_arrives_exactly_and_leaves_no_key_down(self):
        if self.program.is_floor:
            self.skipTest("floor.exe does not type")
        binding = ("Ctrl + Alt", "T", "签名", "输入文本")
        self.start_unchecked([binding], "[Ctrl + Alt | T]\nText=你好, World\\n第一行\\t甲\\n第二行\\t乙\\n第三行 \\\\ 完")
        self.assertHeld(binding)
        threads = self.box.driver("threadnames", self.program.main_title)[1].splitlines()
        self.assertNotIn(HOOK_THREAD, threads, "a key hook without any binding that has a condition")
        self.assertNotIn("TarvekHotKey mouse hook", threads, "a mouse hook without any mouse binding")
        # Nothing to type yet and the icon in place: one thread, as the floor program has.
        names = lambda: self.box.driver("threadnames", self.program.main_title)[1].splitlines()
        self.assertTrue(wait_for(lambda: len(names()) == 1, 5), f"threads {names()}")
        title = self.open_text_box("target.exe")
        self.press(binding)
        # The driver shows a line break as \r\n and a backslash doubled; a tab stays a tab.
        want = "你好, World\\r\\n第一行\t甲\\r\\n第二行\t乙\\r\\n第三行 \\\\ 完"
        text = lambda: self.box.driver("text", title, 100)[1]
        self.assertTrue(wait_for(lambda: text() == want, 10), f"the box holds {text()!r}")
        self.assertEqual(self.modifiers_down(), ["0", "0", "0", "0"], "a modifier left down")
        # The box saw Ctrl and Alt go down, and Enter and Tab of the text; never the T.
        self.assertNotIn("84", self.keys_seen("target.exe")[::2], "the hotkey's own key reached the box")

    def test_a_text_chosen_from_the_tray_menu_goes_to_the_window_the_user_left(self):
        if self.program.is_floor:
            self.skipTest("floor.exe does not type")
        binding = ("Ctrl + Alt", "T", "签名", "输入文本")
        self.start_unchecked([binding], "[Ctrl + Alt | T]\nText=从菜单输入")
        title = self.open_text_box("target.exe")
        self.click_icon(1)
        self.assertTrue(wait_for(self.menu_open, 5), "a click on the icon opens no menu")
        self.box.driver("keys", "up")
        self.box.driver("keys", "enter")
        text = lambda: self.box.driver("text", title, 100)[1]
        self.assertTrue(wait_for(lambda: text() == "从菜单输入", 10), f"the box holds {text()!r}")

    def test_only_in_and_not_in_act_in_their_programs_and_leave_the_key_elsewhere(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no conditions")
        only = ("Ctrl + Alt", "K", "仅目标", PROGRAM_DIR + r"\target.exe")
        besides = ("Ctrl + Alt", "J", "除目标", PROGRAM_DIR + r"\target.exe -n")
        self.start_unchecked([only, besides], "[Ctrl + Alt | K]\nOnlyIn=target.exe\n[Ctrl + Alt | J]\nNotIn=TARGET")
        self.assertTrue(wait_for(self.hook_thread, 5), "no key hook thread")
        for binding in (only, besides):  # left free for the programs they leave it to
            self.assertHeld(binding, held=False)

        self.open_text_box("target.exe")
        self.press(only)
        self.assertEqual(self.assertLaunchedOnce().command_line, f'"{PROGRAM_DIR}\\target.exe"')
        self.press(besides)
        self.assertTrue(wait_for(lambda: "74" in self.keys_seen("target.exe"), 5), "J never reached the box")
        self.assertEqual(self.keys_seen("target.exe")[-2:], ["74", "1100"], "J with Ctrl + Alt")
        self.assertNotIn("75", self.keys_seen("target.exe"), "K reached the box it was taken in")

        self.open_text_box("other.exe")
        self.press(only)
        self.assertTrue(wait_for(lambda: "75" in self.keys_seen("other.exe"), 5), "K never reached the other box")
        self.press(besides)
        self.assertTrue(wait_for(lambda: len(self.box.launches(LOG)) == 2, 10), "J did not start the target")
        time.sleep(1.0)
        self.assertEqual(len(self.box.launches(LOG)), 2, "a key started more than once")
        self.assertEqual(self.box.launches(LOG)[1].command_line, f'"{PROGRAM_DIR}\\target.exe" -n')
        self.assertNotIn("74", self.keys_seen("other.exe"), "J reached the box it was taken in")
        self.assertEqual(self.modifiers_down(), ["0", "0", "0", "0"], "a modifier left down")

    def test_a_shift_binding_taken_by_the_hook_puts_the_mask_key_inside_the_shift(self):
        """Shift pressed and let go with no key between switches Microsoft Pinyin between 中 and
        英: the hook's taken F2 leaves the mask key in its place."""
        if self.program.is_floor:
            self.skipTest("floor.exe has no conditions")
        binding = ("Shift", "F2", "仅目标", PROGRAM_DIR + r"\target.exe")
        self.start_unchecked([binding], "[Shift | F2]\nOnlyIn=target.exe")
        self.assertTrue(wait_for(self.hook_thread, 5), "no key hook thread")
        self.open_text_box("target.exe")
        self.press(binding)
        self.assertLaunchedOnce()
        seen = lambda: self.keys_seen("target.exe")
        self.assertTrue(wait_for(lambda: "232" in seen(), 5), f"no mask key in {seen()}")
        keys = seen()
        # Pairs of key and Ctrl Alt Shift Win: Shift, then the mask key while Shift is down.
        self.assertEqual(keys[keys.index("16"):keys.index("16") + 4], ["16", "0010", "232", "0010"])
        self.assertNotIn("113", keys[::2], "F2 reached the box it was taken in")

    def set_options(self, row, text=None, scope=None, programs=""):
        """修改热键 on the grid row (from 0), 选项...: the text (in text mode), 适用于 and its
        programs, 确定; then 应用 and 确定 in the editor. text=None keeps the binding's target."""
        main = self.program.main_title
        self.assertEqual(self.box.driver("lvselect", main, row)[0], 0)
        self.box.driver("post", main, "WM_COMMAND", CHANGE_COMMAND, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("visible", EDITOR)[0] == 0, 5), "no editor")
        if text is not None:
            self.assertEqual(self.box.driver("select", EDITOR, E_TARGET, 12)[0], 0)  # 输入文本
        self.box.driver("control", EDITOR, E_OPTIONS, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", LAUNCH_OPTIONS)[0] == 0, 5), "no 启动选项")
        if text is not None:
            self.assertTrue(wait_for(lambda: self.box.driver("focus", LAUNCH_OPTIONS)[1].strip() == "312", 3),
                            "the text box has no focus")
            for i, line in enumerate(text.split("\n")):
                if i:
                    self.box.driver("keys", "enter")
                self.box.driver("type", line)
        if scope is not None:
            self.assertEqual(self.box.driver("select", LAUNCH_OPTIONS, 314, scope)[0], 0)
        if scope:
            self.assertTrue(wait_for(lambda: self.box.driver("enabled", LAUNCH_OPTIONS, 315)[0] == 0, 3))
            self.box.driver("clickcontrol", LAUNCH_OPTIONS, 315)
            self.assertTrue(wait_for(lambda: self.box.driver("focus", LAUNCH_OPTIONS)[1].strip() == "315", 3))
            self.box.driver("type", programs)
        time.sleep(0.3)
        self.box.driver("control", LAUNCH_OPTIONS, IDOK, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", LAUNCH_OPTIONS)[0] != 0, 5), "确定")
        self.box.driver("control", EDITOR, E_APPLY, "BM_CLICK")
        self.box.driver("control", EDITOR, E_OK, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", EDITOR)[0] != 0, 5), "the editor stayed")

    def opt(self, name="SaveKey"):
        path = self.box.host(PROGRAM_DIR + "\\" + name + ".opt")
        return path.read_bytes().decode("utf-8-sig") if path.exists() else ""

    def test_the_dialog_writes_text_and_programs_and_they_follow_the_list(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no options")
        sign = ("Ctrl + Alt", "T", "签名", PROGRAM_DIR + r"\target.exe")
        only = ("Ctrl + Alt", "K", "仅目标", PROGRAM_DIR + r"\target.exe")
        self.start([sign, only])
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: self.box.driver("visible", self.program.main_title)[0] == 0, 5))
        self.set_options(1, text="第一行\n第二行 C:\\工具", scope=2, programs="other.exe")
        sign_section = "[Ctrl + Alt | T]\r\nText=第一行\\n第二行 C:\\\\工具\r\nNotIn=other.exe\r\n"
        self.assertTrue(wait_for(lambda: sign_section in self.opt(), 5), f"SaveKey.opt: {self.opt()!r}")
        # A change puts its binding at the top again: the other one is still the second row.
        self.set_options(2, scope=1, programs="target.exe")
        self.assertTrue(wait_for(lambda: "[Ctrl + Alt | K]\r\nOnlyIn=target.exe\r\n" in self.opt(), 5),
                        f"SaveKey.opt: {self.opt()!r}")
        self.assertIn(sign_section, self.opt(), "an edit of another binding lost the text")
        for binding in (sign, only):  # watched by the key hook, not registered
            self.assertTrue(wait_for(lambda: self.box.driver("tryregister", binding[0], binding[1])[0] == 0, 5))

        self.box.driver("keys", "alt+o")
        time.sleep(0.3)
        self.box.driver("keys", "s")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", SAVE_LIST)[0] == 0, 5), "no 保存列表")
        self.box.driver("keys", "enter")
        self.assertEqual(self.box.driver("findwindow", "提醒", 10000)[0], 0, "no 提醒")
        self.box.driver("post", "提醒", "WM_COMMAND", IDOK, 0)
        self.assertTrue(wait_for(lambda: self.box.driver("visible", SAVE_LIST)[0] != 0, 5))
        saved = self.opt()
        self.assertEqual(self.opt("常用热键"), saved)

        # Back to every program in the running list (its row is the first since its change): the
        # combination is registered again.
        self.set_options(1, scope=0)
        self.assertTrue(wait_for(lambda: "OnlyIn" not in self.opt(), 5), f"SaveKey.opt: {self.opt()!r}")
        self.assertIn(sign_section, self.opt())
        self.assertHeld(only)
        # The import reads the named list's options: the binding is left to the key hook again.
        self.box.driver("keys", "alt+o")
        time.sleep(0.3)
        self.box.driver("keys", "i")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", IMPORT_LIST)[0] == 0, 5), "no 导入列表")
        names = self.box.driver("lbitems", IMPORT_LIST, LIST1)[1].splitlines()[:-1]
        self.assertEqual(self.box.driver("lbclick", IMPORT_LIST, LIST1, names.index("常用热键"))[0], 0)
        time.sleep(0.5)
        self.box.driver("keys", "enter")
        self.assertTrue(wait_for(lambda: self.box.driver("visible", IMPORT_LIST)[0] != 0, 5))
        self.assertTrue(wait_for(lambda: self.box.driver("tryregister", "ctrl+alt", "k")[0] == 0, 5),
                        "the imported list's condition was not read")
        self.assertEqual(self.opt("常用热键"), saved)
