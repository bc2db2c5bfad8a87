#include "serial/Comm32.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <numeric>
#include <thread>

#include "serial/port_list.h"
#include "serial/tests/pty_pair.h"

using namespace orvane::serial;
using orvane::testing::App;
using orvane::testing::PtyPair;
using orvane::testing::PumpUntil;

namespace {

// Points COM1 at the pty, as a user points it at a USB adapter.
struct Com1 {
  explicit Com1(const std::string& path) { ::setenv("ORVANE_COM1", path.c_str(), 1); }
  ~Com1() { ::unsetenv("ORVANE_COM1"); }
};

// Every test runs with the application object, as the program does (ctest runs each test on its own).
class Comm32 : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
};

struct Received {
  std::vector<std::uint8_t> bytes;
  std::vector<std::size_t> blocks;
  int hangups = 0;
  void Attach(TComm32& c) {
    c.OnReceiveData = [this](const std::uint8_t* b, std::uint16_t n) {
      bytes.insert(bytes.end(), b, b + n);
      blocks.push_back(n);
    };
    c.OnRequestHangup = [this](TComm32*) { ++hangups; };
  }
};

TEST(Comm32Settings, EnumerationsProgramTheirValues) {
  const std::pair<int, std::uint32_t> rates[] = {
      {____110, 110},    {___9600, 9600},   {__14400, 14400},  {__28800, 28800}, {_115200, 115200},
      {_230400, 230400}, {_460800, 460800}, {_921600, 921600}, {16, 9600},       {-1, 9600}};
  for (auto [value, rate] : rates) EXPECT_EQ(RateOf(value), rate) << value;
  EXPECT_EQ(PortNameOf(COM__1), "COM1");
  EXPECT_EQ(PortNameOf(COM_10), "COM10");
  EXPECT_EQ(PortNameOf(COM128), "COM128");
  EXPECT_EQ(PortNameOf(128), "COM__1");
  EXPECT_EQ(PortNameOf(-1), "COM__1");

  ::setenv("ORVANE_COM7", "/tmp/some-adapter", 1);
  EXPECT_EQ(ResolvePortName("COM7"), "/tmp/some-adapter");
  ::unsetenv("ORVANE_COM7");
  EXPECT_EQ(ResolvePortName("COM__1"), "COM__1");

  TComm32 c;
  c.SetDataBits(_7);
  c.SetDataBits(9);
  EXPECT_EQ(c.Settings().dataBits, 8);
  c.SetDataBits(_5);
  EXPECT_EQ(c.Settings().dataBits, 5);
}

TEST_F(Comm32, ClosedComponentSendsNothingAndClosesHarmlessly) {
  App();
  TComm32 c;
  const char data[] = "abcd";
  EXPECT_FALSE(c.WriteData(data, 4));
  c.ClosePort();
  c.ClosePort();
  EXPECT_FALSE(c.IsOpen());
}

TEST_F(Comm32, UnopenablePortsReturnFalseWithAReason) {
  App();
  TComm32 c;
  c.SetCommPorts(-1);  // a port list without selection
  EXPECT_FALSE(c.OpenPort());
  EXPECT_NE(c.LastOpenError().find("no such device"), std::string::npos) << c.LastOpenError();
  EXPECT_EQ(TComm32::LiveThreads(), 0);

  c.SetCommPorts(COM__1);
  Com1 com1("/dev/null");  // a character device, but no tty
  EXPECT_FALSE(c.OpenPort());
  EXPECT_NE(c.LastOpenError().find("not a serial device"), std::string::npos) << c.LastOpenError();
}

TEST_F(Comm32, PortIsProgrammedRawAtTheRate) {
  PtyPair pty;
  Com1 com1(pty.path());
  TComm32 c;
  c.SetBaudRates(_115200);
  c.SetParities(Even);
  c.SetStopBits(_2);
  ASSERT_TRUE(c.OpenPort()) << c.LastOpenError();
  termios tio{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B115200));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  // (A pty forces 8 bits without parity, so parity can only be seen on a real port.)
  EXPECT_TRUE(tio.c_cflag & CSTOPB);
  EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
  c.ClosePort();
}

TEST_F(Comm32, OpenTwiceThrowsAndSecondComponentFindsThePortBusy) {
  PtyPair pty;
  Com1 com1(pty.path());
  TComm32 a, b;
  ASSERT_TRUE(a.OpenPort()) << a.LastOpenError();
  try {
    a.OpenPort();
    FAIL() << "no exception";
  } catch (const ECommsError& e) {
    EXPECT_STREQ(e.what(), "Already have a comm file open");
  }
  EXPECT_TRUE(a.IsOpen());
  EXPECT_FALSE(b.OpenPort());
  EXPECT_NE(b.LastOpenError().find("busy"), std::string::npos) << b.LastOpenError();
  a.ClosePort();
  EXPECT_TRUE(b.OpenPort()) << b.LastOpenError();
  b.ClosePort();
}

TEST_F(Comm32, BurstArrivesWholeAndInOrder) {
  PtyPair pty;
  Com1 com1(pty.path());
  TComm32 c;
  Received got;
  got.Attach(c);
  ASSERT_TRUE(c.OpenPort());
  std::vector<std::uint8_t> burst(40000);
  for (std::size_t i = 0; i < burst.size(); ++i) burst[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  std::thread far([&] { pty.Write(burst); });
  EXPECT_TRUE(PumpUntil([&] { return got.bytes.size() >= burst.size(); }));
  far.join();
  EXPECT_EQ(got.bytes, burst);
  EXPECT_GE(got.blocks.size(), 3u);  // a block holds at most 16,384 bytes
  for (std::size_t n : got.blocks) EXPECT_LE(n, static_cast<std::size_t>(kReadBlockSize));
  EXPECT_EQ(got.hangups, 0);
  c.ClosePort();
}

TEST_F(Comm32, BlocksGoOutInOrderEvenWhenTheDriverTakesThemInParts) {
  PtyPair pty;
  Com1 com1(pty.path());
  TComm32 c;
  ASSERT_TRUE(c.OpenPort());
  std::vector<std::uint8_t> expected;
  for (int b = 0; b < 40; ++b) {
    std::vector<std::uint8_t> block(b % 2 ? 9000 + b : 3 + b);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(b * 31 + i);
    ASSERT_TRUE(c.WriteData(block.data(), static_cast<std::uint16_t>(block.size())));
    expected.insert(expected.end(), block.begin(), block.end());
  }
  EXPECT_EQ(pty.Read(expected.size()), expected);
  c.ClosePort();
}

TEST_F(Comm32, HangupReachesTheOwnerAndCloseStillReleasesEverything) {
  auto pty = std::make_unique<PtyPair>();
  Com1 com1(pty->path());
  TComm32 c;
  Received got;
  got.Attach(c);
  ASSERT_TRUE(c.OpenPort());
  pty.reset();  // the adapter is unplugged
  EXPECT_TRUE(PumpUntil([&] { return got.hangups > 0; }));
  EXPECT_TRUE(PumpUntil([] { return TComm32::LiveThreads() <= 1; }));
  c.ClosePort();
  orvane::testing::Pump(50);
  EXPECT_EQ(got.hangups, 1);
  EXPECT_EQ(TComm32::LiveThreads(), 0);
  const char data[] = "x";
  EXPECT_FALSE(c.WriteData(data, 1));
}

TEST_F(Comm32, ClosingWithDataInFlightDeliversNothingLater) {
  PtyPair pty;
  Com1 com1(pty.path());
  TComm32 c;
  Received got;
  got.Attach(c);
  ASSERT_TRUE(c.OpenPort());
  pty.Write({'a', 'b', 'c'});
  // Let the reader post the block, but close before the GUI thread handles it.
  QElapsedTimer t;
  t.start();
  while (TComm32::PendingBlocks() == 0 && t.elapsed() < 20000)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  c.ClosePort();
  orvane::testing::Pump(50);
  EXPECT_TRUE(got.bytes.empty());
  EXPECT_EQ(got.hangups, 0);
  EXPECT_EQ(TComm32::PendingBlocks(), 0);
}

TEST_F(Comm32, ThousandOpenCloseCyclesLeakNothing) {
  PtyPair pty;
  Com1 com1(pty.path());
  const int fdsBefore = orvane::testing::OpenDescriptorCount();
  TComm32 c;
  Received got;
  got.Attach(c);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(c.OpenPort()) << i << ": " << c.LastOpenError();
    if (i % 100 == 0) {
      // The second and later openings wait for both threads again and carry data both ways.
      const char ping[] = "ping";
      ASSERT_TRUE(c.WriteData(ping, 4));
      ASSERT_EQ(pty.Read(4).size(), 4u);
      got.bytes.clear();
      pty.Write({'p', 'o', 'n', 'g'});
      ASSERT_TRUE(PumpUntil([&] { return got.bytes.size() == 4; }));
    }
    c.ClosePort();
  }
  orvane::testing::Pump(20);
  EXPECT_EQ(TComm32::LiveThreads(), 0);
  EXPECT_EQ(TComm32::PendingBlocks(), 0);
  EXPECT_EQ(orvane::testing::OpenDescriptorCount(), fdsBefore);
  EXPECT_EQ(got.hangups, 0);
}

}  // namespace
