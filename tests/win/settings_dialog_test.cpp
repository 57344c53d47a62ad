// The settings dialog as a real window: its controls as the system reports them, the model
// drawn and driven through them, the dialog keys in its own modal loop, and the activation
// hotkey changed with real registrations.
#include "settings/settings_dialog.h"
#include "win/windows/dialog_kit.h"

#include <dlgs.h>
#include <gtest/gtest.h>
#include <imm.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/hotkey_table.h"
#include "win/windows/list_view_grid.h"
#include "win/system/strings.h"
#include "win/system/win_system.h"
#include "win_test_support.h"

namespace tarvek {
namespace {

using namespace settings_ids;
using Ids = std::vector<int>;
using wintest::MemoryStore;
using wintest::PostKey;
using wintest::Script;
using wintest::ShownSystemDialog;

std::string Text(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return win::Narrow(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return win::Narrow(name);
}

class SettingsDialogWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(owner.get(), nullptr);
    system.SetMainWindow(owner.get());
    grid.AddRow("Win\tSpace\t显示本软件\t无");
    ASSERT_TRUE(dialog.Create(GetModuleHandleW(nullptr), owner.get()));
  }

  HWND Item(int id) const { return GetDlgItem(dialog.Handle(), id); }
  std::string ComboText(int id) const {
    HWND combo = Item(id);
    auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    wchar_t text[64] = {};
    if (index >= 0)
      SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return win::Narrow(text);
  }
  bool Checked(int id) const { return IsDlgButtonChecked(dialog.Handle(), id) == BST_CHECKED; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }

  wintest::HiddenWindow owner;
  win::WinSystem system;
  MemoryStore store;
  SettingsDialogModel model{store, "C:\\HK\\TarvekHotKey.exe"};
  win::ListViewGrid grid{100, {"功能键", "基本键", "调用的程序", "程序路径"}};
  SettingsDialog dialog{model, grid, system};
};

TEST_F(SettingsDialogWindow, ActivationBoxesTakeNoInputMethod) {
  for (int id : {kCombo1Id0, kCombo1Id1, kCombo1Id2, kText1Id}) {
    HIMC context = ImmGetContext(Item(id));
    if (context != nullptr) ImmReleaseContext(Item(id), context);
    // The path field is for text: it keeps the input method.
    EXPECT_EQ(context != nullptr, id == kText1Id) << id;
  }
}

TEST_F(SettingsDialogWindow, CreatedHiddenWithEveryControlAndCaption) {
  HWND window = dialog.Handle();
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(Text(window), "软件设置");
  EXPECT_EQ(GetWindow(window, GW_OWNER), owner.get());

  struct Expected {
    int id;
    const char* className;
    const char* caption;
  };
  for (const Expected& e : {
           Expected{kFrame1Id, "Button", "软件设置"},
           Expected{kLabel1Id, "Static", "热键列表存放路径："},
           Expected{kText1Id, "Edit", ""},
           Expected{kCommand5Id, "Button", "..."},
           Expected{kCheck1Id, "Button", "本软件随系统启动"},
           Expected{kCheck2Id, "Button", "开启热键声音"},
           Expected{kCheck3Id, "Button", "运行时显示提示信息"},
           Expected{kCheck4Id, "Button", "运行时显示托盘图标"},
           Expected{kCheck5Id, "Button", "菜单中显示热键名称"},
           Expected{kFrame2Id, "Button", "激活本程序所用热键"},
           Expected{kCombo1Id0, "ComboBox", "无"},
           Expected{kCombo1Id1, "ComboBox", "无"},
           Expected{kCombo1Id2, "ComboBox", "A"},
           Expected{kLabel2Id, "Static", "+          +"},
           Expected{kCommand2Id, "Button", "保存修改 &Y"},
           Expected{kCommand4Id, "Button", "保存热键 &K"},
           Expected{kCommand3Id, "Button", "取消 &C"},
       }) {
    SCOPED_TRACE(e.caption);
    HWND control = Item(e.id);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(IsWindowVisible(control) || !IsWindowVisible(window));
    EXPECT_EQ(ClassOf(control), e.className);
    EXPECT_EQ(Text(control), e.caption);
  }
  for (int id : {kCheck1Id, kCheck2Id, kCheck3Id, kCheck4Id, kCheck5Id}) EXPECT_FALSE(Checked(id));
  EXPECT_FALSE(Enabled(kCommand2Id));
  EXPECT_FALSE(Enabled(kCommand4Id));
  EXPECT_TRUE(Enabled(kCommand3Id));
  // Drop-down lists: the names the boxes offer and nothing typed.
  EXPECT_EQ(SendMessageW(Item(kCombo1Id0), CB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(SendMessageW(Item(kCombo1Id1), CB_GETCOUNT, 0, 0), 5);
  // The keyboard's 115 keys, the last a media key; the mouse triggers are the editor's alone.
  EXPECT_EQ(SendMessageW(Item(kCombo1Id2), CB_GETCOUNT, 0, 0), 115);
  wchar_t last[16] = {};
  SendMessageW(Item(kCombo1Id2), CB_GETLBTEXT, 114, reinterpret_cast<LPARAM>(last));
  EXPECT_STREQ(last, L"计算器");
  EXPECT_EQ(GetWindowLongW(Item(kCombo1Id2), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
}

TEST_F(SettingsDialogWindow, TabStopsInTheirOrderAndTheDialogManagerAgrees) {
  Ids stops;
  for (HWND c = GetWindow(dialog.Handle(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) stops.push_back(GetDlgCtrlID(c));
  }
  const Ids expected = {kText1Id,   kCheck1Id,  kCheck2Id,   kCheck3Id,   kCombo1Id0,
                        kCombo1Id1, kCombo1Id2, kCommand3Id, kCommand2Id, kCommand4Id,
                        kCheck4Id,  kCheck5Id,  kCheck6Id,   kCommand5Id};
  EXPECT_EQ(stops, expected);

  // With both save buttons enabled, Tab walks the same way.
  model.SetListPath("D:\\a.htk");
  ASSERT_TRUE(model.ChooseActivation(2, "B"));
  Ids walked;
  HWND at = Item(kText1Id);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    walked.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog.Handle(), at, FALSE);
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(SettingsDialogWindow, ControlsShowTheModelAndClicksChangeIt) {
  model.SetChecked(SettingsCheck::kShowIcon, true);
  model.SetListPath("D:\\Lists\\work.htk");
  model.ShowActivationHotkey("Ctrl + Alt\tF5");
  EXPECT_TRUE(Checked(kCheck4Id));
  EXPECT_EQ(Text(Item(kText1Id)), "D:\\Lists\\work.htk");
  EXPECT_EQ(ComboText(kCombo1Id0), "Ctrl");
  EXPECT_EQ(ComboText(kCombo1Id1), "Alt");
  EXPECT_EQ(ComboText(kCombo1Id2), "F5");
  EXPECT_TRUE(Enabled(kCommand2Id));
  EXPECT_FALSE(Enabled(kCommand4Id));

  SendMessageW(Item(kCheck2Id), BM_CLICK, 0, 0);
  EXPECT_TRUE(model.Checked(SettingsCheck::kPlaySound));
  EXPECT_TRUE(Checked(kCheck2Id));
  EXPECT_EQ(store.Get("PlaySound"), "1");

  SetWindowTextW(Item(kText1Id), L"E:\\热键\\新列表.htk");  // as typing does: EN_CHANGE
  EXPECT_EQ(model.ListPath(), "E:\\热键\\新列表.htk");

  SendMessageW(Item(kCombo1Id1), CB_SETCURSEL, 3, 0);  // as choosing "Shift" does
  SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(kCombo1Id1, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(kCombo1Id1)));
  EXPECT_EQ(model.ActivationBox(1), "Shift");
  EXPECT_TRUE(Enabled(kCommand4Id));
}

TEST_F(SettingsDialogWindow, EscHidesThroughTheModalLoopAndPutsThePathBack) {
  store.values["FileSave"] = "C:\\HK\\SaveKey.htk";
  model.SetListPath("C:\\HK\\SaveKey.htk");  // the active list, as start-up sets it
  bool reentered = true;
  Script script(dialog.Handle(), {[&] {
                                    EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
                                    EXPECT_FALSE(IsWindowEnabled(owner.get()));
                                    EXPECT_EQ(Text(Item(kText1Id)), "C:\\HK\\SaveKey.htk");
                                    EXPECT_EQ(GetFocus(), Item(kText1Id));
                                    reentered =
                                        dialog.ShowModal();  // already showing: returns at once
                                    SetWindowTextW(Item(kText1Id), L"D:\\typed.htk");
                                    return true;
                                  },
                                  [&] {
                                    PostKey(WM_KEYDOWN, VK_RETURN);  // Enter presses nothing
                                    return true;
                                  },
                                  [&] {
                                    EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
                                    PostKey(WM_KEYDOWN, VK_ESCAPE);
                                    return true;
                                  }});
  EXPECT_FALSE(dialog.ShowModal());
  EXPECT_TRUE(script.Finished());
  EXPECT_FALSE(script.TimedOut());
  EXPECT_FALSE(reentered);
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
  EXPECT_EQ(model.ListPath(), "C:\\HK\\SaveKey.htk");
  EXPECT_EQ(store.Get("FileSave"), "C:\\HK\\SaveKey.htk");
}

// The program ending (a log-off, or 退出程序 from the tray) while the dialog and one of its
// message boxes are open: the message box is cancelled, the dialog's loop returns, and only
// then is the program told that it can go on to unload.
TEST_F(SettingsDialogWindow, EndingTheProgramEndsTheMessageBoxAndTheLoopFirst) {
  static int ended = 0;
  static bool loopRanWhenEnded = true;
  ended = 0;
  int answer = 0;
  Script script(dialog.Handle(), {[&] {
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
      KillTimer(nullptr, timer);
      win::EndModalLoops([] {
        ++ended;
        loopRanWhenEnded = win::AnyModalRunning();
      });
    });
    answer = win::ModalMessageBox(dialog.Handle(), "正文", "标题", MB_OKCANCEL);
    EXPECT_EQ(ended, 0);  // the dialog's loop is still on the stack
    return true;
  }});
  EXPECT_FALSE(dialog.ShowModal());
  EXPECT_EQ(answer, IDCANCEL);
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(loopRanWhenEnded);
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
  EXPECT_FALSE(win::ModalEndRequested());
}

TEST_F(SettingsDialogWindow, AltYSavesTheChangedPathAndReportsIt) {
  int told = 0;
  model.onSaved = [&told] { ++told; };
  Script script(dialog.Handle(), {[&] {
                                    SetWindowTextW(Item(kText1Id), L"D:\\Lists\\work.htk");
                                    EXPECT_TRUE(Enabled(kCommand2Id));
                                    return true;
                                  },
                                  [&] {
                                    PostKey(WM_SYSCHAR, L'y');
                                    return true;
                                  }});
  EXPECT_TRUE(dialog.ShowModal());
  EXPECT_FALSE(script.TimedOut());
  EXPECT_EQ(store.Get("FileSave"), "D:\\Lists\\work.htk");
  EXPECT_EQ(told, 1);
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
}

TEST_F(SettingsDialogWindow, HotkeysAreDispatchedWhileTheDialogIsOpen) {
  // A real press of a registered combination reaches the main window's procedure.
  static int hotkeysSeen = 0;
  hotkeysSeen = 0;
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_HOTKEY) ++hotkeysSeen;
    return DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TarvekSettingsTestMain";
  RegisterClassW(&wc);
  HWND main = CreateWindowW(wc.lpszClassName, L"main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                            nullptr, wc.hInstance, nullptr);
  ASSERT_NE(main, nullptr);
  constexpr UINT kChord = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
  ASSERT_TRUE(RegisterHotKey(main, 77, kChord, VK_F7));

  Script script(dialog.Handle(),
                {[&] {
                   std::vector<INPUT> keys;
                   for (WORD k : {WORD{VK_CONTROL}, WORD{VK_MENU}, WORD{VK_SHIFT}, WORD{VK_F7}}) {
                     INPUT in{};
                     in.type = INPUT_KEYBOARD;
                     in.ki.wVk = k;
                     keys.push_back(in);
                   }
                   for (int i = 3; i >= 0; --i) {
                     INPUT up = keys[static_cast<std::size_t>(i)];
                     up.ki.dwFlags = KEYEVENTF_KEYUP;
                     keys.push_back(up);
                   }
                   SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
                   return true;
                 },
                 [&] { return hotkeysSeen > 0; },
                 [&] {
                   PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
                   return true;
                 }});
  dialog.ShowModal();
  EXPECT_FALSE(script.TimedOut());
  EXPECT_EQ(hotkeysSeen, 1);
  UnregisterHotKey(main, 77);
  DestroyWindow(main);
}

// The activation hotkey changed against real registrations: a combination another window
// holds is refused and the old one stays registered; once freed, the new one replaces it.
TEST_F(SettingsDialogWindow, AHeldCombinationKeepsTheOldActivationHotkey) {
  wintest::HiddenWindow otherWindow;
  win::WinSystem other;
  other.SetMainWindow(otherWindow.get());
  wintest::RecordingDialogs dialogs;

  ASSERT_TRUE(system.RegisterHotkey(ActivationHotkeyId, kModControl | kModAlt, VK_F8));
  model.SetRegisteredActivation(KeyCombination{kModControl | kModAlt, VK_F8});
  grid.RemoveRow(1);
  grid.AddRow("Ctrl + Alt\tF8\t显示本软件\t无", 1);
  ASSERT_TRUE(other.RegisterHotkey(7, kModControl | kModShift, VK_F9));

  model.ShowActivationHotkey("Ctrl + Shift\tF9");
  EXPECT_EQ(model.SaveHotkey(grid, system, dialogs), SaveHotkeyOutcome::kHeldByOther);
  EXPECT_EQ(dialogs.shown,
            std::vector<std::string>{"定义热键错误!|此热键已被其他程序占用，请换一个热键。"});
  EXPECT_FALSE(other.RegisterHotkey(8, kModControl | kModAlt, VK_F8));  // still ours
  EXPECT_EQ(grid.Cell(1, 0), "Ctrl + Alt");
  EXPECT_EQ(store.Get("HotKeyName"), "");

  other.UnregisterHotkey(7);
  EXPECT_EQ(model.SaveHotkey(grid, system, dialogs), SaveHotkeyOutcome::kSaved);
  EXPECT_EQ(store.Get("HotKeyName"), "Ctrl + Shift\tF9");
  EXPECT_EQ(grid.Cell(1, 0), "Ctrl + Shift");
  EXPECT_EQ(grid.Cell(1, 1), "F9");
  EXPECT_TRUE(other.RegisterHotkey(8, kModControl | kModAlt, VK_F8));  // given back
  EXPECT_FALSE(other.RegisterHotkey(9, kModControl | kModShift, VK_F9));
  other.UnregisterHotkey(8);
  system.UnregisterHotkey(ActivationHotkeyId);
}

// The list-file dialog itself, answered as a user would: a name typed without extension comes
// back with ".htk" in the folder of the preset; a cancel comes back as nothing.
TEST(ListFileDialog, SaveModeAddsTheExtensionAndCancelGivesNothing) {
  wintest::HiddenWindow owner;
  wintest::TempFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  auto giveUp = [] {
    if (HWND shown = ShownSystemDialog()) PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
  };
  std::string presetShown;
  {
    Script script({[&] {
                    HWND shown = ShownSystemDialog();
                    if (shown == nullptr) return false;
                    presetShown = Text(GetDlgItem(shown, cmb13));
                    SetDlgItemTextW(shown, cmb13, L"work");
                    PostMessageW(shown, WM_COMMAND, IDOK, 0);
                    return true;
                  }},
                  giveUp);
    std::optional<std::string> chosen =
        ShowListFileDialog(owner.get(), folder.Join("SaveKey.htk"), ListFileDialogMode::kSave);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(presetShown, "SaveKey.htk");
    EXPECT_EQ(chosen, std::optional<std::string>(folder.Join("work.htk")));
  }
  {
    Script script({[&] {
                    HWND shown = ShownSystemDialog();
                    if (shown == nullptr) return false;
                    PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
                    return true;
                  }},
                  giveUp);
    EXPECT_EQ(
        ShowListFileDialog(owner.get(), folder.Join("SaveKey.htk"), ListFileDialogMode::kSave),
        std::nullopt);
    EXPECT_FALSE(script.TimedOut());
  }
}

}  // namespace
}  // namespace tarvek
