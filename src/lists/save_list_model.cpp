#include "lists/save_list_model.h"

#include "core/files/list_file.h"

namespace tarvek {

namespace {

constexpr const char* kInvalidSaveName = "请输入一个合法的文件名称作为列表名称.";
constexpr const char* kRenameFailed = "列表名格式错误或列表已经存在，请更改为其他的列表名";

}  // namespace

SaveListModel::SaveListModel(GridPort& grid, SystemPort& system, std::string listFolder)
    : grid_(grid), system_(system), dialogs_(&system), listFolder_(std::move(listFolder)) {}

void SaveListModel::Changed() {
  if (onChanged) onChanged();
}

void SaveListModel::RefreshLists() {
  lists_ = ReadNamedLists(system_, listFolder_);
  selected_ = -1;
}

std::vector<std::string> SaveListModel::FilesBeside(const std::string& listPath) const {
  std::vector<std::string> paths;
  if (options != nullptr) paths.push_back(OptionsPathFor(listPath));
  if (abbreviations != nullptr) paths.push_back(AbbreviationPathFor(listPath));
  return paths;
}

const NamedList* SaveListModel::SelectedList() const {
  if (selected_ < 0 || selected_ >= static_cast<int>(lists_.size())) return nullptr;
  return &lists_[static_cast<std::size_t>(selected_)];
}

void SaveListModel::Activate() {
  visible_ = true;
  RefreshLists();
  deleteEnabled_ = false;
  renameEnabled_ = false;
  Changed();
}

void SaveListModel::SetNameText(const std::string& text) {
  if (text == nameText_) return;
  nameText_ = text;
  Changed();
}

void SaveListModel::ClickName(int index) {
  if (index < 0 || index >= static_cast<int>(lists_.size())) return;
  selected_ = index;
  nameText_ = lists_[static_cast<std::size_t>(index)].name;
  deleteEnabled_ = true;
  renameEnabled_ = true;
  Changed();
}

SaveListOutcome SaveListModel::Save() {
  switch (CheckNameForSave(nameText_)) {
    case ListNameCheck::kEmpty:
      dialogs_->ShowMessageBox("请输入你要使用的列表名称。", "错误", kMbIconError | kMbOk);
      return SaveListOutcome::kEmpty;
    case ListNameCheck::kInvalid:
      dialogs_->ShowMessageBox(kInvalidSaveName, "错误", kMbIconError | kMbOk);
      return SaveListOutcome::kInvalid;
    case ListNameCheck::kOk:
      break;
  }
  const std::string path = NamedListPath(listFolder_, nameText_);
  const ActiveListSave active = saveIfActive ? saveIfActive(path) : ActiveListSave::kNotActive;
  if (active == ActiveListSave::kNotSaved) return SaveListOutcome::kNotSaved;
  if (active == ActiveListSave::kNotActive) {
    // The list as the grid shows it, in the list file format, in place of a list of that name.
    // Any failure of the write is the name's: the user is asked for another.
    std::string bytes = SerializeList(GridBindings(grid_), system_);
    if (!system_.ReplaceFileBytes(path, bytes)) {
      dialogs_->ShowMessageBox(kInvalidSaveName, "错误", kMbIconError | kMbOk);
      return SaveListOutcome::kInvalid;
    }
    if (options != nullptr) options->SaveBeside(path, system_, system_);
    if (abbreviations != nullptr) abbreviations->SaveBeside(path, system_, system_);
  }
  dialogs_->ShowMessageBox("列表保存完毕，如需使用请导入列表.", "提醒", kMbOk);
  visible_ = false;
  Changed();
  return SaveListOutcome::kSaved;
}

bool SaveListModel::Delete() {
  const NamedList* list = SelectedList();
  if (list == nullptr || !deleteEnabled_) return false;
  // The file the name was read from, which a name alone does not always lead back to.
  if (!system_.RemoveFile(listFolder_ + "\\" + list->fileName)) {
    dialogs_->ShowMessageBox("文件正在使用或已经打开，不能删除.", "删除列表文件",
                             kMbIconInformation | kMbOk);
    return false;
  }
  for (const std::string& beside : FilesBeside(listFolder_ + "\\" + list->fileName)) {
    if (system_.FileExists(beside)) system_.RemoveFile(beside);
  }
  deleteEnabled_ = false;
  renameEnabled_ = false;
  RefreshLists();
  Changed();
  return true;
}

bool SaveListModel::Rename() {
  const NamedList* list = SelectedList();
  if (list == nullptr || !renameEnabled_) return false;
  const NamedList renamed = *list;  // the list may be read again while the box is open
  std::string answer = askNewName ? askNewName(renamed.name) : std::string();
  if (answer.empty() || answer == renamed.name) return false;
  // The file system would take many a name that leaves the folder or names a device; such a
  // name is refused as a failed rename is. "=" is taken here, unlike on save.
  if (!IsValidNewName(answer) || !system_.RenameFile(listFolder_ + "\\" + renamed.fileName,
                                                     NamedListPath(listFolder_, answer))) {
    dialogs_->ShowMessageBox(kRenameFailed, "列表改名", kMbIconInformation | kMbOk);
    return false;
  }
  // The files beside the list go with it; one left under the new name belonged to none.
  const std::vector<std::string> from = FilesBeside(listFolder_ + "\\" + renamed.fileName);
  const std::vector<std::string> to = FilesBeside(NamedListPath(listFolder_, answer));
  for (std::size_t i = 0; i < from.size(); ++i) {
    if (system_.FileExists(from[i])) {
      if (system_.FileExists(to[i])) system_.RemoveFile(to[i]);
      system_.RenameFile(from[i], to[i]);
    }
  }
  RefreshLists();
  deleteEnabled_ = false;
  renameEnabled_ = false;
  Changed();
  return true;
}

void SaveListModel::Cancel() {
  visible_ = false;
  Changed();
}

}  // namespace tarvek
