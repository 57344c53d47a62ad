// The process's current folder. It is the program's folder all session: a relative target
// means the same thing at every press, and no folder browsed in a file dialog stays held open
// (a USB stick browsed once could not be ejected until the program ends).
#pragma once

#include <windows.h>

#include <cwchar>

namespace tarvek::win {

// Makes the program's folder the current folder.
inline void EnterProgramFolder() {
  wchar_t path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  wchar_t* slash = n > 0 && n < MAX_PATH * 4 ? std::wcsrchr(path, L'\\') : nullptr;
  if (slash == nullptr) return;
  // With its backslash: "C:" alone names whatever folder drive C is in at the moment.
  slash[1] = L'\0';
  SetCurrentDirectoryW(path);
}

// Puts the current folder back, at the end of the scope, as it was at its start: the open
// dialog moves it whatever its flags say.
class CurrentFolderKept {
 public:
  CurrentFolderKept() {
    if (GetCurrentDirectoryW(MAX_PATH, folder_) >= MAX_PATH) folder_[0] = L'\0';
  }
  ~CurrentFolderKept() {
    if (folder_[0] != L'\0') SetCurrentDirectoryW(folder_);
  }
  CurrentFolderKept(const CurrentFolderKept&) = delete;
  CurrentFolderKept& operator=(const CurrentFolderKept&) = delete;

 private:
  wchar_t folder_[MAX_PATH] = {};  // the longest current folder there can be
};

}  // namespace tarvek::win
