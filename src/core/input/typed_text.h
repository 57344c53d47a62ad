// Bindings that type a text ("输入文本"): the text's one-line form in the options file, the key
// events that type it, and the typing itself, step by step, over what the typing thread asks of
// the machine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports.h"

namespace tarvek {

// The most a binding types, in UTF-16 units (what an edit box holds of it).
inline constexpr std::size_t kMaxTypedTextUnits = 32767;

// The text as the options file holds it, on one line: a line break (CR LF, LF or CR alone) is
// "\n", a tab "\t", a backslash "\\". Every other character stands as it is.
std::string EscapeTypedText(std::string_view text);
// Back again, line breaks as CR LF (as an edit box holds them). A backslash before any other
// character, and one at the end, stand for themselves: a hand-written "C:\Tools" survives.
std::string UnescapeTypedText(std::string_view escaped);

// One key event as SendInput takes it. With a unit, it is KEYEVENTF_UNICODE of that UTF-16
// unit (virtual key 0); else the virtual key itself.
struct KeyInput {
  std::uint16_t virtualKey = 0;
  std::uint16_t unit = 0;
  bool up = false;
  bool operator==(const KeyInput&) const = default;
};

// An unassigned virtual key: pressed while Win or Alt is down, it tells the shell and the window
// in front that the key was used with another one, so that its release opens neither the Start
// menu nor the menu bar.
inline constexpr std::uint16_t kMaskKey = 0xE8;
// The events carry this in dwExtraInfo, so that this program's own key hook lets them by.
inline constexpr std::uintptr_t kOwnInputTag = 0x54484B31;  // "THK1"

// The events that type the text: every character as its UTF-16 unit(s), press and release (a
// surrogate pair as its two units), a line break (CR LF, LF or CR) as Enter, a tab as Tab.
// Other control characters are left out.
std::vector<KeyInput> TextInputEvents(std::string_view utf8Text);
// The events that let go of keys still logically down (virtual keys), before typing: first a
// press and release of the mask key when Win or Alt is among them, then each one's release.
std::vector<KeyInput> ReleaseHeldKeys(const std::vector<int>& heldVirtualKeys);

// The virtual keys of a hotkey: both sides of each of its modifiers, then its key.
std::vector<int> HotkeyKeys(int modifiers, int virtualKey);

// What typing asks of the machine, on the typing thread.
class TypingDevice {
 public:
  virtual ~TypingDevice() = default;
  // Whether the key is logically down now (GetAsyncKeyState).
  virtual bool KeyDown(int virtualKey) = 0;
  // One SendInput call of these events, tagged kOwnInputTag.
  virtual void Send(const std::vector<KeyInput>& events) = 0;
  virtual WindowRef Foreground() = 0;
  // Whether the window belongs to this program.
  virtual bool OwnWindow(WindowRef window) = 0;
  // Whether the window's program runs at a higher integrity level than this one (as
  // administrator while this program does not): Windows drops input sent to it.
  virtual bool AboveThisProgram(WindowRef window) = 0;
  virtual void Pause(int milliseconds) = 0;
  // A short message to the user, on this thread.
  virtual void Tell(const std::string& text) = 0;
};

struct TypingJob {
  std::string text;          // as typed; CR LF or LF for a line break
  std::vector<int> hotkeyKeys;  // HotkeyKeys of the binding; empty when no key started it
};

inline constexpr int kKeyReleaseWaitMs = 1000;  // for the hotkey's keys to be let go
inline constexpr int kKeyPollMs = 10;
inline constexpr std::size_t kTypingBatchEvents = 64;  // per SendInput call
// Between two calls: the window in front reads what came, and a change of window shows.
inline constexpr int kTypingBatchPauseMs = 2;
inline constexpr std::string_view kElevatedWindowMessage =
    "前面的窗口属于以管理员身份运行的程序，本程序无法向它输入文字。\n请以管理员身份运行本程序，或切换到其他窗口。";

enum class TypingOutcome {
  kTyped,
  kStopped,   // another window came to the front while typing
  kRefused,   // the window in front runs above this program: told, nothing typed
  kNoWindow,  // no window of another program came to the front: nothing typed
};

// Types the job into the window in front: masks Win and Alt if they are down, waits up to
// kKeyReleaseWaitMs for the hotkey's keys (and for a window of another program in front), lets
// go of those still down, then sends the text in batches, stopping when the window in front
// changes.
TypingOutcome TypeText(const TypingJob& job, TypingDevice& device);

}  // namespace tarvek
