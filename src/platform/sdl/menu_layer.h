#pragma once
// The menus of the real window, drawn with Dear ImGui in a Japanese font over the SDL
// renderer: the window's menu bar (above the picture, never over it), the popup menu of the
// right click, and the full-screen bar. It draws a frame only when asked; picks come back as
// item ids.

#include <array>
#include <string>
#include <vector>

#include "platform/platform.h"

struct SDL_Window;
struct SDL_Renderer;
union SDL_Event;

namespace corvid {

class MenuLayer {
 public:
  inline static constexpr float kMenuBarHeight = 20;       // points at scale 1
  inline static constexpr float kFullScreenBarHeight = 21;  // points at scale 1

  MenuLayer() = default;
  ~MenuLayer();
  MenuLayer(const MenuLayer&) = delete;
  MenuLayer& operator=(const MenuLayer&) = delete;

  // `uiScale` enlarges the menus on a screen of high density that the desktop does not scale
  // itself (1 otherwise). False with `error` when no font covering Japanese is installed.
  bool init(SDL_Window* window, SDL_Renderer* renderer, float uiScale, std::string& error);
  void shutdown();

  void setItems(const std::vector<MenuItemState>& items);
  // Window points; the popup opens once no mouse button is held.
  void openPopup(float x, float y);
  void closePopup();

  // Hands the event to ImGui; true when the menus take it (the engine must not see it): every
  // event while a menu is open, and the mouse above `barBottom` (window points), where the
  // menu bar or the full-screen bar stands.
  bool processEvent(const SDL_Event& event, float barBottom);
  // A menu, the popup or a pending popup is open, or a change is settling (a window ImGui
  // shows for the first time stays hidden for a frame): frames are needed.
  bool active() const;
  // Something the menus show changed: draw the next frames.
  void refresh() { framesAfterInput_ = 2; }

  // Builds and draws one frame over what the renderer holds. Picks are appended to `picks`;
  // `dismissed` is set when the popup closed without a pick (a click elsewhere, Escape).
  // `pixelRatio` is output pixels per window point.
  void frame(bool menuBar, bool fullScreenBar, float pixelRatio, std::vector<std::string>& picks,
             bool& dismissed);

  // The menu bar's height in window points.
  float menuBarHeight() const { return kMenuBarHeight * uiScale_; }
  float fullScreenBarHeight() const { return kFullScreenBarHeight * uiScale_; }

 private:
  void buildFont(float pixelRatio);
  void menuEntries(const std::string& parent, std::vector<std::string>& picks);
  void drawMenuBar(std::vector<std::string>& picks);
  void drawPopup(std::vector<std::string>& picks, bool& dismissed);
  void drawFullScreenBar(std::vector<std::string>& picks);
  bool hasChildren(const std::string& id) const;

  std::vector<MenuItemState> items_;
  std::string fontFile_;
  float uiScale_ = 1;
  float fontPixelRatio_ = 0;  // the ratio the font atlas was built for
  bool fontStale_ = true;     // new captions or a new ratio: the atlas is built again
  bool ready_ = false;
  bool popupPending_ = false;
  bool popupShown_ = false;
  bool closeRequested_ = false;
  bool escapePressed_ = false;
  std::array<bool, 512> keysTaken_{};  // by SDL scancode (SDL_NUM_SCANCODES): pressed while a menu was open
  float popupX_ = 0, popupY_ = 0;
  int framesAfterInput_ = 0;  // ImGui settles a change over a frame or two
};

}  // namespace corvid
