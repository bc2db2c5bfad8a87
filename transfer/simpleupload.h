// "Upload data": sends a software image (mode 0, compressed) or the saved channel database (mode 1, the file
// ./LastestTP.Dat) to the receiver over the serial line.
//
// Opening it: construct once (TfrmSimpleupload w(parent)), then for each showing call
// w.SetUpdateMode(0 or 1) and w.ShowModal().
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "serial/Comm32.h"
#include "transfer/transfer_frame.h"
#include "transfer/transfer_session.h"

class QComboBox;
class QLabel;
class QPushButton;
class QProgressBar;
class QPlainTextEdit;
namespace orvane::ui {
class AppContext;
}

namespace orvane::transfer {

inline constexpr const char* kMsgSelectUpdateFile = "ERROR : Select Update File";
inline constexpr const char* kMsgSerialCheck = "ERROR : Serial Check";

class TfrmSimpleupload : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmSimpleupload(ui::AppContext& app, QWidget* parent = nullptr);
  ~TfrmSimpleupload() override;

  // 0: software image; 1: channel data. Set by the opener before each showing.
  void SetUpdateMode(int mode) { UpdateMode = mode; }
  int ShowModal() { return exec(); }

  int UpdateMode = 0;

  // Components.
  QComboBox* cbSerialPort;
  QPushButton* btnSelectFile;
  QProgressBar* gaugePercent;
  QPushButton* btnStart;
  QLabel* lblStatus;  // bytes, rate, time left; waiting for the receiver
  QPlainTextEdit* Memo1;
  serial::TComm32 commSerial;

  // The file chosen with "Select File" (kept between showings).
  const QString& ChosenFile() const { return chosenFile_; }
  int StartTag() const { return frame_.Tag(); }
  const TransferFrame& Frame() const { return frame_; }
  const TransferSession& Session() const { return session_; }

  void btnSelectFileClick();
  void btnStartClick();
  void commSerialReceiveData(const std::uint8_t* Buffer, std::uint16_t BufferLength);
  void commSerialRequestHangup(serial::TComm32* Sender);

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  void FormActivate();
  void StartTransfer();
  void EndTransfer();

  ui::AppContext& app_;
  QString chosenFile_;
  std::vector<std::uint8_t> fileBuffer_;
  std::vector<std::uint8_t> sendBuffer_;
  TransferFrame frame_;
  TransferSession session_;
};

}  // namespace orvane::transfer
