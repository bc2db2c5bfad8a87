// orvane-cli subcommands register themselves here; each lives in its own cmd_*.cpp.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvane::cli {

struct Command {
  std::string name;     // first word on the command line, e.g. "db"
  std::string summary;  // one line for --help
  // Receives the words after the command name; returns the process exit status.
  std::function<int(const std::vector<std::string>& args)> run;
};

std::vector<Command>& Commands();

struct Registrar {
  explicit Registrar(Command c) { Commands().push_back(std::move(c)); }
};

}  // namespace orvane::cli
