#include "win/input/abbreviation_hook.h"

#include <atomic>
#include <utility>

#include "core/files/text_encoding.h"
#include "core/input/key_input.h"
#include "win/input/typing.h"

namespace tarvek::win {

namespace {

std::atomic<bool> forgetSoon = false;
// The window of a program running as administrator the user was last told about: an
// abbreviation typed there again is left alone without a word.
std::atomic<HWND> toldElevated = nullptr;

// ToUnicodeEx: keep the keyboard state as it is (Windows 10 1607 and later), so that a dead
// key the user is composing in the window is neither used up nor doubled by our reading.
constexpr UINT kKeepKeyboardState = 0x4;

bool Down(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

// A dead key's spacing character and the combining mark it puts on a letter.
char32_t CombiningMark(wchar_t spacing) {
  switch (spacing) {
    case L'`': return 0x300;
    case 0xB4: case L'\'': return 0x301;
    case L'^': return 0x302;
    case L'~': return 0x303;
    case 0xAF: return 0x304;
    case 0x2D8: return 0x306;
    case 0x2D9: return 0x307;
    case 0xA8: case L'"': return 0x308;
    case 0x2DA: case 0xB0: return 0x30A;
    case 0x2DD: return 0x30B;
    case 0x2C7: return 0x30C;
    case 0xB8: return 0x327;
    case 0x2DB: return 0x328;
    default: return 0;
  }
}

// The letter with the dead key's mark as one character, or 0 when the two make none.
wchar_t Composed(wchar_t dead, wchar_t letter) {
  const char32_t mark = CombiningMark(dead);
  if (mark == 0) return 0;
  const wchar_t pair[2] = {letter, static_cast<wchar_t>(mark)};
  wchar_t one[4] = {};
  const int n = FoldStringW(MAP_PRECOMPOSED, pair, 2, one, 4);
  return n == 1 ? one[0] : 0;
}

// After an expansion or undo: what came of it.
void Typed(TypingOutcome outcome, WindowRef window) {
  if (outcome == TypingOutcome::kRefused) toldElevated = reinterpret_cast<HWND>(window);
  if (outcome != TypingOutcome::kTyped) forgetSoon = true;
}

}  // namespace

void ForgetTypedText() { forgetSoon = true; }

void AbbreviationWatch::Forget() {
  matcher_.Forget();
  dead_ = 0;
}

bool AbbreviationWatch::Key(const AbbreviationTable& table, const KBDLLHOOKSTRUCT& key, bool down,
                            ProgramInFront& inFront) {
  const int vk = static_cast<int>(key.vkCode);
  if (!capsKnown_) {
    capsLock_ = (GetKeyState(VK_CAPITAL) & 1) != 0;
    capsKnown_ = true;
  }
  if (vk == VK_CAPITAL) {
    if (down && !capsDown_) capsLock_ = !capsLock_;
    capsDown_ = down;
  }
  if (!down) return false;
  const bool control = Down(VK_CONTROL);
  const bool alt = Down(VK_MENU);
  const TypedKey kind = ClassifyTypedKey(vk, control, alt, Down(VK_LWIN) || Down(VK_RWIN));
  if (kind == TypedKey::kNothing) return false;
  if (forgetSoon.exchange(false)) Forget();

  // Another window, or another box of the same window: a new text.
  const HWND window = GetForegroundWindow();
  DWORD process = 0;
  const DWORD thread = window != nullptr ? GetWindowThreadProcessId(window, &process) : 0;
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const HWND focus = thread != 0 && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
  if (window != window_ || focus != focus_) {
    Forget();
    window_ = window;
    focus_ = focus;
  }
  // Nothing expands in this program's own windows (an abbreviation typed into the dialog that
  // edits it is no abbreviation to expand).
  if (thread == 0 || process == GetCurrentProcessId() || kind == TypedKey::kForget) {
    Forget();
    return false;
  }
  if (kind == TypedKey::kBackspace) {
    dead_ = 0;
    const AbbreviationAction action = matcher_.Backspace();
    if (action.kind != AbbreviationAction::Kind::kUndo) return false;
    Act(table, action);
    return true;  // the undo's Backspaces take the place of this one
  }

  wchar_t typed[4] = {};
  const int n = Read(key, thread, control, alt, typed);
  if (!KeyTypedText(control, alt, n, static_cast<char16_t>(typed[0]))) {
    Forget();
    return false;
  }
  if (n < 0) {
    dead_ = typed[0];
    return false;
  }
  if (n == 0) return false;  // F1, Insert, Delete: nothing typed before the caret changes
  wchar_t units[4] = {};
  int count = 0;
  const wchar_t dead = std::exchange(dead_, 0);
  if (dead != 0 && n == 1) {
    // The dead key and this one: one accented letter, the accent alone (after a blank), or both
    // as they are. Our reading did not combine them: the window still holds the dead key.
    const wchar_t one = typed[0] == L' ' ? dead : Composed(dead, typed[0]);
    units[count++] = one != 0 ? one : dead;
    if (one == 0) units[count++] = typed[0];
  } else {
    for (int i = 0; i < n && i < 2; ++i) units[count++] = typed[i];
  }
  const auto allowed = [&table, &inFront](std::size_t entry) {
    return table.Allowed(entry, [&inFront] { return inFront.Ask(); });
  };
  for (int i = 0; i < count; ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    }
    const AbbreviationAction action = matcher_.Feed(table.index, c, allowed);
    if (action.kind == AbbreviationAction::Kind::kExpand) Act(table, action);
  }
  return false;
}

int AbbreviationWatch::Read(const KBDLLHOOKSTRUCT& key, DWORD thread, bool control, bool alt,
                            wchar_t (&out)[4]) {
  BYTE state[256] = {};
  auto set = [&state](int vk, bool down) { state[vk] = down ? 0x80 : 0; };
  set(VK_SHIFT, Down(VK_SHIFT));
  set(VK_LSHIFT, Down(VK_LSHIFT));
  set(VK_RSHIFT, Down(VK_RSHIFT));
  set(VK_CONTROL, control);
  set(VK_LCONTROL, Down(VK_LCONTROL));
  set(VK_RCONTROL, Down(VK_RCONTROL));
  set(VK_MENU, alt);
  set(VK_LMENU, Down(VK_LMENU));
  set(VK_RMENU, Down(VK_RMENU));
  state[VK_CAPITAL] = capsLock_ ? 1 : 0;
  state[key.vkCode & 0xFF] |= 0x80;
  const int n = ToUnicodeEx(key.vkCode, key.scanCode, state, out, 3, kKeepKeyboardState,
                            GetKeyboardLayout(thread));
  return n > 2 ? 2 : n;
}

void AbbreviationWatch::Act(const AbbreviationTable& table, const AbbreviationAction& action) {
  TypingJob job;
  job.abbreviation = true;
  job.erase = action.erase;
  job.window = reinterpret_cast<WindowRef>(window_);
  // The ending character may have needed Shift ("!", "?"), still down: let go of before a
  // text with Enter or Tab.
  job.hotkeyKeys = {VK_LSHIFT, VK_RSHIFT};
  job.quietWhenRefused = toldElevated.load() == window_;
  job.done = Typed;
  if (action.kind == AbbreviationAction::Kind::kUndo) {
    job.undo = true;
    for (char32_t c : action.typed) AppendUtf8(job.text, c);
  } else {
    job.text = table.entries->Text(action.entry);
    if (action.ending != 0) AppendUtf8(job.text, action.ending);
  }
  TypeInFront(std::move(job));
}

}  // namespace tarvek::win
