// The handshake-and-packet protocol spoken with the receiver. One TransferSession per transfer window; it
// talks to its window only through TransferHost and keeps the receive store and the read position.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::transfer {

inline constexpr int kTokenSize = 4;
inline constexpr int kPacketSize = 3500;
inline constexpr int kPacketChecksumModulus = 10000;
inline constexpr std::size_t kRingStoreSize = 4095;  // 4095 slots, not 4096
inline constexpr std::size_t kLinearStoreSize = 1048576;
inline constexpr std::size_t kDataAreaImageSize = 262144;
// Upload buffers (file and send buffer of the software update tool).
inline constexpr std::size_t kSendBufferSize = 3121153;
// Value of the bytes after the image in the last upload packet.
inline constexpr std::uint8_t kFillerByte = 0x00;

// Tokens.
inline constexpr std::string_view kB00B = "B00B";
inline constexpr std::string_view kBOOB = "BOOB";
inline constexpr std::string_view kC0FF = "C0FF";
inline constexpr std::string_view kBOAA = "BOAA";
inline constexpr std::string_view kBABO = "BABO";
inline constexpr std::string_view kONON = "ONON";
inline constexpr std::string_view kNONO = "NONO";
inline constexpr std::string_view kSTPG = "STPG";
inline constexpr std::string_view kSTDA = "STDA";
inline constexpr std::string_view kREDY = "REDY";
inline constexpr std::string_view kEND = "END ";
inline constexpr std::string_view kERR = "ERR ";
inline constexpr std::string_view k2PD = "2PD*";
inline constexpr std::string_view k2P = "2P**";
inline constexpr std::string_view k2M = "2M**";
inline constexpr std::string_view k2T = "2T**";
inline constexpr std::string_view k2PI = "2PI*";
inline constexpr std::string_view kUPDA = "UPDA";
inline constexpr std::string_view kUPD2 = "UPD2";

// Data area sizes of the two download tokens.
inline constexpr std::uint32_t kUpdaSize = 131072;
inline constexpr std::uint32_t kUpd2Size = 262144;

// Sleeps and poll intervals (ms).
inline constexpr int kTokenSleepMs = 100;    // after wake-up tokens, ONON/NONO, the length, the packets
inline constexpr int kVersionSleepMs = 300;  // between a software program token and ImageVersion
inline constexpr int kScanStepMs = 1;        // between two steps of a token scan
inline constexpr int kTokenPollMs = 100;
inline constexpr int kPacketPollMs = 500;
inline constexpr int kFinalPollMs = 2500;
inline constexpr int kFinalGaugeStart = 91;
inline constexpr int kFinalGaugeMax = 99;
inline constexpr int kPacketsGaugeShare = 90;

// The tool's texts.
inline constexpr const char* kMsgWaitingB00B = "Waiting B00B";
inline constexpr const char* kMsgWaitingBABO = "Waiting BABO";
inline constexpr const char* kMsgInvalidProtocol = "Invalid Protocolo";
inline constexpr const char* kMsgSuccess = "Success";
inline constexpr const char* kMsgUploadChecksum = "ERROR : Check Sum";
inline constexpr const char* kMsgUploadFailure = "ERROR : Upload Failure";
inline constexpr const char* kMsgDownloadChecksum = "Check SUM ERROR";
inline constexpr const char* kMsgDownloadFailure = "Failure";
inline constexpr const char* kMsgUploadHandlerError = "ERROR : Serial Check";
inline constexpr const char* kMsgDownloadHandlerError = "Serial  에러가 발생하였습니다. ";  // UTF-8
inline constexpr const char* kMsgHangup = "hangup";

// How far a transfer has got, as the status line under the gauge shows it.
struct TransferProgress {
  std::uint64_t bytesDone = 0;   // image bytes acknowledged (upload) or received (download)
  std::uint64_t bytesTotal = 0;  // 0 until the packets begin
  double bytesPerSecond = 0;     // over the packets so far; 0 while not known
  double secondsLeft = -1;       // < 0 while not known
  int waitingSeconds = -1;       // >= 0 while a wake-up answer or a reply has been awaited this long
};

// The status line: "35000 of 65536 bytes, 11250 bytes/s, 3 s left", with ", waiting for the receiver (12 s)"
// (or that alone before the packets) while the receiver is silent. Empty when there is nothing to say.
std::string FormatProgress(const TransferProgress& progress);

// What a window provides. All calls happen on the thread that runs the transfer.
class TransferHost {
 public:
  virtual ~TransferHost() = default;
  virtual void Log(const std::string& line) = 0;  // bytes as received (Latin-1)
  virtual void ClearLog() {}
  virtual void SetGauge(int percent) = 0;
  virtual void ShowMessage(const std::string& text) = 0;  // modal in a window
  // The "Waiting ..." message before the wake-up; a window shows it modally.
  virtual void ShowWaiting(const std::string& text) { ShowMessage(text); }
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;  // hands bytes to the serial port
  // Handles pending events and blocks until `done()` holds, Wake() is called, or `ms` have passed.
  virtual void Wait(int ms, const std::function<bool()>& done) = 0;
  // Handles pending events without blocking.
  virtual void Pump() = 0;
  // Ends a Wait early (new data, cancel).
  virtual void Wake() = 0;
  // Bytes, rate and time left after each packet; the time waited while the receiver is silent.
  virtual void SetProgress(const TransferProgress&) {}
};

enum class Outcome { Success, Failure, ProtocolError, Cancelled };

// Raised for data the transfer cannot use (a packet number that is not a number); ends the click.
class TransferError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Direction { Upload, Download };

struct TransferStats {
  long long mandatedSleepMs = 0;  // sleeps the protocol itself prescribes
  std::uint64_t bytesSent = 0;
  std::uint64_t bytesReceived = 0;
};

class TransferSession {
 public:
  TransferSession(TransferHost& host, Direction direction);

  // A new transfer: empty store, counters 0, flags cleared (not the cancel flag).
  void Reset();
  // The window's receive handler (commSerialReceiveData).
  void ReceiveData(const std::uint8_t* buffer, std::uint16_t length);

  void RequestCancel();
  // Resends of one packet after which an upload gives up with Failure; negative: never (as the windows do).
  void SetResendLimit(int limit) { resendLimit_ = limit; }
  void ClearCancel() { cancelRequested_ = false; }
  bool CancelRequested() const { return cancelRequested_; }

  void SendToken(std::string_view token);
  void SendNumber(std::uint32_t value);
  // nullopt / false: cancelled.
  bool ScanForToken(std::string_view token);
  std::optional<std::string> ReadToken();
  std::optional<std::uint32_t> ReadNumber();
  std::optional<std::string> ReadFinalToken();
  // Reads a token: nullopt when it is `expected` (or `alternative`), else how the transfer ends (cancelled,
  // or "Invalid Protocolo" shown).
  std::optional<Outcome> ExpectToken(std::string_view expected, std::string_view alternative = {});
  // The wake-up's end, shared by both directions: wait for the receiver's `answer`, send `confirmation`, and
  // check the state it reports. nullopt: go on.
  std::optional<Outcome> Greet(std::string_view answer, std::string_view confirmation);
  // After the packets: reads the receiver's image checksum and logs it beside `computed`. nullopt: cancelled.
  std::optional<bool> ChecksumAgrees(std::uint32_t computed);
  // A wrong image checksum: the two messages, with "ERR " to the receiver between them.
  Outcome ChecksumFailure(const char* checksumMessage, const char* failureMessage);

  // Sends `image` with `programToken` (and `imageVersion` after it when not empty).
  Outcome Upload(std::span<const std::uint8_t> image, std::string_view programToken,
                 std::string_view imageVersion = {});
  // Fetches the data area of `programToken` ("UPDA" or "UPD2") into `image` (262,144 bytes). On a good
  // checksum `complete` runs (the tool saves its file) before "Success" is shown.
  Outcome Download(std::string_view programToken, std::span<std::uint8_t> image,
                   const std::function<void()>& complete = {});

  static int PacketChecksum(std::span<const std::uint8_t> payload);
  static std::uint32_t ImageChecksum(std::span<const std::uint8_t> image);
  static std::string FormatPacketNumber(long long value);  // "%.4d"

  std::uint32_t ReceivedCount() const { return receivedCount_; }
  std::uint32_t ReadPosition() const { return readPosition_; }
  std::size_t Unread() const { return receivedCount_ - readPosition_; }
  bool EchoOn() const { return echoOn_; }
  bool ReceivingPackets() const { return receivingPackets_; }
  void SetReceivingPackets(bool on) { receivingPackets_ = on; }
  const TransferStats& Stats() const { return stats_; }

 private:
  void Sleep(int ms);
  bool WaitUnread(std::size_t n, int pollMs, int* gauge = nullptr);
  // The packets begin (`total` image bytes), and `done` of them have gone through.
  void BeginProgress(std::uint64_t total);
  void Progress(std::uint64_t done);
  void ReportProgress(int waitingSeconds);
  std::uint8_t ByteAt(std::uint32_t position) const;
  std::string Take(std::size_t n);
  void Store(std::uint8_t byte);
  // nullopt: every packet went through.
  std::optional<Outcome> SendPackets(std::span<const std::uint8_t> image);
  bool ReceivePackets(std::span<std::uint8_t> image, std::uint32_t size);
  void ReceiveDataUnchecked(const std::uint8_t* buffer, std::uint16_t length);

  TransferHost& host_;
  Direction direction_;
  std::vector<std::uint8_t> store_;
  std::uint32_t receivedCount_ = 0;
  std::uint32_t readPosition_ = 0;
  bool echoOn_ = false;
  bool cancelRequested_ = false;
  bool receivingPackets_ = false;
  bool storeOverflowReported_ = false;
  int resendLimit_ = -1;
  TransferStats stats_;
  TransferProgress progress_;
  std::chrono::steady_clock::time_point packetsStart_;
  bool waitingShown_ = false;
};

// Delphi-style StrToInt: optional blanks and sign, decimal digits; otherwise TransferError with
// "'%s' is not a valid integer value".
long long StrToInt(const std::string& text);

}  // namespace orvane::transfer
