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

namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000;
}

// A character that is a word of its own: the ideographs, kana and Hangul, and their punctuation
// and full-width forms.
bool StandsAlone(char16_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFFEF);
}

// Closing punctuation stays on the line of what it closes.
bool NeverStartsALine(char16_t c) {
  constexpr std::u16string_view kClosing =
      u"\u3001\u3002\uFF0C\uFF0E\uFF1A\uFF1B\uFF1F\uFF01\uFF09\uFF3D\uFF5D\u3009\u300B"
      u"\u300D\u300F\u3011\u3015\u3017\u3019\u301B\u201D\u2019\u30FC\u3005";
  return kClosing.find(c) != std::u16string_view::npos;
}

bool WordStartsAt(const char16_t* text, int at) {
  if (at <= 0) return true;
  const char16_t before = text[at - 1], here = text[at];
  // A line end (CR LF, CR CR LF or a lone LF) is a word of its own, as the box expects.
  if (here == u'\r' || here == u'\n') return before != u'\r';
  if (before == u'\n') return !IsBlank(here);
  if (IsBlank(here) || NeverStartsALine(here)) return false;
  if (here >= 0xDC00 && here <= 0xDFFF) return false;  // never inside a surrogate pair
  return IsBlank(before) || StandsAlone(here) || StandsAlone(before);
}

}  // namespace

int PadWordBreakAt(const char16_t* text, int index, int count, PadWordBreak action) {
  if (text == nullptr || count <= 0) return 0;
  index = std::clamp(index, 0, count);
  switch (action) {
    case PadWordBreak::kLeft:
      // The start of the word before the position: never the position itself, so that a line
      // too wide gets shorter at every step.
      for (int at = index - 1; at > 0; --at) {
        if (WordStartsAt(text, at)) return at;
      }
      return 0;
    case PadWordBreak::kRight:
      // The start of the next word after the character before the position, as the box's
      // Ctrl+Right asks it with the caret's position plus one.
      for (int at = std::max(index, 1); at < count; ++at) {
        if (WordStartsAt(text, at)) return at;
      }
      return count;
    case PadWordBreak::kIsDelimiter:
      return index < count && IsBlank(text[index]) ? 1 : 0;
  }
  return 0;
}

PadPieceSizer::PadPieceSizer(double targetMs, std::size_t first, std::size_t least,
                             std::size_t most)
    : targetMs_(targetMs), least_(least), most_(most), last_(first) {}

bool PadPieceSizer::Sounding() const { return taken_ % kSoundEvery == kSoundEvery - 1; }

std::size_t PadPieceSizer::Next(std::size_t held) const {
  if (rate_ <= 0) return last_;
  if (Sounding()) return least_;
  const double walk = walkPerHeld_ * static_cast<double>(held);
  const double layout = std::max(targetMs_ - walk, walk);
  double wanted = std::min(layout * rate_, 1.25 * static_cast<double>(last_));
  // A piece that took much longer than foreseen (its lines are long, or the machine is busy)
  // makes the next one smaller at once.
  if (surprise_ > 1.25) wanted = std::min(wanted, static_cast<double>(last_) / surprise_);
  wanted = std::clamp(wanted, static_cast<double>(least_), static_cast<double>(most_));
  return static_cast<std::size_t>(wanted);
}

void PadPieceSizer::Took(std::size_t characters, std::size_t held, double ms) {
  const double c = static_cast<double>(std::max<std::size_t>(characters, 1));
  const double h = static_cast<double>(held);
  const bool sounding = Sounding() && rate_ > 0;
  ++taken_;
  if (sounding) {
    // A small piece: nearly all of its time is the walk over what the box holds.
    const double walk = std::max(0.0, ms - c / rate_);
    if (h > 0) walkPerHeld_ = 0.5 * walkPerHeld_ + 0.5 * walk / h;
    return;
  }
  const double walk = walkPerHeld_ * h;
  surprise_ = rate_ > 0 ? ms / (c / rate_ + walk) : 1;
  const double rate = c / std::max(ms - walk, 0.2 * ms);
  rate_ = rate_ > 0 ? 0.7 * rate_ + 0.3 * rate : rate;
  last_ = static_cast<std::size_t>(c);
}

}  // namespace tarvek
