// The settings store in the registry. Settings live under the current user, so that a normal
// user can keep them; reads ask for read access only.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "settings/settings_store.h"

namespace tarvek::win {

inline constexpr const wchar_t* kSettingsKey = L"Software\\Tarvek HotKey";
inline constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const wchar_t* kRunValue = L"HotKey";

// Writes a REG_SZ value, creating the key when missing; empty text is stored as one blank.
bool SetRegValue(HKEY root, const std::wstring& subkey, const std::wstring& valueName,
                 const std::string& data);
// The value as text: REG_SZ and REG_EXPAND_SZ as stored (not expanded), REG_DWORD in decimal,
// anything else, anything of 1024 bytes or more, or anything missing as empty text.
std::string GetRegValue(HKEY root, const std::wstring& subkey, const std::wstring& valueName);

class RegistrySettings : public SettingsStore {
 public:
  std::string Get(std::string_view name) override;
  bool Set(std::string_view name, const std::string& value) override;
  std::string GetRunEntry() override;
  bool SetRunEntry(const std::string& value) override;
};

// The program file as the Run entry names it: its folder, its name, ".exe".
std::string ProgramPathForRunEntry();

}  // namespace tarvek::win
