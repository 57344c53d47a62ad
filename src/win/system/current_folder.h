// The process's current folder. It is the program's folder all session: a relative target
// means the same thing at every press, and no folder browsed in a file dialog stays held open
// (a USB stick browsed once could not be ejected until the program ends).
#pragma once

#include <windows.h>

#include <string>

namespace tarvek::win {

// Makes the program's folder the current folder.
inline void EnterProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = 0;
  // However deep the folder: a longer path is cut and said to fill the buffer.
  while ((n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) >=
         path.size()) {
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L'\\', n);
  if (n == 0 || slash == std::wstring::npos) return;
  // With its backslash: "C:" alone names whatever folder drive C is in at the moment.
  path.resize(slash + 1);
  SetCurrentDirectoryW(path.c_str());
}

// Puts the current folder back, at the end of the scope, as it was at its start: the open
// dialog moves it whatever its flags say.
class CurrentFolderKept {
 public:
  CurrentFolderKept() {
    // The size asked for counts the closing zero; a folder that changed in between is not kept.
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    folder_.resize(size);
    DWORD n = size == 0 ? 0 : GetCurrentDirectoryW(size, folder_.data());
    folder_.resize(n < size ? n : 0);
  }
  ~CurrentFolderKept() {
    if (!folder_.empty()) SetCurrentDirectoryW(folder_.c_str());
  }
  CurrentFolderKept(const CurrentFolderKept&) = delete;
  CurrentFolderKept& operator=(const CurrentFolderKept&) = delete;

 private:
  std::wstring folder_;
};

}  // namespace tarvek::win
