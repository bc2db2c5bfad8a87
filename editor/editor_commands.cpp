#include "editor/editor_commands.h"

#include <utility>

#include "editor/editor_core.h"
#include "editor/model_snapshot.h"

namespace orvane::editor {

ModelCommand::ModelCommand(const QString& text, EditorPlace place, ShowPlace show)
    : QUndoCommand(text), place_(place), show_(std::move(show)) {}

void ModelCommand::redo() {
  const bool first = !done_;
  Do(first);
  done_ = true;
  if (!first && show_) show_(place_);
}

void ModelCommand::undo() {
  Undo();
  if (show_) show_(place_);
}

namespace {

std::size_t StringHeap(const std::string& s) {
  // Short names live inside the string object itself.
  return s.capacity() > std::string().capacity() ? s.capacity() + 1 : 0;
}

std::size_t HeapOf(const DATABASECHANNELINFO& ch) {
  return StringHeap(ch.name);
}
std::size_t HeapOf(const DATABASETRANSPONDERINFO& tp) {
  std::size_t n = 0;
  for (const auto& ch : tp.channels) n += HeapOf(ch);
  return n;
}
std::size_t HeapOf(const DATABASESATELLITEINFO& sat) {
  std::size_t n = StringHeap(sat.name);
  for (const auto& tp : sat.transponders) n += HeapOf(tp);
  return n;
}
std::size_t HeapOf(const SatelliteHeader& h) {
  return StringHeap(h.name);
}
std::size_t HeapOf(const TransponderFields&) {
  return 0;
}

void Exchange(DATABASESATELLITEINFO& sat, SatelliteHeader& h) {
  std::swap(sat.name, h.name);
  std::swap(sat.diseqc, h.diseqc);
  std::swap(sat.eastPosition, h.eastPosition);
}
void Exchange(DATABASETRANSPONDERINFO& tp, TransponderFields& f) {
  std::swap(tp.frequency, f.frequency);
  std::swap(tp.symbolRate, f.symbolRate);
  std::swap(tp.polarity, f.polarity);
  std::swap(tp.fec, f.fec);
}
template <class T>
void Exchange(T& a, T& b) {
  std::swap(a, b);
}

// Exchanges a value kept in the command with the model's: the first run puts the new value in, and from then
// on the command holds whichever of the two the model does not.
template <class Target, class Value>
class ExchangeCommand : public ModelCommand {
 public:
  ExchangeCommand(Target& target, Value value, const QString& text, EditorPlace place, ShowPlace show)
      : ModelCommand(text, place, std::move(show)), target_(target), value_(std::move(value)) {}
  std::size_t HeldBytes() const override { return sizeof(*this) + HeapOf(value_); }

 protected:
  void Do(bool) override { Exchange(target_, value_); }
  void Undo() override { Exchange(target_, value_); }

 private:
  Target& target_;
  Value value_;
};

// A whole satellite is ~186 KB: kept on the heap, not inside the command object.
class SatelliteCommand : public ModelCommand {
 public:
  SatelliteCommand(DATABASESATELLITEINFO& target, std::unique_ptr<DATABASESATELLITEINFO> value,
                   const QString& text, EditorPlace place, ShowPlace show)
      : ModelCommand(text, place, std::move(show)), target_(target), value_(std::move(value)) {}
  std::size_t HeldBytes() const override { return sizeof(*this) + sizeof(*value_) + HeapOf(*value_); }

 protected:
  void Do(bool) override { std::swap(target_, *value_); }
  void Undo() override { std::swap(target_, *value_); }

 private:
  DATABASESATELLITEINFO& target_;
  std::unique_ptr<DATABASESATELLITEINFO> value_;
};

std::vector<DATABASESATELLITEINFO*> Rows(DATABASESATELLITETABLE& db, const std::vector<int>& rowSlots) {
  std::vector<DATABASESATELLITEINFO*> rows;
  rows.reserve(rowSlots.size());
  for (int s : rowSlots) rows.push_back(&db.satellites.at(static_cast<std::size_t>(s)));
  return rows;
}

class ReorderCommand : public ModelCommand {
 public:
  ReorderCommand(DATABASESATELLITETABLE& db, std::vector<int> rowSlots, std::vector<int> order,
                 const QString& text, EditorPlace place, ShowPlace show)
      : ModelCommand(text, place, std::move(show)),
        db_(db),
        slots_(std::move(rowSlots)),
        order_(std::move(order)),
        inverse_(InverseOrder(order_)) {}
  std::size_t HeldBytes() const override {
    return sizeof(*this) + (slots_.capacity() + order_.capacity() + inverse_.capacity()) * sizeof(int);
  }

 protected:
  void Do(bool) override { ApplyOrder(Rows(db_, slots_), order_); }
  void Undo() override { ApplyOrder(Rows(db_, slots_), inverse_); }

 private:
  DATABASESATELLITETABLE& db_;
  std::vector<int> slots_, order_, inverse_;
};

// Snapshots are kept compressed. Level 1: most of what a model repeats (names, PIDs in steps) is found at
// once; higher levels cost several times the time for a few per cent.
QByteArray Pack(const std::string& snapshot) {
  QByteArray packed =
      qCompress(reinterpret_cast<const uchar*>(snapshot.data()), static_cast<qsizetype>(snapshot.size()), 1);
  packed.squeeze();  // the compressor's buffer is sized for bytes that do not compress
  return packed;
}
std::string_view View(const QByteArray& bytes) {
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// A delete is a reorder (the kept rows first, the deleted ones after them) followed by emptying every slot
// from the first deleted row on. What is emptied is kept as a compressed snapshot: a copy of 100 full
// satellites would take 18 MB of fresh memory, whose first touch alone costs more than the whole command may.
class DeleteSatellitesCommand : public ModelCommand {
 public:
  DeleteSatellitesCommand(DATABASESATELLITETABLE& db, std::vector<int> rowSlots, std::vector<int> order,
                          std::vector<int> emptied, const QString& text, EditorPlace place, ShowPlace show)
      : ModelCommand(text, place, std::move(show)),
        db_(db),
        slots_(std::move(rowSlots)),
        order_(std::move(order)),
        inverse_(InverseOrder(order_)),
        emptied_(std::move(emptied)) {}
  std::size_t HeldBytes() const override {
    return sizeof(*this) +
           (slots_.capacity() + order_.capacity() + inverse_.capacity() + emptied_.capacity()) * sizeof(int) +
           static_cast<std::size_t>(packed_.capacity());
  }

 protected:
  void Do(bool first) override {
    ApplyOrder(Rows(db_, slots_), order_);
    // A redo finds the same satellites in the same slots as the first run did.
    if (first) packed_ = Pack(SnapshotSatellites(db_, emptied_));
    for (int s : emptied_) ClearSatellite(db_.satellites.at(static_cast<std::size_t>(s)));
  }
  void Undo() override {
    const QByteArray bytes = qUncompress(packed_);
    RestoreSatellites(View(bytes), db_);
    ApplyOrder(Rows(db_, slots_), inverse_);
  }

 private:
  DATABASESATELLITETABLE& db_;
  std::vector<int> slots_, order_, inverse_, emptied_;
  QByteArray packed_;
};

class ReplacedModelCommand : public ModelCommand {
 public:
  ReplacedModelCommand(DATABASESATELLITETABLE& db, const std::string& before, std::string& scratch,
                       const QString& text, EditorPlace place, ShowPlace show)
      : ModelCommand(text, place, std::move(show)), db_(db), scratch_(scratch), other_(Pack(before)) {}
  std::size_t HeldBytes() const override {
    return sizeof(*this) + static_cast<std::size_t>(other_.capacity());
  }

 protected:
  void Do(bool first) override {
    if (!first) Exchange();
  }
  void Undo() override { Exchange(); }

 private:
  void Exchange() {
    SnapshotModel(db_, scratch_);
    QByteArray now = Pack(scratch_);
    const QByteArray bytes = qUncompress(other_);
    RestoreModel(View(bytes), db_);
    other_ = std::move(now);
  }

  DATABASESATELLITETABLE& db_;
  std::string& scratch_;
  QByteArray other_;
};

}  // namespace

std::unique_ptr<ModelCommand> SetSatelliteHeader(DATABASESATELLITETABLE& db, int slot, SatelliteHeader after,
                                                 const QString& text, EditorPlace place, ShowPlace show) {
  return std::make_unique<ExchangeCommand<DATABASESATELLITEINFO, SatelliteHeader>>(
      db.satellites.at(static_cast<std::size_t>(slot)), std::move(after), text, place, std::move(show));
}

std::unique_ptr<ModelCommand> SetTransponderFields(DATABASETRANSPONDERINFO& tp, TransponderFields after,
                                                   const QString& text, EditorPlace place, ShowPlace show) {
  return std::make_unique<ExchangeCommand<DATABASETRANSPONDERINFO, TransponderFields>>(tp, after, text, place,
                                                                                       std::move(show));
}

std::unique_ptr<ModelCommand> SetChannel(DATABASECHANNELINFO& ch, DATABASECHANNELINFO after,
                                         const QString& text, EditorPlace place, ShowPlace show) {
  return std::make_unique<ExchangeCommand<DATABASECHANNELINFO, DATABASECHANNELINFO>>(
      ch, std::move(after), text, place, std::move(show));
}

std::unique_ptr<ModelCommand> SetTransponder(DATABASETRANSPONDERINFO& tp, DATABASETRANSPONDERINFO after,
                                             const QString& text, EditorPlace place, ShowPlace show) {
  return std::make_unique<ExchangeCommand<DATABASETRANSPONDERINFO, DATABASETRANSPONDERINFO>>(
      tp, std::move(after), text, place, std::move(show));
}

std::unique_ptr<ModelCommand> SetSatellite(DATABASESATELLITEINFO& sat,
                                           std::unique_ptr<DATABASESATELLITEINFO> after, const QString& text,
                                           EditorPlace place, ShowPlace show) {
  return std::make_unique<SatelliteCommand>(sat, std::move(after), text, place, std::move(show));
}

std::unique_ptr<ModelCommand> ReorderSatellites(DATABASESATELLITETABLE& db, std::vector<int> rowSlots,
                                                std::vector<int> order, const QString& text,
                                                EditorPlace place, ShowPlace show) {
  return std::make_unique<ReorderCommand>(db, std::move(rowSlots), std::move(order), text, place,
                                          std::move(show));
}

std::unique_ptr<ModelCommand> DeleteSatelliteRows(DATABASESATELLITETABLE& db, std::vector<int> rowSlots,
                                                  const std::vector<bool>& selected, const QString& text,
                                                  EditorPlace place, ShowPlace show) {
  // As DeleteSatellites: the kept rows move to the front rows, the rows left over and every slot after the
  // last row become empty.
  std::vector<int> order = KeptRows(selected);
  const std::size_t kept = order.size();
  for (std::size_t r = 0; r < selected.size(); ++r)
    if (selected[r]) order.push_back(static_cast<int>(r));
  std::vector<int> emptied;
  for (std::size_t r = kept; r < rowSlots.size(); ++r) emptied.push_back(rowSlots[r]);
  for (int s = rowSlots.empty() ? kSatelliteSlots : rowSlots.back() + 1; s < kSatelliteSlots; ++s)
    emptied.push_back(s);
  return std::make_unique<DeleteSatellitesCommand>(db, std::move(rowSlots), std::move(order),
                                                   std::move(emptied), text, place, std::move(show));
}

std::unique_ptr<ModelCommand> ReplacedModel(DATABASESATELLITETABLE& db, const std::string& before,
                                            std::string& scratch, const QString& text, EditorPlace place,
                                            ShowPlace show) {
  return std::make_unique<ReplacedModelCommand>(db, before, scratch, text, place, std::move(show));
}

}  // namespace orvane::editor
