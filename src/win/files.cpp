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

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes) {
  std::wstring target = Widen(path);
  // Windows refuses to move a file over a read-only one, but Wine does it; a file the user made
  // read-only stays as it is on both.
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return false;
  }
  std::wstring temporary =
      target + std::wstring(kReplaceSuffix) + Widen(std::to_string(GetCurrentProcessId()));
  {
    UniqueKernelHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
      DWORD written = 0;
      ok = WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) && written == chunk;
      done += written;
    }
    ok = ok && FlushFileBuffers(file.get());
    if (!ok) {
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
