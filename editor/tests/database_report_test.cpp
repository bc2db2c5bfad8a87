#include "editor/database_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "editor/tests/test_databases.h"

namespace ed = orvane::editor;
using namespace testdb;

namespace {

std::string Commas(int n) {
  return std::string(static_cast<std::size_t>(n), ',');
}

// Only what the lists show is exported: the digital transponder's third channel slot lies behind an empty
// one, the fifth transponder behind one with frequency 0, and slot 1 is an unused satellite.
TEST(DatabaseCsv, OneRowPerListedChannelInUtf8WithQuoting) {
  auto db = Empty();
  auto& sat =
      Put(*db, 0, "Caf\xe9, \"Sat\"", 192,
          {Tp(11778, 27500, V, kFec34, {Ch(100, 101, 102, "One"), Ch(0, 0, 0, ""), Ch(5, 5, 5, "hidden")}),
           Tp(3600, 0, H, 1, {Ch(720, 700, 1, "Radio\r\nX")}), Tp(12000, 22000, H, 0)});
  sat.transponders[4] = Tp(11000, 27500, H);
  Put(*db, 2, "Empty", 3590);

  const std::string sat1 = "1,\"Caf\xc3\xa9, \"\"Sat\"\"\",19.2,C+KU,";
  EXPECT_EQ(
      ed::DatabaseCsv(*db),
      "Satellite,Satellite name,Position,Band,Transponder,Frequency,Symbol rate,Polarity,FEC,Channel,Kind,"
      "Channel name,Video PID,Audio PID,PCR PID,Left audio,Right audio,Channel band\r\n" +
          sat1 + "1,11778,27500,V,3/4,1,digital,One,100,101,102,,,\r\n" + sat1 +
          "2,3600,0,H,Radio,1,analog,\"Radio\r\nX\",,,,720,700,C\r\n" + sat1 + "3,12000,22000,H,AUTO" +
          Commas(9) + "\r\n" + "3,Empty,359.0" + Commas(15) + "\r\n");
}

TEST(DatabaseCsv, SatelliteBandFromItsTransponders) {
  struct Case {
    std::vector<int> frequencies;
    const char* band;
  } cases[] = {{{}, ""}, {{3600, 4999}, "C"}, {{5000, 12000}, "KU"}, {{11000, 3700}, "C+KU"}};
  for (const auto& c : cases) {
    DATABASESATELLITEINFO sat;
    for (std::size_t t = 0; t < c.frequencies.size(); ++t)
      sat.transponders[t] = Tp(c.frequencies[t], 27500, H);
    EXPECT_EQ(ed::SatelliteBandText(sat), c.band) << c.frequencies.size();
  }
}

// Astra with a digital transponder of three channels and an empty one; Hot Bird with two transponders 2 MHz
// apart; an analog satellite; two satellites at one position, one per band.
std::unique_ptr<DATABASESATELLITETABLE> Base() {
  auto db = Empty();
  Put(*db, 0, "Astra 1L", 192,
      {Tp(11778, 27500, V, kFec34,
          {Ch(100, 101, 102, "Das Erste"), Ch(200, 201, 202, "ZDF"), Ch(300, 301, 302, "arte")}),
       Tp(12000, 27500, H)});
  Put(*db, 1, "Hot Bird", 130, {Tp(10992, 27500, V), Tp(10994, 27500, V)});
  Put(*db, 2, "Old Sat", 300, {Tp(3600, 0, H, 0, {Ch(720, 720, 1, "TV1"), Ch(720, 720, 1, "TV2")})});
  Put(*db, 3, "Eutelsat 10A(C)", 100, {Tp(3700, 27500, H)});
  Put(*db, 4, "Eutelsat 10A(KU)", 100, {Tp(11000, 27500, H)});
  return db;
}

TEST(CompareDatabases, ReportNestsWhatChangedUnderItsSatelliteAndTransponder) {
  const auto a = Base();
  auto b = Copy(*a);
  auto& astra = b->satellites[0].transponders[0];
  astra.frequency = 11779;  // within 2 MHz: the same transponder, changed
  astra.channels[1].name = "ZDF HD";
  astra.channels[2] = Ch(400, 401, 402, "Caf\xe9");  // "arte" goes, a new channel comes
  b->satellites[1].name = "Hot Bird 13";
  b->satellites[2] = DATABASESATELLITEINFO{};
  Put(*b, 2, "Thor", 3590, {Tp(10778, 24500, H)});

  const ed::DatabaseDiff diff = ed::CompareDatabases(*a, *b);
  EXPECT_FALSE(diff.equal());
  EXPECT_EQ(ed::DiffReport(*a, *b, diff, "a.tpd", "b.tpd"),
            "comparing a.tpd (-) with b.tpd (+)\n"
            "  satellite 001 Astra 1L(19.2 E)\n"
            "  ~ transponder 001 11778-27500-V-3/4 (D): frequency 11778 -> 11779\n"
            "    ~ channel 002  200  201  202 ZDF: name \"ZDF\" -> \"ZDF HD\"\n"
            "    - channel 003  300  301  302 arte\n"
            "    + channel 003  400  401  402 Caf\xc3\xa9\n"
            "~ satellite 002 Hot Bird(13.0 E): name \"Hot Bird\" -> \"Hot Bird 13\"\n"
            "- satellite 003 Old Sat(30.0 E) (1 transponder, 2 channels)\n"
            "+ satellite 003 Thor(359.0 E) (1 transponder, 0 channels)\n"
            "satellites: 1 added, 1 removed, 1 changed\n"
            "transponders: 0 added, 0 removed, 1 changed\n"
            "channels: 1 added, 1 removed, 1 changed\n"
            "the databases differ\n");
  // The window finds the changed channel on both sides from the entry's slots.
  const auto renamed = std::find_if(diff.entries.begin(), diff.entries.end(), [](const ed::DiffEntry& e) {
    return e.level == ed::DiffLevel::Channel && e.kind == ed::DiffKind::Changed;
  });
  ASSERT_NE(renamed, diff.entries.end());
  EXPECT_EQ(std::tie(renamed->satelliteA, renamed->transponderA, renamed->channelA, renamed->satelliteB,
                     renamed->transponderB, renamed->channelB),
            std::make_tuple(0, 0, 1, 0, 0, 1));

  const ed::DatabaseDiff same = ed::CompareDatabases(*a, *Copy(*a));
  EXPECT_TRUE(same.equal());
  EXPECT_EQ(ed::DiffReport(*a, *a, same, "a", "a"),
            "comparing a (-) with a (+)\n"
            "satellites: 0 added, 0 removed, 0 changed\n"
            "transponders: 0 added, 0 removed, 0 changed\n"
            "channels: 0 added, 0 removed, 0 changed\n"
            "the databases are equal\n");
}

struct Counts {
  int added, removed, changed, reordered;
  bool operator==(const Counts&) const = default;
};
Counts Of(const ed::DiffCount& c) {
  return {c.added, c.removed, c.changed, c.reordered};
}
void PrintTo(const Counts& c, std::ostream* os) {
  *os << "{" << c.added << ", " << c.removed << ", " << c.changed << ", " << c.reordered << "}";
}

// What counts as the same thing, as a change, or as something added and removed.
TEST(CompareDatabases, WhatIsTheSameThing) {
  using Db = DATABASESATELLITETABLE;
  using Edit = std::function<void(Db&)>;
  auto astraTp = [](DATABASESATELLITETABLE& db) -> DATABASETRANSPONDERINFO& {
    return db.satellites[0].transponders[0];
  };
  struct Case {
    const char* what;
    Edit edit;
    Counts satellites, transponders, channels;
  } cases[] = {
      {"renamed satellite, same position and band",
       [](Db& db) { db.satellites[1].name = "Hotbird"; },
       {0, 0, 1, 0},
       {},
       {}},
      {"moved satellite, same name",
       [](Db& db) { db.satellites[1].eastPosition = 131; },
       {0, 0, 1, 0},
       {},
       {}},
      {"DiSEqC code", [](Db& db) { db.satellites[1].diseqc = 4; }, {0, 0, 1, 0}, {}, {}},
      {"renamed and moved: another satellite",
       [](Db& db) {
         db.satellites[1].name = "Hotbird";
         db.satellites[1].eastPosition = 131;
       },
       {1, 1, 0, 0},
       {},
       {}},
      {"renamed, same position, other band: another satellite",
       [](Db& db) {
         db.satellites[1].name = "Hotbird";
         db.satellites[1].transponders[0].frequency = 3700;
         db.satellites[1].transponders[1].frequency = 3750;
       },
       {1, 1, 0, 0},
       {},
       {}},
      {"two satellites at one position, both renamed and swapped, told apart by band",
       [](Db& db) {
         Put(db, 3, "E10 KU", 100, {Tp(11000, 27500, H)});
         Put(db, 4, "E10 C", 100, {Tp(3700, 27500, H)});
       },
       {0, 0, 2, 1},
       {},
       {}},
      {"frequency 2 MHz off", [&](Db& db) { astraTp(db).frequency += 2; }, {}, {0, 0, 1, 0}, {}},
      {"frequency 3 MHz off", [&](Db& db) { astraTp(db).frequency += 3; }, {}, {1, 1, 0, 0}, {}},
      {"other polarity", [&](Db& db) { astraTp(db).polarity = H; }, {}, {1, 1, 0, 0}, {}},
      {"symbol rate and FEC",
       [&](Db& db) {
         astraTp(db).symbolRate = 22000;
         astraTp(db).fec = 5;
       },
       {},
       {0, 0, 1, 0},
       {}},
      {"of two transponders within 2 MHz the one at the same frequency pairs",
       [](Db& db) {
         auto& tps = db.satellites[1].transponders;
         tps[0] = tps[1];
         tps[1] = DATABASETRANSPONDERINFO{};
       },
       {},
       {0, 1, 0, 0},
       {}},
      {"channel renamed, same PIDs",
       [&](Db& db) { astraTp(db).channels[0].name = "ARD"; },
       {},
       {},
       {0, 0, 1, 0}},
      {"channel PIDs, same name",
       [&](Db& db) { astraTp(db).channels[0].videoPid = 110; },
       {},
       {},
       {0, 0, 1, 0}},
      {"channel PIDs and name",
       [&](Db& db) { astraTp(db).channels[0] = Ch(110, 111, 112, "ARD"); },
       {},
       {},
       {1, 1, 0, 0}},
      {"analog channel renamed: its values are no PIDs",
       [](Db& db) { db.satellites[2].transponders[0].channels[0].name = "TV3"; },
       {},
       {},
       {1, 1, 0, 0}},
      {"analog band",
       [](Db& db) { db.satellites[2].transponders[0].channels[0].pcrPid = 0; },
       {},
       {},
       {0, 0, 1, 0}},
      {"a removed satellite counts once",
       [](Db& db) { db.satellites[2] = DATABASESATELLITEINFO{}; },
       {0, 1, 0, 0},
       {},
       {}},
      {"a removed transponder counts once",
       [&](Db& db) {
         db.satellites[0].transponders[0] = db.satellites[0].transponders[1];
         db.satellites[0].transponders[1] = DATABASETRANSPONDERINFO{};
       },
       {},
       {0, 1, 0, 0},
       {}},
      {"satellites swapped",
       [](Db& db) { std::swap(db.satellites[0], db.satellites[1]); },
       {0, 0, 0, 1},
       {},
       {}},
      {"transponders sorted",
       [](Db& db) { std::swap(db.satellites[1].transponders[0], db.satellites[1].transponders[1]); },
       {},
       {0, 0, 0, 1},
       {}},
      {"channels moved",
       [&](Db& db) { std::swap(astraTp(db).channels[0], astraTp(db).channels[2]); },
       {},
       {},
       {0, 0, 0, 1}},
      {"a channel behind an empty slot is not listed",
       [&](Db& db) { astraTp(db).channels[4] = Ch(1, 2, 3, "x"); },
       {},
       {},
       {}},
  };
  const auto a = Base();
  for (const auto& c : cases) {
    auto b = Copy(*a);
    c.edit(*b);
    const ed::DatabaseDiff diff = ed::CompareDatabases(*a, *b);
    EXPECT_EQ(Of(diff.satellites), c.satellites) << c.what;
    EXPECT_EQ(Of(diff.transponders), c.transponders) << c.what;
    EXPECT_EQ(Of(diff.channels), c.channels) << c.what;
    // Swapping the sides swaps added and removed.
    const ed::DatabaseDiff back = ed::CompareDatabases(*b, *a);
    EXPECT_EQ(back.channels.added, diff.channels.removed) << c.what;
    EXPECT_EQ(back.transponders.removed, diff.transponders.added) << c.what;
  }
}

// A full database (156 x 120 x 32) with one channel renamed deep inside: found, at its slots.
TEST(CompareDatabases, FullDatabase) {
  auto a = Empty();
  for (int s = 0; s < kSatelliteSlots; ++s) {
    auto& sat = Put(*a, s, "Sat " + std::to_string(s), static_cast<unsigned>(s + 1));
    for (int t = 0; t < kTransponderSlots; ++t) {
      auto& tp = sat.transponders[static_cast<std::size_t>(t)];
      tp = Tp(10700 + 5 * t, 27500, t % 2);
      for (int c = 0; c < kChannelSlots; ++c)
        tp.channels[static_cast<std::size_t>(c)] =
            Ch(100 + c, 200 + c, 300 + c, "Channel " + std::to_string(c));
    }
  }
  auto b = Copy(*a);
  b->satellites[150].transponders[117].channels[30].name = "Renamed";
  const ed::DatabaseDiff diff = ed::CompareDatabases(*a, *b);
  ASSERT_EQ(diff.entries.size(), 1u);
  const ed::DiffEntry& e = diff.entries[0];
  EXPECT_EQ(e.kind, ed::DiffKind::Changed);
  EXPECT_EQ(std::tie(e.satelliteA, e.transponderA, e.channelA, e.satelliteB, e.transponderB, e.channelB),
            std::make_tuple(150, 117, 30, 150, 117, 30));
  EXPECT_EQ(e.changes, "name \"Channel 30\" -> \"Renamed\"");
}

}  // namespace
