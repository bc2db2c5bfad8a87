#include "transfer/simpleupload.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <cstdio>

#include "transfer/software_image.h"
#include "transfer/window_transfer_host.h"
#include "ui/app_context.h"

namespace orvane::transfer {

namespace {

constexpr int kClientWidth = 826;
constexpr int kClientHeight = 55;
constexpr int kPortCount = 6;
constexpr const char* kOpenFilter = "rom.bin|*.bin";
constexpr int kFlushMs = 500;

}  // namespace

TfrmSimpleupload::TfrmSimpleupload(ui::AppContext& app, QWidget* parent)
    : QDialog(parent),
      app_(app),
      host_(std::make_unique<WindowTransferHost>(app, commSerial, Memo1, gaugePercent)),
      session_(*host_, Direction::Upload) {
  setObjectName("frmSimpleupload");
  setWindowTitle("Upload data");
  setFixedSize(kClientWidth, kClientHeight);

  cbSerialPort = new QComboBox(this);
  cbSerialPort->setObjectName("cbSerialPort");
  for (int i = 1; i <= kPortCount; ++i) cbSerialPort->addItem(QString("COM%1").arg(i));
  cbSerialPort->setGeometry(8, 14, 81, 27);

  btnSelectFile = new QPushButton("Select File", this);
  btnSelectFile->setObjectName("btnSelectFile");
  btnSelectFile->setGeometry(97, 12, 110, 31);

  gaugePercent = new QProgressBar(this);
  gaugePercent->setObjectName("gaugePercent");
  gaugePercent->setRange(0, 100);
  gaugePercent->setValue(0);
  gaugePercent->setAlignment(Qt::AlignCenter);
  gaugePercent->setStyleSheet("QProgressBar::chunk { background-color: blue; }");
  gaugePercent->setGeometry(215, 14, 485, 27);

  btnStart = new QPushButton("Start", this);
  btnStart->setObjectName("btnStart");
  btnStart->setEnabled(false);
  btnStart->setGeometry(708, 12, 110, 31);

  // The log lies below the visible client area, as the window was laid out.
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setGeometry(8, kClientHeight + 8, 810, 200);

  commSerial.setObjectName("commSerial");
  commSerial.SetBaudRates(serial::_115200);
  commSerial.OnReceiveData = [this](const std::uint8_t* b, std::uint16_t n) { commSerialReceiveData(b, n); };
  commSerial.OnRequestHangup = [this](serial::TComm32* s) { commSerialRequestHangup(s); };

  connect(btnSelectFile, &QPushButton::clicked, this, [this] { btnSelectFileClick(); });
  connect(btnStart, &QPushButton::clicked, this, [this] { btnStartClick(); });

  // Window created: first port selected, no file chosen.
  cbSerialPort->setCurrentIndex(0);
  chosenFile_.clear();
}

TfrmSimpleupload::~TfrmSimpleupload() {
  session_.RequestCancel();
  commSerial.ClosePort();
}

void TfrmSimpleupload::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) {
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    FormActivate();
  }
}

void TfrmSimpleupload::FormActivate() {
  if (UpdateMode == 0) {
    btnSelectFile->setEnabled(true);
    btnStart->setEnabled(false);
  } else if (UpdateMode == 1) {
    btnSelectFile->setEnabled(false);
    btnStart->setEnabled(true);
  }
}

void TfrmSimpleupload::btnSelectFileClick() {
  ui::FileDialogRequest OpenDialog1;
  OpenDialog1.filter = kOpenFilter;
  OpenDialog1.filterIndex = 1;
  OpenDialog1.initialDir = ".";
  if (auto name = app_.prompts().ChooseOpenFile(OpenDialog1)) {
    chosenFile_ = *name;
    btnStart->setEnabled(true);
  }
}

void TfrmSimpleupload::EndTransfer() {
  btnStartTag_ = 0;
  btnStart->setText("Start");
  session_.RequestCancel();
  commSerial.ClosePort();
}

void TfrmSimpleupload::btnStartClick() {
  if (UpdateMode == 0 && chosenFile_.isEmpty()) {
    app_.prompts().Message(kMsgSelectUpdateFile);
    return;
  }
  if (btnStartTag_ == 1) {  // a transfer runs: this press cancels it
    EndTransfer();
    return;
  }
  if (UpdateMode != 0 && UpdateMode != 1) return;  // no image to send in any other mode
  try {
    Memo1->clear();
    QCoreApplication::processEvents();
    session_.ClearCancel();

    const PreparedUpload p = UpdateMode == 0
                                 ? PrepareSoftwareImage(chosenFile_.toStdString(), fileBuffer_, sendBuffer_)
                                 : PrepareChannelData(kChannelDataFile, sendBuffer_);
    if (!p.error.empty()) {
      app_.prompts().Message(QString::fromStdString(p.error));
      return;
    }

    session_.Reset();
    commSerial.SetCommPorts(cbSerialPort->currentIndex());
    if (!commSerial.OpenPort()) {
      // The user sees the fixed text; the reason (missing device, busy, no permission) goes to the log
      // and to stderr so that it can be fixed.
      const std::string why = commSerial.PortName() + ": " + commSerial.LastOpenError();
      Memo1->appendPlainText(QString::fromStdString(why));
      std::fprintf(stderr, "orvane: cannot open %s\n", why.c_str());
      app_.prompts().Message(kMsgComPort);
      return;
    }

    btnStartTag_ = 1;
    btnStart->setText("Cancel");
    const Outcome outcome = session_.Upload(std::span<const std::uint8_t>(sendBuffer_.data(), p.length),
                                            p.programToken, p.imageVersion);
    // A last "ERR " must leave before closing the port discards it.
    if (outcome != Outcome::Cancelled) commSerial.Flush(kFlushMs);

    gaugePercent->setValue(0);
    EndTransfer();
  } catch (const std::exception&) {
    // The port stays open and the button keeps "Cancel", so the next press cancels and closes.
    app_.prompts().Message(kMsgSerialCheck);
  }
}

void TfrmSimpleupload::commSerialReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength) {
  session_.ReceiveData(Buffer, BufferLength);
}

void TfrmSimpleupload::commSerialRequestHangup(serial::TComm32*) {
  // The line is gone: end the transfer as a cancel would and keep the program (and its unsaved edits) alive.
  app_.prompts().Message(QString::fromStdString(kMsgHangup));
  EndTransfer();
}

void TfrmSimpleupload::closeEvent(QCloseEvent* e) {
  if (btnStartTag_ == 1) EndTransfer();
  QDialog::closeEvent(e);
}

void TfrmSimpleupload::reject() {
  if (btnStartTag_ == 1) EndTransfer();
  QDialog::reject();
}

}  // namespace orvane::transfer
