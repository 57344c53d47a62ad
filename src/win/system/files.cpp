#include "win/system/files.h"

#include <windows.h>

#include <algorithm>

#include "core/files/busy_retry.h"
#include "core/files/remote_files.h"
#include "win/system/strings.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view start) {
  return text.substr(0, start.size()) == start;
}

// The full form of a path, as long as it is.
std::wstring FullPath(const std::wstring& path) {
  std::wstring full(path.size() + MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return path;
    if (n < full.size()) return full.substr(0, n);
    full.resize(n);  // n counts the terminating zero when the buffer was too small
  }
}

// The path of the file itself that the open handle stands for, through every link: "\\?\C:\..."
// or "\\?\UNC\...". Empty when the file system cannot tell.
std::wstring FinalPath(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), 0);
    if (n == 0) return {};
    if (n < path.size()) return path.substr(0, n);
    path.resize(n);
  }
}

TryResult AfterFailure(DWORD error) {
  switch (error) {
    // Another program has the file open for a moment, or has it mapped (a scanner, an indexer).
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_USER_MAPPED_FILE:
      return TryResult::kBusy;
    default:
      return TryResult::kFailed;
  }
}

bool WhileBusy(const std::function<bool()>& call) {
  return TryWhileBusy([&call] { return call() ? TryResult::kDone : AfterFailure(GetLastError()); },
                      [](int ms) { Sleep(static_cast<DWORD>(ms)); });
}

}  // namespace

std::wstring FileCallPath(std::wstring path) {
  // Up to here every call takes the path as it is; a temporary's suffix still fits.
  constexpr std::size_t kShortEnough = MAX_PATH - 20;
  if (path.size() < kShortEnough || StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) {
    return path;
  }
  // "\\?\" turns off the reading of "/", "." and "..": the full form has none left.
  std::wstring full = FullPath(path);
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return path;
}

FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
  UniqueKernelHandle file(CreateFileW(FileCallPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FileRead::kFailed;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return FileRead::kFailed;
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return FileRead::kTooLarge;
  std::string read(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < read.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(read.size() - done, 1u << 24));
    DWORD got = 0;
    if (!ReadFile(file.get(), read.data() + done, chunk, &got, nullptr)) return FileRead::kFailed;
    if (got == 0) break;  // the file got shorter while it was read
    done += got;
  }
  read.resize(done);
  bytes = std::move(read);
  return FileRead::kOk;
}

namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written != chunk) {
      return false;
    }
    done += written;
  }
  return FlushFileBuffers(file) != FALSE;
}

// What the new file takes over from the old one. Its security it takes from the folder, as
// the old file did unless the user gave it rights of its own.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes) {
  std::wstring target = FileCallPath(path);
  BY_HANDLE_FILE_INFORMATION old{};
  bool exists = false;
  {
    // Opening follows every link: what the handle tells is the file's own. Asking for its
    // attributes alone is never refused for another program's hold on it.
    UniqueKernelHandle file(CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    exists = file && GetFileInformationByHandle(file.get(), &old);
    // A list kept elsewhere (a synced folder) through a symbolic link stays there and stays
    // linked. A file system that cannot tell keeps the path as given.
    std::wstring linked = exists ? FinalPath(file.get()) : std::wstring();
    if (!linked.empty()) target = std::move(linked);
  }
  if (exists) {
    // Windows refuses to replace a read-only file, but Wine does it; a file the user made
    // read-only stays as it is on both.
    if ((old.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
      return false;
    }
    if (old.nNumberOfLinks > 1) {
      // A file with other names (hard links) would lose them to a replacement: it is written
      // where it is, not in one step, but every name sees the new content.
      UniqueKernelHandle file;
      WhileBusy([&] {
        file.reset(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(file);
      });
      return file && WriteAll(file.get(), bytes) && SetEndOfFile(file.get());
    }
  }
  // ReplaceFileW would keep more of the old file, but it is not one step: Wine moves the old
  // file aside before the new one comes, and Windows documents a failure that leaves the old
  // one gone. A program ended in between would lose the list. The new file is made with the
  // old one's attributes instead, and a rename puts it in place.
  DWORD kept = exists ? old.dwFileAttributes & kKeptAttributes : 0;
  std::wstring temporary = FileCallPath(target + std::wstring(kReplaceSuffix) +
                                        Widen(std::to_string(GetCurrentProcessId())));
  {
    UniqueKernelHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    if (!WriteAll(file.get(), bytes)) {
      file.reset();
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  // The rename is refused while another program has the old file open without letting it be
  // deleted, as watchers of the folder do for a moment after every write.
  if (!WhileBusy([&] {
        return MoveFileExW(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
      })) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

namespace {

std::wstring ParentFolder(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  if (slash == 2 && path.size() > 1 && path[1] == L':') return path.substr(0, 3);  // "D:\\"
  return path.substr(0, slash);
}

bool IsFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

FilePort::PathState QueryPathState(const std::string& path) {
  using State = FilePort::PathState;
  const std::wstring wide = FileCallPath(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    switch (GetLastError()) {
      case ERROR_FILE_NOT_FOUND: {
        // Only the last part is missing, as a rule; but the "folder" may be a file.
        std::wstring folder = ParentFolder(wide);
        return folder.empty() || IsFolder(folder) ? State::kNoFile : State::kNoFolder;
      }
      case ERROR_INVALID_NAME:
        return State::kNoFile;  // no file can have this name: there is nothing to keep
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION:
        return State::kLocked;
      case ERROR_ACCESS_DENIED:
        return State::kUnreadable;
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_DRIVE:
      case ERROR_NOT_READY:
      case ERROR_BAD_NETPATH:
      case ERROR_BAD_NET_NAME:
      case ERROR_NETNAME_DELETED:
      case ERROR_NETWORK_UNREACHABLE:
      case ERROR_HOST_UNREACHABLE:
      case ERROR_DEV_NOT_EXIST:
      case ERROR_BAD_NET_RESP:
      case ERROR_UNEXP_NET_ERR:
        return State::kNoFolder;
      default:
        return State::kUnreadable;
    }
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return State::kUnreadable;
  UniqueKernelHandle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return State::kFile;
  switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return State::kLocked;
    case ERROR_FILE_NOT_FOUND:
      return State::kNoFile;  // deleted a moment ago
    default:
      return State::kUnreadable;
  }
}

bool CanMakeFilesIn(const std::string& folder) {
  std::wstring probe =
      FileCallPath(folder + "\\~TarvekHotKey-write-test-" + std::to_string(GetCurrentProcessId()));
  UniqueKernelHandle file(CreateFileW(
      probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (file) return true;  // and gone again as it closes, even if the program ends now
  // Somebody's file of that name: a file was made there once, so files can be.
  DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

namespace {

// The temporaries of the files that pattern names, in the pattern's folder.
void RemoveTemporariesOf(const std::wstring& pattern) {
  const std::size_t slash = pattern.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"" : pattern.substr(0, slash + 1);
  const std::wstring own = Widen(std::to_string(GetCurrentProcessId()));
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((pattern + std::wstring(kReplaceSuffix) + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring_view name = found.cFileName;
    const std::size_t mark = name.rfind(kReplaceSuffix);
    if (mark == std::wstring_view::npos || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    std::wstring_view digits = name.substr(mark + kReplaceSuffix.size());
    if (digits.empty() || digits.find_first_not_of(L"0123456789") != std::wstring_view::npos) continue;
    if (digits == own) continue;
    DeleteFileW((folder + std::wstring(name)).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// "C:\..." and "\\server\..." for "\\?\C:\..." and "\\?\UNC\server\...".
std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\UNC\\")) return L"\\" + path.substr(7);
  if (StartsWith(path, L"\\\\?\\")) return path.substr(4);
  return path;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  const std::wstring x = WithoutLongPrefix(a), y = WithoutLongPrefix(b);
  return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(),
                              static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

void RemoveLeftoverTemporaries(const std::string& filePattern) {
  const std::wstring pattern = FileCallPath(filePattern);
  RemoveTemporariesOf(pattern);
  // A save through a symbolic link wrote its temporary beside the file linked to.
  const std::wstring folder = ParentFolder(FullPath(pattern));
  const std::size_t slash = pattern.find_last_of(L"\\/");
  const std::wstring given = slash == std::wstring::npos ? L"" : pattern.substr(0, slash + 1);
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    UniqueKernelHandle file(CreateFileW((given + found.cFileName).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    const std::wstring linked = file ? FinalPath(file.get()) : std::wstring();
    if (!linked.empty() && !SameFolder(ParentFolder(linked), folder)) RemoveTemporariesOf(linked);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

std::string RemoteRootOfPath(const std::string& path) {
  return RemoteRootOf(Narrow(FullPath(Widen(path))), [](char drive) {
    const wchar_t root[] = {static_cast<wchar_t>(drive), L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
  });
}

}  // namespace tarvek::win
