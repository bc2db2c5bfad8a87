#include "shell/EditSatTp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <array>

#include "editor/EditSatelliteTransponder.h"
#include "pictures/UploadMain.h"
#include "shell/main_window_parts.h"
#include "ui/app_context.h"

using namespace orvane::shell;

namespace {
constexpr int kClientWidth = 645;
constexpr int kClientHeight = 56;
// Widths by caption length; with the margins they fill the client width.
constexpr std::array<int, 4> kButtonWidths = {210, 150, 150, 115};
}  // namespace

TfrmIRDTool::TfrmIRDTool(orvane::ui::AppContext& app, QWidget* parent) : QWidget(parent), app_(app) {
  setObjectName(QStringLiteral("frmIRDTool"));
  setWindowTitle(QStringLiteral("IRD Tool"));
  setFixedSize(kClientWidth, kClientHeight);
  Panel1 = ButtonPanel(this, kClientWidth, kClientHeight);
  btnOrvane = PanelButton(Panel1, "btnOrvane", QStringLiteral("SatCoDX Channel Update"),
                          QStyle::SP_FileDialogDetailedView, 0, kButtonWidths);
  btnIRDUpload = PanelButton(Panel1, "btnIRDUpload", QStringLiteral("Picture Download"),
                             QStyle::SP_DesktopIcon, 1, kButtonWidths);
  btnIRDDownload = PanelButton(Panel1, "btnIRDDownload", QStringLiteral("Software Update"),
                               QStyle::SP_ArrowUp, 2, kButtonWidths);
  btnProgreamExit = PanelButton(Panel1, "btnProgreamExit", QStringLiteral("Exit"),
                                QStyle::SP_DialogCloseButton, 3, kButtonWidths);
  Memo1 = ParameterMemo(this);
  connect(btnOrvane, &QPushButton::clicked, this, &TfrmIRDTool::btnOrvaneClick);
  connect(btnIRDUpload, &QPushButton::clicked, this, &TfrmIRDTool::btnIRDUploadClick);
  connect(btnIRDDownload, &QPushButton::clicked, this, &TfrmIRDTool::btnIRDDownloadClick);
  connect(btnProgreamExit, &QPushButton::clicked, this, &TfrmIRDTool::btnProgreamExitClick);
}

void TfrmIRDTool::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  CentreOnScreen(this);
  FormActivate();
}

// Becoming the focused window by being shown; a modal tool window closing hands the focus back without a
// show.
void TfrmIRDTool::FormActivate() {
  WriteParameterFileFrom(app_, Memo1);
}

void TfrmIRDTool::btnOrvaneClick() {
  ShowTool<TfrmEditSatTP>(app_);
}
void TfrmIRDTool::btnIRDUploadClick() {
  ShowTool<orvane::pictures::TfrmIRDUploader>(app_);
}
void TfrmIRDTool::btnIRDDownloadClick() {
  if (app_.softwareUpdate) app_.softwareUpdate(0);
}
void TfrmIRDTool::btnProgreamExitClick() {
  close();
}

void TfrmIRDTool::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  // Closing the main window ends the program, whatever the hidden tool windows hold.
  QApplication::quit();
}
