#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

class PictureCli : public cli_test::ScratchFolderTest {
 protected:
  // A JPEG made by ffmpeg from one of its test sources.
  void MakeJpeg(const std::string& name, const std::string& source) {
    const Result r = Shell("ffmpeg -v error -y -f lavfi -i \"" + source + "\" -frames:v 1 -q:v 2 '" +
                         (dir / name).string() + "'");
    ASSERT_EQ(r.status, 0) << r.out;
  }
};

TEST_F(PictureCli, SlotFilesDecodeAndMakeAPictureImage) {
  MakeJpeg("bars.jpg", "testsrc=size=640x480");
  const Result made = Cli("picture slot --kind mainmenu --fill ff bars.jpg mm.slot");
  ASSERT_EQ(made.status, 0) << made.out;
  EXPECT_NE(made.out.find("limit 18400, target 10000 at 2000000 bit/s"), std::string::npos) << made.out;
  EXPECT_NE(made.out.find("quantiser"), std::string::npos) << made.out;
  EXPECT_TRUE(fs::exists(dir / "tmp.bmp"));
  const auto slot = Read(dir / "mm.slot");
  ASSERT_EQ(slot.size(), 18432u);
  const std::uint32_t length = slot[4] | slot[5] << 8 | slot[6] << 16 | static_cast<std::uint32_t>(slot[7]) << 24;
  ASSERT_LT(length, 18400u);
  EXPECT_EQ(std::vector<std::uint8_t>(slot.begin(), slot.begin() + 4), (std::vector<std::uint8_t>{0xFF, 0xC0, 0xFF, 0xC0}));
  EXPECT_EQ(slot[18408], 0xFF);
  EXPECT_EQ(slot[18409], 0xC0);
  EXPECT_EQ(slot.back(), 0xFF);  // the filler keeps the initial fill

  // The stream in the slot is a picture ffmpeg can decode.
  std::ofstream(dir / "mm.m2v", std::ios::binary)
      .write(reinterpret_cast<const char*>(slot.data() + 8), static_cast<std::streamsize>(length));
  const Result probe = Shell("ffprobe -v error -show_entries stream=codec_name,width,height -of default=nw=1 '" +
                             (dir / "mm.m2v").string() + "'");
  EXPECT_EQ(probe.out, "codec_name=mpeg2video\nwidth=704\nheight=576\n");
  const Result decoded = Shell("ffmpeg -v error -i '" + (dir / "mm.m2v").string() + "' -f null -");
  EXPECT_EQ(decoded.status, 0) << decoded.out;
  EXPECT_EQ(decoded.out, "");

  const Result image = Cli("picture image --mainmenu mm.slot pictures.img");
  ASSERT_EQ(image.status, 0) << image.out;
  const auto img = Read(dir / "pictures.img");
  ASSERT_EQ(img.size(), 65536u);
  EXPECT_TRUE(std::equal(slot.begin(), slot.end(), img.begin()));
  EXPECT_TRUE(std::all_of(img.begin() + 18432, img.end(), [](std::uint8_t b) { return b == 0; }));

  // A slot file of the wrong size is refused and nothing is written.
  const Result wrong = Cli("picture image --opening mm.slot other.img");
  EXPECT_EQ(wrong.status, 1) << wrong.out;
  EXPECT_NE(wrong.out.find("a opening slot has 23552"), std::string::npos) << wrong.out;
  EXPECT_FALSE(fs::exists(dir / "other.img"));
}

TEST_F(PictureCli, RefusalsAndErrors) {
  MakeJpeg("noise.jpg", "nullsrc=s=704x576,geq=lum='random(1)*255':cb=128:cr=128");
  // 5,000,000 bit/s aims at 25,000 bytes: more than a Main Menu slot takes.
  const Result big = Cli("picture slot --kind mainmenu --bitrate 5000000 --brightness 100 noise.jpg big.slot");
  EXPECT_EQ(big.status, 1) << big.out;
  EXPECT_NE(big.out.find("Too Big Compressed Size"), std::string::npos) << big.out;
  EXPECT_FALSE(fs::exists(dir / "big.slot"));

  std::ofstream(dir / "text.jpg") << "not a picture";
  const Result bad = Cli("picture slot --kind radio text.jpg bad.slot");
  EXPECT_EQ(bad.status, 1) << bad.out;
  EXPECT_NE(bad.out.find("JPEG error #"), std::string::npos) << bad.out;
  EXPECT_FALSE(fs::exists(dir / "bad.slot"));

  for (const char* usage : {"picture", "picture slot noise.jpg x", "picture slot --kind tv noise.jpg x",
                            "picture slot --kind radio --brightness 101 noise.jpg x", "picture image"})
    EXPECT_EQ(Cli(usage).status, 2) << usage;
  const Result help = Cli("picture slot --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

TEST_F(PictureCli, UploadSendsAPictureImageAs2PI) {
  std::vector<char> image(65536);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 5 + 1);
  std::ofstream(dir / "pictures.img", std::ios::binary).write(image.data(), static_cast<std::streamsize>(image.size()));
  std::ofstream(dir / "short.img", std::ios::binary).write(image.data(), 65535);
  const std::string cli = ORVANE_CLI_PATH;
  const std::string sim = cli.substr(0, cli.rfind('/') + 1) + "ird-sim";
  orvane::testing::SimProcess receiver({"--save", (dir / "got.bin").string()}, sim);
  const Result sent = Cli("upload --pictures pictures.img --port " + receiver.path());
  EXPECT_EQ(sent.status, 0) << sent.out;
  EXPECT_NE(sent.out.find("Success"), std::string::npos) << sent.out;
  ASSERT_TRUE(receiver.WaitFor("result success"));
  EXPECT_TRUE(receiver.Has("program 2PI* version -")) << receiver.Output();
  const auto got = Read(dir / "got.bin");
  EXPECT_TRUE(got.size() == image.size() && std::equal(got.begin(), got.end(), image.begin(), [](std::uint8_t a, char b) {
                return a == static_cast<std::uint8_t>(b);
              }));

  const Result wrong = Cli("upload --pictures short.img --port " + receiver.path());
  EXPECT_EQ(wrong.status, 1) << wrong.out;
  EXPECT_NE(wrong.out.find("a picture image has 65536 bytes, this file 65535"), std::string::npos) << wrong.out;
  EXPECT_EQ(Cli("upload --pictures pictures.img extra.bin").status, 2);
}

}  // namespace
