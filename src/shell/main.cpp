#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "shell/command_line.h"
#include "shell/main_window.h"
#include "win/system/current_folder.h"
#include "win/system/on_demand.h"
#include "win/system/strings.h"

#if defined(__MINGW32__)
// The runtime's handler for an exception that nobody catches names its type through the C++
// demangler, which brings the demangler and a printf with floating point into the program
// (70 KB, a sixth of it). Nothing goes uncaught here (wWinMain catches everything), so that
// handler gets the name as it is.
extern "C" char* __cxa_demangle(const char*, char*, std::size_t*, int* status) {
  if (status != nullptr) *status = -2;  // "not a valid name": it prints the name unchanged
  return nullptr;
}
#endif

namespace {

// The switch the command line asks for; a message, and the process's exit code, when it asks
// for nothing a copy can do (a mistake, or "/?").
std::optional<tarvek::CommandRequest> ReadCommandLine(PCWSTR commandLine, int& exitCode) {
  using namespace tarvek;
  ParsedArguments parsed = ParseArguments(SplitArguments(win::Narrow(commandLine != nullptr ? commandLine : L"")));
  std::wstring title = win::Widen(kCommandLineTitle);
  if (!parsed.error.empty()) {
    MessageBoxW(nullptr, win::Widen(parsed.error).c_str(), title.c_str(), MB_ICONERROR | MB_OK);
    exitCode = 2;
    return std::nullopt;
  }
  if (parsed.request.which == Switch::kHelp) {
    MessageBoxW(nullptr, win::Widen(CommandLineHelpText()).c_str(), title.c_str(), MB_ICONINFORMATION | MB_OK);
    exitCode = 0;
    return std::nullopt;
  }
  // A path is the sender's, relative to its own current folder: the copy that runs has
  // another, so it is made full here.
  std::string& argument = parsed.request.argument;
  if (parsed.request.which == Switch::kList && NamesListFile(argument)) {
    std::wstring relative = win::Widen(argument);
    DWORD length = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    if (length > 0) {
      full.resize(GetFullPathNameW(relative.c_str(), length, full.data(), nullptr));
      argument = win::Narrow(full);
    }
  }
  return parsed.request;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // Before anything can load a library or read a relative path.
  tarvek::win::SearchLibrariesInSystemFolderOnly();
  int exitCode = 0;
  std::optional<tarvek::CommandRequest> request = ReadCommandLine(commandLine, exitCode);
  if (!request) return exitCode;
  tarvek::win::EnterProgramFolder();
  // The start-up runs here, outside any window procedure: nothing it throws may end the
  // program without a word.
  try {
    tarvek::MainWindow mainWindow;
    if (mainWindow.Create(instance, *request)) {
      exitCode = mainWindow.Run();
    } else {
      exitCode = mainWindow.ExitCode();
    }
  } catch (...) {
    MessageBoxW(nullptr, L"程序遇到内部错误，无法继续运行。", L"Tarvek HotKey", MB_ICONERROR | MB_OK);
    exitCode = 1;
  }
  // After every window: the shell calls took COM for this thread.
  tarvek::win::ReleaseCom();
  return exitCode;
}
