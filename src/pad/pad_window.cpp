#include "pad/pad_window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "shell/resource.h"
#include "win/windows/common_controls.h"
#include "win/windows/dpi.h"
#include "win/windows/dropped_files.h"
#include "win/system/files.h"
#include "win/launch/launch_routes.h"
#include "win/system/on_demand.h"
#include "win/system/strings.h"

namespace tarvek {

using namespace pad_ids;

namespace {

// Sizable, on top of every other window, with a taskbar button of its own.
constexpr win::WindowLayout kWindow{L"TarvekHotKeyPad", L"即拖即存", 4530, 4725, WS_OVERLAPPEDWINDOW,
                                    WS_EX_TOPMOST | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW};

// The frame "拖放设置" as made; what lies on it is placed relative to it.
constexpr int kFrameLeft = 105, kFrameTop = 2880;
constexpr int kButtonsLeft = 3285;  // the column 保存, 另存为, 打开, 关闭 within the frame
constexpr int kTextLeft = 120, kTextTop = 120;
constexpr int kBusyHeight = 2655;
// The layout's rules were made for the window's outer size with the thin frame it was drawn
// with; taking them from the client area plus that frame keeps the margins on every frame.
constexpr int kDrawnFrameWidth = 155, kDrawnFrameHeight = 445;

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | kTab;
constexpr DWORD kButton = BS_PUSHBUTTON | kTab;

constexpr win::ControlLayout InFrame(int id, const wchar_t* className, const wchar_t* caption,
                                     DWORD style, int left, int top, int width, int height) {
  return {id, className, caption, style, 0, kFrameLeft + left, kFrameTop + top, width, height};
}

// In creation order: the tab order; the frame under what lies on it; the busy panel, hidden,
// is raised over the text when it shows.
constexpr win::ControlLayout kControls[] = {
    {kText1Id, L"EDIT", L"", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | kTab,
     WS_EX_CLIENTEDGE, kTextLeft, kTextTop, 4335, 2655},
    InFrame(kCheck1Id, L"BUTTON", L"收到拖放以后先清空原来的内容", kCheck, 120, 240, 3100, 240),
    InFrame(kCheck2Id, L"BUTTON", L"支持文件拖放", kCheck, 120, 480, 2160, 240),
    InFrame(kCheck3Id, L"BUTTON", L"仅支持文本文件的拖放", kCheck, 120, 720, 2160, 240),
    InFrame(kCheck4Id, L"BUTTON", L"运行后自动最小化", kCheck, 120, 960, 2160, 240),
    InFrame(kOption1Id, L"BUTTON", L"后接收的内容放在后面", BS_AUTORADIOBUTTON | kTab, 120, 1200,
            2160, 240),
    InFrame(kOption2Id, L"BUTTON", L"后接收的内容放在前面", BS_AUTORADIOBUTTON, 120, 1440, 2160,
            240),
    InFrame(kCommand7Id, L"BUTTON", L"修正", kButton, 2400, 570, 495, 405),
    InFrame(kCommand4Id, L"BUTTON", L"清&R", kButton, 2400, 960, 495, 375),
    InFrame(kCommand5Id, L"BUTTON", L"计&S", kButton, 2400, 1320, 495, 375),
    InFrame(kCommand2Id, L"BUTTON", L"保存(&S)", kButton, kButtonsLeft, 180, 975, 375),
    InFrame(kCommand1Id, L"BUTTON", L"另存为...", kButton, kButtonsLeft, 570, 975, 375),
    InFrame(kCommand6Id, L"BUTTON", L"打开(&O)", kButton, kButtonsLeft, 960, 975, 390),
    InFrame(kCommand3Id, L"BUTTON", L"关闭(&C)", kButton, kButtonsLeft, 1380, 975, 375),
    // The four lines: under the options, and along and over the two button columns.
    InFrame(kLine1Id, L"STATIC", nullptr, SS_ETCHEDHORZ, 120, 1710, 2160, 30),
    InFrame(kLine2Id, L"STATIC", nullptr, SS_ETCHEDVERT, 2325, 540, 30, 1155),
    InFrame(kLine3Id, L"STATIC", nullptr, SS_ETCHEDVERT, kButtonsLeft - 105, 180, 30, 1575),
    InFrame(kLine4Id, L"STATIC", nullptr, SS_ETCHEDHORZ, 2400, 510, 495, 30),
    InFrame(kFrame1Id, L"BUTTON", L"拖放设置", BS_GROUPBOX, 0, 0, 4380, kPadFrameHeight),
    {kWait1Id, L"STATIC", L"", SS_LEFT, WS_EX_CLIENTEDGE, kTextLeft, kTextTop, 4335, kBusyHeight},
    {kLabel2Id, L"STATIC", L"正在处理拖放内容", SS_LEFT | SS_NOPREFIX, 0, kTextLeft + 1020,
     kTextTop + 1080, 1920, 240},
    {kLabel3Id, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0, kTextLeft + 3000, kTextTop + 1080, 1200,
     240},
};

// The box wraps its lines by the pad's own rule, which looks at one line only.
int CALLBACK WordBreak(LPWSTR text, int index, int count, int action) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return PadWordBreakAt(reinterpret_cast<const char16_t*>(text), index, count,
                        static_cast<PadWordBreak>(action));
}

bool InButtonColumn(int id) {
  return id == kCommand2Id || id == kCommand1Id || id == kCommand6Id || id == kCommand3Id ||
         id == kLine3Id;
}

constexpr UINT_PTR kBusyTimer = 1;
constexpr UINT_PTR kTextBoxSubclass = 1;
// The long loops let messages through at most this often: enough for the dots and painting.
constexpr ULONGLONG kPumpEveryMs = 30;
// Text goes into the text box in pieces of characters, the first small (the box is slow to
// start), the rest sized so that each takes about kPieceMs: the box lays out a few hundred
// thousand characters a second under Wine, many more on Windows, and under Wine each piece also
// costs it a walk over all the text it holds, which on a text of 50 MB takes a tenth of a second.
constexpr std::size_t kFirstPiece = 1u << 13;
constexpr std::size_t kNewBoxOver = 1u << 16;  // bytes of new text that go into an emptied box
constexpr std::size_t kMinPiece = 1u << 11;
constexpr std::size_t kMaxPiece = 1u << 20;
constexpr double kPieceMs = 80;

}  // namespace

bool PadWindow::Files::FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(win::FileCallPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

PadFilePort::Read PadWindow::Files::ReadFile(const std::string& path, std::size_t maxBytes,
                                             std::string& bytes) {
  switch (win::ReadWholeFile(path, maxBytes, bytes)) {
    case win::FileRead::kOk:
      return Read::kOk;
    case win::FileRead::kTooLarge:
      return Read::kTooLarge;
    case win::FileRead::kFailed:
      break;
  }
  return Read::kFailed;
}

bool PadWindow::Files::ReplaceFile(const std::string& path, const std::string& bytes) {
  return win::ReplaceFileAtomically(path, bytes);
}

PadWindow::PadWindow(PadServices services)
    : DialogWindow(kWindow, kControls),
      services_(std::move(services)),
      model_(*this, files_, services_.codec,
             services_.dialogs != nullptr ? *services_.dialogs : Messages(),
             services_.contentSaved),
      dropTarget_(*this) {
  model_.onSavedChanged = services_.savedChanged;
}

PadWindow::~PadWindow() {
  dropTarget_.Revoke();
  if (window_ != nullptr) KillTimer(window_, kBusyTimer);
}

bool PadWindow::Create(HINSTANCE instance) {
  if (!DialogWindow::Create(instance, nullptr)) return false;
  HWND text = Control(kText1Id);
  // Files also come the old way: Explorer drops them so on a window whose OLE drops it cannot
  // reach, one of a copy that runs as administrator.
  win::AcceptDroppedFiles(text);
  // There, a registered OLE target would stand in that way's stead and refuse Explorer's drop;
  // elevated programs are rare sources of dragged text. Elsewhere drag and drop wants OLE;
  // without it the pad still takes files.
  if (!win::ElevatedAboveDesktop() && win::EnsureOle()) dropTarget_.Register(text);
  return true;
}

void PadWindow::OnCreated() {
  HWND text = Control(kText1Id);
  // The text box takes texts of any length, not the 32 000 characters it starts with.
  SendMessageW(text, EM_SETLIMITTEXT, 0, 0);
  SendMessageW(text, EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(WordBreak));
  win::AddSubclass(text, TextBoxProc, kTextBoxSubclass, reinterpret_cast<DWORD_PTR>(this));
  CheckDlgButton(window_, kCheck2Id, model_.options.takeDrops ? BST_CHECKED : BST_UNCHECKED);
  CheckRadioButton(window_, kOption1Id, kOption2Id,
                   model_.options.addAfter ? kOption1Id : kOption2Id);
  for (int id : {kWait1Id, kLabel2Id, kLabel3Id}) ShowWindow(Control(id), SW_HIDE);
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (auto [size, kind] : {std::pair{SM_CXICON, ICON_BIG}, std::pair{SM_CXSMICON, ICON_SMALL}}) {
    auto icon = LoadImageW(module, MAKEINTRESOURCEW(IDI_PAD), IMAGE_ICON, GetSystemMetrics(size),
                           GetSystemMetrics(size), LR_SHARED);
    if (icon != nullptr) SendMessageW(window_, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
  }
  SetTopmost(true);
  model_.Created();
}

void PadWindow::Show() { ShowModeless(); }

void PadWindow::ShowForAction() {
  ShowModeless();
  if (model_.options.minimiseAfterShow) ShowWindow(window_, SW_MINIMIZE);
}

void PadWindow::LayOut() {
  if (settingText_) {  // a new DPI while a text goes in: the whole layout once it is in
    layOutAfter_ = true;
    return;
  }
  DialogWindow::LayOut();
  PlaceControls();
}

void PadWindow::PlaceControls() {
  RECT client{};
  GetClientRect(window_, &client);
  UINT dpi = Dpi();
  layout_ = LayOutPad(win::PixelsToTwips(client.right, dpi) + kDrawnFrameWidth,
                      win::PixelsToTwips(client.bottom, dpi) + kDrawnFrameHeight, layout_);
  auto place = [this](int id, int left, int top, int width, int height) {
    MoveWindow(Control(id), Px(left), Px(top), Px(width), Px(height), TRUE);
  };
  for (const win::ControlLayout& c : kControls) {
    if (c.id == kText1Id) {
      // A box that changes size lays out all its text again: while a text goes in, once, after.
      if (settingText_) {
        placeBoxAfter_ = true;
        continue;
      }
      place(c.id, c.left, c.top, layout_.textWidth, layout_.textHeight);
    } else if (c.id == kWait1Id) {
      place(c.id, c.left, c.top, layout_.busyWidth, kBusyHeight);
    } else if (c.id == kFrame1Id) {
      place(c.id, c.left, layout_.frameTop, layout_.frameWidth, c.height);
    } else if (c.top >= kFrameTop) {
      // On the frame: it moves with the frame, the big buttons with the frame's right edge.
      int left = InButtonColumn(c.id) ? c.left - kButtonsLeft + layout_.buttonsLeft : c.left;
      place(c.id, left, c.top - kFrameTop + layout_.frameTop, c.width, c.height);
    }
  }
}

void PadWindow::ReadOptions() {
  auto ticked = [this](int id) { return IsDlgButtonChecked(window_, id) == BST_CHECKED; };
  model_.options.clearBeforeDrop = ticked(kCheck1Id);
  model_.options.takeDrops = ticked(kCheck2Id);
  model_.options.textFilesOnly = ticked(kCheck3Id);
  model_.options.minimiseAfterShow = ticked(kCheck4Id);
  model_.options.addAfter = ticked(kOption1Id);
}

void PadWindow::OnCommand(int id, int notification) {
  if (id == kText1Id) {
    if (notification == EN_CHANGE && !settingText_) model_.TextEdited();
    return;
  }
  if (notification != BN_CLICKED) return;
  // The long commands let other messages run: the program's end waits for them as for a
  // dialog, instead of destroying the window under them.
  win::ModalScope scope;
  switch (id) {
    case kCheck1Id:
    case kCheck2Id:
    case kCheck3Id:
    case kCheck4Id:
    case kOption1Id:
    case kOption2Id:
      ReadOptions();
      break;
    case kCommand7Id:
      model_.Tidy();
      break;
    case kCommand4Id:
      model_.Clear();
      FocusText();
      break;
    case kCommand5Id:
      model_.Count();
      FocusText();
      break;
    case kCommand2Id:
      model_.Save();
      break;
    case kCommand1Id:
      model_.SaveAs();
      break;
    case kCommand6Id:
      model_.Open();
      break;
    case kCommand3Id:
      model_.Close();
      break;
    default:
      break;
  }
}

void PadWindow::OnClose() {
  // The close box of an unsaved pad does nothing; otherwise the pad goes, options and all.
  if (model_.CloseBoxAllowed()) DestroyWindow(window_);
}

std::optional<LRESULT> PadWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) PlaceControls();
      return 0;
    case WM_TIMER:
      if (wParam != kBusyTimer) break;
      DialogWindow::SetText(kLabel3Id, model_.NextDots());
      return 0;
    case kTakeDropMessage:
      if (pendingDrop_) {
        PadDrop drop = std::move(*pendingDrop_);
        pendingDrop_.reset();
        win::ModalScope scope;
        model_.TakeDrop(drop);
      }
      return 0;
    case WM_DESTROY:
      dropTarget_.Revoke();
      KillTimer(window_, kBusyTimer);
      break;
    default:
      break;
  }
  return std::nullopt;
}

std::string PadWindow::Text() { return win::WindowText(Control(kText1Id)); }

bool PadWindow::SetText(const std::string& text) {
  // A NUL would end the text there: such a text is not one the box can take whole.
  if (text.find('\0') != std::string::npos) return false;
  HWND box = Control(kText1Id);
  const std::string old = Text();
  if (old == text) return true;
  // Only what differs is replaced: the box lays out every line it takes in, which for some
  // megabytes takes seconds, and a drop in front of a long text or a tidy of a few tags then
  // lays out little. The common ends are cut back to whole characters.
  auto starts = [&text](std::size_t at) {
    return at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
  };
  std::size_t shorter = std::min(old.size(), text.size());
  std::size_t prefix = 0;
  while (prefix < shorter && old[prefix] == text[prefix]) ++prefix;
  while (prefix > 0 && !starts(prefix)) --prefix;
  std::size_t suffix = 0;
  while (suffix < shorter - prefix &&
         old[old.size() - 1 - suffix] == text[text.size() - 1 - suffix]) {
    ++suffix;
  }
  while (suffix > 0 && !starts(text.size() - suffix)) --suffix;
  std::string_view insert(text.data() + prefix, text.size() - prefix - suffix);
  // A text that is mostly new goes into an empty box whose buffer already has room for all of
  // it: growing the buffer piece by piece would copy all that came before at every piece.
  const std::size_t units = Utf16Length(text);
  const bool rebuild = insert.size() > prefix + suffix && insert.size() > kNewBoxOver;

  settingText_ = true;
  // Long texts go in piece by piece, letting messages through between pieces, so that the
  // window keeps painting and answering. Nobody types into the box meanwhile, and it is drawn
  // once, at the end.
  SendMessageW(box, EM_SETREADONLY, TRUE, 0);
  SendMessageW(box, WM_SETREDRAW, FALSE, 0);
  // A long text goes into a hidden box (the busy panel shows meanwhile): under Wine a shown
  // box lays out its lines at about half the speed, for the device context of each line.
  const bool hide = insert.size() > kNewBoxOver && IsWindowVisible(box);
  const bool focused = GetFocus() == box;
  if (hide) ShowWindow(box, SW_HIDE);
  std::size_t at = 0;
  std::size_t held = 0;  // characters the box holds besides the pieces still to come
  if (rebuild) {
    insert = text;
    HLOCAL fresh = LocalAlloc(LMEM_MOVEABLE, (units + 1) * sizeof(wchar_t));
    if (auto* buffer = fresh != nullptr ? static_cast<wchar_t*>(LocalLock(fresh)) : nullptr) {
      buffer[0] = L'\0';
      LocalUnlock(fresh);
      auto former = reinterpret_cast<HLOCAL>(SendMessageW(box, EM_GETHANDLE, 0, 0));
      SendMessageW(box, EM_SETHANDLE, reinterpret_cast<WPARAM>(fresh), 0);
      if (former != nullptr && former != fresh) LocalFree(former);
    } else {
      if (fresh != nullptr) LocalFree(fresh);
      SetWindowTextW(box, L"");
    }
  } else {
    at = Utf16Length(std::string_view(text).substr(0, prefix));
    std::size_t oldEnd = Utf16Length(std::string_view(old).substr(0, old.size() - suffix));
    SendMessageW(box, EM_SETSEL, at, static_cast<LPARAM>(oldEnd));
    held = Utf16Length(old) - (oldEnd - at);
    // The first piece replaces the selection.
  }
  // The pieces go in from the last one back, each in front of those before it: the box then
  // finds the place and the caret near the top of its text, where on a long text it would walk
  // over all its lines for each piece put at the end.
  bool stopped = false;
  bool first = true;
  PadPieceSizer sizer(kPieceMs, kFirstPiece, kMinPiece, kMaxPiece);
  double bytesPerCharacter = 1;
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  do {
    std::size_t cut = 0;
    const auto pieceBytes = static_cast<std::size_t>(
        static_cast<double>(sizer.Next(held)) * bytesPerCharacter);
    if (insert.size() > pieceBytes) {
      // A piece starts after a line end near its size, or else at a character's start.
      cut = insert.size() - pieceBytes;
      std::size_t lf = insert.find('\n', cut);
      if (lf != std::string_view::npos && lf + 1 < insert.size() - pieceBytes / 2) {
        cut = lf + 1;
      } else {
        auto inside = [&insert](std::size_t at) {
          return at < insert.size() && (static_cast<unsigned char>(insert[at]) & 0xC0) == 0x80;
        };
        while (inside(cut)) ++cut;
        if (cut == insert.size()) cut = 0;  // no character starts there: the rest in one piece
      }
    }
    const std::size_t size = insert.size() - cut;
    std::wstring piece = win::Widen(insert.substr(cut));
    if (!first) SendMessageW(box, EM_SETSEL, at, static_cast<LPARAM>(at));
    first = false;
    LARGE_INTEGER before{}, after{};
    QueryPerformanceCounter(&before);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    QueryPerformanceCounter(&after);
    sizer.Took(piece.size(), held,
               static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 /
                   static_cast<double>(frequency.QuadPart));
    held += piece.size();
    if (!piece.empty()) bytesPerCharacter = static_cast<double>(size) / piece.size();
    insert.remove_suffix(size);
    stopped = !insert.empty() && !KeepResponsive();  // the program is ending
  } while (!insert.empty() && !stopped);
  bool whole = static_cast<std::size_t>(GetWindowTextLengthW(box)) == units;
  if (!whole && !stopped) SetWindowTextW(box, win::Widen(old).c_str());  // no room for it
  SendMessageW(box, EM_SETREADONLY, FALSE, 0);
  SendMessageW(box, EM_SETSEL, 0, 0);  // as a text set in one go: the caret at its start
  SendMessageW(box, EM_SCROLLCARET, 0, 0);
  SendMessageW(box, WM_SETREDRAW, TRUE, 0);
  if (hide) {
    ShowWindow(box, SW_SHOWNA);
    if (focused && GetFocus() == window_) SetFocus(box);
  }
  settingText_ = false;
  if (layOutAfter_) {
    LayOut();
  } else if (placeBoxAfter_) {
    PlaceControls();
  }
  layOutAfter_ = placeBoxAfter_ = false;
  InvalidateRect(box, nullptr, TRUE);
  return whole;
}

void PadWindow::ShowBusy(bool on) {
  if (on) {
    DialogWindow::SetText(kLabel3Id, "");
    for (int id : {kWait1Id, kLabel2Id, kLabel3Id}) {
      SetWindowPos(Control(id), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    SetTimer(window_, kBusyTimer, 200, nullptr);
  } else {
    KillTimer(window_, kBusyTimer);
    for (int id : {kWait1Id, kLabel2Id, kLabel3Id}) ShowWindow(Control(id), SW_HIDE);
  }
  UpdateWindow(window_);
}

void PadWindow::SetTopmost(bool on) {
  SetWindowPos(window_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool PadWindow::KeepResponsive() {
  ULONGLONG now = GetTickCount64();
  if (now - lastPump_ >= kPumpEveryMs && services_.pumpMessages) {
    services_.pumpMessages();
    lastPump_ = GetTickCount64();
  }
  return !win::ModalEndRequested() && window_ != nullptr;
}

std::optional<std::string> PadWindow::ChooseFile(bool save, const std::string& currentFile) {
  if (services_.chooseFile) return services_.chooseFile(save);
  win::FileDialogOptions options;
  options.save = save;
  options.title = kPadDialogTitle;
  options.filter = kPadDialogFilter;
  options.defaultExtension = kPadDefaultExtension;
  // The dialog starts at the current file: its name offered for saving, its folder for both.
  std::size_t slash = currentFile.find_last_of('\\');
  if (slash != std::string::npos) options.folder = currentFile.substr(0, slash);
  if (save) options.file = currentFile;
  options.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                  (save ? 0 : OFN_FILEMUSTEXIST);
  return FileDialog(options);
}

LRESULT CALLBACK PadWindow::TextBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self) {
  if (message == WM_DROPFILES) {
    try {  // no exception may leave a window procedure
      reinterpret_cast<PadWindow*>(self)->FilesDropped(reinterpret_cast<HDROP>(wParam));
    } catch (...) {
    }
    return 0;
  }
  if (message == WM_PAINT && reinterpret_cast<PadWindow*>(self)->settingText_) {
    // While a text goes in the box shows what it showed: Wine's box goes on painting after
    // WM_SETREDRAW, and its painting walks over every line above the one in view.
    ValidateRect(box, nullptr);
    return 0;
  }
  if (message == WM_GETDLGCODE && lParam != 0) {
    // A multi-line box wants every key; Esc it leaves to the dialog keys, which press 修正.
    const MSG* key = reinterpret_cast<const MSG*>(lParam);
    if (key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE) {
      return win::DefaultSubclassProc(box, message, wParam, lParam) &
             ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    }
  }
  return win::DefaultSubclassProc(box, message, wParam, lParam);
}

}  // namespace tarvek
