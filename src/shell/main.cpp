#include <windows.h>

#include "shell/main_window.h"
#include "win/on_demand.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int exitCode = 0;
  {
    tarvek::MainWindow mainWindow;
    if (mainWindow.Create(instance)) exitCode = mainWindow.Run();
  }
  // After every window: the shell calls took COM for this thread.
  tarvek::win::ReleaseCom();
  return exitCode;
}
