# Read into run_e2e.py's module (see the end of that file): E2ECase, PadTests, wait_for and the
# pad's names come from there.


class RealWindowsKeyTests(E2ECase):
    """What Explorer does to a copy that runs as administrator: it drops files on the pad by
    WM_DROPFILES, not by OLE, and the pad takes them as it takes an OLE file drop."""

    visible = PadTests.visible
    text = PadTests.text
    open_pad = PadTests.open_pad

    def test_files_dropped_by_wm_dropfiles_go_into_the_pad(self):
        if self.program.is_floor:
            self.skipTest("floor.exe has no pad")
        self.open_pad([PAD])
        notes = DATA + r"\拖放.txt"
        self.box.write(notes, "第一行\r\n第二行".encode("gbk"))
        self.box.write(DATA + r"\第二个.txt", b"second")
        self.assertEqual(self.box.driver("dropfiles", PAD_TITLE, notes, DATA + r"\第二个.txt")[0], 0,
                         "no text box to drop on")
        # The first file only, its text in front of the (empty) old one, its path the caption.
        self.assertEqual(self.box.driver("findwindow", notes, 10000)[0], 0, "the caption is not the file")
        self.assertTrue(wait_for(lambda: self.text(notes) == "第一行\r\n第二行\r\n\r\n", 5),
                        repr(self.text(notes)))
