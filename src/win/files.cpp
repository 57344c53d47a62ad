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

}  // namespace tarvek::win
