#include "win/launch/running_apps.h"

#include <propsys.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winioctl.h>

#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "win/system/on_demand.h"
#include "win/system/strings.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

namespace {

// When the process that has the id now started; 0 when none has it or it cannot be asked.
std::uint64_t StartTimeOf(DWORD id) {
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!process || !GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return 0;
  return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

// The visible, unowned top-level windows of the processes.
std::vector<WindowRef> TopWindowsOf(const std::set<DWORD>& processes) {
  struct Search {
    const std::set<DWORD>& processes;
    std::vector<WindowRef> found;
  } search{processes, {}};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (s.processes.count(id) != 0) s.found.push_back(reinterpret_cast<WindowRef>(window));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

// A process counts while it is the one started (its id and start time both match). A process
// it started counts too: its parent's id is that id and it started after it, and, when the id
// has gone to another process since, before that one (ids are used again).
std::vector<WindowRef> WindowsOfProcesses(const std::vector<StartedProcess>& processes) {
  if (processes.empty()) return {};
  UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return {};
  std::map<DWORD, std::uint64_t> holders;  // the start time of whoever has the id now
  auto holder = [&holders](DWORD id) {
    auto it = holders.find(id);
    return it != holders.end() ? it->second : holders[id] = StartTimeOf(id);
  };
  std::set<DWORD> counted;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    for (const StartedProcess& started : processes) {
      if (entry.th32ProcessID == started.id) {
        if (started.startTime == 0 || holder(started.id) == started.startTime)
          counted.insert(started.id);
      } else if (entry.th32ParentProcessID == started.id && started.startTime != 0) {
        const std::uint64_t born = StartTimeOf(entry.th32ProcessID);
        const std::uint64_t now = holder(started.id);
        if (born >= started.startTime && (now == 0 || now == started.startTime || born < now)) {
          counted.insert(entry.th32ProcessID);
        }
      }
    }
  }
  return counted.empty() ? std::vector<WindowRef>{} : TopWindowsOf(counted);
}

bool StillRunning(const StartedProcess& process) {
  UniqueKernelHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.id));
  DWORD code = 0;
  if (!handle || !GetExitCodeProcess(handle.get(), &code) || code != STILL_ACTIVE) return false;
  return process.startTime == 0 || StartTimeOf(process.id) == process.startTime;
}

namespace {

// System.AppUserModel.ID, as a window carries it for the taskbar.
constexpr PROPERTYKEY kAppUserModelId = {
    {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

std::string WindowAppId(HWND window) {
  using StoreForWindowFunction = HRESULT(WINAPI*)(HWND, REFIID, void**);
  const auto storeForWindow =
      OnDemand<StoreForWindowFunction>(L"shell32.dll", "SHGetPropertyStoreForWindow");
  if (storeForWindow == nullptr) return {};
  IPropertyStore* store = nullptr;
  if (FAILED(storeForWindow(window, IID_IPropertyStore, reinterpret_cast<void**>(&store))) ||
      store == nullptr) {
    return {};
  }
  std::string id;
  PROPVARIANT value{};
  if (SUCCEEDED(store->GetValue(kAppUserModelId, &value))) {
    if (value.vt == VT_LPWSTR && value.pwszVal != nullptr) id = Narrow(value.pwszVal);
    const auto clear =
        SystemFunction<decltype(&PropVariantClear)>(L"ole32.dll", "PropVariantClear");
    if (clear != nullptr) clear(&value);
  }
  store->Release();
  return id;
}

// A packaged program's process has the identity of its package's app, whether or not its
// windows say so.
std::string ProcessAppId(DWORD id) {
  using GetAppIdFunction = LONG(WINAPI*)(HANDLE, UINT32*, PWSTR);
  const auto getAppId =
      SystemFunction<GetAppIdFunction>(L"kernel32.dll", "GetApplicationUserModelId");
  if (getAppId == nullptr) return {};
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return {};
  wchar_t appId[130];  // APPLICATION_USER_MODEL_ID_MAX_LENGTH
  UINT32 length = static_cast<UINT32>(std::size(appId));
  if (getAppId(process.get(), &length, appId) != ERROR_SUCCESS) return {};
  return Narrow(appId);
}

// Hidden by its own program though "visible": not what the user sees running. A window the shell
// hides, one on another virtual desktop, runs all the same: brought to the front, it takes the
// user to its desktop, where a second copy started here would not.
bool CloakedByItsApp(HWND window) {
  using GetAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
  const auto getAttribute =
      SystemFunction<GetAttributeFunction>(L"dwmapi.dll", "DwmGetWindowAttribute");
  constexpr DWORD kCloaked = 14;      // DWMWA_CLOAKED
  constexpr DWORD kCloakedApp = 0x1;  // DWM_CLOAKED_APP
  DWORD cloaked = 0;
  return getAttribute != nullptr &&
         SUCCEEDED(getAttribute(window, kCloaked, &cloaked, sizeof(cloaked))) &&
         (cloaked & kCloakedApp) != 0;
}

}  // namespace

std::vector<AppWindow> WindowsWithAppIds() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
          reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  std::vector<AppWindow> found;
  std::map<DWORD, std::string> ofProcess;
  for (HWND window : windows) {
    if (CloakedByItsApp(window)) continue;
    std::string id = WindowAppId(window);
    if (id.empty()) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      auto it = ofProcess.find(process);
      id = it != ofProcess.end() ? it->second : ofProcess[process] = ProcessAppId(process);
    }
    if (!id.empty()) found.push_back({reinterpret_cast<WindowRef>(window), std::move(id)});
  }
  return found;
}

// An alias is a reparse point of its own kind; its data, after a version number, holds
// NUL-ended texts: the package, the app's identity, the program it starts, ...
std::optional<std::string> AliasAppId(const std::string& path) {
  constexpr DWORD kAppExecLinkTag = 0x8000001B;  // IO_REPARSE_TAG_APPEXECLINK
  UniqueKernelHandle file(
      CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  std::vector<BYTE> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD got = 0;
  if (!DeviceIoControl(file.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                       static_cast<DWORD>(data.size()), &got, nullptr) ||
      got < 12) {
    return std::nullopt;
  }
  DWORD tag = 0;
  std::memcpy(&tag, data.data(), sizeof(tag));
  if (tag != kAppExecLinkTag) return std::nullopt;
  // Tag (4), length (2), reserved (2), version (4), then the texts.
  const std::size_t chars = (got - 12) / sizeof(wchar_t);
  std::wstring texts(chars, L'\0');
  std::memcpy(texts.data(), data.data() + 12, chars * sizeof(wchar_t));
  const std::size_t firstEnd = texts.find(L'\0');
  if (firstEnd == std::wstring::npos) return std::nullopt;
  const std::size_t secondEnd = texts.find(L'\0', firstEnd + 1);
  if (secondEnd == std::wstring::npos || secondEnd == firstEnd + 1) return std::nullopt;
  return Narrow(texts.substr(firstEnd + 1, secondEnd - firstEnd - 1));
}

}  // namespace tarvek::win
