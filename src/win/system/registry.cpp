#include "win/system/registry.h"

#include "win/system/strings.h"
#include "win/system/unique_handle.h"
#include "win/system/win_system.h"

namespace tarvek::win {

namespace {
constexpr DWORD kMaxValueBytes = 1024;  // in the ANSI form the values have always had
}

bool SetRegValue(HKEY root, const std::wstring& subkey, const std::wstring& valueName,
                 const std::string& data) {
  UniqueRegKey key;
  if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.put(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  std::wstring text = Widen(data.empty() ? std::string(" ") : data);
  DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

std::string GetRegValue(HKEY root, const std::wstring& subkey, const std::wstring& valueName) {
  UniqueRegKey key;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
    return {};
  }
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  if (type == REG_DWORD) {
    DWORD value = 0;
    DWORD valueSize = sizeof(value);
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &valueSize) != ERROR_SUCCESS) {
      return {};
    }
    return std::to_string(value);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  if (size >= kMaxValueBytes * sizeof(wchar_t) * 2) return {};
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &got) != ERROR_SUCCESS) {
    return {};
  }
  buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));  // cut at the first zero
  std::string text = Narrow(buffer);
  // The limit is on the text as the ANSI code page holds it, terminator included.
  std::optional<std::string> ansi = Utf8ToAnsi(text);
  std::size_t ansiBytes = ansi ? ansi->size() : text.size();
  if (ansiBytes + 1 > kMaxValueBytes) return {};
  return text;
}

std::string RegistrySettings::Get(std::string_view name) {
  return GetRegValue(HKEY_CURRENT_USER, kSettingsKey, Widen(name));
}

bool RegistrySettings::Set(std::string_view name, const std::string& value) {
  return SetRegValue(HKEY_CURRENT_USER, kSettingsKey, Widen(name), value);
}

std::string RegistrySettings::GetRunEntry() {
  return GetRegValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
}

bool RegistrySettings::SetRunEntry(const std::string& value) {
  return SetRegValue(HKEY_CURRENT_USER, kRunKey, kRunValue, value);
}

std::string ProgramPathForRunEntry() {
  std::wstring file = Widen(ProgramFile());
  std::size_t slash = file.find_last_of(L'\\');
  std::size_t dot = file.find_last_of(L'.');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) file.resize(dot);
  return Narrow(file + L".exe");
}

}  // namespace tarvek::win
