#include "win/input/typing.h"

#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "win/system/background.h"
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

INPUT KeyboardInput(const KeyInput& event) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.dwExtraInfo = kOwnInputTag;
  if (event.unit != 0) {
    input.ki.wScan = event.unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE;
  } else {
    input.ki.wVk = event.virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(event.virtualKey, MAPVK_VK_TO_VSC));
    switch (event.virtualKey) {
      case VK_RCONTROL:
      case VK_RMENU:
      case VK_LWIN:
      case VK_RWIN:
        input.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
        break;
      default:
        break;
    }
  }
  if (event.up) input.ki.dwFlags |= KEYEVENTF_KEYUP;
  return input;
}

struct Job {
  TypingJob job;
  TypingDevice* device;
  Job* next = nullptr;
};

// Made once and never freed: the thread types until the process ends, and nothing of it may go
// away under it while the program shuts down.
struct Typist {
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
  Job* first = nullptr;  // the queue, oldest first
  Job* last = nullptr;
  std::size_t unfinished = 0;  // queued or being typed
  WinTypingDevice device;
};

SRWLOCK typistLock = SRWLOCK_INIT;
Typist* typist = nullptr;

DWORD WINAPI TypeJobs(void* context) {
  Typist& t = *static_cast<Typist*>(context);
  for (;;) {
    AcquireSRWLockExclusive(&t.lock);
    while (t.first == nullptr) SleepConditionVariableSRW(&t.wake, &t.lock, INFINITE, 0);
    Job* next = t.first;
    t.first = next->next;
    if (t.first == nullptr) t.last = nullptr;
    ReleaseSRWLockExclusive(&t.lock);
    try {
      TypeText(next->job, *next->device);
    } catch (...) {  // a job that fails is done with; the next ones still type
    }
    delete next;
    AcquireSRWLockExclusive(&t.lock);
    --t.unfinished;
    ReleaseSRWLockExclusive(&t.lock);
  }
}

// The typist, its thread made on first use; null when neither could be made.
Typist* TheTypist() {
  AcquireSRWLockExclusive(&typistLock);
  if (typist == nullptr) {
    auto* made = new (std::nothrow) Typist;
    if (made != nullptr) {
      UniqueKernelHandle thread(CreateThread(nullptr, kSmallThreadStack, TypeJobs, made,
                                                  STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
      if (thread) {
        typist = made;
      } else {
        delete made;
      }
    }
  }
  Typist* found = typist;
  ReleaseSRWLockExclusive(&typistLock);
  return found;
}

}  // namespace

bool WinTypingDevice::KeyDown(int virtualKey) {
  return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

void WinTypingDevice::Send(const std::vector<KeyInput>& events) {
  if (events.empty()) return;
  std::vector<INPUT> inputs;
  inputs.reserve(events.size());
  for (const KeyInput& event : events) inputs.push_back(KeyboardInput(event));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

WindowRef WinTypingDevice::Foreground() {
  return reinterpret_cast<WindowRef>(GetForegroundWindow());
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
  Job* queued = t != nullptr ? new (std::nothrow) Job{std::move(job), &device} : nullptr;
  if (queued == nullptr) return;  // short of memory: this text is not typed
  AcquireSRWLockExclusive(&t->lock);
  (t->last != nullptr ? t->last->next : t->first) = queued;
  t->last = queued;
  ++t->unfinished;
  ReleaseSRWLockExclusive(&t->lock);
  WakeConditionVariable(&t->wake);
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
  const bool done = t->unfinished == 0;
  ReleaseSRWLockShared(&t->lock);
  return done;
}

}  // namespace tarvek::win
