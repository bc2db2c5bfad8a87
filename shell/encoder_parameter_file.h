// The main windows write the encoder's parameter file from their (hidden) parameter memo.
#pragma once

#include <string>

#include "common/file_io.h"
#include "pictures/mpegenc/parameter_file.h"

namespace orvane::encoder {

// Writes `lines`, each followed by CR LF, to `path` whole or not at all; throws files::FileError.
template <class Lines>
void WriteParameterFile(const std::string& path, const Lines& lines) {
  std::string text;
  for (const auto& line : lines) {
    text.append(line.data(), line.size());
    text.append(kLineEnd);
  }
  files::WriteFileWhole(path, text);
}

}  // namespace orvane::encoder
