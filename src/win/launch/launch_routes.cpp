// Launches with options, the windows of a program that runs already, and the look-ups of the
// launch planner. What runs on a worker thread keeps no function-local static (see RunOnWorker).
#include "win/launch/launch_routes.h"

#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <string>

#include "win/input/key_sender.h"
#include "win/launch/consent_owner.h"
#include "win/system/on_demand.h"
#include "win/system/process_facts.h"
#include "win/system/strings.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

namespace {

std::wstring FolderOf(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  if (slash == 2 && path.size() > 1 && path[1] == L':') return path.substr(0, 3);  // "C:\"
  return path.substr(0, slash);
}

// Releases a COM interface at the end of the scope.
template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p != nullptr) p->Release();
  }
  T** put() { return &p; }
  T* operator->() const { return p; }
};

// A BSTR for the shell's automation interface; empty text is an empty BSTR.
struct Bstr {
  explicit Bstr(const std::string& text) {
    const auto alloc = SystemFunction<decltype(&SysAllocString)>(L"oleaut32.dll", "SysAllocString");
    if (alloc != nullptr) value = alloc(Widen(text).c_str());
  }
  ~Bstr() {
    const auto free = SystemFunction<decltype(&SysFreeString)>(L"oleaut32.dll", "SysFreeString");
    if (free != nullptr && value != nullptr) free(value);
  }
  BSTR value = nullptr;
};

VARIANT Variant(BSTR text) {
  VARIANT v{};
  v.vt = VT_BSTR;
  v.bstrVal = text;
  return v;
}

}  // namespace

// ERROR_ELEVATION_REQUIRED, which not every SDK's headers name.
constexpr DWORD kElevationRequired = 740;

StartedProcess ProcessOf(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  StartedProcess started{GetProcessId(process), 0};
  if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
    started.startTime = (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
  }
  return started;
}

StartResult StartProcess(const std::wstring& file, const std::wstring& parameters,
                         std::wstring folder, int showCommand) {
  // One quoted path: "C:\Program Files\a b\x.exe" must not start C:\Program.exe.
  std::wstring commandLine = L"\"" + file + L"\"";
  if (!parameters.empty()) commandLine += L" " + parameters;
  if (folder.empty()) folder = FolderOf(file);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  // ERROR_INTERNAL_ERROR means the new process died before it ran a line of its own (Wine
  // reports this now and then when many processes start at once): nothing started, so a
  // second try cannot start the program twice.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
      // The hotkey press gave this program the right to the foreground; the new program's
      // first window takes it over.
      AllowSetForegroundWindow(process.dwProcessId);
      const StartedProcess started = ProcessOf(process.hProcess);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
      return {StartResult::Outcome::kStarted, started};
    }
    const DWORD error = GetLastError();
    // The program's manifest asks for administrator rights: only the shell may start it.
    if (error == kElevationRequired) return {StartResult::Outcome::kNeedsElevation, {}};
    if (error != ERROR_INTERNAL_ERROR) break;
  }
  return {};
}

void ShellExecuteVerb(const std::string& verb, const LaunchCommand& command) {
  const auto shellExecuteEx =
      SystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  if (shellExecuteEx == nullptr) return;
  std::wstring wideVerb = Widen(verb), file = Widen(command.file);
  std::wstring parameters = Widen(command.parameters), folder = Widen(command.folder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = wideVerb.empty() ? nullptr : wideVerb.c_str();
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = command.showCommand;
  // A consent prompt whose owner is not in front only flashes on the taskbar.
  info.hwnd = reinterpret_cast<HWND>(command.owner);
  if (info.hwnd != nullptr) BringConsentOwnerForward(info.hwnd);
  // A document may go to a program that runs already: any process may take the front once.
  AllowSetForegroundWindow(ASFW_ANY);
  if (shellExecuteEx(&info) && info.hProcess != nullptr) {
    AllowSetForegroundWindow(GetProcessId(info.hProcess));
    CloseHandle(info.hProcess);
  }
  if (info.hwnd != nullptr) PutConsentOwnerAway(info.hwnd);
}

// The desktop's shell view hands out the shell's automation object, which runs in the shell's
// process: what it opens runs at the level of the user's desktop.
bool ShellExecuteThroughDesktop(const LaunchCommand& command) {
  const auto create = SystemFunction<decltype(&CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
  if (create == nullptr) return false;
  ComPtr<IShellWindows> windows;
  if (FAILED(create(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                    reinterpret_cast<void**>(windows.put())))) {
    return false;
  }
  VARIANT desktop{};
  desktop.vt = VT_I4;
  desktop.lVal = CSIDL_DESKTOP;
  VARIANT empty{};
  long shellWindow = 0;
  ComPtr<IDispatch> found;
  if (windows->FindWindowSW(&desktop, &empty, SWC_DESKTOP, &shellWindow, SWFO_NEEDDISPATCH,
                            found.put()) != S_OK || found.p == nullptr) {
    return false;
  }
  ComPtr<IServiceProvider> provider;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(found->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(provider.put()))) ||
      FAILED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                    reinterpret_cast<void**>(browser.put()))) ||
      FAILED(browser->QueryActiveShellView(view.put())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                                 reinterpret_cast<void**>(background.put()))) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual,
                                        reinterpret_cast<void**>(folderView.put()))) ||
      FAILED(folderView->get_Application(application.put())) ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(shell.put())))) {
    return false;
  }
  Bstr file(command.file);
  Bstr parameters(command.parameters), folder(command.folder), verb("");
  VARIANT show{};
  show.vt = VT_I4;
  show.lVal = command.showCommand;
  // The shell's process has the foreground right only if this one passes it on.
  AllowSetForegroundWindow(ASFW_ANY);
  return SUCCEEDED(shell->ShellExecute(file.value, Variant(parameters.value), Variant(folder.value),
                                       Variant(verb.value), show));
}

bool ElevatedAboveDesktop() {
  if (ElevatedToken(GetCurrentProcess()) != true) return false;
  DWORD shellProcess = 0;
  GetWindowThreadProcessId(GetShellWindow(), &shellProcess);
  if (shellProcess == 0) return false;  // no desktop shell to start anything through
  UniqueKernelHandle shell(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcess));
  return shell && ElevatedToken(shell.get()) == false;
}

namespace {

struct WindowSearch {
  std::wstring image;
  std::vector<WindowRef> found;
  DWORD lastProcess = 0;  // consecutive windows of one process are asked about once
  bool lastMatched = false;
};

bool SameImage(DWORD processId, const std::wstring& image) {
  const std::wstring path = ProgramPathOf(processId);
  return !path.empty() && CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()),
                                               image.c_str(), static_cast<int>(image.size()),
                                               TRUE) == CSTR_EQUAL;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<WindowSearch*>(context);
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search.lastProcess) {
    search.lastProcess = processId;
    search.lastMatched = SameImage(processId, search.image);
  }
  if (search.lastMatched) search.found.push_back(reinterpret_cast<WindowRef>(window));
  return TRUE;
}

}  // namespace

std::vector<WindowRef> WindowsOfProgram(const std::string& exePath) {
  WindowSearch search;
  std::wstring path = Widen(exePath);
  // "C:\HK\.\tools\..\y.exe" is the same file as the image path the system gives.
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  DWORD n = full.empty() ? 0
                         : GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()),
                                            full.data(), nullptr);
  search.image = n > 0 && n < full.size() ? full.substr(0, n) : path;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool TakeFront(HWND window) {
  // Set by the end-to-end tests: Windows refuses the front to a program that did not have the
  // last input, which Wine never does.
  const bool refused = GetEnvironmentVariableW(L"TARVEK_TEST_REFUSE_FOREGROUND", nullptr, 0) != 0;
  if (!refused && SetForegroundWindow(window)) return true;
  // The key or click that asked for it went to another program, or a hook swallowed it: a press
  // of the mask key is this program's input, and then it may. Joining the input of the window
  // in front (AttachThreadInput) would do too, but would make each call wait for that window's
  // thread: a hung program there, the one the user wants to get away from, would hang this one.
  PressMaskKey();
  // Refused again, the window's taskbar button flashes, which is as far as Windows lets it go.
  return SetForegroundWindow(window) != FALSE;
}

void BringToFront(WindowRef handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  // Asynchronous: a hung program cannot hold this one.
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  TakeFront(window);
}

std::optional<std::string> FindProgram(const std::string& name) {
  std::wstring wide = Widen(name);
  std::wstring found(MAX_PATH, L'\0');
  DWORD n = 0;
  // Too small a buffer is answered with the size the path takes, its closing zero counted.
  while ((n = SearchPathW(nullptr, wide.c_str(), L".exe", static_cast<DWORD>(found.size()),
                          found.data(), nullptr)) >= found.size()) {
    found.resize(n);
  }
  if (n > 0) return Narrow(found.substr(0, n));
  // Programs that install themselves for the Run dialog without a place on the search path.
  if (wide.find(L'.') == std::wstring::npos) wide += L".exe";
  const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + wide;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
      continue;
    }
    found.assign(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(found.size() * sizeof(wchar_t));
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, found.data(), &size) !=
        ERROR_SUCCESS) {
      continue;
    }
    std::wstring path = found.c_str();
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    if (!path.empty()) return Narrow(path);
  }
  return std::nullopt;
}

std::optional<std::string> EnvironmentVariable(const std::string& name) {
  std::wstring wide = Widen(name);
  std::wstring value(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (n < value.size()) {
      value.resize(n);
      return Narrow(value);
    }
    value.resize(n);
  }
}

}  // namespace tarvek::win
