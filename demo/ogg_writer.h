#pragma once
// A small Ogg Vorbis writer over libvorbisenc, for the build-time generator of the demo title's
// voices and for the tests: 16-bit PCM in, a complete Ogg Vorbis file out. Header-only, so
// each user links libvorbisenc itself and the engine never does.

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace corvid::oggwriter {

inline void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Encodes interleaved samples (one or two channels) at `rate` with VBR quality 0.4.
inline std::vector<uint8_t> encodeOggVorbis(const std::vector<int16_t>& samples, int channels,
                                            int rate) {
  std::vector<uint8_t> out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.4f) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page)) appendPage(out, page);

  const size_t frames = samples.size() / size_t(channels);
  constexpr size_t kChunk = 1024;
  for (size_t done = 0;; done += kChunk) {
    const size_t n = done < frames ? std::min(kChunk, frames - done) : 0;
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, int(n));
      for (size_t f = 0; f < n; ++f)
        for (int c = 0; c < channels; ++c)
          buffer[c][f] = samples[(done + f) * size_t(channels) + size_t(c)] / 32768.0f;
    }
    vorbis_analysis_wrote(&dsp, int(n));  // 0 marks the end of the stream
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) appendPage(out, page);
      }
    }
    if (n == 0) break;
  }
  while (ogg_stream_flush(&stream, &page)) appendPage(out, page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace corvid::oggwriter
