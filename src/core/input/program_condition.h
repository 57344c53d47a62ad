// Bindings that act only in some programs, or everywhere but in them: which program is in front,
// and whether a binding's programs name it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/launch/launch_options.h"

namespace tarvek {

// The names of a binding's program list: separated by ";", blanks and quotes around each taken
// off, empty ones left out.
std::vector<std::string> SplitProgramList(std::string_view programs);
// Whether one name of the list names the program at programPath (a full path): a name with a
// folder ("C:\Tools\a.exe") that path only, else the program's file name; letter case does not
// count, and a name without an extension is taken with ".exe".
bool ProgramNamed(std::string_view name, std::string_view programPath);
// Whether a binding with these options acts while the program at foregroundPath is in front. An
// unknown program (empty path: none in front, or one that cannot be asked) is in no list.
bool ConditionHolds(const LaunchOptions& options, std::string_view foregroundPath);

// A binding's condition as a hook asks it on every matching press: the list is split once, when
// the hook's list is made, so that a press allocates nothing. Made from the binding's options
// wherever a list for a hook is put together.
class ProgramCondition {
 public:
  ProgramCondition() = default;
  ProgramCondition(const LaunchOptions& options);  // NOLINT(google-explicit-constructor)
  // Whether the answer depends on the program in front at all.
  bool Any() const { return !names_.empty(); }
  bool Holds(std::string_view foregroundPath) const;

  // One name of a list as it is compared: ".exe" added where the name has no extension.
  struct Name {
    std::string full;
    bool wholePath = false;  // the name has a folder: the whole path must match
  };
  static Name NameOf(std::string name);

 private:
  bool onlyIn_ = false;  // else everywhere but in the names
  std::vector<Name> names_;
};
// The grid's tip for a binding's condition: "仅在 notepad.exe 中", "除 notepad.exe 外", the names
// joined by "、"; empty without a condition.
std::string ConditionTip(const LaunchOptions& options);

// Whether the program is the one whose frames hold the packaged apps' windows
// (ApplicationFrameHost.exe): the app inside a frame may change while the frame stays.
bool IsAppFrameHost(std::string_view programPath);
// The program a top-level window stands for. A packaged app's window is a frame of
// ApplicationFrameHost.exe holding the app's own window, which belongs to the app's process:
// the frame stands for the first child of another program. childPaths are the programs of the
// frame's child windows, in their order.
std::string WindowProgram(std::string_view processPath, const std::vector<std::string>& childPaths);

// Adds a program's file name to a list as the dialog's box holds it, unless it names it already.
std::string AddProgramToList(std::string_view programs, std::string_view fileName);

}  // namespace tarvek
