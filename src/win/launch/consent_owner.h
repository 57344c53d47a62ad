// The window a consent prompt belongs to. Windows shows the prompt in front only when the
// window that asks is in front; else the prompt waits as a flashing taskbar button. A hotkey
// press gives this program the right to the foreground, but its main window is usually hidden:
// a small window of its own takes the front for the prompt.
#pragma once

#include <windows.h>

namespace tarvek::win {

// A window of the thread that makes it (the user-interface thread): unowned, without a
// taskbar button, one pixel and all but transparent, hidden until a prompt comes.
class ConsentOwnerWindow {
 public:
  ConsentOwnerWindow() = default;
  ConsentOwnerWindow(const ConsentOwnerWindow&) = delete;
  ConsentOwnerWindow& operator=(const ConsentOwnerWindow&) = delete;
  ~ConsentOwnerWindow();
  // Made on first use; null when it cannot be made.
  HWND Get();

 private:
  HWND window_ = nullptr;
};

bool IsConsentOwnerWindow(HWND window);
// From any thread of the program, just before the prompt: the consent window is shown in the
// middle of the monitor with the pointer, and the owner is brought to the front.
void BringConsentOwnerForward(HWND owner);
// Once the prompt is answered the consent window hides again; a main window stays as it is.
void PutConsentOwnerAway(HWND owner);

}  // namespace tarvek::win
