#include "shell/tray_icon_window.h"

#include "shell/resource.h"
#include "win/windows/dpi.h"
#include "win/windows/message_filter.h"
#include "win/system/tray_courier.h"

namespace tarvek {

namespace {

// Posted by the courier: whether the notification area took the icon (wParam).
constexpr UINT kTrayOfferedMessage = WM_APP + 4;
// At log-on the taskbar may not take icons yet: the icon is offered again this often, this
// many times (its restart message brings the icon as well). The same timer brings the first
// offer after the start-up.
constexpr UINT_PTR kTrayRetryTimerId = 2;
constexpr UINT kTrayRetryMilliseconds = 2000;
constexpr int kTrayRetries = 150;

}  // namespace

TrayIcon::TrayIcon() : courier_(std::make_unique<win::TrayCourier>(kTrayOfferedMessage)) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::Attach(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  owner_ = owner;
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // Run as administrator, the program would not hear the notification area's restart from the
  // ordinary programs around it, nor the icon's clicks.
  win::AllowMessagesFromOrdinaryPrograms(owner, {taskbarCreated_, wm::kTrayCallback});
}

std::optional<LRESULT> TrayIcon::OnMessage(UINT message, WPARAM wParam) {
  if (taskbarCreated_ != 0 && message == taskbarCreated_) {
    // The new taskbar may sit on a screen of another DPI.
    ReloadPictures();
    retriesLeft_ = kTrayRetries;
    Offer();
    return 0;
  }
  if (message == kTrayOfferedMessage) {
    // An answer to an offer made before the icon was removed changes nothing.
    if (!added_ || wParam != FALSE) return 0;
    if (retriesLeft_ > 0) {
      --retriesLeft_;
      SetTimer(owner_, kTrayRetryTimerId, kTrayRetryMilliseconds, nullptr);
    }
    return 0;
  }
  if (message == WM_TIMER && wParam == kTrayRetryTimerId) {
    KillTimer(owner_, kTrayRetryTimerId);
    Offer();
    return 0;
  }
  return std::nullopt;
}

void TrayIcon::DpiChanged() {
  ReloadPictures();
  if (added_) courier_->Modify(record_);
}

// Each picture is loaded when it is first wanted: most runs never show the pressed or the
// disabled one, and none shows any before start-up is over.
HICON TrayIcon::Picture(TrayPicture picture) {
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
  if (picture == TrayPicture::kPressed) chosen = load(pressed_, IDI_TRAY_PRESSED);
  if (picture == TrayPicture::kDisabled) chosen = load(disabled_, IDI_TRAY_DISABLED);
  return chosen != nullptr ? chosen : load(normal_, IDI_APP);
}

void TrayIcon::ReloadPictures() {
  // The notification area keeps its own copy of the picture it shows, so the old ones can go
  // once the calls on their way with them are done.
  for (win::UniqueIcon* icon : {&normal_, &pressed_, &disabled_}) courier_->Retire(icon->release());
  record_.hIcon = Picture(recordPicture_);
}

void TrayIcon::Offer() {
  if (!added_) return;
  // An icon already there (the taskbar answered late) only takes the new picture. The answer
  // comes back as kTrayOfferedMessage; a refusal is offered again a little later.
  KillTimer(owner_, kTrayRetryTimerId);
  courier_->Add(record_);
}

void TrayIcon::SetPicture(TrayPicture picture) {
  recordPicture_ = picture;
  record_.hIcon = Picture(picture);
  if (added_) courier_->Modify(record_);
}

void TrayIcon::Remove() {
  if (!added_) return;
  KillTimer(owner_, kTrayRetryTimerId);
  courier_->Delete(record_);
  added_ = false;
}

void TrayIcon::Add(bool deferred) {
  record_ = {};
  record_.cbSize = sizeof(record_);
  record_.hWnd = owner_;
  record_.uID = 0;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record_.uCallbackMessage = wm::kTrayCallback;
  record_.hIcon = Picture(recordPicture_);
  wcscpy_s(record_.szTip, L"LumekVorda2009");
  // Kept even when no notification area runs yet: the icon is added again whenever the
  // taskbar is (re)created.
  added_ = true;
  retriesLeft_ = kTrayRetries;
  if (deferred) {
    // Talking to the notification area takes longer than all the rest of start-up, and the
    // courier makes the call on this thread while the area answers: it comes last, after the
    // start-up, when nothing else waits (a timer's message comes only then), so that a hotkey
    // or a second copy's hand-over at start is never kept waiting on the taskbar.
    SetTimer(owner_, kTrayRetryTimerId, USER_TIMER_MINIMUM, nullptr);
    return;
  }
  Offer();
}

}  // namespace tarvek
