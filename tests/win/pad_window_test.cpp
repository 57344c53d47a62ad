// The drag-and-save pad under Wine: its drop target called as OLE calls it with data objects as
// a drag source hands them over, its files on the real file system in code page 936, its text
// box beyond the usual limit, Esc, and the close box.
#include "pad/pad_window.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>

#include "../common/test_data_object.h"
#include "win/system/files.h"
#include "win/system/strings.h"
#include "win/system/win_system.h"
#include "win_test_support.h"

namespace tarvek {
namespace {

using namespace pad_ids;
using testdata::DataObject;

void PumpWaiting() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (win::HandleModelessDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::string FileBytes(const std::string& path) {
  std::string bytes;
  EXPECT_EQ(win::ReadWholeFile(path, 1 << 20, bytes), win::FileRead::kOk) << path;
  return bytes;
}

bool Topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The message box of this thread that is showing is answered OK; whether the windows above it
// stay on top is written down first.
HWND padShown = nullptr;
bool padTopmostDuringBox = true;
BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (wcscmp(name, L"#32770") == 0 && IsWindowVisible(window)) {
    padTopmostDuringBox = Topmost(padShown);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}
void CALLBACK LookForBox(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

class PadWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "the tests expect the Simplified Chinese code page";
    ASSERT_TRUE(pad.Create(GetModuleHandleW(nullptr)));
    pad.Show();
  }

  std::string Text() { return win::WindowText(pad.Control(kText1Id)); }
  std::string Title() { return win::WindowText(pad.Handle()); }
  void Tick(int id) { SendMessageW(pad.Control(id), BM_CLICK, 0, 0); }

  // Drags the object over the text box and drops it there, as OLE does; the effects of the
  // drag and of the drop.
  std::pair<DWORD, DWORD> DropOnText(DataObject* data) {
    POINT corner{1, 1};  // in front of the first character
    ClientToScreen(pad.Control(kText1Id), &corner);
    POINTL at{corner.x, corner.y};
    IDropTarget* target = pad.DropTargetForText();
    DWORD dragged = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(data, MK_LBUTTON, at, &dragged);
    DWORD dropped = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->Drop(data, 0, at, &dropped);
    data->Release();
    PumpWaiting();  // the pad takes a drop in once the drop's caller has returned
    return {dragged, dropped};
  }

  wintest::TempFolder folder;
  win::WinSystem codec;
  wintest::RecordingDialogs dialogs;
  bool saved = true;
  std::deque<std::string> chosen;  // the file dialog's answers
  PadWindow pad{PadServices{codec, saved, PumpWaiting, &dialogs, [this](bool) {
                              std::optional<std::string> answer;
                              if (!chosen.empty()) answer = chosen.front(), chosen.pop_front();
                              return answer;
                            }}};
};

TEST_F(PadWindowTest, DropsOfFilesAndTextThroughTheDropTarget) {
  const std::string notes = folder.Join("笔记.TXT"), second = folder.Join("第二个.txt");
  const std::string picture = folder.Join("照片.png");
  ASSERT_TRUE(
      win::ReplaceFileAtomically(notes, "\xB5\xDA\xD2\xBB\xD0\xD0\r\n\xB5\xDA\xB6\xFE\xD0\xD0"));
  ASSERT_TRUE(win::ReplaceFileAtomically(second, "second"));
  ASSERT_TRUE(win::ReplaceFileAtomically(picture, std::string("PNG\r\n\x1A\n\0\0", 9)));

  // Two files: the first is read (GBK "第一行", "第二行") and becomes the current file.
  auto effects = DropOnText(DataObject::Files({win::Widen(notes), win::Widen(second)}));
  EXPECT_EQ(effects, (std::pair<DWORD, DWORD>{DROPEFFECT_COPY, DROPEFFECT_COPY}));
  EXPECT_EQ(Text(), "第一行\r\n第二行\r\n\r\n");
  EXPECT_EQ(Title(), notes);
  EXPECT_FALSE(saved);

  // Text files only: a picture gives its path, a .TXT its text; the current file stays.
  Tick(kCheck3Id);
  Tick(kCheck1Id);  // and each drop empties the pad first
  DropOnText(DataObject::Files({win::Widen(picture)}));
  EXPECT_EQ(Text(), picture + "\r\n");
  DropOnText(DataObject::Files({win::Widen(second)}));
  EXPECT_EQ(Text(), "second\r\n\r\n");
  EXPECT_EQ(Title(), notes);
  Tick(kCheck3Id);
  DropOnText(DataObject::Files({win::Widen(picture)}));  // any file read as text
  EXPECT_EQ(Text(), "PNG\r\n\x1A\n  \r\n\r\n");
  EXPECT_EQ(Title(), picture);

  // Plain text, Unicode or in the ANSI code page, after the text with "后接收的内容放在后面".
  Tick(kCheck1Id);
  Tick(kOption1Id);
  SetWindowTextW(pad.Control(kText1Id), L"旧");
  DropOnText(DataObject::UnicodeText(L"拖来的"));
  DropOnText(DataObject::AnsiText("\xC4\xE3\xBA\xC3"));  // 你好
  EXPECT_EQ(Text(), "旧\r\n拖来的\r\n你好");
  EXPECT_EQ(dialogs.shown, std::vector<std::string>{});

  // Neither format: refused while dragged, and a drop says so and changes nothing.
  effects = DropOnText(DataObject::Neither());
  EXPECT_EQ(effects, (std::pair<DWORD, DWORD>{DROPEFFECT_NONE, DROPEFFECT_NONE}));
  EXPECT_EQ(dialogs.shown, std::vector<std::string>{"内部错误!|" + std::string(kDropFailedText)});
  EXPECT_EQ(Text(), "旧\r\n拖来的\r\n你好");
  EXPECT_TRUE(Topmost(pad.Handle())) << "topmost again";

  // "支持文件拖放" off: files are refused, text goes in where it is dropped (the start here).
  Tick(kCheck2Id);
  effects = DropOnText(DataObject::Files({win::Widen(second)}));
  EXPECT_EQ(effects.first, static_cast<DWORD>(DROPEFFECT_NONE));
  DropOnText(DataObject::UnicodeText(L"插入"));
  EXPECT_EQ(Text(), "插入旧\r\n拖来的\r\n你好");
}

TEST_F(PadWindowTest, FilesRoundTripInTheAnsiCodePageAndAFailedSaveKeepsTheFile) {
  const std::string three = folder.Join("三行.txt"), copy = folder.Join("副本.txt");
  const std::string gbk = "\xD2\xBB\r\n\xB6\xFE\r\xC8\xFD";  // 一 CR LF 二 CR 三, no line end
  ASSERT_TRUE(win::ReplaceFileAtomically(three, gbk));
  pad.Model().OpenFile(three);
  EXPECT_EQ(Text(), "一\r\n二\r\n三\r\n");
  EXPECT_EQ(Title(), three);
  EXPECT_TRUE(saved);

  chosen = {copy};
  Tick(kCommand1Id);  // 另存为...: unchanged, the file's own bytes
  EXPECT_EQ(FileBytes(copy), gbk);
  EXPECT_EQ(Title(), copy);
  // A text the code page cannot hold is kept whole, as UTF-8 with a byte-order mark.
  SetWindowTextW(pad.Control(kText1Id), L"中\U0001F600");
  Tick(kCommand2Id);  // 保存(&S): no question
  EXPECT_EQ(FileBytes(copy), "\xEF\xBB\xBF中😀");
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"三行.txt", "副本.txt"}));

  // A read-only file keeps its bytes; the text, the caption and the flag stay.
  ASSERT_TRUE(SetFileAttributesW(win::Widen(copy).c_str(), FILE_ATTRIBUTE_READONLY));
  SetWindowTextW(pad.Control(kText1Id), L"新的文字");
  pad.Model().TextEdited();
  Tick(kCommand2Id);
  EXPECT_EQ(FileBytes(copy), "\xEF\xBB\xBF中😀");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].rfind("即拖即存|无法保存到文件：\n" + copy, 0), 0u)
      << dialogs.shown[0];
  EXPECT_EQ(Text(), "新的文字");
  EXPECT_FALSE(saved);
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"三行.txt", "副本.txt"}));
}

TEST_F(PadWindowTest, LongTextsEscAndTheCloseBox) {
  // Typing goes on past the text box's usual limit of about 32 000 characters.
  HWND box = pad.Control(kText1Id);
  SetWindowTextW(box, std::wstring(40000, L'a').c_str());
  SendMessageW(box, EM_SETSEL, 40000, 40000);
  SendMessageW(box, WM_CHAR, L'b', 0);
  EXPECT_EQ(GetWindowTextLengthW(box), 40001);
  EXPECT_FALSE(saved);

  // Esc in the text box runs 修正.
  SetWindowTextW(box, L"< x");
  SetFocus(box);
  MSG esc{box, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_TRUE(win::HandleModelessDialogMessage(esc));
  EXPECT_EQ(Text(), "<x");

  // The close box does nothing while the text is unsaved; closed with 关闭(&C), it goes.
  SendMessageW(pad.Handle(), WM_CLOSE, 0, 0);
  ASSERT_NE(pad.Handle(), nullptr);
  EXPECT_TRUE(IsWindowVisible(pad.Handle()));
  Tick(kCommand3Id);
  EXPECT_FALSE(IsWindowVisible(pad.Handle()));
  EXPECT_EQ(Text(), "");
  EXPECT_TRUE(saved);
  SendMessageW(pad.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(pad.Handle(), nullptr);
}

// Makes the pad 100 pixels wider, once, at a turn of the message loop while its text box is
// hidden (a long text goes in).
HWND widened = nullptr;
void CALLBACK WidenOnce(HWND, UINT, UINT_PTR id, DWORD) {
  if (IsWindowVisible(GetDlgItem(widened, kText1Id))) return;
  KillTimer(nullptr, id);
  RECT r{};
  GetWindowRect(widened, &r);
  SetWindowPos(widened, nullptr, 0, 0, r.right - r.left + 100, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST_F(PadWindowTest, ALongTextGoesInWholeInPiecesAndWrapsByItsWords) {
  // Lines of Chinese, rare characters and blanks. (A line longer than a piece would take Wine's
  // box minutes to wrap: it measures the rest of a line again for each line it wraps off it.)
  std::string text;
  for (int i = 0; i < 12000; ++i) {
    text += "第" + std::to_string(i) + "行 some words \xF0\xA0\x80\x80 测试\r\n";
  }
  text += std::string(3000, 'x') + "\r\n尾\r\n";
  const std::string file = folder.Join("long.txt");
  ASSERT_TRUE(win::ReplaceFileAtomically(file, "\xEF\xBB\xBF" + text));
  SetFocus(pad.Control(kText1Id));
  const bool focused = GetFocus() == pad.Control(kText1Id);
  RECT before{}, after{};
  GetWindowRect(pad.Control(kText1Id), &before);
  widened = pad.Handle();
  const UINT_PTR timer = SetTimer(nullptr, 0, 1, WidenOnce);
  pad.Model().OpenFile(file);
  EXPECT_EQ(Text(), text);
  // The box, hidden while the text went in, is back, has the focus it had and the width of the
  // wider window.
  EXPECT_TRUE(IsWindowVisible(pad.Control(kText1Id)));
  GetWindowRect(pad.Control(kText1Id), &after);
  EXPECT_EQ(after.right - after.left, before.right - before.left + 100);
  KillTimer(nullptr, timer);
  if (focused) {
    EXPECT_EQ(GetFocus(), pad.Control(kText1Id));
  }
  DWORD start = 1, end = 1;
  SendMessageW(pad.Control(kText1Id), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start + end, 0u) << "the caret at the start, as after a text set in one go";
  // A long drop in front of it goes in without the text that stays.
  std::wstring dropped;
  for (int i = 0; i < 40000; ++i) dropped += L"前面 " + std::to_wstring(i) + L"\r\n";
  DropOnText(DataObject::UnicodeText(dropped));
  EXPECT_EQ(Text(), win::Narrow(dropped) + "\r\n" + text);

  // Wrapped by words: a line of words never breaks inside one, a line of Chinese anywhere.
  HWND box = pad.Control(kText1Id);
  std::string chinese;
  for (int i = 0; i < 120; ++i) chinese += "中";
  SetWindowTextW(box, win::Widen("alpha beta gamma delta epsilon zeta eta theta iota kappa "
                                  "lambda\r\n" + chinese).c_str());
  const std::wstring all = win::Widen(Text());
  const LRESULT lines = SendMessageW(box, EM_GETLINECOUNT, 0, 0);
  EXPECT_GT(lines, 3);
  for (LRESULT line = 1; line < lines; ++line) {
    const auto first = static_cast<std::size_t>(SendMessageW(box, EM_LINEINDEX, line, 0));
    ASSERT_GT(first, 0u);
    EXPECT_TRUE(all[first - 1] == L' ' || all[first - 1] == L'\n' || all[first] == L'中')
        << "line " << line << " starts inside a word";
  }
}

TEST_F(PadWindowTest, TheQuestionsOfOtherWindowsAreNotHiddenBehindThePad) {
  // The exit question is the main window's; the pad stays on top of every other window.
  wintest::HiddenWindow owner;
  padShown = pad.Handle();
  padTopmostDuringBox = true;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, LookForBox);
  EXPECT_EQ(win::ModalMessageBox(owner.get(), "即拖即存中的内容还没有保存，确信不保存就退出系统吗?",
                                 "Vorda-即拖即存", MB_ICONINFORMATION | MB_OKCANCEL),
            IDOK);
  KillTimer(nullptr, timer);
  EXPECT_FALSE(padTopmostDuringBox) << "the pad covers the question";
  EXPECT_TRUE(Topmost(pad.Handle())) << "the pad stays on top again";
}

}  // namespace
}  // namespace tarvek
