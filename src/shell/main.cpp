#include <windows.h>

#include <cstddef>

#include "shell/main_window.h"
#include "win/current_folder.h"
#include "win/on_demand.h"

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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything can load a library or read a relative path.
  tarvek::win::SearchLibrariesInSystemFolderOnly();
  tarvek::win::EnterProgramFolder();
  // The start-up runs here, outside any window procedure: nothing it throws may end the
  // program without a word.
  int exitCode = 0;
  try {
    tarvek::MainWindow mainWindow;
    if (mainWindow.Create(instance)) exitCode = mainWindow.Run();
  } catch (...) {
    MessageBoxW(nullptr, L"程序遇到内部错误，无法继续运行。", L"Tarvek HotKey", MB_ICONERROR | MB_OK);
    exitCode = 1;
  }
  // After every window: the shell calls took COM for this thread.
  tarvek::win::ReleaseCom();
  return exitCode;
}
