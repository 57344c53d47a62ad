#include <windows.h>

#include "shell/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The start-up runs here, outside any window procedure: nothing it throws may end the
  // program without a word.
  try {
    tarvek::MainWindow mainWindow;
    if (!mainWindow.Create(instance)) return 0;
    return mainWindow.Run();
  } catch (...) {
    MessageBoxW(nullptr, L"程序遇到内部错误，无法继续运行。", L"Tarvek HotKey", MB_ICONERROR | MB_OK);
    return 1;
  }
}
