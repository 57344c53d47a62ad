#include <windows.h>

#include "shell/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tarvek::MainWindow mainWindow;
  if (!mainWindow.Create(instance)) return 0;
  return mainWindow.Run();
}
