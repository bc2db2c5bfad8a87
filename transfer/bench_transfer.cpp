// Transfer figures against ird-sim pacing at the real line rate (115200 bit/s 8N1, 11,520 bytes/s both
// ways): wall time, line time, the sleeps the protocol prescribes, the simulator's own turnaround, and
// efficiency = line time / (wall - prescribed sleeps - turnaround). 1.0 means the PC adds nothing.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "channeldb/lzss.h"
#include "pictures/lzsscompress/lzsscompress.h"
#include "serial/Comm32.h"
#include "transfer/qt_transfer_host.h"
#include "transfer/tests/sim_process.h"
#include "transfer/transfer_session.h"

using namespace orvane::transfer;
using orvane::serial::TComm32;

namespace {

constexpr double kLineBytesPerSecond = 11520.0;

class QuietHost : public QtTransferHost {
 public:
  using QtTransferHost::QtTransferHost;
  void Log(const std::string&) override {}
  void SetGauge(int) override {}
  void ShowMessage(const std::string& text) override { last = text; }
  void ShowWaiting(const std::string&) override {}
  std::string last;
};

struct SimStats {
  double received = 0, sent = 0, turnaroundMs = 0;
};

SimStats ParseStats(const std::string& out) {
  SimStats s;
  const auto at = out.rfind("stats received");
  if (at == std::string::npos) return s;
  std::istringstream in(out.substr(at));
  std::string w;
  in >> w >> w >> s.received >> w >> s.sent >> w >> s.turnaroundMs;
  return s;
}

template <typename Run>
void Measure(const char* name, Direction direction, Run run) {
  orvane::testing::SimProcess sim({"--pace", "--sessions", "1"});
  ::setenv("ORVANE_COM1", sim.path().c_str(), 1);
  TComm32 comm;
  comm.SetBaudRates(orvane::serial::_115200);
  QuietHost host(comm);
  TransferSession session(host, direction);
  int blocks = 0;
  comm.OnReceiveData = [&](const std::uint8_t* b, std::uint16_t n) {
    ++blocks;
    session.ReceiveData(b, n);
  };
  comm.OnRequestHangup = [&](TComm32*) {
    session.RequestCancel();
    comm.ClosePort();
  };
  if (!comm.OpenPort()) {
    std::printf("%-34s cannot open the simulator's pty: %s\n", name, comm.LastOpenError().c_str());
    return;
  }
  session.Reset();
  QElapsedTimer t;
  t.start();
  const Outcome outcome = run(session);
  const double wall = t.nsecsElapsed() / 1e9;
  comm.Flush(1000);
  comm.ClosePort();
  sim.WaitFor("stats", 10000);
  const SimStats st = ParseStats(sim.Output());
  const double line = (st.received + st.sent) / kLineBytesPerSecond;
  const double sleeps = session.Stats().mandatedSleepMs / 1000.0;
  const double turnaround = st.turnaroundMs / 1000.0;
  const double efficiency = line / (wall - sleeps - turnaround);
  // Every received block ends 10 ms after its last byte (the serial component's read interval); this is
  // how much of the remaining overhead the interval alone accounts for.
  const double interval = blocks * orvane::serial::kReadIntervalMs / 1000.0;
  const double withoutInterval = line / (wall - sleeps - turnaround - interval);
  std::printf(
      "%-30s %s  wall %6.2f s  line %6.2f s (%.0f bytes)  sleeps %4.2f s  sim turnaround %4.2f s  "
      "efficiency %.3f  (read intervals %d x 10 ms = %.2f s; without them %.3f)\n",
      name, outcome == Outcome::Success ? "Success" : host.last.c_str(), wall, line, st.received + st.sent,
      sleeps, turnaround, efficiency, blocks, interval, withoutInterval);
  std::fflush(stdout);
}

// Something shaped like a software image: code-like bytes, then erased flash.
std::vector<std::uint8_t> SoftwareImage() {
  std::vector<std::uint8_t> image(2097152, 0xFF);
  std::mt19937 rng(2026);
  std::vector<std::uint32_t> words(512);
  for (auto& w : words) w = rng();
  for (std::size_t i = 0; i + 4 <= 900000; i += 4) {
    std::uint32_t w = words[rng() % words.size()];
    if (rng() % 4 == 0) w ^= rng() & 0xFFFF;  // immediates and addresses
    for (int b = 0; b < 4; ++b) image[i + b] = static_cast<std::uint8_t>(w >> (8 * b));
  }
  image[image.size() - 224] = 0x01;
  image[image.size() - 223] = 0xA3;
  return image;
}

double BestSeconds(int rounds, const std::function<void()>& f) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

// The first 2 MiB of a program (what a software image mostly is), or nothing when it cannot be read.
std::vector<std::uint8_t> FirstBytesOf(const char* path) {
  std::ifstream f(path, std::ios::binary);
  std::vector<std::uint8_t> v(2097152);
  if (f) f.read(reinterpret_cast<char*>(v.data()), static_cast<std::streamsize>(v.size()));
  v.resize(f ? v.size() : static_cast<std::size_t>(std::max<std::streamsize>(f.gcount(), 0)));
  return v;
}

// Sizes and times of the two coders on the same bytes in memory, best of the same number of rounds: the
// classic greedy coder (Korva's LZSS, which writes the classic coder's bytes) and LzssCompress's shortest
// stream; the line time the smaller image saves on every upload.
void CompareCoders(const std::vector<std::uint8_t>& image) {
  constexpr int kRounds = 3;
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> inputs;
  inputs.emplace_back("software-image-like (synthetic)", image);
  for (const char* path : {"/usr/bin/cmake", "/usr/bin/git", "/usr/bin/perl", "/usr/bin/python3", "/usr/bin/gdb",
                           "/usr/bin/bash"}) {
    auto bytes = FirstBytesOf(path);
    if (!bytes.empty()) inputs.emplace_back(path, std::move(bytes));
  }
  std::printf("LZSS of software images, in memory, best of %d rounds each:\n", kRounds);
  std::printf("  %-32s %8s  %9s %7s  %9s %7s  %8s  %s\n", "input (first 2 MiB)", "bytes", "classic", "s",
              "ours", "s", "smaller", "line time saved");
  std::vector<std::uint8_t> send(LZSS_SEND_BUFFER_SIZE);
  for (const auto& [name, data] : inputs) {
    std::vector<std::uint8_t> classic;
    const double classicTime = BestSeconds(kRounds, [&] { orvane::lzss::Encode(data, classic); });
    std::int32_t ours = -1;
    const double oursTime = BestSeconds(kRounds, [&] {
      LzssCompress(data.data(), static_cast<std::int32_t>(data.size()), send.data(), &ours);
    });
    const double saved = double(classic.size()) - ours;
    std::printf("  %-32s %8zu  %9zu %7.3f  %9d %7.3f  %7.2f%%  %.1f s\n", name.c_str(), data.size(), classic.size(),
                classicTime, ours, oursTime, 100.0 * saved / classic.size(), saved / kLineBytesPerSecond);
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);

  std::vector<std::uint8_t> db(65536);
  for (std::size_t i = 0; i < db.size(); ++i) db[i] = static_cast<std::uint8_t>(i * 131 + (i >> 8));
  Measure("upload 2T** 65,536 bytes", Direction::Upload,
          [&](TransferSession& s) { return s.Upload(db, k2T); });

  const auto rom = SoftwareImage();
  CompareCoders(rom);
  std::vector<std::uint8_t> send(kSendBufferSize);
  std::int32_t length = 0;
  QElapsedTimer c;
  c.start();
  LzssCompress(rom.data(), static_cast<std::int32_t>(rom.size()), send.data(), &length);
  std::printf("compress 2,097,152-byte image: %d bytes in %.3f s\n", length, c.nsecsElapsed() / 1e9);
  Measure("upload 2M** software image", Direction::Upload, [&](TransferSession& s) {
    return s.Upload(std::span<const std::uint8_t>(send.data(), static_cast<std::size_t>(length)), k2M,
                    "01A3");
  });

  // Cancel while waiting for the receiver (during the scan for BOAA): how long until the transfer returns.
  {
    orvane::testing::SimProcess sim({"--silent-from", "ready"});
    ::setenv("ORVANE_COM1", sim.path().c_str(), 1);
    TComm32 comm;
    QuietHost host(comm);
    TransferSession session(host, Direction::Upload);
    comm.OnReceiveData = [&](const std::uint8_t* b, std::uint16_t n) { session.ReceiveData(b, n); };
    if (comm.OpenPort()) {
      QElapsedTimer sinceCancel;
      QTimer::singleShot(700, [&] {
        sinceCancel.start();
        session.RequestCancel();
        comm.ClosePort();
      });
      session.Reset();
      session.Upload(db, k2T);
      std::printf("cancel during the scan for BOAA: transfer returned %.2f ms after the click\n",
                  sinceCancel.nsecsElapsed() / 1e6);
    }
    comm.ClosePort();
  }

  std::vector<std::uint8_t> area(kDataAreaImageSize);
  Measure("download UPD2 262,144 bytes", Direction::Download,
          [&](TransferSession& s) { return s.Download(kUPD2, area); });
  return 0;
}
