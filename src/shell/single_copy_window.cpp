#include "shell/single_copy_window.h"

#include <cstdint>

#include "win/system/command_channel.h"
#include "win/windows/message_filter.h"

namespace tarvek {

namespace {

constexpr wchar_t kInstanceMutex[] = L"Local\\TarvekHotKey.Instance";
constexpr wchar_t kHiddenClass[] = L"TarvekHotKeyApp";
constexpr wchar_t kHiddenTitle[] = L"Tarvek HotKey";  // what a second copy looks for

// Only the program the user is working with, the copy just started, may bring a window to the
// front: the right goes to the running copy, which shows its window.
void LetBringToFront(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != 0) AllowSetForegroundWindow(process);
}

}  // namespace

HWND SingleCopy::FindRunningCopy() { return FindWindowW(kHiddenClass, kHiddenTitle); }

// The copy that runs owns the mutex of the user's session for as long as it runs; the system
// gives it to a waiting copy when that one ends, even when it ends without a word.
bool SingleCopy::AnotherCopyRunning() {
  lock_.reset(CreateMutexW(nullptr, TRUE, kInstanceMutex));
  // A copy that runs as administrator made the mutex out of our reach: it runs all the same.
  if (!lock_) return GetLastError() == ERROR_ACCESS_DENIED && WaitForRunningCopy();
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  DWORD owned = WaitForSingleObject(lock_.get(), 0);
  if (owned == WAIT_OBJECT_0 || owned == WAIT_ABANDONED) return false;
  return WaitForRunningCopy();
}

// A copy that never gets as far as its window is given up on after a while.
bool SingleCopy::WaitForRunningCopy() {
  const ULONGLONG until = GetTickCount64() + 10000;
  do {
    if (FindRunningCopy() != nullptr) return true;
    if (lock_) {
      DWORD owned = WaitForSingleObject(lock_.get(), 100);
      if (owned == WAIT_OBJECT_0 || owned == WAIT_ABANDONED) return false;
    } else {
      Sleep(100);
    }
  } while (GetTickCount64() < until);
  return true;
}

void SingleCopy::HandOver(unsigned instanceMessage) {
  HWND running = FindRunningCopy();
  if (running == nullptr) return;
  LetBringToFront(running);
  static const std::int32_t kZero = 0;
  // A running copy that does not answer must not keep this one from ending.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(running, instanceMessage, 0, reinterpret_cast<LPARAM>(&kZero),
                      SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result);
}

std::optional<LRESULT> SingleCopy::SendToRunningCopy(HINSTANCE instance, ULONG_PTR mark,
                                                     std::string_view bytes, UINT timeoutMs) {
  runningWindow_ = FindRunningCopy();
  if (runningWindow_ == nullptr) return std::nullopt;
  runningProcess_ = win::OpenProcessOfWindow(runningWindow_);
  LetBringToFront(runningWindow_);  // for /show, as the plain hand-over does
  // WM_COPYDATA names its sender by a window of the sending process.
  HWND sender =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  std::optional<LRESULT> answer = win::SendCopyData(runningWindow_, sender, mark, bytes, timeoutMs);
  if (sender != nullptr) DestroyWindow(sender);
  return answer;
}

bool SingleCopy::RunningCopyEnded(DWORD timeoutMs) {
  if (runningProcess_)
    return WaitForSingleObject(runningProcess_.get(), timeoutMs) == WAIT_OBJECT_0;
  // Not ours to open: its window goes last.
  for (ULONGLONG until = GetTickCount64() + timeoutMs;
       IsWindow(runningWindow_) && GetTickCount64() < until;) {
    Sleep(50);
  }
  return !IsWindow(runningWindow_);
}

void SingleCopy::Claim(HINSTANCE instance, HWND mainWindow, unsigned instanceMessage,
                       CommandHandler onCommand) {
  mainWindow_ = mainWindow;
  instanceMessage_ = instanceMessage;
  onCommand_ = std::move(onCommand);
  WNDCLASSEXW hidden{};
  hidden.cbSize = sizeof(hidden);
  hidden.lpfnWndProc = HiddenWindowProc;
  hidden.hInstance = instance;
  hidden.lpszClassName = kHiddenClass;
  RegisterClassExW(&hidden);
  hidden_ = CreateWindowExW(WS_EX_TOOLWINDOW, kHiddenClass, kHiddenTitle, WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, instance, this);
  // A second start by an ordinary program reaches a copy that runs as administrator.
  win::AllowMessagesFromOrdinaryPrograms(hidden_, {instanceMessage, WM_COPYDATA});
}

void SingleCopy::Release() {
  if (hidden_ != nullptr) DestroyWindow(hidden_);
  hidden_ = nullptr;
  mainWindow_ = nullptr;
}

LRESULT CALLBACK SingleCopy::HiddenWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<SingleCopy*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_COPYDATA && self->onCommand_) {
    try {  // no exception may leave a window procedure
      return self->onCommand_(reinterpret_cast<HWND>(wParam),
                              reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    } catch (...) {
      return 0;
    }
  }
  if (self != nullptr && self->mainWindow_ != nullptr && self->instanceMessage_ != 0 &&
      message == self->instanceMessage_) {
    return SendMessageW(self->mainWindow_, message, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tarvek
