// The second main window, created with the rest and shown instead of the first by `orvane --all-tools`. It
// reaches the editor, the picture tool, the data area download tool and the key setting tool.
#pragma once

#include <QWidget>

class QFrame;
class QPlainTextEdit;
class QPushButton;
namespace orvane::ui {
class AppContext;
}

class TfrmKoreaIRDTool : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmKoreaIRDTool(orvane::ui::AppContext& app, QWidget* parent = nullptr);

  void FormActivate();
  void btnOrvaneClick();
  void btnIRDUploadClick();
  void btnIRDDownloadClick();
  void btnKeySettingClick();
  void btnProgreamExitClick();

  QFrame* Panel1;
  QPushButton* btnOrvane;
  QPushButton* btnIRDUpload;
  QPushButton* btnIRDDownload;
  QPushButton* btnKeySetting;
  QPushButton* btnProgreamExit;
  QPlainTextEdit* Memo1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  orvane::ui::AppContext& app_;
};
