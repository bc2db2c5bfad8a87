// Inside the Korva library: file layouts, packing, defaults. Tests include this to look at the pieces.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "channeldb/records.h"

namespace korva {

inline constexpr std::uint32_t kFileMarker = 0xBAB0BAB0;
inline constexpr std::uint32_t kPackedMarker = 0xBAB0C0FF;

// The database image file.
namespace file_layout {
inline constexpr std::size_t kSize = KORVA_DATABASE_FILE_SIZE;
inline constexpr std::size_t kMarker = 0x0000;
inline constexpr std::size_t kLength = 0x0004;       // L1
inline constexpr std::size_t kData = 0x0008;
inline constexpr std::size_t kEndMarker = 0x6FFC;
inline constexpr std::size_t kMaxLength = kEndMarker - kData;  // 28660
inline constexpr std::size_t kOuterBlockSize = 0x7000;         // what a load carries over
inline constexpr std::size_t kKeyTableBlock = 0x6F00;          // kept by loading and saving while L1 <= 0x6EF8
struct PictureBlock {
  std::size_t offset;
  std::size_t size;
};
inline constexpr std::array<PictureBlock, 6> kPictureBlocks = {{
    {0x7000, 3072}, {0x7C00, 5960}, {0x9800, 3072}, {0xA400, 8139}, {0xC800, 3072}, {0xD400, 9880}}};
static_assert(kMaxLength == 28660);
}  // namespace file_layout

// The inner image, the outer block decompressed.
namespace inner_layout {
inline constexpr std::size_t kSize = 0xB000;
inline constexpr std::size_t kMarker = 0x0000;
inline constexpr std::size_t kLength = 0x0004;  // L2
inline constexpr std::size_t kData = 0x0008;
inline constexpr std::size_t kEndMarker = 0x3FFC;
inline constexpr std::size_t kMaxLength = kEndMarker - kData;  // 16372
inline constexpr std::size_t kNames = 0x4000;
inline constexpr std::size_t kChannels = 0x6000;
static_assert(kMaxLength == 16372);
static_assert(kNames + KORVA_SATELLITE_NAME_TABLE_SIZE <= kChannels);
static_assert(kChannels + KORVA_CHANNEL_TABLE_SIZE <= kSize);
}  // namespace inner_layout

// The packed database. Frequencies and symbol rates are stored high byte first.
namespace packed_layout {
inline constexpr std::size_t kSize = 30352;
inline constexpr std::size_t kMarker = 0;
inline constexpr std::size_t kSatelliteBytes = 4;     // 156 x 2: reserved byte, DiSEqC code
inline constexpr std::size_t kIdentifiers = 316;      // 156 x 1: low byte of the identifier
inline constexpr std::size_t kPositions = 472;        // 156 x u16
inline constexpr std::size_t kCount = 784;            // u32: T
inline constexpr std::size_t kTpSatellite = 788;      // 4000 x 1
inline constexpr std::size_t kTpSlot = 4788;          // 4000 x 1
inline constexpr std::size_t kTpData = 8788;          // 4000 x 5
inline constexpr std::size_t kTpDataSize = 5;
inline constexpr std::size_t kSymbolRateLists = 28788;  // 156 x 5 x u16
inline constexpr std::size_t kEndMarker = 30348;
inline constexpr int kTransponderRoom = 4000;
static_assert(kTpData + kTransponderRoom * kTpDataSize == kSymbolRateLists);
static_assert(kSymbolRateLists + kSatelliteSlots * 10 == kEndMarker);
static_assert(kEndMarker + 4 == kSize);
}  // namespace packed_layout

using PackedDatabase = std::array<std::uint8_t, packed_layout::kSize>;

// Recomputes one satellite's SymbolRateList inside a SatelliteImage.
void ComputeSymbolRateList(std::span<std::uint8_t> image, int satellite);
// SatelliteImage (its SymbolRateLists recomputed in place) -> PackedDatabase. Returns the number of used
// transponders it met, stored or not.
int Pack(std::span<std::uint8_t> image, PackedDatabase& packed);
struct UnpackReport {
  bool markersValid = false;
  std::uint32_t storedCount = 0;  // T as stored
  std::uint32_t beyondRoom = 0;   // T above the 4000 entries there is room for
  int outOfGrid = 0;              // entries naming slots outside the grid
  int repeated = 0;               // entries naming a slot an earlier entry filled (the first one wins)
};
// PackedDatabase -> SatelliteImage; markers not valid: the defaults instead (and `packed` becomes them).
UnpackReport Unpack(PackedDatabase& packed, std::span<std::uint8_t> image);
// Builds the default database into `image`.
void BuildDefaults(std::span<std::uint8_t> image);

struct DefaultSatelliteRow {
  std::uint16_t east;  // whole degrees
  std::uint8_t identifier;
  std::uint8_t diseqc;
  std::uint8_t transponders;
};
struct DefaultTransponder {
  std::uint16_t frequency;
  std::uint8_t polarity;
  std::uint16_t symbolRate;
  std::uint8_t fec;
};
std::span<const DefaultSatelliteRow> DefaultSatelliteTable();
std::span<const DefaultTransponder> DefaultTransponders();

// The six picture blocks every saved file carries.
std::span<const std::uint8_t> DefaultPictureBlock(int index);

// What a load found, for checkers.
struct LoadReport {
  bool fileRead = false;
  std::string readError;  // why the file could not be read ("cannot read PATH: reason")
  std::size_t fileSize = 0;
  bool outerMarkersValid = false;
  std::uint32_t storedL1 = 0;
  std::size_t innerBytes = 0;     // bytes the outer block decoded to
  bool innerOverflow = false;     // the stream held more than 45056 bytes
  bool innerMarkersValid = false;
  std::uint32_t storedL2 = 0;
  std::size_t packedBytes = 0;
  bool packedOverflow = false;
  UnpackReport unpack;
};
// DELVO_LoadNewData with a report of what was found. Exported from the shared library (as C++, outside the C
// interface) for the program's file checker.
KORVA_EXPORT LoadReport LoadFile(const char* path, std::uint8_t* image, std::uint8_t* names, std::uint8_t* channels);
// LoadFile for reading a file beside the one in use (comparing, exporting): the library's own state (the
// packed database and the outer block a later save carries over) is left as it was.
KORVA_EXPORT LoadReport InspectFile(const char* path, std::uint8_t* image, std::uint8_t* names,
                                    std::uint8_t* channels);
// The same over the bytes of a file already read (at most 65536 are used).
LoadReport LoadBytes(std::span<const std::uint8_t> file, std::uint8_t* image, std::uint8_t* names,
                     std::uint8_t* channels);

}  // namespace korva
