#include "settings/ini_settings.h"

#include "core/files/text_encoding.h"

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

// The text's lines one by one, each without its line end (LF or CR LF).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}
  bool Next(std::string_view& line) {
    if (rest_.empty()) return false;
    std::size_t end = rest_.find('\n');
    line = rest_.substr(0, end);
    rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

 private:
  std::string_view rest_;
};

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

std::optional<std::string_view> IniValue(std::string_view text, std::string_view section,
                                         std::string_view name) {
  bool inSection = false;
  LineReader lines(text);
  for (std::string_view line; lines.Next(line);) {
    if (std::optional<std::string_view> header = SectionOf(line)) {
      inSection = SameAsciiCase(*header, section);
      continue;
    }
    std::string_view raw;
    if (!inSection || !IsEntryOf(line, name, &raw)) continue;
    std::string_view value = Trim(raw);
    if (value.empty() && !raw.empty()) return std::string_view(" ");
    return value;
  }
  return std::nullopt;
}

std::string WithIniValue(std::string_view text, std::string_view section, std::string_view name,
                         std::string_view value) {
  // First where the entry goes: in place of the entry the reader would find, else after the
  // last non-blank line of the (last) section of that name.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t replaceAt = kNone;
  std::size_t insertAfter = kNone;
  bool inSection = false;
  std::size_t n = 0;
  LineReader scan(text);
  for (std::string_view line; replaceAt == kNone && scan.Next(line); ++n) {
    if (std::optional<std::string_view> header = SectionOf(line)) {
      inSection = SameAsciiCase(*header, section);
      if (inSection) insertAfter = n;
    } else if (inSection && IsEntryOf(line, name, nullptr)) {
      replaceAt = n;
    } else if (inSection && !Trim(line).empty()) {
      insertAfter = n;
    }
  }
  std::string entry(name);
  entry += '=';
  entry += value;
  entry += "\r\n";
  std::string out(kBom);
  out.reserve(text.size() + entry.size() + section.size() + 8);
  bool lastBlank = true;
  n = 0;
  LineReader lines(text);
  for (std::string_view line; lines.Next(line); ++n) {
    if (n == replaceAt) {
      out += entry;
      continue;
    }
    out += line;
    out += "\r\n";
    lastBlank = Trim(line).empty();
    if (n == insertAfter && replaceAt == kNone) out += entry;
  }
  if (replaceAt == kNone && insertAfter == kNone) {
    if (!lastBlank) out += "\r\n";
    out += '[';
    out += section;
    out += "]\r\n";
    out += entry;
  }
  return out;
}

IniSettings::IniSettings(FilePort& files, AnsiCodec& codec, std::string path,
                         SettingsStore& runEntry)
    : files_(files), codec_(codec), path_(std::move(path)), runEntry_(runEntry) {}

std::string IniSettings::Get(std::string_view name) {
  std::optional<std::string> bytes = files_.ReadFileBytes(path_);
  if (!bytes) return {};
  const std::string text = IniTextFromBytes(*bytes, codec_);
  std::optional<std::string_view> value = IniValue(text, kIniSection, name);
  if (!value || value->size() >= kMaxValueBytes) return {};
  return std::string(*value);
}

bool IniSettings::Set(std::string_view name, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) return false;
  std::optional<std::string> bytes = files_.ReadFileBytes(path_);
  if (!bytes && files_.FileExists(path_)) return false;  // never replace what could not be read
  const std::string text = bytes ? IniTextFromBytes(*bytes, codec_) : std::string();
  return files_.ReplaceFileBytes(
      path_, WithIniValue(text, kIniSection, name, value.empty() ? std::string_view(" ") : value));
}

std::unique_ptr<SettingsStore> PortableSettingsIfPresent(FilePort& files, AnsiCodec& codec,
                                                         const std::string& programFolder,
                                                         SettingsStore& registry) {
  std::string path = programFolder + "\\TarvekHotKey.ini";
  if (!files.FileExists(path)) return nullptr;
  return std::make_unique<IniSettings>(files, codec, std::move(path), registry);
}

}  // namespace tarvek
