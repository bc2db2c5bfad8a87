#include "channeldb/lzss.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "lzss_reference.h"
#include "test_data.h"

using orvane::lzss::Decode;
using orvane::lzss::Encode;
using Bytes = std::vector<std::uint8_t>;

namespace {
Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes RoundTrip(const Bytes& coded, std::size_t capacity) {
  Bytes out(capacity);
  const auto r = Decode(coded, out);
  EXPECT_FALSE(r.overflow);
  out.resize(r.written);
  return out;
}
}  // namespace

TEST(Lzss, KnownVectors) {
  struct Case {
    std::string input;
    Bytes coded;
  } cases[] = {
      {"", {}},
      {"abc", {0x07, 0x61, 0x62, 0x63}},
      {"abcabcabcabc", {0x07, 0x61, 0x62, 0x63, 0xEE, 0xF6}},          // ring position 4078, length 9
      {std::string(20, ' '), {0x06, 0xDC, 0xFF, 0x20, 0x20}},          // position 4060, length 18
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encode(Of(c.input)), c.coded) << '"' << c.input << '"';
    EXPECT_EQ(RoundTrip(c.coded, 64), Of(c.input));
  }
}

// The encoder must agree with the classic coder on every kind of input, including the short inputs whose
// look-ahead runs past the end and inputs long enough to wrap the ring many times.
TEST(Lzss, IdenticalToClassicCoder) {
  std::vector<std::pair<std::string, Bytes>> inputs;
  for (std::size_t n = 1; n <= 40; ++n) {
    inputs.emplace_back("random " + std::to_string(n), testdata::Random(n, static_cast<std::uint32_t>(n)));
    inputs.emplace_back("spaces " + std::to_string(n), Bytes(n, ' '));
    inputs.emplace_back("zeros " + std::to_string(n), Bytes(n, 0));
  }
  inputs.emplace_back("random 300K", testdata::Random(300000, 1));
  inputs.emplace_back("text 300K", testdata::TextLike(300000, 2));
  inputs.emplace_back("runs 300K", testdata::Repetitive(300000, 3));
  inputs.emplace_back("program 300K", testdata::Executable(300000));
  inputs.emplace_back("one byte 70K", Bytes(70000, 0xAB));
  Bytes ramp;
  for (int i = 0; i < 20000; ++i) ramp.push_back(static_cast<std::uint8_t>(i % 251));
  inputs.emplace_back("ramp", ramp);

  for (const auto& [name, input] : inputs) {
    const Bytes ours = Encode(input);
    ASSERT_EQ(ours, ReferenceLzssEncode(input)) << name;
    ASSERT_LE(ours.size(), orvane::lzss::MaxEncodedSize(input.size())) << name;
    ASSERT_EQ(RoundTrip(ours, input.size()), input) << name;
  }
}

TEST(Lzss, DecoderStaysInsideItsOutput) {
  const Bytes input = testdata::TextLike(5000, 7);
  const Bytes coded = Encode(input);

  Bytes small(1000, 0xEE);
  small.push_back(0x5A);  // guard byte past the span handed to the decoder
  const auto r = Decode(coded, std::span<std::uint8_t>(small.data(), 1000));
  EXPECT_TRUE(r.overflow);
  EXPECT_EQ(r.written, 1000u);
  EXPECT_EQ(small.back(), 0x5A);
  EXPECT_TRUE(std::equal(small.begin(), small.begin() + 1000, input.begin()));

  // A reference whose second byte is missing is dropped; so is a literal whose byte is missing.
  EXPECT_EQ(RoundTrip({0x00, 0xDC}, 64), Bytes{});
  EXPECT_EQ(RoundTrip({0x03, 'x'}, 64), Of("x"));
  // Only positions 0 to 4077 start as spaces; the look-ahead area starts as zero. A reference wraps past 4095.
  EXPECT_EQ(RoundTrip({0x00, 0xFE, 0xF1}, 64), Bytes({0, 0, ' ', ' '})) << "positions 4094, 4095, 0, 1";
}

// AddressSanitizer cannot see memory accesses inside inline assembly: every ASan build (GCC or clang) must run
// the portable walk; other x86-64 builds run the assembly.
TEST(Lzss, BuildSaysWhichWalkItRuns) {
  bool asan = false;
#if defined(__SANITIZE_ADDRESS__)
  asan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  asan = true;
#endif
#endif
  std::printf("LZSS encoder walk: %s\n", orvane::lzss::EncoderWalk());
#if defined(__x86_64__)
  EXPECT_STREQ(orvane::lzss::EncoderWalk(), asan ? "portable" : "x86-64 assembly");
#else
  EXPECT_STREQ(orvane::lzss::EncoderWalk(), "portable");
#endif
}
