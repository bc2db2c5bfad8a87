#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QUndoStack>
#include <filesystem>
#include <fstream>
#include <memory>

#include "editor/AnalogChannelInfomation.h"
#include "editor/EditDigitalChannel.h"
#include "editor/EditSatelliteInfomation.h"
#include "editor/EditSatelliteTransponder.h"
#include "editor/EditTransponderInfo.h"
#include "editor/SelectDownSatelliteList.h"
#include "editor/database_files.h"
#include "editor/editor_core.h"
#include "editor/editor_tools.h"
#include "editor/list_box.h"
#include "editor/tests/list_test_support.h"
#include "editor/tests/test_databases.h"
#include "ui/app_context.h"
#include "ui/tests/qt_app.h"
#include "urlfetch/tests/local_http_server.h"

namespace fs = std::filesystem;
using namespace orvane::test;
using orvane::ui::RecordingPrompts;

namespace {

// The shared fixtures lie beside the checkout; a clone of the project alone skips the tests that need them.
const std::filesystem::path kTurksatListing =
    std::filesystem::path(ORVANE_SHARED_DIR) / "fixtures/satcodx/turksat42e_v103_sirfi.sdx";
#define SKIP_WITHOUT_SHARED_FIXTURE(path) \
  if (!std::filesystem::exists(path))     \
  GTEST_SKIP() << "needs " << (path).string() << " (the shared fixtures beside the checkout)"

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class EditorWindow : public ::testing::Test {
 public:
  void SetUp() override {
    TestApp();
    std::string tmpl = (fs::temp_directory_path() / "orvane-editor-XXXXXX").string();
    dir_ = ::mkdtemp(tmpl.data());
    previous_ = fs::current_path();
    fs::current_path(dir_);
    // The editor's windows, as the program declares them.
    auto& w = app.windows();
    w.Declare<TfrmEditSatTP>("None");
    w.Declare<TfrmEditSatelliteInfomation>("Satellite Information");
    w.Declare<TfrmEditTransponderInfo>("Transponder Infomation");
    w.Declare<TfrmEditDigitalChannel>("Digital Channel Infomation");
    w.Declare<TfrmAnalogChannelInfomation>("Analog Channel Infomation");
    w.Declare<TfrmSelectSatelliteList>("Select satellites to download");
    w.CreateAll();
    editor = &w.Get<TfrmEditSatTP>();
    editor->showPopupMenus = false;
    ClearSatellites(db());
  }
  void TearDown() override {
    app.windows().Clear();
    fs::current_path(previous_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  DATABASESATELLITETABLE& db() { return app.program().database; }

  // Five satellites S0..S4 at 1.0..5.0 E; satellite s has s+2 digital transponders 11000+100*t, the first
  // transponder of S0 has three channels.
  void LoadFiveSatellites() {
    for (int s = 0; s < 5; ++s) {
      auto& sat = db().satellites[s];
      sat.name = "S" + std::to_string(s);
      sat.eastPosition = 10 * (s + 1);
      for (int t = 0; t < s + 2; ++t) sat.transponders[t] = {11000 + 100 * t, 27500, t % 2, 3, {}};
    }
    auto& tp = db().satellites[0].transponders[0];
    for (int c = 0; c < 3; ++c) tp.channels[c] = {100 + c, 200 + c, 100 + c, "Ch" + std::to_string(c)};
    editor->RefillSatelliteList();
  }

  // Makes the modal dialogs run through `driver` and counts how often one was shown.
  void Drive(std::function<void(QDialog&)> driver) {
    driver_.reset();  // restores the previous driver before the next one is installed
    driver_ = std::make_unique<orvane::ui::ScopedModalDriver>(app, [this, driver](QDialog& d) {
      ++dialogsShown;
      d.show();
      QApplication::processEvents();
      driver(d);
      QApplication::processEvents();
    });
  }

  orvane::ui::AppContext app;
  RecordingPrompts prompts;
  orvane::ui::ScopedPrompts scoped_{app, prompts};
  TfrmEditSatTP* editor = nullptr;
  int dialogsShown = 0;

 private:
  fs::path dir_, previous_;
  std::unique_ptr<orvane::ui::ScopedModalDriver> driver_;
};

}  // namespace

TEST_F(EditorWindow, ComponentsCarryTheirNamesAndTheListsAreFixedPitch) {
  EXPECT_EQ(editor->windowTitle(), "None");
  EXPECT_EQ(editor->size(), QSize(758, 595));
  for (const char* name : {"Button1", "Button2", "Button3", "lbSatelliteNameList", "lbTransponderList",
                           "lbManualAnalogChannelList", "pnStatusInfo", "pmSatelliteList",
                           "pmTransponderPopupMenu", "pmManualAnalogChannel", "MainMenu1"})
    EXPECT_NE(editor->findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(editor->SorybyKUC1->text(), "Sory by KU->C");
  EXPECT_FALSE(editor->SatCoDX1->isEnabled());
  for (auto* list :
       {editor->lbSatelliteNameList, editor->lbTransponderList, editor->lbManualAnalogChannelList})
    EXPECT_TRUE(QFontInfo(list->font()).fixedPitch());
}

TEST_F(EditorWindow, RightButtonSelectsRowZeroAndMouseOrKeysMakeARowCurrent) {
  editor->RefillSatelliteList();
  editor->lbSatelliteNameListMouseDown(Qt::RightButton, {});  // empty list: nothing at all
  EXPECT_EQ(CurrentRow(editor->lbSatelliteNameList), -1);

  LoadFiveSatellites();
  editor->lbSatelliteNameList->clearSelection();
  editor->lbSatelliteNameListMouseDown(Qt::RightButton, {});
  EXPECT_TRUE(IsSelected(editor->lbSatelliteNameList, 0));

  SetCurrentRow(editor->lbSatelliteNameList, 4);
  editor->lbSatelliteNameListKeyUp();
  EXPECT_EQ(editor->currentSatellite(), 4);
  EXPECT_EQ(RowCount(editor->lbTransponderList), 6);
  SetCurrentRow(editor->lbTransponderList, 2);
  editor->lbTransponderListMouseDown(Qt::LeftButton, {});
  EXPECT_EQ(editor->currentTransponder(), 2);
  EXPECT_TRUE(
      editor->pnStatusInfo->text().startsWith("All Satellites (5), All TPs(20), All define channels(3)"));

  editor->lbTransponderList->clearSelection();
  editor->lbTransponderListMouseDown(Qt::RightButton, {});
  EXPECT_TRUE(IsSelected(editor->lbTransponderList, 0));
  EXPECT_EQ(editor->currentTransponder(), 2);  // the pop-up does not change the current transponder
}

TEST_F(EditorWindow, ActivationEmptiesTheClipboardAndImportsTheListingsOnDisk) {
  SKIP_WITHOUT_SHARED_FIXTURE(kTurksatListing);
  LoadFiveSatellites();
  editor->CopyAllTPs1Click();
  EXPECT_NE(editor->transponderClipboard(), DATABASESATELLITEINFO{});

  // Address in columns 1-40, file name in 42-61, satellite name from 63.
  std::string line(62, ' ');
  line.replace(0, 39, "127.0.0.1:18123/sdxpos/0420/turksat.sdx");
  line.replace(41, 11, "turksat.sdx");
  line += "Turksat 3A/4A";
  std::ofstream("satcodx.imp", std::ios::binary) << "01 40 42 20 63 25\r\n" << line << "\r\n";
  fs::create_directories("import");
  fs::copy_file(kTurksatListing, "import/turksat.sdx");
  editor->show();
  EXPECT_TRUE(prompts.Messages().isEmpty()) << prompts.Messages().join("; ").toStdString();
  EXPECT_EQ(editor->transponderClipboard(), DATABASESATELLITEINFO{});
  EXPECT_EQ(editor->windowTitle(), "satcodx data");
  const QStringList sats = Rows(editor->lbSatelliteNameList);
  ASSERT_FALSE(sats.isEmpty());
  EXPECT_TRUE(sats[0].startsWith("001 Turksat 3A/4A(")) << sats[0].toStdString();
  EXPECT_TRUE(sats[0].endsWith("(42.0 E)")) << sats[0].toStdString();
  EXPECT_GT(RowCount(editor->lbTransponderList), 10);
  EXPECT_EQ(CurrentRow(editor->lbTransponderList), 0);
  EXPECT_EQ(RowCount(editor->lbManualAnalogChannelList), 0);  // the import brings no channels
  EXPECT_TRUE(
      editor->pnStatusInfo->text().startsWith(QStringLiteral("All Satellites (%1), ").arg(sats.size())));
  // Pasting right after the activation appends nothing.
  const int rows = RowCount(editor->lbTransponderList);
  editor->PasteTPs1Click();
  EXPECT_EQ(RowCount(editor->lbTransponderList), rows);
  editor->hide();

  // Without the index every showing clears the database and says so; the lists show the empty model.
  fs::remove("satcodx.imp");
  editor->show();
  EXPECT_EQ(prompts.Messages(), QStringList{"File not found"});
  EXPECT_EQ(prompts.log.back().kind, orvane::ui::MessageKind::Error);
  EXPECT_EQ(RowCount(editor->lbSatelliteNameList), 0);
  EXPECT_EQ(RowCount(editor->lbTransponderList), 0);
  EXPECT_EQ(ListedSatelliteCount(db()), 0);
  editor->hide();
}

TEST_F(EditorWindow, AnImportFailingPartWayLeavesTheListsShowingTheModel) {
  SKIP_WITHOUT_SHARED_FIXTURE(kTurksatListing);
  // Two listings; the second exists but cannot be read (reading /proc/self/mem at offset 0 fails).
  auto line = [](const std::string& file, const std::string& name) {
    std::string l(62, ' ');
    l.replace(0, 30, "127.0.0.1:18123/sdxpos/0420/" + file.substr(0, 2));
    l.replace(41, file.size(), file);
    return l + name;
  };
  std::ofstream("satcodx.imp", std::ios::binary) << "01 40 42 20 63 25\r\n"
                                                 << line("good.sdx", "Good") << "\r\n"
                                                 << line("bad.sdx", "Bad") << "\r\n";
  fs::create_directories("import");
  fs::create_symlink("/proc/self/mem", "import/bad.sdx");
  fs::copy_file(kTurksatListing, "import/good.sdx");
  LoadFiveSatellites();
  editor->Button1Click();
  ASSERT_EQ(prompts.Messages().size(), 1);
  EXPECT_EQ(prompts.log[0].kind, orvane::ui::MessageKind::Error);
  const int listed = ListedSatelliteCount(db());
  ASSERT_GT(listed, 0);
  EXPECT_EQ(RowCount(editor->lbSatelliteNameList), listed);
  EXPECT_TRUE(RowText(editor->lbSatelliteNameList, 0).startsWith("001 Good("));
  EXPECT_EQ(RowCount(editor->lbTransponderList), orvane::editor::TransponderRowCount(db().satellites[0]));
  EXPECT_EQ(editor->windowTitle(), "None");  // the caption is set only by an import that ends
}

TEST_F(EditorWindow, AFileThatCannotBeReadOpensAsTheDefaultsWithoutAMessage) {
  prompts.files.push_back(QStringLiteral("no-such-file.tpd"));
  editor->Open1Click();
  EXPECT_TRUE(prompts.Messages().isEmpty());
  EXPECT_GT(RowCount(editor->lbSatelliteNameList), 100);
  EXPECT_EQ(RowCount(editor->lbSatelliteNameList), static_cast<int>(editor->satelliteRowSlots().size()));
  EXPECT_GT(RowCount(editor->lbTransponderList), 0);
  EXPECT_EQ(editor->windowTitle(), "no-such-file.tpd");
}

TEST_F(EditorWindow, OpenRefillsTheThreeLists) {
  LoadFiveSatellites();
  auto& p = app.program();
  ASSERT_TRUE(orvane::editor::SaveDatabaseFile("five.tpd", db(), 5, p.satelliteImage, p.satelliteNameTable,
                                               p.channelTable)
                  .ok());
  ClearSatellites(db());
  editor->RefillSatelliteList();
  ASSERT_EQ(RowCount(editor->lbSatelliteNameList), 0);

  prompts.files.push_back(QStringLiteral("five.tpd"));
  editor->Open1Click();
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].request.filter, "*.tpd|*.tpd");
  EXPECT_EQ(prompts.log[0].request.fileName, "sattpdat.tpd");
  EXPECT_EQ(Rows(editor->lbSatelliteNameList), (QStringList{"001 S0(1.0 E)", "002 S1(2.0 E)", "003 S2(3.0 E)",
                                                            "004 S3(4.0 E)", "005 S4(5.0 E)"}));
  EXPECT_EQ(Rows(editor->lbTransponderList),
            (QStringList{"001 11000-27500-H-3/4 (D)", "002 11100-27500-V-3/4 (D)"}));
  EXPECT_EQ(CurrentRow(editor->lbTransponderList), 0);
  EXPECT_EQ(Rows(editor->lbManualAnalogChannelList),
            (QStringList{" 100  200  100 Ch0", " 101  201  101 Ch1", " 102  202  102 Ch2"}));
  EXPECT_EQ(editor->windowTitle(), "five.tpd");
  // No satellite row is selected yet: the last count is 0.
  EXPECT_EQ(editor->pnStatusInfo->text(),
            "All Satellites (5), All TPs(20), All define channels(3), Current satellite define chanenls(0)");
  SetCurrentRow(editor->lbSatelliteNameList, 0);
  editor->lbSatelliteNameListMouseDown(Qt::LeftButton, {});
  EXPECT_TRUE(editor->pnStatusInfo->text().endsWith("Current satellite define chanenls(3)"));

  // A cancelled dialog changes nothing.
  editor->Open1Click();
  EXPECT_EQ(editor->windowTitle(), "five.tpd");
}

TEST_F(EditorWindow, SaveWritesTwoIdenticalFilesAndNeverReportsAFailureAsDone) {
  LoadFiveSatellites();
  prompts.files.push_back(QStringLiteral("chosen.tpd"));
  editor->Saveas1Click();
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].request.fileName, "./sattpdat.tpd");
  EXPECT_EQ(prompts.log[0].request.filterIndex, 1);
  const std::string chosen = ReadFile("chosen.tpd");
  EXPECT_EQ(chosen.size(), 65536u);
  EXPECT_EQ(chosen, ReadFile("LastestTP.Dat"));
  EXPECT_EQ(editor->windowTitle(), "chosen.tpd");
  EXPECT_TRUE(prompts.Messages().isEmpty());

  // A folder that does not exist: an error, no caption change, and LastestTP.Dat is not rewritten.
  fs::remove("LastestTP.Dat");
  prompts.files.push_back(QStringLiteral("missing/out.tpd"));
  editor->Saveas1Click();
  ASSERT_EQ(prompts.Messages().size(), 1);
  EXPECT_TRUE(prompts.Messages()[0].startsWith("Could not save missing/out.tpd"))
      << prompts.Messages()[0].toStdString();
  EXPECT_EQ(prompts.log.back().kind, orvane::ui::MessageKind::Error);
  EXPECT_EQ(editor->windowTitle(), "chosen.tpd");
  EXPECT_FALSE(fs::exists("LastestTP.Dat"));

  // More channels than a file holds: saved, and the user is told what was left out (once, not per file).
  for (int s : {1, 3, 4})  // 3 + 96 + 160 + 192 = 451 channels
    for (int t = 0; t < s + 2; ++t)
      for (int c = 0; c < 32; ++c) db().satellites[s].transponders[t].channels[c] = {1, 1, 1, "x"};
  prompts.log.clear();
  prompts.files.push_back(QStringLiteral("many.tpd"));
  editor->Saveas1Click();
  ASSERT_EQ(prompts.Messages().size(), 1);
  EXPECT_EQ(prompts.Messages()[0].toStdString(),
            "51 channels were left out of many.tpd: a database file holds at most 400 channels.");
  EXPECT_EQ(editor->windowTitle(), "many.tpd");
  EXPECT_EQ(ReadFile("many.tpd"), ReadFile("LastestTP.Dat"));
}

TEST_F(EditorWindow, DropsReorderTheRowsAndTheirContent) {
  LoadFiveSatellites();
  editor->RefillTransponderList(3);  // S3: five transponders 11000..11400
  auto* tps = editor->lbTransponderList;
  ASSERT_EQ(RowCount(tps), 5);
  auto order = [&] {
    std::vector<int> f;
    for (int t = 0; t < RowCount(tps); ++t)
      f.push_back((db().satellites[3].transponders[t].frequency - 11000) / 100);
    return f;
  };
  Select(tps, {1, 2});
  editor->lbTransponderListDragDrop(4);
  EXPECT_EQ(order(), (std::vector<int>{0, 3, 4, 1, 2}));
  EXPECT_TRUE(RowText(tps, 3).startsWith("004 11100-"));

  editor->RefillTransponderList(3);
  Select(tps, {3});
  editor->lbTransponderListDragDrop(1);
  EXPECT_EQ(order(), (std::vector<int>{0, 1, 3, 4, 2}));  // rows 0,3,1,2,4 of the previous order

  // Below the last row, or off the rows: nothing changes.
  Select(tps, {0});
  editor->lbTransponderListDragDrop(5);
  editor->lbTransponderListDragDrop(-1);
  EXPECT_EQ(order(), (std::vector<int>{0, 1, 3, 4, 2}));
  EXPECT_EQ(editor->dragMode(), 0);

  Select(editor->lbSatelliteNameList, {0});
  editor->lbSatelliteNameListDragDrop(2);
  EXPECT_EQ(Rows(editor->lbSatelliteNameList), (QStringList{"001 S1(2.0 E)", "002 S2(3.0 E)", "003 S0(1.0 E)",
                                                            "004 S3(4.0 E)", "005 S4(5.0 E)"}));
  EXPECT_EQ(db().satellites[2].transponders[0].channels[0].name, "Ch0");  // channels travel along

  editor->RefillChannelList(2, 0);
  Select(editor->lbManualAnalogChannelList, {2});
  editor->lbManualAnalogChannelListDragDrop(0);
  EXPECT_EQ(Rows(editor->lbManualAnalogChannelList)[0], " 102  202  102 Ch2");
}

TEST_F(EditorWindow, DeleteAndSortsRefillTheLists) {
  LoadFiveSatellites();
  Select(editor->lbSatelliteNameList, {1, 3});
  editor->Delete1Click();
  EXPECT_EQ(Rows(editor->lbSatelliteNameList),
            (QStringList{"001 S0(1.0 E)", "002 S2(3.0 E)", "003 S4(5.0 E)"}));
  for (int s = 3; s < kSatelliteSlots; ++s) EXPECT_FALSE(SatelliteSlotUsed(db().satellites[s])) << s;

  db().satellites[0].name = "b";
  db().satellites[1].name = "a";
  db().satellites[2].name = "C";
  editor->RefillSatelliteList();
  editor->Sortbyname1Click();
  EXPECT_EQ(Rows(editor->lbSatelliteNameList), (QStringList{"001 C(5.0 E)", "002 a(3.0 E)", "003 b(1.0 E)"}));
  editor->Sortbydegree2Click();
  EXPECT_EQ(Rows(editor->lbSatelliteNameList), (QStringList{"001 b(1.0 E)", "002 a(3.0 E)", "003 C(5.0 E)"}));

  auto& sat = db().satellites[1];
  sat.transponders[0].frequency = 3600;
  sat.transponders[1].frequency = 11000;
  sat.transponders[2].frequency = 4000;
  sat.transponders[3].frequency = 12500;
  editor->RefillTransponderList(1);
  editor->SorybyKUC1Click();
  QStringList freqs;
  for (const auto& row : Rows(editor->lbTransponderList)) freqs << row.mid(4, 5).trimmed();
  EXPECT_EQ(freqs, (QStringList{"11000", "12500", "3600", "4000"}));

  Select(editor->lbTransponderList, {0, 1, 2, 3});
  editor->DeleteTpClick();
  EXPECT_EQ(RowCount(editor->lbTransponderList), 0);
  // Commands on an empty list do nothing (and do not fail).
  editor->DeleteTpClick();
  editor->Sortbyfrequency1Click();
  editor->pmEditTransponderClick();
  editor->Delete2Click();
  editor->Edit2Click();
  EXPECT_EQ(RowCount(editor->lbTransponderList), 0);
}

TEST_F(EditorWindow, PasteAppendsUpTo120Transponders) {
  LoadFiveSatellites();
  auto& target = db().satellites[0];
  for (int t = 0; t < 110; ++t) target.transponders[t] = {10000 + t, 27500, 0, 0, {}};
  auto& source = db().satellites[1];
  for (int t = 0; t < 20; ++t) source.transponders[t] = {12000 + t, 22000, 1, 2, {}};
  source.transponders[0].channels[0] = {5, 6, 7, "not pasted"};
  editor->RefillTransponderList(1);
  editor->CopyAllTPs1Click();
  editor->RefillTransponderList(0);
  editor->PasteTPs1Click();
  EXPECT_EQ(RowCount(editor->lbTransponderList), 120);
  EXPECT_EQ(RowText(editor->lbTransponderList, 110), "111 12000-22000-V-2/3 (D)");
  EXPECT_FALSE(target.transponders[110].channels[0].used());
  editor->PasteTPs1Click();
  EXPECT_EQ(RowCount(editor->lbTransponderList), 120);

  // Add on a full transponder list shows no dialog.
  Drive([](QDialog&) { ADD_FAILURE() << "no dialog expected"; });
  editor->Add2Click();
  EXPECT_EQ(dialogsShown, 0);
}

TEST_F(EditorWindow, RecordDialogsThroughTheEditor) {
  LoadFiveSatellites();
  // Edit the current transponder: an unreadable frequency is stored as 0.
  Drive([](QDialog& d) {
    auto& dlg = dynamic_cast<TfrmEditTransponderInfo&>(d);
    EXPECT_EQ(dlg.edFrequency->text(), "11000");
    dlg.edFrequency->setText("11a78");
    dlg.edSymbolRate->setText("0");  // now analog
    dlg.btnTransponderInfomationSave->click();
  });
  editor->pmEditTransponderClick();
  EXPECT_EQ(dialogsShown, 1);
  EXPECT_EQ(db().satellites[0].transponders[0].frequency, 0);
  EXPECT_EQ(RowText(editor->lbTransponderList, 0), "001     0-    0-H-Radio (A)");
  // Its channels now read as analog ones.
  EXPECT_EQ(RowText(editor->lbManualAnalogChannelList, 0), "L(100) R(200) ? Ch0");

  // Add an analog channel: "x" gives the default 720, the name is cut to what the file holds.
  Drive([](QDialog& d) {
    auto& dlg = dynamic_cast<TfrmAnalogChannelInfomation&>(d);
    dlg.edLeftAudioFrequency->setText("x");
    dlg.edChannelName->setText(QString(40, 'n'));
    dlg.btnEditSatelliteInfomationSave->click();
  });
  editor->Add1Click();
  const auto& added = db().satellites[0].transponders[0].channels[3];
  EXPECT_EQ(added.videoPid, 720);
  EXPECT_EQ(added.audioPid, 720);
  EXPECT_EQ(added.name.size(), 27u);
  EXPECT_EQ(RowCount(editor->lbManualAnalogChannelList), 4);

  // Satellite: -5 is kept as its 32-bit pattern; a cancelled dialog changes nothing.
  SetCurrentRow(editor->lbSatelliteNameList, 1);
  Drive([](QDialog& d) {
    auto& dlg = dynamic_cast<TfrmEditSatelliteInfomation&>(d);
    EXPECT_EQ(dlg.edEastDegree->text(), "2.0");
    dlg.edEastDegree->setText("19.25");
    dlg.edDiseqc1_2Code->setText("-5");
    dlg.btnEditSatelliteInfomationSave->click();
  });
  editor->Edit1Click();
  EXPECT_EQ(db().satellites[1].eastPosition, 192u);
  EXPECT_EQ(db().satellites[1].diseqc, -5);
  EXPECT_EQ(RowText(editor->lbSatelliteNameList, 1), "002 S1(19.2 E)");
  Drive([](QDialog& d) {
    dynamic_cast<TfrmEditSatelliteInfomation&>(d).btnEditSatelliteInfomationCancel->click();
  });
  editor->Edit1Click();
  EXPECT_EQ(db().satellites[1].eastPosition, 192u);

  // Add a satellite: it takes the first free slot and gets a row.
  Drive([](QDialog& d) {
    auto& dlg = dynamic_cast<TfrmEditSatelliteInfomation&>(d);
    EXPECT_EQ(dlg.edName->text(), "");
    dlg.edName->setText("New");
    dlg.edEastDegree->setText("13");
    dlg.btnEditSatelliteInfomationSave->click();
  });
  editor->Add3Click();
  EXPECT_EQ(RowText(editor->lbSatelliteNameList, 5), "006 New(13.0 E)");
  EXPECT_EQ(db().satellites[5].eastPosition, 130u);
}

TEST_F(EditorWindow, InternetDownloadFetchesTheMarkedListingsAndImportsThem) {
  SKIP_WITHOUT_SHARED_FIXTURE(kTurksatListing);
  orvane::testing::LocalHttpServer server;
  const std::string listing = ReadFile(kTurksatListing);
  server.SetRoute("/sdxpos/0420/a.sdx", {200, listing});
  server.SetRoute("/sdxpos/0130/c.sdx", {404, "missing"});
  // Address in columns 1-40 (position 23 characters into it), file name in 42-61, satellite name from 63.
  auto line = [&](const std::string& position, const std::string& file, const std::string& name) {
    std::string l(62, ' ');
    const std::string address =
        "127.0.0.1:" + std::to_string(server.port()) + "/sdxpos/" + position + "/" + file;
    l.replace(0, address.size(), address);
    l.replace(41, file.size(), file);
    return l + name;
  };
  ASSERT_EQ(std::to_string(server.port()).size(), 5u) << "the position sits at a fixed column";
  std::ofstream("satcodx.imp", std::ios::binary) << "01 40 42 20 63 25\r\n"
                                                 << line("0420", "a.sdx", "Turksat 3A") << "\r\n"
                                                 << line("0192", "b.sdx", "Unmarked") << "\r\n"
                                                 << line("0130", "c.sdx", "Gone") << "\r\n";
  fs::create_directories("import");

  QStringList captions;
  QObject::connect(editor, &QWidget::windowTitleChanged, [&](const QString& t) { captions << t; });
  Drive([](QDialog& d) {
    auto& select = dynamic_cast<TfrmSelectSatelliteList&>(d);
    EXPECT_EQ(Rows(select.lbSelectSatelliteList),
              (QStringList{"Turksat 3A (E 42)", "Unmarked (E 19.2)", "Gone (E 13)"}));
    select.lbSelectSatelliteList->item(0)->setSelected(true);
    select.lbSelectSatelliteList->item(2)->setSelected(true);
    select.Button1->click();
  });
  editor->Button2Click();
  EXPECT_EQ(captions, (QStringList{"Received : 1/2", "Received : 2/2", "satcodx data"}));
  EXPECT_EQ(ReadFile("import/a.sdx"), listing.substr(0, listing.find('\0')));
  EXPECT_FALSE(fs::exists("import/b.sdx"));
  EXPECT_FALSE(fs::exists("import/c.sdx"));  // 404: nothing written, nothing said
  EXPECT_TRUE(prompts.Messages().isEmpty()) << prompts.Messages().join("; ").toStdString();
  ASSERT_GT(RowCount(editor->lbSatelliteNameList), 0);
  EXPECT_TRUE(RowText(editor->lbSatelliteNameList, 0).startsWith("001 Turksat 3A("));

  // Cancel: nothing marked, nothing fetched or imported, the caption stays.
  LoadFiveSatellites();
  captions.clear();
  Drive([](QDialog& d) { dynamic_cast<TfrmSelectSatelliteList&>(d).Button3->click(); });
  editor->Button2Click();
  EXPECT_TRUE(captions.isEmpty());
  EXPECT_EQ(RowCount(editor->lbSatelliteNameList), 5);
}

// ---- Undo and redo, unsaved edits, keyboard, size

namespace {

// Every command that changes the model, as the user reaches it. `prepare` puts the lists where the command
// needs them (not part of the step).
struct Step {
  const char* name;  // the step's name in the Edit menu
  std::function<void(EditorWindow&)> prepare;
  std::function<void(EditorWindow&)> run;
};

void ClickSave(QDialog& d) {
  for (auto* b : d.findChildren<QPushButton*>())
    if (b->text() == "Save") return b->click();
  ADD_FAILURE() << "no Save button";
}

}  // namespace

// Shows the window for real, as the keyboard tests need it (the activation import finds no index here).
class ShownEditor : public EditorWindow {
 protected:
  void SetUp() override {
    EditorWindow::SetUp();
    editor->show();
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    prompts.log.clear();
    LoadFiveSatellites();
  }
  void TearDown() override {
    editor->undoStack->setClean();  // nothing to ask about while the test tears down
    editor->hide();
    EditorWindow::TearDown();
  }
};

TEST_F(EditorWindow, EveryCommandIsOneStepThatUndoAndRedoTakeBackAndRepeat) {
  auto setText = [](QDialog& d, const char* name, const QString& text) {
    auto* edit = d.findChild<QLineEdit*>(name);
    ASSERT_NE(edit, nullptr) << name;
    edit->setText(text);
  };
  const Step steps[] = {
      {"Edit satellite", [](EditorWindow& t) { SetCurrentRow(t.editor->lbSatelliteNameList, 2); },
       [&](EditorWindow& t) {
         t.Drive([&](QDialog& d) { setText(d, "edName", "Renamed"), ClickSave(d); });
         t.editor->Edit1Click();
       }},
      {"Add satellite", nullptr,
       [&](EditorWindow& t) {
         t.Drive(
             [&](QDialog& d) { setText(d, "edName", "New"), setText(d, "edEastDegree", "7"), ClickSave(d); });
         t.editor->Add3Click();
       }},
      {"Delete satellites",
       [](EditorWindow& t) {
         Select(t.editor->lbSatelliteNameList, {0, 3});
       },
       [](EditorWindow& t) { t.editor->Delete1Click(); }},
      {"Move satellites",
       [](EditorWindow& t) {
         Select(t.editor->lbSatelliteNameList, {0, 1});
       },
       [](EditorWindow& t) { t.editor->lbSatelliteNameListDragDrop(3); }},
      {"Sort by name",
       [](EditorWindow& t) {
         t.db().satellites[0].name = "z";
         t.editor->RefillSatelliteList();
       },
       [](EditorWindow& t) { t.editor->Sortbyname1Click(); }},
      {"Sort by degree",
       [](EditorWindow& t) {
         t.db().satellites[1].eastPosition = 900;
         t.editor->RefillSatelliteList();
       },
       [](EditorWindow& t) { t.editor->Sortbydegree2Click(); }},
      {"Edit transponder", nullptr,
       [&](EditorWindow& t) {
         t.Drive([&](QDialog& d) { setText(d, "edFrequency", "12345"), ClickSave(d); });
         t.editor->pmEditTransponderClick();
       }},
      {"Add transponder", nullptr,
       [&](EditorWindow& t) {
         t.Drive([&](QDialog& d) { setText(d, "edFrequency", "12600"), ClickSave(d); });
         t.editor->Add2Click();
       }},
      {"Delete transponders", [](EditorWindow& t) { Select(t.editor->lbTransponderList, {0}); },
       [](EditorWindow& t) { t.editor->DeleteTpClick(); }},
      {"Move transponders",
       [](EditorWindow& t) { t.editor->RefillTransponderList(3), Select(t.editor->lbTransponderList, {0}); },
       [](EditorWindow& t) { t.editor->lbTransponderListDragDrop(3); }},
      {"Sort by frequency",
       [](EditorWindow& t) {
         t.db().satellites[0].transponders[0].frequency = 12999;
         t.editor->RefillSatelliteList();
       },
       [](EditorWindow& t) { t.editor->Sortbyfrequency1Click(); }},
      {"Sory by KU->C",
       [](EditorWindow& t) {
         t.db().satellites[0].transponders[0].frequency = 3600;
         t.editor->RefillSatelliteList();
       },
       [](EditorWindow& t) { t.editor->SorybyKUC1Click(); }},
      {"Sort by AD",
       [](EditorWindow& t) {
         t.db().satellites[0].transponders[1].symbolRate = 0;
         t.editor->RefillSatelliteList();
       },
       [](EditorWindow& t) { t.editor->SortbyAD1Click(); }},
      {"Sort by DA",
       [](EditorWindow& t) {
         t.db().satellites[0].transponders[0].symbolRate = 0;
         t.editor->RefillSatelliteList();
       },
       [](EditorWindow& t) { t.editor->SortbyDA1Click(); }},
      {"Paste TPs",
       [](EditorWindow& t) {
         t.editor->RefillTransponderList(4);
         t.editor->CopyAllTPs1Click();
         t.editor->RefillTransponderList(1);
       },
       [](EditorWindow& t) { t.editor->PasteTPs1Click(); }},
      {"Edit channel", [](EditorWindow& t) { SetCurrentRow(t.editor->lbManualAnalogChannelList, 1); },
       [&](EditorWindow& t) {
         t.Drive([&](QDialog& d) { setText(d, "edChannelName", "Edited"), ClickSave(d); });
         t.editor->Edit2Click();
       }},
      {"Add channel", nullptr,
       [&](EditorWindow& t) {
         t.Drive([&](QDialog& d) { setText(d, "edVideoPID", "333"), ClickSave(d); });
         t.editor->Add1Click();
       }},
      {"Delete channels",
       [](EditorWindow& t) {
         Select(t.editor->lbManualAnalogChannelList, {0, 2});
       },
       [](EditorWindow& t) { t.editor->Delete2Click(); }},
      {"Move channels", [](EditorWindow& t) { Select(t.editor->lbManualAnalogChannelList, {0}); },
       [](EditorWindow& t) { t.editor->lbManualAnalogChannelListDragDrop(2); }},
      {"Open", [](EditorWindow& t) { t.prompts.files.push_back(QStringLiteral("no-such-file.tpd")); },
       [](EditorWindow& t) { t.editor->Open1Click(); }},
      {"Load downloaded data", nullptr, [](EditorWindow& t) { t.editor->Button1Click(); }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    ClearSatellites(db());
    editor->undoStack->clear();
    LoadFiveSatellites();
    if (step.prepare) step.prepare(*this);
    const auto before = testdb::Copy(db());
    step.run(*this);
    const auto after = testdb::Copy(db());
    ASSERT_FALSE(*after == *before) << "the command changed nothing";
    ASSERT_EQ(editor->undoStack->count(), 1);
    EXPECT_EQ(editor->Undo1->text(), QStringLiteral("Undo ") + step.name);

    editor->undoStack->undo();
    EXPECT_TRUE(db() == *before);
    EXPECT_EQ(Rows(editor->lbSatelliteNameList).size(), static_cast<int>(editor->satelliteRowSlots().size()));
    EXPECT_EQ(RowCount(editor->lbTransponderList),
              orvane::editor::TransponderRowCount(db().satellites[editor->currentSatellite()]));
    EXPECT_EQ(editor->Redo1->text(), QStringLiteral("Redo ") + step.name);
    editor->undoStack->redo();
    EXPECT_TRUE(db() == *after);
    EXPECT_EQ(RowCount(editor->lbManualAnalogChannelList),
              orvane::editor::ChannelRowCount(
                  db().satellites[editor->currentSatellite()].transponders[editor->currentTransponder()]));
  }
}

TEST_F(EditorWindow, UndoKeepsTheCurrentSatelliteAndTransponderWhereTheyStillExist) {
  LoadFiveSatellites();
  SetCurrentRow(editor->lbSatelliteNameList, 4);
  editor->lbSatelliteNameListMouseDown(Qt::LeftButton, {});
  SetCurrentRow(editor->lbTransponderList, 5);
  editor->lbTransponderListMouseDown(Qt::LeftButton, {});
  Select(editor->lbTransponderList, {3, 4, 5});
  editor->DeleteTpClick();
  ASSERT_EQ(RowCount(editor->lbTransponderList), 3);
  editor->RefillTransponderList(0);  // the user looks elsewhere meanwhile
  editor->undoStack->undo();
  EXPECT_EQ(editor->currentSatellite(), 4);
  EXPECT_EQ(CurrentRow(editor->lbSatelliteNameList), 4);
  EXPECT_EQ(editor->currentTransponder(), 5);
  EXPECT_EQ(RowCount(editor->lbTransponderList), 6);
  editor->undoStack->redo();  // transponder 5 is gone again: the last row that is left
  EXPECT_EQ(editor->currentTransponder(), 2);
  EXPECT_EQ(CurrentRow(editor->lbTransponderList), 2);
}

TEST_F(EditorWindow, UnsavedEditsAreMarkedAndSavingOverAFileKeepsThePreviousOne) {
  LoadFiveSatellites();
  prompts.files.push_back(QStringLiteral("mine.tpd"));
  editor->Saveas1Click();
  EXPECT_FALSE(editor->hasUnsavedEdits());
  const std::string first = ReadFile("mine.tpd");
  EXPECT_FALSE(fs::exists("mine.tpd.bak"));  // nothing was there to keep

  Select(editor->lbSatelliteNameList, {0});
  editor->Delete1Click();
  EXPECT_TRUE(editor->hasUnsavedEdits());
  EXPECT_EQ(editor->windowTitle(), "mine.tpd [*]");
  EXPECT_TRUE(editor->isWindowModified());
  editor->undoStack->undo();  // back where the file is: no mark
  EXPECT_EQ(editor->windowTitle(), "mine.tpd");
  editor->undoStack->redo();

  // Saved through a link: the backup holds what the link's file held, the link stays a link.
  fs::rename("mine.tpd", "target.tpd");
  fs::create_symlink("target.tpd", "mine.tpd");
  prompts.files.push_back(QStringLiteral("mine.tpd"));
  editor->Saveas1Click();
  EXPECT_EQ(ReadFile("mine.tpd.bak"), first);
  EXPECT_TRUE(fs::is_symlink("mine.tpd"));
  EXPECT_NE(ReadFile("target.tpd"), first);
  EXPECT_EQ(editor->windowTitle(), "mine.tpd");
  EXPECT_TRUE(prompts.Messages().isEmpty()) << prompts.Messages().join("; ").toStdString();

  // A backup that cannot be made: nothing is written and the edits stay unsaved.
  Select(editor->lbSatelliteNameList, {0});
  editor->Delete1Click();
  fs::remove("mine.tpd.bak");
  fs::create_directory("mine.tpd.bak");
  const std::string saved = ReadFile("target.tpd");
  prompts.files.push_back(QStringLiteral("mine.tpd"));
  editor->Saveas1Click();
  ASSERT_EQ(prompts.Messages().size(), 1);
  EXPECT_TRUE(prompts.Messages()[0].startsWith("Could not keep the previous mine.tpd as mine.tpd.bak"))
      << prompts.Messages()[0].toStdString();
  EXPECT_EQ(ReadFile("target.tpd"), saved);
  EXPECT_TRUE(editor->hasUnsavedEdits());
}

TEST_F(ShownEditor, EveryPlaceThatReplacesTheEditsAsksFirst) {
  using orvane::ui::SaveChoice;
  // An index with one satellite, so that "Internet download" has a row to mark (nothing listens on the port:
  // the fetch fails). The position sits 23 characters into the address.
  std::string line(62, ' ');
  line.replace(0, 33, "127.0.0.1:65530/sdxpos/0420/a.sdx");
  line.replace(41, 5, "a.sdx");
  std::ofstream("satcodx.imp", std::ios::binary) << "01 40 42 20 63 25\r\n"
                                                 << line + "Sat A"
                                                 << "\r\n";
  struct Place {
    const char* name;
    std::function<void(ShownEditor&)> run;
  };
  const Place places[] = {
      {"Exit", [](ShownEditor& t) { t.editor->Exut1Click(); }},
      {"close box", [](ShownEditor& t) { t.editor->close(); }},
      {"Open",
       [](ShownEditor& t) {
         t.prompts.files.push_back(QStringLiteral("no-such-file.tpd")), t.editor->Open1Click();
       }},
      {"Load downloaded data", [](ShownEditor& t) { t.editor->Button1Click(); }},
      {"Internet download",
       [](ShownEditor& t) {
         t.Drive([](QDialog& d) {
           auto& select = dynamic_cast<TfrmSelectSatelliteList&>(d);
           ASSERT_EQ(select.lbSelectSatelliteList->count(), 1);
           select.lbSelectSatelliteList->item(0)->setSelected(true);
           select.Button1->click();
         });
         t.editor->Button2Click();
       }},
      {"showing the editor again", [](ShownEditor& t) { t.editor->hide(), t.editor->show(); }},
  };
  for (const auto& place : places) {
    for (SaveChoice choice : {SaveChoice::Cancel, SaveChoice::Discard, SaveChoice::Save}) {
      SCOPED_TRACE(std::string(place.name) + " answered " + std::to_string(static_cast<int>(choice)));
      if (!editor->isVisible()) editor->show();
      ClearSatellites(db());
      LoadFiveSatellites();
      editor->undoStack->setClean();
      Select(editor->lbSatelliteNameList, {0});
      editor->Delete1Click();
      const auto edited = testdb::Copy(db());
      prompts.log.clear();
      prompts.saveChoices = {choice};
      prompts.files.clear();
      if (choice == SaveChoice::Save) prompts.files.push_back(QStringLiteral("kept.tpd"));
      fs::remove("kept.tpd");
      place.run(*this);

      ASSERT_FALSE(prompts.log.empty());
      EXPECT_EQ(prompts.log[0].type, RecordingPrompts::Entry::Type::SaveQuestion);
      EXPECT_EQ(prompts.log[0].text, "The channel database has changes that are not saved. Save them first?");
      if (choice == SaveChoice::Cancel) {
        EXPECT_TRUE(db() == *edited);
        EXPECT_TRUE(editor->hasUnsavedEdits());
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(prompts.log.size(), 1u);
        continue;
      }
      EXPECT_EQ(fs::exists("kept.tpd"), choice == SaveChoice::Save);
      const bool closes = place.name == std::string("Exit") || place.name == std::string("close box");
      EXPECT_EQ(editor->isVisible(), !closes);
      if (!closes) {
        EXPECT_FALSE(editor->hasUnsavedEdits());  // the model is what was loaded now
      }
      editor->undoStack->setClean();  // the next showing asks nothing
    }
  }
  // Save chosen but the save dialog cancelled: as Cancel.
  ClearSatellites(db());
  LoadFiveSatellites();
  Select(editor->lbSatelliteNameList, {0});
  editor->Delete1Click();
  prompts.saveChoices = {orvane::ui::SaveChoice::Save};
  prompts.files.clear();
  editor->Exut1Click();
  EXPECT_TRUE(editor->isVisible());
  EXPECT_TRUE(editor->hasUnsavedEdits());
}

TEST_F(ShownEditor, KeysReachTheCommands) {
  // Escape does not close the editor.
  QTest::keyClick(editor->lbSatelliteNameList, Qt::Key_Escape);
  EXPECT_TRUE(editor->isVisible());

  // Delete runs the focused list's Delete.
  editor->lbSatelliteNameList->setFocus();
  Select(editor->lbSatelliteNameList, {1});
  QTest::keyClick(editor->lbSatelliteNameList, Qt::Key_Delete);
  EXPECT_EQ(Rows(editor->lbSatelliteNameList).size(), 4);
  Select(editor->lbManualAnalogChannelList, {0});
  QTest::keyClick(editor->lbManualAnalogChannelList, Qt::Key_Delete);
  EXPECT_EQ(RowCount(editor->lbManualAnalogChannelList), 2);
  Select(editor->lbTransponderList, {1});
  QTest::keyClick(editor->lbTransponderList, Qt::Key_Delete);
  EXPECT_EQ(RowCount(editor->lbTransponderList), 1);

  // The Menu key and Shift+F10 open the list's pop-up menu, selecting row 0 as the right button does.
  struct Case {
    OrvaneListBox* list;
    QMenu* menu;
  };
  for (const Case& c : {Case{editor->lbSatelliteNameList, editor->pmSatelliteList},
                        Case{editor->lbTransponderList, editor->pmTransponderPopupMenu},
                        Case{editor->lbManualAnalogChannelList, editor->pmManualAnalogChannel}}) {
    for (auto [key, mods] :
         {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
      SCOPED_TRACE(c.list->objectName().toStdString() + (mods ? " Shift+F10" : " Menu"));
      // Another list's menu first, so that the key must be what opens this one.
      if (c.menu == editor->pmSatelliteList)
        editor->lbTransponderListMouseDown(Qt::RightButton, {});
      else
        editor->lbSatelliteNameListMouseDown(Qt::RightButton, {});
      ASSERT_NE(editor->lastPopupMenu(), c.menu);
      ASSERT_GT(RowCount(c.list), 0);
      c.list->clearSelection();
      QTest::keyClick(c.list, key, mods);
      EXPECT_EQ(editor->lastPopupMenu(), c.menu);
      EXPECT_TRUE(IsSelected(c.list, 0));
    }
  }

  // Ctrl+Z and Ctrl+Y (and Ctrl+Shift+Z) undo and redo.
  const int rows = RowCount(editor->lbSatelliteNameList);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(RowCount(editor->lbSatelliteNameList), rows + 1);
  QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(RowCount(editor->lbSatelliteNameList), rows);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(RowCount(editor->lbSatelliteNameList), rows);

  // Ctrl+O and Ctrl+S open the file dialogs.
  prompts.log.clear();
  prompts.saveChoices = {orvane::ui::SaveChoice::Discard};
  QTest::keyClick(editor, Qt::Key_O, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(prompts.log.size(), 3u);
  EXPECT_EQ(prompts.log[1].type, RecordingPrompts::Entry::Type::OpenDialog);
  EXPECT_EQ(prompts.log[2].type, RecordingPrompts::Entry::Type::SaveDialog);
}

TEST_F(EditorWindow, EnterSavesEachRecordDialog) {
  auto& w = app.windows();
  QDialog* dialogs[] = {&w.Get<TfrmEditSatelliteInfomation>(), &w.Get<TfrmEditTransponderInfo>(),
                        &w.Get<TfrmEditDigitalChannel>(), &w.Get<TfrmAnalogChannelInfomation>()};
  for (QDialog* d : dialogs) {
    SCOPED_TRACE(d->windowTitle().toStdString());
    d->show();
    QApplication::processEvents();
    if (const char* dir = std::getenv("ORVANE_SHOTS"))
      d->grab().save(QString::fromLocal8Bit(dir) + "/" + d->objectName() + ".png");
    QWidget* input = d->findChildren<QLineEdit*>().front();
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    const auto result = [&] {
      if (auto* s = qobject_cast<TfrmEditSatelliteInfomation*>(d)) return s->EditResult;
      if (auto* t = qobject_cast<TfrmEditTransponderInfo*>(d)) return t->EditResult;
      if (auto* c = qobject_cast<TfrmEditDigitalChannel*>(d)) return c->EditResult;
      return qobject_cast<TfrmAnalogChannelInfomation*>(d)->EditResult;
    }();
    EXPECT_EQ(result, 0);
  }
}

TEST_F(EditorWindow, ListsGrowWithTheWindowAndLongRowsCanBeScrolledToTheirEnd) {
  const QRect designed = editor->lbTransponderList->geometry();
  EXPECT_EQ(editor->minimumSize(), QSize(758, 595));
  editor->show();  // its import finds no index here
  LoadFiveSatellites();
  db().satellites[3].name = std::string(30, 'W');  // a later row much longer than the first
  db().satellites[3].eastPosition = 3599;
  editor->RefillSatelliteList();
  editor->resize(1200, 900);
  QApplication::processEvents();
  const QRect grown = editor->lbTransponderList->geometry();
  EXPECT_GT(grown.height(), designed.height() + 250);
  EXPECT_GT(grown.width(), designed.width());
  EXPECT_EQ(editor->pnStatusInfo->geometry().bottom(), 900 - 6 - 1);
  if (const char* dir = std::getenv("ORVANE_SHOTS"))
    editor->grab().save(QString::fromLocal8Bit(dir) + "/editor-grown.png");

  editor->resize(758, 595);
  QApplication::processEvents();
  EXPECT_EQ(editor->lbTransponderList->geometry(), designed);
  auto* sats = editor->lbSatelliteNameList;
  ASSERT_EQ(RowCount(sats), 5);
  const QString longRow = RowText(sats, 3);
  ASSERT_TRUE(longRow.endsWith("(359.9 E)"));
  const int needed = sats->fontMetrics().horizontalAdvance(longRow);
  EXPECT_GE(sats->horizontalScrollBar()->maximum() + sats->viewport()->width(), needed);
  if (const char* dir = std::getenv("ORVANE_SHOTS"))
    editor->grab().save(QString::fromLocal8Bit(dir) + "/editor-first-size.png");
  editor->undoStack->setClean();
  editor->hide();
}

TEST_F(EditorWindow, SelectDuplicatesMarksTheRepeatedTranspondersForDelete) {
  LoadFiveSatellites();
  auto& sat = db().satellites[2];
  sat.transponders[0] = {11000, 27500, 0, 3, {}};
  sat.transponders[1] = {11002, 27500, 0, 3, {}};  // repeats row 0
  sat.transponders[2] = {11002, 27500, 1, 3, {}};  // other polarity
  sat.transponders[3] = {10999, 22000, 0, 3, {}};  // repeats row 0
  editor->RefillTransponderList(2);
  SetCurrentRow(editor->lbTransponderList, 2);
  editor->SelectDuplicates1Click();
  EXPECT_EQ(SelectedRows(editor->lbTransponderList), (QList<int>{1, 3}));
  EXPECT_TRUE(prompts.Messages().isEmpty());
  editor->DeleteTpClick();
  EXPECT_EQ(RowCount(editor->lbTransponderList), 2);
  editor->undoStack->undo();
  EXPECT_EQ(RowCount(editor->lbTransponderList), 4);
  EXPECT_EQ(editor->SelectDuplicates1->text(), "Select duplicates");
  if (const char* dir = std::getenv("ORVANE_SHOTS")) {
    const QString shots = QString::fromLocal8Bit(dir);
    for (QMenu* menu : {editor->pmTransponderPopupMenu, editor->Edit3, editor->File1}) {
      menu->popup({0, 0});
      QApplication::processEvents();
      menu->grab().save(shots + "/" + menu->objectName() + ".png");
      menu->hide();
    }
  }
}

TEST_F(ShownEditor, FindBarOpensUnderTheListsAndAMatchBecomesCurrent) {
  const QRect listsBefore = editor->lbSatelliteNameList->geometry();
  EXPECT_FALSE(editor->findBar->isVisible());
  QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(editor->findBar->isVisible());
  EXPECT_TRUE(editor->findBar->field->hasFocus());
  // The bar sits between the lists and the status line; the lists give it room.
  EXPECT_LT(editor->lbSatelliteNameList->geometry().bottom(), editor->findBar->geometry().top());
  EXPECT_LT(editor->findBar->geometry().bottom(), editor->pnStatusInfo->geometry().top());
  EXPECT_LT(editor->lbSatelliteNameList->height(), listsBefore.height());

  editor->findBar->field->setText("Ch2");
  QTest::keyClick(editor, Qt::Key_F3);
  EXPECT_EQ(editor->currentSatellite(), 0);
  EXPECT_EQ(CurrentRow(editor->lbSatelliteNameList), 0);
  EXPECT_EQ(CurrentRow(editor->lbManualAnalogChannelList), 2);
  EXPECT_TRUE(IsSelected(editor->lbManualAnalogChannelList, 2));

  // After a change of the model the next search looks again: a transponder of S3 found by frequency.
  Select(editor->lbSatelliteNameList, {0});
  editor->Delete1Click();  // S3 is row 2 now
  editor->findBar->field->setText("11400 H");
  QTest::keyClick(editor, Qt::Key_F3);
  EXPECT_EQ(editor->currentSatellite(), 2);
  EXPECT_EQ(CurrentRow(editor->lbSatelliteNameList), 2);
  EXPECT_EQ(CurrentRow(editor->lbTransponderList), 4);
  EXPECT_EQ(editor->currentTransponder(), 4);
  if (const char* dir = std::getenv("ORVANE_SHOTS"))
    editor->grab().save(QString::fromLocal8Bit(dir) + "/editor-find.png");

  QTest::keyClick(editor->findBar->field, Qt::Key_Escape);
  EXPECT_FALSE(editor->findBar->isVisible());
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(editor->lbSatelliteNameList->geometry(), listsBefore);
}
