// The import-list dialog "导入列表" without its window: the names of the lists beside the
// program, the state of its buttons, and its three effects on the rest of the program: the
// active list path (the settings dialog's path field), ImportPending, and on "运行时加载 &R"
// the list loaded at every start (FileSave). The main window's import command does the rest.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "core/ports.h"
#include "lists/list_names.h"
#include "settings/settings_dialog_model.h"
#include "settings/settings_store.h"

namespace tarvek {

class ImportListModel {
 public:
  // liveSettings holds the active list path; flags holds ImportPending.
  ImportListModel(FolderPort& folder, SettingsStore& settings, SettingsDialogModel& liveSettings,
                  ProgramFlags& flags, std::string listFolder);

  const std::vector<NamedList>& Lists() const { return lists_; }  // List1
  int Selected() const { return selected_; }
  bool ImportEnabled() const { return importEnabled_; }            // "确定 &Y"
  bool LoadAtStartEnabled() const { return loadAtStartEnabled_; }  // "运行时加载 &R"
  bool Visible() const { return visible_; }
  const std::string& ListFolder() const { return listFolder_; }
  // The file of the clicked name; empty before a click.
  std::string ChosenPath() const;

  // Each time the dialog is shown: the names are read again, both action buttons disabled.
  void Activate();
  // A click on name index of List1: a name that is not empty enables both action buttons.
  void ClickName(int index);
  // "确定 &Y": the clicked list becomes the active list path, ImportPending is raised and the
  // dialog hides; the main window replaces its bindings when the dialog has returned.
  void Import();
  // "*": a list file picked anywhere with the open dialog is imported as "确定 &Y" imports a
  // clicked name; none (the user cancelled) changes nothing.
  void ImportFile(const std::optional<std::string>& path);
  // "运行时加载 &R": stores the clicked list as the one to load at every start and disables
  // itself; the dialog stays and the running bindings stay.
  void LoadAtStart();
  // "取消 &C" and Esc: hides the dialog; nothing else changes.
  void Cancel();

  // Told after any change of what the dialog shows.
  std::function<void()> onChanged;

 private:
  void ImportPath(const std::string& path);
  void Changed();

  FolderPort& folder_;
  SettingsStore& settings_;
  SettingsDialogModel& liveSettings_;
  ProgramFlags& flags_;
  std::string listFolder_;
  std::vector<NamedList> lists_;
  int selected_ = -1;
  bool importEnabled_ = false;
  bool loadAtStartEnabled_ = false;
  bool visible_ = false;
};

}  // namespace tarvek
