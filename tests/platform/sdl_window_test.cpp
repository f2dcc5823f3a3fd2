// The real window on SDL's dummy video driver (no display needed): clicks on the scaled
// window reach the picture coordinate they cover, the menu bar and the black bars keep theirs,
// and desktop full screen letter-boxes the picture.

#ifdef CORVID_HAVE_SDL

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/sdl/sdl_platform.h"

namespace corvid {
namespace {

struct Recorder final : PlatformClient {
  std::vector<InputEvent> events;
  void onInput(const InputEvent& e) override { events.push_back(e); }
  void onTimerTick() override {}
  bool onCloseRequest() override { return true; }
  void onPaint() override {}
  std::string stateJson() override { return "{}"; }
};

class SdlWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::unsetenv("GDK_SCALE");  // menus and window at scale 1
    std::string error;
    ASSERT_TRUE(platform.init(error)) << error;
    platform.setClient(&client);
    ASSERT_TRUE(platform.openWindow("test"));
    for (uint32_t id = 1; id < 1000 && !window; ++id) window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override { platform.setClient(nullptr); }

  // A press of the left button at window point (x, y); the events the engine got.
  std::vector<InputEvent> click(int x, int y) {
    client.events.clear();
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = SDL_GetWindowID(window);
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
    platform.pumpEvents();
    std::vector<InputEvent> downs;
    for (const InputEvent& in : client.events)
      if (in.type == InputEvent::Type::MouseDown) downs.push_back(in);
    return downs;
  }
  void resize(int w, int h) {
    SDL_SetWindowSize(window, w, h);
    platform.pumpEvents();  // the size change lays the picture out again
  }

  SdlPlatform platform;
  Recorder client;
  SDL_Window* window = nullptr;
};

TEST_F(SdlWindow, ClicksReachThePicturePixelTheyCover) {
  resize(1200, 920);  // the 20-point menu bar above a picture of 1200 x 900
  EXPECT_EQ(platform.pictureRect(), (PixelRect{0, 20, 1200, 900}));
  struct Case {
    int x, y;
    bool delivered;
    int px, py;
  };
  const Case cases[] = {
      {600, 470, true, 400, 300}, {0, 20, true, 0, 0},     {1199, 919, true, 799, 599},
      {3, 22, true, 2, 1},        {600, 10, false, 0, 0},  // on the menu bar: the menus take it
  };
  for (const Case& c : cases) {
    const std::vector<InputEvent> downs = click(c.x, c.y);
    ASSERT_EQ(downs.size(), c.delivered ? 1u : 0u) << c.x << "," << c.y;
    if (!c.delivered) continue;
    EXPECT_EQ(downs[0].x, c.px) << c.x << "," << c.y;
    EXPECT_EQ(downs[0].y, c.py) << c.x << "," << c.y;
  }
}

TEST_F(SdlWindow, BlackBarsTakeNoClicks) {
  resize(1620, 620);  // picture 800 x 600 centred, bars left and right
  EXPECT_EQ(platform.pictureRect(), (PixelRect{410, 20, 800, 600}));
  EXPECT_TRUE(click(100, 300).empty());
  const std::vector<InputEvent> downs = click(410 + 799, 619);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].x, 799);
  EXPECT_EQ(downs[0].y, 599);
}

TEST_F(SdlWindow, FullScreenHasNoMenuBarAndLetterBoxes) {
  ASSERT_TRUE(platform.setScreenMode(1));
  platform.pumpEvents();
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  const PixelRect shown = platform.pictureRect();
  EXPECT_EQ(shown.y, (h - shown.h) / 2) << "no menu bar above the picture";
  EXPECT_EQ(shown.w * 600, shown.h * 800) << "the aspect is kept";
  const std::vector<InputEvent> downs = click(shown.x + shown.w / 2, shown.y + shown.h / 2);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].x, 400);
  EXPECT_EQ(downs[0].y, 300);
  ASSERT_TRUE(platform.setScreenMode(0));
}

}  // namespace
}  // namespace corvid

#endif  // CORVID_HAVE_SDL
