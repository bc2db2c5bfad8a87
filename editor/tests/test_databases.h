// Small databases for the export, compare and find tests: a few satellites written slot by slot.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "channeldb/records.h"

namespace testdb {

inline constexpr int H = 0, V = 1;
inline constexpr int kFec34 = 3;

inline DATABASETRANSPONDERINFO Tp(int frequency, int symbolRate, int polarity, int fec = kFec34,
                                  std::vector<DATABASECHANNELINFO> channels = {}) {
  DATABASETRANSPONDERINFO tp;
  tp.frequency = frequency;
  tp.symbolRate = symbolRate;
  tp.polarity = polarity;
  tp.fec = fec;
  for (std::size_t c = 0; c < channels.size(); ++c) tp.channels[c] = channels[c];
  return tp;
}

inline DATABASECHANNELINFO Ch(int first, int second, int third, std::string name) {
  return {first, second, third, std::move(name)};
}

// The table is some 29 MB: on the heap.
inline std::unique_ptr<DATABASESATELLITETABLE> Empty() {
  return std::make_unique<DATABASESATELLITETABLE>();
}

inline DATABASESATELLITEINFO& Put(DATABASESATELLITETABLE& db, int slot, std::string name, unsigned eastTenths,
                                  std::vector<DATABASETRANSPONDERINFO> transponders = {}) {
  auto& sat = db.satellites[static_cast<std::size_t>(slot)];
  sat.name = std::move(name);
  sat.eastPosition = eastTenths;
  for (std::size_t t = 0; t < transponders.size(); ++t) sat.transponders[t] = transponders[t];
  return sat;
}

inline std::unique_ptr<DATABASESATELLITETABLE> Copy(const DATABASESATELLITETABLE& db) {
  return std::make_unique<DATABASESATELLITETABLE>(db);
}

}  // namespace testdb
