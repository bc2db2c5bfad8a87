// Small JPEGs made on the spot, and the fixture folder, for the picture tests.
#pragma once

#include <gtest/gtest.h>
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "pictures/picture_pipeline.h"

namespace picture_test {

namespace fs = std::filesystem;

// Encodes `pixels` (components per pixel: 1 grey or 3 RGB) as a baseline JPEG at quality 100, no subsampling.
inline std::vector<std::uint8_t> MakeJpeg(int width, int height, int components,
                                          const std::function<std::uint8_t(int x, int y, int c)>& pixel) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = components;
  c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  for (int i = 0; i < c.num_components; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&c, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width * components));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      for (int k = 0; k < components; ++k) row[static_cast<std::size_t>(x * components + k)] = pixel(x, y, k);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<std::uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

struct TempDir {
  TempDir() {
    std::string t = (fs::temp_directory_path() / "orvane-pictures-XXXXXX").string();
    path = ::mkdtemp(t.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  fs::path path;
};

// The folder of real photographs, or "" (the test then skips) when the project is checked out alone.
inline std::string FixturePictures() {
#ifdef ORVANE_FIXTURES_DIR
  const fs::path p = fs::path(ORVANE_FIXTURES_DIR) / "pictures";
  if (fs::is_directory(p)) return p.string();
#endif
  return {};
}

// Stands in for the outside encoder: a stream of the length it is told to, byte i being i * step + seed (plus
// the number of the call when newSeedEachCall), and remembers what it was given.
struct FakeEncoder : orvane::pictures::Encoder {
  std::int32_t length = 4000;
  std::uint8_t seed = 1;
  int step = 1;
  bool newSeedEachCall = false;
  int calls = 0;
  std::int32_t bitrate = 0;
  std::vector<std::uint8_t> raw;
  void SetBitrate(std::int32_t b) override { bitrate = b; }
  void Encode(const std::uint8_t* r, std::int32_t n, std::uint8_t* out, std::int32_t* len) override {
    ++calls;
    raw.assign(r, r + n);
    const int base = seed + (newSeedEachCall ? calls : 0);
    for (std::size_t i = 0; i < orvane::pictures::kEncoderOutputSize; ++i)
      out[i] = static_cast<std::uint8_t>(static_cast<int>(i) * step + base);
    *len = length;
  }
};

#define REQUIRE_FIXTURES(dir)                                                                        \
  const std::string dir = picture_test::FixturePictures();                                           \
  if (dir.empty()) GTEST_SKIP() << "the shared fixture photographs (../shared/fixtures/pictures) are " \
                                   "not beside this checkout"

}  // namespace picture_test
