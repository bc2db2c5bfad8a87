#include "serial/port_list.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace orvane::serial {

namespace fs = std::filesystem;

namespace {

constexpr const char* kAdapterPrefixes[] = {"ttyUSB", "ttyACM"};  // in the order they are offered
constexpr std::size_t kMaxNumberDigits = 9;

// The adapter kind (index into kAdapterPrefixes) and number of a tty name, or nullopt.
std::optional<std::pair<int, unsigned long>> AdapterKey(const std::string& name) {
  for (int kind = 0; kind < static_cast<int>(std::size(kAdapterPrefixes)); ++kind) {
    const std::string prefix = kAdapterPrefixes[kind];
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > kMaxNumberDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    return std::make_pair(kind, std::stoul(digits));
  }
  return std::nullopt;
}

bool Within(const fs::path& dir, const fs::path& root) {
  const auto [r, d] = std::mismatch(root.begin(), root.end(), dir.begin(), dir.end());
  return r == root.end() && d != dir.end();  // strictly below the root
}

// The first line of a sysfs attribute, with control characters made spaces and outer blanks trimmed.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  const auto first = line.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// The product name of the USB device an adapter's tty belongs to: walking up from the tty's device, the first
// folder with an idVendor is that USB device. The walk stops there, so a device without a product name is
// never given its hub's.
std::string ProductOf(const fs::path& ttyClassDir, const fs::path& sysfsRoot) {
  std::error_code ec;
  const fs::path root = fs::canonical(sysfsRoot, ec);
  if (ec) return {};
  fs::path dir = fs::canonical(ttyClassDir / "device", ec);
  if (ec) return {};
  for (; Within(dir, root); dir = dir.parent_path()) {
    if (fs::exists(dir / "idVendor", ec)) return ReadAttribute(dir / "product");
  }
  return {};
}

bool SameDevice(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ea;
  std::error_code eb;
  const fs::path ca = fs::weakly_canonical(a, ea);
  const fs::path cb = fs::weakly_canonical(b, eb);
  return !ea && !eb && ca == cb;
}

// The whole assignment of devices to COM numbers, worked out once for a system.
class PortTable {
 public:
  explicit PortTable(const PortSystem& system) : system_(system), adapters_(FindAdapters(system)) {
    env_.resize(kMaxPort + 1);
    envAdapter_.assign(kMaxPort + 1, -1);
    portAdapter_.assign(kMaxPort + 1, -1);
    std::vector<bool> claimed(adapters_.size(), false);
    for (int port = 1; port <= kMaxPort; ++port) {
      env_[port] = Env(port);
      if (!env_[port]) continue;
      for (std::size_t a = 0; a < adapters_.size(); ++a) {
        if (SameDevice(*env_[port], adapters_[a].device)) {
          envAdapter_[port] = static_cast<int>(a);
          claimed[a] = true;
          break;
        }
      }
    }
    int port = kFixedPortCount + 1;
    for (std::size_t a = 0; a < adapters_.size(); ++a) {
      if (claimed[a]) continue;
      while (port <= kMaxPort && env_[port]) ++port;
      if (port > kMaxPort) break;
      portAdapter_[port++] = static_cast<int>(a);
    }
  }

  PortChoice Choice(int port) const {
    PortChoice c;
    c.port = port;
    const bool listed = port <= kMaxPort;
    if (const std::optional<std::string> env = listed ? env_[port] : Env(port)) {
      c.source = PortChoice::Source::Environment;
      c.device = *env;
      if (listed && envAdapter_[port] >= 0) c.product = adapters_[envAdapter_[port]].product;
    } else if (listed && portAdapter_[port] >= 0) {
      c.source = PortChoice::Source::Adapter;
      c.device = adapters_[portAdapter_[port]].device;
      c.product = adapters_[portAdapter_[port]].product;
    } else {
      c.device = (system_.devRoot / ("ttyS" + std::to_string(port - 1))).string();
    }
    c.text =
        "COM" + std::to_string(port) + " (" + c.device + (c.product.empty() ? "" : ", " + c.product) + ")";
    return c;
  }

 private:
  std::optional<std::string> Env(int port) const {
    const std::string name = "ORVANE_COM" + std::to_string(port);
    std::optional<std::string> value;
    if (system_.getenv) {
      value = system_.getenv(name);
    } else if (const char* v = std::getenv(name.c_str())) {
      value = v;
    }
    if (value && value->empty()) value.reset();
    return value;
  }

  const PortSystem& system_;
  std::vector<SerialAdapter> adapters_;
  std::vector<std::optional<std::string>> env_;  // by COM number
  std::vector<int> envAdapter_;                  // the adapter an ORVANE_COM<n> names, by COM number
  std::vector<int> portAdapter_;                 // the adapter a free COM number opens
};

}  // namespace

std::vector<SerialAdapter> FindAdapters(const PortSystem& system) {
  struct Found {
    std::pair<int, unsigned long> key;
    SerialAdapter adapter;
  };
  std::vector<Found> found;
  const fs::path classDir = system.sysfsRoot / "class" / "tty";
  std::error_code ec;
  for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const auto key = AdapterKey(name);
    std::error_code e;
    if (!key || !fs::exists(it->path() / "device", e)) continue;  // no device link: not hardware
    found.push_back(
        {*key, {name, (system.devRoot / name).string(), ProductOf(it->path(), system.sysfsRoot)}});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.key < b.key; });
  std::vector<SerialAdapter> adapters;
  adapters.reserve(found.size());
  for (Found& f : found) adapters.push_back(std::move(f.adapter));
  return adapters;
}

std::vector<PortChoice> ListPorts(const PortSystem& system) {
  const PortTable table(system);
  std::vector<PortChoice> choices;
  for (int port = 1; port <= kMaxPort; ++port) {
    PortChoice c = table.Choice(port);
    if (port <= kFixedPortCount || c.source != PortChoice::Source::Default) choices.push_back(std::move(c));
  }
  return choices;
}

std::string DeviceOfPort(int port, const PortSystem& system) {
  if (port < 1) return {};
  return PortTable(system).Choice(port).device;
}

std::string ResolvePortName(const std::string& portName, const PortSystem& system) {
  if (portName.size() > 3 && portName.size() <= 6 && portName.compare(0, 3, "COM") == 0) {
    const std::string digits = portName.substr(3);
    if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      const int n = std::stoi(digits);
      if (n >= 1) return DeviceOfPort(n, system);
    }
  }
  return portName;
}

std::vector<std::string> PortTexts(const std::vector<PortChoice>& choices) {
  std::vector<std::string> texts;
  texts.reserve(choices.size());
  for (const PortChoice& c : choices) texts.push_back(c.text);
  return texts;
}

int CommPortsAt(const std::vector<PortChoice>& choices, int index) {
  if (index < 0 || index >= static_cast<int>(choices.size())) return -1;
  return choices[static_cast<std::size_t>(index)].port - 1;
}

}  // namespace orvane::serial
