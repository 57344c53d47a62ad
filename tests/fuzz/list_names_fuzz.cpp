// A list name of any bytes: a name the rules let through makes a file in the list folder that
// is shown again by that very name; any folder listing gives sorted names without a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "lists/list_names.h"

using namespace tarvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  if (IsSafeListName(name)) {
    const std::string folder = "C:\\Tools\\HK";
    const std::string path = NamedListPath(folder, name);
    const std::string file = path.substr(folder.size() + 1);
    if (path.compare(0, folder.size() + 1, folder + "\\") != 0) std::abort();
    if (file.find_first_of("\\/:") != std::string::npos) std::abort();  // leaves the folder
    if (ShownListName(file) != name) std::abort();                      // shown by another name
    const std::vector<NamedList> listed = NamedListsOf({file});
    if (listed.size() != 1 || listed[0].name != name) std::abort();
  }
  CheckNameForSave(name);
  IsValidNewName(name);
  // The bytes as a folder listing, one file name per line.
  std::vector<std::string> files;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '\n') {
      files.push_back(name.substr(start, i - start));
      start = i + 1;
    }
  }
  const std::vector<NamedList> lists = NamedListsOf(files);
  if (lists.size() > files.size()) std::abort();
  return 0;
}
