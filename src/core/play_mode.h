#pragma once
// Which screen owns the clocks, the paint and the input. The values are stored in save files.

#include <cstdint>

namespace corvid {

enum class PlayMode : int32_t {
  Play = 0,
  WindowHidden = 1,
  StaffRoll = 3,
  MapScreen = 4,
  Viewer = 6,
  Scrolling = 7,
  Recollection = 8,
  History = 9,
};

const char* playModeName(PlayMode mode);

}  // namespace corvid
