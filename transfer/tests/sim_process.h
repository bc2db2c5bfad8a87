// Runs ird-sim for a test: starts it, learns its pty path, collects its report, stops it.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace orvane::testing {

class SimProcess {
 public:
#ifdef ORVANE_IRD_SIM_PATH
  explicit SimProcess(const std::vector<std::string>& args) : SimProcess(args, ORVANE_IRD_SIM_PATH) {}
#endif
  SimProcess(const std::vector<std::string>& args, const std::string& program) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    // A test that dies (a sanitizer stop) takes its simulator with it.
    std::vector<std::string> all{program, "--exit-with-parent"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    readFd_ = fds[0];
    reader_ = std::thread([this] {
      char buf[4096];
      for (;;) {
        const ssize_t k = ::read(readFd_, buf, sizeof buf);
        if (k <= 0) break;
        std::lock_guard lock(mutex_);
        output_.append(buf, static_cast<std::size_t>(k));
      }
    });
    WaitFor("\n");
    const std::string out = Output();
    if (out.rfind("pty ", 0) == 0) path_ = out.substr(4, out.find('\n') - 4);
  }

  ~SimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    if (reader_.joinable()) reader_.join();
    if (readFd_ >= 0) ::close(readFd_);
  }

  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::string& path() const {
    return path_;
  }

  std::string Output() const {
    std::lock_guard lock(mutex_);
    return output_;
  }

  bool Has(const std::string& text) const {
    return Output().find(text) != std::string::npos;
  }

  int Count(const std::string& text) const {
    const std::string out = Output();
    int n = 0;
    for (auto at = out.find(text); at != std::string::npos; at = out.find(text, at + 1)) ++n;
    return n;
  }

  // Waits (without an event loop) until the report holds `text`.
  bool WaitFor(const std::string& text, int ms = 20000) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      if (Has(text)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return Has(text);
  }

 private:
  pid_t pid_ = -1;
  int readFd_ = -1;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::string output_;
  std::string path_;
};

}  // namespace orvane::testing
