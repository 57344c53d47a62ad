#include "core/typed_text.h"

namespace tarvek {

std::string EscapeTypedText(std::string_view text) { return std::string(text); }
std::string UnescapeTypedText(std::string_view escaped) { return std::string(escaped); }
std::vector<KeyInput> TextInputEvents(std::string_view) { return {}; }
std::vector<KeyInput> ReleaseHeldKeys(const std::vector<int>&) { return {}; }
std::vector<int> HotkeyKeys(int, int virtualKey) { return {virtualKey}; }
TypingOutcome TypeText(const TypingJob&, TypingDevice&) { return TypingOutcome::kTyped; }

}  // namespace tarvek
