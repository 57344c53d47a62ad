// The list file end to end: the real grid, the real code page and the real file system.
#include "core/files/list_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "win/windows/list_view_grid.h"
#include "win/system/strings.h"
#include "win/system/win_system.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

using Bindings = std::vector<BindingTexts>;

class ListFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "the ANSI code page must be GBK: run under LANG=zh_CN.UTF-8";
    ASSERT_FALSE(folder.Path().empty());
    grid.AddRow("Win\tSpace\t显示本软件\t无");  // row 1, the activation row, is never saved
  }

  ListFileContext Context() { return {grid, table, system, system, dialogs}; }
  bool Put() { return HotkeyListFile("put", path, Context()); }
  void Get() { HotkeyListFile("get", path, Context()); }

  void SetBindings(const Bindings& bindings) {
    while (grid.Rows() > kFirstBindingRow) grid.RemoveRow(grid.Rows() - 1);
    for (const BindingTexts& b : bindings) grid.AddRow(GridRowText(b[0], b[1], b[2], b[3]));
  }
  Bindings Loaded() const {
    Bindings out;
    for (int i = 0; i < table.Used(); ++i) {
      const HotkeyEntry& e = table.slots[i];
      out.push_back({e.ModifierText, e.KeyText, e.Name, e.Target});
    }
    return out;
  }
  std::optional<std::string> FileBytes() { return system.ReadFileBytes(path); }

  // Saves the bindings, loads the file back, shows what was loaded and saves again: both loads
  // give the bindings, both saves the same bytes, and nobody is told anything.
  void CheckRoundTrip(const Bindings& bindings, const std::string& expectedBytes) {
    SetBindings(bindings);
    ASSERT_TRUE(Put());
    EXPECT_EQ(FileBytes(), std::optional<std::string>(expectedBytes));
    Get();
    EXPECT_EQ(Loaded(), bindings);
    EXPECT_EQ(table.HotkeyCount, static_cast<int>(bindings.size()));

    SetBindings(Loaded());
    ASSERT_TRUE(Put());
    EXPECT_EQ(FileBytes(), std::optional<std::string>(expectedBytes));
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{});
  }

  ListViewGrid grid{100, {"功能键", "基本键", "调用的程序", "程序路径"}};
  HotkeyTable table;
  WinSystem system;
  wintest::RecordingDialogs dialogs;
  wintest::TempFolder folder;
  std::string path = folder.Join("SaveKey.htk");
};

TEST_F(ListFile, ChineseListIsGbkWithCrLf) {
  CheckRoundTrip({{"Ctrl + Alt", "F5", "我的计算器", "C:\\Windows\\calc.exe"},
                  {"Win", "←", "上一首", "D:\\音乐\\播放.exe"}},
                 "Ctrl + Alt\r\nF5\r\n\xCE\xD2\xB5\xC4\xBC\xC6\xCB\xE3\xC6\xF7\r\n"
                 "C:\\Windows\\calc.exe\r\n"
                 "Win\r\n\xA1\xFB\r\n\xC9\xCF\xD2\xBB\xCA\xD7\r\nD:\\\xD2\xF4\xC0\xD6\\"
                 "\xB2\xA5\xB7\xC5.exe\r\n");
  // What was loaded is ready to register: the codes come from the texts.
  EXPECT_EQ(table.slots[0].Modifiers, kModControl | kModAlt);
  EXPECT_EQ(table.slots[0].VirtualKey, 116);  // F5
  EXPECT_EQ(table.slots[1].VirtualKey, 37);   // the left arrow
}

TEST_F(ListFile, ListWithAnEmojiIsUtf8WithBom) {
  CheckRoundTrip({{"Ctrl", "A", "记事本", "notepad.exe"},
                  {"Alt", "B", "笑脸\xF0\x9F\x98\x80", "C:\\笑脸.exe"}},
                 "\xEF\xBB\xBF"
                 "Ctrl\r\nA\r\n记事本\r\nnotepad.exe\r\n"
                 "Alt\r\nB\r\n笑脸\xF0\x9F\x98\x80\r\nC:\\笑脸.exe\r\n");
}

TEST_F(ListFile, EmptyGridWritesAnEmptyFile) {
  CheckRoundTrip({}, "");
  EXPECT_TRUE(system.FileExists(path));
}

TEST_F(ListFile, MissingFileLoadsNothingAndSaysNothing) {
  SetBindings({{"Ctrl", "A", "记事本", "notepad.exe"}});
  ASSERT_TRUE(Put());
  Get();
  ASSERT_EQ(table.Used(), 1);

  path = folder.Join("没有这个文件.htk");
  Get();
  EXPECT_EQ(table.Used(), 0);
  EXPECT_EQ(dialogs.shown, std::vector<std::string>{});
}

TEST_F(ListFile, FailedSaveKeepsTheOldFileAndSaysSo) {
  SetBindings({{"Ctrl", "A", "记事本", "notepad.exe"}});
  ASSERT_TRUE(Put());
  const std::optional<std::string> before = FileBytes();
  ASSERT_TRUE(SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));

  SetBindings({{"Alt", "B", "画图", "mspaint.exe"}});
  EXPECT_FALSE(Put());
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SaveKey.htk"});
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].rfind("错误!|无法保存热键列表文件：\n" + path, 0), 0u)
      << dialogs.shown[0];
}

}  // namespace
}  // namespace tarvek::win
