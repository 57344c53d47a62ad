// What this program asks about a process, its own or another's: the program file it runs and
// the integrity level of its token. One reader of each, for the hooks, the launcher, the typist
// and the command channel alike.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tarvek::win {

// The full path of the process's program file; empty when the process cannot be asked.
std::wstring ProgramPathOf(DWORD processId);
// The mandatory integrity level of the process's token (SECURITY_MANDATORY_*_RID); nothing
// when the token cannot be read or has no label.
std::optional<DWORD> IntegrityOf(HANDLE process);
// Whether the process's token is elevated; nothing when it cannot be read.
std::optional<bool> ElevatedToken(HANDLE process);

}  // namespace tarvek::win
