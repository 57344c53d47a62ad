#include "win/system/on_demand.h"

#include <windows.h>
// after windows.h
#include <objbase.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <thread>

namespace tarvek::win {
namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(module, path, MAX_PATH);
  return Lower(path);
}

std::wstring InSystemFolder(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = L"";
  GetSystemDirectoryW(folder, MAX_PATH);
  return Lower(std::wstring(folder) + L"\\" + name);
}

// A loader as Windows 7 without its loader update answers the system-folder flag, and one
// that does not find the library at all.
HMODULE WINAPI RefusingTheFlag(LPCWSTR, HANDLE, DWORD) {
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}
HMODULE WINAPI NotFinding(LPCWSTR, HANDLE, DWORD) {
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

TEST(OnDemand, LibrariesComeFromTheSystemFolderAlsoWhereTheFlagIsRefused) {
  struct Case {
    const char* loader;
    LoadLibraryExFunction loadEx;
    bool loads;
  };
  for (const Case& c : {Case{"LoadLibraryExW", &LoadLibraryExW, true},
                        Case{"refusing the flag", &RefusingTheFlag, true},
                        Case{"not finding it", &NotFinding, false}}) {
    SCOPED_TRACE(c.loader);
    HMODULE module = LoadSystemLibrary(L"winmm.dll", c.loadEx);
    EXPECT_EQ(module != nullptr, c.loads);
    if (module == nullptr) continue;
    EXPECT_EQ(ModulePath(module), InSystemFolder(L"winmm.dll"));
    FreeLibrary(module);
  }
}

TEST(OnDemand, TheShellFindsComApartmentThreadedUntilItIsGivenBack) {
  // A thread of its own, so that nothing else has touched its COM.
  bool found = false;
  HRESULT whileTaken = S_OK, afterwards = E_FAIL;
  std::thread thread([&] {
    found = OnDemand<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW") != nullptr;
    // A thread in a single-threaded apartment cannot join the multithreaded one.
    whileTaken = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(whileTaken)) CoUninitialize();
    ReleaseCom();
    afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(afterwards)) CoUninitialize();
  });
  thread.join();
  EXPECT_TRUE(found);
  EXPECT_EQ(whileTaken, RPC_E_CHANGED_MODE);
  EXPECT_EQ(afterwards, S_OK);  // no apartment left on the thread
}

// As the program's start leaves it: a library beside the program is no longer taken for one
// loaded by name, while the system's are found as before.
TEST(OnDemand, OnceRestrictedLibrariesByNameComeFromTheSystemFolderOnly) {
  HMODULE planted = LoadLibraryW(L"tarvek_planted.dll");
  ASSERT_NE(planted, nullptr) << "not beside the tests";
  FreeLibrary(planted);
  SearchLibrariesInSystemFolderOnly();
  EXPECT_EQ(LoadLibraryW(L"tarvek_planted.dll"), nullptr);
  HMODULE system = LoadLibraryW(L"winmm.dll");
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(ModulePath(system), InSystemFolder(L"winmm.dll"));
  FreeLibrary(system);
}

}  // namespace
}  // namespace tarvek::win
