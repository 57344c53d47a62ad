#include "core/files/text_encoding.h"

namespace tarvek {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

Utf8Check CheckUtf8(std::string_view bytes) {
  Utf8Check check;
  std::size_t i = 0;
  auto byte = [&bytes](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
  while (i < bytes.size()) {
    unsigned char lead = byte(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    check.ascii = false;
    // The lead byte gives the length and the range its first continuation byte may take, so
    // that overlong forms, surrogates and values beyond U+10FFFF are refused.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    bool whole = length != 0 && i + length <= bytes.size() && byte(i + 1) >= low &&
                 byte(i + 1) <= high;
    for (std::size_t k = 2; whole && k < length; ++k) whole = (byte(i + k) & 0xC0) == 0x80;
    if (!whole) {
      check.wellFormed = false;
      return check;
    }
    // Three-byte characters, and four-byte ones in plane 1 (F0 90..9F).
    if (length == 3 || (length == 4 && lead == 0xF0 && byte(i + 1) <= 0x9F)) check.wide = true;
    i += length;
  }
  return check;
}

Utf8Check operator+(const Utf8Check& first, const Utf8Check& second) {
  return {first.wellFormed && second.wellFormed, first.ascii && second.ascii,
          first.wide || second.wide};
}

namespace {

// Code pages of two bytes a character, whose text is often well-formed UTF-8 by chance.
bool DoubleByteCodePage(unsigned codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

constexpr unsigned kUtf8Page = 65001;

}  // namespace

TextBytes ClassifyUnmarkedBytes(const Utf8Check& utf8, unsigned codePage) {
  if (utf8.ascii) return TextBytes::kAnsi;
  if (codePage == kUtf8Page) return utf8.wellFormed ? TextBytes::kUtf8 : TextBytes::kGbk;
  // Notepad's UTF-8 without the mark. GBK text that is well-formed UTF-8 by chance reads as
  // two-byte characters only, where real Chinese text in UTF-8 has three-byte ones.
  if (utf8.wellFormed && (utf8.wide || !DoubleByteCodePage(codePage))) return TextBytes::kUtf8;
  return TextBytes::kAnsi;
}

TextBytes ClassifyTextBytes(std::string_view bytes, unsigned codePage) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return TextBytes::kUtf8Mark;
  // Neither mark begins a GBK text: FF is no lead byte, and FE takes no FF after it.
  if (bytes.starts_with("\xFF\xFE")) return TextBytes::kUtf16Le;
  if (bytes.starts_with("\xFE\xFF")) return TextBytes::kUtf16Be;
  return ClassifyUnmarkedBytes(CheckUtf8(bytes), codePage);
}

std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian) {
  std::string out;
  out.reserve(utf8.size() * 2);
  auto put = [&](char32_t unit) {
    char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    Utf8Check whole = length == 0 || i + length > utf8.size() ? Utf8Check{false, false, false}
                                                              : CheckUtf8(utf8.substr(i, length));
    if (!whole.wellFormed) {
      put(0xFFFD);
      ++i;
      continue;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
    i += length;
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  auto unit = [&](std::size_t i) -> char32_t {
    auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (char32_t{b0} << 8 | b1) : (char32_t{b1} << 8 | b0);
  };
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);
  }
  if (i < bytes.size()) AppendUtf8(out, 0xFFFD);
  return out;
}

std::optional<std::string> DecodeMarkedText(std::string_view bytes) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  std::string text;
  if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
    text = Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE');
  } else {
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) bytes.remove_prefix(kUtf8Mark.size());
    if (!CheckUtf8(bytes).wellFormed) return std::nullopt;
    text = std::string(bytes);
  }
  if (text.find('\0') != std::string::npos) return std::nullopt;
  return text;
}

}  // namespace tarvek
