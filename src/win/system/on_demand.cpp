#include "win/system/on_demand.h"

#include <ole2.h>

#include <string>

namespace tarvek::win {

namespace {

// COM is the thread's own: each thread takes and gives back its own. Worker threads come here
// too, so nothing here is kept in a function-local static (they are built without guards).
thread_local bool comTried = false;
thread_local bool comTaken = false;  // taken, and to be given back
thread_local bool oleTaken = false;

template <typename Function>
Function Ole32(const char* name) {
  HMODULE ole32 = GetModuleHandleW(L"ole32.dll");
  if (ole32 == nullptr) ole32 = LoadSystemLibrary(L"ole32.dll");
  if (ole32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ole32, name)));
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name, LoadLibraryExFunction loadEx) {
  HMODULE module = loadEx(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // The full path keeps the search out of the program's folder all the same.
  std::wstring path(GetSystemDirectoryW(nullptr, 0), L'\0');  // the size with its closing zero
  UINT length = path.empty() ? 0 : GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (length == 0 || length >= path.size()) return nullptr;
  path.resize(length);
  path += L"\\";
  path += name;
  return LoadLibraryW(path.c_str());
}

void EnsureCom() {
  if (comTried) return;
  comTried = true;
  const auto initialize = Ole32<decltype(&CoInitializeEx)>("CoInitializeEx");
  if (initialize == nullptr) return;
  // S_FALSE (already taken on this thread) must be given back too; a thread that runs COM
  // multithreaded keeps it so.
  comTaken = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

bool EnsureOle() {
  if (oleTaken) return true;
  EnsureCom();
  const auto initialize = Ole32<decltype(&OleInitialize)>("OleInitialize");
  oleTaken = initialize != nullptr && SUCCEEDED(initialize(nullptr));
  return oleTaken;
}

void ReleaseCom() {
  if (oleTaken) {
    const auto uninitialize = Ole32<decltype(&OleUninitialize)>("OleUninitialize");
    if (uninitialize != nullptr) uninitialize();
  }
  oleTaken = false;
  if (comTaken) {
    const auto uninitialize = Ole32<decltype(&CoUninitialize)>("CoUninitialize");
    if (uninitialize != nullptr) uninitialize();
  }
  comTaken = false;
  comTried = false;
}

}  // namespace tarvek::win
