#include "core/text_encoding.h"

namespace tarvek {

namespace {

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

}  // namespace

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

}  // namespace tarvek
