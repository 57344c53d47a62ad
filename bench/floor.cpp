// floor.exe: the least a hotkey launcher can be, so the benchmark can say how far
// TarvekHotKey.exe is from it. One window, one hotkey, one CreateProcess per press.
//
//   floor.exe [<modifier flags> <virtual key> [<target exe>]]
//
// Defaults: Ctrl+Alt+C starting target.exe from this exe's folder. Flags are those of
// RegisterHotKey (Alt 1, Ctrl 2, Shift 4, Win 8).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int kHotkeyId = 1;
constexpr wchar_t kTitle[] = L"Tarvek Floor";

struct Binding {
  UINT mods = MOD_CONTROL | MOD_ALT;
  UINT vk = 'C';
  std::wstring target;
};

Binding g_binding;

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

void Launch(const std::wstring& target) {
  std::wstring cmd = L"\"" + target + L"\"";
  const std::wstring dir = Folder(target);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_HOTKEY:
      if (wp == kHotkeyId) Launch(g_binding.target);
      return 0;
    case WM_QUERYENDSESSION:
      UnregisterHotKey(hwnd, kHotkeyId);
      DestroyWindow(hwnd);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  g_binding.target = Folder(self) + L"\\target.exe";
  if (argc >= 3) {
    g_binding.mods = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 0));
    g_binding.vk = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0));
  }
  if (argc >= 4) g_binding.target = argv[3];

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"TarvekFloor";
  if (!RegisterClassW(&wc)) return 1;
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  if (!RegisterHotKey(hwnd, kHotkeyId, g_binding.mods, g_binding.vk)) return 1;
  ShowWindow(hwnd, SW_SHOWNORMAL);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
