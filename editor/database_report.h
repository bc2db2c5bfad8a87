// The database as a CSV table, and what differs between two databases. Both look at what the editor lists:
// the used satellite slots, each satellite's transponders up to the first with frequency 0 and each
// transponder's channels up to the first unused slot. Names are Latin-1 bytes in the model; every text made
// here is UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "channeldb/records.h"

namespace orvane::editor {

// A satellite's band as its listed transponders say: "KU" when all lie at 5000 MHz or above, "C" when all lie
// below, "C+KU" for both, empty without transponders. (The model keeps no band of its own.)
std::string SatelliteBandText(const DATABASESATELLITEINFO& satellite);

// ---- Reading a file to export or compare
// ------------------------------------------------------------------------

// Reads the database image file at `path` into `db`. Export and compare work on what the file holds, so a
// file that cannot be read or is no database image file is refused (the editor's Open would show the built-in
// defaults instead): the result is why, or empty when `db` holds the file. What the editor has open is left
// alone (the library keeps its carried-over state for the next save).
std::string ReadDatabaseFile(const std::string& path, DATABASESATELLITETABLE& db);

// ---- Export
// -------------------------------------------------------------------------------------------------

// RFC 4180 CSV (CRLF line ends, fields with a comma, quote or line break quoted, quotes doubled) with a
// header row. One row per listed channel; a transponder without channels, and a satellite without
// transponders, is a row of its own with the fields to its right empty. Satellite, transponder and channel
// are numbered as the lists show them (slot + 1). Position in degrees East ("19.2"); the FEC column holds the
// service ("TV", "Radio") on an analog transponder, as its row does; Kind is "digital" or "analog" (the
// transponder's symbol rate decides); a digital channel fills the three PID columns, an analog one the two
// audio frequencies and its band.
std::string DatabaseCsv(const DATABASESATELLITETABLE& db);

// ---- Compare
// ------------------------------------------------------------------------------------------------
//
// What is the same thing on both sides:
//  - satellites are paired by name and position; those left, by position and band (a renamed satellite);
//    those left, by name when it is not empty (a moved one). In each step a satellite takes the first one
//    left on the other side, in list order.
//  - transponders of a paired satellite: same polarity and the same frequency, then same polarity and a
//    frequency within 2 MHz (the nearest one).
//  - channels of a paired transponder: on two digital transponders the same channel, then the same three
//  PIDs,
//    then the same name; otherwise (analog values are no PIDs) the same channel, then the same name.
// A thing is changed when a value of its own differs: satellite name, position, DiSEqC code; transponder
// frequency, symbol rate, FEC; channel name and its three values. Something added or removed is counted once:
// the transponders and channels of an added satellite are not counted again. Lists whose paired entries stand
// in another order are reported too (a sort is a difference: it changes the slots the file stores).
// Things at the same row with the same key pair first without hashing; the rest pair by hash per step, except
// the 2 MHz step, which compares the transponders left over of one satellite with each other (at most
// 120 x 120). A full database (156 x 120 x 32) compares in about 10 ms, and in about 0.15 s when every
// channel list has moved.

enum class DiffKind { Added, Removed, Changed, Reordered };
enum class DiffLevel { Satellite, Transponder, Channel };

// One difference. Slots on the first (a) and the second (b) side; -1 where it does not exist on that side.
// The slots above the entry's level (its satellite, its transponder) are both set except inside an added or
// removed thing, which is never entered. A Reordered entry names the list: the satellite list (all -1), the
// transponders of a satellite pair, or the channels of a transponder pair (its own slots -1).
struct DiffEntry {
  DiffKind kind;
  DiffLevel level;
  int satelliteA = -1, transponderA = -1, channelA = -1;
  int satelliteB = -1, transponderB = -1, channelB = -1;
  std::string changes;  // Changed: what differs, e.g. `name "Astra 1L" -> "Astra 1M", position 19.2 -> 19.3`
};

struct DiffCount {
  int added = 0;
  int removed = 0;
  int changed = 0;
  int reordered = 0;  // lists of these in another order
};

struct DatabaseDiff {
  // In list order of the first database: each satellite with what differs inside it, each transponder with
  // its channels; the things only the second has come after the ones of their list that both have.
  std::vector<DiffEntry> entries;
  DiffCount satellites, transponders, channels;
  bool equal() const { return entries.empty(); }
};

DatabaseDiff CompareDatabases(const DATABASESATELLITETABLE& a, const DATABASESATELLITETABLE& b);

// The report of `diff` (made from `a` and `b`): a first line naming the two sides, one line per entry marked
// "+" (only in b), "-" (only in a) or "~" (changed), indented by level under a line for the satellite and the
// transponder it belongs to, the list rows as the editor shows them; then the counts and whether the two are
// equal. UTF-8, lines ending in "\n".
std::string DiffReport(const DATABASESATELLITETABLE& a, const DATABASESATELLITETABLE& b,
                       const DatabaseDiff& diff, std::string_view nameA, std::string_view nameB);

// The report's last lines alone: the counts and whether the two are equal.
std::string DiffSummary(const DatabaseDiff& diff);

}  // namespace orvane::editor
