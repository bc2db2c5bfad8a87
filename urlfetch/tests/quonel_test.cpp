// OpenUrl against a real HTTP server on 127.0.0.1, called through its C signature from C.
#include "urlfetch/include/quonel.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "urlfetch/tests/local_http_server.h"

extern "C" int16_t quonel_fetch_from_c(const char* url, int32_t* size, int32_t* status, int32_t* stage,
                                       char* buffer);

namespace {

using orvane::testing::ClosedPort;
using orvane::testing::LocalHttpServer;
using Behaviour = LocalHttpServer::Behaviour;

constexpr std::size_t kGuard = 64;
constexpr char kGuardByte = '\x5A';

// The caller's buffer: exactly QUONEL_BUFFER_MIN_SIZE bytes followed by a guard that must stay untouched.
struct Call {
  std::unique_ptr<char[]> buffer{new char[QUONEL_BUFFER_MIN_SIZE + kGuard]};
  int32_t size = -7, status = -7, stage = -7;
  int16_t result = -7;

  Call() { std::memset(buffer.get(), kGuardByte, QUONEL_BUFFER_MIN_SIZE + kGuard); }
  void Run(const std::string& url) {
    result = quonel_fetch_from_c(url.c_str(), &size, &status, &stage, buffer.get());
  }
  bool GuardIntact() const {
    for (std::size_t i = 0; i < kGuard; ++i)
      if (buffer[QUONEL_BUFFER_MIN_SIZE + i] != kGuardByte) return false;
    return true;
  }
  std::string Text() const { return std::string(buffer.get()); }
};


class OpenUrlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Short waits so that the silent-server case ends quickly; the library reads these per call.
    ::setenv("QUONEL_STALL_TIMEOUT_S", "1", 1);
    ::setenv("QUONEL_CONNECT_TIMEOUT_MS", "3000", 1);
    ::setenv("QUONEL_TOTAL_TIMEOUT_MS", "4000", 1);
  }
  LocalHttpServer server;
};

TEST_F(OpenUrlTest, DeliversAnswersWithTheirStatus) {
  std::string big(600000, 'b');
  big[0] = 'B';
  const struct {
    const char* path;
    LocalHttpServer::Route route;
    int32_t status;
    std::string expected;
  } cases[] = {
      {"/ok.sdx", {200, "SATCODX103 listing\r\n"}, 200, "SATCODX103 listing\r\n"},
      {"/missing", {404, "<html>not here</html>"}, 404, "<html>not here</html>"},
      {"/empty", {200, ""}, 200, ""},
      {"/nul", {200, std::string("abc\0def", 7)}, 200, "abc"},
      {"/big", {200, big}, 200, big.substr(0, QUONEL_MAX_READ)},
      {"/exact", {200, big.substr(0, QUONEL_MAX_READ)}, 200, big.substr(0, QUONEL_MAX_READ)},
      {"/moved", {302, "see elsewhere", "/ok.sdx"}, 200, "SATCODX103 listing\r\n"},
      {"/moved-abs", {301, "", "http://127.0.0.1:PORT/missing"}, 404, "<html>not here</html>"},
      {"/teapot", {500, "oops"}, 500, "oops"},
  };
  for (auto c : cases) {
    auto& loc = c.route.location;
    if (auto p = loc.find("PORT"); p != std::string::npos) loc.replace(p, 4, std::to_string(server.port()));
    server.SetRoute(c.path, c.route);
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Call call;
    call.Run(server.Url(c.path));
    EXPECT_EQ(call.result, QUONEL_SUCCESS);
    EXPECT_EQ(call.stage, QUONEL_STAGE_NONE);
    EXPECT_EQ(call.status, c.status);
    ASSERT_EQ(call.size, static_cast<int32_t>(c.expected.size()));
    EXPECT_EQ(std::memcmp(call.buffer.get(), c.expected.data(), c.expected.size()), 0);
    EXPECT_EQ(call.buffer[c.expected.size()], '\0');
    EXPECT_TRUE(call.GuardIntact());
  }
  EXPECT_EQ(server.Requests("/ok.sdx"), 2);  // once directly, once through the redirect
}

TEST_F(OpenUrlTest, FailuresReportStageStatusAndMessage) {
  server.SetRoute("/silent", {200, "", "", Behaviour::kSilent});
  server.SetRoute("/hangup", {200, "", "", Behaviour::kCloseAtOnce});
  // Answers that are not HTTP: a garbage status line, and HTTP/0.9 (a body without any status line).
  server.SetRoute("/garbage", {200, "SATCODX103 not a status line\r\n\r\nbody", "", Behaviour::kRaw});
  server.SetRoute("/http09", {200, "SATCODX103Test Sat (19.2E)\n", "", Behaviour::kRaw});
  server.SetRoute("/cut", {200, std::string(1000, 'x'), "", Behaviour::kCutBody});
  server.SetRoute("/loop", {302, "", "/loop"});
  server.SetRoute("/drip", {200, "", "", Behaviour::kDrip});  // fast enough for the stall limit, never done
  const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x.sdx";
  const struct {
    std::string url;
    int32_t stage;
    int32_t status;
    const char* message;
  } cases[] = {
      {refused, QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_CANNOT_CONNECT, "InternetOpenUrl Error."},
      {"http://no-such-host.invalid/x.sdx", QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_NAME_NOT_RESOLVED,
       "InternetOpenUrl Error."},
      {server.Url("/silent"), QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_TIMEOUT, "InternetOpenUrl Error."},
      {server.Url("/hangup"), QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_INVALID_SERVER_RESPONSE,
       "InternetOpenUrl Error."},
      {server.Url("/garbage"), QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_INVALID_SERVER_RESPONSE,
       "InternetOpenUrl Error."},
      {server.Url("/http09"), QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_INVALID_SERVER_RESPONSE,
       "InternetOpenUrl Error."},
      {server.Url("/loop"), QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_REDIRECT_FAILED, "InternetOpenUrl Error."},
      {"ftp://127.0.0.1/x.sdx", QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_UNRECOGNIZED_SCHEME,
       "InternetOpenUrl Error."},
      {"http://[::1", QUONEL_STAGE_OPEN_URL, QUONEL_ERROR_INVALID_URL, "InternetOpenUrl Error."},
      {server.Url("/cut"), QUONEL_STAGE_READ, -1, "InternetReadFile Error."},
      {server.Url("/drip"), QUONEL_STAGE_READ, -1, "InternetReadFile Error."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    Call call;
    call.Run(c.url);
    EXPECT_EQ(call.result, QUONEL_FAILURE);
    EXPECT_EQ(call.stage, c.stage);
    EXPECT_EQ(call.status, c.status);
    EXPECT_EQ(call.size, 0);
    EXPECT_EQ(call.Text(), c.message);
    // The message is copied with its NUL and nothing more.
    EXPECT_EQ(call.buffer[std::strlen(c.message) + 1], kGuardByte);
    EXPECT_TRUE(call.GuardIntact());
  }
}

TEST(OpenUrlArguments, NullOutputsAreRefusedWithoutTouchingAnything) {
  int32_t size = 5, status = 5, stage = 5;
  std::vector<char> buffer(QUONEL_BUFFER_MIN_SIZE, 'q');
  EXPECT_EQ(OpenUrl("http://127.0.0.1:1/", nullptr, &status, &stage, buffer.data()), QUONEL_FAILURE);
  EXPECT_EQ(OpenUrl("http://127.0.0.1:1/", &size, &status, &stage, nullptr), QUONEL_FAILURE);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(status, 5);
  EXPECT_EQ(stage, 5);
  EXPECT_EQ(buffer[0], 'q');

  EXPECT_EQ(OpenUrl(nullptr, &size, &status, &stage, buffer.data()), QUONEL_FAILURE);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(stage, QUONEL_STAGE_OPEN_URL);
  EXPECT_EQ(status, QUONEL_ERROR_INVALID_URL);
}

}  // namespace
