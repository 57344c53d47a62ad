// Where the active list lives from one start to the next. FileSave holds the full path of the
// list loaded at start, as every version of the program has read it. The list beside the
// program is marked by FileSaveDefault, so that a program folder moved or copied elsewhere
// keeps using the SaveKey.htk beside it, while a path the user chose is kept wherever it points.
#pragma once

#include <string>

#include "settings/settings_store.h"

namespace tarvek {

struct StartList {
  std::string path;
  bool besideProgram = false;  // the program folder's own SaveKey.htk
};

// The list to load at start. It is the one beside the program when FileSave is empty or a
// blank, names that very file, or still holds what this program marked as a program folder's
// own list (the folder has been moved, or this is a copy of it). Anything else was chosen by
// the user, in this version or an older one, and is kept as it is.
StartList ResolveStartList(SettingsStore& settings, const std::string& programFolder);

// After start: the list beside the program is written to FileSave and marked, so that a
// later start from another folder knows it for what it is. A chosen list writes nothing.
void StoreStartList(SettingsStore& settings, const StartList& list);

// A path the user chose for the list to load at start ("保存修改 &Y", "运行时加载 &R"). It is
// marked as the list beside the program only when it names the program folder's SaveKey.htk.
void StoreChosenListPath(SettingsStore& settings, const std::string& path,
                         const std::string& programFolder);

std::string ListBesideProgram(const std::string& programFolder);

}  // namespace tarvek
