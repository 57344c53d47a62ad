// What the Windows-side tests share: a hidden top-level window, a bounded message pump, a
// scratch folder that cleans up after itself, and a dialog port that records instead of showing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace tarvek::wintest {

// A hidden top-level window with the default window procedure, destroyed with the object.
class HiddenWindow {
 public:
  HiddenWindow();
  ~HiddenWindow();
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// Pumps this thread's messages until one satisfies wanted (which then is not dispatched), or
// until a generous bound of idle waits has passed. True when the message came.
bool PumpUntil(const std::function<bool(const MSG&)>& wanted);

// A new empty folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }  // UTF-8, no trailing backslash
  std::string Join(const std::string& name) const { return path_ + "\\" + name; }
  // The names in the folder, sorted, without "." and "..".
  std::vector<std::string> Entries() const;

 private:
  std::string path_;
};

// Message boxes written down as "title|text" instead of shown.
class RecordingDialogs : public DialogPort {
 public:
  std::vector<std::string> shown;
  int ShowMessageBox(const std::string& text, const std::string& title, unsigned) override {
    shown.push_back(title + "|" + text);
    return kIdOk;
  }
};

}  // namespace tarvek::wintest
