// Prints LZSS throughput on 2 MiB inputs and the time of saving and loading database image files.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "channeldb/include/korva.h"
#include "channeldb/lzss.h"
#include "channeldb/records.h"
#include "pictures/lzsscompress/lzsscompress.h"
#include "../tests/lzss_reference.h"
#include "../tests/test_data.h"

namespace {
using Clock = std::chrono::steady_clock;

double BestSeconds(int runs, const std::function<void()>& f) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

void BenchLzss() {
  constexpr std::size_t kSize = 2 * 1024 * 1024;
  constexpr int kRounds = 3;
  const std::pair<const char*, std::vector<std::uint8_t>> inputs[] = {
      {"random", testdata::Random(kSize, 1)},
      {"text-like", testdata::TextLike(kSize, 2)},
      {"executable", testdata::Executable(kSize)},
  };
  // All three coders run on the same bytes in memory, each best of the same number of rounds. Korva's coder
  // writes the classic coder's bytes; LzssCompress (software images) writes the shortest stream.
  std::printf("LZSS encode, 2 MiB in memory, single thread, best of %d rounds each:\n", kRounds);
  std::printf("  %-10s  %-32s %9s %7s %8s %8s  %s\n", "input", "coder", "bytes", "ratio", "seconds", "MiB/s",
              "vs classic");
  std::vector<std::uint8_t> send(LZSS_SEND_BUFFER_SIZE);
  for (const auto& [name, data] : inputs) {
    const double mib = data.size() / 1048576.0;
    std::vector<std::uint8_t> ref;
    const double classic = BestSeconds(kRounds, [&] { ref = ReferenceLzssEncode(data); });
    std::vector<std::uint8_t> out;
    const double korva = BestSeconds(kRounds, [&] { orvane::lzss::Encode(data, out); });
    std::int32_t length = -1;
    const double shortest = BestSeconds(kRounds, [&] {
      LzssCompress(data.data(), static_cast<std::int32_t>(data.size()), send.data(), &length);
    });
    auto row = [&](const char* input, const char* coder, std::size_t bytes, double seconds, bool compare) {
      std::printf("  %-10s  %-32s %9zu %7.3f %8.3f %8.1f", input, coder, bytes, double(bytes) / data.size(),
                  seconds, mib / seconds);
      if (compare)
        std::printf("  %+.2f%% size, %.2fx time", 100.0 * (double(bytes) / ref.size() - 1.0), seconds / classic);
      std::printf("\n");
    };
    row(name, "classic transcription", ref.size(), classic, false);
    row("", out == ref ? "Korva's coder (identical)" : "Korva's coder (DIFFERS)", out.size(), korva, true);
    row("", "LzssCompress (shortest stream)", static_cast<std::size_t>(length), shortest, true);
    std::vector<std::uint8_t> back(data.size());
    const double dec = BestSeconds(kRounds, [&] { orvane::lzss::Decode(out, back); });
    std::printf("  %-10s  %-32s %35.1f\n", "", "decode (Korva)", mib / dec);
  }
}

// A full database: 156 named satellites, 3999 transponders, 400 channels.
std::unique_ptr<DATABASESATELLITETABLE> FullDatabase() {
  auto owned = std::make_unique<DATABASESATELLITETABLE>();
  auto& db = *owned;
  int tps = 0, chans = 0;
  for (int s = 0; s < kSatelliteSlots; ++s) {
    auto& sat = db.satellites[s];
    sat.name = "Satellite number " + std::to_string(s);
    sat.eastPosition = static_cast<std::uint32_t>(10 + s * 23);
    // 3999 transponders in all: 26 on the first 99 satellites, 25 on the others.
    const int count = s < 99 ? 26 : 25;
    for (int t = 0; t < count; ++t, ++tps) {
      auto& tp = sat.transponders[t];
      tp.frequency = 10700 + t * 37 + s;
      tp.symbolRate = (t % 3 == 0) ? 27500 : 22000 + s;
      tp.polarity = t & 1;
      tp.fec = 1 + t % 5;
      for (int c = 0; c < 3 && chans < kChannelTableEntries; ++c, ++chans) {
        tp.channels[c].videoPid = 100 + c;
        tp.channels[c].audioPid = 200 + c;
        tp.channels[c].pcrPid = 100 + c;
        tp.channels[c].name = "Channel " + std::to_string(chans);
      }
    }
  }
  return owned;
}

void BenchSaveLoad() {
  const auto dir = std::filesystem::temp_directory_path() / "orvane-bench-korva";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "bench.tpd").string();
  auto image = std::make_unique<SatelliteImage>();
  auto names = std::make_unique<SatelliteNameTable>();
  auto channels = std::make_unique<ChannelTable>();

  std::printf("DELVO_SaveNewData + DELVO_LoadNewData (best of 20):\n");
  // Defaults: load the built-in database, save it, load it back.
  DELVO_LoadDefaultData(image->bytes.data());
  double t = BestSeconds(20, [&] {
    DELVO_SaveNewData(path.c_str(), image->bytes.data(), names->bytes.data(), channels->bytes.data());
    DELVO_LoadNewData(path.c_str(), image->bytes.data(), names->bytes.data(), channels->bytes.data());
  });
  std::printf("  default database     %7.2f ms\n", t * 1e3);

  auto db = FullDatabase();
  const auto report = ModelToImage(*db, kSatelliteSlots, *image, *names, *channels);
  int result = 0;
  t = BestSeconds(20, [&] {
    result = DELVO_SaveNewData(path.c_str(), image->bytes.data(), names->bytes.data(), channels->bytes.data());
    DELVO_LoadNewData(path.c_str(), image->bytes.data(), names->bytes.data(), channels->bytes.data());
  });
  std::printf("  full database        %7.2f ms  (%d transponders, %d channels, save result %d)\n", t * 1e3,
              report.transpondersStored, report.channelsStored, result);
  const double conv = BestSeconds(20, [&] {
    ModelToImage(*db, kSatelliteSlots, *image, *names, *channels);
    ImageToModel(*image, *names, *channels, *db);
  });
  std::printf("  model <-> buffers    %7.2f ms  (both conversions, full database)\n", conv * 1e3);
  std::filesystem::remove_all(dir);
}
}  // namespace

int main() {
  BenchLzss();
  BenchSaveLoad();
  return 0;
}
