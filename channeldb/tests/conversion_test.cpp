#include <algorithm>
#include <memory>

#include "common/bytes.h"
#include "korva_test_support.h"

namespace b = orvane::bytes;
namespace il = image_layout;
namespace cl = channel_layout;

namespace {

std::unique_ptr<DATABASESATELLITETABLE> EuropeanSet() {
  auto db = std::make_unique<DATABASESATELLITETABLE>();
  const std::pair<const char*, unsigned> sats[] = {{"Hotbird", 130}, {"Astra 1", 192}, {"Astra 3", 235}, {"Astra 2", 282}};
  for (int s = 0; s < 4; ++s) {
    auto& sat = db->satellites[s];
    sat.name = sats[s].first;
    sat.eastPosition = sats[s].second;
    sat.diseqc = s + 1;
    for (int t = 0; t < 3; ++t) {
      auto& tp = sat.transponders[t];
      tp.frequency = 10700 + 100 * t + s;
      tp.symbolRate = t == 2 ? 0 : 27500;
      tp.polarity = t & 1;
      tp.fec = t + 1;
      for (int c = 0; c < 2; ++c) {
        auto& ch = tp.channels[c];
        ch.videoPid = 160 + c;
        ch.audioPid = 80 + c;
        ch.pcrPid = t == 2 ? 1 : 160 + c;
        ch.name = "Ch " + std::to_string(s) + "." + std::to_string(t) + "." + std::to_string(c);
      }
    }
  }
  return db;
}

struct Converted {
  Buffers buf;
  ModelToImageReport report;
  explicit Converted(const DATABASESATELLITETABLE& db, int listed = -1) {
    report = ModelToImage(db, listed < 0 ? ListedSatelliteCount(db) : listed, *buf.image, *buf.names, *buf.channels);
  }
};

}  // namespace

class Conversion : public TempDir {};

// Saving and reopening through the library gives the model back, positions in tenths included, even when no
// satellite lies beyond 100.0 degrees East.
TEST_F(Conversion, OwnFileRoundTripsThroughTheLibrary) {
  const auto db = EuropeanSet();
  Converted out(*db);
  EXPECT_EQ(out.report.channelsStored, 24);
  ASSERT_EQ(out.buf.Save(Path("eu.tpd")), KORVA_SAVE_OK);
  Buffers in;
  in.Load(Path("eu.tpd"));
  auto back = std::make_unique<DATABASESATELLITETABLE>();
  const auto report = ImageToModel(*in.image, *in.names, *in.channels, *back);
  EXPECT_TRUE(report.writtenByProgram);
  EXPECT_FALSE(report.positionsInWholeDegrees);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(back->satellites[s], db->satellites[s]) << s;
  for (int s = 4; s < 156; ++s) {
    EXPECT_FALSE(SatelliteSlotUsed(back->satellites[s])) << s;
    EXPECT_EQ(back->satellites[s].name.substr(0, 5), "Other");
  }
  EXPECT_EQ(back->satellites[1].eastPosition, 192u);
}

// Data that did not come from the program (the library's defaults) stores whole degrees.
TEST_F(Conversion, DefaultsReadAsWholeDegrees) {
  Buffers buf;
  ASSERT_NE(buf.Load(Path("missing.tpd")), nullptr);
  auto db = std::make_unique<DATABASESATELLITETABLE>();
  const auto report = ImageToModel(*buf.image, *buf.names, *buf.channels, *db);
  EXPECT_FALSE(report.writtenByProgram);
  EXPECT_TRUE(report.positionsInWholeDegrees);
  EXPECT_EQ(db->satellites[4].eastPosition, 190u);
  EXPECT_EQ(db->satellites[132].eastPosition, 3590u);
  EXPECT_EQ(db->satellites[0].transponders[0].frequency, 11881);
  EXPECT_EQ(ListedSatelliteCount(*db), 133);

  // A foreign file with a position above 100.0 degrees is taken as tenths already.
  b::PutU32LE(buf.image->bytes, il::Satellite(0) + il::kEastPosition, 1300);
  const auto tenths = ImageToModel(*buf.image, *buf.names, *buf.channels, *db);
  EXPECT_FALSE(tenths.positionsInWholeDegrees);
  EXPECT_EQ(db->satellites[4].eastPosition, 19u);
}

TEST(ConversionToImage, NamesSlotsAndLimits) {
  auto db = EuropeanSet();
  db->satellites[5].name = "Empty bird";  // listed, no transponders
  db->satellites[5].eastPosition = 50;
  db->satellites[0].name = std::string(35, 'N');
  db->satellites[0].transponders[0].channels[2] = {1, 2, 3, std::string(27, 'c')};
  db->satellites[0].transponders[0].channels[3] = {1, 2, 3, std::string(40, 'd')};
  Converted out(*db, 6);
  const auto& img = out.buf.image->bytes;
  const auto& names = out.buf.names->bytes;

  EXPECT_EQ(b::GetText(names, 0, 32, 32), std::string(30, 'N') + "|");
  EXPECT_EQ(b::GetText(names, 32 * 1, 32, 32), "Astra 1|");
  EXPECT_EQ(b::GetText(names, 32 * 6, 32, 32), "Other01|");
  EXPECT_EQ(b::GetText(names, 32 * 155, 32, 32), "Other150|");
  EXPECT_EQ(out.report.satelliteNamesCut, 1);
  EXPECT_EQ(out.report.channelNamesCut, 1);

  // Slot 0 is always stored, so an empty satellite carries one used transponder of frequency 0.
  EXPECT_EQ(b::GetU32LE(img, il::UsedFlag(5, 0)), 1u);
  EXPECT_EQ(b::GetU32LE(img, il::UsedFlag(5, 1)), 0u);
  EXPECT_EQ(b::GetU16LE(img, il::Satellite(5) + il::kTransponderCount), 1);
  EXPECT_EQ(b::GetU16LE(img, il::Satellite(0) + il::kTransponderCount), 3);
  EXPECT_EQ(b::GetU32LE(img, il::Satellite(9) + il::kIdentifier), 9u);
  EXPECT_EQ(b::GetU32LE(img, il::kSatelliteCount), 156u);
  EXPECT_EQ(out.report.transpondersStored, 4 * 3 + 152);

  const auto& ch = out.buf.channels->bytes;
  EXPECT_EQ(b::GetU32LE(ch, cl::kEndMarker), 0xBAB0BAB0u);
  EXPECT_EQ(b::GetU32LE(ch, cl::kCount), 26u);
  const auto e = cl::Entry(2);  // satellite 0, transponder 0, channel 2
  EXPECT_EQ(b::GetU16LE(ch, e + cl::kChannel), 2);
  EXPECT_EQ(b::GetU16LE(ch, e + cl::kFrequency), 10700);
  EXPECT_EQ(b::GetU16LE(ch, e + cl::kOne), 1);
  EXPECT_EQ(b::GetText(ch, e + cl::kName, 28, 28), std::string(27, 'c'));

  // Reading back: channel names come back at most 25 characters long; Other slots stay hidden.
  auto back = std::make_unique<DATABASESATELLITETABLE>();
  ImageToModel(*out.buf.image, *out.buf.names, *out.buf.channels, *back);
  EXPECT_EQ(back->satellites[0].transponders[0].channels[2].name, std::string(25, 'c'));
  EXPECT_EQ(ListedSatelliteCount(*back), 5);  // slot 4 was listed but empty
  EXPECT_FALSE(SatelliteSlotUsed(back->satellites[6]));
}

TEST(ConversionToImage, ChannelsBeyond400AreCountedNotLost) {
  auto db = std::make_unique<DATABASESATELLITETABLE>();
  int n = 0;
  for (int s = 0; s < 15; ++s)
    for (int c = 0; c < 32; ++c, ++n) {
      db->satellites[s].name = "S";
      db->satellites[s].transponders[0].frequency = 11000;
      db->satellites[s].transponders[0].channels[c] = {100 + c, 0, 0, "x"};
    }
  Converted out(*db);
  EXPECT_EQ(out.report.channelsStored, 400);
  EXPECT_EQ(out.report.channelsLeftOut, n - 400);
  EXPECT_EQ(b::GetU16LE(out.buf.channels->bytes, cl::Entry(399) + cl::kSatellite), 12);  // walk order kept
}

TEST(ConversionToModel, BadChannelEntriesAreSkipped) {
  Buffers buf;
  auto& ch = buf.channels->bytes;
  struct Entry {
    int s, t, c;
  } entries[] = {{0, 0, 0}, {156, 0, 0}, {0, 120, 0}, {0, 0, 32}, {155, 119, 31}};
  for (int i = 0; i < 5; ++i) {
    b::PutU16LE(ch, cl::Entry(i) + cl::kSatellite, entries[i].s);
    b::PutU16LE(ch, cl::Entry(i) + cl::kTransponder, entries[i].t);
    b::PutU32LE(ch, cl::Entry(i) + cl::kChannel, 0x70000u | entries[i].c);  // readers take the low 16 bits
    b::PutU16LE(ch, cl::Entry(i) + cl::kFirst, 0xFFFF);
    b::PutText(ch, cl::Entry(i) + cl::kName, 28, "name");
  }
  b::PutU32LE(ch, cl::kCount, 0xFFFFFFFF);
  auto db = std::make_unique<DATABASESATELLITETABLE>();
  const auto report = ImageToModel(*buf.image, *buf.names, *buf.channels, *db);
  EXPECT_EQ(report.channelEntriesOutOfRange, 3);
  EXPECT_EQ(report.channelEntriesBeyond400, 0xFFFFFFFFu - 400);
  EXPECT_EQ(report.channelEntriesRepeated, 395) << "the zero entries behind the real ones";
  EXPECT_EQ(db->satellites[0].transponders[0].channels[0].videoPid, 0xFFFF);
  EXPECT_EQ(db->satellites[155].transponders[119].channels[31].name, "name");
}
