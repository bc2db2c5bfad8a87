// The frame the three transfer windows share, tried in each of them over ird-sim: clicks that arrive while
// the Start handler is still running, the inputs locked while a transfer runs, the status line, the reason
// under a message, and the port list with the device of each item.
#include "transfer/transfer_frame.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "pictures/UploadMain.h"
#include "pictures/tests/picture_test_support.h"
#include "transfer/DownloadMain.h"
#include "transfer/simpleupload.h"
#include "transfer/tests/qt_tsan_suppressions.h"
#include "transfer/tests/sim_process.h"
#include "ui/app_context.h"
#include "ui/tests/qt_app.h"

using namespace orvane::transfer;
using orvane::testing::SimProcess;
using orvane::ui::MessageKind;
using orvane::ui::RecordingPrompts;

namespace {

// One transfer window, ready for Start, seen through the components the frame works on.
struct Subject {
  std::unique_ptr<QDialog> window;
  QPushButton* start = nullptr;
  QComboBox* ports = nullptr;
  QLabel* status = nullptr;
  QProgressBar* gauge = nullptr;
  orvane::serial::TComm32* comm = nullptr;
  std::vector<QWidget*> locked;  // must be disabled while a transfer runs
  std::function<int()> tag;
  std::function<void()> showAgain;  // hides and shows the window, ready for Start again
  QString startCaption, cancelCaption, waiting;
};

struct Env {
  orvane::ui::AppContext& app;
  RecordingPrompts& prompts;
  QTemporaryDir& dir;
};

std::vector<QWidget*> PanelInputs(orvane::pictures::PicturePanels& p) {
  return {p.btnLoadOpeningPic, p.btnLoadMainMenuPic, p.btnLoadRadioPic, p.Button1, p.Button3, p.Button5,
          p.edOpeningPIC, p.sbBrightnessRadioPic, p.rbMainMenu};
}

// What every window has: its Start button, port list, status line, gauge and port; shown again by hiding it.
template <class Window>
Subject Parts(std::unique_ptr<Window> w, QPushButton* start, std::function<int()> tag) {
  Subject s;
  s.start = start;
  s.ports = w->cbSerialPort;
  s.status = w->lblStatus;
  s.gauge = w->gaugePercent;
  s.comm = &w->commSerial;
  s.tag = std::move(tag);
  auto* raw = w.get();
  s.showAgain = [raw] {
    raw->hide();
    raw->show();
  };
  s.window = std::move(w);
  return s;
}

Subject SoftwareUpdate(Env& e) {
  // A software image (all zero: quick to compress, a few dozen packets).
  picture_test::WriteFile(e.dir.filePath("rom.bin").toStdString(), std::vector<std::uint8_t>(1179648, 0));
  auto w = std::make_unique<TfrmSimpleupload>(e.app);
  w->SetUpdateMode(0);
  w->show();
  e.prompts.files.push_back(e.dir.filePath("rom.bin"));
  w->btnSelectFile->click();
  auto* raw = w.get();
  Subject s = Parts(std::move(w), raw->btnStart, [raw] { return raw->StartTag(); });
  s.locked = {raw->cbSerialPort, raw->btnSelectFile};
  // Each showing asks for "Select File" again before Start; the file chosen stays chosen.
  s.showAgain = [raw, &e] {
    raw->hide();
    raw->show();
    e.prompts.files.push_back(raw->ChosenFile());
    raw->btnSelectFile->click();
  };
  s.startCaption = "Start";
  s.cancelCaption = "Cancel";
  s.waiting = "Waiting B00B";
  return s;
}

Subject PictureUpload(Env& e) {
  auto w = std::make_unique<orvane::pictures::TfrmIRDUploader>(e.app, std::make_unique<picture_test::FakeEncoder>());
  w->show();
  w->rbOpening->setChecked(true);
  auto* raw = w.get();
  Subject s = Parts(std::move(w), raw->BitBtn2, [raw] { return raw->UploadTag(); });
  s.locked = PanelInputs(*raw);
  s.locked.push_back(raw->cbSerialPort);
  s.startCaption = "Start picture upload";
  s.cancelCaption = "Cancel picture upload";
  s.waiting = "Waiting B00B";
  return s;
}

Subject DataAreaDownload(Env& e) {
  auto w = std::make_unique<TfrmIrdDownload>(e.app, std::make_unique<picture_test::FakeEncoder>());
  w->show();
  e.prompts.files.push_back(e.dir.filePath("area.dat"));
  w->btnSelctFile->click();
  auto* raw = w.get();
  Subject s = Parts(std::move(w), raw->BitBtn2, [raw] { return raw->StartTag(); });
  s.locked = PanelInputs(*raw);
  s.locked.insert(s.locked.end(), {raw->cbSerialPort, raw->cbProgram, raw->edSatTp, raw->btnSatTp,
                                   raw->edFileName, raw->btnSelctFile});
  s.startCaption = "Start";
  s.cancelCaption = "Cancel";
  s.waiting = "Waiting BABO";
  return s;
}

struct WindowCase {
  const char* name;
  Subject (*make)(Env&);
};

const WindowCase kWindows[] = {
    {"SoftwareUpdate", SoftwareUpdate},
    {"PictureUpload", PictureUpload},
    {"DataAreaDownload", DataAreaDownload},
};

std::vector<bool> Enabled(const std::vector<QWidget*>& widgets) {
  std::vector<bool> out;
  for (QWidget* w : widgets) out.push_back(w->isEnabled());
  return out;
}

class TransferFrameTest : public ::testing::TestWithParam<WindowCase> {
 protected:
  void SetUp() override {
    TestApp();
    ASSERT_TRUE(dir.isValid());
    previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
  }
  void TearDown() override {
    subject.window.reset();
    QDir::setCurrent(previous);
    ::unsetenv("ORVANE_COM1");
    ::unsetenv("ORVANE_COM2");
    ::unsetenv("ORVANE_COM9");
  }
  // The simulator on COM1, then the window (so that its port list shows the simulator's device).
  void Start(const std::vector<std::string>& simArgs) {
    sim = std::make_unique<SimProcess>(simArgs);
    ::setenv("ORVANE_COM1", sim->path().c_str(), 1);
    subject = GetParam().make(env);
    QCoreApplication::processEvents();
    prompts.log.clear();
  }
  void ExpectIdle() {
    EXPECT_EQ(subject.tag(), 0);
    EXPECT_EQ(subject.start->text(), subject.startCaption);
    EXPECT_TRUE(subject.start->isEnabled());
    EXPECT_FALSE(subject.comm->IsOpen());
    EXPECT_TRUE(subject.status->text().isEmpty()) << subject.status->text().toStdString();
  }
  void Grab(const char* what) {
    if (const char* grabDir = std::getenv("ORVANE_GRAB_DIR"))
      subject.window->grab().save(QDir(grabDir).filePath(QString("%1_%2.png").arg(GetParam().name, what)));
  }

  QTemporaryDir dir;
  QString previous;
  orvane::ui::AppContext app;
  RecordingPrompts prompts;
  orvane::ui::ScopedPrompts scoped{app, prompts};
  Env env{app, prompts, dir};
  std::unique_ptr<SimProcess> sim;
  Subject subject;
};

TEST_P(TransferFrameTest, EachPortShowsTheDeviceItOpens) {
  Start({});
  ASSERT_GE(subject.ports->count(), 6);
  EXPECT_EQ(subject.ports->itemText(0), QString::fromStdString("COM1 (" + sim->path() + ")"));
  EXPECT_EQ(subject.ports->currentIndex(), 0);
  for (int i = 1; i < 6; ++i)
    EXPECT_TRUE(subject.ports->itemText(i).startsWith(QString("COM%1 (").arg(i + 1))) << i;
}

// A port beyond COM6 (here one that the environment names; an adapter is offered the same way) is listed when
// the window is shown again, and choosing its item opens that port, not the COM number of the item's index.
TEST_P(TransferFrameTest, AFurtherPortOpensTheDeviceItShows) {
  Start({});
  ::setenv("ORVANE_COM9", sim->path().c_str(), 1);
  ::setenv("ORVANE_COM1", dir.filePath("nothing-here").toLocal8Bit().constData(), 1);
  subject.showAgain();
  QCoreApplication::processEvents();
  const int at = subject.ports->findText(QString::fromStdString("COM9 (" + sim->path() + ")"));
  ASSERT_GE(at, 6) << subject.ports->itemText(6).toStdString();
  subject.ports->setCurrentIndex(at);
  prompts.log.clear();
  subject.start->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{subject.waiting, "Success"}));
  ExpectIdle();
}

// Clicks queued before the first one's handler returns reach it inside its own event pumping (opening the
// port, the first waits). They are the Cancel press, never an error, however many come.
TEST_P(TransferFrameTest, ClicksThatArriveDuringTheStartAreItsCancelNeverAnError) {
  Start({});
  for (int i = 0; i < 3; ++i)
    QMetaObject::invokeMethod(subject.start, [b = subject.start] { b->click(); }, Qt::QueuedConnection);
  QCoreApplication::processEvents();
  for (const QString& m : prompts.Messages()) EXPECT_FALSE(m.startsWith("ERROR")) << m.toStdString();
  EXPECT_LE(prompts.Messages().size(), 1);  // at most the "Waiting" message of a start that was cancelled
  ExpectIdle();

  // The window is not left in a half state: the next press starts a transfer that runs to its end.
  prompts.log.clear();
  subject.start->click();
  EXPECT_EQ(prompts.Messages(), (QStringList{subject.waiting, "Success"}));
  ExpectIdle();
}

TEST_P(TransferFrameTest, WhileItRunsTheInputsAreLockedAndTheStatusSaysItIsWaiting) {
  Start({"--silent-from", "ready"});
  const std::vector<bool> before = Enabled(subject.locked);
  std::vector<bool> during;
  bool startEnabled = false;
  QString caption, status;
  // Looks once the status line speaks (or, should it stay silent, after a generous while) and cancels.
  QElapsedTimer since;
  since.start();
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (subject.tag() != 1 || (subject.status->text().isEmpty() && since.elapsed() < 20000)) return;
    look.stop();
    during = Enabled(subject.locked);
    startEnabled = subject.start->isEnabled();
    caption = subject.start->text();
    status = subject.status->text();
    Grab("waiting");
    subject.start->click();
  });
  look.start(50);
  subject.start->click();
  EXPECT_EQ(during, std::vector<bool>(subject.locked.size(), false));
  EXPECT_TRUE(startEnabled);
  EXPECT_EQ(caption, subject.cancelCaption);
  EXPECT_TRUE(QRegularExpression("^waiting for the receiver \\(\\d+ s\\)$").match(status).hasMatch())
      << status.toStdString();
  EXPECT_EQ(prompts.Messages(), QStringList{subject.waiting});
  EXPECT_EQ(Enabled(subject.locked), before);
  ExpectIdle();
}

TEST_P(TransferFrameTest, TheStatusLineCountsBytesRateAndTimeLeft) {
  Start({});
  QStringList seen;
  bool grabbed = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    const QString text = subject.status->text();
    if (!grabbed && text.endsWith("left") && subject.gauge->value() >= 60) {
      grabbed = true;
      Grab("running");
    }
    if (!text.isEmpty() && !seen.contains(text)) seen << text;
  });
  watch.start(5);
  subject.start->click();
  watch.stop();
  EXPECT_EQ(prompts.Messages(), (QStringList{subject.waiting, "Success"}));
  for (const auto& entry : prompts.log) EXPECT_EQ(entry.kind, MessageKind::Information) << entry.text.toStdString();
  const QRegularExpression figures("^(\\d+) of (\\d+) bytes, \\d+ bytes/s, \\d+ (s|min \\d+ s) left$");
  int matching = 0;
  for (const QString& text : seen) {
    const auto m = figures.match(text);
    if (!m.hasMatch()) continue;
    ++matching;
    EXPECT_LE(m.captured(1).toLongLong(), m.captured(2).toLongLong()) << text.toStdString();
  }
  EXPECT_GT(matching, 0) << seen.join(" | ").toStdString();
  ExpectIdle();
}

TEST_P(TransferFrameTest, APortThatCannotOpenSaysWhyOnASecondLine) {
  Start({});
  const std::string missing = dir.filePath("no-such-adapter").toStdString();
  ::setenv("ORVANE_COM2", missing.c_str(), 1);
  subject.ports->setCurrentIndex(1);
  subject.start->click();
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].text, "ERROR : COM Port");
  EXPECT_EQ(prompts.log[0].kind, MessageKind::Error);
  EXPECT_EQ(prompts.log[0].detail, QString::fromStdString("COM2: no such device: " + missing));
  ExpectIdle();
}

INSTANTIATE_TEST_SUITE_P(Windows, TransferFrameTest, ::testing::ValuesIn(kWindows),
                         [](const auto& info) { return std::string(info.param.name); });

// The percentage stays readable on the blue part: light text there, dark text on the empty part.
TEST(TransferGauge, ThePercentageContrastsWithWhatLiesUnderIt) {
  TestApp();
  QWidget parent;
  TransferGauge gauge(&parent);
  gauge.setGeometry(0, 0, 400, 27);
  struct Case {
    int value;
    bool light;  // text drawn light (on the filled part) or dark
  };
  for (const Case c : {Case{20, false}, Case{75, true}, Case{100, true}}) {
    gauge.setValue(c.value);
    const QImage image = gauge.grab().toImage();
    int light = 0, dark = 0;
    // The text sits in the middle of the bar.
    for (int y = 6; y < 21; ++y)
      for (int x = 170; x < 230; ++x) {
        const QColor px = image.pixelColor(x, y);
        if (px.red() > 200 && px.green() > 200 && px.blue() > 200) ++light;
        if (px.red() < 90 && px.green() < 90 && px.blue() < 90) ++dark;
      }
    EXPECT_GT(c.light ? light : dark, 5) << c.value << "% light " << light << " dark " << dark;
  }
}

}  // namespace
