// The import-list dialog's model: its buttons, and its three effects (the active list path,
// ImportPending, FileSave) and nothing more.
#include "lists/import_list_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_system.h"

namespace tarvek {
namespace {

using testing::MemorySettings;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;

const std::string kFolder = "C:\\HK";

class ImportListTest : public ::testing::Test {
 protected:
  ImportListTest() {
    system.files[kFolder + "\\SaveKey.htk"] = "";
    system.files[kFolder + "\\Games.HTK"] = "";
    system.files[kFolder + "\\工作.htk"] = "";
    system.files[kFolder + "\\x.htk.htk"] = "";
    settings.values["FileSave"] = kFolder + "\\SaveKey.htk";
    live.SetListPath(kFolder + "\\SaveKey.htk");
    settings.calls = &system.calls;
  }

  // Opens the dialog and clicks the name.
  void Click(const std::string& name) {
    model.Activate();
    for (int i = 0; i < static_cast<int>(model.Lists().size()); ++i) {
      if (model.Lists()[i].name == name) {
        model.ClickName(i);
        system.calls.clear();
        return;
      }
    }
    FAIL() << "no list " << name;
  }
  // What the dialog changed besides itself.
  void ExpectEffects(const std::string& activePath, bool pending, const std::string& fileSave) {
    EXPECT_EQ(live.ListPath(), activePath);
    EXPECT_EQ(flags.ImportPending, pending);
    EXPECT_EQ(settings.values["FileSave"], fileSave);
  }

  RecordingSystem system;
  MemorySettings settings;
  SettingsDialogModel live{settings, kFolder + "\\TarvekHotKey.exe"};
  ProgramFlags flags;
  ImportListModel model{system, settings, live, flags, kFolder};
};

TEST_F(ImportListTest, EachOpeningListsTheNamesWithBothActionButtonsDisabled) {
  model.Activate();
  std::vector<std::string> names;
  for (const NamedList& list : model.Lists()) names.push_back(list.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Games", "SaveKey", "x", "工作"}));
  EXPECT_FALSE(model.ImportEnabled());
  EXPECT_FALSE(model.LoadAtStartEnabled());
  EXPECT_TRUE(model.Visible());

  model.ClickName(0);
  EXPECT_TRUE(model.ImportEnabled());
  EXPECT_TRUE(model.LoadAtStartEnabled());
  model.Cancel();
  system.files[kFolder + "\\家里.htk"] = "";  // saved since
  model.Activate();
  EXPECT_FALSE(model.ImportEnabled());
  EXPECT_FALSE(model.LoadAtStartEnabled());
  EXPECT_EQ(model.Lists().size(), 5u);
  EXPECT_EQ(model.Lists()[3], (NamedList{"家里", "家里.htk"}));
}

TEST_F(ImportListTest, ImportMakesTheClickedListActiveRaisesThePendingFlagAndHides) {
  Click("Games");
  model.Import();
  ExpectEffects("C:\\HK\\Games.HTK", true, "C:\\HK\\SaveKey.htk");
  EXPECT_FALSE(model.Visible());
  EXPECT_EQ(system.calls, Calls{});  // nothing stored
}

TEST_F(ImportListTest, AListWithHtkInItsNameImportsItsOwnFile) {
  Click("x");
  model.Import();
  ExpectEffects("C:\\HK\\x.htk.htk", true, "C:\\HK\\SaveKey.htk");
}

TEST_F(ImportListTest, LoadAtStartStoresTheListForTheNextStartOnly) {
  Click("工作");
  model.LoadAtStart();
  EXPECT_EQ(system.calls, Calls{"Set FileSave C:\\HK\\工作.htk"});
  ExpectEffects("C:\\HK\\SaveKey.htk", false, "C:\\HK\\工作.htk");
  EXPECT_FALSE(model.LoadAtStartEnabled());
  EXPECT_TRUE(model.ImportEnabled());
  EXPECT_TRUE(model.Visible());
  model.LoadAtStart();  // disabled: nothing more
  EXPECT_EQ(system.calls.size(), 1u);

  // Then 确定 &Y on the same name: stored for the next start and active now.
  model.Import();
  ExpectEffects("C:\\HK\\工作.htk", true, "C:\\HK\\工作.htk");
}

TEST_F(ImportListTest, CancelChangesNothing) {
  Click("Games");
  model.Cancel();
  ExpectEffects("C:\\HK\\SaveKey.htk", false, "C:\\HK\\SaveKey.htk");
  EXPECT_FALSE(model.Visible());
  EXPECT_EQ(system.calls, Calls{});
}

TEST_F(ImportListTest, WithoutAClickOnANameTheButtonsDoNothing) {
  model.Activate();
  model.Import();
  model.LoadAtStart();
  ExpectEffects("C:\\HK\\SaveKey.htk", false, "C:\\HK\\SaveKey.htk");
  EXPECT_TRUE(model.Visible());

  // A file named ".htk" is listed by an empty name, which enables nothing.
  system.files.clear();
  system.files[kFolder + "\\.htk"] = "";
  model.Activate();
  model.ClickName(0);
  model.ClickName(1);
  EXPECT_FALSE(model.ImportEnabled());
  EXPECT_FALSE(model.LoadAtStartEnabled());
}

TEST_F(ImportListTest, AFilePickedWithTheOpenDialogIsImportedAsAClickedNameIs) {
  model.Activate();
  model.ImportFile(std::nullopt);
  model.ImportFile(std::string());
  ExpectEffects("C:\\HK\\SaveKey.htk", false, "C:\\HK\\SaveKey.htk");
  EXPECT_TRUE(model.Visible());
  model.ImportFile(std::string("D:\\Backup\\旧的.htk"));
  ExpectEffects("D:\\Backup\\旧的.htk", true, "C:\\HK\\SaveKey.htk");
  EXPECT_FALSE(model.Visible());
}

}  // namespace
}  // namespace tarvek
