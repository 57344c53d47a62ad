// A list file of any bytes: reading it never fails, and what was read is written and read
// back to the same bindings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/files/list_file.h"
#include "recording_system.h"

using namespace tarvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testing::RecordingSystem codec;
  HotkeyTable table;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const ListLoadReport report = ParseList(bytes, codec, table);
  if (report.loaded != table.HotkeyCount || table.Used() > kTableSlots) std::abort();
  const std::vector<BindingTexts> loaded = TableBindings(table);
  for (const BindingTexts& b : loaded) {
    for (const std::string& text : b) {
      if (ValidUtf8(text) != text) std::abort();  // every later step gets valid UTF-8
    }
  }
  // Written back (as a save would, in the form it was read in, and as a named list) and read
  // again: the same bindings.
  for (ListTextForm form : {report.form, ListTextForm::kAnsi}) {
    HotkeyTable again;
    ParseList(SerializeList(loaded, codec, form), codec, again);
    if (TableBindings(again) != loaded) std::abort();
  }
  return 0;
}
