// A text of any bytes: its one-line form holds no line break and reads back to it, and the key
// events that type it come in whole strokes with every pair's halves together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/input/typed_text.h"

using namespace tarvek;

namespace {

bool High(std::uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool Low(std::uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Every line break of the text is CR LF.
bool CrLfOnly(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool cr = text[i] == '\r', lf = text[i] == '\n';
    if ((cr && (i + 1 == text.size() || text[i + 1] != '\n')) ||
        (lf && (i == 0 || text[i - 1] != '\r'))) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = UnescapeTypedText(bytes);
  const std::string escaped = EscapeTypedText(text);
  if (!CrLfOnly(text) || escaped.find_first_of("\r\n") != std::string::npos) std::abort();
  if (UnescapeTypedText(escaped) != text) std::abort();

  const std::vector<KeyInput> events = TextInputEvents(bytes);
  if (events.size() % 2 != 0 || events.size() > 2 * kMaxTypedTextUnits) std::abort();
  for (std::size_t i = 0; i < events.size(); i += 2) {
    const KeyInput& press = events[i];
    const KeyInput& release = events[i + 1];
    if (press.up || !release.up || press.virtualKey != release.virtualKey ||
        press.unit != release.unit) {
      std::abort();
    }
    if ((press.unit == 0) == (press.virtualKey == 0)) std::abort();  // a unit or a key, never both
    bool pairedAfter = i + 2 < events.size() && Low(events[i + 2].unit);
    bool pairedBefore = i >= 2 && High(events[i - 2].unit);
    if ((High(press.unit) && !pairedAfter) || (Low(press.unit) && !pairedBefore)) std::abort();
  }
  return 0;
}
