// What the tests read back from an encoded stream: the header fields as the stream carries them (parsed here
// bit by bit), and what the ffprobe and ffmpeg programs make of it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvane::mpegenc::testing {

struct Headers {
  int horizontal_size = -1, vertical_size = -1, aspect_ratio_information = -1, frame_rate_code = -1;
  std::int64_t bit_rate_units = -1;  // of 400 bit/s, with the extension
  int vbv_buffer_size = -1;
  int load_intra_matrix = -1, load_non_intra_matrix = -1;
  int profile = -1, level = -1, progressive_sequence = -1, chroma_format = -1, low_delay = -1;
  int video_format = -1, colour_primaries = -1, transfer_characteristics = -1, matrix_coefficients = -1;
  int display_horizontal_size = -1, display_vertical_size = -1;
  std::string time_code;  // hh:mm:ss:pp of the GOP header
  int closed_gop = -1;
  int picture_coding_type = -1, vbv_delay = -1;
  int intra_dc_precision = -1, picture_structure = -1, top_field_first = -1, frame_pred_frame_dct = -1,
      concealment_motion_vectors = -1, q_scale_type = -1, intra_vlc_format = -1, alternate_scan = -1,
      repeat_first_field = -1, progressive_frame = -1;
  std::vector<int> slice_quantisers;  // quantiser_scale_code of each slice in order
  bool ends_with_sequence_end = false;
  int pictures = 0;
};

Headers ParseHeaders(std::span<const std::uint8_t> stream);

// A temporary file holding `bytes`; removed when the object goes.
class TempFile {
 public:
  explicit TempFile(std::span<const std::uint8_t> bytes, const std::string& suffix = ".m2v");
  ~TempFile();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The command's standard output, or nullopt when it could not run or exited non-zero.
std::optional<std::string> Run(const std::string& command);
bool HaveTool(const std::string& name);

// key=value lines of `ffprobe -show_streams -show_frames`, sections prefixed ("stream.profile", "frame.pict_type").
std::map<std::string, std::string> Probe(const std::string& path);

// The decoded frames as planar YUV 4:2:0 (or 4:2:2 when asked) or packed RGB, by ffmpeg.
std::optional<std::vector<std::uint8_t>> Decode(const std::string& path, const std::string& pix_fmt);

// BT.601 studio-range luma of an RGB frame, the reference the decoded luma is compared with.
std::vector<std::uint8_t> Luma601(std::span<const std::uint8_t> rgb);
double Psnr(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

// Test frames: smooth gradients with edges and texture ("detailed"), and uniform noise.
std::vector<std::uint8_t> DetailedFrame();
std::vector<std::uint8_t> NoiseFrame(unsigned seed);

// The picture fixtures folder, or "" when it is absent.
std::string FixturesDir();
// A JPEG decoded and stretched nearest-neighbour to 704 x 576 RGB.
std::optional<std::vector<std::uint8_t>> LoadJpegFrame(const std::string& path);

}  // namespace orvane::mpegenc::testing
