#include "pictures/mpegenc/encoder_settings.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "pictures/mpegenc/parameter_file.h"

namespace orvane::mpegenc {
namespace {

// The leading whitespace-separated numbers of a line (the rest is its comment).
std::vector<double> LeadingNumbers(std::string_view line, std::size_t wanted) {
  std::vector<double> out;
  std::string text(line);
  const char* p = text.c_str();
  while (out.size() < wanted) {
    while (*p == ' ' || *p == '\t') ++p;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(p, &end);
    if (end == p || errno == ERANGE || !std::isfinite(v)) break;
    // A number must end at a blank or the end of the line ("12abc" is not a number).
    if (*end != '\0' && *end != ' ' && *end != '\t') break;
    out.push_back(v);
    p = end;
  }
  return out;
}

std::string FirstWord(std::string_view line) {
  const auto begin = line.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  const auto end = line.find_first_of(" \t", begin);
  return std::string(line.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
}

bool ValidTimecode(const std::string& t) {
  int h = 0, m = 0, s = 0, f = 0;
  char tail = 0;
  if (std::sscanf(t.c_str(), "%2d:%2d:%2d:%2d%c", &h, &m, &s, &f, &tail) != 4 || t.size() != 11) return false;
  return h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60 && f >= 0 && f < 60;
}

class LineReader {
 public:
  LineReader(std::span<const std::string> lines, std::vector<std::string>* notes) : lines_(lines), notes_(notes) {}

  std::string_view Line(int number) const {
    const auto i = static_cast<std::size_t>(number - 1);
    if (i < lines_.size()) return lines_[i];
    return encoder::kParameterLines[i];
  }
  std::string_view BuiltIn(int number) const { return encoder::kParameterLines[static_cast<std::size_t>(number - 1)]; }

  // The integer of a line when it is one of `accepted(v)`, else the built-in line's.
  template <typename Accept>
  int Integer(int number, Accept accepted) {
    const auto v = LeadingNumbers(Line(number), 1);
    if (!v.empty() && v[0] == std::floor(v[0]) && std::fabs(v[0]) < 1e9 && accepted(static_cast<int>(v[0])))
      return static_cast<int>(v[0]);
    Note(number, "is not an accepted number; its built-in value is used");
    return static_cast<int>(LeadingNumbers(BuiltIn(number), 1).at(0));
  }
  int Integer(int number, int lo, int hi) {
    return Integer(number, [lo, hi](int v) { return v >= lo && v <= hi; });
  }

  double Real(int number, double lo, double hi) {
    const auto v = LeadingNumbers(Line(number), 1);
    if (!v.empty() && v[0] >= lo && v[0] <= hi) return v[0];
    Note(number, "is not an accepted number; its built-in value is used");
    return LeadingNumbers(BuiltIn(number), 1).at(0);
  }

  // The I-picture value of an "I P B" line; all three must be 0 or 1.
  int IFlag(int number) {
    const auto v = LeadingNumbers(Line(number), 3);
    auto flag = [](double x) { return x == 0.0 || x == 1.0; };
    if (v.size() == 3 && flag(v[0]) && flag(v[1]) && flag(v[2])) return static_cast<int>(v[0]);
    Note(number, "is not three flags; its built-in value is used");
    return static_cast<int>(LeadingNumbers(BuiltIn(number), 1).at(0));
  }

  std::string Word(int number) {
    std::string w = FirstWord(Line(number));
    if (w.empty()) {
      Note(number, "is empty; its built-in value is used");
      w = FirstWord(BuiltIn(number));
    }
    return w;
  }

  void Note(int number, const std::string& what) {
    if (notes_) notes_->push_back("line " + std::to_string(number) + " " + what);
  }

 private:
  std::span<const std::string> lines_;
  std::vector<std::string>* notes_;
};

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

Rational FrameRate(int code) {
  switch (code) {
    case 1: return {24000, 1001};
    case 2: return {24, 1};
    case 4: return {30000, 1001};
    case 5: return {30, 1};
    case 6: return {50, 1};
    case 7: return {60000, 1001};
    case 8: return {60, 1};
    default: return {25, 1};
  }
}

EncoderSettings SettingsFromLines(std::span<const std::string> lines, std::vector<std::string>* notes) {
  LineReader r(lines, notes);
  EncoderSettings s;
  s.intra_matrix_file = r.Word(4);
  s.non_intra_matrix_file = r.Word(5);
  s.timecode = r.Word(10);
  if (!ValidTimecode(s.timecode)) {
    r.Note(10, "is not a time code hh:mm:ss:ff; its built-in value is used");
    s.timecode = FirstWord(r.BuiltIn(10));
  }
  s.gop_size = r.Integer(11, 1, 1000);
  s.ip_distance = r.Integer(12, 1, 17);  // libavcodec takes at most 16 B pictures in a row
  s.aspect_ratio_information = r.Integer(17, 1, 4);
  s.frame_rate_code = r.Integer(18, 1, 8);
  s.bit_rate = r.Real(19, -1e12, 1e12);  // any number; the call's clamp brings it into range
  s.vbv_buffer_size = r.Integer(20, 1, 0x3FFFF);
  s.low_delay = r.Integer(21, 0, 1);
  s.profile = r.Integer(23, [](int v) { return v == 1 || v == 2 || v == 3 || v == 4 || v == 5; });
  if (s.profile == 2 || s.profile == 3) {
    r.Note(23, "names a scalable profile that libavcodec cannot code; Main (4) is used");
    s.profile = 4;
  }
  s.level = r.Integer(24, [](int v) { return v == 4 || v == 6 || v == 8 || v == 10; });
  if (s.level == 10) {
    r.Note(24, "names Low level, too small for a 704 x 576 frame; Main (8) is used");
    s.level = 8;
  }
  s.progressive_sequence = r.Integer(25, 0, 1);
  s.chroma_format = r.Integer(26, 1, 3);
  if (s.chroma_format != 1 && s.profile != 1) {
    r.Note(26, "asks for more chroma than the profile carries; 4:2:0 is used");
    s.chroma_format = 1;
  } else if (s.chroma_format == 3) {
    r.Note(26, "asks for 4:4:4, which libavcodec cannot code; 4:2:2 is used");
    s.chroma_format = 2;
  }
  s.video_format = r.Integer(27, 0, 5);
  s.colour_primaries = r.Integer(28, 1, 255);  // 0 is forbidden in the stream
  s.transfer_characteristics = r.Integer(29, 1, 255);
  s.matrix_coefficients = r.Integer(30, 1, 255);
  s.display_horizontal_size = r.Integer(31, 1, 16383);
  s.display_vertical_size = r.Integer(32, 1, 16383);
  s.intra_dc_precision = r.Integer(33, 0, 3);
  if (s.intra_dc_precision == 3 && s.profile != 1) {
    r.Note(33, "asks for 11-bit DC, which only the High profile allows; 10 bits are used");
    s.intra_dc_precision = 2;
  }
  s.top_field_first = r.Integer(34, 0, 1);
  s.frame_pred_frame_dct = r.IFlag(35);
  s.q_scale_type = r.IFlag(37);
  s.intra_vlc_format = r.IFlag(38);
  s.alternate_scan = r.IFlag(39);
  s.progressive_frame = r.Integer(41, 0, 1);
  return s;
}

EncoderSettings BuiltInSettings() { return SettingsFromLines({}); }

std::optional<std::vector<std::uint16_t>> ReadQuantMatrix(const std::string& path) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  std::vector<std::uint16_t> m;
  long v = 0;
  while (m.size() < 64 && in >> v) {
    if (v < 1 || v > 255) return std::nullopt;
    m.push_back(static_cast<std::uint16_t>(v));
  }
  if (m.size() != 64) return std::nullopt;
  return m;
}

}  // namespace orvane::mpegenc
