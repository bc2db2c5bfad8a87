#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/tests/cli_run.h"

namespace {

using cli_test::Cli;
using cli_test::Result;

class KeysCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("orvane-keys-cli-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) { return (dir_ / name).string(); }
  static std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void Put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::filesystem::path dir_;
};

std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i % 251);
  return b;
}

}  // namespace

TEST_F(KeysCli, SetChangesOneEntryAndShowReadsItBack) {
  std::vector<std::uint8_t> file = Pattern(65536);
  // Service 1 as a window would have saved it; the marker left wrong, which neither command minds.
  const std::vector<std::uint8_t> service1 = {1, 0, 0x34, 0x12, 0x78, 0x56, 0, 0};
  std::copy(service1.begin(), service1.end(), file.begin() + 0x6F04);
  Put(Path("db.tpd"), file);

  Result shown = Cli("keys show " + Path("db.tpd"));
  ASSERT_EQ(shown.status, 0) << shown.out;
  // 0x6F00 % 251 = 28416 % 251 = 53
  EXPECT_EQ(shown.out.substr(0, shown.out.find('\n') + 1), "marker 35 36 37 38\n");
  EXPECT_NE(shown.out.find("\nservice 1 algorithm 1 key1 4660 key2 22136\n"), std::string::npos) << shown.out;

  const Result set = Cli("keys set " + Path("db.tpd") + " 3 2 70000 -1");
  ASSERT_EQ(set.status, 0) << set.out;
  EXPECT_EQ(set.out, "service 3 algorithm 2 key1 4464 key2 65535\n");
  std::vector<std::uint8_t> want = file;
  const std::vector<std::uint8_t> marker = {0xBA, 0xB0, 0xBA, 0xB0};
  const std::vector<std::uint8_t> service3 = {2, 0, 0x70, 0x11, 0xFF, 0xFF, 0, 0};
  std::copy(marker.begin(), marker.end(), want.begin() + 0x6F00);
  std::copy(service3.begin(), service3.end(), want.begin() + 0x6F04 + 16);
  EXPECT_EQ(Bytes(Path("db.tpd")), want);

  shown = Cli("keys show " + Path("db.tpd"));
  std::istringstream lines(shown.out);
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line);
  ASSERT_EQ(got.size(), 9u) << shown.out;
  EXPECT_EQ(got[0], "marker BA B0 BA B0");
  EXPECT_EQ(got[1], "service 1 algorithm 1 key1 4660 key2 22136");
  EXPECT_EQ(got[3], "service 3 algorithm 2 key1 4464 key2 65535");
  EXPECT_EQ(got[8].rfind("service 8 algorithm ", 0), 0u);

  // Algorithm 0 is "None": an all-zero entry.
  ASSERT_EQ(Cli("keys set " + Path("db.tpd") + " 3 0 5 6").status, 0);
  const std::vector<std::uint8_t> cleared = Bytes(Path("db.tpd"));
  EXPECT_EQ(std::vector<std::uint8_t>(cleared.begin() + 0x6F14, cleared.begin() + 0x6F1C),
            std::vector<std::uint8_t>(8, 0));
}

TEST_F(KeysCli, MapsEveryPidInOneCallAndBack) {
  std::string all;
  for (int pid = 0; pid < 8192; ++pid) all += " " + std::to_string(pid);
  const Result forward = Cli("keys map 2 4660 22136 real" + all);
  ASSERT_EQ(forward.status, 0) << forward.out.substr(0, 200);
  std::istringstream lines(forward.out);
  std::string virtuals;
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    ASSERT_LT(std::stoi(line), 8192);
    virtuals += " " + line;
  }
  ASSERT_EQ(count, 8192);
  const Result back = Cli("keys map 2 4660 22136 virtual" + virtuals);
  ASSERT_EQ(back.status, 0);
  std::string expected;
  for (int pid = 0; pid < 8192; ++pid) expected += std::to_string(pid) + "\n";
  EXPECT_EQ(back.out, expected);

  // Worked by hand; algorithm 1 with zero keys reverses the 13 bits; a PID above 8191 uses its low 13 bits.
  EXPECT_EQ(Cli("keys map 1 18 837 real 256").out, "2645\n");
  EXPECT_EQ(Cli("keys map 2 4660 86 real 256").out, "6863\n");
  EXPECT_EQ(Cli("keys map 1 0 0 virtual 1 4096 8193").out, "4096\n1\n4096\n");
}

TEST_F(KeysCli, RefusesBadFilesAndArgumentsWithoutWriting) {
  Put(Path("short.tpd"), Pattern(65535));
  Put(Path("small.bin"), Pattern(100));
  struct Case {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
      {"keys set " + Path("short.tpd") + " 1 1 2 3", 1, "not a database image file"},
      {"keys set " + Path("missing.tpd") + " 1 1 2 3", 1, "No such file"},
      {"keys show " + Path("small.bin"), 1, "too short"},
      {"keys show " + Path("missing.tpd"), 1, "No such file"},
      {"keys set " + Path("short.tpd") + " 9 1 2 3", 2, "SERVICE"},
      {"keys set " + Path("short.tpd") + " 1 3 2 3", 2, "ALGORITHM"},
      {"keys set " + Path("short.tpd") + " 1 1 x 3", 2, "'x' is not a valid integer value"},
      {"keys map 0 1 2 real 5", 2, "ALGORITHM"},
      {"keys map 1 1 2 sideways 5", 2, "real or virtual"},
      {"keys map 1 1 2 real 5 6x", 2, "'6x' is not a valid integer value"},
      {"keys map 1 1 2 real", 2, "usage"},
      {"keys", 2, "usage"},
  };
  for (const Case& c : cases) {
    const Result r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
      EXPECT_NE(line.find_first_not_of("0123456789"), std::string::npos) << "partial output: " << r.out;
  }
  EXPECT_EQ(Bytes(Path("short.tpd")), Pattern(65535));
  EXPECT_FALSE(std::filesystem::exists(Path("missing.tpd")));
}
