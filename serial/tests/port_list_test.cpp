#include "serial/port_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "serial/Comm32.h"

using namespace orvane::serial;
namespace fs = std::filesystem;

namespace {

// A scratch sysfs tree and /dev folder laid out as the kernel lays them out: /sys/class/tty/<name> links into
// the device tree, and its `device` link points at the USB-serial port (ttyUSB) or the USB interface (ttyACM)
// below the USB device folder, which carries idVendor and, where the device has one, product.
class PortList : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("orvane-ports-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             "-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(Sys() / "class" / "tty");
    fs::create_directories(Dev());
    // The root hub has a product name of its own, which no adapter below it may take.
    Attribute(Hub() / "idVendor", "1d6b");
    Attribute(Hub() / "product", "xHCI Host Controller");
    system_.sysfsRoot = Sys();
    system_.devRoot = Dev();
    system_.getenv = [this](const std::string& name) -> std::optional<std::string> {
      const auto it = env_.find(name);
      if (it == env_.end()) return std::nullopt;
      return it->second;
    };
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Sys() const { return root_ / "sys"; }
  fs::path Dev() const { return root_ / "dev"; }
  fs::path Hub() const { return Sys() / "devices" / "pci0000:00" / "usb1"; }
  std::string DevicePath(const std::string& name) const { return (Dev() / name).string(); }

  static void Attribute(const fs::path& file, const std::string& value) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << value << "\n";
  }

  // A USB-serial (ttyUSB) or ACM (ttyACM) tty on USB device `usbDevice` below the hub; `product` nullopt: the
  // device has no product name.
  void Adapter(const std::string& name, const std::string& usbDevice, std::optional<std::string> product) {
    const fs::path usb = Hub() / usbDevice;
    Attribute(usb / "idVendor", "0403");
    if (product) Attribute(usb / "product", *product);
    const fs::path interface = usb / (usbDevice + ":1.0");
    const fs::path port = name.rfind("ttyACM", 0) == 0 ? interface : interface / name;
    const fs::path node = port / "tty" / name;
    fs::create_directories(node);
    fs::create_directory_symlink(port, node / "device");
    fs::create_directory_symlink(node, Sys() / "class" / "tty" / name);
  }

  fs::path root_;
  std::map<std::string, std::string> env_;
  PortSystem system_;
};

std::vector<std::string> Texts(const std::vector<PortChoice>& choices) {
  return PortTexts(choices);
}

TEST_F(PortList, FindsUsbAndAcmAdaptersInOrderWithTheirProductNames) {
  Adapter("ttyUSB10", "1-4", "USB10 Adapter");
  Adapter("ttyUSB2", "1-1", "  FT232R USB UART \r");
  Adapter("ttyACM0", "1-2", "Modem\x01Port");
  Adapter("ttyUSB0", "1-3", std::nullopt);  // no product: the hub's must not show
  // Not adapters: a built-in UART, a virtual console, a stale entry without its device, a name that only
  // starts like one.
  fs::create_directories(Sys() / "devices" / "platform" / "serial8250");
  fs::create_directories(Sys() / "class" / "tty" / "ttyS0");
  fs::create_directory_symlink(Sys() / "devices" / "platform" / "serial8250",
                               Sys() / "class" / "tty" / "ttyS0" / "device");
  fs::create_directories(Sys() / "class" / "tty" / "tty0");
  fs::create_directories(Sys() / "class" / "tty" / "ttyUSB3");
  fs::create_directories(Sys() / "class" / "tty" / "ttyUSBx" / "device");

  const std::vector<SerialAdapter> found = FindAdapters(system_);
  struct Expected {
    const char* name;
    const char* product;
  };
  const Expected expected[] = {{"ttyUSB0", ""},
                               {"ttyUSB2", "FT232R USB UART"},
                               {"ttyUSB10", "USB10 Adapter"},
                               {"ttyACM0", "Modem Port"}};
  ASSERT_EQ(found.size(), std::size(expected));
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].name, expected[i].name) << i;
    EXPECT_EQ(found[i].device, DevicePath(expected[i].name)) << i;
    EXPECT_EQ(found[i].product, expected[i].product) << i;
  }
}

TEST_F(PortList, WithoutAdaptersTheSixPortsShowTheirDevices) {
  env_["ORVANE_COM3"] = "/tmp/receiver-pty";
  env_["ORVANE_COM5"] = "";  // set but empty: as if unset
  const std::vector<std::string> expected = {
      "COM1 (" + DevicePath("ttyS0") + ")", "COM2 (" + DevicePath("ttyS1") + ")",
      "COM3 (/tmp/receiver-pty)",           "COM4 (" + DevicePath("ttyS3") + ")",
      "COM5 (" + DevicePath("ttyS4") + ")", "COM6 (" + DevicePath("ttyS5") + ")"};
  EXPECT_EQ(Texts(ListPorts(system_)), expected);

  // No sysfs at all (a container, say) gives the same six.
  system_.sysfsRoot = root_ / "no-sys";
  EXPECT_EQ(Texts(ListPorts(system_)), expected);
}

TEST_F(PortList, AdaptersTakeTheNumbersAfterCom6ThatTheEnvironmentLeavesFree) {
  Adapter("ttyUSB0", "1-1", "FT232R USB UART");
  Adapter("ttyUSB1", "1-2", std::nullopt);
  Adapter("ttyACM0", "1-3", "Receiver Console");
  env_["ORVANE_COM1"] = "/tmp/pty1";
  env_["ORVANE_COM8"] = "/tmp/pty8";
  env_["ORVANE_COM12"] = "/tmp/pty12";

  const std::vector<PortChoice> choices = ListPorts(system_);
  using S = PortChoice::Source;
  struct Expected {
    int port;
    S source;
    std::string text;
  };
  const Expected expected[] = {
      {1, S::Environment, "COM1 (/tmp/pty1)"},
      {2, S::Default, "COM2 (" + DevicePath("ttyS1") + ")"},
      {3, S::Default, "COM3 (" + DevicePath("ttyS2") + ")"},
      {4, S::Default, "COM4 (" + DevicePath("ttyS3") + ")"},
      {5, S::Default, "COM5 (" + DevicePath("ttyS4") + ")"},
      {6, S::Default, "COM6 (" + DevicePath("ttyS5") + ")"},
      {7, S::Adapter, "COM7 (" + DevicePath("ttyUSB0") + ", FT232R USB UART)"},
      {8, S::Environment, "COM8 (/tmp/pty8)"},
      {9, S::Adapter, "COM9 (" + DevicePath("ttyUSB1") + ")"},
      {10, S::Adapter, "COM10 (" + DevicePath("ttyACM0") + ", Receiver Console)"},
      {12, S::Environment, "COM12 (/tmp/pty12)"},
  };
  ASSERT_EQ(choices.size(), std::size(expected));
  for (std::size_t i = 0; i < choices.size(); ++i) {
    EXPECT_EQ(choices[i].port, expected[i].port) << i;
    EXPECT_EQ(choices[i].source, expected[i].source) << i;
    EXPECT_EQ(choices[i].text, expected[i].text) << i;
    // Opening a port opens what its item shows.
    EXPECT_EQ(DeviceOfPort(choices[i].port, system_), choices[i].device) << i;
    EXPECT_EQ(ResolvePortName("COM" + std::to_string(choices[i].port), system_), choices[i].device) << i;
  }
  // A number nothing claims keeps the plain rule.
  EXPECT_EQ(DeviceOfPort(11, system_), DevicePath("ttyS10"));
  EXPECT_EQ(DeviceOfPort(200, system_), DevicePath("ttyS199"));
}

TEST_F(PortList, AnAdapterTheEnvironmentNamesIsOfferedOnceWithItsProductName) {
  Adapter("ttyUSB0", "1-1", "FT232R USB UART");
  Adapter("ttyUSB1", "1-2", "CP2102 USB to UART");
  // The user named the first adapter by its stable link, as /dev/serial/by-id gives it.
  fs::create_directories(Dev() / "serial" / "by-id");
  std::ofstream(Dev() / "ttyUSB0").put('\0');
  fs::create_symlink("../../ttyUSB0", Dev() / "serial" / "by-id" / "usb-FTDI_FT232R-if00-port0");
  env_["ORVANE_COM2"] = (Dev() / "serial" / "by-id" / "usb-FTDI_FT232R-if00-port0").string();

  const std::vector<PortChoice> choices = ListPorts(system_);
  ASSERT_EQ(choices.size(), 7u);
  EXPECT_EQ(choices[1].text, "COM2 (" + env_["ORVANE_COM2"] + ", FT232R USB UART)");
  EXPECT_EQ(choices[6].text, "COM7 (" + DevicePath("ttyUSB1") + ", CP2102 USB to UART)");
  EXPECT_EQ(DeviceOfPort(7, system_), DevicePath("ttyUSB1"));
}

TEST_F(PortList, NoMoreThan128PortsAreOffered) {
  for (int i = 0; i < 125; ++i)
    Adapter("ttyUSB" + std::to_string(i), "1-" + std::to_string(i + 1), std::nullopt);
  const std::vector<PortChoice> choices = ListPorts(system_);
  ASSERT_EQ(choices.size(), static_cast<std::size_t>(kMaxPort));
  EXPECT_EQ(choices.back().text, "COM128 (" + DevicePath("ttyUSB121") + ")");
  EXPECT_EQ(DeviceOfPort(129, system_), DevicePath("ttyS128"));
}

TEST_F(PortList, ItemIndexMapsToTheCommPortsValue) {
  Adapter("ttyUSB0", "1-1", std::nullopt);
  env_["ORVANE_COM9"] = "/tmp/pty9";
  const std::vector<PortChoice> choices = ListPorts(system_);
  ASSERT_EQ(choices.size(), 8u);
  // The first six items keep the windows' index = port - 1; later items map to their own numbers.
  const std::pair<int, int> cases[] = {{0, COM__1}, {5, COM__6}, {6, COM__7}, {7, COM__9}, {8, -1}, {-1, -1}};
  for (auto [index, value] : cases) EXPECT_EQ(CommPortsAt(choices, index), value) << index;

  // No selection names no device, as before.
  TComm32 c;
  c.SetCommPorts(CommPortsAt(choices, -1));
  EXPECT_EQ(c.PortName(), "COM__1");
  c.SetCommPorts(CommPortsAt(choices, 7));
  EXPECT_EQ(ResolvePortName(c.PortName(), system_), "/tmp/pty9");
}

TEST_F(PortList, NamesThatAreNoPortNumberStayAsTheyAre) {
  env_["ORVANE_COM1"] = "/tmp/pty1";
  for (const char* name : {"COM__1", "COM", "COM0", "COM1234", "COMx", "com1", "/dev/ttyUSB5", ""})
    EXPECT_EQ(ResolvePortName(name, system_), name) << name;
  EXPECT_EQ(ResolvePortName("COM1", system_), "/tmp/pty1");
  EXPECT_EQ(ResolvePortName("COM010", system_), DevicePath("ttyS9"));
}

}  // namespace
