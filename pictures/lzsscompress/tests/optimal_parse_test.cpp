#include "pictures/lzsscompress/optimal_parse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "channeldb/tests/lzss_reference.h"
#include "channeldb/tests/test_data.h"
#include "classic_decoder.h"

using Bytes = std::vector<std::uint8_t>;
using orvane::lzsscompress::Encode;
using orvane::lzsscompress::EncodeInto;

namespace {

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Twice(const Bytes& block) { return Cat(block, block); }

// Random bytes from a small alphabet: many matches of every length, and many choices between them.
Bytes FewSymbols(std::size_t n, const std::string& alphabet, std::uint32_t seed) {
  Bytes v = testdata::Random(n, seed);
  for (auto& b : v) b = static_cast<std::uint8_t>(alphabet[b % alphabet.size()]);
  return v;
}

struct Case {
  std::string name;
  Bytes input;
  bool shorterThanClassic;  // the input leaves the classic coder something to gain
};

std::vector<Case> Cases() {
  const Bytes block = testdata::Random(4096, 11);
  return {
      {"empty", {}, false},
      {"one byte", {0x41}, false},
      {"abc", Of("abc"), false},
      {"twenty spaces (all from the ring fill)", Bytes(20, ' '), false},
      {"spaces before and after text", Of("   hello   hello world   world  "), false},
      // Only the first byte is a space: the longest match runs from the fill into the input.
      {"match from the fill into the input", Of(" a a a a a a a a a"), false},
      // 4090 bytes in, the fill is 4091 back: out of the classic coder's reach, inside the ring.
      {"fill reached from 4090 bytes in", Cat(FewSymbols(4090, "xyz", 4), Bytes(40, ' ')), true},
      {"4096-byte block twice (the whole ring back)", Twice(block), true},
      {"4095-byte block twice", Twice(Bytes(block.begin(), block.end() - 1)), false},
      {"4097-byte block twice (one byte too far)", Twice(Cat(block, {0x5A})), false},
      {"zeros (the unwritten ring tail is no source)", Bytes(5000, 0), false},
      {"4078 spaces then x", Cat(Bytes(4078, ' '), {'x'}), false},
      {"two letters", FewSymbols(6000, "ab", 7), true},
      {"random", testdata::Random(20000, 5), false},
      {"runs", testdata::Repetitive(60000, 3), true},
      {"text", testdata::TextLike(100000, 2), true},
      {"program, first 300,000 bytes", testdata::Executable(300000), true},
  };
}

// The size of the shortest stream, found the slow way: every reachable source of every position is tried.
std::size_t ShortestBySearch(const Bytes& input) {
  const std::size_t n = input.size(), fill = 4078;
  Bytes text(fill, ' ');
  text.insert(text.end(), input.begin(), input.end());
  std::vector<std::uint64_t> bits(n + 1, 0);
  std::vector<int> longest(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t t = fill + i, cap = std::min<std::size_t>(18, n - i);
    for (std::size_t q = t >= 4096 ? t - 4096 : 0; q < t; ++q) {
      std::size_t k = 0;
      while (k < cap && text[q + k] == text[t + k]) ++k;
      longest[i] = std::max(longest[i], static_cast<int>(k));
    }
  }
  for (std::size_t i = n; i-- > 0;) {
    bits[i] = bits[i + 1] + 9;
    for (int len = 3; len <= longest[i]; ++len) bits[i] = std::min(bits[i], bits[i + len] + 17);
  }
  return static_cast<std::size_t>((bits[0] + 7) / 8);
}

}  // namespace

TEST(OptimalLzss, ClassicDecoderGivesBackEveryInputAndNoStreamIsLongerThanTheClassicCoders) {
  for (const auto& c : Cases()) {
    SCOPED_TRACE(c.name);
    const Bytes coded = Encode(c.input);
    // Whatever the ring's unwritten tail holds, the stream decodes the same.
    EXPECT_EQ(ClassicLzssDecode(coded, 0x00), c.input);
    EXPECT_EQ(ClassicLzssDecode(coded, 0xFF), c.input);
    const std::size_t classic = ReferenceLzssEncode(c.input).size();
    EXPECT_LE(coded.size(), classic);
    if (c.shorterThanClassic) {
      EXPECT_LT(coded.size(), classic);
    }
  }
}

TEST(OptimalLzss, StreamIsTheShortestPossible) {
  for (const auto& c : Cases()) {
    if (c.input.size() > 9000) continue;  // the search is slow
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Encode(c.input).size(), ShortestBySearch(c.input));
  }
}

TEST(OptimalLzss, WritesOnlyAStreamThatFits) {
  const Bytes input = testdata::TextLike(3000, 8);
  const Bytes coded = Encode(input);
  ASSERT_FALSE(coded.empty());
  Bytes out(coded.size() + 4, 0xA5);
  const auto exact = EncodeInto(input, std::span(out.data(), coded.size()));
  ASSERT_TRUE(exact.has_value());
  EXPECT_EQ(*exact, coded.size());
  EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(coded.size())), coded);
  EXPECT_EQ(Bytes(out.end() - 4, out.end()), Bytes(4, 0xA5));

  Bytes small(coded.size() - 1, 0xA5);
  EXPECT_FALSE(EncodeInto(input, small).has_value());
  EXPECT_EQ(small, Bytes(coded.size() - 1, 0xA5));
  EXPECT_FALSE(EncodeInto(input, {}).has_value());
  EXPECT_EQ(EncodeInto({}, {}), std::optional<std::size_t>(0));
}
