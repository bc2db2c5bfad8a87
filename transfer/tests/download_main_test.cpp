#include "transfer/DownloadMain.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "common/file_io.h"
#include "pictures/tests/picture_test_support.h"
#include "ui/tests/qt_app.h"
#include "transfer/tests/qt_tsan_suppressions.h"
#include "transfer/tests/sim_process.h"
#include "ui/app_context.h"

using namespace orvane::transfer;
using orvane::pictures::PictureKind;
using orvane::testing::SimProcess;
using orvane::ui::RecordingPrompts;

namespace {

using picture_test::FakeEncoder;

// The data area ird-sim serves by default.
std::uint8_t SimByte(std::size_t i) { return static_cast<std::uint8_t>((i * 7) ^ (i >> 9)); }

constexpr std::size_t kUpdaReach = 39 * 3500;  // packets 0 to 38 of a 128 KB download

class DownloadMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ASSERT_TRUE(dir.isValid());
    previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    auto e = std::make_unique<FakeEncoder>();
    // Bytes i * 7 + the number of the call: each Set gives another stream.
    e->seed = 0;
    e->step = 7;
    e->newSeedEachCall = true;
    encoder = e.get();
    window = std::make_unique<TfrmIrdDownload>(app, std::move(e));
    picture_test::WriteFile(dir.filePath("photo.jpg").toStdString(),
                            picture_test::MakeJpeg(64, 48, 3, [](int x, int y, int c) {
                              return static_cast<std::uint8_t>(c == 0 ? x : c == 1 ? y : 128);
                            }));
    window->show();
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    window.reset();
    QDir::setCurrent(previous);
    ::unsetenv("ORVANE_COM1");
  }
  void StartSim(const std::vector<std::string>& args) {
    sim = std::make_unique<SimProcess>(args);
    ::setenv("ORVANE_COM1", sim->path().c_str(), 1);
  }
  void ChooseSaveFile(const QString& path) {
    prompts.files.push_back(path);
    window->btnSelctFile->click();
  }
  void ChooseSatTp(const QString& path) {
    prompts.files.push_back(path);
    window->btnSatTp->click();
  }
  void Load(QPushButton* button) {
    prompts.files.push_back(dir.filePath("photo.jpg"));
    prompts.answers.push_back(true);
    button->click();
  }
  void Drop(QWidget* on, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    // As a drag from the desktop arrives: it enters, is accepted, and is dropped.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(on, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(on, &drop);
  }
  std::vector<std::uint8_t> Saved(const char* name = "area.dat") {
    return orvane::files::ReadFileWhole(dir.filePath(name).toStdString());
  }

  QTemporaryDir dir;
  QString previous;
  orvane::ui::AppContext app;
  RecordingPrompts prompts;
  orvane::ui::ScopedPrompts scoped{app, prompts};
  FakeEncoder* encoder = nullptr;
  std::unique_ptr<TfrmIrdDownload> window;
  std::unique_ptr<SimProcess> sim;
};

TEST_F(DownloadMainTest, ComponentsAsCreated) {
  EXPECT_EQ(window->windowTitle(), "Download");
  EXPECT_EQ(window->size(), QSize(792, 593));  // with the status line
  EXPECT_GE(window->cbSerialPort->count(), 6);  // COM1..COM6, then the adapters found
  EXPECT_TRUE(window->cbSerialPort->currentText().startsWith("COM1 (/")) << window->cbSerialPort->currentText().toStdString();
  ASSERT_EQ(window->cbProgram->count(), 2);
  EXPECT_EQ(window->cbProgram->itemText(0), "Data Area(128KB)");
  EXPECT_EQ(window->cbProgram->itemText(1), "Data Area(256KB)");
  EXPECT_EQ(window->cbProgram->currentIndex(), 0);
  EXPECT_EQ(window->BitBtn2->text(), "Start");
  EXPECT_EQ(window->btnSatTp->text(), "Sat/Tp Data");
  EXPECT_EQ(window->btnSelctFile->text(), "Save data file");
  EXPECT_EQ(window->gaugePercent->value(), 0);
  EXPECT_TRUE(window->Memo1->toPlainText().isEmpty());
  EXPECT_EQ(window->commSerial.BaudRates(), orvane::serial::_115200);
  for (auto* f : {window->edSatTp, window->edFileName}) {
    EXPECT_TRUE(f->font().bold());
    EXPECT_GT(f->font().pointSizeF(), window->font().pointSizeF());
    EXPECT_TRUE(f->text().isEmpty());
  }
  for (auto* f : {window->edOpeningPIC, window->edMainMenuPic, window->edRadioPic}) EXPECT_EQ(f->text(), "3000000");
  for (auto* b : {window->sbBrightnessOpeningPic, window->sbBrightnessMainMenuPic, window->sbBrightnessRadioPic})
    EXPECT_EQ(b->value(), 40);
  for (PictureKind k : orvane::pictures::kAllKinds) {
    const auto slot = window->Pictures().Slot(k);
    EXPECT_TRUE(std::all_of(slot.begin(), slot.end(), [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_FALSE(window->Pictures().SetFlag(k));
  }
  EXPECT_EQ(window->SatTpBuffer(), std::vector<std::uint8_t>(65536, 0xFF));
  EXPECT_FALSE(window->SatTpFlag());
  EXPECT_FALSE(window->FileNameChosen());
  EXPECT_EQ(window->DataAreaImage(), std::vector<std::uint8_t>(262144, 0));
  for (const char* name : {"Panel3", "Panel5", "Panel7", "btnLoadOpeningPic", "edOpeningPicTxt", "edOpeningPIC",
                           "sbBrightnessOpeningPic", "Button1", "rbOpening", "picOpeningPic", "imgOpeningPic",
                           "Button3", "Button5", "cbSerialPort", "cbProgram", "BitBtn2", "gaugePercent", "Memo1",
                           "edSatTp", "btnSatTp", "edFileName", "btnSelctFile"})
    EXPECT_NE(window->findChild<QWidget*>(name), nullptr) << name;
  // Everything lies inside the client area.
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->isVisibleTo(window.get()) && w->parentWidget() == window.get()) {
      EXPECT_TRUE(window->rect().contains(w->geometry())) << w->objectName().toStdString();
    }
  }
  Load(window->btnLoadOpeningPic);
  window->edSatTp->setText("./sattpdat.tpd");
  window->edFileName->setText("./irddata.dat");
  if (const char* grabDir = std::getenv("ORVANE_GRAB_DIR"))
    window->grab().save(QDir(grabDir).filePath("download.png"));
}

TEST_F(DownloadMainTest, TheDialogsAndTheSatTpFile) {
  ChooseSaveFile(dir.filePath("area.dat"));
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].type, RecordingPrompts::Entry::Type::SaveDialog);
  EXPECT_EQ(prompts.log[0].request.filter, "*.dat|*.dat|*.tpd|*.tpd");
  EXPECT_EQ(prompts.log[0].request.filterIndex, 1);
  EXPECT_EQ(prompts.log[0].request.initialDir, ".");
  EXPECT_EQ(prompts.log[0].request.fileName, "./irddata.dat");
  EXPECT_EQ(window->edFileName->text(), dir.filePath("area.dat"));
  EXPECT_TRUE(window->FileNameChosen());

  // A good file, then refused ones: each refusal keeps the buffer and flag of the good one.
  std::vector<std::uint8_t> db(65536);
  for (std::size_t i = 0; i < db.size(); ++i) db[i] = static_cast<std::uint8_t>(i * 5);
  picture_test::WriteFile(dir.filePath("good.tpd").toStdString(), db);
  picture_test::WriteFile(dir.filePath("short.tpd").toStdString(), std::vector<std::uint8_t>(65535, 1));
  picture_test::WriteFile(dir.filePath("empty.tpd").toStdString(), {});
  prompts.log.clear();
  ChooseSatTp(dir.filePath("good.tpd"));
  EXPECT_EQ(prompts.log[0].type, RecordingPrompts::Entry::Type::OpenDialog);
  EXPECT_EQ(prompts.log[0].request.filter, "*.tpd|*.tpd");
  EXPECT_EQ(prompts.log[0].request.initialDir, ".");
  EXPECT_EQ(prompts.log[0].request.fileName, "./sattpdat.tpd");
  EXPECT_TRUE(prompts.Messages().isEmpty());
  EXPECT_TRUE(window->SatTpFlag());
  EXPECT_EQ(window->SatTpBuffer(), db);

  struct Case {
    const char* file;
    const char* message;  // the start of it
  };
  for (const Case& c : {Case{"short.tpd", "Invaild data file"}, Case{"empty.tpd", "File Error"},
                        Case{"missing.tpd", "cannot read"}}) {
    prompts.log.clear();
    ChooseSatTp(dir.filePath(c.file));
    ASSERT_EQ(prompts.Messages().size(), 1) << c.file;
    EXPECT_TRUE(prompts.Messages()[0].startsWith(c.message)) << prompts.Messages()[0].toStdString();
    EXPECT_EQ(window->edSatTp->text(), dir.filePath(c.file));
    EXPECT_TRUE(window->SatTpFlag());
    EXPECT_EQ(window->SatTpBuffer(), db);
  }

  // Cancelled dialogs change nothing.
  prompts.log.clear();
  window->btnSelctFile->click();
  window->btnSatTp->click();
  EXPECT_EQ(window->edFileName->text(), dir.filePath("area.dat"));
  EXPECT_EQ(window->edSatTp->text(), dir.filePath("missing.tpd"));
  EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(DownloadMainTest, ADroppedFileNamesTheFileButStartStillAsksForOne) {
  StartSim({});
  Drop(window->edFileName, dir.filePath("dropped.dat"));
  EXPECT_EQ(window->edFileName->text(), dir.filePath("dropped.dat"));
  Drop(window.get(), dir.filePath("second.dat"));  // on the window itself as well
  EXPECT_EQ(window->edFileName->text(), dir.filePath("second.dat"));
  EXPECT_FALSE(window->FileNameChosen());
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), QStringList{"You must set file name"});
  EXPECT_FALSE(window->commSerial.IsOpen());
  QCoreApplication::processEvents();
  EXPECT_FALSE(sim->Has("rx C0FF"));
  // Once a name was chosen, a later drop replaces it and the download saves there.
  ChooseSaveFile(dir.filePath("area.dat"));
  Drop(window->Memo1->viewport(), dir.filePath("dropped.dat"));
  prompts.log.clear();
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting BABO", "Success"}));
  EXPECT_EQ(Saved("dropped.dat").size(), 262144u);
  EXPECT_FALSE(QFile::exists(dir.filePath("area.dat")));
}

TEST_F(DownloadMainTest, A128KDownloadWithNothingSetSavesTheDataAreaAndZeros) {
  StartSim({});
  ChooseSaveFile(dir.filePath("area.dat"));
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting BABO", "Success"}));
  ASSERT_TRUE(sim->WaitFor("result sent"));
  EXPECT_TRUE(sim->Has("program UPDA"));
  EXPECT_EQ(sim->Count(" ok\n"), 39);
  const auto got = Saved();
  ASSERT_EQ(got.size(), 262144u);
  for (std::size_t i = 0; i < kUpdaReach; ++i) ASSERT_EQ(got[i], SimByte(i)) << i;
  EXPECT_TRUE(std::all_of(got.begin() + kUpdaReach, got.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(window->DataAreaImage(), got);
  EXPECT_EQ(window->BitBtn2->text(), "Start");
  EXPECT_EQ(window->StartTag(), 0);
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_TRUE(window->Memo1->toPlainText().isEmpty());
  EXPECT_FALSE(window->Session().ReceivingPackets());
}

TEST_F(DownloadMainTest, AllFourMergesAfterA256KDownloadAndTheImageCarriesOver) {
  StartSim({});
  Load(window->btnLoadMainMenuPic);
  Load(window->btnLoadOpeningPic);
  encoder->length = 23519;  // the longest a Radio slot takes
  Load(window->btnLoadRadioPic);
  std::vector<std::uint8_t> db(65536);
  for (std::size_t i = 0; i < db.size(); ++i) db[i] = static_cast<std::uint8_t>(0xA0 + i % 13);
  picture_test::WriteFile(dir.filePath("db.tpd").toStdString(), db);
  ChooseSatTp(dir.filePath("db.tpd"));
  ChooseSaveFile(dir.filePath("area.dat"));
  ASSERT_EQ(prompts.Messages(), (QStringList{"Success", "Success", "Success"}));
  prompts.log.clear();
  window->cbProgram->setCurrentIndex(1);
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting BABO", "Success"}));
  ASSERT_TRUE(sim->WaitFor("result sent"));
  EXPECT_TRUE(sim->Has("program UPD2"));
  EXPECT_EQ(sim->Count(" ok\n"), 76);

  const auto got = Saved();
  ASSERT_EQ(got.size(), 262144u);
  const auto menu = window->Pictures().Slot(PictureKind::MainMenu);
  const auto opening = window->Pictures().Slot(PictureKind::Opening);
  const auto radio = window->Pictures().Slot(PictureKind::Radio);
  for (std::size_t i = 0; i < 0x20008; ++i) ASSERT_EQ(got[i], SimByte(i)) << i;
  EXPECT_TRUE(std::equal(menu.begin(), menu.end(), got.begin() + 0x20008));
  EXPECT_TRUE(std::equal(opening.begin(), opening.end(), got.begin() + 0x24808));
  EXPECT_TRUE(std::equal(radio.begin(), radio.end() - 8, got.begin() + 0x2A408));
  EXPECT_FALSE(std::equal(radio.end() - 8, radio.end(), got.begin() + 0x30000));
  EXPECT_TRUE(std::equal(db.begin(), db.end(), got.begin() + 0x30000));

  // A 128 KB download afterwards: the packets' reach is fetched again, the rest is what the image held.
  prompts.log.clear();
  ChooseSaveFile(dir.filePath("second.dat"));
  window->cbProgram->setCurrentIndex(0);
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting BABO", "Success"}));
  EXPECT_EQ(Saved("second.dat"), got);
}

TEST_F(DownloadMainTest, FailuresWriteNothing) {
  struct Case {
    std::vector<std::string> sim;
    QStringList messages;
    std::string simSees;
  };
  const Case cases[] = {
      {{"--bad-image-checksum"}, {"Waiting BABO", "Check SUM ERROR", "Failure"}, "result sent"},
      {{"--state", "NOPE"}, {"Waiting BABO", "Invalid Protocolo"}, "tx NOPE"},
      {{"--ready", "WAIT"}, {"Waiting BABO", "Invalid Protocolo"}, "tx WAIT"},
  };
  ChooseSaveFile(dir.filePath("area.dat"));
  for (const auto& c : cases) {
    StartSim(c.sim);
    prompts.log.clear();
    window->BitBtn2->click();
    EXPECT_EQ(prompts.Messages(), c.messages);
    EXPECT_TRUE(sim->WaitFor(c.simSees)) << sim->Output();
    EXPECT_FALSE(QFile::exists(dir.filePath("area.dat")));
    EXPECT_FALSE(window->commSerial.IsOpen());
    EXPECT_EQ(window->BitBtn2->text(), "Start");
  }
}

TEST_F(DownloadMainTest, CancelDuringTheWaitLeavesTheImageAsItWas) {
  StartSim({});
  ChooseSaveFile(dir.filePath("area.dat"));
  window->BitBtn2->click();
  const auto before = window->DataAreaImage();
  ASSERT_EQ(before[1000], SimByte(1000));

  StartSim({"--silent-from", "ready"});
  prompts.log.clear();
  bool wasRunning = false;
  QTimer::singleShot(400, window.get(), [&] {
    wasRunning = window->StartTag() == 1 && window->BitBtn2->text() == "Cancel" && window->commSerial.IsOpen();
    window->BitBtn2->click();
  });
  QFile::remove(dir.filePath("area.dat"));
  window->BitBtn2->click();
  EXPECT_TRUE(wasRunning);
  EXPECT_EQ(prompts.Messages(), QStringList{"Waiting BABO"});
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_EQ(window->BitBtn2->text(), "Start");
  EXPECT_TRUE(window->Memo1->toPlainText().isEmpty());
  EXPECT_EQ(window->DataAreaImage(), before);
  EXPECT_FALSE(QFile::exists(dir.filePath("area.dat")));
}

// A packet number that is no number: the error message, the port left open with "Cancel"; the next press
// really cancels and closes, and the window downloads again afterwards.
TEST_F(DownloadMainTest, AnErrorInsideTheTransferLeavesCancelThatCloses) {
  StartSim({"--renumber", "3:AB12"});
  ChooseSaveFile(dir.filePath("area.dat"));
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting BABO", "ERROR : Serial Port"}));
  EXPECT_EQ(window->StartTag(), 1);
  EXPECT_EQ(window->BitBtn2->text(), "Cancel");
  EXPECT_TRUE(window->commSerial.IsOpen());
  EXPECT_FALSE(window->Session().ReceivingPackets());
  EXPECT_FALSE(window->Memo1->toPlainText().isEmpty());
  EXPECT_FALSE(QFile::exists(dir.filePath("area.dat")));

  prompts.log.clear();
  window->BitBtn2->click();
  EXPECT_TRUE(prompts.Messages().isEmpty());
  EXPECT_EQ(window->StartTag(), 0);
  EXPECT_EQ(window->BitBtn2->text(), "Start");
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_TRUE(window->Memo1->toPlainText().isEmpty());

  StartSim({});
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting BABO", "Success"}));
  EXPECT_EQ(Saved().size(), 262144u);
}

TEST_F(DownloadMainTest, HangupEndsTheTransferOnly) {
  StartSim({"--hangup-at", "packet:4"});
  ChooseSaveFile(dir.filePath("area.dat"));
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting BABO", "hangup"}));
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_EQ(window->BitBtn2->text(), "Start");
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(QFile::exists(dir.filePath("area.dat")));
}

// A data file that cannot be written is reported with the system's reason: before the port opens when that
// is already so, and instead of "Success" when it becomes so during the download.
TEST_F(DownloadMainTest, AnUnwritableDataFileIsAnErrorNotSuccess) {
  StartSim({});
  ChooseSaveFile(dir.filePath("no/such/folder/area.dat"));
  prompts.log.clear();
  window->BitBtn2->click();
  ASSERT_EQ(prompts.Messages().size(), 1);
  EXPECT_TRUE(prompts.Messages()[0].contains("No such file or directory")) << prompts.Messages()[0].toStdString();
  EXPECT_EQ(prompts.log[0].kind, orvane::ui::MessageKind::Error);
  EXPECT_FALSE(window->commSerial.IsOpen());
  QCoreApplication::processEvents();
  EXPECT_FALSE(sim->Has("rx C0FF"));

  ASSERT_TRUE(QDir(dir.path()).mkdir("gone"));
  ChooseSaveFile(dir.filePath("gone/area.dat"));
  prompts.log.clear();
  QTimer::singleShot(0, window.get(), [&] { QDir(dir.filePath("gone")).removeRecursively(); });
  window->BitBtn2->click();
  ASSERT_EQ(prompts.Messages().size(), 2);
  EXPECT_EQ(prompts.Messages()[0], "Waiting BABO");
  EXPECT_TRUE(prompts.Messages()[1].contains("No such file or directory")) << prompts.Messages()[1].toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("gone/area.dat")));
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_EQ(window->BitBtn2->text(), "Start");
}

}  // namespace
