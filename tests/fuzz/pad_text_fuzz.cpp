// A text file of any bytes opened in the pad: its lines come out each ending in CR LF, an exact
// reading writes the same bytes back, and any text written in its form reads back as that text;
// the text box's word breaks stay inside the line they are asked about.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pad/pad_file.h"
#include "pad/pad_text.h"
#include "recording_system.h"

using namespace tarvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testing::RecordingSystem codec;
  const KeepGoing go = [] { return true; };
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const PadFileText read = *ReadPadFile(bytes, codec, go);
  const std::string& text = read.text;
  if (text.find('\0') != std::string::npos) std::abort();  // the text box would end there
  if (!text.empty() && text.compare(text.size() - 2, 2, "\r\n") != 0) std::abort();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) std::abort();
  }
  const std::string written = *WritePadFile(text, read.form, codec, go);
  if (read.exact && written != bytes) std::abort();
  if (ReadPadFile(written, codec, go)->text != text) std::abort();
  if (TidyPadText(text, go)->size() > text.size()) std::abort();
  CountPadText(text, codec, go);
  CombineDrop(text, text, size % 2 == 0);
  // The box's word breaks: always within the line it gives, left of the position going left
  // and right of it going right.
  const std::u16string line(reinterpret_cast<const char16_t*>(data), size / 2);
  const int count = static_cast<int>(line.size());
  for (int index = 0; index <= count; ++index) {
    const int left = PadWordBreakAt(line.data(), index, count, PadWordBreak::kLeft);
    const int right = PadWordBreakAt(line.data(), index, count, PadWordBreak::kRight);
    const bool leftInside = left >= 0 && (index == 0 || left < index);
    if (!leftInside || right < std::min(index, count) || right > count) std::abort();
  }
  return 0;
}
