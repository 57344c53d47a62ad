#include "win/system/command_channel.h"

#include <vector>

#include "win/system/process_facts.h"

namespace tarvek::win {

namespace {

// The token's user SID and integrity level. False when the token cannot be read.
struct TokenFacts {
  std::vector<unsigned char> user;
  DWORD integrity = 0;
};

bool ReadToken(HANDLE process, TokenFacts& facts) {
  UniqueKernelHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) return false;
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return false;
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return false;
  PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  if (!IsValidSid(sid)) return false;
  const auto* sidBytes = static_cast<const unsigned char*>(sid);
  facts.user.assign(sidBytes, sidBytes + GetLengthSid(sid));
  // Without a label (a system that has none) the level stays 0 on both sides.
  facts.integrity = IntegrityOf(process).value_or(0);
  return true;
}

}  // namespace

std::optional<LRESULT> SendCopyData(HWND to, HWND from, ULONG_PTR mark, std::string_view bytes,
                                    UINT timeoutMs) {
  COPYDATASTRUCT data{};
  data.dwData = mark;
  data.cbData = static_cast<DWORD>(bytes.size());
  data.lpData = const_cast<char*>(bytes.data());
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                          reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_NORMAL,
                          timeoutMs, &answer) == 0) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(answer);
}

SenderCheck CheckSender(HWND sender) {
  SenderCheck check;
  DWORD process = 0;
  if (sender == nullptr || GetWindowThreadProcessId(sender, &process) == 0 || process == 0) {
    return check;
  }
  DWORD theirSession = 0, ourSession = 0;
  if (!ProcessIdToSessionId(process, &theirSession) ||
      !ProcessIdToSessionId(GetCurrentProcessId(), &ourSession) || theirSession != ourSession) {
    return check;
  }
  UniqueKernelHandle theirs(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  TokenFacts them, us;
  if (!theirs || !ReadToken(theirs.get(), them) || !ReadToken(GetCurrentProcess(), us)) return check;
  check.sameUserAndSession = them.user == us.user;
  check.fewerRights = them.integrity < us.integrity;
  return check;
}

UniqueKernelHandle OpenProcessOfWindow(HWND window) {
  DWORD process = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &process) == 0 || process == 0) return {};
  return UniqueKernelHandle(OpenProcess(SYNCHRONIZE, FALSE, process));
}

}  // namespace tarvek::win
