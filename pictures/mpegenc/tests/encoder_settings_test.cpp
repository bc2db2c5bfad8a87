#include "pictures/mpegenc/encoder_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pictures/mpegenc/parameter_file.h"

namespace {

using orvane::mpegenc::EncoderSettings;

std::vector<std::string> BuiltInLines() {
  return {orvane::encoder::kParameterLines.begin(), orvane::encoder::kParameterLines.end()};
}

TEST(EncoderSettings, BuiltInLinesGiveTheirValues) {
  std::vector<std::string> notes;
  const auto lines = BuiltInLines();
  const EncoderSettings s = orvane::mpegenc::SettingsFromLines(lines, &notes);
  EXPECT_TRUE(notes.empty()) << notes.front();
  EXPECT_EQ(s.intra_matrix_file, "-");
  EXPECT_EQ(s.timecode, "00:00:00:00");
  EXPECT_EQ(s.gop_size, 12);
  EXPECT_EQ(s.ip_distance, 3);
  EXPECT_EQ(s.aspect_ratio_information, 2);
  EXPECT_EQ(s.frame_rate_code, 3);
  EXPECT_EQ(s.bit_rate, 5000000.0);
  EXPECT_EQ(s.vbv_buffer_size, 112);
  EXPECT_EQ(s.profile, 4);
  EXPECT_EQ(s.level, 8);
  EXPECT_EQ(s.progressive_sequence, 0);
  EXPECT_EQ(s.chroma_format, 1);
  EXPECT_EQ(s.video_format, 1);
  EXPECT_EQ(s.matrix_coefficients, 5);
  EXPECT_EQ(s.display_horizontal_size, 704);
  EXPECT_EQ(s.intra_dc_precision, 0);
  EXPECT_EQ(s.top_field_first, 1);
  EXPECT_EQ(s.q_scale_type, 1);
  EXPECT_EQ(s.intra_vlc_format, 1);
  EXPECT_EQ(s.alternate_scan, 0);
  // A file of the program's own text, CR LF and all, reads the same.
  const auto split = orvane::mpegenc::SplitLines(orvane::encoder::ParameterFileText());
  ASSERT_EQ(split.size(), 55u);
  EXPECT_EQ(split, lines);
}

TEST(EncoderSettings, EachLineIsReadOnItsOwnAndFallsBackAlone) {
  struct Case {
    int line;
    std::string text;
    std::function<int(const EncoderSettings&)> field;
    int expected;
    bool noted;
  };
  const std::vector<Case> cases = {
      {11, "15        /* N */", [](auto& s) { return s.gop_size; }, 15, false},
      {11, "twelve", [](auto& s) { return s.gop_size; }, 12, true},
      {11, "12abc", [](auto& s) { return s.gop_size; }, 12, true},
      {11, "", [](auto& s) { return s.gop_size; }, 12, true},
      {17, "3", [](auto& s) { return s.aspect_ratio_information; }, 3, false},
      {17, "9", [](auto& s) { return s.aspect_ratio_information; }, 2, true},
      {18, "4", [](auto& s) { return s.frame_rate_code; }, 4, false},
      {18, "3.5", [](auto& s) { return s.frame_rate_code; }, 3, true},
      {19, "x", [](auto& s) { return static_cast<int>(s.bit_rate); }, 5000000, true},
      {19, "2500000.7 /* */", [](auto& s) { return static_cast<int>(s.bit_rate); }, 2500000, false},
      {20, "40", [](auto& s) { return s.vbv_buffer_size; }, 40, false},
      {20, "0", [](auto& s) { return s.vbv_buffer_size; }, 112, true},
      {23, "5", [](auto& s) { return s.profile; }, 5, false},
      {23, "3", [](auto& s) { return s.profile; }, 4, true},  // scalable: Main
      {24, "10", [](auto& s) { return s.level; }, 8, true},   // Low cannot hold the frame
      {24, "6", [](auto& s) { return s.level; }, 6, false},
      {26, "2", [](auto& s) { return s.chroma_format; }, 1, true},  // 4:2:2 needs the High profile
      {28, "0", [](auto& s) { return s.colour_primaries; }, 5, true},
      {30, "1", [](auto& s) { return s.matrix_coefficients; }, 1, false},
      {31, "720", [](auto& s) { return s.display_horizontal_size; }, 720, false},
      {33, "3", [](auto& s) { return s.intra_dc_precision; }, 2, true},  // 11 bits only in High
      {34, "0", [](auto& s) { return s.top_field_first; }, 0, false},
      {37, "0 0 0", [](auto& s) { return s.q_scale_type; }, 0, false},
      {37, "1 1", [](auto& s) { return s.q_scale_type; }, 1, true},
      {38, "2 0 0", [](auto& s) { return s.intra_vlc_format; }, 1, true},
      {39, "1 0 0     /* alternate_scan */", [](auto& s) { return s.alternate_scan; }, 1, false},
  };
  for (const auto& c : cases) {
    auto lines = BuiltInLines();
    lines[static_cast<std::size_t>(c.line - 1)] = c.text;
    std::vector<std::string> notes;
    const EncoderSettings s = orvane::mpegenc::SettingsFromLines(lines, &notes);
    EXPECT_EQ(c.field(s), c.expected) << "line " << c.line << " \"" << c.text << "\"";
    EXPECT_EQ(!notes.empty(), c.noted) << "line " << c.line << " \"" << c.text << "\"";
  }
}

TEST(EncoderSettings, ChromaAndDcFollowTheHighProfileAndShortFilesEndBuiltIn) {
  auto lines = BuiltInLines();
  lines[22] = "1";  // High
  lines[25] = "3";  // 4:4:4
  lines[32] = "3";  // 11-bit DC
  lines.resize(20);  // the rest of the file is missing
  const EncoderSettings s = orvane::mpegenc::SettingsFromLines(lines);
  EXPECT_EQ(s.profile, 4) << "line 23 was cut off";
  lines = BuiltInLines();
  lines[22] = "1";
  lines[25] = "3";
  lines[32] = "3";
  const EncoderSettings high = orvane::mpegenc::SettingsFromLines(lines);
  EXPECT_EQ(high.profile, 1);
  EXPECT_EQ(high.chroma_format, 2);
  EXPECT_EQ(high.intra_dc_precision, 3);
}

TEST(EncoderSettings, TimecodeAndMatrixFiles) {
  auto lines = BuiltInLines();
  lines[9] = "01:02:03:04 /* */";
  EXPECT_EQ(orvane::mpegenc::SettingsFromLines(lines).timecode, "01:02:03:04");
  lines[9] = "1:2:3";
  EXPECT_EQ(orvane::mpegenc::SettingsFromLines(lines).timecode, "00:00:00:00");
  EXPECT_FALSE(orvane::mpegenc::ReadQuantMatrix("/nonexistent/matrix"));
}

}  // namespace
