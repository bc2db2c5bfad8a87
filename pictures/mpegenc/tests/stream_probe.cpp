#include "pictures/mpegenc/tests/stream_probe.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <jpeglib.h>

#include "pictures/mpegenc/encoder_settings.h"

namespace orvane::mpegenc::testing {
namespace {

class Bits {
 public:
  Bits(std::span<const std::uint8_t> d, std::size_t byte) : d_(d), pos_(byte * 8) {}
  std::uint32_t Get(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++pos_) {
      const std::size_t b = pos_ / 8;
      const int bit = b < d_.size() ? (d_[b] >> (7 - pos_ % 8)) & 1 : 0;
      v = (v << 1) | static_cast<std::uint32_t>(bit);
    }
    return v;
  }
  int I(int n) { return static_cast<int>(Get(n)); }

 private:
  std::span<const std::uint8_t> d_;
  std::size_t pos_;
};

}  // namespace

Headers ParseHeaders(std::span<const std::uint8_t> s) {
  Headers h;
  std::int64_t rate_low = 0;
  for (std::size_t i = 0; i + 4 <= s.size(); ++i) {
    if (s[i] != 0 || s[i + 1] != 0 || s[i + 2] != 1) continue;
    const int code = s[i + 3];
    Bits b(s, i + 4);
    if (code == 0xB3) {
      h.horizontal_size = b.I(12);
      h.vertical_size = b.I(12);
      h.aspect_ratio_information = b.I(4);
      h.frame_rate_code = b.I(4);
      rate_low = b.I(18);
      b.I(1);
      h.vbv_buffer_size = b.I(10);
      b.I(1);
      h.load_intra_matrix = b.I(1);
      if (h.load_intra_matrix) b.Get(32), b.Get(32), b.Get(32), b.Get(32), b.Get(32), b.Get(32), b.Get(32),
          b.Get(32), b.Get(32), b.Get(32), b.Get(32), b.Get(32), b.Get(32), b.Get(32), b.Get(32), b.Get(32);
      h.load_non_intra_matrix = b.I(1);
    } else if (code == 0xB5) {
      const int id = b.I(4);
      if (id == 1) {
        b.I(1);
        h.profile = b.I(3);
        h.level = b.I(4);
        h.progressive_sequence = b.I(1);
        h.chroma_format = b.I(2);
        b.I(4);
        h.bit_rate_units = (static_cast<std::int64_t>(b.I(12)) << 18) | rate_low;
        b.I(1);
        h.vbv_buffer_size |= b.I(8) << 10;
        h.low_delay = b.I(1);
      } else if (id == 2) {
        h.video_format = b.I(3);
        if (b.I(1)) {
          h.colour_primaries = b.I(8);
          h.transfer_characteristics = b.I(8);
          h.matrix_coefficients = b.I(8);
        }
        h.display_horizontal_size = b.I(14);
        b.I(1);
        h.display_vertical_size = b.I(14);
      } else if (id == 8) {
        b.I(16);
        h.intra_dc_precision = b.I(2);
        h.picture_structure = b.I(2);
        h.top_field_first = b.I(1);
        h.frame_pred_frame_dct = b.I(1);
        h.concealment_motion_vectors = b.I(1);
        h.q_scale_type = b.I(1);
        h.intra_vlc_format = b.I(1);
        h.alternate_scan = b.I(1);
        h.repeat_first_field = b.I(1);
        b.I(1);
        h.progressive_frame = b.I(1);
      }
    } else if (code == 0xB8) {
      b.I(1);
      const int hh = b.I(5), mm = b.I(6);
      b.I(1);
      const int ss = b.I(6), pp = b.I(6);
      char text[16];
      std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", hh, mm, ss, pp);
      h.time_code = text;
      h.closed_gop = b.I(1);
    } else if (code == 0x00) {
      b.I(10);
      h.picture_coding_type = b.I(3);
      h.vbv_delay = b.I(16);
      ++h.pictures;
    } else if (code >= 0x01 && code <= 0xAF) {
      h.slice_quantisers.push_back(b.I(5));
    }
  }
  h.ends_with_sequence_end = s.size() >= 4 && s[s.size() - 4] == 0 && s[s.size() - 3] == 0 &&
                             s[s.size() - 2] == 1 && s[s.size() - 1] == 0xB7;
  return h;
}

TempFile::TempFile(std::span<const std::uint8_t> bytes, const std::string& suffix) {
  std::string pattern = (std::filesystem::temp_directory_path() / "mpegenc-XXXXXX").string() + suffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
  if (fd < 0) throw std::runtime_error("mkstemps");
  path_ = name.data();
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

TempFile::~TempFile() { std::remove(path_.c_str()); }

std::optional<std::string> Run(const std::string& command) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return std::nullopt;
  std::string out;
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  if (pclose(p) != 0) return std::nullopt;
  return out;
}

bool HaveTool(const std::string& name) { return Run("command -v " + name + " >/dev/null 2>&1").has_value(); }

std::map<std::string, std::string> Probe(const std::string& path) {
  std::map<std::string, std::string> fields;
  const auto out = Run("ffprobe -v error -show_streams -show_frames '" + path + "'");
  if (!out) return fields;
  std::istringstream in(*out);
  std::string line, section;
  while (std::getline(in, line)) {
    if (line == "[STREAM]") section = "stream.";
    else if (line == "[FRAME]") section = "frame.";
    else if (line == "[SIDE_DATA]") section += "side.";
    else if (line == "[/SIDE_DATA]") section = section.substr(0, section.size() - 5);
    else if (auto eq = line.find('='); eq != std::string::npos) fields.emplace(section + line.substr(0, eq), line.substr(eq + 1));
  }
  return fields;
}

std::optional<std::vector<std::uint8_t>> Decode(const std::string& path, const std::string& pix_fmt) {
  const auto out = Run("ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt " + pix_fmt + " -");
  if (!out) return std::nullopt;
  return std::vector<std::uint8_t>(out->begin(), out->end());
}

std::vector<std::uint8_t> Luma601(std::span<const std::uint8_t> rgb) {
  std::vector<std::uint8_t> y(rgb.size() / 3);
  for (std::size_t i = 0; i < y.size(); ++i)
    y[i] = static_cast<std::uint8_t>(
        std::lround(16.0 + (65.481 * rgb[i * 3] + 128.553 * rgb[i * 3 + 1] + 24.966 * rgb[i * 3 + 2]) / 255.0));
  return y;
}

double Psnr(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  double sse = 0;
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    sse += d * d;
  }
  return 10 * std::log10(255.0 * 255.0 * static_cast<double>(n) / std::max(sse, 1.0));
}

std::vector<std::uint8_t> DetailedFrame() {
  std::vector<std::uint8_t> f(kFrameBytes);
  std::mt19937 rng(11);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t* p = &f[(static_cast<std::size_t>(y) * kWidth + x) * 3];
      const double t = 127 + 60 * std::sin(x * 0.05) * std::cos(y * 0.031) + 40 * std::sin((x + 2 * y) * 0.27);
      const int tex = static_cast<int>(rng() % 25) - 12;
      const bool block = ((x / 88) + (y / 72)) % 2 == 0;
      p[0] = static_cast<std::uint8_t>(std::clamp(t + tex + (block ? 30 : -30), 0.0, 255.0));
      p[1] = static_cast<std::uint8_t>(std::clamp(255.0 * y / kHeight + tex, 0.0, 255.0));
      p[2] = static_cast<std::uint8_t>(std::clamp(255.0 * x / kWidth - tex, 0.0, 255.0));
    }
  return f;
}

std::vector<std::uint8_t> NoiseFrame(unsigned seed) {
  std::vector<std::uint8_t> f(kFrameBytes);
  std::mt19937 rng(seed);
  for (auto& b : f) b = static_cast<std::uint8_t>(rng());
  return f;
}

std::string FixturesDir() {
  const auto dir = std::filesystem::path(ORVANE_SHARED_DIR) / "fixtures" / "pictures";
  return std::filesystem::is_directory(dir) ? dir.string() : std::string();
}

namespace {
struct JpegFail {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};
}  // namespace

std::optional<std::vector<std::uint8_t>> LoadJpegFrame(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  jpeg_decompress_struct cinfo{};
  JpegFail fail{};
  cinfo.err = jpeg_std_error(&fail.mgr);
  fail.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegFail*>(c->err)->jump, 1); };
  std::vector<std::uint8_t> pixels, row;
  if (setjmp(fail.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return std::nullopt;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const std::size_t w = cinfo.output_width, h = cinfo.output_height;
  const int n = cinfo.output_components;
  row.resize(w * static_cast<std::size_t>(n));
  pixels.resize(w * h * 3);
  for (std::size_t y = 0; y < h; ++y) {
    JSAMPROW r = row.data();
    jpeg_read_scanlines(&cinfo, &r, 1);
    for (std::size_t x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        pixels[(y * w + x) * 3 + static_cast<std::size_t>(c)] =
            cmyk ? static_cast<std::uint8_t>(row[x * 4 + static_cast<std::size_t>(c)] * row[x * 4 + 3] / 255)
                 : row[x * 3 + static_cast<std::size_t>(c)];
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  std::vector<std::uint8_t> frame(kFrameBytes);
  for (std::size_t y = 0; y < static_cast<std::size_t>(kHeight); ++y)
    for (std::size_t x = 0; x < static_cast<std::size_t>(kWidth); ++x) {
      const std::size_t sx = x * w / kWidth, sy = y * h / kHeight;
      for (int c = 0; c < 3; ++c) frame[(y * kWidth + x) * 3 + static_cast<std::size_t>(c)] = pixels[(sy * w + sx) * 3 + static_cast<std::size_t>(c)];
    }
  return frame;
}

}  // namespace orvane::mpegenc::testing
