// The hotkey editor's window under Wine: its controls in the tab order users step through, its
// white panel, and its key boxes, which take keys and no input method.
#include "editor/editor_dialog.h"

#include <gtest/gtest.h>
#include <imm.h>

#include <tuple>
#include <vector>

#include "editor/launch_options_dialog.h"
#include "win/windows/list_view_grid.h"
#include "win/system/strings.h"
#include "win_test_support.h"

namespace tarvek {
namespace {

using namespace editor_ids;

// The editor made over a hidden owner, as the main window makes it.
class EditorDialogWindow : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dialog.Create(GetModuleHandleW(nullptr), owner.get())); }

  wintest::HiddenWindow owner;
  win::ListViewGrid grid{1, {"功能键", "基本键", "调用的程序", "程序路径"}};
  wintest::RecordingDialogs dialogs;
  EditorModel model{grid, dialogs, [] {}};
  EditorDialog dialog{model};
};

TEST_F(EditorDialogWindow, TabOrderAndWhitePanel) {
  std::vector<int> order;
  HWND first = GetNextDlgTabItem(dialog.Handle(), nullptr, FALSE);
  for (HWND at = first; at != nullptr && order.size() < 20;) {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog.Handle(), at, FALSE);
    if (at == first) break;
  }
  // Apply starts disabled, so it is no tab stop yet.
  EXPECT_EQ(order, (std::vector<int>{kCombo1Id0, kCombo1Id1, kCombo1Id2, kCombo2Id, kCombo3Id,
                                     kCommand3Id, kOptionsId, kCommand2Id, kCommand1Id, kCheck1Id, kCheck2Id,
                                     kCommand5Id}));
  HDC dc = GetDC(dialog.Handle());
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog.Handle(), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(dialog.Control(kLabel1Id))));
  ReleaseDC(dialog.Handle(), dc);
  LOGBRUSH info{};
  ASSERT_NE(brush, nullptr);
  GetObjectW(brush, sizeof(info), &info);
  EXPECT_EQ(info.lbColor, GetSysColor(COLOR_WINDOW));
}

TEST_F(EditorDialogWindow, KeyBoxesTakeNoInputMethodAndEitherWinKey) {
  auto hasContext = [](HWND box) {
    HIMC context = ImmGetContext(box);
    if (context != nullptr) ImmReleaseContext(box, context);
    return context != nullptr;
  };
  for (int id : {kCombo1Id0, kCombo1Id1, kCombo1Id2}) {
    EXPECT_FALSE(hasContext(dialog.Control(id))) << id;
  }
  // The name box is for text: it keeps the input method.
  HWND nameEdit = FindWindowExW(dialog.Control(kCombo3Id), nullptr, L"Edit", nullptr);
  EXPECT_TRUE(hasContext(nameEdit));

  // The right Win key in the second modifier box, as the system sends it.
  SendMessageW(dialog.Control(kCombo1Id1), WM_KEYDOWN, VK_RWIN, 1);
  EXPECT_EQ(model.Box(1), "Win");
  HWND box = dialog.Control(kCombo1Id1);
  wchar_t shown[16] = {};
  SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(SendMessageW(box, CB_GETCURSEL, 0, 0)),
               reinterpret_cast<LPARAM>(shown));
  EXPECT_STREQ(shown, L"Win");
}

TEST_F(EditorDialogWindow, TheBaseKeyBoxTakesKeysThatTypeNothingAndKeepsItsListKeys) {
  HWND box = dialog.Control(kCombo1Id2);
  for (auto [message, key, shown] : {std::tuple{WM_KEYDOWN, VK_F13, L"F13"},
                                     {WM_KEYUP, VK_SNAPSHOT, L"PrintScreen"},  // a release alone
                                     {WM_KEYDOWN, VK_HOME, L"Enter"}}) {  // the list's first item
    SendMessageW(box, message, key, 1);
    wchar_t text[32] = {};
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(SendMessageW(box, CB_GETCURSEL, 0, 0)),
                 reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, shown);
    EXPECT_EQ(win::Widen(model.Box(2)), shown);
  }
}

TEST(LaunchOptionsDialogWindow, TheTextTakesLinesInPlaceOfTheLaunchRowsAndOkGivesThemWithCrLf) {
  using namespace launch_options_ids;
  wintest::HiddenWindow owner;
  for (bool typesText : {false, true}) {
    LaunchOptions options;
    options.Arguments = "-a";
    LaunchOptionsModel model(options, typesText);
    LaunchOptionsDialog dialog(model);
    auto shown = [&dialog](int id) { return IsWindowVisible(dialog.Control(id)) != FALSE; };
    wintest::Script script(
        {[&] {
           EXPECT_EQ(shown(kArgumentsId), !typesText);
           EXPECT_EQ(shown(kTextId), typesText);
           EXPECT_EQ(GetFocus(), dialog.Control(typesText ? kTextId : kArgumentsId));
           EXPECT_FALSE(IsWindowEnabled(dialog.Control(kProgramsId)));  // 所有程序
           if (typesText) {
             wintest::PostKey(WM_CHAR, L'第');
             wintest::PostKey(WM_KEYDOWN, VK_RETURN);  // its character comes after
           }
           return true;
         },
         [&] {
           if (typesText) wintest::PostKey(WM_CHAR, L'二');
           wintest::PostKey(WM_KEYDOWN, VK_TAB);  // moves on, typing nothing
           return true;
         },
         [&] {
           EXPECT_EQ(GetFocus(), dialog.Control(typesText ? kScopeId : kStartInId));
           EXPECT_TRUE(IsWindowVisible(dialog.Handle()));  // Enter pressed no button
           SendMessageW(dialog.Control(kScopeId), CB_SETCURSEL, 1, 0);
           SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(kScopeId, CBN_SELCHANGE), 0);
           EXPECT_TRUE(IsWindowEnabled(dialog.Control(kProgramsId)));  // 仅以下程序
           PostMessageW(dialog.Control(kOkId), BM_CLICK, 0, 0);
           return true;
         }},
        [&] { PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0); });
    EXPECT_TRUE(dialog.Run(GetModuleHandleW(nullptr), owner.get()));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(model.Result().Text, typesText ? "第\r\n二" : "");
    EXPECT_EQ(model.Result().Arguments, "-a");
  }
}

}  // namespace
}  // namespace tarvek
