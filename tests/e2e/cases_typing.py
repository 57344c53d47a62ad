# Bindings that type a text, and bindings that act only in some programs: read into run_e2e.py,
# whose names it uses.

HOOK_THREAD = "TarvekHotKey key hook"


class TypingAndProgramsTests(E2ECase):
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

    def test_a_text_arrives_exactly_and_leaves_no_key_down(self):
        if self.program.is_floor:
            self.skipTest("floor.exe does not type")
        binding = ("Ctrl + Alt", "T", "签名", "输入文本")
        self.start_unchecked([binding], "[Ctrl + Alt | T]\nText=你好, World\\n第一行\\t甲\\n第二行\\t乙\\n第三行 \\\\ 完")
        self.assertHeld(binding)
        self.assertFalse(self.hook_thread(), "a hook without any binding that has a condition")
        title = self.open_text_box("target.exe")
        self.press(binding)
        # The driver shows a line break as \r\n and a backslash doubled; a tab stays a tab.
        want = "你好, World\\r\\n第一行\t甲\\r\\n第二行\t乙\\r\\n第三行 \\\\ 完"
        text = lambda: self.box.driver("text", title, 100)[1]
        self.assertTrue(wait_for(lambda: text() == want, 10), f"the box holds {text()!r}")
        self.assertEqual(self.modifiers_down(), ["0", "0", "0", "0"], "a modifier left down")
        self.assertEqual(self.keys_seen("target.exe"), [], "the hotkey's own keys reached the box")

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
