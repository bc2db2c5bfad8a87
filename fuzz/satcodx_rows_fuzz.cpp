// Arbitrary bytes as the index, read as the selection window reads it: header numbers, fixed-column fields
// (columns and widths from the header, any values), positions and suffixes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "satcodx/satcodx_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  static const fs::path dir = [] {
    std::string t = (fs::temp_directory_path() / "fuzz-satcodx-rows-XXXXXX").string();
    if (!::mkdtemp(t.data())) std::abort();
    return fs::path(t);
  }();
  std::ofstream(dir / "satcodx.imp", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  std::size_t rows = 0;
  try {
    orvane::satcodx::ReadSelectionRows(dir, [&](const orvane::satcodx::SelectionRow& row) {
      ++rows;
      if (row.line.size() > size || row.fileName.size() > row.line.size()) std::abort();
    });
  } catch (const orvane::satcodx::SatcodxError&) {
  }
  if (rows > size) std::abort();
  return 0;
}
