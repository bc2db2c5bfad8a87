#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "ui/tests/qt_app.h"
#include "keysetting/KeySetting.h"
#include "ui/app_context.h"

using orvane::keysetting::TfrmKeySetting;
namespace ks = orvane::keysetting;
namespace fs = std::filesystem;

namespace {

const QString kA1 = QString::fromUtf8("알고리즘1");
const QString kA2 = QString::fromUtf8("알고리즘2");

class KeySettingWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir_ = fs::temp_directory_path() / ("orvane-keywin-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    w_ = std::make_unique<TfrmKeySetting>(app_);
    Open();
  }
  void TearDown() override {
    w_.reset();
    fs::remove_all(dir_);
  }
  void Open() {
    w_->show();
    QApplication::processEvents();
  }
  QString Cell(int row, int col) const { return w_->sgKeysetting->item(row, col)->text(); }
  void Type(int row, int col, const QString& text) { w_->sgKeysetting->item(row, col)->setText(text); }
  void Select(int row, int col) {
    w_->sgKeysetting->setCurrentCell(row, col);
    QApplication::processEvents();
  }
  // Chooses an algorithm through the combo, as a user does.
  void Choose(int row, const QString& text) {
    Select(row, 1);
    w_->cbAlgorithm->setCurrentIndex(w_->cbAlgorithm->findText(text));
    emit w_->cbAlgorithm->activated(w_->cbAlgorithm->currentIndex());
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void Put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static std::vector<std::uint8_t> Pattern(std::size_t n) {
    std::vector<std::uint8_t> b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
  }

  fs::path dir_;
  std::unique_ptr<TfrmKeySetting> w_;
  orvane::ui::AppContext app_;
  orvane::ui::RecordingPrompts prompts_;
  orvane::ui::ScopedPrompts scoped_{app_, prompts_};
};

}  // namespace

TEST_F(KeySettingWindow, LayoutTitlesAndTheAlgorithmComboOverItsCell) {
  EXPECT_EQ(w_->windowTitle(), "Key Setting Tool");
  EXPECT_EQ(w_->size(), QSize(800, 291));
  QTableWidget* g = w_->sgKeysetting;
  ASSERT_EQ(g->columnCount(), 10);
  ASSERT_EQ(g->rowCount(), 9);
  EXPECT_EQ(g->columnWidth(9), 75);
  EXPECT_EQ(g->rowHeight(8), 21);
  const QStringList titles = {"",
                              QString::fromUtf8("알고리즘"),
                              "Key 1",
                              "Key 2",
                              QString::fromUtf8("실제 Video PID"),
                              QString::fromUtf8("실제 Audio PID"),
                              QString::fromUtf8("실제 PCR PID"),
                              QString::fromUtf8("가상 Video PID"),
                              QString::fromUtf8("가상 Audio PID"),
                              QString::fromUtf8("가상 PCR PID")};
  for (int col = 0; col < 10; ++col) EXPECT_EQ(Cell(0, col), titles[col]) << col;
  for (int row = 1; row <= 8; ++row) {
    EXPECT_EQ(Cell(row, 0), QString("Service ID %1").arg(row));
    EXPECT_EQ(Cell(row, 1), "None");
    EXPECT_FALSE(g->item(row, 0)->flags() & Qt::ItemIsEnabled);  // fixed column
  }
  // The whole grid shows without scrolling, inside the window.
  EXPECT_GE(g->viewport()->width(), 750);
  EXPECT_GE(g->viewport()->height(), 189);
  EXPECT_TRUE(w_->rect().contains(g->geometry()));

  const char* captions[][2] = {{"Button1", "가상 PID 구하기"}, {"Button6", "실제 PID 구하기"},
                               {"Button5", "지우기"},          {"Button2", "키값 저장"},
                               {"Button4", "키값 로드"},       {"Button3", "끝내기"}};
  for (const auto& c : captions) {
    auto* b = w_->findChild<QPushButton*>(c[0]);
    ASSERT_NE(b, nullptr) << c[0];
    EXPECT_EQ(b->text(), QString::fromUtf8(c[1]));
    EXPECT_TRUE(w_->rect().contains(b->geometry())) << c[0];
    EXPECT_FALSE(b->geometry().intersects(g->geometry())) << c[0];
  }
  EXPECT_EQ(w_->SaveDialog1.fileName, "sattpdat.tpd");
  EXPECT_EQ(w_->OpenDialog1.filter, "*.tpd|*.tpd");
  EXPECT_EQ(w_->OpenDialog1.initialDir, ".");

  EXPECT_EQ(g->currentRow(), 1);
  EXPECT_EQ(g->currentColumn(), 2);
  EXPECT_FALSE(w_->cbAlgorithm->isVisible());

  Choose(3, kA2);
  EXPECT_TRUE(w_->cbAlgorithm->isVisible());
  const QRect cell = g->visualRect(g->model()->index(3, 1));
  EXPECT_EQ(w_->cbAlgorithm->geometry(), QRect(g->viewport()->mapTo(w_.get(), cell.topLeft()), cell.size()));
  EXPECT_EQ(Cell(3, 1), kA2);
  if (const char* grabDir = std::getenv("ORVANE_GRAB_DIR")) {
    Type(3, 2, "4660");
    Type(3, 3, "22136");
    Type(3, 4, "256");
    w_->grab().save(QDir(grabDir).filePath("keysetting.png"));
  }

  Select(5, 1);  // the combo moves and shows the new cell's text
  EXPECT_EQ(w_->cbAlgorithm->currentText(), "None");
  EXPECT_EQ(w_->cbAlgorithm->y(),
            g->viewport()->mapTo(w_.get(), g->visualRect(g->model()->index(5, 1)).topLeft()).y());
  Select(5, 2);
  EXPECT_FALSE(w_->cbAlgorithm->isVisible());
  EXPECT_EQ(Cell(3, 1), kA2);
}

TEST_F(KeySettingWindow, ComputeBothWaysAndClear) {
  Choose(1, kA1);
  Type(1, 2, "0");
  Type(1, 3, "0");
  Type(1, 4, "1");
  Type(1, 5, "4096");
  Type(1, 9, "keep");  // real PCR empty
  Choose(2, kA2);
  Type(2, 2, "70000");
  Type(2, 3, "22136");
  Type(2, 6, "pid");  // counts as 0
  Type(3, 2, "5");    // algorithm None: left out
  Type(3, 3, "6");
  Type(3, 4, "100");

  w_->Button1->click();
  EXPECT_EQ(Cell(1, 7), "4096");
  EXPECT_EQ(Cell(1, 8), "1");
  EXPECT_EQ(Cell(1, 9), "keep");
  EXPECT_EQ(Cell(2, 9), QString::number(ks::Algorithm2RealToVirtual(4464, 22136, 0)));
  EXPECT_EQ(Cell(3, 7), "");
  const ks::KeyTable& t = w_->Table();
  EXPECT_EQ(t.entries[0], (ks::KeyTableEntry{1, 0, 0, 0}));
  EXPECT_EQ(t.entries[1], (ks::KeyTableEntry{2, 4464, 22136, 0}));
  EXPECT_EQ(t.entries[2], ks::KeyTableEntry{});

  Type(1, 4, "");
  Type(1, 5, "");
  Type(2, 6, "");
  w_->Button6->click();
  EXPECT_EQ(Cell(1, 4), "1");
  EXPECT_EQ(Cell(1, 5), "4096");
  EXPECT_EQ(Cell(1, 6), "0");  // from "keep", not a number
  EXPECT_EQ(Cell(2, 6), "0");

  w_->Button5->click();
  for (int row = 1; row <= 8; ++row)
    for (int col = 4; col <= 9; ++col) EXPECT_EQ(Cell(row, col), "") << row << "," << col;
  EXPECT_EQ(Cell(2, 1), kA2);
  EXPECT_EQ(Cell(2, 2), "70000");
  EXPECT_TRUE(prompts_.log.empty());
}

TEST_F(KeySettingWindow, SaveWritesTheBlockAndLoadShowsItBack) {
  const std::vector<std::uint8_t> before = Pattern(65536);
  Put(Path("db.tpd"), before);
  Choose(1, kA1);
  Type(1, 2, "4660");
  Type(1, 3, "22136");
  Type(1, 4, "256");
  Choose(8, kA2);
  Type(8, 2, "-1");
  Type(8, 3, "65537");
  Type(4, 2, "9");  // None
  Type(4, 3, "9");

  prompts_.files.push_back(QString::fromStdString(Path("db.tpd")));
  w_->Button2->click();
  EXPECT_TRUE(prompts_.Messages().isEmpty()) << prompts_.Messages().join("\n").toStdString();
  ASSERT_EQ(prompts_.log.size(), 1u);
  EXPECT_EQ(prompts_.log[0].type, orvane::ui::RecordingPrompts::Entry::Type::SaveDialog);
  EXPECT_EQ(prompts_.log[0].request.fileName, "sattpdat.tpd");
  EXPECT_EQ(Cell(1, 7), QString::number(ks::Algorithm1RealToVirtual(4660, 22136, 256)));  // computed on save

  const std::vector<std::uint8_t> after = Bytes(Path("db.tpd"));
  ASSERT_EQ(after.size(), 65536u);
  std::vector<std::uint8_t> want = before;
  std::vector<std::uint8_t> block(68, 0);  // services 2 to 7 stay all zero
  const std::vector<std::uint8_t> head = {0xBA, 0xB0, 0xBA, 0xB0, 1, 0, 0x34, 0x12, 0x78, 0x56, 0, 0};
  const std::vector<std::uint8_t> service8 = {2, 0, 0xFF, 0xFF, 1, 0, 0, 0};
  std::copy(head.begin(), head.end(), block.begin());
  std::copy(service8.begin(), service8.end(), block.begin() + 60);
  std::copy(block.begin(), block.end(), want.begin() + 0x6F00);
  EXPECT_EQ(after, want);

  // Change the grid, then load: the file's table comes back, the PID columns empty.
  Choose(1, "None");
  Type(1, 2, "1");
  Type(5, 2, "77");
  prompts_.files.push_back(QString::fromStdString(Path("db.tpd")));
  w_->Button4->click();
  EXPECT_TRUE(prompts_.Messages().isEmpty());
  EXPECT_EQ(Cell(1, 1), kA1);
  EXPECT_EQ(Cell(1, 2), "4660");
  EXPECT_EQ(Cell(1, 3), "22136");
  EXPECT_EQ(Cell(1, 4), "");
  EXPECT_EQ(Cell(1, 7), "");
  EXPECT_EQ(Cell(4, 1), "None");
  EXPECT_EQ(Cell(4, 2), "");
  EXPECT_EQ(Cell(5, 2), "");
  EXPECT_EQ(Cell(8, 1), kA2);
  EXPECT_EQ(Cell(8, 2), "65535");
  EXPECT_EQ(Cell(8, 3), "1");
  EXPECT_EQ(w_->OpenDialog1.fileName, QString::fromStdString(Path("db.tpd")));

  // Cancelled dialogs do nothing.
  const ks::KeyTable table = w_->Table();
  w_->Button2->click();
  w_->Button4->click();
  EXPECT_EQ(w_->Table(), table);
  EXPECT_EQ(Bytes(Path("db.tpd")), want);
}

TEST_F(KeySettingWindow, FailedSaveAndLoadSayWhyAndChangeNothing) {
  Put(Path("short.tpd"), Pattern(1000));
  Choose(2, kA1);
  Type(2, 2, "1");
  Type(2, 3, "2");
  Type(2, 4, "3");

  struct Case {
    bool save;
    const char* file;
    const char* reason;
  } cases[] = {{true, "short.tpd", "not a database image file"},
               {true, "missing.tpd", "No such file"},
               {false, "short.tpd", "too short"},
               {false, "missing.tpd", "No such file"}};
  for (const Case& c : cases) {
    prompts_.log.clear();
    Type(2, 7, "typed");
    const ks::KeyTable table = w_->Table();
    prompts_.files.push_back(QString::fromStdString(Path(c.file)));
    (c.save ? w_->Button2 : w_->Button4)->click();
    const QStringList m = prompts_.Messages();
    ASSERT_EQ(m.size(), 1) << c.file;
    EXPECT_EQ(prompts_.log.back().kind, orvane::ui::MessageKind::Error);
    EXPECT_TRUE(m[0].contains(QString::fromStdString(Path(c.file)))) << m[0].toStdString();
    EXPECT_TRUE(m[0].contains(c.reason)) << m[0].toStdString();
    EXPECT_EQ(Bytes(Path("short.tpd")), Pattern(1000));
    EXPECT_FALSE(fs::exists(Path("missing.tpd")));
    if (!c.save) {
      EXPECT_EQ(w_->Table(), table);
      EXPECT_EQ(Cell(2, 7), "typed");  // grid as it was
      EXPECT_EQ(Cell(2, 1), kA1);
    }
  }
}

TEST_F(KeySettingWindow, GridAndTableLastBetweenOpenings) {
  Choose(1, kA2);
  Type(1, 2, "10");
  Type(1, 3, "20");
  Type(1, 4, "30");
  w_->Button1->click();
  const QString virt = Cell(1, 7);
  Select(1, 1);
  w_->Button3->click();
  QApplication::processEvents();
  EXPECT_FALSE(w_->isVisible());

  Open();
  EXPECT_EQ(Cell(1, 2), "10");
  EXPECT_EQ(Cell(1, 4), "30");
  EXPECT_EQ(Cell(1, 7), virt);
  EXPECT_EQ(Cell(1, 1), "None");  // each opening starts the algorithms at None
  EXPECT_EQ(w_->Table().entries[0], (ks::KeyTableEntry{2, 10, 20, 0}));
  EXPECT_EQ(w_->sgKeysetting->currentColumn(), 2);
  EXPECT_FALSE(w_->cbAlgorithm->isVisible());
}
