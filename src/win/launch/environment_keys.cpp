#include "win/launch/environment_keys.h"

#include <cwchar>
#include <vector>

#include "win/system/strings.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

namespace {

std::vector<EnvironmentValue> ValuesOf(HKEY root, const wchar_t* path) {
  std::vector<EnvironmentValue> values;
  UniqueRegKey key;
  if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return values;
  DWORD count = 0, longestName = 0, longestData = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    return values;
  }
  std::wstring name(longestName + 1, L'\0');
  std::vector<BYTE> data(longestData + sizeof(wchar_t));
  for (DWORD i = 0; i < count; ++i) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size() - sizeof(wchar_t));
    DWORD type = 0;
    if (RegEnumValueW(key.get(), i, name.data(), &nameLength, nullptr, &type, data.data(),
                      &dataSize) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || nameLength == 0) {
      continue;
    }
    // A value may be stored without its closing NUL, or with more than one.
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), dataSize / sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    values.push_back(
        {Narrow(std::wstring_view(name.data(), nameLength)), Narrow(text), type == REG_EXPAND_SZ});
  }
  return values;
}

}  // namespace

EnvironmentKeys ReadEnvironmentKeys() {
  return {ValuesOf(HKEY_LOCAL_MACHINE,
                   L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"),
          ValuesOf(HKEY_CURRENT_USER, L"Environment"),
          ValuesOf(HKEY_CURRENT_USER, L"Volatile Environment")};
}

void SetProcessVariable(const std::string& name, const std::optional<std::string>& value) {
  SetEnvironmentVariableW(Widen(name).c_str(), value ? Widen(*value).c_str() : nullptr);
}

bool AnnouncesEnvironment(LPARAM lParam) {
  const auto* text = reinterpret_cast<const wchar_t*>(lParam);
  return text != nullptr && CompareStringOrdinal(text, -1, L"Environment", -1, TRUE) == CSTR_EQUAL;
}

}  // namespace tarvek::win
