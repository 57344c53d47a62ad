// Bindings that type a text ("输入文本"): the text's one-line form in the options file, the key
// events that type it, and the typing itself, step by step, over what the typing thread asks of
// the machine.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/input/key_input.h"
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

// The events that type the text: every character as its UTF-16 unit(s), press and release (a
// surrogate pair as its two units), a line break (CR LF, LF or CR) as Enter, a tab as Tab.
// Other control characters are left out.
std::vector<KeyInput> TextInputEvents(std::string_view utf8Text);
// The virtual keys of a hotkey: both sides of each of its modifiers, then its key.
std::vector<int> HotkeyKeys(int modifiers, int virtualKey);

// What typing asks of the machine, on the typing thread.
class TypingDevice {
 public:
  virtual ~TypingDevice() = default;
  // Whether the key is logically down now (GetAsyncKeyState).
  virtual bool KeyDown(int virtualKey) = 0;
  // One SendInput call of these events, tagged kOwnInputTag; gives how many went in. Fewer than
  // all when input is blocked (a consent prompt, another desktop): the keys that went down and
  // not up are let go of again before it returns.
  virtual std::size_t Send(std::span<const KeyInput> events) = 0;
  virtual WindowRef Foreground() = 0;
  // Asks for the window to come to the front (it may not: check Foreground).
  virtual void BringToFront(WindowRef window) = 0;
  // Whether the window belongs to this program.
  virtual bool OwnWindow(WindowRef window) = 0;
  // Whether the window's program runs at a higher integrity level than this one (as
  // administrator while this program does not): Windows drops input sent to it.
  virtual bool AboveThisProgram(WindowRef window) = 0;
  // Whether the window's thread is in a menu (its menu bar, a popup menu, the system menu): a
  // key typed there chooses a menu item.
  virtual bool InMenu(WindowRef window) = 0;
  // Switches the window's input method off, which ends a composition the user had open before
  // anything is typed; gives its conversion mode when it was on (and so is to be switched on
  // again), nothing when it was off or the window has none. An input method that is on takes
  // the typed characters into its composition.
  virtual std::optional<std::uint32_t> SwitchOffInputMethod(WindowRef window) = 0;
  // Switches it on again in the conversion mode it had.
  virtual void RestoreInputMethod(WindowRef window, std::uint32_t conversionMode) = 0;
  // The conversion mode of the window's input method while it is on; nothing when it is off,
  // the window has none, or it does not answer at once.
  virtual std::optional<std::uint32_t> InputMethodMode(WindowRef /*window*/) {
    return std::nullopt;
  }
  virtual void Pause(int milliseconds) = 0;
  // A short message to the user, on this thread.
  virtual void Tell(const std::string& text) = 0;
};

enum class TypingOutcome {
  kTyped,
  kStopped,   // another window came to the front while typing
  kRefused,   // the window in front runs above this program: told, nothing typed
  kInMenu,    // the window in front is in a menu: told, nothing typed
  kBlocked,   // Windows took not all of the input: told, the text not (or not all) typed
  kNoWindow,  // no window of another program came to the front: nothing typed
  kComposing,  // an abbreviation's window has its input method composing: nothing typed
};

struct TypingJob {
  std::string text;             // as typed; CR LF or LF for a line break
  std::vector<int> hotkeyKeys;  // HotkeyKeys of the binding; empty when no key started it
  // The binding's slot: while a job of it waits, the binding is not queued again. -1: always
  // queued.
  int slot = -1;
  // Chosen from the hotkey-list menu: the menu made this program's window the one in front, so
  // the text goes to `window`, the one in front before the menu opened, brought back to the
  // front; 0 when that was none of another program.
  bool fromMenu = false;
  WindowRef window = 0;
  // An abbreviation's expansion or its undo, as the key hook hands it over: so many Backspaces
  // first, then the text. It goes only into `window`, the one in front when the key was typed,
  // and only while that window's input method is not composing; it waits for no key (Shift,
  // in hotkeyKeys, is let go of before a text with Enter or Tab), and of the refusals it tells
  // only what the user must know.
  bool abbreviation = false;
  std::size_t erase = 0;
  // An abbreviation's undo: done only when the expansion before it was typed (else the
  // user's Backspace, which the hook took, is sent in its place).
  bool undo = false;
  // The window runs above this program and the user was told so already: not again.
  bool quietWhenRefused = false;
  // Called on the typing thread once the job is done with (hooks are told this way what came
  // of an expansion). Null: nothing is called.
  void (*done)(TypingOutcome outcome, WindowRef window) = nullptr;
};

inline constexpr int kKeyReleaseWaitMs = 1000;  // for the hotkey's keys to be let go
inline constexpr int kKeyPollMs = 10;
inline constexpr std::size_t kTypingBatchEvents = 64;  // per SendInput call
// An abbreviation's Backspaces and text, in one call as far as they fit: no key the user types
// meanwhile can come between (SendInput's events are never interleaved with other input).
inline constexpr std::size_t kExpansionBatchEvents = 2048;
// Between two calls: the window in front reads what came, and a change of window shows.
inline constexpr int kTypingBatchPauseMs = 2;
inline constexpr std::string_view kElevatedWindowMessage =
    "前面的窗口属于以管理员身份运行的程序，本程序无法向它输入文字。\n请以管理员身份运行本程序，或切换到其他窗口。";
inline constexpr std::string_view kInMenuMessage =
    "前面的窗口正打开着菜单，文字会变成菜单里的选择，所以没有输入。\n请先关闭菜单，再输入文字。";
inline constexpr std::string_view kBlockedMessage =
    "Windows 没有接受本程序送出的按键（可能正显示用户账户控制的提示，或切换到了另一个桌面），文字没有输入。";
inline constexpr std::string_view kPartlyBlockedMessage =
    "Windows 中途不再接受本程序送出的按键（可能正显示用户账户控制的提示，或切换到了另一个桌面），文字只输入了一部分。";
inline constexpr std::string_view kNoWindowBeforeMenuMessage =
    "打开菜单之前，前面没有其他程序的窗口，文字没有输入。\n请先切换到要输入文字的窗口，再从菜单选择。";
inline constexpr std::string_view kWindowNotBackMessage =
    "打开菜单之前在前面的窗口已经关闭，或无法回到前面，文字没有输入。";


// Types the job into the window in front: masks the modifiers that are down, waits up to
// kKeyReleaseWaitMs for the hotkey's keys (and for a window of another program in front, or the
// menu's window brought back), lets go of those still down, switches the window's input method
// off, sends the text in batches, stopping when the window in front changes, and switches the
// input method on again. `typing` is called once nothing but sending is left to do: from then on
// the job no longer waits.
TypingOutcome TypeText(const TypingJob& job, TypingDevice& device,
                       const std::function<void()>& typing = {});

// The jobs handed to the typing thread, oldest first, and the one it is on. Not thread-safe:
// the typist holds its lock around every call.
class TypingQueue {
 public:
  struct Entry {
    TypingJob job;
    TypingDevice* device = nullptr;
  };
  // Queues the job, but not while a job of the same binding still waits (queued, or taken and
  // not typing yet): a free-spinning wheel fires its binding once per notch, and one flick
  // would type the text a dozen times. Gives whether it was queued.
  bool Push(TypingJob job, TypingDevice& device);
  // The oldest job, taken out: it is the one being typed until Done. Nothing when none waits.
  std::optional<Entry> Take();
  // The job taken last has started typing (TypeText's `typing`), or is done with.
  void Typing() { takenWaits_ = false; }
  void Done() { taken_ = takenWaits_ = false; }
  // Nothing queued and nothing being typed.
  bool Idle() const { return waiting_.empty() && !taken_; }

 private:
  std::vector<Entry> waiting_;
  int takenSlot_ = -1;
  bool taken_ = false;
  bool takenWaits_ = false;
};

}  // namespace tarvek
