// What the three transfer windows share around the protocol engine: the Start/Cancel button and its two
// presses, the inputs that are locked while a transfer runs, the port list with the device of each item, the
// gauge with the status line under it, the log, and the message boxes (error icon, the reason as a second
// line). Each window keeps its own components and handlers and hands them to its frame once they exist.
#pragma once

#include <QProgressBar>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "serial/Comm32.h"
#include "serial/port_list.h"
#include "transfer/qt_transfer_host.h"
#include "transfer/transfer_session.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;
namespace orvane::ui {
class AppContext;
}

namespace orvane::transfer {

inline constexpr const char* kMsgComPort = "ERROR : COM Port";
inline constexpr int kStatusLineHeight = 20;  // the windows grow by this much for the status line

// A progress bar whose percentage stays readable on the blue part: the text is drawn light over the filled
// part and dark over the rest.
class TransferGauge : public QProgressBar {
 public:
  explicit TransferGauge(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* e) override;
};

class TransferFrame : public QtTransferHost {
 public:
  struct Parts {
    QPushButton* button = nullptr;
    QString startCaption;
    QString cancelCaption;
    QComboBox* ports = nullptr;
    QProgressBar* gauge = nullptr;
    QLabel* status = nullptr;
    QPlainTextEdit* memo = nullptr;
    // Everything that opens a dialog or changes what is transferred; locked while a transfer runs.
    std::vector<QWidget*> inputs;
    bool clearLogAtEnd = false;  // the download and picture windows clear their log when a transfer ends
  };

  TransferFrame(ui::AppContext& app, serial::TComm32& comm);
  void Attach(TransferSession& session) { session_ = &session; }
  // Takes the window's components (once they exist) and fills the port list.
  void Setup(Parts parts);

  // The port list: COM1..COM6 and the adapters the system has, each with its device. Filled anew when the
  // window is shown (an adapter plugged in meanwhile appears); the COM port chosen stays chosen.
  void FillPorts();
  const std::vector<serial::PortChoice>& Ports() const { return ports_; }

  // The Start button's click. A press while a transfer runs, or while this handler is still on the stack (a
  // second click handled in the first one's event pumping), is the Cancel press; otherwise `start` runs.
  void Click(const std::function<void()>& start);
  bool Running() const { return running_; }
  int Tag() const { return running_ ? 1 : 0; }

  // Opens the chosen port; when it cannot be opened, says so with the reason and returns false.
  bool OpenPort();
  // The transfer begins: Cancel caption, inputs locked. False (and the port closed again) when Cancel was
  // pressed while the click was getting ready; the click then ends without a message.
  bool Begin();
  // However the transfer ended, and for Cancel: Start caption, cancel flag, port closed, inputs as before.
  void End();

  // Message boxes: the text as the tool has it, the error icon for errors, `detail` as a smaller second line.
  void Say(const std::string& text, const std::string& detail = {});

  // TransferHost.
  void Log(const std::string& line) override;
  void ClearLog() override;
  void SetGauge(int percent) override;
  void ShowMessage(const std::string& text) override { Say(text); }
  void SetProgress(const TransferProgress& progress) override;

 private:
  void Cancel();

  ui::AppContext& app_;
  TransferSession* session_ = nullptr;
  Parts parts_;
  std::vector<serial::PortChoice> ports_;
  std::vector<bool> wasEnabled_;
  bool running_ = false;
  bool inClick_ = false;
  bool cancelPressed_ = false;
  bool locked_ = false;
};

}  // namespace orvane::transfer
