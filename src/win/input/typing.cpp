#include "win/input/typing.h"

#include <initializer_list>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "win/input/key_sender.h"
#include "win/system/background.h"
#include "win/system/on_demand.h"
#include "win/system/process_facts.h"
#include "win/system/strings.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

namespace {

HWND AsHwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

// WM_IME_CONTROL's commands, as the default input method window answers them.
constexpr WPARAM kImcGetConversionMode = 0x0001;
constexpr WPARAM kImcSetConversionMode = 0x0002;
constexpr WPARAM kImcGetOpenStatus = 0x0005;
constexpr WPARAM kImcSetOpenStatus = 0x0006;
// A window that does not answer at once is hung or busy: typing goes on without its input
// method rather than wait for it.
constexpr UINT kInputMethodAnswerMs = 200;

// The default input method window of the window's thread, which takes WM_IME_CONTROL from
// other processes too; null when it has none. imm32 is looked up when typing first wants it.
HWND InputMethodWindow(HWND window) {
  const auto defaultWindow =
      SystemFunction<HWND(WINAPI*)(HWND)>(L"imm32.dll", "ImmGetDefaultIMEWnd");
  return defaultWindow != nullptr && window != nullptr ? defaultWindow(window) : nullptr;
}

std::optional<LRESULT> AskInputMethod(HWND inputMethod, WPARAM command, LPARAM value) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(inputMethod, WM_IME_CONTROL, command, value,
                          SMTO_ABORTIFHUNG | SMTO_BLOCK, kInputMethodAnswerMs, &answer) == 0) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(answer);
}

bool OfClass(HWND window, std::initializer_list<const wchar_t*> classes) {
  wchar_t name[64] = L"";
  if (window == nullptr || GetClassNameW(window, name, 64) == 0) return false;
  for (const wchar_t* wanted : classes) {
    if (lstrcmpiW(name, wanted) == 0) return true;
  }
  return false;
}

// The taskbar and the overflow of its notification icons, and Wine's notification area when no
// desktop provides one: what is in front after a click on the tray icon.
bool TaskbarPart(HWND window) {
  return OfClass(window, {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"NotifyIconOverflowWindow",
                          L"TopLevelWindowForOverflowXamlIsland", L"__winex11_standalone_tray"});
}

// The desktop behind every window: nothing to type into.
bool Desktop(HWND window) { return OfClass(window, {L"Progman", L"WorkerW"}); }

// Shown, not minimised, not a tool window or one that never takes the keyboard, and not
// cloaked (an app suspended in the background, a window on another virtual desktop).
bool CouldBeInFront(HWND window) {
  if (!IsWindowVisible(window) || IsIconic(window)) return false;
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if ((exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) != 0) return false;
  using GetAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
  const auto getAttribute =
      SystemFunction<GetAttributeFunction>(L"dwmapi.dll", "DwmGetWindowAttribute");
  constexpr DWORD kCloaked = 14;  // DWMWA_CLOAKED
  DWORD cloaked = 0;
  return getAttribute == nullptr ||
         FAILED(getAttribute(window, kCloaked, &cloaked, sizeof(cloaked))) || cloaked == 0;
}

// A thread types only while there is something to type: it ends once it has waited this long
// without a job, and the next job makes a new one. A thread kept for a list's one signature a
// day would cost its stack all day.
constexpr DWORD kTypistIdleMs = 5000;

// Made once and never freed: a thread may still be typing while the program shuts down, and
// nothing of it may go away under it.
struct Typist {
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
  TypingQueue queue;
  bool running = false;  // a thread is there to take the queue's jobs
  WinTypingDevice device;
  // On the typing thread: whether the last abbreviation's expansion was typed, for its undo.
  bool expansionTyped = false;
};

SRWLOCK typistLock = SRWLOCK_INIT;
Typist* typist = nullptr;

DWORD WINAPI TypeJobs(void* context) {
  Typist& t = *static_cast<Typist*>(context);
  for (;;) {
    AcquireSRWLockExclusive(&t.lock);
    std::optional<TypingQueue::Entry> next;
    while (!(next = t.queue.Take())) {
      if (!SleepConditionVariableSRW(&t.wake, &t.lock, kTypistIdleMs, 0) &&
          GetLastError() == ERROR_TIMEOUT && !(next = t.queue.Take())) {
        t.running = false;  // decided under the lock: the next job starts another thread
        ReleaseSRWLockExclusive(&t.lock);
        return 0;
      }
      if (next) break;
    }
    ReleaseSRWLockExclusive(&t.lock);
    TypingJob& job = next->job;
    TypingOutcome outcome = TypingOutcome::kBlocked;
    if (job.undo && !t.expansionTyped) {
      // Nothing was expanded to take back: the hook took the user's Backspace for the undo,
      // so it is sent as the Backspace it was.
      job.undo = false;
      job.erase = 1;
      job.text.clear();
    }
    try {
      outcome = TypeText(job, *next->device, [&t] {
        AcquireSRWLockExclusive(&t.lock);
        t.queue.Typing();
        ReleaseSRWLockExclusive(&t.lock);
      });
    } catch (...) {  // a job that fails is done with; the next ones still type
    }
    if (job.abbreviation) t.expansionTyped = !job.undo && outcome == TypingOutcome::kTyped;
    if (job.done != nullptr) job.done(outcome, job.window);
    next.reset();
    AcquireSRWLockExclusive(&t.lock);
    t.queue.Done();
    ReleaseSRWLockExclusive(&t.lock);
  }
}

// The typist, made on first use; null when it could not be made.
Typist* TheTypist() {
  AcquireSRWLockExclusive(&typistLock);
  if (typist == nullptr) typist = new (std::nothrow) Typist;
  Typist* found = typist;
  ReleaseSRWLockExclusive(&typistLock);
  return found;
}

// Under the typist's lock: a thread to type the queue's jobs, made when none runs. False when
// none could be made.
bool KeepTyping(Typist& t) {
  if (t.running) return true;
  UniqueKernelHandle thread(CreateThread(nullptr, kSmallThreadStack, TypeJobs, &t,
                                         STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  t.running = static_cast<bool>(thread);
  return t.running;
}

}  // namespace

bool WinTypingDevice::KeyDown(int virtualKey) {
  return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

std::size_t WinTypingDevice::Send(std::span<const KeyInput> events) { return SendKeys(events); }

WindowRef WinTypingDevice::Foreground() {
  return reinterpret_cast<WindowRef>(GetForegroundWindow());
}

void WinTypingDevice::BringToFront(WindowRef window) {
  // This program has the right to: the menu it just showed made it the one in front.
  SetForegroundWindow(AsHwnd(window));
}

bool WinTypingDevice::OwnWindow(WindowRef window) {
  return window != 0 && ProcessOf(AsHwnd(window)) == GetCurrentProcessId();
}

bool WinTypingDevice::AboveThisProgram(WindowRef window) {
  if (window == 0) return false;
  const DWORD id = ProcessOf(AsHwnd(window));
  if (id == 0 || id == GetCurrentProcessId()) return false;
  const DWORD own = IntegrityOf(GetCurrentProcess()).value_or(SECURITY_MANDATORY_MEDIUM_RID);
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  const std::optional<DWORD> theirs = process ? IntegrityOf(process.get()) : std::optional<DWORD>();
  // A process that does not even let itself be asked runs above a program below high
  // integrity (an elevated one does that to a normal one).
  if (!theirs) return own < SECURITY_MANDATORY_HIGH_RID;
  return *theirs > own;
}

bool WinTypingDevice::InMenu(WindowRef window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const DWORD thread = GetWindowThreadProcessId(AsHwnd(window), nullptr);
  if (thread == 0 || !GetGUIThreadInfo(thread, &info)) return false;
  return (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

std::optional<std::uint32_t> WinTypingDevice::SwitchOffInputMethod(WindowRef window) {
  const std::optional<std::uint32_t> mode = InputMethodMode(window);
  if (!mode) return std::nullopt;
  // Closing it ends the composition in the window's own thread, before our first character:
  // nothing we type goes into it. (Cancelling it outright, ImmNotifyIME, works only inside the
  // window's own process.)
  if (!AskInputMethod(InputMethodWindow(AsHwnd(window)), kImcSetOpenStatus, FALSE)) {
    return std::nullopt;
  }
  return mode;
}

void WinTypingDevice::RestoreInputMethod(WindowRef window, std::uint32_t conversionMode) {
  const HWND inputMethod = InputMethodWindow(AsHwnd(window));
  if (inputMethod == nullptr) return;
  AskInputMethod(inputMethod, kImcSetOpenStatus, TRUE);
  // Switching on may set the mode the input method starts in (中 rather than the 英 it had).
  AskInputMethod(inputMethod, kImcSetConversionMode, static_cast<LPARAM>(conversionMode));
}

std::optional<std::uint32_t> WinTypingDevice::InputMethodMode(WindowRef window) {
  const HWND inputMethod = InputMethodWindow(AsHwnd(window));
  if (inputMethod == nullptr) return std::nullopt;
  const std::optional<LRESULT> open = AskInputMethod(inputMethod, kImcGetOpenStatus, 0);
  if (!open || *open == 0) return std::nullopt;
  const std::optional<LRESULT> mode = AskInputMethod(inputMethod, kImcGetConversionMode, 0);
  if (!mode) return std::nullopt;
  return static_cast<std::uint32_t>(*mode);
}

void WinTypingDevice::Pause(int milliseconds) {
  Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

void WinTypingDevice::Tell(const std::string& text) {
  // Owned by no window: the main window goes on answering while this one waits.
  MessageBoxW(nullptr, Widen(text).c_str(), L"输入文本",
              MB_OK | MB_ICONINFORMATION | MB_TOPMOST | MB_SETFOREGROUND);
}

void TypeInFront(TypingJob job, TypingDevice& device) {
  Typist* t = TheTypist();
  if (t == nullptr) return;
  AcquireSRWLockExclusive(&t->lock);
  bool queued = false;
  try {
    // Without a thread to type it (short of memory), this text is not typed.
    queued = KeepTyping(*t) && t->queue.Push(std::move(job), device);
  } catch (...) {  // short of memory: this text is not typed
  }
  ReleaseSRWLockExclusive(&t->lock);
  if (queued) WakeConditionVariable(&t->wake);
}

void TypeInFront(TypingJob job) {
  Typist* t = TheTypist();
  if (t != nullptr) TypeInFront(std::move(job), t->device);
}

bool TypingDone() {
  AcquireSRWLockShared(&typistLock);
  Typist* t = typist;
  ReleaseSRWLockShared(&typistLock);
  if (t == nullptr) return true;
  AcquireSRWLockShared(&t->lock);
  const bool done = t->queue.Idle();
  ReleaseSRWLockShared(&t->lock);
  return done;
}

WindowRef WindowInFrontOfUser() {
  HWND front = GetForegroundWindow();
  if (TaskbarPart(front)) {
    // The taskbar is in front because it was clicked; the window the user left for it is the
    // first one below that could have been in front: the one active last comes first in the
    // order of windows.
    front = nullptr;
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
      if (!TaskbarPart(w) && CouldBeInFront(w)) {
        front = w;
        break;
      }
    }
  }
  if (front == nullptr || Desktop(front) || ProcessOf(front) == GetCurrentProcessId()) return 0;
  return reinterpret_cast<WindowRef>(front);
}

}  // namespace tarvek::win
