#include "core/input/steps.h"

#include <algorithm>
#include <array>

#include "core/actions.h"
#include "core/input/key_names.h"
#include "core/input/key_sequence.h"

namespace tarvek {

namespace {

struct KindName {
  StepKind kind;
  std::string_view name;
};
constexpr std::array<KindName, 6> kKindNames = {{{StepKind::kRun, step_kind::kRun},
                                                 {StepKind::kKeys, step_kind::kKeys},
                                                 {StepKind::kType, step_kind::kType},
                                                 {StepKind::kWait, step_kind::kWait},
                                                 {StepKind::kWaitWindow, step_kind::kWaitWindow},
                                                 {StepKind::kSwitchTo, step_kind::kSwitchTo}}};

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The word after the last blank of a trimmed text; empty when it has no blank.
std::string_view LastWord(std::string_view text) {
  const std::size_t blank = text.find_last_of(" \t");
  return blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
}

std::optional<Step> Refuse(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return std::nullopt;
}

// A number of milliseconds, 1 to 60000.
std::optional<int> ReadMilliseconds(std::string_view text, std::string* why) {
  if (!AllDigits(text)) {
    if (why != nullptr) *why = "“" + std::string(text) + "”不是毫秒数，应写 1 到 60000 之间的整数";
    return std::nullopt;
  }
  while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
  int value = kMaxStepWaitMs + 1;  // anything longer than five digits is out of range
  if (text.size() <= 5) {
    value = 0;
    for (char c : text) value = value * 10 + (c - '0');
  }
  if (value < kMinStepWaitMs || value > kMaxStepWaitMs) {
    if (why != nullptr) *why = "毫秒数应在 1 到 60000 之间";
    return std::nullopt;
  }
  return value;
}

// Why ParseKeySequence refused the text.
std::string KeysRefusal(const KeySequence& keys) {
  if (keys.unknown == "+") return "组合键的“+”后面缺少键名";
  for (std::string_view mouse :
       {kMiddleButtonName, kSideButton1Name, kSideButton2Name, kWheelUpName, kWheelDownName}) {
    if (keys.unknown == mouse) return "“" + keys.unknown + "”是鼠标的按键，这里只能按键盘上的键";
  }
  return "不认识键名“" + keys.unknown + "”";
}

}  // namespace

std::string_view StepKindName(StepKind kind) {
  for (const KindName& k : kKindNames) {
    if (k.kind == kind) return k.name;
  }
  return {};
}

std::optional<Step> ParseStep(std::string_view written, std::string* why) {
  while (!written.empty() && Blank(written.front())) written.remove_prefix(1);
  if (Trim(written).empty()) return Refuse(why, "这一步是空的");
  const std::size_t blank = written.find_first_of(" \t");
  const std::string_view name = written.substr(0, blank);
  // 输入's text is all that follows the one blank; every other value goes without its blanks.
  const std::string_view rest =
      blank == std::string_view::npos ? std::string_view() : written.substr(blank + 1);
  const std::string_view value = Trim(rest);
  const auto known = std::find_if(kKindNames.begin(), kKindNames.end(),
                                  [name](const KindName& k) { return k.name == name; });
  if (known == kKindNames.end()) {
    return Refuse(why, "不认识“" + std::string(name) +
                           "”这种步骤，可用的有：运行、按键、输入、等待、等待窗口、切换到");
  }
  Step step;
  step.kind = known->kind;
  switch (step.kind) {
    case StepKind::kRun:
      if (value.empty()) return Refuse(why, "“运行”后面没有写要运行的目标");
      // The steps belong to the binding whose target this is: there is nothing else to run.
      if (value == kStepsTarget) return Refuse(why, "步骤里不能再运行“多步动作”");
      // 输入文本 types the binding's text, and a binding of steps has none.
      if (value == action_name::kTypeText) {
        return Refuse(why, "步骤里不能运行“输入文本”，要输入文字请用“输入”步骤");
      }
      step.value = value;
      return step;
    case StepKind::kKeys: {
      if (value.empty()) return Refuse(why, "“按键”后面没有写要按的键");
      const KeySequence keys = ParseKeySequence(value);
      if (!keys.Ok()) return Refuse(why, KeysRefusal(keys));
      step.value = value;
      return step;
    }
    case StepKind::kType:
      if (rest.empty()) return Refuse(why, "“输入”后面没有写要输入的文字");
      step.value = UnescapeTypedText(rest);
      return step;
    case StepKind::kWait: {
      if (value.empty()) return Refuse(why, "“等待”后面没有写毫秒数");
      const std::optional<int> ms = ReadMilliseconds(value, why);
      if (!ms) return std::nullopt;
      step.milliseconds = *ms;
      return step;
    }
    case StepKind::kWaitWindow: {
      if (value.empty()) return Refuse(why, "“等待窗口”后面没有写窗口标题");
      step.value = value;
      step.milliseconds = kDefaultWindowWaitMs;
      const std::string_view last = LastWord(value);
      if (AllDigits(last)) {
        const std::optional<int> ms = ReadMilliseconds(last, why);
        if (!ms) return std::nullopt;
        step.value = Trim(value.substr(0, value.size() - last.size()));
        step.milliseconds = *ms;
      }
      return step;
    }
    case StepKind::kSwitchTo:
      if (value.empty()) return Refuse(why, "“切换到”后面没有写窗口标题");
      step.value = value;
      return step;
  }
  return std::nullopt;
}

std::string StepText(const Step& step) {
  std::string text(StepKindName(step.kind));
  text += ' ';
  switch (step.kind) {
    case StepKind::kType:
      text += EscapeTypedText(step.value);
      break;
    case StepKind::kWait:
      text += std::to_string(step.milliseconds);
      break;
    case StepKind::kWaitWindow:
      text += step.value;
      // A title ending in a number needs the time after it, or the number would be read as one.
      if (step.milliseconds != kDefaultWindowWaitMs || AllDigits(LastWord(step.value))) {
        text += ' ';
        text += std::to_string(step.milliseconds);
      }
      break;
    default:
      text += step.value;
  }
  return text;
}

StepList ReadSteps(std::span<const std::pair<int, std::string>> written) {
  std::vector<const std::pair<int, std::string>*> lines;
  for (const auto& line : written) {
    const bool seen = std::any_of(lines.begin(), lines.end(),
                                  [&line](const auto* l) { return l->first == line.first; });
    if (!seen) lines.push_back(&line);
  }
  std::erase_if(lines, [](const auto* l) { return Trim(l->second).empty(); });
  std::stable_sort(lines.begin(), lines.end(),
                   [](const auto* a, const auto* b) { return a->first < b->first; });
  StepList list;
  if (lines.size() > kMaxSteps) {
    list.error = "共有 " + std::to_string(lines.size()) + " 步，最多只能有 " +
                 std::to_string(kMaxSteps) + " 步";
    return list;
  }
  for (const auto* line : lines) {
    std::string why;
    std::optional<Step> step = ParseStep(line->second, &why);
    if (!step) {
      list.steps.clear();
      list.error = "第 " + std::to_string(line->first) + " 步：" + why;
      return list;
    }
    list.steps.push_back(std::move(*step));
  }
  return list;
}

bool TitleHolds(std::string_view title, std::string_view part) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  const auto found = std::search(title.begin(), title.end(), part.begin(), part.end(),
                                 [&lower](char a, char b) { return lower(a) == lower(b); });
  return part.empty() || found != title.end();
}

namespace {

enum class Ended { kDone, kStopped, kFailed };

// Waits until `arrived` holds, for up to `ms`, in slices of `slice`, checking for a stop before
// each: kDone when it held, kFailed when the time ran out first (for a plain wait: it is over).
template <typename Arrived>
Ended Await(StepDevice& device, int ms, int slice, Arrived arrived) {
  const std::uint64_t start = device.NowMs();
  for (;;) {
    if (arrived()) return Ended::kDone;
    const std::uint64_t elapsed = device.NowMs() - start;
    const std::uint64_t total = ms > 0 ? static_cast<std::uint64_t>(ms) : 0;
    if (elapsed >= total) return Ended::kFailed;
    if (device.StopRequested()) return Ended::kStopped;
    device.Pause(static_cast<int>(std::min(static_cast<std::uint64_t>(slice), total - elapsed)));
  }
}

// The typist's device of the steps: everything goes to the step device but the messages, which
// the runner tells itself, naming the step.
class QuietTyping : public TypingDevice {
 public:
  explicit QuietTyping(StepDevice& device) : device_(device) {}
  bool KeyDown(int virtualKey) override { return device_.KeyDown(virtualKey); }
  std::size_t Send(std::span<const KeyInput> events) override { return device_.Send(events); }
  WindowRef Foreground() override { return device_.Foreground(); }
  void BringToFront(WindowRef window) override { device_.BringToFront(window); }
  bool OwnWindow(WindowRef window) override { return device_.OwnWindow(window); }
  bool AboveThisProgram(WindowRef window) override { return device_.AboveThisProgram(window); }
  bool InMenu(WindowRef window) override { return device_.InMenu(window); }
  std::optional<std::uint32_t> SwitchOffInputMethod(WindowRef window) override {
    return device_.SwitchOffInputMethod(window);
  }
  void RestoreInputMethod(WindowRef window, std::uint32_t mode) override {
    device_.RestoreInputMethod(window, mode);
  }
  std::optional<std::uint32_t> InputMethodMode(WindowRef window) override {
    return device_.InputMethodMode(window);
  }
  void Pause(int milliseconds) override { device_.Pause(milliseconds); }
  void Tell(const std::string& text) override { told_ = text; }
  const std::string& Told() const { return told_; }

 private:
  StepDevice& device_;
  std::string told_;
};

constexpr std::string_view kKeysBlockedReason =
    "Windows 没有接受本程序送出的按键（可能正显示用户账户控制的提示，或切换到了另一个桌面）";
constexpr std::string_view kKeysElevatedReason =
    "前面的窗口属于以管理员身份运行的程序，本程序无法向它按键";

class Runner {
 public:
  Runner(StepDevice& device, const std::vector<int>& hotkeyKeys)
      : device_(device), hotkeyKeys_(hotkeyKeys) {}

  Ended Do(const Step& step, int number) {
    step_ = &step;
    number_ = number;
    switch (step.kind) {
      case StepKind::kRun:
        if (std::optional<std::string> failed = device_.StartTarget(step.value)) {
          return Fail(failed->empty() ? "没有启动" : *failed);
        }
        return Ended::kDone;
      case StepKind::kKeys:
        return PressKeys();
      case StepKind::kType:
        return Type();
      case StepKind::kWait: {
        const Ended waited = Await(device_, step.milliseconds, kStepSliceMs, [] { return false; });
        return waited == Ended::kStopped ? waited : Ended::kDone;
      }
      case StepKind::kWaitWindow: {
        const Ended waited = Await(device_, step.milliseconds, kStepSliceMs, [this] {
          const WindowRef front = device_.Foreground();
          return front != 0 && TitleHolds(device_.WindowTitle(front), step_->value);
        });
        if (waited != Ended::kFailed) return waited;
        return Fail(std::to_string(step.milliseconds) + " 毫秒内没有等到这个窗口");
      }
      case StepKind::kSwitchTo:
        return SwitchTo();
    }
    return Ended::kDone;
  }

 private:
  // Tells the user why the step could not be done, naming it, and that the rest was not done.
  Ended Fail(std::string reason) {
    std::string text =
        "第 " + std::to_string(number_) + " 步（" + std::string(StepKindName(step_->kind));
    if (step_->kind != StepKind::kType) text += "“" + step_->value + "”";
    text += "）：" + reason;
    if (!reason.ends_with("。")) text += "。";
    device_.Tell(text + "\n后面的步骤没有执行。");
    return Ended::kFailed;
  }

  std::vector<int> HotkeyKeysDown() {
    std::vector<int> down;
    for (int key : hotkeyKeys_) {
      if (device_.KeyDown(key)) down.push_back(key);
    }
    return down;
  }

  Ended PressKeys() {
    const KeySequence keys = ParseKeySequence(step_->value);
    if (!keys.Ok()) return Fail(KeysRefusal(keys));
    // As the typist does: a modifier of the hotkey still down would join every combination,
    // and its release alone would open the Start menu or the menu bar.
    const std::vector<int> downAtStart = HotkeyKeysDown();
    if (std::any_of(downAtStart.begin(), downAtStart.end(), IsModifierKey)) {
      device_.Send(kMaskKeyEvents);
    }
    if (!downAtStart.empty()) {
      const Ended released = Await(device_, kKeyReleaseWaitMs, kKeyPollMs,
                                   [this] { return HotkeyKeysDown().empty(); });
      if (released == Ended::kStopped) return released;
      const std::vector<int> held = HotkeyKeysDown();
      if (!held.empty()) {
        const std::vector<KeyInput> releases = ReleaseHeldKeys(held);
        if (device_.Send(releases) < releases.size()) return Fail(std::string(kKeysBlockedReason));
      }
    }
    // Windows drops input sent to such a window without a word: better to say so.
    const WindowRef front = device_.Foreground();
    if (front != 0 && device_.AboveThisProgram(front))
      return Fail(std::string(kKeysElevatedReason));
    for (const KeyCombo& combo : keys.combos) {
      const std::vector<KeyInput> events = ComboEvents(combo);
      if (device_.Send(events) < events.size()) return Fail(std::string(kKeysBlockedReason));
    }
    return Ended::kDone;
  }

  Ended Type() {
    TypingJob job;
    job.text = step_->value;
    job.hotkeyKeys = hotkeyKeys_;
    QuietTyping typing(device_);
    switch (TypeText(job, typing)) {
      case TypingOutcome::kTyped:
        return Ended::kDone;
      case TypingOutcome::kStopped:
        return Fail("输入时前面换了窗口，文字没有输完");
      case TypingOutcome::kNoWindow:
        return Fail("前面没有其他程序的窗口，文字没有输入");
      default:
        return Fail(typing.Told().empty() ? "文字没有输入" : typing.Told());
    }
  }

  Ended SwitchTo() {
    const std::vector<TitledWindow> windows = device_.TitledWindows();
    const auto found = std::find_if(windows.begin(), windows.end(), [this](const TitledWindow& w) {
      return TitleHolds(w.title, step_->value);
    });
    if (found == windows.end()) return Fail("没有找到标题含有“" + step_->value + "”的窗口");
    const WindowRef window = found->window;
    device_.SwitchTo(window);
    const Ended came = Await(device_, kSwitchWaitMs, kKeyPollMs,
                             [this, window] { return device_.Foreground() == window; });
    if (came != Ended::kFailed) return came;
    return Fail("找到了窗口，但它没能来到前面");
  }

  StepDevice& device_;
  const std::vector<int>& hotkeyKeys_;
  const Step* step_ = nullptr;
  int number_ = 0;
};

}  // namespace

StepOutcome RunSteps(const std::vector<Step>& steps, StepDevice& device,
                     const std::vector<int>& hotkeyKeys) {
  Runner runner(device, hotkeyKeys);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    if (device.StopRequested()) return {StepOutcome::Result::kStopped, number};
    switch (runner.Do(steps[i], number)) {
      case Ended::kDone:
        break;
      case Ended::kStopped:
        return {StepOutcome::Result::kStopped, number};
      case Ended::kFailed:
        return {StepOutcome::Result::kFailed, number};
    }
  }
  return {};
}

}  // namespace tarvek
