// Any bytes as coded LZSS must decode inside a fixed output; any bytes as plain input must code exactly as the
// classic coder does and decode back to themselves.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "channeldb/lzss.h"
#include "channeldb/tests/lzss_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::vector<std::uint8_t> out(4096);
  orvane::lzss::Decode({data, size}, out);

  const std::vector<std::uint8_t> input(data, data + size);
  const std::vector<std::uint8_t> coded = orvane::lzss::Encode(input);
  if (coded != ReferenceLzssEncode(input)) std::abort();
  std::vector<std::uint8_t> back(size);
  const auto r = orvane::lzss::Decode(coded, back);
  if (r.overflow || r.written != size || back != input) std::abort();
  return 0;
}
