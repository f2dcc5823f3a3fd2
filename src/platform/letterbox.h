#pragma once
// Where the 800x600 picture stands in a window of another size: scaled with its aspect kept
// and centred, black bars filling the rest (letter-boxed), and the way back from a point of
// the window to the picture's pixel under it. Pure arithmetic, shared by the real window and
// its tests.

namespace corvid {

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const PixelRect&) const = default;
};

// The largest rectangle of the picture's aspect inside `area`, centred in it.
PixelRect fitPicture(const PixelRect& area, int pictureWidth, int pictureHeight);

// The picture pixel under the output point (ox, oy) when the picture is shown in `shown`
// (rounded down, so every output pixel maps to the picture pixel it shows). False when the
// point lies outside the picture; the coordinates are then the picture's continuation
// (negative above and left of it).
bool outputToPicture(const PixelRect& shown, int pictureWidth, int pictureHeight, double ox,
                     double oy, int& px, int& py);

// The output point at the centre of picture pixel (px, py): the way there, for moving the
// pointer onto a picture coordinate.
void pictureToOutput(const PixelRect& shown, int pictureWidth, int pictureHeight, int px, int py,
                     double& ox, double& oy);

}  // namespace corvid
