// LZSS as the receiver decodes it: 4096-byte ring pre-filled with spaces, 18-byte look-ahead, matches of 3 to
// 18 bytes coded as (absolute ring position, length - 3), flag bytes least significant bit first, 1 = literal.
// The encoder's output is byte-identical to the classic public-domain binary-tree coder for every input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvane::lzss {

inline constexpr int kRingSize = 4096;
inline constexpr int kLookAhead = 18;
inline constexpr int kThreshold = 2;  // matches this long or shorter are sent as literals
inline constexpr std::uint8_t kRingFill = 0x20;

// Largest possible coded size for `n` input bytes: every group of eight literals costs nine bytes.
constexpr std::size_t MaxEncodedSize(std::size_t n) { return n + (n + 7) / 8; }

// Appends the coded form of `input` to `out` (cleared first).
void Encode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out);
std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> input);

struct DecodeResult {
  std::size_t written = 0;  // bytes stored in the output
  bool overflow = false;    // the stream held more than the output could take; the rest was dropped
};

// Decodes `input` into `output`, never writing past its end. A reference cut short by the end of the input
// is dropped, as is an incomplete last group.
DecodeResult Decode(std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

// Which form of the encoder's tree walk this build runs: "x86-64 assembly" or "portable" (AddressSanitizer
// builds, other machines). The output is the same.
const char* EncoderWalk();

}  // namespace orvane::lzss
