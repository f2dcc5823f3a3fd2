#pragma once
// The sounds a script line names, checked against the media archives (`cvdtool lint`): "se",
// "seloop" and voices ("cv" and its tag) must be in a voice or sound-effect archive, as the
// engine looks them up; "music n" (n > 0) needs the entry "Mnn" in the music archive.

#include <string>
#include <string_view>
#include <vector>

#include "data/archive.h"
#include "script/command_table.h"

namespace corvid {

// One message (UTF-8) per sound the command names and no archive holds; empty otherwise and
// for commands that name no sound.
std::vector<std::string> checkSoundReference(const Archives& archives, CommandId id,
                                             std::string_view arguments);

}  // namespace corvid
