// Files fetched from the Internet: arbitrary bytes as the index and two listings in a scratch working folder,
// through the import and the satellite rows. Input: index, then the listings, separated by "\n==\n".
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "channeldb/records.h"
#include "satcodx/satcodx_import.h"

namespace {

namespace fs = std::filesystem;

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    std::string t = (fs::temp_directory_path() / "fuzz-satcodx-XXXXXX").string();
    if (!::mkdtemp(t.data())) std::abort();
    fs::create_directories(fs::path(t) / "import");
    return fs::path(t);
  }();
  return dir;
}

void Put(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto db = std::make_unique<DATABASESATELLITETABLE>();
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kSeparator = "\n==\n";
  std::string_view parts[3];
  std::string_view rest = all;
  for (int i = 0; i < 3; ++i) {
    const std::size_t at = i < 2 ? rest.find(kSeparator) : std::string_view::npos;
    parts[i] = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + kSeparator.size());
  }
  const fs::path& dir = WorkDir();
  Put(dir / "satcodx.imp", parts[0]);
  Put(dir / "import" / "a.sdx", parts[1]);
  Put(dir / "import" / "b.sdx", parts[2]);
  try {
    const auto report = orvane::satcodx::ImportSatcodx(*db, dir);
    if (report.satellites != db->count || db->count < 0 || db->count > kSatelliteSlots) std::abort();
  } catch (const orvane::satcodx::SatcodxError&) {
  }
  for (const auto& sat : db->satellites) {
    if (sat.eastPosition >= 3600) std::abort();
    for (const auto& tp : sat.transponders)
      if (tp.used() && (tp.polarity < 0 || tp.polarity > 1 || tp.fec < 0 || tp.fec > 5)) std::abort();
  }
  orvane::satcodx::ImportSatelliteRows(*db);
  return 0;
}
