// The copy started with a switch and the copy that runs talk by WM_COPYDATA: sending it with a
// time limit, and telling who sent one.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "win/system/unique_handle.h"

namespace tarvek::win {

// Sends the bytes under the mark from the window `from` (a window of this process, as
// WM_COPYDATA asks) to `to`. The answer, or nothing when the window did not answer within the
// time, hangs, is gone, or the system kept the message from it.
std::optional<LRESULT> SendCopyData(HWND to, HWND from, ULONG_PTR mark, std::string_view bytes,
                                    UINT timeoutMs);

struct SenderCheck {
  bool sameUserAndSession = false;  // the sender's process runs as our user, in our session
  bool fewerRights = false;         // at a lower integrity level than this process
};
// Who stands behind the window a WM_COPYDATA names as its sender (its wParam).
SenderCheck CheckSender(HWND sender);

// The process of the window, opened to be waited for; empty when it cannot be.
UniqueKernelHandle OpenProcessOfWindow(HWND window);

}  // namespace tarvek::win
