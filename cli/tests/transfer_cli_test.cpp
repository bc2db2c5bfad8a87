#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "transfer/tests/sim_process.h"

namespace {

std::string Bin(const std::string& name) {
  const std::string cli = ORVANE_CLI_PATH;
  return cli.substr(0, cli.rfind('/') + 1) + name;
}

struct CliRun {
  int status = -1;
  std::string output;  // stdout and stderr
};

CliRun Cli(const std::string& args) {
  CliRun r;
  FILE* p = ::popen((std::string(ORVANE_CLI_PATH) + " " + args + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::string Temp(const std::string& name) {
  return ::testing::TempDir() + name + std::to_string(::getpid());
}

void WriteFile(const std::string& path, std::size_t size, std::uint8_t value) {
  std::vector<char> bytes(size, static_cast<char>(value));
  if (size > 300) {
    bytes[size - 224] = 0x0A;
    bytes[size - 223] = static_cast<char>(0xBC);
  }
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(TransferCli, UploadsEndWithTheEngineMessagesAndStatus) {
  struct Case {
    std::vector<std::string> sim;
    std::size_t size;
    std::string options;
    int status;
    std::vector<std::string> says;  // in the command's output
    std::string simSees;
  };
  const Case cases[] = {
      {{},
       65536,
       "",
       0,
       {"Waiting B00B", "100%  65536 of 65536 bytes, ", "bytes/s", "s left", "Success"},
       "program 2T** version -"},
      {{}, 1179648, "", 0, {"2P** version 0ABC", "Success"}, "program 2P** version 0ABC"},
      {{"--bad-image-checksum"}, 65536, "", 1, {"ERROR : Check Sum", "ERROR : Upload Failure"}, "rx ERR "},
      {{"--state", "NOPE"}, 65536, "", 1, {"Invalid Protocolo"}, "tx NOPE"},
      {{"--silent-from", "length"},
       65536,
       "--timeout 2",
       3,
       {"waiting for the receiver (1 s)", "no answer from the receiver for 2 s"},
       "silent"},
      {{"--hangup-at", "packet:1"}, 65536, "", 1, {"hangup"}, "hangup at packet:1"},
      // A packet refused more often than --retries allows ends the upload; as often as allowed does not.
      {{"--err", "1:3"}, 65536, "--retries 2", 1, {"Packet 1 still refused after 2 resends", "Upload Failure"},
       "pty"},
      {{"--err", "1:3"}, 65536, "--retries 3", 0, {"Success"}, "program 2T**"},
      {{}, 1000, "", 1, {"File Error"}, "pty"},
  };
  for (const auto& c : cases) {
    orvane::testing::SimProcess sim(c.sim, Bin("ird-sim"));
    const std::string file = Temp("upload.bin");
    WriteFile(file, c.size, 0x5A);
    const CliRun r = Cli("upload --port " + sim.path() + " " + c.options + " " + file);
    EXPECT_EQ(r.status, c.status) << r.output;
    for (const auto& s : c.says) EXPECT_NE(r.output.find(s), std::string::npos) << s << "\n" << r.output;
    EXPECT_TRUE(sim.WaitFor(c.simSees)) << sim.Output();
    std::remove(file.c_str());
  }
}

TEST(TransferCli, DownloadSavesOnlyAfterAGoodChecksum) {
  const std::string out = Temp("area.bin");
  {
    orvane::testing::SimProcess sim({}, Bin("ird-sim"));
    const CliRun r = Cli("download --size 128 --port " + sim.path() + " " + out);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Success"), std::string::npos) << r.output;
    std::ifstream f(out, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(f), {}};
    ASSERT_EQ(bytes.size(), 262144u);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[1000]), static_cast<std::uint8_t>((1000 * 7) ^ (1000 >> 9)));
    EXPECT_EQ(bytes[200000], 0);  // beyond what the 128 KB packets reach
    std::remove(out.c_str());
  }
  {
    orvane::testing::SimProcess sim({"--bad-image-checksum"}, Bin("ird-sim"));
    const CliRun r = Cli("download --size 256 --port " + sim.path() + " " + out);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("Check SUM ERROR"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Failure"), std::string::npos) << r.output;
    EXPECT_FALSE(std::ifstream(out).good());
  }
}

// The silence limit counts silence only: scanning noise that has already arrived (1 ms per byte) is not.
TEST(TransferCli, ScanningReceivedNoiseIsNoSilence) {
  const std::string out = Temp("noisy.bin");
  orvane::testing::SimProcess sim({"--noise", "2500"}, Bin("ird-sim"));
  const CliRun r = Cli("download --size 128 --timeout 2 --port " + sim.path() + " " + out);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Success"), std::string::npos) << r.output;
  std::remove(out.c_str());
}

// Files are looked at before the port: a missing upload file or an OUT that cannot be written says why.
TEST(TransferCli, FilesAreCheckedFirstWithTheSystemsReason) {
  struct Case {
    std::string args;
    std::string says;
  };
  const Case cases[] = {
      {"upload --port /nonexistent/tty /nonexistent/image.bin",
       "cannot read /nonexistent/image.bin: No such file or directory"},
      {"upload --port /nonexistent/tty /", "cannot read /: Is a directory"},
      {"download --size 128 --port /nonexistent/tty /nonexistent/out.bin",
       "cannot write /nonexistent/out.bin: No such file or directory"},
      {"download --size 128 --port /nonexistent/tty /", "cannot write /: not a regular file"},
  };
  for (const auto& c : cases) {
    const CliRun r = Cli(c.args);
    EXPECT_EQ(r.status, 1) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << c.args << "\n" << r.output;
    EXPECT_EQ(r.output.find("COM Port"), std::string::npos) << c.args << "\n" << r.output;
  }
}

TEST(TransferCli, PortThatCannotOpenAndBadUsage) {
  CliRun r = Cli("upload --port /nonexistent/tty " + std::string(ORVANE_CLI_PATH));
  // (the program itself is no software image, so the file is refused before the port)
  EXPECT_EQ(r.status, 1);
  const std::string file = Temp("db.bin");
  WriteFile(file, 65536, 1);
  r = Cli("upload --port /nonexistent/tty " + file);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("ERROR : COM Port"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("no such device"), std::string::npos) << r.output;
  EXPECT_EQ(Cli("download --size 64 out.bin").status, 2);
  EXPECT_EQ(Cli("upload --timeout soon " + file).status, 2);
  EXPECT_EQ(Cli("upload --retries many " + file).status, 2);
  // --help wins wherever it stands.
  for (const char* args : {"upload --port /nonexistent/tty --help", "download --size 128 -h out.bin"}) {
    r = Cli(args);
    EXPECT_EQ(r.status, 0) << args;
    EXPECT_EQ(r.output.rfind("usage: orvane-cli", 0), 0u) << args << "\n" << r.output;
  }
  std::remove(file.c_str());
}

}  // namespace
