// A pseudo-terminal for serial tests: the component opens the slave by path, the test plays the far end on
// the master. The test keeps its own slave descriptor so that the master stays usable between openings.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvane::testing {

inline QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app =
      QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
  return *app;
}

// Runs the event loop until `done` holds or `ms` have passed; true when it holds.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 20000) {
  App();
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

inline void Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}

class PtyPair {
 public:
  PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    path_ = name;
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
  }
  ~PtyPair() {
    CloseMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& path() const { return path_; }
  int master() const { return master_; }
  int slave() const { return slave_; }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  void Write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t k = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (k <= 0) return;
      done += static_cast<std::size_t>(k);
    }
  }

  // Reads until `n` bytes have come or `ms` have passed.
  std::vector<std::uint8_t> Read(std::size_t n, int ms = 20000) {
    std::vector<std::uint8_t> out;
    QElapsedTimer t;
    t.start();
    std::uint8_t buf[4096];
    while (out.size() < n && t.elapsed() < ms) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t k = ::read(master_, buf, std::min(sizeof buf, n - out.size()));
      if (k <= 0) break;
      out.insert(out.end(), buf, buf + k);
    }
    return out;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

inline int OpenDescriptorCount() {
  int n = 0;
  for (int fd = 0; fd < 4096; ++fd)
    if (::fcntl(fd, F_GETFD) != -1) ++n;
  return n;
}

}  // namespace orvane::testing
