#include "transfer/simpleupload.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "channeldb/lzss.h"
#include "transfer/software_image.h"
#include "transfer/tests/qt_tsan_suppressions.h"
#include "transfer/tests/sim_process.h"
#include "ui/app_context.h"

using namespace orvane::transfer;
using orvane::serial::TComm32;
using orvane::testing::SimProcess;
using orvane::ui::RecordingPrompts;

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "simpleupload_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

void WriteFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path.toStdString(), std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

// A window in a scratch working folder, with recorded prompts and COM1 on a simulator.
class SimpleuploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(dir.isValid());
    previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    window = std::make_unique<TfrmSimpleupload>(app);
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

  void Show(int mode) {
    window->SetUpdateMode(mode);
    window->show();
    QCoreApplication::processEvents();
  }

  // Chooses `path` through "Select File".
  void Choose(const QString& path) {
    prompts.files.push_back(path);
    window->btnSelectFile->click();
  }

  QTemporaryDir dir;
  QString previous;
  orvane::ui::AppContext app;
  RecordingPrompts prompts;
  orvane::ui::ScopedPrompts scoped{app, prompts};
  std::unique_ptr<TfrmSimpleupload> window;
  std::unique_ptr<SimProcess> sim;
};

TEST_F(SimpleuploadTest, ComponentsAsCreated) {
  EXPECT_EQ(window->windowTitle(), "Upload data");
  EXPECT_GE(window->cbSerialPort->count(), 6);  // COM1..COM6, then the adapters found
  EXPECT_TRUE(window->cbSerialPort->currentText().startsWith("COM1 (/")) << window->cbSerialPort->currentText().toStdString();
  EXPECT_EQ(window->btnStart->text(), "Start");
  EXPECT_FALSE(window->btnStart->isEnabled());
  EXPECT_EQ(window->commSerial.BaudRates(), orvane::serial::_115200);
  for (const char* name : {"cbSerialPort", "btnSelectFile", "gaugePercent", "btnStart", "Memo1"})
    EXPECT_NE(window->findChild<QWidget*>(name), nullptr) << name;
  Show(1);
  EXPECT_FALSE(window->btnSelectFile->isEnabled());
  EXPECT_TRUE(window->btnStart->isEnabled());
  if (const char* grabDir = std::getenv("ORVANE_GRAB_DIR"))
    window->grab().save(QDir(grabDir).filePath("simpleupload.png"));
  window->hide();
  Show(0);
  EXPECT_TRUE(window->btnSelectFile->isEnabled());
  EXPECT_FALSE(window->btnStart->isEnabled());
}

TEST_F(SimpleuploadTest, ChannelDataGoesOutUncompressedInNineteenPackets) {
  const std::string saved = dir.filePath("received.bin").toStdString();
  StartSim({"--save", saved});
  std::vector<std::uint8_t> db(65536);
  for (std::size_t i = 0; i < db.size(); ++i) db[i] = static_cast<std::uint8_t>(i * 13);
  WriteFile("LastestTP.Dat", db);
  Show(1);
  window->btnStart->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting B00B", "Success"}));
  ASSERT_TRUE(sim->WaitFor("result success"));
  EXPECT_TRUE(sim->Has("program 2T** version -"));
  EXPECT_EQ(sim->Count(" ok\n"), 19);
  EXPECT_EQ(ReadFile(saved), db);
  // Afterwards: gauge back to 0, Start caption, port closed; "Select File" stays off in this mode.
  EXPECT_FALSE(window->btnSelectFile->isEnabled());
  EXPECT_EQ(window->gaugePercent->value(), 0);
  EXPECT_EQ(window->btnStart->text(), "Start");
  EXPECT_EQ(window->StartTag(), 0);
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_TRUE(window->Memo1->toPlainText().contains("COMPARE CHECKSUM"));
}

TEST_F(SimpleuploadTest, RefusedFilesOpenNoPort) {
  struct Case {
    int mode;
    std::size_t lastestSize;  // 0: no ./LastestTP.Dat
    std::size_t chosenSize;   // 0: nothing chosen
    const char* message;
    const char* detail;  // in the smaller second line
  };
  const Case cases[] = {
      {0, 0, 0, "ERROR : Select Update File", ""},
      {0, 0, 1703937, "File Error", "rom.bin: 1703937 bytes; a software image has 1703936, 1179648 or 2097152"},
      {0, 0, 65536, "File Error", "rom.bin: 65536 bytes; a software image has"},
      {1, 0, 0, "File Error", "LastestTP.Dat"},
      {1, 65535, 0, "ERROR : Invalid update file", "LastestTP.Dat: 65535 bytes; channel data has 65536"},
  };
  StartSim({});
  for (const auto& c : cases) {
    prompts.log.clear();
    QFile::remove("LastestTP.Dat");
    if (c.lastestSize) WriteFile("LastestTP.Dat", std::vector<std::uint8_t>(c.lastestSize, 1));
    window = std::make_unique<TfrmSimpleupload>(app);
    Show(c.mode);
    if (c.chosenSize) {
      WriteFile("rom.bin", std::vector<std::uint8_t>(c.chosenSize, 2));
      Choose(dir.filePath("rom.bin"));
    }
    if (c.mode == 0 && !c.chosenSize) window->btnStart->setEnabled(true);  // reach the check itself
    window->btnStart->click();
    EXPECT_EQ(prompts.Messages(), QStringList{c.message}) << c.message;
    EXPECT_EQ(prompts.log.back().kind, orvane::ui::MessageKind::Error) << c.message;
    EXPECT_TRUE(prompts.log.back().detail.contains(c.detail)) << prompts.log.back().detail.toStdString();
    EXPECT_EQ(prompts.log.back().detail.isEmpty(), *c.detail == 0) << c.message;
    EXPECT_FALSE(window->commSerial.IsOpen());
  }
  QCoreApplication::processEvents();
  EXPECT_FALSE(sim->Has("session"));  // nothing reached the line
}

TEST_F(SimpleuploadTest, SoftwareImageIsRecognisedCompressedAndSentTwiceAlike) {
  const std::string saved = dir.filePath("received.bin").toStdString();
  StartSim({"--save", saved});
  std::vector<std::uint8_t> rom(1703936, 0xFF);
  for (std::size_t i = 0; i < 200000; ++i) rom[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 7));
  rom[1703712] = 0x12;
  rom[1703713] = 0x0B;
  WriteFile("rom.bin", rom);
  Show(0);
  Choose(dir.filePath("rom.bin"));
  ASSERT_TRUE(window->btnStart->isEnabled());
  for (int run = 1; run <= 2; ++run) {
    prompts.log.clear();
    window->btnStart->click();
    EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting B00B", "Success"})) << run;
    ASSERT_TRUE(sim->WaitFor("stats", 30000));
    EXPECT_EQ(sim->Count("program 2PD* version 120B"), run);
    EXPECT_EQ(window->ChosenFile(), dir.filePath("rom.bin"));
    EXPECT_TRUE(window->btnStart->isEnabled());
  }
  // What went over the line is the compressed image; it decodes to the file.
  const auto coded = ReadFile(saved);
  ASSERT_FALSE(coded.empty());
  EXPECT_LT(coded.size(), rom.size());
  std::vector<std::uint8_t> decoded(rom.size());
  EXPECT_EQ(orvane::lzss::Decode(coded, decoded).written, rom.size());
  EXPECT_EQ(decoded, rom);
}

TEST_F(SimpleuploadTest, PortThatCannotOpenSaysSoAndWhy) {
  ::setenv("ORVANE_COM2", dir.filePath("no-such-adapter").toLocal8Bit().constData(), 1);
  WriteFile("LastestTP.Dat", std::vector<std::uint8_t>(65536, 1));
  Show(1);
  window->cbSerialPort->setCurrentIndex(1);
  window->btnStart->click();
  ::unsetenv("ORVANE_COM2");
  EXPECT_EQ(prompts.Messages(), QStringList{"ERROR : COM Port"});
  EXPECT_TRUE(window->Memo1->toPlainText().contains("no such device"))
      << window->Memo1->toPlainText().toStdString();
  EXPECT_EQ(window->btnStart->text(), "Start");
}

TEST_F(SimpleuploadTest, CancelDuringTheScanClosesThePortWithoutAMessage) {
  StartSim({"--silent-from", "ready"});
  WriteFile("LastestTP.Dat", std::vector<std::uint8_t>(65536, 1));
  Show(1);
  bool wasRunning = false;
  QTimer::singleShot(400, window.get(), [&] {
    wasRunning =
        window->StartTag() == 1 && window->btnStart->text() == "Cancel" && window->commSerial.IsOpen();
    window->btnStart->click();
  });
  window->btnStart->click();
  EXPECT_TRUE(wasRunning);
  EXPECT_EQ(prompts.Messages(), QStringList{"Waiting B00B"});
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_EQ(window->btnStart->text(), "Start");
  EXPECT_EQ(window->StartTag(), 0);
}

TEST_F(SimpleuploadTest, HangupMidTransferEndsItAndTheWindowLivesOn) {
  StartSim({"--hangup-at", "packet:4"});
  WriteFile("LastestTP.Dat", std::vector<std::uint8_t>(65536, 1));
  Show(1);
  window->btnStart->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting B00B", "hangup"}));
  EXPECT_FALSE(window->commSerial.IsOpen());
  EXPECT_EQ(window->btnStart->text(), "Start");
  EXPECT_EQ(window->gaugePercent->value(), 0);
  EXPECT_TRUE(window->isVisible());

  // The same window sends again once a line is back.
  prompts.log.clear();
  StartSim({});
  window->btnStart->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{"Waiting B00B", "Success"}));
}

}  // namespace
