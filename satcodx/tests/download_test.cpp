// The download end to end: the real Quonel export against a listing server on 127.0.0.1, files in ./import/,
// the import that follows. Also the index reading of the selection window.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "satcodx/satcodx_download.h"
#include "satcodx/tests/satcodx_fixtures.h"
#include "urlfetch/include/quonel.h"
#include "urlfetch/tests/local_http_server.h"

namespace orvane::satcodx {
namespace {

namespace fs = std::filesystem;
using orvane::testing::LocalHttpServer;
using testing::C;
using testing::Index;
using testing::IndexLine;
using testing::Ku;
using testing::Rec;
using testing::WorkDir;

std::string Listing(const std::vector<Rec>& recs) {
  std::string data;
  for (const auto& r : recs) data += r.Line() + "\r\n";
  return data;
}

Rec At(Rec r, const std::string& position) {
  r.position = position;
  return r;
}

// Seven satellites; the server has every listing, the working folder none.
class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(served_);
    std::vector<std::string> lines;
    for (int i = 0; i < 7; ++i) {
      const std::string file = "sat" + std::to_string(i) + ".sdx";
      const std::string pos = "0" + std::to_string(100 + i * 10);
      lines.push_back(IndexLine(server_.BaseAddress(), pos, file, "Sat " + std::to_string(i)));
      WriteServed(file, Listing({At(Ku(std::to_string(11000 + i)), pos)}));
    }
    dir_.Write("satcodx.imp", Index(lines));
    server_.ServeFolder(served_);
  }
  void WriteServed(const std::string& file, const std::string& bytes) {
    std::ofstream(served_ / file, std::ios::binary) << bytes;
  }

  DownloadReport Run(const std::vector<bool>& marked) {
    DownloadHooks hooks;
    hooks.setCaption = [this](const std::string& c) { captions_.push_back(c); };
    hooks.processEvents = [this] { ++pumps_; };
    return DownloadAndLoad(*db_, marked, *buffer_, &OpenUrl, hooks, dir_.path());
  }
  std::vector<std::string> SatelliteNames() const {
    std::vector<std::string> names;
    for (int s = 0; s < db_->count; ++s) names.push_back(db_->satellites[s].name);
    return names;
  }
  std::vector<std::string> ImportFolder() const {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir_.path() / "import")) files.push_back(e.path().filename());
    std::sort(files.begin(), files.end());
    return files;
  }

  LocalHttpServer server_;
  WorkDir dir_;
  WorkDir serverDir_;
  fs::path served_ = serverDir_.path() / "served";
  std::unique_ptr<DATABASESATELLITETABLE> db_ = std::make_unique<DATABASESATELLITETABLE>();
  std::unique_ptr<DownloadBuffer> buffer_ = std::make_unique<DownloadBuffer>();
  std::vector<std::string> captions_;
  int pumps_ = 0;
};

TEST_F(DownloadTest, FetchesExactlyTheMarkedRowsThenImports) {
  std::vector<bool> marked(7, false);
  marked[2] = marked[5] = true;
  const DownloadReport report = Run(marked);

  EXPECT_EQ(captions_, (std::vector<std::string>{"Received : 1/2", "Received : 2/2", "satcodx data"}));
  EXPECT_EQ(pumps_, 1);
  EXPECT_EQ(server_.TotalRequests(), 2);
  EXPECT_EQ(server_.Requests("/sdxpos/0120/sat2.sdx"), 1);  // the padded address was trimmed
  EXPECT_EQ(server_.Requests("/sdxpos/0150/sat5.sdx"), 1);
  EXPECT_EQ(report.marked, 2);
  EXPECT_EQ(report.written, 2);
  ASSERT_EQ(report.fetches.size(), 2u);
  EXPECT_EQ(report.fetches[0].row, 2);
  EXPECT_EQ(report.fetches[0].status, 200);
  EXPECT_EQ(ImportFolder(), (std::vector<std::string>{"sat2.sdx", "sat5.sdx"}));
  EXPECT_EQ(dir_.Read("import/sat5.sdx"), Listing({At(Ku("11005"), "0150")}));
  EXPECT_EQ(SatelliteNames(), (std::vector<std::string>{"Sat 2(KU)", "Sat 5(KU)"}));
  EXPECT_EQ(report.import.satellites, 2);
}

TEST_F(DownloadTest, AllRowsMarked) {
  Run(std::vector<bool>(7, true));
  EXPECT_EQ(server_.TotalRequests(), 7);
  EXPECT_EQ(ImportFolder().size(), 7u);
  EXPECT_EQ(db_->count, 7);
  EXPECT_EQ(captions_.back(), "satcodx data");
  EXPECT_EQ(captions_[6], "Received : 7/7");
}

TEST_F(DownloadTest, NothingMarkedDoesNothing) {
  db_->satellites[0].name = "untouched";
  db_->count = 1;
  for (const auto& marked : {std::vector<bool>{}, std::vector<bool>(7, false), [] {
                               std::vector<bool> m(9, false);
                               m[8] = true;  // a row the index does not have
                               return m;
                             }()}) {
    const DownloadReport report = Run(marked);
    EXPECT_EQ(report.marked, 0);
  }
  EXPECT_TRUE(captions_.empty());
  EXPECT_EQ(pumps_, 0);
  EXPECT_EQ(server_.TotalRequests(), 0);
  EXPECT_EQ(db_->satellites[0].name, "untouched");
  EXPECT_EQ(db_->count, 1);
}

TEST_F(DownloadTest, A404KeepsTheOlderListingAndTheImportReadsIt) {
  const std::string older = Listing({At(C("3900"), "0100"), At(Ku("12345"), "0100")});
  dir_.Write("import/sat0.sdx", older);
  fs::remove(served_ / "sat0.sdx");
  const DownloadReport report = Run({true, true});
  ASSERT_EQ(report.fetches.size(), 2u);
  EXPECT_EQ(report.fetches[0].result, QUONEL_SUCCESS);
  EXPECT_EQ(report.fetches[0].status, 404);
  EXPECT_FALSE(report.fetches[0].written);
  EXPECT_EQ(dir_.Read("import/sat0.sdx"), older);
  EXPECT_EQ(SatelliteNames(), (std::vector<std::string>{"Sat 0(C)", "Sat 0(KU)", "Sat 1(KU)"}));
}

TEST_F(DownloadTest, CreatesTheImportFolderWhenMissing) {
  fs::remove_all(dir_.path() / "import");
  Run({false, false, false, true});
  EXPECT_EQ(ImportFolder(), (std::vector<std::string>{"sat3.sdx"}));
  EXPECT_EQ(SatelliteNames(), (std::vector<std::string>{"Sat 3(KU)"}));
}

TEST_F(DownloadTest, ListingsAreCutAsFetchedAndBadRowsArePassedOver) {
  std::string big;
  while (big.size() < 600000)
    big += At(Ku(std::to_string(10700 + big.size() / 130 % 2000)), "0100").Line() + "\n";
  WriteServed("sat0.sdx", big);
  WriteServed("sat1.sdx", Listing({At(Ku("11700"), "0110")}) + std::string(1, '\0') + Listing({Ku("11800")}));

  // Row 2's server is gone; row 3's file name would leave ./import/.
  const int closedPort = orvane::testing::ClosedPort();
  const auto lines = [&] {
    std::vector<std::string> l;
    l.push_back(IndexLine(server_.BaseAddress(), "0100", "sat0.sdx", "Sat 0"));
    l.push_back(IndexLine(server_.BaseAddress(), "0110", "sat1.sdx", "Sat 1"));
    l.push_back(IndexLine("127.0.0.1:" + std::to_string(closedPort), "0120", "sat2.sdx", "Sat 2"));
    l.push_back(IndexLine(server_.BaseAddress(), "0130", "../e.sdx", "Sat 3"));
    return l;
  }();
  dir_.Write("satcodx.imp", Index(lines));
  WriteServed("e.sdx", Listing({At(Ku("11900"), "0130")}));  // fetched, but its name is refused

  const DownloadReport report = Run({true, true, true, true});
  ASSERT_EQ(report.fetches.size(), 4u);
  EXPECT_EQ(report.fetches[0].size, QUONEL_MAX_READ);
  EXPECT_EQ(dir_.Read("import/sat0.sdx"), big.substr(0, QUONEL_MAX_READ));
  EXPECT_EQ(dir_.Read("import/sat1.sdx"), Listing({At(Ku("11700"), "0110")}));
  EXPECT_EQ(report.fetches[2].stage, QUONEL_STAGE_OPEN_URL);
  EXPECT_EQ(report.fetches[2].status, QUONEL_ERROR_CANNOT_CONNECT);
  EXPECT_EQ(report.fetches[3].status, 200);
  EXPECT_FALSE(report.fetches[3].written);
  EXPECT_FALSE(report.fetches[3].error.empty());
  EXPECT_FALSE(fs::exists(dir_.path() / "e.sdx"));
  EXPECT_EQ(report.import.refusedNames,
            (std::vector<std::string>{"satcodx.imp line 5: '../e.sdx' is not a plain file name"}));
  EXPECT_EQ(captions_, (std::vector<std::string>{"Received : 1/4", "Received : 2/4", "Received : 3/4",
                                                 "Received : 4/4", "satcodx data"}));
  EXPECT_EQ(ImportFolder(), (std::vector<std::string>{"sat0.sdx", "sat1.sdx"}));  // no temporary files left
  EXPECT_EQ(SatelliteNames(), (std::vector<std::string>{"Sat 0(KU)", "Sat 1(KU)"}));
}

TEST_F(DownloadTest, MissingIndexEndsWithFileNotFound) {
  fs::remove(dir_.path() / "satcodx.imp");
  EXPECT_THROW(
      {
        try {
          Run({true});
        } catch (const SatcodxError& e) {
          EXPECT_STREQ(e.what(), "File not found");
          throw;
        }
      },
      SatcodxError);
  EXPECT_EQ(server_.TotalRequests(), 0);
}

TEST(SelectionRows, RowsSuffixesAndABadPosition) {
  WorkDir dir;
  const std::string host = "127.0.0.1:18123";
  dir.Write("satcodx.imp",
            Index({IndexLine(host, "0192", "a.sdx", "Alpha 1"), IndexLine(host, "0130", "b.sdx", "Alpha 1"),
                   IndexLine(host, "3590", "c.sdx", "A name longer than twenty-five"),
                   IndexLine(host, "0005", "d.sdx", "Near"), IndexLine(host, "x192", "e.sdx", "Broken"),
                   IndexLine(host, "0100", "f.sdx", "Never reached")}));
  std::vector<SelectionRow> rows;
  try {
    ReadSelectionRows(dir.path(), [&](const SelectionRow& r) { rows.push_back(r); });
    FAIL() << "no exception";
  } catch (const SatcodxError& e) {
    EXPECT_STREQ(e.what(), "'x192' is not a valid integer value");
  }
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].text, "Alpha 1 (E 19.2)");
  EXPECT_EQ(rows[1].text, "Alpha 1 (E 13)");
  EXPECT_EQ(rows[2].text, "A name longer than twenty (E 359)");
  EXPECT_EQ(rows[3].text, "Near (E 0.5)");
  EXPECT_EQ(rows[0].address, "127.0.0.1:18123/sdxpos/0192/a.sdx");
  EXPECT_EQ(rows[0].fileName, "a.sdx");
  EXPECT_EQ(rows[0].eastPosition, 192);
  EXPECT_EQ(rows[0].line, IndexLine(host, "0192", "a.sdx", "Alpha 1"));
}

}  // namespace
}  // namespace orvane::satcodx
