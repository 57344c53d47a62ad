// Functions of system libraries the program needs only now and then (the shell, sounds, file
// dialogs) are looked up on first use: loading those libraries and everything they pull in
// would otherwise make every start slower, for calls most runs never make.
#pragma once

#include <windows.h>

namespace tarvek::win {

using LoadLibraryExFunction = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);

// Loads a library of the system folder only, never one of the same name beside the program.
// A system without the loader update that knows LOAD_LIBRARY_SEARCH_SYSTEM32 (Windows 7 as it
// shipped) refuses the flag; the library is then loaded by its full path in the system folder.
// loadEx stands in for LoadLibraryExW.
HMODULE LoadSystemLibrary(const wchar_t* name, LoadLibraryExFunction loadEx = &LoadLibraryExW);

// Libraries loaded by name, by the program or by system libraries on its behalf (shell32,
// comdlg32 and ole32 load more as they go), come from the system folder only, never from the
// program's folder, where a zip unpacked into Downloads may have put anything. For the very
// start of the program. A system without SetDefaultDllDirectories (Windows 7 as it shipped)
// at least leaves the current folder out of the search.
inline void SearchLibrariesInSystemFolderOnly() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto setDefault =
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  SetDllDirectoryW(L"");
}

// The shell and the file dialogs want COM on the calling thread, apartment-threaded. It is
// taken on the thread's first look-up of such a function (ole32 is loaded only then), and
// given back by ReleaseCom at the end of the thread.
void EnsureCom();
void ReleaseCom();
// Drag and drop wants OLE on the thread, not only COM: taken on first use (false when it could
// not be), given back by ReleaseCom too.
bool EnsureOle();

// The function, or null when the library or the function cannot be found (the caller then does
// nothing, as a failed call would). For functions that need no COM: the notification area, the
// common controls.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (module == nullptr) module = LoadSystemLibrary(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The same for the shell and the file dialogs, with COM taken first. Only for the
// user-interface thread.
template <typename Function>
Function OnDemand(const wchar_t* library, const char* name) {
  EnsureCom();
  return SystemFunction<Function>(library, name);
}

}  // namespace tarvek::win
