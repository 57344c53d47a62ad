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

// What ReplaceFileW carries over from the old file on Windows; Wine's does not.
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
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
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
  // ReplaceFileW keeps the old file's attributes, security and creation time. Its one failure
  // that leaves the old file gone has the new one still under its temporary name.
  bool replaced =
      exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                            REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                            nullptr, nullptr) != FALSE
             : false;
  if (!replaced && (!exists || (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
                                GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES))) {
    replaced = MoveFileExW(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (!replaced) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  DWORD now = GetFileAttributesW(target.c_str());
  DWORD kept = old.dwFileAttributes & kKeptAttributes;
  if (exists && now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != kept) {
    SetFileAttributesW(target.c_str(), (now & FILE_ATTRIBUTE_ARCHIVE) | kept);
  }
  return true;
}

}  // namespace tarvek::win
