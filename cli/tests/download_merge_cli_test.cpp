#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/tests/cli_run.h"
#include "transfer/tests/sim_process.h"

namespace {

namespace fs = std::filesystem;

using cli_test::Result;
using cli_test::Shell;

std::vector<std::uint8_t> Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The data area ird-sim serves by default.
std::uint8_t SimByte(std::size_t i) { return static_cast<std::uint8_t>((i * 7) ^ (i >> 9)); }

std::string Bin(const std::string& name) {
  const std::string cli = ORVANE_CLI_PATH;
  return cli.substr(0, cli.rfind('/') + 1) + name;
}

using DownloadMergeCli = cli_test::ScratchFolderTest;

// The three slots as the picture command writes them for this tool, a database image and a base file: a 256 KB
// download patches all four in, the Radio slot's last 8 bytes giving way to the database image; a 128 KB
// download keeps the base beyond the packets' reach.
TEST_F(DownloadMergeCli, AllFourSourcesAndTheBase) {
  const Result jpeg = Shell("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240 -frames:v 1 -q:v 2 '" +
                            (dir / "pic.jpg").string() + "'");
  ASSERT_EQ(jpeg.status, 0) << jpeg.out;
  for (const char* kind : {"opening", "mainmenu", "radio"}) {
    const Result r = Cli(std::string("picture slot --kind ") + kind +
                         " --bitrate 3000000 --brightness 40 --fill ff pic.jpg " + kind + ".slot");
    ASSERT_EQ(r.status, 0) << r.out;
  }
  std::vector<std::uint8_t> db(65536), base(262144);
  for (std::size_t i = 0; i < db.size(); ++i) db[i] = static_cast<std::uint8_t>(0x40 + i % 17);
  for (std::size_t i = 0; i < base.size(); ++i) base[i] = static_cast<std::uint8_t>(0x90 + i % 5);
  Write(dir / "db.tpd", db);
  Write(dir / "base.dat", base);

  orvane::testing::SimProcess sim({}, Bin("ird-sim"));
  Result r = Cli("download --size 256 --tpd db.tpd --opening opening.slot --mainmenu mainmenu.slot --radio "
                 "radio.slot --base base.dat --port " + sim.path() + " whole.dat");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Success"), std::string::npos) << r.out;
  const auto got = Read(dir / "whole.dat");
  ASSERT_EQ(got.size(), 262144u);
  for (std::size_t i = 0; i < 0x20008; ++i) ASSERT_EQ(got[i], SimByte(i)) << i;
  const auto mm = Read(dir / "mainmenu.slot"), op = Read(dir / "opening.slot"), ra = Read(dir / "radio.slot");
  ASSERT_EQ(mm.size(), 18432u);
  ASSERT_EQ(ra.size(), 23552u);
  EXPECT_TRUE(std::equal(mm.begin(), mm.end(), got.begin() + 0x20008));
  EXPECT_TRUE(std::equal(op.begin(), op.end(), got.begin() + 0x24808));
  EXPECT_TRUE(std::equal(ra.begin(), ra.end() - 8, got.begin() + 0x2A408));
  EXPECT_TRUE(std::equal(db.begin(), db.end(), got.begin() + 0x30000));
  EXPECT_EQ(ra[ra.size() - 1], 0xFF);  // the filler of a slot made for this tool
  EXPECT_NE(got[0x30007], 0xFF);

  r = Cli("download --size 128 --base base.dat --port " + sim.path() + " half.dat");
  ASSERT_EQ(r.status, 0) << r.out;
  const auto half = Read(dir / "half.dat");
  ASSERT_EQ(half.size(), 262144u);
  constexpr std::size_t reach = 39 * 3500;
  for (std::size_t i = 0; i < reach; ++i) ASSERT_EQ(half[i], SimByte(i)) << i;
  EXPECT_TRUE(std::equal(half.begin() + reach, half.end(), base.begin() + reach));
}

// Every input is checked before the port: no "COM Port" message, nothing written.
TEST_F(DownloadMergeCli, InputsAreCheckedFirst) {
  Write(dir / "short.tpd", std::vector<std::uint8_t>(65535, 1));
  Write(dir / "empty.tpd", {});
  Write(dir / "small.slot", std::vector<std::uint8_t>(18432, 0xFF));
  Write(dir / "small.dat", std::vector<std::uint8_t>(1000, 0));
  struct Case {
    std::string options;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"--tpd short.tpd", 1, "Invaild data file"},
      {"--tpd empty.tpd", 1, "File Error"},
      {"--tpd missing.tpd", 1, "cannot read"},
      {"--radio small.slot", 1, "a slot for this place has 23552 bytes, this file 18432"},
      {"--mainmenu small.slot --opening small.slot", 1, "this file 18432"},
      {"--base small.dat", 1, "a data file has 262144 bytes, this file 1000"},
      {"--radio small.slot --radio small.slot", 2, "usage:"},
      {"--picture small.slot", 2, "usage:"},
  };
  for (const auto& c : cases) {
    const Result r = Cli("download --size 128 " + c.options + " --port /nonexistent/tty out.dat");
    EXPECT_EQ(r.status, c.status) << c.options << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.options << "\n" << r.out;
    EXPECT_EQ(r.out.find("COM Port"), std::string::npos) << c.options << "\n" << r.out;
    EXPECT_FALSE(fs::exists(dir / "out.dat"));
  }
  EXPECT_EQ(Cli("download --tpd short.tpd out.dat").status, 2);  // no --size
}

}  // namespace
