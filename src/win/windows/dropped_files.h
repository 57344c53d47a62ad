// Files dropped the old way, by WM_DROPFILES: what Explorer sends to a window that takes no
// OLE drops from it, such as one of a copy that runs as administrator.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace tarvek::win {

// The window takes such drops, also from ordinary programs while this one runs as
// administrator (the drop's data comes over in WM_COPYDATA and WM_COPYGLOBALDATA).
void AcceptDroppedFiles(HWND window);

// The dropped files, in order, at most limit of them; the drop is finished either way, so the
// program the files come from waits no longer.
std::vector<std::string> TakeDroppedFiles(HDROP drop, unsigned limit = 0xFFFF);

}  // namespace tarvek::win
