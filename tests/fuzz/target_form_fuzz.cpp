// A target of any bytes: every way it splits keeps the program and its arguments inside the
// text, the expansion of variables ends, and planning and launching it never faults.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/actions.h"
#include "core/launch/launch_plan.h"
#include "recording_system.h"

using namespace tarvek;

namespace {

struct NoPad : PadHost {
  void ShowPadForAction() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string target(reinterpret_cast<const char*>(data), size);
  for (const TargetSplit& split : SplitTarget(target)) {
    if (split.program.empty() || target.find(split.program) == std::string::npos) std::abort();
    if (split.program.size() + split.arguments.size() > target.size()) std::abort();
    if (!split.arguments.empty() && target.find(split.arguments) == std::string::npos) std::abort();
  }
  // A variable whose value names itself expands once, not for ever.
  const std::string expanded = ExpandVariables(target, [](const std::string& name) {
    return std::optional<std::string>("%" + name + "%");
  });
  if (expanded != target) std::abort();

  testing::RecordingSystem system;
  system.files["C:\\HK\\a.exe"] = "";
  system.files["C:\\a b\\c.exe"] = "";
  system.folders.insert("C:\\HK");
  system.programsFound["notepad"] = "C:\\windows\\notepad.exe";
  system.environment["X"] = "C:\\a b";
  system.programWindows["c:\\hk\\a.exe"] = {1, 2};
  NoPad pad;
  ActionRunner runner(system, pad, "C:\\HK");
  LaunchOptions options;
  options.WhenRunning = size % 2 == 0 ? IfRunning::kActivate : IfRunning::kStart;
  runner.RunTarget(target, options);
  return 0;
}
