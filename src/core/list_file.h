// List files: four lines per binding (modifier text, key name, name, target), CR LF line ends,
// no header, in the ANSI code page. A list that needs characters the code page cannot hold is
// written as UTF-8 with a byte-order mark, and such a file is read back as UTF-8.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid.h"
#include "core/hotkey_table.h"
#include "core/ports.h"

namespace tarvek {

using BindingTexts = std::array<std::string, 4>;

// What a load found besides the bindings it took.
struct ListLoadReport {
  int loaded = 0;
  int surplus = 0;              // complete bindings beyond the 101 slots, not loaded
  bool incompleteTail = false;  // the last binding had fewer than four lines
  int withoutModifier = 0;      // bindings whose modifier line was empty, skipped
  bool Clean() const { return surplus == 0 && !incompleteTail && withoutModifier == 0; }
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::size_t kMaxListFileBytes = 16u << 20;  // far beyond 101 bindings

// The file's bytes for these bindings.
std::string SerializeList(const std::vector<BindingTexts>& bindings, AnsiCodec& codec);

// Clears the table (all but Target), then fills it from the file's bytes, deriving the codes.
// HotkeyCount becomes the number of bindings loaded.
ListLoadReport ParseList(const std::string& bytes, AnsiCodec& codec, HotkeyTable& table);

// The binding rows of the grid (rows 2 to the last), four texts each.
std::vector<BindingTexts> GridBindings(const GridPort& grid);

struct ListFileContext {
  GridPort& grid;
  HotkeyTable& table;
  FilePort& files;
  AnsiCodec& codec;
  DialogPort& dialogs;
};

// "get" reads the file at path into the table (a blank path, or no file in a folder that is
// there, empties the table and says nothing); any other mode writes the grid's binding rows to
// path. Returns false when a "put" could not write the file (the old file stays) or a "get"
// could not read a list that is or may be there (its folder or drive is missing, another
// program holds it, it cannot be read: the table is left empty); the user was told.
bool HotkeyListFile(std::string_view mode, const std::string& path, ListFileContext context);

std::string TrimBlanks(std::string_view text);

}  // namespace tarvek
