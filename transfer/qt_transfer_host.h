// The waiting half of a transfer host on Qt: every wait runs the event loop (so received blocks, Cancel
// clicks and hang-ups are handled) and ends as soon as the awaited condition holds.
#pragma once

#include <QEventLoop>

#include "serial/Comm32.h"
#include "transfer/transfer_session.h"

namespace orvane::transfer {

class QtTransferHost : public TransferHost {
 public:
  explicit QtTransferHost(serial::TComm32& comm) : comm_(comm) {}

  bool Write(const std::uint8_t* data, std::size_t size) override;
  void Wait(int ms, const std::function<bool()>& done) override;
  void Pump() override;
  void Wake() override;

 protected:
  serial::TComm32& comm_;

 private:
  QEventLoop* waiting_ = nullptr;
};

}  // namespace orvane::transfer
