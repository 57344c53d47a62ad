#include "core/files/options_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "core/files/list_file.h"
#include "core/files/text_encoding.h"
#include "core/input/program_condition.h"
#include "core/input/typed_text.h"

namespace tarvek {

namespace {

enum class Key {
  kArguments,
  kStartIn,
  kWindow,
  kRunAs,
  kIfRunning,
  kEnabled,
  kText,
  kOnlyIn,
  kNotIn,
  kOther
};
constexpr std::array<std::string_view, 9> kKeyNames = {
    "Arguments", "StartIn", "Window", "RunAs", "IfRunning", "Enabled", "Text", "OnlyIn", "NotIn"};
constexpr std::array<std::string_view, 3> kWindowValues = {"normal", "minimized", "maximized"};
constexpr std::array<std::string_view, 2> kRunAsValues = {"normal", "admin"};
constexpr std::array<std::string_view, 3> kIfRunningValues = {"start", "activate", "toggle"};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A section name as it is compared: blanks around " | " and the letter case do not count.
std::string Canonical(std::string_view name) {
  std::size_t bar = name.find('|');
  std::string canonical(Trim(name.substr(0, bar)));
  if (bar != std::string_view::npos) canonical.append("|").append(Trim(name.substr(bar + 1)));
  for (char& c : canonical) c = Lower(c);
  return canonical;
}

bool SameSection(std::string_view name, std::string_view modifierText, std::string_view keyText) {
  return name.find('|') != std::string_view::npos &&
         Canonical(name) == Canonical(OptionsSectionName(modifierText, keyText));
}

struct KeyLine {
  Key key = Key::kOther;
  std::string_view value;
};

KeyLine ReadKeyLine(std::string_view line) {
  std::string_view t = Trim(line);
  std::size_t eq = t.find('=');
  if (t.empty() || t[0] == ';' || t[0] == '#' || eq == std::string_view::npos) return {};
  std::string_view name = Trim(t.substr(0, eq));
  for (std::size_t k = 0; k < kKeyNames.size(); ++k) {
    if (!SameText(name, kKeyNames[k])) continue;
    // A text may begin or end with blanks that count: all of it after the "=" is the value.
    if (static_cast<Key>(k) == Key::kText) return {Key::kText, line.substr(line.find('=') + 1)};
    return {static_cast<Key>(k), Trim(t.substr(eq + 1))};
  }
  return {};
}

template <std::size_t N>
int ValueIndex(std::string_view value, const std::array<std::string_view, N>& values) {
  for (std::size_t i = 0; i < N; ++i) {
    if (SameText(value, values[i])) return static_cast<int>(i);
  }
  return 0;  // not a value the program knows: the default
}

// The options the lines give; seen[k] tells which keys were there, so that the first counts.
LaunchOptions ReadOptions(const std::vector<std::string>& lines) {
  LaunchOptions options;
  std::string onlyIn, notIn;
  std::array<bool, kKeyNames.size()> seen{};
  for (const std::string& line : lines) {
    KeyLine kl = ReadKeyLine(line);
    if (kl.key == Key::kOther || seen[static_cast<std::size_t>(kl.key)]) continue;
    seen[static_cast<std::size_t>(kl.key)] = true;
    switch (kl.key) {
      case Key::kArguments: options.Arguments = std::string(kl.value); break;
      case Key::kStartIn: options.StartIn = std::string(kl.value); break;
      case Key::kWindow: options.Window = static_cast<WindowState>(ValueIndex(kl.value, kWindowValues)); break;
      case Key::kRunAs: options.RunAs = static_cast<RunLevel>(ValueIndex(kl.value, kRunAsValues)); break;
      case Key::kIfRunning:
        options.WhenRunning = static_cast<IfRunning>(ValueIndex(kl.value, kIfRunningValues));
        break;
      case Key::kEnabled: options.Enabled = kl.value != "0"; break;
      case Key::kText: options.Text = UnescapeTypedText(kl.value); break;
      case Key::kOnlyIn: onlyIn = std::string(kl.value); break;
      case Key::kNotIn: notIn = std::string(kl.value); break;
      case Key::kOther: break;
    }
  }
  // A list of nothing but separators names no program: it is no condition, as it is written
  // back (not at all), so that a save does not change what the file means. Both given (by
  // hand): the narrower one counts.
  if (SplitProgramList(onlyIn).empty()) onlyIn.clear();
  if (SplitProgramList(notIn).empty()) notIn.clear();
  if (!onlyIn.empty()) {
    options.Scope = ProgramScope::kOnlyIn;
    options.Programs = std::move(onlyIn);
  } else if (!notIn.empty()) {
    options.Scope = ProgramScope::kNotIn;
    options.Programs = std::move(notIn);
  }
  return options;
}

// A list as one line: a line break in it separates names as ";" does, and blanks around it
// would not be read back.
std::string ProgramsValue(std::string_view programs) {
  std::string value(Trim(programs));
  std::replace(value.begin(), value.end(), '\n', ';');
  return value;
}

// The value a key is written with; empty for the default, which is not written.
std::string ValueText(Key key, const LaunchOptions& o) {
  switch (key) {
    case Key::kArguments: return o.Arguments;
    case Key::kStartIn: return o.StartIn;
    case Key::kWindow: return o.Window == WindowState::kNormal ? "" : std::string(kWindowValues[static_cast<int>(o.Window)]);
    case Key::kRunAs: return o.RunAs == RunLevel::kNormal ? "" : std::string(kRunAsValues[1]);
    case Key::kIfRunning:
      return o.WhenRunning == IfRunning::kStart ? "" : std::string(kIfRunningValues[static_cast<int>(o.WhenRunning)]);
    case Key::kEnabled: return o.Enabled ? "" : "0";
    case Key::kText: return EscapeTypedText(o.Text);
    case Key::kOnlyIn: return o.Scope == ProgramScope::kOnlyIn ? ProgramsValue(o.Programs) : "";
    case Key::kNotIn: return o.Scope == ProgramScope::kNotIn ? ProgramsValue(o.Programs) : "";
    case Key::kOther: break;
  }
  return {};
}

bool Blank(const std::string& line) { return Trim(line).empty(); }

// Written only when it holds something: options other than the defaults, or lines of its own.
bool Worth(const OptionsFile::Section& s) {
  bool other = std::any_of(s.lines.begin(), s.lines.end(), [](const std::string& line) {
    return !Blank(line) && ReadKeyLine(line).key == Key::kOther;
  });
  return other || !ReadOptions(s.lines).IsDefault();
}

// One text line per element, at LF, with the CR before it taken off.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string OptionsSectionName(std::string_view modifierText, std::string_view keyText) {
  return std::string(Trim(modifierText)) + " | " + std::string(Trim(keyText));
}

OptionsFile OptionsFile::Parse(std::string_view bytes, bool* damaged) {
  if (damaged != nullptr) *damaged = false;
  auto refuse = [damaged] {
    if (damaged != nullptr) *damaged = true;
    return OptionsFile{};
  };
  if (bytes.size() > kMaxOptionsFileBytes) return refuse();
  std::optional<std::string> text = DecodeMarkedText(bytes);
  if (!text) return refuse();

  OptionsFile file;
  for (std::string& line : SplitLines(*text)) {
    std::string_view t = Trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      std::string name(Trim(t.substr(1, t.size() - 2)));
      // A section given twice is one: its later lines join the first.
      auto same = std::find_if(file.sections_.begin(), file.sections_.end(),
                               [&name](const Section& s) { return Canonical(s.name) == Canonical(name); });
      if (same == file.sections_.end()) {
        file.sections_.push_back({std::move(name), {}});
      } else {
        // Moved to the end, so that the lines that follow go into it.
        Section merged = std::move(*same);
        file.sections_.erase(same);
        file.sections_.push_back(std::move(merged));
      }
      continue;
    }
    (file.sections_.empty() ? file.preamble_ : file.sections_.back().lines).push_back(std::move(line));
  }
  return file;
}

std::string OptionsFile::Serialize() const {
  std::string out(kUtf8Bom);
  for (const std::string& line : preamble_) out.append(line).append("\r\n");
  for (const Section& s : sections_) {
    if (!Worth(s)) continue;
    out.append("[").append(s.name).append("]\r\n");
    for (const std::string& line : s.lines) out.append(line).append("\r\n");
  }
  return out;
}

const OptionsFile::Section* OptionsFile::Find(std::string_view modifierText,
                                              std::string_view keyText) const {
  for (const Section& s : sections_) {
    if (SameSection(s.name, modifierText, keyText)) return &s;
  }
  return nullptr;
}

OptionsFile::Section* OptionsFile::Find(std::string_view modifierText, std::string_view keyText) {
  return const_cast<Section*>(std::as_const(*this).Find(modifierText, keyText));
}

LaunchOptions OptionsFile::Get(std::string_view modifierText, std::string_view keyText) const {
  const Section* s = Find(modifierText, keyText);
  return s != nullptr ? ReadOptions(s->lines) : LaunchOptions{};
}

void OptionsFile::Set(std::string_view modifierText, std::string_view keyText,
                      const LaunchOptions& options) {
  Section* s = Find(modifierText, keyText);
  if (s == nullptr) {
    if (options.IsDefault()) return;
    sections_.push_back({OptionsSectionName(modifierText, keyText), {}});
    s = &sections_.back();
  }
  std::array<bool, kKeyNames.size()> written{};
  std::vector<std::string> lines;
  for (std::string& line : s->lines) {
    Key key = ReadKeyLine(line).key;
    if (key == Key::kOther) {
      lines.push_back(std::move(line));
      continue;
    }
    // The first line of a key takes its new value in place; the default, and a key given
    // again, go.
    std::size_t k = static_cast<std::size_t>(key);
    std::string value = ValueText(key, options);
    if (!written[k] && !value.empty()) lines.push_back(std::string(kKeyNames[k]) + "=" + value);
    written[k] = true;
  }
  // The keys the section did not have yet, above the blank lines that part it from the next.
  auto end = lines.end();
  while (end != lines.begin() && Blank(*(end - 1))) --end;
  std::vector<std::string> added;
  for (std::size_t k = 0; k < kKeyNames.size(); ++k) {
    std::string value = ValueText(static_cast<Key>(k), options);
    if (!written[k] && !value.empty()) added.push_back(std::string(kKeyNames[k]) + "=" + value);
  }
  lines.insert(end, added.begin(), added.end());
  s->lines = std::move(lines);
}

void OptionsFile::Remove(std::string_view modifierText, std::string_view keyText) {
  std::erase_if(sections_, [&](const Section& s) { return SameSection(s.name, modifierText, keyText); });
}

void OptionsFile::Move(std::string_view fromModifier, std::string_view fromKey,
                       std::string_view toModifier, std::string_view toKey) {
  if (Canonical(OptionsSectionName(fromModifier, fromKey)) ==
      Canonical(OptionsSectionName(toModifier, toKey))) {
    return;
  }
  const Section* from = Find(fromModifier, fromKey);
  std::optional<Section> moved;
  if (from != nullptr) moved = *from;
  Remove(fromModifier, fromKey);
  Remove(toModifier, toKey);  // what the new combination had belonged to a binding gone since
  if (!moved) return;
  moved->name = OptionsSectionName(toModifier, toKey);
  sections_.push_back(std::move(*moved));
}

bool OptionsFile::Empty() const {
  return std::all_of(preamble_.begin(), preamble_.end(), Blank) &&
         std::none_of(sections_.begin(), sections_.end(), Worth);
}

}  // namespace tarvek
