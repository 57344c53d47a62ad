// Typing a text into the window in front: one thread of the process types the jobs handed to
// it, one after the other, while the main window goes on answering.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/input/typed_text.h"

namespace tarvek::win {

// What typing asks of the machine, answered by Win32.
class WinTypingDevice : public TypingDevice {
 public:
  bool KeyDown(int virtualKey) override;
  std::size_t Send(std::span<const KeyInput> events) override;
  WindowRef Foreground() override;
  void BringToFront(WindowRef window) override;
  bool OwnWindow(WindowRef window) override;
  bool AboveThisProgram(WindowRef window) override;
  bool InMenu(WindowRef window) override;
  std::optional<std::uint32_t> SwitchOffInputMethod(WindowRef window) override;
  void RestoreInputMethod(WindowRef window, std::uint32_t conversionMode) override;
  std::optional<std::uint32_t> InputMethodMode(WindowRef window) override;
  void Pause(int milliseconds) override;
  void Tell(const std::string& text) override;
};

// Hands the job to the typing thread (made on first use) and returns at once; a binding's job
// that still waits is not queued again (TypingQueue). The device must outlive the typing;
// without one, the jobs are typed with a WinTypingDevice.
void TypeInFront(TypingJob job);
void TypeInFront(TypingJob job, TypingDevice& device);
// Whether every job handed over has been typed.
bool TypingDone();

// The window the user works in, for a text chosen from the tray's menu: the one in front, or,
// when that is the taskbar (a click on its notification area makes it the one in front), the
// first window below it that a user could have been working in. 0 when that is one of this
// program's, or none.
WindowRef WindowInFrontOfUser();

}  // namespace tarvek::win
