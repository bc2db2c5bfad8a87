// "Download": fetches the receiver's data area (128 KB or 256 KB), patches in the three pictures prepared here
// and a channel database image file, and saves the 262,144-byte data file.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <vector>

#include "pictures/picture_panel.h"
#include "pictures/picture_pipeline.h"
#include "serial/Comm32.h"
#include "transfer/transfer_frame.h"
#include "transfer/transfer_session.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
namespace orvane::ui {
class AppContext;
}

namespace orvane::transfer {

inline constexpr const char* kMsgMustSetFileName = "You must set file name";
inline constexpr const char* kMsgDownloadSerialPort = "ERROR : Serial Port";
inline constexpr const char* kProgramItems[] = {"Data Area(128KB)", "Data Area(256KB)"};

class TfrmIrdDownload : public QDialog, public pictures::PicturePanels {
  Q_OBJECT

 public:
  TfrmIrdDownload(ui::AppContext& app, std::unique_ptr<pictures::Encoder> encoder, QWidget* parent = nullptr);
  explicit TfrmIrdDownload(ui::AppContext& app);  // with the encoder library
  ~TfrmIrdDownload() override;

  // Components.
  QComboBox* cbSerialPort;
  QComboBox* cbProgram;
  QPushButton* BitBtn2;
  QProgressBar* gaugePercent;
  QLabel* lblStatus;  // bytes, rate, time left; waiting for the receiver
  QPlainTextEdit* Memo1;
  QLineEdit* edSatTp;
  QPushButton* btnSatTp;
  QLineEdit* edFileName;
  QPushButton* btnSelctFile;
  serial::TComm32 commSerial;

  // State kept for the life of the window.
  const std::vector<std::uint8_t>& DataAreaImage() const { return dataAreaImage_; }
  const std::vector<std::uint8_t>& SatTpBuffer() const { return satTpBuffer_; }
  bool SatTpFlag() const { return satTpFlag_; }
  bool FileNameChosen() const { return fileNameChosen_; }
  const pictures::PictureSet& Pictures() const { return pictures_; }
  int StartTag() const { return frame_.Tag(); }
  const TransferFrame& Frame() const { return frame_; }
  const TransferSession& Session() const { return session_; }

  // Handlers.
  void FormCreate();
  void btnSelctFileClick();
  void btnSatTpClick();
  void BitBtn2Click();
  void DropFiles(const QString& firstFile);
  void commSerialReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength);
  void commSerialRequestHangup(serial::TComm32* Sender);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StartTransfer();
  void EndTransfer();
  void SaveDataFile();

  ui::AppContext& app_;
  std::unique_ptr<pictures::Encoder> encoder_;
  pictures::PictureSet pictures_;
  std::vector<std::uint8_t> dataAreaImage_;
  std::vector<std::uint8_t> satTpBuffer_;
  bool satTpFlag_ = false;
  bool fileNameChosen_ = false;
  TransferFrame frame_;
  TransferSession session_;
};

}  // namespace orvane::transfer
