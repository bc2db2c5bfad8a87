// A compact copy of the whole editing model, for steps that replace all of it (an import, an Open) and must
// be able to bring the earlier model back. Only slots that hold something are written, so a model with a few
// thousand transponders takes a few hundred kilobytes instead of the 29 MB the slots occupy.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "channeldb/records.h"

namespace orvane::editor {

// A slot that holds nothing at all (every value zero, every name empty).
bool SatelliteSlotEmpty(const DATABASESATELLITEINFO& satellite);

// Every slot that is not empty, with its slot number, in a private byte layout.
std::string SnapshotModel(const DATABASESATELLITETABLE& db);
// The same into `out`, reusing its storage: a full model's snapshot is some 15 MB, and fresh memory of that
// size costs more to touch the first time than writing the snapshot does.
void SnapshotModel(const DATABASESATELLITETABLE& db, std::string& out);
// Puts a snapshot back: every slot it does not name becomes empty. False (and the model left empty from the
// first bad byte on) when the bytes are not a snapshot.
bool RestoreModel(std::string_view snapshot, DATABASESATELLITETABLE& db);

// The same for some satellite slots only (the satellites a delete empties): RestoreSatellites writes the
// slots the snapshot names and leaves every other slot as it is.
std::string SnapshotSatellites(const DATABASESATELLITETABLE& db, const std::vector<int>& slots);
bool RestoreSatellites(std::string_view snapshot, DATABASESATELLITETABLE& db);

}  // namespace orvane::editor
