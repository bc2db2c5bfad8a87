#include "transfer/DownloadMain.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QUrl>

#include "common/file_io.h"
#include "pictures/library_encoder.h"
#include "transfer/data_area.h"
#include "ui/app_context.h"

namespace orvane::transfer {

namespace {

using pictures::PictureKind;

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 573 + kStatusLineHeight;
constexpr int kGap = 6;
constexpr int kPortListWidth = 170;
constexpr int kPanelWidth = 256;  // three with equal margins in the client width
constexpr int kPanelHeight = 326;
constexpr int kControlRowY = 340;
constexpr int kFileRowHeight = 36;
constexpr int kStatusRowY = 369;  // under the gauge; the rows below moved down by its height
constexpr int kSatTpRowY = 376 + kStatusLineHeight;
constexpr int kFileNameRowY = 418 + kStatusLineHeight;
constexpr int kMemoY = 460 + kStatusLineHeight;
constexpr int kFileButtonWidth = 150;
constexpr int kLargeFontPoints = 14;
constexpr int kFlushMs = 500;
constexpr std::uint8_t kSourceFill = 0xFF;
const pictures::PanelSettings kPanelSettings{QStringLiteral("3000000"), 40};

constexpr const char* kCaptionStart = "Start";
constexpr const char* kCaptionCancel = "Cancel";
constexpr const char* kSaveFilter = "*.dat|*.dat|*.tpd|*.tpd";
constexpr const char* kSaveProposed = "./irddata.dat";
constexpr const char* kSatTpFilter = "*.tpd|*.tpd";
constexpr const char* kSatTpProposed = "./sattpdat.tpd";

// The first local file a drag carries, or "" when it carries none.
QString FirstLocalFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return {};
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) return url.toLocalFile();
  return {};
}

}  // namespace

TfrmIrdDownload::TfrmIrdDownload(ui::AppContext& app) : TfrmIrdDownload(app, pictures::MakeLibraryEncoder()) {}

TfrmIrdDownload::TfrmIrdDownload(ui::AppContext& app, std::unique_ptr<pictures::Encoder> encoder, QWidget* parent)
    : QDialog(parent),
      app_(app),
      encoder_(std::move(encoder)),
      pictures_(kSourceFill, *encoder_),
      dataAreaImage_(kDataAreaImageSize, 0x00),
      satTpBuffer_(kSatTpBufferSize, kSourceFill),
      frame_(app, commSerial),
      session_(frame_, Direction::Download) {
  frame_.Attach(session_);
  setObjectName(QStringLiteral("frmIrdDownload"));
  setWindowTitle(QStringLiteral("Download"));
  setFixedSize(kClientWidth, kClientHeight);

  PlacePanels(this, app_, pictures_, kPanelSettings, kGap, kGap, kPanelWidth, kPanelHeight, kGap);

  // Port, size, progress and Start under the panels.
  cbSerialPort = new QComboBox(this);
  cbSerialPort->setObjectName(QStringLiteral("cbSerialPort"));
  // Wide enough to show the device of the port; its drop-down wider still for adapter names.
  cbSerialPort->setGeometry(kGap, kControlRowY, kPortListWidth, 27);
  cbSerialPort->view()->setMinimumWidth(300);

  cbProgram = new QComboBox(this);
  cbProgram->setObjectName(QStringLiteral("cbProgram"));
  for (const char* item : kProgramItems) cbProgram->addItem(QString::fromLatin1(item));
  cbProgram->setGeometry(kGap + kPortListWidth + 8, kControlRowY, 150, 27);

  gaugePercent = new TransferGauge(this);
  gaugePercent->setObjectName(QStringLiteral("gaugePercent"));
  const int gaugeX = kGap + kPortListWidth + 8 + 158;
  const int startX = kClientWidth - kGap - kFileButtonWidth;
  gaugePercent->setGeometry(gaugeX, kControlRowY, startX - 8 - gaugeX, 27);

  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setGeometry(kGap, kStatusRowY, kClientWidth - 2 * kGap, kStatusLineHeight);

  BitBtn2 = new QPushButton(QString::fromLatin1(kCaptionStart), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setGeometry(startX, kControlRowY - 2, kFileButtonWidth, 31);

  // The two file names, large and bold so that the technician sees at a glance what goes where.
  QFont large = font();
  large.setPointSize(kLargeFontPoints);
  large.setBold(true);
  const int fieldWidth = startX - 8 - kGap;
  auto fileRow = [&](QLineEdit*& field, const char* fieldName, QPushButton*& button, const char* buttonName,
                     const char* caption, int y) {
    field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(fieldName));
    field->setFont(large);
    field->setGeometry(kGap, y, fieldWidth, kFileRowHeight);
    button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(buttonName));
    button->setGeometry(startX, y, kFileButtonWidth, kFileRowHeight);
  };
  fileRow(edSatTp, "edSatTp", btnSatTp, "btnSatTp", "Sat/Tp Data", kSatTpRowY);
  fileRow(edFileName, "edFileName", btnSelctFile, "btnSelctFile", "Save data file", kFileNameRowY);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setGeometry(kGap, kMemoY, kClientWidth - 2 * kGap, kClientHeight - kGap - kMemoY);

  commSerial.setObjectName(QStringLiteral("commSerial"));
  commSerial.SetBaudRates(serial::_115200);
  commSerial.OnReceiveData = [this](const std::uint8_t* b, std::uint16_t n) { commSerialReceiveData(b, n); };
  commSerial.OnRequestHangup = [this](serial::TComm32* s) { commSerialRequestHangup(s); };

  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(btnSatTp, &QPushButton::clicked, this, [this] { btnSatTpClick(); });
  connect(btnSelctFile, &QPushButton::clicked, this, [this] { btnSelctFileClick(); });

  // Locked while a download runs: what opens a dialog or changes what is fetched, merged or saved.
  std::vector<QWidget*> inputs{cbProgram, edSatTp, btnSatTp, edFileName, btnSelctFile};
  for (pictures::PicturePanel* p : {Panel3, Panel5, Panel7})
    inputs.insert(inputs.end(), {p->loadButton, p->fileNameField, p->bitrateField, p->brightnessBar, p->setButton,
                                 p->setIndicator});
  frame_.Setup({BitBtn2, QString::fromLatin1(kCaptionStart), QString::fromLatin1(kCaptionCancel), cbSerialPort,
                gaugePercent, lblStatus, Memo1, std::move(inputs), true});

  // A file dropped anywhere on the window names the data file, whichever component is under the mouse;
  // text dragged inside the program still goes to the field it is dropped on.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  installEventFilter(this);
  FormCreate();
}

TfrmIrdDownload::~TfrmIrdDownload() {
  session_.RequestCancel();
  commSerial.ClosePort();
}

void TfrmIrdDownload::FormCreate() {
  cbSerialPort->setCurrentIndex(0);
  cbProgram->setCurrentIndex(0);
}

void TfrmIrdDownload::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) {
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    frame_.FillPorts();
    setAcceptDrops(true);
  }
}

bool TfrmIrdDownload::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* e = static_cast<QDragMoveEvent*>(event);
      if (!acceptDrops() || FirstLocalFile(e->mimeData()).isEmpty()) break;
      e->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* e = static_cast<QDropEvent*>(event);
      const QString file = acceptDrops() ? FirstLocalFile(e->mimeData()) : QString();
      if (file.isEmpty()) break;
      DropFiles(file);
      e->acceptProposedAction();
      return true;
    }
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmIrdDownload::DropFiles(const QString& firstFile) {
  // Only the name: a dropped file has not been confirmed as the place to save, so Start still asks for one.
  edFileName->setText(firstFile);
}

void TfrmIrdDownload::btnSelctFileClick() {
  ui::FileDialogRequest SaveDialog1;
  SaveDialog1.filter = QString::fromLatin1(kSaveFilter);
  SaveDialog1.filterIndex = 1;
  SaveDialog1.initialDir = QStringLiteral(".");
  SaveDialog1.fileName = QString::fromLatin1(kSaveProposed);
  if (auto name = app_.prompts().ChooseSaveFile(SaveDialog1)) {
    edFileName->setText(*name);
    fileNameChosen_ = true;
  }
}

void TfrmIrdDownload::btnSatTpClick() {
  ui::FileDialogRequest OpenDialog1;
  OpenDialog1.filter = QString::fromLatin1(kSatTpFilter);
  OpenDialog1.filterIndex = 1;
  OpenDialog1.initialDir = QStringLiteral(".");
  OpenDialog1.fileName = QString::fromLatin1(kSatTpProposed);
  const auto name = app_.prompts().ChooseOpenFile(OpenDialog1);
  if (!name) return;
  edSatTp->setText(*name);
  try {
    SatTpFile f = ReadSatTpFile(edSatTp->text().toStdString());
    if (f.check != SatTpCheck::Ok) {
      frame_.Say(SatTpMessage(f.check), edSatTp->text().toStdString() + ": " + std::to_string(f.size) +
                                            " bytes; a channel database image file has " +
                                            std::to_string(kSatTpBufferSize));
      return;  // the buffer and its flag keep what they had
    }
    satTpBuffer_ = std::move(f.bytes);
    satTpFlag_ = true;
  } catch (const std::exception& e) {
    app_.prompts().Error(QString::fromStdString(e.what()));
  }
}

void TfrmIrdDownload::EndTransfer() { frame_.End(); }

void TfrmIrdDownload::SaveDataFile() {
  MergeSources sources{};
  const PictureKind kinds[] = {PictureKind::MainMenu, PictureKind::Opening, PictureKind::Radio};
  const MergeSource rows[] = {MergeSource::MainMenu, MergeSource::Opening, MergeSource::Radio};
  for (int i = 0; i < 3; ++i)
    if (pictures_.SetFlag(kinds[i])) sources[static_cast<std::size_t>(rows[i])] = pictures_.Slot(kinds[i]);
  if (satTpFlag_) sources[static_cast<std::size_t>(MergeSource::SatTp)] = satTpBuffer_;
  ApplyMerge(dataAreaImage_, sources);
  files::WriteFileWhole(edFileName->text().toStdString(), dataAreaImage_);
}

void TfrmIrdDownload::BitBtn2Click() { frame_.Click([this] { StartTransfer(); }); }

void TfrmIrdDownload::StartTransfer() {
  if (!fileNameChosen_) {
    frame_.Say(kMsgMustSetFileName);
    return;
  }
  // A file that cannot be written is found now, not after the whole download.
  try {
    files::CheckWritable(edFileName->text().toStdString());
  } catch (const files::FileError& e) {
    app_.prompts().Error(QString::fromStdString(e.what()));
    return;
  }
  try {
    session_.ClearCancel();
    session_.Reset();
    if (!frame_.OpenPort()) return;
    session_.SetReceivingPackets(false);
    if (!frame_.Begin()) return;
    const std::string_view token = cbProgram->currentIndex() == 1 ? kUPD2 : kUPDA;
    Outcome outcome = Outcome::Cancelled;
    try {
      outcome = session_.Download(token, dataAreaImage_, [this] { SaveDataFile(); });
    } catch (const files::FileError& e) {
      // The data area arrived but could not be saved: say why instead of "Success", and end as usual.
      app_.prompts().Error(QString::fromStdString(e.what()));
      outcome = Outcome::Failure;
    }
    // A last "ERR " or packet checksum must leave before closing the port discards it.
    if (outcome != Outcome::Cancelled) commSerial.Flush(kFlushMs);
    EndTransfer();
  } catch (const std::exception&) {
    // The port stays open and the button keeps "Cancel", so the next press cancels and closes.
    frame_.Say(kMsgDownloadSerialPort);
  }
}

void TfrmIrdDownload::commSerialReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength) {
  session_.ReceiveData(Buffer, BufferLength);
}

void TfrmIrdDownload::commSerialRequestHangup(serial::TComm32*) {
  // The line is gone: end the transfer as a cancel would and keep the program (and the pictures) alive.
  frame_.Say(kMsgHangup);
  if (frame_.Running()) EndTransfer();
}

void TfrmIrdDownload::closeEvent(QCloseEvent* e) {
  if (frame_.Running()) EndTransfer();
  QDialog::closeEvent(e);
}

void TfrmIrdDownload::reject() {
  if (frame_.Running()) EndTransfer();
  QDialog::reject();
}

}  // namespace orvane::transfer
