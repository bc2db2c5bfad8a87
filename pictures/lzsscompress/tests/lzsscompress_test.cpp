#include "pictures/lzsscompress/lzsscompress.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "channeldb/lzss.h"

extern "C" int32_t LzssCompressFromC(const uint8_t* source, int32_t n, uint8_t* destination);

namespace {

TEST(LzssCompress, WorstCaseOfEverySoftwareImageFitsTheSendBuffer) {
  for (std::size_t size : {1703936u, 1179648u, 2097152u})
    EXPECT_LE(orvane::lzss::MaxEncodedSize(size), static_cast<std::size_t>(LZSS_SEND_BUFFER_SIZE)) << size;
}

TEST(LzssCompress, RoundTripsAndWritesOnlyTheCodedBytes) {
  // Random bytes do not compress: the coded form is longer than its source, the case the buffer must hold.
  std::vector<std::uint8_t> image(2097152);
  std::mt19937 rng(5);
  for (auto& b : image) b = static_cast<std::uint8_t>(rng());
  std::vector<std::uint8_t> send(LZSS_SEND_BUFFER_SIZE + 16, 0xA5);
  const int32_t n = LzssCompressFromC(image.data(), static_cast<int32_t>(image.size()), send.data());
  ASSERT_GT(n, static_cast<int32_t>(image.size()));
  ASSERT_LE(n, LZSS_SEND_BUFFER_SIZE);
  for (std::size_t i = static_cast<std::size_t>(n); i < send.size(); ++i) ASSERT_EQ(send[i], 0xA5) << i;

  std::vector<std::uint8_t> back(image.size());
  const auto r = orvane::lzss::Decode(std::span(send.data(), static_cast<std::size_t>(n)), back);
  EXPECT_EQ(r.written, image.size());
  EXPECT_EQ(back, image);
}

TEST(LzssCompress, RefusesWhatCannotFitOrMakesNoSense) {
  std::vector<std::uint8_t> dst(16, 0x11);
  int32_t length = 7;
  // 2,774,359 random bytes code to more than the buffer holds.
  std::vector<std::uint8_t> big(2800000);
  std::mt19937 rng(9);
  for (auto& b : big) b = static_cast<std::uint8_t>(rng());
  std::vector<std::uint8_t> send(LZSS_SEND_BUFFER_SIZE, 0x11);
  LzssCompress(big.data(), static_cast<int32_t>(big.size()), send.data(), &length);
  EXPECT_EQ(length, -1);
  EXPECT_EQ(send[0], 0x11);

  LzssCompress(big.data(), -5, dst.data(), &length);
  EXPECT_EQ(length, -1);
  LzssCompress(nullptr, 10, dst.data(), &length);
  EXPECT_EQ(length, -1);
  LzssCompress(big.data(), 0, dst.data(), &length);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(dst[0], 0x11);
}

}  // namespace
