// The import over listings built line by line, over index files, and over the real listing file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "satcodx/satcodx_import.h"
#include "satcodx/tests/satcodx_fixtures.h"

namespace orvane::satcodx {
namespace {

using testing::C;
using testing::Index;
using testing::IndexLine;
using testing::Ku;
using testing::Rec;
using testing::WorkDir;

struct Tp {
  int frequency, symbolRate, polarity, fec;
  bool operator==(const Tp&) const = default;
};
struct Sat {
  std::string name;
  unsigned position;
  int diseqc;
  std::vector<Tp> tps;
};

std::vector<Tp> Transponders(const DATABASESATELLITEINFO& s) {
  std::vector<Tp> out;
  for (const auto& t : s.transponders) {
    if (t.frequency == 0) break;
    out.push_back({t.frequency, t.symbolRate, t.polarity, t.fec});
  }
  return out;
}

void PrintTo(const Tp& t, std::ostream* os) {
  *os << "{" << t.frequency << "," << t.symbolRate << "," << t.polarity << "," << t.fec << "}";
}

std::unique_ptr<DATABASESATELLITETABLE> NewDb() {
  return std::make_unique<DATABASESATELLITETABLE>();
}

// Imports one listing (index name "Alpha 1") and returns the satellites made.
std::vector<Sat> ImportOne(const std::vector<std::string>& lines, ImportReport* report = nullptr) {
  WorkDir dir;
  dir.Write("satcodx.imp", Index({IndexLine("127.0.0.1:18123", "0192", "alpha.sdx", "Alpha 1")}));
  std::string data;
  for (const auto& l : lines) data += l;
  dir.Write("import/alpha.sdx", data);
  auto db = NewDb();
  const ImportReport r = ImportSatcodx(*db, dir.path());
  if (report) *report = r;
  std::vector<Sat> sats;
  for (int s = 0; s < db->count; ++s) {
    const auto& sat = db->satellites[s];
    sats.push_back({sat.name, sat.eastPosition, sat.diseqc, Transponders(sat)});
  }
  for (int s = db->count; s < kSatelliteSlots; ++s)
    EXPECT_EQ(db->satellites[s], DATABASESATELLITEINFO{}) << s;
  return sats;
}

std::string L(const Rec& r, const char* eol = "\n") {
  return r.Line() + eol;
}

TEST(ImportPasses, BandsRepeatsAndLengths) {
  Rec pal = Ku("11000");
  pal.system = "PAL_";
  Rec ntsc = Ku("11100");
  ntsc.system = "NTSC";
  Rec none = Ku("11200");
  none.system = "____";
  Rec r126 = Ku("12000"), r127 = Ku("12100"), r132 = Ku("12200");
  r126.length = 126;
  r127.length = 127;
  r132.length = 132;
  Rec mpg4 = Ku("12300");
  mpg4.system = "MPG4";

  const Tp k11778{11778, 27500, 0, 3};
  const struct {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::pair<std::string, std::vector<Tp>>> sats;
  } cases[] = {
      {"only Ku", {L(Ku("11778")), L(Ku("12000", '0'))}, {{"Alpha 1(KU)", {k11778, {12000, 27500, 1, 3}}}}},
      {"only C",
       {L(C("3900")), L(C("4000", '3'))},
       {{"Alpha 1(C)", {{3900, 27500, 1, 3}, {4000, 27500, 0, 3}}}}},
      {"C then KU",
       {L(Ku("11778")), L(C("3900"))},
       {{"Alpha 1(C)", {{3900, 27500, 1, 3}}}, {"Alpha 1(KU)", {k11778}}}},
      {"analog only", {L(pal), L(ntsc), L(none)}, {}},
      {"MPG4 passed over", {L(mpg4)}, {}},
      {"5500 in both",
       {L(C("5500"))},
       {{"Alpha 1(C)", {{5500, 27500, 1, 3}}}, {"Alpha 1(KU)", {{5500, 27500, 1, 3}}}}},
      {"5499 and 5501",
       {L(C("5499")), L(C("5501"))},
       {{"Alpha 1(C)", {{5499, 27500, 1, 3}}}, {"Alpha 1(KU)", {{5501, 27500, 1, 3}}}}},
      {"repeats",
       {L(Ku("11778")), L(Ku("11778")), L(Ku("11778")), L(Ku("11778", '0')), L(Ku("11778", '0')),
        L(Ku("11778"))},
       {{"Alpha 1(KU)", {k11778, {11778, 27500, 1, 3}, k11778}}}},
      {"repeat spans a record of the other band",
       {L(Ku("11778")), L(C("3900")), L(Ku("11778"))},
       {{"Alpha 1(C)", {{3900, 27500, 1, 3}}}, {"Alpha 1(KU)", {k11778}}}},
      {"126 passed over, 127 and 132 read",
       {L(r126), L(r127), L(r132)},
       {{"Alpha 1(KU)", {{12100, 27500, 0, 3}, {12200, 27500, 0, 3}}}}},
      {"CR LF: the CR does not count",
       {L(r126, "\r\n"), L(r127, "\r\n")},
       {{"Alpha 1(KU)", {{12100, 27500, 0, 3}}}}},
      {"last line without LF",
       {L(Ku("11778")), Ku("12000").Line()},
       {{"Alpha 1(KU)", {k11778, {12000, 27500, 0, 3}}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto sats = ImportOne(c.lines);
    ASSERT_EQ(sats.size(), c.sats.size());
    for (std::size_t i = 0; i < sats.size(); ++i) {
      EXPECT_EQ(sats[i].name, c.sats[i].first);
      EXPECT_EQ(sats[i].tps, c.sats[i].second);
    }
  }
}

TEST(ImportPasses, RecordFiltersAndDigitMappings) {
  const auto with = [](auto change) {
    Rec r = Ku("11778");
    change(r);
    return L(r);
  };
  const struct {
    const char* name;
    std::string line;
    bool taken;
    Tp tp;
  } cases[] = {
      {"plain", with([](Rec&) {}), true, {11778, 27500, 0, 3}},
      {"audio 1 set", with([](Rec& r) { r.audio1 = "070"; }), false, {}},
      {"audio 2 set", with([](Rec& r) { r.audio2 = "074"; }), false, {}},
      {"no symbol rate", with([](Rec& r) { r.symbolRate = "_____"; }), false, {}},
      {"symbol rate 0", with([](Rec& r) { r.symbolRate = "00000"; }), false, {}},
      {"symbol rate text", with([](Rec& r) { r.symbolRate = "27x00"; }), false, {}},
      {"symbol rate negative", with([](Rec& r) { r.symbolRate = "-2750"; }), false, {}},
      {"symbol rate blank-led", with([](Rec& r) { r.symbolRate = "  220"; }), true, {11778, 220, 0, 3}},
      {"frequency 0", with([](Rec& r) { r.frequency = "00000"; }), false, {}},
      {"frequency text", with([](Rec& r) { r.frequency = "1177_"; }), false, {}},
      {"frequency negative", with([](Rec& r) { r.frequency = "-1177"; }), false, {}},
      {"polarisation 2 is V", with([](Rec& r) { r.polarisation = '2'; }), true, {11778, 27500, 1, 3}},
      {"polarisation 3 is H", with([](Rec& r) { r.polarisation = '3'; }), true, {11778, 27500, 0, 3}},
      {"polarisation 4 has no mapping", with([](Rec& r) { r.polarisation = '4'; }), false, {}},
      {"polarisation 9 has no mapping", with([](Rec& r) { r.polarisation = '9'; }), false, {}},
      {"polarisation not a digit", with([](Rec& r) { r.polarisation = '_'; }), false, {}},
      {"polarisation sign only", with([](Rec& r) { r.polarisation = '-'; }), false, {}},
      {"FEC 0", with([](Rec& r) { r.fec = '0'; }), true, {11778, 27500, 0, 0}},
      {"FEC 1", with([](Rec& r) { r.fec = '1'; }), true, {11778, 27500, 0, 1}},
      {"FEC 2", with([](Rec& r) { r.fec = '2'; }), true, {11778, 27500, 0, 2}},
      {"FEC 4", with([](Rec& r) { r.fec = '4'; }), true, {11778, 27500, 0, 0}},
      {"FEC 5", with([](Rec& r) { r.fec = '5'; }), true, {11778, 27500, 0, 4}},
      {"FEC 6", with([](Rec& r) { r.fec = '6'; }), true, {11778, 27500, 0, 0}},
      {"FEC 7", with([](Rec& r) { r.fec = '7'; }), true, {11778, 27500, 0, 5}},
      {"FEC 8 reads as AUTO", with([](Rec& r) { r.fec = '8'; }), true, {11778, 27500, 0, 0}},
      {"FEC 9 reads as AUTO", with([](Rec& r) { r.fec = '9'; }), true, {11778, 27500, 0, 0}},
      {"FEC not a digit", with([](Rec& r) { r.fec = '_'; }), true, {11778, 27500, 0, 0}},
      {"control and high bytes in the name",
       with([](Rec& r) { r.channel = "\x05\xDE\x80\x01NAME"; }),
       true,
       {11778, 27500, 0, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImportReport report;
    const auto sats = ImportOne({c.line}, &report);
    ASSERT_EQ(sats.size(), c.taken ? 1u : 0u);
    if (c.taken) {
      EXPECT_EQ(sats[0].tps, std::vector<Tp>{c.tp});
    }
    const bool unmappedPol = c.line[42] >= '4' && c.line[42] <= '9';
    EXPECT_EQ(report.recordsUnmapped, unmappedPol ? 1 : 0);
  }
}

TEST(ImportPasses, PositionSetsHeaderAndDiseqc) {
  const auto at = [](const std::string& pos, const std::string& mhz = "11778") {
    Rec r = Ku(mhz);
    r.position = pos;
    return L(r);
  };
  Rec shortJunk = Ku("11778");
  const std::string nulAndBlanks = std::string(1, '\0') + std::string(300, ' ');
  const struct {
    const char* name;
    std::vector<std::string> lines;
    std::size_t satellites;
    unsigned position;
    int diseqc;
  } cases[] = {
      {"0192", {at("0192")}, 1, 192, 2},
      {"3592", {at("3592")}, 1, 3592, 26},
      {"0235", {at("0235")}, 1, 235, 0},
      {"0420", {at("0420")}, 1, 420, 21},
      {"3150", {at("3150")}, 1, 3150, 24},
      {"0000", {at("0000")}, 1, 0, 0},
      {"blank-led", {at("  30")}, 1, 30, 7},
      {"4000 rejects the record", {at("4000")}, 0, 0, 0},
      {"text rejects the record", {at("ab12")}, 0, 0, 0},
      {"beyond 359.9 rejects the record", {at("3600")}, 0, 0, 0},
      {"negative rejects the record", {at("-100")}, 0, 0, 0},
      {"last long line sets the header", {at("0192"), at("0130", "12000")}, 1, 130, 1},
      {"a later non-digital long line still sets it",
       {at("0192"),
        [] {
          Rec r = Ku("11000");
          r.system = "PAL_";
          r.position = "0100";
          return L(r);
        }()},
       1,
       100,
       4},
      // Trailing junk (a NUL and blanks, a long line with no position) must not move the satellite to 400.0
      // E.
      {"trailing NUL and blanks", {at("0192"), nulAndBlanks}, 1, 192, 2},
      {"trailing long line reading 4000", {at("0192"), at("4000", "12000")}, 1, 192, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto sats = ImportOne(c.lines);
    ASSERT_EQ(sats.size(), c.satellites);
    if (c.satellites == 0) continue;
    EXPECT_EQ(sats[0].position, c.position);
    EXPECT_EQ(sats[0].diseqc, c.diseqc);
  }
}

TEST(ImportPasses, KeepsTheFirst120TranspondersOfAPass) {
  std::vector<std::string> lines;
  for (int i = 0; i < 130; ++i) lines.push_back(L(Ku(std::to_string(10700 + i))));
  lines.push_back(L(Ku("10829")));  // a repeat of a transponder past the limit is not counted twice
  lines.push_back(L(C("3700")));
  ImportReport report;
  const auto sats = ImportOne(lines, &report);
  ASSERT_EQ(sats.size(), 2u);
  EXPECT_EQ(sats[0].tps.size(), 1u);
  ASSERT_EQ(sats[1].tps.size(), 120u);
  EXPECT_EQ(sats[1].tps.front().frequency, 10700);
  EXPECT_EQ(sats[1].tps.back().frequency, 10819);
  EXPECT_EQ(report.transpondersLeftOut, 10);
}

TEST(ImportIndex, NameTextFilesOrderAndRows) {
  WorkDir dir;
  const std::string host = "127.0.0.1:18123";
  dir.Write("satcodx.imp", Index({
                               IndexLine(host, "0192", "a.sdx", "Alpha 1 B 2 C"),
                               IndexLine(host, "0130", "missing.sdx", "Gone"),
                               IndexLine(host, "0130", "b.sdx", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"),
                               IndexLine(host, "0300", "c.sdx", "Only Analog"),
                               IndexLine(host, "3590", "d.sdx", "West  1"),
                           }));
  dir.WriteListing("a.sdx", {Ku("11778"), C("3900")});
  Rec b = Ku("12000");
  b.position = "0130";
  dir.WriteListing("b.sdx", {b}, "\r\n");
  Rec analog = Ku("11000");
  analog.system = "PAL_";
  dir.WriteListing("c.sdx", {analog});
  Rec d = C("4000");
  d.position = "3590";
  dir.WriteListing("d.sdx", {d});

  auto db = NewDb();
  db->satellites[100].name = "stale";
  const ImportReport report = ImportSatcodx(*db, dir.path());
  EXPECT_EQ(report.caption, "satcodx data");
  EXPECT_EQ(report.satellites, 4);
  EXPECT_EQ(db->count, 4);
  EXPECT_EQ(report.indexLines, 5);
  EXPECT_EQ(report.listingsRead, 4);
  EXPECT_EQ(report.listingsMissing, 1);

  std::vector<std::string> texts;
  for (const auto& row : ImportSatelliteRows(*db)) texts.push_back(row.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "001 Alpha 1 B(C)(19.2 E)",
                       "002 Alpha 1 B(KU)(19.2 E)",
                       "003 ABCDEFGHIJKLMNOPQRSTUVWXY(KU)(13.0 E)",
                       "004 West  1(C)(359.0 E)",
                   }));
  EXPECT_EQ(db->satellites[3].diseqc, 8);
  EXPECT_EQ(db->satellites[100], DATABASESATELLITEINFO{});
}

TEST(ImportIndex, TrailingBlanksOfTheFileNameAreIgnored) {
  WorkDir dir;
  // The file name field is padded to its full width with blanks.
  dir.Write("satcodx.imp",
            "01 40 42 20 63 25\n" + IndexLine("127.0.0.1:18123", "0192", "pad.sdx", "Padded") + "\n");
  dir.WriteListing("pad.sdx", {Ku("11778")});
  auto db = NewDb();
  EXPECT_EQ(ImportSatcodx(*db, dir.path()).satellites, 1);
}

TEST(ImportIndex, StopsAt156SatellitesAndCountsTheListingsLeftOut) {
  WorkDir dir;
  std::vector<std::string> lines;
  for (int i = 0; i < 80; ++i) {
    const std::string file = "s" + std::to_string(i) + ".sdx";
    lines.push_back(IndexLine("127.0.0.1:18123", "0192", file, "Sat" + std::to_string(i)));
    dir.WriteListing(file, {Ku("11778"), C("3900")});
  }
  dir.Write("satcodx.imp", Index(lines));
  auto db = NewDb();
  const ImportReport report = ImportSatcodx(*db, dir.path());
  EXPECT_EQ(report.satellites, 156);
  EXPECT_EQ(db->count, 156);
  EXPECT_EQ(report.listingsLeftOut, 2);
  EXPECT_EQ(db->satellites[155].name, "Sat77(KU)");
  EXPECT_EQ(ImportSatelliteRows(*db).size(), 156u);
}

TEST(ImportRows, ListingRule) {
  DATABASESATELLITEINFO s;
  const struct {
    std::string name;
    unsigned position;
    bool listed;
  } cases[] = {
      {"", 192, false},     {"A", 192, false},    {"AB", 0, true},   {"Other01", 0, false},
      {"Other01", 5, true}, {"other01", 0, true}, {"Othe", 0, true}, {"Astra(KU)", 192, true},
  };
  for (const auto& c : cases) {
    s.name = c.name;
    s.eastPosition = c.position;
    EXPECT_EQ(ImportListsSatellite(s), c.listed) << c.name << " " << c.position;
  }
  s.name = "Alpha 1 (KU)";
  s.eastPosition = 192;
  EXPECT_EQ(SatelliteRowText(0, s), "001 Alpha 1 (KU)(19.2 E)");
  s.eastPosition = 3590;
  EXPECT_EQ(SatelliteRowText(155, s), "156 Alpha 1 (KU)(359.0 E)");
}

TEST(ImportErrors, MissingIndexBadHeaderAndAFailurePartWay) {
  {
    WorkDir dir;
    auto db = NewDb();
    db->satellites[0].name = "kept?";
    db->count = 9;
    try {
      ImportSatcodx(*db, dir.path());
      FAIL() << "no exception";
    } catch (const SatcodxError& e) {
      EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_EQ(db->satellites[0], DATABASESATELLITEINFO{});  // cleared before the index is opened
    EXPECT_EQ(db->count, 0);
  }
  const struct {
    std::string header;
    std::string message;
  } headers[] = {
      {"01 40 x2 20 63 25", "'x2' is not a valid integer value"},
      {"01 40 42 20 63 2_", "'2_' is not a valid integer value"},
      {"01 40 42", "'' is not a valid integer value"},
      {"", "'' is not a valid integer value"},
  };
  for (const auto& h : headers) {
    WorkDir dir;
    dir.Write("satcodx.imp", h.header + "\n");
    auto db = NewDb();
    try {
      ImportSatcodx(*db, dir.path());
      FAIL() << "no exception for " << h.header;
    } catch (const SatcodxError& e) {
      EXPECT_EQ(e.what(), h.message);
    }
  }
  {
    // The second listing exists but cannot be read: the model keeps the satellites finished before it.
    WorkDir dir;
    dir.Write("satcodx.imp", Index({IndexLine("127.0.0.1:18123", "0192", "good.sdx", "Good"),
                                    IndexLine("127.0.0.1:18123", "0130", "bad.sdx", "Bad")}));
    dir.WriteListing("good.sdx", {Ku("11778"), C("3900")});
    std::filesystem::create_symlink("/proc/self/mem", dir.path() / "import" / "bad.sdx");
    auto db = NewDb();
    try {
      ImportSatcodx(*db, dir.path());
      FAIL() << "no exception";
    } catch (const SatcodxError& e) {
      EXPECT_STREQ(e.what(), "I/O error 5");
    }
    EXPECT_EQ(db->count, 2);
    ASSERT_EQ(ImportSatelliteRows(*db).size(), 2u);
    EXPECT_EQ(ImportSatelliteRows(*db)[1].text, "002 Good(KU)(19.2 E)");
  }
}

// Reading stays confined: the index names plain files of ./import/ only; other names are passed over, each
// with a message naming its line.
TEST(ImportErrors, NamesThatAreNoPlainNamesArePassedOverAndNamed) {
  WorkDir dir;
  const std::string host = "127.0.0.1:18123";
  dir.WriteListing("../secret.sdx", {Ku("11778")});  // a regular file beside the index
  dir.WriteListing("good.sdx", {Ku("11778")});
  dir.Write("satcodx.imp", Index({IndexLine(host, "0192", "../secret.sdx", "Secret"),
                                  IndexLine(host, "0192", "good.sdx", "Good"),
                                  IndexLine(host, "0192", "/etc/passwd", "Passwords")}));
  auto db = NewDb();
  const ImportReport report = ImportSatcodx(*db, dir.path());
  EXPECT_EQ(report.satellites, 1);
  EXPECT_EQ(db->satellites[0].name, "Good(KU)");
  EXPECT_EQ(report.refusedNames,
            (std::vector<std::string>{"satcodx.imp line 2: '../secret.sdx' is not a plain file name",
                                      "satcodx.imp line 4: '/etc/passwd' is not a plain file name"}));
}

// Reading stays bounded: a FIFO is refused rather than waited on, a listing larger than any real one is
// refused rather than read into memory.
TEST(ImportErrors, FifosAndHugeListingsAreRefusedWithTheirPath) {
  struct Case {
    std::string what;
    std::function<void(const WorkDir&)> make;
    std::string tail;
  };
  const std::string host = "127.0.0.1:18123";
  const Case cases[] = {
      {"a FIFO as the index",
       [&](const WorkDir& d) { ASSERT_EQ(::mkfifo((d.path() / "satcodx.imp").c_str(), 0644), 0); },
       "satcodx.imp: not a regular file"},
      {"a listing over 64 MiB",
       [&](const WorkDir& d) {
         d.Write("satcodx.imp", Index({IndexLine(host, "0192", "huge.sdx", "Huge")}));
         d.WriteListing("huge.sdx", {Ku("11778")});
         std::filesystem::resize_file(d.path() / "import" / "huge.sdx", (64u << 20) + 1);  // sparse
       },
       "huge.sdx: file too large (67108865 bytes, at most 67108864 bytes)"},
  };
  for (const auto& c : cases) {
    WorkDir dir;
    c.make(dir);
    auto db = NewDb();
    try {
      ImportSatcodx(*db, dir.path());
      ADD_FAILURE() << "no exception: " << c.what;
    } catch (const SatcodxError& e) {
      const std::string m = e.what();
      EXPECT_EQ(m.rfind("cannot read " + dir.path().string() + "/", 0), 0u) << m;
      EXPECT_NE(m.find(c.tail), std::string::npos) << m;
    }
  }
}

TEST(ImportRealListing, TurksatAt42East) {
  WorkDir dir;
  const std::filesystem::path real =
      std::filesystem::path(ORVANE_SHARED_DIR) / "fixtures/satcodx/turksat42e_v103_sirfi.sdx";
  if (!std::filesystem::exists(real))
    GTEST_SKIP() << "needs " << real.string() << " (the shared fixtures beside the checkout)";
  std::filesystem::copy_file(real, dir.path() / "import" / "turksat.sdx");
  dir.Write("satcodx.imp", Index({IndexLine("127.0.0.1:18123", "0420", "turksat.sdx", "Turksat 3A/4A")}));
  auto db = NewDb();
  const ImportReport report = ImportSatcodx(*db, dir.path());
  // All of its digital transponders are Ku-band; 180 distinct ones, of which a pass keeps 120.
  ASSERT_EQ(report.satellites, 1);
  const auto& sat = db->satellites[0];
  EXPECT_EQ(sat.name, "Turksat 3A/4A(KU)");
  EXPECT_EQ(sat.eastPosition, 420u);
  EXPECT_EQ(sat.diseqc, 21);
  const auto tps = Transponders(sat);
  ASSERT_EQ(tps.size(), 120u);
  EXPECT_EQ(tps.front(), (Tp{12209, 10000, 0, 3}));
  EXPECT_EQ(tps.back(), (Tp{11916, 30000, 1, 3}));
  EXPECT_EQ(report.transpondersLeftOut, 60);
}

}  // namespace
}  // namespace orvane::satcodx

namespace orvane::satcodx {
namespace {

// Listings of random bytes and damaged records: the import must stay inside the model's limits and store only
// values the receiver can read.
TEST(ImportRobustness, RandomListingsStayInsideTheModel) {
  std::uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  WorkDir dir;
  std::vector<std::string> index;
  for (int l = 0; l < 90; ++l) {
    const std::string file = "r" + std::to_string(l) + ".sdx";
    index.push_back(IndexLine("127.0.0.1:18123", "0192", file, "R" + std::to_string(l)));
    std::string data;
    for (int i = 0; i < 200; ++i) {
      Rec r =
          (next() % 2) ? Ku(std::to_string(10700 + next() % 2000)) : C(std::to_string(3400 + next() % 800));
      r.position = std::to_string(1000 + next() % 9000).substr(0, 4);
      r.polarisation = static_cast<char>('0' + next() % 10);
      r.fec = static_cast<char>('0' + next() % 10);
      r.length = 120 + next() % 20;
      std::string line = r.Line();
      for (int k = next() % 4; k > 0; --k) line[next() % line.size()] = static_cast<char>(next() % 256);
      data += line + ((next() % 3) ? "\n" : "\r\n");
    }
    dir.Write("import/" + file, data);
  }
  dir.Write("satcodx.imp", Index(index));
  auto db = std::make_unique<DATABASESATELLITETABLE>();
  const ImportReport report = ImportSatcodx(*db, dir.path());
  EXPECT_EQ(report.satellites, 156);
  EXPECT_GT(report.listingsLeftOut, 0);
  for (int s = 0; s < kSatelliteSlots; ++s) {
    const auto& sat = db->satellites[s];
    EXPECT_LT(sat.eastPosition, 3600u);
    for (const auto& tp : sat.transponders) {
      if (!tp.used()) continue;
      EXPECT_GT(tp.frequency, 0);
      EXPECT_GT(tp.symbolRate, 0);
      EXPECT_TRUE(tp.polarity == 0 || tp.polarity == 1);
      EXPECT_TRUE(tp.fec >= 0 && tp.fec <= 5);
    }
  }
}

}  // namespace
}  // namespace orvane::satcodx
