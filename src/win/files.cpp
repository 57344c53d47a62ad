#include "win/files.h"

#include <windows.h>

#include <algorithm>

#include "win/strings.h"
#include "win/unique_handle.h"

namespace tarvek::win {

FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
  UniqueKernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
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
  std::wstring target = Widen(path);
  BY_HANDLE_FILE_INFORMATION old{};
  bool exists = false;
  {
    // Opening follows every link: what the handle tells is the file's own.
    UniqueKernelHandle file(CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    exists = file && GetFileInformationByHandle(file.get(), &old);
    wchar_t finalPath[MAX_PATH * 4];
    DWORD n = exists ? GetFinalPathNameByHandleW(file.get(), finalPath, MAX_PATH * 4, 0) : 0;
    // A list kept elsewhere (a synced folder) through a symbolic link stays there and stays
    // linked. A file system that cannot tell keeps the path as given.
    if (n > 0 && n < MAX_PATH * 4) target.assign(finalPath, n);
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
      UniqueKernelHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      return file && WriteAll(file.get(), bytes) && SetEndOfFile(file.get());
    }
  }
  // ReplaceFileW would keep more of the old file, but it is not one step: Wine moves the old
  // file aside before the new one comes, and Windows documents a failure that leaves the old
  // one gone. A program ended in between would lose the list. The new file is made with the
  // old one's attributes instead, and a rename puts it in place.
  DWORD kept = exists ? old.dwFileAttributes & kKeptAttributes : 0;
  std::wstring temporary =
      target + std::wstring(kReplaceSuffix) + Widen(std::to_string(GetCurrentProcessId()));
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
  if (!MoveFileExW(temporary.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
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
  const std::wstring wide = Widen(path);
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
      Widen(folder + "\\~TarvekHotKey-write-test-" + std::to_string(GetCurrentProcessId()));
  UniqueKernelHandle file(CreateFileW(
      probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (file) return true;  // and gone again as it closes, even if the program ends now
  // Somebody's file of that name: a file was made there once, so files can be.
  DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

}  // namespace tarvek::win
