#include "pictures/UploadMain.h"

#include <QCloseEvent>
#include <QAbstractItemView>
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

#include "pictures/library_encoder.h"
#include "transfer/software_image.h"
#include "ui/app_context.h"

namespace orvane::pictures {

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 377 + transfer::kStatusLineHeight;
constexpr int kPanelWidth = 258;
constexpr int kPanelHeight = 326;
constexpr int kPanelGap = 6;
constexpr int kBottomRowY = 340;
constexpr int kFlushMs = 500;
constexpr std::uint8_t kSlotFill = 0x00;
const PanelSettings kPanelSettings{QStringLiteral("2000000"), 30};

}  // namespace

TfrmIRDUploader::TfrmIRDUploader(ui::AppContext& app) : TfrmIRDUploader(app, MakeLibraryEncoder()) {}

TfrmIRDUploader::TfrmIRDUploader(ui::AppContext& app, std::unique_ptr<Encoder> encoder, QWidget* parent)
    : QDialog(parent),
      app_(app),
      encoder_(std::move(encoder)),
      pictures_(kSlotFill, *encoder_),
      frame_(app, commSerial),
      session_(frame_, transfer::Direction::Upload) {
  frame_.Attach(session_);
  setObjectName(QStringLiteral("frmIRDUploader"));
  setWindowTitle(QStringLiteral("Upload picture"));
  setFixedSize(kClientWidth, kClientHeight);

  PlacePanels(this, app_, pictures_, kPanelSettings, kPanelGap, kPanelGap, kPanelWidth, kPanelHeight, kPanelGap);

  cbSerialPort = new QComboBox(this);
  cbSerialPort->setObjectName(QStringLiteral("cbSerialPort"));
  // Wide enough to show the device of the port; its drop-down wider still for adapter names.
  cbSerialPort->setGeometry(kPanelGap, kBottomRowY, 190, 27);
  cbSerialPort->view()->setMinimumWidth(300);

  gaugePercent = new transfer::TransferGauge(this);
  gaugePercent->setObjectName(QStringLiteral("gaugePercent"));
  gaugePercent->setGeometry(kPanelGap + 198, kBottomRowY, 371, 27);

  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setGeometry(kPanelGap, kBottomRowY + 29, kClientWidth - 2 * kPanelGap, transfer::kStatusLineHeight);

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

  // Locked while an upload runs: what opens a dialog or changes the pictures.
  std::vector<QWidget*> inputs{cbProgram};
  for (PicturePanel* p : {Panel3, Panel5, Panel7})
    inputs.insert(inputs.end(), {p->loadButton, p->fileNameField, p->bitrateField, p->brightnessBar, p->setButton,
                                 p->setIndicator});
  frame_.Setup({BitBtn2, QString::fromLatin1(kCaptionStartUpload), QString::fromLatin1(kCaptionCancelUpload),
                cbSerialPort, gaugePercent, lblStatus, Memo1, std::move(inputs), true});
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
    frame_.FillPorts();
    FormShow();
  }
}

void TfrmIRDUploader::EndTransfer() {
  frame_.End();
  BitBtn2->setEnabled(true);
}

void TfrmIRDUploader::StartPictureupload() { frame_.Click([this] { StartTransfer(); }); }

void TfrmIRDUploader::StartTransfer() {
  try {
    cbProgram->setCurrentIndex(kPictureDataKind);
    BitBtn2->setEnabled(true);
    session_.ClearCancel();
    if (!rbOpening->isChecked() && !rbMainMenu->isChecked() && !rbRadio->isChecked()) {
      frame_.Say(transfer::kMsgFileError);
      BitBtn2->setEnabled(true);
      return;
    }
    image_ = BuildPictureImage(pictures_.Slots());
    session_.Reset();
    if (!frame_.OpenPort()) {
      BitBtn2->setEnabled(true);
      return;
    }
    if (!frame_.Begin()) return;
    const transfer::Outcome outcome = session_.Upload(image_, transfer::k2PI);
    // A last "ERR " must leave before closing the port discards it.
    if (outcome != transfer::Outcome::Cancelled) commSerial.Flush(kFlushMs);
    gaugePercent->setValue(0);
    EndTransfer();
  } catch (const std::exception&) {
    // The port stays open and the button keeps its caption, so the next press cancels and closes.
    frame_.Say(transfer::kMsgUploadHandlerError);
  }
}

void TfrmIRDUploader::commSerialReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength) {
  session_.ReceiveData(Buffer, BufferLength);
}

void TfrmIRDUploader::commSerialRequestHangup(serial::TComm32*) {
  // The line is gone: end the transfer as a cancel would and keep the program (and its pictures) alive.
  frame_.Say(transfer::kMsgHangup);
  if (frame_.Running()) EndTransfer();
}

void TfrmIRDUploader::closeEvent(QCloseEvent* e) {
  if (frame_.Running()) EndTransfer();
  QDialog::closeEvent(e);
}

void TfrmIRDUploader::reject() {
  if (frame_.Running()) EndTransfer();
  QDialog::reject();
}

}  // namespace orvane::pictures
