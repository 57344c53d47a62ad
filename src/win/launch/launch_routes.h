// The Win32 side of launching with options: CreateProcess with a command line, folder and show
// state; ShellExecuteEx with a verb; the desktop shell's own ShellExecute; the windows of a
// program that runs already; the Run dialog's program search and the environment.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace tarvek::win {

// Starts the quoted file with the parameters in folder (the file's own when empty), shown so,
// and lets the new program take the front.
StartResult StartProcess(const std::wstring& file, const std::wstring& parameters,
                         std::wstring folder, int showCommand);
// The process's id and start time; a start time of 0 when it cannot be asked.
StartedProcess ProcessOf(HANDLE process);
void ShellExecuteVerb(const std::string& verb, const LaunchCommand& command);
bool ShellExecuteThroughDesktop(const LaunchCommand& command);
bool ElevatedAboveDesktop();
std::vector<WindowRef> WindowsOfProgram(const std::string& exePath);
void BringToFront(WindowRef window);
// Sets the window in front; when Windows refuses, claims the right with this program's own
// input and tries once more. False when it stays refused (the window's taskbar button flashes).
bool TakeFront(HWND window);
std::optional<std::string> FindProgram(const std::string& name);
std::optional<std::string> EnvironmentVariable(const std::string& name);

}  // namespace tarvek::win
