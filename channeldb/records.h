// The channel database in its two shapes: the editing model the program changes, and the three packed
// exchange buffers that cross into the Korva library. The conversions between them live in conversion.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "channeldb/include/korva.h"

// Grid limits.
inline constexpr int kSatelliteSlots = 156;
inline constexpr int kTransponderSlots = 120;
inline constexpr int kChannelSlots = 32;
inline constexpr int kChannelTableEntries = 400;

// A digital transponder reads a channel slot as DigitalChannelEntry (video, audio, PCR PID), an analog one as
// AnalogChannelEntry (left and right audio sub-carrier frequency, band index 0 = KU, 1 = C).
struct DATABASECHANNELINFO {
  std::int32_t videoPid = 0;  // analog: left audio frequency
  std::int32_t audioPid = 0;  // analog: right audio frequency
  std::int32_t pcrPid = 0;    // analog: band index
  std::string name;

  std::int32_t& leftAudio() { return videoPid; }
  std::int32_t& rightAudio() { return audioPid; }
  std::int32_t& band() { return pcrPid; }
  bool used() const { return videoPid != 0 || audioPid != 0; }
  bool operator==(const DATABASECHANNELINFO&) const = default;
};

struct DATABASETRANSPONDERINFO {
  std::int32_t frequency = 0;   // MHz; 0 ends the listed part
  std::int32_t symbolRate = 0;  // ksym/s; 0 = analog
  std::int32_t polarity = 0;    // 0 = H, 1 = V
  std::int32_t fec = 0;         // digital: 0 AUTO, 1 1/2, 2 2/3, 3 3/4, 4 5/6, 5 7/8; analog: 0 TV, 1-5 Radio
  std::array<DATABASECHANNELINFO, kChannelSlots> channels{};

  bool used() const { return frequency != 0 || symbolRate != 0; }
  bool analog() const { return symbolRate == 0; }
  bool operator==(const DATABASETRANSPONDERINFO&) const = default;
};

struct DATABASESATELLITEINFO {
  std::string name;
  std::int32_t diseqc = 0;         // DiSEqC 1.2 stored-position number, 0 = none
  std::uint32_t eastPosition = 0;  // tenths of a degree East
  std::array<DATABASETRANSPONDERINFO, kTransponderSlots> transponders{};

  bool operator==(const DATABASESATELLITEINFO&) const = default;
};

struct DATABASESATELLITETABLE {
  std::int32_t count = 0;  // written by the SatCoDX import only
  std::array<DATABASESATELLITEINFO, kSatelliteSlots> satellites{};

  bool operator==(const DATABASESATELLITETABLE&) const = default;
};

// An unused satellite slot has position 0 and a name that is empty or starts with "Other".
bool SatelliteSlotUsed(const DATABASESATELLITEINFO& satellite);
// Number of rows the satellite list shows: the used slots.
int ListedSatelliteCount(const DATABASESATELLITETABLE& db);
// Empties one slot in place: its names keep their storage for the next use.
void ClearSatellite(DATABASESATELLITEINFO& satellite);
// Resets every slot to empty (the count is kept).
void ClearSatellites(DATABASESATELLITETABLE& db);

// ---- Exchange buffers -------------------------------------------------------------------------------------

struct SatelliteImage {
  std::array<std::uint8_t, KORVA_SATELLITE_IMAGE_SIZE> bytes{};
};
struct SatelliteNameTable {
  std::array<std::uint8_t, KORVA_SATELLITE_NAME_TABLE_SIZE> bytes{};
};
struct ChannelTable {
  std::array<std::uint8_t, KORVA_CHANNEL_TABLE_SIZE> bytes{};
};

// Layout of the SatelliteImage.
namespace image_layout {
inline constexpr std::size_t kSatelliteCount = 8;  // u32, always 156
inline constexpr std::size_t kFirstSatellite = 12;
inline constexpr std::size_t kSatelliteSize = 1220;
// Fields of one ImageSatellite.
inline constexpr std::size_t kReserved = 0;         // u8
inline constexpr std::size_t kDiseqc = 1;           // u8
inline constexpr std::size_t kIdentifier = 2;       // u32
inline constexpr std::size_t kTransponderCount = 6; // u16
inline constexpr std::size_t kUsedFlags = 8;        // 120 x u32
inline constexpr std::size_t kTransponders = 488;   // 120 x ImageTransponder
inline constexpr std::size_t kSymbolRateList = 1208;  // 5 x u16
inline constexpr std::size_t kEastPosition = 1218;  // u16
inline constexpr int kSymbolRateListEntries = 5;
// Fields of one ImageTransponder.
inline constexpr std::size_t kTransponderSize = 6;
inline constexpr std::size_t kTpFrequency = 0;   // u16
inline constexpr std::size_t kTpPolarity = 2;    // u8
inline constexpr std::size_t kTpSymbolRate = 3;  // u16
inline constexpr std::size_t kTpFec = 5;         // u8

constexpr std::size_t Satellite(int s) { return kFirstSatellite + static_cast<std::size_t>(s) * kSatelliteSize; }
constexpr std::size_t UsedFlag(int s, int t) { return Satellite(s) + kUsedFlags + static_cast<std::size_t>(t) * 4; }
constexpr std::size_t Transponder(int s, int t) {
  return Satellite(s) + kTransponders + static_cast<std::size_t>(t) * kTransponderSize;
}
static_assert(Satellite(kSatelliteSlots) == KORVA_SATELLITE_IMAGE_SIZE);
static_assert(kTransponders + kTransponderSlots * kTransponderSize == kSymbolRateList);
}  // namespace image_layout

// Layout of the SatelliteNameTable.
namespace name_layout {
inline constexpr std::size_t kEntrySize = 32;
inline constexpr std::size_t kMaxStoredName = kEntrySize - 2;  // name, "|" and NUL must fit
constexpr std::size_t Entry(int s) { return static_cast<std::size_t>(s) * kEntrySize; }
static_assert(Entry(kSatelliteSlots) == KORVA_SATELLITE_NAME_TABLE_SIZE);
}  // namespace name_layout

// Layout of the ChannelTable.
namespace channel_layout {
inline constexpr std::size_t kCount = 0;  // u32
inline constexpr std::size_t kFirstEntry = 4;
inline constexpr std::size_t kEntrySize = 48;
inline constexpr std::size_t kEndMarker = 19204;  // u32
inline constexpr std::uint32_t kEndMarkerValue = 0xBAB0BAB0;
// Fields of one ChannelTableEntry.
inline constexpr std::size_t kSatellite = 0;     // u16
inline constexpr std::size_t kTransponder = 2;   // u16
inline constexpr std::size_t kChannel = 4;       // u32, readers take the low 16 bits
inline constexpr std::size_t kSatelliteAgain = 8;  // u16
inline constexpr std::size_t kFrequency = 10;    // u16
inline constexpr std::size_t kOne = 12;          // u16, always 1
inline constexpr std::size_t kFirst = 14;        // u16
inline constexpr std::size_t kSecond = 16;       // u16
inline constexpr std::size_t kThird = 18;        // u16
inline constexpr std::size_t kName = 20;         // 28 bytes, NUL-terminated
inline constexpr std::size_t kNameSize = 28;
inline constexpr std::size_t kNameReadBack = 25;  // a reader takes at most 25 characters
constexpr std::size_t Entry(int i) { return kFirstEntry + static_cast<std::size_t>(i) * kEntrySize; }
static_assert(Entry(kChannelTableEntries) == kEndMarker);
static_assert(kEndMarker + 4 == KORVA_CHANNEL_TABLE_SIZE);
}  // namespace channel_layout

// ---- Conversions -------------------------------------------------------------------------------------------

// What opening passed over, so that a checker can say what was wrong.
struct ImageToModelReport {
  std::uint32_t channelEntriesBeyond400 = 0;  // count field above 400: entries that do not exist
  int channelEntriesOutOfRange = 0;  // entries naming a satellite, transponder or channel slot outside the grid
  int channelEntriesRepeated = 0;    // entries naming a slot an earlier entry filled (the first one wins)
  bool positionsInWholeDegrees = false;
  bool writtenByProgram = false;     // every identifier equals its slot number
};

// Rebuilds the model from the three buffers the library filled.
ImageToModelReport ImageToModel(const SatelliteImage& image, const SatelliteNameTable& names,
                                const ChannelTable& channels, DATABASESATELLITETABLE& db);

struct ModelToImageReport {
  int channelsStored = 0;
  int channelsLeftOut = 0;       // used channel slots beyond the table's 400 entries, in walk order
  int transpondersStored = 0;    // transponder slots marked used; the file keeps the first 3999
  int satelliteNamesCut = 0;     // names longer than 30 characters, cut to fit
  int channelNamesCut = 0;       // names longer than 27 characters, cut to fit
};

// Builds the three buffers from the model. `listedSatellites` is the number of rows in the satellite list
// (slots 0..n-1 keep their names, the rest are named Other01, Other02, ...).
ModelToImageReport ModelToImage(const DATABASESATELLITETABLE& db, int listedSatellites, SatelliteImage& image,
                                SatelliteNameTable& names, ChannelTable& channels);

// The most transponders a database image file keeps.
inline constexpr int kMaxStoredTransponders = 3999;
