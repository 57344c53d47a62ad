#include "abbreviations/abbreviations_model.h"

#include <algorithm>

#include "core/files/list_file.h"
#include "core/input/program_condition.h"
#include "editor/launch_options_model.h"

namespace tarvek {

namespace {

// Abbreviations are ASCII (CheckAbbreviation), so their letter case is ASCII's.
bool SameAbbreviation(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

std::string Quoted(std::string_view abbreviation) { return "“" + std::string(abbreviation) + "”"; }

}  // namespace

AbbreviationFields AbbreviationFields::Of(const Abbreviation& entry) {
  AbbreviationFields f;
  f.abbreviation = entry.abbreviation;
  f.text = WithCrLf(entry.text);
  f.scope = static_cast<int>(entry.scope);
  f.programs = entry.programs;
  f.immediate = entry.immediate;
  f.inWord = entry.inWord;
  return f;
}

Abbreviation AbbreviationFields::Entry() const {
  Abbreviation e;
  e.abbreviation = TrimBlanks(abbreviation);
  e.text = text;
  // A list of nothing but separators names no program: everywhere, as the file reads it back.
  if (!SplitProgramList(programs).empty()) e.programs = TrimBlanks(programs);
  e.scope = ChosenScope(scope, e.programs);
  e.immediate = immediate;
  e.inWord = inWord;
  return e;
}

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

std::string ScopeText(const Abbreviation& entry) {
  std::string tip = ConditionTip(entry.Condition());
  return tip.empty() ? "所有程序" : tip;
}

AbbreviationsModel::AbbreviationsModel(std::vector<Abbreviation> entries)
    : entries_(std::move(entries)) {}

std::string AbbreviationsModel::Cell(std::size_t row, int column) const {
  if (row >= entries_.size()) return {};
  const Abbreviation& e = entries_[row];
  switch (column) {
    case 0:
      return e.abbreviation;
    case 1:
      return std::string(FirstLine(e.text));
    case 2:
      return ScopeText(e);
    default:
      return {};
  }
}

std::optional<AbbreviationRefusal> AbbreviationsModel::Refusal(
    const Abbreviation& entry, std::optional<std::size_t> editing) const {
  const std::string name = Quoted(entry.abbreviation);
  switch (CheckAbbreviation(entry.abbreviation)) {
    case AbbreviationFault::kNone:
      break;
    case AbbreviationFault::kEmpty:
      return AbbreviationRefusal{"请输入缩写。"};
    case AbbreviationFault::kTooLong:
      return AbbreviationRefusal{"缩写" + name + "太长了：缩写最多 " +
                                 std::to_string(kMaxAbbreviationLength) + " 个字符。"};
    case AbbreviationFault::kBlank:
      return AbbreviationRefusal{"缩写" + name + "中有空格：缩写不能含有空格。"};
    default:
      return AbbreviationRefusal{
          "缩写" + name +
          "中有不能直接用键盘打出的字符：缩写只能由英文字母、数字和键盘上的符号组成"
          "（不含空格和 [ ]），不能有汉字或全角字符。"};
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (i == editing || !SameAbbreviation(entries_[i].abbreviation, entry.abbreviation)) continue;
    const std::string other =
        entries_[i].abbreviation == entry.abbreviation
            ? "已经有了"
            : "已经有了（写作" + Quoted(entries_[i].abbreviation) + "，不分大小写）";
    return AbbreviationRefusal{"缩写" + name + other + "：请换一个缩写，或修改已有的那一条。"};
  }
  if (entry.text.empty()) {
    return AbbreviationRefusal{"请输入缩写" + name + "要替换成的文本。", true};
  }
  return std::nullopt;
}

AbbreviationsModel::Outcome AbbreviationsModel::Put(const Abbreviation& entry,
                                                    std::optional<std::size_t> editing) {
  if (editing && *editing >= entries_.size()) editing.reset();
  if (auto refusal = Refusal(entry, editing)) return {std::nullopt, std::move(refusal)};
  if (editing) {
    entries_[*editing] = entry;
    return {editing, std::nullopt};
  }
  entries_.push_back(entry);
  return {entries_.size() - 1, std::nullopt};
}

std::optional<std::size_t> AbbreviationsModel::FindStarting(std::string_view prefix,
                                                            std::size_t from) const {
  const std::size_t n = entries_.size();
  for (std::size_t k = 0; k < n; ++k) {
    const std::string& name = entries_[(from + k) % n].abbreviation;
    if (name.size() >= prefix.size() &&
        SameAbbreviation(std::string_view(name).substr(0, prefix.size()), prefix)) {
      return (from + k) % n;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> AbbreviationsModel::Delete(std::size_t row) {
  if (row >= entries_.size())
    return entries_.empty() ? std::nullopt : std::optional(entries_.size() - 1);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(row));
  if (entries_.empty()) return std::nullopt;
  return std::min(row, entries_.size() - 1);
}

}  // namespace tarvek
