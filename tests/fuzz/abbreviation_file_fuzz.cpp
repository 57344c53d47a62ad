// An abbreviation file of any bytes: reading it never fails, what it writes reads back to the
// same entries with nothing left out, and writing those gives the same bytes. The entries then
// go into the program's own store and table, and through the matcher's index and a few
// characters, which must not trip the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/files/abbreviation_file.h"
#include "core/input/abbreviation_matcher.h"

using namespace tarvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  AbbreviationFileReport report;
  const std::vector<Abbreviation> entries = ParseAbbreviationFile(bytes, &report);
  if (report.firstLeftOut.size() > kReportedLeftOut || report.firstLeftOut.size() > report.leftOutCount) {
    std::abort();
  }
  for (const Abbreviation& e : entries) {
    if (CheckAbbreviation(e.abbreviation) != AbbreviationFault::kNone || e.text.empty()) std::abort();
  }
  const std::string once = SerializeAbbreviationFile(entries);
  AbbreviationFileReport again;
  if (ParseAbbreviationFile(once, &again) != entries || !again.Clean()) std::abort();
  if (SerializeAbbreviationFile(ParseAbbreviationFile(once)) != once) std::abort();

  // The running program's form of the table holds the same entries, and makes a table of them.
  const AbbreviationEntries store(new AbbreviationStore(entries));
  if (store->All() != entries) std::abort();
  if ((MakeAbbreviationTable(store) == nullptr) != entries.empty()) std::abort();

  // Each entry typed at a word start: whatever expands (a shorter immediate entry or one that
  // ends at an ending character inside it may come first) is undone by the next Backspace,
  // which gives back exactly what was erased.
  const AbbreviationIndex index(entries);
  AbbreviationMatcher matcher;
  for (const Abbreviation& e : entries) {
    matcher.Forget();
    AbbreviationAction action;
    for (char c : e.abbreviation) action = matcher.Feed(index, static_cast<unsigned char>(c));
    if (action.kind == AbbreviationAction::Kind::kNone) action = matcher.Feed(index, U' ');
    if (action.kind != AbbreviationAction::Kind::kExpand) continue;
    const AbbreviationAction undo = matcher.Backspace();
    if (undo.kind != AbbreviationAction::Kind::kUndo || undo.typed.size() != action.erase) std::abort();
  }
  return 0;
}
