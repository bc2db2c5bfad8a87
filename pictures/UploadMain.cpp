#include "pictures/UploadMain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <cstdio>

#include "pictures/library_encoder.h"
#include "transfer/software_image.h"
#include "transfer/qt_transfer_host.h"
#include "transfer/window_transfer_host.h"
#include "ui/app_context.h"

namespace orvane::pictures {

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 377;
constexpr int kPortCount = 6;
constexpr int kPanelWidth = 258;
constexpr int kPanelHeight = 326;
constexpr int kPanelGap = 6;
constexpr int kBottomRowY = 340;
constexpr int kFlushMs = 500;
constexpr std::uint8_t kSlotFill = 0x00;
const PanelSettings kPanelSettings{QStringLiteral("2000000"), 30};

constexpr const char* kMsgComPort = "ERROR : COM Port";

}  // namespace

TfrmIRDUploader::TfrmIRDUploader(ui::AppContext& app) : TfrmIRDUploader(app, MakeLibraryEncoder()) {}

TfrmIRDUploader::TfrmIRDUploader(ui::AppContext& app, std::unique_ptr<Encoder> encoder, QWidget* parent)
    : QDialog(parent),
      app_(app),
      encoder_(std::move(encoder)),
      pictures_(kSlotFill, *encoder_),
      host_(std::make_unique<transfer::WindowTransferHost>(app, commSerial, Memo1, gaugePercent)),
      session_(*host_, transfer::Direction::Upload) {
  setObjectName(QStringLiteral("frmIRDUploader"));
  setWindowTitle(QStringLiteral("Upload picture"));
  setFixedSize(kClientWidth, kClientHeight);

  PlacePanels(this, app_, pictures_, kPanelSettings, kPanelGap, kPanelGap, kPanelWidth, kPanelHeight, kPanelGap);

  cbSerialPort = new QComboBox(this);
  cbSerialPort->setObjectName(QStringLiteral("cbSerialPort"));
  for (int i = 1; i <= kPortCount; ++i) cbSerialPort->addItem(QStringLiteral("COM%1").arg(i));
  cbSerialPort->setGeometry(kPanelGap, kBottomRowY, 81, 27);

  gaugePercent = new QProgressBar(this);
  gaugePercent->setObjectName(QStringLiteral("gaugePercent"));
  gaugePercent->setRange(0, 100);
  gaugePercent->setValue(0);
  gaugePercent->setAlignment(Qt::AlignCenter);
  gaugePercent->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: blue; }"));
  gaugePercent->setGeometry(kPanelGap + 89, kBottomRowY, 480, 27);

  BitBtn2 = new QPushButton(QString::fromLatin1(kCaptionStartUpload), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setGeometry(kPanelGap + 577, kBottomRowY - 2, kClientWidth - 2 * kPanelGap - 577, 31);

  cbProgram = new QComboBox(this);
  cbProgram->setObjectName(QStringLiteral("cbProgram"));
  for (const char* kind : kDataKinds) cbProgram->addItem(QString::fromLatin1(kind));
  cbProgram->setVisible(false);

  // The log lies below the visible client area, as the window was laid out.
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setGeometry(kPanelGap, kClientHeight + 8, kClientWidth - 2 * kPanelGap, 200);

  commSerial.setObjectName(QStringLiteral("commSerial"));
  commSerial.SetBaudRates(serial::_115200);
  commSerial.OnReceiveData = [this](const std::uint8_t* b, std::uint16_t n) { commSerialReceiveData(b, n); };
  commSerial.OnRequestHangup = [this](serial::TComm32* s) { commSerialRequestHangup(s); };

  connect(BitBtn2, &QPushButton::clicked, this, [this] { StartPictureupload(); });
  FormCreate();
}

TfrmIRDUploader::~TfrmIRDUploader() {
  session_.RequestCancel();
  commSerial.ClosePort();
}

void TfrmIRDUploader::FormCreate() {
  cbSerialPort->setCurrentIndex(0);
  cbProgram->setCurrentIndex(0);
}

void TfrmIRDUploader::FormShow() { cbProgram->setCurrentIndex(kPictureDataKind); }

void TfrmIRDUploader::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) {
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    FormShow();
  }
}

void TfrmIRDUploader::EndTransfer() {
  uploadTag_ = 0;
  BitBtn2->setText(QString::fromLatin1(kCaptionStartUpload));
  session_.RequestCancel();
  commSerial.ClosePort();
  Memo1->clear();
  BitBtn2->setEnabled(true);
}

void TfrmIRDUploader::StartPictureupload() {
  if (uploadTag_ == 1) {  // an upload runs: this press cancels it
    EndTransfer();
    return;
  }
  try {
    cbProgram->setCurrentIndex(kPictureDataKind);
    BitBtn2->setEnabled(true);
    session_.ClearCancel();
    if (!rbOpening->isChecked() && !rbMainMenu->isChecked() && !rbRadio->isChecked()) {
      app_.prompts().Message(QString::fromLatin1(transfer::kMsgFileError));
      BitBtn2->setEnabled(true);
      return;
    }
    image_ = BuildPictureImage(pictures_.Slots());
    session_.Reset();
    commSerial.SetCommPorts(cbSerialPort->currentIndex());
    if (!commSerial.OpenPort()) {
      const std::string why = commSerial.PortName() + ": " + commSerial.LastOpenError();
      Memo1->appendPlainText(QString::fromStdString(why));
      std::fprintf(stderr, "orvane: cannot open %s\n", why.c_str());
      app_.prompts().Message(QString::fromLatin1(kMsgComPort));
      BitBtn2->setEnabled(true);
      return;
    }
    uploadTag_ = 1;
    BitBtn2->setText(QString::fromLatin1(kCaptionCancelUpload));
    const transfer::Outcome outcome = session_.Upload(image_, transfer::k2PI);
    // A last "ERR " must leave before closing the port discards it.
    if (outcome != transfer::Outcome::Cancelled) commSerial.Flush(kFlushMs);
    gaugePercent->setValue(0);
    EndTransfer();
  } catch (const std::exception&) {
    // The port stays open and the button keeps its caption, so the next press cancels and closes.
    app_.prompts().Message(QString::fromLatin1(transfer::kMsgUploadHandlerError));
  }
}

void TfrmIRDUploader::commSerialReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength) {
  session_.ReceiveData(Buffer, BufferLength);
}

void TfrmIRDUploader::commSerialRequestHangup(serial::TComm32*) {
  // The line is gone: end the transfer as a cancel would and keep the program (and its pictures) alive.
  app_.prompts().Message(QString::fromLatin1(transfer::kMsgHangup));
  if (uploadTag_ == 1) EndTransfer();
}

void TfrmIRDUploader::closeEvent(QCloseEvent* e) {
  if (uploadTag_ == 1) EndTransfer();
  QDialog::closeEvent(e);
}

void TfrmIRDUploader::reject() {
  if (uploadTag_ == 1) EndTransfer();
  QDialog::reject();
}

}  // namespace orvane::pictures
