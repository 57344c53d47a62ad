#include "win/system/win_system.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <string>
#include <utility>

#include "core/actions.h"
#include "core/hotkey_table.h"
#include "core/files/list_file.h"
#include "core/files/remote_files.h"
#include "win/system/background.h"
#include "win/windows/dialog_kit.h"
#include "win/launch/environment_keys.h"
#include "win/system/files.h"
#include "win/input/key_hook.h"
#include "win/launch/launch_routes.h"
#include "win/input/mouse_hook.h"
#include "win/system/on_demand.h"
#include "win/launch/running_apps.h"
#include "win/system/strings.h"
#include "win/input/typing.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

namespace {

HWND AsHwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }

}  // namespace

std::string ProgramFile() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return Narrow(path);
    }
    path.resize(path.size() * 2);  // cut short: the folder is deeper than the buffer is long
  }
}

std::string ProgramFolder() {
  std::string path = ProgramFile();
  std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool WinSystem::RegisterHotkey(int id, int modifiers, int virtualKey) {
  return ::RegisterHotKey(window_, id, static_cast<UINT>(ModifiersToRegister(id, modifiers)),
                          static_cast<UINT>(virtualKey)) != FALSE;
}

void WinSystem::UnregisterHotkey(int id) { ::UnregisterHotKey(window_, id); }

// What runs on a worker thread keeps no function-local static (see RunOnWorker).
void WinSystem::ShellOpen(const std::string& command, const std::string& workingFolder,
                          WindowRef owner) {
  const auto shellExecuteEx =
      OnDemand<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  if (shellExecuteEx == nullptr) return;
  std::wstring file = Widen(command);
  std::wstring folder = Widen(workingFolder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // A target that cannot be opened fails without a message; and the call returns only once
  // the shell is done, since a worker gives its COM back as soon as its job returns.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpFile = file.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  info.hwnd = AsHwnd(owner);
  shellExecuteEx(&info);
}

StartResult WinSystem::StartProgram(const std::string& exePath) {
  return StartProcess(Widen(exePath), {}, {}, SW_SHOWNORMAL);
}

namespace {

// The program registered for http addresses, the user's own choice first (the association
// functions read UserChoice); empty when there is none.
std::wstring BrowserProgram() {
  const auto assocQueryString =
      OnDemand<decltype(&AssocQueryStringW)>(L"shlwapi.dll", "AssocQueryStringW");
  std::wstring exe(MAX_PATH, L'\0');
  for (int tries = 0; assocQueryString != nullptr && tries < 2; ++tries) {
    DWORD size = static_cast<DWORD>(exe.size());
    HRESULT result = assocQueryString(ASSOCF_IS_PROTOCOL, ASSOCSTR_EXECUTABLE, L"http", L"open",
                                      exe.data(), &size);
    if (SUCCEEDED(result)) return exe.c_str();
    if (result != E_POINTER) break;
    exe.resize(size);  // a browser deeper than the first buffer: size is what it takes
  }
  return {};
}

}  // namespace

bool WinSystem::HasDefaultBrowser() { return !BrowserProgram().empty(); }

void WinSystem::OpenDefaultBrowser() {
  const std::wstring exe = BrowserProgram();
  if (!exe.empty() &&
      StartProcess(exe, {}, {}, SW_SHOWNORMAL).outcome == StartResult::Outcome::kStarted) {
    return;
  }
  ShellOpenInBackground(*this, "about:blank");
}

WindowRef WinSystem::ForegroundWindow() {
  return reinterpret_cast<WindowRef>(GetForegroundWindow());
}

void WinSystem::ShowWindow(WindowRef window, int showCommand) {
  // ShowWindow would wait for the window's thread, for ever when its program hangs.
  ::ShowWindowAsync(AsHwnd(window), showCommand);
}

void WinSystem::PostClose(WindowRef window) { PostMessageW(AsHwnd(window), WM_CLOSE, 0, 0); }

Rect WinSystem::WindowRect(WindowRef window) {
  RECT r{};
  GetWindowRect(AsHwnd(window), &r);
  return {r.left, r.top, r.right, r.bottom};
}

void WinSystem::SetCursorPos(int x, int y) { ::SetCursorPos(x, y); }

void WinSystem::MouseEvent(int flags, int dx, int dy) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = static_cast<DWORD>(flags);
  SendInput(1, &input, sizeof(input));
}

void WinSystem::PlayWaveAsync(const std::string& path) {
  static const auto playSound = OnDemand<decltype(&PlaySoundW)>(L"winmm.dll", "PlaySoundW");
  if (playSound != nullptr) playSound(Widen(path).c_str(), nullptr, SND_ASYNC | SND_FILENAME);
}

void WinSystem::SendMciCommand(const std::string& command) {
  static const auto sendMci = OnDemand<decltype(&mciSendStringW)>(L"winmm.dll", "mciSendStringW");
  if (sendMci != nullptr) sendMci(Widen(command).c_str(), nullptr, 0, nullptr);
}

long WinSystem::EmptyRecycleBin() {
  const auto emptyRecycleBin =
      OnDemand<decltype(&SHEmptyRecycleBinW)>(L"shell32.dll", "SHEmptyRecycleBinW");
  if (emptyRecycleBin == nullptr) return E_FAIL;
  return static_cast<long>(emptyRecycleBin(window_, nullptr, SHERB_NOCONFIRMATION));
}

void WinSystem::UpdateRecycleBinIcon() {
  // Not in every SDK's headers; the shell still exports it.
  const auto update = OnDemand<void(WINAPI*)()>(L"shell32.dll", "SHUpdateRecycleBinIcon");
  if (update != nullptr) update();
}

void WinSystem::EnableShutdownPrivilege() {
  UniqueKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
    return;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  }
}

void WinSystem::ExitWindowsSession(unsigned flags, unsigned reason) { ExitWindowsEx(flags, reason); }

int WinSystem::ShowMessageBox(const std::string& text, const std::string& title, unsigned flags) {
  return ModalMessageBox(window_, text, title, flags);
}

namespace {

// The files themselves, asked on the calling thread.
class DiskFiles : public FilePort {
 public:
  bool FileExists(const std::string& path) override {
    DWORD attributes = GetFileAttributesW(FileCallPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
  std::optional<std::string> ReadFileBytes(const std::string& path) override;
  bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override {
    return ReplaceFileAtomically(path, bytes);
  }
  void RemoveLeftoverTemporaries(const std::string& filePattern) override {
    win::RemoveLeftoverTemporaries(filePattern);
  }
  PathState QueryPath(const std::string& path) override { return QueryPathState(path); }
  bool FolderWritable(const std::string& folder) override { return CanMakeFilesIn(folder); }
};

std::optional<std::string> DiskFiles::ReadFileBytes(const std::string& path) {
  UniqueKernelHandle file(CreateFileW(FileCallPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return std::nullopt;
  // A list of 101 bindings is a few kilobytes; anything beyond the cap is not a list's.
  std::size_t wanted = static_cast<std::size_t>(
      size.QuadPart < static_cast<LONGLONG>(kMaxListFileBytes) ? size.QuadPart : kMaxListFileBytes);
  std::string bytes(wanted, '\0');
  std::size_t done = 0;
  while (done < wanted) {
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(wanted - done), &got,
                  nullptr)) {
      return std::nullopt;
    }
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

// How long the user-interface thread waits for a network share to say whether a file is there.
constexpr unsigned kRemoteCheckLimitMs = 2500;

// Made before the program runs and never destroyed: a check still waiting on the network when
// the program ends uses them until the process goes.
FilePort* const files = new RemoteBoundedFiles(
    *new DiskFiles, RemoteRootOfPath,
    [](std::function<void()> job) { return RunBounded(std::move(job), kRemoteCheckLimitMs); });

}  // namespace

bool WinSystem::FileExists(const std::string& path) { return files->FileExists(path); }

std::optional<std::string> WinSystem::ReadFileBytes(const std::string& path) {
  return files->ReadFileBytes(path);
}

void WinSystem::RemoveLeftoverTemporaries(const std::string& filePattern) {
  files->RemoveLeftoverTemporaries(filePattern);
}

FilePort::PathState WinSystem::QueryPath(const std::string& path) { return files->QueryPath(path); }

bool WinSystem::FolderWritable(const std::string& folder) { return files->FolderWritable(folder); }

bool WinSystem::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
  return files->ReplaceFileBytes(path, bytes);
}

std::vector<std::string> WinSystem::FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  std::wstring pattern = FileCallPath(folder + "\\*");
  HANDLE find =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.push_back(Narrow(found.cFileName));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

bool WinSystem::RemoveFile(const std::string& path) {
  return DeleteFileW(FileCallPath(path).c_str()) != FALSE;
}

bool WinSystem::RenameFile(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING: an existing list of the new name is never overwritten.
  return MoveFileExW(FileCallPath(from).c_str(), FileCallPath(to).c_str(), 0) != FALSE;
}

void WinSystem::RunInBackground(std::function<void(SystemPort&)> job) {
  RunOnWorker(std::move(job));
}

PathKind WinSystem::KindOfPath(const std::string& path) {
  DWORD attributes = GetFileAttributesW(FileCallPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNeither;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
}

std::string WinSystem::AnsiToUtf8(const std::string& ansi) { return win::AnsiToUtf8(ansi); }

std::optional<std::string> WinSystem::Utf8ToAnsi(const std::string& utf8) {
  return win::Utf8ToAnsi(utf8);
}

unsigned WinSystem::AnsiCodePage() { return GetACP(); }

std::string WinSystem::Cp936ToUtf8(const std::string& gbk) { return win::CodePageToUtf8(936, gbk); }

}  // namespace tarvek::win

namespace tarvek::win {

StartResult WinSystem::StartProgramWith(const LaunchCommand& command) {
  return StartProcess(Widen(command.file), Widen(command.parameters), Widen(command.folder),
                      command.showCommand);
}

void WinSystem::ShellExecuteWith(const std::string& verb, const LaunchCommand& command) {
  ShellExecuteVerb(verb, command);
}

bool WinSystem::ShellExecuteAsDesktopUser(const LaunchCommand& command) {
  return ShellExecuteThroughDesktop(command);
}

bool WinSystem::ElevatedAboveDesktop() { return win::ElevatedAboveDesktop(); }

std::vector<WindowRef> WinSystem::WindowsOfProgram(const std::string& exePath) {
  return win::WindowsOfProgram(exePath);
}

void WinSystem::BringToFront(WindowRef window) { win::BringToFront(window); }

bool WinSystem::IsMinimized(WindowRef window) {
  return IsIconic(reinterpret_cast<HWND>(window)) != FALSE;
}

std::optional<std::string> WinSystem::FindProgram(const std::string& name) {
  return win::FindProgram(name);
}

std::optional<std::string> WinSystem::EnvironmentVariable(const std::string& name) {
  return win::EnvironmentVariable(name);
}

WindowRef WinSystem::ConsentOwner() {
  if (window_ == nullptr) return 0;
  if (GetForegroundWindow() == window_) return reinterpret_cast<WindowRef>(window_);
  return reinterpret_cast<WindowRef>(consentOwner_.Get());
}

std::vector<WindowRef> WinSystem::WindowsOfProcesses(const std::vector<StartedProcess>& processes) {
  return win::WindowsOfProcesses(processes);
}

bool WinSystem::StillRunning(const StartedProcess& process) { return win::StillRunning(process); }

std::vector<AppWindow> WinSystem::WindowsWithAppIds() { return win::WindowsWithAppIds(); }

std::optional<std::string> WinSystem::AliasAppId(const std::string& path) {
  return win::AliasAppId(path);
}

EnvironmentKeys WinSystem::ReadEnvironmentKeys() { return win::ReadEnvironmentKeys(); }

void WinSystem::SetEnvironmentValue(const std::string& name,
                                    const std::optional<std::string>& value) {
  SetProcessVariable(name, value);
}

// Typing and the two hooks run on threads of their own; the main window is where the hooks post
// what fired.
void WinSystem::TypeTextInFront(const TypingJob& job) { TypeInFront(job); }

void WinSystem::WatchKeys(std::shared_ptr<const WatchedBindings> bindings) {
  KeyHook::Watch(std::move(bindings), window_);
}

void WinSystem::WatchMouse(std::shared_ptr<const WatchedBindings> bindings) {
  MouseHook::Watch(std::move(bindings), window_);
}

}  // namespace tarvek::win
