#include "core/input/abbreviation_matcher.h"

#include <algorithm>
#include <bit>

#include "core/input/key_input.h"
#include "core/input/typed_text.h"

namespace tarvek {

namespace {

constexpr std::uint64_t kHashStart = 14695981039346656037ull;  // FNV-1a
constexpr std::uint64_t kHashPrime = 1099511628211ull;

char32_t Lower(char32_t c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool AbbreviationCharacter(char32_t c) { return c > ' ' && c < 0x7F && c != '[' && c != ']'; }

// What stands in the tail for an expanded text's last character: never a letter of an
// abbreviation, so that nothing typed after it matches across it.
constexpr char32_t kTextWord = 0xFFFD;
constexpr char32_t kTextEnding = '\n';

bool LowSurrogate(std::uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

bool IsEndingCharacter(char32_t c) {
  switch (c) {
    case ' ': case '\r': case '\n': case '\t': case '.': case ',': case ';': case ':': case '!':
    case '?': case '\'': case '"': case '(': case ')': case '[': case ']': case '{': case '}':
    case '/': case '\\': case '-':
      return true;
    default:
      return false;
  }
}

std::size_t TypedLength(std::string_view utf8Text) {
  // Counted from the very events the typist sends, so that the two can never disagree.
  const std::vector<KeyInput> events = TextInputEvents(utf8Text);
  return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [](const KeyInput& e) {
    return !e.up && !LowSurrogate(e.unit);
  }));
}

AbbreviationIndex::AbbreviationIndex(const AbbreviationStore& entries) {
  entries_.reserve(entries.Size());
  std::size_t letters = 0;
  for (std::size_t n = 0; n < entries.Size(); ++n) letters += entries.Name(n).size();
  letters_.reserve(letters);
  for (std::size_t n = 0; n < entries.Size(); ++n) {
    const std::string_view name = entries.Name(n), text = entries.Text(n);
    Entry e;
    e.offset = static_cast<std::uint32_t>(letters_.size());
    // One that is no abbreviation keeps its place in the numbering but never matches.
    if (CheckAbbreviation(name) == AbbreviationFault::kNone) {
      e.length = static_cast<std::uint8_t>(name.size());
    }
    e.immediate = entries.Immediate(n);
    e.inWord = entries.InWord(n);
    e.typedLength = static_cast<std::uint32_t>(TypedLength(text));
    e.textEnding = !text.empty() && IsEndingCharacter(static_cast<unsigned char>(text.back()));
    // The hash runs from the last letter back, as the matcher walks the typed tail.
    std::uint64_t hash = kHashStart;
    for (std::size_t i = e.length; i-- > 0;) {
      hash = (hash ^ Lower(static_cast<unsigned char>(name[i]))) * kHashPrime;
    }
    e.hash = static_cast<std::uint32_t>(hash);
    for (std::size_t i = 0; i < e.length; ++i) {
      letters_.push_back(static_cast<char>(Lower(static_cast<unsigned char>(name[i]))));
    }
    if (e.length > 0) lengths_ |= 1u << (e.length - 1);
    entries_.push_back(e);
  }
  // Half full at most, so that a probe ends after a slot or two.
  slots_.assign(std::bit_ceil(std::max<std::size_t>(16, entries_.size() * 2)), 0);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t n = 0; n < entries_.size(); ++n) {
    if (entries_[n].length == 0) continue;
    std::size_t i = entries_[n].hash & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = static_cast<std::uint32_t>(n + 1);
  }
}

void AbbreviationMatcher::Push(char32_t c) {
  if (size_ == kTail) {
    std::copy(tail_.begin() + 1, tail_.end(), tail_.begin());
    --size_;
    lost_ = true;
  }
  tail_[size_++] = c;
}

bool AbbreviationMatcher::WordBefore(std::size_t length) const {
  if (size_ > length) return !IsEndingCharacter(tail_[size_ - 1 - length]);
  return lost_;
}

std::optional<AbbreviationAction> AbbreviationMatcher::Match(const AbbreviationIndex& index,
                                                             std::size_t skip, bool immediate,
                                                             const AbbreviationAllowed& allowed) {
  if (index.entries_.empty() || size_ <= skip) return std::nullopt;
  const std::size_t end = size_ - skip;  // the abbreviation ends before the last `skip`
  std::array<std::uint64_t, kMaxAbbreviationLength + 1> hashes{};
  std::size_t longest = 0;
  std::uint64_t hash = kHashStart;
  for (std::size_t length = 1; length <= std::min(end, kMaxAbbreviationLength); ++length) {
    char32_t c = tail_[end - length];
    if (!AbbreviationCharacter(c)) break;
    hash = (hash ^ Lower(c)) * kHashPrime;
    hashes[length] = hash;
    longest = length;
  }
  const std::size_t mask = index.slots_.size() - 1;
  for (std::size_t length = longest; length > 0; --length) {
    if ((index.lengths_ & (1u << (length - 1))) == 0) continue;
    for (std::size_t i = hashes[length] & mask; index.slots_[i] != 0; i = (i + 1) & mask) {
      const std::size_t n = index.slots_[i] - 1;
      const AbbreviationIndex::Entry& e = index.entries_[n];
      if (e.hash != static_cast<std::uint32_t>(hashes[length]) || e.length != length ||
          e.immediate != immediate) {
        continue;
      }
      bool same = true;
      for (std::size_t k = 0; k < length && same; ++k) {
        same = static_cast<char32_t>(static_cast<unsigned char>(index.letters_[e.offset + k])) ==
               Lower(tail_[end - length + k]);
      }
      if (!same || (!e.inWord && WordBefore(length + skip))) continue;
      if (allowed && !allowed(n)) continue;
      AbbreviationAction action;
      action.kind = AbbreviationAction::Kind::kExpand;
      action.entry = n;
      action.erase = length + skip;
      action.ending = skip != 0 ? tail_[size_ - 1] : 0;
      return action;
    }
  }
  return std::nullopt;
}

AbbreviationAction AbbreviationMatcher::Feed(const AbbreviationIndex& index, char32_t c,
                                             const AbbreviationAllowed& allowed) {
  undoable_ = false;
  // A control character other than Enter and Tab is no text: whatever it did, what the window
  // holds is no longer known.
  if ((c < 0x20 && !IsEndingCharacter(c)) || c == 0x7F) {
    Forget();
    return {};
  }
  Push(c);
  if (sleeping_) {
    if (IsEndingCharacter(c) || WordBefore(1)) return {};
    sleeping_ = false;  // the first letter of the next word
  }
  std::optional<AbbreviationAction> action = Match(index, 0, true, allowed);
  if (!action && IsEndingCharacter(c)) action = Match(index, 1, false, allowed);
  if (!action) return {};

  // What the window holds now ends in the text and the ending character.
  undoable_ = true;
  undoTail_ = tail_;
  undoSize_ = size_;
  undoLost_ = lost_;
  expanded_ = *action;
  undoErase_ = index.entries_[action->entry].typedLength + (action->ending != 0 ? 1 : 0);
  size_ = 0;
  lost_ = true;
  tail_[size_++] = index.entries_[action->entry].textEnding ? kTextEnding : kTextWord;
  if (action->ending != 0) tail_[size_++] = action->ending;
  return *action;
}

AbbreviationAction AbbreviationMatcher::Backspace() {
  if (undoable_) {
    undoable_ = false;
    tail_ = undoTail_;
    size_ = undoSize_;
    lost_ = undoLost_;
    sleeping_ = true;
    AbbreviationAction undo = expanded_;
    undo.kind = AbbreviationAction::Kind::kUndo;
    undo.erase = undoErase_;
    undo.typed = std::u32string_view(tail_.data() + size_ - expanded_.erase, expanded_.erase);
    return undo;
  }
  if (size_ > 0) --size_;
  return {};
}

void AbbreviationMatcher::Forget() {
  size_ = 0;
  lost_ = false;
  sleeping_ = false;
  undoable_ = false;
}

TypedKey ClassifyTypedKey(int virtualKey, bool control, bool alt, bool win) {
  switch (virtualKey) {
    case 0x10: case 0x11: case 0x12:  // Shift, Ctrl, Alt
    case 0xA0: case 0xA1: case 0xA2: case 0xA3: case 0xA4: case 0xA5:  // their two sides
    case 0x5B: case 0x5C:  // Win
    case 0x14: case 0x90: case 0x91:  // Caps Lock, Num Lock, Scroll Lock
    case kMaskKey:
      return TypedKey::kNothing;
    case 0x25: case 0x26: case 0x27: case 0x28:  // the arrows
    case 0x24: case 0x23: case 0x21: case 0x22:  // Home, End, Page Up, Page Down
    case 0x1B:  // Esc
    case 0xE7:  // VK_PACKET: a character put in by another program or an input method
    case 0xE5:  // VK_PROCESSKEY: a key an input method took
      return TypedKey::kForget;
    default:
      break;
  }
  if (win) return TypedKey::kForget;
  if (virtualKey == 0x08) return control || alt ? TypedKey::kForget : TypedKey::kBackspace;
  return TypedKey::kRead;
}

bool KeyTypedText(bool control, bool alt, int count, char16_t first) {
  if (!control && !alt) return true;
  return control && alt && count > 0 && first >= 0x20;
}

AbbreviationTablePtr MakeAbbreviationTable(AbbreviationEntries entries) {
  if (entries == nullptr || entries->Empty()) return nullptr;
  // Not make_shared: see WatchHookedBindings.
  std::shared_ptr<AbbreviationTable> table(new AbbreviationTable());
  table->index = AbbreviationIndex(*entries);
  for (std::size_t n = 0; n < entries->Size(); ++n) {
    if (entries->Programs(n).empty()) continue;
    LaunchOptions options;
    options.Scope = entries->Scope(n);
    options.Programs = std::string(entries->Programs(n));
    ProgramCondition condition(options);
    if (condition.Any()) table->conditions.emplace_back(n, std::move(condition));
  }
  table->entries = std::move(entries);
  return table;
}

bool AbbreviationTable::Allowed(std::size_t entry,
                                const std::function<std::string()>& programInFront) const {
  const auto found = std::lower_bound(
      conditions.begin(), conditions.end(), entry,
      [](const std::pair<std::size_t, ProgramCondition>& c, std::size_t n) { return c.first < n; });
  if (found == conditions.end() || found->first != entry) return true;
  return found->second.Holds(programInFront ? programInFront() : std::string());
}

}  // namespace tarvek
