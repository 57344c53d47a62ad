// The help window and the about box under Wine: what a new help window holds, the border and
// sizes of both, and which of the about box's clicks lead on to help.
#include "help/help_window.h"

#include <gtest/gtest.h>

#include <string>

#include "help/about_window.h"
#include "help/help_text.h"
#include "win/windows/dpi.h"
#include "win/system/strings.h"
#include "win_test_support.h"

namespace tarvek {
namespace {

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST(HelpWindow, EachNewWindowHoldsTheTextWithTheTipsOnceInAFixedToolWindow) {
  wintest::HiddenWindow owner;
  for (int opening = 0; opening < 2; ++opening) {
    HelpWindow help;
    ASSERT_TRUE(help.Create(GetModuleHandleW(nullptr), owner.get()));
    EXPECT_EQ(win::WindowText(help.Control(help_ids::kText1Id)), HelpWindowText()) << opening;
    EXPECT_EQ(win::WindowText(help.Handle()), "帮助");
    LONG style = GetWindowLongW(help.Handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_NE(GetWindowLongW(help.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    SIZE client = ClientSize(help.Handle());
    EXPECT_EQ(client.cx, help.Px(4740));
    EXPECT_EQ(client.cy, help.Px(3210));
    // Whatever the user typed is gone with the window.
    SendMessageW(help.Control(help_ids::kText1Id), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"已改"));
  }
}

// Clicks posted before the box is shown are the first thing its loop handles.
TEST(AboutWindow, HelpOpensOnlyFromItsButtonAfterTheBoxHasHidden) {
  wintest::HiddenWindow owner;
  int helpOpened = 0;
  bool boxVisibleWithHelp = true;
  AboutWindow* box = nullptr;
  AboutWindow about([&] {
    ++helpOpened;
    boxVisibleWithHelp = IsWindowVisible(box->Handle()) != FALSE;
  });
  box = &about;
  ASSERT_TRUE(about.Create(GetModuleHandleW(nullptr), owner.get()));
  SIZE client = ClientSize(about.Handle());
  EXPECT_EQ(client.cx, about.Px(4575));
  EXPECT_EQ(client.cy, about.Px(4095));
  EXPECT_EQ(win::WindowText(about.Control(about_ids::kLabel3Id)), win::Narrow(kAboutWebAddress));

  PostMessageW(about.Handle(), WM_COMMAND, MAKEWPARAM(about_ids::kCommand1Id, BN_CLICKED), 0);
  about.ShowModal();
  EXPECT_EQ(helpOpened, 1);
  EXPECT_FALSE(boxVisibleWithHelp);
  EXPECT_FALSE(IsWindowVisible(about.Handle()));

  // A click on the web address is nothing: Esc after it is what ends the opening, and no
  // message is left over. A press and release on the picture hides the box.
  auto leftOver = [&] {
    MSG message;
    return PeekMessageW(&message, about.Handle(), 0, 0, PM_REMOVE) != FALSE;
  };
  PostMessageW(about.Handle(), WM_COMMAND, MAKEWPARAM(about_ids::kLabel3Id, STN_CLICKED),
               reinterpret_cast<LPARAM>(about.Control(about_ids::kLabel3Id)));
  PostMessageW(about.Handle(), WM_COMMAND, IDCANCEL, 0);
  about.ShowModal();
  EXPECT_FALSE(leftOver());
  PostMessageW(about.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(about.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  about.ShowModal();
  EXPECT_FALSE(leftOver());
  EXPECT_EQ(helpOpened, 1);
  EXPECT_FALSE(IsWindowVisible(about.Handle()));
}

}  // namespace
}  // namespace tarvek
