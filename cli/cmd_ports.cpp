// orvane-cli ports: the serial ports the windows offer, each with the device it opens.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "serial/port_list.h"

namespace {

int Usage(std::FILE* out) {
  std::fprintf(
      out,
      "usage: orvane-cli ports\n"
      "Lists the serial ports the transfer windows offer, one per line, as their port lists show them:\n"
      "COM1 to COM6, then a further COM port for each USB or ACM serial adapter the system has, with\n"
      "the adapter's product name where known. COMn opens $ORVANE_COMn when that is set; otherwise\n"
      "COM1 to COM6 open /dev/ttyS0 to /dev/ttyS5, and the adapters take the numbers from COM7 on\n"
      "that no ORVANE_COMn claims. '--port COMn' of upload and download opens the same device.\n");
  return out == stderr ? 2 : 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return Usage(stdout);
  if (!args.empty()) return Usage(stderr);
  std::string out;
  for (const std::string& text : orvane::serial::PortTexts(orvane::serial::ListPorts())) out += text + "\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}

orvane::cli::Registrar reg({"ports", "list the serial ports and the devices they open", Run});

}  // namespace
