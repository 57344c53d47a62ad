#include "win/launch/environment_keys.h"

#include <cwchar>
#include <vector>

#include "win/system/strings.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

namespace {

// The text values of one key. False when the key exists and cannot be read whole: the values
// are then unknown, and the caller keeps those it had. A missing key has no values.
bool ValuesOf(HKEY root, const wchar_t* path, std::vector<EnvironmentValue>& values) {
  values.clear();
  UniqueRegKey key;
  const LSTATUS opened = RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, key.put());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  DWORD count = 0, longestName = 0, longestData = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  std::wstring name(longestName + 1, L'\0');
  std::vector<BYTE> data(longestData + sizeof(wchar_t));
  for (DWORD i = 0; i < count; ++i) {
    DWORD nameLength = 0, dataSize = 0, type = 0;
    LSTATUS read = ERROR_MORE_DATA;
    // An installer may lengthen a value (Path) or add a longer name between the size query and
    // the read: the buffers grow and the value is read again.
    for (int attempt = 0; attempt < 4 && read == ERROR_MORE_DATA; ++attempt) {
      nameLength = static_cast<DWORD>(name.size());
      dataSize = static_cast<DWORD>(data.size() - sizeof(wchar_t));
      read = RegEnumValueW(key.get(), i, name.data(), &nameLength, nullptr, &type, data.data(),
                           &dataSize);
      if (read == ERROR_MORE_DATA) {
        if (dataSize > data.size() - sizeof(wchar_t)) data.resize(dataSize + sizeof(wchar_t));
        name.resize(name.size() * 2 + 256);
      }
    }
    if (read == ERROR_NO_MORE_ITEMS) break;  // a value was deleted meanwhile
    if (read != ERROR_SUCCESS) return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || nameLength == 0) continue;
    // A value may be stored without its closing NUL, or with more than one.
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), dataSize / sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    values.push_back(
        {Narrow(std::wstring_view(name.data(), nameLength)), Narrow(text), type == REG_EXPAND_SZ});
  }
  return true;
}

}  // namespace

EnvironmentKeys ReadEnvironmentKeys() {
  EnvironmentKeys keys;
  keys.systemRead =
      ValuesOf(HKEY_LOCAL_MACHINE,
               L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", keys.system);
  keys.userRead = ValuesOf(HKEY_CURRENT_USER, L"Environment", keys.user);
  keys.sessionRead = ValuesOf(HKEY_CURRENT_USER, L"Volatile Environment", keys.session);
  return keys;
}

void SetProcessVariable(const std::string& name, const std::optional<std::string>& value) {
  SetEnvironmentVariableW(Widen(name).c_str(), value ? Widen(*value).c_str() : nullptr);
}

bool AnnouncesEnvironment(LPARAM lParam) {
  const auto* text = reinterpret_cast<const wchar_t*>(lParam);
  return text != nullptr && CompareStringOrdinal(text, -1, L"Environment", -1, TRUE) == CSTR_EQUAL;
}

}  // namespace tarvek::win
