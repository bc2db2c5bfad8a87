// Runs a shell command for the orvane-cli tests and collects its exit status and output (stdout and stderr).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// A test with a scratch working folder of its own, where orvane-cli runs; the encoder's parameter folder lies
// inside it (no parameter file there, so the built-in lines serve).
class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("orvane-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
           std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("ORVANE_WINDIR", (dir / "win").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_WINDIR");
    std::filesystem::remove_all(dir);
  }
  Result Cli(const std::string& args) {
    return Shell("cd '" + dir.string() + "' && " + std::string(ORVANE_CLI_PATH) + " " + args);
  }
  std::filesystem::path dir;
};

}  // namespace cli_test
