// "Upload picture": prepares the Opening, Main Menu and Radio pictures and sends the 65,536-byte picture image
// made of their three slots to the receiver.
#pragma once

#include <QDialog>
#include <array>
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

namespace orvane::pictures {

inline constexpr const char* kCaptionStartUpload = "Start picture upload";
inline constexpr const char* kCaptionCancelUpload = "Cancel picture upload";
// The data kinds of the upload transfer; this window sends "Picture Data" only.
inline constexpr std::array<const char*, 7> kDataKinds = {"Application",
                                                          "Channel Data",
                                                          "Picture Data",
                                                          "Loader",
                                                          "Compress Application",
                                                          "Compress Data+Application",
                                                          "Transponder Data"};
inline constexpr int kPictureDataKind = 2;

class TfrmIRDUploader : public QDialog, public PicturePanels {
  Q_OBJECT

 public:
  TfrmIRDUploader(ui::AppContext& app, std::unique_ptr<Encoder> encoder, QWidget* parent = nullptr);
  explicit TfrmIRDUploader(ui::AppContext& app);  // with the encoder library
  ~TfrmIRDUploader() override;

  // Components.
  QComboBox* cbSerialPort;
  QProgressBar* gaugePercent;
  QPushButton* BitBtn2;
  QLabel* lblStatus;  // bytes, rate, time left; waiting for the receiver
  QPlainTextEdit* Memo1;
  QComboBox* cbProgram;
  serial::TComm32 commSerial;

  const PictureSet& Pictures() const { return pictures_; }
  const std::vector<std::uint8_t>& Image() const { return image_; }
  int UploadTag() const { return frame_.Tag(); }
  const transfer::TransferFrame& Frame() const { return frame_; }
  const transfer::TransferSession& Session() const { return session_; }

  // Handlers.
  void FormCreate();
  void FormShow();
  void StartPictureupload();
  void commSerialReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength);
  void commSerialRequestHangup(serial::TComm32* Sender);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  void StartTransfer();
  void EndTransfer();

  ui::AppContext& app_;
  std::unique_ptr<Encoder> encoder_;
  PictureSet pictures_;
  std::vector<std::uint8_t> image_;
  transfer::TransferFrame frame_;
  transfer::TransferSession session_;
};

}  // namespace orvane::pictures
