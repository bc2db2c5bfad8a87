// ird-sim: the receiver's side of the serial protocol on a pseudo-terminal, for trying and testing uploads
// and downloads without a receiver. It prints "pty <path>" first, then one line per event (what it received
// and sent, packets, checksums, the result), so that scripts and tests can follow a transfer.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/bytes.h"
#include "common/file_io.h"
#include "transfer/transfer_session.h"

namespace {

using Clock = std::chrono::steady_clock;

using namespace orvane::transfer;

constexpr double kBytesPerSecond = 11520.0;  // 115200 bit/s, 8N1
constexpr std::size_t kDataAreaSize = kDataAreaImageSize;
constexpr std::uint32_t kMaxImage = 4 * 1024 * 1024;  // larger announced lengths are not believed
constexpr int kPaceChunk = 32;
constexpr int kLingerMs = 1500;

struct Fault {
  int packet = -1;
  int times = 0;
};

struct Options {
  std::string link;
  std::string save;
  std::string data;
  int noise = 0;
  bool readyTwice = false;
  std::string state{kSTPG};
  std::string ready{kREDY};
  std::string endToken{kEND};
  std::map<int, int> errPackets;        // packet -> times to answer "ERR "
  std::map<int, int> badPackets;        // packet -> times to answer a wrong checksum
  std::map<int, std::string> renumber;  // download packet -> the number text sent instead
  bool badImageChecksum = false;
  std::optional<std::uint32_t> echoLength;
  std::string silentFrom;
  std::string hangupAt;
  bool pace = false;
  int sessions = 0;  // 0: serve until killed
  bool exitWithParent = false;
};

void Say(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(stdout, fmt, ap);
  va_end(ap);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Usage() {
  std::fprintf(stderr,
               "usage: ird-sim [options]\n"
               "Plays the receiver on a pseudo-terminal; prints 'pty PATH' first.\n"
               "  --link PATH             also make PATH a symbolic link to the pty\n"
               "  --pace                  pace both directions at 115200 bit/s 8N1 (11,520 bytes/s)\n"
               "  --exit-with-parent      end when the program that started it ends (for tests)\n"
               "  --sessions N            end after N transfers (default: serve until killed)\n"
               "  --save FILE             save each received image (as received, L bytes)\n"
               "  --data FILE             data area served to downloads (default: a generated pattern)\n"
               "  --noise N               send N noise bytes before BOAA / BABO\n"
               "  --ready-twice           send BOAA / BABO twice\n"
               "  --state TOKEN           state token (default STPG)\n"
               "  --ready TOKEN           ready token (default REDY)\n"
               "  --end-token TOKEN       answer to END (default 'END ')\n"
               "  --err K[:N]             answer 'ERR ' to packet K (N times, default 1)\n"
               "  --bad-sum K[:N]         answer a wrong checksum to packet K (N times, default 1)\n"
               "  --bad-image-checksum    send a wrong image / data area checksum\n"
               "  --renumber K:TEXT       send download packet K under the number TEXT (4 characters)\n"
               "  --echo-length N         echo N instead of the received length\n"
               "  --silent-from STEP      stop answering from STEP on\n"
               "  --hangup-at STEP        close the line at STEP\n"
               "STEP is one of: ready state redy length packet:K checksum end\n");
}

Fault ParseFault(const std::string& s) {
  Fault f;
  const auto colon = s.find(':');
  f.packet = std::atoi(s.substr(0, colon).c_str());
  f.times = colon == std::string::npos ? 1 : std::atoi(s.substr(colon + 1).c_str());
  return f;
}

std::string Token4(std::string s) {
  s.resize(4, ' ');
  return s;
}

bool ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "ird-sim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--link")
      o.link = next();
    else if (a == "--save")
      o.save = next();
    else if (a == "--data")
      o.data = next();
    else if (a == "--noise")
      o.noise = std::atoi(next().c_str());
    else if (a == "--ready-twice")
      o.readyTwice = true;
    else if (a == "--state")
      o.state = Token4(next());
    else if (a == "--ready")
      o.ready = Token4(next());
    else if (a == "--end-token")
      o.endToken = Token4(next());
    else if (a == "--err") {
      Fault f = ParseFault(next());
      o.errPackets[f.packet] = f.times;
    } else if (a == "--bad-sum") {
      Fault f = ParseFault(next());
      o.badPackets[f.packet] = f.times;
    } else if (a == "--renumber") {
      const std::string v = next();
      const auto colon = v.find(':');
      if (colon == std::string::npos) {
        Usage();
        return false;
      }
      o.renumber[std::atoi(v.substr(0, colon).c_str())] = Token4(v.substr(colon + 1));
    } else if (a == "--bad-image-checksum")
      o.badImageChecksum = true;
    else if (a == "--echo-length")
      o.echoLength = static_cast<std::uint32_t>(std::strtoul(next().c_str(), nullptr, 10));
    else if (a == "--silent-from")
      o.silentFrom = next();
    else if (a == "--hangup-at")
      o.hangupAt = next();
    else if (a == "--pace")
      o.pace = true;
    else if (a == "--exit-with-parent")
      o.exitWithParent = true;
    else if (a == "--sessions")
      o.sessions = std::atoi(next().c_str());
    else if (a == "--help" || a == "-h") {
      Usage();
      std::exit(0);
    } else {
      std::fprintf(stderr, "ird-sim: unknown option %s\n", a.c_str());
      Usage();
      return false;
    }
  }
  return true;
}

// The far end of the serial line. Received bytes carry the time at which they would have arrived on a real
// line; with pacing on, a byte is only taken once that time has come, and sent bytes leave at line rate.
class Line {
 public:
  Line(int master, int slave, bool pace) : master_(master), slave_(slave), pace_(pace) {}

  // Next received byte; never returns while the line is silent.
  std::uint8_t Get() {
    while (rx_.empty()) Fill(-1);
    const auto [byte, at] = rx_.front();
    rx_.pop_front();
    if (pace_) std::this_thread::sleep_until(at);
    lastArrival_ = pace_ ? at : Clock::now();
    return byte;
  }

  std::string GetText(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(Get()));
    return s;
  }

  void Send(const std::uint8_t* data, std::size_t n) {
    // The sim's own turnaround: from the last byte it needed to the first byte of its answer.
    turnaround_ += Clock::now() - std::max(lastArrival_, lastSendEnd_);
    std::size_t done = 0;
    // The whole answer is scheduled from its start, so that a late wake-up does not stretch the rest.
    const Clock::time_point start = std::max(txClock_, Clock::now());
    while (done < n) {
      const std::size_t part = pace_ ? std::min<std::size_t>(kPaceChunk, n - done) : n - done;
      if (pace_) {
        // A chunk reaches the PC once its last byte has crossed the line.
        txClock_ = start + ByteTime(done + part);
        std::this_thread::sleep_until(txClock_);
      }
      WriteAll(data + done, part);
      done += part;
    }
    lastSendEnd_ = Clock::now();
    sent_ += n;
  }
  void Send(const std::string& s) { Send(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

  // Reads and drops everything for ever (a receiver that has gone quiet).
  [[noreturn]] void Silence() {
    for (;;) {
      Fill(-1);
      rx_.clear();
    }
  }

  [[noreturn]] void Hangup() {
    ::close(master_);
    ::close(slave_);
    Say("hangup");
    std::_Exit(0);
  }

  double TurnaroundMs() const { return std::chrono::duration<double, std::milli>(turnaround_).count(); }
  std::uint64_t Received() const { return received_; }
  std::uint64_t Sent() const { return sent_; }

 private:
  static Clock::duration ByteTime(std::size_t n) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(n / kBytesPerSecond));
  }

  void Fill(int timeoutMs) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return;
    std::uint8_t buf[4096];
    const ssize_t k = ::read(master_, buf, sizeof buf);
    if (k <= 0) {
      if (k < 0 && (errno == EAGAIN || errno == EINTR)) return;
      Say("line closed");
      std::_Exit(0);
    }
    auto at = std::max(Clock::now(), rxClock_);
    for (ssize_t i = 0; i < k; ++i) {
      at += ByteTime(1);
      rx_.emplace_back(buf[i], at);
    }
    rxClock_ = at;
    received_ += static_cast<std::uint64_t>(k);
  }

  void WriteAll(const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
      const ssize_t k = ::write(master_, data, n);
      if (k < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 100);
        continue;
      }
      if (k <= 0) {
        Say("line closed");
        std::_Exit(0);
      }
      data += k;
      n -= static_cast<std::size_t>(k);
    }
  }

  int master_;
  int slave_;
  bool pace_;
  std::deque<std::pair<std::uint8_t, Clock::time_point>> rx_;
  Clock::time_point rxClock_{};
  Clock::time_point txClock_{};
  Clock::time_point lastArrival_ = Clock::now();
  Clock::time_point lastSendEnd_ = Clock::now();
  Clock::duration turnaround_{};
  std::uint64_t received_ = 0;
  std::uint64_t sent_ = 0;
};

class Receiver {
 public:
  Receiver(Line& line, const Options& o) : line_(line), o_(o) {
    area_.assign(kDataAreaSize, 0);
    if (!o.data.empty()) {
      std::ifstream f(o.data, std::ios::binary);
      f.read(reinterpret_cast<char*>(area_.data()), static_cast<std::streamsize>(area_.size()));
      Say("data %s %lld bytes", o.data.c_str(), static_cast<long long>(f.gcount()));
    } else {
      for (std::size_t i = 0; i < area_.size(); ++i) area_[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 9));
    }
  }

  void Run() {
    int session = 0;
    for (;;) {
      const std::string wake = WaitForWake();
      ++session;
      if (wake == kC0FF) {
        Say("session %d download", session);
        Download();
      } else {
        Say("session %d upload", session);
        Upload();
      }
      Say("stats received %llu sent %llu turnaround_ms %.1f",
          static_cast<unsigned long long>(line_.Received()), static_cast<unsigned long long>(line_.Sent()),
          line_.TurnaroundMs());
      if (o_.sessions > 0 && session >= o_.sessions) {
        // Keep the line up a little, so that the PC reads the last answer before the line goes.
        std::this_thread::sleep_for(std::chrono::milliseconds(kLingerMs));
        return;
      }
    }
  }

 private:
  // Faults and silences bound to a step of the protocol.
  void Step(const std::string& name) {
    if (!o_.hangupAt.empty() && o_.hangupAt == name) {
      Say("hangup at %s", name.c_str());
      line_.Hangup();
    }
    if (!o_.silentFrom.empty() && o_.silentFrom == name) {
      Say("silent from %s", name.c_str());
      line_.Silence();
    }
  }

  std::string WaitForWake() {
    std::string window;
    for (;;) {
      window.push_back(static_cast<char>(line_.Get()));
      if (window.size() > static_cast<std::size_t>(kTokenSize)) window.erase(0, 1);
      if (window == kB00B || window == kBOOB || window == kC0FF) {
        Say("rx %s", window.c_str());
        return window;
      }
    }
  }

  void ScanFor(const std::string& token) {
    std::string window;
    for (;;) {
      window.push_back(static_cast<char>(line_.Get()));
      if (window.size() > static_cast<std::size_t>(kTokenSize)) window.erase(0, 1);
      if (window == token) {
        Say("rx %s", token.c_str());
        return;
      }
    }
  }

  void SendToken(std::string_view token) {
    const std::string t(token);
    line_.Send(t);
    Say("tx %s", t.c_str());
  }

  void SendNumber(std::uint32_t v) {
    std::uint8_t b[4];
    orvane::bytes::PutU32LE(b, 0, v);
    line_.Send(b, 4);
  }

  void Greet(std::string_view readyToken, std::string_view answer) {
    Step("ready");
    if (o_.noise > 0) {
      // Partial tokens as noise: the PC has to skip them a byte at a time.
      std::string noise;
      for (int i = 0; i < o_.noise; ++i) noise.push_back("BOA"[i % 3]);
      line_.Send(noise);
      Say("tx noise %d", o_.noise);
    }
    SendToken(readyToken);
    if (o_.readyTwice) SendToken(readyToken);
    ScanFor(std::string(answer));
    Step("state");
    SendToken(o_.state);
  }

  static bool Take(std::map<int, int>& faults, int packet) {
    auto it = faults.find(packet);
    if (it == faults.end() || it->second <= 0) return false;
    --it->second;
    return true;
  }

  void Upload() {
    Greet(kBOAA, kONON);
    const std::string program = line_.GetText(kTokenSize);
    std::string version;
    if (program == k2PD || program == k2P || program == k2M) version = line_.GetText(kTokenSize);
    Say("program %s version %s", program.c_str(), version.empty() ? "-" : version.c_str());
    Step("redy");
    SendToken(o_.ready);
    std::uint8_t lb[4];
    for (auto& b : lb) b = line_.Get();
    const std::uint32_t length = orvane::bytes::GetU32LE(lb, 0);
    Say("length %u", length);
    if (length > kMaxImage) {
      Say("result failure length too large");
      return;
    }
    Step("length");
    const std::uint32_t echo = o_.echoLength.value_or(length);
    SendNumber(echo);
    Say("tx length %u", echo);

    const int n = static_cast<int>((length + kPacketSize - 1) / kPacketSize);
    std::vector<std::uint8_t> image(static_cast<std::size_t>(n) * kPacketSize, 0);
    auto errs = o_.errPackets;
    auto bads = o_.badPackets;
    int accepted = 0;
    while (accepted < n) {
      const std::string number = line_.GetText(kTokenSize);
      std::vector<std::uint8_t> payload(kPacketSize);
      unsigned sum = 0;
      for (auto& b : payload) {
        b = line_.Get();
        sum += b;
      }
      sum %= 10000;
      char* end = nullptr;
      const long k = std::strtol(number.c_str(), &end, 10);
      if (end != number.c_str() + 4 || k < 0 || k >= n) {
        Say("packet %s bad-number", number.c_str());
        SendToken(kERR);
        continue;
      }
      Step("packet:" + std::to_string(k));
      if (Take(errs, static_cast<int>(k))) {
        Say("packet %ld sum %04u err", k, sum);
        SendToken(kERR);
        continue;
      }
      char reply[8];
      if (Take(bads, static_cast<int>(k))) {
        std::snprintf(reply, sizeof reply, "%.4u", (sum + 1) % 10000);
        Say("packet %ld sum %04u bad", k, sum);
        SendToken(reply);
        continue;
      }
      std::copy(payload.begin(), payload.end(), image.begin() + k * kPacketSize);
      std::snprintf(reply, sizeof reply, "%.4u", sum);
      line_.Send(reply);
      Say("packet %ld sum %s ok", k, reply);
      if (k == accepted) ++accepted;
    }
    image.resize(length);
    std::uint32_t checksum = 0;
    for (std::uint8_t b : image) checksum += b;
    Say("image length %u checksum %X packets %d", length, checksum, n);
    if (!o_.save.empty()) {
      try {
        orvane::files::WriteFileWhole(o_.save, image);
        Say("saved %s", o_.save.c_str());
      } catch (const orvane::files::FileError& e) {
        Say("%s", e.what());
      }
    }
    Step("checksum");
    SendNumber(o_.badImageChecksum ? checksum + 1 : checksum);
    Say("tx checksum %X", o_.badImageChecksum ? checksum + 1 : checksum);
    const std::string last = line_.GetText(kTokenSize);
    Say("rx %s", last.c_str());
    if (last == kEND) {
      Step("end");
      SendToken(o_.endToken);
      Say("result %s", o_.endToken == kEND ? "success" : "failure");
    } else {
      Say("result failure");
    }
  }

  void Download() {
    Greet(kBABO, kNONO);
    const std::string program = line_.GetText(kTokenSize);
    Say("program %s", program.c_str());
    if (program != kUPDA && program != kUPD2) {
      Say("result failure unknown program");
      return;
    }
    const std::uint32_t size = program == kUPD2 ? kUpd2Size : kUpdaSize;
    Step("redy");
    SendToken(o_.ready);
    // The PC takes packets until one numbered n or more has come, so packets 0 .. n go out.
    const int n = static_cast<int>((size + kPacketSize - 1) / kPacketSize);
    for (int k = 0; k <= n; ++k) {
      Step("packet:" + std::to_string(k));
      char number[8];
      std::snprintf(number, sizeof number, "%.4d", k);
      if (auto it = o_.renumber.find(k); it != o_.renumber.end()) std::memcpy(number, it->second.data(), 4);
      std::vector<std::uint8_t> packet(number, number + 4);
      unsigned sum = 0;
      for (int i = 0; i < kPacketSize; ++i) {
        const std::size_t pos = static_cast<std::size_t>(k) * kPacketSize + i;
        const std::uint8_t b = pos < area_.size() ? area_[pos] : 0xFF;
        packet.push_back(b);
        sum += b;
      }
      line_.Send(packet.data(), packet.size());
      const std::string answer = line_.GetText(kTokenSize);
      char expected[8];
      std::snprintf(expected, sizeof expected, "%.4u", sum % 10000);
      Say("packet %d sum %s %s", k, answer.c_str(), answer == expected ? "ok" : "mismatch");
    }
    std::uint32_t checksum = 0;
    for (std::uint32_t i = 0; i < size; ++i) checksum += area_[i];
    if (o_.badImageChecksum) ++checksum;
    Step("checksum");
    SendNumber(checksum);
    Say("tx checksum %X", checksum);
    Say("result sent");
  }

  Line& line_;
  const Options& o_;
  std::vector<std::uint8_t> area_;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArgs(argc, argv, o)) return 2;
  if (o.exitWithParent) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1) return 0;  // the parent is already gone
  }
  int master = -1, slave = -1;
  char name[256] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    std::perror("ird-sim: openpty");
    return 1;
  }
  // Raw, so that the line discipline neither echoes nor translates; the slave stays open here too, so the
  // line survives the PC closing and reopening the port.
  termios tio{};
  ::tcgetattr(slave, &tio);
  ::cfmakeraw(&tio);
  ::cfsetspeed(&tio, B115200);
  ::tcsetattr(slave, TCSANOW, &tio);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  if (!o.link.empty()) {
    ::unlink(o.link.c_str());
    if (::symlink(name, o.link.c_str()) != 0) std::perror("ird-sim: symlink");
  }
  Say("pty %s", name);
  Line line(master, slave, o.pace);
  Receiver receiver(line, o);
  receiver.Run();
  if (!o.link.empty()) ::unlink(o.link.c_str());
  return 0;
}
