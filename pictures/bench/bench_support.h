// What the picture benchmarks share: the fixture photos, a frame's BT.601 luma, and the PSNR-Y of an MPEG-2
// stream decoded by libavcodec against it.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "pictures/picture_pipeline.h"

namespace orvane::bench {

namespace fs = std::filesystem;

inline std::vector<fs::path> FixtureJpegs() {
  const fs::path dir = fs::path(ORVANE_SHARED_DIR) / "fixtures" / "pictures";
  std::vector<fs::path> files;
  if (fs::is_directory(dir))
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().extension() == ".jpg") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Studio-range luma of a top-down RGB frame.
inline std::vector<std::uint8_t> LumaOf(const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> y(pictures::kFramePixels);
  for (std::size_t i = 0; i < y.size(); ++i)
    y[i] = static_cast<std::uint8_t>(
        std::lround(16.0 + (65.481 * rgb[i * 3] + 128.553 * rgb[i * 3 + 1] + 24.966 * rgb[i * 3 + 2]) / 255.0));
  return y;
}

inline double PsnrY(const std::vector<std::uint8_t>& stream, const std::vector<std::uint8_t>& luma) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG2VIDEO);
  AVCodecContext* c = avcodec_alloc_context3(codec);
  avcodec_open2(c, codec, nullptr);
  AVPacket* p = av_packet_alloc();
  AVFrame* f = av_frame_alloc();
  std::vector<std::uint8_t> data(stream);
  data.resize(stream.size() + AV_INPUT_BUFFER_PADDING_SIZE);
  p->data = data.data();
  p->size = static_cast<int>(stream.size());
  avcodec_send_packet(c, p);
  avcodec_send_packet(c, nullptr);
  double psnr = 0;
  if (avcodec_receive_frame(c, f) == 0) {
    double sse = 0;
    for (int y = 0; y < pictures::kFrameHeight; ++y)
      for (int x = 0; x < pictures::kFrameWidth; ++x) {
        const double d = f->data[0][y * f->linesize[0] + x] - luma[static_cast<std::size_t>(y * pictures::kFrameWidth + x)];
        sse += d * d;
      }
    psnr = 10 * std::log10(255.0 * 255.0 * pictures::kFramePixels / std::max(sse, 1.0));
  }
  av_frame_free(&f);
  av_packet_free(&p);
  avcodec_free_context(&c);
  return psnr;
}

}  // namespace orvane::bench
