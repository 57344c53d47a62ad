// The pad's drops: OLE drags of files and text on its text box, and files dropped the old way,
// by WM_DROPFILES. What a drop holds is read at once; the pad takes it in afterwards.
#include "pad/pad_window.h"

#include <algorithm>
#include <utility>

#include "pad/pad_session.h"
#include "win/windows/dropped_files.h"
#include "win/system/strings.h"

namespace tarvek {

using namespace pad_ids;

DWORD PadWindow::DragEffect(const win::DragOffer& offer, POINT) {
  if (model_.Busy() || pendingDrop_) return DROPEFFECT_NONE;
  bool takes = model_.options.takeDrops ? offer.files || offer.text : offer.text;
  return takes ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

DWORD PadWindow::Dropped(IDataObject* data, const win::DragOffer& offer, POINT screen) {
  if (model_.Busy() || pendingDrop_) return DROPEFFECT_NONE;
  if (!model_.options.takeDrops) {
    // The text box by itself: text where it was dropped, no files.
    std::optional<std::string> text = offer.text ? win::DroppedText(data) : std::nullopt;
    if (!text) return DROPEFFECT_NONE;
    InsertAt(screen, *text);
    return DROPEFFECT_COPY;
  }
  // What the drop holds is read now, while its source waits; the pad takes it in once the
  // source has its answer, so that no message box or long file keeps the other program waiting.
  PadDrop drop;
  std::vector<std::string> files = win::DroppedFiles(data);
  if (!files.empty()) {
    drop.firstFile = files.front();
  } else {
    drop.text = win::DroppedText(data);
  }
  bool any = drop.firstFile || drop.text;
  TakeLater(std::move(drop));
  return any ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

void PadWindow::TakeLater(PadDrop drop) {
  pendingDrop_ = std::move(drop);
  PostMessageW(window_, kTakeDropMessage, 0, 0);
}

void PadWindow::FilesDropped(HDROP drop) {
  // Only the first file is used: the others are not even read out.
  std::vector<std::string> files = win::TakeDroppedFiles(drop, 1);
  if (auto taken = PadDropOfFiles(files, model_.options, model_.Busy() || pendingDrop_)) {
    TakeLater(std::move(*taken));
  }
}

void PadWindow::InsertAt(POINT screen, const std::string& text) {
  HWND box = Control(kText1Id);
  POINT at = screen;
  ScreenToClient(box, &at);
  LRESULT found =
      SendMessageW(box, EM_CHARFROMPOS, 0, MAKELPARAM(std::max(0L, at.x), std::max(0L, at.y)));
  // The character and line come back cut to 16 bits. The line is the visible one with those low
  // bits; the character lies on that line.
  auto first = static_cast<DWORD>(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0));
  DWORD line = (first & ~0xFFFFu) | HIWORD(found);
  if (line < first) line += 0x10000;
  LRESULT lineStart = SendMessageW(box, EM_LINEINDEX, line, 0);
  auto length = static_cast<DWORD>(GetWindowTextLengthW(box));
  DWORD index = length;
  if (lineStart >= 0) {
    auto start = static_cast<DWORD>(lineStart);
    index = (start & ~0xFFFFu) | LOWORD(found);
    if (index < start) index += 0x10000;
    index = std::min(index, length);
  }
  SendMessageW(box, EM_SETSEL, index, index);
  SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(win::Widen(text).c_str()));
  model_.TextEdited();
}

}  // namespace tarvek
