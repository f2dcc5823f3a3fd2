#include <gtest/gtest.h>

#include "platform/letterbox.h"

namespace corvid {
namespace {

TEST(Letterbox, FitPictureKeepsTheAspectAndCentres) {
  struct Case {
    PixelRect area;
    PixelRect shown;
  };
  const Case cases[] = {
      {{0, 0, 800, 600}, {0, 0, 800, 600}},        // as it is
      {{0, 20, 800, 600}, {0, 20, 800, 600}},      // below a 20-pixel menu bar
      {{0, 0, 1920, 1080}, {240, 0, 1440, 1080}},  // bars left and right
      {{0, 0, 800, 1000}, {0, 200, 800, 600}},     // bars above and below
      {{0, 40, 1600, 1200}, {0, 40, 1600, 1200}},  // twice the size (HiDPI)
      {{0, 20, 1000, 700}, {33, 20, 933, 700}},    // not a whole scale: rounded down, centred
      {{0, 0, 3, 2}, {0, 0, 2, 2}},                // tiny
      {{5, 5, 0, 100}, {5, 5, 0, 0}},              // nothing to show in
  };
  for (const Case& c : cases) {
    const PixelRect r = fitPicture(c.area, 800, 600);
    EXPECT_EQ(r, c.shown) << c.area.w << "x" << c.area.h << " -> " << r.x << "," << r.y << " "
                          << r.w << "x" << r.h;
  }
}

TEST(Letterbox, OutputPointsMapBackToThePicturePixelTheyShow) {
  struct Case {
    PixelRect shown;
    double ox, oy;
    int px, py;
    bool inside;
  };
  const Case cases[] = {
      {{0, 0, 800, 600}, 0, 0, 0, 0, true},
      {{0, 0, 800, 600}, 799.9, 599.9, 799, 599, true},
      {{0, 20, 800, 600}, 400, 19, 400, -1, false},  // on the menu bar
      {{0, 20, 800, 600}, 400, 20, 400, 0, true},
      {{240, 0, 1440, 1080}, 240, 0, 0, 0, true},
      {{240, 0, 1440, 1080}, 239, 540, -1, 300, false},  // in the left bar
      {{240, 0, 1440, 1080}, 960, 540, 400, 300, true},
      {{240, 0, 1440, 1080}, 1679, 1079, 799, 599, true},
      {{240, 0, 1440, 1080}, 1680, 500, 800, 277, false},
      {{0, 40, 1600, 1200}, 3, 43, 1, 1, true},
      {{0, 0, 0, 0}, 10, 10, -1, -1, false},
  };
  for (const Case& c : cases) {
    int px = 0, py = 0;
    EXPECT_EQ(outputToPicture(c.shown, 800, 600, c.ox, c.oy, px, py), c.inside) << c.ox << "," << c.oy;
    EXPECT_EQ(px, c.px) << c.ox << "," << c.oy;
    EXPECT_EQ(py, c.py) << c.ox << "," << c.oy;
  }
}

TEST(Letterbox, PictureToOutputRoundTrips) {
  const PixelRect shown{33, 20, 933, 700};
  for (int p : {0, 1, 57, 400, 598, 599}) {
    double ox, oy;
    pictureToOutput(shown, 800, 600, p, p, ox, oy);
    int px, py;
    ASSERT_TRUE(outputToPicture(shown, 800, 600, ox, oy, px, py));
    EXPECT_EQ(px, p);
    EXPECT_EQ(py, p);
  }
}

}  // namespace
}  // namespace corvid
