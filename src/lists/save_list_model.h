// The save-list dialog "保存列表" without its window: the name box, the names of the lists
// beside the program, the state of its four buttons, and what save, delete and rename do. The
// dialog is made once and only hidden, so the name box keeps the last name typed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/files/active_abbreviations.h"
#include "core/files/active_options.h"
#include "core/grid.h"
#include "core/ports.h"
#include "lists/list_names.h"

namespace tarvek {

inline constexpr const char* kDefaultListName = "常用热键";

// How a click on "保存 &Y" ended.
enum class SaveListOutcome {
  kSaved,  // written, the user told, the dialog hidden
  kEmpty,  // "请输入你要使用的列表名称。"
  kInvalid,  // "请输入一个合法的文件名称作为列表名称." for the name or a failed write
  kNotSaved,  // the running list itself: the user chose to save nothing, or was told why not
};

// What became of a save under a name when the running list has that name.
enum class ActiveListSave { kNotActive, kSaved, kNotSaved };

class SaveListModel {
 public:
  // listFolder: the program's folder, which holds the named lists. The current list is what
  // the grid shows; it is written in the list file format. Message boxes go to dialogs until
  // the window gives its own.
  SaveListModel(GridPort& grid, SystemPort& system, std::string listFolder);

  const std::string& NameText() const { return nameText_; }       // Text1
  const std::vector<NamedList>& Lists() const { return lists_; }  // List1
  int Selected() const { return selected_; }               // the clicked name in List1, or -1
  bool SaveEnabled() const { return !nameText_.empty(); }  // "保存 &Y" follows Text1
  bool DeleteEnabled() const { return deleteEnabled_; }    // "删除 &D"
  bool RenameEnabled() const { return renameEnabled_; }    // "改名 &R"
  bool Visible() const { return visible_; }
  const std::string& ListFolder() const { return listFolder_; }

  // Each time the dialog is shown: the names are read again and delete and rename disabled.
  void Activate();
  // The user typed in Text1.
  void SetNameText(const std::string& text);
  // A click on name index of List1: its name goes into Text1; delete and rename are enabled.
  void ClickName(int index);
  // "保存 &Y": writes the grid's bindings as the named list NameText(), replacing a list of
  // that name without a question.
  SaveListOutcome Save();
  // "删除 &D": deletes the clicked list's file at once. False when the file could not go.
  bool Delete();
  // "改名 &R": asks for the new name (askNewName) and renames the clicked list's file. False
  // when nothing changed.
  bool Rename();
  // "取消 &C" and Esc: hides the dialog.
  void Cancel();

  // The window's own message boxes (none: the system's again).
  void UseDialogs(DialogPort* dialogs) { dialogs_ = dialogs != nullptr ? dialogs : &system_; }
  // The one-line input box "列表改名" with its prompt, preset with the name; empty text when
  // the user cancelled it.
  std::function<std::string(const std::string& preset)> askNewName;
  // Told after any change of what the dialog shows.
  std::function<void()> onChanged;
  // The running list's launch options: a saved list keeps them beside it, and a list's options
  // file is renamed and deleted with it. None: lists go without.
  const ActiveOptions* options = nullptr;
  // The running list's abbreviations, which go with a list as its options do.
  const ActiveAbbreviations* abbreviations = nullptr;
  // A save under the running list's own name ("SaveKey") is that list's save, as after an add
  // or a delete: asked about first while the list is not loaded, its options saved with it.
  // Given the path a save would write; kNotActive for any other list. None: all lists alike.
  std::function<ActiveListSave(const std::string& path)> saveIfActive;

 private:
  void RefreshLists();
  void Changed();
  const NamedList* SelectedList() const;
  // The files that go with the list at listPath: its options and its abbreviations, as far as
  // the model was given them.
  std::vector<std::string> FilesBeside(const std::string& listPath) const;

  GridPort& grid_;
  SystemPort& system_;
  DialogPort* dialogs_;
  std::string listFolder_;
  std::string nameText_ = kDefaultListName;
  std::vector<NamedList> lists_;
  int selected_ = -1;
  bool deleteEnabled_ = false;
  bool renameEnabled_ = false;
  bool visible_ = false;
};

}  // namespace tarvek
