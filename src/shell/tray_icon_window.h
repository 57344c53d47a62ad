// The program's icon in the notification area: its record, its three pictures at the
// taskbar's DPI, adding it while the taskbar may still be starting, and adding it again when
// the taskbar comes back. The icon talks through the main window, whose procedure hands it the
// messages that are the icon's (OnMessage).
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <memory>
#include <optional>

#include "core/dispatch.h"
#include "win/system/unique_handle.h"

namespace tarvek {

namespace win {
class TrayCourier;
}

// Every call to the notification area goes through a courier, which hands it to a thread of
// its own while the area keeps us waiting: the area is another process's, and while it does not
// answer, the program's windows and questions must.
class TrayIcon {
 public:
  TrayIcon();
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The window the icon belongs to and whose messages carry its clicks; the pictures come from
  // the program's resources.
  void Attach(HINSTANCE instance, HWND owner);

  // The taskbar's restart, the icon the start-up asked for, and the retries while the taskbar
  // cannot take it yet: 0 for those, nothing for any other message.
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam);

  // Adds the icon with the picture its record holds. deferred: the start-up is still running,
  // and the icon is added by a message of its own once the start-up is over.
  void Add(bool deferred);
  // Removes the icon, if it was added.
  void Remove();
  bool Shown() const { return added_; }
  // Puts the picture into the record: an icon that is there shows it at once, one that is not
  // shows it when it is added. Never adds or removes the icon.
  void SetPicture(TrayPicture picture);
  // The taskbar's screen changed its DPI: the pictures again at the new size.
  void DpiChanged();

 private:
  HICON Picture(TrayPicture picture);
  void ReloadPictures();
  // Adds the icon, or tries again a little later while the taskbar cannot take it yet.
  void Offer();

  HINSTANCE instance_ = nullptr;
  HWND owner_ = nullptr;
  UINT taskbarCreated_ = 0;
  bool added_ = false;  // kept while the taskbar is away: it is added again when it is back
  int retriesLeft_ = 0;
  NOTIFYICONDATAW record_{};
  TrayPicture recordPicture_ = TrayPicture::kNormal;
  win::UniqueIcon normal_;
  win::UniqueIcon pressed_;
  win::UniqueIcon disabled_;
  // Last: it goes first, and waits a little for the calls still on their way with the pictures.
  std::unique_ptr<win::TrayCourier> courier_;
};

}  // namespace tarvek
