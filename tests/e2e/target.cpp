// target.exe: the program the end-to-end tests bind to a hotkey. Each start appends one line
// to launches.txt beside the exe (or to %TARVEK_LAUNCH_LOG%) and exits:
//
//   <FILETIME ticks> TAB <command line> TAB <current directory> TAB <own exe path> TAB <show> CR LF
//
// in UTF-8. The time comes first so the benchmark can compare it with the moment driver.exe
// sent the keys; the rest shows how the launcher quoted the path, which folder it chose and
// the show state it asked for (STARTUPINFO's wShowWindow, -1 without STARTF_USESHOWWINDOW).
//
// With "--window" anywhere on its command line it then stays, with one visible window titled
// "Tarvek Target" shown as asked, until that window is closed.
//
// With "--env NAME" it also writes the value of its environment variable NAME, in UTF-8, to
// env-NAME.txt beside the log ("(none)" when it is not set): what the launcher handed down.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring CurrentDirectory() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring dir(n, L'\0');
  dir.resize(GetCurrentDirectoryW(n, dir.data()));
  return dir;
}

std::wstring LogPath(const std::wstring& exe) {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(L"TARVEK_LAUNCH_LOG", buf, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) return buf;
  return exe.substr(0, exe.find_last_of(L'\\') + 1) + L"launches.txt";
}

void RecordVariable(const std::wstring& commandLine, const std::wstring& log) {
  const std::size_t at = commandLine.find(L"--env ");
  if (at == std::wstring::npos) return;
  const std::size_t start = at + 6;
  const std::wstring name = commandLine.substr(start, commandLine.find(L' ', start) - start);
  wchar_t value[4096];
  const DWORD n = GetEnvironmentVariableW(name.c_str(), value, 4096);
  const std::string text = n == 0 || n >= 4096 ? "(none)" : Utf8(std::wstring(value, n));
  const std::wstring path = log.substr(0, log.find_last_of(L'\\') + 1) + L"env-" + name + L".txt";
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace

// The class of a window of this program, by its name.
const wchar_t* RegisterTargetClass(WNDPROC procedure, const wchar_t* name) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = name;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);
  return name;
}

LRESULT CALLBACK TargetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

int RunWindow() {
  HWND window = CreateWindowW(RegisterTargetClass(TargetWindowProc, L"TarvekTarget"), L"Tarvek Target",
                              WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ShowWindow(window, SW_SHOWDEFAULT);  // the first call takes the launcher's show state
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

WNDPROC editProc = nullptr;
std::wstring keyLog;

LRESULT CALLBACK TextBoxEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && wParam != VK_PACKET) {
    auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0 ? "1" : "0"; };
    const std::string line = std::to_string(wParam) + " " + down(VK_CONTROL) + down(VK_MENU) + down(VK_SHIFT) +
                             ((GetKeyState(VK_LWIN) | GetKeyState(VK_RWIN)) & 0x8000 ? "1" : "0") + "\r\n";
    HANDLE h = CreateFileW(keyLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(h);
    }
  }
  return CallWindowProcW(editProc, edit, message, wParam, lParam);
}

LRESULT CALLBACK TextBoxWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFOCUS) SetFocus(GetDlgItem(window, 100));
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

int RunTextBox(const std::wstring& exe) {
  const std::wstring name = exe.substr(exe.find_last_of(L'\\') + 1);
  keyLog = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"keys-" + name + L".txt";
  HWND window = CreateWindowW(RegisterTargetClass(TextBoxWindowProc, L"TarvekTextBox"),
                              (L"Tarvek Text Box " + name).c_str(), WS_OVERLAPPEDWINDOW, 60, 60, 420, 260, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL,
                              8, 8, 390, 200, window, reinterpret_cast<HMENU>(100), GetModuleHandleW(nullptr), nullptr);
  editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextBoxEditProc)));
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  SetFocus(edit);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

int wmain() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;

  const std::wstring exe = ModulePath();
  if (std::wstring(GetCommandLineW()).find(L"--textbox") != std::wstring::npos) return RunTextBox(exe);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
  const std::string line = std::to_string(ticks) + "\t" + Utf8(GetCommandLineW()) + "\t" +
                           Utf8(CurrentDirectory()) + "\t" + Utf8(exe) + "\t" +
                           std::to_string(show) + "\r\n";
  const bool stay = std::wstring(GetCommandLineW()).find(L"--window") != std::wstring::npos;

  // Two quick presses may start two copies at once; append-only access keeps both lines whole,
  // and a copy that finds the file busy tries again for a while rather than losing its line.
  const std::wstring log = LogPath(exe);
  RecordVariable(GetCommandLineW(), log);
  // Appending is not atomic between processes under Wine (it finds the end, then writes
  // there), so copies that start together take turns.
  HANDLE turn = CreateMutexW(nullptr, FALSE, L"TarvekE2ELaunchLog");
  if (turn) WaitForSingleObject(turn, 120000);  // a burst queues hundreds of copies
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE h = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const BOOL ok = WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(h);
      if (turn) ReleaseMutex(turn);
      if (stay) return RunWindow();
      return ok && written == line.size() ? 0 : 1;
    }
    Sleep(10);
  }
  return 1;
}
