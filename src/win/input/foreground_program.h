// Which program a window belongs to, as the bindings' program lists name programs: a packaged
// app's frame (ApplicationFrameHost.exe) counts as the app inside it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tarvek::win {

// The full path of the program of the window (UTF-8); empty when there is no window or its
// process cannot be asked. Quick enough for a keyboard hook: no window messages are sent.
std::string ProgramOfWindow(HWND window);
// The same for a window whose process and its program (processPath, UTF-8) are known already:
// only a packaged app's frame has more to ask, the app it holds now.
std::string ProgramOfWindow(HWND window, DWORD processId, const std::string& processPath);
// The program of the window in front.
std::string ForegroundProgram();
// The file names of the programs with a visible top-level window now, each once (letter case
// does not count), sorted, this program left out: what the user may pick for a program list.
std::vector<std::string> OpenProgramNames();

}  // namespace tarvek::win
