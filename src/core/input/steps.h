// Bindings that do several things in a row ("多步动作"): their steps as the options file holds
// them (Step1= … Step32=, each "KIND VALUE"), and the runner that does them one after another
// over what it asks of the machine.
//
// The kinds, each written as its name, one blank and its value:
//   运行 TARGET          starts TARGET as a binding's target is started (a built-in name too)
//   按键 COMBINATIONS    presses the combinations as a 发送按键 binding does ("Ctrl+C Alt+Tab")
//   输入 TEXT            types TEXT, with the escapes of 输入文本 (\n line break, \t tab, \\)
//   等待 MS              waits MS milliseconds (1 to 60000)
//   等待窗口 TITLE [MS]  waits until a window whose title holds TITLE is in front, up to MS
//                        milliseconds (1 to 60000, 10000 when not given); if none comes, the
//                        steps stop there and the user is told which step waited in vain
//   切换到 TITLE         brings the first window whose title holds TITLE to the front
//
// 等待窗口's title may hold blanks. Its last blank-separated word is the milliseconds when that
// word is all digits (0-9) and some title comes before it; otherwise the whole value is the
// title. So "等待窗口 记事本 3000" waits 3 s for 记事本, "等待窗口 2048" waits the default time
// for a window titled with 2048, and a title whose last word is a number needs the time after
// it: "等待窗口 Excel 2016 10000".
//
// Titles are found anywhere in a window's title, letter case not counting for Latin letters.
// Blanks around a value do not count, except for 输入's text, which is everything after the one
// blank that follows the kind (the options file itself drops blanks at either end of a line).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/input/typed_text.h"
#include "core/ports.h"

namespace tarvek {

// The built-in target of a binding that runs its steps.
inline constexpr std::string_view kStepsTarget = "多步动作";
inline constexpr std::size_t kMaxSteps = 32;

enum class StepKind { kRun, kKeys, kType, kWait, kWaitWindow, kSwitchTo };

// The kinds' names as written before their values.
namespace step_kind {
inline constexpr std::string_view kRun = "运行";
inline constexpr std::string_view kKeys = "按键";
inline constexpr std::string_view kType = "输入";
inline constexpr std::string_view kWait = "等待";
inline constexpr std::string_view kWaitWindow = "等待窗口";
inline constexpr std::string_view kSwitchTo = "切换到";
}  // namespace step_kind
std::string_view StepKindName(StepKind kind);

inline constexpr int kMinStepWaitMs = 1;
inline constexpr int kMaxStepWaitMs = 60000;
inline constexpr int kDefaultWindowWaitMs = 10000;

struct Step {
  StepKind kind = StepKind::kWait;
  // The target, the combinations as written, the text unescaped (line breaks CR LF), or the
  // title. Empty for 等待.
  std::string value;
  // 等待's time, and 等待窗口's longest wait; 0 for the other kinds.
  int milliseconds = 0;
  bool operator==(const Step&) const = default;
};

// One step as written ("等待窗口 记事本 3000"); nothing, with a short reason in `why` (when
// given), for a text that is none.
std::optional<Step> ParseStep(std::string_view written, std::string* why = nullptr);
// The step as written: ParseStep of it gives the step back.
std::string StepText(const Step& step);

// The steps of a binding, read from the numbered lines of its section.
struct StepList {
  std::vector<Step> steps;
  // Why the steps cannot be used ("第 3 步：…", or too many); empty when they can. A list with
  // an error is not run at all: half of a sequence may do harm the whole would not.
  std::string error;
  bool Ok() const { return error.empty(); }
};
// From the (N, text) of each StepN= line, in any order. Gaps in the numbering close up; of a
// number given twice the first counts; an empty line is no step. More than kMaxSteps steps, or
// one that cannot be read, is an error that names the step by its number.
StepList ReadSteps(std::span<const std::pair<int, std::string>> written);

// Whether the window title holds the part (ASCII letters compared without case). An empty part
// is held by every title.
bool TitleHolds(std::string_view title, std::string_view part);

// A top-level window and its title.
struct TitledWindow {
  WindowRef window = 0;
  std::string title;
};

// What the steps ask of the machine, on the thread that runs them. Typing and keys go through
// the typist's own device (TypeText), so a step types exactly as 输入文本 does.
class StepDevice : public TypingDevice {
 public:
  // Starts the target as a binding's target is started, a built-in action too; nothing when it
  // started, else what to tell the user of why not.
  virtual std::optional<std::string> StartTarget(const std::string& target) = 0;
  virtual std::string WindowTitle(WindowRef window) = 0;
  // The visible, unowned top-level windows with a title, the one in front first.
  virtual std::vector<TitledWindow> TitledWindows() = 0;
  // Restores the window when it is minimised and asks for it to come to the front (it may not:
  // check Foreground).
  virtual void SwitchTo(WindowRef window) = 0;
  // Milliseconds of a steady clock.
  virtual std::uint64_t NowMs() = 0;
  // The binding was pressed again, or 暂时禁用 was chosen: the steps are to stop.
  virtual bool StopRequested() = 0;
};

// Waits are done in slices of this, so that a stop request ends them promptly.
inline constexpr int kStepSliceMs = 50;
// How long 切换到 gives the window to come to the front.
inline constexpr int kSwitchWaitMs = 1000;

struct StepOutcome {
  enum class Result { kDone, kStopped, kFailed } result = Result::kDone;
  // The step (from 1) that failed, or before or during which the steps stopped; 0 when done.
  int step = 0;
  bool operator==(const StepOutcome&) const = default;
};

// Does the steps one after another. A stop request ends a wait at once and otherwise takes
// effect between steps. A step that cannot be done (a target that does not start, a window that
// does not come, keys Windows does not take) is told to the user, naming the step, and the
// steps after it are not done. hotkeyKeys (HotkeyKeys of the binding) are waited for before
// keys are pressed or text typed, and let go of when still held.
StepOutcome RunSteps(const std::vector<Step>& steps, StepDevice& device,
                     const std::vector<int>& hotkeyKeys = {});

}  // namespace tarvek
