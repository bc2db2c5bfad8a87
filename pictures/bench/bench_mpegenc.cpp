// Prints, per JPEG of the picture fixtures, what the still-frame encoder's search costs and reaches: time,
// bytes, fill of the target, PSNR-Y of the decoded stream against the coded frame, and the gap to the PSNR
// interpolated between the two neighbouring quantisers at the target.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pictures/bench/bench_support.h"
#include "pictures/mpegenc/still_encoder.h"

namespace fs = std::filesystem;
using namespace orvane::mpegenc;
using orvane::bench::LumaOf;
using orvane::bench::PsnrY;

namespace {

// The frame the pipeline hands the encoder: decoded, stretched, top-down RGB.
bool LoadFrame(const std::string& path, std::vector<std::uint8_t>& frame) {
  try {
    const orvane::pictures::Frame bgr = orvane::pictures::DecodeAndStretch(path);
    frame.resize(orvane::pictures::kFrameBytes);
    orvane::pictures::ToRawFrame(bgr, frame);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int main() {
  const std::vector<fs::path> files = orvane::bench::FixtureJpegs();
  if (files.empty()) {
    std::printf("no picture fixtures in ../shared/fixtures/pictures\n");
    return 0;
  }

  StillEncoder encoder(BuiltInSettings());
  std::printf("%-40s %4s %8s %7s %7s %5s %6s %7s %5s %7s %7s\n", "picture", "brt", "bit/s", "target", "bytes",
              "fill", "q", "rows", "enc", "ms", "dB gap");
  for (const auto& file : files) {
    std::vector<std::uint8_t> source;
    if (!LoadFrame(file.string(), source)) {
      std::printf("%-40s cannot be decoded\n", file.filename().c_str());
      continue;
    }
    for (int brightness : {100, 30}) {
      std::vector<std::uint8_t> frame(source);
      for (auto& v : frame) v = static_cast<std::uint8_t>(v * brightness / 100);
      const auto luma = LumaOf(frame);
      for (std::int64_t rate : {2000000, 3000000}) {
        // Best of five, after one warm-up.
        double best = 1e9;
        StillResult r;
        for (int run = 0; run < 6; ++run) {
          const auto t0 = std::chrono::steady_clock::now();
          encoder.SetFrame(frame);
          r = encoder.EncodeToTarget(rate, 131072);
          const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
          if (run > 0) best = std::min(best, ms);
        }
        const double psnr = PsnrY(r.stream, luma);
        // The continuous ideal: PSNR interpolated in size between the bracketing codes at the target.
        std::string gap = "-";
        if (r.fine_q > 0) {
          const auto fine = encoder.EncodeAt(r.fine_q, rate), coarse = encoder.EncodeAt(r.coarse_q, rate);
          const double pf = PsnrY(fine, luma), pc = PsnrY(coarse, luma);
          const double t = (static_cast<double>(r.target) - static_cast<double>(coarse.size())) /
                           (static_cast<double>(fine.size()) - static_cast<double>(coarse.size()));
          char text[16];
          std::snprintf(text, sizeof text, "%.3f", pc + t * (pf - pc) - psnr);
          gap = text;
        }
        char q[16], rows[16];
        std::snprintf(q, sizeof q, r.fine_q ? "%d/%d" : "%d", r.coarse_q, r.fine_q);
        std::snprintf(rows, sizeof rows, r.fine_q ? "%d/%d" : "%d", r.coarse_rows, r.fine_rows);
        std::printf("%-40s %4d %8lld %7lld %7zu %4.1f%% %6s %7s %5d %7.2f %7s  PSNR-Y %.2f dB\n",
                    file.filename().c_str(), brightness, static_cast<long long>(rate),
                    static_cast<long long>(r.target), r.stream.size(), 100.0 * r.stream.size() / r.target, q, rows,
                    r.encodes, best, gap.c_str(), psnr);
      }
    }
  }
  return 0;
}
