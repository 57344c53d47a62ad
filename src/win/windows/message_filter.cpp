#include "win/windows/message_filter.h"

#include "win/system/on_demand.h"

namespace tarvek::win {

void AllowMessagesFromOrdinaryPrograms(HWND window, std::initializer_list<UINT> messages) {
  using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  static const auto filter = SystemFunction<Filter>(L"user32.dll", "ChangeWindowMessageFilterEx");
  if (filter == nullptr || window == nullptr) return;
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  for (UINT message : messages) {
    if (message != 0) filter(window, message, kAllow, nullptr);
  }
}

}  // namespace tarvek::win
