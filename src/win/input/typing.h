// Typing a text into the window in front: one thread of the process types the jobs handed to
// it, one after the other, while the main window goes on answering.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/input/typed_text.h"

namespace tarvek::win {

// What typing asks of the machine, answered by Win32.
class WinTypingDevice : public TypingDevice {
 public:
  bool KeyDown(int virtualKey) override;
  void Send(const std::vector<KeyInput>& events) override;
  WindowRef Foreground() override;
  bool OwnWindow(WindowRef window) override;
  bool AboveThisProgram(WindowRef window) override;
  void Pause(int milliseconds) override;
  void Tell(const std::string& text) override;
};

// Hands the job to the typing thread (made on first use) and returns at once. The device must
// outlive the typing; without one, the jobs are typed with a WinTypingDevice.
void TypeInFront(TypingJob job);
void TypeInFront(TypingJob job, TypingDevice& device);
// Whether every job handed over has been typed.
bool TypingDone();

}  // namespace tarvek::win
