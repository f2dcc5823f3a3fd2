#include "platform/sdl/sdl_keys.h"

namespace corvid {

namespace {

struct KeyMapping {
  const char* windowsKey;  // the virtual key of the original program
  SDL_Keycode first;       // the SDL keys that stand for it, first..last
  SDL_Keycode last;
  Key key;
};

// Windows virtual key -> SDL key. Letters and digits arrive as characters (the character
// events of the desktop), the rest as keys of their own. F11 is this engine's own: full
// screen on and off (Alt+Enter does the same, see sdl_platform.cpp).
constexpr KeyMapping kKeyTable[] = {
    {"VK_RETURN", SDLK_RETURN, SDLK_RETURN, Key::Return},
    {"VK_RETURN", SDLK_KP_ENTER, SDLK_KP_ENTER, Key::Return},
    {"VK_ESCAPE", SDLK_ESCAPE, SDLK_ESCAPE, Key::Escape},
    {"VK_TAB", SDLK_TAB, SDLK_TAB, Key::Tab},
    {"VK_SPACE", SDLK_SPACE, SDLK_SPACE, Key::Space},
    {"VK_BACK", SDLK_BACKSPACE, SDLK_BACKSPACE, Key::BackSpace},
    {"VK_SHIFT", SDLK_LSHIFT, SDLK_LSHIFT, Key::Shift},
    {"VK_SHIFT", SDLK_RSHIFT, SDLK_RSHIFT, Key::Shift},
    {"VK_CONTROL", SDLK_LCTRL, SDLK_LCTRL, Key::Control},
    {"VK_CONTROL", SDLK_RCTRL, SDLK_RCTRL, Key::Control},
    {"VK_LEFT", SDLK_LEFT, SDLK_LEFT, Key::Left},
    {"VK_RIGHT", SDLK_RIGHT, SDLK_RIGHT, Key::Right},
    {"VK_UP", SDLK_UP, SDLK_UP, Key::Up},
    {"VK_DOWN", SDLK_DOWN, SDLK_DOWN, Key::Down},
    {"VK_F11", SDLK_F11, SDLK_F11, Key::F11},
    {"'A'..'Z'", SDLK_a, SDLK_z, Key::Character},
    {"'0'..'9'", SDLK_0, SDLK_9, Key::Character},
};

}  // namespace

bool keyFromSdl(SDL_Keycode code, Key& key, char& character) {
  for (const KeyMapping& m : kKeyTable) {
    if (code < m.first || code > m.last) continue;
    key = m.key;
    character = m.key == Key::Character ? char(code) : 0;  // SDL letter keys are lower case
    return true;
  }
  return false;
}

}  // namespace corvid
