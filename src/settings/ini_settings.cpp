#include "settings/ini_settings.h"

#include <vector>

#include "core/text_encoding.h"

namespace tarvek {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// As the registry store: a value this long or longer reads as missing.
constexpr std::size_t kMaxValueBytes = 1024;

bool SameAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

// The section a header line opens, or none when the line is no header.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

bool IsEntryOf(std::string_view line, std::string_view name, std::string_view* value) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return false;
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos || !SameAsciiCase(Trim(line.substr(0, eq)), name)) return false;
  if (value != nullptr) *value = line.substr(eq + 1);
  return true;
}

}  // namespace

std::string IniTextFromBytes(const std::string& bytes, AnsiCodec& codec) {
  std::string_view view(bytes);
  if (view.substr(0, 3) == kBom) return std::string(view.substr(3));
  if (view.substr(0, 2) == "\xFF\xFE") return Utf16ToUtf8(view.substr(2), false);
  if (view.substr(0, 2) == "\xFE\xFF") return Utf16ToUtf8(view.substr(2), true);
  if (CheckUtf8(view).wellFormed) return bytes;
  return codec.AnsiToUtf8(bytes);
}

std::optional<std::string> IniValue(std::string_view text, std::string_view section,
                                    std::string_view name) {
  bool inSection = false;
  for (std::string_view line : Lines(text)) {
    if (std::optional<std::string_view> header = SectionOf(line)) {
      inSection = SameAsciiCase(*header, section);
      continue;
    }
    std::string_view raw;
    if (!inSection || !IsEntryOf(line, name, &raw)) continue;
    std::string_view value = Trim(raw);
    if (value.empty() && !raw.empty()) return std::string(" ");
    return std::string(value);
  }
  return std::nullopt;
}

std::string WithIniValue(std::string_view text, std::string_view section, std::string_view name,
                         std::string_view value) {
  const std::string entry = std::string(name) + "=" + std::string(value);
  std::vector<std::string> out;
  bool inSection = false;
  bool seenSection = false;
  bool done = false;
  std::size_t sectionEnd = 0;  // where a new entry goes: after the section's last non-blank line
  for (std::string_view line : Lines(text)) {
    if (std::optional<std::string_view> header = SectionOf(line)) {
      inSection = !done && SameAsciiCase(*header, section);
      if (inSection) {
        seenSection = true;
        sectionEnd = out.size() + 1;
      }
    } else if (inSection && IsEntryOf(line, name, nullptr)) {
      out.push_back(entry);
      done = true;
      inSection = false;
      continue;
    } else if (inSection && !Trim(line).empty()) {
      sectionEnd = out.size() + 1;
    }
    out.emplace_back(line);
  }
  if (!done && seenSection) {
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
  } else if (!done) {
    if (!out.empty() && !Trim(out.back()).empty()) out.emplace_back();
    out.push_back("[" + std::string(section) + "]");
    out.push_back(entry);
  }
  std::string joined;
  for (const std::string& line : out) joined += line + "\r\n";
  return joined;
}

IniSettings::IniSettings(FilePort& files, AnsiCodec& codec, std::string path,
                         SettingsStore& runEntry)
    : files_(files), codec_(codec), path_(std::move(path)), runEntry_(runEntry) {}

std::string IniSettings::Get(std::string_view name) {
  std::optional<std::string> bytes = files_.ReadFileBytes(path_);
  if (!bytes) return {};
  std::optional<std::string> value = IniValue(IniTextFromBytes(*bytes, codec_), kIniSection, name);
  if (!value || value->size() >= kMaxValueBytes) return {};
  return *value;
}

bool IniSettings::Set(std::string_view name, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) return false;
  std::optional<std::string> bytes = files_.ReadFileBytes(path_);
  if (!bytes && files_.FileExists(path_)) return false;  // never replace what could not be read
  std::string text = bytes ? IniTextFromBytes(*bytes, codec_) : std::string();
  text = WithIniValue(text, kIniSection, name, value.empty() ? std::string(" ") : value);
  return files_.ReplaceFileBytes(path_, std::string(kBom) + text);
}

std::unique_ptr<SettingsStore> PortableSettingsIfPresent(FilePort& files, AnsiCodec& codec,
                                                         const std::string& programFolder,
                                                         SettingsStore& registry) {
  std::string path = programFolder + "\\" + std::string(kPortableFileName);
  if (!files.FileExists(path)) return nullptr;
  return std::make_unique<IniSettings>(files, codec, std::move(path), registry);
}

}  // namespace tarvek
