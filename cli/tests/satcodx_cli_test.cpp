// orvane-cli satcodx on the shipped sample data, and its download against a listing server on 127.0.0.1.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "urlfetch/tests/local_http_server.h"

namespace {

namespace fs = std::filesystem;

const fs::path kRepo = fs::path(__FILE__).parent_path().parent_path().parent_path();
const fs::path kSample = kRepo / "data" / "sample";

struct Result {
  int status;
  std::string output;
};

Result Cli(const std::string& args) {
  // (timeout: a command that waits for ever fails instead of stopping the suite)
  const std::string cmd = "timeout 60 " + std::string(ORVANE_CLI_PATH) + " satcodx " + args + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  Result r{-1, {}};
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Scratch {
 public:
  Scratch() {
    std::string t = (fs::temp_directory_path() / "satcodx-cli-XXXXXX").string();
    path = ::mkdtemp(t.data());
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

// The lines of `text` that appear in `output`, in order, must be exactly `expected`.
void ExpectLinesInOrder(const std::string& output, const std::vector<std::string>& expected) {
  std::size_t at = 0;
  for (const auto& line : expected) {
    const std::size_t found = output.find(line + "\n", at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << output;
    at = found + line.size();
  }
}

TEST(SatcodxCli, ImportsTheShippedSample) {
  Scratch dir;
  fs::copy(kSample, dir.path, fs::copy_options::recursive);
  const Result r = Cli("--dir " + dir.path.string() + " import " + (dir.path / "out.tpd").string());
  ASSERT_EQ(r.status, 0) << r.output;
  ExpectLinesInOrder(r.output, {
                                   "satcodx data",
                                   "001 Hot Bird 13(KU)(13.0 E)",
                                   "002 Astra 1L(KU)(19.2 E)",
                                   "003 Eutelsat 10A(C)(10.0 E)",
                                   "004 Eutelsat 10A(KU)(10.0 E)",
                                   "005 Eutelsat 16A(KU)(16.0 E)",
                                   "006 Eutelsat 7B(KU)(7.0 E)",
                                   "007 Astra 2(KU)(28.2 E)",
                                   "008 Thor(KU)(359.0 E)",
                                   "009 Turksat 3A(KU)(42.0 E)",
                                   "010 Express AM7(C)(40.0 E)",
                                   "011 Express AM7(KU)(40.0 E)",
                                   "012 Intelsat 20(C)(68.5 E)",
                                   "013 Intelsat 20(KU)(68.5 E)",
                                   "014 AsiaSat 5(C)(100.5 E)",
                                   "015 AsiaSat 5(KU)(100.5 E)",
                                   "016 SES 6(C)(319.5 E)",
                                   "satellites 16, transponders 517",
                               });
  EXPECT_EQ(fs::file_size(dir.path / "out.tpd"), 65536u);
}

TEST(SatcodxCli, DownloadsFromALocalListingServer) {
  orvane::testing::LocalHttpServer server;
  server.ServeFolder(kSample / "import");
  ASSERT_EQ(server.BaseAddress().size(), std::string("127.0.0.1:18123").size());  // same field width
  Scratch dir;
  std::string index = Read(kSample / "satcodx.imp");
  for (std::size_t p; (p = index.find("127.0.0.1:18123")) != std::string::npos;)
    index.replace(p, 15, server.BaseAddress());
  std::ofstream(dir.path / "satcodx.imp", std::ios::binary) << index;

  const Result some = Cli("--dir " + dir.path.string() + " download 0 7");
  ASSERT_EQ(some.status, 0) << some.output;
  ExpectLinesInOrder(some.output,
                     {"Received : 1/2", "Received : 2/2", "satcodx data", "001 Hot Bird 13(KU)(13.0 E)",
                      "002 Turksat 3A(KU)(42.0 E)", "satellites 2, transponders 169"});
  EXPECT_EQ(Read(dir.path / "import" / "turksat42e.sdx"), Read(kSample / "import" / "turksat42e.sdx"));
  EXPECT_EQ(server.TotalRequests(), 2);

  const Result all = Cli("--dir " + dir.path.string() + " download --all");
  ASSERT_EQ(all.status, 0) << all.output;
  ExpectLinesInOrder(all.output, {"Received : 12/12", "satcodx data", "016 SES 6(C)(319.5 E)"});
  // What arrives is each listing up to its first NUL (one sample listing ends in a NUL and blanks).
  for (const auto& e : fs::directory_iterator(kSample / "import")) {
    const std::string sent = Read(e.path());
    EXPECT_TRUE(Read(dir.path / "import" / e.path().filename()) == sent.substr(0, sent.find('\0')))
        << e.path();
  }
}

// 40 satellites of 120 transponders are more than the 3999 a file keeps: saved, and said so; a save that
// fails says why.
TEST(SatcodxCli, ImportSaysWhatTheFileCannotHold) {
  Scratch dir;
  std::string index = "01 40 42 20 63 25\n";
  fs::create_directories(dir.path / "import");
  for (int s = 0; s < 40; ++s) {
    const std::string file = "s" + std::to_string(s) + ".sdx";
    std::string line = "127.0.0.1:18123/sdxpos/0192/" + file;
    line.resize(41, ' ');
    line += file;
    line.resize(62, ' ');
    index += line + "Sat " + std::to_string(s) + "\n";
    std::string listing;
    for (int t = 0; t < 120; ++t) {
      std::string r(128, '_');
      r.replace(29, 4, "MPG2");
      r.replace(34, 5, std::to_string(11000 + t));
      r[42] = '1';
      r.replace(51, 4, "0192");
      r.replace(69, 5, "27500");
      r[74] = '3';
      listing += r + "\n";
    }
    std::ofstream(dir.path / "import" / file, std::ios::binary) << listing;
  }
  std::ofstream(dir.path / "satcodx.imp", std::ios::binary) << index;

  const Result r = Cli("--dir " + dir.path.string() + " import " + (dir.path / "out.tpd").string());
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("satellites 40, transponders 4800"), std::string::npos) << r.output;
  // (the count is the editor's: what the saved image holds in use, slots without satellites included)
  EXPECT_NE(r.output.find(" transponders are in use, but " + (dir.path / "out.tpd").string() +
                          " keeps only the first 3999; the other "),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("orvane-cli satcodx: warning: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("saved "), std::string::npos) << r.output;

  fs::create_directory(dir.path / "folder.tpd");
  const Result failed = Cli("--dir " + dir.path.string() + " import " + (dir.path / "folder.tpd").string());
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.output.find("Could not save " + (dir.path / "folder.tpd").string() + ": not a regular file"),
            std::string::npos)
      << failed.output;
}

TEST(SatcodxCli, ErrorsAndUsage) {
  Scratch dir;
  const Result missing = Cli("--dir " + dir.path.string() + " import");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("File not found"), std::string::npos) << missing.output;
  EXPECT_NE(missing.output.find("satellites 0, transponders 0"), std::string::npos) << missing.output;

  std::ofstream(dir.path / "satcodx.imp") << "01 48 5x 20 71 25\n127.0.0.1:1/sdxpos/0130/x.sdx\n";
  const Result bad = Cli("--dir " + dir.path.string() + " download 0");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.output.find("'5x' is not a valid integer value"), std::string::npos) << bad.output;

  EXPECT_EQ(Cli("--dir " + dir.path.string() + " download").status, 2);
  const Result help = Cli("--dir " + dir.path.string() + " import --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.output.rfind("usage: orvane-cli satcodx", 0), 0u) << help.output;

  // A FIFO as the index is refused at once, never waited on.
  fs::remove(dir.path / "satcodx.imp");
  ASSERT_EQ(::mkfifo((dir.path / "satcodx.imp").c_str(), 0644), 0);
  for (const char* command : {" import", " list"}) {
    const Result fifo = Cli("--dir " + dir.path.string() + command);
    EXPECT_EQ(fifo.status, 1) << command;
    EXPECT_NE(fifo.output.find("satcodx.imp: not a regular file"), std::string::npos) << fifo.output;
  }
  EXPECT_EQ(Cli("--dir " + dir.path.string() + " download -3").status, 2);
  EXPECT_EQ(Cli("frobnicate").status, 2);
}

}  // namespace
