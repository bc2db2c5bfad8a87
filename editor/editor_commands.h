// The editor's undoable steps. Each keeps only what it changed: one record for a record edit or add, one
// transponder (channel commands) or one satellite (transponder commands) for the commands that rework a list,
// a row order for the satellite moves and sorts (plus the satellites a delete took away), and a compressed
// snapshot of the earlier model for an import or an Open. Undo and redo exchange the kept value with the
// model's, so a step holds one copy whichever way it was last run.
#pragma once

#include <QByteArray>
#include <QUndoCommand>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "channeldb/records.h"

namespace orvane::editor {

// Where the lists stand after a step is undone or redone: the satellite slot and transponder row that were
// current when the step was made.
struct EditorPlace {
  int satellite = 0;
  int transponder = 0;
};

// Told after every undo and every redo but the first (the command that makes a step shows its own result).
using ShowPlace = std::function<void(const EditorPlace&)>;

class ModelCommand : public QUndoCommand {
 public:
  ModelCommand(const QString& text, EditorPlace place, ShowPlace show);
  void redo() final;
  void undo() final;
  // The bytes this step keeps for undo and redo (its own object included).
  virtual std::size_t HeldBytes() const = 0;

 protected:
  // Makes the step (`first`: the first time, when it is pushed) and takes it back.
  virtual void Do(bool first) = 0;
  virtual void Undo() = 0;

 private:
  EditorPlace place_;
  ShowPlace show_;
  bool done_ = false;
};

// The satellite fields the satellite dialog edits.
struct SatelliteHeader {
  std::string name;
  std::int32_t diseqc = 0;
  std::uint32_t eastPosition = 0;
};
// The transponder fields the transponder dialog edits (its channels stay where they are).
struct TransponderFields {
  std::int32_t frequency = 0;
  std::int32_t symbolRate = 0;
  std::int32_t polarity = 0;
  std::int32_t fec = 0;
};

// The steps. Each factory takes the value after the step; the returned command makes it when pushed.
std::unique_ptr<ModelCommand> SetSatelliteHeader(DATABASESATELLITETABLE& db, int slot, SatelliteHeader after,
                                                 const QString& text, EditorPlace place, ShowPlace show);
std::unique_ptr<ModelCommand> SetTransponderFields(DATABASETRANSPONDERINFO& tp, TransponderFields after,
                                                   const QString& text, EditorPlace place, ShowPlace show);
std::unique_ptr<ModelCommand> SetChannel(DATABASECHANNELINFO& ch, DATABASECHANNELINFO after,
                                         const QString& text, EditorPlace place, ShowPlace show);
std::unique_ptr<ModelCommand> SetTransponder(DATABASETRANSPONDERINFO& tp, DATABASETRANSPONDERINFO after,
                                             const QString& text, EditorPlace place, ShowPlace show);
std::unique_ptr<ModelCommand> SetSatellite(DATABASESATELLITEINFO& sat,
                                           std::unique_ptr<DATABASESATELLITEINFO> after, const QString& text,
                                           EditorPlace place, ShowPlace show);

// Satellite `rowSlots[order[i]]` moves to `rowSlots[i]` (a drop or a sort of the satellite list).
std::unique_ptr<ModelCommand> ReorderSatellites(DATABASESATELLITETABLE& db, std::vector<int> rowSlots,
                                                std::vector<int> order, const QString& text,
                                                EditorPlace place, ShowPlace show);
// The selected rows go, the others move up, every slot after them becomes empty (DeleteSatellites).
std::unique_ptr<ModelCommand> DeleteSatelliteRows(DATABASESATELLITETABLE& db, std::vector<int> rowSlots,
                                                  const std::vector<bool>& selected, const QString& text,
                                                  EditorPlace place, ShowPlace show);

// A step that has already replaced the whole model (an import, an Open): `before` is SnapshotModel of the
// model as it was. Undo brings that back; redo the model as the step left it. `scratch` is where undo and
// redo write the snapshot of the model they replace (reused, owned by the caller, who outlives the command).
std::unique_ptr<ModelCommand> ReplacedModel(DATABASESATELLITETABLE& db, const std::string& before,
                                            std::string& scratch, const QString& text, EditorPlace place,
                                            ShowPlace show);

}  // namespace orvane::editor
