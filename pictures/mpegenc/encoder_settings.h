// The coding parameters of the still-frame encoder, read from the 55 lines of its parameter file.
//
// Each line is read on its own: a line whose value is missing, not a number where one is expected, or outside
// the values the line allows takes the value of the same line of the built-in file. Values that are valid for
// the line but that libavcodec's MPEG-2 encoder cannot code are mapped as noted at each field.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::mpegenc {

inline constexpr int kWidth = 704;
inline constexpr int kHeight = 576;
inline constexpr int kFrameBytes = kWidth * kHeight * 3;
inline constexpr int kVbvUnitBits = 16384;

struct EncoderSettings {
  // Quantiser matrix file names ("-": the default matrix). Each file holds 64 integers 1..255 in row order.
  std::string intra_matrix_file = "-";
  std::string non_intra_matrix_file = "-";
  std::string timecode = "00:00:00:00";  // hh:mm:ss:ff of the GOP header
  int gop_size = 12;                     // N
  int ip_distance = 3;                   // M: max_b_frames = M - 1 (no effect on one frame, kept for the header)
  int aspect_ratio_information = 2;      // 1 square pels, 2 4:3, 3 16:9, 4 2.21:1 display
  int frame_rate_code = 3;               // 1..8 as MPEG-2 numbers them
  double bit_rate = 5000000.0;           // used until a bit rate is set through the call
  int vbv_buffer_size = 112;             // units of 16,384 bits
  int low_delay = 0;
  int profile = 4;  // 5 Simple, 4 Main, 1 High; the scalable profiles 3 and 2 become Main
  int level = 8;    // 8 Main, 6 High 1440, 4 High; Low (10) cannot hold 704 x 576 and becomes Main
  int progressive_sequence = 0;
  int chroma_format = 1;  // 1 = 4:2:0; 4:2:2 only with the High profile; 4:4:4 is coded as 4:2:2 / 4:2:0
  int video_format = 1;
  int colour_primaries = 5;
  int transfer_characteristics = 5;
  int matrix_coefficients = 5;  // also picks the RGB to YCbCr matrix
  int display_horizontal_size = 704;
  int display_vertical_size = 576;
  int intra_dc_precision = 0;  // 0..3 = 8..11 bits; 11 bits only with the High profile (else 10)
  int top_field_first = 1;
  int q_scale_type = 1;      // of I pictures: 1 non-linear quantiser scale
  int intra_vlc_format = 1;  // of I pictures
  int alternate_scan = 0;    // of I pictures

  // Lines read but carried by libavcodec as it decides (kept so the caller can report them).
  int frame_pred_frame_dct = 0;
  int progressive_frame = 0;
};

// `lines`: the file's lines without line ends (fewer than 55: the rest are built in). `notes` receives one
// sentence per line that was replaced or mapped.
EncoderSettings SettingsFromLines(std::span<const std::string> lines, std::vector<std::string>* notes = nullptr);

// The built-in file.
EncoderSettings BuiltInSettings();

// Splits a file's text into lines at CR LF, LF or CR.
std::vector<std::string> SplitLines(std::string_view text);

// Frame rate of a frame_rate_code as numerator / denominator.
struct Rational {
  int num;
  int den;
};
Rational FrameRate(int frame_rate_code);

// A quantiser matrix file: 64 integers 1..255 in row order; nullopt when it cannot be read or is not that.
std::optional<std::vector<std::uint16_t>> ReadQuantMatrix(const std::string& path);

}  // namespace orvane::mpegenc
