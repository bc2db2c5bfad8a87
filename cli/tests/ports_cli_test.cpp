#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/tests/cli_run.h"

namespace {

using cli_test::Result;
using cli_test::Shell;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The machine's own adapters may follow COM6, so only the six fixed ports and the overrides are exact.
TEST(PortsCli, ListsTheSixPortsThenTheHigherOnesInOrder) {
  const Result r = Shell(
      "env -u ORVANE_COM1 -u ORVANE_COM3 -u ORVANE_COM4 -u ORVANE_COM5 -u ORVANE_COM6 "
      "ORVANE_COM2=/tmp/receiver-pty ORVANE_COM40=/tmp/far-pty " +
      std::string(ORVANE_CLI_PATH) + " ports");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<std::string> lines = Lines(r.out);
  const std::vector<std::string> fixed = {"COM1 (/dev/ttyS0)", "COM2 (/tmp/receiver-pty)",
                                          "COM3 (/dev/ttyS2)", "COM4 (/dev/ttyS3)",
                                          "COM5 (/dev/ttyS4)", "COM6 (/dev/ttyS5)"};
  ASSERT_GE(lines.size(), fixed.size() + 1) << r.out;
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6), fixed);

  int previous = 6;
  bool sawOverride = false;
  for (std::size_t i = 6; i < lines.size(); ++i) {
    int port = 0;
    ASSERT_EQ(std::sscanf(lines[i].c_str(), "COM%d (", &port), 1) << lines[i];
    EXPECT_GT(port, previous) << lines[i];
    previous = port;
    sawOverride = sawOverride || lines[i] == "COM40 (/tmp/far-pty)";
  }
  EXPECT_TRUE(sawOverride) << r.out;
}

TEST(PortsCli, HelpAndStrayArguments) {
  const Result help = cli_test::Cli("ports --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: orvane-cli ports\n", 0), 0u) << help.out;
  const Result stray = cli_test::Cli("ports COM1");
  EXPECT_EQ(stray.status, 2);
  EXPECT_EQ(stray.out.rfind("usage: orvane-cli ports\n", 0), 0u) << stray.out;
}

}  // namespace
