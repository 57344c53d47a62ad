// Worker threads for the calls that wait as long as the network or another program likes: a
// launch through the shell of an offline network path, emptying a large recycle bin. The
// user-interface thread hands the call over and goes on answering hotkeys and the tray.
#pragma once

#include <functional>

namespace tarvek::win {

// Runs the job on a worker thread that has COM taken apartment-threaded, and returns at once.
// Jobs start in the order given. A few workers run at a time, so that one job left waiting
// holds up only itself; a worker with nothing to do ends after a while, its COM with it. A job
// must own what it uses: the program may end, and its windows go, while a job still waits.
void RunOnWorker(std::function<void()> job);

}  // namespace tarvek::win
