#include "win/windows/dialog_kit.h"

#include <commctrl.h>
#include <commdlg.h>
// after commdlg.h
#include <cderr.h>

#include <algorithm>
#include <vector>

#include "win/windows/common_controls.h"
#include "win/system/current_folder.h"
#include "win/windows/dpi.h"
#include "win/system/on_demand.h"
#include "win/system/strings.h"

namespace tarvek::win {

// --- Modal loops ---------------------------------------------------------------------------

namespace {

// One user-interface thread: plain counters do.
int modalDepth = 0;
bool endRequested = false;
std::function<void()> whenModalsEnded;
std::vector<HWND> modelessWindows;  // shown modeless and not destroyed since

// Message boxes and file dialogs are the system's dialogs (class "#32770"); Cancel ends each.
BOOL CALLBACK CancelSystemDialog(HWND window, LPARAM) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (wcscmp(name, L"#32770") == 0) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

}  // namespace

ModalScope::ModalScope() { ++modalDepth; }

ModalScope::~ModalScope() {
  if (--modalDepth > 0 || !endRequested) return;
  endRequested = false;
  std::function<void()> done = std::move(whenModalsEnded);
  whenModalsEnded = nullptr;
  if (done) done();
}

bool AnyModalRunning() { return modalDepth > 0; }
bool ModalEndRequested() { return endRequested; }

void EndModalLoops(std::function<void()> whenDone) {
  if (modalDepth == 0) {
    if (whenDone) whenDone();
    return;
  }
  endRequested = true;
  whenModalsEnded = std::move(whenDone);
  EnumThreadWindows(GetCurrentThreadId(), CancelSystemDialog, 0);
  // Our own loops look at the request after their next message.
  PostMessageW(nullptr, WM_NULL, 0, 0);
}

bool HandleModelessDialogMessage(MSG& message) {
  if (message.hwnd == nullptr) return false;
  for (HWND window : modelessWindows) {
    if ((message.hwnd == window || IsChild(window, message.hwnd)) && IsWindowVisible(window)) {
      return IsDialogMessageW(window, &message) != FALSE;
    }
  }
  return false;
}

namespace {

bool Topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// A window of ours that stays on top of the others (the pad) would cover the message box or file
// dialog of any other window, and with it the question the program waits on: it steps down
// while that shows, and stays on top again once it is answered.
class TopmostStepsDown {
 public:
  explicit TopmostStepsDown(HWND owner) {
    if (owner != nullptr && Topmost(owner)) return;  // what it owns is on top as well
    for (HWND window : modelessWindows) {
      if (window != owner && IsWindowVisible(window) && Topmost(window)) lowered_.push_back(window);
    }
    for (HWND window : lowered_) Place(window, HWND_NOTOPMOST);
  }
  ~TopmostStepsDown() {
    for (HWND window : lowered_) {
      if (IsWindow(window)) Place(window, HWND_TOPMOST);
    }
  }
  TopmostStepsDown(const TopmostStepsDown&) = delete;
  TopmostStepsDown& operator=(const TopmostStepsDown&) = delete;

 private:
  static void Place(HWND window, HWND after) {
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  std::vector<HWND> lowered_;
};

}  // namespace

int ModalMessageBox(HWND owner, const std::string& text, const std::string& title, unsigned flags) {
  if (endRequested) return IDCANCEL;
  TopmostStepsDown uncovered(owner);
  ModalScope scope;
  return MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), flags);
}

// --- Helpers -------------------------------------------------------------------------------

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

HFONT MakeCellFont(UINT dpi, int cellPixels) {
  LOGFONTW cell{};
  cell.lfHeight = MessageFont(dpi).lfHeight;
  cell.lfWidth = cellPixels;
  cell.lfWeight = FW_NORMAL;
  cell.lfCharSet = DEFAULT_CHARSET;
  cell.lfOutPrecision = OUT_TT_PRECIS;
  cell.lfQuality = DEFAULT_QUALITY;
  cell.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcscpy_s(cell.lfFaceName, L"Courier New");
  return CreateFontIndirectW(&cell);
}

void SetListBoxItems(HWND list, const std::vector<std::string>& items) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

std::wstring DialogFilter(std::string_view pipeSeparated) {
  std::wstring filter = Widen(pipeSeparated);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

namespace {

DWORD LastDialogError() {
  static const auto error =
      OnDemand<decltype(&CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
  return error != nullptr ? error() : 0;
}

// The window rectangle around a client area, at the window's DPI where the system can say.
RECT WindowRectFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi) {
  RECT r{0, 0, clientWidth, clientHeight};
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (adjustForDpi != nullptr) {
    adjustForDpi(&r, style, FALSE, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
  return r;
}

}  // namespace

std::optional<std::string> ShowFileDialog(HWND owner, const FileDialogOptions& options) {
  if (endRequested) return std::nullopt;
  CurrentFolderKept kept;  // OFN_NOCHANGEDIR does not keep the open dialog from moving it
  const std::wstring filter = DialogFilter(options.filter);
  const std::wstring extension = Widen(options.defaultExtension);
  const std::wstring title = Widen(options.title);
  const std::wstring folder = Widen(options.folder);
  std::vector<wchar_t> file(32768, L'\0');  // the longest path there can be
  std::wstring preset = Widen(options.file);
  if (preset.size() < file.size()) std::copy(preset.begin(), preset.end(), file.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.hInstance = GetModuleHandleW(nullptr);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.Flags = options.flags;
  auto show = [&] {
    static const auto save =
        OnDemand<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    static const auto open =
        OnDemand<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    auto run = options.save ? save : open;
    TopmostStepsDown uncovered(owner);
    ModalScope scope;
    return run != nullptr && run(&dialog);
  };
  BOOL chosen = show();
  if (!chosen && !endRequested && LastDialogError() == FNERR_INVALIDFILENAME) {
    // A preset the dialog cannot take (a typed path with a stray character) is not worth an
    // error: the dialog opens without it.
    file[0] = L'\0';
    chosen = show();
  }
  if (!chosen) return std::nullopt;
  return Narrow(file.data());
}

// --- The window ----------------------------------------------------------------------------

DialogWindow::DialogWindow(const WindowLayout& window, std::span<const ControlLayout> controls)
    : layout_(window), controls_(controls) {}

DialogWindow::~DialogWindow() {
  if (window_ != nullptr && IsWindow(window_)) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);  // no message reaches a half-destroyed object
    DestroyWindow(window_);
  }
}

bool DialogWindow::Create(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  owner_ = owner;
  EnsureCommonControls();  // tool tips, and the controls in the system's current look
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(instance, layout_.className, &wc)) {
    wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = layout_.className;
    if (RegisterClassExW(&wc) == 0) return false;
  }
  window_ = CreateWindowExW(layout_.exStyle, layout_.className, layout_.title, layout_.style, CW_USEDEFAULT,
                            CW_USEDEFAULT, 0, 0, owner, nullptr, instance, this);
  if (window_ == nullptr) return false;
  messages_.owner = window_;
  MakeFonts();
  for (const ControlLayout& c : controls_) {
    HWND control = CreateWindowExW(
        c.exStyle, c.className, c.caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style, 0, 0,
        0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.id)), FALSE);
  }
  LayOut();
  OnCreated();
  return true;
}

void DialogWindow::MakeFonts() {
  LOGFONTW message = MessageFont(Dpi());
  font_.reset(CreateFontIndirectW(&message));
  OnFontsMade();
}

void DialogWindow::AddToolTip(int id, const wchar_t* text) {
  if (toolTip_ == nullptr) {
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                               nullptr, instance_, nullptr);
    if (toolTip_ == nullptr) return;
  }
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
  tool.lpszText = const_cast<wchar_t*>(text);
  SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

UINT DialogWindow::Dpi() const { return WindowDpi(window_); }
int DialogWindow::Px(int twips) const { return TwipsToPixels(twips, Dpi()); }

void DialogWindow::SetText(int id, std::string_view text) {
  SetWindowTextW(Control(id), Widen(text).c_str());
}

void DialogWindow::SetChecked(int id, bool checked) {
  SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool DialogWindow::Checked(int id) const {
  return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogWindow::SetListItems(int id, std::span<const std::string_view> items, int selected) {
  HWND box = Control(id);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (std::string_view item : items) {
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
  }
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int DialogWindow::Selected(int id) const {
  return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
}

void DialogWindow::SetTitle(std::string_view text) { SetWindowTextW(window_, Widen(text).c_str()); }

void DialogWindow::LayOut() {
  UINT dpi = Dpi();
  auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
  if (!sized_) {
    RECT frame = WindowRectFor(px(layout_.clientWidth), px(layout_.clientHeight), layout_.style,
                               layout_.exStyle, dpi);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    sized_ = (layout_.style & WS_THICKFRAME) != 0;
  }
  for (const ControlLayout& c : controls_) {
    MoveWindow(Control(c.id), px(c.left), px(c.top), px(c.width), px(c.height), TRUE);
  }
}

HWND DialogWindow::DefaultFocus() const {
  return GetNextDlgTabItem(window_, nullptr, FALSE);
}

void DialogWindow::PlaceBeforeShowing() {
  HMONITOR monitor =
      MonitorFromWindow(owner_ != nullptr ? owner_ : window_, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  RECT area = info.rcWork;
  if (owner_ != nullptr && IsWindowVisible(owner_) && !IsIconic(owner_)) {
    GetWindowRect(owner_, &area);
  }
  RECT r{};
  GetWindowRect(window_, &r);
  LONG width = r.right - r.left, height = r.bottom - r.top;
  LONG x = area.left + (area.right - area.left - width) / 2;
  LONG y = area.top + (area.bottom - area.top - height) / 2;
  x = std::max(info.rcWork.left, std::min(x, info.rcWork.right - width));
  y = std::max(info.rcWork.top, std::min(y, info.rcWork.bottom - height));
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::ShowModeless() {
  if (window_ == nullptr || endRequested) return;
  if (std::find(modelessWindows.begin(), modelessWindows.end(), window_) == modelessWindows.end()) {
    modelessWindows.push_back(window_);
  }
  if (!placed_) {
    PlaceBeforeShowing();
    placed_ = true;
  }
  ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window_);
}

void DialogWindow::RunModal() {
  if (window_ == nullptr || inModal_ || IsWindowVisible(window_) || endRequested) return;
  ModalScope scope;
  inModal_ = true;
  lastFocus_ = nullptr;
  PlaceBeforeShowing();
  bool ownerDisabled = owner_ != nullptr && IsWindowEnabled(owner_);
  if (ownerDisabled) EnableWindow(owner_, FALSE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  if (HWND focus = DefaultFocus(); focus != nullptr && inModal_) SetFocus(focus);

  // The window's own loop: the dialog keys for the window (Tab, access keys, Esc as IDCANCEL,
  // Enter as IDOK: the id a window gives its default button, if it has one), everything else
  // dispatched as the main loop would, so that hotkeys, the tray icon and timers keep working.
  MSG message;
  while (inModal_ && StillModal() && IsWindow(window_) && !endRequested) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop to see
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageW(window_, &message) && !HandleModelessDialogMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  bool abandoned = inModal_ && StillModal();
  inModal_ = false;
  if (abandoned) OnModalAbandoned();
  // The owner is enabled before the window goes, so that it is the window activated next.
  if (ownerDisabled) EnableWindow(owner_, TRUE);
  if (IsWindow(window_)) ShowWindow(window_, SW_HIDE);
}

LRESULT CALLBACK DialogWindow::StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<DialogWindow*>(create->lpCreateParams)->window_ = window;
  }
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // Gone for good: the object no longer names it, nor do the program's loops.
    modelessWindows.erase(std::remove(modelessWindows.begin(), modelessWindows.end(), window),
                          modelessWindows.end());
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // No exception may leave a window procedure.
  try {
    return self->WindowProc(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT DialogWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (std::optional<LRESULT> result = OnMessage(message, wParam, lParam)) return *result;
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_NEXTDLGCTL: {
      // A multi-line box wants every key, Tab too, and asks its parent to move the focus on as
      // the dialog manager would.
      HWND next = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                      : GetNextDlgTabItem(window_, GetFocus(), wParam != 0);
      if (next != nullptr) {
        SetFocus(next);
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
          SendMessageW(next, EM_SETSEL, 0, -1);
      }
      return 0;
    }
    case WM_ACTIVATE:
      // The focus goes back to where it was when a message box or another window took it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) lastFocus_ = focus;
      } else {
        HWND focus = lastFocus_ != nullptr && IsWindow(lastFocus_) ? lastFocus_ : DefaultFocus();
        if (focus != nullptr) SetFocus(focus);
      }
      return 0;
    case WM_DPICHANGED: {
      // A sizable window takes the size the system suggests; the others are made at their size
      // for the new DPI by LayOut.
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (sized_ ? 0 : SWP_NOSIZE));
      MakeFonts();
      for (const ControlLayout& c : controls_) {
        SendMessageW(Control(c.id), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.id)), TRUE);
      }
      LayOut();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace tarvek::win
