// Runs a shell command for the orvane-cli tests and collects its exit status and output (stdout and stderr).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace cli_test {

struct Result {
  int status;
  std::string out;
};

inline Result Shell(const std::string& command) {
  Result r{-1, {}};
  if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  return r;
}

// orvane-cli with `args`.
inline Result Cli(const std::string& args) { return Shell(std::string(ORVANE_CLI_PATH) + " " + args); }

}  // namespace cli_test
