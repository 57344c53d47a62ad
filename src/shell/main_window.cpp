#include "shell/main_window.h"

#include <commctrl.h>

#include "settings/ini_settings.h"
#include "shell/resource.h"
#include "win/windows/common_controls.h"
#include "win/windows/dialog_kit.h"
#include "win/windows/dpi.h"
#include "win/launch/environment_keys.h"
#include "win/windows/message_filter.h"
#include "win/system/on_demand.h"
#include "win/windows/screens.h"
#include "win/system/strings.h"

namespace tarvek {

using namespace main_ids;

namespace {

constexpr wchar_t kMainClass[] = L"TarvekHotKeyMain";
constexpr wchar_t kMainCaption[] = L"LumekVorda2009 v1.0 beta";

constexpr UINT kUnloadMessage = WM_APP + 1;  // the main window is unloaded after the handler ends

// The whole window, menu bar and frame included, in twips; the user cannot change it.
constexpr int kWindowWidth = 8160, kWindowHeight = 6765;

// Frame2 "窗口激活方式", whose options and check box are placed relative to it.
constexpr int kFrame2Left = 105, kFrame2Top = 5400;

struct ControlLayout {
  int id;
  const wchar_t* caption;
  DWORD style;
  int left, top, width, height;  // twips, relative to the client area
  const wchar_t* toolTip;        // none when null
};

// In creation order, which is the tab order.
constexpr ControlLayout kControls[] = {
    {kFrame1Id, L"热键信息", BS_GROUPBOX, 80, 0, 6615, 5295, nullptr},
    {kCommand4Id, L"添加 &A", BS_PUSHBUTTON | WS_TABSTOP, 6720, 480, 1215, 495, nullptr},
    {kCommand3Id, L"隐藏 &H", BS_PUSHBUTTON | WS_TABSTOP, 6720, 960, 1215, 495,
     L"让本软件在后台运行"},
    {kCommand1Id, L"应用 &Q", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 6720, 1440, 1215, 495,
     L"不使用热键了"},
    {kCommand2Id, L"帮助 &?", BS_PUSHBUTTON | WS_TABSTOP, 6840, 2640, 975, 375, nullptr},
    {kCommand5Id, L"退出", BS_PUSHBUTTON | WS_TABSTOP, 6840, 3000, 975, 375, nullptr},
    {kCommand6Id, L"关于", BS_PUSHBUTTON | WS_TABSTOP, 6840, 3360, 975, 375, nullptr},
    {kFrame2Id, L"窗口激活方式", BS_GROUPBOX, kFrame2Left, kFrame2Top, 6615, 615, nullptr},
    {kOption1Id0, L"使用热键方式激活", BS_RADIOBUTTON | WS_GROUP | WS_TABSTOP, kFrame2Left + 120,
     kFrame2Top + 240, 2055, 255, L"参看帮助"},
    {kOption1Id1, L"使用鼠标方式激活", BS_RADIOBUTTON, kFrame2Left + 2400, kFrame2Top + 240, 2055,
     255, L"参看帮助"},
    {kCheck1Id, L"启用鼠标控制器", BS_CHECKBOX | WS_GROUP | WS_TABSTOP, kFrame2Left + 4680,
     kFrame2Top + 240, 1815, 255, L"参看帮助"},
};

// The grid inside Frame1, relative to the frame.
constexpr int kGridLeft = 120, kGridTop = 240, kGridWidth = 6375, kGridHeight = 4935;

}  // namespace

MainWindow::MainWindow() = default;

MainWindow::~MainWindow() = default;

bool MainWindow::Create(HINSTANCE instance, const CommandRequest& request) {
  instance_ = instance;
  anotherCopy_ = singleCopy_.AnotherCopyRunning();
  if (request.which != Switch::kNone && !SwitchBeforeStart(request)) return false;

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

  // Made at its size straight away: resizing a top-level window costs a trip to the display.
  const UINT dpi = win::WindowDpi(nullptr);
  window_ = CreateWindowExW(0, kMainClass, kMainCaption,
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                            CW_USEDEFAULT, win::TwipsToPixels(kWindowWidth, dpi),
                            win::TwipsToPixels(kWindowHeight, dpi), nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  system_.SetMainWindow(window_);

  CreateMenuBar();
  // The grid holds the list from the start; its list control, like the rest of the window, is
  // made when the window is first shown: in hotkey activation mode that is not at start, and
  // nobody waits for it then.
  grid_ = std::make_unique<win::ListViewGrid>(
      kGridId, std::array<std::string, 4>{"功能键", "基本键", "调用的程序", "程序路径"});

  portableSettings_ =
      PortableSettingsIfPresent(system_, system_, win::ProgramFolder(), registrySettings_);
  SettingsStore& settings = portableSettings_ ? *portableSettings_ : registrySettings_;
  program_ = std::make_unique<Program>(system_, settings, *this, *grid_, *this,
                                       win::ProgramFolder(), win::ProgramPathForRunEntry());
  commands_ = std::make_unique<MainCommands>(*program_, system_, *this, *grid_);
  commandActions_ = std::make_unique<CommandActions>(*program_, *commands_, *this, *grid_, system_, *this);
  program_->core.instanceMessage = RegisterWindowMessageW(L"MYMESSAGE");
  mainProcInstalled_ = true;
  tray_.Attach(instance_, window_);
  if (!program_->StartUp(anotherCopy_)) {
    // A drive's root folder, or a copy that already runs: this copy ends now.
    program_->ShutDown();
    DestroyWindow(window_);
    return false;
  }
  if (!program_->hiddenAtStart) {
    EnsureControls();
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
  }
  started_ = true;
  if (request.which != Switch::kNone) SwitchAfterStart(request);
  return true;
}

void MainWindow::CreateControls() {
  // The grid first: creation order is the tab order.
  grid_->Create(window_);
  if (acceptsDrops_) AcceptDropsOnGrid();
  toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, instance_, nullptr);
  static_assert(kControls[0].id == kFrame1Id);  // LayOut places the grid in the first entry
  for (const ControlLayout& c : kControls) {
    // Siblings clip each other, so that a frame never paints over what lies on it.
    HWND control = CreateWindowExW(
        0, L"BUTTON", c.caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style, 0, 0, 0, 0,
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
    if (c.toolTip != nullptr) AddToolTip(control, c.toolTip);
  }
  // Frames lie under everything else.
  for (int frame : {kFrame1Id, kFrame2Id}) {
    SetWindowPos(GetDlgItem(window_, frame), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  controlsCreated_ = true;
  // What the program set before the controls were there.
  SetFrameCaption(frameCaption_);
  SetApplyButtonEnabled(applyEnabled_);
  SetActivationOption(activationOption_);
  SetMouseControllerBox(mouseControllerBox_);
  if (buttonsSubclassed_) SubclassButtons(true);
}

// Every way the window is shown calls this first: Windows does not tell the window about every
// showing (ShowWindow with SW_SHOWNORMAL sends no WM_SHOWWINDOW). A showing from outside is
// caught as the window's position changes.
void MainWindow::EnsureControls() {
  if (controlsCreated_) return;
  win::EnsureCommonControls();
  SetMenu(window_, menuBar_.get());  // before the controls are placed in what is left
  EnsureMenuImages();
  CreateControls();
  SetControlFont();
  LayOut();
}

void MainWindow::SetControlFont() {
  if (!controlsCreated_) return;  // the controls get it when they are made
  LOGFONTW message = win::MessageFont(win::WindowDpi(window_));
  win::UniqueGdiObject font(CreateFontIndirectW(&message));
  if (!font) return;
  auto wParam = reinterpret_cast<WPARAM>(font.get());
  SendMessageW(grid_->Handle(), WM_SETFONT, wParam, TRUE);
  for (const ControlLayout& c : kControls) {
    SendMessageW(GetDlgItem(window_, c.id), WM_SETFONT, wParam, TRUE);
  }
  font_ = std::move(font);  // the old one only now, when no control uses it
}

void MainWindow::AddToolTip(HWND control, const wchar_t* text) {
  // Two tools per control: the control's own, and one over its place on the main window for
  // while the control is disabled, when the mouse messages go to the main window instead.
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(text);
  SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  tool.uFlags = TTF_SUBCLASS;
  tool.uId = static_cast<UINT_PTR>(GetDlgCtrlID(control));
  SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::LayOut() {
  UINT dpi = win::WindowDpi(window_);
  auto px = [dpi](int twips) { return win::TwipsToPixels(twips, dpi); };
  RECT outer{};
  GetWindowRect(window_, &outer);
  if (outer.right - outer.left != px(kWindowWidth) || outer.bottom - outer.top != px(kWindowHeight)) {
    SetWindowPos(window_, nullptr, 0, 0, px(kWindowWidth), px(kWindowHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!controlsCreated_) return;
  for (const ControlLayout& c : kControls) {
    RECT place{px(c.left), px(c.top), px(c.left + c.width), px(c.top + c.height)};
    MoveWindow(GetDlgItem(window_, c.id), place.left, place.top, place.right - place.left,
               place.bottom - place.top, TRUE);
    if (c.toolTip != nullptr) {
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof(tool);
      tool.hwnd = window_;
      tool.uId = static_cast<UINT_PTR>(c.id);
      tool.rect = place;
      SendMessageW(toolTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  const ControlLayout& frame1 = kControls[0];
  MoveWindow(grid_->Handle(), px(frame1.left + kGridLeft), px(frame1.top + kGridTop),
             px(kGridWidth), px(kGridHeight), TRUE);
  grid_->OnDpiChanged();
}

int MainWindow::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  return exitCode_ != 0 ? exitCode_ : static_cast<int>(message.wParam);
}

void MainWindow::Dispatch(MSG& message) {
  if (TranslateShortcut(message)) return;
  if (win::HandleModelessDialogMessage(message)) return;
  if (window_ != nullptr && IsDialogMessageW(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void MainWindow::ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {  // for the main loop to see
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
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
  // No exception may leave a window procedure.
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (mainProcInstalled_ && program_ != nullptr) {
    if (std::optional<std::intptr_t> result =
            program_->core.MainWindowProc(message, wParam, lParam)) {
      return *result;
    }
  }
  if (std::optional<LRESULT> result = tray_.OnMessage(message, wParam)) return *result;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 || lParam == 0) OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      if (std::optional<LRESULT> result = OnGridNotify(*reinterpret_cast<NMHDR*>(lParam))) {
        return *result;
      }
      break;
    case WM_INITMENUPOPUP:
      OnMenuOpening(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      if (commands_ != nullptr) {
        // Where the pointer is now: the move may just have brought the window back from the
        // edge, and the message's position is relative to where the window was.
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(window_, &at);
        commands_->FormMouseMove(win::PixelsToTwips(at.x, win::WindowDpi(window_)));
      }
      return 0;
    case WM_WINDOWPOSCHANGING: {
      // Whoever resizes the window, it keeps its size; minimising alone makes it smaller.
      auto* place = reinterpret_cast<WINDOWPOS*>(lParam);
      if ((place->flags & SWP_SHOWWINDOW) != 0) EnsureControls();
      if ((place->flags & SWP_NOSIZE) == 0 && !IsIconic(window_)) {
        UINT dpi = win::WindowDpi(window_);
        place->cx = win::TwipsToPixels(kWindowWidth, dpi);
        place->cy = win::TwipsToPixels(kWindowHeight, dpi);
      }
      break;
    }
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED && commands_ != nullptr) commands_->Minimised();
      return 0;
    case WM_CLOSE:
      // The close box only hides the window or parks it; the program goes on in the background.
      if (program_ != nullptr && program_->core.flags.QuitRequested) {
        Unload();
      } else if (commands_ != nullptr) {
        commands_->Hide();
      }
      return 0;
    case kCommandLaterMessage:
      RunLaterJobs();
      return 0;
    case kUnloadMessage:
      if (win::AnyModalRunning()) {
        // A dialog, message box or file dialog of ours is still in its loop, with its window
        // and its caller on the stack: each is ended first, and the unload comes after.
        win::EndModalLoops([window = window_] { PostMessageW(window, kUnloadMessage, 0, 0); });
        return 0;
      }
      if (program_ != nullptr) program_->ShutDown();
      settingsDialog_.reset();  // the other windows go first
      editorDialog_.reset();
      helpWindow_.reset();
      aboutWindow_.reset();
      saveListDialog_.reset();
      importListDialog_.reset();
      pad_.reset();
      singleCopy_.Release();
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      // The menu bar is this object's to free, not the window's.
      SetMenu(window_, nullptr);
      mainProcInstalled_ = false;
      PostQuitMessage(0);
      return 0;
    case WM_SYSCOLORCHANGE:
      if (grid_ != nullptr) grid_->OnSystemColoursChanged();
      break;
    case WM_SETTINGCHANGE:
      // The user's variables changed: later launches see them (a program installed since).
      if (program_ != nullptr && win::AnnouncesEnvironment(lParam))
        program_->core.actions.RefreshEnvironment();
      // A high-contrast theme switched on or off: the marked rows take its colours.
      if (wParam == SPI_SETHIGHCONTRAST && grid_ != nullptr) grid_->OnSystemColoursChanged();
      break;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
      SetControlFont();
      LayOut();
      tray_.DpiChanged();
      ReloadMenuImages();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

std::optional<LRESULT> MainWindow::OnGridNotify(const NMHDR& header) {
  if (grid_ == nullptr || header.hwndFrom != grid_->Handle()) return std::nullopt;
  if (header.code == NM_DBLCLK) {
    if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) commands_->RunTarget();
    return 0;
  }
  if (header.code == NM_RCLICK) {
    commands_->GridRightPress();
    return 0;
  }
  if (header.code == NM_CLICK) {
    commands_->GridLeftPress();
    return 0;
  }
  return grid_->HandleNotify(header);
}

void MainWindow::ShowNormal() {
  EnsureControls();
  ShowWindow(window_, SW_RESTORE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void MainWindow::Show() {
  EnsureControls();
  // A window hidden while minimised comes back as it was before.
  ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window_);
}

void MainWindow::Hide() { ShowWindow(window_, SW_HIDE); }

void MainWindow::AddTrayIcon() { tray_.Add(!started_); }

void MainWindow::RemoveTrayIcon() { tray_.Remove(); }

void MainWindow::SetTrayPicture(TrayPicture picture) { tray_.SetPicture(picture); }

void MainWindow::StartTrayMenuTimer() {
  SetTimer(window_, wm::kTrayMenuTimerId, GetDoubleClickTime(), nullptr);
}

void MainWindow::StopTrayMenuTimer() { KillTimer(window_, wm::kTrayMenuTimerId); }

ScreenEdge MainWindow::ParkingEdgeNow() {
  RECT r{};
  GetWindowRect(window_, &r);
  std::optional<ScreenEdge> edge = ParkingEdge(win::DesktopScreens(window_), win::ScreenRectOf(r));
  // No screen to be told of: the main screen, as always.
  return edge ? *edge : ScreenEdge{GetSystemMetrics(SM_CXSCREEN), win::WindowDpi(window_)};
}

void MainWindow::RevealFromEdge() {
  RECT r{};
  GetWindowRect(window_, &r);
  const ScreenEdge edge = ParkingEdgeNow();
  int margin = win::TwipsToPixels(20, edge.dpi);
  SetWindowPos(window_, nullptr, edge.right - (r.right - r.left) - margin, r.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

EdgePlace MainWindow::ParkingPlace() {
  RECT r{};
  GetWindowRect(window_, &r);
  const ScreenEdge edge = ParkingEdgeNow();
  return {win::PixelsToTwips(r.left, edge.dpi), win::PixelsToTwips(edge.right, edge.dpi), edge.dpi};
}

void MainWindow::SetWindowLeft(int twips, unsigned dpi) {
  RECT r{};
  GetWindowRect(window_, &r);
  const int left = win::TwipsToPixels(twips, dpi);
  const UINT dpiBefore = win::WindowDpi(window_);
  SetWindowPos(window_, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Onto a screen of another DPI, the window took the place suggested for its new size
  // (WM_DPICHANGED): it goes back to where it was put.
  if (win::WindowDpi(window_) != dpiBefore) {
    SetWindowPos(window_, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

PadWindow& MainWindow::Pad() {
  if (pad_ == nullptr || pad_->Handle() == nullptr) {
    pad_.reset();
    PadServices services{system_, program_->core.flags.PadContentSaved,
                         [this] { ProcessPendingMessages(); }, nullptr, nullptr,
                         [this](bool saved) { FollowPadSaved(saved); }};
    pad_ = std::make_unique<PadWindow>(std::move(services));
    pad_->Create(instance_);
  }
  return *pad_;
}

void MainWindow::ShowPad() { Pad().Show(); }

void MainWindow::ShowPadForAction() { Pad().ShowForAction(); }

void MainWindow::RestoreWindowProcedures() { mainProcInstalled_ = false; }

void MainWindow::Unload() { PostMessageW(window_, kUnloadMessage, 0, 0); }

void MainWindow::SetFrameCaption(const std::string& caption) {
  frameCaption_ = caption;
  if (controlsCreated_) SetDlgItemTextW(window_, kFrame1Id, win::Widen(caption).c_str());
}

void MainWindow::SetApplyButtonEnabled(bool enabled) {
  applyEnabled_ = enabled;
  if (controlsCreated_) EnableWindow(GetDlgItem(window_, kCommand1Id), enabled ? TRUE : FALSE);
}

void MainWindow::SetActivationOption(int index) {
  activationOption_ = index;
  if (!controlsCreated_) return;
  CheckRadioButton(window_, kOption1Id0, kOption1Id1, index == 0 ? kOption1Id0 : kOption1Id1);
}

void MainWindow::SetMouseControllerBox(bool ticked) {
  mouseControllerBox_ = ticked;
  if (controlsCreated_) CheckDlgButton(window_, kCheck1Id, ticked ? BST_CHECKED : BST_UNCHECKED);
}

void MainWindow::SendHotkeyToSelf(int id) {
  SendMessageW(window_, WM_HOTKEY, static_cast<WPARAM>(id), 0);
}

}  // namespace tarvek
