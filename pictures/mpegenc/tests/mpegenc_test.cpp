#include "pictures/mpegenc/mpegenc.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pictures/mpegenc/parameter_file.h"
#include "pictures/mpegenc/still_encoder.h"
#include "pictures/mpegenc/tests/stream_probe.h"

extern "C" int32_t MpegEncodeFromC(const uint8_t* frame, int32_t frame_length, int32_t bit_rate, uint8_t* output,
                                   MpegEncodeInfo* info);

namespace {

namespace fs = std::filesystem;
using namespace orvane::mpegenc;
using namespace orvane::mpegenc::testing;

constexpr std::uint8_t kGuard = 0x5A;
constexpr std::size_t kGuardBytes = 4096;

// Each test gets its own Windows directory; the parameter file is written there only when a test asks.
class MpegEnc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveTool("ffprobe") || !HaveTool("ffmpeg")) GTEST_SKIP() << "ffprobe / ffmpeg not installed";
    dir_ = fs::temp_directory_path() / ("mpegenc-windir-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    ::setenv("ORVANE_WINDIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  void WriteParameterFile(std::vector<std::string> lines) {
    std::ofstream out(dir_ / "orbelimg.dat", std::ios::binary);
    for (const auto& l : lines) out << l << "\r\n";
  }
  static std::vector<std::string> Lines() {
    return {orvane::encoder::kParameterLines.begin(), orvane::encoder::kParameterLines.end()};
  }

  struct Encoded {
    std::vector<std::uint8_t> stream;
    MpegEncodeInfo info{};
  };
  // Through the C exports, with guard bytes after the buffer that must survive.
  static Encoded Encode(const std::vector<std::uint8_t>& frame, int32_t bit_rate) {
    std::vector<std::uint8_t> out(MPEG_OUTPUT_BUFFER_SIZE + kGuardBytes, kGuard);
    Encoded e;
    const int32_t n = MpegEncodeFromC(frame.data(), static_cast<int32_t>(frame.size()), bit_rate, out.data(), &e.info);
    EXPECT_EQ(n, e.info.length);
    EXPECT_TRUE(std::all_of(out.begin() + MPEG_OUTPUT_BUFFER_SIZE, out.end(), [](auto b) { return b == kGuard; }))
        << "written past the output buffer";
    if (n > 0 && n <= MPEG_OUTPUT_BUFFER_SIZE) e.stream.assign(out.begin(), out.begin() + n);
    return e;
  }

  fs::path dir_;
};

TEST_F(MpegEnc, HeadersCarryTheBuiltInParameters) {
  const auto e = Encode(DetailedFrame(), 3000000);
  ASSERT_EQ(e.info.status, MPEG_STATUS_OK);
  EXPECT_EQ(e.info.parameters_from_file, 0);
  TempFile file(e.stream);
  auto p = Probe(file.path());
  const std::map<std::string, std::string> expected = {
      {"stream.codec_name", "mpeg2video"}, {"stream.profile", "Main"}, {"stream.level", "8"},
      {"stream.width", "704"}, {"stream.height", "576"}, {"stream.pix_fmt", "yuv420p"},
      {"stream.sample_aspect_ratio", "12:11"}, {"stream.display_aspect_ratio", "4:3"},
      {"stream.r_frame_rate", "25/1"}, {"stream.field_order", "tt"}, {"stream.color_range", "tv"},
      {"stream.color_space", "bt470bg"}, {"stream.color_primaries", "bt470bg"},
      {"stream.color_transfer", "bt470bg"}, {"stream.max_bit_rate", "3000000"},
      {"stream.side.buffer_size", "1835008"}, {"frame.pict_type", "I"}, {"frame.key_frame", "1"},
      {"frame.interlaced_frame", "1"}, {"frame.top_field_first", "1"}, {"frame.pkt_size", std::to_string(e.stream.size())},
  };
  for (const auto& [k, v] : expected) EXPECT_EQ(p[k], v) << k;

  // What ffprobe does not show, read from the stream itself.
  const Headers h = ParseHeaders(e.stream);
  EXPECT_EQ(h.pictures, 1);
  EXPECT_EQ(h.picture_coding_type, 1);
  EXPECT_EQ(h.horizontal_size, 704);
  EXPECT_EQ(h.vertical_size, 576);
  EXPECT_EQ(h.aspect_ratio_information, 2);
  EXPECT_EQ(h.frame_rate_code, 3);
  EXPECT_EQ(h.bit_rate_units, 3000000 / 400);
  EXPECT_EQ(h.vbv_buffer_size, 112);
  EXPECT_EQ(h.load_intra_matrix, 0);
  EXPECT_EQ(h.load_non_intra_matrix, 0);
  EXPECT_EQ(h.profile, 4);
  EXPECT_EQ(h.level, 8);
  EXPECT_EQ(h.progressive_sequence, 0);
  EXPECT_EQ(h.chroma_format, 1);
  EXPECT_EQ(h.low_delay, 0);
  EXPECT_EQ(h.video_format, 1);
  EXPECT_EQ(h.colour_primaries, 5);
  EXPECT_EQ(h.transfer_characteristics, 5);
  EXPECT_EQ(h.matrix_coefficients, 5);
  EXPECT_EQ(h.display_horizontal_size, 704);
  EXPECT_EQ(h.display_vertical_size, 576);
  EXPECT_EQ(h.time_code, "00:00:00:00");
  EXPECT_EQ(h.closed_gop, 1);
  EXPECT_EQ(h.intra_dc_precision, 0);
  EXPECT_EQ(h.picture_structure, 3);
  EXPECT_EQ(h.top_field_first, 1);
  EXPECT_EQ(h.frame_pred_frame_dct, 0);
  EXPECT_EQ(h.concealment_motion_vectors, 0);
  EXPECT_EQ(h.q_scale_type, 1);
  EXPECT_EQ(h.intra_vlc_format, 1);
  EXPECT_EQ(h.alternate_scan, 0);
  EXPECT_EQ(h.repeat_first_field, 0);
  EXPECT_EQ(h.progressive_frame, 0);
  EXPECT_TRUE(h.ends_with_sequence_end);
  // One slice per macroblock row, with the quantisers the report names.
  ASSERT_EQ(h.slice_quantisers.size(), 36u);
  EXPECT_EQ(std::count(h.slice_quantisers.begin(), h.slice_quantisers.end(), e.info.coarse_quantiser),
            e.info.coarse_rows);
  if (e.info.fine_rows > 0) {
    EXPECT_EQ(std::count(h.slice_quantisers.begin(), h.slice_quantisers.end(), e.info.fine_quantiser),
              e.info.fine_rows);
  }
}

TEST_F(MpegEnc, DecodesCloseToTheFrameInLumaAndColour) {
  const auto frame = DetailedFrame();
  const auto e = Encode(frame, 5000000);
  ASSERT_EQ(e.info.status, MPEG_STATUS_OK);
  TempFile file(e.stream);
  const auto yuv = Decode(file.path(), "yuv420p");
  ASSERT_TRUE(yuv);
  ASSERT_EQ(yuv->size(), static_cast<std::size_t>(704 * 576 * 3 / 2));
  const auto luma = Luma601(frame);
  const double psnr = Psnr(std::span(*yuv).first(luma.size()), luma);
  EXPECT_GT(psnr, 30.0);
  EXPECT_LT(psnr, 60.0);
  // Back to RGB: a wrong matrix or range would shift every colour far more than coding does.
  const auto rgb = Decode(file.path(), "rgb24");
  ASSERT_TRUE(rgb);
  EXPECT_GT(Psnr(*rgb, frame), 26.0);
  // Flat colours round-trip within a few levels (no range or matrix error).
  std::vector<std::uint8_t> flat(kFrameBytes);
  for (std::size_t i = 0; i < flat.size(); i += 3) {
    const bool left = (i / 3) % kWidth < kWidth / 2;
    flat[i] = left ? 200 : 20;
    flat[i + 1] = left ? 30 : 180;
    flat[i + 2] = left ? 60 : 240;
  }
  const auto f = Encode(flat, 2000000);
  TempFile flat_file(f.stream);
  const auto flat_rgb = Decode(flat_file.path(), "rgb24");
  ASSERT_TRUE(flat_rgb);
  for (std::size_t pixel : {std::size_t{300 * 704 + 100}, std::size_t{300 * 704 + 600}})
    for (int c = 0; c < 3; ++c) EXPECT_NEAR((*flat_rgb)[pixel * 3 + c], flat[pixel * 3 + c], 4) << pixel << " " << c;
}

// Sizes follow the rate, never over the target, and fill it where the coarsest quantiser leaves room.
void ExpectSizeFollowsRate(const std::vector<std::uint8_t>& frame, const std::string& name) {
  std::int64_t previous = 0;
  for (int32_t rate : {1000000, 2000000, 3000000, 4000000, 6000000, 10000000}) {
    std::vector<std::uint8_t> out(MPEG_OUTPUT_BUFFER_SIZE);
    int32_t n = 0;
    MPEGSetBitrate(rate);
    MPEGRAWBUF2ENC(frame.data(), MPEG_FRAME_LENGTH, out.data(), &n);
    MpegEncodeInfo info{};
    MPEGGetLastEncodeInfo(&info);
    ASSERT_EQ(info.status, MPEG_STATUS_OK) << name;
    EXPECT_EQ(info.target, rate / 200) << name;
    EXPECT_GE(n, previous) << name << " at " << rate;
    if (info.coarse_quantiser == 31 && info.fine_rows == 0 && n > info.target) {
      // Too detailed for this target even at the coarsest quantiser: the smallest stream, for the caller to judge.
    } else if (info.coarse_quantiser == 1 && info.fine_rows == 0) {
      EXPECT_LE(n, info.target) << name;  // the finest quantiser already fits
    } else {
      EXPECT_LE(n, info.target) << name << " at " << rate;
      EXPECT_GE(n, info.target * 92 / 100) << name << " at " << rate;
    }
    EXPECT_LE(info.encodes, 8) << name;
    previous = n;
  }
}

TEST_F(MpegEnc, SizeFollowsTheBitRateOnADetailedFrame) { ExpectSizeFollowsRate(DetailedFrame(), "detailed"); }

TEST_F(MpegEnc, SizeFollowsTheBitRateOnThePhotos) {
  const std::string dir = FixturesDir();
  if (dir.empty()) GTEST_SKIP() << "picture fixtures not found at " ORVANE_SHARED_DIR "/fixtures/pictures";
  for (const char* name : {"mountain_704x576.jpg", "pattern_2880x2160.jpg", "dragonfly_grey_progressive_640x480.jpg"}) {
    SCOPED_TRACE(name);
    const auto frame = LoadJpegFrame(dir + "/" + name);
    ASSERT_TRUE(frame) << name;
    ExpectSizeFollowsRate(*frame, name);
    // Darkened as the upload window does by default, the default rate is met (the grey dragonfly needs more
    // than 10,000 bytes even at the coarsest quantiser) and the stream decodes.
    std::vector<std::uint8_t> dark(*frame);
    for (auto& v : dark) v = static_cast<std::uint8_t>(v * 30 / 100);
    const auto e = Encode(dark, 2000000);
    if (e.info.coarse_quantiser < 31) {
      EXPECT_LE(e.info.length, 10000) << name;
      EXPECT_GE(e.info.length, 9200) << name;
    }
    TempFile file(e.stream);
    const auto yuv = Decode(file.path(), "yuv420p");
    ASSERT_TRUE(yuv) << name;
    const auto luma = Luma601(dark);
    EXPECT_GT(Psnr(std::span(*yuv).first(luma.size()), luma), 32.0) << name;
  }
}

TEST_F(MpegEnc, SplicedRowsMatchTheirWholeFrameEncodes) {
  // The mixed stream is made of the two single-quantiser streams' own slices: decoding it gives, row by row,
  // exactly what decoding each of them gives.
  const auto frame = DetailedFrame();
  const auto e = Encode(frame, 4000000);
  ASSERT_GT(e.info.fine_rows, 0);
  ASSERT_GT(e.info.coarse_rows, 0);
  StillEncoder encoder(BuiltInSettings());
  encoder.SetFrame(frame);
  TempFile mixed(e.stream), fine(encoder.EncodeAt(e.info.fine_quantiser, 4000000)),
      coarse(encoder.EncodeAt(e.info.coarse_quantiser, 4000000));
  const auto m = Decode(mixed.path(), "gray"), f = Decode(fine.path(), "gray"), c = Decode(coarse.path(), "gray");
  ASSERT_TRUE(m && f && c);
  const auto q = ParseHeaders(e.stream).slice_quantisers;
  ASSERT_EQ(q.size(), 36u);
  for (std::size_t row = 0; row < 36; ++row) {
    const auto& from = q[row] == e.info.fine_quantiser ? *f : *c;
    const auto begin = static_cast<std::ptrdiff_t>(row * 16 * 704), end = begin + 16 * 704;
    EXPECT_TRUE(std::equal(m->begin() + begin, m->begin() + end, from.begin() + begin)) << "row " << row;
  }
}

TEST_F(MpegEnc, NeverWritesPastTheOutputBuffer) {
  const auto noise = NoiseFrame(3);
  // The finest quantiser codes noise to far more than the buffer holds: the case is real.
  StillEncoder encoder(BuiltInSettings());
  encoder.SetFrame(noise);
  ASSERT_GT(encoder.EncodeAt(1, 5000000).size(), static_cast<std::size_t>(MPEG_OUTPUT_BUFFER_SIZE));
  for (int32_t rate : {INT32_MAX, 30000000, 26000000}) {
    const auto e = Encode(noise, rate);
    ASSERT_EQ(e.info.status, MPEG_STATUS_OK) << rate;
    EXPECT_LE(e.info.length, MPEG_OUTPUT_BUFFER_SIZE);
    EXPECT_LE(e.info.length, e.info.target);
    TempFile file(e.stream);
    EXPECT_EQ(Probe(file.path())["frame.pict_type"], "I") << rate;
  }
}

TEST_F(MpegEnc, BitRatesOutsideTheRangeAreClamped) {
  struct Case {
    int32_t asked, used;
  };
  for (const Case c : {Case{0, 400}, Case{-5, 400}, Case{399, 400}, Case{INT32_MAX, 45875200}, Case{45875201, 45875200}}) {
    const auto e = Encode(DetailedFrame(), c.asked);
    ASSERT_EQ(e.info.status, MPEG_STATUS_OK) << c.asked;
    EXPECT_EQ(e.info.bit_rate, c.used) << c.asked;
    EXPECT_EQ(ParseHeaders(e.stream).bit_rate_units, (c.used + 399) / 400) << c.asked;
    EXPECT_EQ(e.info.target, std::min(c.used / 200, MPEG_OUTPUT_BUFFER_SIZE)) << c.asked;
  }
}

TEST_F(MpegEnc, BadArgumentsWriteNothingAndStoreZero) {
  const auto frame = DetailedFrame();
  std::vector<std::uint8_t> out(64, kGuard);
  struct Case {
    const std::uint8_t* frame;
    int32_t length;
    std::uint8_t* output;
  };
  for (const Case c : {Case{nullptr, MPEG_FRAME_LENGTH, out.data()}, Case{frame.data(), MPEG_FRAME_LENGTH - 1, out.data()},
                       Case{frame.data(), -1, out.data()}, Case{frame.data(), MPEG_FRAME_LENGTH, nullptr}}) {
    int32_t n = 77;
    MPEGRAWBUF2ENC(c.frame, c.length, c.output, &n);
    EXPECT_EQ(n, 0);
    MpegEncodeInfo info{};
    MPEGGetLastEncodeInfo(&info);
    EXPECT_EQ(info.status, MPEG_STATUS_BAD_ARGUMENT);
  }
  MPEGRAWBUF2ENC(frame.data(), MPEG_FRAME_LENGTH, out.data(), nullptr);  // no length to store: nothing happens
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](auto b) { return b == kGuard; }));
}

TEST_F(MpegEnc, MissingParameterFileIsSaidOnceAndTheBuiltInLinesServe) {
  ::testing::internal::CaptureStderr();
  const auto a = Encode(DetailedFrame(), 3000000);
  const auto b = Encode(DetailedFrame(), 3000000);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(a.info.parameters_from_file, 0);
  EXPECT_EQ(a.stream, b.stream);
  EXPECT_NE(err.find("built-in"), std::string::npos) << err;
  EXPECT_EQ(err.find("built-in"), err.rfind("built-in")) << err;
  // The file as the program writes it gives the same stream.
  WriteParameterFile(Lines());
  const auto c = Encode(DetailedFrame(), 3000000);
  EXPECT_EQ(c.info.parameters_from_file, 1);
  EXPECT_EQ(c.stream, a.stream);
}

TEST_F(MpegEnc, ParameterFileLinesReachTheStream) {
  // A quantiser matrix file beside the parameter file.
  const fs::path matrix = dir_ / "intra.mat";
  {
    std::ofstream m(matrix);
    for (int i = 0; i < 64; ++i) m << (8 + i) << (i % 8 == 7 ? "\n" : " ");
  }
  auto lines = Lines();
  lines[3] = matrix.string() + " /* intra matrix */";
  lines[9] = "01:02:03:04 /* timecode */";
  lines[16] = "3         /* 16:9 */";
  lines[17] = "2         /* 24 frames/s */";
  lines[18] = "not a number";  // bit rate: built in (5,000,000), used as no rate is set below
  lines[22] = "1";            // High profile ...
  lines[25] = "2";            // ... with 4:2:2
  lines[26] = "2";            // NTSC
  lines[27] = "1";
  lines[28] = "1";
  lines[29] = "1";  // BT.709 primaries, transfer and matrix
  lines[30] = "720";
  lines[31] = "480";
  lines[32] = "1";                  // 9-bit DC
  lines[33] = "0";                  // bottom field first
  lines[36] = "0 0 0";              // linear quantiser scale
  lines[37] = "0 0 0";              // MPEG-1 intra VLC
  lines[38] = "1 0 0";              // alternate scan
  WriteParameterFile(lines);

  const auto frame = DetailedFrame();
  std::vector<std::uint8_t> out(MPEG_OUTPUT_BUFFER_SIZE);
  int32_t n = 0;
  MPEGRAWBUF2ENC(frame.data(), MPEG_FRAME_LENGTH, out.data(), &n);  // no MPEGSetBitrate in this process
  MpegEncodeInfo info{};
  MPEGGetLastEncodeInfo(&info);
  ASSERT_EQ(info.status, MPEG_STATUS_OK);
  EXPECT_EQ(info.parameters_from_file, 1);
  EXPECT_EQ(info.bit_rate, 5000000);
  EXPECT_EQ(info.target, 5000000 * 1 / (24 * 8));
  out.resize(static_cast<std::size_t>(n));
  const Headers h = ParseHeaders(out);
  EXPECT_EQ(h.load_intra_matrix, 1);
  EXPECT_EQ(h.time_code, "01:02:03:04");
  EXPECT_EQ(h.aspect_ratio_information, 3);
  EXPECT_EQ(h.frame_rate_code, 2);
  EXPECT_EQ(h.profile, 1);
  EXPECT_EQ(h.chroma_format, 2);
  EXPECT_EQ(h.video_format, 2);
  EXPECT_EQ(h.colour_primaries, 1);
  EXPECT_EQ(h.matrix_coefficients, 1);
  EXPECT_EQ(h.display_horizontal_size, 720);
  EXPECT_EQ(h.display_vertical_size, 480);
  EXPECT_EQ(h.intra_dc_precision, 1);
  EXPECT_EQ(h.top_field_first, 0);
  EXPECT_EQ(h.q_scale_type, 0);
  EXPECT_EQ(h.intra_vlc_format, 0);
  EXPECT_EQ(h.alternate_scan, 1);
  TempFile file(out);
  auto p = Probe(file.path());
  EXPECT_EQ(p["stream.profile"], "High");
  EXPECT_EQ(p["stream.pix_fmt"], "yuv422p");
  EXPECT_EQ(p["stream.display_aspect_ratio"], "16:9");
  EXPECT_EQ(p["stream.r_frame_rate"], "24/1");
  EXPECT_EQ(p["stream.color_space"], "bt709");
  EXPECT_EQ(p["stream.field_order"], "bb");
  const auto yuv = Decode(file.path(), "yuv422p");
  ASSERT_TRUE(yuv);
  // Luma decoded against the BT.709 luma of the frame.
  std::vector<std::uint8_t> luma(704 * 576);
  for (std::size_t i = 0; i < luma.size(); ++i)
    luma[i] = static_cast<std::uint8_t>(std::lround(
        16 + 219.0 * (0.2126 * frame[i * 3] + 0.7152 * frame[i * 3 + 1] + 0.0722 * frame[i * 3 + 2]) / 255.0));
  EXPECT_GT(Psnr(std::span(*yuv).first(luma.size()), luma), 30.0);
}

}  // namespace
