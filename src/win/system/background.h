// Worker threads for the calls that wait as long as the network or another program likes: a
// launch through the shell of an offline network path, emptying a large recycle bin. The
// user-interface thread hands the call over and goes on answering hotkeys and the tray.
#pragma once

#include <functional>

#include "core/ports.h"

namespace tarvek::win {

// The stack our own long-lived threads reserve (the tray courier, the typist, the key and mouse
// hooks): they call a few system functions and a message box at most. The program file's default
// of 2 MB is reserved for each thread, and some systems commit it all.
inline constexpr unsigned kSmallThreadStack = 256 * 1024;

// Runs the job on a thread of the system's pool, told that the job may take long (so that one
// job left waiting holds up no other), with COM taken apartment-threaded for the job and a
// system of that thread (no owner window); returns at once. A job must own what it uses: the
// program may end, and its windows go, while a job still waits.
void RunOnWorker(std::function<void(SystemPort&)> job);

// Runs the job on a thread of the system's pool and waits for it limitMs at most: true when it
// ended in that time. A job that did not goes on alone and must own what it uses; one that
// cannot be handed to the pool runs here.
bool RunBounded(std::function<void()> job, unsigned limitMs);

}  // namespace tarvek::win
