#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
  ASSERT_EQ(Cli("db defaults " + Path("d.tpd")).status, 0);
  {
    std::ofstream f(Path("junk.tpd"), std::ios::binary);
    f << "not a database";
  }
  struct Case {
    std::string args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"db check " + Path("missing.tpd"), 1,
       "cannot read " + Path("missing.tpd") + ": No such file or directory"},
      {"db check " + Path("folder"), 1, "cannot read " + Path("folder") + ": Is a directory"},
      {"db check " + Path("fifo"), 1, "cannot read " + Path("fifo") + ": not a regular file"},
      {"db show " + Path("fifo"), 0, "not a regular file; showing the built-in default database"},
      {"db defaults " + Path("no/such/dir/x.tpd"), 1, "No such file or directory"},
      {"db defaults " + Path("fifo"), 1, "Could not save " + Path("fifo") + ": not a regular file"},
      {"db defaults " + Path("folder"), 1, "Could not save " + Path("folder") + ": not a regular file"},
      // Export and diff refuse what the editor would open as the defaults; diff's 1 means "different".
      {"db export " + Path("missing.tpd") + " " + Path("x.csv"), 1,
       "cannot read " + Path("missing.tpd") + ": No such file or directory"},
      {"db export " + Path("junk.tpd") + " " + Path("x.csv"), 1,
       Path("junk.tpd") + " is not a database image file"},
      {"db export " + Path("d.tpd") + " " + Path("folder"), 1,
       "cannot write " + Path("folder") + ": not a regular file"},
      {"db export " + Path("d.tpd") + " " + Path("fifo"), 1,
       "cannot write " + Path("fifo") + ": not a regular file"},
      {"db export " + Path("d.tpd") + " " + Path("no/such/dir/x.csv"), 1,
       "cannot write " + Path("no/such/dir/x.csv") + ": No such file or directory"},
      {"db export " + Path("d.tpd") + " " + Path("d.tpd"), 1,
       Path("d.tpd") + " is the database being exported"},
      {"db diff " + Path("d.tpd") + " " + Path("missing.tpd"), 2,
       "cannot read " + Path("missing.tpd") + ": No such file or directory"},
      {"db diff " + Path("fifo") + " " + Path("d.tpd"), 2,
       "cannot read " + Path("fifo") + ": not a regular file"},
      {"db diff " + Path("d.tpd") + " " + Path("junk.tpd"), 2,
       Path("junk.tpd") + " is not a database image file"},
  };
  for (const auto& c : cases) {
    const Result r = Cli("timeout 20 " + std::string(ORVANE_CLI_PATH) + " " + c.args, false);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out.substr(0, 300);
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out.substr(0, 300);
    EXPECT_EQ(r.out.find("file: 0 bytes"), std::string::npos) << c.args;
  }
  EXPECT_EQ(std::filesystem::file_size(Path("d.tpd")), 65536u);
  EXPECT_FALSE(std::filesystem::exists(Path("x.csv")));
}

TEST_F(DbCli, HelpIsHelpWhereverItStands) {
  for (const char* args : {"db --help", "db show --help", "db show x.tpd -h", "db check --help",
                           "db export --help", "db diff a b -h"}) {
    const Result r = Cli(args);
    EXPECT_EQ(r.status, 0) << args;
    EXPECT_EQ(r.out.rfind("usage: orvane-cli db", 0), 0u) << args << "\n" << r.out.substr(0, 200);
    EXPECT_EQ(r.out.find("All Satellites"), std::string::npos) << args;
  }
}

TEST_F(DbCli, WrongArgumentsShowTheUsage) {
  for (const char* args : {"db export x.tpd", "db diff a.tpd", "db diff a b c", "db show a b"}) {
    const Result r = Cli(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out.rfind("usage: orvane-cli db", 0), 0u) << args << "\n" << r.out.substr(0, 200);
    EXPECT_NE(r.out.find("db diff A B"), std::string::npos) << args;
  }
}

// The built-in defaults have no names and no channels: one row per transponder, the channel fields empty.
TEST_F(DbCli, ExportWritesTheListsAsCsv) {
  ASSERT_EQ(Cli("db defaults " + Path("d.tpd")).status, 0);
  const Result r = Cli("db export " + Path("d.tpd") + " " + Path("d.csv"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "wrote " + Path("d.csv") + "\n");
  std::ifstream f(Path("d.csv"), std::ios::binary);
  const std::string csv{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  EXPECT_EQ(
      csv.rfind(
          "Satellite,Satellite name,Position,Band,Transponder,Frequency,Symbol rate,Polarity,FEC,"
          "Channel,Kind,Channel name,Video PID,Audio PID,PCR PID,Left audio,Right audio,Channel band\r\n"
          "1,,5.0,C+KU,1,11881,27500,H,3/4,,,,,,,,,\r\n"
          "1,,5.0,C+KU,2,11996,27500,H,3/4,,,,,,,,,\r\n",
          0),
      0u)
      << csv.substr(0, 400);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 1379);  // the header and the 1379 transponders
  EXPECT_NE(csv.find("\r\n133,,359.0,"), std::string::npos);
}

// Two imports of the shipped sample, the second without one listing: that satellite is gone, nothing else.
TEST_F(DbCli, DiffListsWhatChangedAndExitsByIt) {
  const std::filesystem::path sample =
      std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "data" / "sample";
  const std::filesystem::path work = dir_ / "import";
  std::filesystem::copy(sample, work, std::filesystem::copy_options::recursive);
  ASSERT_EQ(Cli("satcodx --dir " + work.string() + " import " + Path("a.tpd")).status, 0);
  std::filesystem::remove(work / "import" / "ses405w.sdx");
  ASSERT_EQ(Cli("satcodx --dir " + work.string() + " import " + Path("b.tpd")).status, 0);

  const Result differ = Cli("db diff " + Path("a.tpd") + " " + Path("b.tpd"));
  EXPECT_EQ(differ.status, 1) << differ.out;
  EXPECT_EQ(differ.out, "comparing " + Path("a.tpd") + " (-) with " + Path("b.tpd") + " (+)\n" +
                            "- satellite 016 SES 6(C)(319.5 E) (21 transponders, 0 channels)\n"
                            "satellites: 0 added, 1 removed, 0 changed\n"
                            "transponders: 0 added, 0 removed, 0 changed\n"
                            "channels: 0 added, 0 removed, 0 changed\n"
                            "the databases differ\n");

  const Result same = Cli("db diff " + Path("a.tpd") + " " + Path("a.tpd"));
  EXPECT_EQ(same.status, 0) << same.out;
  EXPECT_NE(same.out.find("the databases are equal\n"), std::string::npos) << same.out;
}
