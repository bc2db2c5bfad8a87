// Finding things in the whole database from one query, and the transponders of a satellite that repeat an
// earlier one. Only what the editor lists is looked at: the used satellite slots, each satellite's
// transponders up to the first with frequency 0 and each transponder's channels up to the first unused slot.
#pragma once

#include <compare>
#include <cstdint>
#include <string_view>
#include <vector>

#include "channeldb/records.h"

namespace orvane::editor {

// Frequencies are stored in MHz; two transponders whose frequencies lie this close (or closer) and whose
// polarity is the same are one transponder, for Find, Duplicates and Compare alike.
inline constexpr std::int32_t kSameTransponderMHz = 2;

bool SameTransponder(const DATABASETRANSPONDERINFO& a, const DATABASETRANSPONDERINFO& b);

// One match, as slots: a satellite (transponder and channel -1), a transponder of it (channel -1) or a
// channel of that transponder. Matches compare in list order: a satellite before its transponders, a
// transponder before its channels.
struct FindMatch {
  int satellite = -1;
  int transponder = -1;
  int channel = -1;
  auto operator<=>(const FindMatch&) const = default;
};

// Every match of `query` in list order. The query is in the names' own bytes (Latin-1), blanks around it
// ignored; what it finds:
//  - "H" or "V" (either case) alone: the transponders of that polarity;
//  - a frequency and a polarity ("11881 V", "11881v"): the transponders of that polarity whose frequency lies
//    within 2 MHz;
//  - anything else finds the satellites and channels whose name contains it, case-insensitively (Latin-1
//    letters); and in addition
//  - a whole number N (up to 9 digits) finds the satellites at N.0 to N.9 degrees East, the transponders
//  whose
//    frequency lies within 2 MHz of N or whose symbol rate is N, and the channels of digital transponders
//    with N as video, audio or PCR PID (an analog channel's values are audio frequencies and a band, no
//    PIDs);
//  - a position with one decimal or a compass letter ("19.2", "19.2E", "0.8 W", "30W") finds the satellites
//    at exactly that position (West is turned into East: 0.8 W is 359.2 E).
// An empty query finds nothing. One pass over the database; cheap enough to run again after every edit.
std::vector<FindMatch> FindInDatabase(const DATABASESATELLITETABLE& db, std::string_view query);

// For F3: the index of the first match after `from` in list order, wrapping round to the first match; -1 when
// there are none. `from` is the match shown last, or where the user stands: (satellite, -1, -1) in the
// satellite list, (satellite, transponder, -1) in the transponder list, all three in the channel list.
int NextMatch(const std::vector<FindMatch>& matches, const FindMatch& from);

// The listed transponder rows of `satellite` that repeat an earlier row (same polarity, frequency within
// 2 MHz), ascending. A row is compared with the earlier rows that are kept, not with earlier duplicates, so
// deleting the rows returned never takes away a transponder that nothing kept stands for: of 11000, 11002 and
// 11004 MHz only 11002 is returned. Compares each row with the kept ones before it: at most 120 x 120 checks.
std::vector<int> DuplicateTransponderRows(const DATABASESATELLITEINFO& satellite);

}  // namespace orvane::editor
