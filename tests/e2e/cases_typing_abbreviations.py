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

    def test_the_dialog_adds_changes_and_deletes_and_ok_writes_the_file_and_the_hook_follows(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no abbreviations")
        dialog, edit, change = "缩写替换", "TarvekHotKeyAbbreviation|添加缩写", "TarvekHotKeyAbbreviation|修改缩写"
        visible = lambda title: self.box.driver("visible", title)[0] == 0
        # Three cells a row (the driver's fourth is empty).
        rows = lambda: [r.rstrip("\t") for r in self.box.driver("lvcells", dialog)[1].splitlines()]
        abbr = PROGRAM_DIR + r"\SaveKey.abbr"
        self.box.write(abbr, "\ufeff[sig]\r\nText=张三\r\n\r\n[tel]\r\nText=010-1234 5678\r\n".encode())
        self.start_unchecked([("Ctrl + Alt", "K", "目标", PROGRAM_DIR + r"\target.exe")], "")
        self.press(("Win", "Space"))
        self.assertTrue(wait_for(lambda: visible(self.program.main_title), 5), "Win + Space")
        self.box.driver("keys", "alt+o")
        time.sleep(0.3)
        self.box.driver("keys", "a")
        self.assertTrue(wait_for(lambda: visible(dialog), 5), "高级 > 缩写替换(&A) opened nothing")
        self.assertEqual(rows(), ["sig\t张三\t所有程序", "tel\t010-1234 5678\t所有程序"])
        # Another entry's abbreviation in other letters is refused, and the dialog stays.
        self.box.driver("control", dialog, 501, "BM_CLICK")
        self.assertTrue(wait_for(lambda: self.box.driver("focus", edit)[1].strip() == "401", 5), "添加")
        self.box.driver("type", "SIG")
        self.box.driver("control", edit, 1, "BM_CLICK")
        self.assertTrue(wait_for(lambda: visible("#32770|添加缩写"), 5), "a duplicate taken")
        self.assertIn("缩写“SIG”已经有了", self.box.driver("texts", "#32770|添加缩写")[1])
        self.box.driver("keys", "enter")
        self.assertTrue(wait_for(lambda: not visible("#32770|添加缩写"), 5))
        self.box.driver("post", edit, "WM_COMMAND", 2, 0)
        self.assertTrue(wait_for(lambda: not visible(edit), 5))
        winebox.add_abbreviation(self.box, "addr", ["北京市", "邮编 100080"], immediate=True)
        # Enter on the new row changes it: 立即替换 off, 词中也替换 on, only in notepad.exe.
        self.box.driver("keys", "enter")
        self.assertTrue(wait_for(lambda: visible(change), 5), "Enter on a row opened no 修改缩写")
        self.assertEqual(self.box.driver("text", change, 403)[1], "北京市\\r\\n邮编 100080")
        for check in (404, 405):
            self.box.driver("control", change, check, "BM_CLICK")
        self.box.driver("select", change, 407, 1)
        self.box.driver("clickcontrol", change, 408)
        self.assertTrue(wait_for(lambda: self.box.driver("focus", change)[1].strip() == "408", 5))
        self.box.driver("type", "notepad.exe")
        self.box.driver("control", change, 1, "BM_CLICK")
        self.assertTrue(wait_for(lambda: not visible(change), 5), "修改缩写 stayed open")
        # The Delete key in the list deletes tel.
        self.box.driver("lvselect", dialog, 1)
        self.box.driver("keys", "delete")
        left = ["sig\t张三\t所有程序", "addr\t北京市\t仅在 notepad.exe 中"]
        self.assertTrue(wait_for(lambda: rows() == left, 5), f"{rows()}")
        self.box.driver("control", dialog, 1, "BM_CLICK")
        self.assertTrue(wait_for(lambda: not visible(dialog), 5), "确定 left the dialog open")
        want = ("\ufeff[sig]\r\nText=张三\r\n\r\n[addr]\r\nText=北京市\\n邮编 100080\r\nOnlyIn=notepad.exe\r\n"
                "InWord=1\r\n").encode()
        written = lambda: self.box.host(abbr).read_bytes()
        self.assertTrue(wait_for(lambda: written() == want, 5), f"SaveKey.abbr: {written()!r}")
        # The hook has the new table: tel is gone, sig stays.
        title = self.open_text_box("target.exe")
        self.want = {}
        self.typed(title, "tel sig ", "tel 张三 ")
