#include "shell/KoreaIRDTool.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <array>

#include "editor/EditSatelliteTransponder.h"
#include "keysetting/KeySetting.h"
#include "pictures/UploadMain.h"
#include "shell/main_window_parts.h"
#include "transfer/DownloadMain.h"
#include "ui/app_context.h"

using namespace orvane::shell;

namespace {
constexpr int kClientWidth = 573;
constexpr int kClientHeight = 66;
// Widths by caption length; with the margins they fill the client width.
constexpr std::array<int, 5> kButtonWidths = {110, 110, 120, 115, 94};
}  // namespace

TfrmKoreaIRDTool::TfrmKoreaIRDTool(orvane::ui::AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app) {
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
  CentreOnScreen(this);
  FormActivate();
}

void TfrmKoreaIRDTool::FormActivate() {
  WriteParameterFileFrom(app_, Memo1);
}

void TfrmKoreaIRDTool::btnOrvaneClick() {
  ShowTool<TfrmEditSatTP>(app_);
}
void TfrmKoreaIRDTool::btnIRDUploadClick() {
  ShowTool<orvane::pictures::TfrmIRDUploader>(app_);
}
void TfrmKoreaIRDTool::btnIRDDownloadClick() {
  ShowTool<orvane::transfer::TfrmIrdDownload>(app_);
}
void TfrmKoreaIRDTool::btnKeySettingClick() {
  ShowTool<orvane::keysetting::TfrmKeySetting>(app_);
}
// Only this window closes; when it is the main window the program shows, the program ends with it.
void TfrmKoreaIRDTool::btnProgreamExitClick() {
  close();
}
