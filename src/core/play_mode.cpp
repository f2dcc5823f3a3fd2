#include "core/play_mode.h"

namespace corvid {

const char* playModeName(PlayMode mode) {
  switch (mode) {
    case PlayMode::Play: return "Play";
    case PlayMode::WindowHidden: return "WindowHidden";
    case PlayMode::StaffRoll: return "StaffRoll";
    case PlayMode::MapScreen: return "MapScreen";
    case PlayMode::Viewer: return "Viewer";
    case PlayMode::Scrolling: return "Scrolling";
    case PlayMode::Recollection: return "Recollection";
    case PlayMode::History: return "History";
  }
  return "Play";
}

}  // namespace corvid
