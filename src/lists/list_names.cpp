#include "lists/list_names.h"

#include <algorithm>
#include <array>

namespace tarvek {

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
  return upper;
}

// Where ".htk" first stands in the name, in any letter case. Only ASCII letters change case, so
// the upper-cased name has its characters where the name has them.
std::size_t FindExtension(std::string_view name) { return Upper(name).find(".HTK"); }

bool EndsWithExtension(std::string_view name) {
  return name.size() >= kListFileExtension.size() &&
         Upper(name.substr(name.size() - kListFileExtension.size())) == ".HTK";
}

// The names Windows keeps for devices. A superscript digit counts as a digit there too.
bool IsDeviceName(std::string_view stem) {
  static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  std::string upper = Upper(stem);
  if (std::find(kPlain.begin(), kPlain.end(), upper) != kPlain.end()) return true;
  if (upper.rfind("COM", 0) != 0 && upper.rfind("LPT", 0) != 0) return false;
  std::string_view number = std::string_view(upper).substr(3);
  if (number.size() == 1) return number[0] >= '1' && number[0] <= '9';
  return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";  // ¹ ² ³
}

}  // namespace

std::string ShownListName(std::string_view fileName) {
  std::size_t at = FindExtension(fileName);
  return std::string(fileName.substr(0, at));
}

std::vector<NamedList> NamedListsOf(const std::vector<std::string>& fileNames) {
  std::vector<NamedList> lists;
  for (const std::string& file : fileNames) {
    if (EndsWithExtension(file)) lists.push_back({ShownListName(file), file});
  }
  std::stable_sort(lists.begin(), lists.end(), [](const NamedList& a, const NamedList& b) {
    std::string ua = Upper(a.name), ub = Upper(b.name);
    if (ua != ub) return ua < ub;
    return a.fileName < b.fileName;
  });
  return lists;
}

std::vector<std::string> NamesOf(const std::vector<NamedList>& lists) {
  std::vector<std::string> names;
  names.reserve(lists.size());
  for (const NamedList& list : lists) names.push_back(list.name);
  return names;
}

std::vector<NamedList> ReadNamedLists(FolderPort& folder, const std::string& listFolder) {
  return NamedListsOf(folder.FileNamesIn(listFolder));
}

std::string NamedListPath(const std::string& listFolder, std::string_view name) {
  return listFolder + "\\" + std::string(name) + std::string(kListFileExtension);
}

bool IsSafeListName(std::string_view name) {
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) return false;
    if (std::string_view("\\/<>:\"|?*").find(c) != std::string_view::npos) return false;
  }
  if (!name.empty() && name.find_first_not_of('.') == std::string_view::npos) return false;
  // "CON", "con.list", "CON " and "con .list" all open the device.
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  if (IsDeviceName(stem)) return false;
  return FindExtension(name) == std::string::npos;
}

ListNameCheck CheckNameForSave(std::string_view name) {
  if (name.empty()) return ListNameCheck::kEmpty;
  if (name.find('=') != std::string_view::npos || !IsSafeListName(name)) {
    return ListNameCheck::kInvalid;
  }
  return ListNameCheck::kOk;
}

bool IsValidNewName(std::string_view name) { return !name.empty() && IsSafeListName(name); }

}  // namespace tarvek
