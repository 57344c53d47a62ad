#include <windows.h>

#include "shell/main_window.h"
#include "win/on_demand.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
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
