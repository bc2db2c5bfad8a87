#include "editor/editor_core.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/decimal.h"

namespace orvane::editor {

namespace {

constexpr const char* kPolarityTexts[] = {"H", "V"};
constexpr const char* kFecTexts[] = {"AUTO", "1/2", "2/3", "3/4", "5/6", "7/8"};
constexpr const char* kBandTexts[] = {"KU", "C"};
constexpr const char* kUnknownText = "?";
constexpr int kLastRadioService = 5;
// Names, "|" and NUL share the 32-byte name entry; channel names share 28 bytes with their NUL.
constexpr std::size_t kStoredSatelliteName = name_layout::kMaxStoredName;
constexpr std::size_t kStoredChannelName = channel_layout::kNameSize - 1;

template <std::size_t N>
const char* Lookup(const char* const (&table)[N], std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < N ? table[index] : kUnknownText;
}

template <class... Args>
std::string Format(const char* format, Args... args) {
  const int n = std::snprintf(nullptr, 0, format, args...);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, args...);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// Rows 0..n-1 of the first `n` entries of an array.
template <class T, std::size_t N>
std::vector<T*> FirstRows(std::array<T, N>& slots, int n) {
  std::vector<T*> rows;
  for (int i = 0; i < n; ++i) rows.push_back(&slots[static_cast<std::size_t>(i)]);
  return rows;
}

template <class T, std::size_t N>
void DropInArray(std::array<T, N>& slots, const std::vector<bool>& selected, int target) {
  if (selected.size() > N) return;
  const int n = static_cast<int>(selected.size());
  const std::vector<int> order = DropOrder(selected, target);
  if (!order.empty()) ApplyOrder(FirstRows(slots, n), order);
}

template <class T, std::size_t N>
void DeleteInArray(std::array<T, N>& slots, const std::vector<bool>& selected) {
  if (selected.size() > N) return;
  // Kept rows only move towards the front, so they can be moved in place.
  const std::vector<int> kept = KeptRows(selected);
  std::size_t i = 0;
  for (; i < kept.size(); ++i)
    if (static_cast<std::size_t>(kept[i]) != i)
      slots[i] = std::move(slots[static_cast<std::size_t>(kept[i])]);
  for (; i < N; ++i) slots[i] = T{};
}

std::vector<DATABASESATELLITEINFO*> SatelliteRows(DATABASESATELLITETABLE& db,
                                                  const std::vector<int>& rowSlots) {
  std::vector<DATABASESATELLITEINFO*> rows;
  for (int s : rowSlots) rows.push_back(&db.satellites.at(static_cast<std::size_t>(s)));
  return rows;
}

// The exchange procedure of the two satellite sorts: for every s, every r (not only r > s) with
// key[r] >= key[s] swaps places with s. It sorts ascending; ties end up as the swaps leave them.
template <class Key>
std::vector<int> ExchangeSortOrder(std::vector<Key> key) {
  const int n = static_cast<int>(key.size());
  std::vector<int> origin(static_cast<std::size_t>(n));
  for (int r = 0; r < n; ++r) origin[static_cast<std::size_t>(r)] = r;
  for (int s = 0; s < n; ++s) {
    for (int r = 0; r < n; ++r) {
      if (key[static_cast<std::size_t>(r)] >= key[static_cast<std::size_t>(s)]) {
        std::swap(key[static_cast<std::size_t>(r)], key[static_cast<std::size_t>(s)]);
        std::swap(origin[static_cast<std::size_t>(r)], origin[static_cast<std::size_t>(s)]);
      }
    }
  }
  return origin;
}

// Stable partition of the listed transponders: those for which `first` holds, then the others.
int BoundedRows(int rows) {
  return std::clamp(rows, 0, kTransponderSlots);
}

template <class Pred>
void PartitionTransponders(DATABASESATELLITEINFO& satellite, int rows, Pred first) {
  const int n = BoundedRows(rows);
  std::vector<int> order;
  for (int r = 0; r < n; ++r)
    if (first(satellite.transponders[static_cast<std::size_t>(r)])) order.push_back(r);
  for (int r = 0; r < n; ++r)
    if (!first(satellite.transponders[static_cast<std::size_t>(r)])) order.push_back(r);
  ApplyOrder(FirstRows(satellite.transponders, n), order);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

const char* PolarityText(std::int32_t polarity) {
  return Lookup(kPolarityTexts, polarity);
}
const char* FecText(std::int32_t fec) {
  return Lookup(kFecTexts, fec);
}
const char* ServiceText(std::int32_t fec) {
  if (fec == 0) return "TV";
  return fec >= 1 && fec <= kLastRadioService ? "Radio" : kUnknownText;
}
const char* BandText(std::int32_t band) {
  return Lookup(kBandTexts, band);
}

std::string SatelliteRow(int slot, const DATABASESATELLITEINFO& satellite) {
  return Format("%.3d ", slot + 1) + satellite.name +
         Format("(%u.%u E)", satellite.eastPosition / 10, satellite.eastPosition % 10);
}

std::string TransponderRow(int slot, const DATABASETRANSPONDERINFO& tp) {
  if (tp.analog())
    return Format("%.3d %5d-%5d-%s-%s (A)", slot + 1, tp.frequency, tp.symbolRate, PolarityText(tp.polarity),
                  ServiceText(tp.fec));
  return Format("%.3d %5d-%5d-%s-%s (D)", slot + 1, tp.frequency, tp.symbolRate, PolarityText(tp.polarity),
                FecText(tp.fec));
}

std::string ChannelRow(const DATABASECHANNELINFO& ch, bool analog) {
  if (analog) return Format("L(%3d) R(%3d) %s ", ch.videoPid, ch.audioPid, BandText(ch.pcrPid)) + ch.name;
  return Format("%4d %4d %4d ", ch.videoPid, ch.audioPid, ch.pcrPid) + ch.name;
}

std::vector<int> SatelliteRowSlots(const DATABASESATELLITETABLE& db) {
  std::vector<int> slots;
  for (int s = 0; s < kSatelliteSlots; ++s)
    if (SatelliteSlotUsed(db.satellites[static_cast<std::size_t>(s)])) slots.push_back(s);
  return slots;
}

int TransponderRowCount(const DATABASESATELLITEINFO& satellite) {
  int n = 0;
  while (n < kTransponderSlots && satellite.transponders[static_cast<std::size_t>(n)].frequency != 0) ++n;
  return n;
}

int ChannelRowCount(const DATABASETRANSPONDERINFO& transponder) {
  int n = 0;
  while (n < kChannelSlots && transponder.channels[static_cast<std::size_t>(n)].used()) ++n;
  return n;
}

int FirstUnusedSatelliteSlot(const DATABASESATELLITEINFO* satellites, int count) {
  for (int s = 0; s < count; ++s)
    if (!SatelliteSlotUsed(satellites[s])) return s;
  return -1;
}

int NamedSatelliteSlots(const std::vector<int>& rowSlots) {
  return rowSlots.empty() ? 0 : rowSlots.back() + 1;
}

int DefinedChannelCount(const DATABASESATELLITEINFO& satellite) {
  int n = 0;
  for (const auto& tp : satellite.transponders) {
    if (!tp.used()) continue;
    for (const auto& ch : tp.channels) n += ch.used() ? 1 : 0;
  }
  return n;
}

std::string StatusLine(const DATABASESATELLITETABLE& db, int satelliteRows, int selectedSlot) {
  int transponders = 0;
  int channels = 0;
  for (const auto& sat : db.satellites) {
    for (const auto& tp : sat.transponders) transponders += tp.used() ? 1 : 0;
    channels += DefinedChannelCount(sat);
  }
  const int current = selectedSlot >= 0 && selectedSlot < kSatelliteSlots
                          ? DefinedChannelCount(db.satellites[static_cast<std::size_t>(selectedSlot)])
                          : 0;
  return Format(
      "All Satellites (%d), All TPs(%d), All define channels(%d), Current satellite define chanenls(%d)",
      satelliteRows, transponders, channels, current);
}

std::vector<int> DropOrder(const std::vector<bool>& selected, int target) {
  const int n = static_cast<int>(selected.size());
  if (target < 0 || target >= n) return {};
  const int k = static_cast<int>(std::count(selected.begin(), selected.end(), true));
  std::vector<int> order(static_cast<std::size_t>(n), -1);
  int i = 0;
  for (int r = 0; r < n; ++r) {
    if (selected[static_cast<std::size_t>(r)]) continue;
    if (target <= i && i <= target + k - 1) i = target + k;
    order[static_cast<std::size_t>(i++)] = r;
  }
  int j = std::min(i, target);
  for (int r = 0; r < n; ++r)
    if (selected[static_cast<std::size_t>(r)]) order[static_cast<std::size_t>(j++)] = r;
  return order;
}

std::vector<int> KeptRows(const std::vector<bool>& selected) {
  std::vector<int> kept;
  for (std::size_t r = 0; r < selected.size(); ++r)
    if (!selected[r]) kept.push_back(static_cast<int>(r));
  return kept;
}

void DropSatellites(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots,
                    const std::vector<bool>& selected, int target) {
  if (selected.size() != rowSlots.size()) return;
  const std::vector<int> order = DropOrder(selected, target);
  if (!order.empty()) ApplyOrder(SatelliteRows(db, rowSlots), order);
}

void DeleteSatellites(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots,
                      const std::vector<bool>& selected) {
  if (selected.size() != rowSlots.size() || rowSlots.empty()) return;
  const std::vector<int> kept = KeptRows(selected);
  auto slot = [&](std::size_t row) -> DATABASESATELLITEINFO& {
    return db.satellites.at(static_cast<std::size_t>(rowSlots[row]));
  };
  std::size_t i = 0;
  for (; i < kept.size(); ++i)
    if (static_cast<std::size_t>(kept[i]) != i) slot(i) = std::move(slot(static_cast<std::size_t>(kept[i])));
  // The rows left over become empty, and so does every slot after the last row.
  for (; i < rowSlots.size(); ++i)
    db.satellites.at(static_cast<std::size_t>(rowSlots[i])) = DATABASESATELLITEINFO{};
  for (int s = rowSlots.back() + 1; s < kSatelliteSlots; ++s)
    db.satellites[static_cast<std::size_t>(s)] = DATABASESATELLITEINFO{};
}

std::vector<int> SatelliteNameOrder(const DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots) {
  std::vector<std::string> key;
  for (int s : rowSlots) key.push_back(db.satellites.at(static_cast<std::size_t>(s)).name);
  return ExchangeSortOrder(std::move(key));
}

std::vector<int> SatelliteDegreeOrder(const DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots) {
  std::vector<std::uint32_t> key;
  for (int s : rowSlots) key.push_back(db.satellites.at(static_cast<std::size_t>(s)).eastPosition);
  return ExchangeSortOrder(std::move(key));
}

void SortSatellitesByName(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots) {
  ApplyOrder(SatelliteRows(db, rowSlots), SatelliteNameOrder(db, rowSlots));
}

void SortSatellitesByDegree(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots) {
  ApplyOrder(SatelliteRows(db, rowSlots), SatelliteDegreeOrder(db, rowSlots));
}

std::vector<int> InverseOrder(const std::vector<int>& order) {
  std::vector<int> inverse(order.size(), -1);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto from = static_cast<std::size_t>(order[i]);
    if (from < inverse.size()) inverse[from] = static_cast<int>(i);
  }
  return inverse;
}

bool IsIdentityOrder(const std::vector<int>& order) {
  for (std::size_t i = 0; i < order.size(); ++i)
    if (static_cast<std::size_t>(order[i]) != i) return false;
  return true;
}

void DropTransponders(DATABASESATELLITEINFO& satellite, const std::vector<bool>& selected, int target) {
  DropInArray(satellite.transponders, selected, target);
}

void DeleteTransponders(DATABASESATELLITEINFO& satellite, const std::vector<bool>& selected) {
  DeleteInArray(satellite.transponders, selected);
}

void SortTranspondersByFrequency(DATABASESATELLITEINFO& satellite, int rows) {
  const int n = BoundedRows(rows);
  auto& tps = satellite.transponders;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (static_cast<std::uint32_t>(tps[static_cast<std::size_t>(j)].frequency) <
          static_cast<std::uint32_t>(tps[static_cast<std::size_t>(i)].frequency))
        std::swap(tps[static_cast<std::size_t>(i)], tps[static_cast<std::size_t>(j)]);
}

void SortTranspondersKuToC(DATABASESATELLITEINFO& satellite, int rows) {
  SortTranspondersByFrequency(satellite, rows);
  PartitionTransponders(satellite, rows, [](const DATABASETRANSPONDERINFO& tp) {
    return static_cast<std::uint32_t>(tp.frequency) >= static_cast<std::uint32_t>(kKuBandFromMHz);
  });
}

void SortTranspondersAnalogFirst(DATABASESATELLITEINFO& satellite, int rows) {
  PartitionTransponders(satellite, rows, [](const DATABASETRANSPONDERINFO& tp) { return tp.analog(); });
}

void SortTranspondersDigitalFirst(DATABASESATELLITEINFO& satellite, int rows) {
  PartitionTransponders(satellite, rows, [](const DATABASETRANSPONDERINFO& tp) { return !tp.analog(); });
}

int PasteTransponders(DATABASESATELLITEINFO& satellite, int rows, const DATABASESATELLITEINFO& clipboard) {
  int n = BoundedRows(rows);
  int pasted = 0;
  for (int i = 0; i < kTransponderSlots; ++i) {
    const auto& from = clipboard.transponders[static_cast<std::size_t>(i)];
    if (n >= kTransponderSlots || from.frequency == 0) break;
    auto& to = satellite.transponders[static_cast<std::size_t>(n)];
    to.frequency = from.frequency;
    to.symbolRate = from.symbolRate;
    to.polarity = from.polarity;
    to.fec = from.fec;
    ++n;
    ++pasted;
  }
  return pasted;
}

void DropChannels(DATABASETRANSPONDERINFO& transponder, const std::vector<bool>& selected, int target) {
  DropInArray(transponder.channels, selected, target);
}

void DeleteChannels(DATABASETRANSPONDERINFO& transponder, const std::vector<bool>& selected) {
  DeleteInArray(transponder.channels, selected);
}

std::int32_t TextToInt32(std::string_view text, std::int32_t fallback) {
  return text::ParseDecimal(text).value_or(fallback);
}

std::string UnsignedText(std::int32_t value) {
  return std::to_string(static_cast<std::uint32_t>(value));
}

std::uint32_t TextToEastDegree(std::string_view text) {
  // Plain decimal notation only (blanks around, sign, digits, one point, exponent); strtold alone would also
  // take "inf", "nan" and hexadecimal.
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  const std::string body(text.substr(b, e - b));
  if (body.empty() || body.find_first_not_of("0123456789.+-eE") != std::string::npos) return 0;
  if (body.find_first_of("0123456789") == std::string::npos) return 0;
  errno = 0;
  char* end = nullptr;
  const long double value = std::strtold(body.c_str(), &end);
  if (end != body.c_str() + body.size() || errno == ERANGE) return 0;
  // The default rounding mode sends an exact half to the even neighbour.
  const long double tenths = std::nearbyint(value * 10.0L);
  constexpr long double kLimit = 9.2e18L;  // inside int64
  if (!std::isfinite(tenths) || std::fabs(tenths) > kLimit) return 0;
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(tenths));
}

std::string EastDegreeText(std::uint32_t tenths) {
  return Format("%u.%u", tenths / 10, tenths % 10);
}

std::string StoredSatelliteName(std::string name) {
  if (name.size() > kStoredSatelliteName) name.resize(kStoredSatelliteName);
  return name;
}

std::string StoredChannelName(std::string name) {
  if (name.size() > kStoredChannelName) name.resize(kStoredChannelName);
  return name;
}

std::int32_t StoredIndex(std::int32_t chosen, std::int32_t previous) {
  return chosen < 0 ? previous : chosen;
}

}  // namespace orvane::editor
