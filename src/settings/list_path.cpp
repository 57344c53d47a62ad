#include "settings/list_path.h"

#include "core/files/active_list.h"

namespace tarvek {

std::string ListBesideProgram(const std::string& programFolder) {
  return programFolder + "\\SaveKey.htk";
}

StartList ResolveStartList(SettingsStore& settings, const std::string& programFolder) {
  const std::string fileSave = settings.Get(setting::kFileSave);
  const std::string mark = TrimBlanks(settings.Get(setting::kFileSaveDefault));
  const std::string own = ListBesideProgram(programFolder);
  if (TrimBlanks(fileSave).empty() || SamePath(fileSave, own) ||
      (!mark.empty() && SamePath(fileSave, mark))) {
    return {own, true};
  }
  return {fileSave, false};
}

void StoreStartList(SettingsStore& settings, const StartList& list) {
  if (!list.besideProgram) return;
  if (settings.Get(setting::kFileSave) != list.path) settings.Set(setting::kFileSave, list.path);
  if (settings.Get(setting::kFileSaveDefault) != list.path) {
    settings.Set(setting::kFileSaveDefault, list.path);
  }
}

void StoreChosenListPath(SettingsStore& settings, const std::string& path,
                         const std::string& programFolder) {
  settings.Set(setting::kFileSave, path);
  // Chosen elsewhere, even another program folder's SaveKey.htk: no mark may make it follow
  // this program around.
  const std::string mark = SamePath(path, ListBesideProgram(programFolder)) ? path : std::string();
  if (TrimBlanks(settings.Get(setting::kFileSaveDefault)) != mark) {
    settings.Set(setting::kFileSaveDefault, mark);
  }
}

}  // namespace tarvek
