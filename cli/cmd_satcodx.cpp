// orvane-cli satcodx: the SatCoDX import and the Internet download without a window.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "channeldb/include/korva.h"
#include "channeldb/records.h"
#include "cli/command.h"
#include "editor/database_files.h"
#include "satcodx/satcodx_download.h"
#include "satcodx/satcodx_import.h"
#include "urlfetch/include/quonel.h"

namespace {

using namespace orvane::satcodx;

constexpr char kUsage[] =
    "usage: orvane-cli satcodx [--dir DIR] COMMAND\n"
    "  import [OUT.tpd]      import ./satcodx.imp and ./import/*, print the satellite rows, save a database "
    "image\n"
    "  list                  print the satellites of ./satcodx.imp with their row numbers\n"
    "  download --all        fetch every listing of the index, then import\n"
    "  download ROW...       fetch the listings of these rows (numbers from 'list'), then import\n"
    "--dir DIR sets the working folder (default: the current folder).\n";

int TransponderCount(const DATABASESATELLITETABLE& db) {
  int n = 0;
  for (const auto& s : db.satellites)
    for (const auto& t : s.transponders) n += t.used() ? 1 : 0;
  return n;
}

void PrintModel(const DATABASESATELLITETABLE& db) {
  const auto rows = ImportSatelliteRows(db);
  for (const auto& r : rows) std::printf("%s\n", r.text.c_str());
  std::printf("satellites %d, transponders %d\n", static_cast<int>(rows.size()), TransponderCount(db));
}

void PrintReport(const ImportReport& r) {
  std::printf("index lines %d, listings read %d, missing %d, left out for want of slots %d\n", r.indexLines,
              r.listingsRead, r.listingsMissing, r.listingsLeftOut);
  std::printf("transponders past 120 left out %d, records with a polarisation digit 4-9 passed over %d\n",
              r.transpondersLeftOut, r.recordsUnmapped);
  for (const auto& refused : r.refusedNames) std::fprintf(stderr, "orvane-cli satcodx: passed over %s\n", refused.c_str());
}

int Save(const DATABASESATELLITETABLE& db, const std::string& out) {
  auto image = std::make_unique<SatelliteImage>();
  auto names = std::make_unique<SatelliteNameTable>();
  auto channels = std::make_unique<ChannelTable>();
  const auto outcome = orvane::editor::SaveDatabaseFile(out, db, static_cast<int>(ImportSatelliteRows(db).size()),
                                                        *image, *names, *channels);
  if (!outcome.ok()) {
    std::fprintf(stderr, "orvane-cli satcodx: %s\n", orvane::editor::SaveFailureText(out, outcome).c_str());
    return 1;
  }
  // Saved, but what a file cannot hold is said, as the editor says it.
  for (const auto& loss : orvane::editor::SaveLossTexts(out, outcome))
    std::fprintf(stderr, "orvane-cli satcodx: warning: %s\n", loss.c_str());
  std::printf("saved %s\n", out.c_str());
  return 0;
}

int Import(const std::filesystem::path& dir, const std::vector<std::string>& args) {
  if (args.size() > 1) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  auto db = std::make_unique<DATABASESATELLITETABLE>();
  try {
    const ImportReport report = ImportSatcodx(*db, dir);
    std::printf("%s\n", report.caption.c_str());
    PrintModel(*db);
    PrintReport(report);
  } catch (const SatcodxError& e) {
    std::fprintf(stderr, "orvane-cli satcodx: %s\n", e.what());
    PrintModel(*db);  // what the model holds after the failure
    return 1;
  }
  return args.empty() ? 0 : Save(*db, args[0]);
}

int List(const std::filesystem::path& dir) {
  int r = 0;
  try {
    ReadSelectionRows(dir, [&](const SelectionRow& row) {
      std::printf("%3d  %-40s %s\n", r++, row.text.c_str(), row.address.c_str());
    });
  } catch (const SatcodxError& e) {
    std::fprintf(stderr, "orvane-cli satcodx: %s\n", e.what());
    return 1;
  }
  return 0;
}

int Download(const std::filesystem::path& dir, const std::vector<std::string>& args) {
  std::vector<bool> marked;
  if (args.size() == 1 && args[0] == "--all") {
    int rows = 0;
    try {
      ReadSelectionRows(dir, [&](const SelectionRow&) { ++rows; });
    } catch (const SatcodxError& e) {
      std::fprintf(stderr, "orvane-cli satcodx: %s\n", e.what());
      return 1;
    }
    marked.assign(static_cast<std::size_t>(rows), true);
  } else if (!args.empty()) {
    for (const auto& a : args) {
      char* end = nullptr;
      const long row = std::strtol(a.c_str(), &end, 10);
      if (a.empty() || *end != '\0' || row < 0 || row > 100000) {
        std::fprintf(stderr, "orvane-cli satcodx: '%s' is not a row number\n", a.c_str());
        return 2;
      }
      if (marked.size() <= static_cast<std::size_t>(row))
        marked.resize(static_cast<std::size_t>(row) + 1, false);
      marked[static_cast<std::size_t>(row)] = true;
    }
  } else {
    std::fputs(kUsage, stderr);
    return 2;
  }

  auto db = std::make_unique<DATABASESATELLITETABLE>();
  auto buffer = std::make_unique<DownloadBuffer>();
  DownloadHooks hooks;
  hooks.setCaption = [](const std::string& c) {
    std::printf("%s\n", c.c_str());
    std::fflush(stdout);
  };
  try {
    const DownloadReport report = DownloadAndLoad(*db, marked, *buffer, &OpenUrl, hooks, dir);
    if (report.marked == 0) {
      std::printf("no row marked: nothing fetched\n");
      return 0;
    }
    for (const auto& f : report.fetches) {
      std::printf("row %d %s: result %d, stage %d, status %d, %d bytes%s%s\n", f.row, f.url.c_str(), f.result,
                  f.stage, f.status, f.size, f.written ? ", written to import/" : ", not written",
                  f.error.empty() ? "" : (" (" + f.error + ")").c_str());
    }
    PrintModel(*db);
    PrintReport(report.import);
  } catch (const SatcodxError& e) {
    std::fprintf(stderr, "orvane-cli satcodx: %s\n", e.what());
    PrintModel(*db);
    return 1;
  }
  return 0;
}

int Run(std::vector<std::string> args) {
  std::filesystem::path dir = ".";
  if (args.size() >= 2 && args[0] == "--dir") {
    dir = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  for (const auto& a : args)
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string cmd = args[0];
  args.erase(args.begin());
  if (cmd == "import") return Import(dir, args);
  if (cmd == "list" && args.empty()) return List(dir);
  if (cmd == "download") return Download(dir, args);
  std::fputs(kUsage, stderr);
  return 2;
}

orvane::cli::Registrar reg({"satcodx", "SatCoDX import and Internet download (import, list, download)",
                            [](const std::vector<std::string>& args) { return Run(args); }});

}  // namespace
