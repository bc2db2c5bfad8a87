#include "editor/database_find.h"

#include <gtest/gtest.h>

#include "editor/tests/test_databases.h"

namespace ed = orvane::editor;
using namespace testdb;

namespace orvane::editor {
void PrintTo(const FindMatch& m, std::ostream* os) {
  *os << "(" << m.satellite << "," << m.transponder << "," << m.channel << ")";
}
}  // namespace orvane::editor

namespace {

using M = ed::FindMatch;

std::unique_ptr<DATABASESATELLITETABLE> Sample() {
  auto db = Empty();
  Put(*db, 0, "Astra 1L", 192,
      {Tp(11881, 27500, H, kFec34, {Ch(101, 102, 103, "Das Erste"), Ch(201, 202, 203, "Astra Info")}),
       Tp(11884, 22000, V), Tp(3600, 0, H, 0, {Ch(101, 720, 0, "Analog One")})});
  Put(*db, 1, "Caf\xe9 Sat", 3590, {Tp(10971, 27500, V)});
  Put(*db, 2, "Nineteen", 190, {Tp(11879, 29700, H)});
  return db;
}

TEST(FindInDatabase, WhatAQueryFinds) {
  const auto db = Sample();
  struct Case {
    const char* query;
    std::vector<M> found;
  } cases[] = {
      {"", {}},
      {"  ", {}},
      {"astra", {{0, -1, -1}, {0, 0, 1}}},  // names, either case
      {" erste ", {{0, 0, 0}}},             // blanks around ignored
      {"CAF\xc9", {{1, -1, -1}}},           // Latin-1 capitals fold too
      {"19.2", {{0, -1, -1}}},              // exact position
      {"19.2 e", {{0, -1, -1}}},
      {"19", {{0, -1, -1}, {2, -1, -1}}},  // whole degrees: 19.0 to 19.9
      {"1W", {{1, -1, -1}}},               // 1.0 W is 359.0 E
      {"1.0 w", {{1, -1, -1}}},
      {"11881", {{0, 0, -1}, {2, 0, -1}}},  // within 2 MHz: 11879 and 11881, not 11884
      {"11883", {{0, 0, -1}, {0, 1, -1}}},
      {"27500", {{0, 0, -1}, {1, 0, -1}}},  // symbol rate
      {"101", {{0, 0, 0}}},                 // PID; the analog channel's 101 is an audio frequency
      {"203", {{0, 0, 1}}},
      {"h", {{0, 0, -1}, {0, 2, -1}, {2, 0, -1}}},
      {"V", {{0, 1, -1}, {1, 0, -1}}},
      {"11883v", {{0, 1, -1}}},  // frequency and polarity
      {"11881 V", {}},
      {"Sat", {{1, -1, -1}}},
  };
  for (const auto& c : cases) EXPECT_EQ(ed::FindInDatabase(*db, c.query), c.found) << c.query;
}

TEST(FindInDatabase, OnlyListedThingsAreFound) {
  auto db = Sample();
  db->satellites[0].transponders[0].channels[3] = Ch(1, 2, 3, "Behind an empty slot");
  db->satellites[0].transponders[4] = Tp(12500, 27500, H, kFec34, {Ch(1, 2, 3, "Behind frequency 0")});
  db->satellites[5].name = "Other05";  // an unused slot
  for (const char* query : {"behind", "12500", "other"})
    EXPECT_TRUE(ed::FindInDatabase(*db, query).empty()) << query;
}

TEST(FindInDatabase, NextMatchStepsOnAndWraps) {
  const std::vector<M> matches = {{0, 0, -1}, {0, 2, -1}, {2, 0, -1}};
  struct Case {
    M from;
    int next;
  } cases[] = {
      {{0, -1, -1}, 0},                   // standing on the satellite: its transponders come next
      {{0, 0, -1}, 1},  {{0, 0, 5}, 1},   // a channel of transponder 0: on to transponder 2
      {{1, -1, -1}, 2}, {{2, 0, -1}, 0},  // past the last: round to the first
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ed::NextMatch(matches, c.from), c.next)
        << c.from.satellite << "," << c.from.transponder << "," << c.from.channel;
  }
  EXPECT_EQ(ed::NextMatch({}, {0, 0, 0}), -1);
}

TEST(DuplicateTransponderRows, RowsThatRepeatAKeptOne) {
  struct Case {
    const char* what;
    std::vector<DATABASETRANSPONDERINFO> tps;
    std::vector<int> rows;
  } cases[] = {
      {"none", {Tp(11000, 27500, H), Tp(11003, 27500, H)}, {}},
      {"polarity differs", {Tp(11000, 27500, H), Tp(11000, 27500, V)}, {}},
      {"within 2 MHz either way, any symbol rate",
       {Tp(11000, 27500, H), Tp(12000, 27500, V), Tp(11002, 22000, H), Tp(11998, 0, V)},
       {2, 3}},
      {"a chain: the third is 4 MHz from the kept first",
       {Tp(11000, 27500, H), Tp(11002, 27500, H), Tp(11004, 27500, H)},
       {1}},
      {"repeats of one", {Tp(11000, 27500, H), Tp(11000, 27500, H), Tp(10999, 27500, H)}, {1, 2}},
  };
  for (const auto& c : cases) {
    DATABASESATELLITEINFO sat;
    for (std::size_t t = 0; t < c.tps.size(); ++t) sat.transponders[t] = c.tps[t];
    EXPECT_EQ(ed::DuplicateTransponderRows(sat), c.rows) << c.what;
  }
  // Rows behind the first frequency 0 are not listed, so not offered for deletion.
  DATABASESATELLITEINFO sat;
  sat.transponders[0] = Tp(11000, 27500, H);
  sat.transponders[2] = Tp(11000, 27500, H);
  EXPECT_TRUE(ed::DuplicateTransponderRows(sat).empty());
}

}  // namespace
