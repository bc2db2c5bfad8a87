#include <gtest/gtest.h>
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

Result Cli(const std::string& args) {
  const std::string cmd = std::string(ORVANE_CLI_PATH) + " " + args + " 2>&1";
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

  const Result missing = Cli("db check " + Path("missing.tpd"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("cannot be read"), std::string::npos) << missing.out;

  EXPECT_EQ(Cli("db defaults " + Path("no/such/dir/x.tpd")).status, 1);
  EXPECT_EQ(Cli("db frobnicate x").status, 2);
}
