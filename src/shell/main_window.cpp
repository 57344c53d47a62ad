#include "shell/main_window.h"

#include <commctrl.h>

#include "shell/resource.h"
#include "win/dpi.h"
#include "win/strings.h"

namespace tarvek {

namespace {

constexpr wchar_t kMainClass[] = L"TarvekHotKeyMain";
constexpr wchar_t kAppClass[] = L"TarvekHotKeyApp";
constexpr wchar_t kMainCaption[] = L"LumekVorda2009 v1.0 beta";
constexpr wchar_t kAppTitle[] = L"Tarvek HotKey";  // what a second copy looks for
constexpr wchar_t kInstanceMutex[] = L"Local\\TarvekHotKey.Instance";

constexpr UINT kUnloadMessage = WM_APP + 1;  // the main window is unloaded after the handler ends
constexpr int kGridId = 100;
constexpr int kFrameId = 101;
constexpr int kHotkeyMenuBase = 1000;  // + slot
constexpr int kCmdHideIcon = 2001, kCmdShowWindow = 2002, kCmdLockNow = 2003, kCmdQuit = 2004;

// Layout in twips, relative to the window's client area.
constexpr int kWindowWidth = 8160, kWindowHeight = 6765;
constexpr RECT kFrame1 = {80, 0, 80 + 6615, 0 + 5295};
constexpr RECT kGridInFrame = {120, 240, 120 + 6375, 240 + 4935};

}  // namespace

MainWindow::MainWindow() = default;

MainWindow::~MainWindow() {
  if (font_ != nullptr) DeleteObject(font_);
}

bool MainWindow::AnotherCopyRunning() {
  instanceMutex_.reset(CreateMutexW(nullptr, FALSE, kInstanceMutex));
  return GetLastError() == ERROR_ALREADY_EXISTS;
}

bool MainWindow::Create(HINSTANCE instance) {
  instance_ = instance;
  anotherCopy_ = AnotherCopyRunning();

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = StaticWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainClass;
  RegisterClassExW(&wc);

  window_ = CreateWindowExW(0, kMainClass, kMainCaption,
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                            CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  system_.SetMainWindow(window_);

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  font_ = CreateFontIndirectW(&metrics.lfMessageFont);

  frame_ = CreateWindowExW(0, L"BUTTON", L"热键信息", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, 0,
                           0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFrameId)),
                           instance, nullptr);
  grid_ = std::make_unique<win::ListViewGrid>(
      window_, kGridId, std::array<std::string, 4>{"功能键", "基本键", "调用的程序", "程序路径"});
  for (HWND control : {frame_, grid_->Handle()}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  LayOut();

  trayNormal_.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), 0)));
  trayPressed_.reset(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_TRAY_PRESSED), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));

  systemMenu_.reset(CreatePopupMenu());
  AppendMenuW(systemMenu_.get(), MF_STRING | MF_GRAYED, kCmdHideIcon, L"隐藏图标(&H)");
  AppendMenuW(systemMenu_.get(), MF_STRING, kCmdShowWindow, L"显示界面");
  AppendMenuW(systemMenu_.get(), MF_STRING | MF_GRAYED, kCmdLockNow, L"暂时禁用(&L)");
  AppendMenuW(systemMenu_.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu_.get(), MF_STRING, kCmdQuit, L"退出程序(&Q)");

  program_ = std::make_unique<Program>(system_, settings_, *this, *grid_, *this,
                                       win::ProgramFolder());
  program_->core.instanceMessage = RegisterWindowMessageW(L"MYMESSAGE");
  program_->LoadPhase();
  mainProcInstalled_ = true;

  if (anotherCopy_) {
    // Hand over to the copy that is already running and end without a word.
    SetWindowTextW(window_, L"");
    HWND first = FindWindowW(nullptr, kAppTitle);
    if (first != nullptr) {
      static const std::int32_t kZero = 0;
      SendMessageW(first, program_->core.instanceMessage, 0, reinterpret_cast<LPARAM>(&kZero));
    }
    program_->core.flags.QuitRequested = true;
    program_->ShutDown();
    DestroyWindow(window_);
    return false;
  }

  WNDCLASSEXW app{};
  app.cbSize = sizeof(app);
  app.lpfnWndProc = AppWindowProc;
  app.hInstance = instance;
  app.lpszClassName = kAppClass;
  RegisterClassExW(&app);
  appWindow_ = CreateWindowExW(WS_EX_TOOLWINDOW, kAppClass, kAppTitle, WS_POPUP, 0, 0, 0, 0,
                               nullptr, nullptr, instance, this);

  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  program_->InitialisePhase();
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  return true;
}

int MainWindow::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window_ != nullptr && IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void MainWindow::LayOut() {
  UINT dpi = win::WindowDpi(window_);
  auto px = [dpi](int twips) { return win::TwipsToPixels(twips, dpi); };
  RECT outer{0, 0, px(kWindowWidth), px(kWindowHeight)};
  // The size is that of the whole window, as it has always been given.
  SetWindowPos(window_, nullptr, 0, 0, outer.right, outer.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveWindow(frame_, px(kFrame1.left), px(kFrame1.top), px(kFrame1.right - kFrame1.left),
             px(kFrame1.bottom - kFrame1.top), TRUE);
  MoveWindow(grid_->Handle(), px(kFrame1.left + kGridInFrame.left),
             px(kFrame1.top + kGridInFrame.top), px(kGridInFrame.right - kGridInFrame.left),
             px(kGridInFrame.bottom - kGridInFrame.top), TRUE);
  // The grid is drawn over the frame, not under it.
  SetWindowPos(grid_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  grid_->OnDpiChanged();
}

LRESULT CALLBACK MainWindow::StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<MainWindow*>(create->lpCreateParams)->window_ = window;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->OnMessage(message, wParam, lParam);
}

// The hidden "Tarvek HotKey" window passes the second-copy message on to the main window.
LRESULT CALLBACK MainWindow::AppWindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && self->program_ != nullptr && self->window_ != nullptr &&
      message == self->program_->core.instanceMessage) {
    return SendMessageW(self->window_, message, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (mainProcInstalled_ && program_ != nullptr) {
    // No exception may leave a window procedure.
    try {
      if (std::optional<std::intptr_t> result =
              program_->core.MainWindowProc(message, wParam, lParam)) {
        return *result;
      }
    } catch (...) {
      return 0;
    }
  }
  if (taskbarCreated_ != 0 && message == taskbarCreated_) {
    if (trayAdded_) Shell_NotifyIconW(NIM_ADD, &tray_);
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 || lParam == 0) OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      if (grid_ != nullptr) {
        if (std::optional<LRESULT> result = grid_->HandleNotify(*reinterpret_cast<NMHDR*>(lParam))) {
          return *result;
        }
      }
      break;
    case WM_CLOSE:
      // The close box only hides the window; the program goes on in the background.
      if (program_ == nullptr || !program_->core.flags.QuitRequested) {
        ShowWindow(window_, SW_HIDE);
        if (program_ != nullptr) program_->core.flags.MainWindowShown = false;
        return 0;
      }
      break;
    case kUnloadMessage:
      if (program_ != nullptr) program_->ShutDown();
      if (appWindow_ != nullptr) DestroyWindow(appWindow_);
      appWindow_ = nullptr;
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      mainProcInstalled_ = false;
      PostQuitMessage(0);
      return 0;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
      LayOut();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::OnCommand(int id) {
  if (id >= kHotkeyMenuBase && id <= kHotkeyMenuBase + kLastSlot) {
    // A binding's menu item takes the same road as its hotkey.
    SendMessageW(window_, WM_HOTKEY, static_cast<WPARAM>(BindingIdBase + (id - kHotkeyMenuBase)), 0);
    return;
  }
  switch (id) {
    case kCmdShowWindow:
      Show();
      break;
    case kCmdQuit:
      ExitCommand();
      break;
    default:
      break;
  }
}

void MainWindow::ExitCommand() {
  ProgramFlags& flags = program_->core.flags;
  if (!flags.PadContentSaved) {
    int answer = system_.ShowMessageBox("即拖即存中的内容还没有保存，确信不保存就退出系统吗?",
                                    "Vorda-即拖即存", kMbIconInformation | kMbOkCancel);
    if (answer != kIdOk) {
      ShowPad();
      return;
    }
  }
  int answer = system_.ShowMessageBox("退出后你定义的热键将不能使用，确实要退出本软件吗？", "退出？",
                                  kMbIconInformation | kMbOkCancel);
  Show();
  if (answer == kIdOk) {
    flags.QuitRequested = true;
    Unload();
  }
}

void MainWindow::ShowNormal() {
  ShowWindow(window_, SW_RESTORE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void MainWindow::Show() {
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void MainWindow::SetTrayPicture(TrayPicture picture) {
  if (!trayAdded_) return;
  tray_.hIcon = picture == TrayPicture::kPressed && trayPressed_ ? trayPressed_.get()
                                                                  : trayNormal_.get();
  Shell_NotifyIconW(NIM_MODIFY, &tray_);
}

void MainWindow::PopupMenu(HMENU menu) {
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if this window is in front.
  SetForegroundWindow(window_);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
}

void MainWindow::PopupHotkeyMenu() { PopupMenu(hotkeyMenu_.get()); }
void MainWindow::PopupSystemMenu() { PopupMenu(systemMenu_.get()); }

void MainWindow::RevealFromEdge() {
  RECT r{};
  GetWindowRect(window_, &r);
  int screen = GetSystemMetrics(SM_CXSCREEN);
  int margin = win::TwipsToPixels(20, win::WindowDpi(window_));
  SetWindowPos(window_, nullptr, screen - (r.right - r.left) - margin, r.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ShowPad() {}  // the drag-and-save pad is not part of this build yet
void MainWindow::ShowPadForAction() {}

void MainWindow::RemoveTrayIcon() {
  if (!trayAdded_) return;
  Shell_NotifyIconW(NIM_DELETE, &tray_);
  trayAdded_ = false;
}

void MainWindow::RestoreWindowProcedures() { mainProcInstalled_ = false; }

void MainWindow::Unload() { PostMessageW(window_, kUnloadMessage, 0, 0); }

void MainWindow::SetFrameCaption(const std::string& caption) {
  SetWindowTextW(frame_, win::Widen(caption).c_str());
}

void MainWindow::SetHotkeyMenu(const std::vector<MenuItem>& items) {
  hotkeyMenu_.reset(CreatePopupMenu());
  for (std::size_t i = 0; i < items.size(); ++i) {
    UINT flags = MF_STRING | (items[i].enabled ? 0 : MF_GRAYED);
    AppendMenuW(hotkeyMenu_.get(), flags, kHotkeyMenuBase + static_cast<UINT>(i),
                win::Widen(items[i].caption).c_str());
  }
}

void MainWindow::AddTrayIcon() {
  tray_ = {};
  tray_.cbSize = sizeof(tray_);
  tray_.hWnd = window_;
  tray_.uID = 0;
  tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray_.uCallbackMessage = wm::kTrayCallback;
  tray_.hIcon = trayNormal_.get();
  wcscpy_s(tray_.szTip, L"LumekVorda2009");
  Shell_NotifyIconW(NIM_ADD, &tray_);
  // Kept even when no notification area runs yet: the icon is added again whenever the
  // taskbar is (re)created.
  trayAdded_ = true;
}

}  // namespace tarvek
