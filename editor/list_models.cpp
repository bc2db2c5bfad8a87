#include "editor/list_models.h"

#include <algorithm>

#include "common/latin1.h"
#include "editor/editor_core.h"

namespace orvane::editor {

namespace {

bool IsRow(const QModelIndex& index, int rows) {
  return index.isValid() && !index.parent().isValid() && index.column() == 0 && index.row() >= 0 &&
         index.row() < rows;
}

}  // namespace

void RecordListModel::RowChanged(int row) {
  if (row < 0 || row >= rowCount()) return;
  const QModelIndex i = index(row);
  emit dataChanged(i, i, {Qt::DisplayRole});
}

int LeadingSlotsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

bool LeadingSlotsModel::IsListedRow(const QModelIndex& index) const { return IsRow(index, rows_); }

void LeadingSlotsModel::Clear() {
  beginResetModel();
  rows_ = 0;
  endResetModel();
}

void LeadingSlotsModel::AppendRows(int count) {
  count = std::min(count, slotCount_ - rows_);
  if (count <= 0) return;
  beginInsertRows({}, rows_, rows_ + count - 1);
  rows_ += count;
  endInsertRows();
}

// ---- Satellites
// ---------------------------------------------------------------------------------------------

SatelliteListModel::SatelliteListModel(const DATABASESATELLITETABLE& db, QObject* parent)
    : RecordListModel(db, parent) {}

int SatelliteListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rowSlots_.size());
}

QVariant SatelliteListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !IsRow(index, rowCount())) return {};
  const int slot = rowSlots_[static_cast<std::size_t>(index.row())];
  return orvane::text::FromLatin1(SatelliteRow(slot, db_.satellites[static_cast<std::size_t>(slot)]));
}

int SatelliteListModel::RowOf(int slot) const {
  const auto it = std::find(rowSlots_.begin(), rowSlots_.end(), slot);
  return it == rowSlots_.end() ? -1 : static_cast<int>(it - rowSlots_.begin());
}

void SatelliteListModel::ShowRows(std::vector<int> rowSlots) {
  std::erase_if(rowSlots, [](int s) { return s < 0 || s >= kSatelliteSlots; });
  beginResetModel();
  rowSlots_ = std::move(rowSlots);
  endResetModel();
}

void SatelliteListModel::AppendRow(int slot) {
  if (slot < 0 || slot >= kSatelliteSlots) return;
  const int row = rowCount();
  beginInsertRows({}, row, row);
  rowSlots_.push_back(slot);
  endInsertRows();
}

// ---- Transponders
// -------------------------------------------------------------------------------------------

TransponderListModel::TransponderListModel(const DATABASESATELLITETABLE& db, QObject* parent)
    : LeadingSlotsModel(db, kTransponderSlots, parent) {}

QVariant TransponderListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !IsListedRow(index)) return {};
  const auto& sat = db_.satellites[static_cast<std::size_t>(satellite_)];
  return orvane::text::FromLatin1(
      TransponderRow(index.row(), sat.transponders[static_cast<std::size_t>(index.row())]));
}

void TransponderListModel::ShowSatellite(int slot) {
  beginResetModel();
  satellite_ = std::clamp(slot, 0, kSatelliteSlots - 1);
  rows_ = TransponderRowCount(db_.satellites[static_cast<std::size_t>(satellite_)]);
  endResetModel();
}

// ---- Channels
// -------------------------------------------------------------------------------------------------

ChannelListModel::ChannelListModel(const DATABASESATELLITETABLE& db, QObject* parent)
    : LeadingSlotsModel(db, kChannelSlots, parent) {}

const DATABASETRANSPONDERINFO& ChannelListModel::Transponder() const {
  return db_.satellites[static_cast<std::size_t>(satellite_)].transponders[static_cast<std::size_t>(transponder_)];
}

QVariant ChannelListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !IsListedRow(index)) return {};
  const auto& tp = Transponder();
  return orvane::text::FromLatin1(ChannelRow(tp.channels[static_cast<std::size_t>(index.row())], tp.analog()));
}

void ChannelListModel::ShowTransponder(int satelliteSlot, int transponderSlot) {
  beginResetModel();
  satellite_ = std::clamp(satelliteSlot, 0, kSatelliteSlots - 1);
  transponder_ = std::clamp(transponderSlot, 0, kTransponderSlots - 1);
  rows_ = ChannelRowCount(Transponder());
  endResetModel();
}

}  // namespace orvane::editor
