#include "core/files/busy_retry.h"

namespace tarvek {

namespace {

constexpr int kTries = 10;
constexpr int kFirstPauseMs = 20;
constexpr int kLongestPauseMs = 250;

}  // namespace

int BusyRetryPauseMs(int busyTries) {
  if (busyTries < 1 || busyTries >= kTries) return 0;
  // Each pause two fifths longer than the one before: nine pauses of 20 to 250 ms, 0.9 s in all.
  int pause = kFirstPauseMs;
  for (int i = 1; i < busyTries; ++i) pause = pause * 7 / 5;
  return pause < kLongestPauseMs ? pause : kLongestPauseMs;
}

bool TryWhileBusy(const std::function<TryResult()>& attempt,
                  const std::function<void(int)>& pause) {
  for (int busyTries = 1;; ++busyTries) {
    switch (attempt()) {
      case TryResult::kDone:
        return true;
      case TryResult::kFailed:
        return false;
      case TryResult::kBusy:
        break;
    }
    const int ms = BusyRetryPauseMs(busyTries);
    if (ms == 0) return false;
    pause(ms);
  }
}

}  // namespace tarvek
