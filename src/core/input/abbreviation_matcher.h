// Abbreviations as the user types them: the key hook feeds the characters it reads, one at a
// time, and the events that make what was typed unknown (a click, another window or focus, the
// arrow keys, Esc, a combination with Ctrl, Alt or Win); the matcher answers, without
// allocating, whether an abbreviation is complete and what to type in its place.
//
// Characters are whole code points (char32_t), not UTF-16 units: the hook reads a surrogate
// pair from one key in one call anyway, and the matcher counts a character as what one
// Backspace takes back, which for a pair is both its units. An abbreviation is printable ASCII,
// so every other character only matters as a letter of a word.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/files/abbreviation_file.h"
#include "core/input/program_condition.h"

namespace tarvek {

// Space, Enter (CR or LF), Tab and . , ; : ! ? ' " ( ) [ ] { } / \ -
bool IsEndingCharacter(char32_t c);

// How many characters the typist's events for the text put into an edit box, and so how many
// Backspaces take it back: a code point is one (a surrogate pair too), a line break (CR LF, LF
// or CR alone) is one Enter, a tab one Tab, and the other control characters, which the typist
// leaves out, none.
std::size_t TypedLength(std::string_view utf8Text);

// The table as the hook reads it: made once per table, never changed afterwards (the hook's
// thread reads it while the main thread may make the next). Looking an abbreviation up costs
// the same with 10 entries as with 10,000: an open-addressed hash of the lower-cased
// abbreviation, probed once for each length the typed tail may end in.
class AbbreviationIndex {
 public:
  AbbreviationIndex() = default;
  explicit AbbreviationIndex(const AbbreviationStore& entries);

  std::size_t Size() const { return entries_.size(); }

 private:
  friend class AbbreviationMatcher;
  struct Entry {  // 16 bytes: 10,000 of them are 160 KB
    std::uint32_t hash = 0;    // the low half of the 64-bit hash
    std::uint32_t offset = 0;  // of its lower-cased abbreviation in letters_
    std::uint32_t typedLength = 0;
    std::uint8_t length = 0;
    bool immediate = false;
    bool inWord = false;
    bool textEnding = false;  // the text's last character is an ending character
  };
  std::string letters_;
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;  // entry + 1; 0 is a free slot
  std::uint32_t lengths_ = 0;         // bit n - 1: some abbreviation has n characters
};

struct AbbreviationAction {
  enum class Kind { kNone, kExpand, kUndo };
  Kind kind = Kind::kNone;
  std::size_t entry = 0;  // in the entries the index was made from
  // kExpand: so many Backspaces for the abbreviation and its ending character (every character
  // fed is taken to have reached the window: one fewer when the hook kept the last key back),
  // then the entry's text, then `ending`. kUndo: so many Backspaces for the text and the
  // ending character (TypedLength), then `typed`.
  std::size_t erase = 0;
  char32_t ending = 0;  // 0: none (an immediate entry)
  // kUndo: what the user had typed, letter case as typed: the abbreviation and its ending
  // character. It points into the matcher, valid until its next call.
  std::u32string_view typed;
  bool operator==(const AbbreviationAction&) const = default;
};

// Whether an entry may expand now: asked only once an abbreviation is complete where it may
// expand, so that the hook asks for the program in front (and the caller checks the entry's
// program condition) only then. Empty: every entry may.
using AbbreviationAllowed = std::function<bool(std::size_t entry)>;

// One per hook: what was typed since the last forgetting, its last characters only.
class AbbreviationMatcher {
 public:
  // A character typed. Of the abbreviations complete at it, the longest that may expand and
  // whose entry `allowed` takes is the answer; none: kNone.
  AbbreviationAction Feed(const AbbreviationIndex& index, char32_t c,
                          const AbbreviationAllowed& allowed = {});
  // Backspace: takes the last character back; right after an expansion, asks to undo it.
  AbbreviationAction Backspace();
  // What was typed is no longer known: the next character starts a word.
  void Forget();

 private:
  static constexpr std::size_t kTail = kMaxAbbreviationLength + 1;  // and the character before
  void Push(char32_t c);
  bool WordBefore(std::size_t length) const;  // a word character stands before the last `length`
  std::optional<AbbreviationAction> Match(const AbbreviationIndex& index, std::size_t skip,
                                          bool immediate, const AbbreviationAllowed& allowed);

  std::array<char32_t, kTail> tail_{};  // letters lower-cased; the last one typed at the end
  std::size_t size_ = 0;
  bool lost_ = false;      // characters went out at the front: what came before them is a word
  bool sleeping_ = false;  // after an undo: nothing expands until the next word begins
  // The expansion the next Backspace undoes, and the tail before it.
  bool undoable_ = false;
  std::array<char32_t, kTail> undoTail_{};
  std::size_t undoSize_ = 0;
  std::size_t undoErase_ = 0;  // the text's typed length and the ending character
  bool undoLost_ = false;
  AbbreviationAction expanded_;
};

// The table as the key hook is handed it: the entries, their index and their program
// conditions, made once per table and never changed afterwards.
// The entries are shared with the list's own (AbbreviationEntries), and the conditions kept for
// the few entries that have one.
struct AbbreviationTable {
  AbbreviationEntries entries;  // never null
  AbbreviationIndex index;
  std::vector<std::pair<std::size_t, ProgramCondition>> conditions;  // by entry, in order

  // Whether the entry acts with the program in front, asked only when the entry has programs.
  bool Allowed(std::size_t entry, const std::function<std::string()>& programInFront) const;
};
using AbbreviationTablePtr = std::shared_ptr<const AbbreviationTable>;
// Null for no entries: no table, no hook for it.
AbbreviationTablePtr MakeAbbreviationTable(AbbreviationEntries entries);

// What a key the user presses does to the text before the caret, as the key hook sees it
// before reading the key's character: kForget for the keys that move the caret or leave the
// text (the arrows, Home, End, Page Up/Down, Esc, a character another program or an input
// method put in), for any key with Win and for Backspace with Ctrl or Alt (a word or more
// taken back); kBackspace; kNothing for the modifiers, the lock keys and the mask key; else
// kRead: the key's character is read in the layout of the window in front.
enum class TypedKey { kNothing, kForget, kBackspace, kRead };
TypedKey ClassifyTypedKey(int virtualKey, bool control, bool alt, bool win);
// Once read (ToUnicodeEx's count and first unit): whether the key typed text. With Ctrl or Alt
// down it is a command (what was typed is forgotten), unless both are down and it gave a
// printable character: AltGr, which Windows sees as Ctrl + Alt.
bool KeyTypedText(bool control, bool alt, int count, char16_t first);

// The input method's part: while the window in front has one open in its native mode (中, kana),
// the keys are composition, not text. conversionMode: the window's input method's conversion
// mode when it is open, nothing when it is closed or there is none.
inline constexpr std::uint32_t kInputMethodNativeMode = 0x0001;  // IME_CMODE_NATIVE
inline bool InputMethodComposes(std::optional<std::uint32_t> conversionMode) {
  return conversionMode.has_value() && (*conversionMode & kInputMethodNativeMode) != 0;
}

}  // namespace tarvek
