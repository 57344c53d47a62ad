#include "core/input/typed_text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "core/hotkey_table.h"
#include "core/files/text_encoding.h"
#include "core/input/abbreviation_matcher.h"

namespace tarvek {

namespace {

constexpr std::uint16_t kReturnKey = 0x0D;
constexpr std::uint16_t kTabKey = 0x09;
constexpr std::uint16_t kBackspaceKey = 0x08;
// The left and right key of each modifier.
struct ModifierSides {
  int flag, left, right;
};
constexpr std::array<ModifierSides, 4> kModifierSides = {{{kModControl, 0xA2, 0xA3},
                                                          {kModAlt, 0xA4, 0xA5},
                                                          {kModShift, 0xA0, 0xA1},
                                                          {kModWin, 0x5B, 0x5C}}};

bool HighSurrogate(std::uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

void PressAndRelease(std::vector<KeyInput>& events, std::uint16_t virtualKey, std::uint16_t unit) {
  events.push_back({virtualKey, unit, false});
  events.push_back({virtualKey, unit, true});
}

// The length of the line break that starts at i, 0 when none does.
std::size_t LineBreakAt(std::string_view text, std::size_t i) {
  if (text[i] == '\n') return 1;
  if (text[i] != '\r') return 0;
  return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
}

}  // namespace

std::string EscapeTypedText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (std::size_t lineBreak = LineBreakAt(text, i)) {
      out += "\\n";
      i += lineBreak;
      continue;
    }
    if (text[i] == '\t') {
      out += "\\t";
    } else if (text[i] == '\\') {
      out += "\\\\";
    } else {
      out += text[i];
    }
    ++i;
  }
  return out;
}

std::string UnescapeTypedText(std::string_view escaped) {
  std::string out;
  out.reserve(escaped.size());
  for (std::size_t i = 0; i < escaped.size();) {
    // A line break written into the file by hand is a line break all the same.
    if (std::size_t lineBreak = LineBreakAt(escaped, i)) {
      out += "\r\n";
      i += lineBreak;
      continue;
    }
    char next = i + 1 < escaped.size() ? escaped[i + 1] : '\0';
    if (escaped[i] == '\\' && (next == 'n' || next == 't' || next == '\\')) {
      out += next == 'n' ? "\r\n" : next == 't' ? "\t" : "\\";
      i += 2;
      continue;
    }
    out += escaped[i];  // a lone backslash too: "C:\Tools" was written by hand
    ++i;
  }
  return out;
}

std::vector<KeyInput> TextInputEvents(std::string_view utf8Text) {
  const std::string bytes = Utf8ToUtf16(utf8Text, false);
  auto unitAt = [&bytes](std::size_t k) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                      static_cast<unsigned char>(bytes[2 * k + 1]) << 8);
  };
  const std::size_t count = std::min(bytes.size() / 2, kMaxTypedTextUnits);
  std::vector<KeyInput> events;
  events.reserve(count * 2);
  for (std::size_t k = 0; k < count; ++k) {
    std::uint16_t unit = unitAt(k);
    if (HighSurrogate(unit)) {
      // Both halves or neither: the last one that fits may not be cut off from its partner.
      if (k + 1 >= count) break;
      PressAndRelease(events, 0, unit);
      PressAndRelease(events, 0, unitAt(++k));
    } else if (unit == '\r' || unit == '\n') {
      if (unit == '\r' && k + 1 < count && unitAt(k + 1) == '\n') ++k;
      PressAndRelease(events, kReturnKey, 0);
    } else if (unit == '\t') {
      PressAndRelease(events, kTabKey, 0);
    } else if (unit >= 0x20 && unit != 0x7F) {
      PressAndRelease(events, 0, unit);
    }
  }
  return events;
}

std::vector<int> HotkeyKeys(int modifiers, int virtualKey) {
  std::vector<int> keys;
  for (const ModifierSides& s : kModifierSides) {
    if ((modifiers & s.flag) != 0) keys.insert(keys.end(), {s.left, s.right});
  }
  if (virtualKey != 0) keys.push_back(virtualKey);
  return keys;
}

namespace {

// Sends the job's text into the window in batches. typedSome: whether any of it went in.
TypingOutcome SendText(const TypingJob& job, WindowRef window, TypingDevice& device,
                       const std::vector<int>& held, bool& typedSome) {
  // A modifier still down would turn the typed letters into shortcuts.
  if (!held.empty()) {
    const std::vector<KeyInput> releases = ReleaseHeldKeys(held);
    if (device.Send(releases) < releases.size()) return TypingOutcome::kBlocked;
  }
  std::vector<KeyInput> events;
  if (job.erase != 0) {
    events.reserve(2 * job.erase);
    for (std::size_t i = 0; i < job.erase; ++i) PressAndRelease(events, kBackspaceKey, 0);
  }
  const std::vector<KeyInput> text = TextInputEvents(job.text);
  events.insert(events.end(), text.begin(), text.end());
  for (std::size_t begin = 0; begin < events.size();) {
    if (begin != 0) {
      device.Pause(kTypingBatchPauseMs);
      if (device.Foreground() != window) return TypingOutcome::kStopped;
    }
    const std::size_t most = job.abbreviation ? kExpansionBatchEvents : kTypingBatchEvents;
    std::size_t end = std::min(begin + most, events.size());
    // The two halves of a character go in one call, or another program's keys may come between.
    while (end < events.size() && end > begin + 1 && HighSurrogate(events[end - 1].unit)) --end;
    const std::span<const KeyInput> batch(events.data() + begin, end - begin);
    const std::size_t taken = device.Send(batch);
    typedSome = typedSome || taken != 0;
    if (taken < batch.size()) return TypingOutcome::kBlocked;
    begin = end;
  }
  return TypingOutcome::kTyped;
}

}  // namespace

TypingOutcome TypeText(const TypingJob& job, TypingDevice& device,
                       const std::function<void()>& typing) {
  auto keysDown = [&job, &device] {
    std::vector<int> down;
    for (int key : job.hotkeyKeys) {
      if (device.KeyDown(key)) down.push_back(key);
    }
    return down;
  };
  auto elsewhere = [&device](WindowRef window) { return window != 0 && !device.OwnWindow(window); };
  // The window to type into: the menu's or the abbreviation's, or any of another program that
  // is in front.
  auto wanted = [&job, &elsewhere](WindowRef window) {
    if (job.abbreviation) return window == job.window && elsewhere(window);
    return job.fromMenu ? window == job.window : elsewhere(window);
  };

  if (job.fromMenu) {
    if (!elsewhere(job.window)) {
      device.Tell(std::string(kNoWindowBeforeMenuMessage));
      return TypingOutcome::kNoWindow;
    }
    device.BringToFront(job.window);
  }
  // The modifier's release, the next thing the shell, the window or its input method would see
  // after its press, would open a menu or switch the input method.
  const std::vector<int> downAtStart = keysDown();
  if (std::any_of(downAtStart.begin(), downAtStart.end(), IsModifierKey)) {
    device.Send(kMaskKeyEvents);
  }
  // The user is still letting go of the hotkey, and the window in front may still be this
  // program's own (a menu, the grid) on its way out.
  // An abbreviation's window is known, and the user goes on typing: every moment waited is a
  // moment in which a key of theirs may come before our Backspaces.
  for (int waited = 0; waited < kKeyReleaseWaitMs && !job.abbreviation; waited += kKeyPollMs) {
    if (keysDown().empty() && wanted(device.Foreground())) break;
    device.Pause(kKeyPollMs);
  }
  const WindowRef window = device.Foreground();
  if (!wanted(window)) {
    if (job.fromMenu) device.Tell(std::string(kWindowNotBackMessage));
    return TypingOutcome::kNoWindow;
  }
  if (device.AboveThisProgram(window)) {
    if (!job.quietWhenRefused) device.Tell(std::string(kElevatedWindowMessage));
    return TypingOutcome::kRefused;
  }
  // Leaving the menu for the user would take keys of our own (Esc, Alt) that the window may
  // read otherwise; typing nothing and saying so is what the user can act on. An abbreviation
  // typed into a menu was no text: nothing to tell.
  if (device.InMenu(window)) {
    if (!job.abbreviation) device.Tell(std::string(kInMenuMessage));
    return TypingOutcome::kInMenu;
  }
  // The keys were the input method's composition (中, kana), not text: the letters are pinyin
  // or kana, and the user sees the composition's own candidates.
  if (job.abbreviation && !job.undo && InputMethodComposes(device.InputMethodMode(window))) {
    return TypingOutcome::kComposing;
  }
  if (typing) typing();

  // An abbreviation's window has none composing (asked above), and its English mode lets the
  // characters by: switching it off and on would only cost round trips to the window.
  std::optional<std::uint32_t> inputMethod = std::nullopt;
  if (!job.abbreviation) inputMethod = device.SwitchOffInputMethod(window);
  bool typedSome = false;
  TypingOutcome outcome = TypingOutcome::kBlocked;
  try {
    std::vector<int> held = keysDown();
    // The Shift of an ending character ("!") may still be down: Backspace and the characters
    // are the same with it, but Enter and Tab are not (Shift + Tab goes back a box).
    if (job.abbreviation && job.text.find_first_of("\r\n\t") == std::string::npos) held.clear();
    outcome = SendText(job, window, device, held, typedSome);
  } catch (...) {
    if (inputMethod) device.RestoreInputMethod(window, *inputMethod);
    throw;
  }
  // Back before any message: the user's window is not left without its input method while the
  // message waits.
  if (inputMethod) device.RestoreInputMethod(window, *inputMethod);
  if (outcome == TypingOutcome::kBlocked) {
    device.Tell(std::string(typedSome ? kPartlyBlockedMessage : kBlockedMessage));
  }
  return outcome;
}

bool TypingQueue::Push(TypingJob job, TypingDevice& device) {
  const int slot = job.slot;
  if (slot >= 0) {
    if (taken_ && takenWaits_ && takenSlot_ == slot) return false;
    for (const Entry& entry : waiting_) {
      if (entry.job.slot == slot) return false;
    }
  }
  waiting_.push_back({std::move(job), &device});
  return true;
}

std::optional<TypingQueue::Entry> TypingQueue::Take() {
  if (waiting_.empty()) return std::nullopt;
  std::optional<Entry> next(std::move(waiting_.front()));
  waiting_.erase(waiting_.begin());
  taken_ = takenWaits_ = true;
  takenSlot_ = next->job.slot;
  return next;
}

}  // namespace tarvek
