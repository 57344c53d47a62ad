#!/usr/bin/env python3
"""Makes the README's screenshots: every window of the program under Wine + Xvfb, as a new
user opens it, each cropped to its window and written to docs/.

    tests/e2e/screenshots.py [--exe build/mingw/TarvekHotKey.exe] [--out docs]
"""
import argparse
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import winebox  # noqa: E402
from winebox import PROGRAM_DIR, Box, Program, wait_for  # noqa: E402

MAIN = "LumekVorda2009 v1.0 beta"
BINDINGS = [("Ctrl + Alt", "C", "计算器", r"C:\windows\system32\calc.exe"),
            ("Ctrl + Alt", "N", "记事本", r"C:\windows\system32\notepad.exe"),
            ("Win", "E", "我的文档", r"C:\users"),
            ("Ctrl + Shift", "P", "即拖即存", "使用即拖即存"),
            ("Ctrl + Alt", "T", "签名", "输入文本")]
# The text the last binding types, and the programs it acts in.
OPTIONS = "[Ctrl + Alt | T]\r\nText=张三\\n电话：010-1234 5678\\n北京市海淀区\r\nOnlyIn=notepad.exe;WINWORD.EXE\r\n"
# The entries added in "缩写替换": (abbreviation, the text's lines, 立即替换, 词中也替换, the index
# of 适用于, its programs).
ABBREVIATION_SAMPLES = [
    ("addr", ["北京市海淀区中关村大街 1 号", "邮编 100080"], False, False, 0, ""),
    (";sig", ["张三", "产品部 电话 010-1234 5678"], True, False, 0, ""),
    ("@@", ["zhangsan@example.com"], True, True, 0, ""),
    ("selx", ["SELECT * FROM orders WHERE id = "], False, False, 1, "Code.exe;notepad.exe"),
]
# (file, how it is opened: a command of the main window or a button, its title, how it closes)
WINDOWS = [
    ("settings-dialog", ("post", 2015), "软件设置", 2),
    ("editor", ("post", 2005), "添加热键", 2),
    ("save-list", ("post", 2016), "保存列表", 2),
    ("import-list", ("post", 2017), "导入列表", 2),
    ("help", ("post", 105), "帮助", None),
    ("about", ("post", 107), "关于", 2),
    ("pad", ("keys", "ctrl+shift+p"), "即拖即存", None),
]


def fill_pad(box, title):
    """What the README's caption says of the pad: a line typed, then a text file and a line of
    text dragged onto it from another program. Returns the pad's caption, the file's path."""
    notes = r"C:\pad-data\购物清单.txt"
    box.write(notes, "牛奶 两盒\r\n面包\r\n鸡蛋 一打\r\n".encode("gbk"))
    box.driver("type", "周末要做的事")
    wait_for(lambda: box.driver("text", title, 100)[1].strip() == "周末要做的事", 5)
    box.driver("drop", title, 60, 40, "files", notes)
    wait_for(lambda: box.driver("findwindow", notes)[0] == 0, 10)
    box.driver("drop", notes, 60, 40, "text", "记得给花浇水")
    wait_for(lambda: box.driver("text", notes, 100)[1].startswith("记得给花浇水"), 10)
    return notes


def crop(display, box, title, out):
    rc, rect = box.driver("rect", title)
    if rc != 0:
        raise RuntimeError(f"no window '{title}'")
    left, top, right, bottom = (int(v) for v in rect.split())
    shot = out.with_suffix(".full.png")
    display.screenshot(shot)
    subprocess.run(["convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    str(out)], check=True)
    shot.unlink()
    print(f"screenshots: {out}")


def main():
    build = winebox.REPO / "build" / "mingw"
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", type=Path, default=build / "TarvekHotKey.exe")
    parser.add_argument("--out", type=Path, default=winebox.REPO / "docs")
    args = parser.parse_args()
    display = winebox.Display()
    try:
        winebox.ensure_template(build / "wine-template", display)
        box = Box(build / "wine-template", display, "screenshots", build / "tests" / "e2e" / "driver.exe",
                  build / "tests" / "e2e" / "target.exe")
        try:
            box.install(Program(args.exe.resolve()))
            box.write(PROGRAM_DIR + r"\SaveKey.htk", winebox.encode_list(BINDINGS))
            box.write(PROGRAM_DIR + r"\SaveKey.opt", b"\xef\xbb\xbf" + OPTIONS.encode())
            box.write(PROGRAM_DIR + r"\工作.htk", b"")
            box.write(PROGRAM_DIR + r"\游戏.htk", b"")
            box.set_settings({"FileSave": PROGRAM_DIR + r"\SaveKey.htk", "ShowInfo": "0", "PlaySound": "0",
                              "ShowIcon": "0"})
            box.spawn(PROGRAM_DIR + r"\TarvekHotKey.exe")
            box.driver("waitidle", "Tarvek HotKey", 20000)
            box.driver("keys", "win+space")
            wait_for(lambda: box.driver("visible", MAIN)[0] == 0, 5)
            time.sleep(1.0)
            crop(display, box, MAIN, args.out / "main-window.png")
            for name, (how, what), title, close in WINDOWS:
                if how == "post":
                    box.driver("post", MAIN, "WM_COMMAND", what, 0)
                else:
                    box.driver("keys", what)
                if not wait_for(lambda: box.driver("visible", title)[0] == 0, 5):
                    print(f"screenshots: '{title}' did not open", file=sys.stderr)
                    continue
                if name == "pad":
                    title = fill_pad(box, title)
                time.sleep(1.0)
                crop(display, box, title, args.out / f"{name}.png")
                if close is None:
                    box.driver("post", title, "WM_CLOSE", 0, 0)
                else:
                    box.driver("post", title, "WM_COMMAND", close, 0)
                wait_for(lambda: box.driver("visible", title)[0] != 0, 5)
            # The launch options of a binding, from the editor's 选项... while it changes one; then
            # those of the binding that types a text.
            for row, name in ((1, "launch-options"), (len(BINDINGS), "launch-options-text")):
                box.driver("lvselect", MAIN, row)
                box.driver("post", MAIN, "WM_COMMAND", 2006, 0)
                if wait_for(lambda: box.driver("visible", "添加热键")[0] == 0, 5):
                    box.driver("control", "添加热键", 118, "BM_CLICK")
                    if wait_for(lambda: box.driver("visible", "启动选项")[0] == 0, 5):
                        time.sleep(1.0)
                        crop(display, box, "启动选项", args.out / f"{name}.png")
                        box.driver("post", "启动选项", "WM_COMMAND", 2, 0)
                        wait_for(lambda: box.driver("visible", "启动选项")[0] != 0, 5)
                    box.driver("post", "添加热键", "WM_COMMAND", 2, 0)
                    wait_for(lambda: box.driver("visible", "添加热键")[0] != 0, 5)
            # 高级 > 缩写替换 with a few entries added as a user adds them.
            box.driver("post", MAIN, "WM_COMMAND", 2021, 0)
            if wait_for(lambda: box.driver("visible", "缩写替换")[0] == 0, 5):
                for sample in ABBREVIATION_SAMPLES:
                    winebox.add_abbreviation(box, *sample)
                box.driver("lvselect", "缩写替换", 0)
                time.sleep(1.0)
                crop(display, box, "缩写替换", args.out / "abbreviations.png")
                box.driver("post", "缩写替换", "WM_COMMAND", 2, 0)
                wait_for(lambda: box.driver("visible", "缩写替换")[0] != 0, 5)
        finally:
            box.close()
    finally:
        display.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
