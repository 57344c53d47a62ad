// What a binding may ask of its launch beyond its target: arguments, a working folder, a show
// state, the run level, what a press does while the program already runs, and whether the
// binding is on at all. The defaults are a plain launch, exactly as a binding without options.
#pragma once

#include <string>

namespace tarvek {

enum class WindowState { kNormal, kMinimized, kMaximized };
enum class RunLevel { kNormal, kAdmin };
// While the target program already has a window: start another copy, bring its window to the
// front, or bring it to the front and minimise it when it is in front already.
enum class IfRunning { kStart, kActivate, kToggle };
// Where a binding acts: everywhere, only while one of its programs is in front, or everywhere
// but there. Where it does not act, its key goes to the program in front untouched.
enum class ProgramScope { kEverywhere, kOnlyIn, kNotIn };

struct LaunchOptions {
  std::string Arguments;  // passed to a program target only
  std::string StartIn;    // empty: the target's own folder
  WindowState Window = WindowState::kNormal;
  RunLevel RunAs = RunLevel::kNormal;
  IfRunning WhenRunning = IfRunning::kStart;
  bool Enabled = true;
  // The text a binding whose target is "输入文本" types, as typed (line breaks as "\n").
  std::string Text;
  ProgramScope Scope = ProgramScope::kEverywhere;
  // The programs of the scope: file names or full paths, separated by ";" ("notepad.exe;Code.exe").
  std::string Programs;

  // A scope without programs is everywhere.
  bool HasCondition() const;

  bool IsDefault() const {
    return Arguments.empty() && StartIn.empty() && Window == WindowState::kNormal &&
           RunAs == RunLevel::kNormal && WhenRunning == IfRunning::kStart && Enabled &&
           Text.empty() && !HasCondition();
  }
  bool operator==(const LaunchOptions&) const = default;
};

}  // namespace tarvek
