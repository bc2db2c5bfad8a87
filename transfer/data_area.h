// What the data area download tool does with a data area it fetched: the pictures and the channel database
// image patched in at fixed places, and the channel database file read and checked. The window and
// orvane-cli download both use these, so the two save the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvane::transfer {

// The channel database image file ("Sat/Tp Data") and its place in the data area.
inline constexpr std::size_t kSatTpBufferSize = 65536;

inline constexpr std::size_t kMainMenuMergeOffset = 0x20008;
inline constexpr std::size_t kOpeningMergeOffset = 0x24808;
inline constexpr std::size_t kRadioMergeOffset = 0x2A408;
inline constexpr std::size_t kSatTpMergeOffset = 0x30000;

inline constexpr std::size_t kMainMenuMergeBytes = 0x4800;  // a Main Menu picture slot, 18,432 bytes
inline constexpr std::size_t kOpeningMergeBytes = 0x5C00;   // an Opening or Radio picture slot, 23,552 bytes
inline constexpr std::size_t kRadioMergeBytes = 0x5C00;
inline constexpr std::size_t kSatTpMergeBytes = kSatTpBufferSize;

inline constexpr const char* kMsgSatTpInvalid = "Invaild data file";

enum class MergeSource { MainMenu = 0, Opening = 1, Radio = 2, SatTp = 3 };

struct MergeRow {
  MergeSource source;
  std::size_t bytes;   // copied from the start of the source
  std::size_t offset;  // where they go in the data area
};

// Applied in this order: the Radio range ends at 0x30007, so the channel database image's first 8 bytes
// overwrite its last 8 when both are applied.
inline constexpr std::array<MergeRow, 4> kMergeMap = {{
    {MergeSource::MainMenu, kMainMenuMergeBytes, kMainMenuMergeOffset},
    {MergeSource::Opening, kOpeningMergeBytes, kOpeningMergeOffset},
    {MergeSource::Radio, kRadioMergeBytes, kRadioMergeOffset},
    {MergeSource::SatTp, kSatTpMergeBytes, kSatTpMergeOffset},
}};

// The sources by MergeSource; an empty span is a source whose merge flag is not set and is left out.
using MergeSources = std::array<std::span<const std::uint8_t>, 4>;

// Patches the set sources into `dataArea` (262,144 bytes) in map order. Throws std::invalid_argument for a
// data area of another size or a set source shorter than its row, before anything is copied.
void ApplyMerge(std::span<std::uint8_t> dataArea, const MergeSources& sources);

enum class SatTpCheck { Ok, FileError, InvalidSize };

struct SatTpFile {
  SatTpCheck check = SatTpCheck::FileError;
  std::uint64_t size = 0;
  std::vector<std::uint8_t> bytes;  // the 65,536 bytes when Ok
};

// Reads a channel database image file as "Sat/Tp Data" takes it: empty is FileError, anything but 65,536
// bytes InvalidSize. Throws files::FileError when the file cannot be opened or read.
SatTpFile ReadSatTpFile(const std::string& path);

// The message for a refused file (FileError, InvalidSize); nullptr for Ok.
const char* SatTpMessage(SatTpCheck check);

}  // namespace orvane::transfer
