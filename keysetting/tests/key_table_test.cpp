#include "keysetting/key_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/file_io.h"

namespace ks = orvane::keysetting;
namespace fs = std::filesystem;

namespace {

// Bit reversal written independently of the code under test: through the binary digits as text.
std::uint16_t ReverseByText(std::uint32_t x) {
  std::string bits;
  for (int i = 12; i >= 0; --i) bits.push_back((x >> i) & 1 ? '1' : '0');
  std::reverse(bits.begin(), bits.end());
  return static_cast<std::uint16_t>(std::stoul(bits, nullptr, 2));
}

class KeyTableFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("orvane-keys-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void Put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static std::vector<std::uint8_t> Noise(std::size_t size) {
    std::mt19937 random(42);
    std::vector<std::uint8_t> b(size);
    for (auto& x : b) x = static_cast<std::uint8_t>(random());
    return b;
  }
  fs::path dir_;
};

ks::KeyTable SampleTable() {
  ks::KeyTable t;
  t.marker = ks::kMarker;
  t.entries[0] = {1, 4660, 22136, 0};
  t.entries[2] = {2, 0x1234, 0xABCD, 0};
  t.entries[7] = {-1, 65535, 1, 0};
  return t;
}

}  // namespace

TEST(KeyMappings, EveryPidRoundTripsThroughBothAlgorithms) {
  struct Keys {
    std::uint16_t key1, key2;
  } keys[] = {
      {0, 0},
      {0xFFFF, 0xFFFF},
      {ks::StoredKey(70000), ks::StoredKey(65536 + 8191)},  // typed above 65535
      {0x00A5, 0x1ABC},
      {0xFFA5, 0xFABC},  // same low 8 / 13 bits as the row above
      {0x1ABC, 0x00A5},
      {0xFABC, 0xFFA5},
  };
  for (const Keys& k : keys) {
    for (const int algorithm : {1, 2}) {
      std::vector<bool> seen(ks::kPidCount);
      for (std::uint32_t pid = 0; pid < ks::kPidCount; ++pid) {
        const auto v = ks::MapPid(algorithm, k.key1, k.key2, ks::Direction::RealToVirtual, pid);
        ASSERT_TRUE(v);
        ASSERT_LT(*v, ks::kPidCount);
        ASSERT_FALSE(seen[*v]) << "two real PIDs map to virtual " << *v;
        seen[*v] = true;
        ASSERT_EQ(ks::MapPid(algorithm, k.key1, k.key2, ks::Direction::VirtualToReal, *v), pid)
            << "algorithm " << algorithm << " keys " << k.key1 << "," << k.key2 << " pid " << pid;
      }
    }
  }
}

TEST(KeyMappings, KnownValuesAndTheKeyBitsEachAlgorithmUses) {
  // Worked by hand from the formulas.
  EXPECT_EQ(ks::Algorithm1RealToVirtual(0x12, 0x345, 0x100), 2645);
  EXPECT_EQ(ks::Algorithm2RealToVirtual(0x1234, 0x56, 0x100), 6863);
  EXPECT_EQ(ks::Algorithm1VirtualToReal(0x12, 0x345, 2645), 0x100);
  EXPECT_EQ(ks::Algorithm2VirtualToReal(0x1234, 0x56, 6863), 0x100);

  // Algorithm 1 uses 8 bits of key 1 and 13 of key 2; algorithm 2 the other way round.
  for (std::uint32_t pid : {0u, 1u, 0x155u, 0x1FFFu}) {
    EXPECT_EQ(ks::Algorithm1RealToVirtual(0x12, 0x0345, pid),
              ks::Algorithm1RealToVirtual(0xFF12, 0xE345, pid));
    EXPECT_NE(ks::Algorithm1RealToVirtual(0x12, 0x0345, pid), ks::Algorithm1RealToVirtual(0x92, 0x0345, pid));
    EXPECT_NE(ks::Algorithm1RealToVirtual(0x12, 0x0345, pid), ks::Algorithm1RealToVirtual(0x12, 0x1345, pid));
    EXPECT_EQ(ks::Algorithm2RealToVirtual(0x1234, 0x56, pid),
              ks::Algorithm2RealToVirtual(0xF234, 0xFF56, pid));
    EXPECT_NE(ks::Algorithm2RealToVirtual(0x1234, 0x56, pid), ks::Algorithm2RealToVirtual(0x0234, 0x56, pid));
    EXPECT_NE(ks::Algorithm2RealToVirtual(0x1234, 0x56, pid), ks::Algorithm2RealToVirtual(0x1234, 0xD6, pid));
  }
  EXPECT_FALSE(ks::MapPid(0, 1, 2, ks::Direction::RealToVirtual, 5));
  EXPECT_FALSE(ks::MapPid(3, 1, 2, ks::Direction::VirtualToReal, 5));
}

TEST(KeyMappings, AlgorithmOneWithZeroKeysIsTheBitReversal) {
  EXPECT_EQ(ks::Rev13(1), 0x1000);
  EXPECT_EQ(ks::Rev13(0x1000), 1);
  EXPECT_EQ(ks::Rev13(0x1FFF), 0x1FFF);
  for (std::uint32_t pid = 0; pid < ks::kPidCount; ++pid) {
    ASSERT_EQ(ks::Algorithm1RealToVirtual(0, 0, pid), ReverseByText(pid)) << pid;
    ASSERT_EQ(ks::Algorithm1VirtualToReal(0, 0, pid), ReverseByText(pid)) << pid;
  }
}

TEST(KeyMappings, APidAboveTheThirteenBitsUsesItsLowBits) {
  for (const int algorithm : {1, 2})
    for (const auto d : {ks::Direction::RealToVirtual, ks::Direction::VirtualToReal})
      for (std::uint32_t pid : {0u, 5u, 8191u})
        for (std::uint32_t high : {0x2000u, 0xE000u, 0xFFFFE000u})
          EXPECT_EQ(ks::MapPid(algorithm, 300, 7000, d, pid | high),
                    ks::MapPid(algorithm, 300, 7000, d, pid));
}

TEST(KeyTableBlock, LayoutIsLittleEndianEntriesBehindTheMarker) {
  const ks::Block block = ks::EncodeBlock(SampleTable());
  ASSERT_EQ(block.size(), 68u);
  const std::vector<std::uint8_t> head(block.begin(), block.begin() + 12);
  EXPECT_EQ(head,
            (std::vector<std::uint8_t>{0xBA, 0xB0, 0xBA, 0xB0, 0x01, 0x00, 0x34, 0x12, 0x78, 0x56, 0, 0}));
  const std::vector<std::uint8_t> third(block.begin() + 4 + 16, block.begin() + 4 + 24);
  EXPECT_EQ(third, (std::vector<std::uint8_t>{0x02, 0x00, 0x34, 0x12, 0xCD, 0xAB, 0, 0}));
  const std::vector<std::uint8_t> last(block.begin() + 60, block.end());
  EXPECT_EQ(last, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0, 0}));
  EXPECT_EQ(ks::DecodeBlock(block), SampleTable());
}

TEST(KeyGridCompute, RowsSkippedAndPidCellsAsTheWindowReadsThem) {
  ks::KeyGrid g;
  const std::string a1(ks::kAlgorithm1Text), a2(ks::kAlgorithm2Text);
  // algorithm, key 1, key 2, real video/audio/PCR, virtual video/audio/PCR
  const std::array<std::array<const char*, 9>, 8> rows = {{
      {"알고리즘1", "0", "0", "1", "4096", "8191", "", "", ""},
      {"None", "5", "6", "100", "", "", "keep", "", ""},
      {"알고리즘2", "70000", "-1", "", "abc", "8197", "keep", "", ""},
      {"알고리즘1", "", "6", "100", "", "", "keep", "", ""},
      {"알고리즘2", "5", "x1", "100", "", "", "keep", "", ""},
      {"algorithm", "5", "6", "100", "", "", "keep", "", ""},
      {"알고리즘1", "2147483648", "6", "100", "", "", "keep", "", ""},
      {"알고리즘2", " 12", "+34", "-1", "", "", "", "", ""},
  }};
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 9; ++c)
      g.at(r + 1, c + 1) = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
  ASSERT_EQ(g.at(1, 1), a1);

  ks::KeyTable t;
  t.marker = ks::kMarker;
  t.entries.fill({2, 9, 9, 9});  // rebuilt from the grid: skipped rows end up all zero
  ks::ComputePids(g, t, ks::Direction::RealToVirtual);

  ks::KeyTable want;
  want.marker = ks::kMarker;
  want.entries[0] = {1, 0, 0, 0};
  want.entries[2] = {2, 70000 % 65536, 65535, 0};
  want.entries[7] = {2, 12, 34, 0};
  EXPECT_EQ(t, want);

  EXPECT_EQ(g.at(1, 7), "4096");
  EXPECT_EQ(g.at(1, 8), "1");
  EXPECT_EQ(g.at(1, 9), "8191");
  EXPECT_EQ(g.at(3, 7), "keep");                                                       // empty real cell
  EXPECT_EQ(g.at(3, 8), std::to_string(ks::Algorithm2RealToVirtual(4464, 65535, 0)));  // "abc" counts as 0
  EXPECT_EQ(g.at(3, 9), std::to_string(ks::Algorithm2RealToVirtual(4464, 65535, 5)));  // 8197: low 13 bits
  for (int row : {2, 4, 5, 6, 7}) {
    EXPECT_EQ(g.at(row, 7), "keep") << row;
    EXPECT_EQ(g.at(row, 8), "") << row;
  }
  EXPECT_EQ(g.at(8, 7), std::to_string(ks::Algorithm2RealToVirtual(12, 34, 8191)));  // -1: low 13 bits

  // Back from the virtual PIDs: the real PIDs typed in range come back; the others as their 13-bit values.
  for (int row = 1; row <= 8; ++row)
    for (int c = 4; c <= 6; ++c) g.at(row, c) = "stale";
  ks::ComputePids(g, t, ks::Direction::VirtualToReal);
  EXPECT_EQ(t, want);
  EXPECT_EQ(g.at(1, 4), "1");
  EXPECT_EQ(g.at(1, 5), "4096");
  EXPECT_EQ(g.at(1, 6), "8191");
  EXPECT_EQ(g.at(3, 4), std::to_string(ks::Algorithm2VirtualToReal(4464, 65535, 0)));  // virtual "keep" is 0
  EXPECT_EQ(g.at(3, 5), "0");
  EXPECT_EQ(g.at(3, 6), "5");
  EXPECT_EQ(g.at(8, 4), "8191");
  EXPECT_EQ(g.at(8, 5), "stale");  // empty virtual cell
  EXPECT_EQ(g.at(2, 4), "stale");  // skipped row
}

TEST(KeyGridShow, LoadedTableFillsAlgorithmsAndKeysAndEmptiesTheRest) {
  ks::KeyGrid g;
  for (int row = 0; row <= 8; ++row)
    for (int col = 0; col < 10; ++col) g.at(row, col) = "old";
  ks::KeyTable t = SampleTable();
  t.entries[1] = {0, 5, 6, 0};  // keys of an entry without algorithm are not shown
  t.entries[3] = {7, 1, 2, 0};  // unknown algorithm: empty cell, keys shown
  ks::ShowTable(t, g);
  const std::array<std::array<std::string, 3>, 8> want = {{
      {std::string(ks::kAlgorithm1Text), "4660", "22136"},
      {"None", "", ""},
      {std::string(ks::kAlgorithm2Text), "4660", "43981"},
      {"", "1", "2"},
      {"None", "", ""},
      {"None", "", ""},
      {"None", "", ""},
      {"", "65535", "1"},  // algorithm -1
  }};
  for (int row = 1; row <= 8; ++row) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(g.at(row, c + 1), want[row - 1][c]) << row << "," << c + 1;
    for (int col = 4; col <= 9; ++col) EXPECT_EQ(g.at(row, col), "") << row << "," << col;
    EXPECT_EQ(g.at(row, 0), "old");
  }
  EXPECT_EQ(g.at(0, 3), "old");

  for (int row = 1; row <= 8; ++row) g.at(row, 6) = g.at(row, 9) = "1";
  ks::ClearPids(g);
  for (int row = 1; row <= 8; ++row) {
    EXPECT_EQ(g.at(row, 6), "");
    EXPECT_EQ(g.at(row, 9), "");
    EXPECT_EQ(g.at(row, 2), want[row - 1][1]);
  }
}

TEST_F(KeyTableFile, WriteChangesOnlyTheBlockAndKeepsModeAndLink) {
  const std::vector<std::uint8_t> before = Noise(65536);
  Put(Path("real.tpd"), before);
  ::chmod(Path("real.tpd").c_str(), 0640);
  fs::create_symlink("real.tpd", Path("link.tpd"));

  ks::WriteKeyTable(Path("link.tpd"), SampleTable());

  EXPECT_TRUE(fs::is_symlink(Path("link.tpd")));
  EXPECT_EQ(fs::status(Path("real.tpd")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::vector<std::uint8_t> after = Bytes(Path("real.tpd"));
  ASSERT_EQ(after.size(), 65536u);
  std::vector<std::uint8_t> want = before;
  const ks::Block block = ks::EncodeBlock(SampleTable());
  std::copy(block.begin(), block.end(), want.begin() + 0x6F00);
  EXPECT_EQ(after, want);
  EXPECT_EQ(ks::ReadKeyTable(Path("link.tpd")), SampleTable());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);  // no temporary left
}

TEST_F(KeyTableFile, WriteRefusesWhatIsNotADatabaseImageFile) {
  struct Case {
    const char* name;
    long size;  // -1: no such file; -2: a folder
    const char* reason;
  } cases[] = {{"short.tpd", 65535, "65535 bytes"}, {"long.tpd", 65537, "65537 bytes"},
               {"empty.tpd", 0, "0 bytes"},         {"huge.tpd", 300 * 1024 * 1024, "314572800 bytes"},
               {"missing.tpd", -1, "No such file"}, {"folder.tpd", -2, "directory"}};
  for (const Case& c : cases) {
    const std::string path = Path(c.name);
    std::vector<std::uint8_t> before;
    if (c.size == -2) {
      fs::create_directory(path);
    } else if (c.size == 300 * 1024 * 1024) {
      Put(path, Noise(100));
      fs::resize_file(path, static_cast<std::uintmax_t>(c.size));  // sparse
    } else if (c.size >= 0) {
      before = Noise(static_cast<std::size_t>(c.size));
      Put(path, before);
    }
    try {
      ks::WriteKeyTable(path, SampleTable());
      ADD_FAILURE() << c.name << " was written";
    } catch (const orvane::files::FileError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
    if (c.size == -1) {
      EXPECT_FALSE(fs::exists(path));
    } else if (c.size >= 0 && c.size < 70000) {
      EXPECT_EQ(Bytes(path), before) << c.name;
    }
  }
}

TEST_F(KeyTableFile, ReadTakesTheBlockOfAnyFileLongEnoughWithoutLookingAtTheMarker) {
  std::vector<std::uint8_t> file = Noise(0x6F00 + 68);
  ks::KeyTable t = SampleTable();
  t.marker = {1, 2, 3, 4};
  const ks::Block block = ks::EncodeBlock(t);
  std::copy(block.begin(), block.end(), file.begin() + 0x6F00);
  Put(Path("exact.bin"), file);
  EXPECT_EQ(ks::ReadKeyTable(Path("exact.bin")), t);
  Put(Path("large.bin"), file);
  fs::resize_file(Path("large.bin"), std::uintmax_t{1} << 30);  // sparse; only its start is read
  EXPECT_EQ(ks::ReadKeyTable(Path("large.bin")), t);

  file.pop_back();
  Put(Path("short.bin"), file);
  try {
    ks::ReadKeyTable(Path("short.bin"));
    ADD_FAILURE() << "a file without the whole block was read";
  } catch (const orvane::files::FileError& e) {
    EXPECT_NE(std::string(e.what()).find("28483 bytes"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ks::ReadKeyTable(Path("missing.tpd")), orvane::files::FileError);
}
