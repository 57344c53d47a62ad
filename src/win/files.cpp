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

}  // namespace tarvek::win
