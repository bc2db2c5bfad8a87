#include "transfer/transfer_session.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTimer>
#include <fstream>
#include <iterator>

#include "serial/tests/pty_pair.h"
#include "transfer/qt_transfer_host.h"
#include "transfer/tests/sim_process.h"

using namespace orvane::transfer;
using orvane::serial::TComm32;
using orvane::testing::SimProcess;

namespace {

// Records what the window would show.
class RecordingHost : public QtTransferHost {
 public:
  using QtTransferHost::QtTransferHost;
  void Log(const std::string& line) override { log.push_back(line); }
  void SetGauge(int p) override { gauge.push_back(p); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void SetProgress(const TransferProgress& p) override { progress.push_back(p); }
  bool HasLog(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
  std::vector<std::string> log;
  std::vector<int> gauge;
  std::vector<std::string> messages;
  std::vector<TransferProgress> progress;
};

// A session on the real serial component, talking to ird-sim.
struct Rig {
  explicit Rig(const std::vector<std::string>& simArgs, Direction direction = Direction::Upload)
      : sim(simArgs), session(host, direction) {
    orvane::testing::App();
    ::setenv("ORVANE_COM1", sim.path().c_str(), 1);
    comm.SetCommPorts(orvane::serial::COM__1);
    comm.SetBaudRates(orvane::serial::_115200);
    comm.OnReceiveData = [this](const std::uint8_t* b, std::uint16_t n) { session.ReceiveData(b, n); };
    // What the windows do on a hang-up: say so, end the transfer as a cancel would, close the port.
    comm.OnRequestHangup = [this](TComm32*) {
      host.ShowMessage(kMsgHangup);
      session.RequestCancel();
      comm.ClosePort();
    };
    session.Reset();
    opened = comm.OpenPort();
  }
  ~Rig() {
    comm.ClosePort();
    ::unsetenv("ORVANE_COM1");
  }
  SimProcess sim;
  TComm32 comm;
  RecordingHost host{comm};
  TransferSession session;
  bool opened = false;
};

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + name + std::to_string(::getpid());
}

using Messages = std::vector<std::string>;

TEST(TransferUpload, ChannelDataGoesInNineteenPacketsAndSucceeds) {
  const std::string saved = TempPath("ird-image");
  Rig rig({"--save", saved});
  ASSERT_TRUE(rig.opened) << rig.comm.LastOpenError();
  std::vector<std::uint8_t> image(65536, 0xFF);
  image[100] = 0x00;
  EXPECT_EQ(rig.session.Upload(image, k2T), Outcome::Success);
  EXPECT_EQ(rig.host.messages, (Messages{"Waiting B00B", "Success"}));
  ASSERT_TRUE(rig.sim.WaitFor("result success"));
  EXPECT_TRUE(rig.sim.Has("program 2T** version -"));
  EXPECT_TRUE(rig.sim.Has("length 65536"));
  EXPECT_TRUE(rig.sim.Has("packet 18 sum"));
  EXPECT_FALSE(rig.sim.Has("packet 19 "));
  EXPECT_EQ(rig.sim.Count(" ok\n"), 19);
  EXPECT_TRUE(rig.host.HasLog("Read Size : [65536]"));
  EXPECT_TRUE(rig.host.HasLog("COMPARE CHECKSUM : [FEFF01] [FEFF01]"));
  EXPECT_EQ(rig.host.gauge.back(), 100);
  EXPECT_EQ(ReadFile(saved), image);
  std::remove(saved.c_str());

  // The status figures: one report as the packets begin and one per acknowledged packet, rising to the image.
  ASSERT_EQ(rig.host.progress.size(), 20u);
  EXPECT_EQ(rig.host.progress.front().bytesDone, 0u);
  for (std::size_t i = 1; i < rig.host.progress.size(); ++i) {
    const TransferProgress& p = rig.host.progress[i];
    EXPECT_EQ(p.bytesTotal, 65536u);
    EXPECT_EQ(p.bytesDone, std::min<std::uint64_t>(i * kPacketSize, 65536)) << i;
    EXPECT_GT(p.bytesPerSecond, 0) << i;
    EXPECT_GE(p.secondsLeft, 0) << i;
    EXPECT_EQ(p.waitingSeconds, -1) << i;
  }
  EXPECT_EQ(rig.host.progress.back().secondsLeft, 0);
}

TEST(TransferProgress, TheStatusLine) {
  struct Case {
    TransferProgress p;
    const char* text;
  };
  const Case cases[] = {
      {{}, ""},
      {{0, 65536, 0, -1, -1}, "0 of 65536 bytes"},
      {{35000, 65536, 11250.4, 2.7, -1}, "35000 of 65536 bytes, 11250 bytes/s, 3 s left"},
      {{700000, 2000000, 5400, 240.6, -1}, "700000 of 2000000 bytes, 5400 bytes/s, 4 min 1 s left"},
      {{0, 0, 0, -1, 12}, "waiting for the receiver (12 s)"},
      {{7000, 65536, 9000, 6.5, 3}, "7000 of 65536 bytes, 9000 bytes/s, 7 s left, waiting for the receiver (3 s)"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatProgress(c.p), c.text);
}

// A receiver that never answers the wake-up: after a second the host hears how long it has waited.
TEST(TransferProgress, ASilentReceiverIsReportedAsWaitedFor) {
  Rig rig({"--silent-from", "ready"});
  ASSERT_TRUE(rig.opened);
  QTimer::singleShot(1800, [&] { rig.session.RequestCancel(); });
  EXPECT_EQ(rig.session.Upload(std::vector<std::uint8_t>(3500, 1), k2PI), Outcome::Cancelled);
  ASSERT_FALSE(rig.host.progress.empty());
  for (const TransferProgress& p : rig.host.progress) {
    EXPECT_EQ(p.bytesTotal, 0u);
    EXPECT_GE(p.waitingSeconds, 1);
  }
  EXPECT_EQ(FormatProgress(rig.host.progress.back()), "waiting for the receiver (1 s)");
}

TEST(TransferUpload, LastPacketIsFullAndFilledAfterTheImage) {
  for (std::size_t size : {3500u, 3501u}) {
    Rig rig({});
    ASSERT_TRUE(rig.opened);
    std::vector<std::uint8_t> image(size, 0x01);
    ASSERT_EQ(rig.session.Upload(image, k2PI), Outcome::Success) << size;
    ASSERT_TRUE(rig.sim.WaitFor("result success"));
    EXPECT_TRUE(rig.sim.Has("packet 0 sum 3500 ok"));
    // The second packet carries one image byte and 3499 zero filler bytes.
    EXPECT_EQ(rig.sim.Has("packet 1 sum 0001 ok"), size == 3501) << size;
  }
}

TEST(TransferUpload, SoftwareTokenIsFollowedByTheVersion) {
  Rig rig({});
  ASSERT_TRUE(rig.opened);
  std::vector<std::uint8_t> image(7000, 0x22);
  EXPECT_EQ(rig.session.Upload(image, k2PD, "120B"), Outcome::Success);
  ASSERT_TRUE(rig.sim.WaitFor("result success"));
  EXPECT_TRUE(rig.sim.Has("program 2PD* version 120B"));
  // The mandated sleeps: three wake-ups, ONON, the version pause, the length, after the packets, END.
  EXPECT_EQ(rig.session.Stats().mandatedSleepMs, 6 * kTokenSleepMs + kVersionSleepMs + kTokenSleepMs);
}

TEST(TransferUpload, RefusedPacketsAreSentAgainAndLogged) {
  Rig rig({"--err", "3", "--bad-sum", "5:2", "--noise", "50", "--echo-length", "12345"});
  ASSERT_TRUE(rig.opened);
  std::vector<std::uint8_t> image(8 * 3500, 0x33);
  EXPECT_EQ(rig.session.Upload(image, k2T), Outcome::Success);
  EXPECT_EQ(rig.host.messages, (Messages{"Waiting B00B", "Success"}));
  EXPECT_EQ(std::count(rig.host.log.begin(), rig.host.log.end(), "Packet 3 TRANSFER ERROR"), 1);
  EXPECT_EQ(std::count(rig.host.log.begin(), rig.host.log.end(), "Packet 5 CHECK SUM ERROR"), 2);
  EXPECT_TRUE(rig.host.HasLog("Read Size : [12345]"));
  ASSERT_TRUE(rig.sim.WaitFor("result success"));
  EXPECT_TRUE(rig.sim.Has("packet 3 sum 8500 err"));
  EXPECT_EQ(rig.sim.Count("packet 3 sum 8500 ok"), 1);
  EXPECT_EQ(rig.sim.Count("packet 5 sum 8500 bad"), 2);
}

TEST(TransferUpload, ProtocolFailuresShowTheirMessages) {
  struct Case {
    std::vector<std::string> args;
    Messages messages;
    Outcome outcome;
    const char* simSees;  // what the receiver got last
  };
  const Case cases[] = {
      {{"--ready-twice"}, {"Waiting B00B", "Invalid Protocolo"}, Outcome::ProtocolError, "tx BOAA"},
      {{"--state", "XXXX"}, {"Waiting B00B", "Invalid Protocolo"}, Outcome::ProtocolError, "tx XXXX"},
      {{"--state", "STDA"}, {"Waiting B00B", "Success"}, Outcome::Success, "result success"},
      {{"--ready", "NOPE"}, {"Waiting B00B", "Invalid Protocolo"}, Outcome::ProtocolError, "tx NOPE"},
      {{"--bad-image-checksum"},
       {"Waiting B00B", "ERROR : Check Sum", "ERROR : Upload Failure"},
       Outcome::Failure,
       "rx ERR "},
      {{"--end-token", "DONE"}, {"Waiting B00B", "ERROR : Upload Failure"}, Outcome::Failure, "tx DONE"},
  };
  for (const auto& c : cases) {
    Rig rig(c.args);
    ASSERT_TRUE(rig.opened);
    std::vector<std::uint8_t> image(100, 0x44);
    EXPECT_EQ(rig.session.Upload(image, k2T), c.outcome) << c.args[0];
    EXPECT_EQ(rig.host.messages, c.messages) << c.args[0];
    EXPECT_TRUE(rig.sim.WaitFor(c.simSees)) << c.args[0] << "\n" << rig.sim.Output();
  }
}

TEST(TransferUpload, CancelDuringTheScanEndsWithoutAMessage) {
  Rig rig({"--silent-from", "ready"});
  ASSERT_TRUE(rig.opened);
  QTimer::singleShot(300, [&] { rig.session.RequestCancel(); });
  std::vector<std::uint8_t> image(100, 0x55);
  EXPECT_EQ(rig.session.Upload(image, k2T), Outcome::Cancelled);
  EXPECT_EQ(rig.host.messages, (Messages{"Waiting B00B"}));
}

TEST(TransferUpload, HangupEndsTheTransferAndTheProgramGoesOn) {
  Rig rig({"--hangup-at", "packet:2"});
  ASSERT_TRUE(rig.opened);
  std::vector<std::uint8_t> image(6 * 3500, 0x66);
  EXPECT_EQ(rig.session.Upload(image, k2T), Outcome::Cancelled);
  EXPECT_EQ(rig.host.messages, (Messages{"Waiting B00B", "hangup"}));
  EXPECT_FALSE(rig.comm.IsOpen());
  EXPECT_TRUE(orvane::testing::PumpUntil([] { return TComm32::LiveThreads() == 0; }));
}

// Store and read operations without a port.
class NoPortHost : public TransferHost {
 public:
  void Log(const std::string& line) override { log.push_back(line); }
  void SetGauge(int) override {}
  void ShowMessage(const std::string& t) override { messages.push_back(t); }
  bool Write(const std::uint8_t*, std::size_t) override { return false; }
  void Wait(int, const std::function<bool()>&) override { ++waits; }
  void Pump() override {}
  void Wake() override {}
  std::vector<std::string> log;
  std::vector<std::string> messages;
  int waits = 0;
};

void Feed(TransferSession& s, const std::string& bytes) {
  s.ReceiveData(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                static_cast<std::uint16_t>(bytes.size()));
}

TEST(TransferStore, RingWrapsAndATokenAcrossTheWrapReadsWhole) {
  NoPortHost host;
  TransferSession s(host, Direction::Upload);
  s.Reset();
  Feed(s, std::string(4092, 'n'));
  for (int i = 0; i < 4092 / 4; ++i) ASSERT_EQ(s.ReadToken(), "nnnn");
  Feed(s, "STPG");  // slots 4092, 4093, 4094 and 0
  EXPECT_EQ(s.ReadToken(), "STPG");
  Feed(s, std::string(4088, 'x'));
  for (int i = 0; i < 4088 / 4; ++i) ASSERT_EQ(s.ReadToken(), "xxxx");
  Feed(s, "zBOAA");  // the token straddles the second wrap
  EXPECT_TRUE(s.ScanForToken(kBOAA));
  EXPECT_EQ(s.Unread(), 0u);

  // More unread bytes than slots: the oldest are dropped, the rest read in order.
  std::string flood;
  for (int i = 0; i < 5000; ++i) flood.push_back(static_cast<char>('a' + i % 26));
  Feed(s, flood);
  EXPECT_EQ(s.Unread(), kRingStoreSize);
  EXPECT_EQ(*s.ReadToken(), flood.substr(5000 - 4095, 4));
  EXPECT_TRUE(host.messages.empty());
}

TEST(TransferStore, ReadsWaitAndEndOnCancelWithoutConsuming) {
  NoPortHost host;
  TransferSession s(host, Direction::Upload);
  s.Reset();
  Feed(s, "AB");
  s.RequestCancel();
  EXPECT_FALSE(s.ReadToken().has_value());
  EXPECT_FALSE(s.ScanForToken(kBOAA));
  EXPECT_EQ(s.Unread(), 2u);
}

TEST(TransferStore, ReceiveHandlerLogsLinesSplitAtLineFeeds) {
  NoPortHost host;
  TransferSession s(host, Direction::Upload);
  s.Reset();
  Feed(s, "ab\ncd");  // echo off: only the line ended by the line feed is logged
  EXPECT_EQ(host.log, (std::vector<std::string>{"0: [ab]"}));
}

TEST(TransferStore, DownloadStoreNeverGrowsPastItsEnd) {
  NoPortHost host;
  TransferSession s(host, Direction::Download);
  s.Reset();
  s.SetReceivingPackets(true);
  const std::string chunk(65535, 'd');
  for (std::size_t fed = 0; fed < kLinearStoreSize + 3 * chunk.size(); fed += chunk.size()) Feed(s, chunk);
  EXPECT_EQ(s.ReceivedCount(), kLinearStoreSize);
  // The handler's error is shown once per transfer, not once per block.
  EXPECT_EQ(host.messages, (std::vector<std::string>{kMsgDownloadHandlerError}));
  EXPECT_EQ(std::string(kMsgDownloadHandlerError), "Serial  에러가 발생하였습니다. ");
}

TEST(TransferStore, WireFormats) {
  std::vector<std::uint8_t> ff(3500, 0xFF);
  EXPECT_EQ(TransferSession::PacketChecksum(ff), 2500);
  EXPECT_EQ(TransferSession::PacketChecksum(std::vector<std::uint8_t>(3500, 0)), 0);
  EXPECT_EQ(TransferSession::ImageChecksum(std::vector<std::uint8_t>(65536, 0xFF)), 16711680u);
  EXPECT_EQ(TransferSession::FormatPacketNumber(18), "0018");
  EXPECT_EQ(StrToInt(" 0038"), 38);
  EXPECT_EQ(StrToInt("-001"), -1);
  EXPECT_THROW(StrToInt("AB12"), TransferError);
  EXPECT_THROW(StrToInt("12 "), TransferError);
}

std::vector<std::uint8_t> SimArea() {
  std::vector<std::uint8_t> a(kDataAreaImageSize);
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 9));
  return a;
}

TEST(TransferDownload, UpdaNeedsPacketThirtyEightAndFillsTheImage) {
  Rig rig({}, Direction::Download);
  ASSERT_TRUE(rig.opened);
  std::vector<std::uint8_t> image(kDataAreaImageSize, 0);
  bool completed = false;
  EXPECT_EQ(rig.session.Download(kUPDA, image, [&] { completed = true; }), Outcome::Success);
  EXPECT_TRUE(completed);
  EXPECT_EQ(rig.host.messages, (Messages{"Waiting BABO", "Success"}));
  ASSERT_TRUE(rig.sim.WaitFor("result sent"));
  EXPECT_TRUE(rig.sim.Has("packet 38 sum"));
  EXPECT_EQ(rig.sim.Count("mismatch"), 0);
  const auto area = SimArea();
  const std::size_t reached = 39 * 3500;
  EXPECT_TRUE(std::equal(area.begin(), area.begin() + reached, image.begin()));
  EXPECT_TRUE(std::all_of(image.begin() + reached, image.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_FALSE(rig.session.ReceivingPackets());
}

TEST(TransferDownload, FaultsSaveNothing) {
  struct Case {
    std::vector<std::string> args;
    Messages messages;
  };
  const Case cases[] = {
      {{"--bad-image-checksum"}, {"Waiting BABO", "Check SUM ERROR", "Failure"}},
      // A negative number and one past the image are counted but land nowhere.
      {{"--renumber", "0:-001"}, {"Waiting BABO", "Check SUM ERROR", "Failure"}},
      {{"--renumber", "3:9999"}, {"Waiting BABO", "Check SUM ERROR", "Failure"}},
      {{"--state", "OOPS"}, {"Waiting BABO", "Invalid Protocolo"}},
  };
  for (const auto& c : cases) {
    Rig rig(c.args, Direction::Download);
    ASSERT_TRUE(rig.opened);
    std::vector<std::uint8_t> image(kDataAreaImageSize, 0);
    bool completed = false;
    EXPECT_NE(rig.session.Download(kUPDA, image, [&] { completed = true; }), Outcome::Success) << c.args[0];
    EXPECT_FALSE(completed);
    EXPECT_EQ(rig.host.messages, c.messages) << c.args[1];
  }
}

TEST(TransferDownload, PacketNumberThatIsNoNumberRaises) {
  Rig rig({"--renumber", "2:AB12"}, Direction::Download);
  ASSERT_TRUE(rig.opened);
  std::vector<std::uint8_t> image(kDataAreaImageSize, 0);
  EXPECT_THROW(rig.session.Download(kUPDA, image), TransferError);
}

}  // namespace
