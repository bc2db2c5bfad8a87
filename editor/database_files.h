// Opening and saving database image files through the Korva library, and the warnings a save must give so
// that nothing is lost behind the user's back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "channeldb/records.h"
#include "common/file_names.h"

namespace orvane::editor {

// The path every save writes as well, and which "Update channel data" hands to the software update tool.
inline constexpr const char* kLatestDatabasePath = files::kLatestDatabasePath;
// What the save dialog proposes.
inline constexpr const char* kDefaultDatabasePath = files::kDefaultDatabasePath;

// Loads `path` into the three buffers (a missing or damaged file gives the library's defaults) and rebuilds
// the model from them.
ImageToModelReport OpenDatabaseFile(const std::string& path, DATABASESATELLITETABLE& db,
                                    SatelliteImage& image, SatelliteNameTable& names, ChannelTable& channels);

struct SaveOutcome {
  std::int32_t result = 0;  // KORVA_SAVE_*
  int savedErrno = 0;       // errno right after a failed save
  ModelToImageReport report;
  bool ok() const;
};

// Converts the model into the three buffers and writes them to `path`. `namedSlots` is how many leading
// satellite slots keep their names (NamedSatelliteSlots).
SaveOutcome SaveDatabaseFile(const std::string& path, const DATABASESATELLITETABLE& db, int namedSlots,
                             SatelliteImage& image, SatelliteNameTable& names, ChannelTable& channels);

// The message for a save that wrote nothing.
std::string SaveFailureText(const std::string& path, const SaveOutcome& outcome);
// What the saved file does not hold although the model does (channels beyond 400, transponders beyond 3999);
// empty when it holds everything.
std::vector<std::string> SaveLossTexts(const std::string& path, const SaveOutcome& outcome);

}  // namespace orvane::editor
