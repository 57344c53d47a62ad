// The save-list dialog's model against the recording system: what it lists, writes, deletes and
// renames, the message of every refusal and the state of its buttons.
#include "lists/save_list_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/hotkey_table.h"
#include "core/files/list_file.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;

const std::string kFolder = "C:\\HK";
const std::vector<BindingTexts> kTwo = {
    {"Ctrl + Alt", "C", "我的计算器", "calc"},
    {"Shift + Win", "F5", "网站", "http://example.com/"},
};
const std::string kSavedBox = "MessageBox [列表保存完毕，如需使用请导入列表.] [提醒] 0x0";
const std::string kInvalidBox = "MessageBox [请输入一个合法的文件名称作为列表名称.] [错误] 0x10";
const std::string kRenameBox =
    "MessageBox [列表名格式错误或列表已经存在，请更改为其他的列表名] [列表改名] 0x40";

class SaveListTest : public ::testing::Test {
 protected:
  SaveListTest() {
    grid.AddRow("Win\tSpace\t显示本软件\t无");
    for (const BindingTexts& b : kTwo) grid.AddRow(b[0] + "\t" + b[1] + "\t" + b[2] + "\t" + b[3]);
    system.files[kFolder + "\\SaveKey.htk"] = SerializeList(kTwo, system);
    system.files[kFolder + "\\工作.htk"] = "work";
    system.files[kFolder + "\\a.htk.htk"] = "a twice";
    system.files[kFolder + "\\TarvekHotKey.exe"] = "MZ";
    system.files[kFolder + "\\sub\\deeper.htk"] = "not beside the program";
    system.files["C:\\elsewhere.htk"] = "not beside the program";
    model.onChanged = [this] { ++changes; };
    model.askNewName = [this](const std::string& preset) {
      asked.push_back(preset);
      return answer;
    };
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const NamedList& list : model.Lists()) names.push_back(list.name);
    return names;
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
  std::string File(const std::string& name) { return system.files[kFolder + "\\" + name]; }

  RecordingSystem system;
  FakeGrid grid;
  SaveListModel model{grid, system, kFolder};
  int changes = 0;
  std::vector<std::string> asked;
  std::string answer;
};

TEST_F(SaveListTest, FirstOpeningOffersTheDefaultNameAndTheListsBesideTheProgram) {
  EXPECT_FALSE(model.Visible());
  model.Activate();
  EXPECT_TRUE(model.Visible());
  EXPECT_EQ(model.NameText(), "常用热键");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "SaveKey", "工作"}));
  EXPECT_EQ(model.Lists()[0].fileName, "a.htk.htk");
  EXPECT_EQ(system.calls, Calls{"FileNamesIn C:\\HK"});
  EXPECT_TRUE(model.SaveEnabled());
  EXPECT_FALSE(model.DeleteEnabled());
  EXPECT_FALSE(model.RenameEnabled());
  EXPECT_EQ(model.Selected(), -1);
  EXPECT_GT(changes, 0);
}

TEST_F(SaveListTest, AClickCopiesTheNameAndEnablesDeleteAndRenameUntilTheNextOpening) {
  Click("工作");
  EXPECT_EQ(model.NameText(), "工作");
  EXPECT_TRUE(model.DeleteEnabled());
  EXPECT_TRUE(model.RenameEnabled());
  model.Cancel();
  EXPECT_FALSE(model.Visible());
  model.Activate();
  EXPECT_FALSE(model.DeleteEnabled());
  EXPECT_FALSE(model.RenameEnabled());
  EXPECT_EQ(model.NameText(), "工作");  // the box keeps the last name from opening to opening
  model.SetNameText("");
  EXPECT_FALSE(model.SaveEnabled());
}

TEST_F(SaveListTest, SaveWritesTheGridsListUnderTheNameTellsTheUserAndHides) {
  model.Activate();
  system.calls.clear();
  EXPECT_EQ(model.Save(), SaveListOutcome::kSaved);
  EXPECT_EQ(system.calls, (Calls{"ReplaceFileBytes C:\\HK\\常用热键.htk", kSavedBox}));
  // Byte for byte what the active list file holds for the same bindings.
  EXPECT_EQ(File("常用热键.htk"), File("SaveKey.htk"));
  EXPECT_FALSE(model.Visible());
  // Nothing else changed: the grid still shows its list.
  EXPECT_EQ(grid.Rows(), 4);
}

TEST_F(SaveListTest, AListOfTheSameNameIsReplacedWithoutAQuestion) {
  Click("工作");
  grid.RemoveRow(3);
  EXPECT_EQ(model.Save(), SaveListOutcome::kSaved);
  EXPECT_EQ(system.calls, (Calls{"ReplaceFileBytes C:\\HK\\工作.htk", kSavedBox}));
  EXPECT_EQ(File("工作.htk"), SerializeList({kTwo[0]}, system));
}

TEST_F(SaveListTest, ARefusedNameWritesNothingAndKeepsTheDialogOpen) {
  model.Activate();
  auto refused = [this](const std::string& name, SaveListOutcome outcome, const std::string& box) {
    model.SetNameText(name);
    system.calls.clear();
    EXPECT_EQ(model.Save(), outcome) << name;
    EXPECT_EQ(system.calls, Calls{box}) << name;
    EXPECT_TRUE(model.Visible()) << name;
  };
  refused("", SaveListOutcome::kEmpty, "MessageBox [请输入你要使用的列表名称。] [错误] 0x10");
  for (const char* name : {"a=b", "a?b", "a:b", "a*b", "..\\..\\x", "..\\evil", "a/b", "CON",
                           "nul.txt", "lpt1", "..", "a.htk", "x<y", "x|y", "x\"y"}) {
    refused(name, SaveListOutcome::kInvalid, kInvalidBox);
  }
  EXPECT_EQ(system.files.size(), 6u);
}

TEST_F(SaveListTest, AWriteTheFileSystemRefusesAsksForAnotherName) {
  model.Activate();
  system.unwritablePaths.insert("C:\\HK\\常用热键.htk");
  system.calls.clear();
  EXPECT_EQ(model.Save(), SaveListOutcome::kInvalid);
  EXPECT_EQ(system.calls, (Calls{"ReplaceFileBytes C:\\HK\\常用热键.htk", kInvalidBox}));
  EXPECT_TRUE(model.Visible());
}

TEST_F(SaveListTest, DeleteRemovesTheClickedListsOwnFileAtOnce) {
  Click("a");
  EXPECT_TRUE(model.Delete());
  // a.htk.htk, not a.htk: the file the name was read from.
  EXPECT_EQ(system.calls, (Calls{"RemoveFile C:\\HK\\a.htk.htk", "FileNamesIn C:\\HK"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"SaveKey", "工作"}));
  EXPECT_FALSE(model.DeleteEnabled());
  EXPECT_FALSE(model.RenameEnabled());
  EXPECT_TRUE(model.Visible());
}

TEST_F(SaveListTest, AFileThatCannotGoIsNamedAndTheListAndButtonsStay) {
  Click("工作");
  system.lockedPaths.insert("C:\\HK\\工作.htk");
  EXPECT_FALSE(model.Delete());
  EXPECT_EQ(system.calls,
            (Calls{"RemoveFile C:\\HK\\工作.htk",
                   "MessageBox [文件正在使用或已经打开，不能删除.] [删除列表文件] 0x40"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "SaveKey", "工作"}));
  EXPECT_TRUE(model.DeleteEnabled());
  EXPECT_TRUE(model.RenameEnabled());
}

TEST_F(SaveListTest, RenameAsksWithTheNameAndRenamesToAnyNameTheFileSystemTakes) {
  Click("工作");
  answer = "a=b";  // refused on save, taken here
  EXPECT_TRUE(model.Rename());
  EXPECT_EQ(asked, std::vector<std::string>{"工作"});
  EXPECT_EQ(system.calls,
            (Calls{"RenameFile C:\\HK\\工作.htk -> C:\\HK\\a=b.htk", "FileNamesIn C:\\HK"}));
  EXPECT_EQ(File("a=b.htk"), "work");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "a=b", "SaveKey"}));
  EXPECT_FALSE(model.DeleteEnabled());
  EXPECT_FALSE(model.RenameEnabled());
}

TEST_F(SaveListTest, RenameCancelledOrToTheSameNameChangesNothing) {
  for (const char* same : {"", "工作"}) {
    Click("工作");
    answer = same;
    EXPECT_FALSE(model.Rename());
    EXPECT_EQ(system.calls, Calls{}) << same;
    EXPECT_TRUE(model.RenameEnabled());
  }
  // Letter case counts: SaveKey to savekey is a rename.
  Click("SaveKey");
  answer = "savekey";
  EXPECT_TRUE(model.Rename());
  EXPECT_EQ(system.calls.front(), "RenameFile C:\\HK\\SaveKey.htk -> C:\\HK\\savekey.htk");
}

TEST_F(SaveListTest, RenameRefusesANameThatLeavesTheFolderAndAnExistingList) {
  for (const char* name :
       {"..\\evil", "..\\..\\x", "sub/x", "CON", "com1.list", "b.htk", "a?b", "a:b", "..."}) {
    Click("工作");
    answer = name;
    EXPECT_FALSE(model.Rename()) << name;
    EXPECT_EQ(system.calls, Calls{kRenameBox}) << name;
    EXPECT_TRUE(model.RenameEnabled()) << name;
  }
  Click("工作");
  answer = "savekey";  // SaveKey.htk is there, in another case
  EXPECT_FALSE(model.Rename());
  EXPECT_EQ(system.calls,
            (Calls{"RenameFile C:\\HK\\工作.htk -> C:\\HK\\savekey.htk", kRenameBox}));
  EXPECT_EQ(File("工作.htk"), "work");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "SaveKey", "工作"}));
}

TEST_F(SaveListTest, WithoutListsNothingCanBeClicked) {
  system.files.clear();
  model.Activate();
  EXPECT_TRUE(model.Lists().empty());
  model.ClickName(0);
  EXPECT_FALSE(model.DeleteEnabled());
  EXPECT_FALSE(model.Delete());
  EXPECT_FALSE(model.Rename());
  EXPECT_EQ(asked, std::vector<std::string>{});
  EXPECT_EQ(model.NameText(), "常用热键");
}

}  // namespace
}  // namespace tarvek
