// What the Windows-side tests share: a hidden top-level window, a bounded message pump, a
// scratch folder that cleans up after itself, and a dialog port that records instead of showing.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/ports.h"
#include "settings/settings_store.h"

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

// A visible top-level window in front with a multi-line edit box that has the focus: what the
// keyboard reaches. Destroyed with the object.
class FrontEditBox {
 public:
  FrontEditBox();
  FrontEditBox(const FrontEditBox&) = delete;
  FrontEditBox& operator=(const FrontEditBox&) = delete;
  HWND Frame() const { return frame_.get(); }
  HWND Box() const { return box_; }
  std::string Text() const;  // UTF-8

 private:
  HiddenWindow frame_;
  HWND box_ = nullptr;
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

// Runs the steps one by one from a thread timer, inside whatever message loop is running then
// (the dialog's, or a file dialog's). A step that returns false is tried again at the next
// tick. When the steps have run out and the loop still runs, giveUp ends it, so that a test
// can fail but not hang.
class Script {
 public:
  Script(std::vector<std::function<bool()>> steps, std::function<void()> giveUp)
      : steps_(std::move(steps)), giveUp_(std::move(giveUp)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 30, Tick);
  }
  Script(HWND dialog, std::vector<std::function<bool()>> steps)
      : Script(std::move(steps), [dialog] { PostMessageW(dialog, WM_CLOSE, 0, 0); }) {}
  ~Script() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool Finished() const { return next_ >= steps_.size(); }
  // The loop had to be ended from here: the keys the steps gave did not end it.
  bool TimedOut() const { return timedOut_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* self = current_;
    if (self == nullptr || self->running_) return;
    self->running_ = true;
    if (self->next_ < self->steps_.size()) {
      if (self->steps_[self->next_]()) ++self->next_;
    } else if (++self->idleTicks_ > 100 && !self->timedOut_) {
      self->timedOut_ = true;
      self->giveUp_();
    }
    self->running_ = false;
  }

  static inline Script* current_ = nullptr;
  std::vector<std::function<bool()>> steps_;
  std::function<void()> giveUp_;
  std::size_t next_ = 0;
  int idleTicks_ = 0;
  bool running_ = false;
  bool timedOut_ = false;
  UINT_PTR timer_ = 0;
};

// The visible system dialog (a file dialog or a message box) this thread shows, if any.
HWND ShownSystemDialog();

// A key as the keyboard delivers it to the control with the focus.
void PostKey(UINT message, WPARAM key);

// Settings held in a map; a missing name reads as empty text.
class MemoryStore : public SettingsStore {
 public:
  std::map<std::string, std::string, std::less<>> values;
  std::string runEntry;
  std::string Get(std::string_view name) override {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
  bool Set(std::string_view name, const std::string& value) override {
    values[std::string(name)] = value.empty() ? " " : value;
    return true;
  }
  std::string GetRunEntry() override { return runEntry; }
  bool SetRunEntry(const std::string& value) override {
    runEntry = value;
    return true;
  }
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
