#include "shell/KoreaIRDTool.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <array>

#include "shell/main_window_parts.h"

using namespace orvane::shell;

namespace {
constexpr int kClientWidth = 573;
constexpr int kClientHeight = 66;
// Widths by caption length; with the margins they fill the client width.
constexpr std::array<int, 5> kButtonWidths = {110, 110, 120, 115, 94};
}  // namespace

TfrmKoreaIRDTool::TfrmKoreaIRDTool(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmKoreaIRDTool"));
  setWindowTitle(QStringLiteral("IRD Tool"));
  setFixedSize(kClientWidth, kClientHeight);
  Panel1 = ButtonPanel(this, kClientWidth, kClientHeight);
  btnOrvane = PanelButton(Panel1, "btnOrvane", QStringLiteral("Edit TP/SAT"),
                          QStyle::SP_FileDialogDetailedView, 0, kButtonWidths);
  btnIRDUpload = PanelButton(Panel1, "btnIRDUpload", QStringLiteral("IRD Upload"), QStyle::SP_DesktopIcon, 1,
                             kButtonWidths);
  btnIRDDownload = PanelButton(Panel1, "btnIRDDownload", QStringLiteral("IRD Download"), QStyle::SP_ArrowDown,
                               2, kButtonWidths);
  btnKeySetting = PanelButton(Panel1, "btnKeySetting", QStringLiteral("Key Setting"),
                              QStyle::SP_FileDialogInfoView, 3, kButtonWidths);
  btnProgreamExit = PanelButton(Panel1, "btnProgreamExit", QStringLiteral("Exit"),
                                QStyle::SP_DialogCloseButton, 4, kButtonWidths);
  Memo1 = ParameterMemo(this);
  connect(btnOrvane, &QPushButton::clicked, this, &TfrmKoreaIRDTool::btnOrvaneClick);
  connect(btnIRDUpload, &QPushButton::clicked, this, &TfrmKoreaIRDTool::btnIRDUploadClick);
  connect(btnIRDDownload, &QPushButton::clicked, this, &TfrmKoreaIRDTool::btnIRDDownloadClick);
  connect(btnKeySetting, &QPushButton::clicked, this, &TfrmKoreaIRDTool::btnKeySettingClick);
  connect(btnProgreamExit, &QPushButton::clicked, this, &TfrmKoreaIRDTool::btnProgreamExitClick);
}

void TfrmKoreaIRDTool::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  EnableForTool(btnOrvane, "TfrmEditSatTP");
  EnableForTool(btnIRDUpload, "TfrmIRDUploader");
  EnableForTool(btnIRDDownload, "TfrmIrdDownload");
  EnableForTool(btnKeySetting, "TfrmKeySetting");
  CentreOnScreen(this);
  FormActivate();
}

void TfrmKoreaIRDTool::FormActivate() {
  WriteParameterFileFrom(Memo1);
}

void TfrmKoreaIRDTool::btnOrvaneClick() {
  ShowTool("TfrmEditSatTP");
}
void TfrmKoreaIRDTool::btnIRDUploadClick() {
  ShowTool("TfrmIRDUploader");
}
void TfrmKoreaIRDTool::btnIRDDownloadClick() {
  ShowTool("TfrmIrdDownload");
}
void TfrmKoreaIRDTool::btnKeySettingClick() {
  ShowTool("TfrmKeySetting");
}
// Only this window closes; when it is the main window the program shows, the program ends with it.
void TfrmKoreaIRDTool::btnProgreamExitClick() {
  close();
}
