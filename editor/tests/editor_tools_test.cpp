// The find bar, the CSV export and the comparison window, driven as a user would through their widgets.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/database_files.h"
#include "editor/database_report.h"
#include "editor/editor_core.h"
#include "editor/editor_tools.h"
#include "editor/tests/test_databases.h"
#include "ui/app_context.h"
#include "ui/tests/qt_app.h"

namespace fs = std::filesystem;
using orvane::editor::FindBar;
using orvane::editor::FindMatch;
using namespace testdb;

namespace {

class EditorTools : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir_ = fs::temp_directory_path() / ("orvane-tools-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Put(*db_, 0, "Astra 1L", 192, {Tp(11881, 27500, V, kFec34, {Ch(101, 102, 101, "Das Erste")})});
    Put(*db_, 1, "Hot Bird", 130, {Tp(10992, 27500, V, kFec34, {Ch(160, 80, 160, "Astra Promo")})});
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Save(const std::string& path, const DATABASESATELLITETABLE& db) {
    auto image = std::make_unique<SatelliteImage>();
    auto names = std::make_unique<SatelliteNameTable>();
    auto channels = std::make_unique<ChannelTable>();
    const int named = orvane::editor::NamedSatelliteSlots(orvane::editor::SatelliteRowSlots(db));
    ASSERT_TRUE(orvane::editor::SaveDatabaseFile(path, db, named, *image, *names, *channels).ok());
  }

  fs::path dir_;
  std::unique_ptr<DATABASESATELLITETABLE> db_ = Empty();
  orvane::ui::AppContext app_;
  orvane::ui::RecordingPrompts prompts_;
  orvane::ui::ScopedPrompts scoped_{app_, prompts_};
};

TEST_F(EditorTools, FindBarStepsThroughTheMatchesAndWraps) {
  // Inside a dialog with a default button: Enter searches and Escape closes the bar, neither reaches the dialog.
  QDialog window;
  auto* layout = new QVBoxLayout(&window);
  auto* defaultButton = new QPushButton("Save", &window);
  defaultButton->setDefault(true);
  int defaultPressed = 0;
  QObject::connect(defaultButton, &QPushButton::clicked, [&] { ++defaultPressed; });
  auto* bar = new FindBar(&window);
  layout->addWidget(defaultButton);
  layout->addWidget(bar);
  bar->SetDatabase(db_.get());
  bar->hide();
  window.show();
  QSignalSpy chosen(bar, &FindBar::MatchChosen);

  bar->Activate();
  EXPECT_TRUE(bar->isVisible());
  QTest::keyClicks(bar->field, "astra");
  QTest::keyClick(bar->field, Qt::Key_Return);
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.takeFirst().at(0).value<FindMatch>(), (FindMatch{0, -1, -1}));
  EXPECT_EQ(bar->result->text(), "1 of 2");
  bar->FindNext();  // F3
  EXPECT_EQ(chosen.takeFirst().at(0).value<FindMatch>(), (FindMatch{1, 0, 0}));
  bar->FindNext();  // round to the first again
  EXPECT_EQ(chosen.takeFirst().at(0).value<FindMatch>(), (FindMatch{0, -1, -1}));

  // An edit of the model is found once the bar is told.
  db_->satellites[0].transponders[0].channels[1] = Ch(201, 202, 201, "Astra Info");
  bar->Invalidate();
  bar->FindNext();
  EXPECT_EQ(chosen.takeFirst().at(0).value<FindMatch>(), (FindMatch{0, 0, 1}));
  EXPECT_EQ(bar->result->text(), "2 of 3");
  if (const char* dir = std::getenv("ORVANE_SHOTS")) window.grab().save(QString(dir) + "/find-bar.png");

  bar->field->setText("Nowhere");
  QTest::keyClick(bar->field, Qt::Key_Return);
  EXPECT_EQ(chosen.count(), 0);
  EXPECT_EQ(bar->result->text(), "\"Nowhere\" not found");

  QTest::keyClick(bar->field, Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(defaultPressed, 0);
}

TEST_F(EditorTools, ExportWritesTheCsvOrSaysWhyNot) {
  struct Case {
    std::optional<QString> chosen;
    std::string written;  // where the CSV lands; empty: nowhere
  } cases[] = {
      {QString::fromStdString(Path("lists.csv")), Path("lists.csv")},
      {QString::fromStdString(Path("lists")), Path("lists.csv")},  // the suffix is added
      {std::nullopt, ""},                                          // cancelled
      {QString::fromStdString(Path("missing/lists.csv")), ""},     // no such folder
  };
  for (const Case& c : cases) {
    prompts_.log.clear();
    prompts_.files = {c.chosen};
    const bool ok = orvane::editor::ExportCsvDialog(app_, *db_);
    EXPECT_EQ(ok, !c.written.empty());
    if (!c.written.empty()) {
      EXPECT_EQ(Read(c.written), orvane::editor::DatabaseCsv(*db_));
      EXPECT_TRUE(prompts_.Messages().isEmpty());
      fs::remove(c.written);
    } else if (c.chosen) {
      ASSERT_EQ(prompts_.Messages().size(), 1);
      const auto& m = prompts_.log.back();
      EXPECT_EQ(m.text, "Cannot write " + *c.chosen);
      EXPECT_EQ(m.kind, orvane::ui::MessageKind::Error);
      EXPECT_FALSE(m.detail.isEmpty());
    }
  }
}

TEST_F(EditorTools, CompareShowsTheReportForTheModelAgainstAFile) {
  auto other = Copy(*db_);
  other->satellites[1].name = "Hot Bird 13C";
  Put(*other, 2, "Eutelsat 7B", 70, {Tp(10721, 22000, H)});
  Save(Path("other.tpd"), *other);
  Save(Path("same.tpd"), *db_);
  {
    std::ofstream junk(Path("junk.tpd"));
    junk << "not a database";
  }

  QString summary, report;
  int shown = 0;
  orvane::ui::ScopedModalDriver driver(app_, [&](QDialog& d) {
    ++shown;
    EXPECT_EQ(d.objectName(), orvane::editor::kCompareReportName);
    summary = d.findChild<QLabel*>("compareSummary")->text();
    report = d.findChild<QPlainTextEdit*>("compareText")->toPlainText();
    if (const char* dir = std::getenv("ORVANE_SHOTS")) {
      d.resize(780, 420);
      d.grab().save(QString("%1/compare-%2.png").arg(dir).arg(shown));
    }
  });

  prompts_.files = {QString::fromStdString(Path("other.tpd"))};
  orvane::editor::CompareWithDialog(app_, *db_, nullptr);
  ASSERT_EQ(shown, 1);
  const auto diff = orvane::editor::CompareDatabases(*db_, *other);
  EXPECT_EQ(report.toStdString(), orvane::editor::DiffReport(*db_, *other, diff, "the editor", Path("other.tpd")));
  EXPECT_TRUE(summary.contains("the databases differ")) << summary.toStdString();
  EXPECT_TRUE(report.contains("Eutelsat 7B")) << report.toStdString();

  prompts_.files = {QString::fromStdString(Path("same.tpd"))};
  orvane::editor::CompareWithDialog(app_, *db_, nullptr);
  ASSERT_EQ(shown, 2);
  EXPECT_TRUE(summary.contains("the databases are equal")) << summary.toStdString();

  // A file that is no database is refused, with the reason, and nothing is shown.
  for (const std::string& bad : {Path("junk.tpd"), Path("missing.tpd")}) {
    prompts_.log.clear();
    prompts_.files = {QString::fromStdString(bad)};
    orvane::editor::CompareWithDialog(app_, *db_, nullptr);
    EXPECT_EQ(shown, 2);
    ASSERT_EQ(prompts_.Messages().size(), 1) << bad;
    EXPECT_EQ(prompts_.log.back().kind, orvane::ui::MessageKind::Error);
    EXPECT_FALSE(prompts_.log.back().detail.isEmpty());
  }
}

}  // namespace
