// Which program a window belongs to, as the bindings' program lists name programs: a packaged
// app's frame (ApplicationFrameHost.exe) counts as the app inside it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace tarvek::win {

// The full path of the process's program file (UTF-8); empty when it cannot be asked.
std::string ProgramOfProcess(DWORD processId);
// Whether the path is that of the frame packaged apps' windows live in: the app inside it may
// change while the frame stays.
bool IsAppFrameHost(std::string_view programPath);
// The full path of the program of the window (UTF-8); empty when there is no window or its
// process cannot be asked. Quick enough for a keyboard hook: no window messages are sent.
std::string ProgramOfWindow(HWND window);
// The program of the window in front.
std::string ForegroundProgram();
// The file names of the programs with a visible top-level window now, each once (letter case
// does not count), sorted, this program left out: what the user may pick for a program list.
std::vector<std::string> OpenProgramNames();

}  // namespace tarvek::win
