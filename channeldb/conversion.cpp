#include <algorithm>
#include <cstdio>
#include <vector>

#include "channeldb/records.h"
#include "common/bytes.h"

namespace bytes = orvane::bytes;

namespace {
// Positions above this (read as 16-bit unsigned) can only be tenths of a degree.
constexpr unsigned kWholeDegreeLimit = 1000;
constexpr std::size_t kMaxChannelNameStored = channel_layout::kNameSize - 1;
constexpr char kNameEnd = '|';
}  // namespace

bool SatelliteSlotUsed(const DATABASESATELLITEINFO& satellite) {
  if (satellite.eastPosition != 0) return true;
  return !(satellite.name.empty() || satellite.name.compare(0, 5, "Other") == 0);
}

int ListedSatelliteCount(const DATABASESATELLITETABLE& db) {
  return static_cast<int>(std::count_if(db.satellites.begin(), db.satellites.end(), SatelliteSlotUsed));
}

void ClearSatellite(DATABASESATELLITEINFO& satellite) {
  satellite.name.clear();
  satellite.diseqc = 0;
  satellite.eastPosition = 0;
  for (auto& tp : satellite.transponders) {
    tp.frequency = tp.symbolRate = tp.polarity = tp.fec = 0;
    for (auto& ch : tp.channels) {
      ch.videoPid = ch.audioPid = ch.pcrPid = 0;
      ch.name.clear();
    }
  }
}

void ClearSatellites(DATABASESATELLITETABLE& db) {
  // Field by field: names keep their storage, so that reopening a database does not reallocate 600,000 strings.
  for (auto& sat : db.satellites) ClearSatellite(sat);
}

ImageToModelReport ImageToModel(const SatelliteImage& image, const SatelliteNameTable& names,
                                const ChannelTable& channels, DATABASESATELLITETABLE& db) {
  using namespace image_layout;
  ImageToModelReport report;
  const std::span<const std::uint8_t> img(image.bytes);
  const std::span<const std::uint8_t> nam(names.bytes);
  const std::span<const std::uint8_t> chn(channels.bytes);

  ClearSatellites(db);

  // Files this program wrote carry each slot number as the identifier and store tenths; anything else (the
  // library's defaults use catalogue numbers) stores whole degrees unless some position exceeds 100.0.
  bool ownFile = true;
  unsigned maxPosition = 0;
  for (int s = 0; s < kSatelliteSlots; ++s) {
    ownFile = ownFile && bytes::GetU32LE(img, Satellite(s) + kIdentifier) == static_cast<std::uint32_t>(s);
    maxPosition = std::max<unsigned>(maxPosition, bytes::GetU16LE(img, Satellite(s) + kEastPosition));
  }
  report.writtenByProgram = ownFile;
  report.positionsInWholeDegrees = !ownFile && maxPosition <= kWholeDegreeLimit;

  // Channels.
  const std::uint32_t stored = bytes::GetU32LE(chn, channel_layout::kCount);
  const int count = static_cast<int>(std::min<std::uint32_t>(stored, kChannelTableEntries));
  report.channelEntriesBeyond400 = stored - static_cast<std::uint32_t>(count);
  // A sound table names each slot once; in a corrupt one (say a count beyond the entries written) a later
  // entry must not overwrite a channel an earlier one gave.
  std::vector<bool> filled(static_cast<std::size_t>(kSatelliteSlots) * kTransponderSlots * kChannelSlots);
  for (int i = 0; i < count; ++i) {
    using namespace channel_layout;
    const std::size_t e = Entry(i);
    const int s = bytes::GetU16LE(chn, e + kSatellite);
    const int t = bytes::GetU16LE(chn, e + kTransponder);
    const int c = bytes::GetU16LE(chn, e + kChannel);
    if (s >= kSatelliteSlots || t >= kTransponderSlots || c >= kChannelSlots) {
      ++report.channelEntriesOutOfRange;
      continue;
    }
    const std::size_t key = (static_cast<std::size_t>(s) * kTransponderSlots + t) * kChannelSlots + c;
    if (filled[key]) {
      ++report.channelEntriesRepeated;
      continue;
    }
    filled[key] = true;
    auto& ch = db.satellites[s].transponders[t].channels[c];
    ch.videoPid = bytes::GetU16LE(chn, e + kFirst);
    ch.audioPid = bytes::GetU16LE(chn, e + kSecond);
    ch.pcrPid = bytes::GetU16LE(chn, e + kThird);
    ch.name = bytes::GetText(chn, e + kName, kNameSize, kNameReadBack);
  }

  // Satellites and transponders.
  for (int s = 0; s < kSatelliteSlots; ++s) {
    auto& sat = db.satellites[s];
    const std::size_t base = Satellite(s);
    sat.name = bytes::GetText(nam, name_layout::Entry(s), name_layout::kEntrySize, name_layout::kEntrySize, kNameEnd);
    sat.diseqc = bytes::GetU8(img, base + kDiseqc);
    const unsigned pos = bytes::GetU16LE(img, base + kEastPosition);
    sat.eastPosition = report.positionsInWholeDegrees ? pos * 10 : pos;
    const int tps = std::min<int>(bytes::GetU16LE(img, base + kTransponderCount), kTransponderSlots);
    for (int t = 0; t < tps; ++t) {
      auto& tp = sat.transponders[t];
      const std::size_t o = Transponder(s, t);
      tp.frequency = bytes::GetU16LE(img, o + kTpFrequency);
      tp.symbolRate = bytes::GetU16LE(img, o + kTpSymbolRate);
      tp.polarity = bytes::GetU8(img, o + kTpPolarity);
      tp.fec = bytes::GetU8(img, o + kTpFec);
    }
  }
  return report;
}

ModelToImageReport ModelToImage(const DATABASESATELLITETABLE& db, int listedSatellites, SatelliteImage& image,
                                SatelliteNameTable& names, ChannelTable& channels) {
  using namespace image_layout;
  ModelToImageReport report;
  image.bytes.fill(0);
  channels.bytes.fill(0);
  names.bytes.fill(0);
  const std::span<std::uint8_t> img(image.bytes);
  const std::span<std::uint8_t> nam(names.bytes);
  const std::span<std::uint8_t> chn(channels.bytes);

  // Channels, in satellite / transponder / channel order; the table keeps the first 400.
  int entries = 0;
  for (int s = 0; s < kSatelliteSlots; ++s) {
    for (int t = 0; t < kTransponderSlots; ++t) {
      const auto& tp = db.satellites[s].transponders[t];
      for (int c = 0; c < kChannelSlots; ++c) {
        const auto& ch = tp.channels[c];
        if (!ch.used()) continue;
        if (entries == kChannelTableEntries) {
          ++report.channelsLeftOut;
          continue;
        }
        using namespace channel_layout;
        const std::size_t e = Entry(entries++);
        bytes::PutU16LE(chn, e + kSatellite, s);
        bytes::PutU16LE(chn, e + kTransponder, t);
        bytes::PutU32LE(chn, e + kChannel, c);
        bytes::PutU16LE(chn, e + kSatelliteAgain, s);
        bytes::PutU16LE(chn, e + kFrequency, static_cast<std::uint32_t>(tp.frequency));
        bytes::PutU16LE(chn, e + kOne, 1);
        bytes::PutU16LE(chn, e + kFirst, static_cast<std::uint32_t>(ch.videoPid));
        bytes::PutU16LE(chn, e + kSecond, static_cast<std::uint32_t>(ch.audioPid));
        bytes::PutU16LE(chn, e + kThird, static_cast<std::uint32_t>(ch.pcrPid));
        if (ch.name.size() > kMaxChannelNameStored) ++report.channelNamesCut;
        bytes::PutText(chn, e + kName, kNameSize, ch.name);
      }
    }
  }
  report.channelsStored = entries;
  bytes::PutU32LE(chn, channel_layout::kCount, static_cast<std::uint32_t>(entries));

  // Names: listed slots keep theirs, the rest are numbered Other01, Other02, ...
  const int listed = std::clamp(listedSatellites, 0, kSatelliteSlots);
  for (int s = 0; s < kSatelliteSlots; ++s) {
    std::string name;
    if (s < listed) {
      name = db.satellites[s].name;
      if (name.size() > name_layout::kMaxStoredName) {
        name.resize(name_layout::kMaxStoredName);
        ++report.satelliteNamesCut;
      }
    } else {
      char other[16];
      std::snprintf(other, sizeof other, "Other%.2d", s - listed + 1);
      name = other;
    }
    name.push_back(kNameEnd);
    bytes::PutText(nam, name_layout::Entry(s), name_layout::kEntrySize, name);
  }

  // Satellites and transponders: slot 0 is always stored, then every slot up to the first empty one.
  for (int s = 0; s < kSatelliteSlots; ++s) {
    const auto& sat = db.satellites[s];
    const std::size_t base = Satellite(s);
    int stored = 0;
    for (int t = 0; t < kTransponderSlots; ++t) {
      const auto& tp = sat.transponders[t];
      if (t > 0 && !tp.used()) break;
      const std::size_t o = Transponder(s, t);
      bytes::PutU16LE(img, o + kTpFrequency, static_cast<std::uint32_t>(tp.frequency));
      bytes::PutU8(img, o + kTpPolarity, static_cast<std::uint32_t>(tp.polarity));
      bytes::PutU16LE(img, o + kTpSymbolRate, static_cast<std::uint32_t>(tp.symbolRate));
      bytes::PutU8(img, o + kTpFec, static_cast<std::uint32_t>(tp.fec));
      bytes::PutU32LE(img, UsedFlag(s, t), 1);
      ++stored;
    }
    report.transpondersStored += stored;
    bytes::PutU8(img, base + kDiseqc, static_cast<std::uint32_t>(sat.diseqc));
    bytes::PutU32LE(img, base + kIdentifier, static_cast<std::uint32_t>(s));
    bytes::PutU16LE(img, base + kTransponderCount, static_cast<std::uint32_t>(stored));
    bytes::PutU16LE(img, base + kEastPosition, sat.eastPosition);
  }
  bytes::PutU32LE(chn, channel_layout::kEndMarker, channel_layout::kEndMarkerValue);
  bytes::PutU32LE(img, kSatelliteCount, kSatelliteSlots);
  return report;
}
