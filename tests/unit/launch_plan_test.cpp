#include "core/launch/launch_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/actions.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::RecordingSystem;
using testing::RecordingView;
using Calls = std::vector<std::string>;

class LaunchPlanTest : public ::testing::Test {
 protected:
  LaunchPlanTest() {
    for (const char* file : {"C:\\Program Files\\Tvk\\y.exe", "C:\\Tools\\y.exe", "C:\\a.exe",
                             "C:\\a.exe b\\c.exe", "C:\\HK\\tools\\y.exe", "D:\\文档\\报告.doc",
                             "D:\\a b\\c d.txt", "C:\\T\\y.exe", "C:\\bin\\run.cmd"}) {
      system.files[file] = "";
    }
    system.folders = {"D:\\文档", "D:\\a b", "C:\\Users\\u\\Documents"};
    system.programsFound["notepad"] = "C:\\windows\\system32\\notepad.exe";
    system.programsFound["y.exe"] = "C:\\T\\y.exe";
    system.programsFound["run"] = "C:\\bin\\run.cmd";
    system.environment = {{"SYSTEMDRIVE", "C:"}, {"USERPROFILE", "C:\\Users\\u"}};
  }

  // One press of a binding with this target and these options makes exactly these calls.
  void Check(const std::string& target, const LaunchOptions& options, const Calls& expected) {
    SCOPED_TRACE(target);
    system.calls.clear();
    runner.RunTarget(target, options);
    EXPECT_EQ(system.calls, expected);
  }
  void Check(const std::string& target, const std::string& expected) { Check(target, {}, {expected}); }

  RecordingSystem system;
  RecordingView view{system.calls};
  ActionRunner runner{system, view, "C:\\HK"};
};

TEST_F(LaunchPlanTest, ArgumentsInTheTarget) {
  // A leading quoted path, whatever is there.
  Check("\"C:\\Program Files\\Tvk\\y.exe\" --flag", "StartProgramWith \"C:\\Program Files\\Tvk\\y.exe\" --flag");
  Check("\"C:\\Missing\\z.exe\"  -a  \"b c\" ", "StartProgramWith \"C:\\Missing\\z.exe\" -a  \"b c\"");
  // The longest leading part ending in .exe that exists.
  Check("C:\\Tools\\y.exe --flag", "StartProgramWith \"C:\\Tools\\y.exe\" --flag");
  Check("C:\\a.exe b\\c.exe -x", "StartProgramWith \"C:\\a.exe b\\c.exe\" -x");
  Check("C:\\a.exe b\\nothing.exe -x", "StartProgramWith \"C:\\a.exe\" b\\nothing.exe -x");
  // The first word as the Run dialog finds it; a script goes to the shell with its arguments.
  Check("notepad C:\\a.txt", "StartProgramWith \"C:\\windows\\system32\\notepad.exe\" C:\\a.txt");
  Check("run x y", "Background ShellExecute C:\\bin\\run.cmd with x y in C:\\bin");
  // Nothing of it found: the whole text goes where it always went.
  Check("nothing here", "Background ShellOpen nothing here");
  Check("C:\\Missing Folder\\z.exe", "StartProgram C:\\Missing Folder\\z.exe");
}

TEST_F(LaunchPlanTest, ExistingPathsWithBlanksGoWhole) {
  Check("C:\\Program Files\\Tvk\\y.exe", "StartProgram C:\\Program Files\\Tvk\\y.exe");
  Check("D:\\a b\\c d.txt", "Background ShellOpen D:\\a b\\c d.txt in D:\\a b");
  Check("D:\\a b", "Background ShellOpen D:\\a b in D:\\a b");
}

TEST_F(LaunchPlanTest, QuotedRelativeAndVariableForms) {
  Check("\"C:\\Program Files\\Tvk\\y.exe\"", "StartProgram C:\\Program Files\\Tvk\\y.exe");
  Check("\"D:\\文档\\报告.doc\"", "Background ShellOpen D:\\文档\\报告.doc in D:\\文档");
  Check(".\\tools\\y.exe", "StartProgram C:\\HK\\tools\\y.exe");
  Check("tools\\y.exe", "StartProgram C:\\HK\\tools\\y.exe");
  Check("tools\\y.exe --flag", "StartProgramWith \"C:\\HK\\tools\\y.exe\" --flag");
  Check("\".\\tools\\y.exe\" -q", "StartProgramWith \"C:\\HK\\tools\\y.exe\" -q");
  // A relative name that is not in the program folder is left to the search path.
  Check("calc", "Background ShellOpen calc");
  Check("%SystemDrive%\\Tools\\y.exe", "StartProgram C:\\Tools\\y.exe");
  Check("%USERPROFILE%\\Documents", "Background ShellOpen C:\\Users\\u\\Documents in C:\\Users\\u\\Documents");
  Check("\"%SystemDrive%\\Tools\\y.exe\" -v", "StartProgramWith \"C:\\Tools\\y.exe\" -v");
  Check("%NOPE%\\x%", "Background ShellOpen %NOPE%\\x%");
}

TEST_F(LaunchPlanTest, MailtoIsNotDoubled) {
  Check("mailto:a@example.com?subject=问候", "Background ShellOpen mailto:a@example.com?subject=问候");
  Check("MailTo:a@example.com", "Background ShellOpen MailTo:a@example.com");
  Check("a@example.com", "Background ShellOpen mailto:a@example.com");
}

TEST(ExpandVariables, UnknownNamesAndLonePercentsStay) {
  auto lookup = [](const std::string& name) -> std::optional<std::string> {
    if (name == "A") return "1";
    return std::nullopt;
  };
  EXPECT_EQ(ExpandVariables("%A%%A%", lookup), "11");
  EXPECT_EQ(ExpandVariables("%B%A%", lookup), "%B1");
  EXPECT_EQ(ExpandVariables("50% %A", lookup), "50% %A");
  EXPECT_EQ(ExpandVariables("%%A%", lookup), "%1");
}

LaunchOptions With(std::string arguments, std::string startIn, WindowState window,
                   RunLevel runAs = RunLevel::kNormal) {
  LaunchOptions options;
  options.Arguments = std::move(arguments);
  options.StartIn = std::move(startIn);
  options.Window = window;
  options.RunAs = runAs;
  return options;
}

TEST_F(LaunchPlanTest, OptionsOfAProgram) {
  using W = WindowState;
  const std::string y = "C:\\T\\y.exe";
  Check(y, With("-a", "", W::kNormal), {"StartProgramWith \"C:\\T\\y.exe\" -a"});
  Check(y + " -t", With("-a", "", W::kNormal), {"StartProgramWith \"C:\\T\\y.exe\" -t -a"});
  Check(y, With("", "D:\\w", W::kMinimized), {"StartProgramWith \"C:\\T\\y.exe\" in D:\\w show 7"});
  Check(y, With("", "", W::kMaximized), {"StartProgramWith \"C:\\T\\y.exe\" show 3"});
  Check(y, With("-a", "", W::kNormal, RunLevel::kAdmin),
        {"Background ShellExecute runas C:\\T\\y.exe with -a in C:\\T"});
}

TEST_F(LaunchPlanTest, OptionsOfADocument) {
  using W = WindowState;
  const std::string doc = "D:\\文档\\报告.doc";
  // Arguments are a program's only.
  Check(doc, With("-a", "", W::kNormal), {"Background ShellOpen " + doc + " in D:\\文档"});
  Check(doc, With("-a", "E:\\w", W::kMaximized), {"Background ShellExecute " + doc + " in E:\\w show 3"});
  Check(doc, With("", "", W::kMinimized), {"Background ShellExecute " + doc + " in D:\\文档 show 7"});
}

TEST_F(LaunchPlanTest, AnElevatedLauncherStartsAtTheDesktopsLevelUnlessAskedForAdmin) {
  system.elevated = true;
  Check("C:\\T\\y.exe", {}, {"Background DesktopShellExecute C:\\T\\y.exe in C:\\T"});
  Check("D:\\文档\\报告.doc", {}, {"Background DesktopShellExecute D:\\文档\\报告.doc in D:\\文档"});
  Check("C:\\T\\y.exe", With("", "", WindowState::kNormal, RunLevel::kAdmin),
        {"Background ShellExecute runas C:\\T\\y.exe in C:\\T"});
  // No desktop shell to ask: it still starts.
  system.desktopShellAnswers = false;
  Check("C:\\T\\y.exe -q", {},
        {"Background DesktopShellExecute C:\\T\\y.exe with -q in C:\\T",
         "Background StartProgramWith \"C:\\T\\y.exe\" -q in C:\\T"});
}

TEST_F(LaunchPlanTest, ActivateGoesRoundTheProgramsWindowsAndStartsWhenThereAreNone) {
  LaunchOptions activate;
  activate.WhenRunning = IfRunning::kActivate;
  Check("C:\\T\\y.exe", activate, {"StartProgram C:\\T\\y.exe"});
  system.programWindows["c:\\t\\y.exe"] = {0x300, 0x200};
  Check("C:\\T\\y.exe", activate, {"BringToFront 512"});
  Check("C:\\T\\y.exe", activate, {"BringToFront 768"});
  // Found by name as the system finds it.
  Check("y.exe", activate, {"BringToFront 512"});
  // A document has no program of its own to look for.
  Check("D:\\文档\\报告.doc", activate, {"Background ShellOpen D:\\文档\\报告.doc in D:\\文档"});
}

TEST_F(LaunchPlanTest, ToggleMinimisesTheProgramsWindowInFront) {
  LaunchOptions toggle;
  toggle.WhenRunning = IfRunning::kToggle;
  system.programWindows["c:\\t\\y.exe"] = {0x300, 0x200};
  system.foreground = 0x200;
  Check("C:\\T\\y.exe", toggle, {"ShowWindow 512 6"});
  system.foreground = 0x100;
  Check("C:\\T\\y.exe", toggle, {"BringToFront 768"});
  // Minimised, it may still be the foreground window: it comes back.
  system.foreground = 0x300;
  system.minimized = {0x300};
  Check("C:\\T\\y.exe", toggle, {"BringToFront 512"});
}

}  // namespace
}  // namespace tarvek
