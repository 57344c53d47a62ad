// The key boxes of the hotkey editor and of the settings dialog take keys, not text: no input
// method composes in them, a press an input method takes anyway still chooses its key, and a
// Win key a box takes does not open the Start menu when it goes up.
#pragma once

#include <windows.h>

#include "core/input/key_press.h"

namespace tarvek::win {

// Takes the input method away from the box: with one in Chinese mode a letter would open its
// composition window instead of choosing the key, and Shift would switch it between 中 and 英.
void TakeNoInputMethod(HWND box);

// The key of a WM_KEYDOWN or WM_SYSKEYDOWN the box received, as the box takes it.
BoxKey KeyOfPress(HWND box, WPARAM wParam);

// A press the input method had: whatever it composed is cancelled, and the box gets the real
// key and the character it types, as it would have without an input method.
void ReplayToBox(HWND box, const BoxKey& key, LPARAM lParam);

// Makes the Win key held down a combination in the shell's eyes: an unassigned key pressed and
// released now keeps the Start menu shut when Win goes up.
void KeepStartMenuShut();

// The procedure for a key box that keeps its ordinary keyboard behaviour: only the presses an
// input method had are given to it again (AddSubclass, no data).
LRESULT CALLBACK PlainKeyBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR data);

}  // namespace tarvek::win
