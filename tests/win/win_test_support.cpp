#include "win_test_support.h"

#include <commctrl.h>

#include <algorithm>

#include "win/system/strings.h"

namespace tarvek::wintest {

namespace {

constexpr wchar_t kWindowClass[] = L"TarvekWinTestWindow";

void RegisterWindowClassOnce() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // tests make files read-only
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

HiddenWindow::HiddenWindow() {
  RegisterWindowClassOnce();
  window_ = CreateWindowExW(0, kWindowClass, L"测试窗口", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HiddenWindow::~HiddenWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

FrontEditBox::FrontEditBox() {
  box_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 0,
                         0, 300, 200, frame_.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(frame_.get(), SW_SHOW);
  SetForegroundWindow(frame_.get());
  SetFocus(box_);
  for (int i = 0; i < 100 && GetForegroundWindow() != frame_.get(); ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

std::string FrontEditBox::Text() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box_)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(box_, text.data(), static_cast<int>(text.size()))));
  return win::Narrow(text);
}

bool PumpUntil(const std::function<bool(const MSG&)>& wanted) {
  // Not a measurement: only a bound, so that a message that never comes fails the test
  // instead of hanging it. Input under Wine arrives within a few waits.
  constexpr int kIdleWaits = 200;
  constexpr DWORD kWaitMs = 25;
  for (int i = 0; i < kIdleWaits; ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (wanted(message)) return true;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kWaitMs, QS_ALLINPUT);
  }
  return false;
}

HWND ShownSystemDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM out) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void PostKey(UINT message, WPARAM key) {
  HWND focus = GetFocus();
  PostMessageW(focus, message, key, message == WM_SYSCHAR ? (1 << 29) | 1 : 1);
}

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  std::wstring base(temp, n);
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  // A Chinese folder name, so that every path the tests use goes through the wide calls.
  for (unsigned i = 0;; ++i) {
    std::wstring path = base + L"\\热键测试-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(i);
    if (CreateDirectoryW(path.c_str(), nullptr)) {
      path_ = win::Narrow(path);
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

TempFolder::~TempFolder() {
  if (!path_.empty()) RemoveTree(win::Widen(path_));
}

std::vector<std::string> TempFolder::Entries() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((win::Widen(path_) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(win::Narrow(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tarvek::wintest
