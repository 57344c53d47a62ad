#include "help/about_window.h"

#include <string>

#include "shell/resource.h"
#include "win/windows/dpi.h"
#include "win/system/strings.h"

namespace tarvek {

using namespace about_ids;

namespace {

// A plain thin border, no caption: the picture is the window.
constexpr win::WindowLayout kWindow{L"TarvekHotKeyAbout", L"关于", 4575, 4095, WS_POPUP | WS_BORDER,
                                    WS_EX_CONTROLPARENT};

// The labels take their clicks (SS_NOTIFY), so that a click on one of them, the web address
// above all, is no click on the picture.
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;

constexpr win::ControlLayout kControls[] = {
    {kCommand1Id, L"BUTTON", L"帮助 &H", kButton, 0, 1920, 3600, 1215, 375},
    {kCommand2Id, L"BUTTON", L"关闭 &C", kButton, 0, 3240, 3600, 1215, 375},
    {kLabel1Id, L"STATIC", L"V1.0 beta", kLabel, 0, 3120, 2040, 1095, 255},
    {kLabel2Id, L"STATIC", L"Lumek软件工作室", kLabel, 0, 1560, 2760, 1575, 255},
    {kLabel3Id, L"STATIC", kAboutWebAddress, kLabel, 0, 1200, 3000, 2175, 255},
};

// The picture is 304 x 271 pixels at 96 dpi (15 twips a pixel), scaled to the window's DPI; its
// outermost pixels are one colour, which also fills the client area's last pixel or two.
constexpr int kPictureWidth = 304 * 15, kPictureHeight = 271 * 15;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLinkBlue = RGB(128, 128, 255);

}  // namespace

AboutWindow::AboutWindow(std::function<void()> openHelp)
    : DialogWindow(kWindow, kControls), openHelp_(std::move(openHelp)) {}

bool AboutWindow::Create(HINSTANCE instance, HWND owner) {
  // A run-length encoded bitmap: a DIB section cannot hold one, a screen bitmap can.
  picture_.reset(LoadImageW(instance, MAKEINTRESOURCEW(IDB_ABOUT_PICTURE), IMAGE_BITMAP, 0, 0, 0));
  return DialogWindow::Create(instance, owner);
}

void AboutWindow::OnFontsMade() {
  // 10.5 points, in the face of the message font.
  LOGFONTW font = win::MessageFont(Dpi());
  font.lfHeight = -MulDiv(105, static_cast<int>(Dpi()), 720);
  font.lfWidth = 0;
  font.lfWeight = FW_NORMAL;
  font.lfItalic = FALSE;
  plainFont_.reset(CreateFontIndirectW(&font));
  font.lfUnderline = TRUE;
  underlineFont_.reset(CreateFontIndirectW(&font));
  font.lfUnderline = FALSE;
  font.lfWeight = FW_BOLD;
  boldFont_.reset(CreateFontIndirectW(&font));
}

HFONT AboutWindow::FontFor(int id) const {
  switch (id) {
    case kLabel1Id:
      return static_cast<HFONT>(boldFont_.get());
    case kLabel2Id:
      return static_cast<HFONT>(plainFont_.get());
    case kLabel3Id:
      return static_cast<HFONT>(underlineFont_.get());
    default:
      return Font();
  }
}

void AboutWindow::LayOut() {
  DialogWindow::LayOut();
  // A label whose font sets its text wider than its place grows to the right rather than
  // cutting the text off (fonts differ from system to system).
  for (int id : {kLabel1Id, kLabel2Id, kLabel3Id}) {
    HWND label = Control(id);
    RECT place{};
    GetWindowRect(label, &place);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
    std::wstring text = win::Widen(Text(id));
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, FontFor(id));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    if (size.cx > place.right - place.left) {
      MoveWindow(label, place.left, place.top, size.cx + 2, place.bottom - place.top, TRUE);
    }
  }
}

void AboutWindow::ShowModal() {
  pressed_ = false;
  helpWanted_ = false;
  RunModal();
  // The box is hidden by now; the help window is the user's next window, not one over it.
  if (helpWanted_ && openHelp_) {
    helpWanted_ = false;
    openHelp_();
  }
}

void AboutWindow::Clicked(AboutPart part) {
  AboutReaction reaction = AboutBoxClicked(part);
  if (!reaction.hide) return;
  helpWanted_ = reaction.openHelp;
  EndModal();  // the loop hides the box as it returns
}

void AboutWindow::OnCommand(int id, int notification) {
  switch (id) {
    case kCommand1Id:
      return Clicked(AboutPart::kHelpButton);
    case kCommand2Id:
      return Clicked(AboutPart::kCloseButton);
    case kLabel1Id:
    case kLabel2Id:
    case kLabel3Id:
      if (notification == STN_CLICKED || notification == STN_DBLCLK) Clicked(AboutPart::kLabel);
      return;
    default:
      return;
  }
}

void AboutWindow::PaintBackground(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, picture_.get());
  BITMAP info{};
  GetObjectW(picture_.get(), sizeof(info), &info);
  // The frame colour first, for whatever the picture leaves uncovered.
  COLORREF frame = GetPixel(source, 0, 0);
  HBRUSH fill = CreateSolidBrush(frame == CLR_INVALID ? RGB(0, 0, 0) : frame);
  FillRect(dc, &client, fill);
  DeleteObject(fill);
  SetStretchBltMode(dc, HALFTONE);
  StretchBlt(dc, 0, 0, Px(kPictureWidth), Px(kPictureHeight), source, 0, 0, info.bmWidth,
             info.bmHeight, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

std::optional<LRESULT> AboutWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      if (picture_) {
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
      }
      return std::nullopt;
    case WM_CTLCOLORSTATIC: {
      // The labels are drawn straight onto the picture.
      auto dc = reinterpret_cast<HDC>(wParam);
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      SetTextColor(dc, id == kLabel3Id ? kLinkBlue : kWhite);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_LBUTTONDOWN:
      pressed_ = true;
      return 0;
    case WM_LBUTTONUP:
      // A click is a press and a release on the picture.
      if (pressed_) {
        pressed_ = false;
        Clicked(AboutPart::kBackground);
      }
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace tarvek
