// orvane-cli keys: the receiver's key table in a database image file, and its PID mappings.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "keysetting/key_table.h"

namespace ks = orvane::keysetting;

namespace {

int Usage(std::FILE* out) {
  std::fprintf(out,
               "usage: orvane-cli keys show FILE.tpd\n"
               "           print the marker and the eight entries of the key table at 0x6F00\n"
               "       orvane-cli keys set FILE.tpd SERVICE ALGORITHM KEY1 KEY2\n"
               "           change one entry (SERVICE 1..8, ALGORITHM 0..2, keys stored modulo 65536;\n"
               "           algorithm 0 stores an all-zero entry, as the window does for \"None\")\n"
               "       orvane-cli keys map ALGORITHM KEY1 KEY2 real|virtual PID...\n"
               "           map each PID from real to virtual (real) or back (virtual), one per line\n");
  return out == stderr ? 2 : 0;
}

int Bad(const std::string& what) {
  std::fprintf(stderr, "orvane-cli keys: %s\n", what.c_str());
  return 2;
}

std::optional<std::int32_t> NumberIn(const std::string& text, std::int32_t low, std::int32_t high) {
  const auto n = ks::CellNumber(text);
  if (!n || *n < low || *n > high) return std::nullopt;
  return n;
}

std::string EntryLine(int service, const ks::KeyTableEntry& e) {
  return "service " + std::to_string(service) + " algorithm " + std::to_string(e.algorithm) + " key1 " +
         std::to_string(e.key1) + " key2 " + std::to_string(e.key2) + "\n";
}

int Show(const std::string& path) {
  const ks::KeyTable t = ks::ReadKeyTable(path);
  std::string out;
  char marker[16];
  std::snprintf(marker, sizeof marker, "%02X %02X %02X %02X", t.marker[0], t.marker[1], t.marker[2],
                t.marker[3]);
  out += "marker " + std::string(marker) + "\n";
  for (int s = 1; s <= ks::kServiceCount; ++s)
    out += EntryLine(s, t.entries[static_cast<std::size_t>(s - 1)]);
  std::fputs(out.c_str(), stdout);
  return 0;
}

int Set(const std::vector<std::string>& a) {
  const auto service = NumberIn(a[2], 1, ks::kServiceCount);
  if (!service) return Bad("SERVICE must be 1 to 8, not '" + a[2] + "'");
  const auto algorithm = NumberIn(a[3], ks::kAlgorithmNone, ks::kAlgorithm2);
  if (!algorithm) return Bad("ALGORITHM must be 0, 1 or 2, not '" + a[3] + "'");
  const auto key1 = ks::CellNumber(a[4]);
  if (!key1) return Bad("'" + a[4] + "' is not a valid integer value");
  const auto key2 = ks::CellNumber(a[5]);
  if (!key2) return Bad("'" + a[5] + "' is not a valid integer value");
  ks::KeyTableEntry entry;
  if (*algorithm != ks::kAlgorithmNone)
    entry = {static_cast<std::int16_t>(*algorithm), ks::StoredKey(*key1), ks::StoredKey(*key2), 0};
  const ks::KeyTable t = ks::WriteKeyTableEntry(a[1], *service, entry);
  std::fputs(EntryLine(*service, t.entries[static_cast<std::size_t>(*service - 1)]).c_str(), stdout);
  return 0;
}

int Map(const std::vector<std::string>& a) {
  const auto algorithm = NumberIn(a[1], ks::kAlgorithm1, ks::kAlgorithm2);
  if (!algorithm) return Bad("ALGORITHM must be 1 or 2, not '" + a[1] + "'");
  const auto key1 = ks::CellNumber(a[2]);
  if (!key1) return Bad("'" + a[2] + "' is not a valid integer value");
  const auto key2 = ks::CellNumber(a[3]);
  if (!key2) return Bad("'" + a[3] + "' is not a valid integer value");
  ks::Direction direction;
  if (a[4] == "real")
    direction = ks::Direction::RealToVirtual;
  else if (a[4] == "virtual")
    direction = ks::Direction::VirtualToReal;
  else
    return Bad("the direction is real or virtual, not '" + a[4] + "'");
  // Every PID is checked before anything is printed, so a bad one gives no partial output.
  std::string out;
  for (std::size_t i = 5; i < a.size(); ++i) {
    const auto pid = ks::CellNumber(a[i]);
    if (!pid) return Bad("'" + a[i] + "' is not a valid integer value");
    out += std::to_string(*ks::MapPid(*algorithm, ks::StoredKey(*key1), ks::StoredKey(*key2), direction,
                                      static_cast<std::uint32_t>(*pid))) +
           "\n";
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return Usage(stdout);
  if (args.size() == 2 && args[0] == "show") return Show(args[1]);
  if (args.size() == 6 && args[0] == "set") return Set(args);
  if (args.size() >= 6 && args[0] == "map") return Map(args);
  return Usage(stderr);
}

orvane::cli::Registrar reg({"keys", "show or set the key table of a database image file, map PIDs", Run});

}  // namespace
