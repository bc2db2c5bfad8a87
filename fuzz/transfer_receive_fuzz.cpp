// Bytes from the wire through the transfer engine's receive handler and its token, number and packet reads, in
// both directions, driven by a host that hands the input over in pieces whenever the engine waits and cancels
// once it is used up. Whatever arrives, the engine must stay inside its stores and the image.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "transfer/transfer_session.h"

namespace {

using namespace orvane::transfer;

class FuzzHost : public TransferHost {
 public:
  void Start(std::span<const std::uint8_t> bytes, TransferSession& s) {
    rest_ = bytes;
    session_ = &s;
  }
  void Log(const std::string&) override {}
  void SetGauge(int percent) override {
    if (percent < 0 || percent > 100) std::abort();
  }
  void ShowMessage(const std::string&) override {}
  bool Write(const std::uint8_t*, std::size_t) override { return true; }
  // Each wait delivers the next piece: its length is the piece's first byte (as 1..256 bytes).
  void Wait(int, const std::function<bool()>& done) override {
    if (done()) return;
    if (rest_.empty()) return session_->RequestCancel();
    const std::size_t n = std::min<std::size_t>(rest_.size() - 1, rest_[0] + 1u);
    session_->ReceiveData(rest_.data() + 1, static_cast<std::uint16_t>(n));
    rest_ = rest_.subspan(n + 1);
  }
  void Pump() override {}
  void Wake() override {}

 private:
  std::span<const std::uint8_t> rest_;
  TransferSession* session_ = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static FuzzHost host;
  static TransferSession upload(host, Direction::Upload);
  static TransferSession download(host, Direction::Download);
  static std::vector<std::uint8_t> image(kDataAreaImageSize);
  static const std::vector<std::uint8_t> sent(2 * kPacketSize + 17, 0x5A);
  const std::uint8_t mode = data[0];
  TransferSession& s = (mode & 1) ? download : upload;
  s.Reset();
  s.ClearCancel();
  s.SetResendLimit((mode & 2) ? 3 : -1);
  host.Start({data + 1, size - 1}, s);
  try {
    switch ((mode >> 2) % 4) {
      case 0:  // a whole transfer
        if (&s == &download)
          s.Download((mode & 0x10) ? kUPD2 : kUPDA, image);
        else
          s.Upload(sent, k2T, (mode & 0x10) ? "0ABC" : "");
        break;
      case 1:  // the reads on their own
        while (s.ReadToken() && s.ReadNumber() && s.ReadFinalToken()) {
        }
        break;
      case 2:
        while (s.ScanForToken(kBABO)) {
        }
        break;
      default:
        while (!s.ExpectToken(kSTPG, kSTDA)) {
        }
        break;
    }
  } catch (const TransferError&) {
    // a packet number that is no number ends the transfer, as in the windows
  }
  if (s.ReadPosition() > s.ReceivedCount()) std::abort();
  return 0;
}
