#include <gtest/gtest.h>

#include "recording_system.h"
#include "settings/ini_settings.h"
#include "settings/settings_dialog_model.h"

namespace tarvek {
namespace {

using testing::MemorySettings;
using testing::RecordingSystem;

const std::string kFolder = "D:\\绿色 工具";
const std::string kIni = kFolder + "\\TarvekHotKey.ini";
const std::string kBom = "\xEF\xBB\xBF";

struct PortableStart {
  RecordingSystem system;
  MemorySettings registry;
  std::vector<std::string> registryCalls;
  std::unique_ptr<SettingsStore> store;

  explicit PortableStart(std::optional<std::string> file) {
    if (file) system.files[kIni] = *file;
    registry.calls = &registryCalls;
    store = PortableSettingsIfPresent(system, system, kFolder, registry);
  }
};

TEST(PortableSettings, EverySettingGoesToTheFileAndSavingAgainGivesTheSameBytes) {
  PortableStart start{std::string()};
  ASSERT_NE(start.store, nullptr);
  const std::vector<std::pair<std::string_view, std::string>> values = {
      {setting::kHotKeyName, "Ctrl + Alt\tF5"}, {setting::kActivateStatus, "1"},
      {setting::kFileSave, kFolder + "\\列表.htk"}, {setting::kShowIcon, "0"},
      {setting::kShowInfo, "0"},                  {setting::kMouseCtrl, "1"},
      {setting::kPlaySound, "1"},                 {setting::kShowHotKeyNameInMenu, ""},
  };
  for (const auto& [name, value] : values) EXPECT_TRUE(start.store->Set(name, value)) << name;
  const std::string bytes = start.system.files[kIni];
  EXPECT_EQ(bytes.substr(0, 3), kBom);
  EXPECT_EQ(bytes.substr(3, 17), "[Tarvek HotKey]\r\n");
  for (const auto& [name, value] : values) {
    EXPECT_EQ(start.store->Get(name), value.empty() ? " " : value) << name;
    start.store->Set(name, start.store->Get(name));
  }
  EXPECT_EQ(start.system.files[kIni], bytes);
  // The start-with-Windows entry is the one thing left in the registry.
  EXPECT_TRUE(start.store->SetRunEntry("\"D:\\绿色 工具\\TarvekHotKey.exe\""));
  EXPECT_EQ(start.registryCalls,
            std::vector<std::string>{"SetRunEntry \"D:\\绿色 工具\\TarvekHotKey.exe\""});
  EXPECT_EQ(start.store->GetRunEntry(), start.registry.runEntry);
}

TEST(PortableSettings, AFileWrittenByHandReadsAsMeantAndAChangeKeepsEveryOtherLine) {
  // No byte-order mark, GBK, LF line ends, comments, another section, odd spacing and case.
  const std::string gbkPath = "D:\\\xC2\xCC\xC9\xAB\\a.htk";  // D:\绿色\a.htk
  const std::string file = "; mine\n[Other]\nShowIcon=1\n\n[tarvek hotkey]\n  showicon = 0 \n"
                           "FileSave=" + gbkPath + "\nnonsense line\nMouseCtrl=\n";
  PortableStart start(file);
  EXPECT_EQ(start.store->Get(setting::kShowIcon), "0");
  EXPECT_EQ(start.store->Get(setting::kFileSave), "D:\\绿色\\a.htk");
  EXPECT_EQ(start.store->Get(setting::kMouseCtrl), "");
  EXPECT_EQ(start.store->Get(setting::kPlaySound), "");

  EXPECT_TRUE(start.store->Set(setting::kShowIcon, "1"));
  EXPECT_TRUE(start.store->Set(setting::kPlaySound, "1"));
  EXPECT_EQ(start.system.files[kIni],
            kBom + "; mine\r\n[Other]\r\nShowIcon=1\r\n\r\n[tarvek hotkey]\r\nShowIcon=1\r\n"
                   "FileSave=D:\\绿色\\a.htk\r\nnonsense line\r\nMouseCtrl=\r\nPlaySound=1\r\n");
  EXPECT_EQ(start.store->Get(setting::kFileSave), "D:\\绿色\\a.htk");
  EXPECT_TRUE(start.registryCalls.empty());
}

TEST(PortableSettings, AFileThatCannotBeReadIsNeverReplaced) {
  PortableStart start(kBom + "[Tarvek HotKey]\r\nShowInfo=0\r\n");
  const std::string before = start.system.files[kIni];
  // A text that cannot stand on one line would break the file.
  EXPECT_FALSE(start.store->Set(setting::kFileSave, "a\r\nShowInfo=1"));
  start.system.lockedPaths.insert(kIni);
  EXPECT_EQ(start.store->Get(setting::kShowInfo), "");
  EXPECT_FALSE(start.store->Set(setting::kShowInfo, "1"));
  EXPECT_EQ(start.system.files[kIni], before);
  EXPECT_TRUE(start.registryCalls.empty());
}

TEST(PortableSettings, OnlyTheFileBesideTheProgramSwitchesItOnAndTheDialogSaysSo) {
  PortableStart without(std::nullopt);
  EXPECT_EQ(without.store, nullptr);
  EXPECT_EQ(SettingsDialogModel(without.registry, "x.exe").Title(), "软件设置");
  PortableStart with(std::string{});
  ASSERT_NE(with.store, nullptr);
  EXPECT_EQ(SettingsDialogModel(*with.store, "x.exe").Title(), "软件设置 - 便携模式");
}

}  // namespace
}  // namespace tarvek
