// Named lists: the list files beside the program ("*.htk" in the program's folder), the names
// they are shown by, and the rules a new name has to pass before a file is made or renamed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ports.h"

namespace tarvek {

inline constexpr std::string_view kListFileExtension = ".htk";

// One named list as the two list dialogs show it: the name in the list box, and the file it
// came from. The file is kept because a name alone does not always lead back to it: a file
// a.htk.htk made by hand is shown as "a", like a.htk.
struct NamedList {
  std::string name;
  std::string fileName;
  bool operator==(const NamedList&) const = default;
};

// The part of a file name in front of its first ".htk", in any letter case ("Work.HTK" gives
// "Work"); the whole name when it has none.
std::string ShownListName(std::string_view fileName);

// The named lists among a folder's file names: every name ending in ".htk" (any case), shown
// by ShownListName, sorted by name without regard to letter case (then by file name), so that
// the order is the same on every system whatever order its folder listing gives.
std::vector<NamedList> NamedListsOf(const std::vector<std::string>& fileNames);

// The names alone, as a list box shows them.
std::vector<std::string> NamesOf(const std::vector<NamedList>& lists);

// The named lists in the folder, as NamedListsOf gives them.
std::vector<NamedList> ReadNamedLists(FolderPort& folder, const std::string& listFolder);

// listFolder + "\" + name + ".htk".
std::string NamedListPath(const std::string& listFolder, std::string_view name);

// Whether the file a name makes (name + ".htk") stays in the list folder, is a plain file
// there, and is shown again by this very name:
// - no "\" or "/", and no character Windows forbids in a file name (< > : " | ? * and the
//   control characters below a blank);
// - not only dots ("." and ".." name folders);
// - not a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9), alone or before a dot,
//   in any case, with blanks after it or not: "con.htk" and "Com1.list.htk" open devices;
// - no ".htk" inside, in any case: a.htk would be stored as a.htk.htk and shown as "a".
// An empty name is not judged here.
bool IsSafeListName(std::string_view name);

// Save ("保存 &Y") refuses, besides what IsSafeListName refuses, a name with "=", as the save
// dialog always has; rename takes "=", which the file system accepts.
enum class ListNameCheck { kOk, kEmpty, kInvalid };
ListNameCheck CheckNameForSave(std::string_view name);
bool IsValidNewName(std::string_view name);  // for rename

}  // namespace tarvek
