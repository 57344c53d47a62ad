#include "core/input/steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "core/hotkey_table.h"
#include "core/input/key_sequence.h"

namespace tarvek {
namespace {

using K = StepKind;
using Lines = std::vector<std::pair<int, std::string>>;
using Texts = std::vector<std::string>;

// Reads the written form, writes it back (as `canonical` when given) and reads that again.
void CheckStep(std::string_view written, const Step& expected, std::string_view canonical = {}) {
  std::string why;
  if (canonical.empty()) canonical = written;
  EXPECT_EQ(ParseStep(written, &why), expected) << written << ": " << why;
  EXPECT_EQ(StepText(expected), canonical) << written;
  EXPECT_EQ(ParseStep(canonical), expected) << canonical;
}

TEST(Steps, EachKindReadsItsValueAndWritesItBack) {
  CheckStep("运行  a.exe -x ", {K::kRun, "a.exe -x", 0}, "运行 a.exe -x");
  CheckStep("按键 ctrl+c  Alt+Tab", {K::kKeys, "ctrl+c  Alt+Tab", 0});
  CheckStep("输入  a\\tb\\nC:\\x", {K::kType, " a\tb\r\nC:\\x", 0}, "输入  a\\tb\\nC:\\\\x");
  CheckStep("等待 0500", {K::kWait, "", 500}, "等待 500");
  CheckStep("等待窗口 记事本 3000", {K::kWaitWindow, "记事本", 3000});
  // A lone number is a title; a title ending in a number keeps its time written after it.
  CheckStep("等待窗口 2048", {K::kWaitWindow, "2048", 10000});
  CheckStep("等待窗口 Excel 2016 10000", {K::kWaitWindow, "Excel 2016", 10000});
  CheckStep("切换到 Word 2016", {K::kSwitchTo, "Word 2016", 0});
}

TEST(Steps, AStepThatCannotBeReadSaysWhy) {
  for (auto [written, reason] : std::vector<std::pair<std::string, std::string>>{
           {"  ", "这一步是空的"},
           {"跑 notepad", "不认识“跑”这种步骤，可用的有：运行、按键、输入、等待、等待窗口、切换到"},
           {"运行 ", "“运行”后面没有写要运行的目标"},
           {"运行 多步动作", "步骤里不能再运行“多步动作”"},
           {"运行 输入文本", "步骤里不能运行“输入文本”，要输入文字请用“输入”步骤"},
           {"按键 Ctrl+C Ctrl+Foo", "不认识键名“Foo”"},
           {"按键 Ctrl+", "组合键的“+”后面缺少键名"},
           {"按键 Ctrl+鼠标侧键1", "“鼠标侧键1”是鼠标的按键，这里只能按键盘上的键"},
           {"输入", "“输入”后面没有写要输入的文字"},
           {"等待 1.5", "“1.5”不是毫秒数，应写 1 到 60000 之间的整数"},
           {"等待 60001", "毫秒数应在 1 到 60000 之间"},
           {"等待 99999999999999999999", "毫秒数应在 1 到 60000 之间"},
           {"等待窗口 记事本 0", "毫秒数应在 1 到 60000 之间"}}) {
    std::string why;
    EXPECT_EQ(ParseStep(written, &why), std::nullopt) << written;
    EXPECT_EQ(why, reason) << written;
  }
}

TEST(Steps, AListClosesItsGapsAndNamesTheStepItCannotRead) {
  const Lines lines = {{7, "等待 5"}, {2, "运行 a"}, {4, " "}, {2, "运行 b"}, {5, "切换到 c"}};
  const StepList read = ReadSteps(lines);
  EXPECT_EQ(read.steps,
            (std::vector<Step>{{K::kRun, "a", 0}, {K::kSwitchTo, "c", 0}, {K::kWait, "", 5}}));
  const StepList bad = ReadSteps(Lines{{1, "等待 5"}, {9, "等待 x"}, {3, "按键 Foo"}});
  EXPECT_TRUE(bad.steps.empty());
  EXPECT_EQ(bad.error, "第 3 步：不认识键名“Foo”");
  Lines many;
  for (int n = 1; n <= 33; ++n) many.push_back({n * 2, "等待 1"});
  EXPECT_EQ(ReadSteps(std::span(many).first(32)).steps.size(), 32u);
  EXPECT_EQ(ReadSteps(many).error, "共有 33 步，最多只能有 32 步");
}

// A clock that moves only as the runner pauses; windows that come to the front at given times.
// Window 1 is this program's.
struct FakeSteps : StepDevice {
  std::uint64_t now = 0;
  std::map<std::uint64_t, WindowRef> frontFrom = {{0, 5}};  // from that time on, in front
  std::map<WindowRef, std::string> titles = {{5, "桌面"}, {6, "无标题 - 记事本"}};
  std::vector<int> down;
  std::uint64_t releaseAt = 0, stopAt = 1u << 30;
  bool switches = true;
  std::optional<std::string> startFails;
  Texts log, told;
  std::vector<KeyInput> sent;
  bool KeyDown(int key) override { return now < releaseAt && std::ranges::count(down, key) != 0; }
  std::size_t Send(std::span<const KeyInput> events) override {
    sent.insert(sent.end(), events.begin(), events.end());
    return events.size();
  }
  WindowRef Foreground() override { return std::prev(frontFrom.upper_bound(now))->second; }
  void BringToFront(WindowRef) override {}
  bool OwnWindow(WindowRef window) override { return window == 1; }
  bool AboveThisProgram(WindowRef) override { return false; }
  bool InMenu(WindowRef) override { return false; }
  std::optional<std::uint32_t> SwitchOffInputMethod(WindowRef) override { return std::nullopt; }
  void RestoreInputMethod(WindowRef, std::uint32_t) override {}
  void Pause(int ms) override { now += static_cast<std::uint64_t>(ms); }
  void Tell(const std::string& text) override { told.push_back(text); }
  std::optional<std::string> StartTarget(const std::string& target) override {
    log.push_back("start " + target);
    return startFails;
  }
  std::string WindowTitle(WindowRef window) override { return titles[window]; }
  std::vector<TitledWindow> TitledWindows() override {
    std::vector<TitledWindow> all;
    for (const auto& [window, title] : titles) all.push_back({window, title});
    return all;
  }
  void SwitchTo(WindowRef window) override {
    log.push_back("switch " + std::to_string(window));
    if (switches) frontFrom[now] = window;
  }
  std::uint64_t NowMs() override { return now; }
  bool StopRequested() override { return now >= stopAt; }

  StepOutcome Run(const Texts& written, const std::vector<int>& hotkeyKeys = {}) {
    std::vector<Step> steps;
    for (const std::string& w : written) steps.push_back(*ParseStep(w));
    return RunSteps(steps, *this, hotkeyKeys);
  }
};

using R = StepOutcome::Result;

TEST(Steps, WaitsGoInSlicesAndAWindowThatComesLateIsWaitedFor) {
  FakeSteps late;
  late.frontFrom[1200] = 6;
  EXPECT_EQ(late.Run({"等待 120", "运行 notepad", "等待窗口 记事本 3000", "输入 hi"}),
            (StepOutcome{R::kDone, 0}));
  EXPECT_EQ(late.now, 1220u);  // 120, then the window's wait in slices until it came
  EXPECT_EQ(late.sent, TextInputEvents("hi"));
  FakeSteps never;
  EXPECT_EQ(never.Run({"等待窗口 记事本 300", "运行 x"}), (StepOutcome{R::kFailed, 1}));
  EXPECT_EQ(never.now, 300u);
  EXPECT_EQ(
      never.told,
      Texts{"第 1 步（等待窗口“记事本”）：300 毫秒内没有等到这个窗口。\n后面的步骤没有执行。"});
}

TEST(Steps, AStopEndsAWaitOrComesBetweenSteps) {
  FakeSteps waiting;
  waiting.stopAt = 1010;
  EXPECT_EQ(waiting.Run({"运行 a", "等待 60000", "运行 b"}), (StepOutcome{R::kStopped, 2}));
  EXPECT_EQ(waiting.now, 1050u);
  EXPECT_EQ(waiting.log, Texts{"start a"});
  FakeSteps between;  // asked for as a step ends: the next one is not done
  between.stopAt = 100;
  EXPECT_EQ(between.Run({"等待 100", "运行 b"}), (StepOutcome{R::kStopped, 2}));
  EXPECT_TRUE(between.log.empty() && between.told.empty());
}

TEST(Steps, AStepThatCannotBeDoneIsToldAndEndsTheSteps) {
  FakeSteps missing;
  EXPECT_EQ(missing.Run({"切换到 记事本", "切换到 Word", "运行 x"}), (StepOutcome{R::kFailed, 2}));
  EXPECT_EQ(missing.log, Texts{"switch 6"});
  EXPECT_EQ(missing.told,
            Texts{"第 2 步（切换到“Word”）：没有找到标题含有“Word”的窗口。\n后面的步骤没有执行。"});
  FakeSteps stays;
  stays.switches = false;
  EXPECT_EQ(stays.Run({"切换到 记事本"}), (StepOutcome{R::kFailed, 1}));
  EXPECT_EQ(stays.now, static_cast<std::uint64_t>(kSwitchWaitMs));
  FakeSteps fails;
  fails.startFails = "找不到文件“x.exe”。";
  EXPECT_EQ(fails.Run({"运行 x.exe", "运行 y"}), (StepOutcome{R::kFailed, 1}));
  EXPECT_EQ(fails.told, Texts{"第 1 步（运行“x.exe”）：找不到文件“x.exe”。\n后面的步骤没有执行。"});
}

TEST(Steps, KeysWaitForTheHotkeyAndGoAsTheirCombinationsEvents) {
  FakeSteps keys;
  keys.down = {0xA2, 'K'};  // Ctrl + K still held for 30 ms
  keys.releaseAt = 30;
  EXPECT_EQ(keys.Run({"按键 Win+D ctrl+v"}, HotkeyKeys(kModControl, 'K')),
            (StepOutcome{R::kDone, 0}));
  std::vector<KeyInput> expected(kMaskKeyEvents.begin(), kMaskKeyEvents.end());
  for (KeyCombo combo : {KeyCombo{kModWin, 'D'}, KeyCombo{kModControl, 'V'}})
    std::ranges::copy(ComboEvents(combo), std::back_inserter(expected));
  EXPECT_EQ(keys.sent, expected);
}

}  // namespace
}  // namespace tarvek
