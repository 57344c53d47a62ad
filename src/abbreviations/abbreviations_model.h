// The dialog "缩写替换" and its editing dialog ("添加缩写" / "修改缩写") without their windows:
// the table as the dialog edits it (the running table is left alone until 确定), the list's
// cells, and what an added or changed entry must be before the table takes it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/abbreviation_file.h"

namespace tarvek {

inline constexpr std::string_view kAbbreviationsTitle = "缩写替换";
inline constexpr std::string_view kAddAbbreviationTitle = "添加缩写";
inline constexpr std::string_view kChangeAbbreviationTitle = "修改缩写";

// The list's columns: 缩写, 替换为 (the text's first line), 适用于.
inline constexpr int kAbbreviationColumns = 3;

// The editing dialog's boxes, as the user fills them in.
struct AbbreviationFields {
  std::string abbreviation;
  std::string text;  // line breaks as CR LF, as the box holds them
  int scope = 0;     // 适用于: an index of kScopeChoices
  std::string programs;
  bool immediate = false;  // 立即替换（不等结束符）
  bool inWord = false;     // 词中也替换

  static AbbreviationFields Of(const Abbreviation& entry);
  // The entry the boxes make: blanks around the abbreviation and the programs do not count, a
  // scope that names no program is everywhere.
  Abbreviation Entry() const;
};

// Why the editing dialog keeps an entry from the table: the message, and whether it is about
// the text (the focus goes there) rather than the abbreviation.
struct AbbreviationRefusal {
  std::string message;
  bool aboutText = false;
};

class AbbreviationsModel {
 public:
  explicit AbbreviationsModel(std::vector<Abbreviation> entries);

  const std::vector<Abbreviation>& Entries() const { return entries_; }
  std::size_t Count() const { return entries_.size(); }
  // A cell of the list, asked for as each row is drawn (the list holds no copy).
  std::string Cell(std::size_t row, int column) const;

  // Whether the entry may be taken, in place of the one at `editing` (none: added). Another
  // entry with the same abbreviation, letter case aside, refuses it; the entry's own does not.
  std::optional<AbbreviationRefusal> Refusal(const Abbreviation& entry,
                                             std::optional<std::size_t> editing) const;
  // Added at the end, or put in place of the entry at `editing`, when not refused. The row the
  // entry is at, or the refusal.
  struct Outcome {
    std::optional<std::size_t> row;
    std::optional<AbbreviationRefusal> refusal;
  };
  Outcome Put(const Abbreviation& entry, std::optional<std::size_t> editing);
  // The list's search as the user types in it: the first row from `from` on, round to the
  // start, whose abbreviation begins with prefix, letter case aside.
  std::optional<std::size_t> FindStarting(std::string_view prefix, std::size_t from) const;
  // The row to select after: the one that took its place, or the new last row; none when empty.
  std::optional<std::size_t> Delete(std::size_t row);

 private:
  std::vector<Abbreviation> entries_;
};

// Up to the first line break.
std::string_view FirstLine(std::string_view text);
// What the column 适用于 says of an entry: the condition's tip, or "所有程序".
std::string ScopeText(const Abbreviation& entry);

}  // namespace tarvek
