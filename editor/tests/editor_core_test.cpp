#include "editor/editor_core.h"

#include <gtest/gtest.h>

#include <memory>

#include "editor/model_snapshot.h"
#include "editor/tests/test_databases.h"

namespace ed = orvane::editor;

namespace {

DATABASETRANSPONDERINFO Tp(int frequency, int symbolRate = 27500, int polarity = 0, int fec = 0) {
  DATABASETRANSPONDERINFO tp;
  tp.frequency = frequency;
  tp.symbolRate = symbolRate;
  tp.polarity = polarity;
  tp.fec = fec;
  return tp;
}

// A satellite whose transponders carry the given frequencies; each one's first channel names its origin row.
std::unique_ptr<DATABASESATELLITEINFO> SatelliteWith(const std::vector<int>& frequencies,
                                                     int symbolRate = 27500) {
  auto sat = std::make_unique<DATABASESATELLITEINFO>();
  for (std::size_t i = 0; i < frequencies.size(); ++i) {
    sat->transponders[i] = Tp(frequencies[i], symbolRate);
    sat->transponders[i].channels[0] = {100, 101, 102, "row" + std::to_string(i)};
  }
  return sat;
}

std::vector<std::string> Origins(const DATABASESATELLITEINFO& sat) {
  std::vector<std::string> out;
  for (int i = 0; i < ed::TransponderRowCount(sat); ++i) out.push_back(sat.transponders[i].channels[0].name);
  return out;
}

std::vector<bool> Selection(int n, std::initializer_list<int> rows) {
  std::vector<bool> s(static_cast<std::size_t>(n));
  for (int r : rows) s[static_cast<std::size_t>(r)] = true;
  return s;
}

std::unique_ptr<DATABASESATELLITETABLE> TableWith(const std::vector<std::pair<std::string, unsigned>>& sats) {
  auto db = std::make_unique<DATABASESATELLITETABLE>();
  for (std::size_t i = 0; i < sats.size(); ++i) {
    db->satellites[i].name = sats[i].first;
    db->satellites[i].eastPosition = sats[i].second;
    db->satellites[i].transponders[0] = Tp(10000 + static_cast<int>(i));
  }
  return db;
}

std::vector<std::string> Names(const DATABASESATELLITETABLE& db) {
  std::vector<std::string> out;
  for (int s : ed::SatelliteRowSlots(db)) out.push_back(db.satellites[s].name);
  return out;
}

}  // namespace

TEST(EditorRows, FormatsOfTheThreeLists) {
  DATABASESATELLITEINFO sat;
  sat.name = "Alpha 1 (KU)";
  sat.eastPosition = 192;
  EXPECT_EQ(ed::SatelliteRow(0, sat), "001 Alpha 1 (KU)(19.2 E)");
  sat.eastPosition = 3590;
  EXPECT_EQ(ed::SatelliteRow(122, sat), "123 Alpha 1 (KU)(359.0 E)");

  struct Case {
    DATABASETRANSPONDERINFO tp;
    const char* row;
  } cases[] = {
      {Tp(11778, 27500, 1, 3), "005 11778-27500-V-3/4 (D)"},
      {Tp(3600, 2000, 0, 5), "005  3600- 2000-H-7/8 (D)"},
      {Tp(3800, 0, 0, 0), "005  3800-    0-H-TV (A)"},
      {Tp(3800, 0, 1, 5), "005  3800-    0-V-Radio (A)"},
      // Indexes the receiver does not know show as "?" instead of reading past the text tables.
      {Tp(12000, 27500, 7, 15), "005 12000-27500-?-? (D)"},
      {Tp(3800, 0, -1, 6), "005  3800-    0-?-? (A)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ed::TransponderRow(4, c.tp), c.row);

  EXPECT_EQ(ed::ChannelRow({160, 80, 160, "News"}, false), " 160   80  160 News");
  EXPECT_EQ(ed::ChannelRow({720, 702, 1, "Radio"}, true), "L(720) R(702) C Radio");
  EXPECT_EQ(ed::ChannelRow({72, 7, 0, ""}, true), "L( 72) R(  7) KU ");
}

TEST(EditorRows, ListedCountsStopAtTheFirstEmptySlot) {
  auto sat = SatelliteWith({11000, 12000, 0, 10700});
  EXPECT_EQ(ed::TransponderRowCount(*sat), 2);
  DATABASETRANSPONDERINFO tp;
  tp.channels[0] = {1, 0, 0, "a"};
  tp.channels[1] = {0, 2, 0, "b"};
  tp.channels[3] = {5, 5, 5, "hidden"};
  EXPECT_EQ(ed::ChannelRowCount(tp), 2);

  // Satellites: unused slots (position 0 and no name or an "Other" name) have no row.
  auto db = TableWith({{"A", 10}, {"", 0}, {"Other03", 0}, {"Otherworld", 5}, {"B", 0}});
  EXPECT_EQ(ed::SatelliteRowSlots(*db), (std::vector<int>{0, 3, 4}));
  EXPECT_EQ(ed::NamedSatelliteSlots(ed::SatelliteRowSlots(*db)), 5);
  EXPECT_EQ(ed::FirstUnusedSatelliteSlot(db->satellites.data(), kSatelliteSlots), 1);
}

TEST(EditorRows, StatusLineCountsEverySlot) {
  auto db = TableWith({{"A", 10}, {"B", 20}});
  auto& a = db->satellites[0];
  a.transponders[0].channels[0] = {1, 2, 3, "x"};
  a.transponders[0].channels[31] = {0, 9, 0, "late"};  // counted although not listed
  a.transponders[5] = Tp(0, 1000);                     // used (symbol rate) although not listed
  a.transponders[5].channels[0] = {4, 4, 4, "y"};
  db->satellites[1].transponders[0].channels[0] = {1, 1, 1, "z"};
  db->satellites[1].transponders[1].channels[0] = {1, 1, 1, "in an unused transponder"};
  EXPECT_EQ(ed::StatusLine(*db, 2, 0),
            "All Satellites (2), All TPs(3), All define channels(4), Current satellite define chanenls(3)");
  EXPECT_EQ(ed::StatusLine(*db, 2, -1),
            "All Satellites (2), All TPs(3), All define channels(4), Current satellite define chanenls(0)");
}

TEST(EditorReorder, DropOrderExamples) {
  EXPECT_EQ(ed::DropOrder(Selection(5, {1, 2}), 4), (std::vector<int>{0, 3, 4, 1, 2}));
  EXPECT_EQ(ed::DropOrder(Selection(5, {3}), 1), (std::vector<int>{0, 3, 1, 2, 4}));
  EXPECT_EQ(ed::DropOrder(Selection(5, {0, 4}), 2), (std::vector<int>{1, 2, 0, 4, 3}));
  EXPECT_EQ(ed::DropOrder(Selection(5, {}), 2), (std::vector<int>{0, 1, 2, 3, 4}));
  // Below the last row, or no row at all: nothing changes.
  EXPECT_TRUE(ed::DropOrder(Selection(5, {1}), 5).empty());
  EXPECT_TRUE(ed::DropOrder(Selection(5, {1}), -1).empty());
  // Every outcome is a permutation, whatever the selection and target.
  for (int mask = 0; mask < 64; ++mask) {
    for (int t = 0; t < 6; ++t) {
      std::vector<bool> sel(6);
      for (int r = 0; r < 6; ++r) sel[r] = (mask >> r) & 1;
      auto order = ed::DropOrder(sel, t);
      std::sort(order.begin(), order.end());
      ASSERT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5})) << mask << " " << t;
    }
  }
}

TEST(EditorReorder, DroppedTranspondersAndSatellitesTakeTheirContentAlong) {
  auto sat = SatelliteWith({10, 11, 12, 13, 14});
  ed::DropTransponders(*sat, Selection(5, {1, 2}), 4);
  EXPECT_EQ(Origins(*sat), (std::vector<std::string>{"row0", "row3", "row4", "row1", "row2"}));
  EXPECT_EQ(sat->transponders[3].frequency, 11);

  auto db = TableWith({{"S0", 1}, {"S1", 2}, {"S2", 3}, {"S3", 4}, {"S4", 5}});
  ed::DropSatellites(*db, ed::SatelliteRowSlots(*db), Selection(5, {3}), 1);
  EXPECT_EQ(Names(*db), (std::vector<std::string>{"S0", "S3", "S1", "S2", "S4"}));
  EXPECT_EQ(db->satellites[1].transponders[0].frequency, 10003);

  DATABASETRANSPONDERINFO tp;
  for (int c = 0; c < 3; ++c) tp.channels[c] = {c + 1, 1, 1, "c" + std::to_string(c)};
  ed::DropChannels(tp, Selection(3, {0}), 2);
  EXPECT_EQ(tp.channels[2].name, "c0");
  EXPECT_EQ(tp.channels[0].name, "c1");
}

TEST(EditorDelete, SelectedRowsGoAndTheRestFillsWithEmptySlots) {
  auto sat = SatelliteWith({10, 11, 12, 13});
  sat->transponders[6] = Tp(99);  // beyond the listed rows: cleared like every slot after the kept ones
  ed::DeleteTransponders(*sat, Selection(4, {0, 2}));
  EXPECT_EQ(Origins(*sat), (std::vector<std::string>{"row1", "row3"}));
  for (int t = 2; t < kTransponderSlots; ++t) EXPECT_EQ(sat->transponders[t], DATABASETRANSPONDERINFO{}) << t;

  auto db = TableWith({{"S0", 1}, {"S1", 2}, {"S2", 3}});
  ed::DeleteSatellites(*db, ed::SatelliteRowSlots(*db), Selection(3, {0, 1, 2}));
  EXPECT_TRUE(ed::SatelliteRowSlots(*db).empty());
  for (const auto& s : db->satellites) EXPECT_EQ(s, DATABASESATELLITEINFO{});

  DATABASETRANSPONDERINFO tp;
  for (int c = 0; c < 4; ++c) tp.channels[c] = {c + 1, 1, 1, "c" + std::to_string(c)};
  ed::DeleteChannels(tp, Selection(4, {3}));
  EXPECT_EQ(ed::ChannelRowCount(tp), 3);
  EXPECT_EQ(tp.channels[3], DATABASECHANNELINFO{});
}

TEST(EditorSort, SatelliteSortsUseTheirOwnExchange) {
  // Three equal keys in slots 0, 1, 2 come out as 2, 0, 1.
  auto db = TableWith({{"Same", 100}, {"Same", 200}, {"Same", 300}});
  ed::SortSatellitesByName(*db, ed::SatelliteRowSlots(*db));
  EXPECT_EQ(db->satellites[0].eastPosition, 300u);
  EXPECT_EQ(db->satellites[1].eastPosition, 100u);
  EXPECT_EQ(db->satellites[2].eastPosition, 200u);

  db = TableWith({{"beta", 1}, {"Zeta", 2}, {"alpha", 3}, {"Alpha", 4}});
  ed::SortSatellitesByName(*db, ed::SatelliteRowSlots(*db));
  EXPECT_EQ(Names(*db), (std::vector<std::string>{"Alpha", "Zeta", "alpha", "beta"}));
  // Transponders travel with their satellite.
  EXPECT_EQ(db->satellites[0].transponders[0].frequency, 10003);

  db = TableWith({{"W", 3590}, {"Z", 0}, {"E", 192}, {"F", 130}});
  ed::SortSatellitesByDegree(*db, ed::SatelliteRowSlots(*db));
  EXPECT_EQ(Names(*db), (std::vector<std::string>{"Z", "F", "E", "W"}));
}

TEST(EditorSort, TransponderSorts) {
  // Sort by frequency is not stable: the exchanges decide the order of equal frequencies.
  auto sat = SatelliteWith({12000, 12000, 11000});  // A, B, C
  ed::SortTranspondersByFrequency(*sat, ed::TransponderRowCount(*sat));
  EXPECT_EQ(Origins(*sat), (std::vector<std::string>{"row2", "row1", "row0"}));
  sat = SatelliteWith({12000, 11000, 12000});  // A, C, B
  ed::SortTranspondersByFrequency(*sat, ed::TransponderRowCount(*sat));
  EXPECT_EQ(Origins(*sat), (std::vector<std::string>{"row1", "row0", "row2"}));

  sat = SatelliteWith({3600, 11000, 4000, 12500});
  ed::SortTranspondersKuToC(*sat, ed::TransponderRowCount(*sat));
  EXPECT_EQ(Origins(*sat), (std::vector<std::string>{"row1", "row3", "row0", "row2"}));

  // A = analog (symbol rate 0), D = digital; each group keeps its order.
  auto mixed = SatelliteWith({11000, 11100, 11200, 11300, 11400});
  mixed->transponders[1].symbolRate = 0;
  mixed->transponders[3].symbolRate = 0;
  auto copy = std::make_unique<DATABASESATELLITEINFO>(*mixed);
  ed::SortTranspondersAnalogFirst(*mixed, ed::TransponderRowCount(*mixed));
  EXPECT_EQ(Origins(*mixed), (std::vector<std::string>{"row1", "row3", "row0", "row2", "row4"}));
  ed::SortTranspondersDigitalFirst(*copy, ed::TransponderRowCount(*copy));
  EXPECT_EQ(Origins(*copy), (std::vector<std::string>{"row0", "row2", "row4", "row1", "row3"}));
}

TEST(EditorPaste, AppendsUpTo120TransponderswithoutChannels) {
  std::vector<int> freqs(110);
  for (int i = 0; i < 110; ++i) freqs[i] = 10000 + i;
  auto sat = SatelliteWith(freqs);
  auto clip = SatelliteWith(std::vector<int>(20, 12345));
  EXPECT_EQ(ed::PasteTransponders(*sat, 110, *clip), 10);
  EXPECT_EQ(ed::TransponderRowCount(*sat), 120);
  EXPECT_EQ(sat->transponders[115].frequency, 12345);
  EXPECT_FALSE(sat->transponders[115].channels[0].used());

  auto small = SatelliteWith({11000});
  EXPECT_EQ(ed::PasteTransponders(*small, 1, DATABASESATELLITEINFO{}), 0);  // empty clipboard
  EXPECT_EQ(ed::PasteTransponders(*small, 1, *SatelliteWith({1, 2, 0, 4})), 2);
  EXPECT_EQ(ed::TransponderRowCount(*small), 3);
}

TEST(EditorDialogValues, Conversions) {
  struct IntCase {
    const char* text;
    std::int32_t fallback, expected;
  } ints[] = {
      {"11a78", 0, 0},      {"x", 720, 720},
      {"", 0, 0},           {"-5", 0, -5},
      {"27500", 0, 27500},  {" 12", 0, 12},
      {"12 ", 0, 0},        {"2147483647", 0, 2147483647},
      {"2147483648", 7, 7}, {"-2147483648", 0, INT32_MIN},
      {"+3", 0, 3},         {"-", 9, 9},
  };
  for (const auto& c : ints) EXPECT_EQ(ed::TextToInt32(c.text, c.fallback), c.expected) << c.text;
  EXPECT_EQ(ed::UnsignedText(-5), "4294967291");
  EXPECT_EQ(ed::UnsignedText(720), "720");

  struct DegreeCase {
    const char* text;
    std::uint32_t tenths;
  } degrees[] = {
      {"13", 130}, {"19.25", 192},        {"0.0", 0},          {"19.2", 192}, {"359.0", 3590},
      {"0.05", 0}, {"0.15", 2},           {"abc", 0},          {"", 0},       {"nan", 0},
      {"0x10", 0}, {"-0.5", 4294967291u}, {"-1", 4294967286u}, {"1e1", 100},
  };
  for (const auto& c : degrees) EXPECT_EQ(ed::TextToEastDegree(c.text), c.tenths) << c.text;
  EXPECT_EQ(ed::EastDegreeText(130), "13.0");
  EXPECT_EQ(ed::EastDegreeText(192), "19.2");
  EXPECT_EQ(ed::EastDegreeText(3590), "359.0");
}

TEST(EditorDialogValues, WhatTheEditorStores) {
  EXPECT_EQ(ed::StoredSatelliteName(std::string(40, 'n')).size(), 30u);
  EXPECT_EQ(ed::StoredSatelliteName("Short"), "Short");
  EXPECT_EQ(ed::StoredChannelName(std::string(28, 'c')).size(), 27u);
  EXPECT_EQ(ed::StoredIndex(-1, 4), 4);
  EXPECT_EQ(ed::StoredIndex(1, 4), 1);
}

// ---- Snapshots of the whole model and reversed orders (the undo of imports, opens, moves and sorts)

TEST(ModelSnapshot, BringsBackEverySlotThatHeldSomethingAndRefusesDamagedBytes) {
  auto db = testdb::Empty();
  db->count = 7;
  testdb::Put(*db, 0, "First", 192, {testdb::Tp(11000, 27500, testdb::H, 3, {testdb::Ch(1, 2, 3, "a")})});
  // Content the lists never show must come back as well: a slot after a gap, a transponder after a
  // frequency-0 slot, a channel after an unused one, a name longer than the file field.
  auto& far = testdb::Put(*db, 155, std::string(40, 'x'), 0);
  far.diseqc = -5;
  far.transponders[119] = testdb::Tp(0, 0, testdb::V, 2, {testdb::Ch(0, 0, 9, "")});
  db->satellites[0].transponders[0].channels[31] = testdb::Ch(7, 0, 0, "last");
  const std::string snapshot = ed::SnapshotModel(*db);
  EXPECT_LT(snapshot.size(), 1000u);

  auto back = testdb::Empty();
  testdb::Put(*back, 3, "stale", 10);  // what a restore replaces
  ASSERT_TRUE(ed::RestoreModel(snapshot, *back));
  EXPECT_TRUE(*back == *db);

  for (std::size_t cut : {std::size_t{0}, std::size_t{3}, snapshot.size() / 2, snapshot.size() - 1})
    EXPECT_FALSE(ed::RestoreModel(std::string_view(snapshot).substr(0, cut), *back)) << cut;
  EXPECT_FALSE(ed::RestoreModel(snapshot + "x", *back));
  std::string badSlot = snapshot;
  badSlot[4] = static_cast<char>(200);  // a satellite slot past the last one
  EXPECT_FALSE(ed::RestoreModel(badSlot, *back));
}

TEST(ReorderUndo, TheInverseOrderPutsEveryRowBack) {
  const std::vector<std::vector<int>> orders = {ed::DropOrder({false, true, true, false, false}, 4),
                                                ed::DropOrder({false, false, false, true, false}, 1),
                                                {2, 0, 1},
                                                {0, 1, 2}};
  for (const auto& order : orders) {
    std::vector<int> rows(order.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i) * 10;
    const auto original = rows;
    std::vector<int*> pointers;
    for (auto& r : rows) pointers.push_back(&r);
    ed::ApplyOrder(pointers, order);
    ed::ApplyOrder(pointers, ed::InverseOrder(order));
    EXPECT_EQ(rows, original);
  }
  EXPECT_TRUE(ed::IsIdentityOrder({0, 1, 2}));
  EXPECT_FALSE(ed::IsIdentityOrder({0, 2, 1}));
}
