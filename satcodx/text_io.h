// Small helpers of the SatCoDX code: fixed-column fields, the program's number conversions, whole-file reads
// and the runtime's input/output texts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/decimal.h"

namespace orvane::satcodx::text {

// `count` characters from 1-based `column`, clipped to the line (a field past the end is empty).
std::string_view Field(std::string_view line, int column, int count);

// The program's signed decimal rule.
inline std::optional<std::int32_t> ToInt(std::string_view text) { return orvane::text::ParseDecimal(text); }
inline std::int32_t ToIntDef(std::string_view text, std::int32_t fallback) {
  return ToInt(text).value_or(fallback);
}
// Like ToInt, but a failure throws SatcodxError("'<text>' is not a valid integer value").
std::int32_t ToIntOrThrow(std::string_view text);

std::string_view TrimTrailingBlanks(std::string_view text);

// The runtime's text for an input/output failure with this errno ("File not found", "File access denied",
// ...).
std::string IoErrorText(int err);

// Larger than any real listing or index (the largest are a few MB): refused rather than read into memory.
inline constexpr std::size_t kMaxFileBytes = 64u << 20;

// Reads a whole regular file of at most kMaxFileBytes into `out` (reusing its storage); a FIFO is refused, never
// waited on. Throws SatcodxError with IoErrorText on failure, or a text naming the file where the system gives
// no reason.
void ReadWholeFile(const std::filesystem::path& path, std::string& out);

// Calls fn(line) for each line of `data`: lines end at LF, a CR before the LF is not part of the line, and a
// last line without LF counts when it is not empty. Stops early when fn returns false.
template <typename Fn>
void ForEachLine(std::string_view data, Fn&& fn) {
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t end = data.find('\n', pos);
    const bool last = end == std::string_view::npos;
    if (last) end = data.size();
    std::string_view line = data.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!fn(line)) return;
    if (last) return;
    pos = end + 1;
  }
}

}  // namespace orvane::satcodx::text
