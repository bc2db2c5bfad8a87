// The editor's three lists as models over the program's database: the satellites (with the map from rows to
// the slots they stand for), the transponders of one satellite and the channels of one transponder. A row
// shows the record as it is now; which rows there are is fixed when a list is shown again (a reset) or grows
// by the rows that an add or a paste brings.
#pragma once

#include <QAbstractListModel>
#include <vector>

#include "channeldb/records.h"

namespace orvane::editor {

// What the three lists share: the database they show and the repainting of one row.
class RecordListModel : public QAbstractListModel {
 public:
  // The record of `row` has changed.
  void RowChanged(int row);

 protected:
  RecordListModel(const DATABASESATELLITETABLE& db, QObject* parent) : QAbstractListModel(parent), db_(db) {}
  const DATABASESATELLITETABLE& db_;
};

// A list whose rows are the first slots of a table of `slotCount` (the transponders of a satellite, the
// channels of a transponder).
class LeadingSlotsModel : public RecordListModel {
 public:
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  void Clear();
  // The next `count` slots become rows as well (records added or pasted).
  void AppendRows(int count);

 protected:
  LeadingSlotsModel(const DATABASESATELLITETABLE& db, int slotCount, QObject* parent)
      : RecordListModel(db, parent), slotCount_(slotCount) {}
  bool IsListedRow(const QModelIndex& index) const;
  int rows_ = 0;

 private:
  int slotCount_;
};

class SatelliteListModel : public RecordListModel {
  Q_OBJECT

 public:
  explicit SatelliteListModel(const DATABASESATELLITETABLE& db, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // Row i stands for slot RowSlots()[i].
  const std::vector<int>& RowSlots() const { return rowSlots_; }
  // The row that shows `slot`, or -1.
  int RowOf(int slot) const;
  // Shows these slots, one row each; slots outside the table are left out.
  void ShowRows(std::vector<int> rowSlots);
  void Clear() { ShowRows({}); }
  // A row for `slot` after the last one (a satellite added); the rows before it keep their selection.
  void AppendRow(int slot);

 private:
  std::vector<int> rowSlots_;
};

class TransponderListModel : public LeadingSlotsModel {
  Q_OBJECT

 public:
  explicit TransponderListModel(const DATABASESATELLITETABLE& db, QObject* parent = nullptr);

  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  int Satellite() const { return satellite_; }
  // The listed transponders of satellite `slot` (TransponderRowCount).
  void ShowSatellite(int slot);

 private:
  int satellite_ = 0;
};

class ChannelListModel : public LeadingSlotsModel {
  Q_OBJECT

 public:
  explicit ChannelListModel(const DATABASESATELLITETABLE& db, QObject* parent = nullptr);

  // The channels read as analog or digital as their transponder is now.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // The listed channels of transponder `transponderSlot` of satellite `satelliteSlot` (ChannelRowCount).
  void ShowTransponder(int satelliteSlot, int transponderSlot);

 private:
  const DATABASETRANSPONDERINFO& Transponder() const;

  int satellite_ = 0;
  int transponder_ = 0;
};

}  // namespace orvane::editor
