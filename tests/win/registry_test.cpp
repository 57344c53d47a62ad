// SetRegValue and GetRegValue against the real registry, on a key of the test's own.
#include "win/system/registry.h"

#include <gtest/gtest.h>

#include <string>

#include "win/system/strings.h"

namespace tarvek::win {
namespace {

constexpr wchar_t kTestParent[] = L"Software\\Tarvek HotKey Test";

class Registry : public ::testing::Test {
 protected:
  Registry()
      : key(std::wstring(kTestParent) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64())) {}

  ~Registry() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestParent);  // only when nothing else is left in it
  }

  // Writes a value of any type straight through the API, as another program might have.
  void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, type, data, bytes),
              ERROR_SUCCESS);
  }
  void SetRawText(const wchar_t* name, DWORD type, const std::wstring& text) {
    SetRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  // The stored type and text, as the API has them.
  std::pair<DWORD, std::wstring> Raw(const wchar_t* name) {
    wchar_t buffer[256] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                     buffer, &bytes) != ERROR_SUCCESS) {
      return {REG_NONE, L"(missing)"};
    }
    return {type, buffer};
  }

  bool KeyExists(const std::wstring& subkey) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(opened);
    return true;
  }

  std::string Get(const wchar_t* name) { return GetRegValue(HKEY_CURRENT_USER, key, name); }

  const std::wstring key;
};

TEST_F(Registry, TextRoundTripsAsRegSz) {
  ASSERT_FALSE(KeyExists(key));
  ASSERT_TRUE(SetRegValue(HKEY_CURRENT_USER, key, L"FileSave", "D:\\热键\\我的列表.htk"));
  EXPECT_EQ(Get(L"FileSave"), "D:\\热键\\我的列表.htk");
  EXPECT_EQ(Raw(L"FileSave"), std::make_pair(DWORD{REG_SZ}, std::wstring(L"D:\\热键\\我的列表.htk")));

  ASSERT_TRUE(SetRegValue(HKEY_CURRENT_USER, key, L"FileSave", "Win\tSpace"));
  EXPECT_EQ(Get(L"FileSave"), "Win\tSpace");
}

TEST_F(Registry, EmptyTextIsStoredAsOneBlank) {
  ASSERT_TRUE(SetRegValue(HKEY_CURRENT_USER, key, L"FileSave", ""));
  EXPECT_EQ(Raw(L"FileSave"), std::make_pair(DWORD{REG_SZ}, std::wstring(L" ")));
  EXPECT_EQ(Get(L"FileSave"), " ");
}

TEST_F(Registry, ValuesOfOtherTypes) {
  SetRawText(L"Expand", REG_EXPAND_SZ, L"%TEMP%\\x");
  EXPECT_EQ(Get(L"Expand"), "%TEMP%\\x");

  DWORD one = 1;
  DWORD big = 305419896;
  SetRaw(L"One", REG_DWORD, &one, sizeof(one));
  SetRaw(L"Big", REG_DWORD, &big, sizeof(big));
  EXPECT_EQ(Get(L"One"), "1");
  EXPECT_EQ(Get(L"Big"), "305419896");

  const BYTE binary[] = {'1', 0, 0, 0};
  SetRaw(L"Binary", REG_BINARY, binary, sizeof(binary));
  EXPECT_EQ(Get(L"Binary"), "");
  SetRawText(L"Multi", REG_MULTI_SZ, std::wstring(L"a\0b\0", 4));
  EXPECT_EQ(Get(L"Multi"), "");
}

TEST_F(Registry, TextIsCutAtItsFirstZeroAndNeedsNoTerminator) {
  SetRawText(L"Cut", REG_SZ, std::wstring(L"ab\0cd", 5));
  EXPECT_EQ(Get(L"Cut"), "ab");
  // Written without a terminating zero, as older writers did.
  const std::wstring text = L"热键";
  SetRaw(L"Bare", REG_SZ, text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
  EXPECT_EQ(Get(L"Bare"), "热键");
}

TEST_F(Registry, ValuesOf1024AnsiBytesOrMoreReadAsEmpty) {
  // The limit counts bytes in the ANSI code page plus a terminator: one per ASCII character,
  // two per Chinese one.
  auto readsBack = [this](const std::string& text) {
    EXPECT_TRUE(SetRegValue(HKEY_CURRENT_USER, key, L"Long", text));
    return Get(L"Long");
  };
  const std::string ascii1023(1023, 'x');
  EXPECT_EQ(readsBack(ascii1023), ascii1023);
  EXPECT_EQ(readsBack(std::string(1024, 'x')), "");
  EXPECT_EQ(readsBack(std::string(5000, 'x')), "");

  std::string chinese511;
  for (int i = 0; i < 511; ++i) chinese511 += "键";
  EXPECT_EQ(readsBack(chinese511 + "x"), chinese511 + "x");  // 1023 bytes
  EXPECT_EQ(readsBack(chinese511 + "键"), "");               // 1024 bytes
}

TEST_F(Registry, MissingKeyOrValueReadsAsEmptyAndCreatesNothing) {
  EXPECT_EQ(Get(L"FileSave"), "");
  EXPECT_FALSE(KeyExists(key));

  ASSERT_TRUE(SetRegValue(HKEY_CURRENT_USER, key, L"ShowIcon", "1"));
  EXPECT_EQ(Get(L"FileSave"), "");
  EXPECT_EQ(Raw(L"FileSave").first, DWORD{REG_NONE});
}

TEST(RegistrySettingsStore, KeepsSettingsUnderTheCurrentUser) {
  constexpr wchar_t kName[] = L"TarvekWinTestProbe";
  RegistrySettings settings;
  ASSERT_TRUE(settings.Set("TarvekWinTestProbe", "热键"));
  EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, kSettingsKey, kName), "热键");
  EXPECT_EQ(settings.Get("TarvekWinTestProbe"), "热键");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kName);
  EXPECT_EQ(settings.Get("TarvekWinTestProbe"), "");
}

bool LocalMachineHas(const wchar_t* subkey, const wchar_t* value) {
  return RegGetValueW(HKEY_LOCAL_MACHINE, subkey, value, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

TEST(RegistrySettingsStore, EverySettingRoundTripsAndNothingGoesToTheLocalMachine) {
  RegistrySettings settings;
  const std::pair<const char*, std::string> values[] = {
      {"HotKeyName", "Ctrl + Alt\tF5"}, {"ActivateStatus", "1"},
      {"FileSave", "C:\\热键 列表\\SaveKey.htk"}, {"ShowIcon", "0"}, {"ShowInfo", "0"},
      {"MouseCtrl", "1"}, {"PlaySound", "1"}, {"ShowHotKeyNameInMenu", "1"}};
  for (const auto& [name, value] : values) ASSERT_TRUE(settings.Set(name, value)) << name;
  for (const auto& [name, value] : values) EXPECT_EQ(settings.Get(name), value) << name;
  EXPECT_TRUE(settings.Set("FileSave", ""));
  EXPECT_EQ(settings.Get("FileSave"), " ");
  ASSERT_TRUE(settings.SetRunEntry(RunEntryValue(true, ProgramPathForRunEntry())));

  EXPECT_FALSE(LocalMachineHas(L"Software\\Tarvek HotKey", nullptr));
  EXPECT_FALSE(LocalMachineHas(kRunKey, kRunValue));
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
}

TEST(RunEntry, OnHoldsTheQuotedProgramPathOffHoldsOneBlankAndStays) {
  RegistrySettings settings;
  const std::string program = ProgramPathForRunEntry();
  ASSERT_GT(program.size(), 4u);
  EXPECT_EQ(program.substr(program.size() - 4), ".exe");

  ASSERT_TRUE(settings.SetRunEntry(RunEntryValue(true, program)));
  std::string stored = GetRegValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
  EXPECT_EQ(stored, "\"" + program + "\"");
  EXPECT_TRUE(RunEntryIsOn(settings.GetRunEntry()));
  DWORD type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_ANY, &type, nullptr,
                         nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_SZ});

  ASSERT_TRUE(settings.SetRunEntry(RunEntryValue(false, program)));
  EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, kRunKey, kRunValue), " ");  // still present
  EXPECT_FALSE(RunEntryIsOn(settings.GetRunEntry()));

  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
  EXPECT_FALSE(RunEntryIsOn(settings.GetRunEntry()));  // missing reads as off
}

}  // namespace
}  // namespace tarvek::win
