// Prints, per JPEG of the picture fixtures, what the picture windows cost and make of it: the time of Load
// (decode, stretch, work file written and read back) and of Set (darkening, work file, raw frame, encode with
// the size search), the encoded bytes at 2,000,000 and 3,000,000 bit/s, the fill of the target (or of the slot
// where the target is larger) and the PSNR-Y of the decoded frame against the darkened source.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "pictures/bench/bench_support.h"
#include "pictures/library_encoder.h"
#include "pictures/picture_pipeline.h"

namespace pics = orvane::pictures;
namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 3;
constexpr int kBrightness = 30;  // the upload window's default
constexpr pics::PictureKind kKind = pics::PictureKind::Opening;

double Ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
  const auto files = orvane::bench::FixtureJpegs();
  if (files.empty()) {
    std::printf("no picture fixtures in ../shared/fixtures/pictures\n");
    return 0;
  }
  std::string t = (fs::temp_directory_path() / "orvane-bench-XXXXXX").string();
  const fs::path work = ::mkdtemp(t.data());
  auto encoder = pics::MakeLibraryEncoder();
  pics::PictureSet set(0x00, *encoder, (work / pics::kWorkFileName).string());
  const std::size_t limit = pics::Geometry(kKind).limit;

  std::printf("Opening slot, brightness %d, best of %d runs\n", kBrightness, kRuns);
  std::printf("%-40s %8s %8s %8s %7s %7s %6s %8s %8s\n", "picture", "load ms", "bit/s", "set ms", "target", "bytes",
              "fill", "PSNR-Y", "total ms");
  for (const auto& file : files) {
    double load = 1e9;
    try {
      for (int r = 0; r < kRuns; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        set.Load(kKind, file.string());
        load = std::min(load, Ms(t0));
      }
    } catch (const std::exception& e) {
      std::printf("%-40s %s\n", file.filename().c_str(), e.what());
      continue;
    }
    // The darkened source as the encoder sees it, for the PSNR.
    pics::Frame darkened(pics::kFrameBytes);
    for (std::size_t i = 0; i < darkened.size(); ++i) darkened[i] = pics::Darken(set.Source(kKind)[i], kBrightness);
    std::vector<std::uint8_t> raw(pics::kFrameBytes);
    pics::ToRawFrame(darkened, raw);
    const auto luma = orvane::bench::LumaOf(raw);

    for (const char* rate : {"2000000", "3000000"}) {
      double best = 1e9;
      pics::SetResult result;
      for (int r = 0; r < kRuns; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        result = set.Set(kKind, {file.string(), kBrightness, rate}, [] { return true; });
        best = std::min(best, Ms(t0));
      }
      const std::size_t target = static_cast<std::size_t>(result.bitrate / 200);
      const std::size_t aim = std::min(target, limit);
      std::string psnr = "-";
      if (result.outcome == pics::SetOutcome::Success) {
        const auto slot = set.Slot(kKind);
        const std::vector<std::uint8_t> stream(slot.begin() + pics::kSlotStreamOffset,
                                               slot.begin() + pics::kSlotStreamOffset + result.encodedLength);
        char text[16];
        std::snprintf(text, sizeof text, "%.2f", orvane::bench::PsnrY(stream, luma));
        psnr = text;
      }
      std::printf("%-40s %8.1f %8s %8.1f %7zu %7d %5.1f%% %8s %8.1f%s\n", file.filename().c_str(), load, rate, best,
                  target, result.encodedLength, 100.0 * result.encodedLength / static_cast<double>(aim), psnr.c_str(),
                  load + best, result.outcome == pics::SetOutcome::TooBig ? "  Too Big Compressed Size" : "");
    }
  }
  fs::remove_all(work);
  return 0;
}
