#include "core/files/abbreviation_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <bit>
#include <cstdint>
#include <utility>

#include "core/files/list_file.h"
#include "core/files/text_encoding.h"
#include "core/input/program_condition.h"
#include "core/input/typed_text.h"

namespace tarvek {

namespace {

enum class Key { kText, kOnlyIn, kNotIn, kImmediate, kInWord, kOther };
constexpr std::array<std::string_view, 5> kKeyNames = {"Text", "OnlyIn", "NotIn", "Immediate",
                                                       "InWord"};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = Lower(c);
  return lowered;
}

std::uint64_t LoweredHash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(Lower(c))) * 1099511628211ull;
  return hash;
}

bool SameLowered(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return Lower(x) == Lower(y);
         });
}

std::string_view Trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A name for the report, short enough for a message box line and not cut inside a character.
std::string ShortName(std::string_view text) {
  constexpr std::size_t kMost = 40;
  if (text.size() <= kMost) return std::string(text);
  std::size_t cut = kMost;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "…";
}

// A list as one line, as the options file writes it: a line break separates names as ";" does,
// and blanks around it would not be read back.
std::string ProgramsValue(std::string_view programs) {
  std::string value(Trim(programs));
  std::replace(value.begin(), value.end(), '\n', ';');
  return value;
}

// A text as it reads back from the file: a CR alone in a line (which the file can hold) is a
// line break once written, so it is one from the start.
std::string TextValue(std::string_view escaped) {
  return UnescapeTypedText(EscapeTypedText(UnescapeTypedText(escaped)));
}

class Reader {
 public:
  explicit Reader(AbbreviationFileReport& report) : report_(report) {}

  void Line(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty()) return;
    if (t.front() == '[' && t.back() == ']' && t.size() >= 2) {
      EndSection();
      name_ = std::string(Trim(t.substr(1, t.size() - 2)));
      inSection_ = true;
      entry_.text.clear();  // the strings keep their room for the next entry
      entry_.programs.clear();
      entry_.scope = ProgramScope::kEverywhere;
      entry_.immediate = entry_.inWord = false;
      seen_ = {};
      onlyIn_.clear();
      notIn_.clear();
      return;
    }
    if (!inSection_) return LeaveOut(AbbreviationFault::kOutsideSection, t);
    std::size_t eq = t.find('=');
    Key key = Key::kOther;
    if (eq != std::string_view::npos) {
      std::string_view keyName = Trim(t.substr(0, eq));
      for (std::size_t k = 0; k < kKeyNames.size(); ++k) {
        if (Lowered(keyName) == Lowered(kKeyNames[k])) key = static_cast<Key>(k);
      }
    }
    if (key == Key::kOther) return LeaveOut(AbbreviationFault::kUnknownKey, name_);
    std::size_t k = static_cast<std::size_t>(key);
    // OnlyIn= and NotIn= are one condition: of both, the first counts.
    std::size_t slot = key == Key::kNotIn ? static_cast<std::size_t>(Key::kOnlyIn) : k;
    if (seen_[slot]) return LeaveOut(AbbreviationFault::kRepeatedKey, name_);
    seen_[slot] = true;
    // A text may begin or end with blanks that count: all of it after the "=" is the value.
    std::string_view value = Trim(t.substr(eq + 1));
    switch (key) {
      case Key::kText: entry_.text = TextValue(line.substr(line.find('=') + 1)); break;
      case Key::kOnlyIn: onlyIn_ = std::string(value); break;
      case Key::kNotIn: notIn_ = std::string(value); break;
      case Key::kImmediate:
      case Key::kInWord:
        if (value != "0" && value != "1") LeaveOut(AbbreviationFault::kBadValue, name_);
        (key == Key::kImmediate ? entry_.immediate : entry_.inWord) = value == "1";
        break;
      case Key::kOther: break;
    }
  }

  void Reserve(std::size_t sections, std::size_t characters) {
    // A file of nothing but "[]" lines is no reason to take hundreds of megabytes.
    sections = std::min<std::size_t>(sections, 1u << 16);
    entries_.Reserve(sections, characters);
    slots_.assign(SlotsFor(sections), 0);
  }

  AbbreviationStore Finish() {
    EndSection();
    entries_.Fit();  // the room kept for what was left out, and for escapes, goes
    return std::move(entries_);
  }

 private:
  void EndSection() {
    if (!inSection_) return;
    inSection_ = false;
    AbbreviationFault fault = CheckAbbreviation(name_);
    if (fault == AbbreviationFault::kNone && entry_.text.empty()) fault = AbbreviationFault::kNoText;
    // Only an entry taken makes a later one a duplicate: one left out gives way to the next.
    if (fault == AbbreviationFault::kNone && Taken(name_)) {
      fault = AbbreviationFault::kDuplicate;
    }
    if (fault != AbbreviationFault::kNone) return LeaveOut(fault, name_);
    // A list of nothing but separators names no program: no condition, as it is written back.
    if (!SplitProgramList(onlyIn_).empty()) {
      entry_.scope = ProgramScope::kOnlyIn;
      entry_.programs = ProgramsValue(onlyIn_);
    } else if (!SplitProgramList(notIn_).empty()) {
      entry_.scope = ProgramScope::kNotIn;
      entry_.programs = ProgramsValue(notIn_);
    }
    entry_.abbreviation.swap(name_);
    entries_.Add(entry_);
  }

  // Whether an entry taken already has the abbreviation, letter case aside; if none has, the
  // entry about to be taken is counted as having it.
  bool Taken(std::string_view name) {
    if (2 * (entries_.Size() + 1) > slots_.size()) {  // half empty at least: short probes
      slots_.assign(SlotsFor(entries_.Size() + 1), 0);
      for (std::size_t n = 0; n < entries_.Size(); ++n) {
        Slot(entries_.Name(n)) = static_cast<std::uint32_t>(n + 1);
      }
    }
    std::uint32_t& slot = Slot(name);
    if (slot != 0) return true;
    slot = static_cast<std::uint32_t>(entries_.Size() + 1);
    return false;
  }
  static std::size_t SlotsFor(std::size_t entries) {
    return std::bit_ceil(std::max<std::size_t>(64, 4 * entries));
  }
  // The slot of the entry with the name, or the free one where it would go.
  std::uint32_t& Slot(std::string_view name) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = LoweredHash(name) & mask;
    while (slots_[i] != 0 && !SameLowered(entries_.Name(slots_[i] - 1), name)) {
      i = (i + 1) & mask;
    }
    return slots_[i];
  }

  void LeaveOut(AbbreviationFault fault, std::string_view name) {
    if (report_.firstLeftOut.size() < kReportedLeftOut) report_.firstLeftOut.push_back({fault, ShortName(name)});
    ++report_.leftOutCount;
  }

  AbbreviationFileReport& report_;
  AbbreviationStore entries_;
  // The entries taken, entry + 1, by the hash of their lower-cased abbreviation: a duplicate
  // is found at once, with no copy of any name.
  std::vector<std::uint32_t> slots_;
  bool inSection_ = false;
  std::string name_;
  Abbreviation entry_;
  std::array<bool, kKeyNames.size()> seen_{};
  std::string onlyIn_, notIn_;
};

}  // namespace

AbbreviationStore::AbbreviationStore(const std::vector<Abbreviation>& entries) {
  std::size_t characters = 0;
  for (const Abbreviation& e : entries) {
    characters += e.abbreviation.size() + e.text.size() + e.programs.size();
  }
  Reserve(entries.size(), characters);
  for (const Abbreviation& e : entries) Add(e);
}

std::string_view AbbreviationStore::Name(std::size_t n) const {
  return std::string_view(chars_).substr(records_[n].at, records_[n].nameLength);
}

std::string_view AbbreviationStore::Text(std::size_t n) const {
  const Record& r = records_[n];
  return std::string_view(chars_).substr(r.at + r.nameLength, r.textLength);
}

std::string_view AbbreviationStore::Programs(std::size_t n) const {
  const Record& r = records_[n];
  return std::string_view(chars_).substr(r.at + r.nameLength + r.textLength, r.programsLength);
}

ProgramScope AbbreviationStore::Scope(std::size_t n) const {
  if ((records_[n].flags & kOnlyIn) != 0) return ProgramScope::kOnlyIn;
  return (records_[n].flags & kNotIn) != 0 ? ProgramScope::kNotIn : ProgramScope::kEverywhere;
}

Abbreviation AbbreviationStore::At(std::size_t n) const {
  return {std::string(Name(n)), std::string(Text(n)), Scope(n), std::string(Programs(n)),
          Immediate(n), InWord(n)};
}

std::vector<Abbreviation> AbbreviationStore::All() const {
  std::vector<Abbreviation> all;
  all.reserve(Size());
  for (std::size_t n = 0; n < Size(); ++n) all.push_back(At(n));
  return all;
}

void AbbreviationStore::Add(const Abbreviation& entry) {
  Record r;
  r.at = static_cast<std::uint32_t>(chars_.size());
  // An abbreviation has 32 characters at most, and the file 16 MB: the lengths fit.
  r.nameLength = static_cast<std::uint8_t>(std::min<std::size_t>(entry.abbreviation.size(), 255));
  r.textLength = static_cast<std::uint32_t>(entry.text.size());
  r.programsLength = static_cast<std::uint32_t>(entry.programs.size());
  r.flags = static_cast<std::uint8_t>((entry.immediate ? kImmediate : 0) | (entry.inWord ? kInWord : 0) |
                                      (entry.scope == ProgramScope::kOnlyIn ? kOnlyIn : 0) |
                                      (entry.scope == ProgramScope::kNotIn ? kNotIn : 0));
  chars_.append(entry.abbreviation, 0, r.nameLength).append(entry.text).append(entry.programs);
  records_.push_back(r);
}

void AbbreviationStore::Reserve(std::size_t entries, std::size_t characters) {
  records_.reserve(entries);
  chars_.reserve(characters);
}

void AbbreviationStore::Fit() {
  if (records_.capacity() - records_.size() > records_.size() / 8) records_.shrink_to_fit();
  if (chars_.capacity() - chars_.size() > chars_.size() / 8) chars_.shrink_to_fit();
}

LaunchOptions Abbreviation::Condition() const {
  LaunchOptions options;
  options.Scope = scope;
  options.Programs = programs;
  return options;
}

AbbreviationFault CheckAbbreviation(std::string_view abbreviation) {
  if (abbreviation.empty()) return AbbreviationFault::kEmpty;
  if (abbreviation.find_first_of(" \t") != std::string_view::npos) return AbbreviationFault::kBlank;
  bool typed = std::all_of(abbreviation.begin(), abbreviation.end(),
                           [](char c) { return c > ' ' && c < 0x7F && c != '[' && c != ']'; });
  if (!typed) return AbbreviationFault::kNotTyped;
  // Counted after the characters: all of them are ASCII here, so bytes are characters.
  if (abbreviation.size() > kMaxAbbreviationLength) return AbbreviationFault::kTooLong;
  return AbbreviationFault::kNone;
}

std::vector<Abbreviation> ParseAbbreviationFile(std::string_view bytes, AbbreviationFileReport* report) {
  return ParseAbbreviationStore(bytes, report).All();
}

AbbreviationStore ParseAbbreviationStore(std::string_view bytes, AbbreviationFileReport* report) {
  AbbreviationFileReport local;
  AbbreviationFileReport& r = report != nullptr ? *report : local;
  r = {};
  std::optional<std::string> text;
  if (bytes.size() <= kMaxAbbreviationFileBytes) text = DecodeMarkedText(bytes);
  if (!text) {
    r.damaged = true;
    return {};
  }
  r.utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
  Reader reader(r);
  // Room for every section at once: grown by doubling, 10,000 entries would leave a megabyte of
  // freed smaller copies behind in the heap.
  std::size_t sections = text->starts_with('[') ? 1 : 0;
  for (std::size_t at = text->find("\n["); at != std::string::npos; at = text->find("\n[", at + 2)) {
    ++sections;
  }
  reader.Reserve(sections, text->size());
  std::string_view rest = *text;
  while (!rest.empty()) {
    std::size_t lf = rest.find('\n');
    std::string_view line = rest.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    reader.Line(line);
    rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
  }
  return reader.Finish();
}

std::string SerializeAbbreviationFile(const std::vector<Abbreviation>& entries) {
  std::string out(kUtf8Bom);
  for (const Abbreviation& e : entries) {
    if (&e != &entries.front()) out.append("\r\n");  // a blank line parts the entries
    out.append("[").append(e.abbreviation).append("]\r\n");
    out.append("Text=").append(EscapeTypedText(e.text)).append("\r\n");
    if (e.scope != ProgramScope::kEverywhere && !e.programs.empty()) {
      out.append(e.scope == ProgramScope::kOnlyIn ? "OnlyIn=" : "NotIn=")
          .append(ProgramsValue(e.programs))
          .append("\r\n");
    }
    if (e.immediate) out.append("Immediate=1\r\n");
    if (e.inWord) out.append("InWord=1\r\n");
  }
  return out;
}

}  // namespace tarvek
