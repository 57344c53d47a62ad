// One copy of the program runs in a user's session. A copy started while it runs hands over to
// it and ends: a plain start makes the running copy show its window, a start with a switch
// hands the switch over. The running copy owns the session's lock and a hidden top-level window
// titled "Tarvek HotKey", by which later copies find it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string_view>

#include "win/system/unique_handle.h"

namespace tarvek {

class SingleCopy {
 public:
  SingleCopy() = default;
  SingleCopy(const SingleCopy&) = delete;
  SingleCopy& operator=(const SingleCopy&) = delete;
  ~SingleCopy() { Release(); }

  // Takes the session's lock. True when another copy holds it; this one has then waited until
  // that copy's hidden window is there. A copy that ends meanwhile leaves the lock to this one
  // (false: this copy is the one that runs now).
  bool AnotherCopyRunning();

  // A plain second start: the running copy gets the registered message and shows its window.
  void HandOver(unsigned instanceMessage);
  // A start with a switch: the bytes go to the running copy under the mark (WM_COPYDATA). Its
  // answer, or nothing when no copy answered within the time.
  std::optional<LRESULT> SendToRunningCopy(HINSTANCE instance, ULONG_PTR mark,
                                           std::string_view bytes, UINT timeoutMs);
  // After SendToRunningCopy: whether the copy it reached has ended within the time.
  bool RunningCopyEnded(DWORD timeoutMs);

  // This copy is the one that runs: its hidden window passes the registered message on to the
  // main window, and hands each command (WM_COPYDATA, with the window that sent it) to
  // onCommand, whose result is the answer.
  using CommandHandler = std::function<LRESULT(HWND sender, const COPYDATASTRUCT* data)>;
  void Claim(HINSTANCE instance, HWND mainWindow, unsigned instanceMessage,
             CommandHandler onCommand);
  // The hidden window goes, at the unload; the lock is the process's until it ends.
  void Release();

 private:
  static LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The running copy's hidden window, by its class and its title: a window of another program
  // that happens to bear the title (a folder named so) is never taken for it.
  static HWND FindRunningCopy();
  // The copy that runs may still be starting, or ending: waits for its hidden window (true),
  // or until it has ended and the lock is ours (false).
  bool WaitForRunningCopy();

  win::UniqueKernelHandle lock_;
  HWND hidden_ = nullptr;
  HWND mainWindow_ = nullptr;
  unsigned instanceMessage_ = 0;
  CommandHandler onCommand_;
  // The copy a switch was sent to, opened before the message: once it has ended its window
  // says nothing of it.
  HWND runningWindow_ = nullptr;
  win::UniqueKernelHandle runningProcess_;
};

}  // namespace tarvek
