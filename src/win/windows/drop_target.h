// An OLE drop target for a window, handing what is dragged over it to the window's handler:
// the handler says what a drop at a point would do, and gets the data object when it comes.
#pragma once

#include <ole2.h>

#include <optional>
#include <string>
#include <vector>

namespace tarvek::win {

// The formats of a data object the program takes: a file list and plain text.
struct DragOffer {
  bool files = false;  // CF_HDROP
  bool text = false;   // CF_UNICODETEXT or CF_TEXT
};
DragOffer OfferOf(IDataObject* data);
// The dropped files, in order; empty when there are none.
std::vector<std::string> DroppedFiles(IDataObject* data);
// The text, from CF_UNICODETEXT or else CF_TEXT (in the ANSI code page); none without either.
std::optional<std::string> DroppedText(IDataObject* data);

class DropHandler {
 public:
  virtual ~DropHandler() = default;
  // DROPEFFECT_COPY to take such a drop at this screen point, DROPEFFECT_NONE to refuse it.
  virtual DWORD DragEffect(const DragOffer& offer, POINT screen) = 0;
  // The drop itself; returns the effect it had. It should return soon: the program the drop
  // comes from waits until it does.
  virtual DWORD Dropped(IDataObject* data, const DragOffer& offer, POINT screen) = 0;
};

// Registered on a window with Register and taken off with Revoke (before the window goes).
// The COM object outlives this holder for as long as OLE keeps a reference to it, but calls
// nobody once revoked.
class DropTarget {
 public:
  explicit DropTarget(DropHandler& handler);
  ~DropTarget();
  DropTarget(const DropTarget&) = delete;
  DropTarget& operator=(const DropTarget&) = delete;

  // Needs OLE on the thread (EnsureOle); false when the window could not be registered.
  bool Register(HWND window);
  void Revoke();
  // The target itself, as OLE calls it.
  IDropTarget* Get() const;

 private:
  class Object;
  Object* object_;
  HWND window_ = nullptr;
};

}  // namespace tarvek::win
