#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QUndoStack>
#include <memory>

#include "editor/editor_commands.h"
#include "editor/editor_core.h"
#include "editor/list_models.h"
#include "ui/tests/qt_app.h"

namespace core = orvane::editor;

namespace {

QStringList Texts(const QAbstractItemModel& model) {
  QStringList rows;
  for (int r = 0; r < model.rowCount(); ++r) rows << model.index(r, 0).data().toString();
  return rows;
}

class ListModels : public ::testing::Test {
 public:
  void SetUp() override {
    TestApp();
    ClearSatellites(db);
    // S0..S3 at 1.0..4.0 E in slots 0..3; S1 has an analog transponder with two channels after a digital one.
    for (int s = 0; s < 4; ++s) {
      db.satellites[s].name = "S" + std::to_string(s);
      db.satellites[s].eastPosition = 10 * (s + 1);
      db.satellites[s].transponders[0] = {11000 + s, 27500, 0, 3, {}};
    }
    auto& analog = db.satellites[1].transponders[1];
    analog = {3800, 0, 1, 0, {}};
    analog.channels[0] = {100, 200, 0, "A"};
    analog.channels[1] = {101, 201, 1, "B"};
  }

  std::unique_ptr<DATABASESATELLITETABLE> table = std::make_unique<DATABASESATELLITETABLE>();
  DATABASESATELLITETABLE& db = *table;
};

}  // namespace

TEST_F(ListModels, RowsShowTheRecordsAsTheCoreWritesThem) {
  core::SatelliteListModel sats(db);
  sats.ShowRows(core::SatelliteRowSlots(db));
  ASSERT_EQ(sats.RowSlots(), (std::vector<int>{0, 1, 2, 3}));
  for (int r = 0; r < 4; ++r)
    EXPECT_EQ(sats.index(r, 0).data().toString().toStdString(), core::SatelliteRow(r, db.satellites[r]));
  EXPECT_FALSE(sats.index(4, 0).data().isValid());
  EXPECT_EQ(sats.RowOf(2), 2);
  EXPECT_EQ(sats.RowOf(9), -1);

  core::TransponderListModel tps(db);
  tps.ShowSatellite(1);
  ASSERT_EQ(tps.rowCount(), 2);
  EXPECT_EQ(tps.index(1, 0).data().toString().toStdString(),
            core::TransponderRow(1, db.satellites[1].transponders[1]));

  core::ChannelListModel chs(db);
  chs.ShowTransponder(1, 1);
  ASSERT_EQ(chs.rowCount(), 2);
  EXPECT_EQ(chs.index(1, 0).data().toString().toStdString(),
            core::ChannelRow(db.satellites[1].transponders[1].channels[1], true));
  // A changed symbol rate turns the transponder digital: its channels read the other way at once.
  db.satellites[1].transponders[1].symbolRate = 27500;
  EXPECT_EQ(chs.index(0, 0).data().toString().toStdString(),
            core::ChannelRow(db.satellites[1].transponders[1].channels[0], false));
  chs.ShowTransponder(-3, 500);  // out of range: the nearest slots
  EXPECT_EQ(chs.rowCount(), core::ChannelRowCount(db.satellites[0].transponders[kTransponderSlots - 1]));
}

TEST_F(ListModels, AddsAppendRowsAndEditsChangeOneRowWithoutAReset) {
  core::SatelliteListModel sats(db);
  sats.ShowRows({0, 1});
  QSignalSpy resets(&sats, &QAbstractItemModel::modelReset);
  QSignalSpy inserted(&sats, &QAbstractItemModel::rowsInserted);
  QSignalSpy changed(&sats, &QAbstractItemModel::dataChanged);
  sats.AppendRow(3);
  sats.AppendRow(kSatelliteSlots);  // not a slot: no row
  EXPECT_EQ(sats.RowSlots(), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(inserted.count(), 1);
  db.satellites[1].name = "Renamed";
  sats.RowChanged(1);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.front().at(0).toModelIndex().row(), 1);
  EXPECT_TRUE(sats.index(1, 0).data().toString().contains("Renamed"));
  EXPECT_EQ(resets.count(), 0);

  core::TransponderListModel tps(db);
  tps.ShowSatellite(0);
  tps.AppendRows(500);  // never beyond the slots
  EXPECT_EQ(tps.rowCount(), kTransponderSlots);
  core::ChannelListModel chs(db);
  chs.ShowTransponder(1, 1);
  chs.AppendRows(1);
  EXPECT_EQ(chs.rowCount(), 3);
  chs.Clear();
  EXPECT_EQ(chs.rowCount(), 0);
}

TEST_F(ListModels, TheRowToSlotMapFollowsADeleteAndItsUndo) {
  core::SatelliteListModel sats(db);
  sats.ShowRows(core::SatelliteRowSlots(db));
  const QStringList before = Texts(sats);
  QUndoStack stack;
  stack.push(core::DeleteSatelliteRows(db, sats.RowSlots(), {false, true, false, true},
                                       QStringLiteral("Delete satellites"), {1, 0},
                                       [&](const core::EditorPlace&) { sats.ShowRows(core::SatelliteRowSlots(db)); })
                 .release());
  sats.ShowRows(core::SatelliteRowSlots(db));  // the window shows the result of a step it makes itself
  EXPECT_EQ(sats.RowSlots(), (std::vector<int>{0, 1}));
  EXPECT_EQ(Texts(sats), (QStringList{before[0], "002 S2(3.0 E)"}));
  stack.undo();
  EXPECT_EQ(sats.RowSlots(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Texts(sats), before);
  stack.redo();
  EXPECT_EQ(sats.RowSlots(), (std::vector<int>{0, 1}));
}
