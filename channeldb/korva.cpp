#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "channeldb/include/korva.h"
#include "channeldb/korva_internal.h"
#include "channeldb/lzss.h"
#include "common/bytes.h"
#include "common/file_io.h"

namespace bytes = orvane::bytes;
using orvane::lzss::Decode;
using orvane::lzss::Encode;

namespace korva {
namespace {

using Span = std::span<std::uint8_t>;
using CSpan = std::span<const std::uint8_t>;

// The library's process-wide state: the current packed database and the carried-over outer block.
struct State {
  PackedDatabase packed{};
  std::array<std::uint8_t, file_layout::kOuterBlockSize> outerBlock{};
  std::array<std::uint8_t, KORVA_SATELLITE_IMAGE_SIZE> working{};
};

State& GetState() {
  static State state;
  return state;
}

bool PackedMarkersValid(const PackedDatabase& p) {
  return bytes::GetU32LE(p, packed_layout::kMarker) == kPackedMarker &&
         bytes::GetU32LE(p, packed_layout::kEndMarker) == kPackedMarker;
}

}  // namespace

void ComputeSymbolRateList(Span image, int satellite) {
  using namespace image_layout;
  struct Rate {
    std::uint16_t rate;
    int count;
  };
  Rate rates[kTransponderSlots];
  int distinct = 0, used = 0;
  for (int t = 0; t < kTransponderSlots; ++t) {
    if (bytes::GetU32LE(image, UsedFlag(satellite, t)) != 1) continue;
    ++used;
    const std::uint16_t sr = bytes::GetU16LE(image, Transponder(satellite, t) + kTpSymbolRate);
    Rate* found = std::find_if(rates, rates + distinct, [sr](const Rate& r) { return r.rate == sr; });
    if (found == rates + distinct) rates[distinct++] = {sr, 1};
    else ++found->count;
  }
  const std::size_t list = Satellite(satellite) + kSymbolRateList;
  int taken = 0;
  for (int count = used; count >= 1 && taken < kSymbolRateListEntries; --count)
    for (int i = 0; i < distinct && taken < kSymbolRateListEntries; ++i)
      if (rates[i].count == count) bytes::PutU16LE(image, list + 2 * taken++, rates[i].rate);
  for (; taken < kSymbolRateListEntries; ++taken) bytes::PutU16LE(image, list + 2 * taken, 0);
}

int Pack(Span image, PackedDatabase& packed) {
  using namespace image_layout;
  namespace pl = packed_layout;
  for (int s = 0; s < kSatelliteSlots; ++s) ComputeSymbolRateList(image, s);
  packed.fill(0);
  bytes::PutU32LE(packed, pl::kMarker, kPackedMarker);
  bytes::PutU32LE(packed, pl::kEndMarker, kPackedMarker);
  for (int s = 0; s < kSatelliteSlots; ++s) {
    const std::size_t base = Satellite(s);
    bytes::PutU8(packed, pl::kSatelliteBytes + 2 * s, bytes::GetU8(image, base + kReserved));
    bytes::PutU8(packed, pl::kSatelliteBytes + 2 * s + 1, bytes::GetU8(image, base + kDiseqc));
    bytes::PutU8(packed, pl::kIdentifiers + s, bytes::GetU8(image, base + kIdentifier));
    bytes::PutU16LE(packed, pl::kPositions + 2 * s, bytes::GetU16LE(image, base + kEastPosition));
  }
  int stored = 0, seen = 0;
  for (int s = 0; s < kSatelliteSlots; ++s) {
    for (int t = 0; t < kTransponderSlots; ++t) {
      if (bytes::GetU32LE(image, UsedFlag(s, t)) != 1) continue;
      ++seen;
      if (stored == kMaxStoredTransponders) continue;
      const std::size_t o = Transponder(s, t);
      const std::size_t d = pl::kTpData + static_cast<std::size_t>(stored) * pl::kTpDataSize;
      bytes::PutU8(packed, pl::kTpSatellite + stored, s);
      bytes::PutU8(packed, pl::kTpSlot + stored, t);
      bytes::PutU16BE(packed, d, bytes::GetU16LE(image, o + kTpFrequency));
      bytes::PutU16BE(packed, d + 2, bytes::GetU16LE(image, o + kTpSymbolRate));
      bytes::PutU8(packed, d + 4,
                   ((bytes::GetU8(image, o + kTpPolarity) & 0x0F) << 4) | (bytes::GetU8(image, o + kTpFec) & 0x0F));
      ++stored;
    }
  }
  bytes::PutU32LE(packed, pl::kCount, static_cast<std::uint32_t>(stored));
  for (int s = 0; s < kSatelliteSlots; ++s)
    bytes::PutBytes(packed, pl::kSymbolRateLists + 10 * static_cast<std::size_t>(s),
                    bytes::Slice(CSpan(image), Satellite(s) + kSymbolRateList, 10));
  return seen;
}

void BuildDefaults(Span image) {
  using namespace image_layout;
  std::fill(image.begin(), image.end(), 0);
  bytes::PutU32LE(image, kSatelliteCount, kSatelliteSlots);
  const auto rows = DefaultSatelliteTable();
  const auto tps = DefaultTransponders();
  std::size_t next = 0;
  for (int s = 0; s < kSatelliteSlots; ++s) {
    const std::size_t base = Satellite(s);
    bytes::PutU16LE(image, base + kTransponderCount, kTransponderSlots);
    if (s >= static_cast<int>(rows.size())) {
      bytes::PutU32LE(image, base + kIdentifier, static_cast<std::uint32_t>(s));
      continue;
    }
    const auto& row = rows[s];
    bytes::PutU8(image, base + kDiseqc, row.diseqc);
    bytes::PutU32LE(image, base + kIdentifier, row.identifier);
    bytes::PutU16LE(image, base + kEastPosition, row.east);
    for (int t = 0; t < row.transponders && next < tps.size(); ++t, ++next) {
      const std::size_t o = Transponder(s, t);
      bytes::PutU16LE(image, o + kTpFrequency, tps[next].frequency);
      bytes::PutU8(image, o + kTpPolarity, tps[next].polarity);
      bytes::PutU16LE(image, o + kTpSymbolRate, tps[next].symbolRate);
      bytes::PutU8(image, o + kTpFec, tps[next].fec);
      bytes::PutU32LE(image, UsedFlag(s, t), 1);
    }
    ComputeSymbolRateList(image, s);
  }
}

UnpackReport Unpack(PackedDatabase& packed, Span image) {
  using namespace image_layout;
  namespace pl = packed_layout;
  UnpackReport report;
  if (!PackedMarkersValid(packed)) {
    BuildDefaults(image);
    Pack(image, packed);
    return report;
  }
  report.markersValid = true;
  std::fill(image.begin(), image.end(), 0);
  bytes::PutU32LE(image, kSatelliteCount, kSatelliteSlots);
  for (int s = 0; s < kSatelliteSlots; ++s) {
    const std::size_t base = Satellite(s);
    bytes::PutU8(image, base + kReserved, bytes::GetU8(packed, pl::kSatelliteBytes + 2 * s));
    bytes::PutU8(image, base + kDiseqc, bytes::GetU8(packed, pl::kSatelliteBytes + 2 * s + 1));
    bytes::PutU32LE(image, base + kIdentifier, bytes::GetU8(packed, pl::kIdentifiers + s));
    bytes::PutU16LE(image, base + kEastPosition, bytes::GetU16LE(packed, pl::kPositions + 2 * s));
    bytes::PutU16LE(image, base + kTransponderCount, kTransponderSlots);
    bytes::PutBytes(image, base + kSymbolRateList,
                    bytes::Slice(CSpan(packed), pl::kSymbolRateLists + 10 * static_cast<std::size_t>(s), 10));
  }
  // A count beyond the room of the arrays is corrupt: take the entries there are room for.
  report.storedCount = bytes::GetU32LE(packed, pl::kCount);
  const int count = static_cast<int>(std::min<std::uint32_t>(report.storedCount, pl::kTransponderRoom));
  report.beyondRoom = report.storedCount - static_cast<std::uint32_t>(count);
  for (int i = 0; i < count; ++i) {
    const int s = bytes::GetU8(packed, pl::kTpSatellite + i);
    const int t = bytes::GetU8(packed, pl::kTpSlot + i);
    if (s >= kSatelliteSlots || t >= kTransponderSlots) {
      ++report.outOfGrid;
      continue;
    }
    // Each slot is stored once; a repeat (such as the zero tail behind a corrupt count) must not overwrite.
    if (bytes::GetU32LE(image, UsedFlag(s, t)) == 1) {
      ++report.repeated;
      continue;
    }
    const std::size_t d = pl::kTpData + static_cast<std::size_t>(i) * pl::kTpDataSize;
    const std::size_t o = Transponder(s, t);
    bytes::PutU32LE(image, UsedFlag(s, t), 1);
    bytes::PutU16LE(image, o + kTpFrequency, bytes::GetU16BE(packed, d));
    bytes::PutU16LE(image, o + kTpSymbolRate, bytes::GetU16BE(packed, d + 2));
    const std::uint8_t pf = bytes::GetU8(packed, d + 4);
    bytes::PutU8(image, o + kTpPolarity, pf >> 4);
    bytes::PutU8(image, o + kTpFec, pf & 0x0F);
  }
  return report;
}

LoadReport LoadFile(const char* path, std::uint8_t* image, std::uint8_t* names, std::uint8_t* channels) {
  std::vector<std::uint8_t> file;
  std::string readError;
  try {
    file = orvane::files::ReadFileStart(path, file_layout::kSize);
  } catch (const orvane::files::FileError& e) {
    readError = e.what();  // no error for the caller: it loads as the defaults
  }
  LoadReport report = LoadBytes(file, image, names, channels);
  report.fileRead = readError.empty();
  report.readError = std::move(readError);
  return report;
}

LoadReport InspectFile(const char* path, std::uint8_t* image, std::uint8_t* names, std::uint8_t* channels) {
  State& st = GetState();
  const auto kept = std::make_unique<State>(st);
  LoadReport report = LoadFile(path, image, names, channels);
  st = *kept;
  return report;
}

LoadReport LoadBytes(std::span<const std::uint8_t> bytesRead, std::uint8_t* image, std::uint8_t* names,
                     std::uint8_t* channels) {
  namespace fl = file_layout;
  namespace il = inner_layout;
  State& st = GetState();
  LoadReport report;
  // Bytes past the end of a short file count as zero.
  auto file = std::make_unique<std::array<std::uint8_t, fl::kSize>>();
  file->fill(0);
  report.fileSize = std::min(bytesRead.size(), file->size());
  std::copy_n(bytesRead.begin(), report.fileSize, file->begin());
  std::copy_n(file->begin(), fl::kOuterBlockSize, st.outerBlock.begin());

  const Span nameTable(names, KORVA_SATELLITE_NAME_TABLE_SIZE);
  const Span channelTable(channels, KORVA_CHANNEL_TABLE_SIZE);
  st.packed.fill(0);
  report.outerMarkersValid =
      bytes::GetU32LE(*file, fl::kMarker) == kFileMarker && bytes::GetU32LE(*file, fl::kEndMarker) == kFileMarker;
  if (report.outerMarkersValid) {
    // Lengths beyond their room are corrupt; decode what lies inside the room and stop at the target's end.
    report.storedL1 = bytes::GetU32LE(*file, fl::kLength);
    const std::size_t l1 = std::min<std::size_t>(report.storedL1, fl::kMaxLength);
    auto inner = std::make_unique<std::array<std::uint8_t, il::kSize>>();
    inner->fill(0);
    const auto r1 = Decode(bytes::Slice(CSpan(*file), fl::kData, l1), *inner);
    report.innerBytes = r1.written;
    report.innerOverflow = r1.overflow;
    report.innerMarkersValid =
        bytes::GetU32LE(*inner, il::kMarker) == kFileMarker && bytes::GetU32LE(*inner, il::kEndMarker) == kFileMarker;
    if (report.innerMarkersValid) {
      report.storedL2 = bytes::GetU32LE(*inner, il::kLength);
      const std::size_t l2 = std::min<std::size_t>(report.storedL2, il::kMaxLength);
      const auto r2 = Decode(bytes::Slice(CSpan(*inner), il::kData, l2), st.packed);
      report.packedBytes = r2.written;
      report.packedOverflow = r2.overflow;
    }
    bytes::PutBytes(nameTable, 0, bytes::Slice(CSpan(*inner), il::kNames, nameTable.size()));
    bytes::PutBytes(channelTable, 0, bytes::Slice(CSpan(*inner), il::kChannels, channelTable.size()));
  } else {
    std::fill(nameTable.begin(), nameTable.end(), 0);
    std::fill(channelTable.begin(), channelTable.end(), 0);
  }
  report.unpack = Unpack(st.packed, st.working);
  std::copy(st.working.begin(), st.working.end(), image);
  return report;
}

namespace {

// Korva's result for a failed write, with errno set to the system's reason (EINVAL where there is none, such as
// a target that is no regular file).
int SaveFailure(const orvane::files::FileError& e) {
  errno = e.error() != 0 ? e.error() : EINVAL;
  switch (e.error()) {
    case ENOSPC:
    case EDQUOT:
    case EIO:
    case EFBIG:
      return KORVA_SAVE_WRITE_FAILED;
    default:
      return KORVA_SAVE_CANNOT_CREATE;
  }
}

int WriteWhole(const std::string& path, CSpan data) {
  try {
    orvane::files::WriteFileWhole(path, data);
    return KORVA_SAVE_OK;
  } catch (const orvane::files::FileError& e) {
    return SaveFailure(e);
  }
}

int Save(const char* path, const std::uint8_t* image, const std::uint8_t* names, const std::uint8_t* channels) {
  namespace fl = file_layout;
  namespace il = inner_layout;
  State& st = GetState();
  std::copy_n(image, st.working.size(), st.working.begin());
  Pack(st.working, st.packed);

  auto inner = std::make_unique<std::array<std::uint8_t, il::kSize>>();
  inner->fill(0);
  const std::vector<std::uint8_t> packedCoded = Encode(st.packed);
  if (packedCoded.size() > il::kMaxLength) return KORVA_SAVE_PACKED_TOO_BIG;
  bytes::PutU32LE(*inner, il::kMarker, kFileMarker);
  bytes::PutU32LE(*inner, il::kLength, static_cast<std::uint32_t>(packedCoded.size()));
  bytes::PutBytes(*inner, il::kData, packedCoded);
  bytes::PutU32LE(*inner, il::kEndMarker, kFileMarker);
  bytes::PutBytes(*inner, il::kNames, CSpan(names, KORVA_SATELLITE_NAME_TABLE_SIZE));
  bytes::PutBytes(*inner, il::kChannels, CSpan(channels, KORVA_CHANNEL_TABLE_SIZE));

  const std::vector<std::uint8_t> innerCoded = Encode(*inner);
  if (innerCoded.size() > fl::kMaxLength) return KORVA_SAVE_INNER_TOO_BIG;

  // The outer block keeps whatever lies past the new compressed data (the carried-over area).
  auto outer = st.outerBlock;
  bytes::PutU32LE(outer, fl::kMarker, kFileMarker);
  bytes::PutU32LE(outer, fl::kLength, static_cast<std::uint32_t>(innerCoded.size()));
  bytes::PutBytes(outer, fl::kData, innerCoded);
  bytes::PutU32LE(outer, fl::kEndMarker, kFileMarker);

  auto file = std::make_unique<std::array<std::uint8_t, fl::kSize>>();
  file->fill(0);
  std::copy(outer.begin(), outer.end(), file->begin());
  for (int b = 0; b < static_cast<int>(fl::kPictureBlocks.size()); ++b)
    bytes::PutBytes(*file, fl::kPictureBlocks[b].offset, DefaultPictureBlock(b));

  const int result = WriteWhole(path, *file);
  if (result == KORVA_SAVE_OK) st.outerBlock = outer;
  return result;
}

}  // namespace
}  // namespace korva

extern "C" {

KORVA_EXPORT std::uint8_t* DELVO_LoadDefaultData(std::uint8_t* satellite_image) {
  if (!satellite_image) return nullptr;
  try {
    korva::State& st = korva::GetState();
    korva::BuildDefaults(st.working);
    korva::Pack(st.working, st.packed);
    std::copy(st.working.begin(), st.working.end(), satellite_image);
    return satellite_image;
  } catch (...) {
    return nullptr;
  }
}

KORVA_EXPORT std::uint8_t* DELVO_LoadNewData(const char* path, std::uint8_t* satellite_image,
                                             std::uint8_t* satellite_name_table, std::uint8_t* channel_table) {
  if (!path || !satellite_image || !satellite_name_table || !channel_table) return nullptr;
  try {
    korva::LoadFile(path, satellite_image, satellite_name_table, channel_table);
    return satellite_image;
  } catch (...) {
    return nullptr;
  }
}

KORVA_EXPORT std::int32_t DELVO_SaveNewData(const char* path, const std::uint8_t* satellite_image,
                                            const std::uint8_t* satellite_name_table,
                                            const std::uint8_t* channel_table) {
  if (!path || !*path || !satellite_image || !satellite_name_table || !channel_table) return KORVA_SAVE_BAD_ARGUMENT;
  try {
    return korva::Save(path, satellite_image, satellite_name_table, channel_table);
  } catch (const std::bad_alloc&) {
    return KORVA_SAVE_INTERNAL_ERROR;
  } catch (...) {
    return KORVA_SAVE_INTERNAL_ERROR;
  }
}

}  // extern "C"
