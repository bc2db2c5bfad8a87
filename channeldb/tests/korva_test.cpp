#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "channeldb/korva_internal.h"
#include "channeldb/lzss.h"
#include "common/bytes.h"
#include "korva_test_support.h"

namespace b = orvane::bytes;
namespace il = image_layout;
namespace fl = korva::file_layout;

namespace {

int UsedTransponders(const SatelliteImage& img, int s) {
  int n = 0;
  for (int t = 0; t < kTransponderSlots; ++t) n += b::GetU32LE(img.bytes, il::UsedFlag(s, t)) == 1;
  return n;
}

struct Tp {
  int frequency, polarity, symbolRate, fec;
  bool operator==(const Tp&) const = default;
};
Tp TransponderAt(const SatelliteImage& img, int s, int t) {
  const auto o = il::Transponder(s, t);
  return {b::GetU16LE(img.bytes, o + il::kTpFrequency), b::GetU8(img.bytes, o + il::kTpPolarity),
          b::GetU16LE(img.bytes, o + il::kTpSymbolRate), b::GetU8(img.bytes, o + il::kTpFec)};
}

std::vector<int> SymbolRateList(const SatelliteImage& img, int s) {
  std::vector<int> v;
  for (int i = 0; i < 5; ++i) v.push_back(b::GetU16LE(img.bytes, il::Satellite(s) + il::kSymbolRateList + 2 * i));
  return v;
}

void SetTransponder(SatelliteImage& img, int s, int t, Tp tp) {
  const auto o = il::Transponder(s, t);
  b::PutU16LE(img.bytes, o + il::kTpFrequency, tp.frequency);
  b::PutU8(img.bytes, o + il::kTpPolarity, tp.polarity);
  b::PutU16LE(img.bytes, o + il::kTpSymbolRate, tp.symbolRate);
  b::PutU8(img.bytes, o + il::kTpFec, tp.fec);
  b::PutU32LE(img.bytes, il::UsedFlag(s, t), 1);
}

// The rows the defaults must hold: east / identifier / DiSEqC / transponders, in slot order.
const char* kExpectedRows =
    "5/110/6/25 7/31/5/32 10/29/4/20 13/56/1/69 19/30/3/46 16/11/2/37 21/26/0/22 23/81/16/5 26/7/17/19 28/80/18/20 "
    "28/27/0/18 30/8/20/4 31/130/21/20 36/28/0/22 40/52/0/1 42/131/22/33 45/23/0/1 48/24/0/13 53/53/0/1 55/58/0/1 "
    "56/88/0/4 57/91/0/10 60/63/0/5 62/61/0/6 64/74/0/10 66/67/0/4 68/98/0/13 75/84/0/4 76/6/0/13 78/128/0/19 "
    "80/32/0/5 83/59/0/9 87/18/0/1 88/113/0/4 90/132/0/5 91/86/0/1 93/57/0/1 96/51/0/1 100/9/0/39 103/35/0/2 "
    "105/10/0/12 107/16/0/1 108/120/0/2 110/15/0/1 110/109/0/6 113/82/0/29 116/83/0/3 120/127/0/2 124/79/0/9 "
    "125/17/0/1 128/78/0/13 130/85/0/1 134/4/0/8 138/5/0/2 140/50/0/1 144/116/0/1 145/49/0/1 146/0/0/10 148/87/0/1 "
    "150/76/0/1 154/77/0/5 156/95/0/3 158/114/0/1 160/94/0/7 162/115/0/1 166/100/0/19 169/97/0/26 174/73/0/3 "
    "177/66/0/1 180/65/0/9 185/117/0/2 221/104/0/4 223/48/0/1 225/103/0/2 227/38/0/2 229/102/0/7 231/126/0/8 "
    "233/42/0/1 235/40/0/1 237/36/0/9 241/22/0/13 241/19/0/1 243/106/0/14 247/112/0/1 248/2/0/3 250/21/0/1 "
    "252/3/0/6 255/54/0/1 257/43/0/16 259/46/0/7 261/39/0/6 263/124/0/15 265/41/0/1 267/125/0/2 269/37/0/16 "
    "271/123/0/5 273/45/0/11 275/44/0/4 276/14/0/34 279/105/0/6 281/47/0/19 283/107/0/1 286/108/0/2 288/89/0/4 "
    "290/12/0/27 295/13/0/10 298/20/0/4 302/101/0/24 304/75/0/4 307/69/0/3 310/71/0/7 315/96/24/9 317/99/0/29 "
    "319/92/0/24 322/121/15/15 325/60/0/6 328/72/12/21 330/55/14/28 332/64/13/14 335/62/0/1 338/93/0/73 "
    "342/68/11/9 345/122/0/11 346/33/0/1 347/111/0/1 347/25/0/7 349/34/0/1 352/118/10/26 353/90/0/14 355/119/9/3 "
    "356/1/25/13 359/70/8/16 359/129/26/7";

}  // namespace

// Every built-in transponder is one the receiver can tune: Ku band or C band.
TEST(KorvaDefaults, EveryTransponderLiesInABand) {
  int outside = 0;
  for (const auto& tp : korva::DefaultTransponders()) {
    const bool ku = tp.frequency >= 10700 && tp.frequency <= 12750;
    const bool c = tp.frequency >= 3400 && tp.frequency <= 4200;
    if (!ku && !c) ADD_FAILURE() << "transponder at " << tp.frequency << " MHz (#" << ++outside << ")";
  }
  EXPECT_EQ(korva::DefaultTransponders().size(), 1379u);
}

TEST(KorvaDefaults, RowsTranspondersAndEmptySlots) {
  Buffers buf;
  ASSERT_EQ(DELVO_LoadDefaultData(buf.image->bytes.data()), buf.image->bytes.data());
  const auto& img = *buf.image;
  EXPECT_EQ(b::GetU32LE(img.bytes, il::kSatelliteCount), 156u);

  std::istringstream rows(kExpectedRows);
  std::string row;
  int slot = 0, total = 0;
  std::vector<bool> identifierSeen(133);
  while (rows >> row) {
    int east, id, diseqc, count;
    ASSERT_EQ(std::sscanf(row.c_str(), "%d/%d/%d/%d", &east, &id, &diseqc, &count), 4);
    const auto base = il::Satellite(slot);
    EXPECT_EQ(b::GetU16LE(img.bytes, base + il::kEastPosition), east) << "slot " << slot;
    EXPECT_EQ(b::GetU32LE(img.bytes, base + il::kIdentifier), static_cast<unsigned>(id)) << "slot " << slot;
    EXPECT_EQ(b::GetU8(img.bytes, base + il::kDiseqc), diseqc) << "slot " << slot;
    EXPECT_EQ(b::GetU16LE(img.bytes, base + il::kTransponderCount), 120) << "slot " << slot;
    EXPECT_EQ(UsedTransponders(img, slot), count) << "slot " << slot;
    for (int t = 0; t < count; ++t) {
      const Tp tp = TransponderAt(img, slot, t);
      EXPECT_TRUE(tp.polarity == 0 || tp.polarity == 1) << slot << "/" << t;
      EXPECT_TRUE(tp.fec >= 1 && tp.fec <= 5) << slot << "/" << t;
      EXPECT_GT(tp.frequency, 0) << slot << "/" << t;
      EXPECT_GT(tp.symbolRate, 0) << slot << "/" << t;
    }
    identifierSeen.at(id) = true;
    total += count;
    ++slot;
  }
  EXPECT_EQ(slot, 133);
  EXPECT_EQ(total, 1379);
  EXPECT_TRUE(std::all_of(identifierSeen.begin(), identifierSeen.end(), [](bool x) { return x; }));
  for (int s = 133; s < 156; ++s) {
    EXPECT_EQ(b::GetU32LE(img.bytes, il::Satellite(s) + il::kIdentifier), static_cast<unsigned>(s));
    EXPECT_EQ(b::GetU16LE(img.bytes, il::Satellite(s) + il::kEastPosition), 0);
    EXPECT_EQ(UsedTransponders(img, s), 0);
  }
  EXPECT_EQ(TransponderAt(img, 0, 0), (Tp{11881, 0, 27500, 3}));
  EXPECT_EQ(TransponderAt(img, 0, 1), (Tp{11996, 0, 27500, 3}));
  EXPECT_EQ(TransponderAt(img, 0, 2), (Tp{12073, 0, 25379, 5}));
  EXPECT_EQ(TransponderAt(img, 3, 0), (Tp{10719, 1, 27500, 3}));
  EXPECT_EQ(TransponderAt(img, 3, 1), (Tp{10723, 0, 29900, 3}));
  EXPECT_EQ(TransponderAt(img, 4, 0), (Tp{10959, 0, 6398, 3}));
  EXPECT_EQ(TransponderAt(img, 4, 1), (Tp{10959, 0, 5632, 3}));
  EXPECT_EQ(SymbolRateList(img, 0)[0], 27500);
}

TEST(KorvaSymbolRateList, MostFrequentFirstThenFirstAppearance) {
  struct Case {
    std::vector<int> rates;
    std::vector<int> expected;
  } cases[] = {
      {{27500, 22000, 27500, 22000, 27500}, {27500, 22000, 0, 0, 0}},
      {{1000, 2000, 3000, 4000, 5000}, {1000, 2000, 3000, 4000, 5000}},
      {{1, 2, 3, 4, 5, 6, 6}, {6, 1, 2, 3, 4}},
      {{}, {0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    auto img = std::make_unique<SatelliteImage>();
    for (std::size_t t = 0; t < c.rates.size(); ++t) SetTransponder(*img, 7, static_cast<int>(t), {11000, 0, c.rates[t], 3});
    korva::ComputeSymbolRateList(img->bytes, 7);
    EXPECT_EQ(SymbolRateList(*img, 7), c.expected);
  }
}

class KorvaFile : public TempDir {};

TEST_F(KorvaFile, MissingOrEmptyFileGivesDefaultsAndZeroTables) {
  Buffers defaults;
  DELVO_LoadDefaultData(defaults.image->bytes.data());
  WriteFile(Path("empty.tpd"), {});
  for (const std::string& path : {Path("missing.tpd"), Path("empty.tpd"), dir_.string()}) {
    Buffers buf;
    buf.names->bytes.fill(0x55);
    buf.channels->bytes.fill(0x55);
    ASSERT_EQ(buf.Load(path), buf.image->bytes.data());
    EXPECT_EQ(buf.image->bytes, defaults.image->bytes) << path;
    EXPECT_TRUE(std::all_of(buf.names->bytes.begin(), buf.names->bytes.end(), [](auto x) { return x == 0; }));
    EXPECT_TRUE(std::all_of(buf.channels->bytes.begin(), buf.channels->bytes.end(), [](auto x) { return x == 0; }));
  }
}

TEST_F(KorvaFile, SaveWritesTheLayoutAndLoadGivesItBack) {
  Buffers buf;
  DELVO_LoadDefaultData(buf.image->bytes.data());
  // Values that do not survive: an identifier above 255, polarity and FEC above 15.
  b::PutU32LE(buf.image->bytes, il::Satellite(2) + il::kIdentifier, 0x1234);
  SetTransponder(*buf.image, 2, 0, {12000, 0x1F, 30000, 0x2A});
  SetTransponder(*buf.image, 2, 1, {12100, 15, 30000, 15});
  for (int i = 0; i < 156; ++i) b::PutText(buf.names->bytes, name_layout::Entry(i), 32, "Sat|");
  b::PutU32LE(buf.channels->bytes, channel_layout::kCount, 1);
  b::PutText(buf.channels->bytes, channel_layout::Entry(0) + channel_layout::kName, 28, "One");
  ASSERT_EQ(buf.Save(Path("a.tpd")), KORVA_SAVE_OK);

  const auto file = ReadFile(Path("a.tpd"));
  ASSERT_EQ(file.size(), 65536u);
  EXPECT_EQ(b::GetU32LE(file, 0), 0xBAB0BAB0u);
  EXPECT_EQ(b::GetU32LE(file, 0x6FFC), 0xBAB0BAB0u);
  EXPECT_LE(b::GetU32LE(file, 4), 28660u);
  for (int i = 0; i < 6; ++i) {
    const auto block = korva::DefaultPictureBlock(i);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), file.begin() + fl::kPictureBlocks[i].offset)) << i;
  }
  for (auto [from, to] : {std::pair{0x9348, 0x9800}, {0xC3CB, 0xC800}, {0xFA98, 0x10000}})
    EXPECT_TRUE(std::all_of(file.begin() + from, file.begin() + to, [](auto x) { return x == 0; })) << from;
  // The inner image decodes with its markers, names and channels in place.
  std::vector<std::uint8_t> inner(0xB000);
  const auto r = orvane::lzss::Decode(b::Slice(std::span(file), 8, b::GetU32LE(file, 4)), inner);
  EXPECT_EQ(r.written, inner.size());
  EXPECT_EQ(b::GetU32LE(inner, 0x3FFC), 0xBAB0BAB0u);
  EXPECT_EQ(b::GetText(inner, 0x4000, 32, 32), "Sat|");
  EXPECT_EQ(b::GetText(inner, 0x6000 + channel_layout::Entry(0) + channel_layout::kName, 28, 28), "One");

  Buffers back;
  back.Load(Path("a.tpd"));
  EXPECT_EQ(back.names->bytes, buf.names->bytes);
  EXPECT_EQ(back.channels->bytes, buf.channels->bytes);
  EXPECT_EQ(b::GetU32LE(back.image->bytes, il::Satellite(2) + il::kIdentifier), 0x34u);
  EXPECT_EQ(TransponderAt(*back.image, 2, 0), (Tp{12000, 0xF, 30000, 0xA}));
  EXPECT_EQ(TransponderAt(*back.image, 2, 1), (Tp{12100, 15, 30000, 15}));
  EXPECT_EQ(TransponderAt(*back.image, 3, 0), (Tp{10719, 1, 27500, 3}));
  EXPECT_EQ(UsedTransponders(*back.image, 3), 69);
}

TEST_F(KorvaFile, KeepsTheFirst3999TransponderInSlotOrder) {
  Buffers buf;
  buf.image->bytes.fill(0);
  int n = 0;
  for (int s = 0; s < 40; ++s)
    for (int t = 0; t < 101; ++t, ++n) SetTransponder(*buf.image, s, t, {1 + n, 0, 100 + s, 1});
  ASSERT_EQ(n, 4040);
  ASSERT_EQ(buf.Save(Path("big.tpd")), KORVA_SAVE_OK);
  Buffers back;
  back.Load(Path("big.tpd"));
  int kept = 0;
  for (int s = 0; s < 156; ++s) kept += UsedTransponders(*back.image, s);
  EXPECT_EQ(kept, 3999);
  EXPECT_EQ(TransponderAt(*back.image, 39, 59), (Tp{3999, 0, 139, 1}));  // the 3999th
  EXPECT_EQ(b::GetU32LE(back.image->bytes, il::UsedFlag(39, 60)), 0u);   // the 4000th is gone
}

TEST_F(KorvaFile, KeyTableBlockSurvivesLoadAndSave) {
  Buffers buf;
  DELVO_LoadDefaultData(buf.image->bytes.data());
  ASSERT_EQ(buf.Save(Path("k.tpd")), KORVA_SAVE_OK);
  auto file = ReadFile(Path("k.tpd"));
  ASSERT_LE(b::GetU32LE(file, 4), 0x6EF8u);
  for (int i = 0; i < 68; ++i) file[fl::kKeyTableBlock + i] = static_cast<std::uint8_t>(0xA0 + i);
  WriteFile(Path("k.tpd"), file);

  Buffers edit;
  edit.Load(Path("k.tpd"));
  ASSERT_EQ(edit.Save(Path("k2.tpd")), KORVA_SAVE_OK);
  const auto saved = ReadFile(Path("k2.tpd"));
  EXPECT_TRUE(std::equal(saved.begin() + 0x6F00, saved.begin() + 0x6F44, file.begin() + 0x6F00));
  // The picture area is the same whatever was loaded before.
  EXPECT_TRUE(std::equal(saved.begin() + 0x7000, saved.end(), file.begin() + 0x7000));
}

TEST_F(KorvaFile, InspectingAnotherFileLeavesWhatTheNextSaveCarriesOver) {
  Buffers buf;
  DELVO_LoadDefaultData(buf.image->bytes.data());
  ASSERT_EQ(buf.Save(Path("k.tpd")), KORVA_SAVE_OK);
  auto file = ReadFile(Path("k.tpd"));
  for (int i = 0; i < 68; ++i) file[fl::kKeyTableBlock + i] = static_cast<std::uint8_t>(0xA0 + i);
  WriteFile(Path("k.tpd"), file);
  Buffers edit;
  edit.Load(Path("k.tpd"));

  // Another file, with another key table, looked at in between.
  Buffers other;
  DELVO_LoadDefaultData(other.image->bytes.data());
  ASSERT_EQ(other.Save(Path("other.tpd")), KORVA_SAVE_OK);
  auto otherFile = ReadFile(Path("other.tpd"));
  for (int i = 0; i < 68; ++i) otherFile[fl::kKeyTableBlock + i] = 0x11;
  WriteFile(Path("other.tpd"), otherFile);
  Buffers seen;
  const korva::LoadReport report = korva::InspectFile(Path("other.tpd").c_str(), seen.image->bytes.data(),
                                                      seen.names->bytes.data(), seen.channels->bytes.data());
  ASSERT_TRUE(report.fileRead && report.outerMarkersValid);
  EXPECT_EQ(seen.image->bytes, other.image->bytes);

  ASSERT_EQ(edit.Save(Path("k2.tpd")), KORVA_SAVE_OK);
  const auto saved = ReadFile(Path("k2.tpd"));
  EXPECT_TRUE(std::equal(saved.begin() + 0x6F00, saved.begin() + 0x6F44, file.begin() + 0x6F00));
}

TEST_F(KorvaFile, FailedSaveWritesNothingAndSaysWhy) {
  Buffers buf;
  DELVO_LoadDefaultData(buf.image->bytes.data());
  EXPECT_EQ(buf.Save(Path("no/such/dir/x.tpd")), KORVA_SAVE_CANNOT_CREATE);
  EXPECT_EQ(DELVO_SaveNewData(nullptr, buf.image->bytes.data(), buf.names->bytes.data(), buf.channels->bytes.data()),
            KORVA_SAVE_BAD_ARGUMENT);
  EXPECT_EQ(DELVO_SaveNewData(Path("x").c_str(), nullptr, nullptr, nullptr), KORVA_SAVE_BAD_ARGUMENT);

  // Random transponders everywhere do not compress into the packed block's room.
  WriteFile(Path("keep.tpd"), {1, 2, 3});
  Buffers noisy;
  std::uint32_t x = 12345;
  auto next = [&] { return x = x * 1103515245u + 12345u, (x >> 8) & 0xFFFF; };
  for (int s = 0; s < 156; ++s)
    for (int t = 0; t < 26; ++t)
      SetTransponder(*noisy.image, s, t, {static_cast<int>(next()), 1, static_cast<int>(next()), 2});
  EXPECT_EQ(noisy.Save(Path("keep.tpd")), KORVA_SAVE_PACKED_TOO_BIG);
  // Random names and channels do not fit the outer block's room.
  Buffers crowded;
  DELVO_LoadDefaultData(crowded.image->bytes.data());
  for (auto& c : crowded.names->bytes) c = static_cast<std::uint8_t>(next());
  for (auto& c : crowded.channels->bytes) c = static_cast<std::uint8_t>(next());
  EXPECT_EQ(crowded.Save(Path("keep.tpd")), KORVA_SAVE_INNER_TOO_BIG);
  EXPECT_EQ(ReadFile(Path("keep.tpd")), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << "no temporary file left behind";
}

// A save writes the file the user means: through links, keeping its mode and its links, never over a FIFO or a
// read-only file, whatever the length of its name; and a load never waits on a FIFO.
TEST_F(KorvaFile, SaveWritesTheRealFileAndLoadOpensRegularFilesOnly) {
  namespace fs = std::filesystem;
  Buffers buf;
  DELVO_LoadDefaultData(buf.image->bytes.data());
  ASSERT_EQ(buf.Save(Path("good.tpd")), KORVA_SAVE_OK);
  const std::vector<std::uint8_t> good = ReadFile(Path("good.tpd"));
  const std::vector<std::uint8_t> old = {1, 2, 3};
  const mode_t umaskBefore = ::umask(022);
  ::umask(022);

  WriteFile(Path("target.tpd"), old);
  fs::create_symlink("target.tpd", Path("link.tpd"));
  WriteFile(Path("private.tpd"), old);
  fs::permissions(Path("private.tpd"), fs::perms::owner_read | fs::perms::owner_write);
  WriteFile(Path("readonly.tpd"), old);
  fs::permissions(Path("readonly.tpd"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  WriteFile(Path("linked.tpd"), old);
  fs::create_hard_link(Path("linked.tpd"), Path("other-name.tpd"));
  ASSERT_EQ(::mkfifo(Path("fifo.tpd").c_str(), 0644), 0);
  const std::string longName(250, 'n');

  EXPECT_EQ(buf.Save(Path("link.tpd")), KORVA_SAVE_OK);
  EXPECT_TRUE(fs::is_symlink(Path("link.tpd")));
  EXPECT_EQ(ReadFile(Path("target.tpd")), good);

  EXPECT_EQ(buf.Save(Path("private.tpd")), KORVA_SAVE_OK);
  EXPECT_EQ(fs::status(Path("private.tpd")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  errno = 0;
  EXPECT_EQ(buf.Save(Path("readonly.tpd")), KORVA_SAVE_CANNOT_CREATE);
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(ReadFile(Path("readonly.tpd")), old);

  EXPECT_EQ(buf.Save(Path("linked.tpd")), KORVA_SAVE_OK);
  EXPECT_EQ(ReadFile(Path("other-name.tpd")), good);

  errno = 0;
  EXPECT_EQ(buf.Save(Path("fifo.tpd")), KORVA_SAVE_CANNOT_CREATE);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(fs::status(Path("fifo.tpd")).type(), fs::file_type::fifo);

  EXPECT_EQ(buf.Save(Path(longName)), KORVA_SAVE_OK);
  EXPECT_EQ(ReadFile(Path(longName)), good);
  EXPECT_EQ(::umask(umaskBefore), 022) << "the save left the umask as it was";

  // Loading the FIFO returns (as a missing file: the defaults) instead of waiting for a writer.
  Buffers loaded;
  ASSERT_NE(loaded.Load(Path("fifo.tpd")), nullptr);
  Buffers defaults;
  DELVO_LoadDefaultData(defaults.image->bytes.data());
  EXPECT_EQ(loaded.image->bytes, defaults.image->bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 9) << "no temporary file left behind";
}

// Corrupt files: each loads without touching memory it should not, keeping what is sound.
TEST_F(KorvaFile, CorruptFilesLoadWhatIsSound) {
  Buffers good;
  DELVO_LoadDefaultData(good.image->bytes.data());
  SetTransponder(*good.image, 0, 0, {11111, 1, 22222, 2});
  for (int i = 0; i < 156; ++i) b::PutText(good.names->bytes, name_layout::Entry(i), 32, "N|");
  ASSERT_EQ(good.Save(Path("good.tpd")), KORVA_SAVE_OK);
  const auto file = ReadFile(Path("good.tpd"));
  const std::uint32_t l1 = b::GetU32LE(file, 4);

  // Builds a file whose inner image is `inner` (coded afresh).
  auto withInner = [&](const std::vector<std::uint8_t>& inner, std::uint32_t storedL1 = 0) {
    auto f = file;
    const auto coded = orvane::lzss::Encode(inner);
    std::fill(f.begin() + 8, f.begin() + 0x6FFC, 0);
    std::copy(coded.begin(), coded.begin() + std::min<std::size_t>(coded.size(), 0x6FF4), f.begin() + 8);
    b::PutU32LE(f, 4, storedL1 ? storedL1 : static_cast<std::uint32_t>(coded.size()));
    return f;
  };
  std::vector<std::uint8_t> inner(0xB000);
  orvane::lzss::Decode(b::Slice(std::span(file), 8, l1), inner);
  std::vector<std::uint8_t> packed(30352);
  orvane::lzss::Decode(b::Slice(std::span(inner), 8, b::GetU32LE(inner, 4)), packed);
  auto withPacked = [&](const std::vector<std::uint8_t>& p) {
    auto in = inner;
    const auto coded = orvane::lzss::Encode(p);
    std::fill(in.begin() + 8, in.begin() + 0x3FFC, 0);
    std::copy(coded.begin(), coded.end(), in.begin() + 8);
    b::PutU32LE(in, 4, static_cast<std::uint32_t>(coded.size()));
    return withInner(in);
  };

  enum Expect { kAsSaved, kDefaultsKeepNames, kDefaultsNoNames, kSkipsSome };
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    Expect expect;
  };
  auto tooManyTps = packed;
  b::PutU32LE(tooManyTps, 784, 0xFFFFFFFF);
  auto outOfGrid = packed;
  outOfGrid[788] = 200;  // first stored transponder names satellite slot 200
  outOfGrid[4788 + 1] = 130;  // second names transponder slot 130
  auto longInner = inner;
  longInner.resize(0xB000 + 5000, 0x77);  // decodes past the 45056-byte target
  auto badInnerMarker = inner;
  b::PutU32LE(badInnerMarker, 0x3FFC, 0);
  std::vector<std::uint8_t> hugeL1 = file;
  b::PutU32LE(hugeL1, 4, 0xFFFFFFF0);
  std::vector<std::uint8_t> truncated(file.begin(), file.begin() + 3000);
  std::vector<std::uint8_t> garbage(65536);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
  b::PutU32LE(garbage, 0, 0xBAB0BAB0);
  b::PutU32LE(garbage, 0x6FFC, 0xBAB0BAB0);

  const Case cases[] = {
      {"L1 beyond its room", hugeL1, kAsSaved},
      {"L2 beyond its room", [&] { auto in = inner; b::PutU32LE(in, 4, 0x7FFFFFFF); return withInner(in); }(), kAsSaved},
      {"inner stream longer than its target", withInner(longInner), kAsSaved},
      {"T above 4000", withPacked(tooManyTps), kSkipsSome},
      {"stored slots outside the grid", withPacked(outOfGrid), kSkipsSome},
      {"inner markers wrong", withInner(badInnerMarker), kDefaultsKeepNames},
      {"truncated file", truncated, kDefaultsNoNames},
      {"garbage between valid markers", garbage, kDefaultsKeepNames},
  };
  Buffers defaults;
  DELVO_LoadDefaultData(defaults.image->bytes.data());
  for (const auto& c : cases) {
    WriteFile(Path("bad.tpd"), c.bytes);
    Buffers buf;
    const auto report = korva::LoadFile(Path("bad.tpd").c_str(), buf.image->bytes.data(), buf.names->bytes.data(),
                                        buf.channels->bytes.data());
    switch (c.expect) {
      case kAsSaved:
        EXPECT_EQ(TransponderAt(*buf.image, 0, 0), (Tp{11111, 1, 22222, 2})) << c.what;
        EXPECT_EQ(b::GetText(buf.names->bytes, 0, 32, 32), "N|") << c.what;
        break;
      case kSkipsSome:
        EXPECT_TRUE(report.unpack.markersValid) << c.what;
        EXPECT_GT(report.unpack.beyondRoom + report.unpack.outOfGrid, 0u) << c.what;
        EXPECT_EQ(TransponderAt(*buf.image, 0, 2), (Tp{12073, 0, 25379, 5})) << c.what;  // not overwritten
        EXPECT_EQ(b::GetText(buf.names->bytes, 0, 32, 32), "N|") << c.what;
        break;
      case kDefaultsKeepNames:
        EXPECT_EQ(buf.image->bytes, defaults.image->bytes) << c.what;
        break;
      case kDefaultsNoNames:
        EXPECT_EQ(buf.image->bytes, defaults.image->bytes) << c.what;
        EXPECT_EQ(buf.names->bytes, SatelliteNameTable{}.bytes) << c.what;
        break;
    }
  }
}
