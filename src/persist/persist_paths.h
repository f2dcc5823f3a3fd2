#pragma once
// Where the player's files live on this system: the settings file (one per user) and the
// folder of the global data and save files (one per title).

#include <string>
#include <string_view>

namespace corvid {

// $XDG_CONFIG_HOME/corvid/settings.ini, with ~/.config when the variable is unset or not an
// absolute path (as the XDG rules ask).
std::string defaultSettingsPath();

// The folder of "save0.dat", "kaiso.dat" and the save slots:
//   1. `dataDirOption` (the --data-dir option) when given;
//   2. else the title's folder when this user may write there (files beside the engine, as
//      players of the original expect);
//   3. else $XDG_DATA_HOME/corvid/<GAME_ID>/ (~/.local/share when unset), the title's id made
//      safe as one file name (UTF-8; '/' becomes '_'; empty, "." or ".." becomes "_").
// The folder is not created here; the writers create it when they first write.
std::string chooseDataDir(const std::string& dataDirOption, const std::string& titleDir,
                          std::string_view gameIdSjis);

}  // namespace corvid
