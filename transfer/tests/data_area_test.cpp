#include "transfer/data_area.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "common/file_io.h"
#include "transfer/transfer_session.h"

using namespace orvane::transfer;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
  std::vector<std::uint8_t> v(size);
  for (std::size_t i = 0; i < size; ++i) v[i] = static_cast<std::uint8_t>(i * seed + seed);
  return v;
}

// Every subset of the four flags against a byte-by-byte account of who owns each place: the last set row
// (in map order) whose range covers it, else the data area as fetched.
TEST(DataAreaMerge, EverySubsetOfFlags) {
  const std::vector<std::uint8_t> sources[4] = {Pattern(65536, 3), Pattern(65536, 5), Pattern(65536, 7),
                                                Pattern(65536, 11)};
  const auto fetched = Pattern(kDataAreaImageSize, 13);
  struct Range {
    std::size_t begin, end;
  };
  const Range ranges[4] = {{0x20008, 0x20008 + 18432}, {0x24808, 0x24808 + 23552}, {0x2A408, 0x2A408 + 23552},
                           {0x30000, 0x40000}};
  for (unsigned mask = 0; mask < 16; ++mask) {
    MergeSources set{};
    for (int s = 0; s < 4; ++s)
      if (mask & (1u << s)) set[static_cast<std::size_t>(s)] = sources[s];
    auto area = fetched;
    ApplyMerge(area, set);
    for (std::size_t i = 0; i < area.size(); ++i) {
      std::uint8_t want = fetched[i];
      for (int s = 0; s < 4; ++s)
        if ((mask & (1u << s)) && i >= ranges[s].begin && i < ranges[s].end) want = sources[s][i - ranges[s].begin];
      ASSERT_EQ(area[i], want) << "flags " << mask << " at " << std::hex << i;
    }
  }
}

TEST(DataAreaMerge, AllFourFlagsTheOverlapGoesToTheDatabaseImage) {
  const std::vector<std::uint8_t> menu(18432, 0x11), opening(23552, 0x22), radio(23552, 0x33),
      db = Pattern(65536, 1);
  std::vector<std::uint8_t> area(kDataAreaImageSize, 0x00);
  ApplyMerge(area, {menu, opening, radio, db});
  EXPECT_EQ(area[0x20007], 0x00);
  EXPECT_EQ(area[0x20008], 0x11);
  EXPECT_EQ(area[0x24807], 0x11);
  EXPECT_EQ(area[0x24808], 0x22);
  EXPECT_EQ(area[0x2A407], 0x22);
  EXPECT_EQ(area[0x2A408], 0x33);
  EXPECT_EQ(area[0x2FFFF], 0x33);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(area[0x30000 + i], db[i]) << i;
  EXPECT_EQ(area[0x3FFFF], db[0xFFFF]);
}

TEST(DataAreaMerge, RefusedBeforeAnythingIsCopied) {
  const std::vector<std::uint8_t> menu(18432, 0x11), shortRadio(23551, 0x33);
  std::vector<std::uint8_t> area(kDataAreaImageSize, 0x00);
  EXPECT_THROW(ApplyMerge(area, {menu, {}, shortRadio, {}}), std::invalid_argument);
  EXPECT_EQ(area[0x20008], 0x00);
  std::vector<std::uint8_t> small(131072, 0x00);
  EXPECT_THROW(ApplyMerge(small, {menu, {}, {}, {}}), std::invalid_argument);
}

class SatTpFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string t = (fs::temp_directory_path() / "orvane-satp-XXXXXX").string();
    dir = ::mkdtemp(t.data());
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  std::string Make(std::size_t size) {
    const auto p = (dir / ("f" + std::to_string(size))).string();
    const auto bytes = Pattern(size, 9);
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  fs::path dir;
};

TEST_F(SatTpFileTest, SizesDecide) {
  struct Case {
    std::size_t size;
    SatTpCheck check;
    const char* message;
  };
  const Case cases[] = {{0, SatTpCheck::FileError, "File Error"},
                        {65535, SatTpCheck::InvalidSize, "Invaild data file"},
                        {65537, SatTpCheck::InvalidSize, "Invaild data file"},
                        {1, SatTpCheck::InvalidSize, "Invaild data file"},
                        {65536, SatTpCheck::Ok, nullptr}};
  for (const auto& c : cases) {
    const SatTpFile f = ReadSatTpFile(Make(c.size));
    EXPECT_EQ(f.check, c.check) << c.size;
    EXPECT_EQ(f.size, c.size);
    if (c.message) {
      EXPECT_STREQ(SatTpMessage(f.check), c.message);
    } else {
      EXPECT_EQ(SatTpMessage(f.check), nullptr);
    }
    EXPECT_EQ(f.bytes.size(), c.check == SatTpCheck::Ok ? 65536u : 0u);
    if (c.check == SatTpCheck::Ok) {
      EXPECT_EQ(f.bytes, Pattern(65536, 9));
    }
  }
}

TEST_F(SatTpFileTest, UnreadableFilesRaiseWithTheReason) {
  try {
    ReadSatTpFile((dir / "missing.tpd").string());
    FAIL();
  } catch (const orvane::files::FileError& e) {
    EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ReadSatTpFile(dir.string()), orvane::files::FileError);
}

}  // namespace
