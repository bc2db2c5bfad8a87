// A small HTTP/1.0 server on 127.0.0.1 for tests: it answers from a route table or from a folder of files,
// counts requests, and can misbehave on purpose (stay silent, close without an answer, cut a body short). One
// connection at a time, on its own thread; Stop() (or the destructor) ends it.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace orvane::testing {

// A port on 127.0.0.1 with nobody listening.
inline int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

class LocalHttpServer {
 public:
  enum class Behaviour { kAnswer, kSilent, kCloseAtOnce, kCutBody, kDrip, kRaw };  // kRaw: the body alone, as the whole answer
  struct Route {
    Route(int s = 200, std::string b = {}, std::string loc = {}, Behaviour how = Behaviour::kAnswer)
        : status(s), body(std::move(b)), location(std::move(loc)), behaviour(how) {}
    int status;
    std::string body;
    std::string location;  // sent as Location: when set
    Behaviour behaviour;
  };

  LocalHttpServer() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error("socket");
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 16) != 0) {
      ::close(listenFd_);
      throw std::runtime_error("bind/listen");
    }
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    thread_ = std::thread([this] { Loop(); });
  }
  ~LocalHttpServer() { Stop(); }
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  int port() const { return port_; }
  std::string BaseAddress() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& path) const { return "http://" + BaseAddress() + path; }

  void SetRoute(const std::string& path, Route r) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(r);
  }
  // Paths not in the route table are answered from this folder by their last path component, else 404.
  void ServeFolder(const std::filesystem::path& folder) {
    std::lock_guard lock(mutex_);
    folder_ = folder;
  }
  int Requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = counts_.find(path);
    return it == counts_.end() ? 0 : it->second;
  }
  int TotalRequests() const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& [p, c] : counts_) n += c;
    return n;
  }

  void Stop() {
    if (!thread_.joinable()) return;
    const char b = 'x';
    (void)!::write(stopPipe_[1], &b, 1);
    thread_.join();
    ::close(listenFd_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
  }

 private:
  // Waits for fd to become readable; false when Stop() was called first.
  bool WaitReadable(int fd) {
    pollfd p[2] = {{fd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    while (true) {
      if (::poll(p, 2, -1) < 0) continue;
      if (p[1].revents != 0) return false;
      if (p[0].revents != 0) return true;
    }
  }

  static void SendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
      const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;  // the client went away (e.g. it stopped reading at its limit)
      sent += static_cast<std::size_t>(n);
    }
  }

  void Loop() {
    while (WaitReadable(listenFd_)) {
      const int c = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      Serve(c);
      ::close(c);
    }
  }

  void Serve(int c) {
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      if (!WaitReadable(c)) return;
      const ssize_t n = ::recv(c, buf, sizeof buf, 0);
      if (n <= 0) return;
      request.append(buf, static_cast<std::size_t>(n));
    }
    std::istringstream first(request.substr(0, request.find("\r\n")));
    std::string method, path;
    first >> method >> path;

    Route r;
    {
      std::lock_guard lock(mutex_);
      ++counts_[path];
      if (auto it = routes_.find(path); it != routes_.end()) {
        r = it->second;
      } else {
        const std::filesystem::path file =
            folder_.empty() ? std::filesystem::path() : folder_ / std::filesystem::path(path).filename();
        std::ifstream in(file, std::ios::binary);
        if (!folder_.empty() && !std::filesystem::path(path).filename().empty() && in) {
          r.body.assign(std::istreambuf_iterator<char>(in), {});
        } else {
          r.status = 404;
          r.body = "<html><body>404 Not Found</body></html>";
        }
      }
    }

    switch (r.behaviour) {
      case Behaviour::kSilent:
        WaitReadable(c);  // until the client gives up or the server stops
        return;
      case Behaviour::kCloseAtOnce:
        return;
      case Behaviour::kRaw:
        SendAll(c, r.body);
        return;
      case Behaviour::kDrip: {
        // The headers at once, then one byte of the body every 200 ms until the client gives up.
        SendAll(c, "HTTP/1.0 200 X\r\nContent-Length: 100000\r\n\r\n");
        pollfd p[2] = {{c, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        while (::poll(p, 2, 200) == 0) {
          if (::send(c, "d", 1, MSG_NOSIGNAL) != 1) return;
        }
        return;
      }
      case Behaviour::kAnswer:
      case Behaviour::kCutBody:
        break;
    }
    std::string head =
        "HTTP/1.0 " + std::to_string(r.status) + " X\r\nContent-Type: application/octet-stream\r\n";
    const std::size_t declared = r.behaviour == Behaviour::kCutBody ? r.body.size() * 2 + 10 : r.body.size();
    head += "Content-Length: " + std::to_string(declared) + "\r\n";
    if (!r.location.empty()) head += "Location: " + r.location + "\r\n";
    head += "Connection: close\r\n\r\n";
    SendAll(c, head + r.body);
  }

  int listenFd_ = -1;
  int port_ = 0;
  int stopPipe_[2] = {-1, -1};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::map<std::string, Route> routes_;
  std::map<std::string, int> counts_;
  std::filesystem::path folder_;
};

}  // namespace orvane::testing
