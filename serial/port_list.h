// Which device each COM port opens, and the ports a user is offered.
//
// COM<n> opens $ORVANE_COM<n> when that is set. Otherwise COM1..COM6 open /dev/ttyS0..ttyS5, and the USB and
// ACM serial adapters the system has (ttyUSB*, ttyACM*, found through /sys/class/tty/*/device) take the
// numbers from COM7 upwards that the environment leaves free; any other number opens /dev/ttyS<n-1>. An
// adapter that an ORVANE_COM<n> variable already names is not offered a second time.
//
// The same rule serves the opening of a port and the list the windows and the command line show.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvane::serial {

inline constexpr int kFixedPortCount = 6;  // COM1..COM6 are always offered
inline constexpr int kMaxPort = 128;       // the highest COM number a port list can name

// Where the system is looked at: the real one by default; tests give a scratch sysfs tree and environment.
struct PortSystem {
  std::filesystem::path sysfsRoot = "/sys";
  std::filesystem::path devRoot = "/dev";
  // Looks up an environment variable; empty: the process environment. An empty value counts as unset.
  std::function<std::optional<std::string>(const std::string& name)> getenv;
};

// A USB or ACM serial adapter as sysfs shows it.
struct SerialAdapter {
  std::string name;     // "ttyUSB0"
  std::string device;   // "/dev/ttyUSB0"
  std::string product;  // the USB device's product name, empty where the system has none
};

// ttyUSB* first, then ttyACM*, each by number.
std::vector<SerialAdapter> FindAdapters(const PortSystem& system = {});

struct PortChoice {
  enum class Source { Default, Environment, Adapter };
  int port = 0;         // the COM number, 1..kMaxPort
  std::string device;   // what opening the port opens
  std::string product;  // when the device is an adapter with a product name
  Source source = Source::Default;
  std::string text;  // the item text (UTF-8): "COM1 (/dev/ttyS0)", "COM7 (/dev/ttyUSB0, FT232R USB UART)"
};

// COM1..COM6, then every higher port that the environment or an adapter gives a device, by COM number.
std::vector<PortChoice> ListPorts(const PortSystem& system = {});

// The device COM<port> opens (port >= 1).
std::string DeviceOfPort(int port, const PortSystem& system = {});

// "COM<n>" (n >= 1, up to three digits) names DeviceOfPort(n); anything else is taken as a path and returned
// unchanged (so "COM__1", the name of no port, stays unopenable).
std::string ResolvePortName(const std::string& portName, const PortSystem& system = {});

// For a port list: the item texts in order, and the TComm32 CommPorts value (port - 1) of the item at
// `index`, -1 (a port list without selection, which names no device) when `index` is out of range.
std::vector<std::string> PortTexts(const std::vector<PortChoice>& choices);
int CommPortsAt(const std::vector<PortChoice>& choices, int index);

}  // namespace orvane::serial
