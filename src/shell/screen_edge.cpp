#include "shell/screen_edge.h"

#include <algorithm>
#include <cstdint>

namespace tarvek {

namespace {

std::int64_t Overlap(int a1, int a2, int b1, int b2) {
  return std::max(0, std::min(a2, b2) - std::max(a1, b1));
}

std::int64_t SharedArea(const ScreenRect& a, const ScreenRect& b) {
  return Overlap(a.left, a.right, b.left, b.right) * Overlap(a.top, a.bottom, b.top, b.bottom);
}

// How far apart two rectangles are, squared; 0 when they touch or overlap.
std::int64_t DistanceSquared(const ScreenRect& a, const ScreenRect& b) {
  auto gap = [](int a1, int a2, int b1, int b2) -> std::int64_t {
    if (a2 < b1) return std::int64_t{b1} - a2;
    if (b2 < a1) return std::int64_t{a1} - b2;
    return 0;
  };
  std::int64_t dx = gap(a.left, a.right, b.left, b.right);
  std::int64_t dy = gap(a.top, a.bottom, b.top, b.bottom);
  return dx * dx + dy * dy;
}

std::size_t ScreenOfWindow(const std::vector<Screen>& screens, const ScreenRect& window) {
  std::size_t best = 0;
  std::int64_t bestArea = -1;
  for (std::size_t i = 0; i < screens.size(); ++i) {
    std::int64_t area = SharedArea(screens[i].area, window);
    if (area > bestArea) {
      best = i;
      bestArea = area;
    }
  }
  if (bestArea > 0) return best;
  for (std::size_t i = 0; i < screens.size(); ++i) {
    if (DistanceSquared(screens[i].area, window) < DistanceSquared(screens[best].area, window))
      best = i;
  }
  return best;
}

}  // namespace

std::optional<ScreenEdge> ParkingEdge(const std::vector<Screen>& screens,
                                      const ScreenRect& window) {
  if (screens.empty()) return std::nullopt;
  std::size_t at = ScreenOfWindow(screens, window);
  // Each step goes further right, so the walk ends.
  for (;;) {
    const ScreenRect& here = screens[at].area;
    std::size_t next = at;
    std::int64_t nextRows = 0;
    for (std::size_t i = 0; i < screens.size(); ++i) {
      const ScreenRect& there = screens[i].area;
      if (there.left > here.right || there.right <= here.right) continue;
      std::int64_t rows = Overlap(there.top, there.bottom, window.top, window.bottom);
      if (rows > nextRows) {
        next = i;
        nextRows = rows;
      }
    }
    if (next == at) break;
    at = next;
  }
  const Screen& edge = screens[at];
  return ScreenEdge{screens.size() == 1 ? edge.area.right : edge.work.right, edge.dpi};
}

}  // namespace tarvek
