// The key hook's part for abbreviations: it reads the character each key types in the keyboard
// layout of the window in front, feeds the matcher, and hands an expansion, or its undo, to
// the typist. It never waits on another program: whether the window's input method composes
// is asked by the typist, once an abbreviation is complete.
#pragma once

#include <windows.h>

#include "core/input/abbreviation_matcher.h"
#include "win/input/hook_thread.h"

namespace tarvek::win {

class AbbreviationWatch {
 public:
  // A key event the hook saw, not this program's own and not taken by a binding. Gives whether
  // the hook takes the key: a Backspace that undoes an expansion.
  bool Key(const AbbreviationTable& table, const KBDLLHOOKSTRUCT& key, bool down,
           ProgramInFront& inFront);
  // A mouse button went down, or a binding took a key: what the window holds is not known.
  void Forget();

 private:
  // The characters the key types in the layout of the window's thread, in `out` (at most
  // two); -1 for a dead key (its character in out[0]), 0 for none.
  int Read(const KBDLLHOOKSTRUCT& key, DWORD thread, bool control, bool alt, wchar_t (&out)[4]);
  void Act(const AbbreviationTable& table, const AbbreviationAction& action);

  AbbreviationMatcher matcher_;
  HWND window_ = nullptr;  // the window in front, and its focus, at the last key
  HWND focus_ = nullptr;
  wchar_t dead_ = 0;       // a dead key's character, waiting for the key it goes with
  bool capsLock_ = false;  // Caps Lock's toggle, followed from its presses
  bool capsKnown_ = false;
  bool capsDown_ = false;
};

// From any thread (the typist's): the next key starts afresh. An expansion the typist did not
// type (the input method was composing, the window changed) leaves the matcher's idea of the
// window's text wrong.
void ForgetTypedText();

}  // namespace tarvek::win
