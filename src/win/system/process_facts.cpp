#include "win/system/process_facts.h"

#include "win/system/unique_handle.h"

namespace tarvek::win {

namespace {

// The longest path Windows gives in characters (a UNICODE_STRING's length).
constexpr std::size_t kLongestPath = 32767;

UniqueKernelHandle TokenOf(HANDLE process) {
  HANDLE token = nullptr;
  return UniqueKernelHandle(OpenProcessToken(process, TOKEN_QUERY, &token) ? token : nullptr);
}

}  // namespace

std::wstring ProgramPathOf(DWORD processId) {
  if (processId == 0) return {};
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  // Paths may be longer than MAX_PATH; the buffer grows until the path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) {
      path.resize(size);
      return path;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() > kLongestPath) return {};
    path.resize(path.size() * 4);
  }
}

std::optional<DWORD> IntegrityOf(HANDLE process) {
  const UniqueKernelHandle token = TokenOf(process);
  if (!token) return std::nullopt;
  alignas(TOKEN_MANDATORY_LABEL) unsigned char
      buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer, sizeof(buffer), &size)) {
    return std::nullopt;
  }
  PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
  if (sid == nullptr || !IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0) {
    return std::nullopt;
  }
  return *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u);
}

std::optional<bool> ElevatedToken(HANDLE process) {
  const UniqueKernelHandle token = TokenOf(process);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!token ||
      !GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size)) {
    return std::nullopt;
  }
  return elevation.TokenIsElevated != 0;
}

}  // namespace tarvek::win
