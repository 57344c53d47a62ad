# Abbreviations typed into a text box of a test program: read into run_e2e.py after
# cases_typing.py, whose TextBoxCase it uses.

ABBREVIATIONS = """
[addr]
Text=北京市海淀区 1 号\\n邮编 100080
[;sig]
Text=张三\\t产品部
Immediate=1
[onlyt]
Text=仅在目标中
OnlyIn=target.exe
"""
ADDRESS = "北京市海淀区 1 号\\r\\n邮编 100080"  # as the driver shows the box's text


class AbbreviationTests(TextBoxCase):
    """Real key presses of the keyboard's layout into target.exe --textbox, and what the box holds."""

    def typed(self, title, keys, added):
        """Types the keys; the box must then hold what it held before and `added`."""
        self.want[title] = self.want.get(title, "") + added
        want = self.want[title].rstrip()  # the driver's output loses trailing blanks
        self.box.driver("vktype", keys)
        text = lambda: self.box.driver("text", title, 100)[1]
        self.assertTrue(wait_for(lambda: text() == want, 5), f"after {keys!r} the box holds {text()!r}, not {want!r}")

    def test_abbreviations_expand_at_word_starts_undo_and_stop_while_disabled(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no abbreviations")
        self.want = {}
        self.box.write(PROGRAM_DIR + r"\SaveKey.abbr",
                       b"\xef\xbb\xbf" + ABBREVIATIONS.strip().replace("\n", "\r\n").encode() + b"\r\n")
        self.start_unchecked([("Ctrl + Alt", "K", "目标", PROGRAM_DIR + r"\target.exe")], "")
        self.assertTrue(wait_for(self.hook_thread, 5), "no key hook for the abbreviations")
        title = self.open_text_box("target.exe")
        self.typed(title, "addr ", ADDRESS + " ")
        self.typed(title, "xaddr ", "xaddr ")  # inside a word: itself
        # Immediate: at its last character, letter case aside; Backspace right after takes it
        # back, and nothing expands again until the next word.
        self.typed(title, ";SIG", "张三\t产品部")
        self.want[title] = self.want[title][:-len("张三\t产品部")]
        self.typed(title, "\\b", ";SIG")
        self.typed(title, "!", "!")
        # An ending character that needs Shift comes after the text, and no modifier stays down.
        self.typed(title, " addr!", " " + ADDRESS + "!")
        self.assertEqual(self.modifiers_down(), ["0", "0", "0", "0"], "a modifier left down")
        # A key that moves the caret forgets what was typed.
        self.typed(title, " ad", " ad")
        self.box.driver("keys", "left")
        self.box.driver("keys", "right")
        self.typed(title, "dr ", "dr ")
        self.typed(title, "onlyt.", "仅在目标中.")
        # Only in target.exe: not in other.exe.
        other = self.open_text_box("other.exe")
        self.typed(other, "onlyt.", "onlyt.")
        # 暂时禁用 stops abbreviations with the hotkeys; they come back with them.
        self.box.driver("post", self.program.main_title, "WM_COMMAND", 2003, 0)
        self.assertTrue(wait_for(lambda: not self.hook_thread(), 5), "the hook stayed while disabled")
        self.typed(other, " addr ", " addr ")
        self.box.driver("post", self.program.main_title, "WM_COMMAND", 2003, 0)
        self.assertTrue(wait_for(self.hook_thread, 5), "the hook did not come back")
        self.typed(other, "addr ", ADDRESS + " ")
