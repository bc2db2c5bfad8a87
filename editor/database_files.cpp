#include "editor/database_files.h"

#include <cerrno>
#include <cstring>

#include "channeldb/include/korva.h"
#include "common/file_io.h"

namespace orvane::editor {

bool SaveOutcome::ok() const {
  return result == KORVA_SAVE_OK;
}

ImageToModelReport OpenDatabaseFile(const std::string& path, DATABASESATELLITETABLE& db,
                                    SatelliteImage& image, SatelliteNameTable& names,
                                    ChannelTable& channels) {
  DELVO_LoadNewData(path.c_str(), image.bytes.data(), names.bytes.data(), channels.bytes.data());
  return ImageToModel(image, names, channels, db);
}

SaveOutcome SaveDatabaseFile(const std::string& path, const DATABASESATELLITETABLE& db, int namedSlots,
                             SatelliteImage& image, SatelliteNameTable& names, ChannelTable& channels) {
  SaveOutcome outcome;
  outcome.report = ModelToImage(db, namedSlots, image, names, channels);
  errno = 0;
  outcome.result =
      DELVO_SaveNewData(path.c_str(), image.bytes.data(), names.bytes.data(), channels.bytes.data());
  outcome.savedErrno = errno;
  return outcome;
}

std::string SaveFailureText(const std::string& path, const SaveOutcome& outcome) {
  std::string why;
  switch (outcome.result) {
    case KORVA_SAVE_PACKED_TOO_BIG:
    case KORVA_SAVE_INNER_TOO_BIG:
      why = "the database does not fit into a database file";
      break;
    case KORVA_SAVE_CANNOT_CREATE:
    case KORVA_SAVE_WRITE_FAILED:
      // The writer's own check names reasons errno has no word for (a target that is no regular file).
      try {
        files::CheckWritable(path);
        why = outcome.savedErrno != 0 ? std::strerror(outcome.savedErrno) : "the file could not be written";
      } catch (const files::FileError& e) {
        why = e.reason();
      }
      break;
    default:
      why = "error " + std::to_string(outcome.result);
      break;
  }
  return "Could not save " + path + ": " + why + ". Nothing was written.";
}

std::vector<std::string> SaveLossTexts(const std::string& path, const SaveOutcome& outcome) {
  std::vector<std::string> texts;
  const auto& r = outcome.report;
  if (r.channelsLeftOut > 0)
    texts.push_back(std::to_string(r.channelsLeftOut) + " channels were left out of " + path +
                    ": a database file holds at most " + std::to_string(kChannelTableEntries) + " channels.");
  if (r.transpondersStored > kMaxStoredTransponders)
    texts.push_back(std::to_string(r.transpondersStored) + " transponders are in use, but " + path +
                    " keeps only the first " + std::to_string(kMaxStoredTransponders) + "; the other " +
                    std::to_string(r.transpondersStored - kMaxStoredTransponders) + " are left out.");
  return texts;
}

}  // namespace orvane::editor
