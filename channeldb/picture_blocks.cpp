#include <array>
#include <cstdint>

#include "channeldb/korva_internal.h"

namespace korva {
namespace {

struct Blocks {
  std::array<std::array<std::uint8_t, 9880>, 6> bytes{};
  Blocks() {
    // Made by xorshift32 seeded with 0x4B525641 + block number; fixed forever, since every saved file holds them.
    for (int b = 0; b < 6; ++b) {
      std::uint32_t x = 0x4B525641u + static_cast<std::uint32_t>(b);
      for (std::size_t i = 0; i < file_layout::kPictureBlocks[b].size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[b][i] = static_cast<std::uint8_t>(x >> 24);
      }
    }
  }
};

}  // namespace

std::span<const std::uint8_t> DefaultPictureBlock(int index) {
  static const Blocks blocks;
  return std::span<const std::uint8_t>(blocks.bytes.at(index).data(), file_layout::kPictureBlocks.at(index).size);
}

}  // namespace korva
