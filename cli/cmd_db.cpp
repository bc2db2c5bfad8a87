// orvane-cli db: look at, check, create, export and compare database image files without the editor window.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "channeldb/include/korva.h"
#include "channeldb/korva_internal.h"
#include "channeldb/records.h"
#include "cli/command.h"
#include "common/file_io.h"
#include "editor/database_files.h"
#include "editor/database_report.h"
#include "editor/editor_core.h"

namespace {

struct Buffers {
  std::unique_ptr<SatelliteImage> image = std::make_unique<SatelliteImage>();
  std::unique_ptr<SatelliteNameTable> names = std::make_unique<SatelliteNameTable>();
  std::unique_ptr<ChannelTable> channels = std::make_unique<ChannelTable>();
  std::unique_ptr<DATABASESATELLITETABLE> db = std::make_unique<DATABASESATELLITETABLE>();
};

int Usage(std::FILE* out) {
  std::fprintf(out,
               "usage: orvane-cli db show FILE       print the satellite, transponder and channel lists\n"
               "       orvane-cli db check FILE      say what is wrong with a database image file\n"
               "       orvane-cli db defaults OUT    write the built-in default database to OUT\n"
               "       orvane-cli db export FILE OUT.csv\n"
               "                                     write the lists as CSV (UTF-8, one row per channel)\n"
               "       orvane-cli db diff A B        list what B adds to, removes from and changes in A;\n"
               "                                     exit status 0 when equal, 1 when not, 2 on trouble\n");
  return out == stderr ? 2 : 0;
}

// Export and diff work on what the file holds, so a file that cannot be read or is no database image file is
// refused instead of being read as the built-in defaults (as the editor's Open would).
bool LoadModel(const char* verb, const std::string& path, Buffers& b) {
  const std::string error = orvane::editor::ReadDatabaseFile(path, *b.db);
  if (!error.empty()) std::fprintf(stderr, "orvane-cli db %s: %s\n", verb, error.c_str());
  return error.empty();
}

// The editor's three lists, nested: each satellite row, its transponder rows, their channel rows.
int Show(const std::string& path) {
  Buffers b;
  const korva::LoadReport r =
      korva::LoadFile(path.c_str(), b.image->bytes.data(), b.names->bytes.data(), b.channels->bytes.data());
  if (!r.fileRead) std::fprintf(stderr, "%s; showing the built-in default database\n", r.readError.c_str());
  ImageToModel(*b.image, *b.names, *b.channels, *b.db);
  const auto& db = *b.db;
  const std::vector<int> slots = orvane::editor::SatelliteRowSlots(db);
  for (const int s : slots) {
    const auto& sat = db.satellites[static_cast<std::size_t>(s)];
    std::printf("%s\n", orvane::editor::SatelliteRow(s, sat).c_str());
    const int tps = orvane::editor::TransponderRowCount(sat);
    for (int t = 0; t < tps; ++t) {
      const auto& tp = sat.transponders[static_cast<std::size_t>(t)];
      std::printf("    %s\n", orvane::editor::TransponderRow(t, tp).c_str());
      const int chs = orvane::editor::ChannelRowCount(tp);
      for (int c = 0; c < chs; ++c)
        std::printf("        %s\n", orvane::editor::ChannelRow(tp.channels[static_cast<std::size_t>(c)], tp.analog()).c_str());
    }
  }
  std::printf("%s\n", orvane::editor::StatusLine(db, static_cast<int>(slots.size()), -1).c_str());
  return 0;
}

int Check(const std::string& path) {
  namespace fl = korva::file_layout;
  namespace il = korva::inner_layout;
  namespace pl = korva::packed_layout;
  Buffers b;
  const korva::LoadReport r =
      korva::LoadFile(path.c_str(), b.image->bytes.data(), b.names->bytes.data(), b.channels->bytes.data());
  const ImageToModelReport m = ImageToModel(*b.image, *b.names, *b.channels, *b.db);
  int problems = 0;
  auto problem = [&](const std::string& text) {
    std::printf("problem: %s\n", text.c_str());
    ++problems;
  };
  auto note = [](const std::string& text) { std::printf("%s\n", text.c_str()); };

  if (!r.fileRead) {
    problem(r.readError + "; it opens as the built-in default database");
    return 1;
  }
  note("file: " + std::to_string(r.fileSize) + " bytes");
  if (r.fileSize != fl::kSize)
    problem("a database image file has 65536 bytes; the missing bytes read as zero");
  if (!r.outerMarkersValid) {
    problem("the markers at 0x0000 and 0x6FFC are not BAB0BAB0: this is not a database image file; it opens as "
            "the built-in default database without names or channels");
    return 1;
  }
  note("compressed channel block: " + std::to_string(r.storedL1) + " bytes, decoding to " +
       std::to_string(r.innerBytes) + " of " + std::to_string(il::kSize));
  if (r.storedL1 > fl::kMaxLength)
    problem("its length is beyond the 28660 bytes of room; only those were decoded");
  if (r.innerOverflow) problem("it decodes to more than 45056 bytes; the rest was dropped");
  else if (r.innerBytes < il::kSize) problem("it decodes to fewer than 45056 bytes; the rest reads as zero");
  if (!r.innerMarkersValid) {
    problem("the markers inside the channel block are wrong: the satellites open as the built-in defaults, the "
            "names and channels are taken from the file");
  } else {
    note("compressed satellite block: " + std::to_string(r.storedL2) + " bytes, decoding to " +
         std::to_string(r.packedBytes) + " of " + std::to_string(pl::kSize));
    if (r.storedL2 > il::kMaxLength)
      problem("its length is beyond the 16372 bytes of room; only those were decoded");
    if (r.packedOverflow) problem("it decodes to more than 30352 bytes; the rest was dropped");
  }
  if (r.innerMarkersValid && !r.unpack.markersValid)
    problem("the satellite block's markers are not BAB0C0FF: the satellites open as the built-in defaults");
  if (r.unpack.markersValid) {
    note("stored transponders: " + std::to_string(r.unpack.storedCount));
    if (r.unpack.beyondRoom)
      problem("the count is beyond the 4000 entries there is room for; " + std::to_string(r.unpack.beyondRoom) +
              " do not exist");
    if (r.unpack.outOfGrid)
      problem(std::to_string(r.unpack.outOfGrid) + " stored transponders name a satellite above 155 or a slot "
              "above 119 and were skipped");
    if (r.unpack.repeated)
      problem(std::to_string(r.unpack.repeated) + " stored transponders repeat a slot given before and were "
              "skipped");
  }
  if (m.channelEntriesBeyond400)
    problem("the channel table's count is " + std::to_string(m.channelEntriesBeyond400 + kChannelTableEntries) +
            ", beyond its 400 entries");
  if (m.channelEntriesOutOfRange)
    problem(std::to_string(m.channelEntriesOutOfRange) + " channel entries name a slot outside the grid and were "
            "skipped");
  if (m.channelEntriesRepeated)
    problem(std::to_string(m.channelEntriesRepeated) + " channel entries repeat a slot given before and were "
            "skipped");
  note(std::string("positions: ") + (m.writtenByProgram ? "tenths of a degree (written by this program)"
                                     : m.positionsInWholeDegrees ? "whole degrees"
                                                                 : "tenths of a degree"));
  const std::vector<int> slots = orvane::editor::SatelliteRowSlots(*b.db);
  note(orvane::editor::StatusLine(*b.db, static_cast<int>(slots.size()), -1));
  std::printf(problems ? "%d problem(s) found\n" : "no problems found\n", problems);
  return problems ? 1 : 0;
}

int Defaults(const std::string& out) {
  Buffers b;
  DELVO_LoadDefaultData(b.image->bytes.data());
  const int result = DELVO_SaveNewData(out.c_str(), b.image->bytes.data(), b.names->bytes.data(),
                                       b.channels->bytes.data());
  if (result != KORVA_SAVE_OK) {
    orvane::editor::SaveOutcome outcome;
    outcome.result = result;
    outcome.savedErrno = errno;
    std::fprintf(stderr, "%s\n", orvane::editor::SaveFailureText(out, outcome).c_str());
    return 1;
  }
  std::printf("wrote the default database to %s\n", out.c_str());
  return 0;
}

int Export(const std::string& path, const std::string& out) {
  namespace files = orvane::files;
  try {
    // Writing the CSV over the database it came from would lose the database.
    std::error_code ec;
    if (std::filesystem::equivalent(path, files::ResolveWriteTarget(out), ec)) {
      std::fprintf(stderr, "orvane-cli db export: %s is the database being exported; nothing was written\n",
                   out.c_str());
      return 1;
    }
    Buffers b;
    if (!LoadModel("export", path, b)) return 1;
    files::WriteFileWhole(out, orvane::editor::DatabaseCsv(*b.db));
  } catch (const files::FileError& e) {
    std::fprintf(stderr, "orvane-cli db export: %s\n", e.what());
    return 1;
  }
  std::printf("wrote %s\n", out.c_str());
  return 0;
}

int Diff(const std::string& pathA, const std::string& pathB) {
  constexpr int kEqual = 0, kDifferent = 1, kTrouble = 2;
  try {
    Buffers a, b;
    if (!LoadModel("diff", pathA, a) || !LoadModel("diff", pathB, b)) return kTrouble;
    const orvane::editor::DatabaseDiff diff = orvane::editor::CompareDatabases(*a.db, *b.db);
    std::fputs(orvane::editor::DiffReport(*a.db, *b.db, diff, pathA, pathB).c_str(), stdout);
    return diff.equal() ? kEqual : kDifferent;
  } catch (const std::exception& e) {  // status 1 would read as "different"
    std::fprintf(stderr, "orvane-cli db diff: %s\n", e.what());
    return kTrouble;
  }
}

int Run(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return Usage(stdout);
  if (args.size() == 2) {
    if (args[0] == "show") return Show(args[1]);
    if (args[0] == "check") return Check(args[1]);
    if (args[0] == "defaults") return Defaults(args[1]);
  }
  if (args.size() == 3) {
    if (args[0] == "export") return Export(args[1], args[2]);
    if (args[0] == "diff") return Diff(args[1], args[2]);
  }
  return Usage(stderr);
}

orvane::cli::Registrar reg({"db", "show, check, create, export or compare database image files (*.tpd)",
                            Run});

}  // namespace
