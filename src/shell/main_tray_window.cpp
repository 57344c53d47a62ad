// The main window's icon in the notification area: its pictures at the taskbar's DPI, adding it
// while the taskbar may still be starting, and adding it again when the taskbar comes back.
#include "shell/main_window.h"

#include "shell/resource.h"
#include "win/dpi.h"
#include "win/on_demand.h"

namespace tarvek {

namespace {

// At log-on the taskbar may not take icons yet: the icon is offered again this often, this
// many times (its restart message brings the icon as well).
constexpr UINT_PTR kTrayRetryTimerId = 2;
constexpr UINT kTrayRetryMilliseconds = 2000;
constexpr int kTrayRetries = 150;

// The notification area is the shell's: its library is loaded when the icon is first added.
// The icon needs no COM, which would cost the start more than the icon itself.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
  static const auto notify =
      win::SystemFunction<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
  return notify != nullptr ? notify(message, data) : FALSE;
}

}  // namespace

std::optional<LRESULT> MainWindow::OnTrayMessage(UINT message, WPARAM wParam) {
  if (taskbarCreated_ != 0 && message == taskbarCreated_) {
    // The new taskbar may sit on a screen of another DPI.
    ReloadTrayIcons();
    trayRetriesLeft_ = kTrayRetries;
    OfferTrayIcon();
    return 0;
  }
  if (message == main_ids::kAddTrayMessage) {
    OfferTrayIcon();
    return 0;
  }
  if (message == WM_TIMER && wParam == kTrayRetryTimerId) {
    KillTimer(window_, kTrayRetryTimerId);
    OfferTrayIcon();
    return 0;
  }
  return std::nullopt;
}

void MainWindow::TrayDpiChanged() {
  ReloadTrayIcons();
  if (trayAdded_) NotifyIcon(NIM_MODIFY, &tray_);
}

// Each picture is loaded when it is first wanted: most runs never show the pressed or the
// disabled one, and none shows any before start-up is over.
HICON MainWindow::TrayIcon(TrayPicture picture) {
  auto load = [this](win::UniqueIcon& icon, int id) {
    if (!icon) {
      // At the size the notification area draws at its screen's DPI, not stretched by it.
      const int size = win::SystemMetricAtDpi(SM_CXSMICON, win::TaskbarDpi());
      icon.reset(static_cast<HICON>(
          LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
    }
    return icon.get();
  };
  HICON chosen = nullptr;
  if (picture == TrayPicture::kPressed) chosen = load(trayPressed_, IDI_TRAY_PRESSED);
  if (picture == TrayPicture::kDisabled) chosen = load(trayDisabled_, IDI_TRAY_DISABLED);
  return chosen != nullptr ? chosen : load(trayNormal_, IDI_APP);
}

void MainWindow::ReloadTrayIcons() {
  // The notification area keeps its own copy of the picture it shows, so the old ones can go.
  trayNormal_.reset();
  trayPressed_.reset();
  trayDisabled_.reset();
  tray_.hIcon = TrayIcon(trayRecordPicture_);
}

void MainWindow::OfferTrayIcon() {
  if (!trayAdded_) return;
  // An icon already there (the taskbar answered late) only takes the new picture.
  if (NotifyIcon(NIM_ADD, &tray_) || NotifyIcon(NIM_MODIFY, &tray_)) {
    KillTimer(window_, kTrayRetryTimerId);
    return;
  }
  if (trayRetriesLeft_ > 0) {
    --trayRetriesLeft_;
    SetTimer(window_, kTrayRetryTimerId, kTrayRetryMilliseconds, nullptr);
  }
}

void MainWindow::SetTrayRecordPicture(TrayPicture picture) {
  trayRecordPicture_ = picture;
  tray_.hIcon = TrayIcon(picture);
}

void MainWindow::SetTrayPicture(TrayPicture picture) {
  SetTrayRecordPicture(picture);
  if (trayAdded_) NotifyIcon(NIM_MODIFY, &tray_);
}

void MainWindow::RemoveTrayIcon() {
  if (!trayAdded_) return;
  KillTimer(window_, kTrayRetryTimerId);
  NotifyIcon(NIM_DELETE, &tray_);
  trayAdded_ = false;
}

void MainWindow::AddTrayIcon() {
  tray_ = {};
  tray_.cbSize = sizeof(tray_);
  tray_.hWnd = window_;
  tray_.uID = 0;
  tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray_.uCallbackMessage = wm::kTrayCallback;
  tray_.hIcon = TrayIcon(trayRecordPicture_);
  wcscpy_s(tray_.szTip, L"LumekVorda2009");
  // Kept even when no notification area runs yet: the icon is added again whenever the
  // taskbar is (re)created.
  trayAdded_ = true;
  trayRetriesLeft_ = kTrayRetries;
  if (!started_) {
    // Talking to the notification area takes longer than all the rest of start-up: the
    // hotkeys work while the icon is added, right after, or in the loop of the first message
    // the start shows.
    PostMessageW(window_, main_ids::kAddTrayMessage, 0, 0);
    return;
  }
  OfferTrayIcon();
}

}  // namespace tarvek
