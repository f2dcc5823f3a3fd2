#pragma once
// The engine's keys are the Windows virtual keys the player's keyboard gave the original
// program; sdl_keys.cpp holds the one table of which SDL key stands for each.

#include <SDL.h>

#include "platform/platform.h"

namespace corvid {

// False for a key the engine does not take. `character` is set for Key::Character (lower case).
bool keyFromSdl(SDL_Keycode code, Key& key, char& character);

}  // namespace corvid
