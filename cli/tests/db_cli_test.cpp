#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Result {
  int status;
  std::string out;
};

// `prefixed`: `args` follow the program's path; else they are the whole command.
Result Cli(const std::string& args, bool prefixed = true) {
  const std::string cmd = (prefixed ? std::string(ORVANE_CLI_PATH) + " " : std::string()) + args + " 2>&1";
  Result r{-1, {}};
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  return r;
}

class DbCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("orvane-db-cli-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

}  // namespace

TEST_F(DbCli, DefaultsShowAndCheck) {
  const Result made = Cli("db defaults " + Path("d.tpd"));
  ASSERT_EQ(made.status, 0) << made.out;
  EXPECT_EQ(std::filesystem::file_size(Path("d.tpd")), 65536u);

  const Result shown = Cli("db show " + Path("d.tpd"));
  ASSERT_EQ(shown.status, 0) << shown.out;
  EXPECT_EQ(shown.out.rfind("001 (5.0 E)\n    001 11881-27500-H-3/4 (D)\n    002 11996-27500-H-3/4 (D)\n", 0), 0u)
      << shown.out.substr(0, 200);
  EXPECT_NE(shown.out.find("133 (359.0 E)\n"), std::string::npos);
  EXPECT_NE(shown.out.find("All Satellites (133), All TPs(1379), All define channels(0), Current satellite define "
                           "chanenls(0)\n"),
            std::string::npos);

  const Result checked = Cli("db check " + Path("d.tpd"));
  EXPECT_EQ(checked.status, 0) << checked.out;
  EXPECT_NE(checked.out.find("no problems found"), std::string::npos) << checked.out;
}

TEST_F(DbCli, CheckSaysWhatIsWrong) {
  {
    std::ofstream f(Path("junk.tpd"), std::ios::binary);
    f << "not a database";
  }
  const Result junk = Cli("db check " + Path("junk.tpd"));
  EXPECT_EQ(junk.status, 1);
  EXPECT_NE(junk.out.find("not a database image file"), std::string::npos) << junk.out;

  EXPECT_EQ(Cli("db frobnicate x").status, 2);
}

// Each names the file and the system's reason; a FIFO never makes a command wait for a writer.
TEST_F(DbCli, FilesThatCannotBeUsedSayWhy) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
  std::filesystem::create_directory(Path("folder"));
  struct Case {
    std::string args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"db check " + Path("missing.tpd"), 1, "cannot read " + Path("missing.tpd") + ": No such file or directory"},
      {"db check " + Path("folder"), 1, "cannot read " + Path("folder") + ": Is a directory"},
      {"db check " + Path("fifo"), 1, "cannot read " + Path("fifo") + ": not a regular file"},
      {"db show " + Path("fifo"), 0, "not a regular file; showing the built-in default database"},
      {"db defaults " + Path("no/such/dir/x.tpd"), 1, "No such file or directory"},
      {"db defaults " + Path("fifo"), 1, "Could not save " + Path("fifo") + ": not a regular file"},
      {"db defaults " + Path("folder"), 1, "Could not save " + Path("folder") + ": not a regular file"},
  };
  for (const auto& c : cases) {
    const Result r = Cli("timeout 20 " + std::string(ORVANE_CLI_PATH) + " " + c.args, false);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out.substr(0, 300);
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out.substr(0, 300);
    EXPECT_EQ(r.out.find("file: 0 bytes"), std::string::npos) << c.args;
  }
}

TEST_F(DbCli, HelpIsHelpWhereverItStands) {
  for (const char* args : {"db --help", "db show --help", "db show x.tpd -h", "db check --help"}) {
    const Result r = Cli(args);
    EXPECT_EQ(r.status, 0) << args;
    EXPECT_EQ(r.out.rfind("usage: orvane-cli db", 0), 0u) << args << "\n" << r.out.substr(0, 200);
    EXPECT_EQ(r.out.find("All Satellites"), std::string::npos) << args;
  }
}
