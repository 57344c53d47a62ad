#include "win/windows/dropped_files.h"

#include "win/windows/message_filter.h"
#include "win/system/on_demand.h"
#include "win/system/strings.h"

namespace tarvek::win {

namespace {

constexpr UINT kCopyGlobalData = 0x0049;  // carries a drop's data across to the window

}  // namespace

void AcceptDroppedFiles(HWND window) {
  if (window == nullptr) return;
  // What DragAcceptFiles does, without loading the shell for it before a drop comes.
  SetWindowLongPtrW(window, GWL_EXSTYLE,
                    GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
  AllowMessagesFromOrdinaryPrograms(window, {WM_DROPFILES, WM_COPYDATA, kCopyGlobalData});
}

std::vector<std::string> TakeDroppedFiles(HDROP drop, unsigned limit) {
  static const auto dragQueryFile =
      OnDemand<decltype(&DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
  static const auto dragFinish = OnDemand<decltype(&DragFinish)>(L"shell32.dll", "DragFinish");
  std::vector<std::string> paths;
  for (UINT i = 0; dragQueryFile != nullptr && i < limit; ++i) {
    UINT length = dragQueryFile(drop, i, nullptr, 0);
    if (length == 0) break;
    std::wstring path(length + 1, L'\0');
    path.resize(dragQueryFile(drop, i, path.data(), length + 1));
    paths.push_back(Narrow(path));
  }
  if (dragFinish != nullptr) dragFinish(drop);
  return paths;
}

}  // namespace tarvek::win
