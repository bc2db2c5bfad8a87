// Prints, per JPEG of the picture fixtures, what the still-frame encoder's search costs and reaches: time,
// bytes, fill of the target, PSNR-Y of the decoded stream against the coded frame, and the gap to the PSNR
// interpolated between the two neighbouring quantisers at the target.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "pictures/mpegenc/still_encoder.h"

namespace fs = std::filesystem;
using namespace orvane::mpegenc;

namespace {

struct JpegFail {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

// Decodes to RGB (CMYK as Adobe writes it, inverted) and stretches nearest-neighbour to 704 x 576.
bool LoadFrame(const std::string& path, std::vector<std::uint8_t>& frame) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  jpeg_decompress_struct cinfo{};
  JpegFail fail{};
  cinfo.err = jpeg_std_error(&fail.mgr);
  fail.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegFail*>(c->err)->jump, 1); };
  std::vector<std::uint8_t> pixels;
  if (setjmp(fail.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
  const int n = cinfo.output_components;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(w * n));
  pixels.resize(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    JSAMPROW r = row.data();
    jpeg_read_scanlines(&cinfo, &r, 1);
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 3];
      if (cmyk) {
        const int k = row[x * 4 + 3];
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(row[x * 4 + c] * k / 255);
      } else {
        for (int c = 0; c < 3; ++c) p[c] = row[x * 3 + c];
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  frame.resize(kFrameBytes);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int sx = x * w / kWidth, sy = y * h / kHeight;
      std::copy_n(&pixels[(static_cast<std::size_t>(sy) * w + sx) * 3], 3, &frame[(y * kWidth + x) * 3]);
    }
  return true;
}

std::vector<std::uint8_t> LumaOf(const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> y(kWidth * kHeight);
  for (std::size_t i = 0; i < y.size(); ++i)
    y[i] = static_cast<std::uint8_t>(
        std::lround(16.0 + (65.481 * rgb[i * 3] + 128.553 * rgb[i * 3 + 1] + 24.966 * rgb[i * 3 + 2]) / 255.0));
  return y;
}

double PsnrY(const std::vector<std::uint8_t>& stream, const std::vector<std::uint8_t>& luma) {
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
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const double d = f->data[0][y * f->linesize[0] + x] - luma[y * kWidth + x];
        sse += d * d;
      }
    psnr = 10 * std::log10(255.0 * 255.0 * kWidth * kHeight / std::max(sse, 1.0));
  }
  av_frame_free(&f);
  av_packet_free(&p);
  avcodec_free_context(&c);
  return psnr;
}

}  // namespace

int main() {
  const fs::path dir = fs::path(ORVANE_SHARED_DIR) / "fixtures" / "pictures";
  if (!fs::is_directory(dir)) {
    std::printf("no picture fixtures at %s\n", dir.c_str());
    return 0;
  }
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".jpg") files.push_back(e.path());
  std::sort(files.begin(), files.end());

  StillEncoder encoder(BuiltInSettings());
  std::printf("%-40s %4s %8s %7s %7s %5s %6s %7s %5s %7s %7s\n", "picture", "brt", "bit/s", "target", "bytes",
              "fill", "q", "rows", "enc", "ms", "dB gap");
  for (const auto& file : files) {
    std::vector<std::uint8_t> source;
    if (!LoadFrame(file.string(), source)) {
      std::printf("%-40s cannot be decoded\n", file.filename().c_str());
      continue;
    }
    for (int brightness : {100, 30}) {
      std::vector<std::uint8_t> frame(source);
      for (auto& v : frame) v = static_cast<std::uint8_t>(v * brightness / 100);
      const auto luma = LumaOf(frame);
      for (std::int64_t rate : {2000000, 3000000}) {
        // Best of five, after one warm-up.
        double best = 1e9;
        StillResult r;
        for (int run = 0; run < 6; ++run) {
          const auto t0 = std::chrono::steady_clock::now();
          encoder.SetFrame(frame);
          r = encoder.EncodeToTarget(rate, 131072);
          const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
          if (run > 0) best = std::min(best, ms);
        }
        const double psnr = PsnrY(r.stream, luma);
        // The continuous ideal: PSNR interpolated in size between the bracketing codes at the target.
        std::string gap = "-";
        if (r.fine_q > 0) {
          const auto fine = encoder.EncodeAt(r.fine_q, rate), coarse = encoder.EncodeAt(r.coarse_q, rate);
          const double pf = PsnrY(fine, luma), pc = PsnrY(coarse, luma);
          const double t = (static_cast<double>(r.target) - static_cast<double>(coarse.size())) /
                           (static_cast<double>(fine.size()) - static_cast<double>(coarse.size()));
          char text[16];
          std::snprintf(text, sizeof text, "%.3f", pc + t * (pf - pc) - psnr);
          gap = text;
        }
        char q[16], rows[16];
        std::snprintf(q, sizeof q, r.fine_q ? "%d/%d" : "%d", r.coarse_q, r.fine_q);
        std::snprintf(rows, sizeof rows, r.fine_q ? "%d/%d" : "%d", r.coarse_rows, r.fine_rows);
        std::printf("%-40s %4d %8lld %7lld %7zu %4.1f%% %6s %7s %5d %7.2f %7s  PSNR-Y %.2f dB\n",
                    file.filename().c_str(), brightness, static_cast<long long>(rate),
                    static_cast<long long>(r.target), r.stream.size(), 100.0 * r.stream.size() / r.target, q, rows,
                    r.encodes, best, gap.c_str(), psnr);
      }
    }
  }
  return 0;
}
