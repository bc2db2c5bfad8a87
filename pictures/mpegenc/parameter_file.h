// The MPEG-2 encoder's parameter file: 55 fixed lines that the main windows write into the Windows-directory
// stand-in and that the encoder reads back. The lines are kept here, once, for both.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::encoder {

inline constexpr std::size_t kParameterLineCount = 55;
inline constexpr std::string_view kParameterFileName = "orbelimg.dat";
inline constexpr std::string_view kLineEnd = "\r\n";

// The lines as the program writes them, without their line ends.
extern const std::array<std::string_view, kParameterLineCount> kParameterLines;

// WindowsDirectory() + "/orbelimg.dat" (the folder is created when missing).
std::string ParameterFilePath();

// The 55 lines joined, each followed by CR LF: the file's contents.
std::string ParameterFileText();

}  // namespace orvane::encoder
