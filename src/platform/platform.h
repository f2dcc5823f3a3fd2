#pragma once
// The engine's one door to the outside world. Two back ends implement it: SdlPlatform (the real
// window, sound device and dialogs) and HeadlessPlatform (a virtual clock, input from a timed
// event list, the display kept in memory). The engine never includes a platform header and
// never reads the wall clock for behaviour: time, input and timer ticks arrive through here.
//
// Sections: input events; the engine's side (PlatformClient); the platform itself.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "platform/movie_decoder.h"

namespace corvid {

// ---- Input events -------------------------------------------------------------------------

enum class MouseButton { Left, Right, Middle };

enum class Key {
  None,
  Return,
  Escape,
  Tab,
  Space,
  BackSpace,
  Shift,
  Control,
  Left,
  Right,
  Up,
  Down,
  F11,        // full screen on or off (also Alt+Enter on the real window)
  Character,  // a printable character, in InputEvent::character
};

struct InputEvent {
  enum class Type { MouseDown, MouseUp, MouseMove, Wheel, KeyDown, KeyUp, Menu };
  Type type = Type::MouseMove;
  int x = 0, y = 0;                       // mouse position in the 800×600 picture
  MouseButton button = MouseButton::Left;  // MouseDown / MouseUp
  int wheel = 0;                          // Wheel: > 0 up, < 0 down, in notches
  Key key = Key::None;                    // KeyDown / KeyUp
  char character = 0;                     // Key::Character: the character, lower case for letters
  std::string menuId;                     // Menu: the item's identifier ("SM01", "N10", ...)
};

// A menu item as the platform draws it. The engine owns the menus and sends the whole list
// whenever an item's state changes; the platform reports a pick as an InputEvent of type Menu
// with the item's id.
enum class MenuPlace { Popup, Bar, FullScreenBar };
struct MenuItemState {
  std::string id;        // "SM01", "bar:終了/ゲーム終了", "fsbar:ロード"
  std::string caption;   // UTF-8
  std::string parent;    // id of the menu it opens from; empty for a top item
  MenuPlace place = MenuPlace::Popup;
  bool separatorAfter = false;
  bool enabled = true;
  bool visible = true;
  bool operator==(const MenuItemState&) const = default;
};

enum class MessageBoxButtons { Ok, OkCancel };
enum class MessageBoxIcon { None, Stop, Question, Information, Warning };

// ---- The engine's side ----------------------------------------------------------------------

// What the platform calls while it pumps events. All calls come on the engine's one thread,
// from inside Platform::pumpEvents().
class PlatformClient {
 public:
  virtual ~PlatformClient() = default;
  virtual void onInput(const InputEvent& event) = 0;
  virtual void onTimerTick() = 0;  // the 55 ms timer
  // The window is asked to close (its close box, a quit request). True lets it close.
  virtual bool onCloseRequest() = 0;
  // The window needs its picture again (exposed, resized): present the display.
  virtual void onPaint() = 0;
  // The engine state as one JSON object (the headless "state" event), texts in UTF-8.
  virtual std::string stateJson() = 0;
};

// The engine's mixer as the audio device sees it. render() fills `frames` interleaved stereo
// frames of 16-bit samples at kAudioRate; it is called on the device's own thread (SDL) or on
// the engine's thread as the virtual clock moves (headless).
class AudioRenderer {
 public:
  inline static constexpr int kAudioRate = 44100;  // frames per second, stereo
  virtual ~AudioRenderer() = default;
  virtual void render(int16_t* stereo, size_t frames) = 0;
};

// ---- The platform ---------------------------------------------------------------------------

enum class Feature { Window, Fullscreen, Audio, Movies, Dialogs, Menus };

struct ScreenSize {
  int width = 0;
  int height = 0;
};

class Platform {
 public:
  inline static constexpr int kTimerIntervalMs = 55;

  virtual ~Platform() = default;

  virtual bool supports(Feature feature) const = 0;

  // The client receives events from pumpEvents(); the platform does not own it.
  virtual void setClient(PlatformClient* client) = 0;

  // Clock: milliseconds since the platform was created; sleep blocks (the headless clock just
  // moves on).
  virtual uint32_t millis() = 0;
  virtual void sleep(uint32_t ms) = 0;

  // Window. The caption is UTF-8. openWindow shows the window; closing goes through
  // requestClose (which asks the client) or forceClose (which does not).
  virtual bool openWindow(const std::string& caption) = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual std::string caption() const = 0;
  virtual bool windowOpen() const = 0;
  virtual void requestClose() = 0;  // asks PlatformClient::onCloseRequest, closes on true
  virtual void forceClose() = 0;
  virtual ScreenSize screenSize() const = 0;
  virtual void setWindowPosition(int x, int y) = 0;
  // Screen mode: 0 a normal window, 1 full screen, 2 a borderless window at (0, 0).
  // Returns false when the mode could not be set (the window stays as it was).
  virtual bool setScreenMode(int mode) = 0;

  // Delivers everything pending: input, timer ticks, close requests, repaints. Blocking loops
  // of the engine call this between their frames.
  virtual void pumpEvents() = 0;

  // Shows the display picture (800×600). The caller keeps the surface; the platform copies it.
  virtual void present(const Surface& display) = 0;
  // Shows only a rectangle of it (clipped to the picture).
  virtual void presentRect(const Surface& display, int x, int y, int w, int h) = 0;

  // A modal message box (UTF-8 texts). True for OK.
  virtual bool messageBox(const std::string& text, const std::string& caption,
                          MessageBoxButtons buttons, MessageBoxIcon icon) = 0;

  // The number of sound output devices (0 when there is no sound card).
  virtual int audioDeviceCount() = 0;
  // Starts the audio output, which calls the renderer until closeAudio (the renderer must
  // outlive that). False when no output could be opened at all.
  virtual bool openAudio(AudioRenderer* renderer) { return false; }
  virtual void closeAudio() {}
  // A movie file decoded for the engine to show and play (FFmpeg in both back ends); nullptr
  // with `error` when the file cannot be played.
  virtual std::unique_ptr<MovieDecoder> openMovie(const std::string& path, std::string& error) {
    return openFfmpegMovie(path, error);
  }
  // One of the engine's windows has the input focus (sounds and music start only then).
  virtual bool windowActive() const { return true; }

  // Opens an http:// or https:// address with the desktop's handler; other addresses are
  // refused (false).
  virtual bool openAddress(const std::string& url) = 0;

  // ---- Menus and the pointer (coordinates are pixels of the 800×600 picture) ------------
  // The menu bar, the popup menu and the full-screen bar's buttons with their states.
  virtual void setMenus(const std::vector<MenuItemState>& items) = 0;
  // Opens the popup menu for a right click at (x, y); it stands just right of the pointer.
  // When the player dismisses it without a pick the platform sends the Escape key.
  virtual void openPopupMenu(int x, int y) = 0;
  virtual void closePopupMenu() = 0;
  // In full screen: the full-screen bar at the top of the screen shown or hidden.
  virtual void showFullScreenBar(bool shown) = 0;
  // Moves the mouse pointer; the move arrives as a MouseMove event like the player's own.
  virtual void warpPointer(int x, int y) = 0;
  // The mouse pointer's shape over the picture: 0 the default arrow; any other number a shape a
  // click map's colour region asks for (29 and above), shown as the pointing hand.
  virtual void setCursorShape(int shape) = 0;
};

}  // namespace corvid
