#include "pictures/lzsscompress/lzsscompress.h"

#include <cstring>
#include <span>
#include <vector>

#include "channeldb/lzss.h"

extern "C" LZSSCOMPRESS_EXPORT void LzssCompress(const uint8_t* source, int32_t source_length,
                                                 uint8_t* destination, int32_t* length) {
  if (length) *length = -1;
  if (!destination || !length || source_length < 0 || (!source && source_length > 0)) return;
  try {
    // Coded into a scratch vector first: only a result that fits the caller's buffer is copied out.
    const std::vector<std::uint8_t> coded =
        orvane::lzss::Encode(std::span<const std::uint8_t>(source, static_cast<std::size_t>(source_length)));
    if (coded.size() > LZSS_SEND_BUFFER_SIZE) return;
    if (!coded.empty()) std::memcpy(destination, coded.data(), coded.size());
    *length = static_cast<int32_t>(coded.size());
  } catch (...) {
    *length = -1;
  }
}
