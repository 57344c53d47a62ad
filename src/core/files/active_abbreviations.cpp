#include "core/files/active_abbreviations.h"

// A placeholder until the reading and writing are done: no file is read or written.
namespace tarvek {

std::string AbbreviationPathFor(std::string_view listPath) { return std::string(listPath) + ".abbr"; }

void ActiveAbbreviations::Load(const std::string& listPath, FilePort&, DialogPort&) {
  path_ = AbbreviationPathFor(listPath);
  entries_.clear();
}

bool ActiveAbbreviations::Writable() const { return !path_.empty() && !unreadable_; }

bool ActiveAbbreviations::Replace(std::vector<Abbreviation> entries, FilePort&, FolderPort&,
                                  DialogPort&) {
  entries_ = std::move(entries);
  return true;
}

void ActiveAbbreviations::SaveBeside(const std::string&, FilePort&, FolderPort&) const {}

}  // namespace tarvek
