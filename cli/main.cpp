#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/command.h"

namespace orvane::cli {
std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}
}  // namespace orvane::cli

namespace {
void Usage() {
  std::printf("usage: orvane-cli COMMAND [ARGS...]\n\ncommands:\n");
  auto cmds = orvane::cli::Commands();
  std::sort(cmds.begin(), cmds.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& c : cmds) std::printf("  %-10s %s\n", c.name.c_str(), c.summary.c_str());
  std::printf("\n'orvane-cli COMMAND --help' tells more.\n");
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    Usage();
    return argc < 2 ? 2 : 0;
  }
  const std::string name = argv[1];
  for (const auto& c : orvane::cli::Commands()) {
    if (c.name != name) continue;
    try {
      return c.run(std::vector<std::string>(argv + 2, argv + argc));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orvane-cli %s: %s\n", name.c_str(), e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "orvane-cli: unknown command '%s'\n", name.c_str());
  Usage();
  return 2;
}
