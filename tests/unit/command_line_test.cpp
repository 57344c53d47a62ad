// The switches: how a command line splits and reads, the message that carries a switch to the
// running copy, and what the running copy does with each.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/command_actions.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingMainWindow;
using testing::RecordingSystem;
using Words = std::vector<std::string>;

TEST(CommandLineTest, SplitsAsWindowsDoes) {
  auto check = [](const char* line, const Words& expected) { EXPECT_EQ(SplitArguments(line), expected) << line; };
  check("", {});
  check("  /show\t ", {"/show"});
  check("/list \"C:\\My Lists\\a b.htk\"", {"/list", "C:\\My Lists\\a b.htk"});
  check("/run \"\"", {"/run", ""});
  check("a\\\\b c\\\"d", {"a\\\\b", "c\"d"});    // backslashes escape a quote only
  check("\"a\\\\\" b", {"a\\", "b"});               // two before a quote: one, and it closes
  check("\"a \"\"b c\"", {"a \"b", "c"});  // "" in quotes: a quote, and the quotes end
  check("x\"\"\"y", {"x\"y"});
}

TEST(CommandLineTest, ReadsEachSwitchAndRefusesMistakes) {
  auto ok = [](const Words& words, Switch which, const std::string& argument = {}) {
    ParsedArguments parsed = ParseArguments(words);
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.request, (CommandRequest{which, argument}));
  };
  ok({}, Switch::kNone);
  ok({"/?"}, Switch::kHelp);
  ok({"/SHOW"}, Switch::kShow);
  ok({"-Exit"}, Switch::kExit);
  ok({"/pause"}, Switch::kPause);
  ok({"/resume"}, Switch::kResume);
  ok({"/list", "工作 表"}, Switch::kList, "工作 表");
  ok({"/Run", "记事本"}, Switch::kRun, "记事本");
  auto bad = [](const Words& words, const std::string& said) {
    ParsedArguments parsed = ParseArguments(words);
    EXPECT_NE(parsed.error.find(said), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.request.which, Switch::kNone);
  };
  bad({"/shows"}, "不认识的命令行开关：/shows");
  bad({"show"}, "不认识的命令行开关：show");
  bad({"/"}, "不认识的命令行开关：/");
  bad({"/list"}, "/list 后面缺少");
  bad({"/run", ""}, "/run 后面缺少");
  bad({"/exit", "now"}, "多余的内容：now");
  bad({"/list", "a", "b"}, "多余的内容：b");
}

TEST(CommandLineTest, CarriesEachSwitchAndRejectsAnyOtherMessage) {
  for (const CommandRequest& request :
       {CommandRequest{Switch::kShow, ""}, CommandRequest{Switch::kExit, ""},
        CommandRequest{Switch::kResume, ""}, CommandRequest{Switch::kList, "C:\\列表\\a.htk"},
        CommandRequest{Switch::kRun, "我的 计算器"}}) {
    EXPECT_EQ(DecodeCommand(kCommandDataMark, EncodeCommand(request)), request);
  }
  const std::string good = EncodeCommand({Switch::kRun, "calc"});
  auto rejected = [](std::string data, std::uintptr_t mark = kCommandDataMark) {
    EXPECT_EQ(DecodeCommand(mark, data), std::nullopt);
  };
  rejected(good, kCommandDataMark + 1);
  rejected(good.substr(0, good.size() - 1));  // shorter than it says
  rejected(good + "x");                       // longer
  rejected(good.substr(0, 11));
  std::string other = good;
  other[0] = 2;  // a version this copy does not know
  rejected(other);
  other = good;
  other[4] = 99;  // no such switch
  rejected(other);
  rejected(EncodeCommand({Switch::kHelp, ""}));
  rejected(EncodeCommand({Switch::kShow, "x"}));
  rejected(EncodeCommand({Switch::kList, ""}));
  rejected(EncodeCommand({Switch::kRun, "a\xC0\xAF"}));  // an overlong "/"
  rejected(EncodeCommand({Switch::kRun, "a\xED\xA0\x80"}));  // a surrogate
  rejected(EncodeCommand({Switch::kRun, "a\nb"}));
  rejected(EncodeCommand({Switch::kRun, std::string(kMaxCommandArgument + 1, 'a')}));
}

const std::string kFolder = "C:\\HK";

TEST(CommandLineTest, AListArgumentLeadsOnlyToAnExistingListFile) {
  RecordingSystem files;
  files.files[kFolder + "\\工作.htk"] = "";
  files.files["D:\\lists\\a b.HTK"] = "";
  files.files[kFolder + "\\boot.ini"] = "";
  auto check = [&](const std::string& argument, std::optional<std::string> expected) {
    EXPECT_EQ(ListFileFor(argument, kFolder, files), expected) << argument;
  };
  check("工作", kFolder + "\\工作.htk");
  check("工作.HTK", kFolder + "\\工作.htk");
  check("D:\\lists\\a b.HTK", "D:\\lists\\a b.HTK");
  check("没有", std::nullopt);
  check("..\\HK\\工作.htk", std::nullopt);  // relative
  check(kFolder + "\\boot.ini", std::nullopt);
  check("\\\\.\\C:\\HK\\工作.htk", std::nullopt);
  check("CON", std::nullopt);
  check(".htk", std::nullopt);
}

class RunningCopyTest : public ::testing::Test, public CommandHost {
 protected:
  RunningCopyTest() {
    settings.values["ShowInfo"] = "0";
    system.files[kFolder + "\\SaveKey.htk"] =
        SerializeList({{"Ctrl + Alt", "C", "计算器", "calc"}, {"Ctrl + Alt", "N", "记事本", "notepad"}}, system);
    system.files[kFolder + "\\游戏.htk"] = SerializeList({{"Ctrl + Shift", "G", "游戏", "game"}}, system);
    program.LoadPhase();
    program.InitialisePhase();
    system.calls.clear();
  }
  bool DialogOpen() override { return dialogOpen; }
  void Later(std::function<void()> job) override { later.push_back(std::move(job)); }
  void RunLater() {
    for (auto& job : later) job();
    later.clear();
  }
  bool Bound(int slot) const { return system.registered.count(BindingIdBase + slot) != 0; }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, kFolder};
  MainCommands commands{program, system, view, grid};
  CommandActions actions{program, commands, view, grid, system, *this};
  bool dialogOpen = false;
  std::vector<std::function<void()>> later;
};

TEST_F(RunningCopyTest, PauseAndResumeAreNoToggles) {
  EXPECT_EQ(actions.Carry({Switch::kPause, ""}), CommandAnswer::kDone);
  EXPECT_EQ(actions.Carry({Switch::kPause, ""}), CommandAnswer::kDone);
  EXPECT_FALSE(Bound(0) || Bound(1));
  EXPECT_TRUE(commands.LockNowChecked());
  EXPECT_EQ(actions.Carry({Switch::kResume, ""}), CommandAnswer::kDone);
  EXPECT_EQ(actions.Carry({Switch::kResume, ""}), CommandAnswer::kDone);
  EXPECT_TRUE(Bound(0) && Bound(1));
  EXPECT_FALSE(commands.LockNowChecked());
}

TEST_F(RunningCopyTest, ExitNeverDropsUnsavedPadText) {
  program.core.flags.PadContentSaved = false;
  EXPECT_EQ(actions.Carry({Switch::kExit, ""}), CommandAnswer::kPadUnsaved);
  EXPECT_FALSE(program.core.flags.QuitRequested);
  EXPECT_EQ(system.calls, (Words{"View.ShowPad"}));  // no question, the pad shown
  program.core.flags.PadContentSaved = true;
  system.calls.clear();
  EXPECT_EQ(actions.Carry({Switch::kExit, ""}), CommandAnswer::kDone);
  EXPECT_TRUE(program.core.flags.QuitRequested);
  EXPECT_EQ(system.calls, (Words{"View.Unload"}));
  EXPECT_EQ(actions.Carry({Switch::kShow, ""}), CommandAnswer::kNotTaken);  // on its way out
}

TEST_F(RunningCopyTest, ListSwitchesAfterTheAnswerAndOnlyToAFileThatIsThere) {
  EXPECT_EQ(actions.Carry({Switch::kList, "没有"}), CommandAnswer::kNoSuchList);
  EXPECT_EQ(actions.Carry({Switch::kList, "游戏"}, /*fewerRights=*/true), CommandAnswer::kRefused);
  dialogOpen = true;
  EXPECT_EQ(actions.Carry({Switch::kList, "游戏"}), CommandAnswer::kBusy);
  EXPECT_TRUE(later.empty());
  dialogOpen = false;
  EXPECT_EQ(actions.Carry({Switch::kList, "游戏"}), CommandAnswer::kDone);
  EXPECT_TRUE(Bound(0) && Bound(1));  // nothing yet: the sender has its answer first
  RunLater();
  EXPECT_EQ(program.ListPath(), kFolder + "\\游戏.htk");
  EXPECT_EQ(grid.Rows(), kFirstBindingRow + 1);
  EXPECT_EQ(grid.Cell(kFirstBindingRow, 2), "游戏");
  EXPECT_TRUE(Bound(0));
  EXPECT_FALSE(Bound(1));
}

TEST_F(RunningCopyTest, RunFindsTheBindingByItsShownName) {
  EXPECT_EQ(actions.Carry({Switch::kRun, "记"}), CommandAnswer::kNoSuchBinding);
  EXPECT_EQ(actions.Carry({Switch::kRun, "记事本"}, true), CommandAnswer::kRefused);
  actions.Carry({Switch::kPause, ""});
  system.calls.clear();
  EXPECT_EQ(actions.Carry({Switch::kRun, "记事本"}), CommandAnswer::kDone);
  RunLater();  // also while paused, as the hotkey-list menu runs it
  EXPECT_EQ(system.calls, (Words{"View.SendHotkey " + std::to_string(BindingIdBase + 1)}));
  // A deleted row's binding is gone, though its slot stays filled until the next reload.
  grid.currentRow = kFirstBindingRow + 1;
  commands.Delete();
  EXPECT_EQ(actions.Carry({Switch::kRun, "记事本"}), CommandAnswer::kNoSuchBinding);
}

TEST_F(RunningCopyTest, AStartedCopyEndsWhenItsBindingIsNotThere) {
  EXPECT_FALSE(actions.CarryAtStart({Switch::kRun, "无名"}));
  EXPECT_TRUE(actions.CarryAtStart({Switch::kPause, ""}));
  EXPECT_FALSE(Bound(0));
  EXPECT_TRUE(actions.CarryAtStart({Switch::kList, "游戏"}));
  EXPECT_EQ(program.ListPath(), kFolder + "\\游戏.htk");
}

}  // namespace
}  // namespace tarvek
