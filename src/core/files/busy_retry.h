// A file just written is opened for a moment by whoever watches the folder: a cloud client
// uploading it, the virus scanner, the search indexer. While one of them holds it, putting a
// new file in its place is refused, although a moment later it would go through. A save tries
// again for about a second before it says that it failed.
#pragma once

#include <functional>

namespace tarvek {

enum class TryResult {
  kDone,    // it went through
  kBusy,    // another program holds the file: worth another try in a moment
  kFailed,  // refused for good (no such folder, a disk error): no use trying again
};

// How long to wait after the given number of busy tries (1 for the first) before the next one:
// from 20 ms, growing to about 250 ms, some ten tries in about a second. 0 means give up.
int BusyRetryPauseMs(int busyTries);

// Tries until one is done or fails for good, or the tries run out while the file is still busy;
// pause(ms) is given each wait in between. True when a try was done.
bool TryWhileBusy(const std::function<TryResult()>& attempt, const std::function<void(int)>& pause);

}  // namespace tarvek
