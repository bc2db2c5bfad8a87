// Import of 150 generated listings of 3,000 records each: time per run and peak memory above the program's
// own (the model is allocated before measuring, as the program owns it for its whole run). Memory is counted
// at the allocator (every operator new), since the kernel's peak-RSS mark is not kept exactly on every
// system.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "satcodx/satcodx_import.h"

namespace {
std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

void* Counted(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (p == nullptr) throw std::bad_alloc();
  const long long now = g_live += static_cast<long long>(malloc_usable_size(p));
  long long peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return p;
}
void Uncounted(void* p) {
  if (p == nullptr) return;
  g_live -= static_cast<long long>(malloc_usable_size(p));
  std::free(p);
}
}  // namespace

void* operator new(std::size_t n) {
  return Counted(n);
}
void* operator new[](std::size_t n) {
  return Counted(n);
}
void operator delete(void* p) noexcept {
  Uncounted(p);
}
void operator delete[](void* p) noexcept {
  Uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Uncounted(p);
}

namespace {

// Heap bytes above the current level at the peak of what follows a call of ResetPeak.
long long g_base = 0;
void ResetPeak() {
  g_base = g_live.load();
  g_peak = g_base;
}
double PeakMiB() {
  return static_cast<double>(g_peak.load() - g_base) / 1048576.0;
}

constexpr int kListings = 150;
constexpr int kRecordsPerListing = 3000;
constexpr int kRuns = 5;

std::string Record(unsigned seed, int i, int position) {
  char line[160];
  // Every fourth record is analog; 25 records per transponder give 120 transponders, half C, half Ku.
  const bool analog = i % 4 == 3;
  const int tp = i / 25;
  const int mhz = (tp % 2 == 0) ? 3400 + (tp * 7 + seed) % 800 : 10700 + (tp * 13 + seed) % 2050;
  std::snprintf(line, sizeof line, "SATCODX103Bench Sat %-8uT%s%09d%dCH%06d%04dDEU     %s%s%05d%d%-52s", seed,
                analog ? "PAL_" : "MPG2", mhz * 1000, tp % 4, i, position, analog ? "070" : "___",
                analog ? "074" : "___", 22000 + tp % 8000, tp % 8, "_____________");
  std::string s(line);
  s.resize(128, ' ');
  return s + "\r\n";
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  std::string tmpl = (fs::temp_directory_path() / "bench-satcodx-XXXXXX").string();
  const fs::path dir = ::mkdtemp(tmpl.data());
  fs::create_directories(dir / "import");
  std::string index = "01 40 42 20 63 25\r\n";
  for (int l = 0; l < kListings; ++l) {
    const int position = (l * 24) % 3600;
    char file[32], pos[8];
    std::snprintf(file, sizeof file, "bench%03d.sdx", l);
    std::snprintf(pos, sizeof pos, "%04d", position);
    std::string address = std::string("127.0.0.1:18123/sdxpos/") + pos + "/" + file;
    address.resize(40, ' ');
    std::string f = file;
    f.resize(20, ' ');
    index += address + " " + f + " Bench " + std::to_string(l) + "\r\n";
    std::string data;
    data.reserve(kRecordsPerListing * 130);
    for (int i = 0; i < kRecordsPerListing; ++i) data += Record(static_cast<unsigned>(l), i, position);
    std::ofstream(dir / "import" / file, std::ios::binary) << data;
  }
  std::ofstream(dir / "satcodx.imp", std::ios::binary) << index;

  auto db = std::make_unique<DATABASESATELLITETABLE>();
  ClearSatellites(*db);
  ResetPeak();
  orvane::satcodx::ImportSatcodx(*db, dir);  // also warms the page cache
  const double firstPeak = PeakMiB();

  std::vector<double> ms;
  double peakAbove = 0;
  orvane::satcodx::ImportReport report;
  for (int run = 0; run < kRuns; ++run) {
    ResetPeak();
    const auto t0 = std::chrono::steady_clock::now();
    report = orvane::satcodx::ImportSatcodx(*db, dir);
    const auto t1 = std::chrono::steady_clock::now();
    peakAbove = std::max(peakAbove, PeakMiB());
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf(
      "import of %d listings x %d records (%.1f MB on disk): %d satellites, %d transponders left out\n",
      kListings, kRecordsPerListing, kListings * kRecordsPerListing * 130 / 1e6, report.satellites,
      report.transpondersLeftOut);
  std::printf("  time per import: min %.1f ms, median %.1f ms, max %.1f ms (%d runs; goal < 300 ms)\n",
              ms.front(), ms[ms.size() / 2], ms.back(), kRuns);
  std::printf(
      "  peak memory above the program's own: first import %.2f MiB, later imports %.2f MiB (goal < 64 "
      "MiB)\n",
      firstPeak, peakAbove);
  std::printf("  model (DATABASESATELLITETABLE) owned by the program: %.1f MiB\n",
              sizeof(DATABASESATELLITETABLE) / 1048576.0);
  std::error_code ec;
  if (!std::getenv("BENCH_KEEP")) fs::remove_all(dir, ec);
  return 0;
}
