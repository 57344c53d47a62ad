// A start with any stored settings (each value any bytes, or missing) and any list file: the
// program starts, registers what it can and ends without a fault.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/program.h"

using namespace tarvek;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  testing::RecordingSystem system;
  testing::MemorySettings settings;
  for (std::string_view name :
       {setting::kHotKeyName, setting::kActivateStatus, setting::kFileSave, setting::kShowIcon,
        setting::kShowInfo, setting::kMouseCtrl, setting::kPlaySound, setting::kShowHotKeyNameInMenu,
        setting::kFileSaveDefault}) {
    if (input.ConsumeBool()) settings.values[std::string(name)] = input.ConsumeRandomLengthString(64);
  }
  settings.runEntry = input.ConsumeRandomLengthString(64);
  const std::string listPath = "C:\\Tools\\HK\\SaveKey.htk";
  if (input.ConsumeBool()) settings.values[std::string(setting::kFileSave)] = listPath;
  system.files[listPath] = input.ConsumeRemainingBytesAsString();

  testing::RecordingMainWindow view{system.calls};
  testing::FakeGrid grid;
  Program program(system, settings, view, grid, view, "C:\\Tools\\HK");
  program.LoadPhase();
  if (program.InitialisePhase(false)) program.ShutDown();
  return 0;
}
