#include "pad/pad_text.h"

#include <algorithm>
#include <map>

#include "core/hotkey_table.h"

namespace tarvek {

namespace {

// Calls keepGoing once per kPadYieldEvery steps.
class Yielder {
 public:
  explicit Yielder(const KeepGoing& keepGoing) : keepGoing_(keepGoing) {}
  bool Step(std::size_t steps = 1) {
    done_ += steps;
    if (done_ < kPadYieldEvery) return true;
    done_ = 0;
    return !keepGoing_ || keepGoing_();
  }

 private:
  const KeepGoing& keepGoing_;
  std::size_t done_ = 0;
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The ANSI bytes of a text the code page cannot hold whole: the characters it has take their
// own length, every other one a '?' per UTF-16 code unit, as a conversion writes it.
std::size_t AnsiLengthCharByChar(std::string_view text, AnsiCodec& codec) {
  std::map<std::string, std::size_t, std::less<>> lengths;
  std::size_t bytes = 0;
  while (!text.empty()) {
    std::size_t n = Utf8CharLength(text);
    std::string_view character = text.substr(0, n);
    text.remove_prefix(n);
    if (n == 1) {
      ++bytes;
      continue;
    }
    auto known = lengths.find(character);
    if (known == lengths.end()) {
      std::optional<std::string> ansi = codec.Utf8ToAnsi(std::string(character));
      known = lengths.emplace(character, ansi ? ansi->size() : Utf16Length(character)).first;
    }
    bytes += known->second;
  }
  return bytes;
}

}  // namespace

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (char c : utf8) {
    auto byte = static_cast<unsigned char>(c);
    if (!IsContinuation(byte)) units += byte >= 0xF0 ? 2 : 1;  // four bytes: a surrogate pair
  }
  return units;
}

std::optional<PadCount> CountPadText(std::string_view text, AnsiCodec& codec,
                                     const KeepGoing& keepGoing) {
  PadCount count;
  count.characters = Utf16Length(text);
  std::string whole(text);
  if (std::optional<std::string> ansi = codec.Utf8ToAnsi(whole)) {
    count.bytes = ansi->size();
  } else {
    count.bytes = AnsiLengthCharByChar(text, codec);
  }
  Yielder yielder(keepGoing);
  for (std::size_t at = 0; at < text.size(); at += kPadYieldEvery) {
    std::string_view chunk = text.substr(at, kPadYieldEvery);
    count.blanks += static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), ' '));
    if (!yielder.Step(chunk.size())) return std::nullopt;
  }
  return count;
}

std::string PadCountMessage(const PadCount& count) {
  // Each number as a decimal with one leading blank, where a minus sign would stand.
  std::string text = "共 ";
  text.append(std::to_string(count.characters)).append("个字, ");
  text.append(std::to_string(count.bytes)).append("个字节.\r\n其中空格 ");
  text.append(std::to_string(count.blanks)).append("个.");
  return text;
}

std::optional<std::string> TidyPadText(std::string_view text, const KeepGoing& keepGoing) {
  std::string out;
  out.reserve(text.size());
  Yielder yielder(keepGoing);
  for (std::size_t i = 0; i < text.size(); ++i) {
    // "<" and the blank are single bytes that never occur inside a longer UTF-8 character.
    if (!(text[i] == ' ' && i > 0 && text[i - 1] == '<')) out += text[i];
    if (!yielder.Step()) return std::nullopt;
  }
  return out;
}

std::string CombineDrop(std::string_view old, std::string item, bool addAfter) {
  if (!addAfter) return std::move(item.append("\r\n").append(old));
  std::string out;
  out.reserve(old.size() + item.size() + 2);
  out.append(old).append("\r\n").append(item);
  return out;
}

bool IsTextFilePath(std::string_view path) {
  if (path.size() < 4) return false;
  std::string tail(path.substr(path.size() - 4));
  for (char& c : tail) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return tail == ".txt";
}

}  // namespace tarvek
