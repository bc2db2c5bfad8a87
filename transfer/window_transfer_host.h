// The window's side of a transfer, the same in every transfer window: log lines into its memo, the gauge, and
// message boxes through Prompts.
#pragma once

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QString>

#include "transfer/qt_transfer_host.h"
#include "ui/app_context.h"

namespace orvane::transfer {

class WindowTransferHost : public QtTransferHost {
 public:
  // The components are the window's members, created after the host; they are read when used.
  WindowTransferHost(ui::AppContext& app, serial::TComm32& comm, QPlainTextEdit*& memo, QProgressBar*& gauge)
      : QtTransferHost(comm), app_(app), memo_(memo), gauge_(gauge) {}
  void Log(const std::string& line) override { memo_->appendPlainText(QString::fromLatin1(line)); }
  void ClearLog() override { memo_->clear(); }
  void SetGauge(int percent) override { gauge_->setValue(percent); }
  void ShowMessage(const std::string& text) override { app_.prompts().Message(QString::fromStdString(text)); }

 private:
  ui::AppContext& app_;
  QPlainTextEdit*& memo_;
  QProgressBar*& gauge_;
};

}  // namespace orvane::transfer
