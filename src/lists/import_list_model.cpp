#include "lists/import_list_model.h"

#include "settings/list_path.h"

namespace tarvek {

ImportListModel::ImportListModel(FolderPort& folder, SettingsStore& settings,
                                 SettingsDialogModel& liveSettings, ProgramFlags& flags,
                                 std::string listFolder)
    : folder_(folder),
      settings_(settings),
      liveSettings_(liveSettings),
      flags_(flags),
      listFolder_(std::move(listFolder)) {}

void ImportListModel::Changed() {
  if (onChanged) onChanged();
}

std::string ImportListModel::ChosenPath() const {
  if (selected_ < 0 || selected_ >= static_cast<int>(lists_.size())) return {};
  // The file the name was read from: a.htk.htk is shown as "a" but is its own list.
  return listFolder_ + "\\" + lists_[static_cast<std::size_t>(selected_)].fileName;
}

void ImportListModel::Activate() {
  visible_ = true;
  lists_ = ReadNamedLists(folder_, listFolder_);
  selected_ = -1;
  importEnabled_ = false;
  loadAtStartEnabled_ = false;
  Changed();
}

void ImportListModel::ClickName(int index) {
  if (index < 0 || index >= static_cast<int>(lists_.size())) return;
  selected_ = index;
  if (lists_[static_cast<std::size_t>(index)].name.empty()) return;
  importEnabled_ = true;
  loadAtStartEnabled_ = true;
  Changed();
}

void ImportListModel::ImportPath(const std::string& path) {
  liveSettings_.SetListPath(path);
  flags_.ImportPending = true;
  visible_ = false;
  Changed();
}

void ImportListModel::Import() {
  if (!importEnabled_) return;
  std::string path = ChosenPath();
  if (!path.empty()) ImportPath(path);
}

void ImportListModel::ImportFile(const std::optional<std::string>& path) {
  if (path && !path->empty()) ImportPath(*path);
}

void ImportListModel::LoadAtStart() {
  if (!loadAtStartEnabled_) return;
  std::string path = ChosenPath();
  if (path.empty()) return;
  // A failed write is not reported: the button is spent either way, and the list stays as it is.
  StoreChosenListPath(settings_, path, listFolder_);
  loadAtStartEnabled_ = false;
  Changed();
}

void ImportListModel::Cancel() {
  visible_ = false;
  Changed();
}

}  // namespace tarvek
