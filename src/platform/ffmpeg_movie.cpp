#include <algorithm>
#include <cstring>

#include "platform/movie_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace corvid {

namespace {

constexpr int kOutRate = 44100;

std::string avError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

class FfmpegMovie final : public MovieDecoder {
 public:
  ~FfmpegMovie() override {
    sws_freeContext(scale_);
    swr_free(&resample_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    avformat_close_input(&format_);
  }

  bool open(const std::string& path, std::string& error) {
    int rc = avformat_open_input(&format_, path.c_str(), nullptr, nullptr);
    if (rc < 0 || (rc = avformat_find_stream_info(format_, nullptr)) < 0) {
      error = path + ": " + avError(rc);
      return false;
    }
    videoStream_ = openStream(AVMEDIA_TYPE_VIDEO, video_);
    audioStream_ = openStream(AVMEDIA_TYPE_AUDIO, audio_);
    if (videoStream_ < 0) {
      error = path + ": no video stream that can be decoded";
      return false;
    }
    if (audio_) {
      AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
      if (swr_alloc_set_opts2(&resample_, &stereo, AV_SAMPLE_FMT_S16, kOutRate, &audio_->ch_layout,
                              audio_->sample_fmt, audio_->sample_rate, 0, nullptr) < 0 ||
          swr_init(resample_) < 0) {
        swr_free(&resample_);
        avcodec_free_context(&audio_);
        audioStream_ = -1;
      }
    }
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    return frame_ && packet_;
  }

  bool next(MoviePiece& piece, Surface& frame) override {
    for (;;) {
      if (current_ && receive(piece, frame)) return true;
      current_ = nullptr;
      if (ended_) return false;
      const int rc = av_read_frame(format_, packet_);
      if (rc < 0) {
        // Drain both decoders at the end of the file.
        ended_ = true;
        if (audio_) avcodec_send_packet(audio_, nullptr);
        avcodec_send_packet(video_, nullptr);
        if (drainAudio_ = audio_ != nullptr; drainAudio_) current_ = audio_;
        else current_ = video_;
        continue;
      }
      AVCodecContext* codec = packet_->stream_index == videoStream_   ? video_
                              : packet_->stream_index == audioStream_ ? audio_
                                                                      : nullptr;
      if (codec && avcodec_send_packet(codec, packet_) >= 0) {
        current_ = codec;
        currentStream_ = packet_->stream_index;
      }
      av_packet_unref(packet_);
    }
  }

 private:
  int openStream(AVMediaType type, AVCodecContext*& context) {
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(format_, type, -1, -1, &codec, 0);
    if (index < 0 || !codec) return -1;
    context = avcodec_alloc_context3(codec);
    if (!context || avcodec_parameters_to_context(context, format_->streams[index]->codecpar) < 0 ||
        avcodec_open2(context, codec, nullptr) < 0) {
      avcodec_free_context(&context);
      return -1;
    }
    return index;
  }

  double secondsOf(const AVFrame* f, int stream) const {
    const int64_t pts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : 0;
    return double(pts) * av_q2d(format_->streams[stream]->time_base);
  }

  bool receive(MoviePiece& piece, Surface& out) {
    if (avcodec_receive_frame(current_, frame_) < 0) {
      // At the end, the audio decoder drains first, then the video decoder.
      if (ended_ && drainAudio_) {
        drainAudio_ = false;
        current_ = video_;
        return receive(piece, out);
      }
      return false;
    }
    const bool isVideo = current_ == video_;
    const int stream = isVideo ? videoStream_ : audioStream_;
    piece.seconds = secondsOf(frame_, stream);
    if (isVideo) {
      piece.kind = MoviePiece::Kind::Video;
      toDisplay(out);
    } else {
      piece.kind = MoviePiece::Kind::Audio;
      toStereo(piece.audio);
    }
    av_frame_unref(frame_);
    return true;
  }

  void toDisplay(Surface& out) {
    if (out.width != kScreenWidth || out.height != kScreenHeight) out = Surface(kScreenWidth, kScreenHeight);
    scale_ = sws_getCachedContext(scale_, frame_->width, frame_->height, AVPixelFormat(frame_->format),
                                  kScreenWidth, kScreenHeight, AV_PIX_FMT_BGR24, SWS_BILINEAR,
                                  nullptr, nullptr, nullptr);
    if (!scale_) return;
    uint8_t* planes[4] = {out.at(0, 0), nullptr, nullptr, nullptr};
    int strides[4] = {kScreenWidth * 3, 0, 0, 0};
    sws_scale(scale_, frame_->data, frame_->linesize, 0, frame_->height, planes, strides);
  }

  void toStereo(std::vector<int16_t>& audio) {
    const int most = swr_get_out_samples(resample_, frame_->nb_samples);
    audio.assign(size_t(std::max(most, 0)) * 2, 0);
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(audio.data())};
    const int n = swr_convert(resample_, outPlanes, most, const_cast<const uint8_t**>(frame_->extended_data),
                              frame_->nb_samples);
    audio.resize(size_t(std::max(n, 0)) * 2);
  }

  AVFormatContext* format_ = nullptr;
  AVCodecContext* video_ = nullptr;
  AVCodecContext* audio_ = nullptr;
  AVCodecContext* current_ = nullptr;  // the decoder that may have frames ready
  int videoStream_ = -1, audioStream_ = -1, currentStream_ = -1;
  SwsContext* scale_ = nullptr;
  SwrContext* resample_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  bool ended_ = false;
  bool drainAudio_ = false;
};

}  // namespace

std::unique_ptr<MovieDecoder> openFfmpegMovie(const std::string& path, std::string& error) {
  auto movie = std::make_unique<FfmpegMovie>();
  if (!movie->open(path, error)) return nullptr;
  return movie;
}

}  // namespace corvid
