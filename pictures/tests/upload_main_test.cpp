#include "pictures/UploadMain.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include "common/file_io.h"
#include "ui/tests/qt_app.h"
#include "pictures/tests/picture_test_support.h"
#include "transfer/tests/qt_tsan_suppressions.h"
#include "transfer/tests/sim_process.h"
#include "ui/app_context.h"

using namespace orvane::pictures;
using orvane::testing::SimProcess;
using orvane::ui::RecordingPrompts;

namespace {

using picture_test::FakeEncoder;

// A window on a fake encoder whose bytes are i * 7 + 3; `encoder` stays reachable for the test.
std::unique_ptr<TfrmIRDUploader> MakeWindow(orvane::ui::AppContext& app, FakeEncoder*& encoder) {
  auto e = std::make_unique<FakeEncoder>();
  e->seed = 3;
  e->step = 7;
  encoder = e.get();
  return std::make_unique<TfrmIRDUploader>(app, std::move(e));
}

class UploadMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ASSERT_TRUE(dir.isValid());
    previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    window = MakeWindow(app, encoder);
    picture_test::WriteFile(dir.filePath("photo.jpg").toStdString(),
                            picture_test::MakeJpeg(320, 240, 3, [](int x, int y, int c) {
                              return static_cast<std::uint8_t>(c == 0 ? x : c == 1 ? y : 128);
                            }));
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
  // Load through the panel's button: the file dialog answers `path`, the question Yes.
  void Load(QPushButton* button, const QString& path) {
    prompts.files.push_back(path);
    prompts.answers.push_back(true);
    button->click();
  }

  FakeEncoder* encoder = nullptr;
  QTemporaryDir dir;
  QString previous;
  orvane::ui::AppContext app;
  RecordingPrompts prompts;
  orvane::ui::ScopedPrompts scoped{app, prompts};
  std::unique_ptr<TfrmIRDUploader> window;
  std::unique_ptr<SimProcess> sim;
};

TEST_F(UploadMainTest, ComponentsAsCreated) {
  EXPECT_EQ(window->windowTitle(), "Upload picture");
  EXPECT_EQ(window->size(), QSize(792, 397));  // with the status line
  EXPECT_GE(window->cbSerialPort->count(), 6);  // COM1..COM6, then the adapters found
  EXPECT_TRUE(window->cbSerialPort->currentText().startsWith("COM1 (/")) << window->cbSerialPort->currentText().toStdString();
  EXPECT_EQ(window->BitBtn2->text(), "Start picture upload");
  EXPECT_FALSE(window->cbProgram->isVisibleTo(window.get()));
  EXPECT_EQ(window->cbProgram->count(), 7);
  EXPECT_EQ(window->cbProgram->currentIndex(), 0);
  for (auto* f : {window->edOpeningPIC, window->edMainMenuPic, window->edRadioPic}) EXPECT_EQ(f->text(), "2000000");
  for (auto* b : {window->sbBrightnessOpeningPic, window->sbBrightnessMainMenuPic, window->sbBrightnessRadioPic}) {
    EXPECT_EQ(b->value(), 30);
    EXPECT_EQ(b->maximum(), 100);
  }
  EXPECT_EQ(window->btnLoadMainMenuPic->text(), "Load Main Menu PIC.(JPG)");
  for (const char* name : {"Panel3", "Panel5", "Panel7", "btnLoadOpeningPic", "edOpeningPicTxt", "edOpeningPIC",
                           "sbBrightnessOpeningPic", "Button1", "rbOpening", "picOpeningPic", "imgOpeningPic",
                           "Button3", "rbMainMenu", "Button5", "rbRadio", "imgRadioPic", "gaugePercent", "BitBtn2",
                           "Memo1", "cbProgram"})
    EXPECT_NE(window->findChild<QWidget*>(name), nullptr) << name;
  // Panels left to right: Opening, Main Menu, Radio.
  EXPECT_LT(window->Panel3->x(), window->Panel5->x());
  EXPECT_LT(window->Panel5->x(), window->Panel7->x());
  window->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(window->cbProgram->currentText(), "Picture Data");
  Load(window->btnLoadOpeningPic, dir.filePath("photo.jpg"));
  if (const char* grabDir = std::getenv("ORVANE_GRAB_DIR"))
    window->grab().save(QDir(grabDir).filePath("picture_upload.png"));
}

TEST_F(UploadMainTest, LoadAndSetThroughThePanels) {
  Load(window->btnLoadRadioPic, dir.filePath("photo.jpg"));
  EXPECT_EQ(prompts.Messages(), QStringList{"Success"});
  ASSERT_EQ(prompts.log.size(), 3u);
  EXPECT_EQ(prompts.log[1].text, "Continue processing ?");
  EXPECT_EQ(prompts.log[0].request.filter, "*.jpg|*.jpg");
  EXPECT_EQ(prompts.log[0].request.initialDir, ".");
  EXPECT_TRUE(window->rbRadio->isChecked());
  EXPECT_FALSE(window->rbOpening->isChecked());
  EXPECT_EQ(window->edRadioPicTxt->text(), dir.filePath("photo.jpg"));
  EXPECT_FALSE(window->imgRadioPic->pixmap().isNull());
  EXPECT_EQ(window->picRadioPic->pixmap().size(), QSize(704, 576));
  EXPECT_TRUE(QFile::exists("tmp.bmp"));

  // Too big for the slot: the message, and the indicator stays off after the Load.
  prompts.log.clear();
  encoder->length = 23520;
  Load(window->btnLoadRadioPic, dir.filePath("photo.jpg"));
  EXPECT_EQ(prompts.Messages(), QStringList{"Too Big Compressed Size"});
  EXPECT_FALSE(window->rbRadio->isChecked());

  // A file that is no JPEG: the decoder's number; the field shows the new name, the indicator is off.
  picture_test::WriteFile(dir.filePath("bad.jpg").toStdString(), {'n', 'o', 'p', 'e'});
  prompts.log.clear();
  window->rbRadio->setChecked(true);
  prompts.files.push_back(dir.filePath("bad.jpg"));
  window->btnLoadRadioPicClick();
  ASSERT_EQ(prompts.Messages().size(), 1);
  EXPECT_TRUE(prompts.Messages()[0].startsWith("JPEG error #"));
  EXPECT_EQ(prompts.log.back().kind, orvane::ui::MessageKind::Error);
  EXPECT_FALSE(window->rbRadio->isChecked());
  EXPECT_EQ(window->edRadioPicTxt->text(), dir.filePath("bad.jpg"));

  // Set with the new name still decodes nothing new: the previous source pixels are encoded again.
  prompts.log.clear();
  encoder->length = 100;
  prompts.answers.push_back(true);
  window->Button5Click();
  EXPECT_EQ(prompts.Messages(), QStringList{"Success"});
  EXPECT_EQ(Geometry(PictureKind::Radio).size, window->Pictures().Slot(PictureKind::Radio).size());

  // Set of a kind never loaded (empty name) does nothing, asks nothing.
  prompts.log.clear();
  window->Button3Click();
  EXPECT_TRUE(prompts.log.empty());
}

TEST_F(UploadMainTest, NoIndicatorNoUpload) {
  StartSim({});
  window->show();
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), QStringList{"File Error"});
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_TRUE(window->BitBtn2->isEnabled());
}

TEST_F(UploadMainTest, TheImageHoldsAllThreeSlotsInItsOrderWhateverIsSet) {
  const std::string saved = dir.filePath("received.bin").toStdString();
  StartSim({"--save", saved});
  window->show();
  Load(window->btnLoadRadioPic, dir.filePath("photo.jpg"));
  prompts.log.clear();
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting B00B", "Success"}));
  ASSERT_TRUE(sim->WaitFor("result success"));
  EXPECT_TRUE(sim->Has("program 2PI* version -"));
  const auto got = orvane::files::ReadFileWhole(saved);
  ASSERT_EQ(got.size(), kPictureImageSize);
  const auto radio = window->Pictures().Slot(PictureKind::Radio);
  EXPECT_TRUE(std::equal(radio.begin(), radio.end(), got.begin() + 0xA400));
  EXPECT_TRUE(std::all_of(got.begin(), got.begin() + 0xA400, [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(got[0xA400], 0xFF);
  EXPECT_EQ(window->gaugePercent->value(), 0);
  EXPECT_EQ(window->BitBtn2->text(), "Start picture upload");
  EXPECT_FALSE(window->commSerial.IsOpen());

  // An indicator the user clicks on without a picture set: an all-zero image goes out.
  window = MakeWindow(app, encoder);
  window->show();
  window->rbMainMenu->setChecked(true);
  prompts.log.clear();
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting B00B", "Success"}));
  ASSERT_TRUE(sim->WaitFor("program 2PI*", 5000));
  const auto zeros = orvane::files::ReadFileWhole(saved);
  EXPECT_EQ(zeros, std::vector<std::uint8_t>(kPictureImageSize, 0));
}

TEST_F(UploadMainTest, CancelDuringThePacketsAndHangupEndTheTransferOnly) {
  StartSim({"--pace"});
  window->show();
  window->rbOpening->setChecked(true);
  bool wasRunning = false;
  QTimer::singleShot(1500, window.get(), [&] {
    wasRunning = window->UploadTag() == 1 && window->BitBtn2->text() == "Cancel picture upload";
    window->BitBtn2->click();
  });
  window->BitBtn2->click();
  EXPECT_TRUE(wasRunning);
  EXPECT_EQ(prompts.Messages(), QStringList{"Waiting B00B"});
  EXPECT_EQ(window->gaugePercent->value(), 0);
  EXPECT_EQ(window->BitBtn2->text(), "Start picture upload");
  EXPECT_FALSE(window->commSerial.IsOpen());

  prompts.log.clear();
  StartSim({"--hangup-at", "packet:3"});
  window->BitBtn2->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting B00B", "hangup"}));
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_EQ(window->BitBtn2->text(), "Start picture upload");
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
