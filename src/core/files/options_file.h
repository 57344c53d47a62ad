// The launch options of a list, kept in a file beside it (SaveKey.htk → SaveKey.opt): UTF-8
// with a byte-order mark, CR LF, INI form, one section per binding that has options, named by
// its two list lines joined with " | " ("[Ctrl + Alt | C]"). The list file itself stays as
// every older copy of the program reads it.
//
// Whatever the program does not know (other keys, other sections, comments, the lines before
// the first section) is kept as it is and written back; a section whose options are all the
// defaults and that holds nothing else is left out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/launch/launch_options.h"

namespace tarvek {

inline constexpr std::size_t kMaxOptionsFileBytes = 4u << 20;  // far beyond 101 sections

// The section name of a binding: "Ctrl + Alt | C".
std::string OptionsSectionName(std::string_view modifierText, std::string_view keyText);

class OptionsFile {
 public:
  struct Section {
    std::string name;                // between the brackets, as written
    std::vector<std::string> lines;  // the lines below its header, without their line ends
  };

  // Reads any bytes: UTF-8 with or without the mark, UTF-16 with its mark. damaged is set (and
  // nothing is taken) for bytes that are no such text or are beyond the size limit.
  static OptionsFile Parse(std::string_view bytes, bool* damaged = nullptr);
  std::string Serialize() const;

  // The binding's options; the defaults when it has no section. A value the program does not
  // know gives that option's default; of a key given twice the first counts.
  LaunchOptions Get(std::string_view modifierText, std::string_view keyText) const;
  // Writes the options into the binding's section, made when missing; lines of other keys stay.
  void Set(std::string_view modifierText, std::string_view keyText, const LaunchOptions& options);
  void Remove(std::string_view modifierText, std::string_view keyText);
  // The binding's combination changed: its section takes the new name, in place of a section
  // the new combination may have had.
  void Move(std::string_view fromModifier, std::string_view fromKey, std::string_view toModifier,
            std::string_view toKey);
  // Nothing to write: no section that would be written, no other line.
  bool Empty() const;

  const std::vector<Section>& Sections() const { return sections_; }

 private:
  Section* Find(std::string_view modifierText, std::string_view keyText);
  const Section* Find(std::string_view modifierText, std::string_view keyText) const;

  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;
};

}  // namespace tarvek
