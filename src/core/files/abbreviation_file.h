// The abbreviations of a list, kept in a file beside it (SaveKey.htk → SaveKey.abbr): UTF-8 with
// a byte-order mark, CR LF, INI form, one section per abbreviation named by the abbreviation:
//
//   [addr]
//   Text=北京市海淀区中关村大街 1 号\n邮编 100080
//   OnlyIn=notepad.exe;Code.exe
//   Immediate=1
//   InWord=1
//
// Unlike the options file, this one is the table itself, not notes on another file: the reader
// takes what is sound and says what it left out (so that the user is told once and the file is
// kept in a .bak before the dialog writes over it), and the writer writes the entries only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/launch/launch_options.h"

namespace tarvek {

// 10,000 entries of a few hundred bytes fit many times over.
inline constexpr std::size_t kMaxAbbreviationFileBytes = 16u << 20;
inline constexpr std::size_t kMaxAbbreviationLength = 32;
// How many of the entries left out the report names; the rest are only counted.
inline constexpr std::size_t kReportedLeftOut = 5;

struct Abbreviation {
  std::string abbreviation;  // as written; compared without letter case
  std::string text;          // as typed: line breaks as CR LF, as UnescapeTypedText gives them
  ProgramScope scope = ProgramScope::kEverywhere;
  std::string programs;    // of the scope; empty with kEverywhere
  bool immediate = false;  // expands at its last character, without an ending character
  bool inWord = false;     // expands also where it ends a longer word
  // The scope and programs as a binding's options hold them, for ProgramCondition.
  LaunchOptions Condition() const;
  bool operator==(const Abbreviation&) const = default;
};

// The entries as the running program keeps them: every abbreviation, text and program list in
// one block of characters, and 16 bytes of record an entry. 10,000 entries of an Abbreviation
// each would cost three strings and as many heap blocks apiece: twice the memory.
class AbbreviationStore {
 public:
  AbbreviationStore() = default;
  AbbreviationStore(const std::vector<Abbreviation>& entries);  // NOLINT(google-explicit-constructor)

  std::size_t Size() const { return records_.size(); }
  bool Empty() const { return records_.empty(); }
  std::string_view Name(std::size_t n) const;
  std::string_view Text(std::size_t n) const;
  std::string_view Programs(std::size_t n) const;
  ProgramScope Scope(std::size_t n) const;
  bool Immediate(std::size_t n) const { return (records_[n].flags & kImmediate) != 0; }
  bool InWord(std::size_t n) const { return (records_[n].flags & kInWord) != 0; }
  Abbreviation At(std::size_t n) const;
  std::vector<Abbreviation> All() const;

  void Add(const Abbreviation& entry);
  // Room for so many entries and characters before they come; Fit gives back what is left.
  void Reserve(std::size_t entries, std::size_t characters);
  void Fit();

 private:
  static constexpr std::uint8_t kImmediate = 1, kInWord = 2, kOnlyIn = 4, kNotIn = 8;
  struct Record {
    std::uint32_t at = 0;  // of the abbreviation in chars_; its text and programs follow it
    std::uint32_t textLength = 0;
    std::uint32_t programsLength = 0;
    std::uint8_t nameLength = 0;
    std::uint8_t flags = 0;
  };
  std::string chars_;
  std::vector<Record> records_;
};

// A table of entries as the running list and the key hook share it, kept once. Never changed
// once made; never null where it is handed over.
using AbbreviationEntries = std::shared_ptr<const AbbreviationStore>;

// Why a line or an entry was left out, or why the dialog refuses an abbreviation.
enum class AbbreviationFault {
  kNone,
  kOutsideSection,  // a line above the first section
  kEmpty,           // "[]"
  kTooLong,         // beyond kMaxAbbreviationLength
  kBlank,           // has a blank
  kNotTyped,        // has a character a keyboard does not type without an input method, or [ ]
  kDuplicate,       // the same abbreviation as an earlier entry, letter case aside
  kNoText,          // no Text=, or an empty one
  kUnknownKey,      // a line that is no key of an entry (the entry itself is taken)
  kRepeatedKey,     // a key given again, or NotIn= beside OnlyIn= (the first counts)
  kBadValue,        // Immediate= or InWord= other than 0 or 1 (taken as 0)
};

// Whether the text is an abbreviation: 1 to 32 characters of printable ASCII but the blank,
// "[" and "]". Printable ASCII is what every keyboard layout the users have types without an
// input method; "[" and "]" would end the section's name.
AbbreviationFault CheckAbbreviation(std::string_view abbreviation);

struct AbbreviationFileReport {
  struct LeftOut {
    AbbreviationFault fault = AbbreviationFault::kNone;
    std::string name;  // the entry's abbreviation, or the line (cut short)
    bool operator==(const LeftOut&) const = default;
  };
  bool damaged = false;  // no text (or beyond the size limit): nothing taken
  // UTF-16: read whole, but a save writes it in UTF-8, so the user is told and the old file
  // kept as for anything left out.
  bool utf16 = false;
  std::size_t leftOutCount = 0;
  std::vector<LeftOut> firstLeftOut;  // the first kReportedLeftOut of them
  bool Clean() const { return !damaged && !utf16 && leftOutCount == 0; }
};

// Reads any bytes: UTF-8 with or without the mark, UTF-16 with its mark. Entries keep the file's
// order; blank lines mean nothing.
std::vector<Abbreviation> ParseAbbreviationFile(std::string_view bytes,
                                                AbbreviationFileReport* report = nullptr);
// The same, as the running program keeps it: no entry is ever made an Abbreviation of its own.
AbbreviationStore ParseAbbreviationStore(std::string_view bytes,
                                         AbbreviationFileReport* report = nullptr);
// The entries as the file holds them; what ParseAbbreviationFile gives reads back the same.
// The entries are taken to be sound (the dialog checks them as they are made).
std::string SerializeAbbreviationFile(const std::vector<Abbreviation>& entries);

}  // namespace tarvek
