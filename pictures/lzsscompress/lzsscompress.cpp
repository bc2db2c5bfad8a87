#include "pictures/lzsscompress/lzsscompress.h"

#include <cstddef>
#include <span>

#include "pictures/lzsscompress/optimal_parse.h"

extern "C" LZSSCOMPRESS_EXPORT void LzssCompress(const uint8_t* source, int32_t source_length,
                                                 uint8_t* destination, int32_t* length) {
  if (length) *length = -1;
  if (!destination || !length || source_length < 0 || (!source && source_length > 0)) return;
  try {
    // The coder writes only a stream that fits the caller's buffer, and nothing otherwise.
    const auto coded = orvane::lzsscompress::EncodeInto(
        std::span<const std::uint8_t>(source, static_cast<std::size_t>(source_length)),
        std::span<std::uint8_t>(destination, LZSS_SEND_BUFFER_SIZE));
    if (coded) *length = static_cast<int32_t>(*coded);
  } catch (...) {
    *length = -1;
  }
}
