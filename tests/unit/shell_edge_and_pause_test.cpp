// Where the window parks on a desktop of several screens, and what pausing does to the tray icon.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/command_actions.h"
#include "shell/screen_edge.h"

namespace tarvek {
namespace {

using testing::ShellRig;

// The main screen, 1920 x 1080 at 96 DPI, its taskbar at the bottom.
const Screen kMain{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96};

void CheckEdge(const std::string& layout, const std::vector<Screen>& screens,
               const ScreenRect& window, int right, unsigned dpi) {
  std::optional<ScreenEdge> edge = ParkingEdge(screens, window);
  ASSERT_TRUE(edge.has_value()) << layout;
  EXPECT_EQ(edge->right, right) << layout;
  EXPECT_EQ(edge->dpi, dpi) << layout;
  // Listed in another order, the screens give the same edge.
  std::vector<Screen> reversed(screens.rbegin(), screens.rend());
  EXPECT_EQ(ParkingEdge(reversed, window)->right, right) << layout << ", reversed";
}

TEST(ParkingEdgeTest, TheRightEdgeOfTheScreenTheWindowIsOnAtThatScreensDpi) {
  // One screen: its whole width, even with a taskbar docked at the right, wherever the window is.
  const Screen alone{{0, 0, 1024, 768}, {0, 0, 984, 768}, 120};
  CheckEdge("alone", {alone}, {100, 100, 644, 552}, 1024, 120);
  CheckEdge("alone, window off it", {alone}, {3000, -900, 3544, -448}, 1024, 120);

  // A screen at 144 DPI left of the main one: a window there would show whole on the main
  // screen, so it parks at the main screen's edge, counted at the main screen's DPI.
  const Screen left{{-2560, 0, 0, 1440}, {-2560, 0, 0, 1400}, 144};
  CheckEdge("left of main, on it", {kMain, left}, {-2000, 100, -1184, 778}, 1920, 96);
  CheckEdge("left of main, on main", {kMain, left}, {300, 100, 844, 552}, 1920, 96);

  // A screen right of the main one, its taskbar docked at its right: its work area's edge.
  const Screen right{{1920, 0, 4480, 1440}, {1920, 0, 4400, 1440}, 144};
  CheckEdge("right of main, on it", {kMain, right}, {2500, 200, 3316, 878}, 4400, 144);
  CheckEdge("right of main, on main", {kMain, right}, {300, 100, 844, 552}, 4400, 144);
  CheckEdge("right of main, straddling", {kMain, right}, {1700, 100, 2244, 552}, 4400, 144);

  // A screen above the main one (negative rows), wider on the right.
  const Screen above{{0, -1200, 2400, 0}, {0, -1200, 2400, 0}, 120};
  CheckEdge("above, on it", {kMain, above}, {100, -900, 780, -335}, 2400, 120);
  CheckEdge("above, straddling, mostly on it", {kMain, above}, {100, -400, 780, 165}, 2400, 120);
  // Mostly on the main screen, the window's top rows still reach the wider screen above.
  CheckEdge("above, straddling, mostly on main", {kMain, above}, {100, -100, 644, 352}, 2400, 120);
  // Entirely below it, the wider screen is none of the window's business.
  CheckEdge("above, on main", {kMain, above}, {100, 200, 644, 652}, 1920, 96);

  // A screen right of the main one but lower: only a window at its height goes on to it.
  const Screen lower{{1920, 600, 3840, 1680}, {1920, 600, 3840, 1640}, 96};
  CheckEdge("lower right, window above it", {kMain, lower}, {100, 0, 644, 452}, 1920, 96);
  CheckEdge("lower right, window at its height", {kMain, lower}, {100, 400, 644, 852}, 3840, 96);

  // Three in a row, left to right: always the far right one.
  CheckEdge("three in a row", {kMain, left, right}, {-2400, 50, -1856, 502}, 4400, 144);
  // On no screen at all: the nearest one.
  CheckEdge("off every screen", {kMain, above}, {-900, 1300, -356, 1752}, 1920, 96);

  EXPECT_EQ(ParkingEdge({}, {0, 0, 10, 10}), std::nullopt);
}

// The slide counts in twips at the DPI of the screen it parks on, from wherever it starts
// (left of the main screen, the places are negative).
TEST(ParkingEdgeTest, TheSlideAndTheParkingCountAtTheEdgesDpiFromNegativePlaces) {
  ShellRig rig;
  auto& [system, settings, view, grid, program, commands] = rig;
  settings.values["ActivateStatus"] = "1";
  program.InitialisePhase();
  view.screenDpi = 144;
  view.screenWidth = 300;
  view.windowLeft = -350;
  system.calls.clear();
  commands.Hide();
  EXPECT_EQ(view.lefts, (std::vector<int>{-250, -150, -50, 50, 150, 250, 220}));
  program.core.flags.ParkedAtEdge = false;
  commands.FormMouseMove(-1);
  EXPECT_EQ(view.lefts.back(), 200);
  EXPECT_EQ(system.calls, std::vector<std::string>{});  // no place given at another DPI
}

// /pause and /resume change the icon's picture and nothing else: an icon the user hid, or never
// asked for, stays away; 暂时禁用 and 取消禁用 from a menu bring it back. Shown again, it has the
// picture of the moment.
TEST(PauseIconTest, TheSwitchesNeverShowOrHideTheIconTheMenusShowIt) {
  enum class Icon { kShown, kHiddenByHand, kSwitchedOff };
  using Step = std::function<void(CommandActions&, MainCommands&)>;
  struct Road {
    const char* name;
    Step pause, resume;
    bool menu;
  };
  const Road roads[] = {
      {"/pause, /resume",
       [](CommandActions& a, MainCommands&) {
         a.Carry({Switch::kPause, ""});
       },
       [](CommandActions& a, MainCommands&) {
         a.Carry({Switch::kResume, ""});
       },
       false},
      {"/pause at start",
       [](CommandActions& a, MainCommands&) {
         a.CarryAtStart({Switch::kPause, ""});
       },
       [](CommandActions& a, MainCommands&) {
         a.Carry({Switch::kResume, ""});
       },
       false},
      {"暂时禁用, 取消禁用", [](CommandActions&, MainCommands& c) { c.ToggleLock(); },
       [](CommandActions&, MainCommands& c) { c.ToggleLock(); }, true},
  };
  struct NoHost : CommandHost {
    bool DialogOpen() override { return false; }
    void Later(std::function<void()>) override {}
  } host;
  for (const Road& road : roads) {
    for (Icon icon : {Icon::kShown, Icon::kHiddenByHand, Icon::kSwitchedOff}) {
      const std::string what =
          std::string(road.name) + ", icon " + std::to_string(static_cast<int>(icon));
      ShellRig rig;
      auto& [system, settings, view, grid, program, commands] = rig;
      settings.values["ShowInfo"] = "0";
      settings.values["ShowIcon"] = icon == Icon::kSwitchedOff ? "0" : "1";
      CommandActions actions{program, commands, view, grid, system, host};
      program.InitialisePhase();
      if (icon == Icon::kHiddenByHand) commands.HideTrayIcon();
      const bool shown = icon == Icon::kShown;
      ASSERT_EQ(view.trayShown, shown) << what;

      road.pause(actions, commands);
      EXPECT_TRUE(commands.LockNowChecked()) << what;
      EXPECT_EQ(view.trayShown, shown || road.menu) << what << ": paused";
      EXPECT_EQ(view.trayPicture, TrayPicture::kDisabled) << what << ": paused";
      road.resume(actions, commands);
      EXPECT_FALSE(commands.LockNowChecked()) << what;
      EXPECT_EQ(view.trayShown, shown || road.menu) << what << ": resumed";
      EXPECT_EQ(commands.HideIconChecked(), !view.trayShown && icon == Icon::kHiddenByHand) << what;
      EXPECT_EQ(view.trayPicture, TrayPicture::kNormal) << what << ": resumed";

      // Shown by hand while paused, the icon comes with the paused picture.
      road.pause(actions, commands);
      commands.ShowTrayIcon();
      EXPECT_TRUE(view.trayShown) << what;
      EXPECT_EQ(view.trayPicture, TrayPicture::kDisabled) << what;
    }
  }
}

}  // namespace
}  // namespace tarvek
