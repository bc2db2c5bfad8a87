#include "transfer/transfer_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/bytes.h"
#include "common/decimal.h"

namespace orvane::transfer {

namespace {

std::string Format(const char* fmt, long long a) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, a);
  return buf;
}

// A silent receiver is mentioned once it has been silent this long; a packet's normal turn-around is shorter.
constexpr auto kWaitingShownAfter = std::chrono::seconds(1);

std::string Duration(double seconds) {
  const long long s = static_cast<long long>(seconds + 0.5);
  if (s < 60) return std::to_string(s) + " s";
  if (s < 3600) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
  return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
}

}  // namespace

std::string FormatProgress(const TransferProgress& p) {
  std::string out;
  if (p.bytesTotal > 0) {
    out = std::to_string(p.bytesDone) + " of " + std::to_string(p.bytesTotal) + " bytes";
    if (p.bytesPerSecond > 0) out += ", " + std::to_string(std::llround(p.bytesPerSecond)) + " bytes/s";
    if (p.secondsLeft >= 0) out += ", " + Duration(p.secondsLeft) + " left";
  }
  if (p.waitingSeconds >= 0) {
    if (!out.empty()) out += ", ";
    out += "waiting for the receiver (" + std::to_string(p.waitingSeconds) + " s)";
  }
  return out;
}

long long StrToInt(const std::string& text) {
  if (const auto v = text::ParseDecimal(text)) return *v;
  throw TransferError(text::NotAnIntegerMessage(text));
}

TransferSession::TransferSession(TransferHost& host, Direction direction)
    : host_(host),
      direction_(direction),
      store_(direction == Direction::Upload ? kRingStoreSize : kLinearStoreSize, 0) {}

void TransferSession::Reset() {
  receivedCount_ = 0;
  readPosition_ = 0;
  echoOn_ = false;
  receivingPackets_ = false;
  storeOverflowReported_ = false;
  stats_ = {};
  progress_ = {};
  waitingShown_ = false;
}

void TransferSession::BeginProgress(std::uint64_t total) {
  progress_ = {};
  progress_.bytesTotal = total;
  packetsStart_ = std::chrono::steady_clock::now();
  ReportProgress(-1);
}

void TransferSession::Progress(std::uint64_t done) {
  progress_.bytesDone = std::min(done, progress_.bytesTotal);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - packetsStart_).count();
  if (seconds > 0 && progress_.bytesDone > 0) {
    progress_.bytesPerSecond = static_cast<double>(progress_.bytesDone) / seconds;
    progress_.secondsLeft =
        static_cast<double>(progress_.bytesTotal - progress_.bytesDone) / progress_.bytesPerSecond;
  }
  ReportProgress(-1);
}

void TransferSession::ReportProgress(int waitingSeconds) {
  TransferProgress p = progress_;
  p.waitingSeconds = waitingSeconds;
  host_.SetProgress(p);
}

void TransferSession::RequestCancel() {
  cancelRequested_ = true;
  host_.Wake();
}

void TransferSession::Store(std::uint8_t byte) {
  if (direction_ == Direction::Upload) {
    // A ring slot still unread would be overwritten: drop the oldest unread byte instead, so that a read
    // never mixes bytes of two laps.
    if (Unread() >= kRingStoreSize) ++readPosition_;
    store_[receivedCount_ % kRingStoreSize] = byte;
  } else {
    // Bytes beyond the linear store are dropped (and reported by the handler), never written outside it.
    if (receivedCount_ >= kLinearStoreSize) throw TransferError("receive store full");
    store_[receivedCount_] = byte;
  }
  ++receivedCount_;
  ++stats_.bytesReceived;
}

std::uint8_t TransferSession::ByteAt(std::uint32_t position) const {
  return direction_ == Direction::Upload ? store_[position % kRingStoreSize] : store_.at(position);
}

void TransferSession::ReceiveDataUnchecked(const std::uint8_t* buffer, std::uint16_t length) {
  if (direction_ == Direction::Download && receivingPackets_) {
    for (std::uint16_t i = 0; i < length; ++i) Store(buffer[i]);
    return;
  }
  std::string line = std::to_string(receivedCount_) + ": [";
  for (std::uint16_t i = 0; i < length; ++i) {
    const std::uint8_t b = buffer[i];
    if (b == 0x0A) {
      line += "]";
      host_.Log(line);
      line = std::to_string(receivedCount_) + ": [";
    }
    Store(b);
    line.push_back(static_cast<char>(b));
  }
  line += "]";
  if (echoOn_) host_.Log(line);
}

void TransferSession::ReceiveData(const std::uint8_t* buffer, std::uint16_t length) {
  try {
    ReceiveDataUnchecked(buffer, length);
  } catch (const std::exception&) {
    // Once per transfer: a flood would otherwise stack up message boxes.
    if (!storeOverflowReported_) {
      storeOverflowReported_ = true;
      host_.ShowMessage(direction_ == Direction::Upload ? kMsgUploadHandlerError : kMsgDownloadHandlerError);
    }
  }
  host_.Wake();
}

void TransferSession::Sleep(int ms) {
  stats_.mandatedSleepMs += ms;
  host_.Wait(ms, [this] { return cancelRequested_; });
}

void TransferSession::SendToken(std::string_view token) {
  std::uint8_t bytes[kTokenSize];
  for (int i = 0; i < kTokenSize; ++i)
    bytes[i] = static_cast<std::uint8_t>(i < static_cast<int>(token.size()) ? token[i] : ' ');
  host_.Write(bytes, kTokenSize);
  stats_.bytesSent += kTokenSize;
}

void TransferSession::SendNumber(std::uint32_t value) {
  std::uint8_t bytes[kTokenSize];
  bytes::PutU32LE(bytes, 0, value);
  host_.Write(bytes, kTokenSize);
  stats_.bytesSent += kTokenSize;
}

bool TransferSession::WaitUnread(std::size_t n, int pollMs, int* gauge) {
  const auto since = std::chrono::steady_clock::now();
  while (Unread() < n) {
    if (cancelRequested_) return false;
    host_.Wait(pollMs, [&] { return Unread() >= n || cancelRequested_; });
    if (cancelRequested_) return false;
    if (gauge) {
      host_.SetGauge(*gauge);
      if (*gauge < kFinalGaugeMax) ++*gauge;
    }
    const auto waited = std::chrono::steady_clock::now() - since;
    if (Unread() < n && waited >= kWaitingShownAfter) {
      waitingShown_ = true;
      ReportProgress(static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(waited).count()));
    }
  }
  if (waitingShown_) {
    waitingShown_ = false;
    ReportProgress(-1);
  }
  return !cancelRequested_;
}

std::string TransferSession::Take(std::size_t n) {
  std::string out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<char>(ByteAt(readPosition_++)));
  return out;
}

bool TransferSession::ScanForToken(std::string_view token) {
  for (;;) {
    if (!WaitUnread(kTokenSize, kTokenPollMs)) return false;
    bool match = true;
    for (int i = 0; i < kTokenSize; ++i)
      match = match && ByteAt(readPosition_ + i) == static_cast<std::uint8_t>(token[i]);
    if (match) {
      readPosition_ += kTokenSize;
      return true;
    }
    ++readPosition_;
    Sleep(kScanStepMs);
  }
}

std::optional<std::string> TransferSession::ReadToken() {
  if (!WaitUnread(kTokenSize, kTokenPollMs)) return std::nullopt;
  return Take(kTokenSize);
}

std::optional<std::uint32_t> TransferSession::ReadNumber() {
  if (!WaitUnread(kTokenSize, kTokenPollMs)) return std::nullopt;
  const std::string raw = Take(kTokenSize);
  return bytes::GetU32LE(std::span(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()), 0);
}

std::optional<std::string> TransferSession::ReadFinalToken() {
  int gauge = kFinalGaugeStart;
  if (!WaitUnread(kTokenSize, kFinalPollMs, &gauge)) return std::nullopt;
  return Take(kTokenSize);
}

int TransferSession::PacketChecksum(std::span<const std::uint8_t> payload) {
  unsigned sum = 0;
  for (std::uint8_t b : payload) sum += b;
  return static_cast<int>(sum % kPacketChecksumModulus);
}

std::uint32_t TransferSession::ImageChecksum(std::span<const std::uint8_t> image) {
  std::uint32_t sum = 0;
  for (std::uint8_t b : image) sum += b;
  return sum;
}

std::string TransferSession::FormatPacketNumber(long long value) {
  return Format("%.4lld", value);
}

std::optional<Outcome> TransferSession::SendPackets(std::span<const std::uint8_t> image) {
  const std::size_t n = (image.size() + kPacketSize - 1) / kPacketSize;
  std::vector<std::uint8_t> payload(kPacketSize);
  int resends = 0;
  BeginProgress(image.size());
  for (std::size_t i = 0; i < n;) {
    // The last packet is always full length; what lies after the image is filler.
    std::fill(payload.begin(), payload.end(), kFillerByte);
    const std::size_t start = i * kPacketSize;
    const std::size_t count = std::min<std::size_t>(kPacketSize, image.size() - start);
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(start), count, payload.begin());

    SendToken(FormatPacketNumber(static_cast<long long>(i)));
    host_.Write(payload.data(), payload.size());
    stats_.bytesSent += payload.size();
    host_.SetGauge(static_cast<int>(static_cast<double>(i) / static_cast<double>(n) * kPacketsGaugeShare));
    host_.Pump();
    if (cancelRequested_) return Outcome::Cancelled;
    const int checksum = PacketChecksum(payload);
    const auto answer = ReadToken();
    if (!answer) return Outcome::Cancelled;
    if (*answer == FormatPacketNumber(checksum)) {
      ++i;
      resends = 0;
      Progress(i * kPacketSize);
      continue;
    }
    host_.Log(Format(*answer == kERR ? "Packet %lld TRANSFER ERROR" : "Packet %lld CHECK SUM ERROR",
                     static_cast<long long>(i)));
    if (resendLimit_ >= 0 && ++resends > resendLimit_) {
      host_.ShowMessage(Format("Packet %lld still refused after ", static_cast<long long>(i)) +
                        std::to_string(resendLimit_) + " resends: giving up");
      host_.ShowMessage(kMsgUploadFailure);
      return Outcome::Failure;
    }
  }
  host_.SetGauge(kPacketsGaugeShare);
  host_.Pump();
  return std::nullopt;
}

std::optional<Outcome> TransferSession::ExpectToken(std::string_view expected, std::string_view alternative) {
  auto token = ReadToken();
  if (!token) return Outcome::Cancelled;
  if (*token == expected || (!alternative.empty() && *token == alternative)) return std::nullopt;
  host_.ShowMessage(kMsgInvalidProtocol);
  return Outcome::ProtocolError;
}

std::optional<Outcome> TransferSession::Greet(std::string_view answer, std::string_view confirmation) {
  echoOn_ = true;
  if (!ScanForToken(answer)) return Outcome::Cancelled;
  SendToken(confirmation);
  Sleep(kTokenSleepMs);
  return ExpectToken(kSTPG, kSTDA);
}

std::optional<bool> TransferSession::ChecksumAgrees(std::uint32_t computed) {
  Sleep(kTokenSleepMs);
  auto received = ReadNumber();
  if (!received) return std::nullopt;
  char line[80];
  std::snprintf(line, sizeof line, "COMPARE CHECKSUM : [%X] [%X]", *received, computed);
  host_.Log(line);
  return *received == computed;
}

Outcome TransferSession::ChecksumFailure(const char* checksumMessage, const char* failureMessage) {
  host_.ShowMessage(checksumMessage);
  SendToken(kERR);
  host_.ShowMessage(failureMessage);
  return Outcome::Failure;
}

Outcome TransferSession::Upload(std::span<const std::uint8_t> image, std::string_view programToken,
                                std::string_view imageVersion) {
  host_.ShowWaiting(kMsgWaitingB00B);
  SendToken(kB00B);
  Sleep(kTokenSleepMs);
  SendToken(kBOOB);
  Sleep(kTokenSleepMs);
  SendToken(kBOOB);
  Sleep(kTokenSleepMs);
  if (auto ended = Greet(kBOAA, kONON)) return *ended;
  SendToken(programToken);
  if (!imageVersion.empty()) {
    Sleep(kVersionSleepMs);
    SendToken(imageVersion);
  }
  if (auto ended = ExpectToken(kREDY)) return *ended;
  SendNumber(static_cast<std::uint32_t>(image.size()));
  if (cancelRequested_) return Outcome::Cancelled;
  Sleep(kTokenSleepMs);
  auto echoed = ReadNumber();
  if (!echoed) return Outcome::Cancelled;
  host_.Log(Format("Read Size : [%lld]", static_cast<long long>(static_cast<std::int32_t>(*echoed))));
  echoOn_ = false;

  if (auto ended = SendPackets(image)) return *ended;

  const auto agrees = ChecksumAgrees(ImageChecksum(image));
  if (!agrees) return Outcome::Cancelled;
  if (*agrees) {
    SendToken(kEND);
    Sleep(kTokenSleepMs);
    auto last = ReadFinalToken();
    if (!last) return Outcome::Cancelled;
    if (*last == kEND) {
      host_.SetGauge(100);
      host_.ShowMessage(kMsgSuccess);
      return Outcome::Success;
    }
    host_.ShowMessage(kMsgUploadFailure);
    return Outcome::Failure;
  }
  return ChecksumFailure(kMsgUploadChecksum, kMsgUploadFailure);
}

bool TransferSession::ReceivePackets(std::span<std::uint8_t> image, std::uint32_t size) {
  const long long n = (size + kPacketSize - 1) / kPacketSize;
  receivingPackets_ = true;
  BeginProgress(size);
  std::uint64_t received = 0;
  for (;;) {
    if (!WaitUnread(kTokenSize, kPacketPollMs)) return false;
    const long long k = StrToInt(Take(kTokenSize));
    if (!WaitUnread(kPacketSize, kPacketPollMs)) return false;
    unsigned sum = 0;
    // Packet bytes whose place lies outside the image (negative numbers, numbers past its end) are
    // counted in the checksum but not stored.
    const long long base = k * kPacketSize;
    for (int i = 0; i < kPacketSize; ++i) {
      const std::uint8_t b = ByteAt(readPosition_++);
      sum += b;
      const long long pos = base + i;
      if (pos >= 0 && pos < static_cast<long long>(image.size())) image[static_cast<std::size_t>(pos)] = b;
    }
    SendToken(FormatPacketNumber(sum % kPacketChecksumModulus));
    received += kPacketSize;
    Progress(received);
    if (k >= n) break;
    host_.SetGauge(static_cast<int>(static_cast<double>(k) / static_cast<double>(n) * 100));
  }
  receivingPackets_ = false;
  host_.SetGauge(100);
  host_.Pump();
  return true;
}

Outcome TransferSession::Download(std::string_view programToken, std::span<std::uint8_t> image,
                                  const std::function<void()>& complete) {
  const std::uint32_t size = programToken == kUPD2 ? kUpd2Size : kUpdaSize;
  struct ClearFlag {
    bool& flag;
    ~ClearFlag() { flag = false; }
  } clearFlag{receivingPackets_};

  host_.ShowWaiting(kMsgWaitingBABO);
  for (int i = 0; i < 3; ++i) {
    SendToken(kC0FF);
    Sleep(kTokenSleepMs);
  }
  if (auto ended = Greet(kBABO, kNONO)) return *ended;
  SendToken(programToken);
  if (auto ended = ExpectToken(kREDY)) return *ended;
  if (!ReceivePackets(image, size)) return Outcome::Cancelled;
  const auto agrees = ChecksumAgrees(ImageChecksum(image.first(std::min<std::size_t>(size, image.size()))));
  if (!agrees) return Outcome::Cancelled;
  if (*agrees) {
    if (complete) complete();
    host_.ShowMessage(kMsgSuccess);
    return Outcome::Success;
  }
  return ChecksumFailure(kMsgDownloadChecksum, kMsgDownloadFailure);
}

}  // namespace orvane::transfer
