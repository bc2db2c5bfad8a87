// orvane-cli upload / download: the transfer engine on a named serial port, without a window. Messages and
// progress go to stderr; the exit status is 0 only when the transfer ended with "Success".
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "common/file_io.h"
#include "pictures/picture_pipeline.h"
#include "serial/Comm32.h"
#include "transfer/data_area.h"
#include "transfer/qt_transfer_host.h"
#include "transfer/software_image.h"
#include "transfer/transfer_session.h"

namespace {

using namespace orvane::transfer;
using orvane::serial::TComm32;

constexpr int kDefaultTimeoutSeconds = 60;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTimeout = 3;
constexpr qint64 kProgressEveryMs = 500;
constexpr int kFlushMs = 2000;

struct Common {
  std::string port = "COM1";
  int timeoutSeconds = kDefaultTimeoutSeconds;
  bool verbose = false;
  std::vector<std::string> rest;
};

bool AsksForHelp(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

// A whole number of at least 0; false when `text` is none.
bool ParseCount(const std::string& text, int& out) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || v < 0 || v > 1000000) return false;
  out = static_cast<int>(v);
  return true;
}

// Takes the options both commands share; false on a malformed one.
// The options ParseCommon left over, as name/value pairs; false for a name not in `allowed`, a name given twice
// or a name without its value.
bool OptionPairs(const std::vector<std::string>& other, std::initializer_list<const char*> allowed,
                 std::map<std::string, std::string>& out) {
  if (other.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < other.size(); i += 2) {
    const bool known = std::any_of(allowed.begin(), allowed.end(), [&](const char* a) { return other[i] == a; });
    if (!known || !out.emplace(other[i], other[i + 1]).second) return false;
  }
  return true;
}

bool ParseCommon(const std::vector<std::string>& args, Common& c, std::vector<std::string>& other) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--port") {
      if (!value(c.port)) return false;
    } else if (a == "--timeout") {
      if (!value(v) || !ParseCount(v, c.timeoutSeconds)) return false;
    } else if (a == "--verbose" || a == "-v") {
      c.verbose = true;
    } else if (a.rfind("--", 0) == 0 && a != "--") {
      other.push_back(a);
      if (i + 1 < args.size()) other.push_back(args[++i]);
    } else {
      c.rest.push_back(a);
    }
  }
  return true;
}

// The command line's side of a transfer: messages and progress on stderr, and a limit on receiver silence
// because a script has no Cancel button. Silence is counted from the later of the last byte that arrived and
// the last byte the engine took: a long scan through bytes already received is no silence.
class CliHost : public QtTransferHost {
 public:
  CliHost(TComm32& comm, const Common& c) : QtTransferHost(comm), c_(c) { sinceData_.start(); }

  void Attach(TransferSession& s) { session_ = &s; }
  void DataArrived() { sinceData_.restart(); }

  void Log(const std::string& line) override {
    if (c_.verbose) std::fprintf(stderr, "  %s\n", line.c_str());
  }
  void SetGauge(int percent) override {
    percent_ = percent;
    Print(percent == 100);
  }
  void SetProgress(const TransferProgress& progress) override {
    progress_ = progress;
    Print(false);
  }
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  void ShowWaiting(const std::string& text) override {
    std::fprintf(stderr, "%s: waiting for the receiver on %s", text.c_str(), c_.port.c_str());
    if (c_.timeoutSeconds > 0)
      std::fprintf(stderr, " (giving up after %d s of silence)\n", c_.timeoutSeconds);
    else
      std::fprintf(stderr, " (no time limit)\n");
  }

  void Wait(int ms, const std::function<bool()>& done) override {
    if (session_->ReadPosition() != takenUpTo_) {
      takenUpTo_ = session_->ReadPosition();
      sinceData_.restart();
    }
    if (c_.timeoutSeconds > 0) {
      const qint64 left = c_.timeoutSeconds * 1000LL - sinceData_.elapsed();
      if (left <= 0) return TimeOut();
      ms = static_cast<int>(std::min<qint64>(ms, left));
    }
    QtTransferHost::Wait(ms, done);
    if (c_.timeoutSeconds > 0 && !done() && sinceData_.elapsed() >= c_.timeoutSeconds * 1000LL) TimeOut();
  }

  bool timedOut = false;
  bool hungUp = false;

 private:
  void TimeOut() {
    if (!timedOut)
      std::fprintf(stderr, "no answer from the receiver for %d s: giving up (--timeout 0 waits for ever)\n",
                   c_.timeoutSeconds);
    timedOut = true;
    session_->RequestCancel();
  }

  // The gauge and the status line as the windows show them, when the text changes, at most every
  // kProgressEveryMs (the end always).
  void Print(bool force) {
    const std::string line = std::to_string(percent_) + "%  " + FormatProgress(progress_);
    if (line == lastLine_ || (!force && lastPrint_.isValid() && lastPrint_.elapsed() < kProgressEveryMs)) return;
    lastLine_ = line;
    lastPrint_.start();
    std::fprintf(stderr, "%s\n", line.c_str());
  }

  const Common& c_;
  TransferSession* session_ = nullptr;
  QElapsedTimer sinceData_;  // silence so far
  std::uint32_t takenUpTo_ = 0;
  int percent_ = 0;
  TransferProgress progress_;
  QElapsedTimer lastPrint_;
  std::string lastLine_;
};

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "orvane-cli";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app =
      QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
  return *app;
}

// Runs `transfer` on an opened port; returns the exit status.
template <typename Run>
int RunTransfer(const Common& c, Direction direction, Run transfer) {
  App();
  TComm32 comm;
  comm.SetPortName(c.port);
  comm.SetBaudRates(orvane::serial::_115200);
  CliHost host(comm, c);
  TransferSession session(host, direction);
  host.Attach(session);
  comm.OnReceiveData = [&](const std::uint8_t* b, std::uint16_t n) {
    host.DataArrived();
    session.ReceiveData(b, n);
  };
  comm.OnRequestHangup = [&](TComm32*) {
    std::fprintf(stderr, "%s\n", kMsgHangup);
    host.hungUp = true;
    session.RequestCancel();
    comm.ClosePort();
  };
  session.Reset();
  if (!comm.OpenPort()) {
    std::fprintf(stderr, "ERROR : COM Port\n%s: %s\n", c.port.c_str(), comm.LastOpenError().c_str());
    return kExitFailure;
  }
  Outcome outcome;
  try {
    outcome = transfer(session);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    comm.ClosePort();
    return kExitFailure;
  }
  // The last token ("END ", "ERR ", a packet checksum) must leave before closing discards it.
  if (outcome != Outcome::Cancelled) comm.Flush(kFlushMs);
  comm.ClosePort();
  if (host.timedOut) return kExitTimeout;
  if (outcome == Outcome::Cancelled && !host.hungUp) std::fprintf(stderr, "transfer cancelled\n");
  return outcome == Outcome::Success ? 0 : kExitFailure;
}

const char* kUploadHelp =
    "usage: orvane-cli upload [--port COM1|DEVICE] [--timeout SECONDS] [--retries N] [--verbose] FILE\n"
    "       orvane-cli upload --pictures IMAGE [--port COM1|DEVICE] [--timeout SECONDS] [--retries N] [--verbose]\n"
    "Sends FILE to the receiver at 115200 bit/s: a software image of 1,703,936, 1,179,648 or 2,097,152\n"
    "bytes (compressed, sent as 2PD*, 2P** or 2M** with its version), or a 65,536-byte channel data file\n"
    "(sent unchanged as 2T**); with --pictures, a 65,536-byte picture image (sent as 2PI*, as\n"
    "'orvane-cli picture image' writes it). COMn opens what 'orvane-cli ports' lists. --timeout ends the transfer\n"
    "after that much receiver silence (default 60; 0 waits for ever). --retries gives up after N resends\n"
    "of one packet (default: resend for ever). Exit status 0 only on Success.\n";

const char* kDownloadHelp =
    "usage: orvane-cli download --size 128|256 [--tpd FILE.tpd] [--opening SLOT] [--mainmenu SLOT] [--radio SLOT]\n"
    "                           [--base FILE] [--port COM1|DEVICE] [--timeout SECONDS] [--verbose] OUT\n"
    "Reads the receiver's data area (UPDA: 128 KB, UPD2: 256 KB) and saves it as a 262,144-byte file.\n"
    "After a good checksum the pictures and the channel database image given are patched in, as the\n"
    "Download window does it: --mainmenu at 0x20008, --opening at 0x24808, --radio at 0x2A408 (slot files\n"
    "as 'orvane-cli picture slot' writes them, e.g. with --fill ff), --tpd (a 65,536-byte database image\n"
    "file) at 0x30000, in that order. --base is a 262,144-byte data file the data area starts from: the\n"
    "bytes no packet reaches keep it (zeros without it). Every input and OUT are checked before the\n"
    "transfer starts. Exit status 0 only on Success.\n";

int Upload(const std::vector<std::string>& args) {
  if (AsksForHelp(args)) {
    std::fputs(kUploadHelp, stdout);
    return 0;
  }
  Common c;
  std::vector<std::string> other;
  std::map<std::string, std::string> options;
  int retries = -1;
  if (!ParseCommon(args, c, other) || !OptionPairs(other, {"--retries", "--pictures"}, options) ||
      (options.count("--retries") && !ParseCount(options["--retries"], retries)) ||
      c.rest.size() != (options.count("--pictures") ? 0u : 1u)) {
    std::fputs(kUploadHelp, stderr);
    return kExitUsage;
  }
  if (options.count("--pictures")) {
    const std::string& path = options["--pictures"];
    const auto image = orvane::files::ReadFileWhole(path, orvane::pictures::kPictureImageSize + 1);
    if (image.size() != orvane::pictures::kPictureImageSize) {
      std::fprintf(stderr, "%s: a picture image has %zu bytes, this file %zu\n", path.c_str(),
                   orvane::pictures::kPictureImageSize, image.size());
      return kExitFailure;
    }
    std::fprintf(stderr, "%s: picture image, %s, %zu bytes\n", path.c_str(), std::string(k2PI).c_str(), image.size());
    return RunTransfer(c, Direction::Upload, [&](TransferSession& s) {
      s.SetResendLimit(retries);
      return s.Upload(image, k2PI);
    });
  }
  const std::string& path = c.rest[0];
  std::vector<std::uint8_t> fileBuffer, sendBuffer;
  const auto size = static_cast<long long>(orvane::files::RegularFileSize(path));  // missing: says why
  const PreparedUpload p = size == kChannelDataSize ? PrepareChannelData(path, sendBuffer)
                                                    : PrepareSoftwareImage(path, fileBuffer, sendBuffer);
  if (!p.error.empty()) {
    std::fprintf(stderr, "%s\n%s: not a software image or channel data file (size %lld)\n", p.error.c_str(),
                 path.c_str(), size);
    return kExitFailure;
  }
  if (p.imageKind >= 0)
    std::fprintf(stderr, "%s: software image, %s version %s, %u bytes compressed to %u\n", path.c_str(),
                 p.programToken.c_str(), p.imageVersion.c_str(), p.sourceSize, p.length);
  else
    std::fprintf(stderr, "%s: channel data, %s, %u bytes\n", path.c_str(), p.programToken.c_str(), p.length);
  return RunTransfer(c, Direction::Upload, [&](TransferSession& s) {
    s.SetResendLimit(retries);
    return s.Upload(std::span<const std::uint8_t>(sendBuffer.data(), p.length), p.programToken,
                    p.imageVersion);
  });
}

// A picture slot file for `row`: exactly the slot's bytes.
bool ReadSlotFile(const std::string& path, const MergeRow& row, std::vector<std::uint8_t>& out) {
  out = orvane::files::ReadFileWhole(path, row.bytes + 1);
  if (out.size() == row.bytes) return true;
  std::fprintf(stderr, "%s: a slot for this place has %zu bytes, this file %zu\n", path.c_str(), row.bytes,
               out.size());
  return false;
}

int Download(const std::vector<std::string>& args) {
  if (AsksForHelp(args)) {
    std::fputs(kDownloadHelp, stdout);
    return 0;
  }
  Common c;
  std::vector<std::string> other;
  std::map<std::string, std::string> options;
  if (!ParseCommon(args, c, other) || c.rest.size() != 1 ||
      !OptionPairs(other, {"--size", "--tpd", "--opening", "--mainmenu", "--radio", "--base"}, options) ||
      (options["--size"] != "128" && options["--size"] != "256")) {
    std::fputs(kDownloadHelp, stderr);
    return kExitUsage;
  }
  const std::string out = c.rest[0];
  const bool whole = options["--size"] == "256";

  // Everything is read and checked before the transfer, so a long download is never thrown away at the end.
  std::vector<std::uint8_t> image(kDataAreaImageSize, 0);
  if (options.count("--base")) {
    const std::string& path = options["--base"];
    image = orvane::files::ReadFileWhole(path, kDataAreaImageSize + 1);
    if (image.size() != kDataAreaImageSize) {
      std::fprintf(stderr, "%s: a data file has %zu bytes, this file %zu\n", path.c_str(), kDataAreaImageSize,
                   image.size());
      return kExitFailure;
    }
  }
  std::array<std::vector<std::uint8_t>, 4> held;
  MergeSources sources{};
  const std::pair<const char*, MergeSource> slotOptions[] = {
      {"--mainmenu", MergeSource::MainMenu}, {"--opening", MergeSource::Opening}, {"--radio", MergeSource::Radio}};
  for (const auto& [name, source] : slotOptions) {
    if (!options.count(name)) continue;
    const auto i = static_cast<std::size_t>(source);
    if (!ReadSlotFile(options[name], kMergeMap[i], held[i])) return kExitFailure;
    sources[i] = held[i];
  }
  if (options.count("--tpd")) {
    const std::string& path = options["--tpd"];
    SatTpFile f = ReadSatTpFile(path);
    if (f.check != SatTpCheck::Ok) {
      std::fprintf(stderr, "%s\n%s: a channel database image file has %zu bytes, this file %llu\n",
                   SatTpMessage(f.check), path.c_str(), kSatTpBufferSize, static_cast<unsigned long long>(f.size));
      return kExitFailure;
    }
    const auto i = static_cast<std::size_t>(MergeSource::SatTp);
    held[i] = std::move(f.bytes);
    sources[i] = held[i];
  }
  orvane::files::CheckWritable(out);

  return RunTransfer(c, Direction::Download, [&](TransferSession& s) {
    return s.Download(whole ? kUPD2 : kUPDA, image, [&] {
      ApplyMerge(image, sources);
      orvane::files::WriteFileWhole(out, image);
      std::fprintf(stderr, "saved %s (%zu bytes)\n", out.c_str(), image.size());
    });
  });
}

orvane::cli::Registrar upload({"upload", "send a software image or channel data file to the receiver",
                               Upload});
orvane::cli::Registrar download({"download", "read the receiver's data area into a file", Download});

}  // namespace
