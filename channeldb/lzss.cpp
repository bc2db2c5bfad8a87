#include "channeldb/lzss.h"

#include <algorithm>
#include <cstring>

namespace orvane::lzss {

DecodeResult Decode(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
  std::uint8_t ring[kRingSize];
  std::memset(ring, kRingFill, kRingSize - kLookAhead);
  std::memset(ring + kRingSize - kLookAhead, 0, kLookAhead);
  int r = kRingSize - kLookAhead;
  DecodeResult result;
  std::size_t in = 0;
  const std::size_t n = input.size();
  auto put = [&](std::uint8_t c) {
    if (result.written == output.size()) {
      result.overflow = true;
      return false;
    }
    output[result.written++] = c;
    ring[r] = c;
    r = (r + 1) & (kRingSize - 1);
    return true;
  };
  while (in < n) {
    const unsigned flags = input[in++];
    for (int bit = 0; bit < 8; ++bit) {
      if (flags & (1u << bit)) {
        if (in >= n) return result;
        if (!put(input[in++])) return result;
      } else {
        if (in + 1 >= n) return result;
        const int pos = input[in] | ((input[in + 1] & 0xF0) << 4);
        const int len = (input[in + 1] & 0x0F) + kThreshold + 1;
        in += 2;
        for (int k = 0; k < len; ++k)
          if (!put(ring[(pos + k) & (kRingSize - 1)])) return result;
      }
    }
  }
  return result;
}

}  // namespace orvane::lzss
