#include "transfer/simpleupload.h"

#include <QCloseEvent>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include "transfer/software_image.h"
#include "ui/app_context.h"

namespace orvane::transfer {

namespace {

constexpr int kClientWidth = 826;
constexpr int kRowHeight = 55;  // the one row of controls; the status line lies under it
constexpr int kClientHeight = kRowHeight + kStatusLineHeight;
constexpr const char* kOpenFilter = "rom.bin|*.bin";
constexpr int kFlushMs = 500;

}  // namespace

TfrmSimpleupload::TfrmSimpleupload(ui::AppContext& app, QWidget* parent)
    : QDialog(parent),
      app_(app),
      frame_(app, commSerial),
      session_(frame_, Direction::Upload) {
  frame_.Attach(session_);
  setObjectName("frmSimpleupload");
  setWindowTitle("Upload data");
  setFixedSize(kClientWidth, kClientHeight);

  cbSerialPort = new QComboBox(this);
  cbSerialPort->setObjectName("cbSerialPort");
  // Wide enough to show the device of the port; its drop-down wider still for adapter names.
  cbSerialPort->setGeometry(8, 14, 190, 27);
  cbSerialPort->view()->setMinimumWidth(300);

  btnSelectFile = new QPushButton("Select File", this);
  btnSelectFile->setObjectName("btnSelectFile");
  btnSelectFile->setGeometry(206, 12, 110, 31);

  gaugePercent = new TransferGauge(this);
  gaugePercent->setObjectName("gaugePercent");
  gaugePercent->setGeometry(324, 14, 376, 27);

  lblStatus = new QLabel(this);
  lblStatus->setObjectName("lblStatus");
  lblStatus->setGeometry(8, kRowHeight - 8, kClientWidth - 16, kStatusLineHeight);

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

  frame_.Setup({btnStart, QStringLiteral("Start"), QStringLiteral("Cancel"), cbSerialPort, gaugePercent, lblStatus,
                Memo1, {btnSelectFile}, false});

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
    frame_.FillPorts();
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

void TfrmSimpleupload::EndTransfer() { frame_.End(); }

void TfrmSimpleupload::btnStartClick() { frame_.Click([this] { StartTransfer(); }); }

void TfrmSimpleupload::StartTransfer() {
  if (UpdateMode == 0 && chosenFile_.isEmpty()) {
    frame_.Say(kMsgSelectUpdateFile);
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
      frame_.Say(p.error, p.detail);
      return;
    }

    session_.Reset();
    if (!frame_.OpenPort() || !frame_.Begin()) return;
    const Outcome outcome = session_.Upload(std::span<const std::uint8_t>(sendBuffer_.data(), p.length),
                                            p.programToken, p.imageVersion);
    // A last "ERR " must leave before closing the port discards it.
    if (outcome != Outcome::Cancelled) commSerial.Flush(kFlushMs);

    gaugePercent->setValue(0);
    EndTransfer();
  } catch (const std::exception&) {
    // The port stays open and the button keeps "Cancel", so the next press cancels and closes.
    frame_.Say(kMsgSerialCheck);
  }
}

void TfrmSimpleupload::commSerialReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength) {
  session_.ReceiveData(Buffer, BufferLength);
}

void TfrmSimpleupload::commSerialRequestHangup(serial::TComm32*) {
  // The line is gone: end the transfer as a cancel would and keep the program (and its unsaved edits) alive.
  frame_.Say(kMsgHangup);
  EndTransfer();
}

void TfrmSimpleupload::closeEvent(QCloseEvent* e) {
  if (frame_.Running()) EndTransfer();
  QDialog::closeEvent(e);
}

void TfrmSimpleupload::reject() {
  if (frame_.Running()) EndTransfer();
  QDialog::reject();
}

}  // namespace orvane::transfer
