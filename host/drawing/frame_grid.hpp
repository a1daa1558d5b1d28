// When a frame is due. A caption line moves 5 twips a tick, a third of a pixel at the standard
// resolution, so the picture can change only every third tick: frames fall on every third tick
// of the timer service's clock (ticks 3, 6, 9, ...), and between them nothing is presented
// unless the platform lost part of the window. The same frames, each at most two ticks (31 ms)
// later, for a third of the wake-ups.
#pragma once

#include <cstdint>

namespace host::drawing {

inline constexpr std::int64_t kTicksPerFrame = 3;

// The frame a tick belongs to: a frame is due whenever this changes.
constexpr std::int64_t FrameOfTick(std::int64_t tick) {
  return tick / kTicksPerFrame;
}

// The first tick after `tick` that starts a frame.
constexpr std::int64_t NextFrameTick(std::int64_t tick) {
  return (tick / kTicksPerFrame + 1) * kTicksPerFrame;
}

}  // namespace host::drawing
