// The main window as the start-up drives it, recording into the same call list as the system.
#pragma once

#include <string>
#include <vector>

#include "recording_system.h"
#include "shell/program.h"

namespace tarvek::testing {

class RecordingMainWindow : public RecordingViewOf<MainWindowView> {
 public:
  using RecordingViewOf::RecordingViewOf;

  std::string frameCaption;
  std::vector<MenuItem> menu;

  void SetFrameCaption(const std::string& caption) override {
    frameCaption = caption;
    calls_.push_back("View.SetFrameCaption " + caption);
  }
  void SetHotkeyMenu(const std::vector<MenuItem>& items) override {
    menu = items;
    calls_.push_back("View.SetHotkeyMenu " + std::to_string(items.size()));
  }
  void AddTrayIcon() override { calls_.push_back("View.AddTrayIcon"); }
};

}  // namespace tarvek::testing
