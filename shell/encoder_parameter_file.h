// The parameter file of the MPEG-2 encoder: 55 fixed lines that the main windows write into the
// Windows-directory stand-in and that the encoder reads back. The lines are kept here, once, for both.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace orvane::encoder {

inline constexpr std::size_t kParameterLineCount = 55;
inline constexpr std::string_view kParameterFileName = "orbelimg.dat";
inline constexpr std::string_view kLineEnd = "\r\n";

extern const std::array<std::string_view, kParameterLineCount> kParameterLines;

// The Windows directory stand-in: $ORVANE_WINDIR if set, else $XDG_CONFIG_HOME/orvane, else
// ~/.config/orvane. Created (with its parents) when missing; throws std::system_error if that fails.
std::string WindowsDirectory();
// WindowsDirectory() + "/orbelimg.dat".
std::string ParameterFilePath();

// Writes `content` to `path` whole or not at all (a temporary file in the same folder is renamed over the
// target). Throws std::system_error with the operating system's reason on failure.
void WriteFileWhole(const std::string& path, std::string_view content);

// Writes `lines`, each followed by CR LF, to `path` through WriteFileWhole.
template <class Lines>
void WriteParameterFile(const std::string& path, const Lines& lines) {
  std::string text;
  for (const auto& line : lines) {
    text.append(line.data(), line.size());
    text.append(kLineEnd);
  }
  WriteFileWhole(path, text);
}
}  // namespace orvane::encoder
