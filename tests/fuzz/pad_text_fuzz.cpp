// A text file of any bytes opened in the pad: its lines come out each ending in CR LF, reading
// them again changes nothing, and saving then opening gives the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pad/pad_text.h"
#include "recording_system.h"

using namespace tarvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testing::RecordingSystem codec;
  const KeepGoing go = [] { return true; };
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = DecodeTextFile(bytes, codec);
  if (text.find('\0') != std::string::npos) std::abort();  // the text box would end there
  const std::string lines = *PadTextFromLines(text, go);
  if (lines.empty() != text.empty()) std::abort();
  if (!lines.empty() && lines.compare(lines.size() - 2, 2, "\r\n") != 0) std::abort();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == '\r' && (i + 1 == lines.size() || lines[i + 1] != '\n')) std::abort();
  }
  if (*PadTextFromLines(lines, go) != lines) std::abort();
  if (DecodeTextFile(EncodeTextFile(lines, codec), codec) != lines) std::abort();
  if (TidyPadText(text, go)->size() > text.size()) std::abort();
  CountPadText(text, codec, go);
  CombineDrop(text, lines, size % 2 == 0);
  return 0;
}
