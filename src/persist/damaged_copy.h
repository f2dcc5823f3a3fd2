#pragma once
// Keeping a damaged file before the engine replaces it, so that the player's data is never
// destroyed by the engine itself: "save0.dat" is kept as "save0.dat.damaged", a later one as
// "save0.dat.damaged.2", ".3", ... A copy that another kept copy already holds is not made
// again (a file that stays damaged run after run does not fill the folder).

#include <string>

#include "persist/file_system.h"

namespace corvid {

struct DamagedCopy {
  bool kept = false;    // a copy exists now (made now or before); the file may be replaced
  std::string keptAs;   // its path
  std::string error;    // why nothing could be kept
};

inline constexpr int kMaxDamagedCopies = 99;

DamagedCopy keepDamagedCopy(FileSystem& files, const std::string& path);

}  // namespace corvid
