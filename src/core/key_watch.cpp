#include "core/key_watch.h"

namespace tarvek {

KeyVerdict KeyWatch::Decide(const WatchedBindings&, int, bool, int,
                            const std::function<std::string()>&) {
  return {};
}

}  // namespace tarvek
