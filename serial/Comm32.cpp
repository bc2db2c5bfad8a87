#include "serial/Comm32.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "serial/port_list.h"

namespace orvane::serial {

namespace {

// The three messages between the threads and the component.
constexpr QEvent::Type kMsgCommData = static_cast<QEvent::Type>(QEvent::User + 1);
constexpr QEvent::Type kMsgCommHangup = static_cast<QEvent::Type>(QEvent::User + 2);
constexpr QEvent::Type kMsgCommReady = static_cast<QEvent::Type>(QEvent::User + 3);
constexpr int kReaderId = 0;
constexpr int kWriterId = 1;
// Nice values for the threads: the reader highest, the writer one step above normal (ignored where the
// system does not allow raising priority).
constexpr int kReaderNice = -2;
constexpr int kWriterNice = -1;

constexpr std::uint32_t kRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,   14400,
                                    19200, 28800, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr std::uint32_t kDefaultRate = 9600;

std::atomic<int> g_liveThreads{0};
// Qt's event queue hands a posted event over under its own lock, which ThreadSanitizer can't see (Qt is not
// instrumented). Each post bumps this counter (release) and the handler reads it (acquire) first, which
// states the same ordering in a way the tool understands.
std::atomic<unsigned long> g_postedEvents{0};
std::atomic<int> g_pendingBlocks{0};

// A posted message. A data block belongs to the event and is freed with it, delivered or not.
struct CommEvent : QEvent {
  CommEvent(QEvent::Type type, unsigned gen, int wParam) : QEvent(type), generation(gen), param(wParam) {}
  ~CommEvent() override {
    if (!block.empty()) g_pendingBlocks.fetch_sub(1);
  }
  unsigned generation;
  int param;
  std::vector<std::uint8_t> block;
};

void Trace(const char* text) {
  if (const char* env = std::getenv("ORVANE_SERIAL_TRACE"); env && *env) std::fprintf(stderr, "%s\n", text);
}

void RaisePriority(int nice) {
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), nice);
}

struct LiveThread {
  LiveThread() { g_liveThreads.fetch_add(1); }
  ~LiveThread() { g_liveThreads.fetch_sub(1); }
};

}  // namespace

std::uint32_t RateOf(int baudRate) {
  if (baudRate < 0 || baudRate >= static_cast<int>(std::size(kRates))) return kDefaultRate;
  return kRates[baudRate];
}

std::string PortNameOf(int commPort) {
  if (commPort < 0 || commPort > COM128) return "COM__1";
  return "COM" + std::to_string(commPort + 1);
}

// What the two threads share with the component: written before they start, only read afterwards, except
// for the writer queue (guarded) and the stop event (an eventfd that is only ever set).
struct TComm32::Threads {
  int port = -1;
  int stopFd = -1;
  int queueFd = -1;
  QObject* notify = nullptr;
  unsigned generation = 0;
  std::mutex queueMutex;
  std::deque<std::vector<std::uint8_t>> queue;
  std::atomic<bool> writerAlive{false};
  std::atomic<std::size_t> queuedBytes{0};  // handed to WriteData, not yet written
  std::thread reader;
  std::thread writer;

  ~Threads() {
    if (stopFd >= 0) ::close(stopFd);
    if (queueFd >= 0) ::close(queueFd);
  }

  void Post(QEvent::Type type, int param, std::vector<std::uint8_t> block = {}) {
    auto* e = new CommEvent(type, generation, param);
    if (!block.empty()) {
      e->block = std::move(block);
      g_pendingBlocks.fetch_add(1);
    }
    g_postedEvents.fetch_add(1, std::memory_order_acq_rel);
    QCoreApplication::postEvent(notify, e);
  }

  bool StopSet() const {
    pollfd p{stopFd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
  }

  // Output is purged only when something is still waiting to go out (a cancel in the middle of a block).
  // Bytes that have already left belong to the far end: on a pty, a purge would take them back out of the
  // far end's input, so a last token written just before closing would be lost.
  void PurgeOutputIfPending() {
    if (queuedBytes > 0 || OutputQueued(port) > 0) PurgeOutput(port);
  }

  void ReaderBody();
  void WriterBody();
  bool WriteBlock(const std::vector<std::uint8_t>& block);
};

void TComm32::Threads::ReaderBody() {
  LiveThread live;
  RaisePriority(kReaderNice);
  std::vector<std::uint8_t> buf(kReadBlockSize);
  bool failed = false;
  Post(kMsgCommReady, kReaderId);
  pollfd fds[2] = {{stopFd, POLLIN, 0}, {port, POLLIN, 0}};
  for (;;) {
    const int r = ::poll(fds, 2, -1);
    if (r < 0) {
      if (errno == EINTR) continue;
      failed = true;
      break;
    }
    if (fds[0].revents) {
      Trace("Time to Exit");
      break;
    }
    if (!(fds[1].revents & POLLIN)) {
      failed = true;  // hang-up or error on the line
      break;
    }
    ssize_t k = ::read(port, buf.data(), buf.size());
    if (k < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (k <= 0) {
      failed = true;  // an empty read is a dead line
      break;
    }
    std::size_t n = static_cast<std::size_t>(k);
    // Collect the rest of the burst: the block ends once the line has been quiet for the read interval.
    bool lineFailed = false;
    bool stop = false;
    while (n < buf.size()) {
      const int q = ::poll(fds, 2, kReadIntervalMs);
      if (q == 0) break;
      if (q < 0) {
        if (errno == EINTR) continue;
        lineFailed = true;
        break;
      }
      if (fds[0].revents) {
        stop = true;
        break;
      }
      if (!(fds[1].revents & POLLIN)) {
        lineFailed = true;
        break;
      }
      k = ::read(port, buf.data() + n, buf.size() - n);
      if (k < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (k <= 0) {
        lineFailed = true;
        break;
      }
      n += static_cast<std::size_t>(k);
    }
    if (stop) {
      Trace("Time to Exit");
      break;
    }
    Post(kMsgCommData, static_cast<int>(n), std::vector<std::uint8_t>(buf.begin(), buf.begin() + n));
    if (lineFailed) {
      failed = true;
      break;
    }
  }
  if (failed) Post(kMsgCommHangup, 0);
  PurgeInput(port);
}

bool TComm32::Threads::WriteBlock(const std::vector<std::uint8_t>& block) {
  std::size_t done = 0;
  while (done < block.size()) {
    const ssize_t k = ::write(port, block.data() + done, block.size() - done);
    if (k > 0) {
      done += static_cast<std::size_t>(k);
      continue;
    }
    if (k < 0 && errno == EINTR) continue;
    if (k < 0 && errno == EBADF) return false;  // the port was closed under us: end quietly
    if (k < 0 && errno == EAGAIN) {
      // The driver took only part of the block; wait until it takes more, or for the stop.
      pollfd fds[2] = {{stopFd, POLLIN, 0}, {port, POLLOUT, 0}};
      const int r = ::poll(fds, 2, -1);
      if (r < 0 && errno == EINTR) continue;
      if (r > 0 && fds[0].revents) return false;
      if (r > 0 && (fds[1].revents & POLLOUT)) continue;
    }
    Post(kMsgCommHangup, 0);
    return false;
  }
  return true;
}

void TComm32::Threads::WriterBody() {
  LiveThread live;
  RaisePriority(kWriterNice);
  Post(kMsgCommReady, kWriterId);
  for (;;) {
    std::vector<std::uint8_t> block;
    bool have = false;
    {
      std::lock_guard lock(queueMutex);
      if (!queue.empty()) {
        block = std::move(queue.front());
        queue.pop_front();
        have = true;
      }
    }
    if (!have) {
      pollfd fds[2] = {{stopFd, POLLIN, 0}, {queueFd, POLLIN, 0}};
      const int r = ::poll(fds, 2, -1);
      if (r < 0 && errno == EINTR) continue;
      if (r > 0 && fds[0].revents) break;
      if (r > 0 && (fds[1].revents & POLLIN)) {
        std::uint64_t v;
        (void)!::read(queueFd, &v, sizeof v);
        continue;
      }
      Post(kMsgCommHangup, 0);
      break;
    }
    if (StopSet()) break;
    const bool written = WriteBlock(block);
    queuedBytes -= block.size();
    if (!written) break;
  }
  writerAlive = false;
  PurgeOutputIfPending();
}

TComm32::TComm32(QObject* owner) : QObject(owner) {
  settings_.rate = RateOf(baudRates_);
}

TComm32::~TComm32() {
  ClosePort();
}

void TComm32::SetCommPorts(int value) {
  commPorts_ = value;
  portName_ = PortNameOf(value);
}
void TComm32::SetBaudRates(int value) {
  baudRates_ = value;
  settings_.rate = RateOf(value);
}
void TComm32::SetDataBits(int value) {
  dataBits_ = value;
  settings_.dataBits = (value >= _4 && value <= _8) ? 4 + value : 8;
}
void TComm32::SetParities(int value) {
  parities_ = value;
  settings_.parity = value;
}
void TComm32::SetStopBits(int value) {
  stopBits_ = value;
  settings_.stopBits = value;
}
void TComm32::SetEventChar(int value) {
  eventChar_ = value;
  settings_.eventChar = static_cast<std::uint8_t>(value);
}
void TComm32::SetEndOfChar(int value) {
  endOfChar_ = value;
  settings_.eofChar = static_cast<std::uint8_t>(value);
}

int TComm32::LiveThreads() {
  return g_liveThreads.load();
}
int TComm32::PendingBlocks() {
  return g_pendingBlocks.load();
}

bool TComm32::OpenPort() {
  if (portHandle_ >= 0) throw ECommsError(kAlreadyOpen);
  lastOpenError_.clear();
  // The ready handshake and every block travel through the event loop of the creating thread.
  if (!QCoreApplication::instance() || thread() != QThread::currentThread()) {
    lastOpenError_ = "no event loop on the calling thread";
    return false;
  }
  OpenResult opened = OpenDevice(ResolvePortName(portName_), settings_);
  if (opened.fd < 0) {
    lastOpenError_ = opened.reason;
    return false;
  }
  portHandle_ = opened.fd;

  auto t = std::make_unique<Threads>();
  t->port = portHandle_;
  t->stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  t->queueFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (t->stopFd < 0 || t->queueFd < 0) {
    lastOpenError_ = std::string("cannot create the stop event: ") + std::strerror(errno);
    t.reset();
    CloseDevice(portHandle_);
    portHandle_ = -1;
    return false;
  }
  t->notify = this;
  t->generation = ++generation_;
  readerReady_ = writerReady_ = false;
  threadFailedWhileOpening_ = false;
  threads_ = std::move(t);

  try {
    threads_->reader = std::thread([t = threads_.get()] { t->ReaderBody(); });
  } catch (const std::system_error&) {
    ClosePort();
    throw ECommsError(kNoReadThread);
  }
  try {
    // The queue exists already, so nothing handed over once OpenPort has returned can be lost.
    threads_->writerAlive = true;
    threads_->writer = std::thread([t = threads_.get()] { t->WriterBody(); });
  } catch (const std::system_error&) {
    threads_->writerAlive = false;
    ClosePort();
    throw ECommsError(kNoWriteThread);
  }

  if (!(readerReady_ && writerReady_)) {
    QEventLoop loop;
    openingLoop_ = &loop;
    QTimer::singleShot(kThreadStartDeadlineMs, &loop, &QEventLoop::quit);
    loop.exec();
    openingLoop_ = nullptr;
  }
  if (!(readerReady_ && writerReady_) || threadFailedWhileOpening_) {
    lastOpenError_ = "the serial line failed while opening";
    ClosePort();
    return false;
  }
  isOpen_ = true;
  return true;
}

void TComm32::ClosePort() {
  if (portHandle_ < 0) return;
  if (threads_) {
    // Stop first, then purge, so that a reader woken by the purge sees the stop.
    const std::uint64_t one = 1;
    (void)!::write(threads_->stopFd, &one, sizeof one);
    PurgeInput(portHandle_);
    if (threads_->reader.joinable()) threads_->reader.join();
    threads_->PurgeOutputIfPending();
    if (threads_->writer.joinable()) threads_->writer.join();
    threads_.reset();
  }
  CloseDevice(portHandle_);
  portHandle_ = -1;
  isOpen_ = false;
  // Blocks still on their way belong to this opening; the owner must not see them after closing.
  ++generation_;
}

bool TComm32::WriteData(const void* data, std::uint16_t size) {
  if (portHandle_ < 0 || !threads_ || !threads_->writerAlive) return false;
  std::vector<std::uint8_t> block(static_cast<const std::uint8_t*>(data),
                                  static_cast<const std::uint8_t*>(data) + size);
  {
    std::lock_guard lock(threads_->queueMutex);
    threads_->queuedBytes += block.size();
    threads_->queue.push_back(std::move(block));
  }
  const std::uint64_t one = 1;
  return ::write(threads_->queueFd, &one, sizeof one) == sizeof one;
}

bool TComm32::Flush(int timeoutMs) {
  if (portHandle_ < 0 || !threads_) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (threads_->writerAlive && (threads_->queuedBytes > 0 || OutputQueued(portHandle_) > 0)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return threads_->queuedBytes == 0;
}

void TComm32::HandleReady(int which, unsigned generation) {
  if (generation != generation_) return;
  if (which != kReaderId)
    writerReady_ = true;
  else
    readerReady_ = true;
  if (readerReady_ && writerReady_ && openingLoop_) openingLoop_->quit();
}

bool TComm32::event(QEvent* e) {
  (void)g_postedEvents.load(std::memory_order_acquire);
  const auto type = e->type();
  if (type != kMsgCommData && type != kMsgCommHangup && type != kMsgCommReady) return QObject::event(e);
  auto* ce = static_cast<CommEvent*>(e);
  if (ce->generation != generation_) return true;  // from an earlier opening
  if (type == kMsgCommReady) {
    HandleReady(ce->param, ce->generation);
  } else if (type == kMsgCommHangup) {
    if (openingLoop_) {
      // A thread failed before both were ready: OpenPort gives up instead of waiting for ever.
      threadFailedWhileOpening_ = true;
      openingLoop_->quit();
    } else if (OnRequestHangup) {
      OnRequestHangup(this);
    }
  } else if (OnReceiveData) {
    OnReceiveData(ce->block.data(), static_cast<std::uint16_t>(ce->block.size()));
  }
  return true;
}

}  // namespace orvane::serial
