// The channel database editor without widgets: the texts of the three lists and the status line, the
// reorderings, deletions, sorts and paste that the pop-up menus run, and the conversions of the record
// dialogs. The editor window and orvane-cli both call these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "channeldb/records.h"

namespace orvane::editor {

// Transponders from this frequency (MHz) up are Ku band, below it C band ("Sory by KU->C", the CSV's band).
inline constexpr std::int32_t kKuBandFromMHz = 5000;

// ---- Row texts
// ---------------------------------------------------------------------------------------------

// Texts of the indexes; an index outside its table shows as "?" rather than reading past the table.
const char* PolarityText(std::int32_t polarity);  // "H", "V"
const char* FecText(std::int32_t fec);            // "AUTO", "1/2", ... "7/8"
const char* ServiceText(std::int32_t fec);        // analog: "TV", "Radio"
const char* BandText(std::int32_t band);          // "KU", "C"

std::string SatelliteRow(int slot, const DATABASESATELLITEINFO& satellite);
std::string TransponderRow(int slot, const DATABASETRANSPONDERINFO& transponder);
std::string ChannelRow(const DATABASECHANNELINFO& channel, bool analog);

// Row i of the satellite list stands for slot SatelliteRowSlots(db)[i]: the used slots in slot order. While
// the used slots come first without gaps (as every command of the editor keeps them) row i is slot i.
std::vector<int> SatelliteRowSlots(const DATABASESATELLITETABLE& db);
// Listed transponders: slots 0.. up to the first with frequency 0.
int TransponderRowCount(const DATABASESATELLITEINFO& satellite);
// Listed channels: slots 0.. up to the first with both first and second integer 0.
int ChannelRowCount(const DATABASETRANSPONDERINFO& transponder);
// The first satellite slot that is not used, or -1 when every slot is used.
int FirstUnusedSatelliteSlot(const DATABASESATELLITEINFO* satellites, int count);
// How many leading name slots a save must keep so that no listed satellite is renamed "OtherNN".
int NamedSatelliteSlots(const std::vector<int>& rowSlots);

// ---- Status line
// -------------------------------------------------------------------------------------------

// Used channel slots (all 32 counted) in the used transponders (all 120 counted) of one satellite.
int DefinedChannelCount(const DATABASESATELLITEINFO& satellite);
// `selectedSlot` is the slot of the selected satellite row, or -1 when no row is selected.
std::string StatusLine(const DATABASESATELLITETABLE& db, int satelliteRows, int selectedSlot);

// ---- Reordering and deletion (shared by the three lists)
// ----------------------------------------------------

// The reordering by drop of `n` rows onto row `target`: result[i] is the old row that lands at position i.
// Empty when `target` is not a row (nothing changes then).
std::vector<int> DropOrder(const std::vector<bool>& selected, int target);
// The rows that survive a deletion of the selected ones, in order.
std::vector<int> KeptRows(const std::vector<bool>& selected);

// Puts entry order[i] (old row) at row i; `rows` are pointers to the entries of rows 0..n-1. Works along the
// cycles of the permutation with one spare entry, so a full satellite list needs no 29 MB copy.
template <class T>
void ApplyOrder(const std::vector<T*>& rows, const std::vector<int>& order) {
  const std::size_t n = rows.size();
  if (order.size() != n) return;
  std::vector<bool> done(n);
  for (std::size_t start = 0; start < n; ++start) {
    if (done[start] || static_cast<std::size_t>(order[start]) == start) continue;
    T spare = std::move(*rows[start]);
    std::size_t j = start;
    for (;;) {
      done[j] = true;
      const auto k = static_cast<std::size_t>(order[j]);
      if (k == start) {
        *rows[j] = std::move(spare);
        break;
      }
      *rows[j] = std::move(*rows[k]);
      j = k;
    }
  }
}

// Satellites. `rowSlots` maps satellite rows to slots (SatelliteRowSlots).
void DropSatellites(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots,
                    const std::vector<bool>& selected, int target);
void DeleteSatellites(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots,
                      const std::vector<bool>& selected);
// The two sorts with their own exchange procedure: equal keys come out in the order the exchanges leave them.
void SortSatellitesByName(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots);
void SortSatellitesByDegree(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots);
// The row orders those two sorts apply (as DropOrder: result[i] is the old row that lands at row i).
std::vector<int> SatelliteNameOrder(const DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots);
std::vector<int> SatelliteDegreeOrder(const DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots);
// The order that puts back what ApplyOrder(rows, order) moved.
std::vector<int> InverseOrder(const std::vector<int>& order);
// Whether an order leaves every row where it is (or is empty).
bool IsIdentityOrder(const std::vector<int>& order);

// Transponders of one satellite. The rows are the first slots: as many as `selected` has entries, or `rows`
// (the list's row count, normally TransponderRowCount); both are bounded by the 120 slots.
void DropTransponders(DATABASESATELLITEINFO& satellite, const std::vector<bool>& selected, int target);
void DeleteTransponders(DATABASESATELLITEINFO& satellite, const std::vector<bool>& selected);
void SortTranspondersByFrequency(DATABASESATELLITEINFO& satellite, int rows);  // not stable, by design
void SortTranspondersKuToC(DATABASESATELLITEINFO& satellite, int rows);
void SortTranspondersAnalogFirst(DATABASESATELLITEINFO& satellite, int rows);   // "Sort by AD"
void SortTranspondersDigitalFirst(DATABASESATELLITEINFO& satellite, int rows);  // "Sort by DA"
// Appends the clipboard's transponders (without their channels) after row `rows`; returns how many.
int PasteTransponders(DATABASESATELLITEINFO& satellite, int rows, const DATABASESATELLITEINFO& clipboard);

// Channels of one transponder; the rows are the first selected.size() slots (at most 32).
void DropChannels(DATABASETRANSPONDERINFO& transponder, const std::vector<bool>& selected, int target);
void DeleteChannels(DATABASETRANSPONDERINFO& transponder, const std::vector<bool>& selected);

// ---- Record dialog conversions
// -----------------------------------------------------------------------------

// Signed 32-bit decimal text; anything else (letters, overflow, empty) gives `fallback`.
std::int32_t TextToInt32(std::string_view text, std::int32_t fallback);
// A 32-bit value shown as unsigned decimal (-5 shows as 4294967291).
std::string UnsignedText(std::int32_t value);
// East degree text to tenths: a decimal fraction times 10, rounded half to even; not a number gives 0.
std::uint32_t TextToEastDegree(std::string_view text);
// Tenths shown as "%d.%d": 192 as "19.2", 3590 as "359.0".
std::string EastDegreeText(std::uint32_t tenths);

// What the editor stores from a dialog. A name keeps only what its stored field holds, so the list shows
// what a save will write; a drop-down index of -1 (no row chosen) keeps the value the record had.
std::string StoredSatelliteName(std::string name);
std::string StoredChannelName(std::string name);
std::int32_t StoredIndex(std::int32_t chosen, std::int32_t previous);

}  // namespace orvane::editor
