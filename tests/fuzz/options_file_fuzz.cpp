// An options file of any bytes: reading it never fails, and what it writes reads back to the
// same options and the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/files/options_file.h"

using namespace tarvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  OptionsFile file = OptionsFile::Parse(bytes);
  const std::string once = file.Serialize();
  OptionsFile again = OptionsFile::Parse(once);
  if (again.Serialize() != once) std::abort();
  for (const OptionsFile::Section& s : file.Sections()) {
    std::size_t bar = s.name.find('|');
    if (bar == std::string::npos) continue;
    std::string mod = s.name.substr(0, bar), key = s.name.substr(bar + 1);
    if (file.Get(mod, key) != again.Get(mod, key)) std::abort();
    // Setting what is there changes nothing a reader sees.
    LaunchOptions options = file.Get(mod, key);
    file.Set(mod, key, options);
    if (file.Get(mod, key) != options) std::abort();
  }
  return 0;
}
