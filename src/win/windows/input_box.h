// A one-line input box on the dialog kit, as the rename of a named list asks with it: a
// prompt, OK and Cancel, and one text box preset with a text and wholly selected, so that
// typing replaces it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tarvek::win {

namespace input_box_ids {
enum ControlId : int {
  kPromptId = 100,
  kTextId,
  kOkId = IDOK,          // 确定: Enter
  kCancelId = IDCANCEL,  // 取消: Esc
};
}  // namespace input_box_ids

inline constexpr wchar_t kInputBoxClass[] = L"TarvekHotKeyInputBox";

// Shows the box modally, owned by owner, and returns the text as it stands when OK is pressed;
// empty text when the user cancels (Cancel, Esc, the close box) or the program is ending.
std::string InputBox(HWND owner, std::string_view prompt, std::string_view title,
                     std::string_view preset);

}  // namespace tarvek::win
