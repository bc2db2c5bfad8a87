#include "satcodx/text_io.h"

#include <cerrno>
#include <cstdio>
#include <limits>

#include "common/decimal.h"
#include "common/file_io.h"
#include "satcodx/satcodx_import.h"

namespace orvane::satcodx::text {

std::string_view Field(std::string_view line, int column, int count) {
  if (column < 1) column = 1;  // the runtime's Copy treats an index below 1 as 1
  if (count <= 0) return {};
  const auto start = static_cast<std::size_t>(column - 1);
  if (start >= line.size()) return {};
  return line.substr(start, static_cast<std::size_t>(count));
}

std::int32_t ToIntOrThrow(std::string_view text) {
  if (auto v = ToInt(text)) return *v;
  throw SatcodxError(orvane::text::NotAnIntegerMessage(text));
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string IoErrorText(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return "File not found";
    case EACCES:
    case EPERM:
    case EISDIR:
      return "File access denied";
    case EMFILE:
    case ENFILE:
      return "Too many open files";
    case ENOSPC:
      return "Disk full";
    case ENAMETOOLONG:
      return "Invalid filename";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "I/O error %d", err);
      return text;
    }
  }
}

void ReadWholeFile(const std::filesystem::path& path, std::string& out) {
  try {
    files::ReadFileWhole(path.string(), out, kMaxFileBytes);
  } catch (const files::FileError& e) {
    // The runtime's texts where the system gives a reason; ours for what it has no word for (no regular file,
    // too large).
    throw SatcodxError(e.error() != 0 ? IoErrorText(e.error()) : std::string(e.what()));
  }
}

}  // namespace orvane::satcodx::text
