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

// A delete is a reorder (the kept rows first, the deleted ones after them) followed by emptying every slot
// from the first deleted row on; what was emptied is moved into the command, not copied.
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
    std::size_t n =
        sizeof(*this) +
        (slots_.capacity() + order_.capacity() + inverse_.capacity() + emptied_.capacity()) * sizeof(int);
    for (const auto& sat : kept_)
      if (sat) n += sizeof(*sat) + HeapOf(*sat);
    return n;
  }

 protected:
  void Do(bool) override {
    ApplyOrder(Rows(db_, slots_), order_);
    kept_.clear();
    kept_.reserve(emptied_.size());
    for (int s : emptied_) {
      auto& sat = db_.satellites.at(static_cast<std::size_t>(s));
      if (SatelliteSlotEmpty(sat)) {
        kept_.push_back(nullptr);  // most rowSlots after the last row hold nothing to keep
        continue;
      }
      kept_.push_back(std::make_unique<DATABASESATELLITEINFO>(std::move(sat)));
      sat = DATABASESATELLITEINFO{};
    }
  }
  void Undo() override {
    for (std::size_t i = 0; i < emptied_.size() && i < kept_.size(); ++i)
      if (kept_[i]) db_.satellites.at(static_cast<std::size_t>(emptied_[i])) = std::move(*kept_[i]);
    kept_.clear();
    ApplyOrder(Rows(db_, slots_), inverse_);
  }

 private:
  DATABASESATELLITETABLE& db_;
  std::vector<int> slots_, order_, inverse_, emptied_;
  std::vector<std::unique_ptr<DATABASESATELLITEINFO>> kept_;
};

class ReplacedModelCommand : public ModelCommand {
 public:
  ReplacedModelCommand(DATABASESATELLITETABLE& db, const std::string& before, const QString& text,
                       EditorPlace place, ShowPlace show)
      : ModelCommand(text, place, std::move(show)), db_(db), other_(Pack(before)) {}
  std::size_t HeldBytes() const override {
    return sizeof(*this) + static_cast<std::size_t>(other_.capacity());
  }

 protected:
  void Do(bool first) override {
    if (!first) Exchange();
  }
  void Undo() override { Exchange(); }

 private:
  static QByteArray Pack(const std::string& snapshot) {
    // Level 1: most of what a model repeats (names, PIDs in steps) is found at once; higher levels cost
    // several times the time for a few per cent.
    return qCompress(reinterpret_cast<const uchar*>(snapshot.data()), static_cast<qsizetype>(snapshot.size()),
                     1);
  }
  void Exchange() {
    QByteArray now = Pack(SnapshotModel(db_));
    const QByteArray bytes = qUncompress(other_);
    RestoreModel(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), db_);
    other_ = std::move(now);
  }

  DATABASESATELLITETABLE& db_;
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
                                            const QString& text, EditorPlace place, ShowPlace show) {
  return std::make_unique<ReplacedModelCommand>(db, before, text, place, std::move(show));
}

}  // namespace orvane::editor
