// Functions of system libraries the program needs only now and then (the shell, sounds, file
// dialogs) are looked up on first use: loading those libraries and everything they pull in
// would otherwise make every start slower, for calls most runs never make.
#pragma once

#include <windows.h>

namespace tarvek::win {

// The function, or null when the library or the function cannot be found (the caller then does
// nothing, as a failed call would).
template <typename Function>
Function OnDemand(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (module == nullptr) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tarvek::win
