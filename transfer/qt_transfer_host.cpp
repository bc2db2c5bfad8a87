#include "transfer/qt_transfer_host.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace orvane::transfer {

bool QtTransferHost::Write(const std::uint8_t* data, std::size_t size) {
  bool ok = true;
  // WriteData takes at most 65,535 bytes per block.
  while (size > 0) {
    const std::size_t part = std::min<std::size_t>(size, 0xFFFF);
    ok = comm_.WriteData(data, static_cast<std::uint16_t>(part)) && ok;
    data += part;
    size -= part;
  }
  return ok;
}

void QtTransferHost::Wait(int ms, const std::function<bool()>& done) {
  QCoreApplication::processEvents();
  QElapsedTimer t;
  t.start();
  while (!done()) {
    const qint64 left = ms - t.elapsed();
    if (left <= 0) break;
    QEventLoop loop;
    QEventLoop* outer = waiting_;
    waiting_ = &loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(left));
    loop.exec();
    waiting_ = outer;
  }
}

void QtTransferHost::Pump() {
  QCoreApplication::processEvents();
}

void QtTransferHost::Wake() {
  if (waiting_) waiting_->quit();
}

}  // namespace orvane::transfer
