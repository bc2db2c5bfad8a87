#include "pictures/picture_pipeline.h"

#include <jerror.h>

#include <algorithm>
#include <numeric>

#include "common/file_io.h"
#include "pictures/tests/picture_test_support.h"

namespace pics = orvane::pictures;
using pics::PictureKind;
using picture_test::MakeJpeg;
using picture_test::TempDir;
using picture_test::WriteFile;

namespace {

using picture_test::FakeEncoder;

// A greyscale JPEG whose 8 x 8 blocks are flat: such blocks decode exactly, so the stretch can be checked
// byte for byte.
std::uint8_t BlockValue(int bx, int by) { return static_cast<std::uint8_t>(bx * 37 + by * 11 + 5); }
std::vector<std::uint8_t> BlockJpeg(int width, int height) {
  return MakeJpeg(width, height, 1, [](int x, int y, int) { return BlockValue(x / 8, y / 8); });
}

std::uint8_t At(const pics::Frame& f, int x, int yTopDown, int channel) {
  return f[static_cast<std::size_t>(pics::kFrameHeight - 1 - yTopDown) * pics::kRowBytes +
           static_cast<std::size_t>(x) * 3 + static_cast<std::size_t>(channel)];
}

}  // namespace

TEST(Darken, ExtendedPrecisionDiffersFromTheQuotientAtExactlyTenPairsAndTheTableAgrees) {
  std::vector<std::pair<int, int>> lower;
  for (int p = 0; p <= 100; ++p)
    for (int v = 0; v < 256; ++v) {
      const int d = pics::Darken(static_cast<std::uint8_t>(v), p);
      EXPECT_EQ(d, pics::DarkenFromTable(static_cast<std::uint8_t>(v), p)) << p << "," << v;
      if (d != v * p / 100) {
        EXPECT_EQ(d, v * p / 100 - 1) << p << "," << v;
        lower.emplace_back(p, v);
      }
    }
  const std::vector<std::pair<int, int>> expected = {{42, 150}, {52, 225}, {53, 100}, {53, 200}, {59, 100},
                                                     {59, 200}, {65, 180}, {78, 150}, {84, 75},  {84, 150}};
  EXPECT_EQ(lower, expected);
  EXPECT_EQ(pics::Darken(255, 30), 76);
  EXPECT_EQ(pics::Darken(10, 30), 3);
  EXPECT_EQ(pics::Darken(100, 53), 52);
  EXPECT_EQ(pics::Darken(150, 42), 62);
}

TEST(BitrateField, DecimalNumbersTruncatedAnythingElseThreeMillion) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"2000000", 2000000},   {"2000000.9", 2000000},    {" 3e6 ", 3000000},  {"+1500000", 1500000},
      {"-5.7", -5},           {"-0.5", 0},               {".5", 0},           {"1e20", 2147483647},
      {"-1e20", -2147483647 - 1}, {"abc", 3000000},      {"", 3000000},       {"12abc", 3000000},
      {"inf", 3000000},       {"nan", 3000000},          {"0x10", 3000000},   {"1,5", 3000000},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(pics::ParseBitrate(text), want) << '"' << text << '"';
}

TEST(Decode, NearestNeighbourStretchAndExactCopyAtFrameSize) {
  TempDir d;
  struct Case {
    int width, height;
  } cases[] = {{704, 576}, {128, 64}, {1440, 1160}, {8, 8}};
  for (const auto& c : cases) {
    WriteFile(d / "in.jpg", BlockJpeg(c.width, c.height));
    const pics::Frame f = pics::DecodeAndStretch(d / "in.jpg");
    ASSERT_EQ(f.size(), pics::kFrameBytes);
    int wrong = 0;
    for (int y = 0; y < pics::kFrameHeight; ++y)
      for (int x = 0; x < pics::kFrameWidth; ++x) {
        const int sx = (2 * x + 1) * c.width / (2 * pics::kFrameWidth);
        const int sy = (2 * y + 1) * c.height / (2 * pics::kFrameHeight);
        const std::uint8_t want = BlockValue(sx / 8, sy / 8);
        for (int ch = 0; ch < 3; ++ch) wrong += At(f, x, y, ch) != want;  // grey becomes equal R, G, B
      }
    EXPECT_EQ(wrong, 0) << c.width << "x" << c.height;
  }
}

TEST(Decode, BrokenFilesGiveTheDecodersErrorNumberAndTruncatedOnesDecode) {
  TempDir d;
  const auto good = BlockJpeg(64, 64);
  WriteFile(d / "empty.jpg", {});
  WriteFile(d / "text.jpg", {'h', 'e', 'l', 'l', 'o'});
  WriteFile(d / "header.jpg", std::vector<std::uint8_t>(good.begin(), good.begin() + 40));
  // Cut inside the headers: whatever libjpeg stops on, its number is what the user sees (0: any).
  const std::pair<std::string, int> errors[] = {{"empty.jpg", JERR_INPUT_EMPTY}, {"text.jpg", JERR_NO_SOI}, {"header.jpg", 0}};
  for (const auto& [name, code] : errors) {
    try {
      pics::DecodeAndStretch(d / name);
      ADD_FAILURE() << name << " decoded";
    } catch (const pics::JpegError& e) {
      if (code) {
        EXPECT_EQ(e.code(), code) << name;
      }
      EXPECT_GT(e.code(), 0) << name;
      EXPECT_EQ(std::string(e.what()), "JPEG error #" + std::to_string(e.code()));
    }
  }
  // Cut in the middle of the picture data: libjpeg warns and fills in the rest, and so do we.
  WriteFile(d / "cut.jpg", std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() * 2 / 3)));
  EXPECT_NO_THROW(pics::DecodeAndStretch(d / "cut.jpg"));
  EXPECT_THROW(pics::DecodeAndStretch(d / "missing.jpg"), orvane::files::FileError);
}

TEST(Decode, FixturePhotosGreyscaleProgressiveAndCmyk) {
  REQUIRE_FIXTURES(dir);
  // Greyscale comes out as equal red, green and blue.
  const pics::Frame grey = pics::DecodeAndStretch(dir + "/dragonfly_grey_progressive_640x480.jpg");
  std::size_t unequal = 0;
  for (std::size_t i = 0; i < grey.size(); i += 3) unequal += grey[i] != grey[i + 1] || grey[i] != grey[i + 2];
  EXPECT_EQ(unequal, 0u);
  // The CMYK copy of a picture looks like its RGB original (an inverted or ignored K would not).
  const pics::Frame cmyk = pics::DecodeAndStretch(dir + "/pattern_cmyk_800x600.jpg");
  const pics::Frame rgb = pics::DecodeAndStretch(dir + "/pattern_2880x2160.jpg");
  for (int ch = 0; ch < 3; ++ch) {
    double a = 0, b = 0;
    for (std::size_t i = static_cast<std::size_t>(ch); i < cmyk.size(); i += 3) {
      a += cmyk[i];
      b += rgb[i];
    }
    a /= pics::kFramePixels;
    b /= pics::kFramePixels;
    EXPECT_NEAR(a, b, 12.0) << "channel " << ch;
  }
}

TEST(PictureSet, SetFillsTheSlotAsTheReceiverExpects) {
  TempDir d;
  FakeEncoder enc;
  pics::PictureSet set(0xFF, enc, d / "tmp.bmp");
  WriteFile(d / "a.jpg", MakeJpeg(704, 576, 3, [](int x, int y, int c) {
              return static_cast<std::uint8_t>(c == 0 ? 255 : c == 1 ? (x & 0xF8) : (y & 0xF8));
            }));
  const auto yes = [] { return true; };

  // Nothing before any picture is loaded, even with a name typed.
  EXPECT_EQ(set.Set(PictureKind::Opening, {"a.jpg", 30, "2000000"}, yes).outcome, pics::SetOutcome::Nothing);
  set.Load(PictureKind::Opening, d / "a.jpg");
  EXPECT_EQ(set.Header()[0], 'B');
  // A kind whose file name field is empty does nothing although another kind is loaded.
  EXPECT_EQ(set.Set(PictureKind::Radio, {"", 30, "2000000"}, yes).outcome, pics::SetOutcome::Nothing);

  enc.length = 5000;
  pics::Frame shown;
  const auto r = set.Set(PictureKind::Opening, {"a.jpg", 30, "2500000.7"}, yes,
                         [&](const pics::Frame& f) { shown = f; });
  ASSERT_EQ(r.outcome, pics::SetOutcome::Success);
  EXPECT_EQ(enc.bitrate, 2500000);
  // Darkened to 30 %, rows flipped, red first: the top-left pixel is pure red 255 -> 76.
  ASSERT_EQ(enc.raw.size(), pics::kFrameBytes);
  EXPECT_EQ(enc.raw[0], 76);
  EXPECT_EQ(At(shown, 0, 0, 2), 76);
  // The work file holds the header and the darkened picture.
  const auto work = orvane::files::ReadFileWhole(d / "tmp.bmp");
  ASSERT_EQ(work.size(), pics::kBmpHeaderSize + pics::kFrameBytes);
  EXPECT_TRUE(std::equal(shown.begin(), shown.end(), work.begin() + pics::kBmpHeaderSize));

  auto slot = set.Slot(PictureKind::Opening);
  ASSERT_EQ(slot.size(), 23552u);
  const std::vector<std::uint8_t> marker = {0xFF, 0xC0, 0xFF, 0xC0};
  EXPECT_TRUE(std::equal(marker.begin(), marker.end(), slot.begin()));
  EXPECT_EQ(slot[4] | slot[5] << 8 | slot[6] << 16 | slot[7] << 24, 5000);
  for (int i = 0; i <= 5000; ++i) ASSERT_EQ(slot[8 + i], static_cast<std::uint8_t>(i + 1)) << i;  // L + 1 bytes
  EXPECT_EQ(slot[8 + 5001], 0xFF);
  EXPECT_TRUE(std::equal(marker.begin(), marker.end(), slot.begin() + 23528));
  EXPECT_TRUE(std::all_of(slot.begin() + 23532, slot.end(), [](std::uint8_t b) { return b == 0xFF; }));
  EXPECT_TRUE(set.SetFlag(PictureKind::Opening));

  // A shorter picture keeps the tail of the longer one.
  enc.length = 100;
  enc.seed = 50;
  ASSERT_EQ(set.Set(PictureKind::Opening, {"a.jpg", 30, "x"}, yes).outcome, pics::SetOutcome::Success);
  EXPECT_EQ(enc.bitrate, 3000000);
  slot = set.Slot(PictureKind::Opening);
  EXPECT_EQ(slot[8 + 100], static_cast<std::uint8_t>(100 + 50));
  EXPECT_EQ(slot[8 + 101], static_cast<std::uint8_t>(101 + 1));
  EXPECT_EQ(slot[8 + 4999], static_cast<std::uint8_t>(4999 + 1));
}

TEST(PictureSet, LimitsAreExclusiveAndARefusedOrDeclinedSetChangesNothing) {
  TempDir d;
  FakeEncoder enc;
  pics::PictureSet set(0x00, enc, d / "tmp.bmp");
  WriteFile(d / "a.jpg", BlockJpeg(64, 64));
  for (PictureKind k : pics::kAllKinds) set.Load(k, d / "a.jpg");
  struct Case {
    PictureKind kind;
    std::int32_t length;
    pics::SetOutcome want;
  } cases[] = {
      {PictureKind::Opening, 23520, pics::SetOutcome::TooBig},   {PictureKind::Opening, 23519, pics::SetOutcome::Success},
      {PictureKind::Radio, 23520, pics::SetOutcome::TooBig},     {PictureKind::Radio, 23519, pics::SetOutcome::Success},
      {PictureKind::MainMenu, 18400, pics::SetOutcome::TooBig},  {PictureKind::MainMenu, 18399, pics::SetOutcome::Success},
      {PictureKind::MainMenu, -1, pics::SetOutcome::TooBig},
  };
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> before(set.Slot(c.kind).begin(), set.Slot(c.kind).end());
    const bool flagBefore = set.SetFlag(c.kind);
    enc.length = c.length;
    EXPECT_EQ(set.Set(c.kind, {"a.jpg", 40, "3000000"}, [] { return true; }).outcome, c.want) << c.length;
    if (c.want != pics::SetOutcome::Success) {
      EXPECT_TRUE(std::equal(before.begin(), before.end(), set.Slot(c.kind).begin()));
      EXPECT_EQ(set.SetFlag(c.kind), flagBefore);
    } else {
      EXPECT_EQ(set.Slot(c.kind)[8 + c.length], static_cast<std::uint8_t>(c.length + 1));  // the byte after
    }
  }
  // Declined: the slot stays, the encoder is not called.
  enc.raw.clear();
  const std::vector<std::uint8_t> before(set.Slot(PictureKind::Radio).begin(), set.Slot(PictureKind::Radio).end());
  EXPECT_EQ(set.Set(PictureKind::Radio, {"a.jpg", 40, "1"}, [] { return false; }).outcome, pics::SetOutcome::Declined);
  EXPECT_TRUE(enc.raw.empty());
  EXPECT_TRUE(std::equal(before.begin(), before.end(), set.Slot(PictureKind::Radio).begin()));
}

TEST(PictureSet, AWorkFileThatCannotBeWrittenStopsLoadAndSetWithTheReason) {
  TempDir d;
  FakeEncoder enc;
  std::filesystem::create_directory(d.path / "tmp.bmp");  // the work file's name is taken by a folder
  pics::PictureSet broken(0x00, enc, d / "tmp.bmp");
  WriteFile(d / "a.jpg", BlockJpeg(64, 64));
  try {
    broken.Load(PictureKind::Opening, d / "a.jpg");
    ADD_FAILURE() << "loaded";
  } catch (const orvane::files::FileError& e) {
    EXPECT_NE(std::string(e.what()).find("tmp.bmp"), std::string::npos) << e.what();
  }
  EXPECT_EQ(broken.Header()[0], 0);
  EXPECT_TRUE(std::all_of(broken.Source(PictureKind::Opening).begin(), broken.Source(PictureKind::Opening).end(),
                          [](std::uint8_t b) { return b == 0; }));

  // Loaded while the work file could be written, then it cannot: Set stops before asking and encoding.
  pics::PictureSet set(0x00, enc, d / "ok.bmp");
  set.Load(PictureKind::Opening, d / "a.jpg");
  std::filesystem::remove(d.path / "ok.bmp");
  std::filesystem::create_directory(d.path / "ok.bmp");
  bool asked = false;
  EXPECT_THROW(set.Set(PictureKind::Opening, {"a.jpg", 30, "2000000"}, [&] { return asked = true; }),
               orvane::files::FileError);
  EXPECT_FALSE(asked);
  EXPECT_FALSE(set.SetFlag(PictureKind::Opening));
}
