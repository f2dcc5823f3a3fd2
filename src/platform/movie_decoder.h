#pragma once
// A movie file decoded piece by piece: video frames scaled to the 800×600 display, sound
// converted to 16-bit stereo at 44100 Hz, each with its presentation time. The engine paces
// them on its own clock; the FFmpeg libraries behind it stay inside src/platform/.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace corvid {

struct MoviePiece {
  enum class Kind { Video, Audio } kind = Kind::Video;
  double seconds = 0;          // presentation time from the start of the movie
  std::vector<int16_t> audio;  // Audio: interleaved stereo frames at 44100 Hz
};

class MovieDecoder {
 public:
  virtual ~MovieDecoder() = default;
  // The next piece in file order; a video frame is written into `frame` (800×600, resized
  // when needed). False at the end of the movie or on a damaged file.
  virtual bool next(MoviePiece& piece, Surface& frame) = 0;
};

// Opens a movie with the FFmpeg libraries; nullptr with `error` when it cannot be played.
std::unique_ptr<MovieDecoder> openFfmpegMovie(const std::string& path, std::string& error);

}  // namespace corvid
