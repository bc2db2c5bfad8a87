// The walk that ships (x86-64 assembly) against the portable walk and the classic transcription, byte for
// byte. Built without AddressSanitizer (so the assembly runs) and at the library's optimisation.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "channeldb/lzss.h"
#include "channeldb/tests/lzss_reference.h"

namespace orvane::lzss_portable {
std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> input);
const char* EncoderWalk();
}  // namespace orvane::lzss_portable

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::printf("comparing the %s walk with the %s walk and the classic coder\n", orvane::lzss::EncoderWalk(),
              orvane::lzss_portable::EncoderWalk());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> input(data, data + size);
  const std::vector<std::uint8_t> shipped = orvane::lzss::Encode(input);
  if (shipped != orvane::lzss_portable::Encode(input)) {
    std::fprintf(stderr, "the two walks differ\n");
    std::abort();
  }
  if (shipped != ReferenceLzssEncode(input)) {
    std::fprintf(stderr, "the shipped walk differs from the classic coder\n");
    std::abort();
  }
  return 0;
}
