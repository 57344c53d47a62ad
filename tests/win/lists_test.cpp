// Named lists under Wine: the list folder read, renamed and deleted through the real file
// system, the input box, and the two list dialogs as real windows driven through their keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/files/list_file.h"
#include "lists/import_list_dialog.h"
#include "lists/save_list_dialog.h"
#include "win/windows/input_box.h"
#include "win/windows/list_view_grid.h"
#include "win/system/strings.h"
#include "win/system/win_system.h"
#include "win_test_support.h"

namespace tarvek {
namespace {

using Names = std::vector<std::string>;
using wintest::PostKey;
using wintest::Script;
using wintest::ShownSystemDialog;

std::string Text(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return win::Narrow(text);
}

// The whole text of an edit control is selected.
bool WhollySelected(HWND edit) {
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthW(edit)) && end > 0;
}

Names ListBoxItems(HWND list) {
  Names items;
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(win::Narrow(text));
  }
  return items;
}

// A click on an item as the list box reports it to its window.
void ClickItem(HWND list, int index) {
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

HWND ShownInputBox() { return FindWindowW(win::kInputBoxClass, nullptr); }

// The message box shown, its text, answered with OK; empty while none is shown.
std::string AnswerMessageBox() {
  HWND box = ShownSystemDialog();
  if (box == nullptr) return {};
  std::string text = Text(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return text.empty() ? "?" : text;
}

Names Lower(Names names) {
  for (std::string& name : names) {
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void Write(const std::string& path, const std::string& bytes) {
  win::WinSystem files;
  ASSERT_TRUE(files.ReplaceFileBytes(path, bytes)) << path;
}

// --- The folder ------------------------------------------------------------------------------

TEST(ListFolder, ListsFilesOnlyAndRenamesAndDeletesAsTheDialogsNeed) {
  wintest::TempFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  win::WinSystem system;
  for (const char* name : {"SaveKey.htk", "工作.HTK", "a.htk.htk", "notes.txt"}) {
    Write(folder.Join(name), name);
  }
  ASSERT_TRUE(CreateDirectoryW(win::Widen(folder.Join("dir.htk")).c_str(), nullptr));

  Names listed = system.FileNamesIn(folder.Path());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (Names{"SaveKey.htk", "a.htk.htk", "notes.txt", "工作.HTK"}));
  EXPECT_EQ(NamesOf(ReadNamedLists(system, folder.Path())), (Names{"a", "SaveKey", "工作"}));
  EXPECT_EQ(system.FileNamesIn(folder.Join("missing")), Names{});

  // Rename takes "=", never replaces another list, and may change the letter case alone.
  EXPECT_TRUE(system.RenameFile(folder.Join("工作.HTK"), folder.Join("a=b.htk")));
  EXPECT_FALSE(system.RenameFile(folder.Join("a=b.htk"), folder.Join("savekey.htk")));
  EXPECT_EQ(system.ReadFileBytes(folder.Join("SaveKey.htk")),
            std::optional<std::string>("SaveKey.htk"));
  // (Windows changes the case; Wine keeps the file as it was, and says yes all the same.)
  EXPECT_TRUE(system.RenameFile(folder.Join("SaveKey.htk"), folder.Join("savekey.htk")));
  EXPECT_EQ(system.ReadFileBytes(folder.Join("savekey.htk")),
            std::optional<std::string>("SaveKey.htk"));
  EXPECT_FALSE(system.RenameFile(folder.Join("gone.htk"), folder.Join("new.htk")));
  EXPECT_EQ(Lower(folder.Entries()),
            (Names{"a.htk.htk", "a=b.htk", "dir.htk", "notes.txt", "savekey.htk"}));

  // Delete: not a missing file, not a read-only one.
  EXPECT_FALSE(system.RemoveFile(folder.Join("gone.htk")));
  ASSERT_TRUE(
      SetFileAttributesW(win::Widen(folder.Join("a=b.htk")).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(system.RemoveFile(folder.Join("a=b.htk")));
  EXPECT_TRUE(system.RemoveFile(folder.Join("a.htk.htk")));
  EXPECT_EQ(Lower(folder.Entries()), (Names{"a=b.htk", "dir.htk", "notes.txt", "savekey.htk"}));
}

// --- The input box -----------------------------------------------------------------------------

TEST(InputBoxWindow, OkGivesTheTextAndEveryWayOutElseGivesNothing) {
  wintest::HiddenWindow owner;
  auto giveUp = [] {
    if (HWND box = ShownInputBox()) PostMessageW(box, WM_CLOSE, 0, 0);
  };
  {
    Script script({[&] {
                    HWND box = ShownInputBox();
                    if (box == nullptr || !IsWindowVisible(box)) return false;
                    EXPECT_EQ(Text(box), "列表改名");
                    EXPECT_EQ(Text(GetDlgItem(box, win::input_box_ids::kPromptId)),
                              "请输入新的列表文件名:");
                    HWND edit = GetDlgItem(box, win::input_box_ids::kTextId);
                    EXPECT_EQ(GetFocus(), edit);
                    EXPECT_EQ(Text(edit), "工作");
                    EXPECT_TRUE(WhollySelected(edit));
                    EXPECT_FALSE(IsWindowEnabled(owner.get()));
                    SetWindowTextW(edit, L"家里");
                    PostKey(WM_KEYDOWN, VK_RETURN);
                    return true;
                  }},
                  giveUp);
    EXPECT_EQ(win::InputBox(owner.get(), "请输入新的列表文件名:", "列表改名", "工作"), "家里");
    EXPECT_FALSE(script.TimedOut());
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
    EXPECT_EQ(ShownInputBox(), nullptr);  // made for the question, gone after it
  }
  for (int way = 0; way < 3; ++way) {
    Script script({[&] {
                    HWND box = ShownInputBox();
                    if (box == nullptr || !IsWindowVisible(box)) return false;
                    SetWindowTextW(GetDlgItem(box, win::input_box_ids::kTextId), L"不要");
                    if (way == 0) PostKey(WM_KEYDOWN, VK_ESCAPE);
                    if (way == 1) PostMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
                    if (way == 2) PostMessageW(box, WM_CLOSE, 0, 0);
                    return true;
                  }},
                  giveUp);
    EXPECT_EQ(win::InputBox(owner.get(), "?", "列表改名", "工作"), "") << way;
    EXPECT_FALSE(script.TimedOut()) << way;
  }
}

// --- The dialogs -----------------------------------------------------------------------------

class ListDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder.Path().empty());
    system.SetMainWindow(owner.get());
    grid.AddRow("Win\tSpace\t显示本软件\t无");
    grid.AddRow("Ctrl + Alt\tC\t我的计算器\tcalc");
    Write(folder.Join("SaveKey.htk"), SerializeList(GridBindings(grid), system));
    Write(folder.Join("工作.htk"), "");
  }
  // Ends whatever is open when a script runs out: a message box, the input box, the dialog.
  std::function<void()> GiveUp(HWND dialog) {
    return [dialog] {
      if (HWND box = ShownSystemDialog()) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
      if (HWND box = ShownInputBox()) PostMessageW(box, WM_CLOSE, 0, 0);
      PostMessageW(dialog, WM_CLOSE, 0, 0);
    };
  }

  wintest::HiddenWindow owner;
  wintest::TempFolder folder;
  win::WinSystem system;
  win::ListViewGrid grid{100, {"功能键", "基本键", "调用的程序", "程序路径"}};
};

// A user's round: the name box offered wholly selected, a list clicked and renamed through
// the input box, a name that leaves the folder refused with its message, Esc.
TEST_F(ListDialogsTest, SaveListRenamesThroughTheInputBoxAndRefusesANameOutsideTheFolder) {
  using namespace save_list_ids;
  SaveListModel model(grid, system, folder.Path());
  SaveListDialog dialog(model);
  ASSERT_TRUE(dialog.Create(GetModuleHandleW(nullptr), owner.get()));
  HWND list = dialog.Control(kList1Id);
  HWND text = dialog.Control(kText1Id);
  std::string refusal;
  Script script({[&] {
                   EXPECT_EQ(GetFocus(), text);
                   EXPECT_TRUE(WhollySelected(text));
                   EXPECT_EQ(ListBoxItems(list), (Names{"SaveKey", "工作"}));
                   ClickItem(list, 1);
                   EXPECT_EQ(Text(text), "工作");
                   EXPECT_TRUE(IsWindowEnabled(dialog.Control(kCommand4Id)));
                   SetFocus(list);
                   PostKey(WM_SYSCHAR, L'r');  // 改名 &R
                   return true;
                 },
                 [&] {
                   HWND box = ShownInputBox();
                   if (box == nullptr || !IsWindowVisible(box)) return false;
                   EXPECT_EQ(Text(GetDlgItem(box, win::input_box_ids::kTextId)), "工作");
                   SetWindowTextW(GetDlgItem(box, win::input_box_ids::kTextId), L"a=b");
                   PostMessageW(box, WM_COMMAND, IDOK, 0);
                   return true;
                 },
                 [&] {
                   if (ShownInputBox() != nullptr) return false;
                   EXPECT_EQ(ListBoxItems(list), (Names{"a=b", "SaveKey"}));
                   EXPECT_FALSE(IsWindowEnabled(dialog.Control(kCommand4Id)));
                   EXPECT_EQ(GetFocus(),
                             list);  // the disabled button gave the keyboard to the names
                   SetFocus(text);
                   SetWindowTextW(text, L"..\\..\\外面");
                   PostKey(WM_KEYDOWN, VK_RETURN);  // 保存 &Y
                   return true;
                 },
                 [&] {
                   refusal = AnswerMessageBox();
                   return !refusal.empty();
                 },
                 [&] {
                   if (ShownSystemDialog() != nullptr) return false;
                   EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
                   PostKey(WM_KEYDOWN, VK_ESCAPE);
                   return true;
                 }},
                GiveUp(dialog.Handle()));
  dialog.ShowModal();
  EXPECT_FALSE(script.TimedOut());
  EXPECT_TRUE(script.Finished());
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  EXPECT_EQ(refusal, "请输入一个合法的文件名称作为列表名称.");
  EXPECT_EQ(folder.Entries(), (Names{"SaveKey.htk", "a=b.htk"}));
  // Nothing was written two folders up either.
  std::string parent = folder.Path().substr(0, folder.Path().rfind('\\'));
  parent = parent.substr(0, parent.rfind('\\'));
  EXPECT_FALSE(system.FileExists(parent + "\\外面.htk"));
}

TEST_F(ListDialogsTest, ImportListStoresTheListForTheNextStartAndTheStarImportsAnyFile) {
  using namespace import_list_ids;
  wintest::MemoryStore store;
  SettingsDialogModel live(store, folder.Join("TarvekHotKey.exe"));
  live.SetListPath(folder.Join("SaveKey.htk"));
  ProgramFlags flags;
  ImportListModel model(system, store, live, flags, folder.Path());
  ImportListDialog dialog(model);
  ASSERT_TRUE(dialog.Create(GetModuleHandleW(nullptr), owner.get()));
  EXPECT_EQ(Text(dialog.Handle()), "导入列表");
  EXPECT_EQ(Text(dialog.Control(kCommand1Id)), "确定 &Y");
  EXPECT_EQ(Text(dialog.Control(kCommand3Id)), "运行时加载 &R");
  wintest::TempFolder elsewhere;
  Write(elsewhere.Join("备份.htk"), "");
  HWND list = dialog.Control(kList1Id);
  Script script({[&] {
                   EXPECT_EQ(GetFocus(), list);
                   EXPECT_FALSE(IsWindowEnabled(dialog.Control(kCommand1Id)));
                   EXPECT_FALSE(IsWindowEnabled(dialog.Control(kCommand3Id)));
                   ClickItem(list, 1);
                   EXPECT_TRUE(IsWindowEnabled(dialog.Control(kCommand1Id)));
                   SetFocus(dialog.Control(kCommand3Id));
                   PostKey(WM_SYSCHAR, L'r');  // 运行时加载 &R
                   return true;
                 },
                 [&] {
                   if (IsWindowEnabled(dialog.Control(kCommand3Id))) return false;
                   EXPECT_EQ(store.Get("FileSave"), folder.Join("工作.htk"));
                   EXPECT_EQ(GetFocus(), list);
                   PostMessageW(dialog.Control(kCommand4Id), BM_CLICK, 0, 0);  // *
                   return true;
                 },
                 [&] {
                   HWND shown = ShownSystemDialog();
                   if (shown == nullptr) return false;
                   SetDlgItemTextW(shown, 0x47C /* cmb13 */,
                                   win::Widen(elsewhere.Join("备份.htk")).c_str());
                   PostMessageW(shown, WM_COMMAND, IDOK, 0);
                   return true;
                 }},
                GiveUp(dialog.Handle()));
  dialog.ShowModal();
  EXPECT_FALSE(script.TimedOut());
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  EXPECT_TRUE(flags.ImportPending);
  EXPECT_EQ(live.ListPath(), elsewhere.Join("备份.htk"));
  EXPECT_EQ(store.Get("FileSave"), folder.Join("工作.htk"));
}

}  // namespace
}  // namespace tarvek
