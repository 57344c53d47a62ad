#include "win/files.h"

#include <windows.h>

#include <algorithm>
#include <optional>

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

// The file a path names now, as a replacement must treat it.
struct ExistingFile {
  std::wstring path;  // the file itself: a symbolic link followed to its end
  DWORD attributes = 0;
  DWORD links = 1;  // names the file has (hard links)
};

std::optional<ExistingFile> FindExisting(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  ExistingFile found{path, attributes};
  // Opening follows every link; what the handle says is the file's own.
  UniqueKernelHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return found;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file.get(), &info)) {
    found.attributes = info.dwFileAttributes;
    found.links = info.nNumberOfLinks;
  }
  std::wstring finalPath(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetFinalPathNameByHandleW(file.get(), finalPath.data(),
                                        static_cast<DWORD>(finalPath.size()), FILE_NAME_NORMALIZED);
    if (n == 0) break;  // a file system that cannot tell keeps the path as given
    if (n < finalPath.size()) {
      finalPath.resize(n);
      found.path = std::move(finalPath);
      break;
    }
    finalPath.resize(n);
  }
  return found;
}

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

// A file with more than one name loses the others when another file takes the place of one of
// them, so it is written where it is: not in one step, but every name sees the new content.
bool WriteInPlace(const std::wstring& path, const std::string& bytes) {
  UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && WriteAll(file.get(), bytes) && SetEndOfFile(file.get());
}

// What ReplaceFileW carries over from the old file on Windows; Wine's does not.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                      FILE_ATTRIBUTE_OFFLINE | kKeptAttributes;

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes) {
  std::wstring target = Widen(path);
  std::optional<ExistingFile> existing = FindExisting(target);
  if (existing) {
    // Windows refuses to replace a read-only file, but Wine does it; a file the user made
    // read-only stays as it is on both.
    if ((existing->attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
      return false;
    }
    // A list kept elsewhere (a synced folder) through a link stays there and stays linked.
    target = existing->path;
    if (existing->links > 1) return WriteInPlace(target, bytes);
  }
  std::wstring temporary =
      target + std::wstring(kReplaceSuffix) + Widen(std::to_string(GetCurrentProcessId()));
  {
    UniqueKernelHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    if (!WriteAll(file.get(), bytes)) {
      file.reset();
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!existing) {
    if (MoveFileExW(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
  }
  // ReplaceFileW keeps the old file's attributes, security and creation time.
  if (!ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                    REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                    nullptr)) {
    // This failure leaves the old file gone and the new one under its temporary name: it
    // only has to be moved into place.
    bool oldGone = GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
                   GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (!oldGone || !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  DWORD now = GetFileAttributesW(target.c_str());
  DWORD wanted = existing->attributes & kKeptAttributes;
  if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != wanted) {
    DWORD settable = ((now & ~kKeptAttributes) | wanted) & kSettableAttributes;
    SetFileAttributesW(target.c_str(), settable != 0 ? settable : FILE_ATTRIBUTE_NORMAL);
  }
  return true;
}

}  // namespace tarvek::win
