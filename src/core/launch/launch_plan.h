// Targets as users write them: with arguments, in quotes, relative to the program folder, with
// %VARIABLES%. The planner turns a target into what to start and how; the text rules are plain
// functions, and what they need to know of the machine (does this file exist, where is this
// program) comes through the system port.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/launch/launch_options.h"
#include "core/ports.h"

namespace tarvek {

// %NAME% replaced by the variable's value; a name that is not set, and a lone %, stay as they
// are (as the system's own expansion leaves them).
std::string ExpandVariables(std::string_view text,
                            const std::function<std::optional<std::string>(const std::string&)>& lookup);

// The ways a target may split into a program and its arguments, in the order they are tried.
struct TargetSplit {
  enum class Kind {
    kQuoted,     // "C:\\x\\y.exe" --flag: the quoted path is the program
    kExePrefix,  // C:\\Program Files\\y.exe --flag: a leading part ending in .exe, if it exists
    kFirstWord,  // notepad C:\\a.txt: the first word, if it is a program the system finds
  } kind;
  std::string program;
  std::string arguments;
  bool operator==(const TargetSplit&) const = default;
};
std::vector<TargetSplit> SplitTarget(std::string_view text);

// A path relative to the program folder: neither rooted, nor on a drive, nor an address.
bool IsRelativePath(std::string_view path);

// What a target starts: a program file (CreateProcess) or whatever the shell opens.
struct TargetPlan {
  bool program = false;   // a path ending in .exe
  std::string file;       // the program, or what the shell opens
  std::string arguments;  // from the target itself
  bool inBackground = false;
  bool operator==(const TargetPlan&) const = default;
};
// A target that names an existing file, folder or address goes whole, as it always has; only a
// text that is none of these is split.
TargetPlan PlanTarget(std::string_view target, const std::string& programFolder, SystemPort& system);

// The packaged app a target starts, so that its windows are found though another process shows
// them (a packaged app's window may belong to ApplicationFrameHost.exe).
struct PackagedApp {
  std::string appId;    // an AppUserModelID ("Microsoft.WindowsTerminal_8wekyb3d8bbwe!App")
  bool family = false;  // appId is only a package family name: any app of the package
  bool operator==(const PackagedApp&) const = default;
  // Whether a window of that application identity is one of this app's (letter case ignored).
  bool Matches(std::string_view windowAppId) const;
};
// "shell:AppsFolder\<AppUserModelID>"; an App Execution Alias under
// %LOCALAPPDATA%\Microsoft\WindowsApps (the system reads which app it starts); a program in
// a package's own folder, "...\WindowsApps\<Name>_<Version>_<Arch>_<Resource>_<Publisher>\...".
// Empty for anything else.
std::optional<PackagedApp> PackagedAppOf(const std::string& target, LaunchWithOptionsPort& system);
bool IsAppsFolderTarget(std::string_view target);

// The ShowWindow command of a window state.
int ShowCommandOf(WindowState state);

}  // namespace tarvek
