#include "transfer/transfer_frame.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include "ui/app_context.h"

namespace orvane::transfer {

namespace {

// The texts that are no failure; every other text of the tools reports one.
bool IsInformation(const std::string& text) {
  for (const char* info : {kMsgSuccess, kMsgWaitingB00B, kMsgWaitingBABO})
    if (text == info) return true;
  return false;
}

}  // namespace

TransferGauge::TransferGauge(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setAlignment(Qt::AlignCenter);
  setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: blue; }"));
}

void TransferGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  option.textVisible = false;
  style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
  if (!isTextVisible()) return;
  // The filled part runs from the left edge to the share of the value; its text is white, the rest black.
  const QRect box = rect();
  const double share = maximum() > minimum() ? double(value() - minimum()) / (maximum() - minimum()) : 0.0;
  const int split = box.left() + static_cast<int>(box.width() * share);
  const QString label = text();
  painter.setClipRect(QRect(box.left(), box.top(), split - box.left(), box.height()));
  painter.setPen(Qt::white);
  painter.drawText(box, Qt::AlignCenter, label);
  painter.setClipRect(QRect(split, box.top(), box.right() - split + 1, box.height()));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(box, Qt::AlignCenter, label);
}

TransferFrame::TransferFrame(ui::AppContext& app, serial::TComm32& comm) : QtTransferHost(comm), app_(app) {}

void TransferFrame::Setup(Parts parts) {
  parts_ = std::move(parts);
  parts_.inputs.insert(parts_.inputs.begin(), parts_.ports);
  if (parts_.status) parts_.status->clear();
  FillPorts();
}

void TransferFrame::FillPorts() {
  QComboBox* list = parts_.ports;
  if (!list || running_) return;
  const int chosen = serial::CommPortsAt(ports_, list->currentIndex());
  ports_ = serial::ListPorts();
  list->clear();
  int select = 0;  // COM1 unless the port chosen before is still offered
  for (std::size_t i = 0; i < ports_.size(); ++i) {
    list->addItem(QString::fromStdString(ports_[i].text));
    if (chosen >= 0 && ports_[i].port - 1 == chosen) select = static_cast<int>(i);
  }
  list->setCurrentIndex(select);
}

void TransferFrame::Click(const std::function<void()>& start) {
  if (running_ || inClick_) {
    Cancel();
    return;
  }
  struct InClick {
    bool& flag;
    explicit InClick(bool& f) : flag(f) { flag = true; }
    ~InClick() { flag = false; }
  } inClick(inClick_);
  cancelPressed_ = false;
  start();
}

void TransferFrame::Cancel() {
  cancelPressed_ = true;
  if (session_) session_->RequestCancel();
  // While the click is still getting ready, Begin() sees the press; a running transfer ends now.
  if (running_) End();
}

bool TransferFrame::OpenPort() {
  comm_.SetCommPorts(serial::CommPortsAt(ports_, parts_.ports->currentIndex()));
  if (comm_.OpenPort()) return true;
  // The reason names the device that was tried.
  const std::string why = comm_.PortName() + ": " + comm_.LastOpenError();
  Log(why);
  Say(kMsgComPort, why);
  return false;
}

bool TransferFrame::Begin() {
  if (cancelPressed_) {
    comm_.ClosePort();
    return false;
  }
  running_ = true;
  parts_.button->setText(parts_.cancelCaption);
  wasEnabled_.clear();
  for (QWidget* w : parts_.inputs) {
    wasEnabled_.push_back(w->isEnabled());
    w->setEnabled(false);
  }
  locked_ = true;
  parts_.button->setEnabled(true);
  if (parts_.status) parts_.status->clear();
  return true;
}

void TransferFrame::End() {
  running_ = false;
  parts_.button->setText(parts_.startCaption);
  if (session_) {
    session_->RequestCancel();
    session_->SetReceivingPackets(false);
  }
  comm_.ClosePort();
  if (parts_.clearLogAtEnd) ClearLog();
  if (locked_) {
    for (std::size_t i = 0; i < parts_.inputs.size() && i < wasEnabled_.size(); ++i)
      parts_.inputs[i]->setEnabled(wasEnabled_[i]);
    locked_ = false;
  }
  if (parts_.status) parts_.status->clear();
}

void TransferFrame::Say(const std::string& text, const std::string& detail) {
  app_.prompts().Message(QString::fromStdString(text),
                         IsInformation(text) ? ui::MessageKind::Information : ui::MessageKind::Error, {},
                         QString::fromStdString(detail));
}

void TransferFrame::Log(const std::string& line) {
  if (parts_.memo) parts_.memo->appendPlainText(QString::fromLatin1(line));
}

void TransferFrame::ClearLog() {
  if (parts_.memo) parts_.memo->clear();
}

void TransferFrame::SetGauge(int percent) {
  if (parts_.gauge) parts_.gauge->setValue(percent);
}

void TransferFrame::SetProgress(const TransferProgress& progress) {
  if (parts_.status) parts_.status->setText(QString::fromStdString(FormatProgress(progress)));
}

}  // namespace orvane::transfer
