// The keys beyond the first 58 and the mouse triggers: names and codes, the list file, the
// base-key box, the modifier some need, and the keypad keys the mouse controller holds.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/validation.h"
#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/program.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;

// After the first 58, in the boxes' order; the last five are the editor's alone.
const std::vector<std::pair<std::string, int>> kNewKeys = {
    {"Insert", 0x2D}, {"Delete", 0x2E}, {"Home", 0x24}, {"PageUp", 0x21}, {"PageDown", 0x22},
    {"Pause", 0x13}, {"ScrollLock", 0x91}, {"PrintScreen", 0x2C}, {"F13", 0x7C}, {"F14", 0x7D},
    {"F15", 0x7E}, {"F16", 0x7F}, {"F17", 0x80}, {"F18", 0x81}, {"F19", 0x82}, {"F20", 0x83},
    {"F21", 0x84}, {"F22", 0x85}, {"F23", 0x86}, {"F24", 0x87}, {"Num0", 0x60}, {"Num1", 0x61},
    {"Num2", 0x62}, {"Num3", 0x63}, {"Num4", 0x64}, {"Num5", 0x65}, {"Num6", 0x66},
    {"Num7", 0x67}, {"Num8", 0x68}, {"Num9", 0x69}, {"Num*", 0x6A}, {"Num+", 0x6B},
    {"Num-", 0x6D}, {"Num.", 0x6E}, {"Num/", 0x6F}, {"-", 0xBD}, {"=", 0xBB}, {"[", 0xDB},
    {"]", 0xDD}, {"\\", 0xDC}, {";", 0xBA}, {"'", 0xDE}, {",", 0xBC}, {".", 0xBE}, {"/", 0xBF},
    {"播放/暂停", 0xB3}, {"停止", 0xB2}, {"上一曲", 0xB1}, {"下一曲", 0xB0}, {"静音", 0xAD},
    {"音量+", 0xAF}, {"音量-", 0xAE}, {"浏览器后退", 0xA6}, {"浏览器前进", 0xA7},
    {"浏览器主页", 0xAC}, {"邮件", 0xB4}, {"计算器", 0xB7}, {"鼠标中键", 0x04},
    {"鼠标侧键1", 0x05}, {"鼠标侧键2", 0x06}, {"滚轮向上", 0x0A}, {"滚轮向下", 0x0B}};

TEST(KeyTable, EveryNewNameBothWaysInTheBoxesOrderAndTheListFileKeepsThem) {
  ASSERT_EQ(KeyNames().size(), 58 + kNewKeys.size());
  ASSERT_EQ(KeyboardKeyNames().size(), KeyNames().size() - 5);
  const auto keyboard = KeyboardKeyNames();
  EXPECT_TRUE(std::equal(keyboard.begin(), keyboard.end(), KeyNames().begin()));
  std::vector<BindingTexts> list;
  for (std::size_t i = 0; i < kNewKeys.size(); ++i) {
    const auto& [name, code] = kNewKeys[i];
    EXPECT_EQ(KeyNames()[58 + i], name);
    EXPECT_EQ(KeyCodeFromName(name), code) << name;
    EXPECT_EQ(KeyNameFromCode(code), name);
    list.push_back({"Ctrl + Alt", name, "名" + name, "t"});
  }
  // The list file: save, load, save gives the same bytes and every code.
  RecordingSystem system;
  const std::string bytes = SerializeList(list, system);
  HotkeyTable table;
  EXPECT_TRUE(ParseList(bytes, system, table).Clean());
  EXPECT_EQ(SerializeList(TableBindings(table), system), bytes);
  for (std::size_t i = 0; i < kNewKeys.size(); ++i) {
    EXPECT_EQ(table.slots[i].VirtualKey, kNewKeys[i].second);
  }
  // "-" and its friends are their keys; other names keep the old rules; unknown codes no name.
  EXPECT_NE(KeyCodeFromName("-"), '-');
  EXPECT_EQ(KeyCodeFromName("*"), '*');
  EXPECT_EQ(KeyCodeFromName("F25"), 25 + 111);
  EXPECT_EQ(KeyCodeFromName("num1"), 111);
  EXPECT_EQ(KeyNameFromCode(0x5B), "");
}

TEST(KeyTable, TheBaseKeyBoxChoosesKeysThatTypeNothingTheListKeepsItsOwn) {
  RecordingSystem system;
  FakeGrid grid;
  EditorModel model(grid, system, {});
  for (auto [code, name] : {std::pair{0x80, "F17"}, {0xAF, "音量+"}, {0x2E, "Delete"}}) {
    EXPECT_TRUE(model.KeyDown(2, code, kCtrlState));
    EXPECT_EQ(model.Box(2), name);
  }
  for (int code : {0x24, 0x22, 0x28, 0x09, 0x0D, 0x1B, 0x51, 0x35, 0xBD, 0x61, 0x20}) {
    EXPECT_FALSE(model.KeyDown(2, code, 0)) << code;
  }
  EXPECT_FALSE(model.KeyDown(2, 0x73, kAltState));  // Alt + F4 closes the window
  EXPECT_FALSE(model.KeyDown(0, 0x80, 0));
  EXPECT_FALSE(model.KeyUp(2, 0x80, 0));
  EXPECT_EQ(model.Box(2), "Delete");
  EXPECT_TRUE(model.KeyUp(2, 0x2C, 0));  // PrintScreen often comes as a release alone
  EXPECT_EQ(model.Box(2), "PrintScreen");
}

TEST(KeyTable, PrintScreenTheMiddleButtonAndTheWheelNeedAModifier) {
  RecordingSystem system;
  FakeGrid grid;
  for (const char* key : {"PrintScreen", "鼠标中键", "滚轮向上", "滚轮向下", "鼠标侧键1", "F13"}) {
    const bool alone = std::string(key) == "鼠标侧键1" || std::string(key) == "F13";
    ComposeInput in{"无", "无", key, "t", key, /*allowNoModifier=*/true};
    system.calls.clear();
    EXPECT_EQ(ComposeHotkeyCells(in, grid, system).has_value(), alone) << key;
    // The message names the key.
    EXPECT_EQ(system.CallsStartingWith(std::string("MessageBox [") + key).size(), alone ? 0u : 1u);
    EXPECT_EQ(system.calls.size(), alone ? 0u : 1u) << key;
    in.m2 = "Shift";
    EXPECT_TRUE(ComposeHotkeyCells(in, grid, system).has_value()) << key;
  }
}

class KeyListTest : public ::testing::Test {
 protected:
  void Load(const std::vector<BindingTexts>& bindings) {
    settings.values["FileSave"] = "D:\\k.htk";
    system.files["D:\\k.htk"] = SerializeList(bindings, system);
    program.LoadPhase();
    program.InitialisePhase();
  }
  RecordingSystem system;
  testing::MemorySettings settings;
  testing::RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
};

TEST_F(KeyListTest, AListOfTheFirst58NamesRegistersAsEver) {
  Load({{"Ctrl", "A", "a", "t"}, {"Alt", "F12", "b", "t"}, {"Shift + Alt", "~", "c", "t"},
        {"Win", "↓", "d", "t"}, {"Ctrl", "Space", "e", "t"}, {"Alt", "*", "f", "t"}});
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey -140"),
            (Calls{"RegisterHotkey -14080 2 65", "RegisterHotkey -14079 1 123",
                   "RegisterHotkey -14078 5 192", "RegisterHotkey -14077 8 40",
                   "RegisterHotkey -14076 2 32", "RegisterHotkey -14075 1 42"}));
}

TEST_F(KeyListTest, TheControllerTakesItsKeypadKeysWhileOnAndGivesThemBack) {
  Load({{"无", "Num1", "一", "t"}, {"Ctrl", "Num1", "二", "t"}, {"无", "Num9", "九", "t"}});
  program.MouseControllerBoxClick(true);
  EXPECT_EQ(grid.held, (std::vector<bool>{false, false, true, false, false}));
  EXPECT_EQ(system.registered.count(BindingIdBase), 0u);
  program.ReregisterAllHotkeys();  // still held, and said to be the controller's
  EXPECT_EQ(grid.held, (std::vector<bool>{false, false, true, false, false}));
  const std::string said = system.CallsStartingWith("MessageBox").back();
  EXPECT_NE(said.find("鼠标控制器开启时不起作用：\n\n一（Num1）"), std::string::npos) << said;
  program.MouseControllerBoxClick(false);
  EXPECT_EQ(grid.held, (std::vector<bool>{false, false, false, false, false}));
  EXPECT_EQ(system.registered.count(BindingIdBase), 1u);
}

}  // namespace
}  // namespace tarvek
