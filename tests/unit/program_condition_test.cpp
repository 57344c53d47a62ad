#include "core/input/program_condition.h"

#include <gtest/gtest.h>

#include "core/hotkey_table.h"
#include "core/input/key_watch.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::Scoped;

TEST(ProgramCondition, NamesMatchFileNamesOrWholePathsInAnyCaseBothWays) {
  const LaunchOptions only = Scoped(ProgramScope::kOnlyIn, " code ;\"c:/tools/a.exe\";; ");
  const LaunchOptions notIn = Scoped(ProgramScope::kNotIn, only.Programs);
  for (const char* path :
       {"C:\\Program Files\\Code.EXE", "C:\\Tools\\A.exe", "D:\\Code.ex", "D:\\x\\a.exe", ""}) {
    bool named = path[0] == 'C';
    EXPECT_EQ(ConditionHolds(only, path), named) << path;
    EXPECT_EQ(ConditionHolds(notIn, path), !named) << path;
  }
  EXPECT_EQ(ConditionTip(only), "仅在 code、c:/tools/a.exe 中");
  EXPECT_EQ(ConditionTip(notIn), "除 code、c:/tools/a.exe 外");
  for (const LaunchOptions& everywhere :
       {Scoped(ProgramScope::kEverywhere, "code"), Scoped(ProgramScope::kOnlyIn, ""),
        Scoped(ProgramScope::kOnlyIn, " ; ")}) {
    EXPECT_TRUE(ConditionHolds(everywhere, ""));
    EXPECT_EQ(ConditionTip(everywhere), "");
    EXPECT_FALSE(everywhere.HasCondition());  // stays an ordinary hotkey
  }
}

TEST(ProgramCondition, PackagedAppFramesStandForTheirAppAndListsGrowWithoutRepeats) {
  const std::string frame = "C:\\Windows\\ApplicationFrameHost.exe";
  EXPECT_EQ(WindowProgram(frame, {"", "c:\\windows\\applicationframehost.EXE", "C:\\A\\Calc.exe",
                                  "C:\\A\\Other.exe"}),
            "C:\\A\\Calc.exe");
  EXPECT_EQ(WindowProgram(frame, {}), frame);
  EXPECT_EQ(WindowProgram("C:\\x\\a.exe", {"C:\\b.exe"}), "C:\\x\\a.exe");
  EXPECT_EQ(AddProgramToList(" ; ", "a.exe"), "a.exe");
  EXPECT_EQ(AddProgramToList("x.exe; y.exe; ", "a.exe"), "x.exe; y.exe;a.exe");
  EXPECT_EQ(AddProgramToList("x.exe;A", "a.exe"), "x.exe;A");
}

// A hook's decisions; counts how often it asks which program is in front. Every verdict that
// fires a binding, and no other, asks for the mask key.
struct Hook {
  WatchedBindings watched;
  KeyWatch watch;
  std::string front = "C:\\Windows\\notepad.exe";
  int asked = 0;
  KeyVerdict Key(int vk, bool down, int modifiers) {
    KeyVerdict verdict =
        watch.Decide(watched, vk, down, modifiers, [this] { return ++asked, front; });
    EXPECT_EQ(verdict.mask, verdict.firedSlot >= 0) << vk << (down ? " down" : " up");
    return verdict;
  }
};

TEST(KeyWatch, ATakenKeyFiresOnceAndTakesItsRepeatsAndRelease) {
  Hook hook;
  hook.watched.bindings = {{3, kModWin, 'K', Scoped(ProgramScope::kOnlyIn, "code")},
                           {5, kModWin, 'K', Scoped(ProgramScope::kOnlyIn, "notepad")}};
  EXPECT_EQ(hook.Key('K', true, kModWin), (KeyVerdict{true, 5, true}));
  EXPECT_EQ(hook.Key('K', true, kModWin), (KeyVerdict{true, -1, false}));
  EXPECT_EQ(hook.Key('K', false, kModWin), (KeyVerdict{true, -1, false}));
  // Other modifiers, other keys and keys beyond the table go on without a question.
  EXPECT_EQ(hook.Key('K', true, kModWin | kModShift), KeyVerdict{});
  EXPECT_EQ(hook.Key('J', true, kModWin), KeyVerdict{});
  EXPECT_EQ(hook.Key(300, true, kModWin), KeyVerdict{});
  EXPECT_EQ(hook.asked, 1);
}

TEST(KeyWatch, AKeyWhoseConditionFailsPassesWholeAndIsAskedAboutOnce) {
  Hook hook;
  hook.watched.bindings = {{4, kModControl, 'K', Scoped(ProgramScope::kNotIn, "notepad.exe")}};
  for (bool down : {true, true, false}) EXPECT_EQ(hook.Key('K', down, kModControl), KeyVerdict{});
  EXPECT_EQ(hook.asked, 1);
  hook.front = "C:\\x\\cmd.exe";
  EXPECT_EQ(hook.Key('K', true, kModControl), (KeyVerdict{true, 4, true}));
}

// Shift alone or Ctrl alone must not be let go bare (Shift switches the input method between 中
// and 英), and the program needs the last input to bring a window to the front: every binding
// that fires asks for the mask key. A key whose release the hook never saw is pressed anew once
// another key went down; only an unbroken repeat goes the way its press went.
TEST(KeyWatch, EveryFiredBindingMasksAndAPressAfterALostReleaseIsDecidedAfresh) {
  Hook hook;
  hook.watched.bindings = {{1, kModShift, 0x71, Scoped(ProgramScope::kOnlyIn, "notepad")},
                           {2, kModControl, 'K', Scoped(ProgramScope::kOnlyIn, "notepad")}};
  EXPECT_EQ(hook.Key(0x71, true, kModShift), (KeyVerdict{true, 1, true}));  // Shift + F2
  EXPECT_EQ(hook.Key(0x71, true, kModShift), (KeyVerdict{true, -1, false}));  // its repeat
  // F2's release is lost; Ctrl + K goes down.
  EXPECT_EQ(hook.Key('K', true, kModControl), (KeyVerdict{true, 2, true}));
  EXPECT_EQ(hook.Key(0x71, true, kModShift), (KeyVerdict{true, 1, true}));  // fires again
  // Lost again, and the next F2 comes where the binding does not act: it reaches the program.
  hook.front = "C:\\x\\cmd.exe";
  EXPECT_EQ(hook.Key('A', true, 0), KeyVerdict{});
  EXPECT_EQ(hook.Key(0x71, true, kModShift), KeyVerdict{});
  EXPECT_EQ(hook.Key(0x71, true, kModShift), KeyVerdict{});  // a passed key's repeat passes
  // A passed key's lost release does not keep it from firing where the binding acts.
  hook.front = "C:\\Windows\\notepad.exe";
  EXPECT_EQ(hook.Key(0x10, true, kModShift), KeyVerdict{});
  EXPECT_EQ(hook.Key(0x71, true, kModShift), (KeyVerdict{true, 1, true}));
  EXPECT_EQ(hook.Key(0x71, false, kModShift), (KeyVerdict{true, -1, false}));
}

}  // namespace
}  // namespace tarvek
