// List files: four lines per binding (modifier text, key name, name, target), CR LF line ends,
// no header, in the ANSI code page. A list that needs characters the code page cannot hold is
// written as UTF-8 with a byte-order mark. Lists other programs wrote are read as they come:
// UTF-8 with or without the mark, UTF-16 with its mark, GBK on a system whose code page is
// UTF-8; those are saved back as UTF-8 with the mark.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid.h"
#include "core/hotkey_table.h"
#include "core/ports.h"

namespace tarvek {

using BindingTexts = RowCells;

// How a list's bytes were read, and so how it is saved.
enum class ListTextForm {
  kAnsi,  // the ANSI code page: saved in it when every text fits, else as UTF-8 with the mark
  kUtf8,  // anything else: saved as UTF-8 with the mark, which every later load reads alike
};

// What a load found besides the bindings it took.
struct ListLoadReport {
  int loaded = 0;
  int surplus = 0;              // complete bindings beyond the 101 slots, not loaded
  bool incompleteTail = false;  // the last binding had fewer than four lines
  int withoutModifier = 0;      // bindings whose modifier line was empty, skipped
  ListTextForm form = ListTextForm::kAnsi;
  bool Clean() const { return surplus == 0 && !incompleteTail && withoutModifier == 0; }
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::size_t kMaxListFileBytes = 16u << 20;  // far beyond 101 bindings

// The file's bytes for these bindings. In the ANSI form, bytes that a load would read another
// way (GBK that happens to be UTF-8) are written as UTF-8 with the mark instead.
std::string SerializeList(const std::vector<BindingTexts>& bindings, AnsiCodec& codec,
                          ListTextForm form = ListTextForm::kAnsi);

// A list file's text as UTF-8, and the form its bytes were in.
struct DecodedList {
  std::string text;
  ListTextForm form = ListTextForm::kAnsi;
};
DecodedList DecodeList(std::string_view bytes, AnsiCodec& codec);

// Clears the table (all but Target), then fills it from the file's bytes, deriving the codes.
// HotkeyCount becomes the number of bindings loaded.
ListLoadReport ParseList(const std::string& bytes, AnsiCodec& codec, HotkeyTable& table);

// The binding rows of the grid (rows 2 to the last), four texts each.
std::vector<BindingTexts> GridBindings(const GridPort& grid);
// The table's bindings as loaded, four texts each.
std::vector<BindingTexts> TableBindings(const HotkeyTable& table);

// The form the active list was last read in: its next save keeps it.
struct ActiveListForm {
  std::string path;
  ListTextForm form = ListTextForm::kAnsi;
};

struct ListFileContext {
  GridPort& grid;
  HotkeyTable& table;
  FilePort& files;
  AnsiCodec& codec;
  DialogPort& dialogs;
  // Set by "get"; a "put" to the same path uses its form, any other path the ANSI form. Null
  // for callers that keep no active list.
  ActiveListForm* activeForm = nullptr;
};

// "get" reads the file at path into the table (a blank path, or no file in a folder that is
// there, empties the table and says nothing); any other mode writes the grid's binding rows to
// path. Returns false when a "put" could not write the file (the old file stays) or a "get"
// could not read a list that is or may be there (its folder or drive is missing, another
// program holds it, it cannot be read: the table is left empty); the user was told.
bool HotkeyListFile(std::string_view mode, const std::string& path, ListFileContext context);

std::string TrimBlanks(std::string_view text);

}  // namespace tarvek
