#include "win/windows/common_controls.h"

#include "win/system/on_demand.h"

namespace tarvek::win {

namespace {

constexpr wchar_t kLibrary[] = L"comctl32.dll";

}  // namespace

bool EnsureCommonControls() {
  static const bool loaded = [] {
    const auto initialise =
        SystemFunction<decltype(&InitCommonControlsEx)>(kLibrary, "InitCommonControlsEx");
    if (initialise == nullptr) return false;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES |
                                                        ICC_WIN95_CLASSES};
    initialise(&controls);
    return true;
  }();
  return loaded;
}

bool AddSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
  static const auto add = SystemFunction<decltype(&SetWindowSubclass)>(kLibrary, "SetWindowSubclass");
  return add != nullptr && add(window, procedure, id, data) != FALSE;
}

bool RemoveSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
  static const auto remove =
      SystemFunction<decltype(&RemoveWindowSubclass)>(kLibrary, "RemoveWindowSubclass");
  return remove != nullptr && remove(window, procedure, id) != FALSE;
}

LRESULT DefaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const auto next = SystemFunction<decltype(&DefSubclassProc)>(kLibrary, "DefSubclassProc");
  return next != nullptr ? next(window, message, wParam, lParam)
                         : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tarvek::win
